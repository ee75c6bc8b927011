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
    if (ownRenderThread)
        startRenderThread();
}

H264Decoder::~H264Decoder()
{
    stopRenderThread();
    av_frame_free(&m_rgbFrame);
    sws_freeContext(m_sws);
    m_onVideoFrame = nullptr;
}

void H264Decoder::onDecodeFrame(DecodedFrame* decoded)
{
    if (!decoded || !decoded->frame)
        return;
    AVFrame* frame = decoded->frame;
    const int width = frame->width;
    const int height = frame->height;
    if (width <= 0 || height <= 0)
        return;
    void* pixels = nullptr;
    if (frame->format == AV_PIX_FMT_BGRA && frame->linesize[0] == width * 4) {
        pixels = frame->data[0];
    } else {
        if (width != m_srcWidth || height != m_srcHeight || frame->format != m_srcFormat) {
            // First picture, or the stream changed its size or format:
            // make the converter and the buffer for the new picture.
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
                m_srcWidth = m_srcHeight = 0;
                return;
            }
            m_sws = sws_getCachedContext(m_sws, width, height, AVPixelFormat(frame->format), width, height,
                                         AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
            if (!m_sws) {
                avplayer::log(avplayer::AvLogWarn, "avplayer::H264Decoder::onDecodeFrame",
                              "sws_getContext called failed!");
                m_srcWidth = m_srcHeight = 0;
                return;
            }
            m_srcWidth = width;
            m_srcHeight = height;
            m_srcFormat = frame->format;
        }
        sws_scale(m_sws, frame->data, frame->linesize, 0, height, m_rgbFrame->data, m_rgbFrame->linesize);
        pixels = m_rgbFrame->data[0];
    }
    if (m_onVideoFrame)
        m_onVideoFrame(pixels, width, height);
}

}  // namespace avplayer
