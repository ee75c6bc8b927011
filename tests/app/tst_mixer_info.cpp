// Microphone mixer and speaker volume on the 0..100 scale, over an in-memory
// volume backend (and a PulseAudio server's null devices end to end).
#include "app/CMixerInfo.h"
#include "app/Logger.h"
#include "platform/MemoryVolumeBackend.h"
#include "app/SystemInfo.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

testsupport::TempHome g_home;  // goes, and cleans up, when the program ends

std::string logText()
{
    return testsupport::readFile(Logger::instance()->fileName().toStdString());
}

// A backend whose every call fails, or whose range is empty.
class BrokenBackend : public MemoryVolumeBackend {
public:
    explicit BrokenBackend(uint32_t max) : MemoryVolumeBackend(max) {}
    bool failReads = false;
    bool GetVolume(VolumeDevice kind, const std::string& id, uint32_t& value) override
    {
        return !failReads && MemoryVolumeBackend::GetVolume(kind, id, value);
    }
};

}  // namespace

TEST(CMixerInfo, TwoCaptureLinesSetBothReadTheFirstByName)
{
    MemoryVolumeBackend b(65535, false);
    b.AddDevice(VolumeDevice::Capture, "USB Mic", "usb", 0);
    b.AddDevice(VolumeDevice::Capture, "Built-in Mic", "builtin", 65535);
    b.AddDevice(VolumeDevice::Playback, "Speakers", "spk", 1000);
    CMixerInfo m(&b);
    EXPECT_FALSE(m.IsInited());
    EXPECT_EQ(m.GetValue(), 0);
    m.SetValue(30);  // not initialised: only logs
    ASSERT_TRUE(m.Init(CMixerInfo::kWaveInDestination, 0, 100));
    EXPECT_FALSE(m.Init(CMixerInfo::kWaveInDestination, 0, 100));  // once only
    EXPECT_EQ(m.GetValue(), 100);  // "Built-in Mic" sorts first

    m.SetValue(50);
    uint32_t usb = 0, builtin = 0, spk = 0;
    ASSERT_TRUE(b.GetVolume(VolumeDevice::Capture, "usb", usb));
    ASSERT_TRUE(b.GetVolume(VolumeDevice::Capture, "builtin", builtin));
    ASSERT_TRUE(b.GetVolume(VolumeDevice::Playback, "spk", spk));
    EXPECT_EQ(usb, 32767u);  // 65535 x 50 / 100
    EXPECT_EQ(builtin, 32767u);
    EXPECT_EQ(spk, 1000u);     // speakers untouched
    EXPECT_EQ(m.GetValue(), 49);  // 100 x 32767 / 65535
    std::string log = logText();
    EXPECT_NE(log.find("Mic volume control add: USB Mic"), std::string::npos);
    EXPECT_NE(log.find("mixerSetControlDetails success value = 32767 dev_name = Built-in Mic"), std::string::npos);
    EXPECT_NE(log.find("leave func CMixerInfo::SetValue"), std::string::npos);

    m.SetValue(-20);  // below the scale: the bottom
    EXPECT_EQ(m.GetValue(), 0);
    m.SetValue(250);  // above: the top
    EXPECT_EQ(m.GetValue(), 100);
}

TEST(CMixerInfo, NoLinesUnreadableLinesAndEmptyRanges)
{
    MemoryVolumeBackend none(65535, false);
    CMixerInfo empty(&none);
    EXPECT_FALSE(empty.Init(CMixerInfo::kWaveInDestination, 0, 100));
    EXPECT_EQ(empty.GetValue(), 0);

    CMixerInfo other(&none);
    EXPECT_FALSE(other.Init(12, 0, 100));  // an unknown type scans nothing

    BrokenBackend broken(65535);
    CMixerInfo m(&broken);
    ASSERT_TRUE(m.Init(CMixerInfo::kWaveInDestination, 0, 100));
    broken.failReads = true;
    EXPECT_EQ(m.GetValue(), CMixerInfo::kNoControl);
    EXPECT_NE(logText().find("mixerGetLineControls called failed code"), std::string::npos);
    m.SetValue(10);  // logged per line, nothing set
    broken.failReads = false;
    EXPECT_EQ(m.GetValue(), 100);

    // A backend without a range and a caller scale of 0 divide by nothing.
    BrokenBackend flat(0);
    CMixerInfo f(&flat);
    ASSERT_TRUE(f.Init(CMixerInfo::kWaveInDestination, 0, 100));
    EXPECT_EQ(f.GetValue(), 0);
    f.SetValue(40);
    MemoryVolumeBackend normal(65535);
    CMixerInfo zeroScale(&normal);
    ASSERT_TRUE(zeroScale.Init(CMixerInfo::kWaveInDestination, 0, 0));
    EXPECT_EQ(zeroScale.GetValue(), 0);
    zeroScale.SetValue(40);
    uint32_t v = 0;
    ASSERT_TRUE(normal.GetVolume(VolumeDevice::Capture, normal.DefaultDevice(VolumeDevice::Capture), v));
    EXPECT_EQ(v, 65535u);  // kept
}

// The process-wide functions over the installed backend.
TEST(Volumes, SpeakerAndMicrophoneShortcuts)
{
    auto* mem = new MemoryVolumeBackend(65536);
    VolumeBackend::Install(std::unique_ptr<VolumeBackend>(mem));
    for (int v : {0, 1, 33, 40, 57, 99, 100}) {
        SetSpeakerVolume(v);
        EXPECT_EQ(GetSpeakerVolume(), v);  // every whole percentage reads back
    }
    SetSpeakerVolume(140);
    EXPECT_EQ(GetVolume(), 100);
    EXPECT_EQ(GetMicVolume(), 100);
    SetMicVolume(25);
    EXPECT_EQ(GetMicVolume(), 25);

    std::vector<std::string> names{"kept"}, ids{"kept"};
    EXPECT_TRUE(GetAudioInputDevices(names, ids));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], "Microphone");
    EXPECT_EQ(ids[1], "memory_input");

    // No playback device at all: the documented 60, a log line, no change.
    VolumeBackend::Install(std::unique_ptr<VolumeBackend>(new MemoryVolumeBackend(65536, false)));
    EXPECT_EQ(GetVolume(), 60);
    SetVolume(10);
    EXPECT_NE(logText().find("GetDefaultAudioEndpoint failed"), std::string::npos);
    std::vector<std::string> n2, i2;
    EXPECT_TRUE(GetAudioInputDevices(n2, i2));
    EXPECT_TRUE(n2.empty());
}
