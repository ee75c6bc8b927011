#pragma once
// The audio decoder: renders its frames through an AudioRender (signed
// 16-bit to SDL at the stream's own rate, mono or stereo as the stream is).
// Whatever codec the stream has is decoded.
#include "libs/avplayer/DecoderBase.h"

#include <atomic>
#include <memory>

class AudioRender;

namespace avplayer {

class AACDecoder : public DecoderBase {
public:
    AACDecoder();
    // For tests and other outputs: renders through the given AudioRender.
    explicit AACDecoder(std::shared_ptr<AudioRender> render);
    // Without a render thread of its own: the owner pops the decoded frames
    // and calls onDecodeFrame when each is due.
    AACDecoder(std::shared_ptr<AudioRender> render, bool ownRenderThread);
    ~AACDecoder() override;

    int syncType() override { return SyncClock::Audio; }
    void onDecodeFrame(DecodedFrame* frame) override;
    // The time of the sample being heard now: the end of the audio queued
    // last minus what still waits in the output. Without a playing output,
    // the time of the frame taken last plus the wall time since.
    double currentClock() override;

    // Audio stays this far ahead of the device, no more.
    static constexpr double kDeviceLead = 0.1;
    // Decoded frames waiting for the device (about half a second of 1024
    // samples at 48 kHz): a full queue holds the decode thread back, so a
    // device slower than the stream delays the packets, not decoded audio.
    static constexpr size_t kQueuedFrames = 24;

protected:
    // The device sets the pace: a frame goes out once what waits in the
    // output has fallen below the lead.
    double waitBeforeRender(double pacedWait) override;

private:
    std::shared_ptr<AudioRender> m_audioRender;   // set by the constructor; used on the render thread
    std::atomic<double> m_queuedEnd{0.0};         // atomic: render thread writes, clock readers read
    std::atomic<bool> m_queuedAny{false};         // atomic: some audio reached the output
};

}  // namespace avplayer
