// test-sources: UploadServices.cpp
// The room controller's play, share, mixing, reports and periodic checks,
// with the real client library, stand-ins for the pusher, the player, the
// widgets and the broadcast window, and the reports reaching a local HTTP
// service.
#include "app/CData.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "app/BroadcastAudioLink.h"
#include "tests/app/UploadServices.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <fstream>
#include <memory>

using uploadtest::Services;

namespace {

// What the stand-ins were asked, in order ("startPush", "setPlay url 1", ...).
QStringList& asked()
{
    static QStringList list;
    return list;
}

struct Fakes {
    QString playUrl;
    bool playRefuses = false;
    QString pushUrl;
    int videoMode = 0;
    QString streamKey = "liveRecord_k1";
};

Fakes& fakes()
{
    static Fakes f;
    return f;
}

std::atomic<qint64>& clockMs()
{
    static std::atomic<qint64> ms{1000000};
    return ms;
}

// One process-wide set-up: the services, an endpoint file naming them for
// every role the room uses, the room bound to the real libraries and to the
// stand-ins.
void setUpRoom()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    Services& services = Services::instance();
    const std::string file = services.home().home() + "/room-endpoints.ini";
    std::ofstream ini(file);
    ini << "[production]\n";
    for (const char* role : {"docs", "snapshot", "log", "monitor", "config", "mirror"})
        ini << role << "=" << services.url("") << "\n";
    ini.close();
    static testsupport::ScopedEnv endpoints("VELTORA_ENDPOINTS", file);

    Room* room = Room::instance();
    room->SetClockForTests([] { return clockMs().load(); });
    RoomLiveMedia media;
    media.setPlay = [](const QString& url, bool audioOnly) {
        fakes().playUrl = url;
        asked() << QString("setPlay %1 %2").arg(url).arg(int(audioOnly));
    };
    media.setPlayUrl = [](const QString& url) {
        fakes().playUrl = url;
        asked() << "setPlayUrl " + url;
    };
    media.playUrl = [] { return fakes().playUrl; };
    media.playName = [] { return QString("stream name"); };
    media.startPlay = [] {
        asked() << "startPlay";
        return !fakes().playRefuses;
    };
    media.stopPlay = [] { asked() << "stopPlay"; };
    media.showPlayRender = [](bool show) { asked() << QString("render %1").arg(int(show)); };
    media.setPush = [](const QString& url, bool noCamera, int videoMode) {
        fakes().pushUrl = url;
        if (videoMode >= 0)
            fakes().videoMode = videoMode;
        asked() << QString("setPush %1 %2").arg(int(noCamera)).arg(videoMode);
    };
    media.setPushUrl = [](const QString& url) {
        fakes().pushUrl = url;
        asked() << "setPushUrl " + url;
    };
    media.pushUrl = [] { return fakes().pushUrl; };
    media.pushVideoMode = [] { return fakes().videoMode; };
    media.startPush = [] {
        asked() << "startPush";
        return true;
    };
    media.stopPush = [] { asked() << "stopPush"; };
    media.hidePushDisplay = [] { asked() << "hidePushDisplay"; };
    room->SetLiveMedia(media);

    RoomViews views;
    views.setPlayState = [](bool share, int type) { asked() << QString("state %1 %2").arg(int(share)).arg(type); };
    views.setUserName = [](const QString& name, bool flag) { asked() << QString("name %1 %2").arg(name).arg(int(flag)); };
    views.showDisplay = [](bool show) { asked() << QString("display %1").arg(int(show)); };
    views.showAudioFloat = [](bool show) { asked() << QString("audioFloat %1").arg(int(show)); };
    views.showDeskFloat = [](bool show) { asked() << QString("deskFloat %1").arg(int(show)); };
    views.showCamPreview = [](bool show) { asked() << QString("camPreview %1").arg(int(show)); };
    room->SetViews(views);

    RoomBroadcastWindow window;
    window.startWork = [] {
        asked() << "startWork";
        return false;
    };
    window.stopWork = [] {
        asked() << "stopWork";
        return true;
    };
    window.streamKey = [] { return fakes().streamKey; };
    window.serverAddress = [] { return QString("rtmp://desk.example/video/"); };
    room->SetBroadcastWindow(window);

