#include "media/AnyCorePusher.h"

#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "common/Clock.h"
#include "app/BroadcastAudioLink.h"
#include "media/CAudioMixer.h"
#include "media/RenderWdg.h"
#include "ClientLib.h"

#include <QEvent>
#include <QImage>

#include <cstdlib>
#include <string>

const char AnyCorePusher::kPushFailedText[] = "推流失败，请切换线路!";

namespace {

constexpr int kMixRate = 48000;
constexpr int kMixChannels = 1;
constexpr int kModeCount = 4;         // camera modes 0..3
constexpr int kSmoothUpTo = 400;      // frames and previews this narrow are scaled smoothly
constexpr int kShotMaxWidth = 800;
constexpr int kShotMaxHeight = 600;
constexpr int kMicUseDShowAbsent = 2;
constexpr int kTimestampEveryTicks = 5;

}  // namespace

AnyCorePusher::AnyCorePusher(Clock* clock) : m_clock(clock ? *clock : Clock::system())
{
    m_preview = new RenderWdg();
    m_preview->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_preview->hide();
    m_preview->setUpdatesEnabled(true);
    m_render.onFrame = &AnyCorePusher::renderCallback;
    m_render.context = this;
    m_mixer = new CAudioMixer(m_clock);
    m_mixer->SetFormat(kMixRate, kMixChannels);
    m_micUseDShow = CSettings::instance()->GetValue("MicUseDShow", kMicUseDShowAbsent).toInt();
    if (m_micUseDShow == kMicUseDShowAbsent) {
        m_micUseDShow = 0;
        CSettings::instance()->SetValue("MicUseDShow", 0);
    }
}

AnyCorePusher::~AnyCorePusher()
{
    StopTask();
    m_preview->deleteLater();
    delete m_mixer;
}

void AnyCorePusher::reportFailed() { emit sgLivePushState(kLivePushFailed, QString::fromUtf8(kPushFailedText)); }

void AnyCorePusher::setPreviewSize(int width, int height)
{
    m_previewSize = (quint64(quint32(width)) << 32) | quint32(height);
}

bool AnyCorePusher::StartTask()
{
    bool running;
    {
        std::lock_guard<std::mutex> lk(m_hosterLock);
        running = m_hoster != nullptr;
    }
    if (running) {
        Logger::instance()->Log(LOG_WARN, "AnyCorePusher::StartTask", "restart task stop.");
        StopTask();
    }
    m_localUserId = QString::fromStdString(CData::instance()->GetLocalUser()->userId);
    m_mixer->SetMixUserCall(m_localUserId, nullptr, true, 0, 0);
    RTMPHoster* hoster = RTMPHoster::Create(*this);
    if (!hoster) {
        // Nothing can push: say so at once instead of looking busy.
        Logger::instance()->Log(LOG_ERROR, "AnyCorePusher::StartTask", "create rtmp hoster failed");
        reportFailed();
        return false;
    }
    m_lastSnapshot = 0;
    m_reconnects = 0;
    m_lastDelay = 0;
    connect(CData::instance(), &CData::sgTimerUpdate, this, &AnyCorePusher::onTimerUpdate, Qt::UniqueConnection);
    const RtmpPushParam& p = m_pushParam;
    if (p.videoMode >= 0 && p.videoMode < kModeCount)
        hoster->SetVideoMode(p.videoMode);
    else
        Logger::instance()->Log(LOG_WARN, "AnyCorePusher::StartTask", "rtmp high cam mode err %d", p.videoMode);
    hoster->EnableVideo(!p.flag);
    hoster->SetVideoDevice(p.cameraName.toUtf8().constData());
    hoster->SetAudioDevice(p.micName.toUtf8().constData());
    if (p.flag || !p.displayWidget) {
        hoster->SetVideoRender(nullptr);
    } else {
        p.displayWidget->installEventFilter(this);
        m_preview->setParent(p.displayWidget);
        m_preview->show();
        m_preview->setGeometry(p.displayWidget->rect());
        setPreviewSize(m_preview->width(), m_preview->height());
        hoster->SetVideoRender(&m_render);
    }
    m_winMic = BroadcastAudioLink::instance().SetInputAudio(p.micName);
    if (m_micUseDShow == 1) {
        Logger::instance()->Log(LOG_INFO, "AnyCorePusher::StartTask", "set mic use dshow");
        hoster->SetMicCapture(true);
    } else {
        hoster->SetMicCapture(false);
    }
    BroadcastAudioLink::instance().SetInputAudioMuted(!m_winMic);
    m_mixOpen = !m_winMic;
    hoster->SetAudioFormat(kMixRate, kMixChannels, !m_winMic);
    {
        std::lock_guard<std::mutex> lk(m_hosterLock);
        m_hoster = hoster;
    }
    const int rc = hoster->StartRtmpStream(p.pushUrl.toUtf8().constData());
    if (rc != RTMPHOSTER_OK) {
        Logger::instance()->Log(LOG_WARN, "AnyCorePusher::StartTask", "start rtmp stream failed %d %s", rc,
                                p.pushUrl.toUtf8().constData());
        StopTask();
        reportFailed();
        return false;
    }
    std::lock_guard<std::mutex> lk(m_hosterLock);
    m_started = true;
    return true;
}

