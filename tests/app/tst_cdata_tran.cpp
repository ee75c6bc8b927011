// Relayed requests answered through the real client library.
#include "app/CData.h"
#include "ClientLibTestControl.h"
#include "app/Room.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QWidget>

namespace {

class TranTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static testsupport::TempHome home;
        static QWidget board;
        if (!Room::instance()->GetClientLib())
            Room::instance()->InitLib(&board);
    }

    void SetUp() override
    {
        data = CData::instance();
        data->ResetData(false);
        lib = Room::instance()->GetClientLib();
        ASSERT_NE(lib, nullptr);
        ClientLibTestControl::ClearCalls(lib);
        data->SetTranServices(TranServices());
    }

    // Sends one request and returns the reply that went back (name of the
    // library call, then the parsed reply object).
    QPair<QString, QJsonObject> ask(qint64 type, const QString& json = QString(), bool alt = false)
    {
        ClientLibTestControl::ClearCalls(lib);
        data->DoTranRs(QVariantMap{{"userId", "peer"}, {"msgType", type}, {"msgJson", json}}, alt);
        for (const ClientLibCall& c : ClientLibTestControl::Calls(lib)) {
            if (c.name.startsWith("SendTranMsg")) {
                EXPECT_EQ(c.args.value(0).toString(), "peer");
                EXPECT_EQ(c.args.value(1).toLongLong(), type);
                QVariant reply = c.args.value(2);
                lastReplyValid = reply.isValid() && !reply.toString().isEmpty();
                return {c.name, QJsonDocument::fromJson(reply.toString().toUtf8()).object()};
            }
        }
        return {QString(), QJsonObject()};
    }

    void enterLiveRoom(const QString& kind = "2")
    {
        ASSERT_TRUE(data->SetLoginVar({"tok", "live", "u1", "T", "g1", kind}));
    }

    CData* data = nullptr;
    ClientLib* lib = nullptr;
    bool lastReplyValid = false;
};

TranServices devices(QString* setTo)
{
    TranServices s;
    s.cameras = [] { return TranServices::DeviceList{{"cam-hd", "HD Camera"}, {"cam-usb", "USB Camera"}}; };
    s.mics = [] { return TranServices::DeviceList{{"mic-1", "Microphone"}}; };
    s.currentCamera = [] { return QString("cam-hd"); };
    s.currentMic = [] { return QString("mic-1"); };
    s.setCamera = [setTo](const QString& id) { *setTo = id; };
    s.pushUrl = [] { return QString("rtmp://h/video/s1"); };
    return s;
}

}  // namespace

TEST_F(TranTest, StatusReply)
{
    data->SetVar("main", QVariantMap{{"addr", "1.2.3.4:80"}, {"result", "ok"}});
    auto r = ask(1000);
    EXPECT_EQ(r.first, "SendTranMsg");
    EXPECT_EQ(r.second["version"].toString(), "1.4.7");
    EXPECT_EQ(r.second["mainproxy"].toString(), "1.2.3.4:80 ok");
    EXPECT_EQ(r.second["chatproxy"].toString(), " ");
    EXPECT_EQ(r.second["record"].toString(), "no");
    EXPECT_TRUE(r.second["netspeed"].toString().startsWith("cpu "));
    EXPECT_FALSE(r.second.contains("rtmpPush"));

    QString unused;
    data->SetTranServices(devices(&unused));
    enterLiveRoom();
    r = ask(1000, QString(), true);
    EXPECT_EQ(r.first, "SendTranMsgEx");
    EXPECT_EQ(r.second["rtmpPush"].toString(), "rtmp://h/video/s1");
    EXPECT_FALSE(r.second.contains("rtmpPlay"));

    ask(1007);
    EXPECT_FALSE(lastReplyValid);  // unknown kinds get an empty reply
}

