#include "media/DelayTask.h"

#include <QDateTime>

namespace {

DelayTask::Clock withDefaults(DelayTask::Clock clock)
{
    if (!clock.nowMs)
        clock.nowMs = [] { return QDateTime::currentMSecsSinceEpoch(); };
    if (!clock.sleepMs)
        clock.sleepMs = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    return clock;
}

}  // namespace

DelayTask::DelayTask(std::function<qint64()> delaySourceMs, Clock clock)
    : m_fifo(std::string(), 10000000),
      m_delaySource(delaySourceMs ? std::move(delaySourceMs) : [] { return qint64(0); }),
      m_clock(withDefaults(std::move(clock)))
{
}

DelayTask::~DelayTask()
{
    Stop();
    wait();
    Drain();
}

void DelayTask::Start()
{
    if (m_running.load())
        return;
    // A worker still finishing its last turn after Stop ends within about a
    // second; two workers never share the queue.
    wait();
    m_running = true;
    Drain();
    start();
}

void DelayTask::AddTask(const QVariant& command)
{
    if (!m_running.load())
        return;
    m_fifo.PushData(new TaskInfo{command, m_clock.nowMs()});
}

void DelayTask::Stop()
{
    m_running = false;
    m_fifo.PushData(nullptr);  // wakes a worker waiting on an empty queue
}

void DelayTask::Drain()
{
    while (m_fifo.Size() > 0)
        delete m_fifo.PopData(0);
}

void DelayTask::run()
{
    while (m_running.load()) {
        TaskInfo* item = m_fifo.PopData(1000);
        if (!item)
            continue;
        const bool atOnce = item->data.toMap().value("cmd").toString() == "pause";
        qint64 remaining = item->pushTime + (atOnce ? 0 : m_delaySource()) - m_clock.nowMs();
        while (remaining > 100 && m_running.load()) {
            m_clock.sleepMs(100);
            remaining = item->pushTime + m_delaySource() - m_clock.nowMs();
        }
        if (m_running.load())
            emit sgDelayTask(item->data);
        delete item;
    }
    Drain();
}
