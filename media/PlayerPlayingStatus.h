#pragma once
// The session's "a live player is playing" status (kStatusLivePlayerPlaying),
// shared by every player of the room: it is set while at least one player
// plays, so one player's stop never clears another's. Players call
// SetPlaying with their own address as the key. Any thread.
class PlayerPlayingStatus {
public:
    static void SetPlaying(const void* player, bool playing);
    static bool IsPlaying(const void* player);
    // How many players play now.
    static int Count();
};
