// The room window's dispatch of the client library's room, login, chat,
// relay, user, course, stream and dual-teacher commands, fired through the
// library: their effects on the session data, the window's widgets, toasts,
// message boxes and the library calls; unknown codes and malformed payloads
// change nothing.
#include "tests/mainwindow/DispatchTestSupport.h"

#include "home/AppAuthWidget.h"
#include "mainwindow/popups/ShowQRWidget.h"
#include "media/MediaPlayerWidget.h"
#include "widgets/ToastButtonWidget.h"
#include "widgets/ToastHandupButton.h"

#include <QDateTime>

#include <functional>

using namespace dispatchtest;

namespace {

UserInfo User(const char* id, const char* name, int type = 0)
{
    UserInfo u(id);
    u.userName = name;
    u.type = type;
    return u;
}

bool HasUser(const char* id, UserInfo* out = nullptr)
{
    UserInfo u;
    const bool found = CData::instance()->GetUser(id, u);
    if (out)
        *out = u;
    return found;
}

// A command, what the session holds before it, and what must hold after.
using Case = CommandCase;

void SmallRoom() { shelltest::SetSession(false); }
void LiveRoom() { shelltest::SetSession(true); }

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = {
        {"AddressFailureIsOnlyLogged", RsC_Room_AddrFailed, QVariantMap{{"type", "main"}}, nullptr,
         [] {
             EXPECT_TRUE(NewToasts().isEmpty());
             EXPECT_TRUE(ShownBoxes().isEmpty());
         }},
        {"ConnectFailureStoresThePayloadUnderItsType", RsC_Room_ConnectFailed,
         QVariantMap{{"type", "chat"}, {"why", "refused"}}, nullptr,
         [] {
             EXPECT_EQ(CData::instance()->GetVar("chat").toMap().value("why").toString(), QString("refused"));
             EXPECT_TRUE(NewToasts().isEmpty());
         }},
        {"LoginRefused403LeavesWithAToast", RsC_Room_LoginResult, QVariantMap{{"type", "main"}, {"code", 403}},
         [] { Form()->mainWidget->setEnabled(false); },
         [] {
             EXPECT_TRUE(Form()->mainWidget->isEnabled());
             EXPECT_EQ(NewToasts(), QStringList{U("您没有登录房间的权限")});
         }},
        {"LoginRefused701", RsC_Room_LoginResult, QVariantMap{{"type", "main"}, {"code", 701}}, nullptr,
         [] { EXPECT_EQ(NewToasts(), QStringList{U("您已被限制登录")}); }},
        {"LoginRefused900", RsC_Room_LoginResult, QVariantMap{{"type", "main"}, {"code", 900}}, nullptr,
         [] { EXPECT_EQ(NewToasts(), QStringList{U("超过课程预订最大人数限制")}); }},
        {"OtherLoginFailureIsOnlyLogged", RsC_Room_LoginResult,
         QVariantMap{{"type", "main"}, {"code", 500}, {"regOk", false}}, LiveRoom,
         [] {
             EXPECT_TRUE(NewToasts().isEmpty());
             EXPECT_TRUE(Form()->mainWidget->isEnabled());
         }},
        {"ExternalPushLoginIsStored", RsC_Room_LoginResult,
         QVariantMap{{"type", "extpush"}, {"isok", true}, {"result", "ok"}}, nullptr,
         [] {
             EXPECT_EQ(CData::instance()->GetVar("extpush").toMap().value("result").toString(), QString("ok"));
             EXPECT_TRUE(NewToasts().isEmpty());
         }},
        {"ChatMessageMarksUnreadAndActivity", RsC_Chat_Message, QVariantMap{{"msg", "hi"}},
         [] {
             Form()->btnChatMsg->setCheckable(false);
             CData::instance()->SetSvrTimeOff(0);
         },
         [] {
             EXPECT_TRUE(Form()->btnChatMsg->isCheckable());
             EXPECT_TRUE(Form()->btnChatMsg->isChecked());
             EXPECT_NEAR(double(W().LastActivity()), double(QDateTime::currentMSecsSinceEpoch()), 60000.0);
         }},
        {"RelayedMessageIsAnswered", RsC_Tran_Message,
         QVariantMap{{"userId", "aid-1"}, {"msgType", 1000}, {"msgJson", ""}}, nullptr,
         [] {
             ASSERT_EQ(CallsNamed("SendTranMsg").size(), 1);
             EXPECT_EQ(CallsNamed("SendTranMsg")[0].value(0).toString(), QString("aid-1"));
             EXPECT_TRUE(CallsNamed("SendTranMsgEx").isEmpty());
         }},
        {"RelayedMessageSecondFormIsAnsweredSo", RsC_Tran_MessageEx,
         QVariantMap{{"userId", "aid-2"}, {"msgType", 1000}, {"msgJson", ""}}, nullptr,
         [] {
             ASSERT_EQ(CallsNamed("SendTranMsgEx").size(), 1);
             EXPECT_TRUE(CallsNamed("SendTranMsg").isEmpty());
         }},
        {"SelfRenamesTheLocalUser", RsC_User_Self, QVariantMap{{"userid", "t-self"}}, nullptr,
         [] {
             EXPECT_EQ(CData::instance()->GetLocalUser()->userId, "t-self");
             EXPECT_TRUE(HasUser("t-self"));
         }},
        {"NewUserIsStoredWithoutSync", RsC_User_Join,
         QVariantMap{{"userid", "s1"}, {"userName", U("小明")}, {"type", 0}, {"cam", true}, {"mic", false},
                     {"click", true}, {"draw", true}, {"noSpeak", true}, {"online", false}},
         SmallRoom,
         [] {
             UserInfo u;
             ASSERT_TRUE(HasUser("s1", &u));
             EXPECT_EQ(QString::fromUtf8(u.userName.c_str()), U("小明"));
             EXPECT_TRUE(u.cam && u.click && u.draw && u.noSpeak);
             EXPECT_FALSE(u.mic || u.online);
             EXPECT_TRUE(CallsNamed("SyncUser").isEmpty());
         }},
        {"KnownUserInSmallRoomIsSyncedAndSubscribed", RsC_User_Join,
         QVariantMap{{"userid", "s2"}, {"userName", "B"}, {"online", true}},
         [] {
             SmallRoom();
             CData::instance()->UpdateUser(User("s2", "old"));
         },
         [] {
             EXPECT_EQ(CallsNamed("SyncUser"), QList<QVariantList>{{QString("s2")}});
             EXPECT_EQ(CallsNamed("SubscribeUser"), QList<QVariantList>{{QString("s2")}});
             UserInfo u;
             ASSERT_TRUE(HasUser("s2", &u));
             EXPECT_EQ(u.userName, "B");
             EXPECT_TRUE(u.online);
         }},
        {"KnownUserInLiveRoomIsOnlyStored", RsC_User_Join, QVariantMap{{"userid", "s3"}, {"userName", "C"}},
         [] {
             LiveRoom();
             CData::instance()->UpdateUser(User("s3", "old"));
         },
         [] {
             EXPECT_TRUE(CallsNamed("SyncUser").isEmpty());
             EXPECT_TRUE(CallsNamed("SubscribeUser").isEmpty());
         }},
        {"TeacherTypeUserLeavingEndsTheLink", RsC_User_Leave, QVariantMap{{"userid", "p1"}},
         [] {
             CData::instance()->UpdateUser(User("p1", "Partner", 1));
             CData::instance()->SetStatus(kStatusLinkMic, 1);
             CData::instance()->SetSvrTimeOff(0);
         },
         [] {
             EXPECT_FALSE(HasUser("p1"));
             EXPECT_FALSE(CData::instance()->GetStatus(kStatusLinkMic));
             EXPECT_NEAR(double(W().LastActivity()), double(QDateTime::currentMSecsSinceEpoch()), 60000.0);
         }},
        {"StudentLeavingKeepsTheLink", RsC_User_Leave, QVariantMap{{"userid", "s4"}},
         [] {
             CData::instance()->UpdateUser(User("s4", "D"));
             CData::instance()->SetStatus(kStatusLinkMic, 1);
         },
         [] {
             EXPECT_FALSE(HasUser("s4"));
             EXPECT_TRUE(CData::instance()->GetStatus(kStatusLinkMic));
         }},
        {"CourseInfoSetsTitleAndEnd", RsC_Course_Info,
         QVariantMap{{"title", U("数学")}, {"begintime", "2026-12-11 09:00:00"}, {"endtime", "2026-12-11 10:30:00"}},
         nullptr,
         [] {
             EXPECT_EQ(Form()->labTitle->text(), U("数学"));
             EXPECT_EQ(W().CourseEnd(),
                       QDateTime(QDate(2026, 12, 11), QTime(10, 30), Qt::LocalTime).toMSecsSinceEpoch());
         }},
        {"CourseInfoWithABadEndGivesNoEnd", RsC_Course_Info, QVariantMap{{"title", "T"}, {"endtime", "soon"}},
         nullptr, [] { EXPECT_EQ(W().CourseEnd(), 0); }},
        {"CourseEndLeavesWithAToast", RsC_Course_End, QVariantMap{{"roomtype", 1}, {"des", ""}},
         [] { Form()->labTitle->setText("room"); },
         [] {
             EXPECT_EQ(NewToasts(), QStringList{U("课程已结束")});
             EXPECT_TRUE(Form()->labTitle->text().isEmpty());
         }},
        {"WebIdOfAKnownUserIsBound", RsC_User_WebId, QVariantMap{{"userId", "s5"}, {"userWebId", "w5"}},
         [] { CData::instance()->UpdateUser(User("s5", "E")); },
         [] {
             UserInfo u;
             ASSERT_TRUE(HasUser("s5", &u));
             EXPECT_EQ(u.webId, "w5");
             EXPECT_EQ(CallsNamed("BindUserWebId"), (QList<QVariantList>{{QString("s5"), QString("w5")}}));
         }},
        {"EmptyWebIdBindsNothing", RsC_User_WebId, QVariantMap{{"userId", "s6"}, {"userWebId", ""}},
         [] { CData::instance()->UpdateUser(User("s6", "F")); },
         [] { EXPECT_TRUE(CallsNamed("BindUserWebId").isEmpty()); }},
        {"KickedElsewhere", RsC_User_Kicked, QVariantMap{{"type", "otherkick"}, {"userId", "t"}}, nullptr,
         [] { EXPECT_EQ(NewToasts(), QStringList{U("帐号在其他设备登录，您已退出")}); }},
        {"KickedByTheTeacher", RsC_User_Kicked, QVariantMap{{"type", "kick"}}, nullptr,
         [] { EXPECT_EQ(NewToasts(), QStringList{U("您被老师请出教室!")}); }},
        {"HandUpSwitchOnTeacherSideIsSilent", RsC_Handup_Switch, QVariantMap{{"handup", true}}, nullptr,
         [] {
             EXPECT_TRUE(CData::instance()->GetStatus(kStatusHandUpOpen));
             EXPECT_TRUE(NewToasts().isEmpty());
         }},
        {"HandUpSwitchOnStudentSideToastsAndShowsTheButton", RsC_Handup_Switch, QVariantMap{{"handup", true}},
         [] { CData::SetStudentSideForTests(true); },
         [] {
             EXPECT_EQ(NewToasts(), QStringList{U("老师开启举手")});
             EXPECT_TRUE(W().findChild<ToastHandupButton*>()->isVisibleTo(Form()->wbWidget));
             W().findChild<ToastHandupButton*>()->hide();
         }},
        {"InteractionOpenRefused", RsC_Interact_Result, QVariantMap{{"type", "open"}, {"isok", false}}, nullptr,
         [] { EXPECT_EQ(NewToasts(), QStringList{U("开启互动失败,互动人数已达上限!")}); }},
        {"InvitationAcceptedPutsTheUserOnStage", RsC_Interact_Result,
         QVariantMap{{"type", "inviteRs"}, {"isok", true}, {"srcUserId", "s7"}},
         [] { CData::instance()->UpdateUser(User("s7", "Amy")); },
         [] {
             UserInfo u;
             ASSERT_TRUE(HasUser("s7", &u));
             EXPECT_TRUE(u.online);
             EXPECT_EQ(NewToasts(), QStringList{U("Amy接受了您的互动邀请")});
         }},
        {"InvitationOfAnUnknownUserChangesNothing", RsC_Interact_Result,
         QVariantMap{{"type", "inviteRs"}, {"isok", false}, {"srcUserId", "ghost"}}, nullptr,
         [] {
             EXPECT_FALSE(HasUser("ghost"));
             EXPECT_TRUE(NewToasts().isEmpty());
         }},
        {"InteractionLimit", RsC_Interact_Result, QVariantMap{{"type", "limit"}, {"num", 6}}, nullptr,
         [] { EXPECT_EQ(NewToasts(), QStringList{U("请求互动失败，已达到最大人数6人限制")}); }},
        {"UserListStoresEachWellFormedEntry", RsC_User_List,
         QVariantMap{{"userlist", QVariantList{QVariantMap{{"userId", "u1"}, {"userName", "One"}, {"userType", 2},
                                                           {"noSpeak", true}},
                                               QVariantMap{{"userName", "no id"}}, QString("junk"),
                                               QVariantMap{{"userId", "u2"}, {"userName", "Two"}}}}},
         nullptr,
         [] {
             UserInfo u;
             ASSERT_TRUE(HasUser("u1", &u));
             EXPECT_EQ(u.type, 2);
             EXPECT_TRUE(u.noSpeak);
             EXPECT_TRUE(HasUser("u2"));
             EXPECT_EQ(CData::instance()->GetUserList().size(), 2u);
         }},
        {"StreamsOutsideALiveRoomPlayNothing", RsC_Stream_Start,
         QVariantMap{{"stream", "s"}, {"mediaType", "video"}, {"teacher", "t"}}, SmallRoom,
         [] { EXPECT_TRUE(ClientLibTestControl::Calls(Lib()).isEmpty()); }},
        {"PartnerOutStopsAndHidesTheQuestion", RsC_Dual_TeacherInOut,
         QVariantMap{{"isIn", 0}, {"userName", "Wang"}, {"userId", "p"}},
         [] { CData::instance()->SetStatus(kStatusPartnerTeacher, 1); },
         [] {
             EXPECT_FALSE(CData::instance()->GetStatus(kStatusPartnerTeacher));
             ASSERT_NE(W().VisibilityBox(), nullptr);
             EXPECT_FALSE(W().VisibilityBox()->isVisible());
             EXPECT_EQ(W().DualTeacherMap().value("isMaster"), QVariant(false));
         }},
        {"ClassTypeMasterHidesExternalPush", RsC_Class_Type, QVariantMap{{"type", 1}, {"up", 1}},
         [] { Form()->btnExtPush->show(); },
         [] {
             EXPECT_EQ(CData::instance()->GetClassType(), 1);
             EXPECT_TRUE(CData::instance()->IsClassUp());
             EXPECT_TRUE(Form()->btnExtPush->isHidden());
         }},
        {"ClassTypeNormalKeepsExternalPush", RsC_Class_Type, QVariantMap{{"type", 2}, {"up", 0}},
         [] { Form()->btnExtPush->show(); }, [] { EXPECT_FALSE(Form()->btnExtPush->isHidden()); }},
        {"DualConnectFillsTheMap", RsC_Dual_Connect, QVariantMap{{"roomId", "r9"}, {"token", "tk9"}, {"master", 1}},
         nullptr,
         [] {
             const QVariantMap m = W().DualTeacherMap();
             EXPECT_EQ(m.value("roomId").toString(), QString("r9"));
             EXPECT_EQ(m.value("token").toString(), QString("tk9"));
             EXPECT_TRUE(m.value("conn").toBool());
         }},
        {"VisibilityQuestionInASubClassroomForInIsNotAsked", RsC_Dual_Visible, QVariantMap{{"in", true}},
         [] { CData::instance()->SetClassType(0, false); }, [] { EXPECT_TRUE(ShownBoxes().isEmpty()); }},
    };
    return cases;
}

