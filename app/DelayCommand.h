#pragma once
// Holds client-library commands back until the live picture the students see
// has caught up: each command is re-emitted (sgDelayCommand) once the live
// player's current play delay has passed since it arrived, strictly in
// arrival order. Made and driven by the room controller; only the student
// side starts it.
#include "app/CDataWaitFiFo.h"
#include "common/Clock.h"

#include <QThread>
#include <QVariant>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class DelayCommand : public QThread {
    Q_OBJECT
public:
    struct TaskInfo {
        QVariant cmd;   // the command code as the room controller passes it
        QVariant var;   // the command's payload
        qint64 time;    // arrival, in the clock's milliseconds
    };
    // The live player's current play delay in milliseconds, read afresh on
    // every check (the worker thread calls it).
    using DelayProvider = std::function<qint64()>;

    // clock: the time scale of arrivals and due times (injected by tests).
    explicit DelayCommand(Clock& clock = Clock::system());
    ~DelayCommand() override;

    // Set before Start; without a provider the delay is 0.
    void SetDelayProvider(DelayProvider provider);

    // GUI thread. When stopped: drops whatever is still queued and starts the
    // worker. When running: nothing.
    void Start();
    // GUI thread. Clears the run flag and wakes the worker, which then drops
    // what is queued, unsent, and ends promptly; does not wait for it.
    void Stop();
    // Any thread. Queues a command stamped with the current time while
    // running; drops it otherwise.
    void AddTask(QVariant cmd, QVariant var);

    bool IsRunning() const { return m_running.load(); }
    // How many due-time checks the worker has made: lets a caller wait until
    // the worker has looked at the clock again.
    quint64 Checks() const { return m_checks.load(); }

    // The release rule: a task is due once it is within 100 ms of arrival +
    // delay (32-bit arithmetic, as the play delay is a 32-bit value).
    static int Remaining(qint64 taskTime, qint64 now, qint64 delay);
    static constexpr int kReleaseWithinMs = 100;

signals:
    void sgDelayCommand(QVariant cmd, QVariant var);

protected:
    void run() override;

private:
    int RemainingFor(const TaskInfo* task);
    void DropQueued();
    void PauseStep();

    std::atomic<bool> m_running{false};        // written on the GUI thread, read by the worker
    CDataWaitFiFo<TaskInfo*> m_tasks{"", 10000000};  // the queue's own lock
    Clock& m_clock;                            // set by the constructor only
    std::mutex m_providerLock;                 // guards m_provider
    DelayProvider m_provider;                  // guarded by m_providerLock
    std::mutex m_wakeLock;                     // pairs with m_wake
    std::condition_variable m_wake;            // wakes the worker's pause early on Stop
    std::atomic<quint64> m_checks{0};          // atomic
};
