#include "media/RoomMediaSetup.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "media/IMediaEngine.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"

namespace {

// An engine list as the relayed requests list it: (id, display name).
TranServices::DeviceList relayList(void (IMediaEngine::*list)(QList<DevicePair>&))
{
    QList<DevicePair> devices;
    (IMediaEngine::instance()->*list)(devices);
    TranServices::DeviceList out;
    for (const DevicePair& d : devices)
        out.append(qMakePair(d.second, d.first));
    return out;
}

}  // namespace

void InstallRoomMedia()
{
    RoomLiveMedia media;
    media.pusher = CreateRtmpLivePusher();
    media.player = CreateRtmpLivePlayer();
    if (!media.pusher || !media.player)
        Logger::instance()->Log(LOG_ERROR, "InstallRoomMedia", "live media not made pusher %p player %p",
                                static_cast<void*>(media.pusher), static_cast<void*>(media.player));
    RtmpLivePusher* pusher = media.pusher;
    RtmpLivePlayer* player = media.player;
    if (player)
        media.playDelay = [player] { return player->GetDelayTime(); };
    if (pusher)
        media.mixRemoteAudio = [pusher](const QString& userId, const void* data, int bits, int rate, int channels,
                                        int frames) {
            pusher->OnExtAudioDataMixer(userId, static_cast<const uchar*>(data), bits, rate, channels, frames);
        };
    media.release = [pusher, player] {
        delete pusher;
        delete player;
    };
    Room::instance()->SetLiveMedia(media);

    TranServices s = CData::instance()->GetTranServices();
    s.pushUrl = [] {
        RtmpLivePusher* p = Room::instance()->GetLivePusher();
        return p ? p->GetPushParam().pushUrl : QString();
    };
    s.playUrl = [] {
        RtmpLivePlayer* p = Room::instance()->GetLivePlayer();
        return p ? p->GetPlayParam().playUrl : QString();
    };
    s.cameras = [] { return relayList(&IMediaEngine::getVideoDevices); };
    s.mics = [] { return relayList(&IMediaEngine::getInputAudioDevices); };
    s.currentCamera = [] { return IMediaEngine::instance()->getCurVideoDevice(); };
    s.currentMic = [] { return IMediaEngine::instance()->getCurInputAudioDevice(); };
    s.setCamera = [](const QString& id) { IMediaEngine::instance()->setCurVideoDevice(id); };
    s.setMic = [](const QString& id) { IMediaEngine::instance()->setCurInputAudioDevice(id); };
    CData::instance()->SetTranServices(s);
}
