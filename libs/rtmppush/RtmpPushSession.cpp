#include "libs/rtmppush/RtmpPushSession.h"

RtmpPushSession::RtmpPushSession(RTMPHosterEvent& events) : m_events(events) {}
RtmpPushSession::~RtmpPushSession() = default;
void RtmpPushSession::SetVideoMode(int) {}
void RtmpPushSession::EnableVideo(bool) {}
void RtmpPushSession::SetVideoDevice(const char*) {}
void RtmpPushSession::SetAudioDevice(const char*) {}
void RtmpPushSession::SetVideoRender(RTMPVideoRender*) {}
void RtmpPushSession::SetMicCapture(bool) {}
void RtmpPushSession::SetAudioFormat(int, int, bool) {}
int RtmpPushSession::StartRtmpStream(const char*) { return RTMPHOSTER_ERR_ENCODER; }
void RtmpPushSession::StopRtmpStream() {}
void RtmpPushSession::SetTimestamp(int) {}
