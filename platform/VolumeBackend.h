#pragma once
// The system volumes of capture devices (microphones) and playback devices
// (speakers), on a raw scale 0..MaxVolume(). Two backends: PulseAudio
// (libpulse) when a sound server answers, and an in-memory one otherwise, so
// the volume controls keep their behaviour on a machine without sound.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class VolumeDevice { Capture, Playback };

struct VolumeLine {
    std::string name;  // what the user sees (a description)
    std::string id;    // what the backend addresses it by
};

class VolumeBackend {
public:
    virtual ~VolumeBackend() = default;

    // "pulseaudio" or "memory".
    virtual const char* Kind() const = 0;
    // Every device of that kind in the backend's order (capture devices
    // leave out monitors of playback devices); false when the backend
    // cannot be asked.
    virtual bool ListDevices(VolumeDevice kind, std::vector<VolumeLine>& out) = 0;
    // The id of the default device of that kind; empty when there is none.
    virtual std::string DefaultDevice(VolumeDevice kind) = 0;
    // A device's volume (the average of its channels); false when the
    // device or the backend does not answer.
    virtual bool GetVolume(VolumeDevice kind, const std::string& id, uint32_t& value) = 0;
    // Sets every channel of a device to value (capped at MaxVolume()).
    virtual bool SetVolume(VolumeDevice kind, const std::string& id, uint32_t value) = 0;
    // The top of the raw scale (full volume); 0 would mean "no range".
    virtual uint32_t MaxVolume() const = 0;

    // The process-wide backend, chosen at first use: PulseAudio when a
    // server answers, else the in-memory one (the choice is logged to Qt's
    // debug output). Any thread; calls on it are serialised by the backend.
    static VolumeBackend& instance();
    // Replaces the process-wide backend (a program's start-up or tests);
    // not while another thread uses the old one.
    static void Install(std::unique_ptr<VolumeBackend> backend);
};
