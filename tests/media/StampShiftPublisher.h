#pragma once
// Publishes a generated stream whose time stamps jump, forward or backward,
// which the ffmpeg CLI cannot send (its muxer makes them increase): the CLI
// writes FLV into a pipe, and a relay thread here rewrites each tag's time
// stamp and sends the tags on through FFmpeg's RTMP output as they come.
#include "tests/media/StreamPublisher.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct AVIOContext;

namespace mediatest {

struct StampStep {
    int64_t atMs;     // from this original time stamp on...
    int64_t shiftMs;  // ...this is added (replacing the earlier step's shift)
};

// The shifted time stamp of a tag whose original stamp is ms (steps in
// increasing atMs); never below 0.
int64_t shiftedStamp(int64_t ms, const std::vector<StampStep>& steps);

class StampShiftPublisher {
public:
    StampShiftPublisher() = default;
    ~StampShiftPublisher() { stop(); }
    StampShiftPublisher(const StampShiftPublisher&) = delete;
    StampShiftPublisher& operator=(const StampShiftPublisher&) = delete;

    bool start(const std::string& url, const PublishOptions& options, std::vector<StampStep> steps);
    void stop();
    // Tags sent so far, and the original stamp of the newest (any thread).
    int64_t tagsSent() const { return m_tags.load(); }
    int64_t lastOriginalMs() const { return m_lastMs.load(); }

private:
    void relay();

    std::string m_url;                  // set by start before the relay runs
    std::vector<StampStep> m_steps;     // likewise
    int m_pid = 0;                      // owner's thread
    int m_pipe = -1;                    // read end; the relay thread while it runs
    std::thread m_thread;               // owner's thread
    std::atomic<bool> m_stop{false};    // atomic
    std::atomic<int64_t> m_tags{0};     // atomic
    std::atomic<int64_t> m_lastMs{-1};  // atomic
};

}  // namespace mediatest
