#include "libs/avplayer/PacketQueue.h"

#include "libs/avplayer/AvLog.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/rational.h>
}

#include <chrono>

namespace avplayer {

double PacketQueue::seconds(const AVPacket* packet)
{
    const int64_t ts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    if (ts == AV_NOPTS_VALUE || packet->time_base.den <= 0)
        return -1.0;
    return double(ts) * av_q2d(packet->time_base);
}

void PacketQueue::push(PacketPtr packet)
{
    if (!packet)
        return;
    size_t n = 0;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        const double raw = seconds(packet.get());
        StreamTimes& t = m_streams[packet->stream_index];
        double steady = -1.0;
        if (raw >= 0) {
            if (t.last >= 0) {
                const double step = raw - t.last;
                if (step > kJump || step < -kJump) {
                    // A jump: the stream goes on one usual step after its
                    // last packet.
                    t.shift += t.last - raw + t.step;
                    log(AvLogInfo, "avplayer::PacketQueue::push", "stream %d time jumps by %.3f s",
                        packet->stream_index, step);
                } else if (step > 0) {
                    t.step = step;
                }
            }
            t.last = raw;
            steady = raw + t.shift;
            t.newest = steady;
        }
        m_packets.push_back(Entry{std::move(packet), steady});
        n = m_packets.size();
    }
    if (n > 500 && n % 100 == 0)
        log(AvLogInfo, "avplayer::PacketQueue::push", "packet queue holds %d packets", int(n));
    m_cond.notify_one();
}

PacketPtr PacketQueue::pop(int waitMs, double* backlog)
{
    std::unique_lock<std::mutex> hold(m_lock);
    if (m_packets.empty() && waitMs > 0)
        m_cond.wait_for(hold, std::chrono::milliseconds(waitMs), [this] { return !m_packets.empty() || m_woken; });
    m_woken = false;
    if (backlog)
        *backlog = 0.0;
    if (m_packets.empty())
        return nullptr;
    Entry entry = std::move(m_packets.front());
    m_packets.pop_front();
    if (backlog && entry.steady >= 0) {
        const StreamTimes& t = m_streams[entry.packet->stream_index];
        if (t.newest >= 0)
            *backlog = t.newest - entry.steady;
    }
    return std::move(entry.packet);
}

void PacketQueue::clear()
{
    std::deque<Entry> gone;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        gone.swap(m_packets);
        m_streams.clear();
    }
}

void PacketQueue::wake()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_woken = true;
    }
    m_cond.notify_all();
}

size_t PacketQueue::size() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_packets.size();
}

}  // namespace avplayer
