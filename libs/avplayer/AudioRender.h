#pragma once
// Brings decoded audio frames to one output format (signed 16-bit
// interleaved, a fixed rate, mono or stereo) and hands them to its output.
#include "libs/avplayer/AudioResampler.h"

#include <cstdint>
#include <memory>

struct AVFrame;
class IAudioFrameCallback;

class AudioRender {
public:
    // Target: sampleRate, signed 16-bit, mono for 1 channel else stereo;
    // plays through SDL.
    AudioRender(int sampleRate, int channels);
    // Same target, custom output (owned).
    AudioRender(int sampleRate, int channels, IAudioFrameCallback* output);
    ~AudioRender();
    AudioRender(const AudioRender&) = delete;
    AudioRender& operator=(const AudioRender&) = delete;

    // Converts when needed and queues the samples; returns the count of
    // output samples queued (0 when the frame was dropped).
    int render(AVFrame* frame);

    IAudioFrameCallback* output() const { return m_output; }
    int sampleRate() const { return m_target.samples_per_sec; }
    // Whether a resampler is in use, and how many were made so far.
    bool resampling() const { return m_resampler != nullptr; }
    int resamplersMade() const { return m_resamplersMade; }

private:
    void setTarget(int sampleRate, int channels);
    bool sameAsSource(const AVFrame* frame, const AVChannelLayout& layout) const;

    // All members: the audio render thread only (after construction).
    audio_resampler* m_resampler = nullptr;
    resample_info m_target;
    resample_info m_source;  // of the frames the resampler was made for
    IAudioFrameCallback* m_output = nullptr;
    int m_resamplersMade = 0;
};
