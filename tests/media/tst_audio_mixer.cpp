// test-labels: tsan
// The audio mixer with synthetic 16-bit PCM: format checks, the master's
// write-back, clipping with gain recovery, channel time-outs, the master
// hand-over, ring overflow, and both feeding threads at once.
#include "common/Clock.h"
#include "media/CAudioMixer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QSet>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}

using Block = std::vector<qint16>;

const uchar* bytes(const Block& b) { return reinterpret_cast<const uchar*>(b.data()); }

Block constant(int frames, qint16 value) { return Block(size_t(frames), value); }

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home();
        mixer.SetFormat(48000, 1);
    }
    // One block of user (16-bit, 48 kHz, mono).
    void feed(const QString& user, Block& block) { mixer.OnAudioConvertMix(user, bytes(block), 16, 48000, 1, int(block.size())); }

    ManualClock clock{100000};
    CAudioMixer mixer{clock};
};

TEST_F(MixerTest, AcceptsOnlyItsOwnFormat)
{
    struct Case {
        int bits, rate, channels;
        bool accepted;
    } cases[] = {
        {16, 48000, 1, true},
        {16, 44100, 1, false},
        {16, 48000, 2, false},
        {8, 48000, 1, false},
        {32, 48000, 1, false},
    };
    for (const Case& c : cases) {
        CAudioMixer m(clock);
        m.SetFormat(48000, 1);
        Block b = constant(480, 100);
        m.OnAudioConvertMix("remote", bytes(b), c.bits, c.rate, c.channels, 480);
        EXPECT_EQ(m.SlotUser(0) == "remote", c.accepted) << c.bits << " " << c.rate << " " << c.channels;
    }
}

TEST_F(MixerTest, MasterAloneIsLeftAsItIsAndTwoSpeakersAreSummedIntoTheMasterBlock)
{
    mixer.SetMixUserCall("teacher", nullptr, true, 0, 0);
    Block master = constant(480, 1000);
    feed("teacher", master);
    EXPECT_EQ(master, constant(480, 1000));  // nothing buffered from anyone else

    Block remote(480);
    for (int i = 0; i < 480; ++i)
        remote[size_t(i)] = qint16(i - 240);
    feed("student", remote);
    EXPECT_EQ(remote[0], -240);  // remote blocks are only buffered
    EXPECT_EQ(mixer.SlotBuffered(1), 960);

    master = constant(480, 1000);
    feed("teacher", master);
    for (int i = 0; i < 480; ++i)
        ASSERT_EQ(master[size_t(i)], 1000 + i - 240) << i;
    EXPECT_EQ(mixer.SlotBuffered(1), 0);  // the remote block was used up

    // Without write-back the master block stays and the receiver gets the mix.
    static std::vector<qint16> received;
    static qint32 contexts[2];
    auto receiver = [](qint32 a, qint32 b, const QString&, const uchar* mix, int, int, int, int frames) {
        contexts[0] = a;
        contexts[1] = b;
        received.assign(reinterpret_cast<const qint16*>(mix), reinterpret_cast<const qint16*>(mix) + frames);
    };
    mixer.SetMixUserCall("teacher", receiver, false, 7, 9);
    feed("student", remote);
    master = constant(480, 1000);
    feed("teacher", master);
    EXPECT_EQ(master, constant(480, 1000));
    ASSERT_EQ(received.size(), 480u);
    EXPECT_EQ(received[0], 1000 - 240);
    EXPECT_EQ(contexts[0], 7);
    EXPECT_EQ(contexts[1], 9);
}

TEST(MixAudio, ClippingScalesTheFollowingSamplesAndTheGainRecovers)
{
    struct Case {
        Block a, b, expected;
    } cases[] = {
        // Sums 40000, 20000, 20000.
        {{20000, 10000, 10000}, {20000, 10000, 10000}, {32767, 16496, 16605}},
        // Sums -40000, -20000: the factor -32768 / -40000.
        {{-20000, -10000}, {-20000, -10000}, {-32768, -16497}},
        // Nothing clips: plain sums.
        {{100, -200, 32000}, {-50, 200, 767}, {50, 0, 32767}},
        // A second call starts again at full gain.
        {{10000, 10000}, {10000, 10000}, {20000, 20000}},
    };
    for (const Case& c : cases) {
        Block out(c.a.size());
        const uchar* inputs[] = {bytes(c.a), bytes(c.b)};
        CAudioMixer::MixAudio(inputs, 2, reinterpret_cast<uchar*>(out.data()), int(out.size() * 2));
        EXPECT_EQ(out, c.expected);
    }
    // The gain climbs back by 1/32 of its distance to 1.0 each sample.
    Block a(200, 0), b(200, 0);
    a[0] = 32767;
    b[0] = 32767;
    for (size_t i = 1; i < 200; ++i)
        a[i] = 16000;
    Block out(200);
    const uchar* inputs[] = {bytes(a), bytes(b)};
    CAudioMixer::MixAudio(inputs, 2, reinterpret_cast<uchar*>(out.data()), 400);
    double f = 32767.0 / 65534.0;
    f += (1.0 - f) / 32;
    for (size_t i = 1; i < 200; ++i) {
        ASSERT_EQ(out[i], qint16(qint32(16000 * f))) << i;
        f += (1.0 - f) / 32;
    }
    EXPECT_GT(out[199], 15980);
}

