#include "media/OwnRtmpLivePlayer.h"

#include "media/IRtmpPlayer.h"
#include "app/Logger.h"
#include "media/RtmpPlayer.h"
#include "media/VideoRenderWidget.h"

#include <QMetaObject>

#include <cstring>

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
    if (!m_playParam.flag) {
        auto pictures = std::make_shared<PictureSlots>();
        m_player->setVideoFrameCallback([link, generation, pictures](void* pixels, int width, int height) {
            QImage picture = pictures->fill(pixels, width, height);
            post(link, [generation, picture](OwnRtmpLivePlayer* self) { self->onPicture(generation, picture); });
        });
    }
    m_player->setReadErrorCallback([link, generation](int error) {
        post(link, [generation, error](OwnRtmpLivePlayer* self) { self->onReadError(generation, error); });
    });
    m_player->play(m_playParam.playUrl.toStdString(), [link, generation](bool ok, int code) {
        post(link, [generation, ok, code](OwnRtmpLivePlayer* self) { self->onOpened(generation, ok, code); });
    });
}

QImage OwnRtmpLivePlayer::PictureSlots::fill(const void* pixels, int width, int height)
{
    // The slot not filled last, unless the screen still holds it; then the
    // other one; a new picture only when both are held (or the size changed).
    QImage* target = nullptr;
    for (int i = 0; i < 2 && !target; ++i) {
        QImage& candidate = slot[(next + i) % 2];
        if (candidate.isDetached() && candidate.width() == width && candidate.height() == height) {
            target = &candidate;
            next = (next + i + 1) % 2;
        }
    }
    if (!target) {
        target = &slot[next];
        next = (next + 1) % 2;
        *target = QImage(width, height, QImage::Format_ARGB32);
    }
    const int rowBytes = width * 4;
    const auto* from = static_cast<const uchar*>(pixels);
    for (int y = 0; y < height; ++y)
        memcpy(target->scanLine(y), from + size_t(y) * size_t(rowBytes), size_t(rowBytes));
    return *target;
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
    failed(generation, QString("read failed %1").arg(error));
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
