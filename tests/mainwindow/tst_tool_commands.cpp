// The room window's dispatch of the room tools' commands (countdown,
// quizzes, pen permission, notices, product cards, lottery), remote
// recording and the student links, fired through the client library; the
// tools' control commands and the line switch.
#include "tests/mainwindow/DispatchTestSupport.h"

#include "interaction/CHudongWidget.h"
#include "interaction/ChatCtrl.h"
#include "interaction/ChatMsgItem.h"
#include "interaction/CountdownWidget.h"
#include "interaction/CTopClassWidget.h"
#include "interaction/CTopMsgWidget.h"
#include "interaction/LotteryAnswer.h"
#include "interaction/LotteryResultWidget.h"
#include "interaction/QuestionAnswer.h"
#include "interaction/QuestionResultWidget.h"
#include "interaction/QuestionWidget.h"
#include "widgets/ToastQuestionButton.h"

#include <functional>

using namespace dispatchtest;

namespace {

template <typename T>
T* Child()
{
    return W().findChild<T*>();
}

using Case = CommandCase;

const QVariantMap kQuestion{{"id", 5}, {"type", 1}, {"num", 4}, {"isMul", false}};
const QVariantMap kStats{{"id", 5},
                         {"totalResult", "12"},
                         {"listItem", QVariantList{QVariantMap{{"index", 1}, {"count", 12}, {"percent", "100"}}}}};

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = {
        {"CountdownStarts", RsC_Countdown, QVariantMap{{"start", true}, {"totalTs", 90}}, nullptr,
         [] { EXPECT_EQ(Child<CountdownWidget>()->Seconds(), 90); }},
        {"QuestionGoesToTheAnswerPanel", RsC_Question_Start, kQuestion, nullptr,
         [] {
             EXPECT_EQ(Child<QuestionAnswer>()->Question(), kQuestion);
             Child<QuestionAnswer>()->hide();
         }},
        {"QuestionResultReachesTheStatistics", RsC_Question_Result, kStats,
         [] { Child<QuestionResultWidget>()->ResetData(true); },
         [] { EXPECT_EQ(Child<QuestionResultWidget>()->Result(), kStats); }},
        {"QuestionResultWaitsWhileTheQuestionPanelIsOpen", RsC_Question_Result, kStats,
         [] {
             Child<QuestionResultWidget>()->ResetData(true);
             Child<QuestionWidget>()->show();
         },
         [] {
             EXPECT_TRUE(Child<QuestionResultWidget>()->Result().isEmpty());
             Child<QuestionWidget>()->hide();
         }},
        {"QuestionStopResetsAndHides", RsC_Question_Stop, QVariantMap{},
         [] {
             Child<QuestionResultWidget>()->InitQuestion(1, 4, kStats, true);
             Child<QuestionAnswer>()->show();
             Child<ToastQuestionButton>()->show();
         },
         [] {
             EXPECT_FALSE(Child<QuestionResultWidget>()->IsQuestionStarted());
             EXPECT_FALSE(Child<QuestionAnswer>()->isVisible());
             EXPECT_TRUE(Child<ToastQuestionButton>()->isHidden());
         }},
        {"PenPermissionOnTeacherSideGoesToThePalette", RsC_Draw_Auth, QVariantMap{{"open", true}}, nullptr,
         [] {
             EXPECT_TRUE(Child<CHudongWidget>()->IsGraffiti());
             EXPECT_TRUE(NewToasts().isEmpty());
         }},
        {"PenPermissionOnStudentSideShowsTheBar", RsC_Draw_Auth, QVariantMap{{"open", true}},
         [] {
             CData::SetStudentSideForTests(true);
             Form()->DrawBarWdg->hide();
         },
         [] {
             EXPECT_FALSE(Form()->DrawBarWdg->isHidden());
             EXPECT_EQ(NewToasts(), QStringList{U("老师开启了您的画笔功能")});
         }},
        {"PenPermissionWithdrawnOnStudentSide", RsC_Draw_Auth, QVariantMap{{"open", false}},
         [] { CData::SetStudentSideForTests(true); },
         [] {
             EXPECT_TRUE(Form()->DrawBarWdg->isHidden());
             EXPECT_EQ(NewToasts(), QStringList{U("老师关闭了您的画笔功能")});
             Form()->DrawBarWdg->show();
         }},
        {"NoticeGoesToTheNoticeBar", RsC_Notice, QVariantMap{{"id", qint64(1) << 40}, {"msg", "{\"text\":\"hi\"}"}},
         nullptr,
         [] {
             EXPECT_EQ(Child<CTopMsgWidget>()->CurrentId(), qint64(1) << 40);
             EXPECT_EQ(Child<CTopMsgWidget>()->CurrentMsg(), QString("{\"text\":\"hi\"}"));
             // And a system line of the chat: the orange notice tag, then the notice's HTML.
             ASSERT_FALSE(Child<ChatCtrl>()->Rows().isEmpty());
             const QSharedPointer<MsgInfo> line = Child<ChatCtrl>()->Rows().last()->GetMsg();
             EXPECT_EQ(line->msgType, kChatMsgSystem);
             EXPECT_EQ(line->content,
                       QString("<font color=\"#e6a23c\">【*公告*】</font>") +
                           QString::fromStdString(CTopMsgWidget::GetHtmlMsg("{\"text\":\"hi\"}")));
         }},
        {"ProductListGoesToTheFirstPanel", RsC_Product1_List,
         QVariantMap{{"lastts", "1"}, {"listdata", QVariantList{QVariantMap{{"productid", "p1"}}}}},
         [] { W().ProductPanel(0)->ResetData(true); },
         [] {
             EXPECT_EQ(W().ProductPanel(0)->Products().size(), 1);
             EXPECT_TRUE(W().ProductPanel(1)->Products().isEmpty());
         }},
        {"ProductUpOnTheFirstPanel", RsC_Product1_Up, QVariantMap{{"productid", "p1"}}, nullptr,
         [] { EXPECT_EQ(W().ProductPanel(0)->UpProduct(), QString("p1")); }},
        {"ProductDownOnTheFirstPanel", RsC_Product1_Down, QVariantMap{{"productid", "p1"}},
         [] { W().ProductPanel(0)->OnProductUp(QVariantMap{{"productid", "p1"}}); },
         [] { EXPECT_TRUE(W().ProductPanel(0)->UpProduct().isEmpty()); }},
        {"Product143ChangesNothing", RsC_Product1_143, QVariantMap{{"productid", "p9"}},
         [] { W().ProductPanel(0)->OnProductUp(QVariantMap{{"productid", "p1"}}); },
         [] { EXPECT_EQ(W().ProductPanel(0)->UpProduct(), QString("p1")); }},
        {"AdvertListGoesToTheSecondPanel", RsC_Product2_List,
         QVariantMap{{"listdata", QVariantList{QVariantMap{{"productid", "a1"}}, QVariantMap{{"productid", "a2"}}}}},
         [] { W().ProductPanel(1)->ResetData(true); },
         [] { EXPECT_EQ(W().ProductPanel(1)->Products().size(), 2); }},
        {"AdvertUpAndDownOnTheSecondPanel", RsC_Product2_Up, QVariantMap{{"productid", "a2"}}, nullptr,
         [] {
             EXPECT_EQ(W().ProductPanel(1)->UpProduct(), QString("a2"));
             Fire(RsC_Product2_147, QVariantMap{{"productid", "a2"}});
             EXPECT_EQ(W().ProductPanel(1)->UpProduct(), QString("a2"));
             Fire(RsC_Product2_Down, QVariantMap{{"productid", "a2"}});
             EXPECT_TRUE(W().ProductPanel(1)->UpProduct().isEmpty());
         }},
        {"LotteryResultReachesTheResultPanel", RsC_Lottery_Result, QVariantMap{{"id", 8}, {"count", 1}}, nullptr,
         [] { EXPECT_EQ(Child<LotteryResultWidget>()->Result().value("count").toInt(), 1); }},
        {"LotteryStartShowsTheAnswerPanel", RsC_Lottery_Start, QVariantMap{{"id", 8}},
         [] { CData::SetStudentSideForTests(true); },  // the student's panel
         [] {
             EXPECT_TRUE(Child<LotteryAnswer>()->isVisible());
             Child<LotteryAnswer>()->hide();
         }},
        {"LotteryCloseOfTheRunningLotteryResetsAll", RsC_Lottery_Close, QVariantMap{{"id", 8}},
         [] { Child<LotteryResultWidget>()->ShowWidget(3, 8); },
         [] {
             EXPECT_EQ(Child<LotteryResultWidget>()->GetLotteryId(), 0);
             EXPECT_FALSE(Child<LotteryResultWidget>()->isVisible());
         }},
        {"LotteryCloseOfAnotherLotteryKeepsTheResult", RsC_Lottery_Close, QVariantMap{{"id", 9}},
         [] {
             Child<LotteryResultWidget>()->ShowWidget(3, 8);
             CData::SetStudentSideForTests(true);
             Child<LotteryAnswer>()->ShowWidget(9);
         },
         [] {
             EXPECT_EQ(Child<LotteryResultWidget>()->GetLotteryId(), 8);
             EXPECT_FALSE(Child<LotteryAnswer>()->isVisible());
             Child<LotteryResultWidget>()->ResetData(true);
         }},
        {"VoiceInteractionOnTeacherSideGoesToThePalette", RsC_StuRtc_Reset, QVariantMap{{"handup", true}}, nullptr,
         [] { EXPECT_TRUE(Child<CHudongWidget>()->IsBigOpenMedia()); }},
        {"VoiceInteractionClosedOnStudentSideEndsTheLink", RsC_StuRtc_Reset, QVariantMap{{"handup", false}},
         [] {
             CData::SetStudentSideForTests(true);
             CData::instance()->SetStatus(kStatusLinkMic, 1);
             CData::instance()->SetStatus(kStatusVoiceInteraction, 1);
         },
         [] {
             EXPECT_FALSE(CData::instance()->GetStatus(kStatusLinkMic));
             EXPECT_FALSE(CData::instance()->GetStatus(kStatusVoiceInteraction));
         }},
        {"StudentLinkStoppedOnStudentSide", RsC_StuRtc_Stop, QVariantMap{{"srcUserId", "t"}, {"online", false}},
         [] {
             CData::SetStudentSideForTests(true);
             CData::instance()->SetStatus(kStatusLinkMic, 1);
         },
         [] { EXPECT_FALSE(CData::instance()->GetStatus(kStatusLinkMic)); }},
        {"StudentLinkStopIgnoredOnTeacherSide", RsC_StuRtc_Stop, QVariantMap{{"online", false}},
         [] { CData::instance()->SetStatus(kStatusLinkMic, 1); },
         [] { EXPECT_TRUE(CData::instance()->GetStatus(kStatusLinkMic)); }},
        {"StudentLinkStartedOnStudentSide", RsC_StuRtc_Start, QVariantMap{{"type", "open"}, {"isok", true}},
         [] { CData::SetStudentSideForTests(true); },
         [] { EXPECT_TRUE(CData::instance()->GetStatus(kStatusLinkMic)); }},
        {"StudentLinkRefusedToasts", RsC_StuRtc_Start, QVariantMap{{"type", "open"}, {"isok", false}}, nullptr,
         [] { EXPECT_EQ(NewToasts(), QStringList{U("开启互动失败,互动人数已达上限!")}); }},
        {"StudentLinkInviteAnswerOnTeacherSide", RsC_StuRtc_Start,
         QVariantMap{{"type", "inviteRs"}, {"isok", false}, {"srcUserId", "s1"}},
         [] {
             UserInfo u("s1");
             u.userName = "Bo";
             u.online = true;
             CData::instance()->UpdateUser(u);
         },
         [] {
             UserInfo u;
             ASSERT_TRUE(CData::instance()->GetUser("s1", u));
             EXPECT_FALSE(u.online);
             EXPECT_EQ(NewToasts(), QStringList{U("Bo拒绝了您的互动邀请")});
         }},
    };
    return cases;
}

