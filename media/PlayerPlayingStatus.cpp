#include "media/PlayerPlayingStatus.h"

#include "app/CData.h"

#include <mutex>
#include <set>

namespace {

std::mutex g_lock;                 // guards g_playing and orders the status writes
std::set<const void*> g_playing;   // guarded by g_lock

}  // namespace

void PlayerPlayingStatus::SetPlaying(const void* player, bool playing)
{
    std::lock_guard<std::mutex> lk(g_lock);
    if (playing)
        g_playing.insert(player);
    else
        g_playing.erase(player);
    CData::instance()->SetStatus(kStatusLivePlayerPlaying, g_playing.empty() ? 0 : 1);
}

bool PlayerPlayingStatus::IsPlaying(const void* player)
{
    std::lock_guard<std::mutex> lk(g_lock);
    return g_playing.count(player) > 0;
}

int PlayerPlayingStatus::Count()
{
    std::lock_guard<std::mutex> lk(g_lock);
    return static_cast<int>(g_playing.size());
}