class ClientCommand : public CommandTest<Cases> {};

}  // namespace

TEST_P(ClientCommand, HasItsEffect) { RunCase(); }

INSTANTIATE_TEST_SUITE_P(Codes, ClientCommand, ClientCommand::Indexes(), ClientCommand::Name);

namespace {

// What a command could have changed, to compare before and after.
struct Snapshot {
    size_t users;
    std::string localUser;
    QList<bool> status;
    QStringList loginVars;
    QString title;
    qint64 courseEnd;
    qint64 lastActivity;
    int liveMode;
    int classType;
    bool recording;
    QVariantMap dual;

    static Snapshot Take()
    {
        CData* d = CData::instance();
        Snapshot s{d->GetUserList().size(), d->GetLocalUser()->userId, {}, d->GetLoginVar(),
                   Form()->labTitle->text(), W().CourseEnd(), W().LastActivity(), d->GetLiveMode(),
                   d->GetClassType(), d->IsRecording(), W().DualTeacherMap()};
        for (int key = kStatusPartnerTeacher; key <= kStatusMixedBroadcast; ++key)
            s.status.append(d->GetStatus(key));
        return s;
    }
    bool operator==(const Snapshot& o) const
    {
        return users == o.users && localUser == o.localUser && status == o.status && loginVars == o.loginVars &&
               title == o.title && courseEnd == o.courseEnd && lastActivity == o.lastActivity &&
               liveMode == o.liveMode && classType == o.classType && recording == o.recording && dual == o.dual;
    }
};

class Ignored : public DispatchTest {
protected:
    void ExpectNoEffect(int code, const QVariant& payload)
    {
        SmallRoom();
        CData::instance()->UpdateUser(User("s8", "G"));
        const Snapshot before = Snapshot::Take();
        ClientLibTestControl::ClearCalls(Lib());
        Fire(code, payload);
        EXPECT_TRUE(Snapshot::Take() == before) << "code " << code;
        EXPECT_TRUE(NewToasts().isEmpty()) << "code " << code;
        EXPECT_TRUE(ShownBoxes().isEmpty()) << "code " << code;
        EXPECT_TRUE(ClientLibTestControl::Calls(Lib()).isEmpty()) << "code " << code;
    }
};

}  // namespace