class ToolCommand : public CommandTest<Cases> {};

}  // namespace

TEST_P(ToolCommand, HasItsEffect) { RunCase(); }

INSTANTIATE_TEST_SUITE_P(Codes, ToolCommand, ToolCommand::Indexes(), ToolCommand::Name);

namespace {

// Remote recording: the state the room is in, what is asked, and the one reply.
struct RecordCase {
    const char* name;
    std::function<void()> arrange;
    bool start;
    int reply;
    const char* msg;
    bool recordingAfter;
};

class RemoteRecording : public DispatchTest, public ::testing::WithParamInterface<RecordCase> {};

}  // namespace

TEST_P(RemoteRecording, AnswersOnceWithItsCode)
{
    const RecordCase& c = GetParam();
    shelltest::SetSession(true);
    Form()->btnRecorder->setEnabled(true);
    if (c.arrange)
        c.arrange();
    Fire(RsC_Record_Remote, QVariantMap{{"startRec", c.start}});
    EXPECT_EQ(CallsNamed("ReplyRecordCmd"), (QList<QVariantList>{{c.reply, 0, U(c.msg)}}));
    EXPECT_EQ(CData::instance()->IsRecording(), c.recordingAfter);
    Form()->btnRecorder->setEnabled(true);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoteRecording,
    ::testing::Values(
        RecordCase{"BusyButton", [] { Form()->btnRecorder->setEnabled(false); }, true, 4, "正在启动或停止录制，操作失败",
                   false},
        RecordCase{"BusyButtonStop",
                   [] {
                       Form()->btnRecorder->setEnabled(false);
                       CData::instance()->SetRecording(true);
                   },
                   false, 4, "正在启动或停止录制，操作失败", true},
        RecordCase{"StartWhileRecording", [] { CData::instance()->SetRecording(true); }, true, 2,
                   "正在录制中，开启无效", true},
        RecordCase{"StartWhileExternalPush", [] { CData::instance()->SetExtPush(true); }, true, 3,
                   "正在外部串流，开启无效", false},
        RecordCase{"StopWhileNotRecording", nullptr, false, 3, "当前未录制，停止无效", false},
        RecordCase{"Mp4Room", [] { CData::instance()->SetLiveMode(10); }, true, 5, "mp4录制视频课，不支持录制", false},
        // Offscreen the broadcast window then finds no window to capture and
        // switches the recording off again (tst_room_display records under X).
        RecordCase{"Start", nullptr, true, 0, "开启录制成功", false},
        RecordCase{"Stop", [] { CData::instance()->SetRecording(true); }, false, 1, "停止录制成功", false}),
    [](const ::testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.name); });

