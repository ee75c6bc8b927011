#include "libs/rtmppush/RtmpPushSession.h"

#include "libs/mediacore/DeviceList.h"
#include "libs/mediacore/SeiStamp.h"

using namespace mediacore;

namespace {
constexpr int kAudioKbps = 64;
}

RtmpPushSession::RtmpPushSession(RTMPHosterEvent& events) : m_events(events) {}

RtmpPushSession::~RtmpPushSession()
{
    StopRtmpStream();
    m_queue.flush();
}

VideoSettings RtmpPushSession::videoSettingsOf(int mode)
{
    static const VideoSettings kModes[4] = {
        {320, 240, 15, 300, "veryfast"},
        {640, 480, 15, 600, "veryfast"},
        {1280, 720, 15, 1200, "veryfast"},
        {1920, 1080, 15, 2000, "veryfast"},
    };
    return kModes[(mode >= 0 && mode < 4) ? mode : 1];
}

void RtmpPushSession::log(const std::string& line)
{
    m_queue.post([this, line] { m_events.OnRtmpLog(line.c_str(), int(line.size())); });
}

void RtmpPushSession::SetVideoMode(int mode)
{
    if (mode < 0 || mode > 3)
        return;
    std::lock_guard<std::mutex> lock(m_lock);
    m_videoMode = mode;
}

void RtmpPushSession::EnableVideo(bool enable)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_videoEnabled = enable;
}

void RtmpPushSession::SetVideoDevice(const char* name)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_videoDevice = name ? name : "";
}

void RtmpPushSession::SetAudioDevice(const char* name)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_audioDevice = name ? name : "";
}

void RtmpPushSession::SetVideoRender(RTMPVideoRender* render)
{
    std::lock_guard<std::mutex> lock(m_renderLock);
    m_render = render;
}

void RtmpPushSession::SetMicCapture(bool capture)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_micCapture = capture;
}

void RtmpPushSession::SetAudioFormat(int sampleRate, int channels, bool external)
{
    if (sampleRate < 8000 || sampleRate > 96000 || channels < 1 || channels > 2)
        return;
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_running) {
        // The encoder is open: the format holds until the next start.
        log("audio format kept while pushing, external mix " + std::to_string(external));
        return;
    }
    m_sampleRate = sampleRate;
    m_channels = channels;
}

void RtmpPushSession::SetTimestamp(int offsetMs)
{
    m_offsetMs = offsetMs;
}

int RtmpPushSession::StartRtmpStream(const char* url)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_running)
        return RTMPHOSTER_ERR_RUNNING;
    const std::string address = url ? url : "";
    if (!isRtmpAddress(address)) {
        log("push address refused: " + address);
        return RTMPHOSTER_ERR_BAD_URL;
    }
    std::string error;
    m_audioEncoder = std::make_unique<AudioEncoder>();
    if (!m_audioEncoder->open(m_sampleRate, m_channels, kAudioKbps, &error)) {
        log(error);
        m_audioEncoder.reset();
        return RTMPHOSTER_ERR_ENCODER;
    }
    if (m_videoEnabled) {
        m_videoEncoder = std::make_unique<VideoEncoder>();
        if (!m_videoEncoder->open(videoSettingsOf(m_videoMode), &error)) {
            log(error);
            m_videoEncoder.reset();
            m_audioEncoder.reset();
            return RTMPHOSTER_ERR_ENCODER;
        }
    }
    m_originMs = monotonicMs();
    m_link = std::make_unique<PublishLink>();
    LinkEvents events;
    events.connected = [this] { m_queue.post([this] { m_events.OnRtmpStreamOK(); }); };
    events.reconnecting = [this](int attempt) {
        m_queue.post([this, attempt] { m_events.OnRtmpStreamReconnecting(attempt); });
    };
    events.failed = [this](OutputError code, bool) {
        m_queue.post([this, code] { m_events.OnRtmpStreamFailed(int(code)); });
    };
    events.status = [this](int delay, int kb) {
        m_queue.post([this, delay, kb] { m_events.OnRtmpStreamStatus(delay, kb); });
    };
    LinkPolicy policy;  // keep trying for as long as the push runs
    m_link->start(address, m_videoEncoder ? m_videoEncoder->context() : nullptr, m_audioEncoder->context(),
                  std::move(events), policy, [this](const std::string& line) { log(line); });
    if ((m_videoEncoder && !startVideo(&error)) || !startAudio(&error)) {
        log(error);
        m_running = true;
        stopLocked();
        return RTMPHOSTER_ERR_ENCODER;
    }
    m_running = true;
    log("push started: " + address);
    return RTMPHOSTER_OK;
}

