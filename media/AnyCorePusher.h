#pragma once
// The room's live pusher on the RTMP push library: pushes the teacher's
// camera and microphone, keeps a local preview inside the room display
// widget, uploads a preview snapshot about once a minute, mixes a remote
// participant's audio into the pushed audio while the voice interaction is
// open, keeps the library's clock in step with the server time and turns the
// library's failure reports into sgLivePushState.
//
// Threads: StartTask, StopTask, onTimerUpdate and eventFilter run on the GUI
// thread; the library's callbacks and OnVideoFrame on the library's threads;
// OnExtAudioDataMixer on the client library's thread.
#include "media/RtmpLivePusher.h"
#include "libs/rtmppush/RTMPHoster.h"

#include <QString>

#include <atomic>
#include <mutex>

class CAudioMixer;
class Clock;
class RenderWdg;

class AnyCorePusher : public RtmpLivePusher, public RTMPHosterEvent {
    Q_OBJECT
public:
    // The message shown when pushing fails.
    static const char kPushFailedText[];
    static constexpr int kReconnectsPerReport = 3;
    static constexpr int kDelayLogMs = 2000;
    static constexpr int kDelayFailMs = 15000;
    static constexpr qint64 kSnapshotEveryMs = 60100;
    static constexpr qint64 kFirstSnapshotAfterMs = 10100;

    // clock: the time scale of the preview snapshots and of the mixer
    // (injected by tests).
    explicit AnyCorePusher(Clock* clock = nullptr);
    ~AnyCorePusher() override;

    bool StartTask() override;
    bool IsPushing() override;
    bool StopTask() override;
    void OnExtAudioDataMixer(QString userId, const uchar* data, int bitsPerSample, int sampleRate, int channels,
                             int frames) override;

    // A preview frame of the library (its capture thread).
    void OnVideoFrame(const RTMPFrameRecord* record, const uint8_t* pixels);

    RenderWdg* preview() const { return m_preview; }
    CAudioMixer* mixer() const { return m_mixer; }
    int micUseDShow() const { return m_micUseDShow; }

public slots:
    void onTimerUpdate(int index) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // RTMPHosterEvent (the library's threads).
    void OnRtmpStreamOK() override;
    void OnRtmpStreamReconnecting(int code) override;
    void OnRtmpStreamStatus(int delayMs, int queued) override;
    void OnRtmpStreamFailed(int code) override;
    void OnRtmpStreamClosed() override;
    void OnAudioData(uint8_t* data, int frames, int bytesPerFrame, int channels, int sampleRate,
                     bool fromSystemMic) override;
    void OnRtmpLog(const char* text, int length) override;

private:
    static void renderCallback(void* context, const RTMPFrameRecord* record, const uint8_t* pixels);
    void reportFailed();
    void setPreviewSize(int width, int height);

    Clock& m_clock;                          // set by the constructor only
    RenderWdg* m_preview = nullptr;          // GUI thread; owned, deleted later by the destructor
    CAudioMixer* m_mixer = nullptr;          // owned; its own lock
    RTMPVideoRender m_render;                // filled by the constructor; holdPicture atomic
    int m_micUseDShow = 0;                   // GUI thread only
    bool m_started = false;                  // guarded by m_hosterLock
    RTMPHoster* m_hoster = nullptr;          // guarded by m_hosterLock (used on the GUI thread)
    std::mutex m_hosterLock;                 // lets the client library's thread reach the hoster safely
    std::atomic<int> m_reconnects{0};        // library thread; reset by StartTask before the push
    std::atomic<int> m_lastDelay{0};         // library thread
    std::atomic<qint64> m_lastSnapshot{0};   // library capture thread; reset by StartTask
    std::atomic<bool> m_winMic{true};        // written on the GUI thread, read on the audio thread
    std::atomic<bool> m_audioLogged{false};  // audio thread; reset by StopTask
    std::atomic<bool> m_mixOpen{false};      // guarded by m_hosterLock when it changes the library
    std::atomic<quint64> m_previewSize{0};   // preview width << 32 | height, for the capture thread
    QString m_localUserId;                   // written by StartTask before the library runs
};
