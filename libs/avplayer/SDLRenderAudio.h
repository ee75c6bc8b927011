#pragma once
// Plays signed 16-bit audio through an SDL2 audio device. Samples wait in a
// byte ring that SDL's callback drains; the ring holds at most about one
// second, dropping the oldest samples beyond that.
#include "libs/avplayer/ByteRing.h"
#include "libs/avplayer/IAudioFrameCallback.h"

#include <SDL2/SDL_audio.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

class SDLRenderAudio : public IAudioFrameCallback {
public:
    SDLRenderAudio(int sampleRate, int channels);
    ~SDLRenderAudio() override;

    // 0, or -1 (logged) when no device could be opened.
    int init(int sampleRate, int channels);

    void onAudioFrame(const void* samples, int count, int64_t pts) override;
    void clear() override;
    std::string name() override { return "SDL render audio"; }
    double pendingSeconds() override;

    bool isOpen() const { return m_device != 0; }
    size_t queuedBytes();
    size_t maxQueuedBytes() const { return m_maxQueued; }

private:
    static void fillAudio(void* userdata, Uint8* stream, int len);
    void fill(Uint8* stream, int len);

    avplayer::ByteRing m_ring;                 // guarded by m_lock
    std::mutex m_lock;
    std::vector<uint8_t> m_mix;                // SDL's audio thread only (filled under m_lock)
    SDL_AudioDeviceID m_device = 0;            // set by the constructor only
    bool m_sdlInit = false;                    // set by the constructor only
    int m_bytesPerSecond = 0;                  // set by the constructor only
    int m_frameBytes = 2;                      // bytes per sample of all channels; constructor only
    size_t m_maxQueued = 0;                    // ring cap in bytes; constructor only
    int m_deviceBlockBytes = 0;                // set by the constructor only: the device's buffer
    int64_t m_lastFillUs = 0;                  // guarded by m_lock: when SDL last took samples
    int m_lastFillBytes = 0;                   // guarded by m_lock: how many bytes it took then
};
