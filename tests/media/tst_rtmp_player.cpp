// test-labels: e2e
// test-sources: PlayerTestSupport.cpp StreamPublisher.cpp StampShiftPublisher.cpp
// The own live-stream player against a private nginx-rtmp fed by the ffmpeg CLI.
#include "media/OwnRtmpLivePlayer.h"
#include "tests/media/PlayerTestSupport.h"
#include "media/RtmpPlayer.h"
#include "tests/media/StreamPublisher.h"
#include "tests/media/StampShiftPublisher.h"
#include "TestPaths.h"
#include "media/VideoRenderWidget.h"

#include <QSignalSpy>

#include <QThreadPool>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>

using namespace mediatest;

namespace {

// What a player reported through its callbacks.
struct Reports {
    std::mutex lock;
    std::vector<std::pair<bool, int>> opened;   // guarded by lock
    std::vector<std::pair<bool, int>> stopped;  // guarded by lock
    std::vector<int> readErrors;                // guarded by lock

    std::function<void(bool, int)> onOpened()
    {
        return [this](bool ok, int code) {
            std::lock_guard<std::mutex> l(lock);
            opened.emplace_back(ok, code);
        };
    }
    std::function<void(bool, int)> onStopped()
    {
        return [this](bool ok, int code) {
            std::lock_guard<std::mutex> l(lock);
            stopped.emplace_back(ok, code);
        };
    }
    std::function<void(int)> onReadError()
    {
        return [this](int error) {
            std::lock_guard<std::mutex> l(lock);
            readErrors.push_back(error);
        };
    }
    size_t openedCount()
    {
        std::lock_guard<std::mutex> l(lock);
        return opened.size();
    }
    size_t stoppedCount()
    {
        std::lock_guard<std::mutex> l(lock);
        return stopped.size();
    }
    size_t readErrorCount()
    {
        std::lock_guard<std::mutex> l(lock);
        return readErrors.size();
    }
};

class RtmpPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_server = new RtmpServer;
        s_started = s_server->start();
    }
    static void TearDownTestSuite()
    {
        QThreadPool::globalInstance()->waitForDone();
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override
    {
        if (!s_started)
            GTEST_SKIP() << "nginx-rtmp unavailable: " << s_server->error();
        if (testsupport::findProgram("ffmpeg").empty())
            GTEST_SKIP() << "ffmpeg CLI missing";
        static int n = 0;
        m_stream = "s" + std::to_string(++n);
    }
    void TearDown() override { QThreadPool::globalInstance()->waitForDone(); }

    std::string url() const { return s_server->url(m_stream); }

    // Starts a player with every callback wired to the sink and reports.
    std::shared_ptr<IRtmpPlayer> startPlayer(const std::string& address)
    {
        auto player = createRtmpPlayer();
        player->setVideoFrameCallback(m_frames.callback());
        player->setReadErrorCallback(m_reports.onReadError());
        player->play(address, m_reports.onOpened());
        return player;
    }

    static RtmpServer* s_server;
    static bool s_started;
    std::string m_stream;
    FrameSink m_frames;
    Reports m_reports;
    StreamPublisher m_publisher;
};

RtmpServer* RtmpPlayerTest::s_server = nullptr;
bool RtmpPlayerTest::s_started = false;

avplayer::RtmpPlayer* asOwn(const std::shared_ptr<IRtmpPlayer>& p) { return dynamic_cast<avplayer::RtmpPlayer*>(p.get()); }

}  // namespace

