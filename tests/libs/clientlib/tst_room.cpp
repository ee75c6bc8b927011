// Client library: room entry and login, users joining and leaving, chat and
// the interaction tools echoing as a room would.
#include "tests/libs/clientlib/ClientLibProbe.h"

#include <QImage>

using namespace cltest;

namespace {

std::function<bool(const Received&)> keyIs(const char* key, const QVariant& value)
{
    return [key, value](const Received& r) { return r.map().value(key) == value; };
}

std::atomic<int> g_audioFrames{0};
std::atomic<quint64> g_audioThread{0};
std::atomic<int> g_videoFrames{0};
std::atomic<int> g_videoWidth{0};

void onAudio(QString, const void* data, int bits, int rate, int channels, int frames)
{
    if (data && bits == 16 && rate == 48000 && channels == 1 && frames == 960) ++g_audioFrames;
    g_audioThread = quint64(std::hash<std::thread::id>()(std::this_thread::get_id()));
}

void onVideo(const QString&, const QImage& frame)
{
    g_videoWidth = frame.width();
    ++g_videoFrames;
}

qint64 playCatch() { return 1234; }

}  // namespace

TEST(ClientLibRoom, EntryAnswersLoginVariablesAndRoomLoginReportsTheRoom)
{
    LibFixture lib;
    lib.login();
    const QString roomId = todayRoom(lib.lib(), "今日数学");
    ASSERT_FALSE(roomId.isEmpty());
    rec().clear();
    lib->EnterRoomRequest("81", roomId, "1", "2");
    const QVariantMap entry = answer(RsC_Http_EnterRoom);
    EXPECT_EQ(entry.value("code").toInt(), 0);
    EXPECT_EQ(entry.value("user_data").toMap().value("roomType").toString(), "2");
    const QStringList vars = entry.value("ltParame").toStringList();
    ASSERT_EQ(vars.size(), 6);
    EXPECT_EQ(vars[0].section('|', -1), "1");  // the role at the end of the token
    EXPECT_EQ(vars[1], roomId);
    EXPECT_EQ(vars[2], "501");
    EXPECT_EQ(vars[3], "周老师");
    EXPECT_EQ(vars[4], "81");
    EXPECT_EQ(vars[5], "3");

    rec().clear();
    EXPECT_TRUE(lib->LoginRoom(QVariant(vars)));
    const QVariantMap main = answer(RsC_Room_LoginResult, keyIs("type", "main"));
    EXPECT_EQ(main.value("code").toInt(), 0);
    EXPECT_TRUE(main.value("regOk").toBool());
    const QVariantMap chat = answer(RsC_Room_LoginResult, keyIs("type", "chat"));
    EXPECT_FALSE(chat.value("userid").toString().isEmpty());
    EXPECT_EQ(answer(RsC_User_Self).value("userid").toString(), "501");
    EXPECT_EQ(answer(RsC_Course_Info).value("title").toString(), "今日数学");
    EXPECT_EQ(answer(RsC_Http_CourseInfo).value("title").toString(), "今日数学");
    EXPECT_TRUE(answer(RsC_Chat_AllNoSpeak).value("chatAll").toBool());
    const QVariantList users = answer(RsC_User_List).value("userlist").toList();
    ASSERT_EQ(users.size(), 1);
    EXPECT_EQ(users[0].toMap().value("userId").toString(), "501");
    EXPECT_EQ(answer(RsC_User_Count).value("totalNum").toLongLong(), 1);
    EXPECT_EQ(answer(RsC_Class_Type).value("type").toInt(), 2);
}

