// MainWindow: the form's buttons (window buttons, side tools, live modes,
// recording), the restart of a share or play, and the recording size.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "courseware/DocWidget.h"
#include "device/CamDevSettingWidget.h"
#include "device/DeviceSettingDialog.h"
#include "interaction/ChatCtrl.h"
#include "interaction/CHudongWidget.h"
#include "interaction/CTopClassWidget.h"
#include "interaction/CTopMsgWidget.h"
#include "interaction/UserListDialog.h"
#include "mainwindow/popups/ShowQRWidget.h"
#include "mainwindow/popups/SwitchBKWidget.h"
#include "mainwindow/popups/SwitchLineWidget.h"
#include "mainwindow/popups/VerSliderWidget.h"
#include "media/ExtPushWidget.h"
#include "media/MediaPlayerWidget.h"
#include "media/OBSSettingWindow.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QFileDialog>

namespace {

constexpr int kLiveModeAudio = 1;
constexpr int kLiveModeCamera = 2;
constexpr int kLiveModeDesktop = 3;
constexpr int kLiveModeHdCamera = 4;
constexpr int kLiveModeMp4 = 10;
constexpr int kShareDesktop = 3;
constexpr int kClassTypeNormal = 2;
constexpr int kClassTypeDualSub = 0;
// The room layout's side strip width and bottom strip height.
constexpr int kRecordStrip = 60;

QString ButtonImage(const char* file)
{
    return QString("QPushButton{ border-image: url(:/main/res/main/%1); }").arg(QLatin1String(file));
}

bool IsVisible(const QWidget* w) { return w && w->isVisible(); }

}  // namespace

void MainWindow::PlaceAtRightPanel(QWidget* panel, bool show, bool aboveBottomStrips)
{
    const QPoint at = ui->rightWidget->mapToGlobal(QPoint(0, 0));
    int height = ui->rightWidget->height();
    if (aboveBottomStrips) {
        // Down to the first strip under the whiteboard (the drawing bar with
        // the page controls, else the bottom bar with the share buttons).
        QWidget* strip = ui->DrawBarWdg->isVisible() ? ui->DrawBarWdg : ui->bottomWidget;
        height = qBound(0, strip->mapToGlobal(QPoint(0, 0)).y() - at.y(), height);
    }
    panel->setFixedHeight(height);
    panel->move(at.x() - panel->width(), at.y());
    if (show) {
        panel->show();
        panel->raise();
    }
}

void MainWindow::PlaceAtButton(QWidget* panel, QWidget* button)
{
    const QPoint at = button->mapToGlobal(QPoint(0, 0));
    panel->move(at.x(), at.y() - panel->height() + button->height());
    panel->show();
}

void MainWindow::SetLiveModeImages(const char* video, const char* desk, const char* hcam, const char* extPush)
{
    ui->btnVideo->setStyleSheet(ButtonImage(video));
    ui->btnDesk->setStyleSheet(ButtonImage(desk));
    ui->btnHCam->setStyleSheet(ButtonImage(hcam));
    ui->btnExtPush->setStyleSheet(ButtonImage(extPush));
}

void MainWindow::OnButtonClick()
{
    QObject* from = sender();
    const bool live = CData::instance()->IsLiveRoom();
    if (from == ui->btnMin) {
        showMinimized();
    } else if (from == ui->btnMax) {
        if (!isMaximized()) {
            showMaximized();
            ui->btnMax->setChecked(true);
        } else {
            showNormal();
            resize(MinimumSizeFor(QApplication::desktop()->availableGeometry(this).size()));
            ui->btnMax->setChecked(false);
        }
    } else if (from == ui->btnClose) {
        close();
    } else if (from == ui->btnQRShow) {
        if (!m_showQR)
            return;
        if (live) {
            ui->DockRight->show();
            m_showQR->ShowQR();
        } else {
            PlaceAtRightPanel(m_showQR.get(), false);
            m_showQR->ShowQR();
            m_showQR->raise();
        }
    } else if (from == ui->btnDocFile) {
        m_docWidget->show();
        m_docWidget->raise();
    } else if (from == ui->btnSwitchBK) {
        PlaceAtRightPanel(m_switchBK.get());
    } else if (from == ui->btnUseList) {
        if (live) {
            ui->DockRight->show();
            if (m_userList)
                m_userList->show();
        } else if (m_userList) {
            PlaceAtRightPanel(m_userList.get());
        }
    } else if (from == ui->btnChatMsg) {
        if (live)
            ui->DockRight->show();
        if (m_chat) {
            m_chat->show();
            m_chat->raise();
        }
        ui->btnChatMsg->setCheckable(false);
        ui->btnChatMsg->setChecked(false);
    } else if (from == ui->btnHudong) {
        PlaceAtRightPanel(m_hudong);
    } else if (from == ui->btnTopMsg) {
        PlaceAtRightPanel(m_topMsg);
    } else if (from == ui->btnShangJia || from == ui->btnStuAD) {
        CTopClassWidget* cards = from == ui->btnShangJia ? m_products : m_adverts;
        PlaceAtRightPanel(cards, false, true);
        cards->ShowWidget();
    } else if (from == ui->btnSetting) {
        if (ExtPushVisible()) {
            m_extPush->raise();
        } else if (IsVisible(m_camSetting)) {
            m_camSetting->raise();
        } else if (IsVisible(m_deviceSetting.get())) {
            m_deviceSetting->raise();
        } else {
            m_deviceSetting->initDevice();
            m_deviceSetting->showSetting();
        }
    } else if (from == ui->btnMicSet || from == ui->btnVolSet) {
        // Above its button, so that the button stays free to close it again.
        VerSliderWidget* slider = from == ui->btnMicSet ? m_micSlider : m_speakerSlider;
        if (slider->isVisible())
            slider->hide();
        else
            slider->ShowAbove(from == ui->btnMicSet ? ui->btnMicSet : ui->btnVolSet);
    } else if (from == ui->btnVideo || from == ui->btnHCam || from == ui->btnExtPush || from == ui->btnDesk) {
        OnLiveModeButton(from);
    } else if (from == ui->btnRecorder) {
        OnRecorderButton();
    } else if (from == ui->btnSwitchLine) {
        m_switchLine->UpdateHeight();
        PlaceAtButton(m_switchLine, ui->btnSwitchLine);
        m_switchLine->ShowLines();
    }
}

