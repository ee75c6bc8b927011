#include "media/OwnRtmpLivePlayer.h"

#include "media/IRtmpPlayer.h"
#include "app/Logger.h"
#include "media/RtmpPlayer.h"
#include "libs/avplayer/H264Decoder.h"
#include "media/VideoRenderWidget.h"

#include <QMetaObject>

extern "C" {
#include <libavutil/error.h>
}

class OwnRtmpLivePlayer::PictureSlots : public avplayer::PictureSink,
                                        public std::enable_shared_from_this<PictureSlots> {
public:
    PictureSlots(std::shared_ptr<Link> link, int generation) : m_link(std::move(link)), m_generation(generation) {}

    uint8_t* lend(int width, int height, int* stride) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_lent = nullptr;
        // The slot not filled last, unless the screen still holds it; then
        // the other one.
        for (int i = 0; i < 2 && !m_lent; ++i)
            pick(i, width, height);
        if (!m_lent && !m_pending.isNull()) {
            // The screen has not taken the picture filled last yet and will
            // only ever show the newest: this one takes its place.
            m_pending = QImage();
            for (int i = 0; i < 2 && !m_lent; ++i)
                pick(i, width, height);
        }
        if (!m_lent) {
            // Both held elsewhere, or the size changed: a new picture.
            m_lent = &m_slot[m_next];
            m_next = (m_next + 1) % 2;
            *m_lent = QImage();  // the old pixels go before the new ones come
            *m_lent = QImage(width, height, QImage::Format_ARGB32);
            if (m_lent->isNull()) {
                m_lent = nullptr;
                return nullptr;
            }
        }
        *stride = m_lent->bytesPerLine();
        return m_lent->bits();  // detached: no copy
    }

    void filled() override
    {
        bool notify = false;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (!m_lent)
                return;
            m_pending = *m_lent;
            m_lent = nullptr;
            notify = !m_notified;
            m_notified = true;
        }
        // One notice at a time: the screen takes whatever is newest when it
        // gets to it, so a busy GUI thread never piles up pictures.
        if (notify) {
            const int generation = m_generation;
            std::shared_ptr<PictureSlots> self = shared_from_this();
            post(m_link, [generation, self](OwnRtmpLivePlayer* owner) {
                const QImage picture = self->take();
                if (!picture.isNull())
                    owner->onPicture(generation, picture);
            });
        }
    }

    // The picture filled last, if the screen has not taken it yet (GUI thread).
    QImage take()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        QImage picture = m_pending;
        m_pending = QImage();
        m_notified = false;
        return picture;
    }

private:
    // Lends slot (m_next + i) when nobody else holds it. With m_lock.
    void pick(int i, int width, int height)
    {
        QImage& candidate = m_slot[(m_next + i) % 2];
        if (candidate.isDetached() && candidate.width() == width && candidate.height() == height) {
            m_lent = &candidate;
            m_next = (m_next + i + 1) % 2;
        }
    }

    const std::shared_ptr<Link> m_link;  // set by the constructor
    const int m_generation;              // set by the constructor
    QImage m_slot[2];                    // render thread only (their pixels: shared, atomically counted)
    int m_next = 0;                      // render thread only
    QImage* m_lent = nullptr;            // render thread only: the slot lend gave out
    std::mutex m_lock;                   // guards the two below
    QImage m_pending;                    // guarded by m_lock: filled, not yet taken by the GUI thread
    bool m_notified = false;             // guarded by m_lock: a notice to take m_pending is on its way
};

OwnRtmpLivePlayer::OwnRtmpLivePlayer() : m_link(std::make_shared<Link>())
{
    m_link->target = this;
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_playing)
            startPlayer();
    });
}

OwnRtmpLivePlayer::~OwnRtmpLivePlayer()
{
    {
        std::lock_guard<std::mutex> lock(m_link->lock);
        m_link->target = nullptr;
    }
    StopTask();
}

bool OwnRtmpLivePlayer::StartTask()
{
    if (m_playing)
        StopTask();
    m_playing = true;
    m_failTimes = 0;
    m_pictures = 0;
    if (auto* widget = qobject_cast<VideoRenderWidget*>(m_playParam.renderWidget))
        widget->setPlaying(true);
    startPlayer();
    return true;
}