TEST(ClientLibRoom, PlaybackAndRecordingRoomsAnswerTheirRoomTypes)
{
    LibFixture lib;
    lib.login();
    // The course's past lesson has a recording: kind "5" plays it back.
    rec().clear();
    lib->GetCourseList("81", "71", "1", "71");
    const QVariantMap past = answer(RsC_Http_CourseList).value("rooms").toList().value(0).toMap();
    ASSERT_EQ(past.value("status").toInt(), 1);
    rec().clear();
    lib->EnterRoomRequest("81", past.value("room_id").toString(), "1", "5");
    QVariantMap entry = answer(RsC_Http_EnterRoom);
    EXPECT_EQ(entry.value("code").toInt(), 0);
    EXPECT_EQ(entry.value("user_data").toMap().value("roomType").toString(), "5");
    EXPECT_EQ(entry.value("ltParame").toStringList().size(), 6);
    rec().clear();
    lib->EnterRoomRequest("81", past.value("room_id").toString(), "1", "2");  // over: no live entry
    EXPECT_NE(answer(RsC_Http_EnterRoom).value("code").toInt(), 0);

    // A recording room is made and entered with kind "4".
    rec().clear();
    lib->MakeTmpRoom(4, "81");
    const QVariantMap made = answer(RsC_Http_MakeTmpRoom);
    ASSERT_EQ(made.value("code").toInt(), 0);
    rec().clear();
    lib->EnterRoomRequest("81", made.value("room_id").toString(), "1", "4");
    entry = answer(RsC_Http_EnterRoom);
    EXPECT_EQ(entry.value("code").toInt(), 0);
    EXPECT_EQ(entry.value("user_data").toMap().value("roomType").toString(), "4");
}

TEST(ClientLibRoom, RoomEntryAndLoginFailures)
{
    LibFixture lib;
    lib.login();
    struct Case {
        QString roomId, kind;
        int code;
    } cases[] = {{"nope", "2", 404}, {"", "2", 400}};
    for (const Case& c : cases) {
        rec().clear();
        lib->EnterRoomRequest("81", c.roomId, "1", c.kind);
        EXPECT_EQ(answer(RsC_Http_EnterRoom).value("code").toInt(), c.code) << c.roomId.toStdString();
    }
    // Forged token, too few variables, not a list.
    const QString roomId = todayRoom(lib.lib(), "今日数学");
    for (const QVariant& vars : {QVariant(QStringList{"bad|" + roomId + "|1", roomId, "501", "周老师", "81", "3"}),
                                 QVariant(QStringList{"a", "b"}), QVariant(42)}) {
        rec().clear();
        lib->LoginRoom(vars);
        const QVariantMap r = answer(RsC_Room_LoginResult);
        EXPECT_NE(r.value("code").toInt(), 0);
        EXPECT_FALSE(r.value("regOk").toBool());
        EXPECT_EQ(r.value("type").toString(), "main");
    }
    EXPECT_FALSE(ClientLibTestControl::ServiceState(lib.lib()).value("inRoom").toBool());
}

TEST(ClientLibRoom, UsersJoinAndLeaveWithExactKeys)
{
    LibFixture lib;
    lib.login();
    lib.enterRoom(todayRoom(lib.lib(), "今日数学"));
    rec().clear();
    ASSERT_TRUE(ClientLibTestControl::StudentJoin(lib.lib(), "601"));
    const QVariantMap join = answer(RsC_User_Join);
    EXPECT_EQ(join.value("userid").toString(), "601");  // lower-case key for 100 to 102
    EXPECT_FALSE(join.contains("userId"));
    EXPECT_EQ(join.value("userName").toString(), "甲");
    for (const char* key : {"type", "cam", "mic", "click", "draw", "noSpeak", "online"})
        EXPECT_TRUE(join.contains(key)) << key;
    const QVariantMap web = answer(RsC_User_WebId);
    EXPECT_EQ(web.value("userId").toString(), "601");
    EXPECT_EQ(web.value("userWebId").toString(), "w601");
    EXPECT_EQ(answer(RsC_User_Count, keyIs("totalNum", qint64(2))).value("pureStu").toLongLong(), 1);

    rec().clear();
    EXPECT_FALSE(ClientLibTestControl::StudentJoin(lib.lib(), "no-such"));
    ASSERT_TRUE(ClientLibTestControl::StudentLeave(lib.lib(), "601"));
    EXPECT_EQ(answer(RsC_User_Leave).value("userid").toString(), "601");
    EXPECT_EQ(answer(RsC_User_Count).value("totalNum").toLongLong(), 1);
    EXPECT_FALSE(ClientLibTestControl::StudentLeave(lib.lib(), "601"));
}