    static QWidget board;
    room->InitLib(&board);
}

class RoomController : public ::testing::Test {
protected:
    void SetUp() override
    {
        setUpRoom();
        Services::instance().reset();
        Services::instance().script("/openapi/eventrp", 200, "{}");
        Services::instance().script("/openapi/speedrp", 200, "{}");
        Services::instance().script("/openapi/stream_notify", 200, "{}");
        CData::instance()->SetLoginVar({"tok", "live9", "teacher1", "Teacher One", "g1", "2"});
        CData::instance()->SetStatus(kStatusLinkMic, 0);
        asked().clear();
        mixed.clear();
        BroadcastAudioLink::instance().SetMixAudio([this](const QString& userId, const void* data, int, int, int,
                                                          int frames, int, int) {
            const auto* s = static_cast<const qint16*>(data);
            mixed.push_back({userId, std::vector<qint16>(s, s + frames)});
        });
        ClientLibTestControl::ClearCalls(lib());
    }
    void TearDown() override
    {
        Room::instance()->StopPlay(true);
        Room::instance()->StopShare();
        Room::instance()->ExitRoom();
        BroadcastAudioLink::instance().SetMixAudio(nullptr);
    }
    static ClientLib* lib() { return Room::instance()->GetClientLib(); }
    // The SetPushInfo calls made so far, as "stream liveMode width height on".
    static QStringList pushInfos()
    {
        QStringList out;
        for (const ClientLibCall& c : ClientLibTestControl::Calls(lib()))
            if (c.name == "SetPushInfo") {
                QStringList args;
                for (const QVariant& v : c.args)
                    args << v.toString();
                out << args.join(' ');
            }
        return out;
    }
    struct Mixed {
        QString userId;
        std::vector<qint16> samples;
    };
    std::vector<Mixed> mixed;  // written on this thread only (the test feeds the mixer itself)
};

// A frame of n samples, all of value v.
std::vector<qint16> frame(int n, qint16 v) { return std::vector<qint16>(size_t(n), v); }

void feed(const QString& user, const std::vector<qint16>& f)
{
    Room::instance()->OnAudioDataBC(user, f.data(), 16, 48000, 1, int(f.size()), 0, 0);
}

TEST(RoomMixing, SumsClipAndRecoverTowardsUnityGain)
{
    const std::vector<qint16> a = {1000, 30000, 30000, 100, -30000, 5};
    const std::vector<qint16> b = {-500, 30000, 0, 100, -30000, 0};
    std::vector<qint16> out(a.size());
    Room::MixAudioFrames({a.data(), b.data()}, out.data(), int(a.size() * 2));
    EXPECT_EQ(out[0], 500);
    EXPECT_EQ(out[1], 32767) << "60000 is clipped";
    // The gain fell to 32767/60000 and recovers by 1/32 of the gap a sample.
    double gain = 32767.0 / 60000;
    gain += (1 - gain) / 32;
    EXPECT_EQ(out[2], qint16(30000 * gain));
    gain += (1 - gain) / 32;
    EXPECT_EQ(out[3], qint16(200 * gain));
    gain += (1 - gain) / 32;
    EXPECT_EQ(out[4], -32768) << "a low clip sets the gain from below";
    EXPECT_LT(out[5], 5);
}

TEST(RoomMixing, SpeedLevelsAndAverages)
{
    const std::pair<qint64, int> levels[] = {{-5, 5}, {0, 5}, {99, 5}, {100, 4}, {199, 4}, {200, 3},
                                             {499, 2}, {500, 1}, {699, 1}, {700, 0}, {10000, 0}};
    for (const auto& l : levels)
        EXPECT_EQ(Room::SpeedLevel(l.first), l.second) << l.first;

    std::deque<qint64> window;
    qint64 avg = 0;
    for (qint64 s : {100, 100, 100})
        Room::UpdateAverage(s, window, avg);
    EXPECT_EQ(avg, 100);
    Room::UpdateAverage(40, window, avg);
    EXPECT_EQ(avg, 85) << "the mean, above the sample";
    Room::UpdateAverage(500, window, avg);
    EXPECT_EQ(avg, 500) << "the sample, above the mean";
    for (int i = 0; i < 10; ++i)
        Room::UpdateAverage(10, window, avg);
    EXPECT_EQ(window.size(), 10u);
    EXPECT_EQ(avg, 10) << "older samples left the window";
}

