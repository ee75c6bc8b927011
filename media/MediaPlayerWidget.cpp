#include "media/MediaPlayerWidget.h"

#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "app/SystemInfo.h"
#include "libs/clientlib/include/ClientLib.h"
#include "media/DelayTask.h"
#include "media/QAVPlayer.h"
#include "media/RtmpLivePlayer.h"
#include "media/VideoRenderWidget.h"
#include "widgets/Toast.h"
#include "ui_MediaPlayerWidget.h"

#include <QKeySequence>
#include <QMouseEvent>

#include <algorithm>

namespace {

constexpr int kMinTotalMs = 3000;
constexpr int kClickLockMs = 300;
constexpr int kPauseReportMs = 300;
constexpr int kLoadingTickMs = 100;
constexpr int kLoadingFrames = 6;
constexpr int kLoadingResyncSeconds = 4;
constexpr float kSeekWindowMs = 10000;
constexpr int kSliderMax = 1000;
constexpr int kToastMs = 3000;
const char kMicVolumeKey[] = "App/PlaySetMicVolume";

void logInfo(const char* func, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void logInfo(const char* func, const char* fmt, ...)
{
    char text[1024];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof(text), fmt, args);
    va_end(args);
    Logger::instance()->Log(LOG_INFO, func, "%s", text);
}

ClientLib* clientLib() { return Room::instance()->GetClientLib(); }

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.c_str(), int(text.size())); }

}  // namespace

MediaPlayerWidget::MediaPlayerWidget(QWidget* parent) : QWidget(parent), ui(new Ui::MediaPlayerForm)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground);
    m_formStyle = styleSheet() + "\n";
    m_videoPage = new VideoRenderWidget;
    m_videoPage->setObjectName("videoPage");
    ui->stackedWidget->insertWidget(0, m_videoPage);
    ui->stackedWidget->setCurrentIndex(0);
    if (parent)
        parent->installEventFilter(this);
    ui->playProgressSlider->installEventFilter(this);
    m_videoPage->installEventFilter(this);
    initPlayer();
    initSliderSignals();
    hide();
    m_delayTask = new DelayTask([] {
        // The live player's delay figure is safe to read from the queue's thread.
        RtmpLivePlayer* live = Room::instance()->GetLivePlayer();
        return live ? live->GetDelayTime() : qint64(0);
    });
    connect(m_delayTask, &DelayTask::sgDelayTask, this, &MediaPlayerWidget::DoRoomMediaCommad);
    ui->playBtn->setShortcut(QKeySequence(Qt::Key_Space));
}

MediaPlayerWidget::~MediaPlayerWidget()
{
    delete m_delayTask;  // stops and waits for its worker
    m_player->Stop();
    delete m_player;
}

void MediaPlayerWidget::initPlayer()
{
    m_player = new QAVPlayer(nullptr);
    connect(m_player, &QAVPlayer::sigPositionChanged, this, &MediaPlayerWidget::slotPositionChange);
    connect(m_player, &QAVPlayer::sigBufferCacheChanged, this, &MediaPlayerWidget::slotBufferCacheChange);
    connect(m_player, &QAVPlayer::sigMediaEndReached, this, &MediaPlayerWidget::slotPlayerEndReached);
    connect(&m_loadingTimer, &QTimer::timeout, this, &MediaPlayerWidget::onLoadingTick);
    ui->playProgressSlider->setRange(0, kSliderMax);
    ui->stackedWidget->setCurrentWidget(ui->defaultPage);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    m_playState = MediaPlayState::Init;
}

void MediaPlayerWidget::initSliderSignals()
{
    connect(ui->playProgressSlider, &QSlider::sliderPressed, this, [this] { m_sliderPressed = true; });
    connect(ui->playProgressSlider, &QSlider::sliderReleased, this, &MediaPlayerWidget::onSliderReleased);
    connect(&m_clickTimer, &QTimer::timeout, this, [this] {
        ui->playBtn->setEnabled(true);
        m_clickTimer.stop();
    });
}

