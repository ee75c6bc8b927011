// What the source properties read and change: devices, volume, mute,
// capture options and the captured window.
#include "libs/broadcast/BroadcastEngine.h"

#include "libs/broadcast/WindowList.h"

#include <algorithm>
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
    // The running capture goes on until the new one is in its place.
    if (restart && running)
        startCapture(name);
}

namespace {

// r fitted into a box of w x h, centred, its aspect kept.
SceneRect fitInto(int srcW, int srcH, int w, int h)
{
    SceneRect r{0, 0, w, h};
    if (srcW <= 0 || srcH <= 0)
        return r;
    if (int64_t(srcW) * h > int64_t(w) * srcH)
        r.h = std::max(2, int(int64_t(w) * srcH / srcW));
    else
        r.w = std::max(2, int(int64_t(h) * srcW / srcH));
    r.x = (w - r.w) / 2;
    r.y = (h - r.h) / 2;
    return r;
}

constexpr int kMinSide = 16;

}  // namespace

SceneRect BroadcastEngine::screenBoxLocked() const
{
    if (m_screenW <= 0 || m_screenH <= 0)
        return SceneRect{0, 0, m_outW, m_outH};
    return fitInto(m_screenW, m_screenH, m_outW, m_outH);
}

SceneRect BroadcastEngine::areaRegionLocked(const SourceSettings& settings) const
{
    const SceneRect box = screenBoxLocked();
    const SceneRect r = settings.placed ? settings.rect : box;
    const int sw = m_screenW > 0 ? m_screenW : m_outW;
    const int sh = m_screenH > 0 ? m_screenH : m_outH;
    SceneRect region;
    region.x = int(int64_t(r.x - box.x) * sw / std::max(box.w, 1));
    region.y = int(int64_t(r.y - box.y) * sh / std::max(box.h, 1));
    region.w = int(int64_t(r.w) * sw / std::max(box.w, 1));
    region.h = int(int64_t(r.h) * sh / std::max(box.h, 1));
    region.w = std::clamp(region.w, kMinSide, sw) & ~1;
    region.h = std::clamp(region.h, kMinSide, sh) & ~1;
    region.x = std::clamp(region.x, 0, sw - region.w);
    region.y = std::clamp(region.y, 0, sh - region.h);
    return region;
}

std::vector<PlacedSource> BroadcastEngine::placedSources(std::vector<FramePtr>* pictures)
{
    struct Entry {
        PlacedSource placed;
        int order;
        bool fit;  // not placed: fits the canvas by its picture
    };
    std::vector<Entry> entries;
    int canvasW, canvasH;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        canvasW = m_outW;
        canvasH = m_outH;
        const SceneRect screen = screenBoxLocked();
        for (const auto& [name, s] : m_sources) {
            if (!isVisual(s.type) || s.scene != m_currentScene)
                continue;
            const SourceSettings& st = m_settings[name];
            Entry e{{name, s.type, st.placed ? st.rect : screen}, s.order, false};
            e.fit = !st.placed && s.type != Broadcast::kSourceArea;
            entries.push_back(e);
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.order < b.order; });
    std::vector<PlacedSource> out;
    std::lock_guard<std::mutex> lock(m_frameLock);
    for (Entry& e : entries) {
        auto it = m_latest.find(e.placed.name);
        const AVFrame* picture = it == m_latest.end() ? nullptr : it->second.get();
        if (e.fit)
            e.placed.rect = picture ? fitInto(picture->width, picture->height, canvasW, canvasH)
                                    : SceneRect{0, 0, canvasW, canvasH};
        if (pictures)
            pictures->emplace_back(picture ? av_frame_clone(picture) : nullptr);
        out.push_back(e.placed);
    }
    return out;
}

bool BroadcastEngine::placeSource(const std::string& name, SceneRect rect, bool apply)
{
    bool area;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_sources.find(name);
        if (it == m_sources.end() || !isVisual(it->second.type))
            return false;
        area = it->second.type == Broadcast::kSourceArea;
        const int limitW = 4 * m_outW, limitH = 4 * m_outH;
        rect.w = std::clamp(rect.w, kMinSide, limitW);
        rect.h = std::clamp(rect.h, kMinSide, limitH);
        if (area) {
            // The area stays on the screen's place: it is a part of it.
            const SceneRect box = screenBoxLocked();
            rect.w = std::min(rect.w, box.w);
            rect.h = std::min(rect.h, box.h);
            rect.x = std::clamp(rect.x, box.x, box.x + box.w - rect.w);
            rect.y = std::clamp(rect.y, box.y, box.y + box.h - rect.h);
        } else {
            rect.x = std::clamp(rect.x, -rect.w + kMinSide, m_outW - kMinSide);
            rect.y = std::clamp(rect.y, -rect.h + kMinSide, m_outH - kMinSide);
        }
        SourceSettings& st = m_settings[name];
        st.placed = true;
        st.rect = rect;
    }
    if (area && apply)
        changeSettings(name, [](SourceSettings&) {}, true);
    return true;
}

bool BroadcastEngine::captureRegion(const std::string& name, SceneRect* region)
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto it = m_sources.find(name);
    if (it == m_sources.end())
        return false;
    if (it->second.type == Broadcast::kSourceArea) {
        *region = areaRegionLocked(m_settings[name]);
        return true;
    }
    if (it->second.type == Broadcast::kSourceDesktop) {
        *region = SceneRect{0, 0, m_screenW > 0 ? m_screenW : m_outW, m_screenH > 0 ? m_screenH : m_outH};
        return true;
    }
    return false;
}

bool BroadcastEngine::GetSourceRect(const char* source, SceneRect* rect)
{
    if (!source || !rect)
        return false;
    for (const PlacedSource& p : placedSources()) {
        if (p.name == source) {
            *rect = p.rect;
            return true;
        }
    }
    return false;
}

bool BroadcastEngine::SetSourceRect(const char* source, const SceneRect& rect)
{
    return source && placeSource(source, rect, true);
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
