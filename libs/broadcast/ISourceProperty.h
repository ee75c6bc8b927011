#pragma once
// Properties of the broadcast engine's sources. A property is bound to a
// source by name: it reads and changes the source of that name in the one
// engine that exists (made by IBroadcastEngine::create); when no engine or no
// such source exists, reads answer defaults and changes are kept until a
// source of that name is added. Callbacks run inside the call.
#include "libs/broadcast/IBroadcastEngine.h"

#include <cstdint>
#include <functional>
#include <memory>

// name and id of a device (id: what SetDevice takes).
using DeviceCallback = std::function<bool(const char* name, const char* id)>;
using CurrentDeviceCallback = std::function<void(const char* name, const char* id)>;

class IAudioSourceProperty {
public:
    static std::shared_ptr<IAudioSourceProperty> create(const char* sourceName);
    virtual ~IAudioSourceProperty() = default;
    // The system's devices (PulseAudio sources or sinks); the callback answers
    // true to go on.
    virtual void EnumDevices(const DeviceCallback& cb) = 0;
    // apply: switch the running capture at once. false for an unknown id.
    virtual bool SetDevice(const char* id, bool apply) = 0;
    virtual void GetCurrentDevice(const CurrentDeviceCallback& cb) = 0;
    virtual int GetVolume() = 0;           // 0..100
    virtual void SetVolume(int volume) = 0;  // 0..100
    virtual void SetMuted(bool muted) = 0;
    virtual bool IsMuted() = 0;
};

class IVideoSourceProperty {
public:
    static std::shared_ptr<IVideoSourceProperty> create(const char* sourceName, bool apply);
    virtual ~IVideoSourceProperty() = default;
    // The system's cameras (V4L2), by card name and device path.
    virtual void EnumDevices(const DeviceCallback& cb) = 0;
    virtual bool SetDevice(const char* id, bool apply) = 0;
    virtual void GetCurrentDevice(const CurrentDeviceCallback& cb) = 0;
};

class IMonitorCaptureSourceProperty {
public:
    static std::shared_ptr<IMonitorCaptureSourceProperty> create(const char* sourceName, bool apply);
    virtual ~IMonitorCaptureSourceProperty() = default;
    virtual void SetCaptureCursor(bool capture) = 0;
    virtual bool IsCaptureCursor() = 0;
    // Compatibility mode: kept with the source for the settings window; the
    // X capture picks its path from what the X server offers.
    virtual bool IsCompatibility() = 0;
    virtual void SetCompatibility(bool on) = 0;
    // The part of the screen the source captures, in screen pixels (the
    // whole screen for a desktop source). false without an engine or source.
    virtual bool GetCaptureRegion(SceneRect* region) = 0;
};

class IAppWindowCaptureSourceProperty : public IMonitorCaptureSourceProperty {
public:
    static std::shared_ptr<IAppWindowCaptureSourceProperty> create(const char* sourceName, bool apply);
    // The X server's top-level windows with a title: the text shown,
    // "[<executable file name>]: <title>" ("[?]: <title>" when the owning
    // program is unknown), and the window id in hex. The callback answers
    // true to go on. (Callbacks of this interface run inside the call.)
    virtual void EnumWindows(const DeviceCallback& cb) = 0;
    // Captures the window whose listed text (or bare title) is title.
    virtual bool SetWindow(const char* title) = 0;
};

class IMulAudioSourceProperty {
public:
    static std::shared_ptr<IMulAudioSourceProperty> create(const char* sourceName);
    virtual ~IMulAudioSourceProperty() = default;
    // One block of a user's PCM audio to mix into the scene's sound. Blocks
    // of 16 bits per sample are taken at any rate and channel count;
    // timestampMs 0: now. flags: not read.
    virtual bool PushAudioData(int64_t userId, const void* data, int bitsPerSample, int sampleRate,
                               int channels, int frames, int timestampMs, int flags) = 0;
};