bool AnyCorePusher::StopTask()
{
    RTMPHoster* hoster = nullptr;
    {
        std::lock_guard<std::mutex> lk(m_hosterLock);
        m_started = false;
        std::swap(hoster, m_hoster);
    }
    disconnect(CData::instance(), &CData::sgTimerUpdate, this, &AnyCorePusher::onTimerUpdate);
    if (QWidget* display = m_pushParam.displayWidget) {
        m_preview->hide();
        m_preview->setParent(nullptr);
        display->removeEventFilter(this);
    }
    if (hoster) {
        hoster->SetVideoRender(nullptr);
        hoster->StopRtmpStream();
        RTMPHoster::Destory(hoster);
    }
    m_winMic = true;
    BroadcastAudioLink::instance().SetInputAudioMuted(false);
    m_audioLogged = false;
    m_mixOpen = false;
    return true;
}

bool AnyCorePusher::IsPushing()
{
    std::lock_guard<std::mutex> lk(m_hosterLock);
    return m_started && m_hoster;
}

bool AnyCorePusher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pushParam.displayWidget && event->type() == QEvent::Resize) {
        m_preview->setGeometry(m_pushParam.displayWidget->rect());
        setPreviewSize(m_preview->width(), m_preview->height());
    }
    return false;
}

void AnyCorePusher::onTimerUpdate(int index)
{
    CData* cdata = CData::instance();
    if (index % kTimestampEveryTicks == 0 && IsPushing() && cdata->GetSvrTime() != 0) {
        std::lock_guard<std::mutex> lk(m_hosterLock);
        if (m_hoster)
            m_hoster->SetTimestamp(static_cast<int>(cdata->GetSvrTimeOff()));
    }
    m_render.holdPicture = cdata->GetStatus(kStatusLinkMic);
}

void AnyCorePusher::OnExtAudioDataMixer(QString userId, const uchar* data, int bitsPerSample, int sampleRate,
                                        int channels, int frames)
{
    {
        std::lock_guard<std::mutex> lk(m_hosterLock);
        if (!m_started || !m_hoster)
            return;
        if (!m_mixOpen) {
            Logger::instance()->Log(LOG_INFO, "AnyCorePusher::OnExtAudioDataMixer", "rtc audio data mix open record");
            m_mixOpen = true;
            m_hoster->SetAudioFormat(kMixRate, kMixChannels, true);
        }
    }
    m_mixer->OnAudioConvertMix(userId, data, bitsPerSample, sampleRate, channels, frames);
}

// ---- the library's callbacks ------------------------------------------------------

void AnyCorePusher::OnRtmpStreamOK() { Logger::instance()->Log(LOG_INFO, "AnyCorePusher::OnRtmpStreamOK", "OnRtmplayerOK"); }

void AnyCorePusher::OnRtmpStreamReconnecting(int code)
{
    const int reconnects = ++m_reconnects;
    Logger::instance()->Log(LOG_INFO, "AnyCorePusher::OnRtmpStreamReconnecting", "OnRtmpStreamReconnecting %d %d", code,
                            reconnects);
    if (reconnects % kReconnectsPerReport == 0) {
        Logger::instance()->Log(LOG_WARN, "AnyCorePusher::OnRtmpStreamReconnecting", "rtmp retry too much restart");
        reportFailed();
    }
}

