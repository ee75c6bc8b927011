// test-labels: tsan
// The shared "a live player is playing" status, counted per player: one
// player's stop leaves the status set while another still plays.
#include "app/CData.h"
#include "media/PlayerPlayingStatus.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

bool status() { return CData::instance()->GetStatus(kStatusLivePlayerPlaying); }

TEST(PlayerPlayingStatus, CountedPerPlayer)
{
    static testsupport::TempHome home;
    int a = 0, b = 0;  // two players, known by their addresses
    struct Step {
        const void* player;
        bool playing;
        bool status;
        int count;
    } steps[] = {
        {&a, true, true, 1},
        {&b, true, true, 2},
        {&a, true, true, 2},    // a second start of the same player counts once
        {&a, false, true, 1},   // b still plays
        {&a, false, true, 1},   // a second stop changes nothing
        {&b, false, false, 0},
    };
    for (const Step& s : steps) {
        PlayerPlayingStatus::SetPlaying(s.player, s.playing);
        EXPECT_EQ(status(), s.status);
        EXPECT_EQ(PlayerPlayingStatus::Count(), s.count);
        EXPECT_EQ(PlayerPlayingStatus::IsPlaying(s.player), s.playing);
    }

    // Players on their own threads starting and stopping at once: the
    // status follows the last one to stop.
    int players[4];
    std::vector<std::thread> threads;
    for (int& p : players)
        threads.emplace_back([&p] {
            for (int i = 0; i < 500; ++i) {
                PlayerPlayingStatus::SetPlaying(&p, true);
                PlayerPlayingStatus::SetPlaying(&p, i == 499);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_TRUE(status());
    for (int& p : players)
        PlayerPlayingStatus::SetPlaying(&p, false);
    EXPECT_FALSE(status());
}

}  // namespace
