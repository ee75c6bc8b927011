// Capture of each source, the video tick that encodes the canvas, and the
// audio mix that meters the microphone and encodes the scene's sound.
#include "libs/broadcast/BroadcastEngine.h"

#include "libs/broadcast/WindowList.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

using namespace mediacore;

namespace broadcast {

namespace {
constexpr int kMixBlock = BroadcastEngine::kSampleRate / 50;        // 20 ms
// A source's samples wait at most 1 s (the mix may be held up that long);
// while the mix keeps time more than 200 ms of them is cut back to 80 ms, so
// a device that delivered a burst does not stay late.
constexpr size_t kMaxFifo = BroadcastEngine::kSampleRate;
constexpr size_t kLateFifo = BroadcastEngine::kSampleRate / 5;
constexpr size_t kCutFifo = BroadcastEngine::kSampleRate * 2 / 25;
// A sound that has delivered nothing for this long has gone (a remote user
// who left, a device that stopped): what it left behind is not played later
// and its fifo is dropped, so users coming and going leave nothing behind.
constexpr int64_t kGoneMs = 1000;
constexpr int kHandOverMs = 1000;
constexpr int kSettleDeliveries = 5;  // deliveries of a replacing capture that are let go  // the longest a replaced capture waits for the new one's data

const char* internName(const std::string& name)
{
    static std::mutex lock;
    static std::set<std::string> names;  // guarded by lock; never shrinks
    std::lock_guard<std::mutex> guard(lock);
    return names.insert(name).first->c_str();
}

std::string displayName()
{
    const char* d = std::getenv("DISPLAY");
    return d && *d ? d : ":0";
}
}  // namespace

bool BroadcastEngine::CaptureGate::pass()
{
    int s = state.load();
    if (s == kWaiting && settle > 0) {
        --settle;
        return false;
    }
    if (s == kWaiting && state.compare_exchange_strong(s, kOpen)) {
        if (auto before = previous.lock())
            before->state = kClosed;
        return true;
    }
    return s == kOpen;
}

void BroadcastEngine::startCapture(const std::string& name)
{
    Source source;
    SourceSettings settings;
    uint64_t start;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_sources.find(name);
        if (!m_started || it == m_sources.end())
            return;
        source = it->second;
        settings = m_settings[name];
        start = ++m_captureStarts;
        m_wantedCapture[name] = start;
    }
    auto gate = std::make_shared<CaptureGate>();
    std::unique_ptr<CaptureSource> capture = openCapture(name, source, settings, gate);
    Running old;
    bool placed = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto wanted = m_wantedCapture.find(name);
        if (m_started && m_sources.count(name) && wanted != m_wantedCapture.end() && wanted->second == start) {
            placed = true;
            auto running = m_captures.find(name);
            if (running != m_captures.end()) {
                old = std::move(running->second);
                m_captures.erase(running);
            }
            if (capture) {
                gate->previous = old.gate;
                gate->settle = old.gate && isAudio(source.type) ? kSettleDeliveries : 0;
                gate->state = CaptureGate::kWaiting;
                m_captures[name] = Running{std::move(capture), gate};
            }
        }
    }
    if (!placed) {
        if (capture)
            capture->stop();  // a newer start or a stop came in between
        return;
    }
    if (!old.capture)
        return;
    // The old capture goes once the new one delivers (or has had its time).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHandOverMs);
    while (gate->state == CaptureGate::kWaiting && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    old.gate->state = CaptureGate::kClosed;
    old.capture->stop();
}

