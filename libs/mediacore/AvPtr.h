#pragma once
// Owning holders for the FFmpeg objects the media core uses.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace mediacore {

struct FrameFree { void operator()(AVFrame* f) const { av_frame_free(&f); } };
struct PacketFree { void operator()(AVPacket* p) const { av_packet_free(&p); } };
struct CodecFree { void operator()(AVCodecContext* c) const { avcodec_free_context(&c); } };
struct InputClose { void operator()(AVFormatContext* f) const { avformat_close_input(&f); } };
struct SwsFree { void operator()(SwsContext* s) const { sws_freeContext(s); } };
struct SwrFree { void operator()(SwrContext* s) const { swr_free(&s); } };

using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFree>;

inline FramePtr makeFrame() { return FramePtr(av_frame_alloc()); }
inline PacketPtr makePacket() { return PacketPtr(av_packet_alloc()); }
// A picture of this size and format with its planes allocated; null when
// they cannot be.
FramePtr makePicture(int width, int height, AVPixelFormat format);

std::string avErrorText(int err);

// Milliseconds of a monotonic clock shared by every capture and encoder, and
// of the wall clock (for stamps other machines read).
int64_t monotonicMs();
int64_t epochMs();

}  // namespace mediacore
