#include "media/AvPlayer.h"

#include "media/VideoRenderWidget.h"

#include <QImage>
#include <QMetaObject>
#include <QPalette>

AvPlayer::AvPlayer(QObject* parent) : QObject(parent), m_renderer(new VideoRenderWidget)
{
    m_renderer->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Black around a picture of another shape than the display.
    QPalette black = m_renderer->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_renderer->setPalette(black);
    m_renderer->setAutoFillBackground(true);
}

AvPlayer::~AvPlayer()
{
    m_engine.reset();  // joins the core's threads before anything they reach goes
    delete m_renderer.data();
}

QWidget* AvPlayer::renderer() const { return m_renderer.data(); }

void AvPlayer::post(int generation, std::function<void()> fn)
{
    // The core's threads are joined before this object goes, so it lives here.
    QMetaObject::invokeMethod(
        this,
        [this, generation, fn] {
            if (generation == m_generation)
                fn();
        },
        Qt::QueuedConnection);
}

void AvPlayer::play(const QString& url)
{
    stop();
    const int generation = ++m_generation;
    avplayer::MediaPlayer::Callbacks cb;
    cb.onStatus = [this, generation](MediaStatus status) {
        post(generation, [this, status] { emit mediaStatusChanged(int(status)); });
    };
    cb.onStarted = [this, generation] { post(generation, [this] { emit started(); }); };
    cb.onError = [this, generation](const std::string& text) {
        const QString message = QString::fromStdString(text);
        post(generation, [this, message] { emit error(message); });
    };
    cb.onPosition = [this, generation](int64_t ms) {
        post(generation, [this, ms] { emit positionChanged(ms); });
    };
    cb.onBufferProgress = [this, generation](double progress) {
        post(generation, [this, progress] { emit bufferProgressChanged(progress); });
    };
    cb.onBuffered = [this](int64_t ms) { m_buffered.store(ms); };
    cb.onKeyFrame = m_keyFrameHook;
    cb.onAudioTap = m_audioTap;
    cb.onPicture = [this, generation](void* pixels, int width, int height) {
        const QImage picture = QImage(static_cast<const uchar*>(pixels), width, height, width * 4,
                                      QImage::Format_ARGB32)
                                   .copy();
        post(generation, [this, picture] {
            ++m_pictures;
            if (m_renderer)
                m_renderer->setPicture(picture);
        });
    };
    m_engine = std::make_unique<avplayer::MediaPlayer>(std::move(cb));
    m_engine->setBufferMs(m_bufferMs);
    m_engine->setNotifyIntervalMs(m_notifyMs);
    m_engine->setSpeed(m_speed);
    m_engine->setPaused(m_paused = false);
    if (m_readTimeoutUs != 0)
        m_engine->setReadTimeoutUs(m_readTimeoutUs);
    m_pictures = 0;
    if (m_renderer)
        m_renderer->setPicture(QImage());
    m_engine->play(url.toStdString());
}

void AvPlayer::stop()
{
    if (!m_engine)
        return;
    ++m_generation;  // whatever the old play still posted is stale
    m_engine.reset();
    m_buffered.store(0);
    m_paused = false;
    m_speed = 1.0;
    if (m_renderer)
        m_renderer->setPicture(QImage());
    emit stopped();
}

void AvPlayer::pause(bool paused)
{
    m_paused = paused;
    if (m_engine)
        m_engine->setPaused(paused);
}

void AvPlayer::seek(qreal ratio)
{
    const qint64 total = duration();
    if (m_engine && total > 0)
        m_engine->seek(qint64(double(total) * qBound(0.0, double(ratio), 1.0)));
}

qint64 AvPlayer::position() const { return m_engine ? m_engine->positionMs() : 0; }

qint64 AvPlayer::duration() const { return m_engine ? m_engine->durationMs() : 0; }

AvPlayer::MediaStatus AvPlayer::mediaStatus() const
{
    return m_engine ? m_engine->status() : MediaStatus::NoMedia;
}

int AvPlayer::currentVideoStream() const { return m_engine ? m_engine->videoStream() : -1; }

int AvPlayer::currentAudioStream() const { return m_engine ? m_engine->audioStream() : -1; }

void AvPlayer::setBufferValue(qint64 ms)
{
    m_bufferMs = ms;
    if (m_engine)
        m_engine->setBufferMs(ms);
}

void AvPlayer::setSpeed(qreal speed)
{
    m_speed = speed;
    if (m_engine)
        m_engine->setSpeed(speed);
}

void AvPlayer::setNotifyInterval(int ms)
{
    if (ms == m_notifyMs)
        return;
    m_notifyMs = ms;
    if (m_engine)
        m_engine->setNotifyIntervalMs(ms);
    emit notifyIntervalChanged();
}
