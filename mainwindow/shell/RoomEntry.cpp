// MainWindow: entering and leaving a class room, the dual-teacher
// sub-classroom, and the recording switch.
#include "mainwindow/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/CData.h"
#include "app/DownThread.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "courseware/DocTurnPageCtrl.h"
#include "courseware/DrawToolBarCtrl.h"
#include "courseware/DocWidget.h"
#include "device/CamDevSettingWidget.h"
#include "device/DeviceSettingDialog.h"
#include "home/ClassListWidget.h"
#include "interaction/ChatCtrl.h"
#include "interaction/CHudongWidget.h"
#include "interaction/CountdownWidget.h"
#include "interaction/CTopClassWidget.h"
#include "interaction/CTopMsgWidget.h"
#include "interaction/LotteryAnswer.h"
#include "interaction/LotteryResultWidget.h"
#include "interaction/LotteryWidget.h"
#include "interaction/QuestionAnswer.h"
#include "interaction/QuestionResultWidget.h"
#include "interaction/QuestionWidget.h"
#include "interaction/UserListDialog.h"
#include "mainwindow/popups/ButtonFloatWidget.h"
#include "mainwindow/popups/DeskFloatWidget.h"
#include "mainwindow/popups/ShowQRWidget.h"
#include "mainwindow/popups/ShowStreamWidget.h"
#include "mainwindow/popups/StuDeviceSettingWidget.h"
#include "mainwindow/popups/SwitchBKWidget.h"
#include "mainwindow/popups/SwitchLineWidget.h"
#include "mainwindow/popups/VerSliderWidget.h"
#include "mainwindow/room/MainDockRight.h"
#include "mainwindow/room/RoomViewsSetup.h"
#include "media/ExtPushWidget.h"
#include "media/IMediaEngine.h"
#include "media/MediaPlayerWidget.h"
#include "media/OBSSettingWindow.h"
#include "WhiteBoardLib.h"
#include "widgets/MsgBox.h"
#include "widgets/Toast.h"
#include "widgets/ToastButtonWidget.h"
#include "widgets/ToastHandupButton.h"
#include "widgets/ToastQuestionButton.h"

#include <QDateTime>
#include <nlohmann/json.hpp>

namespace {

// The type of the room's entry and exit reports ("inOutType" 1 or 0).
constexpr int kReportRoomInOut = 1001;
// Share type of the desktop (the broadcast engine publishes it).
constexpr int kShareDesktop = 3;
// Live mode of a room that records an MP4 file locally.
constexpr int kLiveModeMp4 = 10;

// A per-room pop-up held by a shared pointer: the last owner detaches it
// from its parent and lets the event loop delete it.
template <typename T>
std::shared_ptr<T> MakeRoomShared(QWidget* parent)
{
    return std::shared_ptr<T>(new T(parent), [](T* w) {
        w->hide();
        w->setParent(nullptr);
        w->deleteLater();
    });
}

template <typename T>
void DropWidget(T*& w)
{
    if (!w)
        return;
    w->hide();
    w->deleteLater();
    w = nullptr;
}

}  // namespace

void MainWindow::EnterRoom()
{
    CData* data = CData::instance();
    PubUtils::MoveToScreenCenter(this, m_classList);
    if (m_classList)
        m_classList->hide();
    const bool live = data->IsLiveRoom();
    Logger::instance()->Log(LOG_INFO, "MainWindow::EnterRoom", "enter room %s", live ? "big" : "small");
    IMediaEngine::selectEngine(live ? kMediaEngineBigRoom : kMediaEngineClientLib);
    InitRoomUi();
    const QVariant loginVars(data->GetLoginVar());
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->LoginRoom(loginVars);
    // The courseware panel asks for the cloud folders right after the room
    // login, so the room's own answer is not queued behind them.
    if (data->IsTeacher())
        m_docWidget->InitPages();
    if (CWhiteBoardLib* wb = Room::instance()->GetWBLib())
        wb->EnterRoom(loginVars);
    Room::instance()->ReportLog(kReportRoomInOut, nlohmann::json{{"inOutType", 1}});
}

