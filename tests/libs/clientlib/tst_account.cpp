// Client library: creation, login, the password encryption and bad data sets.
#include "tests/libs/clientlib/ClientLibProbe.h"

using namespace cltest;

TEST(ClientLibCreate, RefusesMissingCallbackOrNonMapConfig)
{
    EXPECT_EQ(CreateClientLib(nullptr, QVariant(QVariantMap())), nullptr);
    EXPECT_EQ(CreateClientLib(&Recorder::callback, QVariant(QStringLiteral("not a map"))), nullptr);
    ReleaseClientLib(nullptr);  // allowed
}

TEST(ClientLibLogin, RightPasswordAnswersWithSessionOnLibraryThreadAfterTheCall)
{
    LibFixture lib;
    ASSERT_NE(lib.lib(), nullptr);
    rec().clear();
    const quint64 caller = quint64(std::hash<std::thread::id>()(std::this_thread::get_id()));
    const bool sent = rec().call([&] { return lib->Login("13800000001", "pw-right", "86"); });
    EXPECT_TRUE(sent);
    Received r;
    ASSERT_TRUE(rec().waitFor(RsC_Http_Login, &r));
    EXPECT_EQ(r.thread, lib.libThread());
    EXPECT_NE(r.thread, caller);
    EXPECT_FALSE(r.duringCall);
    const QVariantMap m = r.map();
    EXPECT_EQ(m.value("code").toInt(), 0);
    EXPECT_TRUE(m.contains("errMsg"));
    EXPECT_EQ(m.value("userSid").toString(), "sid-501");
    EXPECT_EQ(m.value("userId").toString(), "501");
    EXPECT_EQ(m.value("user_data").toMap().value("account").toString(), "13800000001");
}

TEST(ClientLibLogin, WrongPasswordAndBadInputAreAnsweredAsFailures)
{
    LibFixture lib;
    struct Case {
        QString account, password;
        bool sent;
        int code;
    } cases[] = {
        {"13800000001", "wrong", true, 1001},
        {"13900000000", "pw-right", true, 1001},
        {"", "pw-right", false, 400},
        {"13800000001", "", false, 400},
    };
    for (const Case& c : cases) {
        rec().clear();
        EXPECT_EQ(lib->Login(c.account, c.password, "86"), c.sent) << c.account.toStdString();
        Received r;
        ASSERT_TRUE(rec().waitFor(RsC_Http_Login, &r));
        EXPECT_EQ(r.map().value("code").toInt(), c.code);
        EXPECT_FALSE(r.map().value("errMsg").toString().isEmpty());
        EXPECT_FALSE(r.map().contains("userSid"));
    }
    // Refused input leaves a log line (code 0, "log").
    EXPECT_TRUE(rec().waitFor(RsC_Log, nullptr, 2000,
                              [](const Received& x) { return x.map().value("log").toString().contains("Login"); }));
}

TEST(ClientLibLogin, PhoneCodeLogin)
{
    LibFixture lib;
    rec().clear();
    lib->LoginBySmsCode("13800000001", "0000", "86");
    Received r;
    ASSERT_TRUE(rec().waitFor(RsC_Http_LoginByCode, &r));
    EXPECT_NE(r.map().value("code").toInt(), 0);
    rec().clear();
    lib->GetSmsCode("13800000001", "86", 3);
    ASSERT_TRUE(rec().waitFor(RsC_Http_SmsCode, &r));
    EXPECT_EQ(r.map().value("code").toInt(), 0);
    EXPECT_EQ(r.map().value("user_data").toMap().value("type").toInt(), 3);
    rec().clear();
    lib->LoginBySmsCode("13800000001", "1357", "86");
    ASSERT_TRUE(rec().waitFor(RsC_Http_LoginByCode, &r));
    EXPECT_EQ(r.map().value("code").toInt(), 0);
    EXPECT_EQ(r.map().value("userSid").toString(), "sid-501");
}

