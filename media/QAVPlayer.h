#pragma once
// The widget player shared by the room's live player and the room media-file
// player, on our player core (AvPlayer). On top of playing it measures the
// real latency of a live stream from the time stamp the sender puts into its
// key frames, speeds playing up to 1.1 while too much is buffered, replays a
// stream that has failed (when asked to), shows the video only once data is
// buffered, and can hand the decoded sound to the room's mix.
//
// Everything runs on the GUI thread except onKeyFramePacketRead (the core's
// demux thread) and GetDelayTime, which any thread may call: it reads only
// atomic members and the core's atomic buffer figure.
#include "libs/avplayer/MediaPlayer.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>
#include <string>

class AvPlayer;
class MyAudioFilter;

class QAVPlayer : public QObject {
    Q_OBJECT
public:
    explicit QAVPlayer(QObject* parent = nullptr);
    ~QAVPlayer() override;

    bool Play(std::string url, QWidget* display);
    void Play();
    void Pause();
    void Stop();
    void SeekPos(float ratio);
    qint64 GetPosition();
    bool IsFailed();
    // The current play delay in ms; any thread.
    qint64 GetDelayTime() const;
    void SetCheckNoVideo(bool check) { m_checkNoVideo.store(check); }
    void SetAutoReplay(bool autoReplay) { m_autoReplay = autoReplay; }
    void SetAudioHandOver(bool, bool handOver) { m_handOverAudio = handOver; }

    // The core player and its picture widget (for callers and tests).
    AvPlayer* player() const { return m_player; }
    QWidget* rendererWidget() const;
    // Failures replayed since the last stop.
    int replays() const { return m_replays; }
    // The latency measured from the last key frame (0: none); any thread.
    qint64 measuredDelay() const { return m_measuredDelay.load(); }
    bool hasUrl() const { return m_hasUrl.load(); }
    std::string url() const { return m_url; }

    // The latency of one key frame's data read at serverTimeMs (0: unknown)
    // for url: the embedded sender time is looked for at offsets 18..39;
    // false when there is none. Public for tests.
    static bool MeasureDelay(const uint8_t* data, size_t size, qint64 serverTimeMs, const std::string& url,
                             bool appTeaLive, qint64* delayMs, qint64* stampMs);

signals:
    void sigPositionChanged(float ratio);
    void sigBufferCacheChanged(float progress);
    void sigMediaEndReached();
    void sigStartPlay();
    void sigPlayFailed(int replays, QString msg);

public slots:
    void updateSliderUnit();
    void onTimerUpdate(int index);
    // Core demux thread (direct): measures the latency of a key frame.
    void onKeyFramePacketRead(const avplayer::KeyFramePacket& packet);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onPositionChanged(qint64 ms);
    void onBufferProgressChanged(qreal progress);
    void onMediaStatusChanged(int status);
    void updateViewport(int index);
    void showRenderer(bool show);
    void setPlaying(bool playing);
    void setSpeed(qreal speed);
    // The session's server time offset, for the demux thread (GUI thread).
    void takeServerTime();

    AvPlayer* m_player;                        // child; GUI thread only
    QPointer<QWidget> m_display;               // GUI thread only; not owned
    bool m_showPending = false;                // GUI thread only
    float m_pendingSeek = 0;                   // GUI thread only
    int m_notifyInterval = 1000;               // GUI thread only
    bool m_handOverAudio = false;              // GUI thread only
    std::string m_url;                         // GUI thread; written only while no core player runs
    std::atomic<bool> m_hasUrl{false};         // atomic: a url is held
    std::atomic<bool> m_checkNoVideo{false};   // atomic
    int m_replays = 0;                         // GUI thread only
    bool m_autoReplay = false;                 // GUI thread only
    std::atomic<qint64> m_measuredDelay{0};    // atomic: written by the demux thread
    std::atomic<bool> m_rendererShown{false};  // atomic: written by the GUI thread
    double m_pixelRatio = 0;                   // GUI thread only
    std::shared_ptr<MyAudioFilter> m_audioFilter;  // GUI thread; the core's play thread holds a copy while playing
    std::atomic<bool> m_appTeaLive{false};     // atomic: taken at each play
    std::atomic<bool> m_svrTimeKnown{false};   // atomic: taken at each play and tick
    std::atomic<qint64> m_svrTimeOff{0};       // atomic: likewise (server time = now - offset)
    std::atomic<double> m_speed{1.0};          // atomic: the speed set last (the demux hook logs it)
};
