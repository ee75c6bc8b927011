// MainWindow: the handlers its constructor connects.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "device/CamDevSettingWidget.h"
#include "device/DeviceSettingDialog.h"
#include "mainwindow/popups/ButtonFloatWidget.h"
#include "mainwindow/popups/SwitchLineWidget.h"
#include "mainwindow/popups/VerSliderWidget.h"
#include "media/ExtPushWidget.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"
#include "widgets/Toast.h"
#include "widgets/ToastButtonWidget.h"

#include <QStyle>

namespace {

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
    data->SetStatus(kStatusDevicesBusy, on ? 1 : 0);
    ClientLib* lib = Room::instance()->GetClientLib();
    if (data->IsTeacher() && lib) {
        if (on)
            lib->ReportDeviceState(0, 0, tr("老师正在进行设备调试"));
        else
            lib->ReportDeviceState(-1, -1, QString());
    }
    if (!data->IsLiveRoom())
        return;
    if (on)
        m_shareRetry = 0;
    // Seam: on -> Room::StopShare(); off -> the partner's play resumes
    // (class type 0 with the partner present) or the share resumes in the
    // live mode, once the room controller offers play and share.
    Logger::instance()->Log(LOG_INFO, "MainWindow::OnDeviceSetting", "device setting %s", on ? "on" : "off");
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
    // Seam: the room media player and the drawing tool bar come with their
    // areas; until then there is nothing to show or hide.
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

void MainWindow::OnDualVisible(bool allClasses, bool fromToast)
{
    if (!fromToast) {
        if (!m_visibilityToast) {
            m_visibilityToast = new ToastButtonWidget(this);
            connect(m_visibilityToast, &ToastButtonWidget::sgClickButton, this, [this] {
                OnDualVisible(m_visibilityToast->property("all").toBool(), true);
            });
        }
        m_visibilityToast->setProperty("in", allClasses);
        m_visibilityToast->setProperty("all", allClasses);
        if (allClasses)
            m_visibilityToast->SetText(tr("当前视频和PPT仅本班学生可见"), tr("允许全体可见"));
        else
            m_visibilityToast->SetText(tr("当前视频和PPT仅自己可见"), tr("允许学生可见"));
        m_visibilityToast->show();
        return;
    }
    ClientLib* lib = Room::instance()->GetClientLib();
    if (lib && m_visibilityToast)
        lib->SetDualVisible(m_visibilityToast->property("in").toBool(), true);
}
