// Entering and leaving a class room: the engine and the log line by room
// kind, the room's widgets set up and reset, the libraries asked to log in
// and leave, fresh per-room pop-ups on every entry; the dual-teacher
// sub-classroom; the recording switch.
#include "tests/mainwindow/RoomTestSupport.h"

#include "home/ClassListWidget.h"
#include "interaction/ChatCtrl.h"
#include "interaction/UserListDialog.h"
#include "mainwindow/popups/DeskFloatWidget.h"
#include "mainwindow/popups/ShowQRWidget.h"
#include "mainwindow/popups/SwitchBKWidget.h"
#include "mainwindow/room/MainDockRight.h"
#include "mainwindow/shell/MainWindowUi.h"
#include "media/BigRoomMediaEngine.h"
#include "media/ClientLibMediaEngine.h"
#include "media/IMediaEngine.h"
#include "media/ExtPushWidget.h"
#include "media/OBSSettingWindow.h"
#include "widgets/MsgBox.h"

#include <QPointer>

#include <gtest/gtest.h>

using namespace roomtest;

namespace {

class RoomEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = MakeWindow();
        ui = w->Form();
        ClientLibTestControl::ClearCalls(Lib());
        ClearToasts();
    }
    void TearDown() override
    {
        w->ExitRoom();
        RunDeferredDeletes();
        CData::SetStudentSideForTests(false);
    }
    template <typename T>
    QPointer<T> Only()
    {
        const QList<T*> found = w->findChildren<T*>();
        return found.size() == 1 ? QPointer<T>(found.first()) : QPointer<T>();
    }
    MainWindow* w = nullptr;
    Ui::MainWindow* ui = nullptr;
};

struct RoomKind {
    bool live;
    const char* logLine;
    int recTipWidth;
    bool userListVisible;
    bool switchLineVisible;
};

}  // namespace

TEST_F(RoomEntryTest, EntryChoosesEngineLogsAndSetsUpTheRoomByKind)
{
    for (const RoomKind& kind : {RoomKind{true, "enter room big", 60, false, true},
                                 RoomKind{false, "enter room small", 133, true, false}}) {
        SCOPED_TRACE(kind.logLine);
        SignIn(kind.live);
        ClientLibTestControl::ClearCalls(Lib());
        w->EnterRoom();
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(w->HomeWindow()->isVisible());
        EXPECT_TRUE(LogText().contains(kind.logLine));
        if (kind.live)
            EXPECT_NE(nullptr, dynamic_cast<BigRoomMediaEngine*>(IMediaEngine::instance()));
        else
            EXPECT_NE(nullptr, dynamic_cast<ClientLibMediaEngine*>(IMediaEngine::instance()));
        EXPECT_FALSE(ui->mainWidget->isEnabled()) << "enabled by a successful room login";
        EXPECT_EQ(kind.recTipWidth, ui->labRecTip->width());
        EXPECT_EQ(kind.userListVisible, ui->userListCtrl->isVisibleTo(w));
        EXPECT_EQ(kind.switchLineVisible, ui->btnSwitchLine->isVisibleTo(w));
        EXPECT_EQ(kind.live, ui->btnVideo->isVisibleTo(w));
        EXPECT_EQ(kind.live, ui->DrawBarWdg->isVisibleTo(w));
        EXPECT_FALSE(ui->btnExtPush->isVisibleTo(w)) << "Ctrl+Shift+A shows it";
        EXPECT_EQ(kind.live, Only<DeskFloatWidget>() != nullptr);
        EXPECT_EQ(kind.live ? 236 : 200, w->Backgrounds()->width());

        const QList<ClientLibCall> logins = CallsNamed("LoginRoom");
        ASSERT_EQ(1, logins.size());
        EXPECT_EQ(CData::instance()->GetLoginVar(), logins[0].args.value(0).toStringList());
        const QList<ClientLibCall> live = CallsNamed("EnterLiveRoom");
        ASSERT_EQ(kind.live ? 1 : 0, live.size());
        if (kind.live) {
            EXPECT_TRUE(live[0].args.value(0).toBool()) << "the teacher";
            EXPECT_EQ(QString("tok|6"), live[0].args.value(1).toString());
        }
        shelltest::Screenshot(w, kind.live ? "room_entry_live.png" : "room_entry_small.png");
        w->ExitRoom();
        RunDeferredDeletes();
    }
}

