#pragma once
// One thread that runs posted callbacks in order, so a library reports from
// its own thread and never from inside a call of its user.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace mediacore {

class EventQueue {
public:
    EventQueue();
    ~EventQueue();  // runs what is still queued, then ends the thread
    EventQueue(const EventQueue&) = delete;
    EventQueue& operator=(const EventQueue&) = delete;

    void post(std::function<void()> event);
    // Waits until everything posted so far has run (returns at once when
    // called on the queue's own thread).
    void flush();
    bool onQueueThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    void run();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_events;  // guarded by m_lock
    bool m_busy = false;                         // guarded by m_lock
    bool m_stop = false;                         // guarded by m_lock
    std::thread m_thread;
};

}  // namespace mediacore
