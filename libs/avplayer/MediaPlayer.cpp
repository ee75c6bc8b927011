#include "libs/avplayer/MediaPlayer.h"

#include "libs/avplayer/AACDecoder.h"
#include "libs/avplayer/AudioRender.h"
#include "libs/avplayer/AvLog.h"
#include "libs/avplayer/H264Decoder.h"
#include "libs/avplayer/IAudioFrameCallback.h"
#include "libs/avplayer/SDLRenderAudio.h"

#include <algorithm>
#include <cmath>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/time.h>
}

namespace avplayer {

namespace {

// Packets are decoded this far ahead of the clock.
constexpr int64_t kDecodeAheadMs = 300;
// Sound goes to the device this far ahead of the clock; later than
// kAudioLateMs behind it, it is dropped.
constexpr int64_t kAudioAheadMs = 100;
constexpr int64_t kAudioLateMs = 200;
// Beyond this much sound waiting in the device (playing faster than 1.0),
// blocks are dropped.
constexpr double kMaxDeviceSeconds = 0.4;
// A file is read at most this far ahead of the clock; a live stream, whose
// packets cannot wait at the server, this far.
constexpr int64_t kFileReadAheadMs = 20000;
constexpr int64_t kLiveReadAheadMs = 60000;
constexpr int kIdleWaitMs = 5;

int64_t nowUs() { return av_gettime_relative(); }

int64_t packetMs(const AVPacket* packet, AVRational timeBase)
{
    int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (ts == AV_NOPTS_VALUE)
        return -1;
    return av_rescale_q(ts, timeBase, AVRational{1, 1000});
}

}  // namespace

// Sound to the player's own device and, mixed down to mono, to the tap.
class MediaPlayer::AudioTee : public IAudioFrameCallback {
public:
    AudioTee(bool device, std::function<void(const int16_t*, int)> tap) : m_tap(std::move(tap))
    {
        if (device)
            m_device = std::make_unique<SDLRenderAudio>(kOutputRate, 2);
    }
    void onAudioFrame(const void* samples, int count, int64_t pts) override
    {
        if (m_device)
            m_device->onAudioFrame(samples, count, pts);
        if (!m_tap || count <= 0)
            return;
        const auto* in = static_cast<const int16_t*>(samples);
        m_mono.resize(size_t(count));
        for (int i = 0; i < count; ++i)
            m_mono[size_t(i)] = int16_t((int(in[2 * i]) + int(in[2 * i + 1])) / 2);
        m_tap(m_mono.data(), count);
    }
    void clear() override
    {
        if (m_device)
            m_device->clear();
    }
    std::string name() override { return "media player audio"; }
    double pendingSeconds() override { return m_device && m_device->isOpen() ? m_device->pendingSeconds() : -1.0; }

private:
    std::unique_ptr<SDLRenderAudio> m_device;     // play thread (SDL's thread inside it)
    std::function<void(const int16_t*, int)> m_tap;
    std::vector<int16_t> m_mono;                  // play thread only
};

MediaPlayer::MediaPlayer(Callbacks callbacks) : m_cb(std::move(callbacks)) {}

MediaPlayer::~MediaPlayer()
{
    stop();
    dropPending();
}

void MediaPlayer::play(const std::string& url)
{
    if (m_demux.joinable() || m_play.joinable())
        return;
    m_url = url;
    if (m_readTimeoutUs.load() != 0)
        m_input.setTimeout(m_readTimeoutUs.load());
    avplayer::log(AvLogInfo, "avplayer::MediaPlayer::play", "play %s", url.c_str());
    setStatus(MediaStatus::Loading);
    m_demux = std::thread(&MediaPlayer::demuxThread, this);
    m_play = std::thread(&MediaPlayer::playThread, this);
}

void MediaPlayer::stop()
{
    m_stop.store(true);
    m_input.abort();
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_cond.notify_all();
    }
    if (m_demux.joinable())
        m_demux.join();
    if (m_play.joinable())
        m_play.join();
}

void MediaPlayer::seek(int64_t ms)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_opened || m_live.load())
        return;
    m_seekTo = std::max<int64_t>(0, ms) + m_startMs.load();
    m_cond.notify_all();
}

void MediaPlayer::setStatus(MediaStatus status)
{
    if (m_status.exchange(status) != status && m_cb.onStatus)
        m_cb.onStatus(status);
}

// ---- demux thread ----

