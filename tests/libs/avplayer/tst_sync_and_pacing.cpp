// test-labels: tsan
// The sync clock, frame timing and pacing of the decoders, and the SDL
// output's queue cap.
#include "libs/avplayer/AACDecoder.h"
#include "libs/avplayer/AudioRender.h"
#include "libs/avplayer/DecoderBase.h"
#include "libs/avplayer/H264Decoder.h"
#include "libs/avplayer/IAudioFrameCallback.h"
#include "libs/avplayer/SDLRenderAudio.h"
#include "libs/avplayer/SyncClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <future>
#include <mutex>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

using avplayer::DecodedFrame;
using avplayer::DecoderBase;
using avplayer::SyncClock;

namespace {

// A decoder whose render thread never runs: the pacing is driven by hand.
class ProbeDecoder : public DecoderBase {
public:
    explicit ProbeDecoder(int type) : m_type(type) {}
    int syncType() override { return m_type; }
    void onDecodeFrame(DecodedFrame*) override {}

private:
    int m_type;
};

}  // namespace

TEST(SyncClock, OthersWaitForTheMasterAndAbortEndsTheWait)
{
    {
        SyncClock clock;
        auto video = std::async(std::launch::async, [&] { return clock.start(SyncClock::Video); });
        EXPECT_EQ(video.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
        EXPECT_TRUE(clock.start(SyncClock::Audio));
        EXPECT_TRUE(video.get());
        EXPECT_GT(clock.startTime(), 0);
    }
    {
        // No audio ever comes: closing ends the wait instead of hanging.
        SyncClock clock;
        auto video = std::async(std::launch::async, [&] { return clock.start(SyncClock::Video); });
        clock.abort();
        EXPECT_FALSE(video.get());
    }
    {
        // A stream without audio: the video is the master and starts at once.
        SyncClock clock;
        clock.setMasterType(SyncClock::Video);
        EXPECT_TRUE(clock.start(SyncClock::Video));
        EXPECT_EQ(clock.masterClock(), 0.0);
    }
}

TEST(DecoderPacing, VideoFollowsTheMasterClock)
{
    struct Case {
        double masterOffset;  // master clock minus the frame's time
        double wait;
    };
    // 0.5 s late: show at once; 0.5 s early: wait twice the frame delay;
    // 10 s or more apart: no correction.
    const Case cases[] = {{0.0, 0.04}, {0.5, 0.0}, {-0.5, 0.08}, {20.0, 0.04}, {-20.0, 0.04}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.masterOffset);
        auto clock = std::make_shared<SyncClock>();
        double master = 0;
        clock->setMasterClock([&master] { return master; });
        ProbeDecoder video(SyncClock::Video);
        video.setSyncClock(clock);
        const double now = 1000.0;
        master = 10.0;
        video.frameWait(10.0, now);  // first frame: the timer starts here
        master = 10.04 + c.masterOffset;
        EXPECT_NEAR(video.frameWait(10.04, now), c.wait, 1e-9);
    }
}

TEST(DecoderPacing, FirstFrameJumpAndShortWaits)
{
    ProbeDecoder audio(SyncClock::Audio);
    // A first frame 5 s into the stream counts as a jump: the initial 0.04 s.
    EXPECT_NEAR(audio.frameWait(5.0, 1000.0), 0.01, 1e-9);  // timer reset: min(delay, 10 ms)
    EXPECT_NEAR(audio.frameWait(5.04, 1000.0), 0.04, 1e-9);
    // A frame whose time goes backwards keeps the last delay.
    EXPECT_NEAR(audio.frameWait(5.0, 1000.0), 0.04, 1e-9);
    // Falling behind the timer resets it: at most 10 ms.
    EXPECT_NEAR(audio.frameWait(5.08, 2000.0), 0.01, 1e-9);
}

TEST(DecoderTiming, FrameTimesFromTheStreamTimeBase)
{
    AVFormatContext* format = avformat_alloc_context();
    AVStream* stream = avformat_new_stream(format, nullptr);
    stream->time_base = AVRational{1, 1000};
    stream->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    stream->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
    stream->codecpar->sample_rate = 44100;
    stream->codecpar->format = AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&stream->codecpar->ch_layout, 1);
    {
        ProbeDecoder decoder(SyncClock::Audio);
        ASSERT_EQ(decoder.openAVCodecContext(stream), 0);
        AVFrame* frame = av_frame_alloc();
        frame->best_effort_timestamp = 1500;
        frame->pkt_duration = 40;
        EXPECT_DOUBLE_EQ(decoder.framePts(frame), 1.5);
        frame->best_effort_timestamp = AV_NOPTS_VALUE;  // takes the predicted time
        EXPECT_DOUBLE_EQ(decoder.framePts(frame), 1.54);
        EXPECT_DOUBLE_EQ(decoder.framePts(frame), 1.58);
        av_frame_free(&frame);
    }
    {
        ProbeDecoder decoder(SyncClock::Audio);
        EXPECT_EQ(decoder.openAVCodecContext(nullptr), -1);
        stream->codecpar->codec_id = AV_CODEC_ID_FFMETADATA;  // a known id with no decoder
        EXPECT_EQ(decoder.openAVCodecContext(stream), -2);
        EXPECT_EQ(decoder.decode(nullptr), -1);
    }
    avformat_free_context(format);
}

