#include "libs/mediacore/MuxOutput.h"

#include <cerrno>

namespace mediacore {

OutputError classifyOpenError(int err)
{
    switch (err) {
    case AVERROR(ECONNREFUSED):
    case AVERROR(ETIMEDOUT):
    case AVERROR(EHOSTUNREACH):
    case AVERROR(ENETUNREACH):
    case AVERROR(EADDRNOTAVAIL):
    case AVERROR_EXIT:  // the connect time-out fired
        return OutputError::Connect;
    default:
        return OutputError::Refused;
    }
}

bool isRtmpAddress(const std::string& url)
{
    const std::string scheme = "rtmp://";
    if (url.compare(0, scheme.size(), scheme) != 0)
        return false;
    const size_t hostEnd = url.find('/', scheme.size());
    if (hostEnd == std::string::npos || hostEnd == scheme.size())
        return false;
    return hostEnd + 1 < url.size();  // an application follows
}

MuxOutput::~MuxOutput()
{
    if (m_ctx)
        close();
}

int MuxOutput::interrupted(void* self)
{
    auto* out = static_cast<MuxOutput*>(self);
    if (out->m_abort)
        return 1;
    const int64_t deadline = out->m_deadlineMs;
    return deadline > 0 && monotonicMs() > deadline ? 1 : 0;
}

void MuxOutput::armDeadline()
{
    m_deadlineMs = monotonicMs() + m_ioTimeoutMs;
}

int MuxOutput::open(const std::string& target, const std::string& format, const AVCodecContext* video,
                    const AVCodecContext* audio, const std::map<std::string, std::string>& options)
{
    AVFormatContext* ctx = nullptr;
    int err = avformat_alloc_output_context2(&ctx, nullptr, format.c_str(), target.c_str());
    if (err < 0 || !ctx)
        return err < 0 ? err : AVERROR(EINVAL);
    m_ctx = ctx;
    ctx->interrupt_callback = {&MuxOutput::interrupted, this};
    for (const AVCodecContext* codec : {video, audio}) {
        if (!codec)
            continue;
        AVStream* st = avformat_new_stream(ctx, nullptr);
        if (!st) {
            avformat_free_context(ctx);
            m_ctx = nullptr;
            m_videoIndex = m_audioIndex = -1;
            return AVERROR(ENOMEM);
        }
        avcodec_parameters_from_context(st->codecpar, codec);
        st->time_base = codec->time_base;
        if (codec == video && codec->framerate.num > 0)
            st->avg_frame_rate = codec->framerate;  // announced in the stream's metadata
        (codec == video ? m_videoIndex : m_audioIndex) = st->index;
    }
    AVDictionary* opts = nullptr;
    for (const auto& [k, v] : options)
        av_dict_set(&opts, k.c_str(), v.c_str(), 0);
    armDeadline();
    if (!(ctx->oformat->flags & AVFMT_NOFILE)) {
        AVDictionary* ioOpts = nullptr;
        av_dict_set(&ioOpts, "rw_timeout", std::to_string(int64_t(m_ioTimeoutMs) * 1000).c_str(), 0);
        err = avio_open2(&ctx->pb, target.c_str(), AVIO_FLAG_WRITE, &ctx->interrupt_callback, &ioOpts);
        av_dict_free(&ioOpts);
        if (err < 0) {
            av_dict_free(&opts);
            avformat_free_context(ctx);
            m_ctx = nullptr;
            m_deadlineMs = 0;
            return err;
        }
    }
    err = avformat_write_header(ctx, &opts);
    av_dict_free(&opts);
    m_deadlineMs = 0;
    if (err < 0) {
        avio_closep(&ctx->pb);
        avformat_free_context(ctx);
        m_ctx = nullptr;
    }
    return err < 0 ? err : 0;
}

int MuxOutput::write(const AVPacket* packet, bool video, AVRational timeBase)
{
    const int index = video ? m_videoIndex : m_audioIndex;
    if (!m_ctx || index < 0)
        return AVERROR(EINVAL);
    AVPacket* pkt = av_packet_clone(packet);
    if (!pkt)
        return AVERROR(ENOMEM);
    pkt->stream_index = index;
    av_packet_rescale_ts(pkt, timeBase, m_ctx->streams[index]->time_base);
    armDeadline();
    int err = av_interleaved_write_frame(m_ctx, pkt);
    m_deadlineMs = 0;
    av_packet_free(&pkt);
    if (err >= 0 && m_ctx->pb && m_ctx->pb->error < 0)
        err = m_ctx->pb->error;
    return err;
}

int MuxOutput::close()
{
    if (!m_ctx)
        return 0;
    armDeadline();
    int err = av_write_trailer(m_ctx);
    if (!(m_ctx->oformat->flags & AVFMT_NOFILE)) {
        int closeErr = avio_closep(&m_ctx->pb);
        if (err >= 0)
            err = closeErr;
    }
    m_deadlineMs = 0;
    avformat_free_context(m_ctx);
    m_ctx = nullptr;
    m_videoIndex = m_audioIndex = -1;
    return err;
}

}  // namespace mediacore