int MediaPlayer::openInput()
{
    AVDictionary* options = nullptr;
    const bool rtmp = m_url.compare(0, 4, "rtmp") == 0;
    if (rtmp) {
        av_dict_set(&options, "fpsprobesize", "0", 0);
        av_dict_set(&options, "analyzeduration", "1000000", 0);
        av_dict_set(&options, "tcp_nodelay", "1", 0);
    }
    int ret = m_input.open(m_url, &options, rtmp ? "flv" : nullptr);
    av_dict_free(&options);
    if (ret < 0)
        return ret;
    ret = m_input.findStreamInfo();
    if (ret < 0)
        return ret;
    AVFormatContext* ctx = m_input.context();
    const int video = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = av_find_best_stream(ctx, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (video >= 0) {
        auto decoder = std::make_unique<H264Decoder>(
            [this](void* pixels, int width, int height) {
                if (m_cb.onPicture)
                    m_cb.onPicture(pixels, width, height);
            },
            false);
        decoder->setBackPressure(false);
        if (decoder->openAVCodecContext(ctx->streams[video]) >= 0) {
            m_video = std::move(decoder);
            m_videoIndex.store(video);
        }
    }
    if (audio >= 0) {
        auto* tee = new AudioTee(m_audioOutput.load(), m_cb.onAudioTap);
        m_audioRender = std::make_shared<AudioRender>(kOutputRate, 2, tee);
        auto decoder = std::make_unique<AACDecoder>(m_audioRender, false);
        decoder->setBackPressure(false);
        if (decoder->openAVCodecContext(ctx->streams[audio]) >= 0) {
            m_audio = std::move(decoder);
            m_tee = tee;
            m_audioIndex.store(audio);
        } else {
            m_audioRender.reset();
        }
    }
    if (!m_video && !m_audio)
        return AVERROR_DECODER_NOT_FOUND;
    const int64_t duration = ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0 ? ctx->duration / 1000 : 0;
    m_durationMs.store(duration);
    m_startMs.store(ctx->start_time != AV_NOPTS_VALUE ? ctx->start_time / 1000 : 0);
    m_live.store(rtmp || duration <= 0);
    return 0;
}

void MediaPlayer::demuxThread()
{
    const int ret = openInput();
    if (ret < 0) {
        if (m_stop.load())
            return;
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(ret, text, sizeof(text));
        avplayer::log(AvLogWarn, "avplayer::MediaPlayer::demuxThread", "open %s failed %d %s", m_url.c_str(), ret,
                      text);
        setStatus(MediaStatus::InvalidMedia);
        if (m_cb.onError)
            m_cb.onError(text);
        std::lock_guard<std::mutex> lock(m_lock);
        m_ended = true;
        m_cond.notify_all();
        return;
    }
    setStatus(MediaStatus::Loaded);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_opened = true;
        m_cond.notify_all();
    }
    readLoop();
}

void MediaPlayer::readLoop()
{
    AVFormatContext* ctx = m_input.context();
    const int64_t readAhead = m_live.load() ? kLiveReadAheadMs : kFileReadAheadMs;
    while (!m_stop.load()) {
        {
            std::unique_lock<std::mutex> lock(m_lock);
            if (m_seekTo >= 0) {
                const int64_t target = m_seekTo;
                m_seekTo = -1;
                lock.unlock();
                m_input.renew();
                const int r = av_seek_frame(ctx, -1, target * 1000, AVSEEK_FLAG_BACKWARD);
                avplayer::log(AvLogInfo, "avplayer::MediaPlayer::readLoop", "seek to %lld: %d",
                              static_cast<long long>(target), r);
                lock.lock();
                m_queue.clear();
                m_newestMs = -1;
                m_ended = false;
                m_readFailed = false;
                m_flushTo = target;
                m_cond.notify_all();
                continue;
            }
            // Far enough ahead, or at the end: wait for the clock, a seek or a stop.
            const int64_t played = m_positionMs.load() + m_startMs.load();
            if (m_ended || (m_newestMs >= 0 && m_newestMs - played > readAhead)) {
                m_cond.wait_for(lock, std::chrono::milliseconds(50));
                continue;
            }
        }
        PacketPtr packet = makePacket();
        if (!packet)
            break;
        const int ret = m_input.read(packet.get());
        if (ret < 0) {
            if (m_stop.load())
                break;
            const bool end = ret == AVERROR_EOF || avio_feof(ctx->pb);
            avplayer::log(end ? AvLogInfo : AvLogWarn, "avplayer::MediaPlayer::readLoop", "read %s: %d",
                          end ? "ended" : "failed", ret);
            if (!end && m_cb.onError)
                m_cb.onError("read failed");
            std::lock_guard<std::mutex> lock(m_lock);
            m_ended = true;
            m_readFailed = !end;
            m_cond.notify_all();
            continue;
        }
        const int index = packet->stream_index;
        if (index != m_videoIndex.load() && index != m_audioIndex.load())
            continue;
        const AVRational timeBase = ctx->streams[index]->time_base;
        if (index == m_videoIndex.load() && (packet->flags & AV_PKT_FLAG_KEY) && m_cb.onKeyFrame) {
            KeyFramePacket key;
            key.data = packet->data;
            key.size = packet->size;
            key.pts = packet->pts;
            key.duration = packet->duration;
            m_cb.onKeyFrame(key);
        }
        const int64_t ms = packetMs(packet.get(), timeBase);
        packet->time_base = timeBase;
        std::lock_guard<std::mutex> lock(m_lock);
        const int64_t at = ms >= 0 ? ms : std::max<int64_t>(m_newestMs, 0);
        m_newestMs = std::max(m_newestMs, at);
        m_queue.push_back(Queued{std::move(packet), at});
        m_cond.notify_all();
    }
}