TEST(ClientLibRoom, StudentsJoinAndChatByThemselvesAfterRoomLogin)
{
    LibFixture lib(testSchoolJson(5));
    lib.login();
    lib.enterRoom(todayRoom(lib.lib(), "今日数学"));
    EXPECT_TRUE(rec().waitFor(RsC_User_Join, nullptr, 5000, keyIs("userid", "601")));
    EXPECT_TRUE(rec().waitFor(RsC_User_Join, nullptr, 5000, keyIs("userid", "602")));
    const QVariantMap msg = answer(RsC_Chat_Message);
    EXPECT_EQ(msg.value("msg").toString(), "hi");
    EXPECT_EQ(msg.value("userid").toString(), "601");
    EXPECT_EQ(msg.value("name").toString(), "甲");
    // Leaving the room ends the students' script: nothing more arrives.
    lib->LeaveRoom();
    EXPECT_FALSE(ClientLibTestControl::ServiceState(lib.lib()).value("inRoom").toBool());
}

TEST(ClientLibRoom, ChatRoundTrip)
{
    LibFixture lib;
    lib.login();
    lib.enterRoom(todayRoom(lib.lib(), "今日数学"));
    const QString chatId = answer(RsC_Room_LoginResult, keyIs("type", "chat")).value("userid").toString();
    ClientLibTestControl::StudentJoin(lib.lib(), "601");
    rec().clear();
    EXPECT_TRUE(rec().call([&] { return lib->SendChatMsg("大家好<b>", 1, 1700000000); }));
    Received r;
    ASSERT_TRUE(rec().waitFor(RsC_Chat_Message, &r));
    EXPECT_FALSE(r.duringCall);
    EXPECT_EQ(r.thread, lib.libThread());
    const QVariantMap mine = r.map();
    EXPECT_EQ(mine.value("msg").toString(), "大家好<b>");
    EXPECT_EQ(mine.value("msgType").toInt(), 1);
    EXPECT_EQ(mine.value("time").toLongLong(), 1700000000);
    EXPECT_EQ(mine.value("userid").toString(), chatId);  // the own chat id of the room login
    EXPECT_EQ(mine.value("name").toString(), "周老师");
    EXPECT_FALSE(mine.value("id").toString().isEmpty());

    rec().clear();
    EXPECT_TRUE(lib->SendChatMsg("http://pics.example/a.png", 2, 1));
    EXPECT_EQ(answer(RsC_Chat_Message).value("msgType").toInt(), 2);
    EXPECT_FALSE(lib->SendChatMsg("", 1, 1));
    EXPECT_FALSE(lib->SendChatMsg("x", 9, 1));

    rec().clear();
    ASSERT_TRUE(ClientLibTestControl::StudentChat(lib.lib(), "601", "老师好"));
    EXPECT_EQ(answer(RsC_Chat_Message).value("userid").toString(), "601");
    // Mute all: the room says so and students cannot chat.
    rec().clear();
    EXPECT_TRUE(lib->SetAllNoSpeak(true));
    EXPECT_FALSE(answer(RsC_Chat_AllNoSpeak).value("chatAll").toBool());
    EXPECT_FALSE(ClientLibTestControl::StudentChat(lib.lib(), "601", "still here?"));
}

