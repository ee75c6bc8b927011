#include "platform/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

#include <unistd.h>

namespace {
const char kRaiseRequest[] = "raise\n";
}

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance()
{
    delete m_server;
    if (m_lock)
        m_lock->unlock();
    delete m_lock;
}

namespace {

// The user's runtime folder (the session's), else the temporary folder.
QString runtimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir.isEmpty() ? QDir::tempPath() : dir;
}

}  // namespace

QString SingleInstance::lockPath() const
{
    return runtimeFolder() + "/" + m_name + "-" + QString::number(getuid()) + ".lock";
}

QString SingleInstance::serverName() const
{
    // Beside the lock, so that the lock and the server belong to one session
    // and one user (a bare name would be one socket for the whole system).
    return runtimeFolder() + "/" + m_name + "-" + QString::number(getuid());
}

bool SingleInstance::claim()
{
    if (m_lock)
        return true;
    auto* lock = new QLockFile(lockPath());
    // A lock left by a crashed instance is taken over (Qt checks the pid).
    if (lock->tryLock(0)) {
        m_lock = lock;
        QLocalServer::removeServer(serverName());
        m_server = new QLocalServer();
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = m_server->nextPendingConnection()) {
                QObject::connect(s, &QLocalSocket::readyRead, this, [this, s] {
                    if (s->readAll().contains("raise"))
                        emit activationRequested();
                    s->disconnectFromServer();
                });
                QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            }
        });
        m_server->listen(serverName());
        return true;
    }
    delete lock;

    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (socket.waitForConnected(2000)) {
        socket.write(kRaiseRequest);
        socket.waitForBytesWritten(2000);
        socket.waitForDisconnected(500);
    }
    return false;
}

bool SingleInstance::RaiseFirstVisibleWindow(const QStringList& titles)
{
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (const QString& title : titles) {
        for (QWidget* w : tops) {
            if (w->windowTitle() != title || !w->isVisible())
                continue;
            if (w->isMinimized())
                w->showNormal();
            w->raise();
            w->activateWindow();
            return true;
        }
    }
    return false;
}
