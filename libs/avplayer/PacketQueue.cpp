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
        m_newest = seconds(packet.get());
        m_packets.push_back(std::move(packet));
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
    PacketPtr packet = std::move(m_packets.front());
    m_packets.pop_front();
    const double at = seconds(packet.get());
    if (backlog && at >= 0 && m_newest >= 0)
        *backlog = m_newest - at;
    return packet;
}

void PacketQueue::clear()
{
    std::deque<PacketPtr> gone;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        gone.swap(m_packets);
        m_newest = -1.0;
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
