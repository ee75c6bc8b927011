#pragma once
// The player's own codes for sample formats and speaker layouts, and their
// FFmpeg counterparts.
#include <cstdint>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

enum AudioFormat {
    AUDIO_FORMAT_UNKNOWN = 0,
    AUDIO_FORMAT_U8BIT = 1,
    AUDIO_FORMAT_16BIT = 2,
    AUDIO_FORMAT_32BIT = 3,
    AUDIO_FORMAT_FLOAT = 4,
    AUDIO_FORMAT_U8BIT_PLANAR = 5,
    AUDIO_FORMAT_16BIT_PLANAR = 6,
    AUDIO_FORMAT_32BIT_PLANAR = 7,
    AUDIO_FORMAT_FLOAT_PLANAR = 8,
};

enum SpeakerLayout {
    SPEAKERS_UNKNOWN = 0,
    SPEAKERS_MONO = 1,
    SPEAKERS_STEREO = 2,
    SPEAKERS_2POINT1 = 3,
    SPEAKERS_QUAD = 4,
    SPEAKERS_4POINT1 = 5,
    SPEAKERS_5POINT1 = 6,
    SPEAKERS_5POINT1_SURROUND = 7,
    SPEAKERS_7POINT1 = 8,
    SPEAKERS_7POINT1_SURROUND = 9,
    SPEAKERS_SURROUND = 10,
};

// Code -> FFmpeg format (unknown -> s16).
AVSampleFormat convertAudioFormat(AudioFormat format);
// FFmpeg format -> code; formats without a code (double, 64-bit) -> unknown.
AudioFormat convertSampleFormat(AVSampleFormat format);
bool isAudioPlanar(AudioFormat format);

// Code -> channel mask and channel count (unknown -> 0, 0).
uint64_t convertSpeakerLayout(SpeakerLayout layout);
int speakerLayoutChannels(SpeakerLayout layout);
// Channel mask -> code; a mask not in the table (or with upper bits) -> unknown.
SpeakerLayout convertChannelLayout(uint64_t mask);

// A usable layout for a frame's layout: the frame's own when it names its
// channels, else the default layout for its channel count.
void usableChannelLayout(const AVChannelLayout& in, AVChannelLayout* out);
