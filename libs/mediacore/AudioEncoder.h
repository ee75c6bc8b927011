#pragma once
// AAC from interleaved 16-bit blocks of any rate and channel count: blocks
// are converted to the encoder's format, gathered into whole AAC frames and
// stamped by the count of samples since the first block.
#include "libs/mediacore/AvPtr.h"
#include "libs/mediacore/VideoEncoder.h"

extern "C" {
#include <libavutil/audio_fifo.h>
}

#include <string>

namespace mediacore {

class AudioEncoder {
public:
    ~AudioEncoder();
    bool open(int sampleRate, int channels, int kbps, std::string* error);
    // startMs: where the first block lies on the stream's time line (ms).
    void encode(const int16_t* samples, int frames, int channels, int sampleRate, int64_t startMs,
                const PacketSink& sink);
    void flush(const PacketSink& sink);
    const AVCodecContext* context() const { return m_ctx.get(); }

private:
    CodecPtr m_ctx;
    SwrPtr m_swr;
    int m_inRate = 0, m_inChannels = 0;
    AVAudioFifo* m_fifo = nullptr;
    FramePtr m_frame;
    PacketPtr m_packet;
    int64_t m_nextPts = -1;  // in samples of the encoder's rate
};

}  // namespace mediacore
