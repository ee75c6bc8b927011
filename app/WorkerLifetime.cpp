#include "app/WorkerLifetime.h"

#include <QCoreApplication>
#include <QSet>
#include <QThreadPool>

namespace {

// The started workers not freed yet. GUI thread only.
QSet<QObject*>& Adopted()
{
    static QSet<QObject*> workers;
    return workers;
}

}  // namespace

void WorkerLifetime::Adopt(QObject* worker)
{
    static const bool routine = (qAddPostRoutine(&WorkerLifetime::FreeAll), true);
    (void)routine;
    Adopted().insert(worker);
    // Not a connection of the worker's own: FreeAll cuts those.
    QObject::connect(worker, &QObject::destroyed, qApp, [worker] { Adopted().remove(worker); });
}

int WorkerLifetime::InFlight() { return Adopted().size(); }

void WorkerLifetime::FreeAll()
{
    // The pool's jobs end on their own (every transfer has time-outs); a
    // QThread worker is waited for by its destructor.
    const QSet<QObject*> left = Adopted();
    // No report leaves a worker from here on: nobody would read it.
    for (QObject* worker : left)
        QObject::disconnect(worker, nullptr, nullptr, nullptr);
    QThreadPool::globalInstance()->waitForDone();
    for (QObject* worker : left)
        delete worker;
    Adopted().clear();
}
