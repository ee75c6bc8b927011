#include "libs/avplayer/AACDecoder.h"

#include "libs/avplayer/AudioRender.h"
#include "libs/avplayer/IAudioFrameCallback.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace avplayer {

AACDecoder::AACDecoder() : AACDecoder(std::make_shared<AudioRender>()) {}

AACDecoder::AACDecoder(std::shared_ptr<AudioRender> render) : AACDecoder(std::move(render), true) {}

AACDecoder::AACDecoder(std::shared_ptr<AudioRender> render, bool ownRenderThread) : m_audioRender(std::move(render))
{
    setQueueLimit(kQueuedFrames);
    if (ownRenderThread)
        startRenderThread();
}

AACDecoder::~AACDecoder()
{
    stopRenderThread();
    m_audioRender.reset();
}

void AACDecoder::onDecodeFrame(DecodedFrame* frame)
{
    if (!frame || !frame->frame || !m_audioRender)
        return;
    const int queued = m_audioRender->render(frame->frame);
    if (queued > 0) {
        m_queuedEnd.store(frame->pts + double(queued) / m_audioRender->sampleRate());
        m_queuedAny.store(true);
    }
}

double AACDecoder::waitBeforeRender(double pacedWait)
{
    IAudioFrameCallback* output = m_audioRender ? m_audioRender->output() : nullptr;
    const double pending = output ? output->pendingSeconds() : -1.0;
    if (pending < 0)
        return pacedWait;  // nothing plays: keep the stream's own pace
    return pending > kDeviceLead ? pending - kDeviceLead : 0.0;
}

double AACDecoder::currentClock()
{
    IAudioFrameCallback* output = m_audioRender ? m_audioRender->output() : nullptr;
    const double pending = output ? output->pendingSeconds() : -1.0;
    if (pending < 0 || !m_queuedAny.load())
        return DecoderBase::currentClock();
    return m_queuedEnd.load() - pending;
}

}  // namespace avplayer