TEST_F(DispatchTest, RemoteRecordingWithoutAStartOrStopIsAnsweredAndChangesNothing)
{
    shelltest::SetSession(true);
    Form()->btnRecorder->setEnabled(true);
    const QList<QVariant> payloads = {QVariantMap{}, QVariantMap{{"startRec", "yes"}}, QVariantList{true}, QVariant()};
    for (const QVariant& payload : payloads) {
        ClientLibTestControl::ClearCalls(Lib());
        Fire(RsC_Record_Remote, payload);
        EXPECT_EQ(CallsNamed("ReplyRecordCmd"), (QList<QVariantList>{{-1, 0, U("录制指令无效，操作失败")}}))
            << payload.typeName();
        EXPECT_FALSE(CData::instance()->IsRecording());
    }
}

TEST_F(DispatchTest, RemoteStopToastsAndDropsTheOpenQuestion)
{
    CData::instance()->SetRecording(true);
    W().ConfirmBox()->SetMsgText("question");
    W().ConfirmBox()->ShowMsg();
    Fire(RsC_Record_Remote, QVariantMap{{"startRec", false}});
    EXPECT_FALSE(W().ConfirmBox()->isVisible());
    EXPECT_EQ(NewToasts(), QStringList{U("已停止录制")});
    shelltest::Screenshot(NewestToast(), "dispatch_record_stopped_toast.png");
}