bool RtmpPushSession::startVideo(std::string* error)
{
    const VideoSettings settings = videoSettingsOf(m_videoMode);
    auto sink = [this](const AVFrame* frame, int64_t ms) { onVideoFrame(frame, ms); };
    const DeviceInfo camera = pickDevice(listCameras(), m_videoDevice);
    if (!camera.id.empty()) {
        DeviceInput input{"v4l2", camera.id,
                          {{"video_size", std::to_string(settings.width) + "x" + std::to_string(settings.height)},
                           {"framerate", std::to_string(settings.fps)}}};
        m_videoCapture = makeDeviceVideoCapture(input, sink, [this](const std::string& l) { log(l); });
        if (m_videoCapture->start()) {
            log("camera " + camera.name + " (" + camera.id + ")");
            return true;
        }
        // The camera may not offer that size: take what it gives.
        input.options.clear();
        m_videoCapture = makeDeviceVideoCapture(input, sink, [this](const std::string& l) { log(l); });
        if (m_videoCapture->start()) {
            log("camera " + camera.name + " (" + camera.id + ") at its own size");
            return true;
        }
        log("camera " + camera.id + " cannot be opened: " + m_videoCapture->error());
    } else {
        log("no camera found: a generated picture is pushed");
    }
    m_videoCapture = makePatternCapture(settings.width, settings.height, settings.fps, sink);
    if (!m_videoCapture->start()) {
        *error = "the generated picture cannot start";
        return false;
    }
    return true;
}

bool RtmpPushSession::startAudio(std::string* error)
{
    auto sink = [this](int16_t* s, int frames, int ch, int rate, int64_t ms) { onAudioBlock(s, frames, ch, rate, ms); };
    const DeviceInfo mic = pickDevice(listAudioSources(), m_audioDevice);
    if (!mic.id.empty()) {
        // Smaller blocks, lower delay, when the library owns the capture.
        const int blockMs = m_micCapture ? 10 : 20;
        DeviceInput input{"pulse", mic.id,
                          {{"sample_rate", std::to_string(m_sampleRate)},
                           {"channels", std::to_string(m_channels)},
                           {"fragment_size", std::to_string(m_sampleRate * blockMs / 1000 * 2 * m_channels)}}};
        m_audioCapture = makeDeviceAudioCapture(input, m_sampleRate, m_channels, sink,
                                                [this](const std::string& l) { log(l); });
        if (m_audioCapture->start()) {
            m_fromMic = true;
            log("microphone " + mic.name + " (" + mic.id + ")");
            return true;
        }
        log("microphone " + mic.id + " cannot be opened: " + m_audioCapture->error());
    } else {
        log("no microphone found: silence is pushed");
    }
    m_fromMic = false;
    m_audioCapture = makeSilenceCapture(m_sampleRate, m_channels, sink);
    if (!m_audioCapture->start()) {
        *error = "the generated sound cannot start";
        return false;
    }
    return true;
}

