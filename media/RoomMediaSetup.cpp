#include "media/RoomMediaSetup.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "media/IMediaEngine.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"

#include <QWidget>

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

void showWidget(QWidget* w, bool show)
{
    if (w)
        w->setVisible(show);
}

void AddPlayerEntries(RoomLiveMedia& media, RtmpLivePlayer* player)
{
    media.setPlay = [player](const QString& url, bool audioOnly) {
        RtmpPlayParam p = player->GetPlayParam();
        p.playUrl = url;
        p.flag = audioOnly;
        player->SetPlayParam(p);
    };
    media.setPlayUrl = [player](const QString& url) {
        RtmpPlayParam p = player->GetPlayParam();
        p.playUrl = url;
        player->SetPlayParam(p);
    };
    media.playUrl = [player] { return player->GetPlayParam().playUrl; };
    media.playName = [player] { return player->GetPlayParam().playExtra; };
    media.startPlay = [player] { return player->StartTask(); };
    media.stopPlay = [player] { player->StopTask(); };
    media.showPlayRender = [player](bool show) { showWidget(player->GetPlayParam().renderWidget, show); };
}

void AddPusherEntries(RoomLiveMedia& media, RtmpLivePusher* pusher)
{
    media.setPush = [pusher](const QString& url, bool noCamera, int videoMode) {
        RtmpPushParam p = pusher->GetPushParam();
        p.pushUrl = url;
        p.flag = noCamera;
        if (videoMode >= 0)
            p.videoMode = videoMode;
        pusher->SetPushParam(p);
    };
    media.setPushUrl = [pusher](const QString& url) {
        RtmpPushParam p = pusher->GetPushParam();
        p.pushUrl = url;
        pusher->SetPushParam(p);
    };
    media.pushUrl = [pusher] { return pusher->GetPushParam().pushUrl; };
    media.pushVideoMode = [pusher] { return pusher->GetPushParam().videoMode; };
    media.startPush = [pusher] { return pusher->StartTask(); };
    media.stopPush = [pusher] { pusher->StopTask(); };
    media.hidePushDisplay = [pusher] { showWidget(pusher->GetPushParam().displayWidget, false); };
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
    if (player)
        AddPlayerEntries(media, player);
    if (pusher)
        AddPusherEntries(media, pusher);
    media.setDisplay = [pusher, player](QWidget* display) {
        if (pusher) {
            RtmpPushParam p = pusher->GetPushParam();
            p.displayWidget = display;
            pusher->SetPushParam(p);
        }
        if (player) {
            RtmpPlayParam p = player->GetPlayParam();
            p.renderWidget = display;
            player->SetPlayParam(p);
        }
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
