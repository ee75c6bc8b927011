#pragma once
// Holds room media commands back until the live stream has caught up with
// the moment they were received, so that a student's media player acts in
// step with the picture of the teacher. Owned by the room media-file player,
// which queues commands with AddTask and gets them back, when due, through
// the queued signal sgDelayTask.
//
// A "pause" is due at once, every other command after the live player's play
// delay, which is read again every 100 ms while an item waits. Items leave
// strictly in the order they came.
#include "app/CDataWaitFiFo.h"

#include <QThread>
#include <QVariant>

#include <atomic>
#include <functional>

class DelayTask : public QThread {
    Q_OBJECT
public:
    // Time and sleeping, replaceable by tests.
    struct Clock {
        std::function<qint64()> nowMs;          // default: wall clock in ms since the epoch
        std::function<void(int ms)> sleepMs;    // default: QThread::msleep
    };
    // delaySourceMs: the live player's current play delay in ms (read on the
    // worker thread; it must be safe to call from there).
    explicit DelayTask(std::function<qint64()> delaySourceMs, Clock clock = Clock());
    ~DelayTask() override;  // stops and waits for the worker

    // GUI thread. Starts the worker unless it runs; items left from before are
    // dropped. A worker that is still finishing after Stop is waited for first.
    void Start();
    // GUI thread. Queues a command while running; dropped otherwise.
    void AddTask(const QVariant& command);
    // GUI thread. The worker ends at once, or after the 100 ms step of an item
    // it waits for; waiting items are never emitted.
    void Stop();
    bool IsRunning() const { return m_running.load(); }

signals:
    // Emitted on the worker thread; connect it queued to a GUI-thread receiver.
    void sgDelayTask(QVariant command);

protected:
    void run() override;

private:
    struct TaskInfo {
        QVariant data;
        qint64 pushTime = 0;
    };
    void Drain();

    std::atomic<bool> m_running{false};           // written by the GUI thread, polled by the worker
    CDataWaitFiFo<TaskInfo*> m_fifo;              // owns its items between AddTask and the worker's delete
    const std::function<qint64()> m_delaySource;  // set by the constructor; called on the worker
    const Clock m_clock;                          // set by the constructor
};
