// test-labels: e2e
// Volume backends: a private PulseAudio server's null sink and source are
// set and read back; the in-memory backend keeps the same behaviour; a dead
// server gives a clear failure, not a hang.
#include "platform/MemoryVolumeBackend.h"
#include "PulseFixture.h"
#include "platform/PulseVolumeBackend.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

using testsupport::PulseFixture;

namespace {

class PulseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_pulse = new PulseFixture;
        if (!s_pulse->installed())
            return;
        s_started = s_pulse->start();
    }
    static void TearDownTestSuite()
    {
        delete s_pulse;
        s_pulse = nullptr;
    }
    void SetUp() override
    {
        if (!s_pulse->installed())
            GTEST_SKIP() << "pulseaudio is not installed";
        ASSERT_TRUE(s_started) << s_pulse->error();
    }

    static PulseFixture* s_pulse;
    static bool s_started;
};

PulseFixture* PulseTest::s_pulse = nullptr;
bool PulseTest::s_started = false;

bool contains(const std::vector<VolumeLine>& lines, const std::string& id)
{
    for (const VolumeLine& l : lines)
        if (l.id == id)
            return true;
    return false;
}

}  // namespace

TEST_F(PulseTest, SetsAndReadsBackNullSinkAndSource)
{
    PulseVolumeBackend pulse(s_pulse->server());
    ASSERT_TRUE(pulse.Connect());
    EXPECT_STREQ(pulse.Kind(), "pulseaudio");
    EXPECT_EQ(pulse.MaxVolume(), 65536u);

    std::vector<VolumeLine> sinks, sources;
    ASSERT_TRUE(pulse.ListDevices(VolumeDevice::Playback, sinks));
    ASSERT_TRUE(pulse.ListDevices(VolumeDevice::Capture, sources));
    EXPECT_TRUE(contains(sinks, PulseFixture::kSink));
    EXPECT_TRUE(contains(sources, PulseFixture::kSource));
    // The sink's monitor is no microphone.
    EXPECT_FALSE(contains(sources, std::string(PulseFixture::kSink) + ".monitor"));
    EXPECT_FALSE(pulse.DefaultDevice(VolumeDevice::Playback).empty());

    struct Case {
        VolumeDevice kind;
        const char* id;
        uint32_t set;
    } cases[] = {
        {VolumeDevice::Playback, PulseFixture::kSink, 26214},
        {VolumeDevice::Playback, PulseFixture::kSink, 0},
        {VolumeDevice::Playback, PulseFixture::kSink, 65536},
        {VolumeDevice::Capture, PulseFixture::kSource, 32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " " + std::to_string(c.set));
        ASSERT_TRUE(pulse.SetVolume(c.kind, c.id, c.set));
        uint32_t got = 1;
        ASSERT_TRUE(pulse.GetVolume(c.kind, c.id, got));
        EXPECT_EQ(got, c.set);
        // A second connection (another program) sees the same volume.
        PulseVolumeBackend other(s_pulse->server());
        ASSERT_TRUE(other.GetVolume(c.kind, c.id, got));
        EXPECT_EQ(got, c.set);
    }
    // Above full volume is capped.
    ASSERT_TRUE(pulse.SetVolume(VolumeDevice::Playback, PulseFixture::kSink, 200000));
    uint32_t got = 0;
    ASSERT_TRUE(pulse.GetVolume(VolumeDevice::Playback, PulseFixture::kSink, got));
    EXPECT_EQ(got, 65536u);

    uint32_t none = 0;
    EXPECT_FALSE(pulse.GetVolume(VolumeDevice::Playback, "no_such_sink", none));
    EXPECT_FALSE(pulse.SetVolume(VolumeDevice::Capture, "no_such_source", 1));
    // The connection survives a failed request.
    EXPECT_TRUE(pulse.GetVolume(VolumeDevice::Playback, PulseFixture::kSink, got));
}

TEST_F(PulseTest, ServerGoneFailsQuicklyAndReconnects)
{
    // Request time-outs: long enough for a loaded machine to answer, short
    // enough that the four failing calls below stay within the bound.
    PulseVolumeBackend pulse(s_pulse->server(), 4000);
    uint32_t got = 0;
    ASSERT_TRUE(pulse.GetVolume(VolumeDevice::Playback, PulseFixture::kSink, got));
    s_pulse->stop();
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(pulse.GetVolume(VolumeDevice::Playback, PulseFixture::kSink, got));
    EXPECT_FALSE(pulse.SetVolume(VolumeDevice::Playback, PulseFixture::kSink, 1));
    std::vector<VolumeLine> lines;
    EXPECT_FALSE(pulse.ListDevices(VolumeDevice::Playback, lines));
    EXPECT_EQ(pulse.DefaultDevice(VolumeDevice::Playback), "");
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));

    // A server that answers again is used again.
    s_started = s_pulse->start();
    ASSERT_TRUE(s_started) << s_pulse->error();
    PulseVolumeBackend again(s_pulse->server(), 10000);
    EXPECT_TRUE(again.GetVolume(VolumeDevice::Playback, PulseFixture::kSink, got));
}

TEST(VolumeBackend, NoServerMeansNoConnection)
{
    testsupport::TempDir dir;
    PulseVolumeBackend pulse("unix:" + dir.path() + "/nothing-here", 500);
    EXPECT_FALSE(pulse.Connect());
    uint32_t v = 0;
    EXPECT_FALSE(pulse.GetVolume(VolumeDevice::Playback, "x", v));
}

TEST(VolumeBackend, MemoryBackendKeepsVolumes)
{
    MemoryVolumeBackend mem;
    EXPECT_STREQ(mem.Kind(), "memory");
    const std::string mic = mem.DefaultDevice(VolumeDevice::Capture);
    const std::string spk = mem.DefaultDevice(VolumeDevice::Playback);
    ASSERT_FALSE(mic.empty());
    ASSERT_FALSE(spk.empty());
    uint32_t v = 0;
    ASSERT_TRUE(mem.GetVolume(VolumeDevice::Playback, spk, v));
    EXPECT_EQ(v, mem.MaxVolume());
    ASSERT_TRUE(mem.SetVolume(VolumeDevice::Capture, mic, 1234));
    ASSERT_TRUE(mem.GetVolume(VolumeDevice::Capture, mic, v));
    EXPECT_EQ(v, 1234u);
    ASSERT_TRUE(mem.SetVolume(VolumeDevice::Capture, mic, 999999));
    ASSERT_TRUE(mem.GetVolume(VolumeDevice::Capture, mic, v));
    EXPECT_EQ(v, mem.MaxVolume());
    EXPECT_FALSE(mem.SetVolume(VolumeDevice::Capture, spk, 1));  // a speaker is no microphone

    MemoryVolumeBackend empty(100, false);
    EXPECT_EQ(empty.DefaultDevice(VolumeDevice::Capture), "");
    std::vector<VolumeLine> lines;
    EXPECT_TRUE(empty.ListDevices(VolumeDevice::Capture, lines));
    EXPECT_TRUE(lines.empty());
}