void MainWindow::StopMediaForLiveMode()
{
    if (!m_mediaPlayer->isVisible())
        return;
    Toast::ShowToast(tr("正在切换直播模式，音视频播放已关闭"), this, 3000);
    m_mediaPlayer->StopMedia(false);
}

void MainWindow::StopVoiceForLiveMode()
{
    if (!CData::instance()->GetStatus(kStatusVoiceInteraction))
        return;
    Toast::ShowToast(tr("正在切换直播模式，语音互动已关闭"), this, 3000);
    if (m_userList)
        m_userList->CancelLinkMic();
    m_hudong->CloseBigOpenMedia();
}

void MainWindow::OnLiveModeButton(QObject* button)
{
    CData* data = CData::instance();
    Room* room = Room::instance();
    const bool deviceOpen = IsVisible(m_deviceSetting.get()) || IsVisible(m_camSetting);
    auto raiseDevices = [this] {
        if (IsVisible(m_deviceSetting.get()))
            m_deviceSetting->raise();
        else if (IsVisible(m_camSetting))
            m_camSetting->raise();
    };
    if (button == ui->btnExtPush) {
        if (data->GetClassType() != kClassTypeNormal) {
            Toast::ShowToast(tr("双师课堂不支持外部推流功能！"), this, 3000);
            return;
        }
        if (deviceOpen)
            return;
        SetLiveModeImages("lv_camer1.png", "lv_desk1.png", "lv_hcamera1.png", "lv_extpush2.png");
        if (ExtPushVisible()) {
            m_extPush->raise();
            return;
        }
        StopMediaForLiveMode();
        StopVoiceForLiveMode();
        m_mediaPlayer->NotifyMediaState(false);
        m_extPush->ShowExtPush();
        return;
    }
    if (ExtPushVisible()) {
        m_extPush->raise();
        return;
    }
    if (button == ui->btnHCam) {
        if (IsVisible(m_deviceSetting.get())) {
            m_deviceSetting->raise();
            return;
        }
        SetLiveModeImages("lv_camer1.png", "lv_desk1.png", "lv_hcamera2.png", "lv_extpush1.png");
        if (IsVisible(m_camSetting)) {
            m_camSetting->raise();
            return;
        }
        StopMediaForLiveMode();
        StopVoiceForLiveMode();
        m_mediaPlayer->NotifyMediaState(false);
        data->SetLiveMode(kLiveModeHdCamera);
        m_camSetting->initDevice();
        m_camSetting->showSetting();
        return;
    }
    if (deviceOpen) {
        raiseDevices();
        return;
    }
    if (button == ui->btnVideo) {
        if (data->GetLiveMode() != kLiveModeAudio && data->GetLiveMode() != kLiveModeCamera)
            StopMediaForLiveMode();
        m_shareRetry = 0;
        m_mediaPlayer->NotifyMediaState(false);
        int mode = kLiveModeCamera;
        if (data->GetLiveMode() == kLiveModeCamera) {
            SetLiveModeImages("lv_mic1.png", "lv_desk1.png", "lv_hcamera1.png", "lv_extpush1.png");
            ui->btnVideo->setToolTip(tr("音频直播"));
            mode = kLiveModeAudio;
        } else {
            SetLiveModeImages("lv_camer2.png", "lv_desk1.png", "lv_hcamera1.png", "lv_extpush1.png");
            ui->btnVideo->setToolTip(tr("视频直播"));
        }
        data->SetLiveMode(mode);
        Room::instance()->StopShare();
        Room::instance()->StartShare(data->GetLiveMode());
        return;
    }
    // The desktop.
    SetLiveModeImages("lv_camer1.png", "lv_desk2.png", "lv_hcamera1.png", "lv_extpush1.png");
    if (data->GetLiveMode() != kLiveModeDesktop) {
        StopMediaForLiveMode();
        StopVoiceForLiveMode();
    }
    m_shareRetry = 0;
    m_mediaPlayer->NotifyMediaState(true);
    if (room->GetShareType() == kShareDesktop) {
        if (!m_broadcast->IsWorking())
            Room::instance()->StartShare(data->GetLiveMode());
        return;
    }
    Room::instance()->StopShare();
    data->SetLiveMode(kLiveModeDesktop);
    if (data->IsRecording())
        m_broadcast->StopWork();  // the recorder restarts with the desktop
    else
        Room::instance()->StartShare(data->GetLiveMode());
}