TEST(ClientLibRoom, ToolsEchoAsARoomWould)
{
    LibFixture lib;
    lib.login();
    lib.enterRoom(todayRoom(lib.lib(), "今日数学"));
    ClientLibTestControl::StudentJoin(lib.lib(), "601");
    ClientLibTestControl::StudentJoin(lib.lib(), "602");
    ASSERT_TRUE(rec().waitFor(RsC_User_Join, nullptr, 5000, keyIs("userid", "602")));
    rec().clear();

    EXPECT_TRUE(lib->SetCountdown(90, true));
    QVariantMap cd = answer(RsC_Countdown);
    EXPECT_TRUE(cd.value("start").toBool());
    EXPECT_EQ(cd.value("totalTs").toInt(), 90);
    EXPECT_FALSE(lib->SetCountdown(0, true));

    EXPECT_TRUE(lib->SetDoodleBoard(true));
    EXPECT_TRUE(answer(RsC_Draw_Auth).value("open").toBool());

    EXPECT_TRUE(lib->PublishNotice(77, R"({"text":"明天放假"})"));
    const QVariantMap notice = answer(RsC_Notice);
    EXPECT_EQ(notice.value("id").toLongLong(), 77);
    EXPECT_EQ(notice.value("msg").toString(), R"({"text":"明天放假"})");

    // Hand-up in a small class: the switch (122), then the students' hands (123).
    EXPECT_TRUE(lib->SetVoiceInteraction(true));
    EXPECT_TRUE(answer(RsC_Handup_Switch).value("handup").toBool());
    const QVariantMap hand = answer(RsC_Handup_User);
    EXPECT_EQ(hand.value("userId").toString(), "601");
    EXPECT_TRUE(hand.value("handup").toBool());

    // Quiz: students answer (136), the stop sends the last result and 137.
    EXPECT_TRUE(lib->PublishQuestion(1, 4, QVariant(QVariantList{1}), 1001, true));
    EXPECT_TRUE(rec().waitFor(RsC_Question_Result, nullptr, 5000, keyIs("totalResult", "2")));
    EXPECT_TRUE(lib->StopQuestion(QVariant(0)));
    EXPECT_EQ(answer(RsC_Question_Stop).value("id").toLongLong(), 1001);
    Received last;
    ASSERT_TRUE(rec().waitFor(RsC_Question_Result, &last, 5000, keyIs("totalResult", "2")));
    const QVariantMap q = last.map();
    EXPECT_EQ(q.value("id").toLongLong(), 1001);
    EXPECT_EQ(q.value("rightPercent").toString(), "50.00");  // 601 chose 1 (right), 602 chose 2
    const QVariantList items = q.value("listItem").toList();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0].toMap().value("index").toInt(), 1);
    EXPECT_EQ(items[0].toMap().value("count").toInt(), 1);
    EXPECT_EQ(items[0].toMap().value("isResult").toInt(), 1);
    EXPECT_EQ(items[1].toMap().value("isResult").toInt(), 0);
    EXPECT_EQ(items[1].toMap().value("percent").toString(), "50.00");
    EXPECT_FALSE(lib->StopQuestion(QVariant(0)));  // nothing running any more
    EXPECT_FALSE(lib->PublishQuestion(1, 4, QVariant("A"), 1002, true));

    // Lottery: the draw names winners among the students; the stop closes it.
    EXPECT_TRUE(lib->SetLottery(1, 555, true));
    const QVariantMap draw = answer(RsC_Lottery_Result);
    EXPECT_EQ(draw.value("id").toLongLong(), 555);
    EXPECT_EQ(draw.value("count").toInt(), 1);
    const QVariantList winners = draw.value("listdata").toList();
    ASSERT_EQ(winners.size(), 1);
    EXPECT_TRUE(QStringList({"601", "602"}).contains(winners[0].toMap().value("userid").toString()));
    EXPECT_TRUE(winners[0].toMap().contains("username"));
    EXPECT_FALSE(lib->SetLottery(0, 556, false));
    EXPECT_TRUE(lib->SetLottery(0, 555, false));
    EXPECT_EQ(answer(RsC_Lottery_Close).value("id").toLongLong(), 555);

    // Products: the list, then one put up.
    EXPECT_TRUE(lib->GetProductList("0"));
    const QVariantList products = answer(RsC_Product1_List).value("listdata").toList();
    ASSERT_EQ(products.size(), 1);
    EXPECT_TRUE(lib->ProductUp(products[0]));
    const QVariantMap up = answer(RsC_Product1_Up);
    EXPECT_EQ(up.value("productid").toString(), "p1");
    EXPECT_EQ(up.value("upstatus").toString(), "1");
    EXPECT_FALSE(lib->ProductUp(QVariant(5)));

    // Student controls: a flag change reports the user again; a kick removes.
    rec().clear();
    EXPECT_TRUE(lib->SetUserDrawAuth("602", true));
    EXPECT_TRUE(answer(RsC_User_Join, keyIs("userid", "602")).value("draw").toBool());
    EXPECT_FALSE(lib->SetUserDrawAuth("", true));
    EXPECT_FALSE(lib->SetUserDrawAuth("nobody", true));
    EXPECT_TRUE(lib->SetUserLinkMic("602", true));
    const QVariantMap invite = answer(RsC_Interact_Result);
    EXPECT_EQ(invite.value("type").toString(), "inviteRs");
    EXPECT_TRUE(invite.value("isok").toBool());
    EXPECT_EQ(invite.value("srcUserId").toString(), "602");
    EXPECT_TRUE(lib->KickUser("602"));
    EXPECT_EQ(answer(RsC_User_Leave).value("userid").toString(), "602");

    // Everything came from the library thread, never during a call.
    for (const Received& r : rec().all()) EXPECT_EQ(r.thread, lib.libThread()) << r.code;
}