void MainWindow::InitRoomUi()
{
    CData* data = CData::instance();
    m_courseEnd = 0;
    m_lastActivity = data->GetSvrTime();
    m_firstRoomLogin = true;
    m_startRecording = false;
    m_unrecordedTicks = 0;
    m_roomEntryTime = m_wallSeconds();

    ui->mainWidget->setEnabled(false);
    m_handupToast->hide();
    m_questionToast->hide();
    if (!data->IsTeacher()) {
        for (QWidget* w : {static_cast<QWidget*>(ui->btnQRShow), static_cast<QWidget*>(ui->btnDocFile),
                           static_cast<QWidget*>(ui->btnUseList), static_cast<QWidget*>(ui->btnSwitchBK),
                           static_cast<QWidget*>(ui->btnRecorder), static_cast<QWidget*>(ui->labRecTip),
                           static_cast<QWidget*>(ui->btnVideo), static_cast<QWidget*>(ui->btnDesk),
                           static_cast<QWidget*>(ui->btnHCam), static_cast<QWidget*>(ui->btnExtPush)})
            w->hide();
        if (!m_stuDevice)
            m_stuDevice = new StuDeviceSettingWidget(this);
    }
    const bool live = data->IsLiveRoom();
    ui->userListCtrl->setVisible(!live);
    for (QWidget* w : {static_cast<QWidget*>(m_switchBK.get()), static_cast<QWidget*>(m_hudong),
                       static_cast<QWidget*>(m_topMsg)})
        w->setFixedWidth(data->GetVideoWidth());
    connect(m_broadcast, &OBSSettingWindow::sgStopFinish, this, &MainWindow::toStartRecorderOrDesk,
            Qt::UniqueConnection);
    InstallRoomViews();
    if (live)
        InitLiveRoomUi();
    else
        InitSmallRoomUi();
    m_chat->InitStyle();
    if (m_drawToolBar)
        m_drawToolBar->InitToolBar();

    const QPixmap logo = DownThread::GetLoadPixmap(data->GetGroupLogoUrl(1).toStdString());
    if (!logo.isNull())
        ui->labLogo->setPixmap(
            logo.scaled(ui->labLogo->size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation));
}

void MainWindow::InitLiveRoomUi()
{
    CData* data = CData::instance();
    ui->labRecTip->setFixedWidth(60);
    Room::instance()->InitDisplayWidget(this);
    m_showQR = MakeRoomShared<ShowQRWidget>(ui->DockRight);
    MakeUserList(ui->DockRight);
    connect(m_hudong, &CHudongWidget::sgBigOpenMedia, m_userList.get(), &UserListDialog::onBigOpenMedia);
    connect(m_userList.get(), &UserListDialog::sgBigCloseMediaClick, m_hudong,
            &CHudongWidget::on_btnBigOpenMedia_clicked);
    m_drawToolBar = std::make_shared<DrawToolBarCtrl>(ui->DrawBarWdg);
    ui->DockRight->SetTopVideo(Room::instance()->GetDisplayWidget());
    ui->DockRight->SetVideoWidget(m_showQR.get(), 0);
    ui->DockRight->SetVideoWidget(m_userList.get(), 1);
    ui->DockRight->SetVideoWidget(m_chat, 2);
    ui->DockRight->ShowDock(true);
    for (QWidget* w : {ui->btnSwitchLine, ui->btnTopMsg, ui->btnShangJia})
        w->show();
    if (data->IsTeacher()) {
        for (QWidget* w : {static_cast<QWidget*>(ui->btnQRShow), static_cast<QWidget*>(ui->btnVideo),
                           static_cast<QWidget*>(ui->btnDesk), static_cast<QWidget*>(ui->btnHCam),
                           static_cast<QWidget*>(ui->DrawBarWdg), static_cast<QWidget*>(ui->btnHudong)})
            w->show();
        ui->btnExtPush->hide();
        m_deskFloat = new DeskFloatWidget(ui->wbWidget);
        m_deskFloat->hide();
        connect(m_deskFloat, &DeskFloatWidget::sgStopDeskShare, this, [this] {
            if (Room::instance()->GetShareType() == kShareDesktop && ui->btnVideo->isEnabled())
                ui->btnVideo->click();
        });
        Room::instance()->SetDeskFloatWidget(m_deskFloat);
    } else {
        for (QWidget* w : std::initializer_list<QWidget*>{ui->DrawBarWdg, ui->btnSetting, ui->btnMicSet})
            w->hide();
        ui->btnStuAD->show();
    }
    if (ClientLib* lib = Room::instance()->GetClientLib())
        lib->EnterLiveRoom(data->IsTeacher(), data->GetLoginVar().value(0));
}