TEST_F(RtmpPlayerTest, PlaysPictureAndSoundThenStopsCleanly)
{
    ASSERT_TRUE(m_publisher.start(url()));
    auto player = startPlayer(url());
    ASSERT_TRUE(waitFor([&] { return m_frames.count() >= 10; }, 15000)) << "no pictures";
    {
        std::lock_guard<std::mutex> l(m_reports.lock);
        ASSERT_EQ(m_reports.opened.size(), 1u);
        EXPECT_EQ(m_reports.opened[0], std::make_pair(true, 0));
    }
    EXPECT_EQ(asOwn(player)->masterType(), 0);
    EXPECT_TRUE(waitFor([&] { return asOwn(player)->audioFramesRendered() > 10; }, 5000));

    const QImage picture = m_frames.last();
    ASSERT_EQ(picture.size(), QSize(320, 240));
    EXPECT_TRUE(looksLike(barColour(picture, 0), 191, 191, 191)) << std::hex << barColour(picture, 0);
    EXPECT_TRUE(looksLike(barColour(picture, 1), 191, 191, 0)) << std::hex << barColour(picture, 1);
    EXPECT_TRUE(looksLike(barColour(picture, 2), 0, 191, 191)) << std::hex << barColour(picture, 2);
    EXPECT_TRUE(looksLike(barColour(picture, 6), 0, 0, 191)) << std::hex << barColour(picture, 6);

    player->stop(m_reports.onStopped());
    ASSERT_TRUE(waitFor([&] { return m_reports.stoppedCount() == 1; }, 5000));
    {
        std::lock_guard<std::mutex> l(m_reports.lock);
        EXPECT_EQ(m_reports.stopped[0], std::make_pair(true, 0));
        EXPECT_TRUE(m_reports.readErrors.empty());
    }
    const int after = m_frames.count();
    player.reset();
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(m_frames.count(), after);
    EXPECT_EQ(m_reports.openedCount(), 1u);
}

TEST_F(RtmpPlayerTest, OpeningFailuresReportOnceWithMinusOne)
{
    // An empty address, a closed port, and a stream nobody publishes (the
    // interrupt time-out ends the wait for its first packets).
    const std::string closedPort = "rtmp://127.0.0.1:" + std::to_string(testsupport::freeTcpPort()) + "/live/x";
    for (const std::string& address : {std::string(), closedPort, url()}) {
        SCOPED_TRACE(address);
        Reports reports;
        auto player = createRtmpPlayer();
        asOwn(player)->setInterruptTimeout(1500000);
        player->play(address, reports.onOpened());
        ASSERT_TRUE(waitFor([&] { return reports.openedCount() == 1; }, 8000));
        std::lock_guard<std::mutex> l(reports.lock);
        EXPECT_EQ(reports.opened[0], std::make_pair(false, -1));
    }
}

TEST_F(RtmpPlayerTest, HealthyStreamOutlivesTheInterruptTimeout)
{
    ASSERT_TRUE(m_publisher.start(url()));
    auto player = startPlayer(url());
    ASSERT_TRUE(waitFor([&] { return m_frames.count() > 0; }, 15000));
    // Every read renews the mark: three time-out periods later the stream
    // still plays.
    asOwn(player)->setInterruptTimeout(1000000);
    const int first = m_frames.count();
    waitFor([] { return false; }, 3000);
    EXPECT_EQ(m_reports.readErrorCount(), 0u);
    EXPECT_TRUE(waitFor([&] { return m_frames.count() > first + 40; }, 10000)) << m_frames.count() - first;
    EXPECT_EQ(m_reports.readErrorCount(), 0u);
}

TEST_F(RtmpPlayerTest, ReleaseRightAfterPlayOrStopNeverBlocksOrCrashes)
{
    ASSERT_TRUE(m_publisher.start(url()));
    // Dropped while the input is still opening.
    {
        Reports reports;
        auto player = createRtmpPlayer();
        player->play(url(), reports.onOpened());
        player.reset();
        ASSERT_TRUE(waitFor([] { return QThreadPool::globalInstance()->activeThreadCount() == 0; }, 5000));
    }
    // stop() and the release racing: the stop thread ends before the player.
    for (int i = 0; i < 3; ++i) {
        Reports reports;
        auto player = createRtmpPlayer();
        player->play(url(), reports.onOpened());
        player->stop(reports.onStopped());
        player.reset();
        ASSERT_TRUE(waitFor([] { return QThreadPool::globalInstance()->activeThreadCount() == 0; }, 5000));
        EXPECT_LE(reports.stoppedCount(), 1u);
    }
    // A stop while a read waits for a stream that never comes: the blocked
    // read is abandoned at once, and close is idempotent.
    {
        Reports reports;
        auto player = createRtmpPlayer();
        asOwn(player)->setInterruptTimeout(-1);
        player->play(s_server->url("nobody"), reports.onOpened());
        waitFor([] { return false; }, 300);
        const auto start = std::chrono::steady_clock::now();
        player->stop(reports.onStopped());
        ASSERT_TRUE(waitFor([&] { return reports.stoppedCount() == 1; }, 3000));
        asOwn(player)->close();
        player.reset();
        QThreadPool::globalInstance()->waitForDone();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(reports.openedCount(), 0u);
        std::lock_guard<std::mutex> l(reports.lock);
        EXPECT_EQ(reports.stopped[0], std::make_pair(true, 0));
    }
}