TEST_F(Ignored, UnknownCodesChangeNothing)
{
    const QVariantMap rich{{"userid", "s8"}, {"userId", "s8"}, {"type", "main"}, {"code", 403},
                           {"title", "X"},   {"handup", true}, {"startRec", true}, {"isIn", 1}};
    // Codes no part of the window takes (the user video list takes 103-108,
    // 113, 114 and 121 itself).
    for (int code : {5, 111, 153, 158, 200, 999, 1034, 5000, -1})
        ExpectNoEffect(code, rich);
}

TEST_F(Ignored, MalformedPayloadsAreDropped)
{
    const std::vector<std::pair<int, QVariant>> cases = {
        {RsC_User_Join, QString("s8")},
        {RsC_User_Join, QVariantMap{{"userName", "no id"}}},
        {RsC_User_Join, QVariantMap{{"userid", QVariantList{1, 2}}}},
        {RsC_User_Join, QVariantMap{{"userid", "s9"}, {"cam", "on"}}},
        {RsC_User_Leave, QVariantMap{}},
        {RsC_User_Leave, QVariant()},
        {RsC_User_Self, QVariantMap{{"userid", 17}}},
        {RsC_Room_LoginResult, QVariantMap{{"type", "main"}}},
        {RsC_Room_LoginResult, QVariantMap{{"type", "main"}, {"code", "denied"}}},
        {RsC_Course_Info, QVariantMap{{"title", QVariantMap{}}, {"endtime", "2026-12-11 10:00:00"}}},
        {RsC_Handup_Switch, QVariantMap{{"handup", "yes"}}},
        {RsC_Invite_Video, QVariantMap{{"online", true}}},
        {RsC_User_List, QVariantMap{{"userlist", "s8"}}},
        {RsC_User_Count, QVariantMap{{"totalNum", "many"}, {"pureStu", 3}}},
        {RsC_Dual_TeacherInOut, QVariantMap{{"isIn", "in"}}},
        {RsC_Dual_Connect, QVariantMap{{"roomId", "r"}}},
        {RsC_Class_Type, QVariantMap{{"type", QVariantList{}}}},
        {RsC_Dual_Visible, QVariantList{true}},
        {RsC_Lottery_Close, QVariantMap{{"id", "x"}}},
        {RsC_Http_EnterRoom, QVariantMap{{"code", "zero"}}},
        {RsC_Http_EnterRoom, QVariantMap{{"code", 0}, {"user_data", QVariantMap{{"roomType", "3"}}}, {"ltParame", "a"}}},
        {RsC_Http_EnterRoom, QVariantMap{{"code", 0}, {"ltParame", QStringList{"a", "b", "c", "d", "e", "3"}}}},
        {RsC_Http_CourseInfo, QVariantMap{{"endtime", 5}}},
        {RsC_Http_MediaUrl, QVariantMap{{"user_data", QVariantMap{}}}},
    };
    for (const auto& c : cases)
        ExpectNoEffect(c.first, c.second);
}