// ---- play thread ----

int64_t MediaPlayer::clockMs() const
{
    if (!m_clockRunning)
        return m_clockBaseMs;
    return m_clockBaseMs + int64_t(double(nowUs() - m_clockWallUs) / 1000.0 * m_clockSpeed);
}

void MediaPlayer::startClock(int64_t fromMs)
{
    m_clockBaseMs = fromMs;
    m_clockWallUs = nowUs();
    m_clockSpeed = m_speed.load();
    m_clockRunning = true;
}

void MediaPlayer::holdClock()
{
    m_clockBaseMs = clockMs();
    m_clockRunning = false;
}

void MediaPlayer::dropPending()
{
    for (Pending& p : m_pendingVideo)
        freeDecodedFrame(static_cast<DecodedFrame*>(p.frame));
    for (Pending& p : m_pendingAudio)
        freeDecodedFrame(static_cast<DecodedFrame*>(p.frame));
    m_pendingVideo.clear();
    m_pendingAudio.clear();
}

void MediaPlayer::flushForSeek(int64_t targetMs)
{
    dropPending();
    if (m_video && m_video->codecContext())
        avcodec_flush_buffers(m_video->codecContext());
    if (m_audio && m_audio->codecContext())
        avcodec_flush_buffers(m_audio->codecContext());
    if (m_tee)
        m_tee->clear();
    m_clockRunning = false;
    m_clockBaseMs = targetMs;
    m_positionMs.store(std::max<int64_t>(0, targetMs - m_startMs.load()));
    m_playedMs = -1;
    setStatus(MediaStatus::Buffering);
}

void MediaPlayer::decodeDue(int64_t nowMs)
{
    for (;;) {
        Queued item;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            if (m_queue.empty() || m_queue.front().ms > nowMs + kDecodeAheadMs)
                return;
            item = std::move(m_queue.front());
            m_queue.pop_front();
        }
        const bool video = item.packet->stream_index == m_videoIndex.load();
        DecoderBase* decoder = video ? static_cast<DecoderBase*>(m_video.get())
                                     : static_cast<DecoderBase*>(m_audio.get());
        if (!decoder)
            continue;
        decoder->decode(item.packet.get());
        while (DecodedFrame* frame = decoder->popFrame()) {
            const int64_t ms = int64_t(std::llround(frame->pts * 1000.0));
            auto& list = video ? m_pendingVideo : m_pendingAudio;
            // Decoders hand out pictures in presentation order; keep it.
            auto at = std::upper_bound(list.begin(), list.end(), ms,
                                       [](int64_t t, const Pending& p) { return t < p.ms; });
            list.insert(at, Pending{frame, ms});
        }
    }
}

void MediaPlayer::presentDue(int64_t nowMs)
{
    while (!m_pendingAudio.empty() && m_pendingAudio.front().ms <= nowMs + kAudioAheadMs) {
        auto* frame = static_cast<DecodedFrame*>(m_pendingAudio.front().frame);
        const int64_t ms = m_pendingAudio.front().ms;
        m_pendingAudio.pop_front();
        const double waiting = m_tee ? m_tee->pendingSeconds() : -1.0;
        if (ms >= nowMs - kAudioLateMs && waiting < kMaxDeviceSeconds)
            m_audio->onDecodeFrame(frame);
        m_playedMs = std::max(m_playedMs, ms);
        freeDecodedFrame(frame);
    }
    DecodedFrame* show = nullptr;
    while (!m_pendingVideo.empty() && m_pendingVideo.front().ms <= nowMs) {
        freeDecodedFrame(show);
        show = static_cast<DecodedFrame*>(m_pendingVideo.front().frame);
        m_playedMs = std::max(m_playedMs, m_pendingVideo.front().ms);
        m_pendingVideo.pop_front();
    }
    if (show) {
        m_video->onDecodeFrame(show);
        m_pictures.fetch_add(1);
        freeDecodedFrame(show);
    }
}