TEST(ClientLibCrypto, RoundTripAcrossObjectsAndRejectsForeignText)
{
    QString stored;
    {
        LibFixture a;
        stored = a->EncryptText("秘密 password", "key-1");
        EXPECT_FALSE(stored.isEmpty());
        EXPECT_FALSE(stored.contains("password"));
        EXPECT_NE(stored, a->EncryptText("秘密 password", "key-1"));  // a fresh nonce each time
        EXPECT_EQ(a->DecryptText(a->EncryptText("", "key-1"), "key-1"), "");
    }
    LibFixture b;  // a later object (as a later run) reads what the first wrote
    EXPECT_EQ(b->DecryptText(stored, "key-1"), "秘密 password");
    EXPECT_EQ(b->DecryptText(stored, "key-2"), "");
    QString tampered = stored;
    tampered[tampered.size() - 2] = tampered[tampered.size() - 2] == 'A' ? 'B' : 'A';
    for (const QString& foreign : {tampered, QString(), QString("plain text"), QString("vt1.%%%"),
                                   QString("vt1.AAAA"), stored.left(stored.size() - 4)})
        EXPECT_EQ(b->DecryptText(foreign, "key-1"), "") << foreign.toStdString();
}

TEST(ClientLibData, BrokenDataSetAnswersEveryRequestWithTheReason)
{
    struct Case {
        const char* name;
        std::string json;
        const char* reason;
    } cases[] = {
        {"not json", "{ this is not json", "not a JSON object"},
        {"no teacher", R"({"courses": []})", "teacher.account"},
        {"no courses", R"({"teacher": {"account": "1", "password": "2", "userId": "3"}})", "courses"},
    };
    for (const Case& c : cases) {
        LibFixture lib(c.json);
        ASSERT_NE(lib.lib(), nullptr) << c.name;
        EXPECT_TRUE(rec().waitFor(RsC_Log, nullptr, 2000, [&](const Received& x) {
            return x.map().value("log").toString().contains(c.reason);
        })) << c.name;
        ClientLibTestControl::SetRequestTimeout(lib.lib(), 50);
        rec().clear();
        EXPECT_TRUE(lib->Login("1", "2", "86"));
        Received r;
        ASSERT_TRUE(rec().waitFor(RsC_Http_Login, &r)) << c.name;
        EXPECT_EQ(r.map().value("code").toInt(), -102) << c.name;
        EXPECT_TRUE(r.map().value("errMsg").toString().contains(c.reason)) << c.name;
        EXPECT_TRUE(lib->GetVideoDevices().isEmpty());
    }
}

TEST(ClientLibData, EntriesWithoutTheirIdsAreLeftOutWithALogLine)
{
    LibFixture lib(R"({"teacher": {"account": "1", "password": "2", "userId": "3"},
                       "courses": [{"class_name": "无编号"}, {"class_id": 9, "class_name": "有编号"}],
                       "students": [{"userName": "无名"}]})");
    EXPECT_TRUE(rec().waitFor(RsC_Log, nullptr, 2000, [](const Received& x) {
        return x.map().value("log").toString().contains("course \"无编号\" without class_id");
    }));
    EXPECT_TRUE(rec().waitFor(RsC_Log, nullptr, 2000, [](const Received& x) {
        return x.map().value("log").toString().contains("student \"无名\" without userId");
    }));
    rec().clear();
    lib->Login("1", "2", "86");
    ASSERT_TRUE(rec().waitFor(RsC_Http_Login, nullptr));
    rec().clear();
    lib->GetClasses();
    Received r;
    ASSERT_TRUE(rec().waitFor(RsC_Http_Classes, &r));
    ASSERT_EQ(r.map().value("classes").toList().size(), 1);
}

