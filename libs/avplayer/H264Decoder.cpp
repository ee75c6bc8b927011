#include "libs/avplayer/H264Decoder.h"

#include "libs/avplayer/AvLog.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace avplayer {

H264Decoder::H264Decoder(FrameCallback onVideoFrame) : H264Decoder(std::move(onVideoFrame), true) {}

H264Decoder::H264Decoder(FrameCallback onVideoFrame, bool ownRenderThread) : m_onVideoFrame(std::move(onVideoFrame))
{
    setQueueLimit(kQueuedPictures);
    setShowDelay(kShowDelay);
    if (ownRenderThread)
        startRenderThread();
}

H264Decoder::H264Decoder(std::shared_ptr<PictureSink> sink) : m_sink(std::move(sink))
{
    setQueueLimit(kQueuedPictures);
    setShowDelay(kShowDelay);
    startRenderThread();
}

H264Decoder::~H264Decoder()
{
    stopRenderThread();
    av_frame_free(&m_rgbFrame);
    sws_freeContext(m_sws);
    m_onVideoFrame = nullptr;
    m_sink.reset();
}

bool H264Decoder::prepareConverter(const AVFrame* frame)
{
    if (m_sws && frame->width == m_srcWidth && frame->height == m_srcHeight && frame->format == m_srcFormat)
        return true;
    // First picture, or the stream changed its size or format.
    m_sws = sws_getCachedContext(m_sws, frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                 frame->height, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!m_sws) {
        avplayer::log(avplayer::AvLogWarn, "avplayer::H264Decoder::onDecodeFrame", "sws_getContext called failed!");
        m_srcWidth = m_srcHeight = 0;
        return false;
    }
    m_srcWidth = frame->width;
    m_srcHeight = frame->height;
    m_srcFormat = frame->format;
    return true;
}

void H264Decoder::convertForCallback(const AVFrame* frame)
{
    const int width = frame->width;
    const int height = frame->height;
    void* pixels = nullptr;
    if (frame->format == AV_PIX_FMT_BGRA && frame->linesize[0] == width * 4) {
        pixels = frame->data[0];
    } else {
        if (!m_rgbFrame || m_rgbFrame->width != width || m_rgbFrame->height != height) {
            av_frame_free(&m_rgbFrame);
            m_rgbFrame = av_frame_alloc();
            if (!m_rgbFrame) {
                avplayer::log(avplayer::AvLogWarn, "avplayer::H264Decoder::onDecodeFrame", "av_frame_alloc failed!");
                return;
            }
            m_rgbFrame->format = AV_PIX_FMT_BGRA;
            m_rgbFrame->width = width;
            m_rgbFrame->height = height;
            // Alignment 1: rows of exactly width * 4 bytes, as the callback expects.
            if (av_frame_get_buffer(m_rgbFrame, 1) < 0) {
                avplayer::log(avplayer::AvLogWarn, "avplayer::H264Decoder::onDecodeFrame", "av_frame_get_buffer failed!");
                av_frame_free(&m_rgbFrame);
                return;
            }
        }
        if (!prepareConverter(frame))
            return;
        sws_scale(m_sws, frame->data, frame->linesize, 0, height, m_rgbFrame->data, m_rgbFrame->linesize);
        pixels = m_rgbFrame->data[0];
    }
    if (m_onVideoFrame)
        m_onVideoFrame(pixels, width, height);
}

void H264Decoder::onDecodeFrame(DecodedFrame* decoded)
{
    if (!decoded || !decoded->frame)
        return;
    const AVFrame* frame = decoded->frame;
    if (frame->width <= 0 || frame->height <= 0)
        return;
    if (!m_sink) {
        convertForCallback(frame);
        return;
    }
    if (!prepareConverter(frame))
        return;
    int stride = 0;
    uint8_t* target = m_sink->lend(frame->width, frame->height, &stride);
    if (!target || stride < frame->width * 4)
        return;
    uint8_t* planes[4] = {target, nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    sws_scale(m_sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
    m_sink->filled();
}

}  // namespace avplayer
