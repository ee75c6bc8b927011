// test-labels: e2e
// The live configuration and the media lines, fetched over HTTP from a
// loopback fixture that stands in for the room and configuration servers.
#include "app/CData.h"
#include "app/CSettings.h"
#include "HttpFixture.h"
#include "QtWait.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <fstream>

namespace {

// One server and one private home for the whole file: the endpoint table
// and the data folder are read once per process.
struct Servers {
    testsupport::TempHome home;
    testsupport::HttpFixture http;
    std::unique_ptr<testsupport::ScopedEnv> endpoints;
    std::mutex lock;
    std::string mediaLines;  // guarded by lock
    std::string liveConfig;  // guarded by lock
    std::atomic<int> mediaLineRequests{0};

    Servers()
    {
        http.server().Get("/pc/TeaMediaLine.json", [this](const httplib::Request&, httplib::Response& r) {
            ++mediaLineRequests;
            std::lock_guard<std::mutex> g(lock);
            r.set_content(mediaLines, "application/json");
        });
        http.server().Get("/rqs/liveconfig", [this](const httplib::Request& req, httplib::Response& r) {
            std::lock_guard<std::mutex> g(lock);
            r.set_content(req.get_param_value("token") == "tok" ? liveConfig : std::string("garbage"), "text/plain");
        });
        http.start();
        std::string file = home.home() + "/endpoints.ini";
        std::ofstream(file) << "[production]\nconfig=" << http.url() << "\nroom=" << http.url() << "\n";
        endpoints = std::make_unique<testsupport::ScopedEnv>("VELTORA_ENDPOINTS", file);
    }
    void set(const std::string& lines, const std::string& config)
    {
        std::lock_guard<std::mutex> g(lock);
        mediaLines = lines;
        liveConfig = config;
    }
};

Servers& servers()
{
    static Servers s;
    return s;
}

std::string encodeConfig(const std::string& json)
{
    QByteArray bytes = QByteArray::fromStdString(json);
    for (char& c : bytes)
        c = static_cast<char>(static_cast<unsigned char>(c) + CData::kLiveConfigOffset);
    return bytes.toBase64().toStdString();
}

const char* kThreeLines = R"({"mediaLine":[
  {"key":"a","title":"Line A","pushUrl":"push-a","pullUrl":"pull-a","deskTopPushUrl":"dpush-a","deskTopPullUrl":"dpull-a"},
  {"key":"b","title":"Line B","pushUrl":"push-b","pullUrl":"pull-b","default":true},
  {"key":"c","title":"Line C","pushUrl":"push-c","pullUrl":"pull-c"}]})";

// Ticks until the three lines are known (each test runs in its own process).
bool loadThreeLines()
{
    servers().set(kThreeLines, "");
    CData* data = CData::instance();
    for (int round = 0; round < 5 && data->GetMgLineInfo()["count"].toInt() == 0; ++round) {
        do
            data->onUpdateTimer();
        while (data->GetTick() % 4 != 0);
        testsupport::waitUntil([&] { return data->GetMgLineInfo()["count"].toInt() != 0; }, 4000);
    }
    return data->GetMgLineInfo()["count"].toInt() == 3;
}

}  // namespace

TEST(CDataLive, MediaLinesAreFetchedOnTheTickAndChosen)
{
    Servers& s = servers();
    s.set("not json", "");
    CSettings::instance()->SetValue("App/MGLine", 2);
    CData* data = CData::instance();

    // A list that is not JSON leaves the lines unknown; the next fetch
    // comes on a later tick divisible by 4.
    int before = s.mediaLineRequests;
    data->onUpdateTimer();
    while (data->GetTick() % 4 != 0)
        data->onUpdateTimer();
    ASSERT_TRUE(testsupport::waitUntil([&] { return s.mediaLineRequests != before; }));
    ASSERT_GT(s.mediaLineRequests, before);
    QTest::qWait(100);
    EXPECT_EQ(data->GetMgLineInfo()["count"].toInt(), 0);

    s.set(kThreeLines, "");
    do
        data->onUpdateTimer();
    while (data->GetTick() % 4 != 0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return data->GetMgLineInfo()["count"].toInt() != 0; }));
    ASSERT_EQ(data->GetMgLineInfo()["count"].toInt(), 3);
    // The saved index 2 wins over the server's default line 1.
    EXPECT_EQ(data->GetMgLineInfo()["line"].toInt(), 2);
    EXPECT_EQ(data->GetPushUrl(), "rtmp://push-c/video/");
    EXPECT_EQ(data->GetDeskTopPushUrl(), "rtmp://desktop-push.example/video/");

    data->SwitchMgLine(-1);  // next, wrapping to the first
    EXPECT_EQ(data->GetMgLineInfo()["line"].toInt(), 0);
    EXPECT_EQ(data->GetDeskTopPullUrl(), "rtmp://dpull-a/video/");
    data->SwitchMgLine(1);
    EXPECT_EQ(data->GetMgLineInfo()["line"].toInt(), 1);
    EXPECT_EQ(CSettings::instance()->GetValue("App/MGLine").toInt(), 1);

    // Once a list is stored, no more fetches.
    int after = s.mediaLineRequests;
    for (int i = 0; i < 8; ++i)
        data->onUpdateTimer();
    QTest::qWait(100);
    EXPECT_EQ(s.mediaLineRequests, after);
}

