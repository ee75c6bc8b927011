#pragma once
// Converts blocks of audio between sample rates, formats and layouts
// (libswresample), keeping one output block that grows when a larger block
// is expected.
#include <cstdint>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

struct SwrContext;

constexpr int kMaxAudioPlanes = 8;

// One side of a conversion.
struct resample_info {
    int samples_per_sec = 0;
    AVSampleFormat format = AV_SAMPLE_FMT_NONE;
    AVChannelLayout layout{};  // copied into the resampler
};

struct audio_resampler {
    SwrContext* context;
    int input_freq;
    AVChannelLayout input_layout;
    AVSampleFormat input_format;
    uint8_t* output_buffer[kMaxAudioPlanes];
    int output_size;  // samples per channel the output block holds
    int output_ch;
    int output_freq;
    AVChannelLayout output_layout;
    AVSampleFormat output_format;
    int output_planes;  // the channel count for planar output, else 1
};

// null (logged) when the conversion cannot be set up.
audio_resampler* audio_resampler_create(const resample_info* dst, const resample_info* src);
void audio_resampler_destroy(audio_resampler* rs);
// Converts in_frames samples per channel; output[] gets the plane pointers
// of the resampler's own block (valid until the next call), *out_frames the
// converted count and *ts_offset the resampler's delay in nanoseconds.
bool audio_resampler_resample(audio_resampler* rs, uint8_t* output[], int* out_frames, uint64_t* ts_offset,
                              const uint8_t* const input[], int in_frames);
