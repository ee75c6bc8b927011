#include "libs/clientlib/src/Dispatcher.h"

#include <QtGlobal>

namespace clientlib {

Dispatcher::Dispatcher()
{
    std::unique_lock<std::mutex> lk(m_lock);
    m_thread = std::thread([this] { run(); });
    m_threadId = m_thread.get_id();
}

Dispatcher::~Dispatcher() { stop(); }

void Dispatcher::post(Task task, int delayMs)
{
    const auto due = Clock::now() + std::chrono::milliseconds(qMax(0, delayMs));
    std::lock_guard<std::mutex> lk(m_lock);
    if (m_stopping) return;
    m_tasks.emplace(std::make_pair(due, m_seq++), std::move(task));
    m_wake.notify_one();
}

void Dispatcher::stop()
{
    {
        std::lock_guard<std::mutex> lk(m_lock);
        m_stopping = true;
        m_tasks.clear();
        m_wake.notify_one();
    }
    if (m_thread.joinable()) m_thread.join();
}

void Dispatcher::run()
{
    std::unique_lock<std::mutex> lk(m_lock);
    for (;;) {
        if (m_stopping) return;
        if (m_tasks.empty()) {
            m_wake.wait(lk);
            continue;
        }
        auto first = m_tasks.begin();
        // A copy: stop() may clear the map (and this key) during the wait.
        const Clock::time_point due = first->first.first;
        if (due > Clock::now()) {
            m_wake.wait_until(lk, due);
            continue;
        }
        Task task = std::move(first->second);
        m_tasks.erase(first);
        lk.unlock();
        task();
        lk.lock();
    }
}

}  // namespace clientlib