TEST(SDLRenderAudio, QueueHoldsAtMostAboutOneSecond)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDLRenderAudio audio(44100, 1);
    if (!audio.isOpen())
        GTEST_SKIP() << "no SDL audio driver";
    std::vector<int16_t> block(4410, 1000);
    for (int i = 0; i < 50; ++i)  // five seconds at once
        audio.onAudioFrame(block.data(), int(block.size()), 0);
    EXPECT_LE(audio.queuedBytes(), audio.maxQueuedBytes());
    EXPECT_EQ(audio.maxQueuedBytes(), 88200u);
    const double pending = audio.pendingSeconds();
    EXPECT_GT(pending, 0.5);
    EXPECT_LT(pending, 1.2);
    audio.clear();
    EXPECT_EQ(audio.queuedBytes(), 0u);
}

namespace {

// An output that says how much is still waiting to be heard.
class PendingOutput : public IAudioFrameCallback {
public:
    void onAudioFrame(const void*, int, int64_t) override {}
    void clear() override {}
    std::string name() override { return "pending"; }
    double pendingSeconds() override { return pending.load(); }
    std::atomic<double> pending{0.0};
};

DecodedFrame* silentFrame(double pts, int samples)
{
    auto* decoded = static_cast<DecodedFrame*>(malloc(sizeof(DecodedFrame)));
    decoded->frame = av_frame_alloc();
    decoded->frame->format = AV_SAMPLE_FMT_S16;
    decoded->frame->sample_rate = 44100;
    decoded->frame->nb_samples = samples;
    av_channel_layout_default(&decoded->frame->ch_layout, 1);
    av_frame_get_buffer(decoded->frame, 0);
    memset(decoded->frame->data[0], 0, size_t(samples) * 2);
    decoded->pts = pts;
    return decoded;
}

}  // namespace