TEST_F(RoomEntryTest, ExitResetsTheRoomAndAReEntryMakesFreshPopUps)
{
    SignIn(true);
    w->EnterRoom();
    const QPointer<ShowQRWidget> qr = Only<ShowQRWidget>();
    const QPointer<DeskFloatWidget> desk = Only<DeskFloatWidget>();
    const QPointer<UserListDialog> users = Only<UserListDialog>();
    ASSERT_TRUE(qr);
    ASSERT_TRUE(desk);
    ASSERT_TRUE(users);
    EXPECT_EQ(ui->DockRight, qr->parentWidget());
    ui->labTitle->setText("Algebra");
    ui->btnChatMsg->setCheckable(true);
    ui->btnChatMsg->setChecked(true);
    ui->btnVideo->setStyleSheet("QPushButton{ border-image: url(:/main/res/main/lv_mic1.png); }");
    ui->btnMax->hide();
    ClientLibTestControl::ClearCalls(Lib());

    w->ExitRoom();
    RunDeferredDeletes();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->HomeWindow()->isVisible());
    EXPECT_EQ(1, CallsNamed("LeaveRoom").size());
    EXPECT_TRUE(LogText().contains("leave room"));
    EXPECT_TRUE(ui->labTitle->text().isEmpty());
    EXPECT_FALSE(ui->btnChatMsg->isCheckable());
    EXPECT_FALSE(ui->btnChatMsg->isChecked());
    EXPECT_EQ(QString("QPushButton{ border-image: url(:/main/res/main/lv_camer2.png); }"),
              ui->btnVideo->styleSheet());
    EXPECT_EQ(QString("视频直播"), ui->btnVideo->toolTip());
    EXPECT_EQ(QString("QPushButton{ border-image: url(:/main/res/main/lv_desk1.png); }"), ui->btnDesk->styleSheet());
    EXPECT_TRUE(ui->btnMax->isVisibleTo(w));
    EXPECT_FALSE(ui->DockRight->isVisibleTo(w));
    EXPECT_EQ(0, ui->DockRight->width());
    EXPECT_FALSE(qr) << "the QR pop-up is deleted";
    EXPECT_FALSE(desk) << "the desktop-share float is deleted";
    EXPECT_FALSE(users) << "the user list is deleted";
    EXPECT_TRUE(CData::instance()->GetLoginVar().isEmpty()) << "the session's room data is reset";
    EXPECT_EQ(0, w->CourseEnd());
    shelltest::Screenshot(w->HomeWindow(), "room_exit_home.png");

    SignIn(true);
    w->EnterRoom();
    EXPECT_TRUE(Only<ShowQRWidget>());
    EXPECT_TRUE(Only<DeskFloatWidget>());
    EXPECT_TRUE(Only<UserListDialog>());
    EXPECT_TRUE(ui->DockRight->isVisibleTo(w));
    EXPECT_EQ(236, ui->DockRight->width());
}

// The chat panel is the window's own: its rows and own chat ids stay from
// room to room, and each room gives it its look and place (docked and dark
// in a live room, a floating light window in a class room).
TEST_F(RoomEntryTest, TheChatPanelOutlivesTheRoomsAndTakesEachRoomsLook)
{
    const QPointer<ChatCtrl> chat = Only<ChatCtrl>();
    ASSERT_TRUE(chat) << "made with the window";
    EXPECT_FALSE(chat->isVisible());
    int rows = 0;
    for (const bool live : {true, false, true}) {
        SCOPED_TRACE(live ? "live room" : "class room");
        SignIn(live);
        w->EnterRoom();
        ASSERT_EQ(chat, Only<ChatCtrl>());
        EXPECT_EQ(rows, chat->Rows().size());
        if (live) {
            EXPECT_EQ(ui->DockRight, chat->parentWidget());
            EXPECT_FALSE(chat->isWindow());
            EXPECT_EQ(CData::instance()->GetVideoWidth(), chat->width());
            EXPECT_EQ(QWIDGETSIZE_MAX, chat->maximumHeight()) << "not the floating window's 460";
            EXPECT_TRUE(chat->mask().isEmpty()) << "no rounded mask of the floating window";
            EXPECT_FALSE(chat->testAttribute(Qt::WA_TranslucentBackground));
        } else {
            EXPECT_EQ(w, chat->parentWidget());
            EXPECT_TRUE(chat->isWindow());
            EXPECT_EQ(QSize(320, 460), chat->size());
        }
        chat->AddSysMsg(QString("<font color=\"#e6a23c\">【*消息*】</font>room %1").arg(rows));
        ++rows;
        chat->onClientLibCmd(RsC_Room_LoginResult, QVariantMap{{"type", "chat"}, {"userid", QString("c%1").arg(rows)}});
        if (live && rows == 1) {
            w->show();
            chat->show();
            shelltest::Screenshot(w, "chat_live_room.png");
        }
        w->ExitRoom();
        RunDeferredDeletes();
        ASSERT_TRUE(chat) << "the panel stays with the window";
        EXPECT_FALSE(chat->isVisible());
        EXPECT_EQ(rows, chat->Rows().size());
        EXPECT_TRUE(chat->OwnChatIds().endsWith(QString("|c%1").arg(rows)));
    }
    EXPECT_TRUE(chat->OwnChatIds().contains("|c1|c2|c3"));
}

