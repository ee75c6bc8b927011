#pragma once
// A blocking first-in-first-out queue: producers push from any thread, one
// consumer pops with a time-out and sleeps on a wait condition while the
// queue is empty. T is a pointer-sized value (a task pointer or an int); its
// zero value T() means "nothing", both as the answer of a pop that found
// nothing and as an item a producer may push to wake the consumer.
//
// The queue does not own what its pointers point to: the owner drains it
// (PopData(0) until it answers nothing) before destroying it.
#include "app/Logger.h"

#include <cxxabi.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <type_traits>
#include <typeinfo>

namespace fifo_detail {

// "struct DelayCommand::TaskInfo" for a pointer to that struct, "int" for
// int: the element type as the log lines name it.
template <typename T>
std::string elementName()
{
    using Base = std::remove_cv_t<std::remove_pointer_t<T>>;
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(Base).name(), nullptr, nullptr, &status);
    std::string name = (status == 0 && demangled) ? demangled : typeid(Base).name();
    std::free(demangled);
    if (std::is_class<Base>::value)
        name = "struct " + name;
    return name;
}

}  // namespace fifo_detail

template <typename T>
class CDataWaitFiFo {
public:
    // name starts the queue's log texts; empty pops are logged at every
    // logEvery-th consecutive time-out (from the fifth on).
    explicit CDataWaitFiFo(const std::string& name = std::string(), int logEvery = 30)
        : m_name(name),
          m_logEvery(logEvery > 0 ? logEvery : 1)
    {
        const std::string prefix = "CDataWaitFiFo<" + fifo_detail::elementName<T>() + ">::";
        m_popFunc = prefix + "PopData";
        m_pushFunc = prefix + "PushData";
    }

    ~CDataWaitFiFo() = default;

    CDataWaitFiFo(const CDataWaitFiFo&) = delete;
    CDataWaitFiFo& operator=(const CDataWaitFiFo&) = delete;

    // Appends item and wakes every waiting consumer. Any thread.
    void PushData(T item)
    {
        size_t n;
        {
            std::lock_guard<std::mutex> g(m_lock);
            m_queue.push_back(item);
            n = m_queue.size();
        }
        if (n > 500 && n % 100 == 0)
            Logger::instance()->Log(LOG_INFO, m_pushFunc.c_str(), "%s push more num:%d", m_name.c_str(), int(n));
        m_cond.notify_all();
    }

    // The oldest element, or T() when none arrived within timeoutMs
    // milliseconds (0: do not wait). The consumer thread.
    T PopData(unsigned long timeoutMs)
    {
        std::unique_lock<std::mutex> g(m_lock);
        if (m_queue.empty()) {
            // The emptiness test and the wait happen under the lock, so a push
            // between them cannot be missed.
            if (timeoutMs > 0)
                m_cond.wait_for(g, std::chrono::milliseconds(timeoutMs), [this] { return !m_queue.empty(); });
            if (m_queue.empty()) {
                ++m_emptyPops;
                if (m_emptyPops >= 5 && m_emptyPops % m_logEvery == 0)
                    Logger::instance()->Log(LOG_INFO, m_popFunc.c_str(), "%s pop null times:%d", m_name.c_str(),
                                            m_emptyPops);
                return T();
            }
        }
        m_emptyPops = 0;
        T item = m_queue.front();
        m_queue.pop_front();
        return item;
    }

    // The element count; the owners use it to decide whether to drain.
    size_t Size() const
    {
        std::lock_guard<std::mutex> g(m_lock);
        return m_queue.size();
    }

    const std::string& Name() const { return m_name; }

private:
    std::deque<T> m_queue;        // guarded by m_lock
    mutable std::mutex m_lock;    // guards m_queue and m_emptyPops; not recursive
    std::condition_variable m_cond;  // notified after every push
    int m_emptyPops = 0;          // guarded by m_lock (consumer side)
    std::string m_name;           // set by the constructor only
    int m_logEvery;               // set by the constructor only
    std::string m_popFunc;        // log function texts, set by the constructor only
    std::string m_pushFunc;
};