TEST_F(TranTest, DeviceChoiceIsMatchedExactly)
{
    QString chosen;
    data->SetTranServices(devices(&chosen));
    enterLiveRoom();
    // Before any device list every choice is refused.
    EXPECT_EQ(ask(1005, R"({"type":0,"id":"cam-usb"})").second["msg"].toString(), "未找到设备Id");

    auto list = ask(1004).second;
    ASSERT_EQ(list["code"].toInt(), 0);
    QJsonArray cams = list["data"].toObject()["cameras"].toArray();
    ASSERT_EQ(cams.size(), 2);
    EXPECT_TRUE(cams[0].toObject()["isSelected"].toBool());
    EXPECT_EQ(cams[1].toObject()["name"].toString(), "USB Camera");

    struct Case {
        const char* json;
        int status1006;
        int code;
        const char* msg;
    } cases[] = {
        {R"({"type":0,"id":"cam"})", 0, 1, "未找到设备Id"},       // part of an id: no match
        {R"({"type":0,"id":"USB Camera"})", 0, 1, "未找到设备Id"},  // a name is not an id
        {R"({"type":0,"id":""})", 0, 1, "未找到设备Id"},
        {R"({"type":0,"id":"cam-usb"})", 1, 1, "正在选择设备，操作无效"},
        {R"({"type":0,"id":"cam-hd"})", 0, 1, "当前就是此设备，操作无效"},
        {R"({"type":1,"id":"cam-usb"})", 0, 1, "未找到设备Id"},  // not a microphone
        {"{not json", 0, 1, "未找到设备Id"},
    };
    for (const auto& c : cases) {
        data->SetStatus(1006, c.status1006);
        auto r = ask(1005, c.json).second;
        EXPECT_EQ(r["code"].toInt(), c.code) << c.json;
        EXPECT_EQ(r["msg"].toString(), c.msg) << c.json;
    }
    data->SetStatus(1006, 0);
    EXPECT_TRUE(chosen.isEmpty());

    QSignalSpy restart(data, &CData::sgSwitchLine);
    auto ok = ask(1005, R"({"type":0,"id":"cam-usb"})").second;
    EXPECT_EQ(ok["code"].toInt(), 0);
    EXPECT_EQ(chosen, "cam-usb");
    EXPECT_EQ(restart.count(), 1);

    // Outside a live room the choice is not supported at all.
    ASSERT_TRUE(data->SetLoginVar({"tok", "x", "u1", "T", "g1", "3"}));
    EXPECT_EQ(ask(1005, R"({"type":0,"id":"cam-usb"})").second["msg"].toString(), "小课堂暂不支持");
}

TEST_F(TranTest, MediaLinesAndSwitching)
{
    // Without lines: an empty list, and a switch that cannot take place.
    auto empty = ask(1002).second;
    EXPECT_EQ(empty["code"].toInt(), 0);
    EXPECT_TRUE(empty["data"].toArray().isEmpty());
    EXPECT_EQ(ask(1003, R"({"lineId":"1"})").second["msg"].toString(), "切换失败");
}

TEST_F(TranTest, RemoteRestartOnlyAfterTheTeacherClosedThePrompt)
{
    // Nothing to show the teacher: refused, nothing restarts.
    QSignalSpy exits(data, &CData::sgExitApp);
    auto refused = ask(1006);
    EXPECT_EQ(refused.second["code"].toInt(), 1);
    EXPECT_EQ(exits.count(), 0);

    // With the prompt: no reply and no restart until it closes.
    std::function<void()> close;
    int restarts = 0;
    TranServices s;
    s.showRestartPrompt = [&close](std::function<void()> onClosed) { close = onClosed; };
    s.restartProgram = [&restarts] { ++restarts; };
    data->SetTranServices(s);
    auto pending = ask(1006, QString(), true);
    EXPECT_TRUE(pending.first.isEmpty());
    ASSERT_TRUE(close);
    EXPECT_EQ(restarts, 0);
    EXPECT_EQ(exits.count(), 0);

    close();
    bool replied = false;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(lib)) {
        if (c.name == "SendTranMsgEx") {
            replied = true;
            const QJsonObject r = QJsonDocument::fromJson(c.args.value(2).toString().toUtf8()).object();
            EXPECT_EQ(r["code"].toInt(), 0);
            EXPECT_EQ(r["msg"].toString(), "程序正在启动中..");
        }
    }
    EXPECT_TRUE(replied);
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(exits.count(), 1);
}
