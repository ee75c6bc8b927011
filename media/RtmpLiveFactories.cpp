// The room's live pusher and player. The room plays live streams with the
// widget player (QtAVRtmpPlayer); the own player (OwnRtmpLivePlayer) is a
// separate component that no room path starts.
#include "media/AnyCorePusher.h"
#include "media/QtAVRtmpPlayer.h"
#include "media/RtmpLivePusher.h"

#include <new>

RtmpLivePusher* CreateRtmpLivePusher() { return new (std::nothrow) AnyCorePusher(); }

RtmpLivePlayer* CreateRtmpLivePlayer() { return new (std::nothrow) QtAVRtmpPlayer(); }
