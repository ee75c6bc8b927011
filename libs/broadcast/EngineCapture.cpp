// Capture of each source, the video tick that encodes the canvas, and the
// audio mix that meters the microphone and encodes the scene's sound.
#include "libs/broadcast/BroadcastEngine.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

using namespace mediacore;

namespace broadcast {

namespace {
constexpr int kMixBlock = BroadcastEngine::kSampleRate / 50;        // 20 ms
constexpr size_t kMaxFifo = BroadcastEngine::kSampleRate / 5;       // 200 ms: older samples go

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

void BroadcastEngine::startCaptureLocked(const std::string& name)
{
    const Source source = m_sources.at(name);
    const SourceSettings settings = m_settings[name];
    LogSink logSink = [this](const std::string& l) { log(l); };
    std::unique_ptr<CaptureSource> capture;
    VideoSink video = [this, name](const AVFrame* frame, int64_t) {
        FramePtr copy(av_frame_clone(frame));
        std::lock_guard<std::mutex> lock(m_frameLock);
        m_latest[name] = std::move(copy);
    };
    AudioSink audio = [this, name](int16_t* s, int frames, int, int, int64_t) { onAudio(name, s, frames); };
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
        if (source.type == Broadcast::kSourceAppWindow) {
            if (!settings.windowId) {
                log("source " + name + ": no window chosen");
                break;
            }
            input.options["window_id"] = std::to_string(settings.windowId);
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
    if (capture)
        m_captures[name] = std::move(capture);
}

void BroadcastEngine::stopCapture(const std::string& name)
{
    std::unique_ptr<CaptureSource> capture;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_captures.find(name);
        if (it == m_captures.end())
            return;
        capture = std::move(it->second);
        m_captures.erase(it);
    }
    capture->stop();
    std::lock_guard<std::mutex> lock(m_audioLock);
    for (auto it = m_fifos.begin(); it != m_fifos.end();) {
        if (it->first == name || it->first.rfind(name + "\n", 0) == 0)
            it = m_fifos.erase(it);
        else
            ++it;
    }
}

void BroadcastEngine::onAudio(const std::string& key, const int16_t* samples, int frames)
{
    std::lock_guard<std::mutex> lock(m_audioLock);
    std::deque<int16_t>& fifo = m_fifos[key];
    fifo.insert(fifo.end(), samples, samples + frames);
    while (fifo.size() > kMaxFifo)
        fifo.pop_front();
}

void BroadcastEngine::runVideoTick()
{
    auto next = std::chrono::steady_clock::now();
    while (m_running) {
        const std::string top = topVisualSource();
        FramePtr picture;
        {
            std::lock_guard<std::mutex> lock(m_frameLock);
            auto it = m_latest.find(top);
            if (it != m_latest.end() && it->second)
                picture.reset(av_frame_clone(it->second.get()));
        }
        if (!picture) {
            // No visual source (yet): a black canvas.
            picture = makeFrame();
            picture->format = AV_PIX_FMT_YUV420P;
            picture->width = 64;
            picture->height = 36;
            av_frame_get_buffer(picture.get(), 0);
            std::fill(picture->data[0], picture->data[0] + picture->linesize[0] * 36, 16);
            std::fill(picture->data[1], picture->data[1] + picture->linesize[1] * 18, 128);
            std::fill(picture->data[2], picture->data[2] + picture->linesize[2] * 18, 128);
        }
        encodeVideo(picture.get(), monotonicMs());
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
        {
            std::lock_guard<std::mutex> lock(m_audioLock);
            for (auto& [key, fifo] : m_fifos) {
                const std::string name = key.substr(0, key.find('\n'));
                auto it = sources.find(name);
                const size_t n = std::min<size_t>(fifo.size(), kMixBlock);
                if (it == sources.end()) {
                    fifo.erase(fifo.begin(), fifo.begin() + long(n));
                    continue;
                }
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
