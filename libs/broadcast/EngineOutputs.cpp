// Encoders (made when the first output starts, freed when the last ends),
// publishing over RTMP and recording to a file, fed by the same packets.
#include "libs/broadcast/BroadcastEngine.h"

#include <ctime>
#include <sys/stat.h>

using namespace mediacore;

namespace broadcast {

namespace {
constexpr int kAudioKbps = 96;

const char* stopText(int code)
{
    switch (code) {
    case Broadcast::kStopOk: return "";
    case Broadcast::kStopBadUrl: return "invalid address";
    case Broadcast::kStopConnectFailed: return "cannot connect to the server";
    case Broadcast::kStopRefused: return "the server refused the stream";
    case Broadcast::kStopError: return "unexpected error";
    case Broadcast::kStopDisconnected: return "disconnected from the server";
    default: return "";
    }
}
}  // namespace

bool BroadcastEngine::ensureEncodersLocked(std::string* error)
{
    if (m_videoEncoder)
        return true;
    VideoSettings v;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        v.width = m_outW;
        v.height = m_outH;
        v.kbps = m_kbps;
    }
    v.fps = kFps;
    v.preset = "veryfast";
    auto video = std::make_unique<VideoEncoder>();
    auto audio = std::make_unique<AudioEncoder>();
    if (!video->open(v, error) || !audio->open(kSampleRate, 1, kAudioKbps, error))
        return false;
    m_videoEncoder = std::move(video);
    m_audioEncoder = std::move(audio);
    return true;
}

void BroadcastEngine::releaseEncodersIfIdleLocked()
{
    if (!m_link && !m_recorder) {
        m_videoEncoder.reset();
        m_audioEncoder.reset();
    }
}

void BroadcastEngine::encodeVideo(const AVFrame* picture, int64_t captureMs)
{
    std::lock_guard<std::mutex> lock(m_outputLock);
    if (!m_videoEncoder)
        return;
    m_videoEncoder->encode(picture, captureMs - m_originMs, [&](AVPacket* pkt) {
        deliver(pkt, true, VideoEncoder::kTimeBase, captureMs);
    });
}

void BroadcastEngine::encodeAudio(const int16_t* samples, int frames, int64_t captureMs)
{
    std::lock_guard<std::mutex> lock(m_outputLock);
    if (!m_audioEncoder)
        return;
    const int64_t startMs = captureMs - m_originMs - int64_t(frames) * 1000 / kSampleRate;
    const AVRational tb = m_audioEncoder->context()->time_base;
    m_audioEncoder->encode(samples, frames, 1, kSampleRate, startMs,
                           [&](AVPacket* pkt) { deliver(pkt, false, tb, captureMs); });
}

void BroadcastEngine::deliver(AVPacket* packet, bool video, AVRational timeBase, int64_t captureMs)
{
    if (m_link)
        m_link->push(packet, video, timeBase, captureMs);
    if (m_recorder)
        m_recorder->write(packet, video, timeBase);
}

bool BroadcastEngine::StartStreaming(const char* url, const char* key)
{
    std::string address = url ? url : "";
    const std::string streamKey = key ? key : "";
    if (!streamKey.empty()) {
        if (!address.empty() && address.back() != '/')
            address += '/';
        address += streamKey;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_started) {
            log("publishing needs a started engine");
            return false;
        }
    }
    if (!isRtmpAddress(address)) {
        log("publish address refused: " + address);
        post([](IBroadcastEngineObserver* o) {
            o->OnStopPublish(Broadcast::kStopBadUrl, stopText(Broadcast::kStopBadUrl));
        });
        return false;
    }
    std::lock_guard<std::mutex> lock(m_outputLock);
    if (m_link)
        return false;
    std::string error;
    if (!ensureEncodersLocked(&error)) {
        log(error);
        post([](IBroadcastEngineObserver* o) { o->OnStopPublish(Broadcast::kStopError, stopText(Broadcast::kStopError)); });
        return false;
    }
    m_link = std::make_unique<PublishLink>();
    PublishLink* link = m_link.get();
    LinkEvents events;
    events.connected = [this] {
        m_events.post([this] {
            const bool again = m_publishConnected;
            m_publishConnected = true;
            if (!m_observer)
                return;
            if (again)
                m_observer->OnReconnectStreamSuccess();
            else
                m_observer->OnStartPublishSuccess();
        });
    };
    events.reconnecting = [this](int attempt) {
        if (attempt == 1)
            post([](IBroadcastEngineObserver* o) { o->OnReconnectStream(); });
    };
    events.failed = [this, link](OutputError code, bool final) {
        if (final)
            m_events.post([this, link, code] {
                {
                    std::lock_guard<std::mutex> lock(m_outputLock);
                    if (m_link.get() != link)
                        return;  // already stopped by a call
                }
                endPublishing(int(code), stopText(int(code)));
            });
    };
    LinkPolicy policy;
    policy.retryFirstConnect = false;
    policy.maxReconnects = 3;
    policy.ioTimeoutMs = 4000;
    m_publishConnected = false;
    m_link->start(address, m_videoEncoder->context(), m_audioEncoder->context(), std::move(events), policy,
                  [this](const std::string& l) { log(l); });
    m_videoEncoder->requestKeyFrame();
    log("publishing to " + address);
    return true;
}

