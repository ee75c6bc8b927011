#include "libs/avplayer/DecoderBase.h"

#include "libs/avplayer/AvLog.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/time.h>
}

namespace avplayer {

namespace {
// A first frame this far from the previous time is a jump, not a delay.
constexpr double kFirstJump = 1.0;
// Any later gap this large is a discontinuity too (no frame waits longer).
constexpr double kMaxFrameGap = 10.0;
constexpr double kSyncThresholdMin = 0.01;
constexpr double kNoSyncThreshold = 10.0;
// A frame this far from the master's clock is not waited for: a
// discontinuity the clock has not reached yet (it paces itself meanwhile).
constexpr double kMaxClockWait = 1.0;
// A master clock that does not move for this long has stopped.
constexpr int kMasterStallMs = 200;
// A render thread that took no frame for this long is stalled, not slow.
constexpr int64_t kRenderStallUs = 500000;

double nowSeconds() { return double(av_gettime()) / 1000000.0; }
}  // namespace

void freeDecodedFrame(DecodedFrame* frame)
{
    if (!frame)
        return;
    av_frame_free(&frame->frame);
    free(frame);
}

DecoderBase::DecoderBase() : m_scratch(makeFrame()) {}

DecoderBase::~DecoderBase()
{
    stopRenderThread();
    clearFrames();
    avcodec_free_context(&m_codecContext);
    std::lock_guard<std::mutex> lock(m_clockLock);
    m_syncClock.reset();
}

int DecoderBase::openAVCodecContext(AVStream* stream)
{
    if (!stream) {
        avplayer::log(avplayer::AvLogWarn, "avplayer::DecoderBase::openAVCodecContext", "cann't open codec context.");
        return -1;
    }
    m_stream = stream;
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        avplayer::log(avplayer::AvLogWarn, "avplayer::DecoderBase::openAVCodecContext", "cann't find decoder id: %d",
                      int(stream->codecpar->codec_id));
        return -2;
    }
    avcodec_free_context(&m_codecContext);
    m_codecContext = avcodec_alloc_context3(codec);
    int ret = m_codecContext ? avcodec_parameters_to_context(m_codecContext, stream->codecpar) : AVERROR(ENOMEM);
    if (ret >= 0) {
        m_codecContext->pkt_timebase = stream->time_base;
        // Frame threads hold back one picture per thread before the first
        // comes out (and keep a picture set each); slices cost no delay.
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            m_codecContext->thread_type = FF_THREAD_SLICE;
        ret = avcodec_open2(m_codecContext, codec, nullptr);
    }
    avplayer::log(avplayer::AvLogInfo, "avplayer::DecoderBase::openAVCodecContext", "opencode %s code id %d result:%d",
                  stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO ? "audio" : "video",
                  int(stream->codecpar->codec_id), ret);
    m_frameTimer.store(nowSeconds());
    if (ret >= 0)
        m_opened.store(true);
    return ret;
}

int DecoderBase::decode(AVPacket* packet)
{
    if (!m_stream || !m_codecContext || !m_opened.load())
        return -1;
    int ret = avcodec_send_packet(m_codecContext, packet);
    if (ret < 0 && ret != AVERROR(EAGAIN))
        return ret;
    int queued = 0;
    for (;;) {
        ret = avcodec_receive_frame(m_codecContext, m_scratch.get());
        if (ret < 0)
            break;
        AVFrame* clone = av_frame_clone(m_scratch.get());
        av_frame_unref(m_scratch.get());
        if (!clone)
            continue;
        auto* decoded = static_cast<DecodedFrame*>(malloc(sizeof(DecodedFrame)));
        if (!decoded) {
            av_frame_free(&clone);
            continue;
        }
        decoded->frame = clone;
        decoded->pts = framePts(clone);
        waitForRoom();
        pushFrame(decoded);
        ++queued;
    }
    return queued > 0 || ret == AVERROR(EAGAIN) || ret == AVERROR_EOF ? queued : ret;
}

double DecoderBase::frameDuration(const AVFrame* frame) const
{
    if (frame->sample_rate > 0 && frame->nb_samples > 0)
        return double(frame->nb_samples) / frame->sample_rate;
    const double timeBase = m_stream ? av_q2d(m_stream->time_base) : 0.0;
    return frame->pkt_duration > 0 ? double(frame->pkt_duration) * timeBase : 0.0;
}