TEST_F(RoomController, MixerPacesOnTheMasterAndDropsQuietSpeakers)
{
    // 960 samples = 20 ms: the time-out is five frames, 100 ms.
    feed("s1", frame(960, 100));
    ASSERT_EQ(mixed.size(), 1u) << "a single speaker goes out unmixed";
    EXPECT_EQ(mixed[0].userId, "s1");
    EXPECT_EQ(mixed[0].samples, frame(960, 100));

    // A second speaker waits for the master's next frame; a shorter frame
    // counts as silence after its end.
    feed("s2", frame(480, 50));
    EXPECT_EQ(mixed.size(), 1u);
    clockMs() += 20;
    feed("s1", frame(960, 100));
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_EQ(mixed[1].samples[0], 150);
    EXPECT_EQ(mixed[1].samples[479], 150);
    EXPECT_EQ(mixed[1].samples[480], 100);

    // Other formats are ignored.
    Room::instance()->OnAudioDataBC("s2", frame(960, 1).data(), 16, 44100, 1, 960, 0, 0);
    Room::instance()->OnAudioDataBC("s2", frame(960, 1).data(), 16, 48000, 2, 480, 0, 0);
    clockMs() += 20;
    feed("s1", frame(960, 100));
    ASSERT_EQ(mixed.size(), 3u);
    EXPECT_EQ(mixed[2].samples, frame(960, 100));

    // The master falls silent for more than five frames: the next speaker
    // takes over and its frames go out.
    clockMs() += 200;
    feed("s2", frame(960, 7));
    ASSERT_EQ(mixed.size(), 4u);
    EXPECT_EQ(mixed[3].userId, "s2");
    EXPECT_EQ(mixed[3].samples, frame(960, 7));

    // Six speakers fill the slots; a seventh is dropped and mixes nothing in.
    for (const char* u : {"s1", "s3", "s4", "s5", "s6", "s7"})
        feed(u, frame(960, 1));
    clockMs() += 20;
    feed("s2", frame(960, 7));
    ASSERT_EQ(mixed.size(), 5u);
    EXPECT_EQ(mixed[4].samples[0], 7 + 5) << "s1 and s3 to s6 mixed in, s7 dropped";
}

TEST_F(RoomController, SharesOnTheChosenWayAndAnnouncesThePush)
{
    Room* room = Room::instance();
    const QString pushBase = CData::instance()->GetPushUrl();
    ASSERT_TRUE(room->StartShare(2));
    EXPECT_EQ(room->GetShareType(), 2);
    EXPECT_EQ(asked(), QStringList({"state 1 2", "display 1", "setPush 0 0", "startPush"}));
    EXPECT_TRUE(fakes().pushUrl.startsWith(pushBase + "liveTeacher_g1_"));
    asked().clear();
    room->StartShare(2);
    EXPECT_TRUE(asked().isEmpty()) << "already sharing";
    room->StopShare();
    EXPECT_EQ(asked(), QStringList({"stopPush", "camPreview 0", "deskFloat 0", "audioFloat 0", "hidePushDisplay",
                                    "setPushUrl "}));

    // A camera share in the kept video mode announces that mode's size.
    const std::pair<int, QString> modes[] = {{1, "640 360"}, {3, "1920 1080"}, {0, "1280 720"}, {2, "1280 720"}};
    for (const auto& m : modes) {
        fakes().videoMode = m.first;
        ClientLibTestControl::ClearCalls(lib());
        room->StartShare(4);
        room->StopShare();
        const QStringList infos = pushInfos();
        ASSERT_EQ(infos.size(), 2) << m.first;
        EXPECT_TRUE(infos[0].endsWith(m.second + " 1")) << infos[0].toStdString();
        EXPECT_EQ(infos[1], QString(" %1 0 0 0").arg(CData::instance()->GetLiveMode())) << "an empty stream, off";
    }

    // Audio only: no camera, the floating indicator instead of the display.
    asked().clear();
    room->StartShare(1);
    EXPECT_EQ(asked(), QStringList({"state 1 1", "audioFloat 1", "display 0", "setPush 1 0", "startPush"}));
    room->StopShare();

    // The desktop goes through the broadcast window; its refusal is logged
    // and the share stays until stopped.
    asked().clear();
    ClientLibTestControl::ClearCalls(lib());
    room->StartShare(3);
    EXPECT_EQ(asked(), QStringList({"state 1 3", "camPreview 1", "startWork", "display 0", "deskFloat 1",
                                    "setPushUrl rtmp://desk.example/video/liveRecord_k1"}));
    EXPECT_EQ(room->GetShareType(), 3);
    ASSERT_EQ(pushInfos().size(), 1);
    EXPECT_TRUE(pushInfos()[0].startsWith("liveRecord_k1 ")) << pushInfos()[0].toStdString();
    EXPECT_TRUE(pushInfos()[0].endsWith(" 1280 720 1"));
    asked().clear();
    room->StopShare();
    EXPECT_EQ(asked().value(0), "stopWork");
    EXPECT_EQ(room->GetShareType(), 0);
}