TEST(OnlineCountText, DecimalUpToTenThousandThenTenThousands)
{
    EXPECT_EQ(MainWindow::OnlineCountText(0), U("在线人数 0"));
    EXPECT_EQ(MainWindow::OnlineCountText(10000), U("在线人数 10000"));
    EXPECT_EQ(MainWindow::OnlineCountText(10001), U("在线人数 1.00万"));
    EXPECT_EQ(MainWindow::OnlineCountText(12345), U("在线人数 1.23万"));
}

TEST_F(DispatchTest, UserCountReachesTheLottery)
{
    ClientLibTestControl::InjectCommand(Lib(), RsC_User_Count,
                                        QVariantMap{{"totalNum", 12345}, {"stuNum", 9}, {"pureStu", 77}});
    EXPECT_TRUE(testsupport::waitUntil([] { return Lottery()->OnlineNum() == 77; }));
}

TEST_F(DispatchTest, FirstSuccessfulLoginAsksForTheRecordingCheckOnce)
{
    // regOk false: nothing asked; the first regOk true on the teacher side asks.
    Fire(RsC_Room_LoginResult, QVariantMap{{"type", "main"}, {"code", 0}, {"regOk", false}});
    EXPECT_FALSE(W().CheckRecordingAfterLogin());
    Fire(RsC_Room_LoginResult, QVariantMap{{"type", "main"}, {"code", 0}, {"regOk", true}});
    EXPECT_TRUE(W().CheckRecordingAfterLogin());
    EXPECT_TRUE(Form()->mainWidget->isEnabled());
}

