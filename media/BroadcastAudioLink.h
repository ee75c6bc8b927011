#pragma once
// What the media engines and the pusher ask of the broadcast settings window
// about the microphone. The window fills the entries when it is made; an
// empty entry means the broadcast engine has not taken the microphone
// (SetInputAudio answers false, muting does nothing). GUI thread only.
#include <QString>

#include <functional>

struct BroadcastAudioLink {
    std::function<bool(const QString& name)> setInputAudio;
    std::function<void(bool muted)> setInputAudioMuted;

    bool SetInputAudio(const QString& name) const { return setInputAudio ? setInputAudio(name) : false; }
    void SetInputAudioMuted(bool muted) const
    {
        if (setInputAudioMuted)
            setInputAudioMuted(muted);
    }

    // The process's one link.
    static BroadcastAudioLink& instance()
    {
        static BroadcastAudioLink link;
        return link;
    }
};