bool OwnRtmpLivePlayer::StopTask()
{
    m_playing = false;
    m_retry.stop();
    dropPlayer();
    if (auto* widget = qobject_cast<VideoRenderWidget*>(m_playParam.renderWidget))
        widget->setPlaying(false);
    return true;
}

void OwnRtmpLivePlayer::post(const std::shared_ptr<Link>& link, std::function<void(OwnRtmpLivePlayer*)> fn)
{
    std::lock_guard<std::mutex> lock(link->lock);
    OwnRtmpLivePlayer* target = link->target;
    if (target)
        QMetaObject::invokeMethod(target, [target, fn] { fn(target); }, Qt::QueuedConnection);
}

void OwnRtmpLivePlayer::startPlayer()
{
    dropPlayer();
    const int generation = ++m_generation;
    std::shared_ptr<Link> link = m_link;
    m_player = createRtmpPlayer();
    if (m_stallTimeoutUs != 0)
        static_cast<avplayer::RtmpPlayer*>(m_player.get())->setInterruptTimeout(m_stallTimeoutUs);
    m_player->setFlag(m_playParam.flag);
    m_player->setRenderWindow(m_playParam.renderWidget);
    if (!m_playParam.flag)
        static_cast<avplayer::RtmpPlayer*>(m_player.get())->setPictureSink(
            std::make_shared<PictureSlots>(link, generation));
    m_player->setReadErrorCallback([link, generation](int error) {
        post(link, [generation, error](OwnRtmpLivePlayer* self) { self->onReadError(generation, error); });
    });
    m_player->play(m_playParam.playUrl.toStdString(), [link, generation](bool ok, int code) {
        post(link, [generation, ok, code](OwnRtmpLivePlayer* self) { self->onOpened(generation, ok, code); });
    });
}

void OwnRtmpLivePlayer::dropPlayer()
{
    ++m_generation;  // whatever the old player still reports is stale
    m_player.reset();  // destroyed on a pool thread
}

void OwnRtmpLivePlayer::onOpened(int generation, bool ok, int code)
{
    if (generation != m_generation || ok)
        return;
    failed(generation, QString("open failed %1").arg(code));
}

void OwnRtmpLivePlayer::onReadError(int generation, int error)
{
    if (generation != m_generation)
        return;
    // The end of the stream is the server's word that nobody publishes it
    // any more: playing it again would only wait for a stream that is gone.
    if (error == AVERROR_EOF)
        ended(generation);
    else
        failed(generation, QString("read failed %1").arg(error));
}

void OwnRtmpLivePlayer::ended(int generation)
{
    if (!m_playing || generation != m_generation)
        return;
    Logger::instance()->Log(LOG_INFO, "OwnRtmpLivePlayer::ended", "own player stream ended url %s",
                            m_playParam.playUrl.toUtf8().constData());
    m_playing = false;
    m_retry.stop();
    dropPlayer();
    // The last picture of a finished stream is not left standing.
    if (auto* widget = qobject_cast<VideoRenderWidget*>(m_playParam.renderWidget)) {
        widget->setPicture(QImage());
        widget->setPlaying(false);
    }
    emit sgPlayEnded();
}

void OwnRtmpLivePlayer::failed(int generation, const QString& why)
{
    if (!m_playing || generation != m_generation)
        return;
    ++m_failTimes;
    Logger::instance()->Log(LOG_WARN, "OwnRtmpLivePlayer::failed", "own player replay %d url %s (%s)", m_failTimes,
                            m_playParam.playUrl.toUtf8().constData(), why.toUtf8().constData());
    dropPlayer();
    emit sgRtmpPlayFailed(m_failTimes, QString());
    m_retry.start(kRetryMs);
}

void OwnRtmpLivePlayer::onPicture(int generation, const QImage& picture)
{
    if (generation != m_generation || !m_playing)
        return;
    ++m_pictures;
    if (auto* widget = qobject_cast<VideoRenderWidget*>(m_playParam.renderWidget))
        widget->setPicture(picture);
}