double DecoderBase::framePts(AVFrame* frame)
{
    int64_t ts = frame->best_effort_timestamp;
    const double timeBase = m_stream ? av_q2d(m_stream->time_base) : 0.0;
    double pts;
    if (ts == AV_NOPTS_VALUE) {
        pts = m_nextPts;
    } else {
        if (ts < m_startPts) {
            if (m_firstFrame.load()) {
                ts = m_startPts;
            } else {
                av_log(nullptr, AV_LOG_WARNING, "multiple pts < start_pts; setting start pts to 0");
                m_startPts = 0;
            }
        }
        pts = double(ts - m_startPts) * timeBase;
        m_nextPts = pts;
    }
    double frameDelay = double(frame->pkt_duration) * timeBase;
    if (frameDelay <= 0 && frame->sample_rate > 0 && frame->nb_samples > 0)
        frameDelay = double(frame->nb_samples) / frame->sample_rate;
    m_nextPts += frameDelay + frame->repeat_pict * frameDelay;
    return pts;
}

void DecoderBase::pushFrame(DecodedFrame* frame)
{
    DecodedFrame* dropped = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_frameLock);
        m_frames.push_back(frame);
        if (m_frames.size() > m_queueLimit) {
            // Rendering stalls (a master that never starts): keep the newest.
            dropped = m_frames.front();
            m_frames.pop_front();
        }
    }
    freeDecodedFrame(dropped);
}

DecodedFrame* DecoderBase::popFrame()
{
    DecodedFrame* frame = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_frameLock);
        if (m_frames.empty())
            return nullptr;
        frame = m_frames.front();
        m_frames.pop_front();
        m_takenAt.store(av_gettime_relative());
    }
    m_frameTaken.notify_all();
    return frame;
}

void DecoderBase::waitForRoom()
{
    std::unique_lock<std::mutex> lock(m_frameLock);
    const int64_t begin = av_gettime_relative();
    while (m_frames.size() >= m_queueLimit && m_backPressure.load() && !m_releaseWaiters.load() &&
           !m_renderStop.load()) {
        const int64_t taken = m_takenAt.load();
        if (m_stalledAt >= 0) {
            if (taken <= m_stalledAt)
                return;  // still stalled: the push drops the oldest frame
            m_stalledAt = -1;
        }
        // A render thread that takes nothing (it waits for a master that
        // never starts, or has stopped) would hold the decode thread, and
        // with it the other stream, forever: after half a second without a
        // taken frame, the queue drops its oldest frames instead, until the
        // render thread takes one again.
        const int64_t now = av_gettime_relative();
        if (now - std::max(begin, taken) >= kRenderStallUs) {
            m_stalledAt = now;
            return;
        }
        m_frameTaken.wait_for(lock, std::chrono::milliseconds(20));
    }
}

void DecoderBase::releaseWaiters()
{
    {
        std::lock_guard<std::mutex> lock(m_frameLock);
        m_releaseWaiters.store(true);
    }
    m_frameTaken.notify_all();
}

size_t DecoderBase::queuedFrames() const
{
    std::lock_guard<std::mutex> lock(m_frameLock);
    return m_frames.size();
}

void DecoderBase::clearFrames()
{
    std::lock_guard<std::mutex> lock(m_frameLock);
    for (DecodedFrame* frame : m_frames)
        freeDecodedFrame(frame);
    m_frames.clear();
}

void DecoderBase::setSyncClock(std::shared_ptr<SyncClock> clock)
{
    std::lock_guard<std::mutex> lock(m_clockLock);
    m_syncClock = std::move(clock);
}

double DecoderBase::currentClock()
{
    return m_currentPts.load() + double(av_gettime() - m_shownAt.load()) / 1000000.0;
}

void DecoderBase::startRenderThread()
{
    stopRenderThread();
    m_renderStop.store(false);
    m_renderThread = std::thread(&DecoderBase::renderThread, this);
}

void DecoderBase::stopRenderThread()
{
    if (!m_renderThread.joinable())
        return;
    m_renderStop.store(true);
    releaseWaiters();
    {
        // A render thread may wait for a master that will never start.
        std::lock_guard<std::mutex> lock(m_clockLock);
        if (m_syncClock)
            m_syncClock->abort();
    }
    m_renderThread.join();
}

double DecoderBase::frameWait(double pts, double now)
{
    const int type = syncType();
    std::shared_ptr<SyncClock> clock;
    {
        std::lock_guard<std::mutex> lock(m_clockLock);
        clock = m_syncClock;
    }
    double delay = pts - m_lastPts;
    bool jump = delay >= kMaxFrameGap;
    if (m_firstFrame.load()) {
        avplayer::log(avplayer::AvLogInfo, "avplayer::DecoderBase::renderThread", "receive first %s frame,pts_diff:%f",
                      type == SyncClock::Audio ? "audio" : "video ", delay);
        m_firstFrame.store(false);
        jump = delay >= kFirstJump;
    }
    if (delay <= 0 || jump)
        delay = m_lastDelay;
    m_lastDelay = delay;
    m_lastPts = pts;

    if (clock && type != clock->masterType() && !m_masterStalled) {
        const double diff = pts + m_showDelay - clock->masterClock();
        const double threshold = std::max(delay, kSyncThresholdMin);
        if (std::fabs(diff) < kNoSyncThreshold) {
            if (diff <= -threshold)
                delay = 0;
            else if (diff >= threshold)
                delay = 2 * delay;
        }
    }
    double frameTimer = m_frameTimer.load() + delay;
    double remaining = frameTimer - now;
    if (remaining < 0.01) {
        frameTimer = now + delay;
        remaining = 0.01;
    }
    m_frameTimer.store(frameTimer);
    return std::min(delay, remaining);
}

