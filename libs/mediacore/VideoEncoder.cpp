#include "libs/mediacore/VideoEncoder.h"

#include <algorithm>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace mediacore {

int VideoEncoder::threadsFor(int height)
{
    // Left to itself x264 starts a thread and a half per core, and with zero
    // latency each of them codes a slice of every picture: for a camera's
    // small picture the threads' hand-offs at each picture cost more than
    // the coding they share. A slice needs about 15 rows of macroblocks to
    // be worth its thread; at most four.
    const int rows = (std::max(height, 0) + 15) / 16;
    return std::clamp(rows / 15, 1, 4);
}

bool VideoEncoder::open(const VideoSettings& settings, std::string* error)
{
    m_settings = settings;
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) {
        *error = "the x264 encoder is not available";
        return false;
    }
    m_ctx.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = m_ctx.get();
    c->width = settings.width;
    c->height = settings.height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = kTimeBase;
    c->framerate = {settings.fps, 1};
    // Key frames are forced every second of capture time; x264's own limit
    // sits above that so it never adds one in between.
    c->gop_size = settings.fps * 2 + 1;
    c->max_b_frames = 0;
    c->bit_rate = int64_t(settings.kbps) * 1000;
    c->rc_max_rate = c->bit_rate;
    c->rc_buffer_size = int(c->bit_rate);
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    c->thread_count = threadsFor(settings.height);
    av_opt_set(c->priv_data, "preset", settings.preset.c_str(), 0);
    av_opt_set(c->priv_data, "tune", "zerolatency", 0);
    av_opt_set(c->priv_data, "forced-idr", "1", 0);
    av_opt_set(c->priv_data, "x264-params", "scenecut=0", 0);
    int err = avcodec_open2(c, codec, nullptr);
    if (err < 0) {
        *error = "x264: " + avErrorText(err);
        m_ctx.reset();
        return false;
    }
    m_canvas = makePicture(c->width, c->height, c->pix_fmt);
    if (!m_canvas) {
        *error = "x264: no memory for a picture";
        m_ctx.reset();
        return false;
    }
    m_input = makeFrame();
    m_packet = makePacket();
    return true;
}

bool VideoEncoder::scale(const AVFrame* p)
{
    if (!p || p->width <= 0 || p->height <= 0)
        return false;
    if (!m_sws || p->width != m_srcW || p->height != m_srcH || p->format != m_srcFmt) {
        m_srcW = p->width;
        m_srcH = p->height;
        m_srcFmt = p->format;
        const int W = m_ctx->width, H = m_ctx->height;
        // Fit inside the canvas keeping the aspect; even sizes and offsets.
        if (int64_t(m_srcW) * H > int64_t(W) * m_srcH) {  // wider than the canvas
            m_dstW = W;
            m_dstH = int(int64_t(W) * m_srcH / m_srcW) & ~1;
        } else {
            m_dstH = H;
            m_dstW = int(int64_t(H) * m_srcW / m_srcH) & ~1;
        }
        m_dstW = std::max(m_dstW, 2);
        m_dstH = std::max(m_dstH, 2);
        m_dstX = ((W - m_dstW) / 2) & ~1;
        m_dstY = ((H - m_dstH) / 2) & ~1;
        m_sws.reset(sws_getContext(m_srcW, m_srcH, AVPixelFormat(m_srcFmt), m_dstW, m_dstH, AV_PIX_FMT_YUV420P,
                                   SWS_BILINEAR, nullptr, nullptr, nullptr));
        av_frame_make_writable(m_canvas.get());
        // Black borders.
        const ptrdiff_t lines[4] = {m_canvas->linesize[0], m_canvas->linesize[1], m_canvas->linesize[2], 0};
        av_image_fill_black(m_canvas->data, lines, AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG, W, H);
    }
    if (!m_sws)
        return false;
    av_frame_make_writable(m_canvas.get());
    AVFrame* c = m_canvas.get();
    uint8_t* dst[3] = {c->data[0] + m_dstY * c->linesize[0] + m_dstX,
                       c->data[1] + (m_dstY / 2) * c->linesize[1] + m_dstX / 2,
                       c->data[2] + (m_dstY / 2) * c->linesize[2] + m_dstX / 2};
    sws_scale(m_sws.get(), p->data, p->linesize, 0, m_srcH, dst, c->linesize);
    return true;
}

void VideoEncoder::encode(const AVFrame* picture, int64_t ptsMs, const PacketSink& sink)
{
    if (!m_ctx || !picture)
        return;
    // A picture of the encoder's own size and format goes in as it is (a
    // reference, no copy); any other is scaled onto the encoder's picture.
    AVFrame* input = m_canvas.get();
    if (picture->width == m_ctx->width && picture->height == m_ctx->height && picture->format == m_ctx->pix_fmt) {
        if (av_frame_ref(m_input.get(), picture) < 0)
            return;
        input = m_input.get();
        // Only the pixels: the stream's description stays the encoder's.
        while (input->nb_side_data > 0)
            av_frame_remove_side_data(input, input->side_data[0]->type);
        input->sample_aspect_ratio = {0, 1};
        input->color_range = AVCOL_RANGE_UNSPECIFIED;
        input->color_primaries = AVCOL_PRI_UNSPECIFIED;
        input->color_trc = AVCOL_TRC_UNSPECIFIED;
        input->colorspace = AVCOL_SPC_UNSPECIFIED;
        input->chroma_location = AVCHROMA_LOC_UNSPECIFIED;
    } else if (!scale(picture)) {
        return;
    }
    if (ptsMs <= m_lastPts)
        ptsMs = m_lastPts + 1;
    m_lastPts = ptsMs;
    input->pts = ptsMs;
    const bool key = m_keyRequested.exchange(false) || ptsMs - m_lastKeyPts >= 1000;
    if (key)
        m_lastKeyPts = ptsMs;
    input->pict_type = key ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    input->key_frame = key ? 1 : 0;
    const int sent = avcodec_send_frame(m_ctx.get(), input);
    av_frame_unref(m_input.get());
    if (sent >= 0)
        drainEncoder(m_ctx.get(), m_packet.get(), sink);
}

void drainEncoder(AVCodecContext* codec, AVPacket* scratch, const PacketSink& sink, bool flush)
{
    if (!codec)
        return;
    if (flush)
        avcodec_send_frame(codec, nullptr);
    while (avcodec_receive_packet(codec, scratch) >= 0) {
        sink(scratch);
        av_packet_unref(scratch);
    }
}

void VideoEncoder::flush(const PacketSink& sink)
{
    drainEncoder(m_ctx.get(), m_packet.get(), sink, true);
}

}  // namespace mediacore