void MediaPlayer::updateBuffered()
{
    int64_t newest;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        newest = m_newestMs;
    }
    const int64_t buffered = newest < 0 ? 0 : std::max<int64_t>(0, newest - clockMs());
    if (m_bufferedMs.exchange(buffered) != buffered && m_cb.onBuffered)
        m_cb.onBuffered(buffered);
}

void MediaPlayer::playThread()
{
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_cond.wait(lock, [this] { return m_opened || m_ended || m_stop.load(); });
        if (!m_opened)
            return;
    }
    setStatus(MediaStatus::Buffering);
    bool baseKnown = false;
    double lastProgress = -1.0;
    while (!m_stop.load()) {
        bool queueEmpty;
        bool ended;
        bool readFailed;
        int64_t flushTo;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            flushTo = m_flushTo;
            m_flushTo = -1;
            if (!baseKnown && !m_queue.empty()) {
                m_clockBaseMs = m_queue.front().ms;
                baseKnown = true;
            }
            queueEmpty = m_queue.empty();
            ended = m_ended;
            readFailed = m_readFailed;
        }
        if (flushTo >= 0) {
            flushForSeek(flushTo);
            baseKnown = true;
            lastProgress = -1.0;
            continue;
        }
        if (m_clockRunning && m_speed.load() != m_clockSpeed)
            startClock(clockMs());
        updateBuffered();
        const MediaStatus status = m_status.load();
        if (status == MediaStatus::Buffering || status == MediaStatus::Loaded) {
            const int64_t buffered = m_bufferedMs.load();
            const double progress = std::min(1.0, double(buffered) / double(m_bufferMs.load()));
            if (buffered >= m_bufferMs.load() || ended) {
                setStatus(MediaStatus::Buffered);
                if (m_cb.onBufferProgress)
                    m_cb.onBufferProgress(1.0);
                if (!m_paused.load())
                    startClock(m_clockBaseMs);
                if (!m_startedOnce) {
                    m_startedOnce = true;
                    if (m_cb.onStarted)
                        m_cb.onStarted();
                }
                m_lastNotifyUs = nowUs();
            } else {
                if (std::fabs(progress - lastProgress) >= 0.01 && m_cb.onBufferProgress)
                    m_cb.onBufferProgress(progress);
                lastProgress = progress;
                std::unique_lock<std::mutex> lock(m_lock);
                m_cond.wait_for(lock, std::chrono::milliseconds(kIdleWaitMs * 4));
                continue;
            }
        }
        if (m_paused.load()) {
            if (m_clockRunning)
                holdClock();
            std::this_thread::sleep_for(std::chrono::milliseconds(kIdleWaitMs * 2));
            continue;
        }
        if (!m_clockRunning && m_status.load() == MediaStatus::Buffered)
            startClock(m_clockBaseMs);
        const int64_t now = clockMs();
        decodeDue(now);
        presentDue(now);
        if (queueEmpty && m_pendingVideo.empty() && m_pendingAudio.empty()) {
            if (ended) {
                if (m_clockRunning) {
                    holdClock();
                    if (m_playedMs >= 0)
                        m_clockBaseMs = std::max(m_playedMs, m_clockBaseMs);
                }
                if (m_status.load() != MediaStatus::EndOfMedia && m_status.load() != MediaStatus::Stalled) {
                    if (!readFailed && m_durationMs.load() > 0)
                        m_positionMs.store(m_durationMs.load());
                    // The last position before the end, so that the end comes last.
                    if (m_cb.onPosition)
                        m_cb.onPosition(m_positionMs.load());
                    setStatus(readFailed ? MediaStatus::Stalled : MediaStatus::EndOfMedia);
                }
                std::unique_lock<std::mutex> lock(m_lock);
                m_cond.wait_for(lock, std::chrono::milliseconds(50));
                continue;
            }
            // Ran dry before the end: buffer again.
            holdClock();
            setStatus(MediaStatus::Buffering);
            lastProgress = -1.0;
            continue;
        }
        int64_t position = std::max<int64_t>(0, now - m_startMs.load());
        if (m_durationMs.load() > 0)
            position = std::min(position, m_durationMs.load());
        m_positionMs.store(position);
        if (nowUs() - m_lastNotifyUs >= int64_t(m_notifyMs.load()) * 1000) {
            m_lastNotifyUs = nowUs();
            if (m_cb.onPosition)
                m_cb.onPosition(position);
        }
        std::unique_lock<std::mutex> lock(m_lock);
        m_cond.wait_for(lock, std::chrono::milliseconds(kIdleWaitMs));
    }
}

}  // namespace avplayer