TEST_F(DispatchTest, RoomLoginAnswerEnablesTheRoomWhateverItHolds)
{
    // An answer without "code" (or with one that is no number) must not
    // leave the room's controls disabled for the rest of the class.
    const QList<QVariantMap> answers = {
        {{"type", "main"}},
        {{"type", "main"}, {"regOk", true}},
        {{"type", "main"}, {"code", "denied"}},
    };
    for (const QVariantMap& answer : answers) {
        Form()->mainWidget->setEnabled(false);
        Fire(RsC_Room_LoginResult, answer);
        EXPECT_TRUE(Form()->mainWidget->isEnabled()) << answer.keys().join(",").toStdString();
    }
    EXPECT_TRUE(NewToasts().isEmpty()) << "no refusal was read, so the room is not left";
}

TEST_F(DispatchTest, VideoInvitationAsksAndAnswersTheLibrary)
{
    Fire(RsC_Invite_Video, QVariantMap{{"srcUserId", "tea-1"}, {"online", true}});
    MsgBox* box = W().InviteBox();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(BoxText(box), U("老师邀请您视频互动"));
    EXPECT_EQ(box->findChild<QPushButton*>("btnOk")->text(), U("同意"));
    EXPECT_EQ(box->findChild<QPushButton*>("btnCancel")->text(), U("拒绝"));
    shelltest::Screenshot(box, "dispatch_invite_box.png");
    ClickBox(box, "btnOk");
    EXPECT_EQ(CallsNamed("ReplyInvite"), (QList<QVariantList>{{QString("tea-1"), true}}));

    // A second invitation answers only for its own sender; "online" false hides the box.
    ClientLibTestControl::ClearCalls(Lib());
    Fire(RsC_Invite_Video, QVariantMap{{"srcUserId", "tea-2"}, {"online", true}});
    ASSERT_TRUE(box->isVisible());
    Fire(RsC_Invite_Video, QVariantMap{{"srcUserId", "tea-2"}, {"online", false}});
    EXPECT_FALSE(box->isVisible());
    Fire(RsC_Invite_Video, QVariantMap{{"srcUserId", "tea-3"}, {"online", true}});
    ClickBox(box, "btnCancel");
    EXPECT_EQ(CallsNamed("ReplyInvite"), (QList<QVariantList>{{QString("tea-3"), false}}));
}