TEST(AudioClock, FollowsWhatIsBeingHeard)
{
    auto* output = new PendingOutput;
    auto render = std::make_shared<AudioRender>(44100, 1, output);
    avplayer::AACDecoder decoder(render);
    auto clock = std::make_shared<SyncClock>();
    decoder.setSyncClock(clock);
    decoder.pushFrame(silentFrame(7.0, 4410));  // 7.0 s to 7.1 s
    for (int i = 0; i < 500 && decoder.renderedFrames() < 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(decoder.renderedFrames(), 1);
    output->pending = 0.3;  // 0.3 s of it still queued: 6.8 s is playing
    EXPECT_NEAR(decoder.currentClock(), 6.8, 1e-6);
    output->pending = 0.0;
    EXPECT_NEAR(decoder.currentClock(), 7.1, 1e-6);
    // An output that plays nothing: the time of the frame plus the wall time.
    output->pending = -1.0;
    EXPECT_GE(decoder.currentClock(), 7.0);
    EXPECT_LT(decoder.currentClock(), 8.0);
}

TEST(DecoderQueue, StaysBoundedWhileRenderingStalls)
{
    ProbeDecoder decoder(SyncClock::Video);  // no render thread: nothing is taken
    for (size_t i = 0; i < DecoderBase::kMaxQueuedFrames + 50; ++i)
        decoder.pushFrame(silentFrame(double(i), 1));
    EXPECT_EQ(decoder.queuedFrames(), DecoderBase::kMaxQueuedFrames);
    DecodedFrame* oldest = decoder.popFrame();
    EXPECT_EQ(oldest->pts, 50.0);
    avplayer::freeDecodedFrame(oldest);
    // Nothing renders: a full queue never holds the decode thread.
    decoder.pushFrame(silentFrame(0.0, 1));
    decoder.waitForRoom();
    decoder.releaseWaiters();
}

// Renders slowly on its own render thread, noting the queue length it sees.
class SlowRenderDecoder : public DecoderBase {
public:
    explicit SlowRenderDecoder(size_t limit)
    {
        setQueueLimit(limit);
        startRenderThread();
    }
    ~SlowRenderDecoder() override { stopRenderThread(); }
    int syncType() override { return SyncClock::Video; }
    void onDecodeFrame(DecodedFrame*) override
    {
        ++rendered;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::atomic<int> rendered{0};
};

TEST(DecoderQueue, FullQueueHoldsTheDecoderBackWhileFramesRender)
{
    auto clock = std::make_shared<SyncClock>();
    clock->setMasterType(SyncClock::Video);
    SlowRenderDecoder decoder(4);
    decoder.setSyncClock(clock);
    const int frames = 40;
    size_t longest = 0;
    for (int i = 0; i < frames; ++i) {
        decoder.waitForRoom();
        decoder.pushFrame(silentFrame(i * 0.001, 1));
        longest = std::max(longest, decoder.queuedFrames());
    }
    EXPECT_LE(longest, decoder.queueLimit());
    // Waiting instead of dropping: every frame is rendered.
    for (int i = 0; i < 5000 && decoder.rendered.load() < frames; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(decoder.rendered.load(), frames);
}

TEST(DecoderInput, CorruptPacketsDecodeToNothing)
{
    AVFormatContext* format = avformat_alloc_context();
    AVStream* stream = avformat_new_stream(format, nullptr);
    stream->time_base = AVRational{1, 1000};
    stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    stream->codecpar->codec_id = AV_CODEC_ID_H264;
    {
        ProbeDecoder decoder(SyncClock::Video);
        ASSERT_EQ(decoder.openAVCodecContext(stream), 0);
        std::mt19937 rng(3);
        for (int i = 0; i < 50; ++i) {
            AVPacket* packet = av_packet_alloc();
            av_new_packet(packet, 2000);
            for (int b = 0; b < 2000; ++b)
                packet->data[b] = uint8_t(rng());
            packet->pts = packet->dts = i * 40;
            EXPECT_LE(decoder.decode(packet), 1);
            av_packet_free(&packet);
        }
    }
    avformat_free_context(format);
}

TEST(SyncClock, MasterSkipsOnceToTheFollowersFirstFrame)
{
    struct Step {
        double pts;
        bool skipped;
    };
    struct Case {
        const char* what;
        double followerStart;  // < 0: no follower has shown a frame
        std::vector<Step> steps;  // frames of 0.1 s in turn
    };
    const Case cases[] = {
        {"no follower yet", -1, {{4.0, false}, {4.1, false}}},
        {"behind: skipped until the start, then never again",
         5.0,
         {{4.5, true}, {4.8, true}, {4.95, false}, {4.0, false}}},
        {"a frame lasting past the start is kept", 5.0, {{4.95, false}}},
        {"too far behind: a discontinuity, kept", 9.0, {{4.0, false}, {8.5, false}}},
        {"already ahead", 5.0, {{6.0, false}, {4.0, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SyncClock clock;
        if (c.followerStart >= 0) {
            clock.setFollowerStart(c.followerStart);
            clock.setFollowerStart(c.followerStart + 100);  // only the first counts
        }
        for (const Step& s : c.steps)
            EXPECT_EQ(clock.skipToFollower(s.pts, 0.1), s.skipped) << s.pts;
    }
}

namespace {

// Notes the master's time at which each frame is rendered.
class ClockedDecoder : public DecoderBase {
public:
    ClockedDecoder(std::shared_ptr<SyncClock> clock, int type, size_t queueLimit = kMaxQueuedFrames) : m_type(type)
    {
        setQueueLimit(queueLimit);
        m_clock = clock;
        setSyncClock(std::move(clock));
        startRenderThread();
    }
    ~ClockedDecoder() override { stopRenderThread(); }
    int syncType() override { return m_type; }
    void onDecodeFrame(DecodedFrame* frame) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_shown.emplace_back(frame->pts, m_clock->masterClock());
    }
    std::vector<std::pair<double, double>> shown()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_shown;
    }

private:
    int m_type;
    std::shared_ptr<SyncClock> m_clock;
    std::mutex m_lock;
    std::vector<std::pair<double, double>> m_shown;  // guarded by m_lock: (pts, master clock then)
};

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

TEST(DecoderPacing, PicturesShowWhenTheMastersClockReachesThem)
{
    // The master's clock runs with the wall clock from 10.0 s; the pictures
    // start 0.3 s ahead of it (as when the sound is buffered deeper), then
    // one comes 30 s further on (a jump the clock has not made).
    auto clock = std::make_shared<SyncClock>();
    const double t0 = steadySeconds();
    clock->setMasterClock([t0] { return 10.0 + (steadySeconds() - t0); });
    ASSERT_TRUE(clock->start(SyncClock::Audio));
    ClockedDecoder video(clock, SyncClock::Video);
    std::vector<double> times;
    for (int i = 0; i < 10; ++i)
        times.push_back(10.3 + 0.04 * i);
    times.push_back(40.7);
    for (double pts : times) {
        video.waitForRoom();
        video.pushFrame(silentFrame(pts, 1));
    }
    for (int i = 0; i < 5000 && video.shown().size() < times.size(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto shown = video.shown();
    ASSERT_EQ(shown.size(), times.size());
    // The first picture shows at once; every later one not before its time
    // (and not at half pace: none waits for more than the clock).
    EXPECT_LT(shown[0].second, 10.3);
    for (size_t i = 1; i + 1 < shown.size(); ++i)
        EXPECT_GE(shown[i].second, shown[i].first - 0.001) << i;
    // The jump is not waited for: it shows long before the clock gets there.
    EXPECT_LT(shown.back().second, 20.0);
}

TEST(DecoderPacing, AShortQueueWaitsForAMovingMasterInsteadOfDropping)
{
    // The pictures are 0.8 s ahead of the sound (its output buffered deep)
    // and only three may wait decoded: the decode thread waits with them as
    // long as the master's clock moves, and no picture is dropped.
    auto clock = std::make_shared<SyncClock>();
    const double t0 = steadySeconds();
    clock->setMasterClock([t0] { return 10.0 + (steadySeconds() - t0); });
    ASSERT_TRUE(clock->start(SyncClock::Audio));
    ClockedDecoder video(clock, SyncClock::Video, 3);
    const int frames = 25;
    for (int i = 0; i < frames; ++i) {
        video.waitForRoom();
        video.pushFrame(silentFrame(10.8 + 0.04 * i, 1));
    }
    for (int i = 0; i < 5000 && video.shown().size() < size_t(frames); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto shown = video.shown();
    ASSERT_EQ(shown.size(), size_t(frames));
    for (int i = 0; i < frames; ++i)
        EXPECT_NEAR(shown[size_t(i)].first, 10.8 + 0.04 * i, 1e-9) << "picture " << i << " was dropped";
}

TEST(DecoderPacing, PicturesGoOnWhenTheMastersClockStandsStill)
{
    // The sound stopped at 10.0 s (its output ran dry): pictures due after
    // it still come, at their own pace, instead of waiting for ever.
    auto clock = std::make_shared<SyncClock>();
    clock->setMasterClock([] { return 10.0; });
    ASSERT_TRUE(clock->start(SyncClock::Audio));
    ClockedDecoder video(clock, SyncClock::Video);
    const int frames = 12;
    for (int i = 0; i < frames; ++i) {
        video.waitForRoom();
        video.pushFrame(silentFrame(9.96 + 0.04 * i, 1));
    }
    for (int i = 0; i < 10000 && video.shown().size() < size_t(frames); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(video.shown().size(), size_t(frames));
}

namespace {

// A small grey picture as the video decoder renders it.
DecodedFrame* greyPicture(double pts)
{
    auto* decoded = static_cast<DecodedFrame*>(malloc(sizeof(DecodedFrame)));
    decoded->frame = av_frame_alloc();
    decoded->frame->format = AV_PIX_FMT_YUV420P;
    decoded->frame->width = 16;
    decoded->frame->height = 16;
    av_frame_get_buffer(decoded->frame, 0);
    for (int plane = 0; plane < 3; ++plane)
        memset(decoded->frame->data[plane], 128, size_t(decoded->frame->linesize[plane]) * (plane ? 8 : 16));
    decoded->pts = pts;
    return decoded;
}

}  // namespace

TEST(DecoderPacing, PicturesWaitForTheSoundToBeHeardNotOnlyCounted)
{
    // A sound clock that runs at a twentieth of the wall clock's pace: the
    // delay of a picture is many milliseconds of waiting, whatever the load.
    const auto t0 = std::chrono::steady_clock::now();
    auto master = [t0] {
        return 4.95 + 0.05 * std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    auto clock = std::make_shared<SyncClock>();
    clock->setMasterClock(master);
    std::mutex lock;
    std::vector<double> heardAtRender;  // guarded by lock
    avplayer::H264Decoder video([&](void*, int, int) {
        std::lock_guard<std::mutex> l(lock);
        heardAtRender.push_back(master());
    });
    EXPECT_GT(video.showDelay(), 0.005);
    video.setSyncClock(clock);
    ASSERT_TRUE(clock->start(SyncClock::Audio));
    video.pushFrame(greyPicture(4.96));  // the first picture shows at once
    video.pushFrame(greyPicture(5.0));   // this one follows the sound
    for (int i = 0; i < 10000 && video.renderedFrames() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(video.renderedFrames(), 2);
    std::lock_guard<std::mutex> l(lock);
    ASSERT_EQ(heardAtRender.size(), 2u);
    // Rendered once the sound clock had passed the picture's time by the
    // delay, not as soon as it had reached it.
    EXPECT_GE(heardAtRender[1], 5.0 + video.showDelay() - 0.0006);
    EXPECT_LT(heardAtRender[1], 5.0 + video.showDelay() + 0.01);
}