TEST_F(RoomController, PlaysStreamsAndReportsAPlayerRefusal)
{
    Room* room = Room::instance();
    CData* data = CData::instance();
    ASSERT_TRUE(room->StartPlay(2, "liveStudent_1"));
    EXPECT_EQ(asked(), QStringList({"state 0 2", "render 1", "setPlay " + data->GetPullUrl() + "liveStudent_1 0",
                                    "startPlay", "name stream name 1"}));
    EXPECT_EQ(room->GetPlayType(), 2);

    // A second play stops the first; a recording stream comes from the
    // desktop line; audio only hides the picture.
    asked().clear();
    ASSERT_TRUE(room->StartPlay(1, "liveRecord_x"));
    EXPECT_TRUE(asked().contains("stopPlay"));
    EXPECT_TRUE(asked().contains("setPlay " + data->GetDeskTopPullUrl() + "liveRecord_x 1"));
    EXPECT_TRUE(asked().contains("audioFloat 1"));
    EXPECT_TRUE(asked().contains("render 0"));
    EXPECT_EQ(asked().last(), "name stream name 0");

    // Stopping without clearing keeps what plays; clearing forgets it and
    // shows the teacher's name (none in the room yet).
    asked().clear();
    room->StopPlay(false);
    EXPECT_EQ(room->GetPlayType(), 1);
    EXPECT_EQ(fakes().playUrl, data->GetDeskTopPullUrl() + "liveRecord_x");
    room->StopPlay(true);
    EXPECT_EQ(room->GetPlayType(), 0);
    EXPECT_TRUE(fakes().playUrl.isEmpty());
    EXPECT_EQ(asked().last(), QString("name 老师未进入教室 0"));

    // A player that refuses to start is reported, not passed over.
    fakes().playRefuses = true;
    EXPECT_FALSE(room->StartPlay(3, "liveStudent_2"));
    fakes().playRefuses = false;
    room->StopPlay(true);

    // While linked by microphone the play is only recorded.
    data->SetStatus(kStatusLinkMic, 1);
    asked().clear();
    EXPECT_TRUE(room->StartPlay(2, "liveStudent_3"));
    EXPECT_TRUE(asked().isEmpty());
    EXPECT_EQ(room->GetPlayStream(), "liveStudent_3");
    data->SetStatus(kStatusLinkMic, 0);
}

// The report's inner JSON, unwrapped from its table characters.
nlohmann::json unwrap(const std::string& postBody)
{
    const std::string param = nlohmann::json::parse(postBody).at("param").get<std::string>();
    const std::string table = Room::kReportTable;
    EXPECT_NE(table.find(param.substr(0, 3) + param.substr(param.size() - 6)), std::string::npos) << param;
    const QByteArray inner = QByteArray::fromBase64(QByteArray::fromStdString(param.substr(3, param.size() - 9)));
    return nlohmann::json::parse(inner.toStdString());
}

