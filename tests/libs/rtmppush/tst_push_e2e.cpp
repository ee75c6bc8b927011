// test-labels: e2e
// test-sources: StreamProbe.cpp
// The push library against a real RTMP server on loopback: what it publishes,
// how it reports failures, and how it comes back after the server restarts.
#include "libs/mediacore/AvPtr.h"
#include "libs/rtmppush/RTMPHoster.h"
#include "tests/libs/rtmppush/StreamProbe.h"

#include "HttpFixture.h"
#include "NginxFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace mediatest;

namespace {

class RecordingEvents : public RTMPHosterEvent {
public:
    void OnRtmpStreamOK() override { log.add("ok"); }
    void OnRtmpStreamReconnecting(int) override { log.add("reconnecting"); }
    void OnRtmpStreamStatus(int, int) override { log.add("status"); }
    void OnRtmpStreamFailed(int code) override { log.add("failed" + std::to_string(code)); }
    void OnRtmpStreamClosed() override { log.add("closed"); }
    void OnAudioData(uint8_t* data, int frames, int, int channels, int rate, bool) override
    {
        std::memset(data, 0, size_t(frames) * channels * 2);  // the block may be changed in place
        audioBlocks++;
        audioFormatOk = audioFormatOk && channels == 1 && rate == 48000;
    }
    void OnRtmpLog(const char* text, int length) override
    {
        logLines++;
        lastLogLengthOk = lastLogLengthOk && int(std::strlen(text)) == length;
    }
    EventLog log;
    std::atomic<int> audioBlocks{0};
    std::atomic<bool> audioFormatOk{true};
    std::atomic<int> logLines{0};
    std::atomic<bool> lastLogLengthOk{true};
};

struct Preview {
    static void onFrame(void* ctx, const RTMPFrameRecord* record, const uint8_t* pixels)
    {
        auto* self = static_cast<Preview*>(ctx);
        self->width = record->width;
        self->height = record->height;
        self->sizeOk = self->sizeOk && record->byteCount == record->width * std::abs(record->height) * 4 && pixels;
        self->frames++;
    }
    std::atomic<int> frames{0};
    std::atomic<int> width{0};
    std::atomic<int> height{0};
    std::atomic<bool> sizeOk{true};
};

class PushE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::NginxFixture::Options options;
        options.http = false;
        options.rtmp = true;
        nginx = std::make_unique<testsupport::NginxFixture>(options);
        ASSERT_TRUE(nginx->start()) << nginx->error();
        hoster = RTMPHoster::Create(events);
        ASSERT_NE(nullptr, hoster);
    }
    void TearDown() override { RTMPHoster::Destory(hoster); }

    std::unique_ptr<testsupport::NginxFixture> nginx;
    RecordingEvents events;
    RTMPHoster* hoster = nullptr;
};

}  // namespace

TEST_F(PushE2E, PublishesH264AndAacWithStampedKeyFramesEverySecond)
{
    Preview preview;
    RTMPVideoRender render;
    render.onFrame = &Preview::onFrame;
    render.context = &preview;
    hoster->SetVideoMode(0);
    hoster->EnableVideo(true);
    hoster->SetVideoRender(&render);
    hoster->SetAudioFormat(48000, 1, false);
    hoster->SetTimestamp(3000);  // the server's clock runs 3 s behind ours (local - server)
    const std::string url = nginx->rtmpUrl("teacher");
    ASSERT_EQ(RTMPHOSTER_OK, hoster->StartRtmpStream(url.c_str()));
    EXPECT_EQ(RTMPHOSTER_ERR_RUNNING, hoster->StartRtmpStream(url.c_str()));
    ASSERT_TRUE(waitFor([&] { return events.log.count("ok") == 1; })) << events.log.text();

    const std::string streams = runCapture({"ffprobe", "-v", "error", "-show_entries",
                                            "stream=codec_name,width,height,sample_rate,channels", "-of",
                                            "compact=p=0:nk=0", url});
    EXPECT_NE(std::string::npos, streams.find("codec_name=h264|width=320|height=240")) << streams;
    EXPECT_NE(std::string::npos, streams.find("codec_name=aac|sample_rate=48000|channels=1")) << streams;

    const ProbeResult r = probe(url, 4500);
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_GE(r.keyFrameMs.size(), 3u);
    for (size_t i = 1; i < r.keyFrameMs.size(); ++i) {
        const int64_t gap = r.keyFrameMs[i] - r.keyFrameMs[i - 1];
        EXPECT_GE(gap, 900) << i;
        EXPECT_LE(gap, 1100) << i;
    }
    const int64_t expected = mediacore::epochMs() - 3000;
    for (int64_t stamp : r.stamps) {
        EXPECT_GT(stamp, expected - 15000);
        EXPECT_LE(stamp, expected + 1000);
    }
    EXPECT_GT(r.audioPackets, 100);  // 4.5 s of 1024-sample AAC frames at 48 kHz is ~210

    EXPECT_GT(preview.frames.load(), 10);
    EXPECT_EQ(320, preview.width.load());
    EXPECT_EQ(240, preview.height.load());
    EXPECT_TRUE(preview.sizeOk.load());
    EXPECT_GT(events.audioBlocks.load(), 20);
    EXPECT_TRUE(events.audioFormatOk.load());

    hoster->SetVideoRender(nullptr);
    const int framesAfterDetach = preview.frames.load();
    hoster->StopRtmpStream();
    EXPECT_EQ(1, events.log.count("closed"));  // before the call returned
    EXPECT_EQ(framesAfterDetach, preview.frames.load());
    EXPECT_GT(events.logLines.load(), 0);
    EXPECT_TRUE(events.lastLogLengthOk.load());
}

