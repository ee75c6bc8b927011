// Client library: requests that cannot be served are answered with a code of
// -100 or less after the time-out; delays; wrong argument types.
#include "tests/libs/clientlib/ClientLibProbe.h"

using namespace cltest;
using Clock = std::chrono::steady_clock;

namespace {

qint64 msSince(Clock::time_point t0, const Received& r)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(r.at - t0).count();
}

}  // namespace

TEST(ClientLibTimeout, FailedRequestIsAnsweredAfterTheTimeoutThenServiceResumes)
{
    LibFixture lib;
    ClientLibTestControl::SetRequestTimeout(lib.lib(), 150);
    struct Case {
        const char* name;
        int injected, expected;
    } cases[] = {{"default", -100, -100}, {"network", -104, -104}, {"clamped", 5, -100}};
    for (const Case& c : cases) {
        rec().clear();
        ClientLibTestControl::FailNextRequest(lib.lib(), c.injected);
        const auto t0 = Clock::now();
        EXPECT_TRUE(lib->Login("13800000001", "pw-right", "86")) << c.name;
        Received r;
        ASSERT_TRUE(rec().waitFor(RsC_Http_Login, &r)) << c.name;
        EXPECT_EQ(r.map().value("code").toInt(), c.expected) << c.name;
        EXPECT_FALSE(r.map().value("errMsg").toString().isEmpty());
        EXPECT_EQ(r.map().value("user_data").toMap().value("account").toString(), "13800000001");
        EXPECT_GE(msSince(t0, r), 140) << c.name;  // not before the time-out
        EXPECT_EQ(r.thread, lib.libThread());
    }
    // The failure hit one request only.
    EXPECT_EQ(lib.login().value("code").toInt(), 0);
}

TEST(ClientLibTimeout, DelayBeyondTheTimeoutAnswersTimeoutOnce)
{
    LibFixture lib;
    ClientLibTestControl::SetRequestTimeout(lib.lib(), 100);
    rec().clear();
    ClientLibTestControl::DelayNextRequest(lib.lib(), 5000);
    const auto t0 = Clock::now();
    lib->GetClasses();
    Received r;
    ASSERT_TRUE(rec().waitFor(RsC_Http_Classes, &r, 4800));
    EXPECT_EQ(r.map().value("code").toInt(), -101);
    EXPECT_GE(msSince(t0, r), 90);
    EXPECT_LT(msSince(t0, r), 4900);  // answered at the time-out, not after the delay
    // A delay within the time-out only postpones the real answer.
    lib.login();
    ClientLibTestControl::SetRequestTimeout(lib.lib(), 10000);
    rec().clear();
    ClientLibTestControl::DelayNextRequest(lib.lib(), 60);
    const auto t1 = Clock::now();
    lib->GetGroups("1");
    ASSERT_TRUE(rec().waitFor(RsC_Http_Groups, &r));
    EXPECT_EQ(r.map().value("code").toInt(), 0);
    EXPECT_GE(msSince(t1, r), 50);
    EXPECT_EQ(rec().count(RsC_Http_Groups), 1);
}

TEST(ClientLibTimeout, RoomLoginThatCannotConnectFailsAfterTheTimeout)
{
    LibFixture lib;
    lib.login();
    const QString roomId = todayRoom(lib.lib(), "今日数学");
    rec().clear();
    lib->EnterRoomRequest("81", roomId, "1", "2");
    Received entry;
    ASSERT_TRUE(rec().waitFor(RsC_Http_EnterRoom, &entry));
    ClientLibTestControl::SetRequestTimeout(lib.lib(), 120);
    ClientLibTestControl::FailNextRequest(lib.lib());
    rec().clear();
    const auto t0 = Clock::now();
    EXPECT_TRUE(lib->LoginRoom(entry.map().value("ltParame")));
    Received failed, login;
    ASSERT_TRUE(rec().waitFor(RsC_Room_ConnectFailed, &failed));
    EXPECT_EQ(failed.map().value("type").toString(), "main");
    ASSERT_TRUE(rec().waitFor(RsC_Room_LoginResult, &login));
    EXPECT_LE(login.map().value("code").toInt(), -100);
    EXPECT_FALSE(login.map().value("regOk").toBool());
    EXPECT_GE(msSince(t0, login), 110);
    EXPECT_FALSE(ClientLibTestControl::ServiceState(lib.lib()).value("inRoom").toBool());
}

