// The program on a real X display draws with the raster engine only: no GL
// driver is mapped into it (Qt's X11 platform would load one at start and
// it costs tens of megabytes), unless the environment asks for it.
// test-labels: xvfb
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct Started {
    QString maps;       // the program's memory map once its window is up
    bool running = false;
};

// The shared objects mapped into the process, one path per line.
QString mappedFiles(qint64 pid)
{
    QFile f(QString("/proc/%1/maps").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

// Starts Veltora on the test's X display with a private home, waits until
// its login window is shown, reads its map, ends it.
Started startOnDisplay(const QString& glIntegration)
{
    Started result;
    const QString program = QString::fromStdString(testsupport::binaryDir()) + "/bin/32bit/Veltora";
    testsupport::TempDir home;
    const std::string runtime = home.path() + "/run";
    QDir().mkpath(QString::fromStdString(runtime));
    chmod(runtime.c_str(), 0700);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(home.path()));
    env.insert("XDG_DATA_HOME", QString::fromStdString(home.path()) + "/data");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("QT_XCB_GL_INTEGRATION");
    if (!glIntegration.isEmpty())
        env.insert("QT_XCB_GL_INTEGRATION", glIntegration);
    QProcess veltora;
    veltora.setProcessEnvironment(env);
    veltora.start(program, QStringList());
    if (!veltora.waitForStarted())
        return result;
    // Up once its login window is visible on the display (the platform
    // window exists then, and with it whatever GL the platform loads).
    const QString xdotool = QString::fromStdString(testsupport::findProgram("xdotool"));
    testsupport::waitUntil(
        [&] {
            QProcess search;
            search.start(xdotool, {"search", "--onlyvisible", "--pid", QString::number(veltora.processId()), "--name",
                                   "vtlogintea"});
            search.waitForFinished(5000);
            return !search.readAllStandardOutput().trimmed().isEmpty();
        },
        30000);
    result.maps = mappedFiles(veltora.processId());
    result.running = veltora.state() == QProcess::Running;
    veltora.terminate();
    if (!veltora.waitForFinished(5000))
        veltora.kill();
    veltora.waitForFinished(2000);
    return result;
}

// Qt's GUI library always links the GL dispatch libraries (small); what
// costs is the integration plug-in and the driver it loads.
bool mapsGlDriver(const QString& maps)
{
    return maps.contains("xcbglintegrations/") || maps.contains("libGLX_mesa") || maps.contains("_dri.so");
}

}  // namespace

TEST(ProgramGraphics, NoGlDriverUnlessTheEnvironmentAsks)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || testsupport::findProgram("xdotool").empty())
        GTEST_SKIP() << "needs an X display (xvfb label) and xdotool";
    const Started plain = startOnDisplay({});
    ASSERT_TRUE(plain.running);
    ASSERT_TRUE(plain.maps.contains("libqxcb.so")) << "the X11 platform plug-in was never loaded";
    EXPECT_FALSE(mapsGlDriver(plain.maps));

    // The environment's own choice is kept (and shows the check above sees
    // a GL integration when there is one).
    const Started withGl = startOnDisplay("xcb_glx");
    ASSERT_TRUE(withGl.running);
    EXPECT_TRUE(mapsGlDriver(withGl.maps));
}
