#pragma once
// The demuxed packets waiting for the decode thread, with the time of the
// newest one, so that the consumer knows how far behind the live edge it is.
// One producer (the demux thread) and one consumer (the decode thread);
// every member is guarded by m_lock.
#include "libs/avplayer/AvHolders.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace avplayer {

class PacketQueue {
public:
    // The packet's decoding time (its presentation time when it has none) in
    // seconds of its time base; -1 when unknown.
    static double seconds(const AVPacket* packet);

    // Takes the packet and wakes the consumer.
    void push(PacketPtr packet);

    // The oldest packet, waiting up to waitMs for one (null when none came or
    // when wake() was called). backlog (may be null): seconds between it and
    // the newest packet pushed, 0 when either time is unknown.
    PacketPtr pop(int waitMs, double* backlog = nullptr);

    // Frees every waiting packet and forgets the newest time.
    void clear();
    // Releases a consumer waiting in pop().
    void wake();
    size_t size() const;

private:
    mutable std::mutex m_lock;
    std::condition_variable m_cond;
    std::deque<PacketPtr> m_packets;  // guarded by m_lock
    double m_newest = -1.0;           // guarded by m_lock: time (s) of the packet pushed last, -1 unknown
    bool m_woken = false;             // guarded by m_lock
};

}  // namespace avplayer
