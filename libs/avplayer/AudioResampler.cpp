#include "libs/avplayer/AudioResampler.h"

#include "libs/avplayer/AvLog.h"

#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

audio_resampler* audio_resampler_create(const resample_info* dst, const resample_info* src)
{
    auto* rs = static_cast<audio_resampler*>(calloc(1, sizeof(audio_resampler)));
    if (!rs) {
        avplayer::log(avplayer::AvLogWarn, "audio_resampler_create", "malloc audio_resampler mem failed");
        return nullptr;
    }
    rs->input_freq = src->samples_per_sec;
    rs->input_format = src->format;
    av_channel_layout_copy(&rs->input_layout, &src->layout);
    rs->output_freq = dst->samples_per_sec;
    rs->output_format = dst->format;
    av_channel_layout_copy(&rs->output_layout, &dst->layout);
    rs->output_ch = rs->output_layout.nb_channels;
    rs->output_planes = av_sample_fmt_is_planar(rs->output_format) ? rs->output_ch : 1;

    int ret = swr_alloc_set_opts2(&rs->context, &rs->output_layout, rs->output_format, rs->output_freq,
                                  &rs->input_layout, rs->input_format, rs->input_freq, 0, nullptr);
    if (ret < 0 || !rs->context) {
        avplayer::log(avplayer::AvLogWarn, "audio_resampler_create", "swr_alloc_set_opts failed");
        audio_resampler_destroy(rs);
        return nullptr;
    }
    ret = swr_init(rs->context);
    if (ret != 0) {
        avplayer::log(avplayer::AvLogWarn, "audio_resampler_create", "avresample_open failed: error code %d", ret);
        audio_resampler_destroy(rs);
        return nullptr;
    }
    return rs;
}

void audio_resampler_destroy(audio_resampler* rs)
{
    if (!rs)
        return;
    swr_free(&rs->context);
    av_freep(&rs->output_buffer[0]);
    av_channel_layout_uninit(&rs->input_layout);
    av_channel_layout_uninit(&rs->output_layout);
    free(rs);
}

bool audio_resampler_resample(audio_resampler* rs, uint8_t* output[], int* out_frames, uint64_t* ts_offset,
                              const uint8_t* const input[], int in_frames)
{
    if (!rs)
        return false;
    SwrContext* context = rs->context;
    const int64_t delay = swr_get_delay(context, rs->input_freq);
    const int estimate = int(av_rescale_rnd(delay + in_frames, rs->output_freq, rs->input_freq, AV_ROUND_UP));
    if (ts_offset)
        *ts_offset = uint64_t(swr_get_delay(context, 1000000000));

    if (estimate > rs->output_size) {
        av_freep(&rs->output_buffer[0]);
        memset(rs->output_buffer, 0, sizeof(rs->output_buffer));
        if (av_samples_alloc(rs->output_buffer, nullptr, rs->output_ch, estimate, rs->output_format, 0) < 0) {
            rs->output_size = 0;
            avplayer::log(avplayer::AvLogWarn, "audio_resampler_resample", "av_samples_alloc failed: %d", estimate);
            return false;
        }
        rs->output_size = estimate;
    }

    const int ret = swr_convert(context, rs->output_buffer, rs->output_size, const_cast<const uint8_t**>(input),
                                in_frames);
    if (ret < 0) {
        avplayer::log(avplayer::AvLogWarn, "audio_resampler_resample", "swr_convert failed: %d", ret);
        return false;
    }
    for (int i = 0; i < rs->output_planes && i < kMaxAudioPlanes; ++i)
        output[i] = rs->output_buffer[i];
    *out_frames = ret;
    return true;
}
