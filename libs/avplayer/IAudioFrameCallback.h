#pragma once
// Where decoded audio in the player's output format goes.
#include <cstdint>
#include <string>

class IAudioFrameCallback {
public:
    // count samples per channel of signed 16-bit interleaved audio.
    virtual void onAudioFrame(const void* samples, int count, int64_t pts) = 0;
    // Drops whatever is queued.
    virtual void clear() = 0;
    virtual std::string name() = 0;
    virtual ~IAudioFrameCallback() = default;
    // Seconds of audio handed over but not yet heard; -1 when the output does
    // not play at all (then the caller keeps its own time).
    virtual double pendingSeconds() { return -1.0; }
};
