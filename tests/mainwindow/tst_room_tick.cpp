// The one-second tick in a room on an injected clock: the recording button's
// look, the reminder to record and the warning of a failing recording, the
// share retry countdown, the student side's automatic exit; closing the
// window asks before leaving the room.
#include "tests/mainwindow/RoomTestSupport.h"

#include "home/ClassListWidget.h"
#include "media/ExtPushWidget.h"
#include "mainwindow/shell/MainWindowUi.h"
#include "widgets/MsgBox.h"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace roomtest;

namespace {

const QString kReminder2 = QString::fromUtf8("您已直播2分钟，尚未开启录制");
const QString kFailure = QString::fromUtf8("录制失败，正在重新录制，请确保网络正常。");

class RoomTickTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = MakeWindow();
        ui = w->Form();
        // The test drives the ticks itself.
        CData::instance()->StopTimer();
        w->SetWallClock([this] { return now; });
        ClearToasts();
    }
    void TearDown() override
    {
        w->ExitRoom();
        RunDeferredDeletes();
        CData::SetStudentSideForTests(false);
        ClearToasts();
    }
    void Enter(bool live = true)
    {
        SignIn(live);
        w->EnterRoom();
    }
    // Ticks from..to (inclusive); the toasts seen at each tick.
    QMap<int, QStringList> Ticks(int from, int to)
    {
        QMap<int, QStringList> seen;
        for (int i = from; i <= to; ++i) {
            w->onTimerUpdate(i);
            const QStringList texts = ToastTexts();
            if (!texts.isEmpty())
                seen[i] = texts;
            ClearToasts();
        }
        return seen;
    }
    MainWindow* w = nullptr;
    Ui::MainWindow* ui = nullptr;
    qint64 now = 1700000000;
};

}  // namespace

TEST_F(RoomTickTest, UnrecordedRoomIsRemindedEveryTwoMinutesWithTheMinutesSinceEntry)
{
    Enter();
    now += 120;
    QMap<int, QStringList> seen = Ticks(1, 120);
    ASSERT_EQ(1, seen.size());
    EXPECT_EQ(QStringList{kReminder2}, seen.value(120));
    EXPECT_EQ(120, w->UnrecordedTicks());
    EXPECT_EQ(4, ui->btnRecorder->property("status").toInt());
    EXPECT_EQ(QString::fromUtf8("开始录制"), ui->btnRecorder->toolTip());

    // 4.5 minutes round up to 5.
    now += 150;
    seen = Ticks(121, 240);
    ASSERT_EQ(1, seen.size());
    EXPECT_EQ(QStringList{QString::fromUtf8("您已直播5分钟，尚未开启录制")}, seen.value(240));

    // Not while the external push panel is open.
    w->ExtPushPanel()->show();
    EXPECT_TRUE(Ticks(241, 360).isEmpty());
    w->ExtPushPanel()->hide();
}

TEST_F(RoomTickTest, FailingRecordingIsReportedEveryMinuteAndNeverReminded)
{
    Enter();
    CData::instance()->SetRecording(true);  // asked for; the recorder does not run
    const QMap<int, QStringList> seen = Ticks(1, 180);
    EXPECT_EQ((QList<int>{60, 120, 180}), seen.keys());
    for (const QStringList& texts : seen)
        EXPECT_EQ(QStringList{kFailure}, texts);
}

TEST_F(RoomTickTest, OutsideARoomOrSignedOutTheTickOnlyFeedsTheHomeWindows)
{
    Enter();
    CData::instance()->SetStatus(kStatusSignedIn, 0);
    w->SetShareRetryCountdown(2);
    Ticks(1, 130);
    EXPECT_EQ(0, w->UnrecordedTicks());
    EXPECT_EQ(2, w->ShareRetryCountdown());
}

TEST_F(RoomTickTest, ShareRetryCountsDownToZeroOnce)
{
    Enter();
    w->SetShareRetryCountdown(3);
    QList<int> seen;
    for (int i = 1; i <= 5; ++i) {
        w->onTimerUpdate(i);
        seen << w->ShareRetryCountdown();
    }
    EXPECT_EQ((QList<int>{2, 1, 0, 0, 0}), seen);
}

TEST_F(RoomTickTest, StudentSideLeavesAFinishedCourseAfterTwentyIdleMinutes)
{
    struct Case {
        const char* name;
        qint64 endAgoMs;       // 0: no course end known
        qint64 activityAgoMs;
        const char* userName;
        bool leaves;
    };
    const Case cases[] = {
        {"both past", 1300000, 1300000, "", true},
        {"recent activity", 1300000, 60000, "", false},
        {"course just ended", 600000, 1300000, "", false},
        {"no course end", 0, 1300000, "", false},
        {"a user name is known", 1300000, 1300000, "Li", false},
    };
    CData::SetStudentSideForTests(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Enter();
        CData* data = CData::instance();
        UserInfo local("1001");
        local.userName = c.userName;
        data->SetLocalUser(local);
        const qint64 svr = data->GetSvrTime();
        w->SetCourseTimes(c.endAgoMs ? svr - c.endAgoMs : 0, svr - c.activityAgoMs);
        w->onTimerUpdate(1);
        EXPECT_EQ(c.leaves, !w->isVisible());
        EXPECT_EQ(c.leaves, ToastTexts().contains(QString::fromUtf8("课程已结束，超时自动退出")));
        if (c.leaves) {
            EXPECT_TRUE(LogText().contains("room no tea timeout exit."));
        }
        w->ExitRoom();
        RunDeferredDeletes();
        ClearToasts();
    }
}

TEST_F(RoomTickTest, ClosingAsksAndOnlyConfirmingLeavesTheRoom)
{
    struct Case {
        bool recording;
        const char* text;
    };
    for (const Case& c : {Case{false, "您确定要退出吗?"}, Case{true, "正在录制中，您确定要退出吗?"}}) {
        SCOPED_TRACE(c.text);
        Enter();
        CData::instance()->SetRecording(c.recording);
        w->close();
        ASSERT_NE(nullptr, w->CloseBox());
        MsgBox* box = w->CloseBox();
        ASSERT_TRUE(box->isVisible());
        EXPECT_TRUE(box->findChildren<QLabel*>().size() > 0);
        QStringList texts;
        for (QLabel* l : box->findChildren<QLabel*>())
            texts << l->text();
        EXPECT_TRUE(texts.contains(QString::fromUtf8(c.text))) << texts.join('|').toStdString();
        EXPECT_EQ(QString::fromUtf8("退出"), box->findChild<QPushButton*>("btnOk")->text());
        EXPECT_EQ(QString::fromUtf8("取消"), box->findChild<QPushButton*>("btnCancel")->text());
        shelltest::Screenshot(box, c.recording ? "room_close_recording.png" : "room_close.png");

        box->findChild<QPushButton*>("btnCancel")->click();
        EXPECT_TRUE(w->isVisible()) << "cancel keeps the room";
        EXPECT_FALSE(CData::instance()->GetLoginVar().isEmpty());

        w->close();
        EXPECT_EQ(box, w->CloseBox()) << "one box serves every close";
        box->findChild<QPushButton*>("btnOk")->click();
        EXPECT_FALSE(w->isVisible());
        EXPECT_TRUE(w->HomeWindow()->isVisible()) << "the program keeps running at home";
        EXPECT_FALSE(CData::instance()->IsAppExiting());
    }
}
