// test-labels: e2e
// test-sources: ../rtmppush/StreamProbe.cpp BroadcastTestSupport.cpp
// The broadcast engine's sound, read back from recordings: the remote
// users' audio mixed at the volume set, muted silent; what a user who went
// left behind is not played when they come back; a microphone whose
// device is applied again while recording (what the settings window's
// watchdog does) loses none of its sound. Sound comes from a private
// PulseAudio server where a device is needed.
#include "libs/broadcast/IBroadcastEngine.h"
#include "libs/broadcast/ISourceProperty.h"
#include "tests/libs/broadcast/BroadcastTestSupport.h"

#include "ChildProcess.h"
#include "PulseFixture.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <unistd.h>

using namespace broadcasttest;

namespace {

constexpr int kRate = 48000;
constexpr double kTwoPi = 6.283185307179586;

// count samples of a 440 Hz tone from its sample n on.
std::vector<int16_t> tone(int amplitude, int64_t n, size_t count)
{
    std::vector<int16_t> block(count);
    for (int16_t& s : block)
        s = int16_t(std::lround(amplitude * std::sin(kTwoPi * 440.0 * double(n++) / kRate)));
    return block;
}

// Pushes a 440 Hz tone of the given amplitude as a remote user's audio, in
// 10 ms blocks at the pace of real time, until stopped.
class RemoteTone {
public:
    explicit RemoteTone(int amplitude)
    {
        m_thread = std::thread([this, amplitude] {
            auto remote = IMulAudioSourceProperty::create(Engine::kRemote);
            int64_t n = 0;
            auto next = std::chrono::steady_clock::now();
            while (!m_stop) {
                const std::vector<int16_t> block = tone(amplitude, n, kRate / 100);
                n += int64_t(block.size());
                remote->PushAudioData(9001, block.data(), 16, kRate, 1, int(block.size()), 0, 0);
                next += std::chrono::milliseconds(10);
                std::this_thread::sleep_until(next);
            }
        });
    }
    ~RemoteTone()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

double rms(const std::vector<int16_t>& s, size_t from, size_t count)
{
    double sum = 0;
    for (size_t i = from; i < from + count && i < s.size(); ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(std::max<size_t>(count, 1)));
}

}  // namespace

TEST(EngineAudio, RemoteAudioIsMixedAtItsVolumeAndMutedIsSilent)
{
    testsupport::TempDir dir;
    struct Case {
        int volume;
        bool muted;
        double wantRms;  // of a 8000 tone: 8000 / sqrt(2) at full volume
    };
    const Case cases[] = {{100, false, 5657}, {50, false, 2828}, {100, true, 0}};
    Engine e(Broadcast::kSourceDesktop, nullptr, {Engine::kRemote});
    auto volume = IAudioSourceProperty::create(Engine::kRemote);
    RemoteTone tone(8000);
    for (const Case& c : cases) {
        volume->SetVolume(c.volume);
        volume->SetMuted(c.muted);
        const std::string file = e.record(dir.path(), 2500);
        ASSERT_FALSE(file.empty()) << e.observer.log.text();
        const std::vector<int16_t> sound = soundOf(file);
        ASSERT_GT(sound.size(), size_t(kRate)) << file;
        // The middle half second, away from the recording's edges.
        const double level = rms(sound, sound.size() / 2 - kRate / 4, kRate / 2);
        if (c.wantRms == 0)
            EXPECT_LT(level, 30.0) << "muted";
        else
            EXPECT_NEAR(c.wantRms, level, c.wantRms * 0.12) << "volume " << c.volume;
    }
}

TEST(EngineAudio, SoundLeftByARemoteUserWhoWentIsNotPlayedWhenTheyComeBack)
{
    testsupport::TempDir dir;
    std::string file;
    {
        Engine e(Broadcast::kSourceDesktop, nullptr, {Engine::kRemote});
        auto remote = IMulAudioSourceProperty::create(Engine::kRemote);
        e.engine->SetRecordPath(dir.path().c_str());
        e.engine->SetRecordFormat("mkv");
        ASSERT_TRUE(e.engine->StartRecording());
        ASSERT_TRUE(e.waitFor("recording"));
        file = e.engine->GetRecordPath();
        // 30 ms of a loud tone, less than the mix waits for before it takes
        // a user's sound; then the user is away for 1.5 s and comes back
        // with half a second of silence.
        const std::vector<int16_t> burst = tone(8000, 0, kRate * 3 / 100);
        ASSERT_TRUE(remote->PushAudioData(7, burst.data(), 16, kRate, 1, int(burst.size()), 0, 0));
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const std::vector<int16_t> quiet(kRate / 100);
        auto next = std::chrono::steady_clock::now();
        for (int i = 0; i < 50; ++i) {
            remote->PushAudioData(7, quiet.data(), 16, kRate, 1, int(quiet.size()), 0, 0);
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
        e.engine->StopRecording();
        ASSERT_TRUE(e.waitFor("stopRecord:0"));
    }
    const std::vector<int16_t> sound = soundOf(file);
    ASSERT_GT(sound.size(), size_t(kRate)) << file;
    int peak = 0;
    for (int16_t s : sound)
        peak = std::max(peak, std::abs(int(s)));
    EXPECT_LT(peak, 100) << "what the user left 1.5 s before was played when they came back";
}

TEST(EngineAudio, AMicrophoneAppliedAgainWhileRecordingLosesNoSound)
{
    testsupport::PulseFixture pulse;
    if (!pulse.installed())
        GTEST_SKIP() << "no pulseaudio";
    ASSERT_TRUE(pulse.start()) << pulse.error();
    setenv("PULSE_SERVER", pulse.server().c_str(), 1);
    // A microphone that hears what is played into the null sink.
    const std::string module = pulse.addSinkMicrophone("veltora_tone_mic", "ToneMic");
    ASSERT_FALSE(module.empty()) << "pactl could not add the microphone";
    int player = pulse.playTone(60);
    ASSERT_GT(player, 0);

    testsupport::TempDir dir;
    std::string file;
    {
        Engine e(Broadcast::kSourceDesktop, nullptr, {Engine::kMic});
        auto mic = IAudioSourceProperty::create(Engine::kMic);
        ASSERT_TRUE(mic->SetDevice("veltora_tone_mic", true));
        e.engine->SetRecordPath(dir.path().c_str());
        e.engine->SetRecordFormat("mkv");
        ASSERT_TRUE(e.engine->StartRecording());
        ASSERT_TRUE(e.waitFor("recording"));
        file = e.engine->GetRecordPath();
        // The watchdog's re-apply, many times over.
        for (int i = 0; i < 12; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            ASSERT_TRUE(mic->SetDevice("veltora_tone_mic", true));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        e.engine->StopRecording();
        ASSERT_TRUE(e.waitFor("stopRecord:0"));
    }
    testsupport::stopChild(player, 1000);
    unsetenv("PULSE_SERVER");

    // The tone's longest silence between its first and last sound, by 1 ms
    // windows (the tone never stays near zero for a whole millisecond).
    const std::vector<int16_t> sound = soundOf(file);
    constexpr int kWindow = kRate / 1000;
    size_t first = sound.size(), last = 0;
    for (size_t i = 0; i < sound.size(); ++i)
        if (std::abs(sound[i]) > 1500) {
            first = std::min(first, i);
            last = i;
        }
    ASSERT_LT(first, last) << "no tone recorded";
    ASSERT_GT(last - first, size_t(kRate * 4)) << "the tone is recorded for less than 4 s";
    int longest = 0, run = 0;
    for (size_t w = first; w + kWindow <= last; w += kWindow) {
        int peak = 0;
        for (size_t i = w; i < w + kWindow; ++i)
            peak = std::max(peak, std::abs(int(sound[i])));
        run = peak < 300 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    // Opening the device again takes far longer than this: what is heard
    // here is the machine's scheduling, not a lost stretch of the tone.
    EXPECT_LE(longest, 40) << "the longest silence in the tone: " << longest << " ms";
}
