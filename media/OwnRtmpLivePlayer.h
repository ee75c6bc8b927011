#pragma once
// The room's live-player interface over the own FFmpeg/SDL player: pictures
// go to the play record's render widget (when it is a VideoRenderWidget), a
// stream that fails to open or breaks off is counted, reported through
// sgRtmpPlayFailed and played again with a new player after a short pause.
// A stream the server ends (its publisher stopped) is finished: the picture
// goes, sgPlayEnded tells the owner and nothing is retried until the owner
// starts the player again.
#include "media/RtmpLivePlayer.h"

#include <QImage>
#include <QTimer>

#include <memory>
#include <mutex>

class IRtmpPlayer;

class OwnRtmpLivePlayer : public RtmpLivePlayer {
    Q_OBJECT
public:
    static constexpr int kRetryMs = 1000;

    OwnRtmpLivePlayer();
    ~OwnRtmpLivePlayer() override;

    bool StartTask() override;
    bool IsPlaying() override { return m_playing; }
    bool StopTask() override;

    // Failures replayed since the last start (GUI thread).
    int failTimes() const { return m_failTimes; }
    // How long a read may stall before the stream counts as broken
    // (microseconds; the player's default when not set). For tests.
    void setStallTimeout(qint64 us) { m_stallTimeoutUs = us; }
    // Pictures shown since the last start (GUI thread).
    int picturesShown() const { return m_pictures; }

signals:
    // The server ended the stream being played (GUI thread).
    void sgPlayEnded();

private:
    // What the player threads may reach: this object, until it goes away.
    struct Link {
        std::mutex lock;
        OwnRtmpLivePlayer* target = nullptr;  // guarded by lock
    };
    // The pictures a player's render thread converts into, in turn: one the
    // screen may still hold, one being filled; the GUI thread takes the
    // newest filled one when it gets to it. A picture is filled again only
    // once no copy of it is left elsewhere, so that playing allocates nothing
    // per picture and keeps no picture buffer besides these two.
    class PictureSlots;
    void startPlayer();
    void dropPlayer();
    void onOpened(int generation, bool ok, int code);
    void onReadError(int generation, int error);
    void onPicture(int generation, const QImage& picture);
    void failed(int generation, const QString& why);
    void ended(int generation);
    // Posts fn to the GUI thread while this object lives (any thread).
    static void post(const std::shared_ptr<Link>& link, std::function<void(OwnRtmpLivePlayer*)> fn);

    std::shared_ptr<Link> m_link;            // GUI thread (the Link itself: its lock)
    std::shared_ptr<IRtmpPlayer> m_player;   // GUI thread only
    bool m_playing = false;                  // GUI thread only
    int m_generation = 0;                    // GUI thread only: which player the reports belong to
    int m_failTimes = 0;                     // GUI thread only
    int m_pictures = 0;                      // GUI thread only
    QTimer m_retry;                          // GUI thread only
    qint64 m_stallTimeoutUs = 0;             // GUI thread only; 0: the player's default
};
