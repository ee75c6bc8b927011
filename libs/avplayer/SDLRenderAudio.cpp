#include "libs/avplayer/SDLRenderAudio.h"

#include "libs/avplayer/AvLog.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/time.h>
}

namespace {
// SDL's sub-system counters are not thread-safe; players come and go on
// several threads.
std::mutex g_sdlInitLock;

// SDL keeps per-thread state (its error text) that only threads it made free
// on their own; the players' threads are ours, so each frees its own after
// its SDL calls.
void releaseSdlThreadState() { SDL_TLSCleanup(); }
}

SDLRenderAudio::SDLRenderAudio(int sampleRate, int channels)
{
    {
        std::lock_guard<std::mutex> lock(g_sdlInitLock);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER) != 0)
            avplayer::log(avplayer::AvLogInfo, "SDLRenderAudio::SDLRenderAudio", "Could not initialize SDL - %s\n",
                          SDL_GetError());
        else
            m_sdlInit = true;
    }
    init(sampleRate, channels);
    releaseSdlThreadState();
}

SDLRenderAudio::~SDLRenderAudio()
{
    std::lock_guard<std::mutex> lock(g_sdlInitLock);
    if (m_device)
        SDL_CloseAudioDevice(m_device);  // waits for a running callback
    m_device = 0;
    {
        std::lock_guard<std::mutex> ringLock(m_lock);
        m_ring.clear();
    }
    if (m_sdlInit)
        SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
    releaseSdlThreadState();
}

int SDLRenderAudio::init(int sampleRate, int channels)
{
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = sampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Uint8(channels);
    wanted.silence = 0;
    wanted.samples = 1024;
    wanted.callback = &SDLRenderAudio::fillAudio;
    wanted.userdata = this;
    m_frameBytes = 2 * std::max(1, channels);
    m_bytesPerSecond = sampleRate * m_frameBytes;
    m_maxQueued = size_t(m_bytesPerSecond);  // one second
    SDL_AudioSpec obtained;
    m_device = m_sdlInit ? SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0) : 0;
    if (m_device == 0) {
        avplayer::log(avplayer::AvLogWarn, "SDLRenderAudio::init", "sdl can't open audio.");
        return -1;
    }
    m_deviceBlockBytes = int(obtained.size);
    // Running from the start: until samples come the callback plays silence.
    // A device left paused until the first samples came was seen to take
    // most of a second more before its first callback, while the sound's
    // clock (and the pictures following it) stood still.
    SDL_PauseAudioDevice(m_device, 0);
    return 0;
}

void SDLRenderAudio::onAudioFrame(const void* samples, int count, int64_t)
{
    if (!m_device || count <= 0)
        return;  // nothing would ever play it
    std::lock_guard<std::mutex> lock(m_lock);
    m_ring.push(samples, size_t(count) * size_t(m_frameBytes));
    if (m_ring.size() > m_maxQueued) {
        size_t excess = m_ring.size() - m_maxQueued;
        excess += (m_frameBytes - excess % m_frameBytes) % m_frameBytes;
        m_ring.pop(nullptr, excess);
    }
}

void SDLRenderAudio::clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_ring.clear();
}

size_t SDLRenderAudio::queuedBytes()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_ring.size();
}

double SDLRenderAudio::pendingSeconds()
{
    if (!m_device || m_bytesPerSecond <= 0)
        return -1.0;
    std::lock_guard<std::mutex> lock(m_lock);
    // What waits in the ring, plus what is left of the block SDL took last,
    // plus the block the device still holds ahead of it (it hands a block
    // on only once the one before has started to play).
    double pending = double(m_ring.size()) / m_bytesPerSecond;
    if (m_lastFillUs > 0) {
        const double block = double(m_lastFillBytes) / m_bytesPerSecond;
        const double since = double(av_gettime_relative() - m_lastFillUs) / 1e6;
        if (since < block)
            pending += block - since;
        pending += double(m_deviceBlockBytes) / m_bytesPerSecond;
    }
    return pending;
}

void SDLRenderAudio::fillAudio(void* userdata, Uint8* stream, int len)
{
    static_cast<SDLRenderAudio*>(userdata)->fill(stream, len);
}

void SDLRenderAudio::fill(Uint8* stream, int len)
{
    SDL_memset(stream, 0, size_t(len));
    size_t n = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        n = std::min(size_t(len), m_ring.size());
        if (n > m_mix.size())
            m_mix.resize(n);
        if (n > 0)
            m_ring.pop(m_mix.data(), n);
        m_lastFillUs = av_gettime_relative();
        m_lastFillBytes = int(n);
    }
    if (n > 0)
        SDL_MixAudioFormat(stream, m_mix.data(), AUDIO_S16SYS, Uint32(n), SDL_MIX_MAXVOLUME);
}