void RtmpPushSession::onVideoFrame(const AVFrame* frame, int64_t captureMs)
{
    bool hold = false;
    {
        std::lock_guard<std::mutex> lock(m_renderLock);
        if (m_render) {
            hold = m_render->holdPicture.load();
            sendPreview(frame);
        }
    }
    const AVFrame* pushed = frame;
    if (hold && m_heldPicture) {
        pushed = m_heldPicture.get();
    } else {
        if (!m_heldPicture)
            m_heldPicture = makeFrame();
        av_frame_unref(m_heldPicture.get());
        av_frame_ref(m_heldPicture.get(), frame);
    }
    m_videoEncoder->encode(pushed, captureMs - m_originMs, [this, captureMs](AVPacket* pkt) {
        if (!(pkt->flags & AV_PKT_FLAG_KEY)) {
            m_link->push(pkt, true, VideoEncoder::kTimeBase, captureMs);
            return;
        }
        // Key frames carry the sender's time (server clock) in front.
        const std::vector<uint8_t> stamp = makeSeiStamp(epochMs() - m_offsetMs.load());
        PacketPtr stamped = makePacket();
        av_new_packet(stamped.get(), int(stamp.size()) + pkt->size);
        std::copy(stamp.begin(), stamp.end(), stamped->data);
        std::copy(pkt->data, pkt->data + pkt->size, stamped->data + stamp.size());
        av_packet_copy_props(stamped.get(), pkt);
        m_link->push(stamped.get(), true, VideoEncoder::kTimeBase, captureMs);
    });
}

void RtmpPushSession::sendPreview(const AVFrame* frame)
{
    if (!m_render->onFrame || frame->width <= 0 || frame->height <= 0)
        return;
    if (!m_previewSws || frame->width != m_previewW || frame->height != m_previewH || frame->format != m_previewFmt) {
        m_previewW = frame->width;
        m_previewH = frame->height;
        m_previewFmt = frame->format;
        m_previewSws.reset(sws_getContext(m_previewW, m_previewH, AVPixelFormat(m_previewFmt), m_previewW, m_previewH,
                                          AV_PIX_FMT_BGR0, SWS_POINT, nullptr, nullptr, nullptr));
        m_previewPixels.assign(size_t(m_previewW) * m_previewH * 4, 0);
    }
    if (!m_previewSws)
        return;
    uint8_t* dst[1] = {m_previewPixels.data()};
    const int dstStride[1] = {m_previewW * 4};
    sws_scale(m_previewSws.get(), frame->data, frame->linesize, 0, m_previewH, dst, dstStride);
    const RTMPFrameRecord record{int32_t(sizeof(RTMPFrameRecord)), m_previewW, m_previewH, 32,
                                 int32_t(m_previewPixels.size())};
    m_render->onFrame(m_render->context, &record, m_previewPixels.data());
}

void RtmpPushSession::onAudioBlock(int16_t* samples, int frames, int channels, int sampleRate, int64_t captureMs)
{
    m_events.OnAudioData(reinterpret_cast<uint8_t*>(samples), frames, 2 * channels, channels, sampleRate, m_fromMic);
    const int64_t startMs = captureMs - m_originMs - int64_t(frames) * 1000 / sampleRate;
    m_audioEncoder->encode(samples, frames, channels, sampleRate, startMs, [this, captureMs](AVPacket* pkt) {
        m_link->push(pkt, false, m_audioEncoder->context()->time_base, captureMs);
    });
}

void RtmpPushSession::StopRtmpStream()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_running)
            return;
        stopLocked();
    }
    m_queue.post([this] { m_events.OnRtmpStreamClosed(); });
    m_queue.flush();
}

void RtmpPushSession::stopLocked()
{
    if (m_videoCapture)
        m_videoCapture->stop();
    if (m_audioCapture)
        m_audioCapture->stop();
    if (m_link)
        m_link->stop();
    m_videoCapture.reset();
    m_audioCapture.reset();
    m_link.reset();
    m_videoEncoder.reset();
    m_audioEncoder.reset();
    m_heldPicture.reset();
    m_running = false;
    log("push stopped");
}
