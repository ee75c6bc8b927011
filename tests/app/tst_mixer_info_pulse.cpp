// test-labels: e2e
// Microphone mixer and speaker volume against a private PulseAudio server's
// null sink and null source.
#include "app/CMixerInfo.h"
#include "platform/MemoryVolumeBackend.h"
#include "PulseFixture.h"
#include "platform/PulseVolumeBackend.h"
#include "app/SystemInfo.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {
testsupport::TempHome g_home;  // goes, and cleans up, when the program ends
}

TEST(Volumes, PulseAudioNullSinkEndToEnd)
{
    testsupport::PulseFixture pulse;
    if (!pulse.installed())
        GTEST_SKIP() << "pulseaudio is not installed";
    ASSERT_TRUE(pulse.start()) << pulse.error();
    auto* backend = new PulseVolumeBackend(pulse.server());
    VolumeBackend::Install(std::unique_ptr<VolumeBackend>(backend));
    ASSERT_TRUE(backend->SetVolume(VolumeDevice::Playback, backend->DefaultDevice(VolumeDevice::Playback), 0));
    SetSpeakerVolume(40);
    EXPECT_EQ(GetSpeakerVolume(), 40);
    CMixerInfo mic(backend);
    ASSERT_TRUE(mic.Init(CMixerInfo::kWaveInDestination, 0, 100));
    mic.SetValue(50);
    EXPECT_EQ(mic.GetValue(), 50);  // 65536 x 50 / 100 = 32768 exactly
    VolumeBackend::Install(std::unique_ptr<VolumeBackend>(new MemoryVolumeBackend));
}
