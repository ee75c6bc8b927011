#include "libs/mediacore/EventQueue.h"

namespace mediacore {

EventQueue::EventQueue() : m_thread([this] { run(); }) {}

EventQueue::~EventQueue()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void EventQueue::post(std::function<void()> event)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_events.push_back(std::move(event));
    }
    m_wake.notify_one();
}

void EventQueue::flush()
{
    if (onQueueThread())
        return;
    std::unique_lock<std::mutex> lock(m_lock);
    m_idle.wait(lock, [this] { return m_events.empty() && !m_busy; });
}

void EventQueue::run()
{
    std::unique_lock<std::mutex> lock(m_lock);
    while (true) {
        m_wake.wait(lock, [this] { return m_stop || !m_events.empty(); });
        if (m_events.empty() && m_stop)
            break;
        std::function<void()> event = std::move(m_events.front());
        m_events.pop_front();
        m_busy = true;
        lock.unlock();
        event();
        lock.lock();
        m_busy = false;
        if (m_events.empty())
            m_idle.notify_all();
    }
    m_idle.notify_all();
}

}  // namespace mediacore