void MainWindow::OnRecorderButton()
{
    if (ExtPushVisible()) {
        m_extPush->raise();
        return;
    }
    CData* data = CData::instance();
    if (data->GetLiveMode() == kLiveModeMp4) {
        if (m_broadcast->IsMP4Recording()) {
            ui->btnMax->show();
            ui->btnMin->show();
            Toast::ShowToast(tr("已停止录制"), this, 3000);
            m_broadcast->StopRecord();
        } else {
            AskLocalRecording();
        }
        return;
    }
    if (data->IsRecording())
        StartOrStopRecord(false, false);
    else
        AskCloudRecording();
}

void MainWindow::AskLocalRecording()
{
    m_msgBox->SetMsgText(tr("点击开始录制，选择视频保存目录后，将进行本地视频录制"), QString());
    m_msgBox->SetButtonText(true, tr("开始录制"), tr("取消录制"));
    m_msgBox->ShowMsg(
        [](bool ok, void* user) {
            if (!ok)
                return;
            auto* self = static_cast<MainWindow*>(user);
            QFileDialog dialog(self, tr("选择视频保存目录"));
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly, true);
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return;
            self->FitToScreenForRecord(true);
            self->m_broadcast->StartRecord(dialog.selectedFiles().first());
        },
        this);
}

void MainWindow::AskCloudRecording()
{
    m_msgBox->SetMsgText(tr("开启云端课堂录制，才可以生成课堂回放，学生可以课后观看。现在是否开启云端录制？"), QString());
    m_msgBox->SetButtonText(true, tr("开启录制生成回放"), tr("不录制不生成回放"));
    m_msgBox->ShowMsg(
        [](bool ok, void* user) {
            auto* self = static_cast<MainWindow*>(user);
            CData* data = CData::instance();
            // The panel may have been opened while the question stood.
            if (!ok || data->GetLiveMode() == kLiveModeMp4 || self->ExtPushVisible())
                return;
            self->m_unrecordedTicks = 0;
            data->SetRecording(true);
            if (Room::instance()->GetShareType() == kShareDesktop)
                Room::instance()->StopShare();  // the recorder takes the desktop over
            else
                self->toStartRecorderOrDesk(0);
        },
        this);
}

void MainWindow::ReDoSharePlay()
{
    CData* data = CData::instance();
    Room* room = Room::instance();
    auto restartPlay = [room] {
        if (room->GetPlayType() != 0)
            Room::instance()->StartPlay(room->GetPlayType(), room->GetPlayStream());
    };
    if (!data->IsTeacher()) {
        restartPlay();
        return;
    }
    if (ExtPushVisible()) {
        m_extPush->ReStartPush();
        return;
    }
    if (data->GetClassType() == kClassTypeDualSub && data->GetStatus(kStatusPartnerTeacher)) {
        Room::instance()->StopShare();
        restartPlay();
        return;
    }
    Room::instance()->StopPlay(true);
    const bool working = m_broadcast->IsWorking();
    Room::instance()->StopShare();
    if (room->GetShareType() == kShareDesktop && working)
        return;
    Room::instance()->StartShare(data->GetLiveMode());
}

QSize MainWindow::RecordSizeFor(const QSize& available, int titleHeight)
{
    // A 16:9 whiteboard beside the side strip and above the bottom strip.
    const int width = available.width();
    const int height = available.height();
    const int h = static_cast<int>((width - kRecordStrip) * 9.0 / 16.0 + titleHeight + kRecordStrip);
    if (h < height)
        return {width, h};
    return {static_cast<int>((height - kRecordStrip - titleHeight) / 9.0 * 16.0 + kRecordStrip), height};
}

void MainWindow::FitToScreenForRecord(bool record)
{
    if (!record) {
        ui->btnMax->show();
        ui->btnMin->show();
        return;
    }
    ui->btnMax->hide();
    ui->btnMin->hide();
    resize(RecordSizeFor(QApplication::desktop()->availableGeometry(this).size(), ui->titleWidget->height()));
    if (isVisible())
        PubUtils::MoveToScreenCenter(this);
}
