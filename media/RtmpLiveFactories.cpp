// The room's live pusher and player.
#include "media/AnyCorePusher.h"
#include "media/OwnRtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"

#include <new>

RtmpLivePusher* CreateRtmpLivePusher() { return new (std::nothrow) AnyCorePusher(); }

RtmpLivePlayer* CreateRtmpLivePlayer() { return new (std::nothrow) OwnRtmpLivePlayer(); }
