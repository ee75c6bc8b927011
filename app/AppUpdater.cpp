#include "app/AppUpdater.h"

#include "app/Logger.h"
#include "platform/ProcessLauncher.h"
#include "app/UpdateChecker.h"
#include "app/UpdateMessage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kRetryMs = 8000;

std::string programFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath().toStdString() : std::string(".");
}

}  // namespace

AppUpdater::AppUpdater(QObject* parent) : QObject(parent), m_checker(new UpdateChecker(programFolder()))
{
    // The check thread only posts; the event reaches this object on the GUI
    // thread, which hands it on to the window (see event()).
    m_checker->SetPoster([this](int kind, UpdateMessage* record) {
        QCoreApplication::postEvent(this, new UpdateMessageEvent(kind, record));
    });
}

AppUpdater::~AppUpdater()
{
    if (m_timer && m_timer->isActive() && QCoreApplication::instance())
        m_timer->stop();
    // Waits for a running check; events it posted are freed with this object.
    delete m_checker;
}

bool AppUpdater::SetNotifyWindow(QWidget* widget)
{
    m_notifyWidget = widget;
    return true;
}

bool AppUpdater::StartCheck()
{
    if (!m_timer) {
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, &AppUpdater::onUpdateTimer);
        m_timer->start(kRetryMs);
    }
    if (!m_checker->Start())
        Logger::instance()->Log(LOG_INFO, "AppUpdater::StartCheck", "a check is still running");
    return true;
}

void AppUpdater::onUpdateTimer()
{
    if (!m_checker->HasRemoteVersion())
        StartCheck();
    else if (m_timer->isActive())
        m_timer->stop();
}

bool AppUpdater::HasNewVersion() const { return m_checker->HasNewVersion(); }
bool AppUpdater::MustUpdate() const { return m_checker->MustUpdate(); }
bool AppUpdater::HasRemoteVersion() const { return m_checker->HasRemoteVersion(); }
bool AppUpdater::IsChecking() const { return m_checker->IsRunning(); }

bool AppUpdater::event(QEvent* e)
{
    if (e->type() != UpdateMessageEvent::kType)
        return QObject::event(e);
    auto* report = static_cast<UpdateMessageEvent*>(e);
    if (m_notifyWidget)
        QCoreApplication::postEvent(m_notifyWidget, new UpdateMessageEvent(report->kind(), report->takeRecord()));
    return true;
}

void AppUpdater::RunUpdater() { RunUpdaterFrom(QCoreApplication::applicationDirPath()); }

QString AppUpdater::RunUpdaterFrom(const QString& programFolder)
{
    // The installation root is two folders above the program's; the updater
    // runs from a copy of itself so that it can replace its own file.
    const QString root = QDir::cleanPath(programFolder + "/../..");
    const QString source = root + "/KorvanelTea";
    const QString copy = root + "/KorvanelTmp";
    QFile::remove(copy);
    const QString program = QFile::copy(source, copy) ? copy : source;
    if (!ProcessLauncher::startDetached(program)) {
        Logger::instance()->Log(LOG_WARN, "AppUpdater::RunUpdater", "cannot start %s", qPrintable(program));
        return {};
    }
    Logger::instance()->Log(LOG_INFO, "AppUpdater::RunUpdater", "started %s", qPrintable(program));
    return program;
}
