#pragma once
// Brings decoded audio frames to one output format (signed 16-bit
// interleaved, one rate, mono or stereo) and hands them to its output. The
// format is fixed when made, or follows the stream: the first frame's rate,
// mono for one channel and stereo for more (the output opens then).
#include "libs/avplayer/AudioResampler.h"

#include <atomic>
#include <cstdint>
#include <functional>
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
    // Follows the stream; makeOutput(rate, channels) opens the output at the
    // first frame (SDL when none is given). The output is null until then.
    using OutputMaker = std::function<IAudioFrameCallback*(int sampleRate, int channels)>;
    explicit AudioRender(OutputMaker makeOutput = OutputMaker());
    ~AudioRender();
    AudioRender(const AudioRender&) = delete;
    AudioRender& operator=(const AudioRender&) = delete;

    // Converts when needed and queues the samples; returns the count of
    // output samples queued (0 when the frame was dropped).
    int render(AVFrame* frame);

    // Null until the first frame when following the stream.
    IAudioFrameCallback* output() const { return m_output.load(); }
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
    std::atomic<IAudioFrameCallback*> m_output{nullptr};  // atomic: set once by the render thread, read by the clock
    OutputMaker m_makeOutput;  // set when following the stream
    int m_resamplersMade = 0;
};