TEST(ClientLibData, BuiltInDemoSchoolLogsInWithItsTeacher)
{
    LibFixture lib("");  // the compiled-in school
    rec().clear();
    lib->Login("13800138000", "veltora123", "86");
    Received r;
    ASSERT_TRUE(rec().waitFor(RsC_Http_Login, &r));
    EXPECT_EQ(r.map().value("code").toInt(), 0);
    EXPECT_FALSE(lib->GetVideoDevices().isEmpty());
    // A month of lessons around today; today a small class and a live
    // lesson under way, and a lesson not yet started.
    const QDate today = QDate::currentDate();
    rec().clear();
    lib->GetOrders(today.addDays(-30).toString("yyyy-MM-dd"), today.addDays(30).toString("yyyy-MM-dd"), "1");
    EXPECT_GE(answer(RsC_Http_Orders).value("calePoints").toStringList().size(), 20);
    rec().clear();
    lib->GetDayRooms(today.toString("yyyy-MM-dd"), today.toString("yyyy-MM-dd"), "1", today.toString("yyyy-MM-dd"));
    QStringList underWay;
    bool notYet = false;
    for (const QVariant& v : answer(RsC_Http_DayRooms).value("ltRooms").toList()) {
        const QVariantMap room = v.toMap();
        if (room.value("status").toInt() == 0) underWay << room.value("room_id").toString();
        notYet = notYet || room.value("status").toInt() == -1;
    }
    EXPECT_TRUE(notYet);
    QStringList kinds;  // the class kind (last login variable) of each
    for (const QString& roomId : underWay) {
        rec().clear();
        lib->EnterRoomRequest("", roomId, "1", "2");
        kinds << answer(RsC_Http_EnterRoom).value("ltParame").toStringList().value(5);
    }
    EXPECT_TRUE(kinds.contains("3")) << kinds.join(',').toStdString();
    EXPECT_TRUE(kinds.contains("2")) << kinds.join(',').toStdString();
    rec().clear();
    lib->GetGroupMessages("301", "", 0);
    EXPECT_FALSE(answer(RsC_Http_GroupMessages).value("datalist").toList().isEmpty());
}

TEST(ClientLibCalls, RecordsEveryCallInOrder)
{
    LibFixture lib;
    ClientLibTestControl::ClearCalls(lib.lib());
    lib->Login("13800000001", "pw-right", "86");
    lib->GetGroups("1");
    lib->SendPraise("");
    const QList<ClientLibCall> calls = ClientLibTestControl::Calls(lib.lib());
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0].name, "Login");
    EXPECT_EQ(calls[0].args, (QVariantList{"13800000001", "pw-right", "86"}));
    EXPECT_EQ(calls[1].name, "GetGroups");
    EXPECT_EQ(calls[2].name, "SendPraise");
}

namespace {
ClientLib* g_self = nullptr;
std::atomic<bool> g_releaseTried{false};
void releasingCallback(ClientLibRs, const QVariant&)
{
    if (g_releaseTried.exchange(true)) return;
    ReleaseClientLib(g_self);  // refused from the library's own thread
}
}  // namespace

TEST(ClientLibCreate, ReleaseFromInsideTheCallbackIsRefusedWithoutACrash)
{
    testsupport::TempDir dir;
    testsupport::ScopedEnv env("VELTORA_CLIENTLIB_DATA", dir.write("s.json", testSchoolJson()));
    g_releaseTried = false;
    g_self = CreateClientLib(&releasingCallback, QVariant(QVariantMap{{"appData", QString::fromStdString(dir.path())}}));
    ASSERT_NE(g_self, nullptr);
    g_self->GetClasses();  // any answer reaches the callback
    EXPECT_TRUE(testsupport::waitUntil([] { return g_releaseTried.load(); }, 20000));
    ReleaseClientLib(g_self);  // the real release, from the caller's thread
    g_self = nullptr;
}

TEST(ClientLibCalls, CallListKeepsOnlyTheLatestCalls)
{
    LibFixture lib;
    const unsigned char pixel[4] = {0, 0, 0, 0};
    for (int i = 0; i < 20100; ++i) lib->PushVideoFrame("", 1, 1, pixel, nullptr, i, 0, 0, 0, 0, 0);
    const QList<ClientLibCall> calls = ClientLibTestControl::Calls(lib.lib());
    ASSERT_EQ(calls.size(), 20000);
    EXPECT_EQ(calls.last().args.value(4).toInt(), 20099);
}
