// What the source properties read and change: devices, volume, mute,
// capture options and the captured window.
#include "libs/broadcast/BroadcastEngine.h"

#include "libs/broadcast/WindowList.h"

#include <cmath>

using namespace mediacore;

namespace broadcast {

std::vector<DeviceInfo> BroadcastEngine::devicesOf(const std::string& name, Broadcast::ESourceType kind)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_sources.find(name);
        if (it != m_sources.end())
            kind = it->second.type;
    }
    switch (kind) {
    case Broadcast::kSourceCamera: return listCameras();
    case Broadcast::kSourceAudioInput: return listAudioSources();
    case Broadcast::kSourceAudioOutput: return listAudioSinks();
    default: return {};
    }
}

bool BroadcastEngine::setDevice(const std::string& name, Broadcast::ESourceType kind, const std::string& id,
                                bool apply)
{
    bool known = false;
    for (const DeviceInfo& d : devicesOf(name, kind))
        known = known || d.id == id;
    if (!known)
        return false;
    changeSettings(name, [&](SourceSettings& s) { s.deviceId = id; }, apply);
    return true;
}

DeviceInfo BroadcastEngine::currentDevice(const std::string& name, Broadcast::ESourceType kind)
{
    return pickDevice(devicesOf(name, kind), settings(name).deviceId);
}

SourceSettings BroadcastEngine::settings(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto it = m_settings.find(name);
    return it == m_settings.end() ? SourceSettings() : it->second;
}

void BroadcastEngine::changeSettings(const std::string& name, const std::function<void(SourceSettings&)>& change,
                                     bool restart)
{
    bool running;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        change(m_settings[name]);
        running = m_started && m_sources.count(name);
    }
    if (!restart || !running)
        return;
    stopCapture(name);
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_started && m_sources.count(name) && !m_captures.count(name))
        startCaptureLocked(name);
}

bool BroadcastEngine::setWindow(const std::string& name, const std::string& title)
{
    for (const ListedWindow& w : listWindows()) {
        if (w.listed() == title || w.title == title) {
            const uint64_t id = w.id;
            changeSettings(name, [id](SourceSettings& s) { s.windowId = id; }, true);
            return true;
        }
    }
    log("no window titled " + title);
    return false;
}

bool BroadcastEngine::pushAudio(const std::string& name, int64_t userId, const int16_t* samples, int frames,
                                int channels, int rate)
{
    if (!samples || frames <= 0 || channels <= 0 || rate <= 0 || frames > rate * 10)
        return false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_sources.find(name);
        if (!m_started || it == m_sources.end() || it->second.type != Broadcast::kSourceMulAudioInput)
            return false;
    }
    // To the mix's format: one channel at the mix's rate (nearest sample).
    const int outFrames = int(int64_t(frames) * kSampleRate / rate);
    std::vector<int16_t> mono(size_t(std::max(outFrames, 0)));
    for (int i = 0; i < outFrames; ++i) {
        const int src = std::min(frames - 1, int(int64_t(i) * rate / kSampleRate));
        int sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += samples[size_t(src) * channels + c];
        mono[size_t(i)] = int16_t(sum / channels);
    }
    onAudio(name + "\n" + std::to_string(userId), mono.data(), outFrames);
    return true;
}

}  // namespace broadcast
