// test-labels: tsan
// The room's remote-audio mix under its threads: two library threads hand
// over frames while the GUI thread resets the mix (leaving a room) and the
// broadcast window comes and goes.
#include "app/Room.h"
#include "app/BroadcastAudioLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(RoomMixerThreads, FramesResetsAndTheWindowMayMeetAtAnyTime)
{
    Room* room = Room::instance();
    std::atomic<int> blocks{0};
    std::atomic<bool> running{true};
    auto speaker = [&](const char* user) {
        std::vector<qint16> frame(960, 100);
        while (running.load())
            room->OnAudioDataBC(user, frame.data(), 16, 48000, 1, int(frame.size()), 0, 0);
    };
    std::thread a(speaker, "2001");
    std::thread b(speaker, "2002");
    for (int i = 0; i < 200; ++i) {
        BroadcastAudioLink::instance().SetMixAudio(
            [&](const QString&, const void* data, int, int, int, int frames, int, int) {
                if (data && frames == 960)
                    ++blocks;
            });
        room->ExitRoom();
        std::this_thread::yield();
        BroadcastAudioLink::instance().SetMixAudio(nullptr);
    }
    BroadcastAudioLink::instance().SetMixAudio([&](const QString&, const void*, int, int, int, int, int, int) {
        ++blocks;
    });
    const int before = blocks.load();
    while (blocks.load() < before + 10)
        std::this_thread::yield();
    running = false;
    a.join();
    b.join();
    BroadcastAudioLink::instance().SetMixAudio(nullptr);
    EXPECT_GE(blocks.load(), before + 10);
}