TEST(ClientLibTimeout, EveryRequestIsAnsweredExactlyOnce)
{
    LibFixture lib;
    lib.login();
    rec().clear();
    const QString day = QDate::currentDate().toString("yyyy-MM-dd");
    lib->GetUserInfo("", "");
    lib->GetClasses();
    lib->GetOrders(day, day, "1");
    lib->GetDayRooms(day, day, "1", day);
    lib->GetCourseList("81", "71", "1", "71");
    lib->EnterRoomRequest("81", "nope", "1", "2");
    lib->MakeTmpRoom(3, "81");
    lib->GetGroups("1");
    lib->GetTmpRooms("0", "1");
    lib->GetTmpCourse();
    lib->GetGroupMessages("81", "", 0);
    lib->GetTmpRooms("1", "1");
    lib->ListNetFolder("teacher", "81", "0");
    lib->GetSmsCode("13800000001", "86", 2);
    lib->ReplyAppAuth("601", true);
    const int codes[] = {1006, 1009, 1010, 1011, 1012, 1013, 1014, 1016, 1018, 1019, 1021, 1022, 1024, 1001, 1033};
    for (int code : codes) EXPECT_TRUE(rec().waitFor(code, nullptr)) << code;
    for (int code : codes) EXPECT_EQ(rec().count(code), 1) << code;
    for (const Received& r : rec().all()) {
        EXPECT_EQ(r.thread, lib.libThread());
        if (r.code >= 1000) {
            const QVariantMap m = r.map();
            EXPECT_TRUE(m.contains("code") && m.contains("errMsg") && m.contains("user_data")) << r.code;
            EXPECT_EQ(m.value("user_data").userType(), QMetaType::QVariantMap) << r.code;
        }
    }
}

TEST(ClientLibTimeout, WrongArgumentTypesAreRefusedWithALogLine)
{
    LibFixture lib;
    lib.login();
    lib.enterRoom(todayRoom(lib.lib(), "今日数学"));
    rec().clear();
    EXPECT_FALSE(lib->DualRoomCmd(QVariant("not a map")));
    EXPECT_FALSE(lib->SendCommand(QVariant(QVariantMap{{"cmd", "x"}})));  // no device
    EXPECT_FALSE(lib->SendCommand(QVariant(7)));
    EXPECT_FALSE(lib->PublishQuestion(1, 2, QVariant(QVariantList{"A"}), 5, false));
    EXPECT_FALSE(lib->SubmitAnswer(1, QVariant(QVariantList()), 5));
    EXPECT_FALSE(lib->AdProductDown(QVariant(QStringList{"a"})));
    EXPECT_FALSE(lib->SetVideoDevice("no such camera"));
    EXPECT_TRUE(lib->SetVideoDevice("cam A"));
    EXPECT_FALSE(lib->PushVideoFrame("", 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 0));
    EXPECT_TRUE(rec().waitFor(RsC_Log, nullptr, 2000, [](const Received& r) {
        return r.map().value("log").toString().contains("DualRoomCmd refused");
    }));
    EXPECT_TRUE(rec().waitFor(RsC_Log, nullptr, 2000, [](const Received& r) {
        return r.map().value("log").toString().contains("PublishQuestion refused");
    }));
    // A pending failure makes the next operation without an answer refuse.
    ClientLibTestControl::FailNextRequest(lib.lib());
    EXPECT_FALSE(lib->SetCountdown(10, true));
    EXPECT_TRUE(lib->SetCountdown(10, true));
}

TEST(ClientLibTimeout, NothingIsDeliveredWhileAnOperationRuns)
{
    LibFixture lib;
    lib.login();
    rec().clear();
    ClientLibTestControl::HoldNextCall(lib.lib());
    std::thread caller([&] { lib->GetGroups("1"); });
    ASSERT_TRUE(ClientLibTestControl::WaitCallHeld(lib.lib(), 5000));
    // A command due now waits for the running operation.
    ClientLibTestControl::InjectCommand(lib.lib(), RsC_Notice, QVariantMap{{"id", qint64(1)}, {"msg", "x"}});
    EXPECT_FALSE(rec().waitFor(RsC_Notice, nullptr, 300));
    ClientLibTestControl::ResumeCall(lib.lib());
    caller.join();
    EXPECT_TRUE(rec().waitFor(RsC_Notice, nullptr));
    EXPECT_TRUE(rec().waitFor(RsC_Http_Groups, nullptr));
}
