// test-labels: e2e
// test-sources: ../app/UploadServices.cpp StreamPublisher.cpp
// The room controller with its real pusher and player on a local RTMP
// server: it shares the teacher's camera picture on the chosen media line,
// plays a student's stream published with the ffmpeg CLI, and mixes the
// remote audio the client library hands it for the broadcast engine.
#include "app/CData.h"
#include "app/Room.h"
#include "app/BroadcastAudioLink.h"
#include "media/RoomMediaSetup.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"
#include "media/AvPlayer.h"
#include "media/QAVPlayer.h"
#include "media/QtAVRtmpPlayer.h"
#include "NginxFixture.h"
#include "QtWait.h"
#include "tests/media/StreamPublisher.h"
#include "TestPaths.h"
#include "tests/app/UploadServices.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QWidget>

#include <atomic>
#include <cmath>
#include <fstream>

using uploadtest::Services;

namespace {

// The codec names ffprobe sees on url (empty when it sees nothing).
QStringList probe(const QString& url)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-rw_timeout", "8000000", "-show_entries", "stream=codec_name", "-of",
                        "csv=p=0", url});
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).replaceInStrings(" ", "");
}

// The media lines on the HTTP service, every role on the local RTMP server;
// the session ticks until it has loaded them.
bool loadMediaLines(int rtmpPort)
{
    const std::string host = "127.0.0.1:" + std::to_string(rtmpPort);
    Services::instance().script("/pc/TeaMediaLine.json", 200,
                                R"({"mediaLine":[{"key":"a","title":"A","default":true,"pushUrl":")" + host +
                                    R"(","pullUrl":")" + host + R"(","deskTopPushUrl":")" + host +
                                    R"(","deskTopPullUrl":")" + host + R"("}]})");
    CData* data = CData::instance();
    for (int round = 0; round < 5 && data->GetMgLineInfo()["count"].toInt() == 0; ++round) {
        do
            data->onUpdateTimer();
        while (data->GetTick() % 4 != 0);
        testsupport::waitUntil([&] { return data->GetMgLineInfo()["count"].toInt() != 0; }, 4000);
    }
    return data->GetMgLineInfo()["count"].toInt() == 1;
}

TEST(RoomLive, SharesTheCameraPlaysAStudentAndMixesRemoteAudio)
{
    Services& services = Services::instance();
    const std::string file = services.home().home() + "/room-endpoints.ini";
    std::ofstream(file) << "[production]\nconfig=" << services.url("") << "\nlog=" << services.url("") << "\n";
    testsupport::ScopedEnv endpoints("VELTORA_ENDPOINTS", file);

    testsupport::NginxFixture::Options options;
    options.rtmp = true;
    options.rtmpApp = "video";
    testsupport::NginxFixture nginx(options);
    ASSERT_TRUE(nginx.start()) << nginx.error();
    CData* data = CData::instance();
    ASSERT_TRUE(data->SetLoginVar({"tok", "live9", "teacher1", "T", "g1", "2"}));
    ASSERT_TRUE(loadMediaLines(nginx.rtmpPort()));
    ASSERT_EQ(data->GetPushUrl(), QString("rtmp://127.0.0.1:%1/video/").arg(nginx.rtmpPort()));

    Room* room = Room::instance();
    InstallRoomMedia();
    RtmpLivePusher* pusher = room->GetLivePusher();
    auto* player = qobject_cast<QtAVRtmpPlayer*>(room->GetLivePlayer());
    ASSERT_NE(pusher, nullptr);
    ASSERT_NE(player, nullptr);
    QWidget display;
    display.resize(320, 180);
    display.show();
    QWidget render;
    render.resize(320, 240);
    render.show();
    RtmpPushParam push = pusher->GetPushParam();
    push.displayWidget = &display;
    pusher->SetPushParam(push);
    RtmpPlayParam play = player->GetPlayParam();
    play.renderWidget = &render;
    player->SetPlayParam(play);

    // The teacher's camera goes to the line's push address.
    ASSERT_TRUE(room->StartShare(2));
    const QString pushUrl = pusher->GetPushParam().pushUrl;
    EXPECT_TRUE(pushUrl.startsWith(data->GetPushUrl() + "liveTeacher_g1_")) << pushUrl.toStdString();
    EXPECT_TRUE(pusher->IsPushing());
    QStringList codecs;
    for (int attempt = 0; attempt < 3 && !codecs.contains("h264"); ++attempt)
        codecs = probe(pushUrl);
    EXPECT_TRUE(codecs.contains("h264")) << codecs.join(",").toStdString();

    // A student publishes; the room plays the stream from the pull address.
    mediatest::StreamPublisher student;
    mediatest::PublishOptions publish;
    publish.picture = "testsrc2";
    ASSERT_TRUE(student.start(nginx.rtmpUrl("liveStudent_s1"), publish));
    ASSERT_TRUE(room->StartPlay(2, "liveStudent_s1"));
    EXPECT_EQ(player->GetPlayParam().playUrl, data->GetPullUrl() + "liveStudent_s1");
    EXPECT_TRUE(render.isVisible());
    // The player shows its video once data is buffered, on the session's tick.
    AvPlayer* core = player->player()->player();
    bool shown = false;
    for (int tick = 1; tick <= 100 && !shown; ++tick) {
        emit data->sgTimerUpdate(tick);
        shown = testsupport::waitUntil([&] { return core->picturesShown() >= 5; }, 300);
    }
    ASSERT_TRUE(shown) << "pictures shown " << core->picturesShown();
    QCoreApplication::processEvents();
    render.grab().save(QString::fromStdString(testsupport::screenshotPath("room_play_student.png")));

    room->StopPlay(true);
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_TRUE(player->GetPlayParam().playUrl.isEmpty());
    ASSERT_TRUE(testsupport::waitUntil([&] { return !data->GetStatus(kStatusLivePlayerPlaying); }));

    // Remote audio as the client library hands it over (none while the live
    // player plays): two students mixed for the broadcast engine while the
    // voice interaction is open (the pusher takes the frames as well).
    std::atomic<int> blocks{0};
    std::atomic<int> peak{0};
    BroadcastAudioLink::instance().SetMixAudio([&](const QString&, const void* d, int, int, int, int frames, int, int) {
        const auto* s = static_cast<const qint16*>(d);
        for (int i = 0; i < frames; ++i)
            peak = std::max(peak.load(), std::abs(int(s[i])));
        ++blocks;
    });
    data->SetStatus(kStatusVoiceInteraction, 1);
    std::vector<qint16> tone(960);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = qint16(8000 * std::sin(2 * M_PI * 440 * double(i) / 48000));
    // The pusher's own microphone blocks set the pace (the teacher is the
    // first speaker); the students' frames are mixed into them.
    EXPECT_TRUE(testsupport::waitUntil([&] {
        Room::OnAudioCB("2001", tone.data(), 16, 48000, 1, 960);
        Room::OnAudioCB("2002", tone.data(), 16, 48000, 1, 960);
        return blocks.load() >= 5 && peak.load() > 15000;
    }, 15000)) << "blocks " << blocks.load() << " peak " << peak.load();
    BroadcastAudioLink::instance().SetMixAudio(nullptr);
    data->SetStatus(kStatusVoiceInteraction, 0);

    room->StopShare();
    EXPECT_FALSE(pusher->IsPushing());
    EXPECT_TRUE(pusher->GetPushParam().pushUrl.isEmpty());
    EXPECT_FALSE(display.isVisible()) << "the pusher's display is hidden";
    student.stop();
    room->ReleaseLib();
    data->ResetData(false);
}

}  // namespace