void DecoderBase::renderThread()
{
    avplayer::log(avplayer::AvLogInfo, "avplayer::DecoderBase::renderThread", "enter func : %s ,obj id = %lld",
                  "avplayer::DecoderBase::renderThread", static_cast<long long>(reinterpret_cast<intptr_t>(this)));
    while (!m_renderStop.load()) {
        DecodedFrame* frame = popFrame();
        if (!frame) {
            av_usleep(1000);
            continue;
        }
        const int type = syncType();
        std::shared_ptr<SyncClock> clock;
        {
            std::lock_guard<std::mutex> lock(m_clockLock);
            clock = m_syncClock;
        }
        if (!clock || !clock->start(type)) {
            if (m_renderStop.load() || (clock && clock->aborted())) {
                freeDecodedFrame(frame);  // closing: the stop request follows
                av_usleep(1000);
                continue;
            }
            avplayer::log(avplayer::AvLogWarn, "avplayer::DecoderBase::renderThread",
                          "cann't start sync clock. current sync type is :%d", type);
        }
        // Wait until the frame is due, then render it: a frame shows at its
        // own time, not one frame early. The very first frame shows at once
        // (nothing is on screen yet; the pace of the next ones still counts
        // from its due time). A frame that follows a running master is due
        // when the master's clock reaches it; otherwise (it is the master,
        // or the clock is far off: a discontinuity) the paced wait holds.
        // The wait runs in short slices so that a stop request is seen at once.
        const bool first = m_rendered.load() == 0;
        if (clock && type == clock->masterType() && clock->skipToFollower(frame->pts, frameDuration(frame->frame))) {
            freeDecodedFrame(frame);  // the follower already shows later frames
            continue;
        }
        if (clock && type != clock->masterType() && first)
            clock->setFollowerStart(frame->pts);
        const double paced = frameWait(frame->pts, nowSeconds());
        const double master = clock ? clock->masterClock() : 0.0;
        if (m_masterStalled && master != m_stalledMaster)
            m_masterStalled = false;  // the master moves again
        bool follow = !first && !m_masterStalled && clock && type != clock->masterType() && clock->started() &&
                      std::fabs(frame->pts - master) < kMaxClockWait;
        if (follow) {
            // A master whose clock stands still (its stream paused, its
            // output ran dry) is not waited for: until it moves again the
            // frames pace themselves.
            double seen = master;
            auto moved = std::chrono::steady_clock::now();
            while (!m_renderStop.load()) {
                const double now = clock->masterClock();
                const double left = frame->pts + m_showDelay - now;
                if (left <= 0.0005 || left >= kMaxClockWait)
                    break;
                const auto wall = std::chrono::steady_clock::now();
                if (now != seen) {
                    seen = now;
                    moved = wall;
                    // Waiting for a master that moves is progress, not a
                    // stall: the decode thread keeps waiting for room.
                    m_takenAt.store(av_gettime_relative());
                } else if (wall - moved > std::chrono::milliseconds(kMasterStallMs)) {
                    m_masterStalled = true;
                    m_stalledMaster = now;
                    follow = false;
                    break;
                }
                av_usleep(unsigned(std::min(left, 0.01) * 1000000));
            }
        }
        if (follow) {
            // The pace of later frames counts from now.
            m_frameTimer.store(nowSeconds());
        } else {
            const double wait = first ? 0.0 : waitBeforeRender(paced);
            const auto due = std::chrono::steady_clock::now() + std::chrono::microseconds(int64_t(wait * 1000000));
            while (!m_renderStop.load()) {
                const auto now = std::chrono::steady_clock::now();
                if (now >= due)
                    break;
                const auto left = std::chrono::duration_cast<std::chrono::microseconds>(due - now).count();
                av_usleep(unsigned(std::min<int64_t>(left, 10000)));
            }
        }
        if (m_renderStop.load()) {
            freeDecodedFrame(frame);
            break;
        }
        m_currentPts.store(frame->pts);
        m_shownAt.store(av_gettime());
        onDecodeFrame(frame);
        freeDecodedFrame(frame);
        m_rendered.fetch_add(1);
    }
    avplayer::log(avplayer::AvLogInfo, "avplayer::DecoderBase::renderThread", "leave func : %s ,obj id = %lld",
                  "avplayer::DecoderBase::renderThread", static_cast<long long>(reinterpret_cast<intptr_t>(this)));
}

}  // namespace avplayer