TEST_F(DispatchTest, ControlCommandsOpenTheToolPanels)
{
    auto* question = Child<QuestionWidget>();
    auto* stats = Child<QuestionResultWidget>();
    stats->ResetData(true);
    W().onControlCmd(1, QVariant());
    EXPECT_TRUE(question->isVisible());
    question->hide();
    W().onControlCmd(2, QVariantMap{{"type", 1}, {"num", 4}, {"listRes", kStats}, {"showNum", true}});
    EXPECT_TRUE(stats->IsQuestionStarted());
    W().onControlCmd(1, QVariant());
    EXPECT_TRUE(stats->isVisible());
    EXPECT_FALSE(question->isVisible());
    stats->ResetData(true);

    auto* lottery = Child<LotteryWidget>();
    auto* lotteryResult = Child<LotteryResultWidget>();
    W().onControlCmd(4, QVariant());
    EXPECT_TRUE(lottery->isVisible());
    lottery->hide();
    W().onControlCmd(5, QVariantMap{{"id", 31}, {"count", 2}});
    EXPECT_EQ(lotteryResult->GetLotteryId(), 31);
    lotteryResult->hide();
    W().onControlCmd(4, QVariant());
    EXPECT_TRUE(lotteryResult->isVisible());
    EXPECT_FALSE(lottery->isVisible());
    lotteryResult->ResetData(true);

    W().onControlCmd(6, QVariant());
    EXPECT_TRUE(Child<CountdownWidget>()->isVisible());
    Child<CountdownWidget>()->hide();

    W().onControlCmd(7, QVariant());
    CTopClassWidget* adverts = W().ProductPanel(1);
    // From the top of the tool column down to the strips under the board.
    const QPoint right = Form()->rightWidget->mapToGlobal(QPoint(0, 0));
    QWidget* strip = Form()->DrawBarWdg->isVisible() ? Form()->DrawBarWdg : Form()->bottomWidget;
    EXPECT_EQ(adverts->height(), strip->mapToGlobal(QPoint(0, 0)).y() - right.y());
    EXPECT_EQ(adverts->mapToGlobal(QPoint(adverts->width(), 0)), right);
    adverts->hide();
}

