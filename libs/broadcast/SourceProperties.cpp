// The source properties: each is bound to a source by name and reaches the
// engine that exists at the moment of the call.
#include "libs/broadcast/BroadcastEngine.h"
#include "libs/broadcast/ISourceProperty.h"
#include "libs/broadcast/WindowList.h"

#include <cstdio>

namespace broadcast {

namespace {

// Runs fn on the current engine under the registry lock; def without one.
template <typename R, typename Fn>
R withEngine(R def, Fn fn)
{
    std::lock_guard<std::mutex> lock(BroadcastEngine::registryLock());
    BroadcastEngine* engine = BroadcastEngine::current();
    return engine ? fn(*engine) : def;
}

template <typename Fn>
void withEngine(Fn fn)
{
    std::lock_guard<std::mutex> lock(BroadcastEngine::registryLock());
    if (BroadcastEngine* engine = BroadcastEngine::current())
        fn(*engine);
}

// Device choice shared by the audio and the camera properties.
class DeviceChoice {
public:
    DeviceChoice(std::string name, Broadcast::ESourceType kind) : m_name(std::move(name)), m_kind(kind) {}
    void enumDevices(const DeviceCallback& cb) const
    {
        const auto devices = withEngine(std::vector<mediacore::DeviceInfo>(),
                                        [&](BroadcastEngine& e) { return e.devicesOf(m_name, m_kind); });
        for (const auto& d : devices)
            if (!cb(d.name.c_str(), d.id.c_str()))
                break;
    }
    bool setDevice(const char* id, bool apply) const
    {
        return id && withEngine(false, [&](BroadcastEngine& e) { return e.setDevice(m_name, m_kind, id, apply); });
    }
    void currentDevice(const CurrentDeviceCallback& cb) const
    {
        const auto d = withEngine(mediacore::DeviceInfo(), [&](BroadcastEngine& e) { return e.currentDevice(m_name, m_kind); });
        if (!d.id.empty())
            cb(d.name.c_str(), d.id.c_str());
    }
    const std::string& name() const { return m_name; }

private:
    std::string m_name;
    Broadcast::ESourceType m_kind;
};

class AudioSourceProperty : public IAudioSourceProperty {
public:
    explicit AudioSourceProperty(const std::string& name)
        : m_device(name, name == "standard_audio_output_device" ? Broadcast::kSourceAudioOutput
                                                                : Broadcast::kSourceAudioInput)
    {
    }
    void EnumDevices(const DeviceCallback& cb) override { m_device.enumDevices(cb); }
    bool SetDevice(const char* id, bool apply) override { return m_device.setDevice(id, apply); }
    void GetCurrentDevice(const CurrentDeviceCallback& cb) override { m_device.currentDevice(cb); }
    int GetVolume() override
    {
        return withEngine(100, [&](BroadcastEngine& e) { return e.settings(m_device.name()).volume; });
    }
    void SetVolume(int volume) override
    {
        volume = std::clamp(volume, 0, 100);
        withEngine([&](BroadcastEngine& e) {
            e.changeSettings(m_device.name(), [volume](SourceSettings& s) { s.volume = volume; }, false);
        });
    }
    void SetMuted(bool muted) override
    {
        withEngine([&](BroadcastEngine& e) {
            e.changeSettings(m_device.name(), [muted](SourceSettings& s) { s.muted = muted; }, false);
        });
    }
    bool IsMuted() override
    {
        return withEngine(false, [&](BroadcastEngine& e) { return e.settings(m_device.name()).muted; });
    }

private:
    DeviceChoice m_device;
};

class VideoSourceProperty : public IVideoSourceProperty {
public:
    explicit VideoSourceProperty(const std::string& name) : m_device(name, Broadcast::kSourceCamera) {}
    void EnumDevices(const DeviceCallback& cb) override { m_device.enumDevices(cb); }
    bool SetDevice(const char* id, bool apply) override { return m_device.setDevice(id, apply); }
    void GetCurrentDevice(const CurrentDeviceCallback& cb) override { m_device.currentDevice(cb); }

private:
    DeviceChoice m_device;
};

class WindowCaptureProperty : public IAppWindowCaptureSourceProperty {
public:
    explicit WindowCaptureProperty(std::string name) : m_name(std::move(name)) {}
    void SetCaptureCursor(bool capture) override
    {
        withEngine([&](BroadcastEngine& e) {
            e.changeSettings(m_name, [capture](SourceSettings& s) { s.captureCursor = capture; }, true);
        });
    }
    bool IsCaptureCursor() override
    {
        return withEngine(true, [&](BroadcastEngine& e) { return e.settings(m_name).captureCursor; });
    }
    bool IsCompatibility() override
    {
        return withEngine(false, [&](BroadcastEngine& e) { return e.settings(m_name).compatibility; });
    }
    void SetCompatibility(bool on) override
    {
        withEngine([&](BroadcastEngine& e) {
            e.changeSettings(m_name, [on](SourceSettings& s) { s.compatibility = on; }, false);
        });
    }
    void EnumWindows(const DeviceCallback& cb) override
    {
        for (const ListedWindow& w : listWindows()) {
            char id[32];
            std::snprintf(id, sizeof id, "0x%llx", static_cast<unsigned long long>(w.id));
            if (!cb(w.listed().c_str(), id))
                break;
        }
    }
    bool SetWindow(const char* title) override
    {
        return title && withEngine(false, [&](BroadcastEngine& e) { return e.setWindow(m_name, title); });
    }
    bool GetCaptureRegion(SceneRect* region) override
    {
        return region && withEngine(false, [&](BroadcastEngine& e) { return e.captureRegion(m_name, region); });
    }

private:
    std::string m_name;
};

class MulAudioSourceProperty : public IMulAudioSourceProperty {
public:
    explicit MulAudioSourceProperty(std::string name) : m_name(std::move(name)) {}
    bool PushAudioData(int64_t userId, const void* data, int bitsPerSample, int sampleRate, int channels, int frames,
                       int, int) override
    {
        if (bitsPerSample != 16)
            return false;
        return withEngine(false, [&](BroadcastEngine& e) {
            return e.pushAudio(m_name, userId, static_cast<const int16_t*>(data), frames, channels, sampleRate);
        });
    }

private:
    std::string m_name;
};

std::string nameOf(const char* name)
{
    return name ? name : "";
}

}  // namespace

}  // namespace broadcast

using namespace broadcast;

std::shared_ptr<IAudioSourceProperty> IAudioSourceProperty::create(const char* sourceName)
{
    return std::make_shared<AudioSourceProperty>(nameOf(sourceName));
}

std::shared_ptr<IVideoSourceProperty> IVideoSourceProperty::create(const char* sourceName, bool)
{
    return std::make_shared<VideoSourceProperty>(nameOf(sourceName));
}

std::shared_ptr<IMonitorCaptureSourceProperty> IMonitorCaptureSourceProperty::create(const char* sourceName, bool)
{
    return std::make_shared<WindowCaptureProperty>(nameOf(sourceName));
}

std::shared_ptr<IAppWindowCaptureSourceProperty> IAppWindowCaptureSourceProperty::create(const char* sourceName, bool)
{
    return std::make_shared<WindowCaptureProperty>(nameOf(sourceName));
}

std::shared_ptr<IMulAudioSourceProperty> IMulAudioSourceProperty::create(const char* sourceName)
{
    return std::make_shared<MulAudioSourceProperty>(nameOf(sourceName));
}
