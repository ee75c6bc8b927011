#include "app/DelayCommand.h"

#include <chrono>

DelayCommand::DelayCommand(Clock& clock) : m_clock(clock)
{
}

DelayCommand::~DelayCommand()
{
    Stop();
    wait();
    DropQueued();
}

void DelayCommand::SetDelayProvider(DelayProvider provider)
{
    std::lock_guard<std::mutex> g(m_providerLock);
    m_provider = std::move(provider);
}

void DelayCommand::Start()
{
    if (m_running.load())
        return;
    // A worker of an earlier run may still be winding down after Stop; it
    // ends within one pause step.
    wait();
    m_running = true;
    DropQueued();
    start(QThread::InheritPriority);
}

void DelayCommand::Stop()
{
    m_running = false;
    quit();
    // Wake the worker wherever it waits: in the queue's pop (a zero item
    // answers "nothing") or in its pause between checks.
    m_tasks.PushData(nullptr);
    std::lock_guard<std::mutex> g(m_wakeLock);
    m_wake.notify_all();
}

void DelayCommand::AddTask(QVariant cmd, QVariant var)
{
    if (!m_running.load())
        return;
    m_tasks.PushData(new TaskInfo{std::move(cmd), std::move(var), m_clock.nowMs()});
}

int DelayCommand::Remaining(qint64 taskTime, qint64 now, qint64 delay)
{
    // 32-bit two's-complement sum, as the delay's low 32 bits are used.
    return int(quint32(quint32(taskTime) - quint32(now) + quint32(delay)));
}

int DelayCommand::RemainingFor(const TaskInfo* task)
{
    qint64 delay = 0;
    {
        std::lock_guard<std::mutex> g(m_providerLock);
        if (m_provider)
            delay = m_provider();
    }
    int remaining = Remaining(task->time, m_clock.nowMs(), delay);
    ++m_checks;
    return remaining;
}

void DelayCommand::PauseStep()
{
    std::unique_lock<std::mutex> g(m_wakeLock);
    if (m_running.load())
        m_wake.wait_for(g, std::chrono::milliseconds(kReleaseWithinMs));
}

void DelayCommand::DropQueued()
{
    while (m_tasks.Size() > 0)
        delete m_tasks.PopData(0);
}

void DelayCommand::run()
{
    while (m_running.load()) {
        TaskInfo* task = m_tasks.PopData(1000);
        if (!task)
            continue;
        while (m_running.load() && RemainingFor(task) > kReleaseWithinMs)
            PauseStep();
        if (m_running.load())
            emit sgDelayCommand(task->cmd, task->var);
        delete task;
    }
    DropQueued();
}
