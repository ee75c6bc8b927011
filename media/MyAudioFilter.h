#pragma once
// Hands the sound a widget player decodes to the room's mix (the broadcast
// engine's per-user mix) in the format it was made for: the core player's
// tap gives signed 16-bit mono at 48 kHz, which is what the room takes.
// process runs on the core's play thread.
#include <QString>

#include <cstdint>

class MyAudioFilter {
public:
    // The local user's id is taken when the filter is made (GUI thread); the
    // sound goes to the mix under it.
    // The sample format value of signed 16-bit samples.
    static constexpr int kSampleFormatS16 = 2;

    MyAudioFilter(int sampleRate, int sampleFormat, int channels);
    void setEnabled(bool on) { m_enabled = on; }
    bool isEnabled() const { return m_enabled; }
    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }

    // One block of count samples (per channel) in the filter's format.
    void process(const int16_t* samples, int count);

private:
    const int m_sampleRate;     // set by the constructor
    const int m_sampleFormat;   // set by the constructor
    const int m_channels;       // set by the constructor
    bool m_enabled = false;     // set before the player starts, then read only
    const QString m_userId;     // set by the constructor
};
