#include "libs/mediacore/AudioEncoder.h"

namespace mediacore {

AudioEncoder::~AudioEncoder()
{
    if (m_fifo)
        av_audio_fifo_free(m_fifo);
}

bool AudioEncoder::open(int sampleRate, int channels, int kbps, std::string* error)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) {
        *error = "the AAC encoder is not available";
        return false;
    }
    m_ctx.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = m_ctx.get();
    c->sample_rate = sampleRate;
    av_channel_layout_default(&c->ch_layout, channels);
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->bit_rate = int64_t(kbps) * 1000;
    c->time_base = {1, sampleRate};
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int err = avcodec_open2(c, codec, nullptr);
    if (err < 0) {
        *error = "aac: " + avErrorText(err);
        m_ctx.reset();
        return false;
    }
    m_fifo = av_audio_fifo_alloc(c->sample_fmt, channels, c->frame_size * 4);
    m_frame = makeFrame();
    m_frame->format = c->sample_fmt;
    m_frame->nb_samples = c->frame_size;
    av_channel_layout_copy(&m_frame->ch_layout, &c->ch_layout);
    m_frame->sample_rate = sampleRate;
    av_frame_get_buffer(m_frame.get(), 0);
    m_packet = makePacket();
    return true;
}

void AudioEncoder::encode(const int16_t* samples, int frames, int channels, int sampleRate, int64_t startMs,
                          const PacketSink& sink)
{
    if (!m_ctx || frames <= 0 || channels <= 0 || sampleRate <= 0)
        return;
    AVCodecContext* c = m_ctx.get();
    if (!m_swr || sampleRate != m_inRate || channels != m_inChannels) {
        m_inRate = sampleRate;
        m_inChannels = channels;
        AVChannelLayout in;
        av_channel_layout_default(&in, channels);
        SwrContext* swr = nullptr;
        swr_alloc_set_opts2(&swr, &c->ch_layout, c->sample_fmt, c->sample_rate, &in, AV_SAMPLE_FMT_S16, sampleRate, 0,
                            nullptr);
        if (!swr || swr_init(swr) < 0) {
            swr_free(&swr);
            m_swr.reset();
            return;
        }
        m_swr.reset(swr);
    }
    if (m_nextPts < 0)
        m_nextPts = std::max<int64_t>(startMs, 0) * c->sample_rate / 1000;
    const int maxOut = swr_get_out_samples(m_swr.get(), frames);
    FramePtr converted = makeFrame();
    converted->format = c->sample_fmt;
    converted->nb_samples = maxOut;
    av_channel_layout_copy(&converted->ch_layout, &c->ch_layout);
    if (maxOut <= 0 || av_frame_get_buffer(converted.get(), 0) < 0)
        return;
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    const int got = swr_convert(m_swr.get(), converted->extended_data, maxOut, in, frames);
    if (got > 0)
        av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(converted->extended_data), got);
    while (av_audio_fifo_size(m_fifo) >= c->frame_size) {
        av_frame_make_writable(m_frame.get());
        av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(m_frame->extended_data), c->frame_size);
        m_frame->pts = m_nextPts;
        m_nextPts += c->frame_size;
        if (avcodec_send_frame(c, m_frame.get()) >= 0)
            drainEncoder(m_ctx.get(), m_packet.get(), sink);
    }
}

void AudioEncoder::flush(const PacketSink& sink)
{
    drainEncoder(m_ctx.get(), m_packet.get(), sink, true);
}

}  // namespace mediacore
