// The push library's object is made and freed through its two static calls.
#include "libs/rtmppush/RTMPHoster.h"

#include <gtest/gtest.h>

namespace {
class SilentEvents : public RTMPHosterEvent {
public:
    void OnRtmpStreamOK() override {}
    void OnRtmpStreamReconnecting(int) override {}
    void OnRtmpStreamStatus(int, int) override {}
    void OnRtmpStreamFailed(int) override {}
    void OnRtmpStreamClosed() override {}
    void OnAudioData(uint8_t*, int, int, int, int, bool) override {}
    void OnRtmpLog(const char*, int) override {}
};
}  // namespace

TEST(RTMPHosterApi, CreateAndDestroyWithoutAPush)
{
    SilentEvents events;
    RTMPHoster* hoster = RTMPHoster::Create(events);
    ASSERT_NE(nullptr, hoster);
    hoster->StopRtmpStream();  // nothing running: harmless
    RTMPHoster::Destory(hoster);
    RTMPHoster::Destory(nullptr);
}
