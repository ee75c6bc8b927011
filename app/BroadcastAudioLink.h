#pragma once
// What the media engines, the pusher and the room controller ask of the
// broadcast settings window about audio. The window fills the entries when
// it is made; an empty entry means the broadcast engine has not taken the
// microphone (SetInputAudio answers false, muting does nothing) or no window
// takes remote audio (MixAudioData answers false).
//
// setInputAudio and setInputAudioMuted: GUI thread only. The remote-audio
// entry is called on the client library's audio thread: it is set and
// called only through SetMixAudio and MixAudioData, under mixLock, so a
// window that goes away waits for a block being handed over.
#include <QString>

#include <functional>
#include <mutex>

struct BroadcastAudioLink {
    using MixFn = std::function<void(const QString& userId, const void* data, int bitsPerSample, int sampleRate,
                                     int channels, int frames, int timestamp, int flags)>;

    std::function<bool(const QString& name)> setInputAudio;
    std::function<void(bool muted)> setInputAudioMuted;

    bool SetInputAudio(const QString& name) const { return setInputAudio ? setInputAudio(name) : false; }
    void SetInputAudioMuted(bool muted) const
    {
        if (setInputAudioMuted)
            setInputAudioMuted(muted);
    }

    void SetMixAudio(MixFn fn)
    {
        std::lock_guard<std::mutex> lk(mixLock);
        mixAudio = std::move(fn);
    }
    bool MixAudioData(const QString& userId, const void* data, int bitsPerSample, int sampleRate, int channels,
                      int frames, int timestamp, int flags)
    {
        std::lock_guard<std::mutex> lk(mixLock);
        if (!mixAudio)
            return false;
        mixAudio(userId, data, bitsPerSample, sampleRate, channels, frames, timestamp, flags);
        return true;
    }

    // The process's one link.
    static BroadcastAudioLink& instance()
    {
        static BroadcastAudioLink link;
        return link;
    }

    BroadcastAudioLink() = default;
    // Tests reset the link by assigning a fresh one: the entries are copied,
    // each side's lock stays its own.
    BroadcastAudioLink& operator=(const BroadcastAudioLink& other)
    {
        if (this == &other)
            return *this;
        setInputAudio = other.setInputAudio;
        setInputAudioMuted = other.setInputAudioMuted;
        MixFn fn;
        {
            std::lock_guard<std::mutex> lk(other.mixLock);
            fn = other.mixAudio;
        }
        SetMixAudio(std::move(fn));
        return *this;
    }
    BroadcastAudioLink(const BroadcastAudioLink&) = delete;

private:
    mutable std::mutex mixLock;
    MixFn mixAudio;  // guarded by mixLock
};
