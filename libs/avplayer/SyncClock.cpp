#include "libs/avplayer/SyncClock.h"

#include "libs/avplayer/AvLog.h"

extern "C" {
#include <libavutil/time.h>
}

namespace avplayer {

SyncClock::~SyncClock()
{
    m_started.store(false);
    m_quit.store(true);
    std::lock_guard<std::mutex> lock(m_clockLock);
    m_masterClock = nullptr;
}

void SyncClock::setMasterClock(std::function<double()> clock)
{
    std::lock_guard<std::mutex> lock(m_clockLock);
    m_masterClock = std::move(clock);
}

double SyncClock::masterClock() const
{
    std::lock_guard<std::mutex> lock(m_clockLock);
    return m_masterClock ? m_masterClock() : 0.0;
}

bool SyncClock::start(int type)
{
    if (type == m_masterType.load() && !m_started.load()) {
        m_startTime.store(av_gettime());
        m_started.store(true);
        avplayer::log(avplayer::AvLogInfo, "avplayer::SyncClock::start", "master clock begin:%lld",
                      static_cast<long long>(m_startTime.load()));
    }
    while (!m_started.load() && !m_quit.load())
        av_usleep(100);
    return m_started.load() && !m_quit.load();
}

void SyncClock::setFollowerStart(double pts)
{
    if (m_hasFollowerStart.load())
        return;
    m_followerStart.store(pts);
    m_hasFollowerStart.store(true);
}

bool SyncClock::skipToFollower(double pts, double duration)
{
    if (m_caughtUp || !m_hasFollowerStart.load())
        return false;
    const double start = m_followerStart.load();
    if (pts + duration <= start && start - pts < kMaxCatchUp)
        return true;
    m_caughtUp = true;
    if (pts < start)
        avplayer::log(avplayer::AvLogInfo, "avplayer::SyncClock::skipToFollower", "master caught up at %f", pts);
    return false;
}

}  // namespace avplayer