TEST_F(DispatchTest, PartnerTeacherEntersAndLeavesTheSubClassroom)
{
    shelltest::SetSession(true, "own-token");
    Fire(RsC_Dual_Connect, QVariantMap{{"roomId", "r1"}, {"token", "partner-token"}});
    ClientLibTestControl::ClearCalls(Lib());
    Fire(RsC_Dual_TeacherInOut, QVariantMap{{"isIn", 1}, {"userName", "Wang"}, {"userId", "p"}});
    EXPECT_FALSE(Form()->btnVideo->isEnabled());
    EXPECT_FALSE(Form()->btnDesk->isEnabled());
    EXPECT_EQ(CData::instance()->GetStatusText(kStatusToken), QString("partner-token"));
    EXPECT_TRUE(CData::instance()->GetStatus(kStatusPartnerTeacher));
    EXPECT_EQ(NewToasts(), QStringList{U("主教室老师Wang进入教室")});
    ASSERT_EQ(CallsNamed("DualRoomCmd").size(), 1);
    EXPECT_TRUE(CallsNamed("DualRoomCmd")[0].value(0).toMap().value("conn").toBool());
    shelltest::Screenshot(NewestToast(), "dispatch_partner_in_toast.png");

    ForgetToasts();
    Fire(RsC_Dual_TeacherInOut, QVariantMap{{"isIn", 0}, {"userName", "Wang"}, {"userId", "p"}});
    EXPECT_TRUE(Form()->btnVideo->isEnabled());
    EXPECT_EQ(CData::instance()->GetStatusText(kStatusToken), QString("own-token"));
    EXPECT_FALSE(CData::instance()->GetStatus(kStatusPartnerTeacher));
    EXPECT_EQ(NewToasts(), QStringList{U("主教室老师Wang离开教室")});
    ASSERT_EQ(CallsNamed("DualRoomCmd").size(), 2);
    EXPECT_FALSE(CallsNamed("DualRoomCmd")[1].value(0).toMap().value("conn").toBool());
}

