#include "libs/avplayer/AudioRender.h"

#include "libs/avplayer/AudioFormats.h"
#include "libs/avplayer/SDLRenderAudio.h"

extern "C" {
#include <libavutil/frame.h>
}

AudioRender::AudioRender(int sampleRate, int channels)
{
    setTarget(sampleRate, channels);
    m_output = new SDLRenderAudio(sampleRate, channels == 1 ? 1 : 2);
}

AudioRender::AudioRender(int sampleRate, int channels, IAudioFrameCallback* output) : m_output(output)
{
    setTarget(sampleRate, channels);
}

AudioRender::AudioRender(OutputMaker makeOutput) : m_makeOutput(std::move(makeOutput))
{
    if (!m_makeOutput)
        m_makeOutput = [](int rate, int channels) -> IAudioFrameCallback* { return new SDLRenderAudio(rate, channels); };
}

AudioRender::~AudioRender()
{
    audio_resampler_destroy(m_resampler);
    av_channel_layout_uninit(&m_target.layout);
    av_channel_layout_uninit(&m_source.layout);
    delete m_output.load();
}

void AudioRender::setTarget(int sampleRate, int channels)
{
    m_target.samples_per_sec = sampleRate;
    m_target.format = convertAudioFormat(AUDIO_FORMAT_16BIT);
    const SpeakerLayout speakers = channels == 1 ? SPEAKERS_MONO : SPEAKERS_STEREO;
    av_channel_layout_from_mask(&m_target.layout, convertSpeakerLayout(speakers));
}

bool AudioRender::sameAsSource(const AVFrame* frame, const AVChannelLayout& layout) const
{
    return frame->sample_rate == m_source.samples_per_sec && frame->format == m_source.format &&
           av_channel_layout_compare(&layout, &m_source.layout) == 0;
}

int AudioRender::render(AVFrame* frame)
{
    if (!frame || frame->nb_samples <= 0)
        return 0;
    AVChannelLayout layout{};
    usableChannelLayout(frame->ch_layout, &layout);
    if (!m_output.load() && m_makeOutput && frame->sample_rate > 0) {
        // The stream's own rate, and its channels (more than two mixed to stereo).
        const int channels = layout.nb_channels == 1 ? 1 : 2;
        setTarget(frame->sample_rate, channels);
        m_output = m_makeOutput(frame->sample_rate, channels);
    }
    IAudioFrameCallback* const output = m_output.load();
    if (!output) {
        av_channel_layout_uninit(&layout);
        return 0;
    }

    int queued = 0;
    if (frame->sample_rate == m_target.samples_per_sec && frame->format == m_target.format &&
        av_channel_layout_compare(&layout, &m_target.layout) == 0) {
        output->onAudioFrame(frame->data[0], frame->nb_samples, 0);
        queued = frame->nb_samples;
    } else {
        if (m_resampler && !sameAsSource(frame, layout)) {
            // The source changed rate, format or layout: start over.
            audio_resampler_destroy(m_resampler);
            m_resampler = nullptr;
        }
        if (!m_resampler) {
            m_source.samples_per_sec = frame->sample_rate;
            m_source.format = AVSampleFormat(frame->format);
            av_channel_layout_uninit(&m_source.layout);
            av_channel_layout_copy(&m_source.layout, &layout);
            m_resampler = audio_resampler_create(&m_target, &m_source);
            if (m_resampler)
                ++m_resamplersMade;
        }
        uint8_t* out[kMaxAudioPlanes] = {};
        const uint8_t* in[kMaxAudioPlanes] = {};
        const int planes = av_sample_fmt_is_planar(AVSampleFormat(frame->format)) ? layout.nb_channels : 1;
        for (int i = 0; i < planes && i < kMaxAudioPlanes; ++i)
            in[i] = frame->extended_data[i];
        int outCount = 0;
        uint64_t offset = 0;
        if (m_resampler && audio_resampler_resample(m_resampler, out, &outCount, &offset, in, frame->nb_samples) &&
            outCount > 0) {
            output->onAudioFrame(out[0], outCount, 0);
            queued = outCount;
        }
    }
    av_channel_layout_uninit(&layout);
    return queued;
}