bool MediaPlayerWidget::isTeacherSide() const
{
    return CData::instance()->IsTeacher() && CData::instance()->GetClassType() != 0;
}

const char* MediaPlayerWidget::stateName(MediaPlayState state)
{
    switch (state) {
    case MediaPlayState::Init:
        return "VlcPLayer_Init";
    case MediaPlayState::Playing:
        return "VlcPLayer_Playing";
    case MediaPlayState::Paused:
        return "VlcPlayer_Pause";
    case MediaPlayState::Stopped:
        return "VlcPLayer_Stopped";
    }
    return "unknow";
}

// ---- room commands ----

void MediaPlayerWidget::PostRoomMediaCommand(QVariant command)
{
    if (CData::instance()->IsLiveRoom() && CData::instance()->GetLocalUser()->type == 0) {
        m_delayTask->Start();
        m_delayTask->AddTask(command);
        return;
    }
    DoRoomMediaCommad(command);
}

void MediaPlayerWidget::DoRoomMediaCommad(QVariant command)
{
    const QVariantMap map = command.toMap();
    const std::string docid = map.value("docid").toString().toStdString();
    const std::string fileName = map.value("fileName").toString().toStdString();
    const std::string url = map.value("url").toString().toStdString();
    const int ts = map.value("ts").toInt();
    const int totalTs = map.value("totalTs").toInt();
    const std::string type = map.value("type").toString().toStdString();
    const QString cmd = map.value("cmd").toString();

    if (!m_info)
        m_info = std::make_shared<RoomMediaFileInfo>();
    if (m_info->url != url) {
        // A new file: the old one ends first, while the record still names it,
        // so that the room's close names the file that is closed.
        if (cmd == "open") {
            StopMedia(false);
        } else {
            m_playState = MediaPlayState::Stopped;
            m_player->Stop();
        }
    }
    m_info->docid = docid;
    m_info->fileName = fileName;
    m_info->url = url;
    m_info->totalTs = std::max(totalTs, kMinTotalMs);
    m_info->ts = float(std::min(ts, totalTs));
    m_info->pauseAt = -1;
    if (!type.empty())
        m_info->type = type;

    if (!isTeacherSide()) {
        ui->bottomWidget->hide();
        ui->titleVideoWidget->hide();
        ui->midPlayBtn->hide();
    }
    m_progressSkip = -1;
    if (cmd == "open") {
        m_info->cmdState = 2;
        m_info->position = 0;
        openMedia(m_info);
    } else if (cmd == "play") {
        m_info->cmdState = 1;
        recvMediaStatusChangeEvent(m_info);
    } else if (cmd == "pause") {
        m_info->cmdState = 2;
        recvMediaStatusChangeEvent(m_info);
    } else if (cmd == "close") {
        StopMedia(false);
    }
}

void MediaPlayerWidget::showForMedia()
{
    if (!CData::instance()->IsTeacher() && !IsVideoMedia())
        return;
    CData::instance()->SetStatus(kStatusMediaFilePlaying, 1);
    show();
    emit sigUpdateMediaShowChange();
}

void MediaPlayerWidget::openMedia(std::shared_ptr<RoomMediaFileInfo> info)
{
    m_player->Stop();
    Q_UNUSED(info);
    setCurrentPage(ui->defaultPage);
    m_playState = MediaPlayState::Init;
    m_atEnd = false;
    m_loading = false;
    showForMedia();
    updateLayout();
}

bool MediaPlayerWidget::playerBehindOrAhead(float ts)
{
    const float p = float(m_player->GetPosition());
    return p > ts || ts - p > kSeekWindowMs;
}