TEST_F(RtmpPlayerTest, VideoOnlyStreamRunsOnTheVideoClock)
{
    PublishOptions options;
    options.audio = false;
    ASSERT_TRUE(m_publisher.start(url(), options));
    auto player = startPlayer(url());
    ASSERT_TRUE(waitFor([&] { return m_frames.count() > 0; }, 15000));
    const int first = m_frames.count();
    // Pictures keep coming on the video clock (about 25 a second; the wait
    // is generous for a busy or instrumented build).
    EXPECT_TRUE(waitFor([&] { return m_frames.count() > first + 10; }, 10000)) << m_frames.count() - first;
    EXPECT_EQ(asOwn(player)->masterType(), 1);
    EXPECT_FALSE(asOwn(player)->hasAudio());
    EXPECT_EQ(asOwn(player)->audioFramesRendered(), 0);
    std::lock_guard<std::mutex> l(m_reports.lock);
    EXPECT_EQ(m_reports.opened, (std::vector<std::pair<bool, int>>{{true, 0}}));
}

TEST_F(RtmpPlayerTest, AudioOnlyStreamPlaysSound)
{
    PublishOptions options;
    options.video = false;
    options.audioChannels = 2;
    ASSERT_TRUE(m_publisher.start(url(), options));
    auto player = startPlayer(url());
    ASSERT_TRUE(waitFor([&] { return asOwn(player)->audioFramesRendered() > 40; }, 15000));
    EXPECT_EQ(m_frames.count(), 0);
    EXPECT_FALSE(asOwn(player)->hasVideo());
    EXPECT_EQ(asOwn(player)->masterType(), 0);
    player.reset();
    QThreadPool::globalInstance()->waitForDone();
    // SDL's disk driver wrote what was played: the tone, not silence.
    std::ifstream in(s_server->audioFile(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44100u);  // at least half a second of 16-bit mono
    const auto* samples = reinterpret_cast<const int16_t*>(bytes.data());
    int loud = 0;
    for (size_t i = 0; i < bytes.size() / 2; ++i)
        loud += std::abs(samples[i]) > 1000;
    EXPECT_GT(loud, 2000);
}

TEST_F(RtmpPlayerTest, PictureSizeChangeMidStreamIsReportedAtItsRealSize)
{
    // Two encodings of different sizes, back to back in one H.264 stream.
    testsupport::TempDir dir;
    const std::string small = dir.file("a.h264"), large = dir.file("b.h264"), both = dir.file("ab.h264");
    for (auto [file, size] : {std::make_pair(small, "320x240"), std::make_pair(large, "480x360")})
        ASSERT_TRUE(runFfmpeg({"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                               std::string("smptebars=size=") + size + ":rate=25", "-t", "1.2", "-c:v", "libx264",
                               "-preset", "ultrafast", "-g", "25", "-pix_fmt", "yuv420p", "-bsf:v",
                               "h264_mp4toannexb", "-f", "h264", file}));
    {
        std::ofstream out(both, std::ios::binary);
        for (const std::string& f : {small, large, small, large}) {
            std::ifstream in(f, std::ios::binary);
            out << in.rdbuf();
        }
    }
    PublishOptions options;
    options.inputFile = both;
    options.inputFormat = "h264";
    ASSERT_TRUE(m_publisher.start(url(), options));
    auto player = startPlayer(url());
    ASSERT_TRUE(waitFor([&] { return m_frames.sizes().size() >= 2; }, 15000));
    const auto sizes = m_frames.sizes();
    for (size_t i = 1; i < sizes.size(); ++i)
        EXPECT_NE(sizes[i], sizes[i - 1]);
    EXPECT_TRUE(std::find(sizes.begin(), sizes.end(), std::make_pair(480, 360)) != sizes.end());
    ASSERT_TRUE(waitFor([&] { return m_frames.last().size() == QSize(480, 360); }, 5000));
    const QImage picture = m_frames.last();
    EXPECT_TRUE(looksLike(barColour(picture, 1), 191, 191, 0)) << std::hex << barColour(picture, 1);
    EXPECT_TRUE(looksLike(barColour(picture, 6), 0, 0, 191)) << std::hex << barColour(picture, 6);
}

TEST_F(RtmpPlayerTest, LivePlayerRecoversWhenAStalledStreamFlowsAgain)
{
    ASSERT_TRUE(m_publisher.start(url()));
    VideoRenderWidget widget;
    widget.resize(320, 240);
    widget.show();
    OwnRtmpLivePlayer live;
    live.setStallTimeout(2000000);
    QSignalSpy failures(&live, &RtmpLivePlayer::sgRtmpPlayFailed);
    QSignalSpy ended(&live, &OwnRtmpLivePlayer::sgPlayEnded);
    RtmpPlayParam param = live.GetPlayParam();
    param.playUrl = QString::fromStdString(url());
    param.renderWidget = &widget;
    live.SetPlayParam(param);
    ASSERT_TRUE(live.StartTask());
    ASSERT_TRUE(waitFor([&] { return live.picturesShown() > 5; }, 15000));
    EXPECT_TRUE(looksLike(barColour(widget.picture(), 2), 0, 191, 191));

    // The publisher stalls (its connection stays): the break is reported
    // and replayed until the stream flows again.
    const int early = failures.count();  // a slow first open may already have counted
    m_publisher.hold();
    ASSERT_TRUE(waitFor([&] { return failures.count() > early + 1; }, 20000)) << "replayed while it stalls";
    m_publisher.resume();
    const int before = live.picturesShown();
    ASSERT_TRUE(waitFor([&] { return live.picturesShown() > before + 5; }, 20000))
        << "no pictures after the stall; the publisher: " << m_publisher.describe()
        << "; the server's log:\n" << s_server->log();
    for (int i = 0; i < failures.count(); ++i)
        EXPECT_EQ(failures.at(i).at(0).toInt(), i + 1);  // counted in order
    EXPECT_EQ(live.failTimes(), failures.count());
    EXPECT_TRUE(live.IsPlaying());
    EXPECT_EQ(0, ended.count()) << "a stall is not the end of the stream";

    live.StopTask();
    const int reported = failures.count();
    m_publisher.kill();
    waitFor([] { return false; }, 1500);
    EXPECT_EQ(failures.count(), reported);  // a stopped player reports nothing
    EXPECT_EQ(0, ended.count());
    EXPECT_FALSE(live.IsPlaying());
}

TEST_F(RtmpPlayerTest, AStreamTheServerEndsIsFinishedAtOnceAndNotRetried)
{
    ASSERT_TRUE(m_publisher.start(url()));
    VideoRenderWidget widget;
    widget.resize(320, 240);
    OwnRtmpLivePlayer live;
    live.setStallTimeout(120000000);  // two minutes: only the server's end signal can be noticed
    QSignalSpy failures(&live, &RtmpLivePlayer::sgRtmpPlayFailed);
    QSignalSpy ended(&live, &OwnRtmpLivePlayer::sgPlayEnded);
    RtmpPlayParam param = live.GetPlayParam();
    param.playUrl = QString::fromStdString(url());
    param.renderWidget = &widget;
    live.SetPlayParam(param);
    ASSERT_TRUE(live.StartTask());
    ASSERT_TRUE(waitFor([&] { return live.picturesShown() > 5; }, 15000));
    ASSERT_FALSE(widget.picture().isNull());
    const int early = failures.count();
    m_publisher.kill();
    ASSERT_TRUE(waitFor([&] { return ended.count() > 0; }, 60000)) << "the end is reported";
    EXPECT_FALSE(live.IsPlaying());
    EXPECT_TRUE(widget.picture().isNull()) << "the last picture does not stay frozen";
    EXPECT_FALSE(widget.isPlaying());

    // Nothing is retried, not even once the stream is published again: the
    // owner decides when to play it again.
    const int shown = live.picturesShown();
    ASSERT_TRUE(m_publisher.start(url()));
    waitFor([] { return false; }, 3 * OwnRtmpLivePlayer::kRetryMs);
    EXPECT_EQ(early, failures.count());
    EXPECT_EQ(1, ended.count());
    EXPECT_EQ(shown, live.picturesShown());
    EXPECT_TRUE(widget.picture().isNull());

    // Started again, it plays the new stream.
    ASSERT_TRUE(live.StartTask());
    EXPECT_TRUE(waitFor([&] { return live.picturesShown() > 5; }, 15000));
    live.StopTask();
}

TEST_F(RtmpPlayerTest, PicturesKeepTheirRateAcrossATimeStampJump)
{
    mediatest::PublishOptions options;
    options.timeJumpAt = 1;  // arrives while the player starts
    options.timeJump = 30;
    ASSERT_TRUE(m_publisher.start(url(), options));
    VideoRenderWidget widget;
    widget.resize(320, 240);
    OwnRtmpLivePlayer live;
    RtmpPlayParam param = live.GetPlayParam();
    param.playUrl = QString::fromStdString(url());
    param.renderWidget = &widget;
    live.SetPlayParam(param);
    ASSERT_TRUE(live.StartTask());
    ASSERT_TRUE(waitFor([&] { return live.picturesShown() > 5; }, 15000));
    // Past the jump pictures keep coming: three seconds' worth at half the
    // stream's 25 a second arrive long before the 30 s a player stuck on
    // the jump would wait (the deadline leaves room for a busy machine).
    waitFor([] { return false; }, 3000);
    const int before = live.picturesShown();
    EXPECT_TRUE(waitFor([&] { return live.picturesShown() - before > 3 * 12; }, 10000))
        << "pictures collapse after the jump: " << live.picturesShown() - before;
    live.StopTask();
}

TEST_F(RtmpPlayerTest, PicturesAndSoundKeepGoingAfterStampsJumpForwardAndBack)
{
    // The stamps jump 30 s ahead at 4 s, then 33 s back at 10 s (to 7 s).
    StampShiftPublisher publisher;
    ASSERT_TRUE(publisher.start(url(), PublishOptions(), {{4000, 30000}, {10000, -3000}}));
    auto player = startPlayer(url());
    ASSERT_TRUE(waitFor([&] { return m_frames.count() > 5; }, 15000)) << "no picture";
    for (const int64_t jumpMs : {4000, 10000}) {
        // From a second after the jump (as sent), three seconds' worth of
        // the stream's 25 pictures and about 47 sound frames a second (at
        // half the rate) come well before the 30 s a player stuck on the
        // jump would wait; the deadline leaves room for a busy machine.
        ASSERT_TRUE(waitFor([&] { return publisher.lastOriginalMs() > jumpMs + 1000; }, 30000));
        const int pictures = m_frames.count();
        const int64_t sound = asOwn(player)->audioFramesRendered();
        EXPECT_TRUE(waitFor(
            [&] {
                return m_frames.count() - pictures > 3 * 12 &&
                       asOwn(player)->audioFramesRendered() - sound > 3 * 20;
            },
            10000))
            << "after the jump at " << jumpMs << " ms: " << m_frames.count() - pictures << " pictures, "
            << asOwn(player)->audioFramesRendered() - sound << " sound frames";
    }
    EXPECT_EQ(m_reports.readErrorCount(), 0u);
}

TEST_F(RtmpPlayerTest, PicturesThatStartAfterTheSoundArePlayedToo)
{
    // The player decides on the streams after 1 s; the pictures come later.
    PublishOptions options;
    options.videoDelay = 2.5;
    ASSERT_TRUE(m_publisher.start(url(), options));
    auto player = startPlayer(url());
    ASSERT_TRUE(waitFor([&] { return m_frames.count() >= 10; }, 15000));
    EXPECT_TRUE(asOwn(player)->hasAudio());
    EXPECT_TRUE(asOwn(player)->hasVideo());
    EXPECT_GT(asOwn(player)->audioFramesRendered(), 0);
    EXPECT_TRUE(looksLike(barColour(m_frames.last(), 1), 191, 191, 0));
}
