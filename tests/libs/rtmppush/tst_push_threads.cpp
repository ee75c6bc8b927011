// test-labels: tsan
// test-sources: StreamProbe.cpp
// The push library's threads: events in order from one thread, a preview
// detached while frames arrive, start and stop cycles with nothing left
// running. Also run under ThreadSanitizer.
#include "libs/mediacore/EventQueue.h"
#include "libs/rtmppush/RTMPHoster.h"
#include "tests/libs/rtmppush/StreamProbe.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace mediatest;

TEST(PushThreads, EventQueueRunsInOrderAndFlushWaits)
{
    std::vector<int> seen;  // written on the queue's thread only
    std::thread::id queueThread;
    {
        mediacore::EventQueue queue;
        for (int i = 0; i < 200; ++i)
            queue.post([&, i] {
                seen.push_back(i);
                queueThread = std::this_thread::get_id();
            });
        queue.flush();
        ASSERT_EQ(200u, seen.size());
        EXPECT_NE(std::this_thread::get_id(), queueThread);
        // Posted before destruction: still run.
        queue.post([&] { seen.push_back(200); });
    }
    ASSERT_EQ(201u, seen.size());
    for (int i = 0; i <= 200; ++i)
        EXPECT_EQ(i, seen[size_t(i)]);
}

namespace {
class CountingEvents : public RTMPHosterEvent {
public:
    void OnRtmpStreamOK() override {}
    void OnRtmpStreamReconnecting(int) override { reconnecting++; }
    void OnRtmpStreamStatus(int, int) override {}
    void OnRtmpStreamFailed(int) override { failed++; }
    void OnRtmpStreamClosed() override { closed++; }
    void OnAudioData(uint8_t*, int, int, int, int, bool) override { audio++; }
    void OnRtmpLog(const char*, int) override {}
    std::atomic<int> reconnecting{0}, failed{0}, closed{0}, audio{0};
};
}  // namespace

TEST(PushThreads, StartStopCyclesWhileThePreviewComesAndGoes)
{
    CountingEvents events;
    RTMPHoster* hoster = RTMPHoster::Create(events);
    ASSERT_NE(nullptr, hoster);
    std::atomic<int> frames{0};
    RTMPVideoRender render;
    render.onFrame = [](void* ctx, const RTMPFrameRecord*, const uint8_t*) { ++*static_cast<std::atomic<int>*>(ctx); };
    render.context = &frames;
    hoster->SetVideoMode(0);
    // Nobody listens there: the push keeps retrying in the background.
    const std::string url = "rtmp://127.0.0.1:" + std::to_string(testsupport::freeTcpPort()) + "/live/x";
    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_EQ(RTMPHOSTER_OK, hoster->StartRtmpStream(url.c_str()));
        std::atomic<bool> stop{false};
        std::thread toggler([&] {
            for (int i = 0; !stop; ++i) {
                hoster->SetVideoRender(i % 2 ? nullptr : &render);
                render.holdPicture = i % 3 == 0;
                hoster->SetTimestamp(i);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        ASSERT_TRUE(waitFor([&] { return frames.load() > 3 * (cycle + 1) && events.failed.load() > cycle; }));
        stop = true;
        toggler.join();
        hoster->SetVideoRender(nullptr);
        hoster->StopRtmpStream();
        EXPECT_EQ(cycle + 1, events.closed.load());
    }
    const int after = frames.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(after, frames.load()) << "frames after the stop";
    EXPECT_GT(events.audio.load(), 0);
    RTMPHoster::Destory(hoster);
}