void MediaPlayerWidget::recvMediaStatusChangeEvent(std::shared_ptr<RoomMediaFileInfo> info)
{
    float ratio = info->ts / float(info->totalTs);
    if (info->cmdState == 1) {
        showForMedia();
        switch (m_playState) {
        case MediaPlayState::Init:
        case MediaPlayState::Stopped:
            m_playState = MediaPlayState::Playing;
            playMediaFile(info);
            m_player->SeekPos(ratio);
            break;
        case MediaPlayState::Paused:
            m_playState = MediaPlayState::Playing;
            m_player->Play();
            if (playerBehindOrAhead(info->ts))
                m_player->SeekPos(ratio);
            break;
        case MediaPlayState::Playing:
            m_player->SeekPos(ratio);
            break;
        }
        updateLayout();
        updateGeometry();
        return;
    }
    if (info->cmdState != 2)
        return;
    m_atEnd = false;
    if (IsVideoMedia() && int(info->position) == info->totalTs) {
        m_atEnd = true;
        ratio = (info->ts - 0.1f) / float(info->totalTs);
    }
    switch (m_playState) {
    case MediaPlayState::Init:
    case MediaPlayState::Stopped:
        playMediaFile(info);
        m_playState = MediaPlayState::Paused;
        m_player->SeekPos(ratio);
        break;
    case MediaPlayState::Paused:
        m_player->Play();
        m_playState = MediaPlayState::Paused;
        m_player->SeekPos(ratio);
        break;
    case MediaPlayState::Playing:
        m_playState = MediaPlayState::Paused;
        if (playerBehindOrAhead(info->ts))
            m_player->SeekPos(ratio);
        break;
    }
    info->pauseAt = info->ts;
    updateLayout();
    showForMedia();
    updateGeometry();
}

bool MediaPlayerWidget::playMediaFile(std::shared_ptr<RoomMediaFileInfo> info)
{
    // Played as given: an https address stays https.
    const std::string url = info->url;
    if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) {
        Logger::instance()->Log(LOG_WARN, "MediaPlayerWidget::playMediaFile", "media url is not http(s): %s",
                                url.c_str());
        return false;
    }
    const bool video = IsVideoMedia();
    if (video)
        m_videoPage->setPlaying(true);
    m_player->SetCheckNoVideo(false);
    m_player->SetAudioHandOver(true, true);
    const bool ok = m_player->Play(url, m_videoPage->overlayWidget());
    if (video)
        setCurrentPage(m_videoPage);
    return ok;
}

void MediaPlayerWidget::pauseMedia()
{
    if (!isTeacherSide())
        Toast::ShowToast(tr("媒体播放已暂停"), this, kToastMs);
    m_playState = MediaPlayState::Paused;
    m_player->Pause();
    updatePlayButton();
    if (m_info)
        m_info->position = float(m_info->totalTs) * float(ui->playProgressSlider->value()) / float(kSliderMax);
    updateTimeLabels();
    if (IsVideoMedia())
        setCurrentPage(m_videoPage);
}

// ---- reports to the room ----

void MediaPlayerWidget::sendPlayCmd(qint64 position)
{
    if (!isTeacherSide() || m_syncSuspended || !m_info || !clientLib())
        return;
    clientLib()->MediaPlayCmd(fromUtf8(m_info->url), position, m_info->totalTs, fromUtf8(m_info->type),
                              fromUtf8(m_info->fileName), fromUtf8(m_info->docid));
}

void MediaPlayerWidget::sendStateCmd()
{
    if (!isTeacherSide() || m_syncSuspended || !m_info || !clientLib())
        return;
    clientLib()->MediaStateCmd(fromUtf8(m_info->url), qint64(m_info->position), m_info->totalTs,
                               fromUtf8(m_info->type), fromUtf8(m_info->fileName));
}

void MediaPlayerWidget::sendCloseCmd()
{
    if (!isTeacherSide() || !m_info || m_info->url.empty() || !clientLib())
        return;
    clientLib()->MediaCloseCmd(fromUtf8(m_info->url), qint64(m_info->position));
}

// ---- the teacher's controls ----

