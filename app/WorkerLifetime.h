#pragma once
// The one rule for the program's one-shot workers (downloads, uploads):
// a worker started here belongs to itself. Its finish reaches the receiver
// (queued, on the GUI thread), and the worker frees itself after that
// delivery, whether the receiver is still there or already gone with its
// row, panel or room. A receiver reads the worker in its slot and never
// deletes it nor keeps the pointer.
//
// Workers still running when the application object goes (the program ends
// with a transfer in flight) are waited for and freed then, so none is left
// behind.
//
// GUI thread only: Start and the bookkeeping run there; the workers' own
// threads only emit finish.
#include <QObject>
#include <QThread>

#include <type_traits>

class WorkerLifetime {
public:
    // Connects worker's finish(W*) to receiver's slot (queued), lets the
    // worker free itself after the delivery, and starts it (QThread workers
    // by start(), pool jobs by Start()).
    template <typename W, typename R, typename Slot>
    static void Start(W* worker, const R* receiver, Slot slot)
    {
        QObject::connect(worker, &W::finish, receiver, slot, Qt::QueuedConnection);
        QObject::connect(worker, &W::finish, worker, &QObject::deleteLater, Qt::QueuedConnection);
        Adopt(worker);
        if constexpr (std::is_base_of_v<QThread, W>)
            worker->start();
        else
            worker->Start();
    }

    // The same for a worker whose finish nobody needs.
    template <typename W>
    static void Start(W* worker)
    {
        Start(worker, worker, [](W*) {});
    }

    // How many started workers are not freed yet.
    static int InFlight();
    // The application's end (its post routine): waits for the running
    // workers and frees every one not freed yet; their reports are dropped.
    static void FreeAll();

private:
    static void Adopt(QObject* worker);
};
