// test-labels: tsan
// The demux-to-decode packet queue: order, backlog behind the newest
// packet, waking a waiting consumer, and every packet freed.
#include "libs/avplayer/PacketQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

using avplayer::PacketPtr;
using avplayer::PacketQueue;

namespace {

PacketPtr packetAt(int64_t dts, int den = 1000, int stream = 0)
{
    PacketPtr p = avplayer::makePacket();
    p->dts = dts;
    p->time_base = AVRational{1, den};
    p->stream_index = stream;
    return p;
}

}  // namespace

TEST(PacketQueue, OldestFirstWithItsDistanceToTheNewest)
{
    PacketQueue q;
    q.push(packetAt(1000));
    q.push(packetAt(1500));
    q.push(packetAt(AV_NOPTS_VALUE));  // unknown time: the newest time is unknown too
    q.push(packetAt(4000));
    double backlog = -1;
    PacketPtr p = q.pop(0, &backlog);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->dts, 1000);
    EXPECT_DOUBLE_EQ(backlog, 3.0);
    p = q.pop(0, &backlog);
    EXPECT_EQ(p->dts, 1500);
    EXPECT_DOUBLE_EQ(backlog, 2.5);
    p = q.pop(0, &backlog);
    EXPECT_DOUBLE_EQ(backlog, 0.0);  // its own time is unknown
    EXPECT_EQ(q.size(), 1u);
    q.clear();
    EXPECT_EQ(q.size(), 0u);
    EXPECT_FALSE(q.pop(0, &backlog));
    EXPECT_DOUBLE_EQ(backlog, 0.0);
    EXPECT_DOUBLE_EQ(PacketQueue::seconds(packetAt(AV_NOPTS_VALUE).get()), -1.0);
}

TEST(PacketQueue, TimeStampJumpsAndStreamOffsetsNeverLookLikeABacklog)
{
    // Two seconds of 25 fps video queued, with its time stamps jumping
    // forward 30 s, then back 20 s; the sound's clock runs 1000 s apart.
    PacketQueue q;
    int64_t video = 0;
    for (int i = 0; i < 50; ++i) {
        if (i == 15)
            video += 30000;
        if (i == 35)
            video -= 20000;
        q.push(packetAt(video, 1000, 0));
        q.push(packetAt(1000000 + i * 40, 1000, 1));
        video += 40;
    }
    double most = 0;
    for (int i = 0; i < 100; ++i) {
        double backlog = -1;
        ASSERT_TRUE(q.pop(0, &backlog));
        EXPECT_GE(backlog, 0.0) << i;
        most = std::max(most, backlog);
    }
    EXPECT_NEAR(most, 49 * 0.04, 0.05);  // the queue really holds two seconds, no more
}

TEST(PacketQueue, ProducerAndConsumerOnTwoThreads)
{
    PacketQueue q;
    constexpr int kCount = 5000;
    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i)
            q.push(packetAt(i));
    });
    int expected = 0;
    while (expected < kCount) {
        PacketPtr p = q.pop(1000);
        ASSERT_TRUE(p) << "no packet after " << expected;
        EXPECT_EQ(p->dts, expected);
        ++expected;
    }
    producer.join();
    EXPECT_EQ(q.size(), 0u);
}

TEST(PacketQueue, WakeReleasesAWaitingConsumer)
{
    PacketQueue q;
    std::atomic<bool> returned{false};
    std::thread consumer([&] {
        PacketPtr p = q.pop(60000);
        EXPECT_FALSE(p);
        returned = true;
    });
    while (!returned) {
        q.wake();
        std::this_thread::yield();
    }
    consumer.join();
}