std::unique_ptr<CaptureSource> BroadcastEngine::openCapture(const std::string& name, const Source& source,
                                                            const SourceSettings& settings,
                                                            const std::shared_ptr<CaptureGate>& gate)
{
    LogSink logSink = [this](const std::string& l) { log(l); };
    std::unique_ptr<CaptureSource> capture;
    VideoSink video = [this, name, gate](const AVFrame* frame, int64_t) {
        if (!gate->pass())
            return;
        FramePtr copy(av_frame_clone(frame));
        std::lock_guard<std::mutex> lock(m_frameLock);
        m_latest[name] = std::move(copy);
    };
    AudioSink audio = [this, name, gate](int16_t* s, int frames, int, int, int64_t) {
        if (gate->pass())
            onAudio(name, s, frames);
    };
    switch (source.type) {
    case Broadcast::kSourceCamera: {
        const DeviceInfo camera = pickDevice(listCameras(), settings.deviceId);
        if (!camera.id.empty()) {
            capture = makeDeviceVideoCapture({"v4l2", camera.id, {}}, video, logSink);
            if (!capture->start()) {
                log("camera " + camera.id + ": " + capture->error());
                capture.reset();
            }
        }
        if (!capture) {
            log("no camera: source " + name + " shows a generated picture");
            capture = makePatternCapture(1280, 720, kFps, video);
            capture->start();
        }
        break;
    }
    case Broadcast::kSourceDesktop:
    case Broadcast::kSourceArea:
    case Broadcast::kSourceAppWindow: {
        DeviceInput input{"x11grab", displayName(),
                          {{"framerate", std::to_string(kFps)}, {"draw_mouse", settings.captureCursor ? "1" : "0"}}};
        int screenW = 0, screenH = 0;
        if (screenSize(&screenW, &screenH)) {
            std::lock_guard<std::mutex> lock(m_lock);
            m_screenW = screenW;
            m_screenH = screenH;
        }
        if (source.type == Broadcast::kSourceAppWindow) {
            if (!settings.windowId) {
                log("source " + name + ": no window chosen");
                break;
            }
            input.options["window_id"] = std::to_string(settings.windowId);
        } else if (source.type == Broadcast::kSourceArea) {
            SceneRect region;
            {
                std::lock_guard<std::mutex> lock(m_lock);
                region = areaRegionLocked(settings);
            }
            input.options["video_size"] = std::to_string(region.w) + "x" + std::to_string(region.h);
            input.options["grab_x"] = std::to_string(region.x);
            input.options["grab_y"] = std::to_string(region.y);
        }
        capture = makeDeviceVideoCapture(input, video, logSink);
        if (!capture->start()) {
            log("screen capture " + input.url + ": " + capture->error() + "; source " + name +
                " shows a generated picture");
            capture = makePatternCapture(1280, 720, kFps, video);
            capture->start();
        }
        break;
    }
    case Broadcast::kSourceAudioInput:
    case Broadcast::kSourceAudioOutput: {
        const bool input = source.type == Broadcast::kSourceAudioInput;
        const DeviceInfo device = pickDevice(input ? listAudioSources() : listAudioSinks(), settings.deviceId);
        if (device.id.empty()) {
            log("no sound device for " + name + ": it is silent");
            break;
        }
        const std::string id = input ? device.id : device.id + ".monitor";
        capture = makeDeviceAudioCapture(
            {"pulse", id, {{"sample_rate", std::to_string(kSampleRate)}, {"channels", "1"}, {"fragment_size", "1920"}}},
            kSampleRate, 1, audio, logSink);
        if (!capture->start()) {
            log("sound device " + id + ": " + capture->error());
            capture.reset();
        }
        break;
    }
    case Broadcast::kSourceMulAudioInput:
        break;  // fed by PushAudioData
    }
    return capture;
}

void BroadcastEngine::stopCapture(const std::string& name)
{
    Running running;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_wantedCapture.erase(name);
        auto it = m_captures.find(name);
        if (it == m_captures.end())
            return;
        running = std::move(it->second);
        m_captures.erase(it);
    }
    running.gate->state = CaptureGate::kClosed;
    running.capture->stop();
    std::lock_guard<std::mutex> lock(m_audioLock);
    for (auto it = m_fifos.begin(); it != m_fifos.end();) {
        if (it->first == name || it->first.rfind(name + "\n", 0) == 0) {
            m_primed.erase(it->first);
            it = m_fifos.erase(it);
        }
        else
            ++it;
    }
}

void BroadcastEngine::onAudio(const std::string& key, const int16_t* samples, int frames)
{
    const int64_t now = monotonicMs();
    std::lock_guard<std::mutex> lock(m_audioLock);
    AudioFifo& fifo = m_fifos[key];
    if (now - fifo.fedMs > kGoneMs) {
        fifo.samples.clear();
        m_primed.erase(key);
    }
    fifo.fedMs = now;
    fifo.samples.insert(fifo.samples.end(), samples, samples + frames);
    while (fifo.samples.size() > kMaxFifo)
        fifo.samples.pop_front();
}

void BroadcastEngine::runVideoTick()
{
    auto next = std::chrono::steady_clock::now();
    while (m_running) {
        int width, height;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            width = m_outW;
            height = m_outH;
        }
        FramePtr canvas;
        {
            std::vector<FramePtr> pictures;
            const std::vector<PlacedSource> placed = placedSources(&pictures);
            std::vector<CanvasLayer> layers;
            for (size_t i = 0; i < placed.size(); ++i)
                layers.push_back({placed[i].name, placed[i].rect, pictures[i].get()});
            canvas = m_compositor.compose(width, height, layers);
        }
        // The sources' pictures went back before the encoder's long step: a
        // screen capture hands out its shared-memory buffers from a pool
        // that grows by a whole screen for each picture held at once.
        if (canvas) {
            {
                std::lock_guard<std::mutex> lock(m_frameLock);
                m_canvas.reset(av_frame_clone(canvas.get()));
            }
            encodeVideo(canvas.get(), monotonicMs());
        }
        next += std::chrono::microseconds(1000000 / kFps);
        const auto now = std::chrono::steady_clock::now();
        if (next < now - std::chrono::milliseconds(500))
            next = now;
        std::this_thread::sleep_until(next);
    }
}