void MainWindow::InitSmallRoomUi()
{
    CData* data = CData::instance();
    ui->labRecTip->setFixedWidth(133);
    m_showQR = MakeRoomShared<ShowQRWidget>(this);
    MakeUserList(this);
    ui->btnSwitchLine->hide();
    if (data->IsLoginRole6()) {
        ui->btnTopMsg->show();
        ui->btnShangJia->show();
        if (!data->IsTeacher())
            ui->btnStuAD->show();
    }
    if (data->IsTeacher()) {
        ui->btnQRShow->show();
        for (QWidget* w : {ui->btnVideo, ui->btnDesk, ui->btnHCam, ui->btnExtPush})
            w->hide();
        ui->btnHudong->setVisible(data->IsLoginRole6());
    } else {
        ui->btnSetting->show();
        ui->btnMicSet->show();
    }
    ui->DrawBarWdg->hide();
    m_drawToolBar = std::make_shared<DrawToolBarCtrl>(ui->wbWidget);
}

// The room's user list, made anew for every room on the widget that holds
// it (the dock of a live room, else this window). The chat panel is the
// window's own and keeps its rows between rooms: a live room's dock takes
// it in, a class room shows it floating over this window.
void MainWindow::MakeUserList(QWidget* parent)
{
    m_userList = MakeRoomShared<UserListDialog>(parent);
}

void MainWindow::ExitRoom()
{
    CData* data = CData::instance();
    Room* room = Room::instance();
    Logger::instance()->Log(LOG_INFO, "MainWindow::ExitRoom", "leave room");
    if (data->IsRecording())
        Room::instance()->ReportRecord(false, QString());
    Room::instance()->ReportLog(kReportRoomInOut, nlohmann::json{{"inOutType", 0}});
    m_courseEnd = 0;
    m_shareRetry = 0;
    m_extPush->ResetData(true);
    if (m_userList)
        m_userList->CancelLinkMic();
    if (m_streamWidget)
        m_streamWidget->ClickClose(true);
    if (ClientLib* lib = room->GetClientLib())
        lib->LeaveRoom();
    if (CWhiteBoardLib* wb = room->GetWBLib())
        wb->LeaveRoom();
    if (m_classList)
        PubUtils::MoveToScreenCenter(m_classList, this);
    hide();

    ResetRoomTools();
    m_lastNetWarning = 0;
    // A device dialog still open ends the device setting (the students are
    // told, the busy state clears) but resumes nothing in a room being left.
    m_leavingRoom = true;
    m_deviceSetting->close();
    m_camSetting->close();
    m_leavingRoom = false;
    if (m_stuDevice)
        m_stuDevice->close();
    m_mediaPlayer->StopMedia(true);
    ui->btnVideo->setToolTip(tr("视频直播"));
    SetLiveModeImages("lv_camer2.png", "lv_desk1.png", "lv_hcamera1.png", "lv_extpush1.png");
    ui->labTitle->clear();
    ui->DockRight->ShowDock(false);
    disconnect(m_broadcast, &OBSSettingWindow::sgStopFinish, this, &MainWindow::toStartRecorderOrDesk);
    DropRoomObjects();

    // The participants' tiles go with their players: nothing the room made
    // keeps playing (or replaying) at home.
    ui->userListCtrl->clearUsers();
    Room::instance()->StopShare();
    DropRoomViews();
    Room::instance()->StopPlay(true);
    if (m_broadcast->IsMP4Recording())
        m_broadcast->StopRecord();
    if (m_broadcast->IsWorking())
        m_broadcast->StopWork();
    ui->btnMax->show();
    ui->btnMin->show();
    data->ResetData(false);
    room->ExitRoom();  // the display widget goes there
    m_dualTeacher.clear();
}