TEST(CDataLive, LiveConfigurationSetsLayoutAndEntersTheRoom)
{
    Servers& s = servers();
    CData* data = CData::instance();
    data->ResetData(false);
    ASSERT_TRUE(data->SetLoginVar({"tok", "ab", "u1", "T", "g7", "2"}));

    QSignalSpy enter(data, &CData::sgEnterRoom);
    s.set(kThreeLines, encodeConfig(R"({"layout":"2","showUserNumByChat":"1","openSyncLive":"0"})"));
    data->DoGetLiveConfig();
    ASSERT_TRUE(enter.wait(5000));
    EXPECT_EQ(data->GetLayout(), 2);
    EXPECT_TRUE(data->GetStatus(1007));
    EXPECT_FALSE(data->GetStatus(1008));

    // An unknown layout keeps the current one; the room is entered anyway.
    data->ResetData(false);
    ASSERT_TRUE(data->SetLoginVar({"tok", "ab", "u1", "T", "g7", "2"}));
    s.set(kThreeLines, encodeConfig(R"({"layout":"3","openSyncLive":"1"})"));
    data->DoGetLiveConfig();
    ASSERT_TRUE(enter.wait(5000));
    EXPECT_EQ(data->GetLayout(), 1);
    EXPECT_TRUE(data->GetStatus(1008));
    EXPECT_FALSE(data->GetStatus(1007));

    // A body that is not the encoded document: still entered, flags off.
    ASSERT_TRUE(data->SetLoginVar({"wrong", "ab", "u1", "T", "g7", "2"}));
    data->DoGetLiveConfig();
    ASSERT_TRUE(enter.wait(5000));
    EXPECT_FALSE(data->GetStatus(1008));

    const QString name = data->GetStreamName(true);
    EXPECT_TRUE(name.startsWith("liveRecord_g7_6162_")) << name.toStdString();
    qint64 ms = name.section('_', 3).toLongLong();
    EXPECT_LE(qAbs(QDateTime::currentMSecsSinceEpoch() - ms), 5000);
}

TEST(CDataLive, RelayedLineSwitch)
{
    ASSERT_TRUE(loadThreeLines());
    CData* data = CData::instance();
    auto request = [&](const char* json) {
        data->DoTranRs(QVariantMap{{"userId", "peer"}, {"msgType", 1003}, {"msgJson", json}}, false);
    };
    QSignalSpy switched(data, &CData::sgSwitchLine);
    ASSERT_TRUE(data->SetLoginVar({"tok", "ab", "u1", "T", "g7", "2"}));
    const int cur = data->GetMgLineInfo()["line"].toInt();
    request(QString(R"({"lineId":"%1"})").arg(cur).toUtf8().constData());  // the selected line: no switch
    EXPECT_EQ(switched.count(), 0);
    request(R"({"lineId":"0"})");
    EXPECT_EQ(data->GetMgLineInfo()["line"].toInt(), 0);
    EXPECT_EQ(switched.count(), cur == 0 ? 0 : 1);

    // Outside a live room the line changes but the stream is not restarted.
    ASSERT_TRUE(data->SetLoginVar({"tok", "ab", "u1", "T", "g7", "3"}));
    switched.clear();
    request(R"({"lineId":"2"})");
    EXPECT_EQ(data->GetMgLineInfo()["line"].toInt(), 2);
    EXPECT_EQ(switched.count(), 0);
}