TEST_F(DispatchTest, VisibilityQuestionOfTheMasterClassroom)
{
    CData::instance()->SetClassType(1, true);
    Fire(RsC_Dual_Visible, QVariantMap{{"in", true}, {"masterTea", "x"}});
    MsgBox* box = W().VisibilityBox();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(BoxText(box),
              U("当前视频和PPT仅本班学生可见，点击\"允许全体可见\"后，子教室所有学生将同步显示视频和PPT。\r\n"
                "如暂时不允许，稍后可在窗口上方进行操作"));
    EXPECT_EQ(box->findChild<QPushButton*>("btnOk")->text(), U("允许全体可见"));
    EXPECT_FALSE(box->findChild<QPushButton*>("btnCancel")->isVisible());
    shelltest::Screenshot(box, "dispatch_visibility_master.png");

    // Declined: the strip offers the switch later, for all classes.
    box->close();
    ASSERT_NE(W().VisibilityToast(), nullptr);
    EXPECT_TRUE(W().VisibilityToast()->isVisibleTo(&W()));
    EXPECT_TRUE(W().VisibilityToast()->property("in").toBool());
    EXPECT_EQ(LabelText(W().VisibilityToast(), "label"), U("当前视频和PPT仅本班学生可见"));

    // Accepted: the library makes it visible to all.
    Fire(RsC_Dual_Visible, QVariantMap{{"in", true}});
    ClickBox(box, "btnOk");
    EXPECT_EQ(CallsNamed("SetDualVisible"), (QList<QVariantList>{{true, true}}));
    W().VisibilityToast()->hide();
}

