#pragma once
// The widget players' handle on the player core (libs/avplayer MediaPlayer):
// play, pause, stop, seek, position and duration, buffering by time, speed,
// media status and errors as Qt signals on the GUI thread, a picture output
// widget, a tap for the decoded sound and a hook for every video key-frame
// packet read. Each play makes a new core player; a stop joins its threads.
#include "libs/avplayer/MediaPlayer.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class VideoRenderWidget;
class QWidget;

class AvPlayer : public QObject {
    Q_OBJECT
public:
    using MediaStatus = avplayer::MediaStatus;
    using KeyFrameHook = std::function<void(const avplayer::KeyFramePacket&)>;
    using AudioTap = std::function<void(const int16_t* samples, int count)>;

    explicit AvPlayer(QObject* parent = nullptr);
    ~AvPlayer() override;

    // The widget the pictures are drawn into (made here; the owner places it).
    QWidget* renderer() const;

    void play(const QString& url);
    void stop();
    void pause(bool paused);
    bool isPlaying() const { return m_engine != nullptr; }
    bool isPaused() const { return m_paused; }
    // ratio of the duration (0 start, 1 end); nothing without a duration.
    void seek(qreal ratio);
    qint64 position() const;
    qint64 duration() const;
    MediaStatus mediaStatus() const;
    // Index of the video stream played, -1 without one; likewise for sound.
    int currentVideoStream() const;
    int currentAudioStream() const;

    // Buffering by time: ms to buffer before playing (also for the next play).
    void setBufferValue(qint64 ms);
    qint64 bufferValue() const { return m_bufferMs; }
    // Media time read and not played yet; any thread.
    qint64 buffered() const { return m_buffered.load(); }
    void setSpeed(qreal speed);
    qreal speed() const { return m_speed; }
    void setNotifyInterval(int ms);
    int notifyInterval() const { return m_notifyMs; }

    // Set before play: the hook runs on the demux thread, the tap on the play
    // thread of the core player.
    void setKeyFrameHook(KeyFrameHook hook) { m_keyFrameHook = std::move(hook); }
    void setAudioTap(AudioTap tap) { m_audioTap = std::move(tap); }
    // For tests: how long a read may stall (us; 0 the core's default).
    void setReadTimeoutUs(qint64 us) { m_readTimeoutUs = us; }
    qint64 picturesShown() const { return m_pictures; }

signals:
    void positionChanged(qint64 ms);
    void bufferProgressChanged(qreal progress);
    void mediaStatusChanged(int status);  // an avplayer::MediaStatus
    void error(QString text);
    void started();
    void stopped();
    void notifyIntervalChanged();

private:
    // Runs fn on the GUI thread while the play of generation is current.
    void post(int generation, std::function<void()> fn);

    std::unique_ptr<avplayer::MediaPlayer> m_engine;  // GUI thread only
    QPointer<VideoRenderWidget> m_renderer;           // GUI thread only; may be reparented by the owner
    int m_generation = 0;                             // GUI thread only: which play the reports belong to
    bool m_paused = false;                            // GUI thread only
    qint64 m_bufferMs = 1500;                         // GUI thread only
    qreal m_speed = 1.0;                              // GUI thread only
    int m_notifyMs = 1000;                            // GUI thread only
    qint64 m_readTimeoutUs = 0;                       // GUI thread only
    qint64 m_pictures = 0;                            // GUI thread only
    KeyFrameHook m_keyFrameHook;                      // GUI thread (copied into each core player)
    AudioTap m_audioTap;                              // GUI thread (copied into each core player)
    std::atomic<qint64> m_buffered{0};                // atomic: written by the core's play thread
};