void BroadcastEngine::endPublishing(int code, const std::string& text)
{
    std::unique_ptr<PublishLink> link;
    {
        std::lock_guard<std::mutex> lock(m_outputLock);
        link = std::move(m_link);
    }
    if (!link)
        return;
    link->stop();  // its sender reads the encoders' settings until it ends
    {
        std::lock_guard<std::mutex> lock(m_outputLock);
        releaseEncodersIfIdleLocked();
    }
    log("publishing stopped, code " + std::to_string(code));
    auto report = [this, code, text] {
        m_publishConnected = false;
        if (m_observer)
            m_observer->OnStopPublish(code, text.c_str());
    };
    if (m_events.onQueueThread())
        report();
    else
        m_events.post(report);
}

void BroadcastEngine::StopStreaming(int code)
{
    endPublishing(code, stopText(code));
}

void BroadcastEngine::SetRecordPath(const char* path)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_recordFolder = path ? path : "";
}

std::string BroadcastEngine::GetRecordPath()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_recordFile.empty() ? m_recordFolder : m_recordFile;
}

bool BroadcastEngine::SetRecordFormat(const char* format)
{
    if (!format || !FileRecorder::muxerOf(format))
        return false;
    std::lock_guard<std::mutex> lock(m_lock);
    m_recordFormat = format;
    return true;
}

bool BroadcastEngine::StartRecording()
{
    std::string folder, format;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_started) {
            log("recording needs a started engine");
            return false;
        }
        folder = m_recordFolder;
        format = m_recordFormat;
    }
    auto fail = [this](int code, const std::string& text) {
        log("recording: " + text);
        post([code, text](IBroadcastEngineObserver* o) { o->OnStopRecord(code, text.c_str()); });
        return false;
    };
    struct stat st;
    if (folder.empty() || stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return fail(Broadcast::kStopBadUrl, "the recording folder does not exist: " + folder);
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm tm;
    localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H-%M-%S", &tm);
    std::string path = folder + (folder.back() == '/' ? "" : "/") + stamp + "." + format;
    std::lock_guard<std::mutex> lock(m_outputLock);
    if (m_recorder)
        return false;
    std::string error;
    if (!ensureEncodersLocked(&error))
        return fail(Broadcast::kStopError, error);
    auto recorder = std::make_unique<FileRecorder>();
    const int err = recorder->open(path, format, m_videoEncoder->context(), m_audioEncoder->context());
    if (err < 0) {
        releaseEncodersIfIdleLocked();
        return fail(Broadcast::kStopError, "cannot write " + path + ": " + avErrorText(err));
    }
    m_recorder = std::move(recorder);
    m_videoEncoder->requestKeyFrame();
    {
        std::lock_guard<std::mutex> settingsLock(m_lock);
        m_recordFile = path;
    }
    log("recording to " + path);
    post([](IBroadcastEngineObserver* o) { o->OnStartRecordSuccess(); });
    return true;
}

void BroadcastEngine::StopRecording()
{
    std::unique_ptr<FileRecorder> recorder;
    {
        std::lock_guard<std::mutex> lock(m_outputLock);
        recorder = std::move(m_recorder);
        releaseEncodersIfIdleLocked();
    }
    if (!recorder)
        return;
    const int err = recorder->close();
    std::string path;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        path = m_recordFile;
        m_recordFile.clear();
    }
    const int code = err < 0 ? Broadcast::kStopError : Broadcast::kStopOk;
    const std::string text = err < 0 ? "recording " + path + " failed: " + avErrorText(err) : "";
    log("recording stopped: " + path);
    post([code, text](IBroadcastEngineObserver* o) { o->OnStopRecord(code, text.c_str()); });
}

}  // namespace broadcast
