#pragma once
// The push library's one implementation of RTMPHoster.
#include "libs/rtmppush/RTMPHoster.h"

#include <mutex>
#include <string>

class RtmpPushSession : public RTMPHoster {
public:
    explicit RtmpPushSession(RTMPHosterEvent& events);
    ~RtmpPushSession() override;

    void SetVideoMode(int mode) override;
    void EnableVideo(bool enable) override;
    void SetVideoDevice(const char* name) override;
    void SetAudioDevice(const char* name) override;
    void SetVideoRender(RTMPVideoRender* render) override;
    void SetMicCapture(bool capture) override;
    void SetAudioFormat(int sampleRate, int channels, bool external) override;
    int StartRtmpStream(const char* url) override;
    void StopRtmpStream() override;
    void SetTimestamp(int offsetMs) override;

private:
    RTMPHosterEvent& m_events;
    std::mutex m_lock;
};
