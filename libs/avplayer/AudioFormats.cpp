#include "libs/avplayer/AudioFormats.h"

namespace {

struct LayoutRow {
    SpeakerLayout code;
    uint64_t mask;
    int channels;
};

const LayoutRow kLayouts[] = {
    {SPEAKERS_MONO, 0x4, 1},       {SPEAKERS_STEREO, 0x3, 2},
    {SPEAKERS_2POINT1, 0x103, 3},  {SPEAKERS_QUAD, 0x33, 4},
    {SPEAKERS_4POINT1, 0x10F, 5},  {SPEAKERS_5POINT1, 0x60F, 6},
    {SPEAKERS_5POINT1_SURROUND, 0x3F, 6}, {SPEAKERS_7POINT1, 0x63F, 8},
    {SPEAKERS_7POINT1_SURROUND, 0xFF, 8}, {SPEAKERS_SURROUND, 0x7, 4},
};

struct FormatRow {
    AudioFormat code;
    AVSampleFormat format;
};

const FormatRow kFormats[] = {
    {AUDIO_FORMAT_U8BIT, AV_SAMPLE_FMT_U8},         {AUDIO_FORMAT_16BIT, AV_SAMPLE_FMT_S16},
    {AUDIO_FORMAT_32BIT, AV_SAMPLE_FMT_S32},        {AUDIO_FORMAT_FLOAT, AV_SAMPLE_FMT_FLT},
    {AUDIO_FORMAT_U8BIT_PLANAR, AV_SAMPLE_FMT_U8P}, {AUDIO_FORMAT_16BIT_PLANAR, AV_SAMPLE_FMT_S16P},
    {AUDIO_FORMAT_32BIT_PLANAR, AV_SAMPLE_FMT_S32P}, {AUDIO_FORMAT_FLOAT_PLANAR, AV_SAMPLE_FMT_FLTP},
};

}  // namespace

AVSampleFormat convertAudioFormat(AudioFormat format)
{
    for (const FormatRow& row : kFormats)
        if (row.code == format)
            return row.format;
    return AV_SAMPLE_FMT_S16;
}

AudioFormat convertSampleFormat(AVSampleFormat format)
{
    for (const FormatRow& row : kFormats)
        if (row.format == format)
            return row.code;
    return AUDIO_FORMAT_UNKNOWN;
}

bool isAudioPlanar(AudioFormat format) { return format >= AUDIO_FORMAT_U8BIT_PLANAR; }

uint64_t convertSpeakerLayout(SpeakerLayout layout)
{
    for (const LayoutRow& row : kLayouts)
        if (row.code == layout)
            return row.mask;
    return 0;
}

int speakerLayoutChannels(SpeakerLayout layout)
{
    for (const LayoutRow& row : kLayouts)
        if (row.code == layout)
            return row.channels;
    return 0;
}

SpeakerLayout convertChannelLayout(uint64_t mask)
{
    if (mask >> 32)
        return SPEAKERS_UNKNOWN;
    for (const LayoutRow& row : kLayouts)
        if (row.mask == mask)
            return row.code;
    return SPEAKERS_UNKNOWN;
}

void usableChannelLayout(const AVChannelLayout& in, AVChannelLayout* out)
{
    if (in.order != AV_CHANNEL_ORDER_UNSPEC && in.nb_channels > 0 && av_channel_layout_check(&in)) {
        av_channel_layout_copy(out, &in);
        return;
    }
    av_channel_layout_default(out, in.nb_channels > 0 ? in.nb_channels : 1);
}