TEST_F(PushE2E, ReconnectsWhenTheServerComesBack)
{
    hoster->SetVideoMode(0);
    const std::string url = nginx->rtmpUrl("again");
    ASSERT_EQ(RTMPHOSTER_OK, hoster->StartRtmpStream(url.c_str()));
    ASSERT_TRUE(waitFor([&] { return events.log.count("ok") == 1; })) << events.log.text();

    nginx->stop();
    ASSERT_TRUE(waitFor([&] { return events.log.count("reconnecting") >= 2; })) << events.log.text();
    EXPECT_EQ(1, events.log.count("ok"));
    ASSERT_TRUE(nginx->start()) << nginx->error();
    ASSERT_TRUE(waitFor([&] { return events.log.count("ok") == 2; })) << events.log.text();

    // The reports came in order: connected, retries, connected again.
    std::vector<std::string> order;
    for (const auto& e : events.log.all())
        if (e != "status" && (order.empty() || order.back() != e))
            order.push_back(e);
    EXPECT_EQ((std::vector<std::string>{"ok", "reconnecting", "ok"}), order) << events.log.text();

    const ProbeResult r = probe(url, 2500);
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_GE(r.keyFrameMs.size(), 1u);
    EXPECT_GT(r.audioPackets, 20);
}

TEST_F(PushE2E, FailuresAreReportedWithTheirCodes)
{
    // Addresses that are no RTMP address are refused by the call itself.
    for (const char* bad : {"", "http://127.0.0.1/live/x", "rtmp://", "rtmp://127.0.0.1"})
        EXPECT_EQ(RTMPHOSTER_ERR_BAD_URL, hoster->StartRtmpStream(bad)) << bad;
    EXPECT_EQ(0, events.log.count("ok"));

    // A port nobody listens on: the call starts, the connection fails (-2)
    // and the library keeps trying.
    testsupport::NginxFixture::Options closedOptions;
    closedOptions.http = false;
    closedOptions.rtmp = true;
    testsupport::NginxFixture closed(closedOptions);
    ASSERT_TRUE(closed.start());
    const std::string deadUrl = closed.rtmpUrl("x");
    closed.stop();
    ASSERT_EQ(RTMPHOSTER_OK, hoster->StartRtmpStream(deadUrl.c_str()));
    ASSERT_TRUE(waitFor([&] { return events.log.count("reconnecting") >= 1; })) << events.log.text();
    EXPECT_EQ("failed-2", events.log.all().front()) << events.log.text();
    hoster->StopRtmpStream();

    // A server that refuses the stream key: -3.
    testsupport::HttpFixture auth;
    auth.server().Post("/publish", [](const httplib::Request& req, httplib::Response& res) {
        res.status = req.get_param_value("name").rfind("refused", 0) == 0 ? 403 : 200;
    });
    ASSERT_TRUE(auth.start());
    testsupport::NginxFixture::Options options;
    options.http = false;
    options.rtmp = true;
    options.extraRtmpAppConf = "      on_publish " + auth.url("/publish") + ";";
    testsupport::NginxFixture guarded(options);
    ASSERT_TRUE(guarded.start()) << guarded.error();
    RecordingEvents refusedEvents;
    RTMPHoster* second = RTMPHoster::Create(refusedEvents);
    ASSERT_EQ(RTMPHOSTER_OK, second->StartRtmpStream(guarded.rtmpUrl("refusedKey").c_str()));
    ASSERT_TRUE(waitFor([&] { return refusedEvents.log.count("failed-3") == 1; })) << refusedEvents.log.text();
    EXPECT_EQ(0, refusedEvents.log.count("ok"));
    RTMPHoster::Destory(second);
    EXPECT_EQ(1, refusedEvents.log.count("closed"));
}