TEST_F(RoomEntryTest, ExitWithoutARoomAndTwiceIsHarmless)
{
    w->ExitRoom();
    w->ExitRoom();
    RunDeferredDeletes();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(Only<ShowQRWidget>().isNull());
}

TEST_F(RoomEntryTest, StudentSideHidesTheTeacherToolsAndMakesTheDevicePopUpOnce)
{
    CData::SetStudentSideForTests(true);
    SignIn(true);
    w->EnterRoom();
    for (QWidget* b : {ui->btnQRShow, ui->btnRecorder, ui->btnVideo, ui->btnDesk, ui->btnSetting, ui->btnMicSet})
        EXPECT_FALSE(b->isVisibleTo(w)) << b->objectName().toStdString();
    EXPECT_TRUE(ui->btnStuAD->isVisibleTo(w));
    EXPECT_FALSE(ui->DrawBarWdg->isVisibleTo(w));
    EXPECT_FALSE(Only<DeskFloatWidget>()) << "only the teacher shares the desktop";
    EXPECT_TRUE(CallsNamed("EnterLiveRoom").value(0).args.value(0).toBool() == false);
}

TEST_F(RoomEntryTest, DualTeacherEnterAndLeaveSwapTheTokenAndTheSharing)
{
    SignIn(true);
    w->EnterRoom();
    ClientLibTestControl::ClearCalls(Lib());
    // As the dispatcher fills it before calling.
    w->SetDualTeacherForTests({{"token", "main-tok"}, {"userName", "Wang"}});

    w->OnDualTeacherInOut(true);
    EXPECT_EQ(QString("main-tok"), CData::instance()->GetStatusText(kStatusToken));
    for (QWidget* b : {ui->btnVideo, ui->btnDesk, ui->btnHCam})
        EXPECT_FALSE(b->isEnabledTo(ui->mainWidget));
    EXPECT_TRUE(ToastTexts().contains("主教室老师Wang进入教室"));
    QList<ClientLibCall> cmds = CallsNamed("DualRoomCmd");
    ASSERT_EQ(1, cmds.size());
    EXPECT_TRUE(cmds[0].args.value(0).toMap().value("conn").toBool());

    w->OnDualTeacherInOut(false);
    EXPECT_EQ(QString("tok|6"), CData::instance()->GetStatusText(kStatusToken)) << "back to login variable 0";
    for (QWidget* b : {ui->btnVideo, ui->btnDesk, ui->btnHCam})
        EXPECT_TRUE(b->isEnabledTo(ui->mainWidget));
    EXPECT_TRUE(ToastTexts().contains("主教室老师Wang离开教室"));
    cmds = CallsNamed("DualRoomCmd");
    ASSERT_EQ(2, cmds.size());
    EXPECT_FALSE(cmds[1].args.value(0).toMap().value("conn").toBool());
}

TEST_F(RoomEntryTest, RecordingSwitchByLiveModeAndOrigin)
{
    SignIn(true);
    w->EnterRoom();
    CData* data = CData::instance();

    data->SetLiveMode(10);
    EXPECT_FALSE(w->StartOrStopRecord(true, false)) << "an MP4 room records locally";
    EXPECT_FALSE(w->StartOrStopRecord(false, false));
    EXPECT_FALSE(data->IsRecording());

    data->SetLiveMode(2);
    w->ExtPushPanel()->show();
    EXPECT_FALSE(w->StartOrStopRecord(true, false)) << "the external push panel is open";
    EXPECT_FALSE(data->IsRecording());
    w->ExtPushPanel()->hide();

    w->ConfirmBox()->SetMsgText("question");
    w->ConfirmBox()->ShowMsg();
    ASSERT_TRUE(w->ConfirmBox()->isVisible());
    EXPECT_TRUE(w->StartOrStopRecord(true, true));
    EXPECT_EQ(0, w->UnrecordedTicks());
    EXPECT_FALSE(w->ConfirmBox()->isVisible()) << "a request of the room drops the teacher's open question";
    // Offscreen the broadcast window finds no window to capture and switches
    // the recording off again (tst_room_display records the room under X).
    EXPECT_FALSE(data->IsRecording());
    data->SetRecording(true);  // as a start that found the window leaves it

    w->FitToScreenForRecord(true);
    EXPECT_FALSE(ui->btnMax->isVisibleTo(w));
    EXPECT_TRUE(w->StartOrStopRecord(false, false));
    EXPECT_FALSE(data->IsRecording());
    EXPECT_TRUE(ui->btnMax->isVisibleTo(w));
    EXPECT_TRUE(ui->btnMin->isVisibleTo(w));
    EXPECT_TRUE(ToastTexts().contains("已停止录制"));
}
