// test-sources: ../rtmppush/StreamProbe.cpp
// The broadcast engine's scenes, sources and source properties, without
// starting any capture.
#include "libs/broadcast/FileRecorder.h"
#include "libs/broadcast/IBroadcastEngine.h"
#include "libs/broadcast/ISourceProperty.h"
#include "tests/libs/broadcast/BroadcastTestSupport.h"

#include "libs/mediacore/AudioEncoder.h"
#include "libs/mediacore/VideoEncoder.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace broadcasttest;
using mediatest::waitFor;

namespace {

struct EngineHolder {
    explicit EngineHolder(IBroadcastEngineObserver* o) : engine(IBroadcastEngine::create(o)) {}
    ~EngineHolder() { IBroadcastEngine::release(engine); }
    IBroadcastEngine* engine;
};

}  // namespace

TEST(BroadcastSources, ScenesAndSourcesByName)
{
    RecordingObserver observer;
    EngineHolder h(&observer);
    IBroadcastEngine* e = h.engine;
    ASSERT_EQ(0, e->Initialize());
    auto scenes = e->GetScenes();
    EXPECT_FALSE(scenes->HasScene("default_scene"));
    EXPECT_FALSE(e->AddSource(Broadcast::kSourceDesktop, "桌面捕获", "default_scene"));  // no such scene yet
    EXPECT_TRUE(scenes->AddScene("default_scene"));
    EXPECT_FALSE(scenes->AddScene("default_scene"));
    EXPECT_TRUE(scenes->SelectScene("default_scene"));
    EXPECT_FALSE(scenes->SelectScene("other"));

    struct Add {
        Broadcast::ESourceType type;
        const char* name;
    };
    for (const Add& a : {Add{Broadcast::kSourceAudioInput, "standard_audio_input_device"},
                         Add{Broadcast::kSourceAudioOutput, "standard_audio_output_device"},
                         Add{Broadcast::kSourceMulAudioInput, "audio_mulinput_device"},
                         Add{Broadcast::kSourceArea, "区域捕获"}})
        EXPECT_TRUE(e->AddSource(a.type, a.name, "default_scene")) << a.name;
    EXPECT_FALSE(e->AddSource(Broadcast::kSourceDesktop, "区域捕获", "default_scene"));  // name taken
    EXPECT_TRUE(e->HasSource("区域捕获"));
    EXPECT_TRUE(e->SetSourceOrder("区域捕获", 10));
    EXPECT_FALSE(e->SetSourceOrder("missing", 10));

    std::vector<std::string> listed;
    e->EnumSources([&](Broadcast::ESourceType, const char* name) {
        listed.push_back(name);
        return listed.size() < 2;  // false stops the listing
    });
    EXPECT_EQ(2u, listed.size());

    EXPECT_TRUE(e->RemoveSource("区域捕获"));
    EXPECT_FALSE(e->RemoveSource("区域捕获"));
    EXPECT_FALSE(e->HasSource("区域捕获"));
    // Audio sources report activation; the report comes from the engine's thread.
    ASSERT_TRUE(waitFor([&] { return observer.log.count("activate:standard_audio_input_device") == 1; }));
    EXPECT_EQ(0, observer.log.count("deactivate:区域捕获"));  // not an audio source

    EXPECT_TRUE(e->SetVideoOutput(1920, 1080, 2048));
    EXPECT_FALSE(e->SetVideoOutput(0, 1080, 2048));
    EXPECT_TRUE(e->SetVideoOutput(1280, 720, 2048));
    ASSERT_TRUE(waitFor([&] { return observer.log.count("size:1280x720") == 1; }));
    EXPECT_EQ(0, observer.log.count("size:1920x1080"));  // the size it already had
}

TEST(BroadcastSources, PropertiesKeepTheirSettingsByName)
{
    RecordingObserver observer;
    // Without an engine a property answers defaults and changes nothing.
    auto early = IAudioSourceProperty::create("standard_audio_input_device");
    early->SetVolume(30);
    EXPECT_EQ(100, early->GetVolume());

    EngineHolder h(&observer);
    IBroadcastEngine* e = h.engine;
    e->GetScenes()->AddScene("default_scene");
    // Settings made before the source exists are kept for it.
    auto mic = IAudioSourceProperty::create("standard_audio_input_device");
    mic->SetVolume(140);
    EXPECT_EQ(100, mic->GetVolume());  // clamped
    mic->SetVolume(35);
    mic->SetMuted(true);
    e->AddSource(Broadcast::kSourceAudioInput, "standard_audio_input_device", "default_scene");
    auto again = IAudioSourceProperty::create("standard_audio_input_device");
    EXPECT_EQ(35, again->GetVolume());
    EXPECT_TRUE(again->IsMuted());
    EXPECT_FALSE(again->SetDevice("no-such-device", true));

    auto screen = IMonitorCaptureSourceProperty::create("桌面捕获", true);
    EXPECT_TRUE(screen->IsCaptureCursor());
    screen->SetCaptureCursor(false);
    screen->SetCompatibility(true);
    auto screenAgain = IMonitorCaptureSourceProperty::create("桌面捕获", true);
    EXPECT_FALSE(screenAgain->IsCaptureCursor());
    EXPECT_TRUE(screenAgain->IsCompatibility());

    // Audio pushed for a source that is not a running multi-input is refused.
    auto mul = IMulAudioSourceProperty::create("audio_mulinput_device");
    int16_t block[480] = {0};
    EXPECT_FALSE(mul->PushAudioData(42, block, 16, 48000, 1, 480, 0, 0));
    e->AddSource(Broadcast::kSourceMulAudioInput, "audio_mulinput_device", "default_scene");
    EXPECT_FALSE(mul->PushAudioData(42, block, 16, 48000, 1, 480, 0, 0));  // not started
    e->Start();
    EXPECT_TRUE(mul->PushAudioData(42, block, 16, 48000, 1, 480, 0, 0));
    EXPECT_FALSE(mul->PushAudioData(42, block, 8, 48000, 1, 480, 0, 0));   // only 16-bit
    EXPECT_FALSE(mul->PushAudioData(42, nullptr, 16, 48000, 1, 480, 0, 0));
    e->Stop();
}