void MediaPlayerWidget::on_playBtn_clicked()
{
    if (m_loading || !m_info)
        return;
    ui->playBtn->setEnabled(false);
    m_clickTimer.start(kClickLockMs);
    if (m_playState == MediaPlayState::Stopped)
        ui->playProgressSlider->setValue(0);
    if (m_playState == MediaPlayState::Playing) {
        m_playState = MediaPlayState::Paused;
        m_player->Pause();
        logInfo("MediaPlayerWidget::on_playBtn_clicked", "media player play pause");
        SetMicMuteForPlay(false);
        if (isTeacherSide() && !m_syncSuspended) {
            QTimer::singleShot(kPauseReportMs, this, [this] {
                if (!m_info)
                    return;
                m_info->position = float(m_player->GetPosition());
                sendStateCmd();
            });
        }
        updatePlayButton();
        return;
    }
    if (m_playState == MediaPlayState::Paused) {
        logInfo("MediaPlayerWidget::on_playBtn_clicked", "media player play");
        m_playState = MediaPlayState::Playing;
        m_player->Play();
    } else {
        m_player->Stop();
        if (int(m_info->position) == m_info->totalTs)
            m_info->position = 0;
        playMediaFile(m_info);
        logInfo("MediaPlayerWidget::on_playBtn_clicked", "media player play url = %s", m_info->url.c_str());
        m_player->SeekPos(m_info->position / float(m_info->totalTs));
    }
    m_playState = MediaPlayState::Playing;
    SetMicMuteForPlay(true);
    sendPlayCmd(qint64(m_info->position));
    updatePlayButton();
}

void MediaPlayerWidget::on_btnClose_clicked() { StopMedia(false); }

void MediaPlayerWidget::on_midPlayBtn_clicked()
{
    QMetaObject::invokeMethod(this, "on_playBtn_clicked", Qt::QueuedConnection);
}

void MediaPlayerWidget::onSliderReleased()
{
    const int v = ui->playProgressSlider->value();
    logInfo("MediaPlayerWidget::onSliderReleased", "seek pos to %d", v);
    if (m_info) {
        float ratio = float(v) / float(kSliderMax);
        m_info->position = float(m_info->totalTs) * ratio;
        m_atEnd = false;
        if (IsVideoMedia() && float(m_info->totalTs) - m_info->position <= 0.1f) {
            m_atEnd = true;
            ratio = (float(m_info->totalTs) - 0.1f) / float(m_info->totalTs);
        }
        if (m_playState == MediaPlayState::Paused) {
            m_playState = MediaPlayState::Playing;
            m_player->Play();
            logInfo("MediaPlayerWidget::onSliderReleased", "media player Play");
            updatePlayButton();
        } else if (m_playState == MediaPlayState::Init || m_playState == MediaPlayState::Stopped) {
            m_playState = MediaPlayState::Playing;
            m_player->Stop();
            logInfo("MediaPlayerWidget::onSliderReleased", "media player play url = %s", m_info->url.c_str());
            playMediaFile(m_info);
            updatePlayButton();
        }
        updateTimeLabels();
        m_player->SeekPos(ratio);
        SetMicMuteForPlay(true);
        sendPlayCmd(qint64(float(m_info->totalTs) * ratio));
    }
    m_sliderPressed = false;
    m_progressSkip = 1;
}

// ---- the player's signals ----

void MediaPlayerWidget::slotPositionChange(float)
{
    if (!m_info)
        return;
    m_info->position = float(m_player->GetPosition());
    if (!m_sliderPressed && !m_atEnd) {
        const int k = m_progressSkip--;
        if (k < 0)
            updateProgressBar();
    }
    if (!m_loading && IsVideoMedia())
        setCurrentPage(m_videoPage);
    if (m_loading && m_playState == MediaPlayState::Playing) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - m_loadingSince).count();
        if (seconds > kLoadingResyncSeconds) {
            if (!m_atEnd) {
                logInfo("MediaPlayerWidget::slotPositionChange", "vlc loading %d seconds ,send seek command to sync ",
                        int(seconds));
                SetMicMuteForPlay(true);
                sendPlayCmd(qint64(m_info->position));
            }
            m_loading = false;
        }
    }
    if (m_info->pauseAt >= 0 && m_info->pauseAt <= m_info->position) {
        m_info->pauseAt = -1;
        pauseMedia();
    }
    if (m_playState != MediaPlayState::Paused && !m_atEnd)
        updateTimeLabels();
}

