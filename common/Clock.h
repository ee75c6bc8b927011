#pragma once
// A clock that code with due times reads, so tests can inject time instead of
// sleeping.
#include <atomic>
#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale.
    virtual int64_t nowMs() const = 0;
    // The process-wide monotonic clock.
    static Clock& system();
};

// A clock that moves only when told to; any thread may read or advance it.
class ManualClock : public Clock {
public:
    explicit ManualClock(int64_t startMs = 0) : m_now(startMs) {}
    int64_t nowMs() const override { return m_now.load(); }
    void advance(int64_t ms) { m_now += ms; }
    void set(int64_t ms) { m_now = ms; }

private:
    std::atomic<int64_t> m_now;  // atomic
};
