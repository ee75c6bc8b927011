#include "app/CMixerInfo.h"

#include "app/Logger.h"
#include "platform/VolumeBackend.h"

#include <algorithm>

CMixerInfo::CMixerInfo(VolumeBackend* backend) : m_backend(backend)
{
}

CMixerInfo::~CMixerInfo()
{
    lines.clear();
}

CMixerInfo& CMixerInfo::instance()
{
    static CMixerInfo mixer;
    return mixer;
}

VolumeBackend& CMixerInfo::backend()
{
    return m_backend ? *m_backend : VolumeBackend::instance();
}

bool CMixerInfo::Init(unsigned type, int minValue_, int maxValue_)
{
    if (IsInited())
        return false;
    minValue = minValue_;
    maxValue = maxValue_;
    if (type == kWaveInDestination) {
        component = kMicrophoneComponent;
        InitVolumeInfo(component);
    } else if (type == kSpeakersDestination) {
        component = kSpeakersComponent;
        InitVolumeInfo(component);
    }
    return IsInited();
}

void CMixerInfo::InitVolumeInfo(uint32_t lineComponentType)
{
    VolumeDevice kind;
    if (lineComponentType == kMicrophoneComponent)
        kind = VolumeDevice::Capture;
    else if (lineComponentType == kSpeakersComponent)
        kind = VolumeDevice::Playback;
    else
        return;
    std::vector<VolumeLine> found;
    if (!backend().ListDevices(kind, found))
        return;
    for (const VolumeLine& line : found) {
        if (line.name.empty())
            continue;
        lines[line.name] = line.id;
        Logger::instance()->Log(LOG_INFO, "CMixerInfo::InitVolumeInfo", "Mic volume control add: %s",
                                line.name.c_str());
    }
}

int CMixerInfo::GetValue()
{
    if (!IsInited())
        return 0;
    const auto& first = *lines.begin();
    const VolumeDevice kind = component == kSpeakersComponent ? VolumeDevice::Playback : VolumeDevice::Capture;
    uint32_t raw = 0;
    if (!backend().GetVolume(kind, first.second, raw)) {
        Logger::instance()->Log(LOG_WARN, "CMixerInfo::GetValue", "mixerGetLineControls called failed code %ld",
                                1L);
        return kNoControl;
    }
    const uint32_t top = backend().MaxVolume();
    if (top == 0 || maxValue <= 0)
        return 0;  // no range to scale by
    return int(uint64_t(uint32_t(maxValue)) * raw / top);
}

void CMixerInfo::SetValue(int value)
{
    static const char* const func = "CMixerInfo::SetValue";
    Logger::instance()->Log(LOG_INFO, func, "enter func CMixerInfo::SetValue");
    if (!IsInited())
        return;
    const VolumeDevice kind = component == kSpeakersComponent ? VolumeDevice::Playback : VolumeDevice::Capture;
    const uint32_t top = backend().MaxVolume();
    if (maxValue <= 0 || top == 0) {
        Logger::instance()->Log(LOG_WARN, func, "no volume range (scale %d, control %u): nothing set", maxValue,
                                top);
    } else {
        const uint32_t v = uint32_t(std::clamp(value, 0, maxValue));
        const uint32_t raw = uint32_t(uint64_t(top) * v / uint32_t(maxValue));
        for (const auto& line : lines) {
            uint32_t current = 0;
            if (!backend().GetVolume(kind, line.second, current)) {
                Logger::instance()->Log(LOG_WARN, func, "mixerGetLineControls called failed code %ld dev_name = %s ",
                                        1L, line.first.c_str());
                continue;
            }
            if (!backend().SetVolume(kind, line.second, raw))
                Logger::instance()->Log(LOG_WARN, func, "mixerSetControlDetails failed code: %ld", 1L);
            else
                Logger::instance()->Log(LOG_INFO, func, "mixerSetControlDetails success value = %ld dev_name = %s",
                                        long(raw), line.first.c_str());
        }
    }
    Logger::instance()->Log(LOG_INFO, func, "leave func CMixerInfo::SetValue");
}

int GetVolume()
{
    VolumeBackend& b = VolumeBackend::instance();
    const std::string sink = b.DefaultDevice(VolumeDevice::Playback);
    uint32_t raw = 0;
    if (sink.empty()) {
        Logger::instance()->Log(LOG_WARN, "GetVolume", "GetDefaultAudioEndpoint failed");
        return 60;
    }
    if (!b.GetVolume(VolumeDevice::Playback, sink, raw) || b.MaxVolume() == 0) {
        Logger::instance()->Log(LOG_WARN, "GetVolume", "GetMasterVolumeLevelScalar failed");
        return 60;
    }
    return int(std::min<uint64_t>(100, uint64_t(raw) * 100 / b.MaxVolume()));
}

void SetVolume(int volume)
{
    VolumeBackend& b = VolumeBackend::instance();
    const std::string sink = b.DefaultDevice(VolumeDevice::Playback);
    if (sink.empty()) {
        Logger::instance()->Log(LOG_WARN, "SetVolume", "GetDefaultAudioEndpoint failed");
        return;
    }
    // Rounded up, so that GetVolume reads back the same whole percentage.
    const uint64_t v = uint64_t(std::clamp(volume, 0, 100));
    const uint32_t raw = uint32_t((v * b.MaxVolume() + 99) / 100);
    if (!b.SetVolume(VolumeDevice::Playback, sink, raw))
        Logger::instance()->Log(LOG_WARN, "SetVolume", "SetMasterVolumeLevelScalar failed");
}