void AnyCorePusher::OnRtmpStreamStatus(int delayMs, int queued)
{
    if (delayMs <= kDelayLogMs || m_lastDelay.exchange(delayMs) == delayMs)
        return;
    Logger::instance()->Log(LOG_WARN, "AnyCorePusher::OnRtmpStreamStatus", "OnRtmpStreamStatus %d, %d", delayMs, queued);
    if (delayMs > kDelayFailMs) {
        Logger::instance()->Log(LOG_WARN, "AnyCorePusher::OnRtmpStreamStatus", "rtmp delay too much restart");
        reportFailed();
    }
}

void AnyCorePusher::OnRtmpStreamFailed(int code)
{
    Logger::instance()->Log(LOG_INFO, "AnyCorePusher::OnRtmpStreamFailed", "OnRtmpStreamFailed %d", code);
    reportFailed();
}

void AnyCorePusher::OnRtmpStreamClosed()
{
    Logger::instance()->Log(LOG_INFO, "AnyCorePusher::OnRtmpStreamClosed", "OnRtmpStreamClosed");
}

void AnyCorePusher::OnAudioData(uint8_t* data, int frames, int, int channels, int sampleRate, bool fromSystemMic)
{
    const bool winMic = m_winMic;
    if (!m_audioLogged.exchange(true))
        Logger::instance()->Log(LOG_INFO, "AnyCorePusher::OnAudioData",
                                "on audio winmic %d, data winmic %d sampleRate %d channel %d frames %d", winMic,
                                fromSystemMic, sampleRate, channels, frames);
    CData* cdata = CData::instance();
    if (cdata->GetStatus(kStatusLivePlayerPlaying))
        return;
    if (!winMic)
        Room::instance()->OnAudioDataBC(m_localUserId, data, 16, sampleRate, channels, frames, 0, 0);
    else if (cdata->GetStatus(kStatusVoiceInteraction))
        m_mixer->OnAudioConvertMix(m_localUserId, data, 16, sampleRate, channels, frames);
}

void AnyCorePusher::OnRtmpLog(const char* text, int length)
{
    if (!text || length < 0)
        return;
    Logger::instance()->WriteLine("anycore " + std::string(text, size_t(length)));
}

// ---- preview frames ------------------------------------------------------------------

void AnyCorePusher::renderCallback(void* context, const RTMPFrameRecord* record, const uint8_t* pixels)
{
    if (context)
        static_cast<AnyCorePusher*>(context)->OnVideoFrame(record, pixels);
}

void AnyCorePusher::OnVideoFrame(const RTMPFrameRecord* record, const uint8_t* pixels)
{
    if (!record || !pixels)
        return;
    const int width = record->width;
    const int height = std::abs(record->height);
    if (CData::instance()->GetStatus(kStatusVoiceInteraction)) {
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->PushVideoFrame("", width, height, pixels, record, 0, 0, 0, 0, 0, 0);
    }
    if (width <= 0 || height <= 0) {
        Logger::instance()->Log(LOG_WARN, "AnyCorePusher::OnVideoFrame", "DisplayWdg video frame invalid %d, %d", width,
                                record->height);
        return;
    }
    // A negative height marks a bottom-up image: shown the right way up.
    const QImage wrapped(pixels, width, height, width * 4, QImage::Format_RGB32);
    const QImage image = record->height < 0 ? wrapped.mirrored(false, true) : wrapped;
    const quint64 size = m_previewSize;
    const int previewW = int(size >> 32);
    const int previewH = int(size & 0xffffffffu);
    const bool smooth = width <= kSmoothUpTo && previewW <= kSmoothUpTo;
    const QImage scaled = image.scaled(previewW, previewH, Qt::KeepAspectRatio,
                                       smooth ? Qt::SmoothTransformation : Qt::FastTransformation);

    const qint64 now = m_clock.nowMs();
    if (m_lastSnapshot == 0)
        m_lastSnapshot = now - (kSnapshotEveryMs - kFirstSnapshotAfterMs);
    if (now - m_lastSnapshot > kSnapshotEveryMs) {
        Logger::instance()->Log(LOG_INFO, "AnyCorePusher::OnVideoFrame", "win rtmp video preview to upload");
        m_lastSnapshot = now;
        const QImage shot = scaled.width() > kShotMaxWidth
                                ? scaled.scaled(kShotMaxWidth, kShotMaxHeight, Qt::KeepAspectRatio, Qt::FastTransformation)
                                : scaled;
        Room::instance()->UploadShadowImage(m_localUserId, shot);
    }
    emit m_preview->onNewFrame(scaled.copy());
}