TEST_F(DispatchTest, VisibilityQuestionOfTheSubClassroom)
{
    CData::instance()->SetClassType(0, false);
    Fire(RsC_Dual_Visible, QVariantMap{{"in", false}});
    MsgBox* box = W().VisibilityBox();
    ASSERT_TRUE(box && box->isVisible());
    EXPECT_EQ(BoxText(box), U("主讲老师不在教室，是否允许学生查看当前视频和PPT？\r\n如暂时不允许，稍后可在窗口上方进行操作"));
    EXPECT_EQ(box->findChild<QPushButton*>("btnOk")->text(), U("允许学生可见"));
    shelltest::Screenshot(box, "dispatch_visibility_sub.png");
    ClickBox(box, "btnClose");
    ASSERT_NE(W().VisibilityToast(), nullptr);
    EXPECT_FALSE(W().VisibilityToast()->property("in").toBool());
    EXPECT_EQ(LabelText(W().VisibilityToast(), "label"), U("当前视频和PPT仅自己可见"));

    // One click on the strip's button switches once and hides the strip.
    ClientLibTestControl::ClearCalls(Lib());
    W().VisibilityToast()->findChild<QPushButton*>("pushButton")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(CallsNamed("SetDualVisible"), (QList<QVariantList>{{false, true}}));
    EXPECT_FALSE(W().VisibilityToast()->isVisibleTo(&W()));
}

TEST_F(DispatchTest, EveryDeviceRequestGetsADialogOfItsOwn)
{
    const int before = W().findChildren<AppAuthWidget*>().size();
    Fire(RsC_App_DeviceAuth, QVariantMap{{"userId", "m1"}, {"devType", "iphone"}, {"devInfo", "iPhone 15"}});
    Fire(RsC_App_DeviceAuth, QVariantMap{{"userId", "m2"}, {"devType", "ipad"}, {"devInfo", "iPad"}});
    QList<AppAuthWidget*> dialogs = W().findChildren<AppAuthWidget*>();
    ASSERT_EQ(dialogs.size(), before + 2);
    EXPECT_TRUE(dialogs.last()->isVisible());
    shelltest::Screenshot(dialogs.last(), "dispatch_app_device_auth.png");
    for (AppAuthWidget* d : dialogs)
        d->hide();
}

TEST_F(DispatchTest, RoomMediaCommandsReachTheMediaPlayerWithTheirVerb)
{
    auto* player = W().findChild<MediaPlayerWidget*>();
    ASSERT_NE(player, nullptr);
    const QVariantMap media{{"docid", "d1"}, {"fileName", "a.mp3"}, {"url", "http://127.0.0.1:9/a.mp3"},
                            {"ts", 0},       {"totalTs", 60000},     {"type", "audio"}};
    auto state = [player] { return player->mediaInfo() ? player->mediaInfo()->cmdState : -1; };
    Fire(RsC_Media_Pause, media);
    EXPECT_TRUE(testsupport::waitUntil([&] { return state() == 2; }));
    EXPECT_EQ(player->mediaInfo()->url, "http://127.0.0.1:9/a.mp3");
    Fire(RsC_Media_Close, media);
    EXPECT_TRUE(testsupport::waitUntil([&] { return state() != 2; }));
    EXPECT_NE(player->playState(), MediaPlayState::Playing);
}

TEST_F(DispatchTest, CourseEndToastLooksRight)
{
    Fire(RsC_Course_End, QVariantMap{});
    Toast* toast = NewestToast();
    ASSERT_NE(toast, nullptr);
    shelltest::Screenshot(toast, "dispatch_course_end_toast.png");
}

