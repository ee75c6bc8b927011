#pragma once
// The video decoder: converts each picture to BGRA on the render thread,
// either straight into a buffer its owner lends (a PictureSink: the picture
// the screen shows next) or into a buffer of its own whose pixels the owner's
// callback sees. Whatever codec the stream has is decoded; the name is
// historical.
#include "libs/avplayer/DecoderBase.h"

#include <cstdint>
#include <functional>
#include <memory>

struct SwsContext;

namespace avplayer {

// Where the render thread puts each picture. Both calls come from the
// render thread, one pair per picture.
class PictureSink {
public:
    virtual ~PictureSink() = default;
    // A BGRA buffer for a picture of this size, rows *stride bytes apart; it
    // stays the sink's. Null skips the picture.
    virtual uint8_t* lend(int width, int height, int* stride) = 0;
    // The buffer lend gave now holds the picture.
    virtual void filled() = 0;
};

class H264Decoder : public DecoderBase {
public:
    using FrameCallback = std::function<void(void* pixels, int width, int height)>;

    // Decoded pictures waiting for their time: an eighth of a second at 25
    // fps, enough to ride out a picture that decodes slowly. A full queue
    // holds the video's decode thread back (the undecoded packets wait
    // instead, a few kilobytes each, where a 720p picture is 1.4 MB and a
    // 1080p one 3 MB); the sound has a decode thread of its own, so this
    // never starves it.
    static constexpr size_t kQueuedPictures = 3;
    // The sound the master clock counts as playing still passes the sound
    // server's own buffer before it is heard, longer than a rendered picture
    // takes to reach the screen: pictures wait this much past their time on
    // that clock, so that they are seen when their sound is heard.
    static constexpr double kShowDelay = 0.015;

    explicit H264Decoder(FrameCallback onVideoFrame);
    // Pictures go into the sink's buffers (no buffer of the decoder's own).
    explicit H264Decoder(std::shared_ptr<PictureSink> sink);
    // Without a render thread of its own: the owner pops the decoded frames
    // and calls onDecodeFrame when each is due (it paces them itself).
    H264Decoder(FrameCallback onVideoFrame, bool ownRenderThread);
    ~H264Decoder() override;

    int syncType() override { return SyncClock::Video; }
    void onDecodeFrame(DecodedFrame* frame) override;

private:
    // The converter for this picture (made again when its size or format
    // changed); false when none can be made.
    bool prepareConverter(const AVFrame* frame);
    // Converts into a buffer of the decoder's own for the frame callback.
    void convertForCallback(const AVFrame* frame);

    // Render thread only:
    AVFrame* m_rgbFrame = nullptr;   // BGRA picture for the callback, rows of width * 4 bytes
    SwsContext* m_sws = nullptr;
    int m_srcWidth = 0;              // what m_sws was made for
    int m_srcHeight = 0;
    int m_srcFormat = -1;
    FrameCallback m_onVideoFrame;    // set by the constructor
    std::shared_ptr<PictureSink> m_sink;  // set by the constructor; called on the render thread only
};

}  // namespace avplayer
