#include "media/QAVPlayer.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "libs/avplayer/AvLog.h"
#include "libs/mediacore/SeiStamp.h"
#include "media/AvPlayer.h"
#include "media/MyAudioFilter.h"
#include "media/PlayerPlayingStatus.h"

#include <QDateTime>
#include <QEvent>
#include <QWindow>

#include <cmath>

namespace {

constexpr qint64 kBufferMs = 1500;
constexpr qint64 kFileBufferMs = 3000;
constexpr int kFileNotifyMs = 10;
constexpr qint64 kMaxDelayMs = 30000;
constexpr qint64 kLoggedDelayMs = 10000;
constexpr size_t kMinKeyFrameBytes = 100;
constexpr qint64 kCatchUpBufferMs = 5000;
constexpr qint64 kNormalBufferMs = 1500;
constexpr qreal kCatchUpSpeed = 1.1;
constexpr int kReplayEveryTicks = 5;
constexpr int kViewportEveryTicks = 10;

// The player core's log lines go to the program's log.
void coreLog(int level, const char* func, const char* text) { Logger::instance()->Log(level, func, "%s", text); }

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

QAVPlayer::QAVPlayer(QObject* parent) : QObject(parent), m_player(new AvPlayer(this))
{
    avplayer::setLogHandler(&coreLog);
    if (!m_player->renderer())
        Logger::instance()->Log(LOG_WARN, "QAVPlayer::QAVPlayer", "Can not create video renderer");
    connect(m_player, &AvPlayer::notifyIntervalChanged, this, &QAVPlayer::updateSliderUnit);
    connect(m_player, &AvPlayer::positionChanged, this, &QAVPlayer::onPositionChanged);
    connect(m_player, &AvPlayer::bufferProgressChanged, this, &QAVPlayer::onBufferProgressChanged);
    connect(m_player, &AvPlayer::stopped, this,
            [] { Logger::instance()->Log(LOG_INFO, "QAVPlayer::onStopped", "qtav stop"); });
    connect(m_player, &AvPlayer::mediaStatusChanged, this, &QAVPlayer::onMediaStatusChanged);
    connect(m_player, &AvPlayer::error, this, [this](const QString& text) {
        Logger::instance()->Log(LOG_WARN, "QAVPlayer::onError", "qtav error %s url %s", text.toUtf8().constData(),
                                m_url.c_str());
    });
    connect(m_player, &AvPlayer::started, this, &QAVPlayer::sigStartPlay);
    // m_url is written only while no core player runs, before the next one
    // starts: the hook, on that player's demux thread, may read it.
    m_player->setKeyFrameHook([this](const avplayer::KeyFramePacket& packet) { onKeyFramePacketRead(packet); });
    m_player->setBufferValue(kBufferMs);
    connect(CData::instance(), &CData::sgTimerUpdate, this, &QAVPlayer::onTimerUpdate, Qt::UniqueConnection);
}

QAVPlayer::~QAVPlayer()
{
    m_player->stop();  // the core's threads end before the members they reach
    setPlaying(false);
}

QWidget* QAVPlayer::rendererWidget() const { return m_player->renderer(); }

void QAVPlayer::setPlaying(bool playing) { PlayerPlayingStatus::SetPlaying(this, playing); }

void QAVPlayer::showRenderer(bool show)
{
    if (QWidget* renderer = m_player->renderer())
        renderer->setVisible(show);
    m_rendererShown.store(show);
}

bool QAVPlayer::Play(std::string url, QWidget* display)
{
    if (!display) {
        Logger::instance()->Log(LOG_WARN, "QAVPlayer::Play", "display wdg is null");
        return false;
    }
    Stop();
    m_display = display;
    if (QWidget* renderer = m_player->renderer()) {
        renderer->setParent(display);
        renderer->setGeometry(display->rect());
    }
    showRenderer(false);
    m_showPending = true;
    display->installEventFilter(this);
    if (m_handOverAudio) {
        auto filter = std::make_shared<MyAudioFilter>(48000, MyAudioFilter::kSampleFormatS16, 1);
        filter->setEnabled(true);
        m_audioFilter = filter;
        m_player->setAudioTap([filter](const int16_t* samples, int count) { filter->process(samples, count); });
    } else {
        m_player->setAudioTap(nullptr);
    }
    m_url = url;
    m_hasUrl.store(true);
    m_appTeaLive.store(CData::instance()->IsAppTeaLive());
    takeServerTime();
    if (startsWith(url, "http")) {
        m_player->setNotifyInterval(kFileNotifyMs);
        m_player->setBufferValue(kFileBufferMs);
    }
    m_measuredDelay.store(0);
    m_player->play(QString::fromStdString(url));
    Logger::instance()->Log(LOG_INFO, "QAVPlayer::Play", "qtav do play url %s", url.c_str());
    setPlaying(true);
    return true;
}

void QAVPlayer::Play()
{
    Logger::instance()->Log(LOG_INFO, "QAVPlayer::Play", "qtav do play");
    m_pendingSeek = 0;
    m_player->pause(false);
    setPlaying(true);
}

void QAVPlayer::Pause()
{
    Logger::instance()->Log(LOG_INFO, "QAVPlayer::Pause", "qtav do pause");
    m_pendingSeek = 0;
    m_player->pause(true);
    setPlaying(false);
}

void QAVPlayer::Stop()
{
    Logger::instance()->Log(LOG_INFO, "QAVPlayer::Stop", "qtav do stop");
    m_replays = 0;
    m_pendingSeek = 0;
    if (m_display)
        m_display->removeEventFilter(this);
    m_display = nullptr;
    m_player->stop();
    m_url.clear();
    m_hasUrl.store(false);
    m_showPending = false;
    showRenderer(false);
    if (QWidget* renderer = m_player->renderer())
        renderer->setParent(nullptr);
    m_player->setAudioTap(nullptr);
    m_audioFilter.reset();
    setPlaying(false);
}

void QAVPlayer::SeekPos(float ratio)
{
    Logger::instance()->Log(LOG_INFO, "QAVPlayer::SeekPos", "qtav do seek %f", double(ratio));
    if (m_player->duration() <= 0) {
        m_pendingSeek = ratio;
        return;
    }
    m_pendingSeek = 0;
    m_player->seek(ratio);
}

qint64 QAVPlayer::GetPosition() { return m_player->position(); }

bool QAVPlayer::IsFailed()
{
    using S = avplayer::MediaStatus;
    const S status = m_player->mediaStatus();
    if (m_checkNoVideo.load() && status == S::Buffered && m_player->currentVideoStream() < 0) {
        Logger::instance()->Log(LOG_WARN, "QAVPlayer::IsFailed", "qtav check no video replay url %s", m_url.c_str());
        return true;
    }
    switch (status) {
    case S::Unknown:
    case S::NoMedia:
    case S::Stalled:
    case S::InvalidMedia:
        return true;
    case S::EndOfMedia:
        return !startsWith(m_url, "http");  // a file that has simply ended
    default:
        return false;
    }
}

qint64 QAVPlayer::GetDelayTime() const
{
    if (!m_hasUrl.load())
        return 0;
    const qint64 buffered = m_player->buffered();
    const qint64 measured = m_measuredDelay.load();
    if (measured > 0)
        return buffered + measured + 500;
    if (m_checkNoVideo.load())
        return m_rendererShown.load() ? buffered + 5000 : 0;
    return buffered == 0 ? 0 : buffered + 3000;
}

bool QAVPlayer::MeasureDelay(const uint8_t* data, size_t size, qint64 serverTimeMs, const std::string& url,
                             bool appTeaLive, qint64* delayMs, qint64* stampMs)
{
    const int64_t stamp = mediacore::readSeiStamp(data, size, 18, 39);
    if (stamp < 0)
        return false;
    qint64 delay = serverTimeMs - stamp;
    if (appTeaLive) {
        const size_t cut = url.rfind('_');
        const std::string tail = cut == std::string::npos ? std::string() : url.substr(cut + 1);
        delay -= QString::fromStdString(tail).toLongLong() * 1000;
    }
    *delayMs = delay;
    *stampMs = stamp;
    return true;
}

void QAVPlayer::onKeyFramePacketRead(const avplayer::KeyFramePacket& packet)
{
    if (!m_svrTimeKnown.load())
        return;
    const qint64 serverTime = QDateTime::currentMSecsSinceEpoch() - m_svrTimeOff.load();
    if ( packet.endOfStream || packet.pts < 0 || packet.duration < 0 || !packet.data ||
        packet.size <= int(kMinKeyFrameBytes))
        return;
    qint64 delay = 0;
    qint64 stamp = 0;
    if (!MeasureDelay(packet.data, size_t(packet.size), serverTime, m_url, m_appTeaLive.load(), &delay, &stamp))
        return;
    if (m_measuredDelay.load() == 0 || delay <= 0 || delay > kLoggedDelayMs)
        Logger::instance()->Log(LOG_INFO, "QAVPlayer::onKeyFramePacketRead",
                                "video frame delay %lld, calc %lld, buff %lld pkt pts %lld, speed %f",
                                static_cast<long long>(GetDelayTime()), static_cast<long long>(delay),
                                static_cast<long long>(m_player->buffered()), static_cast<long long>(stamp),
                                m_speed.load());
    if (delay > kMaxDelayMs) {
        Logger::instance()->Log(LOG_WARN, "QAVPlayer::onKeyFramePacketRead", "video frame delay too much. use max %lld",
                                static_cast<long long>(kMaxDelayMs));
        delay = kMaxDelayMs;
    }
    m_measuredDelay.store(delay);
}

void QAVPlayer::updateSliderUnit()
{
    m_notifyInterval = m_player->notifyInterval();
    Logger::instance()->Log(LOG_INFO, "QAVPlayer::updateSliderUnit", "qtav interval %d", m_notifyInterval);
}

void QAVPlayer::takeServerTime()
{
    m_svrTimeKnown.store(CData::instance()->GetSvrTime() != 0);
    m_svrTimeOff.store(CData::instance()->GetSvrTimeOff());
}

void QAVPlayer::onTimerUpdate(int index)
{
    takeServerTime();
    QWidget* renderer = m_player->renderer();
    if (renderer && renderer->isHidden() && m_showPending && m_player->buffered() > 200) {
        showRenderer(true);
        Logger::instance()->Log(LOG_INFO, "QAVPlayer::onTimerUpdate", "qtav show video timer %s", m_url.c_str());
    }
    updateViewport(index);
    if (m_autoReplay && index % kReplayEveryTicks == 0 && m_hasUrl.load() && IsFailed()) {
        ++m_replays;
        Logger::instance()->Log(LOG_WARN, "QAVPlayer::onTimerUpdate", "qtav replay %d url %s", m_replays,
                                m_url.c_str());
        emit sigPlayFailed(m_replays, QString());
        m_measuredDelay.store(0);
        m_player->stop();
        m_player->play(QString::fromStdString(m_url));
    }
    if (m_autoReplay && startsWith(m_url, "rtmp")) {
        const qint64 buffered = m_player->buffered();
        const bool playing = m_player->isPlaying() && !m_player->isPaused();
        if (playing && buffered > kCatchUpBufferMs && m_player->speed() < kCatchUpSpeed) {
            Logger::instance()->Log(LOG_WARN, "QAVPlayer::onTimerUpdate", "rtmp buffer %lld. set play speed %lf",
                                    static_cast<long long>(buffered), double(kCatchUpSpeed));
            setSpeed(kCatchUpSpeed);
        }
        if (m_player->speed() > 1.0 && buffered <= kNormalBufferMs) {
            Logger::instance()->Log(LOG_WARN, "QAVPlayer::onTimerUpdate", "rtmp buffer %lld. set play speed 1.0",
                                    static_cast<long long>(buffered));
            setSpeed(1.0);
        }
    }
}

void QAVPlayer::setSpeed(qreal speed)
{
    m_player->setSpeed(speed);
    m_speed.store(speed);
}

void QAVPlayer::updateViewport(int index)
{
    QWidget* renderer = m_player->renderer();
    if (!m_display || !renderer)
        return;
    const double ratio = m_display->devicePixelRatioF();
    if (std::fabs(ratio - m_pixelRatio) > 0.0001 || index % kViewportEveryTicks == 0) {
        m_pixelRatio = ratio;
        // The picture widget paints in device-independent pixels: it only
        // needs to cover the display.
        renderer->setGeometry(m_display->rect());
    }
}

bool QAVPlayer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_display && event->type() == QEvent::Resize) {
        if (QWidget* renderer = m_player->renderer())
            renderer->setGeometry(m_display->rect());
    }
    return false;
}

