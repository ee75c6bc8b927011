// MainWindow: the handlers its constructor connects.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "courseware/DrawToolBarCtrl.h"
#include "device/CamDevSettingWidget.h"
#include "device/DeviceSettingDialog.h"
#include "mainwindow/popups/ButtonFloatWidget.h"
#include "mainwindow/popups/SwitchLineWidget.h"
#include "mainwindow/popups/VerSliderWidget.h"
#include "media/ExtPushWidget.h"
#include "media/MediaPlayerWidget.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"
#include "widgets/Toast.h"
#include "widgets/ToastButtonWidget.h"

#include <QStyle>

namespace {

// The class type of a dual-teacher class's second room.
constexpr int kClassTypeDualSub = 0;

// Share and play type of the external push.
constexpr int kShareExtPush = 4;

void Repolish(QWidget* w)
{
    w->style()->unpolish(w);
    w->style()->polish(w);
}

}  // namespace

void MainWindow::ConnectHandlers()
{
    connect(m_deviceSetting.get(), &DeviceSettingDialog::sgStartDeviceSetting, this, &MainWindow::OnDeviceSetting,
            Qt::UniqueConnection);
    connect(m_camSetting, &CamDevSettingWidget::sgStartDeviceSetting, this, &MainWindow::OnDeviceSetting,
            Qt::UniqueConnection);
    // The clarity chosen in the HD camera dialog goes to the live pusher's
    // record, where the HD camera share takes its video mode from.
    m_camSetting->SetVideoModeSink([](int videoMode) {
        RtmpLivePusher* pusher = Room::instance()->GetLivePusher();
        if (!pusher)
            return;
        RtmpPushParam param = pusher->GetPushParam();
        param.videoMode = videoMode;
        pusher->SetPushParam(param);
    });
    connect(m_extPush, &ExtPushWidget::sgExtPushShow, this, &MainWindow::OnExtPushShow, Qt::UniqueConnection);
    connect(m_extPush, &ExtPushWidget::sgExtPushStart, this, &MainWindow::OnExtPushStart, Qt::UniqueConnection);
    connect(m_extPush, &ExtPushWidget::sgExtPushPlay, this, &MainWindow::OnExtPushPlay, Qt::UniqueConnection);
    connect(m_switchLine, &SwitchLineWidget::sgSwitchLine, this, &MainWindow::onSwitchLine, Qt::UniqueConnection);
    connect(CData::instance(), &CData::sgSwitchLine, this, &MainWindow::onSwitchLine, Qt::UniqueConnection);
    connect(CData::instance(), &CData::sgExitApp, this, &MainWindow::OnExitApp);
    connect(Room::instance(), &Room::sgRoomSpeed, this, &MainWindow::OnRoomSpeed);
    if (RtmpLivePusher* pusher = Room::instance()->GetLivePusher())
        connect(pusher, &RtmpLivePusher::sgLivePushState, this, &MainWindow::slotRtmpPushFailed, Qt::UniqueConnection);
    if (RtmpLivePlayer* player = Room::instance()->GetLivePlayer())
        connect(player, &RtmpLivePlayer::sgRtmpPlayFailed, this, &MainWindow::slotRtmpPlayFailed, Qt::UniqueConnection);
    connect(m_micSlider, &VerSliderWidget::sgValueChange, this, &MainWindow::OnMicValueChange);
    OnMicValueChange();
    connect(m_speakerSlider, &VerSliderWidget::sgValueChange, this, &MainWindow::OnSpeakerValueChange);
    OnSpeakerValueChange();
    connect(CData::instance(), &CData::sgTimerUpdate, this, &MainWindow::onTimerUpdate);
    connect(CData::instance(), &CData::sgEnterRoom, this, &MainWindow::EnterRoom);
}

void MainWindow::OnExitApp()
{
    if (property("appexit").toBool())
        return;  // the program is ending already: no room to leave, no home to show
    ExitRoom();
    CData::instance()->SetAppExiting(true);
    close();
}

void MainWindow::OnDeviceSetting(bool on)
{
    CData* data = CData::instance();
    Room* room = Room::instance();
    data->SetStatus(kStatusDevicesBusy, on ? 1 : 0);
    ClientLib* lib = room->GetClientLib();
    if (data->IsTeacher() && lib) {
        if (on)
            lib->ReportDeviceState(0, 0, tr("老师正在进行设备调试"));
        else
            lib->ReportDeviceState(-1, -1, QString());
    }
    Logger::instance()->Log(LOG_INFO, "MainWindow::OnDeviceSetting", "device setting %s", on ? "on" : "off");
    if (!data->IsLiveRoom())
        return;
    if (on) {
        // The devices are free for the dialog: the teacher's stream stops.
        m_shareRetry = 0;
        room->StopShare();
        return;
    }
    if (m_leavingRoom)
        return;
    if (data->GetClassType() == kClassTypeDualSub && data->GetStatus(kStatusPartnerTeacher)) {
        // The partner teacher is teaching: the partner's stream plays again.
        if (room->GetPlayType() != 0)
            room->StartPlay(room->GetPlayType(), room->GetPlayStream());
    } else {
        room->StartShare(data->GetLiveMode());
    }
}

