#pragma once
// The clock that ties the render threads of a player together. One sync type
// is the master (0 audio by default, 1 video when the stream has no audio):
// its first frame starts the clock and its time is the reference the other
// render threads follow.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace avplayer {

class SyncClock {
public:
    enum { Audio = 0, Video = 1 };

    SyncClock() = default;
    ~SyncClock();
    SyncClock(const SyncClock&) = delete;
    SyncClock& operator=(const SyncClock&) = delete;

    void setMasterClock(std::function<double()> clock);
    // The sync type of the master; set before the render threads see frames.
    void setMasterType(int type) { m_masterType.store(type); }
    int masterType() const { return m_masterType.load(); }
    // The master's time in seconds; 0.0 without a master clock.
    double masterClock() const;

    // Called by a render thread before each frame. The master starts the
    // clock; any other type waits until it has been started or the clock is
    // aborted. Returns whether the clock runs.
    bool start(int type);
    // Ends every wait in start() for good (the player is closing).
    void abort() { m_quit.store(true); }
    bool aborted() const { return m_quit.load(); }
    bool started() const { return m_started.load(); }

    // The first frame a follower shows. A master still behind it (its own
    // output holds more than the follower's) skips ahead to it once, so that
    // the follower need not wait at the start. Any thread.
    void setFollowerStart(double pts);
    // Whether the master should skip a frame of time pts lasting duration
    // seconds: it ends before the follower's start, which is less than
    // kMaxCatchUp ahead. The first frame that does not end before it ends
    // the catch-up for good. Master's render thread.
    bool skipToFollower(double pts, double duration);
    static constexpr double kMaxCatchUp = 1.0;
    int64_t startTime() const { return m_startTime.load(); }

private:
    std::atomic<int64_t> m_startTime{0};       // atomic: av_gettime() when the master started
    mutable std::mutex m_clockLock;            // guards m_masterClock
    std::function<double()> m_masterClock;     // guarded by m_clockLock
    std::atomic<int> m_masterType{Audio};      // atomic: set by the player before play
    std::atomic<bool> m_started{false};        // atomic: set once by the master
    std::atomic<bool> m_quit{false};           // atomic: set by abort() and the destructor
    std::atomic<bool> m_hasFollowerStart{false};  // atomic: set once by setFollowerStart
    std::atomic<double> m_followerStart{0.0};  // atomic: written before m_hasFollowerStart
    bool m_caughtUp = false;                   // the master's render thread only
};

}  // namespace avplayer
