// test-labels: e2e
// Not in the ThreadSanitizer pass for now: besides the players' queued
// hand-offs through Qt's uninstrumented event loop (tools/tsan.supp), one
// run in several reports a string read on two threads that is not yet
// understood.
// test-sources: PlayerTestSupport.cpp
// The room's live player on our player core: latency from the sender's
// key-frame stamps, the delay figure read from other threads, and failure
// counting and recovery, against a private nginx-rtmp fed by the push library
// while the own player plays the same stream at the same time.
#include "app/CData.h"
#include "libs/mediacore/SeiStamp.h"
#include "libs/rtmppush/RTMPHoster.h"
#include "media/AvPlayer.h"
#include "media/OwnRtmpLivePlayer.h"
#include "media/PlayerPlayingStatus.h"
#include "media/QAVPlayer.h"
#include "media/QtAVRtmpPlayer.h"
#include "media/VideoRenderWidget.h"
#include "QtWait.h"
#include "TestPaths.h"
#include "tests/media/PlayerTestSupport.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

using namespace mediatest;

namespace {

// A key-frame packet of size bytes with the marker and stamp at offset.
std::vector<uint8_t> keyFrame(size_t offset, qint64 stamp, size_t size = 200)
{
    std::vector<uint8_t> data(size, 0);
    const std::string digits = QString::number(stamp).rightJustified(13, '0').toStdString();
    memcpy(data.data() + offset, "seiii", 5);
    memcpy(data.data() + offset + 5, digits.data(), 13);
    return data;
}

TEST(QAVPlayerDelay, KeyFrameStampsGiveTheLatency)
{
    const qint64 server = 1700000000000;
    struct Case {
        const char* what;
        size_t offset;
        qint64 age;
        std::string url;
        bool appTeaLive;
        bool measured;
        qint64 delay;
    } cases[] = {
        {"marker at offset 17 is not looked at", 17, 2000, "rtmp://h/live/a", false, false, 0},
        {"marker at offset 18", 18, 2000, "rtmp://h/live/a", false, true, 2000},
        {"marker at offset 39", 39, 2000, "rtmp://h/live/a", false, true, 2000},
        {"marker at offset 40 is not looked at", 40, 2000, "rtmp://h/live/a", false, false, 0},
        {"app-teacher live room: the url's _5 takes 5 s off", 23, 12000, "rtmp://h/live/room_5", true, true, 7000},
        {"other rooms keep the url's number", 23, 12000, "rtmp://h/live/room_5", false, true, 12000},
        {"a stamp ahead of the server gives a negative latency", 23, -300, "rtmp://h/live/a", false, true, -300},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> data = keyFrame(c.offset, server - c.age);
        qint64 delay = 0;
        qint64 stamp = 0;
        EXPECT_EQ(c.measured, QAVPlayer::MeasureDelay(data.data(), data.size(), server, c.url, c.appTeaLive, &delay,
                                                      &stamp))
            << c.what;
        if (c.measured) {
            EXPECT_EQ(c.delay, delay) << c.what;
            EXPECT_EQ(server - c.age, stamp) << c.what;
        }
    }
    // A marker whose digits would run past the packet is not read.
    const std::vector<uint8_t> cut = keyFrame(30, server, 48);
    qint64 delay = 0;
    qint64 stamp = 0;
    EXPECT_FALSE(QAVPlayer::MeasureDelay(cut.data(), 40, server, "rtmp://h/a", false, &delay, &stamp));
}

TEST(QAVPlayerDelay, LatencyIsCappedAndSmallPacketsAreIgnored)
{
    CData::instance()->SetSvrTimeOff(0);  // server time = local time
    QAVPlayer player;
    emit CData::instance()->sgTimerUpdate(1);  // the player takes the server time
    const qint64 now = QDateTime::currentMSecsSinceEpoch();

    std::vector<uint8_t> data = keyFrame(23, now - 40000);
    avplayer::KeyFramePacket packet;
    packet.data = data.data();
    packet.size = int(data.size());
    packet.size = 100;  // no more than 100 bytes: not measured
    player.onKeyFramePacketRead(packet);
    EXPECT_EQ(0, player.measuredDelay());
    packet.size = int(data.size());
    packet.pts = -1;  // no time: not measured
    player.onKeyFramePacketRead(packet);
    EXPECT_EQ(0, player.measuredDelay());
    packet.pts = 0;
    player.onKeyFramePacketRead(packet);
    EXPECT_EQ(30000, player.measuredDelay());

    data = keyFrame(23, now - 2000);
    packet.data = data.data();
    player.onKeyFramePacketRead(packet);
    EXPECT_GE(player.measuredDelay(), 2000);
    EXPECT_LT(player.measuredDelay(), 5000);
    // Without a url the player has no delay, whatever was measured.
    EXPECT_EQ(0, player.GetDelayTime());
}

TEST(QtAVRtmpPlayerParams, InvalidParametersStartNothing)
{
    QtAVRtmpPlayer player;
    QWidget display;
    struct Case {
        QString url;
        QWidget* widget;
    } cases[] = {{"", &display}, {"rtmp://127.0.0.1:1/live/x", nullptr}};
    for (const Case& c : cases) {
        RtmpPlayParam p = player.GetPlayParam();
        p.playUrl = c.url;
        p.renderWidget = c.widget;
        player.SetPlayParam(p);
        EXPECT_FALSE(player.StartTask());
        EXPECT_FALSE(player.IsPlaying());
        EXPECT_FALSE(PlayerPlayingStatus::IsPlaying(player.player()));
    }
    EXPECT_EQ(0, player.GetDelayTime());
}

// The push library's reports, counted.
class PushEvents : public RTMPHosterEvent {
public:
    std::atomic<int> ok{0};
    void OnRtmpStreamOK() override { ok.fetch_add(1); }
    void OnRtmpStreamReconnecting(int) override {}
    void OnRtmpStreamStatus(int, int) override {}
    void OnRtmpStreamFailed(int) override {}
    void OnRtmpStreamClosed() override {}
    void OnAudioData(uint8_t*, int, int, int, int, bool) override {}
    void OnRtmpLog(const char*, int) override {}
};

class Pusher {
public:
    bool start(const std::string& url)
    {
        m_hoster = RTMPHoster::Create(m_events);
        if (!m_hoster)
            return false;
        m_hoster->SetVideoDevice("no-such-camera");  // the generated picture
        m_hoster->SetVideoMode(0);
        m_hoster->SetTimestamp(0);
        return m_hoster->StartRtmpStream(url.c_str()) == RTMPHOSTER_OK;
    }
    void stop()
    {
        RTMPHoster::Destory(m_hoster);
        m_hoster = nullptr;
    }
    ~Pusher() { stop(); }
    PushEvents m_events;

private:
    RTMPHoster* m_hoster = nullptr;
};

// Ticks of the session's one-second timer, as many as it takes for cond
// (indexes run on from index, so every fifth one asks for a replay).
bool tickUntil(int& index, const std::function<bool()>& cond, int maxMs)
{
    const qint64 end = QDateTime::currentMSecsSinceEpoch() + maxMs;
    while (QDateTime::currentMSecsSinceEpoch() < end) {
        emit CData::instance()->sgTimerUpdate(++index);
        if (testsupport::waitUntil(cond, 200))
            return true;
    }
    return cond();
}

TEST(QtAVRtmpPlayerLive, PlaysBesideTheOwnPlayerMeasuresDelayAndRecovers)
{
    RtmpServer server;
    if (!server.start())
        GTEST_SKIP() << "nginx-rtmp unavailable: " << server.error();
    CData::instance()->SetSvrTimeOff(0);
    const std::string url = server.url("teacher_live");
    Pusher pusher;
    ASSERT_TRUE(pusher.start(url));
    ASSERT_TRUE(testsupport::waitUntil([&] { return pusher.m_events.ok.load() > 0; }, 15000));

    QWidget window;
    window.resize(660, 260);
    auto* layout = new QHBoxLayout(&window);
    auto* qavDisplay = new QWidget;
    auto* ownDisplay = new VideoRenderWidget;
    layout->addWidget(qavDisplay);
    layout->addWidget(ownDisplay);
    window.show();

    QtAVRtmpPlayer qav;
    QSignalSpy failures(&qav, &RtmpLivePlayer::sgRtmpPlayFailed);
    RtmpPlayParam p = qav.GetPlayParam();
    p.playUrl = QString::fromStdString(url);
    p.renderWidget = qavDisplay;
    qav.SetPlayParam(p);
    OwnRtmpLivePlayer own;
    p.renderWidget = ownDisplay;
    own.SetPlayParam(p);
    ASSERT_TRUE(qav.StartTask());
    ASSERT_TRUE(own.StartTask());
    EXPECT_TRUE(qav.IsPlaying());
    EXPECT_TRUE(PlayerPlayingStatus::IsPlaying(qav.player()));

    // Other threads read the delay figure all along.
    std::atomic<bool> reading{true};
    std::atomic<qint64> lastRead{0};
    std::thread reader([&] {
        while (reading.load()) {
            lastRead.store(qav.GetDelayTime());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });

    int index = 0;
    AvPlayer* core = qav.player()->player();
    ASSERT_TRUE(tickUntil(index, [&] { return core->picturesShown() > 10 && own.picturesShown() > 10; }, 30000))
        << "qav pictures " << core->picturesShown() << ", own pictures " << own.picturesShown();
    EXPECT_GE(core->currentVideoStream(), 0);
    EXPECT_GE(core->currentAudioStream(), 0);  // its own sound device, beside the own player's
    EXPECT_TRUE(qav.player()->rendererWidget()->isVisible());
    // Latency from the stamps: the push library stamps the server time.
    ASSERT_TRUE(testsupport::waitUntil([&] { return qav.player()->measuredDelay() != 0; }, 10000));
    EXPECT_GT(qav.player()->measuredDelay(), 0);
    EXPECT_LT(qav.player()->measuredDelay(), 10000);
    const qint64 delay = qav.GetDelayTime();
    EXPECT_GE(delay, qav.player()->measuredDelay() + 500);
    EXPECT_LT(delay, 20000);
    EXPECT_GT(lastRead.load(), 0);
    QCoreApplication::processEvents();
    window.grab().save(QString::fromStdString(testsupport::screenshotPath("live_players_side_by_side.png")));
    EXPECT_EQ(0, failures.count());

    // The publisher goes: the QtAV player counts the failure and keeps
    // trying; the own player takes the server's end of the stream as the
    // stream's end (a broken connection would count as a failure instead).
    QSignalSpy ownEnded(&own, &OwnRtmpLivePlayer::sgPlayEnded);
    pusher.stop();
    ASSERT_TRUE(tickUntil(index, [&] { return failures.count() >= 1 && (own.failTimes() >= 1 || !ownEnded.isEmpty()); },
                          40000))
        << "qav failures " << failures.count() << ", own failures " << own.failTimes();
    EXPECT_EQ(1, failures.first().at(0).toInt());
    EXPECT_TRUE(qav.IsPlaying());  // still set to play

    // It comes back: pictures flow again, the latency is measured anew. A
    // finished own player is started again by its owner.
    ASSERT_TRUE(pusher.start(url));
    if (!ownEnded.isEmpty()) {
        ASSERT_TRUE(own.StartTask());
    }
    const int failed = failures.count();
    ASSERT_TRUE(tickUntil(index,
                          [&] {
                              return core->picturesShown() > 10 && qav.player()->measuredDelay() > 0 &&
                                     own.picturesShown() > 10;
                          },
                          60000))
        << "qav pictures " << core->picturesShown() << ", own " << own.picturesShown();
    EXPECT_EQ(0, qav.player()->replays() - failures.count());
    EXPECT_GE(failures.count(), failed);

    // Too much buffered (the player stood still while the stream went on):
    // the next tick plays faster to catch up.
    core->pause(true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return core->buffered() > 5500; }, 20000)) << core->buffered();
    core->pause(false);
    EXPECT_GE(qav.GetDelayTime(), core->buffered() + 500);
    emit CData::instance()->sgTimerUpdate(++index);
    EXPECT_DOUBLE_EQ(1.1, core->speed());

    reading.store(false);
    reader.join();
    EXPECT_TRUE(qav.StopTask());
    EXPECT_TRUE(own.StopTask());
    EXPECT_FALSE(qav.IsPlaying());
    EXPECT_EQ(0, qav.GetDelayTime());
    EXPECT_FALSE(PlayerPlayingStatus::IsPlaying(qav.player()));
    pusher.stop();
    QThreadPool::globalInstance()->waitForDone();
}

}  // namespace