// Every room tool hidden and reset to its idle state.
void MainWindow::ResetRoomTools()
{
    for (QWidget* w : {static_cast<QWidget*>(ui->btnHudong), static_cast<QWidget*>(ui->btnTopMsg),
                       static_cast<QWidget*>(ui->btnShangJia), static_cast<QWidget*>(ui->btnStuAD),
                       static_cast<QWidget*>(m_lottery), static_cast<QWidget*>(m_question),
                       static_cast<QWidget*>(m_questionAnswer), static_cast<QWidget*>(m_micSlider),
                       static_cast<QWidget*>(m_speakerSlider), static_cast<QWidget*>(m_switchLine)})
        w->hide();
    m_lotteryResult->ResetData(true);
    m_lotteryAnswer->ResetData(true);
    m_questionResult->ResetData(true);
    m_countdown->StopCountdown(true);
    m_hudong->ResetData();
    m_topMsg->ResetData(true);
    m_products->ResetData(true);
    m_adverts->ResetData(true);
    ui->btnChatMsg->setCheckable(false);
    ui->btnChatMsg->setChecked(false);
}

// The per-room objects go; the next entry makes them anew.
void MainWindow::DropRoomObjects()
{
    DropWidget(m_previewFloat);
    DropWidget(m_deskFloat);
    DropWidget(m_visibilityToast);
    if (m_msgBox->isVisible())
        m_msgBox->close();
    Room::instance()->SetDeskFloatWidget(nullptr);
    m_showQR.reset();
    m_userList.reset();
    // The chat panel stays, hidden and out of the dock, with its rows, own
    // chat ids and throttle; the next room places and styles it again.
    m_chat->hide();
    if (m_chat->parentWidget() != this)
        m_chat->setParent(this);
    m_docWidget->Clear();
    m_docWidget->hide();
    ui->DockRight->hide();
    ui->DockRight->setFixedWidth(0);
    m_turnPage->Reset();
    m_drawToolBar.reset();
    m_handupToast->setHandupState(false);
}

void MainWindow::OnDualTeacherInOut(bool enter)
{
    CData* data = CData::instance();
    ClientLib* lib = Room::instance()->GetClientLib();
    CWhiteBoardLib* wb = Room::instance()->GetWBLib();
    const QString name = m_dualTeacher.value("userName").toString();
    for (QWidget* w : {ui->btnVideo, ui->btnDesk, ui->btnHCam})
        w->setEnabled(!enter);
    if (enter) {
        data->SetStatusText(kStatusToken, m_dualTeacher.value("token").toString());
        Toast::ShowToast(tr("主教室老师") + name + tr("进入教室"), this, 3000);
        Room::instance()->StopShare();
        if (wb)
            wb->SetDualMode("1");
        if (m_turnPage)
            m_turnPage->SetSubRoomMode(true);
        m_dualTeacher["conn"] = true;
        if (lib)
            lib->DualRoomCmd(QVariant(m_dualTeacher));
        return;
    }
    data->SetStatusText(kStatusToken, data->GetLoginVar().value(0));
    if (wb)
        wb->SetDualMode(QString());
    if (m_turnPage)
        m_turnPage->SetSubRoomMode(false);
    Room::instance()->StopPlay(true);
    m_dualTeacher["conn"] = false;
    if (lib)
        lib->DualRoomCmd(QVariant(m_dualTeacher));
    if (data->IsTeacher())
        Room::instance()->StartShare(data->GetLiveMode());
    Toast::ShowToast(tr("主教室老师") + name + tr("离开教室"), this, 3000);
}

bool MainWindow::StartOrStopRecord(bool start, bool remote)
{
    CData* data = CData::instance();
    if (data->GetLiveMode() == kLiveModeMp4)
        return false;
    if (remote)
        m_msgBox->hide();
    const bool desktop = Room::instance()->GetShareType() == kShareDesktop;
    if (start) {
        if (ExtPushVisible())
            return false;
        m_unrecordedTicks = 0;
        data->SetRecording(true);
        if (desktop)
            Room::instance()->StopShare();
        else
            toStartRecorderOrDesk(0);
        return true;
    }
    data->SetRecording(false);
    ui->btnMax->show();
    ui->btnMin->show();
    Toast::ShowToast(tr("已停止录制"), this, 3000);
    if (desktop)
        Room::instance()->StopShare();
    else
        m_broadcast->StopWork();
    return true;
}

bool MainWindow::ExtPushVisible() const
{
    return m_extPush && m_extPush->isVisible();
}

void MainWindow::SetCourseTimes(qint64 courseEnd, qint64 lastActivity)
{
    m_courseEnd = courseEnd;
    m_lastActivity = lastActivity;
}