void QAVPlayer::onPositionChanged(qint64 ms)
{
    const qint64 total = m_player->duration();
    const float ratio = total > 0 ? float(double(ms) / double(total)) : 0.0f;
    if (m_pendingSeek > 0.0001f) {
        SeekPos(m_pendingSeek);
        return;
    }
    if (m_display)
        emit sigPositionChanged(ratio);
}

void QAVPlayer::onBufferProgressChanged(qreal progress)
{
    QWidget* renderer = m_player->renderer();
    if (progress > 0.9999 && renderer && renderer->isHidden() && m_showPending) {
        showRenderer(true);
        Logger::instance()->Log(LOG_INFO, "QAVPlayer::onBufferProgressChanged", "qtav show video buff %s",
                                m_url.c_str());
    }
    if (m_display)
        emit sigBufferCacheChanged(float(progress));
}

void QAVPlayer::onMediaStatusChanged(int status)
{
    using S = avplayer::MediaStatus;
    const S s = S(status);
    if (s != S::Buffering)
        Logger::instance()->Log(LOG_WARN, "QAVPlayer::onMediaStatusChanged", "qtav status %d url %s", status,
                                m_url.c_str());
    if ((s == S::EndOfMedia || s == S::Stalled || s == S::InvalidMedia) && m_display)
        emit sigMediaEndReached();
}