TEST(ClientLibRoom, ToolsOutsideARoomAreRefused)
{
    LibFixture lib;
    lib.login();
    EXPECT_FALSE(lib->SetCountdown(30, true));
    EXPECT_FALSE(lib->SendChatMsg("hi", 1, 1));
    EXPECT_FALSE(lib->SetLottery(1, 9, true));
    EXPECT_FALSE(lib->PublishNotice(1, "{}"));
    EXPECT_FALSE(lib->JoinLottery(9));
}

TEST(ClientLibRoom, LiveRoomUsesLiveCodesAndTheMediaCallbacks)
{
    g_audioFrames = 0;
    g_videoFrames = 0;
    LibFixture lib(testSchoolJson(),
                   QVariantMap{{"onAudioCB", QVariant::fromValue<qlonglong>(reinterpret_cast<qlonglong>(&onAudio))},
                               {"onVideoCB", QVariant::fromValue<qlonglong>(reinterpret_cast<qlonglong>(&onVideo))},
                               {"playCatchMsFunc",
                                QVariant::fromValue<qlonglong>(reinterpret_cast<qlonglong>(&playCatch))}});
    lib.login();
    const QStringList vars = lib.enterRoom(todayRoom(lib.lib(), "今日直播英语"), "82");
    ASSERT_EQ(vars.value(5), "2");
    ClientLibTestControl::StudentJoin(lib.lib(), "601");
    rec().clear();
    EXPECT_TRUE(lib->SetVoiceInteraction(true));
    EXPECT_TRUE(answer(RsC_StuRtc_Reset).value("handup").toBool());
    EXPECT_EQ(answer(RsC_Voice_Handup).value("userId").toString(), "601");
    EXPECT_TRUE(lib->SetUserLinkMic("601", true));
    EXPECT_EQ(answer(RsC_StuRtc_Start).value("srcUserId").toString(), "601");
    EXPECT_TRUE(lib->PlayUserVideo("601", nullptr));
    EXPECT_FALSE(lib->PlayUserVideo("602", nullptr));  // not in the room
    EXPECT_TRUE(lib->EnterLiveRoom(true, vars[0]));
    EXPECT_TRUE(rec().waitFor(RsC_Log, nullptr, 5000, [](const Received& r) {
        return r.map().value("log").toString().contains("play delay 1234 ms");
    }));
    testsupport::waitUntil([] { return g_audioFrames >= 5 && g_videoFrames >= 1; }, 20000);
    EXPECT_EQ(g_audioFrames.load(), 5);
    EXPECT_EQ(g_audioThread.load(), lib.libThread());
    EXPECT_EQ(g_videoFrames.load(), 1);
    EXPECT_EQ(g_videoWidth.load(), 320);
}

TEST(ClientLibRoom, InjectedCommandsArriveFromTheLibraryThread)
{
    LibFixture lib;
    rec().clear();
    rec().call([&] {
        ClientLibTestControl::InjectCommand(lib.lib(), RsC_Record_Remote, QVariantMap{{"startRec", true}});
        return 0;
    });
    Received r;
    ASSERT_TRUE(rec().waitFor(RsC_Record_Remote, &r));
    EXPECT_TRUE(r.map().value("startRec").toBool());
    EXPECT_EQ(r.thread, lib.libThread());
}
