#pragma once
// The push library's one RTMPHoster: a camera (or generated picture) and a
// microphone (or generated silence) captured on threads of their own, encoded
// there (x264, AAC) and handed to a reconnecting RTMP link; the events are
// reported in order from the session's event thread.
#include "libs/rtmppush/RTMPHoster.h"

#include "libs/mediacore/AudioEncoder.h"
#include "libs/mediacore/CaptureSource.h"
#include "libs/mediacore/EventQueue.h"
#include "libs/mediacore/PublishLink.h"
#include "libs/mediacore/VideoEncoder.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

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

    // Picture size, rate and bit rate of a capture mode (0..3).
    static mediacore::VideoSettings videoSettingsOf(int mode);

private:
    void log(const std::string& line);
    void stopLocked();
    bool startVideo(std::string* error);
    bool startAudio(std::string* error);
    void onVideoFrame(const AVFrame* frame, int64_t captureMs);
    void onAudioBlock(int16_t* samples, int frames, int channels, int sampleRate, int64_t captureMs);
    void sendPreview(const AVFrame* frame);

    RTMPHosterEvent& m_events;
    mediacore::EventQueue m_queue;  // runs every callback but OnAudioData

    std::mutex m_lock;               // guards the settings and start/stop
    int m_videoMode = 1;             // guarded by m_lock
    bool m_videoEnabled = true;      // guarded by m_lock
    std::string m_videoDevice;       // guarded by m_lock
    std::string m_audioDevice;       // guarded by m_lock
    bool m_micCapture = true;        // guarded by m_lock
    int m_sampleRate = 48000;        // guarded by m_lock
    int m_channels = 1;              // guarded by m_lock
    bool m_running = false;          // guarded by m_lock
    std::atomic<int> m_offsetMs{0};

    std::mutex m_renderLock;
    RTMPVideoRender* m_render = nullptr;  // guarded by m_renderLock (held while a frame is handed over)

    // Made by StartRtmpStream before the threads start, freed after they end.
    int64_t m_originMs = 0;
    std::unique_ptr<mediacore::VideoEncoder> m_videoEncoder;  // video capture thread while running
    std::unique_ptr<mediacore::AudioEncoder> m_audioEncoder;  // audio capture thread while running
    std::unique_ptr<mediacore::PublishLink> m_link;           // thread-safe push
    std::unique_ptr<mediacore::CaptureSource> m_videoCapture;
    std::unique_ptr<mediacore::CaptureSource> m_audioCapture;
    bool m_fromMic = false;                 // audio capture thread while running
    mediacore::FramePtr m_heldPicture;      // video capture thread only
    mediacore::SwsPtr m_previewSws;         // video capture thread only
    int m_previewW = 0, m_previewH = 0, m_previewFmt = -1;  // video capture thread only
    std::vector<uint8_t> m_previewPixels;   // video capture thread only
};