void MainWindow::OnExtPushShow(bool show)
{
    CData* data = CData::instance();
    data->SetStatus(kStatusDevicesBusy, show ? 1 : 0);
    data->SetStatus(kStatusMixedBroadcast, show ? 1 : 0);
    if (!data->IsTeacher() || !data->IsLiveRoom())
        return;
    if (show) {
        m_shareRetry = 0;
        if (data->GetLiveMode() == 3)
            data->SetLiveMode(2);
        if (data->IsRecording())
            StartOrStopRecord(false, false);
        Room::instance()->StopShare();
    } else {
        data->SetLiveMode(1);
        ui->btnVideo->click();
    }
}

void MainWindow::OnExtPushStart(bool start, const QString& streamName)
{
    Room::instance()->ReportRecord(start, streamName);
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->SetPushInfo(streamName, 4, 1280, 720, start ? 1 : 0);
}

void MainWindow::OnExtPushPlay(bool on)
{
    if (on) {
        if (!m_previewFloat) {
            m_previewFloat = new ButtonFloatWidget(this);
            m_previewFloat->SetText(tr("直播画面预览"));
            m_previewFloat->SetPos(ui->titleWidget->height(),
                                   -(CData::instance()->GetVideoWidth() + ui->rightWidget->width()) / 2);
            m_previewFloat->setEnabled(false);
        }
        m_previewFloat->ShowAtPos();
    } else if (m_previewFloat) {
        m_previewFloat->hide();
    }
}

void MainWindow::OnMediaShowChange()
{
    if (!m_drawToolBar)
        return;
    // A video of the room's media player covers the board: the drawing tool
    // bar steps aside while it plays and comes back when it goes.
    const bool playerShown = m_mediaPlayer->isVisible();
    if (playerShown && m_mediaPlayer->IsVideoMedia()) {
        if (m_drawToolBar->isVisible()) {
            m_drawToolBar->setProperty("isShow", true);
            m_drawToolBar->hide();
        }
    } else if (m_drawToolBar->property("isShow").toBool()) {
        m_drawToolBar->setProperty("isShow", false);
        m_drawToolBar->show();
    }
    // An external push shows its picture in the room display widget, which
    // the player's video would otherwise lie under.
    Room* room = Room::instance();
    if (room->GetShareType() == kShareExtPush || room->GetPlayType() == kShareExtPush)
        if (RtmpLivePusher* pusher = room->GetLivePusher())
            if (QWidget* render = pusher->GetPushParam().displayWidget)
                render->setVisible(!playerShown);
}

void MainWindow::OnMicValueChange()
{
    ui->btnMicSet->setProperty("status", m_micSlider->Value() == 0 ? 1 : 0);
    Repolish(ui->btnMicSet);
}

void MainWindow::OnSpeakerValueChange()
{
    ui->btnVolSet->setProperty("status", m_speakerSlider->Value() == 0 ? 1 : 0);
    Repolish(ui->btnVolSet);
}

void MainWindow::OnRoomSpeed(int level, int delayMs)
{
    if (!isVisible())
        return;
    if (ui->btnSpeed->property("status") != QVariant(level)) {
        ui->btnSpeed->setProperty("status", level);
        Repolish(ui->btnSpeed);
    }
    static const char* const kLevels[] = {QT_TR_NOOP("极差(%1ms)"), QT_TR_NOOP("很差(%1ms)"), QT_TR_NOOP("差(%1ms)"),
                                         QT_TR_NOOP("一般(%1ms)"), QT_TR_NOOP("好(%1ms)"), QT_TR_NOOP("良好(%1ms)")};
    ui->btnSpeed->setToolTip(level >= 0 && level <= 5 ? tr(kLevels[level]).arg(delayMs) : QString());
    if (delayMs <= 500)
        return;
    const qint64 now = m_wallSeconds();
    if (m_lastNetWarning <= 0)
        m_lastNetWarning = now - 60;
    if (now - m_lastNetWarning > 600) {
        m_lastNetWarning = now;
        Toast::ShowToast(tr("网络异常，请检查网络情况～"), this, 5000);
    }
}

void MainWindow::OnDualVisible(bool allClasses)
{
    // The strip's own button tells the library (once per click); the window
    // only sets it up and shows it.
    if (!m_visibilityToast)
        m_visibilityToast = new ToastButtonWidget(this);
    m_visibilityToast->setProperty("in", allClasses);
    if (allClasses)
        m_visibilityToast->SetText(tr("当前视频和PPT仅本班学生可见"), tr("允许全体可见"));
    else
        m_visibilityToast->SetText(tr("当前视频和PPT仅自己可见"), tr("允许学生可见"));
    m_visibilityToast->show();
}
