#pragma once
// The demuxed packets waiting for the decode thread, with the time of the
// newest one of each stream, so that the consumer knows how far behind the
// live edge it is. Time stamps that jump (a publisher restarting its clock,
// a splice) are taken out of that distance: a step of more than kJump
// seconds within one stream is counted as one frame's time, so a jump never
// looks like a backlog. One producer (the demux thread) and one consumer
// (the decode thread); every member is guarded by m_lock.
#include "libs/avplayer/AvHolders.h"

#include <condition_variable>
#include <deque>
#include <map>
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
    // the newest packet of its stream, jumps left out; 0 when a time is
    // unknown.
    PacketPtr pop(int waitMs, double* backlog = nullptr);

    // Frees every waiting packet and forgets the newest time.
    void clear();
    // Releases a consumer waiting in pop().
    void wake();
    size_t size() const;

    // A step in one stream's time stamps larger than this is a jump.
    static constexpr double kJump = 5.0;

private:
    struct Entry {
        PacketPtr packet;
        double steady = -1.0;  // its time with earlier jumps taken out; -1 unknown
    };
    struct StreamTimes {
        double last = -1.0;    // raw time of the stream's packet pushed last
        double shift = 0.0;    // added to raw times: the jumps so far, taken out
        double step = 0.0;     // the usual step between two packets
        double newest = -1.0;  // steady time of the packet pushed last
    };

    mutable std::mutex m_lock;
    std::condition_variable m_cond;
    std::deque<Entry> m_packets;               // guarded by m_lock
    std::map<int, StreamTimes> m_streams;      // guarded by m_lock: by stream index
    bool m_woken = false;                      // guarded by m_lock
};

}  // namespace avplayer
