#pragma once
// One decoder per media type of a player. The player's decode thread hands
// it packets (decode); decoded frames wait in a queue with their time in
// seconds; the decoder's own render thread takes them one at a time, waits
// until each is due against the shared sync clock, and renders it
// (onDecodeFrame).
#include "libs/avplayer/AvHolders.h"
#include "libs/avplayer/SyncClock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace avplayer {

struct DecodedFrame {
    AVFrame* frame;  // a clone owned by this block
    double pts;      // seconds
};

// Frees the clone and the block (null is fine).
void freeDecodedFrame(DecodedFrame* frame);

class DecoderBase {
public:
    // Frames waiting beyond the queue limit push the oldest out (memory stays
    // flat while rendering stalls; a live stream moves on anyway). This is
    // the default limit; decoders of large frames set a smaller one.
    static constexpr size_t kMaxQueuedFrames = 120;

    DecoderBase();
    virtual ~DecoderBase();
    DecoderBase(const DecoderBase&) = delete;
    DecoderBase& operator=(const DecoderBase&) = delete;

    // Decodes one packet (null flushes) and queues every frame it yields.
    // Returns the count of frames queued, or FFmpeg's negative code; -1
    // without an open stream. Decode thread only.
    virtual int decode(AVPacket* packet);
    // 0 audio, 1 video: the sync types of SyncClock.
    virtual int syncType() = 0;
    // Renders one frame on the render thread; the frame stays the caller's.
    virtual void onDecodeFrame(DecodedFrame* frame) = 0;
    // Opens the decoder for the stream: 0, -1 without a stream, -2 without a
    // decoder for its codec, or avcodec_open2's negative result.
    virtual int openAVCodecContext(AVStream* stream);

    void pushFrame(DecodedFrame* frame);
    DecodedFrame* popFrame();
    size_t queuedFrames() const;
    size_t queueLimit() const { return m_queueLimit; }
    // Back-pressure for the decode thread: while the queue is full, waits
    // for the render thread to take a frame. A render thread that took none
    // for half a second, nor saw the master it waits for move, counts as
    // stalled: then (until it takes one again)
    // this returns at once and the push drops the oldest frame. Returns at
    // once after releaseWaiters. Decode thread only.
    void waitForRoom();
    // Ends a waitForRoom now and makes later ones return at once; any thread.
    void releaseWaiters();
    // Off: waitForRoom returns at once (the owner's backlog of undecoded
    // packets is long enough; pictures are dropped to keep pace). Any thread.
    void setBackPressure(bool on) { m_backPressure.store(on); }

    void setSyncClock(std::shared_ptr<SyncClock> clock);
    // The time of the frame rendered last plus the wall time since; any thread.
    virtual double currentClock();

    void startRenderThread();
    void stopRenderThread();

    bool isOpen() const { return m_opened.load(); }
    AVCodecContext* codecContext() const { return m_codecContext; }
    // Frames rendered so far; any thread.
    int64_t renderedFrames() const { return m_rendered.load(); }

    // The presentation time of a decoded frame in seconds (decode thread).
    double framePts(AVFrame* frame);
    // How long a decoded frame lasts in seconds (0 when unknown).
    double frameDuration(const AVFrame* frame) const;

    // Pacing of one frame whose time is pts (render thread; public for tests):
    // returns how long to wait after rendering it, in seconds. now is
    // av_gettime() in seconds.
    double frameWait(double pts, double now);

    // How long after the master's clock reaches a frame it is rendered
    // (seconds; 0 unless the decoder sets one).
    double showDelay() const { return m_showDelay; }

protected:
    // Constructor only (before any frame is queued).
    void setQueueLimit(size_t frames) { m_queueLimit = frames; }
    // A follower whose master is heard later than its clock says renders
    // that much after the master reaches each frame. Constructor only
    // (before the render thread starts).
    void setShowDelay(double seconds) { m_showDelay = seconds; }
    void clearFrames();
    // How long to wait before rendering a frame; pacedWait is what the clock
    // pacing asks for. An output with its own pace (a sound device) answers
    // from that instead.
    virtual double waitBeforeRender(double pacedWait) { return pacedWait; }

    AVStream* m_stream = nullptr;               // set by openAVCodecContext before decoding starts
    AVCodecContext* m_codecContext = nullptr;   // decode thread (opened before decoding starts)
    std::atomic<bool> m_opened{false};          // atomic: set once the codec is open

private:
    void renderThread();

    // Decode thread only:
    int64_t m_startPts = 0;
    double m_nextPts = 0.0;
    FramePtr m_scratch;
    // Render thread only (the two below are read by currentClock: atomic):
    std::atomic<bool> m_firstFrame{true};       // atomic: cleared by the render thread, read by framePts
    std::atomic<double> m_currentPts{0.0};
    std::atomic<int64_t> m_shownAt{0};
    double m_lastPts = 0.0;
    double m_lastDelay = 0.04;
    double m_showDelay = 0.0;                   // set by the constructor, read by the render thread
    bool m_masterStalled = false;               // the master's clock stood still at m_stalledMaster
    double m_stalledMaster = 0.0;
    std::atomic<double> m_frameTimer{0.0};      // atomic: set by openAVCodecContext, then render thread only
    std::atomic<int64_t> m_rendered{0};

    mutable std::mutex m_clockLock;             // guards m_syncClock
    std::shared_ptr<SyncClock> m_syncClock;     // guarded by m_clockLock

    mutable std::mutex m_frameLock;             // guards m_frames
    std::deque<DecodedFrame*> m_frames;         // guarded by m_frameLock
    std::condition_variable m_frameTaken;       // with m_frameLock: popFrame took a frame
    size_t m_queueLimit = kMaxQueuedFrames;     // set by the constructor, then read only
    std::atomic<int64_t> m_takenAt{0};          // atomic: av_gettime_relative() of the last popFrame, or of
                                                // the last move of the master a popped frame waits for
    std::atomic<bool> m_releaseWaiters{false};  // atomic: set by releaseWaiters
    std::atomic<bool> m_backPressure{true};     // atomic: set by setBackPressure
    int64_t m_stalledAt = -1;                   // decode thread only: when waitForRoom gave up, -1 while not stalled

    std::thread m_renderThread;                 // owner's thread (constructor, destructor)
    std::atomic<bool> m_renderStop{false};      // atomic: set by the owner before joining
};

}  // namespace avplayer
