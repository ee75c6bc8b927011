#pragma once
// The library's own thread: runs posted tasks in order of their due time
// (posting order among equal times). Every answer and command of the
// library is delivered from a task, so never from inside a caller's call.
#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace clientlib {

class Dispatcher {
public:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    Dispatcher();
    ~Dispatcher();
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;

    // Runs `task` on the library thread no earlier than delayMs from now.
    // Ignored after stop().
    void post(Task task, int delayMs = 0);
    // Drops the pending tasks, waits for a running one and joins the thread.
    // Must not be called from the library thread itself.
    void stop();
    std::thread::id threadId() const { return m_threadId; }
    bool onLibraryThread() const { return std::this_thread::get_id() == m_threadId; }

private:
    void run();

    std::mutex m_lock;                                          // guards m_tasks, m_seq, m_stopping
    std::condition_variable m_wake;                             // signalled under m_lock
    std::map<std::pair<Clock::time_point, quint64>, Task> m_tasks;  // guarded by m_lock
    quint64 m_seq = 0;                                          // guarded by m_lock
    bool m_stopping = false;                                    // guarded by m_lock
    std::thread m_thread;                                       // owner thread only (start/join)
    std::thread::id m_threadId;                                 // written before any task runs, then read-only
};

}  // namespace clientlib