TEST_F(RoomController, ReportsCarryTheSessionAndReachTheService)
{
    Room* room = Room::instance();
    EXPECT_EQ(Room::WrapReport("{}", 0), QByteArray("K7m") + QByteArray("{}").toBase64() + "Qz2RtL");
    EXPECT_EQ(Room::WrapReport("{}", 53), QByteArray("gUe") + QByteArray("{}").toBase64() + "AjFd7K");

    room->ReportLog(3005, nlohmann::json{{"event", "x"}});
    room->ReportRecord(true, "liveRecord_7");
    ASSERT_TRUE(testsupport::waitUntil([] {
        return !Services::instance().seen("/openapi/eventrp").empty() &&
               !Services::instance().seen("/openapi/stream_notify").empty();
    }, uploadtest::kWaitMs));
    const nlohmann::json report = unwrap(Services::instance().seen("/openapi/eventrp")[0].body);
    std::vector<std::string> keys;
    for (auto it = report.begin(); it != report.end(); ++it)
        keys.push_back(it.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"liveId", "liveType", "platform", "repoData", "sdkVer", "systemVer",
                                              "token", "type", "userId", "userName", "userType"}));
    EXPECT_EQ(report["token"], "tok");
    EXPECT_EQ(report["liveId"], "live9");
    EXPECT_EQ(report["liveType"], 2);
    EXPECT_EQ(report["platform"], "winTea");
    EXPECT_EQ(report["sdkVer"], "1.4.7");
    EXPECT_EQ(report["type"], 3005);
    EXPECT_EQ(report["repoData"], (nlohmann::json{{"event", "x"}}));
    EXPECT_EQ(Services::instance().seen("/openapi/stream_notify")[0].body,
              R"({"action":"start","stream":"liveRecord_7","token":"tok"})");

    // Without login variables nothing is sent.
    Services::instance().reset();
    CData::instance()->ResetData(false);
    room->ReportLog(3005, nlohmann::json::object());
    room->ReportRecord(false, "liveRecord_7");
    room->onTimerUpdate(30);
    QTest::qWait(300);
    EXPECT_TRUE(Services::instance().seen("/openapi/eventrp").empty());
    EXPECT_TRUE(Services::instance().seen("/openapi/speedrp").empty());
    EXPECT_TRUE(Services::instance().seen("/openapi/stream_notify").empty());
}

TEST_F(RoomController, TicksTestTheSpeedAndReportIt)
{
    Room* room = Room::instance();
    QSignalSpy speed(room, &Room::sgRoomSpeed);
    // The mirror answers: the delay is half the round trip on the room's clock.
    Services::instance().script("/mirror/xspeed", {{200, "{\"ok\":1}", true}});
    const int key = room->GetSpeedTests();
    room->onTimerUpdate(7);
    EXPECT_EQ(room->GetSpeedTests(), key) << "not a fifth tick";
    room->onTimerUpdate(5);
    ASSERT_TRUE(testsupport::waitUntil([] { return !Services::instance().seen("/mirror/xspeed").empty(); }));
    EXPECT_EQ(Services::instance().seen("/mirror/xspeed")[0].target, "/mirror/xspeed?key=" + std::to_string(key));
    clockMs() += 1398;
    Services::instance().release();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !speed.isEmpty(); }));
    EXPECT_EQ(speed.takeFirst(), (QList<QVariant>{1, 699}));

    // No answer counts as 10000 ms, level 0.
    Services::instance().script("/mirror/xspeed", 200, "");
    room->onTimerUpdate(10);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !speed.isEmpty(); }));
    EXPECT_EQ(speed.takeFirst(), (QList<QVariant>{0, 10000}));
    EXPECT_EQ(room->GetDelayAvg(), 10000);

    // Every thirtieth tick the averages go out as the speed report (the
    // tenth tick sampled the CPU and memory load).
    const qint64 cpu = room->GetCpuAvg();
    const qint64 memory = room->GetMemAvg();
    EXPECT_GT(memory, 0);
    room->onTimerUpdate(30);
    ASSERT_TRUE(testsupport::waitUntil([] { return !Services::instance().seen("/openapi/speedrp").empty(); },
                                       uploadtest::kWaitMs));
    const nlohmann::json report = unwrap(Services::instance().seen("/openapi/speedrp")[0].body);
    EXPECT_EQ(report["type"], 2001);
    EXPECT_EQ(report["repoData"]["speed"], std::to_string(room->GetDelayAvg()));
    EXPECT_EQ(report["repoData"]["cpu"], std::to_string(cpu));
    EXPECT_EQ(report["repoData"]["memory"], std::to_string(memory));
}

}  // namespace