void BroadcastEngine::runAudioMix()
{
    std::vector<float> mix(kMixBlock);
    std::vector<float> mic(kMixBlock);
    std::vector<int16_t> out(kMixBlock);
    auto next = std::chrono::steady_clock::now();
    while (m_running) {
        std::fill(mix.begin(), mix.end(), 0.f);
        std::fill(mic.begin(), mic.end(), 0.f);
        std::map<std::string, std::pair<Broadcast::ESourceType, SourceSettings>> sources;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            for (const auto& [name, s] : m_sources)
                if (isAudio(s.type) && s.scene == m_currentScene)
                    sources[name] = {s.type, m_settings[name]};
        }
        const bool onTime = std::chrono::steady_clock::now() - next < std::chrono::milliseconds(40);
        const int64_t nowMs = monotonicMs();
        {
            std::lock_guard<std::mutex> lock(m_audioLock);
            for (auto entry = m_fifos.begin(); entry != m_fifos.end();) {
                const std::string& key = entry->first;
                if (nowMs - entry->second.fedMs > kGoneMs) {
                    m_primed.erase(key);
                    entry = m_fifos.erase(entry);
                    continue;
                }
                std::deque<int16_t>& fifo = (entry++)->second.samples;
                if (onTime && fifo.size() > kLateFifo)
                    fifo.erase(fifo.begin(), fifo.end() - long(kCutFifo));
                const std::string name = key.substr(0, key.find('\n'));
                auto it = sources.find(name);
                const size_t n = std::min<size_t>(fifo.size(), kMixBlock);
                if (it == sources.end()) {
                    fifo.erase(fifo.begin(), fifo.begin() + long(n));
                    continue;
                }
                // A source's samples are taken once two blocks are waiting, so
                // a capture that delivers a little late fills no block with
                // silence; one that runs dry waits again.
                if (!m_primed.count(key)) {
                    if (fifo.size() < 2 * size_t(kMixBlock))
                        continue;
                    m_primed.insert(key);
                }
                if (n < size_t(kMixBlock))
                    m_primed.erase(key);
                const SourceSettings& st = it->second.second;
                const float gain = st.muted ? 0.f : float(st.volume) / 100.f;
                const bool isMic = it->second.first == Broadcast::kSourceAudioInput;
                for (size_t i = 0; i < n; ++i) {
                    const float v = float(fifo[i]) / 32768.f * gain;
                    mix[i] += v;
                    if (isMic)
                        mic[i] += v;
                }
                fifo.erase(fifo.begin(), fifo.begin() + long(n));
            }
        }
        for (int i = 0; i < kMixBlock; ++i)
            out[size_t(i)] = int16_t(std::lround(std::clamp(mix[size_t(i)], -1.f, 1.f) * 32767.f));
        bool hasMic = false;
        for (const auto& [name, s] : sources)
            hasMic = hasMic || s.first == Broadcast::kSourceAudioInput;
        if (hasMic)
            meter(mic);
        encodeAudio(out.data(), kMixBlock, monotonicMs());
        next += std::chrono::milliseconds(20);
        const auto now = std::chrono::steady_clock::now();
        if (next < now - std::chrono::milliseconds(500))
            next = now;
        std::this_thread::sleep_until(next);
    }
}

void BroadcastEngine::meter(const std::vector<float>& block)
{
    double sum = 0;
    float peak = 0;
    for (float v : block) {
        sum += double(v) * v;
        peak = std::max(peak, std::fabs(v));
    }
    auto db = [](double x) { return x > 1e-5 ? float(20.0 * std::log10(x)) : -100.f; };
    const float magDb = db(std::sqrt(sum / double(block.size())));
    const float peakDb = db(peak);
    const int64_t now = monotonicMs();
    if (peakDb >= m_peakHold || now - m_peakHoldMs > 1000) {
        m_peakHold = peakDb;
        m_peakHoldMs = now;
    }
    const float hold = m_peakHold;
    std::string name;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (const auto& [n, s] : m_sources)
            if (s.type == Broadcast::kSourceAudioInput) {
                name = n;
                break;
            }
    }
    // Receivers may keep the name pointer past the call (a queued signal):
    // it points into a list of names that lives as long as the process.
    const char* stable = internName(name);
    post([stable, magDb, peakDb, hold](IBroadcastEngineObserver* o) { o->OnAudioVolume(stable, magDb, peakDb, hold); });
}

}  // namespace broadcast
