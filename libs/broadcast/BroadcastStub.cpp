// First stand-in: every call answers that nothing is available yet.
#include "libs/broadcast/IBroadcastEngine.h"
#include "libs/broadcast/ISourceProperty.h"

namespace {

class NullView : public ISceneView {
public:
    const char* OnMouseDown(std::shared_ptr<SceneMouseEvent>) override { return nullptr; }
    void OnMouseUp(std::shared_ptr<SceneMouseEvent>) override {}
    void OnMouseMove(std::shared_ptr<SceneMouseEvent>) override {}
    void SetScene(const char*) override {}
    void SetMode(bool) override {}
    void Start() override {}
};

class NullScenes : public ISceneCollection {
public:
    bool SelectScene(const char*) override { return false; }
    bool AddScene(const char*) override { return false; }
    bool HasScene(const char*) override { return false; }
    ISceneView* CreateView(uint64_t) override { return new NullView; }
    void DestroyView(ISceneView* view) override { delete view; }
};

class NullEngine : public IBroadcastEngine {
public:
    int Initialize() override { return -1; }
    bool Start() override { return false; }
    void Stop() override {}
    bool AddSource(Broadcast::ESourceType, const char*, const char*) override { return false; }
    bool RemoveSource(const char*) override { return false; }
    bool HasSource(const char*) override { return false; }
    void EnumSources(const std::function<bool(Broadcast::ESourceType, const char*)>&) override {}
    bool SetSourceOrder(const char*, int) override { return false; }
    std::shared_ptr<ISceneCollection> GetScenes() override { return std::make_shared<NullScenes>(); }
    bool StartStreaming(const char*, const char*) override { return false; }
    void StopStreaming(int) override {}
    bool SetVideoOutput(int, int, int) override { return false; }
    void SetRecordPath(const char*) override {}
    std::string GetRecordPath() override { return {}; }
    bool SetRecordFormat(const char*) override { return false; }
    bool StartRecording() override { return false; }
    void StopRecording() override {}
};

class NullAudio : public IAudioSourceProperty {
public:
    void EnumDevices(const DeviceCallback&) override {}
    bool SetDevice(const char*, bool) override { return false; }
    void GetCurrentDevice(const CurrentDeviceCallback&) override {}
    int GetVolume() override { return 100; }
    void SetVolume(int) override {}
    void SetMuted(bool) override {}
    bool IsMuted() override { return false; }
};

class NullVideo : public IVideoSourceProperty {
public:
    void EnumDevices(const DeviceCallback&) override {}
    bool SetDevice(const char*, bool) override { return false; }
    void GetCurrentDevice(const CurrentDeviceCallback&) override {}
};

class NullWindow : public IAppWindowCaptureSourceProperty {
public:
    void SetCaptureCursor(bool) override {}
    bool IsCaptureCursor() override { return true; }
    bool IsCompatibility() override { return false; }
    void SetCompatibility(bool) override {}
    void EnumWindows(const DeviceCallback&) override {}
    bool SetWindow(const char*) override { return false; }
};

class NullMul : public IMulAudioSourceProperty {
public:
    bool PushAudioData(int64_t, const void*, int, int, int, int, int, int) override { return false; }
};

}  // namespace

IBroadcastEngine* IBroadcastEngine::create(IBroadcastEngineObserver*) { return new NullEngine; }
void IBroadcastEngine::release(IBroadcastEngine* engine) { delete engine; }
std::shared_ptr<IAudioSourceProperty> IAudioSourceProperty::create(const char*) { return std::make_shared<NullAudio>(); }
std::shared_ptr<IVideoSourceProperty> IVideoSourceProperty::create(const char*, bool) { return std::make_shared<NullVideo>(); }
std::shared_ptr<IMonitorCaptureSourceProperty> IMonitorCaptureSourceProperty::create(const char*, bool)
{
    return std::make_shared<NullWindow>();
}
std::shared_ptr<IAppWindowCaptureSourceProperty> IAppWindowCaptureSourceProperty::create(const char*, bool)
{
    return std::make_shared<NullWindow>();
}
std::shared_ptr<IMulAudioSourceProperty> IMulAudioSourceProperty::create(const char*) { return std::make_shared<NullMul>(); }
