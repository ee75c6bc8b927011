#include "platform/MemoryVolumeBackend.h"

#include <algorithm>

MemoryVolumeBackend::MemoryVolumeBackend(uint32_t maxVolume, bool withDefaultDevices) : m_max(maxVolume)
{
    if (withDefaultDevices) {
        AddDevice(VolumeDevice::Capture, "Microphone", "memory_input", maxVolume);
        AddDevice(VolumeDevice::Playback, "Speakers", "memory_output", maxVolume);
    }
}

void MemoryVolumeBackend::AddDevice(VolumeDevice kind, const std::string& name, const std::string& id,
                                    uint32_t volume)
{
    std::lock_guard<std::mutex> g(m_lock);
    list(kind).push_back({name, id, std::min(volume, m_max)});
}

MemoryVolumeBackend::Device* MemoryVolumeBackend::find(VolumeDevice kind, const std::string& id)
{
    for (Device& d : list(kind))
        if (d.id == id)
            return &d;
    return nullptr;
}

bool MemoryVolumeBackend::ListDevices(VolumeDevice kind, std::vector<VolumeLine>& out)
{
    std::lock_guard<std::mutex> g(m_lock);
    for (const Device& d : list(kind))
        out.push_back({d.name, d.id});
    return true;
}

std::string MemoryVolumeBackend::DefaultDevice(VolumeDevice kind)
{
    std::lock_guard<std::mutex> g(m_lock);
    return list(kind).empty() ? std::string() : list(kind).front().id;
}

bool MemoryVolumeBackend::GetVolume(VolumeDevice kind, const std::string& id, uint32_t& value)
{
    std::lock_guard<std::mutex> g(m_lock);
    Device* d = find(kind, id);
    if (!d)
        return false;
    value = d->volume;
    return true;
}

bool MemoryVolumeBackend::SetVolume(VolumeDevice kind, const std::string& id, uint32_t value)
{
    std::lock_guard<std::mutex> g(m_lock);
    Device* d = find(kind, id);
    if (!d)
        return false;
    d->volume = std::min(value, m_max);
    return true;
}
