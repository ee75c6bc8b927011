#pragma once
// Volumes kept in memory: the stand-in when no sound server runs. It starts
// with one microphone and one speaker at full volume; tests add more.
#include "platform/VolumeBackend.h"

#include <map>
#include <mutex>

class MemoryVolumeBackend : public VolumeBackend {
public:
    // maxVolume: the top of the raw scale (65535 unless a test wants another).
    explicit MemoryVolumeBackend(uint32_t maxVolume = 65535, bool withDefaultDevices = true);

    const char* Kind() const override { return "memory"; }
    bool ListDevices(VolumeDevice kind, std::vector<VolumeLine>& out) override;
    std::string DefaultDevice(VolumeDevice kind) override;
    bool GetVolume(VolumeDevice kind, const std::string& id, uint32_t& value) override;
    bool SetVolume(VolumeDevice kind, const std::string& id, uint32_t value) override;
    uint32_t MaxVolume() const override { return m_max; }

    // Adds a device (the first of a kind becomes its default).
    void AddDevice(VolumeDevice kind, const std::string& name, const std::string& id, uint32_t volume);

private:
    struct Device {
        std::string name;
        std::string id;
        uint32_t volume;
    };
    std::vector<Device>& list(VolumeDevice kind) { return kind == VolumeDevice::Capture ? m_capture : m_playback; }
    Device* find(VolumeDevice kind, const std::string& id);

    const uint32_t m_max;             // set by the constructor only
    std::mutex m_lock;                // guards both lists
    std::vector<Device> m_capture;    // guarded by m_lock
    std::vector<Device> m_playback;   // guarded by m_lock
};