void MediaPlayerWidget::slotBufferCacheChange(float progress)
{
    if (!IsVideoMedia())
        return;
    if (progress >= 0.9999f) {
        setCurrentPage(m_videoPage);
        m_loading = false;
        return;
    }
    if (!m_loadingTimer.isActive()) {
        ui->loadingLabel->setStyleSheet("border-image: url(:/player/res/player/loading/00.png);");
        ui->loadingLabel->setProperty("index", 0);
        m_loadingTimer.start(kLoadingTickMs);
    }
    setCurrentPage(ui->loadingPage);
    if (!m_loading) {
        m_loadingSince = std::chrono::steady_clock::now();
        m_loading = true;
    }
}

void MediaPlayerWidget::onLoadingTick()
{
    if (m_playState == MediaPlayState::Playing && ui->loadingPage->isVisible()) {
        const int index = (ui->loadingLabel->property("index").toInt() + 1) % kLoadingFrames;
        ui->loadingLabel->setStyleSheet(
            QString::asprintf("border-image: url(:/player/res/player/loading/%02d.png);", index));
        ui->loadingLabel->setProperty("index", index);
        return;
    }
    m_loadingTimer.stop();
    setCurrentPage(m_videoPage);
    m_loading = false;
}

void MediaPlayerWidget::slotPlayerEndReached()
{
    if (m_playState == MediaPlayState::Stopped)
        return;
    m_playState = MediaPlayState::Stopped;
    logInfo("MediaPlayerWidget::slotPlayerEndReached", "media player stopped");
    updatePlayButton();
    if (m_info)
        m_info->position = float(m_info->totalTs);
    ui->playProgressSlider->setValue(ui->playProgressSlider->maximum());
    setCurrentPage(ui->defaultPage);
    m_atEnd = false;
    updateTimeLabels();
    SetMicMuteForPlay(false);
}

// ---- microphone, suspension, stopping ----

void MediaPlayerWidget::SetMicMuteForPlay(bool mute)
{
    if (mute) {
        const int v = GetMicVolume();
        if (v >= 1) {
            CSettings::instance()->SetValue(kMicVolumeKey, v);
            SetMicVolume(0);
        }
        return;
    }
    const int stored = CSettings::instance()->GetValue(kMicVolumeKey, 0).toInt();
    if (stored >= 1) {
        CSettings::instance()->SetValue(kMicVolumeKey, 0);
        SetMicVolume(stored);
    }
}

void MediaPlayerWidget::NotifyMediaState(bool suspend)
{
    const bool active = m_playState == MediaPlayState::Playing || m_playState == MediaPlayState::Paused;
    if (active && isTeacherSide() && m_info && suspend != m_syncSuspended) {
        if (suspend) {
            sendCloseCmd();
        } else {
            m_syncSuspended = false;  // the reports below go out again
            if (m_playState == MediaPlayState::Paused) {
                m_info->position = float(m_player->GetPosition());
                sendStateCmd();
            } else {
                sendPlayCmd(qint64(m_info->position));
            }
        }
    }
    m_syncSuspended = suspend;
}

void MediaPlayerWidget::StopMedia(bool endThread)
{
    CData::instance()->SetStatus(kStatusMediaFilePlaying, 0);
    m_playState = MediaPlayState::Stopped;
    if (m_info) {
        m_info->cmdState = 3;
        SetMicMuteForPlay(false);
        sendCloseCmd();
    }
    m_player->Stop();
    m_videoPage->setPlaying(false);
    m_loadingTimer.stop();
    m_loading = false;
    hide();
    emit sigUpdateMediaShowChange();
    if (endThread) {
        m_delayTask->Stop();
        m_syncSuspended = false;
    }
}