TEST_F(DispatchTest, ControlCommandsOutsideTheToolsChangeNothing)
{
    auto* stats = Child<QuestionResultWidget>();
    auto* toast = Child<ToastQuestionButton>();
    // The fold of the statistics belongs to the student side.
    W().onControlCmd(3, true);
    EXPECT_TRUE(toast->isHidden());
    CData::SetStudentSideForTests(true);
    W().onControlCmd(3, true);
    EXPECT_FALSE(toast->isHidden());
    EXPECT_TRUE(stats->isHidden());
    W().onControlCmd(3, false);
    EXPECT_TRUE(toast->isHidden());
    stats->hide();
    // Unknown and malformed commands.
    for (int cmd : {0, 8, -3}) {
        W().onControlCmd(cmd, QVariantMap{{"id", 1}});
        for (QWidget* w : std::initializer_list<QWidget*>{Child<QuestionWidget>(), stats, Child<LotteryWidget>(),
                                                         Child<LotteryResultWidget>(), Child<CountdownWidget>()})
            EXPECT_FALSE(w->isVisible()) << cmd;
    }
    W().onControlCmd(2, QVariantMap{{"type", "single"}});
    EXPECT_FALSE(stats->IsQuestionStarted());
    W().onControlCmd(5, QString("lottery"));
    EXPECT_EQ(Child<LotteryResultWidget>()->GetLotteryId(), 0);
}
