#pragma once
// H.264 through x264: any picture is scaled (aspect kept, black borders) onto
// the encoder's size; a key frame starts every second of capture time, and
// time stamps are milliseconds.
#include "libs/mediacore/AvPtr.h"

#include <atomic>
#include <functional>
#include <string>

namespace mediacore {

// An encoded packet; the receiver copies what it keeps.
using PacketSink = std::function<void(AVPacket* packet)>;

// Hands every packet the encoder has ready to sink; with flush, first tells
// the encoder that no more input comes (null codec: nothing happens).
void drainEncoder(AVCodecContext* codec, AVPacket* scratch, const PacketSink& sink, bool flush = false);

struct VideoSettings {
    int width = 640;
    int height = 480;
    int fps = 15;
    int kbps = 600;
    std::string preset = "veryfast";
};

class VideoEncoder {
public:
    // false with error when x264 cannot be opened.
    bool open(const VideoSettings& settings, std::string* error);
    // ptsMs: capture time relative to the stream's start (made increasing).
    void encode(const AVFrame* picture, int64_t ptsMs, const PacketSink& sink);
    void flush(const PacketSink& sink);
    const AVCodecContext* context() const { return m_ctx.get(); }
    // The next picture encoded becomes a key frame (any thread).
    void requestKeyFrame() { m_keyRequested = true; }
    static constexpr AVRational kTimeBase = {1, 1000};
    // The encoder threads for pictures of this height (1 to 4).
    static int threadsFor(int height);

private:
    bool scale(const AVFrame* picture);

    VideoSettings m_settings;
    CodecPtr m_ctx;
    FramePtr m_canvas;   // the encoder's picture
    FramePtr m_input;    // a reference to a picture sent as it is, while it is sent
    SwsPtr m_sws;
    int m_srcW = 0, m_srcH = 0, m_srcFmt = -1;
    int m_dstX = 0, m_dstY = 0, m_dstW = 0, m_dstH = 0;
    int64_t m_lastPts = -1;
    int64_t m_lastKeyPts = -1000000;
    PacketPtr m_packet;
    std::atomic<bool> m_keyRequested{false};
};

}  // namespace mediacore
