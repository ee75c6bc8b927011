#pragma once
// Owning holders for FFmpeg's packets and frames: freed with their own
// functions however the holder goes.
extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/frame.h>
}

#include <memory>

namespace avplayer {

struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};

using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

inline PacketPtr makePacket() { return PacketPtr(av_packet_alloc()); }
inline FramePtr makeFrame() { return FramePtr(av_frame_alloc()); }

}  // namespace avplayer
