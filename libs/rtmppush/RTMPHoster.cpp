#include "libs/rtmppush/RTMPHoster.h"

#include "libs/rtmppush/RtmpPushSession.h"

#include <new>

RTMPHoster* RTMPHoster::Create(RTMPHosterEvent& events)
{
    return new (std::nothrow) RtmpPushSession(events);
}

void RTMPHoster::Destory(RTMPHoster* hoster)
{
    if (!hoster)
        return;
    hoster->StopRtmpStream();
    delete hoster;
}