TEST(BroadcastSources, APacketThatCannotBeCopiedEndsTheRecordingWithAnError)
{
    std::string error;
    mediacore::VideoSettings settings;
    settings.width = 320;
    settings.height = 180;
    mediacore::VideoEncoder video;
    ASSERT_TRUE(video.open(settings, &error)) << error;
    mediacore::AudioEncoder audio;
    ASSERT_TRUE(audio.open(48000, 1, 96, &error)) << error;
    testsupport::TempDir dir;
    broadcast::FileRecorder recorder;
    ASSERT_EQ(0, recorder.open(dir.path() + "/broken.mkv", "mkv", video.context(), audio.context()));
    // A key frame without a buffer and with a size no copy can have.
    mediacore::PacketPtr packet = mediacore::makePacket();
    packet->flags = AV_PKT_FLAG_KEY;
    packet->pts = packet->dts = 0;
    packet->size = -1;
    recorder.write(packet.get(), true, AVRational{1, 1000});
    EXPECT_LT(recorder.writeError(), 0);
    EXPECT_LT(recorder.close(), 0) << "the recording reports what went wrong";
}

TEST(BroadcastSources, VisualSourcesArePlacedOnTheCanvasByName)
{
    RecordingObserver observer;
    EngineHolder h(&observer);
    IBroadcastEngine* e = h.engine;
    e->GetScenes()->AddScene("default_scene");
    ASSERT_TRUE(e->AddSource(Broadcast::kSourceCamera, "摄像头", "default_scene"));
    ASSERT_TRUE(e->AddSource(Broadcast::kSourceArea, "区域捕获", "default_scene"));
    ASSERT_TRUE(e->AddSource(Broadcast::kSourceAudioInput, "standard_audio_input_device", "default_scene"));
    SceneRect r;
    // Before any picture (and with no screen known) a source fills the canvas.
    ASSERT_TRUE(e->GetSourceRect("摄像头", &r));
    EXPECT_EQ(0, r.x);
    EXPECT_EQ(1920, r.w);
    EXPECT_EQ(1080, r.h);
    EXPECT_FALSE(e->GetSourceRect("standard_audio_input_device", &r)) << "not a visual source";
    EXPECT_FALSE(e->GetSourceRect(nullptr, &r));

    struct Case {
        const char* source;
        SceneRect set;
        SceneRect want;
    };
    const Case cases[] = {
        {"摄像头", {1280, 720, 640, 360}, {1280, 720, 640, 360}},
        {"摄像头", {1900, -500, 4, 4}, {1900, 0, 16, 16}},  // at least 16 pixels a side, 16 of them seen
        {"摄像头", {5000, 5000, 640, 360}, {1904, 1064, 640, 360}},  // a corner stays on the canvas
        {"区域捕获", {-50, 100, 3000, 500}, {0, 100, 1920, 500}},     // an area stays on the screen
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(e->SetSourceRect(c.source, c.set));
        ASSERT_TRUE(e->GetSourceRect(c.source, &r));
        EXPECT_EQ(c.want.x, r.x) << c.source << " " << c.set.x;
        EXPECT_EQ(c.want.y, r.y) << c.source << " " << c.set.x;
        EXPECT_EQ(c.want.w, r.w) << c.source << " " << c.set.x;
        EXPECT_EQ(c.want.h, r.h) << c.source << " " << c.set.x;
    }
    // Kept by name when the source goes and comes back.
    ASSERT_TRUE(e->RemoveSource("摄像头"));
    EXPECT_FALSE(e->GetSourceRect("摄像头", &r));
    ASSERT_TRUE(e->AddSource(Broadcast::kSourceCamera, "摄像头", "default_scene"));
    ASSERT_TRUE(e->GetSourceRect("摄像头", &r));
    EXPECT_EQ(1904, r.x);
    EXPECT_EQ(640, r.w);
}
