// The growing byte ring behind the packet queue and the audio output.
#include "libs/avplayer/ByteRing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <random>

using avplayer::ByteRing;

TEST(ByteRing, GrowsByDoublingFromTheFirstPush)
{
    ByteRing ring;
    std::vector<size_t> capacities;
    for (uint32_t i = 0; i < 10; ++i) {
        ASSERT_TRUE(ring.push(&i, 4));
        capacities.push_back(ring.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<size_t>{4, 8, 16, 16, 32, 32, 32, 32, 64, 64}));
    for (uint32_t i = 0; i < 10; ++i) {
        uint32_t v = 99;
        ASSERT_EQ(ring.pop(&v, 4), 4u);
        EXPECT_EQ(v, i);  // a full, unwrapped block grows without losing its first entry
    }
    EXPECT_EQ(ring.size(), 0u);
}

TEST(ByteRing, GrowingAWrappedRingMovesTheTailBehindTheNewSpace)
{
    ByteRing ring;
    for (uint32_t i = 0; i < 4; ++i)
        ring.push(&i, 4);  // capacity 16, full
    uint32_t v;
    ring.pop(&v, 4);
    ring.pop(&v, 4);  // start 8
    for (uint32_t i = 4; i < 6; ++i)
        ring.push(&i, 4);  // wraps: end 8 == start
    ASSERT_EQ(ring.start(), ring.end());
    const uint32_t six = 6;
    ring.push(&six, 4);  // grows to 32; the stretch 8..16 moves to 24..32
    EXPECT_EQ(ring.capacity(), 32u);
    EXPECT_EQ(ring.start(), 24u);
    for (uint32_t want = 2; want <= 6; ++want) {
        ASSERT_EQ(ring.pop(&v, 4), 4u);
        EXPECT_EQ(v, want);
    }
}

TEST(ByteRing, MatchesAQueueUnderRandomTraffic)
{
    ByteRing ring;
    std::deque<uint8_t> model;
    std::mt19937 rng(7);
    uint8_t next = 0;
    for (int step = 0; step < 5000; ++step) {
        const size_t n = rng() % 37;
        if (rng() % 2) {
            std::vector<uint8_t> bytes(n);
            for (auto& b : bytes)
                model.push_back(b = next++);
            ASSERT_TRUE(ring.push(bytes.data(), n));
        } else {
            std::vector<uint8_t> out(n);
            const size_t got = ring.pop(out.data(), n);
            ASSERT_EQ(got, std::min(n, model.size()));
            for (size_t i = 0; i < got; ++i) {
                ASSERT_EQ(out[i], model.front());
                model.pop_front();
            }
        }
        ASSERT_EQ(ring.size(), model.size());
    }
}
