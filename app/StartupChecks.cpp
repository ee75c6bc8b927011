#include "app/StartupChecks.h"

#include "app/Logger.h"
#include "platform/SingleInstance.h"

#include <QApplication>

#include <atomic>

namespace {
SingleInstance* g_guard = nullptr;  // GUI thread only
}

bool IsBelowWindows10()
{
    // Software OpenGL was the fallback for old Windows drivers. On this
    // platform Qt chooses its OpenGL itself, so the switch is never needed.
    static const bool below = false;
    return below;
}

void PrepareRasterGraphics()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

bool CheckSingleInstance(const char* name)
{
    if (g_guard)
        return true;
    auto* guard = new SingleInstance(QString::fromUtf8(name), qApp);
    if (!guard->claim()) {
        delete guard;
        return false;
    }
    QObject::connect(guard, &SingleInstance::activationRequested, guard, [] {
        bool raised = SingleInstance::RaiseFirstVisibleWindow({"vtlogintea", "vtclasstea", "vtmaintea"});
        Logger::instance()->Log(LOG_INFO, "CheckSingleInstance", "another start asked to show the window: %s",
                                raised ? "raised" : "no visible window");
    });
    g_guard = guard;
    return true;
}

SingleInstance* SingleInstanceGuard() { return g_guard; }

void ReleaseSingleInstance()
{
    delete g_guard;
    g_guard = nullptr;
}