TEST_F(MixerTest, ConfiguredMasterHoldsEvenWhenARemoteBlockComesFirst)
{
    mixer.SetMixUserCall("teacher", nullptr, true, 0, 0);
    Block remote = constant(480, 300);
    const Block remoteBefore = remote;
    feed("student", remote);
    EXPECT_EQ(mixer.CurrentMaster(), "teacher");
    EXPECT_EQ(remote, remoteBefore);  // the library's buffer is never written
    Block master = constant(480, 1000);
    feed("teacher", master);
    EXPECT_EQ(master, constant(480, 1300));
}

TEST_F(MixerTest, WithoutAConfiguredMasterTheFirstCallerLeadsUntilItFallsSilent)
{
    Block a = constant(480, 10), b = constant(480, 20);
    feed("first", a);
    EXPECT_EQ(mixer.CurrentMaster(), "first");
    feed("second", b);
    EXPECT_EQ(mixer.CurrentMaster(), "first");
    // 2 s without a master block: the master falls back to the configured
    // one (none), so the next caller leads.
    clock.advance(2000);
    b = constant(480, 20);
    feed("second", b);
    EXPECT_EQ(mixer.CurrentMaster(), "second");
}

TEST_F(MixerTest, SilentChannelIsFreedAndAThirdSpeakerIsRefused)
{
    mixer.SetMixUserCall("teacher", nullptr, true, 0, 0);
    Block t = constant(480, 1), s1 = constant(480, 2), s2 = constant(480, 3);
    feed("teacher", t);
    feed("s1", s1);
    EXPECT_EQ(mixer.SlotUser(1), "s1");
    feed("s2", s2);  // both channels busy
    EXPECT_EQ(mixer.SlotUser(0), "teacher");
    EXPECT_EQ(mixer.SlotUser(1), "s1");

    // s1 silent for 2.1 s while the teacher goes on: its channel is freed,
    // its old audio dropped, and s2 takes it with an empty ring.
    for (int i = 0; i < 21; ++i) {
        clock.advance(100);
        t = constant(480, 1);
        feed("teacher", t);
    }
    s2 = constant(480, 3);
    feed("s2", s2);
    EXPECT_EQ(mixer.SlotUser(1), "s2");
    EXPECT_EQ(mixer.SlotBuffered(1), 960);
    t = constant(480, 1);
    feed("teacher", t);
    EXPECT_EQ(t, constant(480, 4));
}

TEST_F(MixerTest, RingKeepsTheNewestAudioAndCutsOversizedBlocks)
{
    mixer.SetMixUserCall("teacher", nullptr, true, 0, 0);
    Block t = constant(2000, 0);
    feed("teacher", t);
    for (qint16 v : {1, 2, 3}) {  // 3 x 4000 bytes into a ring of 8192
        Block r = constant(2000, v);
        feed("student", r);
    }
    EXPECT_EQ(mixer.SlotBuffered(1), CAudioMixer::kRingBytes);
    t = constant(2000, 0);
    feed("teacher", t);
    // The oldest 3808 bytes went first: 96 samples of block 1, then block 2.
    EXPECT_EQ(t[0], 1);
    EXPECT_EQ(t[95], 1);
    EXPECT_EQ(t[96], 2);
    EXPECT_EQ(t[1999], 2);

    // A master block larger than the ring is cut and nothing is mixed.
    Block big = constant(5000, 7);
    feed("teacher", big);
    EXPECT_EQ(big, constant(5000, 7));
}

TEST_F(MixerTest, BothFeedingThreadsAtOnce)
{
    mixer.SetMixUserCall("teacher", nullptr, true, 0, 0);
    std::atomic<bool> go{false};
    std::atomic<int> bad{0};
    std::thread remote([&] {
        while (!go) {
        }
        for (int i = 0; i < 2000; ++i) {
            Block r = constant(480, 5);
            feed("student", r);
            clock.advance(1);
        }
    });
    std::thread master([&] {
        while (!go) {
        }
        for (int i = 0; i < 2000; ++i) {
            Block t = constant(480, 100);
            feed("teacher", t);
            // Either untouched or the whole block mixed with the student.
            for (qint16 s : t)
                if (s != 100 && s != 105)
                    ++bad;
        }
    });
    go = true;
    remote.join();
    master.join();
    EXPECT_EQ(bad.load(), 0);
    // Each holds one channel, whichever came first.
    EXPECT_EQ(QSet<QString>({mixer.SlotUser(0), mixer.SlotUser(1)}), QSet<QString>({"teacher", "student"}));
}

}  // namespace
