#pragma once
// Reads a published stream or a recorded file the way a player does, for the
// media library tests: its streams, key frames and the stamps they carry.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mediatest {

struct ProbedStream {
    std::string codec;  // "h264", "aac"
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int channels = 0;
    double frameRate = 0;
};

struct ProbeResult {
    std::string error;  // empty when the input was opened
    std::vector<ProbedStream> streams;
    std::vector<int64_t> keyFrameMs;  // video key frames' time stamps
    std::vector<int64_t> stamps;      // per key frame: the sender's time, -1 when none
    int64_t lastMs = -1;              // the latest packet time stamp seen
    int videoPackets = 0;
    int audioPackets = 0;
    const ProbedStream* find(const std::string& codec) const;
};

// Reads url (or a file) for readMs (files: to their end).
ProbeResult probe(const std::string& url, int readMs);

// Runs a command and returns its standard output (empty on failure).
std::string runCapture(const std::vector<std::string>& args);
// The duration the ffprobe CLI reports for a file, -1 when it cannot.
double ffprobeDuration(const std::string& path);

// Waits (sleeping in small steps) until pred holds; false after maxMs.
bool waitFor(const std::function<bool()>& pred, int maxMs = 15000);

// A thread-safe list of event names, as callbacks report them.
class EventLog {
public:
    void add(const std::string& e)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_events.push_back(e);
    }
    int count(const std::string& e) const
    {
        std::lock_guard<std::mutex> lock(m_lock);
        int n = 0;
        for (const auto& x : m_events)
            n += x == e;
        return n;
    }
    std::vector<std::string> all() const
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_events;
    }
    std::string text() const;

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_events;  // guarded by m_lock
};

}  // namespace mediatest
