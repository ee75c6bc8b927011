#pragma once
// The video decoder: converts each picture to BGRA and hands the pixels to
// the owner's callback on the render thread. Whatever codec the stream has
// is decoded; the name is historical.
#include "libs/avplayer/DecoderBase.h"

#include <functional>

struct SwsContext;

namespace avplayer {

class H264Decoder : public DecoderBase {
public:
    using FrameCallback = std::function<void(void* pixels, int width, int height)>;

    // Decoded pictures waiting for their time: a quarter second at 25 fps.
    // A full queue holds the decode thread back instead of growing (a 720p
    // picture is 1.4 MB, a 1080p one 3 MB). The sound is decoded at most this
    // far ahead of the picture on screen, so a shorter queue would risk gaps
    // in the sound whenever a picture decodes slowly.
    static constexpr size_t kQueuedPictures = 6;

    explicit H264Decoder(FrameCallback onVideoFrame);
    // Without a render thread of its own: the owner pops the decoded frames
    // and calls onDecodeFrame when each is due (it paces them itself).
    H264Decoder(FrameCallback onVideoFrame, bool ownRenderThread);
    ~H264Decoder() override;

    int syncType() override { return SyncClock::Video; }
    void onDecodeFrame(DecodedFrame* frame) override;

private:
    // Render thread only:
    AVFrame* m_rgbFrame = nullptr;   // BGRA picture, rows of width * 4 bytes
    SwsContext* m_sws = nullptr;
    int m_srcWidth = 0;              // what m_sws and m_rgbFrame were made for
    int m_srcHeight = 0;
    int m_srcFormat = -1;
    FrameCallback m_onVideoFrame;    // set by the constructor
};

}  // namespace avplayer
