#pragma once
// Waiting for a condition in Qt tests: processes this thread's events (so
// queued signals arrive) until pred holds; false after maxMs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace testsupport {

template <typename Pred>
bool waitUntil(Pred pred, int maxMs = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > maxMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace testsupport
