#pragma once
// Mixes remote participants' audio into the teacher's pushed microphone
// audio. The local user is the master: each master block is mixed with
// whatever the other channel has buffered, and the mix is written back into
// the master block in place, so the push library sends the mix. Remote
// blocks are only buffered (in one ring per channel, two channels).
//
// Fed from two threads (the push library's audio thread for the master, the
// client library's thread for remote audio): every entry takes m_lock.
#include "common/Clock.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

class CAudioMixer {
public:
    // Receiver of each mix: (context 1, context 2, master's user id, mix,
    // bits, sample rate, channels, frames).
    typedef void (*MixCallback)(qint32 ctx1, qint32 ctx2, const QString& userId, const uchar* mix, int bits,
                                int sampleRate, int channels, int frames);

    static constexpr int kRingBytes = 8192;          // per channel: 4096 samples, ~85 ms at 48 kHz mono
    static constexpr qint64 kSilentMs = 2000;        // a channel or master silent this long is dropped
    static constexpr int kChannels = 2;              // mix channels (slot keys 0 and 1)

    // clock: the time scale of the silence rules (injected by tests).
    explicit CAudioMixer(Clock& clock = Clock::system());

    // The accepted block format (16-bit always).
    void SetFormat(int sampleRate, int channels);
    // The master (also made current at once), an optional receiver of each
    // mix, and whether each mix is copied into the master block.
    void SetMixUserCall(const QString& userId, MixCallback callback, bool writeBack, qint32 ctx1, qint32 ctx2);
    // Accepts a block of 16-bit audio in the accepted rate and channel count
    // and mixes it (MixerAudioData); other blocks are dropped. data is
    // written in place when userId is the master and a mix happens.
    void OnAudioConvertMix(const QString& userId, const uchar* data, int bits, int sampleRate, int channels,
                           int frames);
    void MixerAudioData(const QString& userId, const uchar* data, int bits, int sampleRate, int channels,
                        int frames);

    // Sums sample i of count 16-bit inputs into out over byteCount bytes; a
    // clipping sample scales the following ones down by the factor that
    // fitted it, and the factor returns towards 1.0 by 1/32 of its distance
    // each sample (it starts at 1.0 each call).
    static void MixAudio(const uchar* const* inputs, int count, uchar* out, int byteCount);

    // For checks: the user holding channel key (empty: free), and the bytes
    // buffered there.
    QString SlotUser(int key) const;
    int SlotBuffered(int key) const;
    QString CurrentMaster() const;

private:
    struct MixSlot {
        QString userId;             // empty: free
        quint32 writePos = 0;       // byte counters; used = writePos - readPos
        quint32 readPos = 0;
        std::vector<uchar> ring = std::vector<uchar>(kRingBytes, 0);
        std::vector<uchar> readBuffer = std::vector<uchar>(kRingBytes, 0);
        qint64 lastTime = 0;        // clock ms of the last block; 0: none yet
        quint32 used() const { return writePos - readPos; }
    };

    // Frees a channel silent for more than kSilentMs (logged when held);
    // true when it did.
    bool dropIfSilent(MixSlot& slot, qint64 now);
    void writeRing(MixSlot& slot, const QString& userId, const uchar* data, int bytes);

    Clock& m_clock;                          // set by the constructor only
    mutable std::mutex m_lock;               // guards every member below
    qint32 m_ctx1 = 0;
    qint32 m_ctx2 = 0;
    QString m_mixUserId;
    MixCallback m_callback = nullptr;
    bool m_writeBack = false;
    int m_sampleRate = 48000;
    int m_channels = 1;
    std::map<int, MixSlot> m_slots;
    QString m_curUser;
    std::vector<uchar> m_mixBuffer = std::vector<uchar>(kRingBytes, 0);
    qint64 m_lastMasterTime = 0;
};
