// Room: sharing the teacher's own stream: the microphone, the camera through
// the live pusher, or the desktop through the broadcast settings window.
#include "app/Room.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "ClientLib.h"

namespace {

enum ShareType { kShareNone = 0, kShareAudio = 1, kShareCamera = 2, kShareDesktop = 3, kShareCameraMode = 4 };

// The announced picture size of a camera share in a video mode.
void modeSize(int videoMode, int& width, int& height)
{
    switch (videoMode) {
    case 1:
        width = 640;
        height = 360;
        break;
    case 3:
        width = 1920;
        height = 1080;
        break;
    default:
        width = 1280;
        height = 720;
        break;
    }
}

}  // namespace

bool Room::StartShare(int type)
{
    const char* func = "Room::StartShare";
    if (type == m_shareType.load() || type == kShareNone) {
        Logger::instance()->Log(LOG_INFO, func, "already startShare %d", type);
        return true;
    }
    m_shareType = type;
    if (m_views.setPlayState)
        m_views.setPlayState(true, type);
    CData* data = CData::instance();
    QString stream = data->GetStreamName(false);
    QString url = data->GetPushUrl() + stream;
    ClientLib* lib = m_clientLib;
    auto show = [](const std::function<void(bool)>& fn, bool on) {
        if (fn)
            fn(on);
    };
    auto startPusher = [&](bool noCamera, int videoMode) {
        if (m_liveMedia.setPush)
            m_liveMedia.setPush(url, noCamera, videoMode);
        if (!(m_liveMedia.startPush && m_liveMedia.startPush()))
            Logger::instance()->Log(LOG_WARN, func, "pusher refused %d, %s", type, url.toUtf8().constData());
    };
    switch (type) {
    case kShareAudio:
        show(m_views.showAudioFloat, true);
        show(m_views.showDisplay, false);
        startPusher(true, 0);
        if (lib)
            lib->SetPushInfo(stream, data->GetLiveMode(), 0, 0, 1);
        break;
    case kShareCamera:
        show(m_views.showDisplay, true);
        startPusher(false, 0);
        if (lib)
            lib->SetPushInfo(stream, data->GetLiveMode(), 0, 0, 1);
        break;
    case kShareCameraMode: {
        show(m_views.showDisplay, true);
        startPusher(false, -1);
        int width = 0;
        int height = 0;
        modeSize(m_liveMedia.pushVideoMode ? m_liveMedia.pushVideoMode() : 0, width, height);
        if (lib)
            lib->SetPushInfo(stream, data->GetLiveMode(), width, height, 1);
        break;
    }
    case kShareDesktop:
        show(m_views.showCamPreview, true);
        if (!(m_broadcast.startWork && m_broadcast.startWork()))
            Logger::instance()->Log(LOG_WARN, func, "start desk failed. wait for stop to start");
        show(m_views.showDisplay, false);
        ShowDeskFloat(true);
        stream = m_broadcast.streamKey ? m_broadcast.streamKey() : QString();
        url = (m_broadcast.serverAddress ? m_broadcast.serverAddress() : QString()) + stream;
        if (m_liveMedia.setPushUrl)
            m_liveMedia.setPushUrl(url);
        if (lib)
            lib->SetPushInfo(stream, data->GetLiveMode(), 1280, 720, 1);
        break;
    default:
        break;
    }
    Logger::instance()->Log(LOG_INFO, func, "doshare StartShare %d, %s", type, url.toUtf8().constData());
    return true;
}

void Room::ShowDeskFloat(bool show)
{
    if (m_deskFloat)
        m_deskFloat->setVisible(show);
    if (m_views.showDeskFloat)
        m_views.showDeskFloat(show);
}

bool Room::StopShare()
{
    const int old = m_shareType.exchange(kShareNone);
    if (old == kShareNone)
        return true;
    if (old == kShareAudio || old == kShareCamera || old == kShareCameraMode) {
        if (m_liveMedia.stopPush)
            m_liveMedia.stopPush();
    } else if (old == kShareDesktop && m_broadcast.stopWork) {
        m_broadcast.stopWork();
    }
    if (m_views.showCamPreview)
        m_views.showCamPreview(false);
    ShowDeskFloat(false);
    if (m_views.showAudioFloat)
        m_views.showAudioFloat(false);
    if (m_liveMedia.hidePushDisplay)
        m_liveMedia.hidePushDisplay();
    if (m_clientLib)
        m_clientLib->SetPushInfo("", CData::instance()->GetLiveMode(), 0, 0, 0);
    const QString url = m_liveMedia.pushUrl ? m_liveMedia.pushUrl() : QString();
    Logger::instance()->Log(LOG_INFO, "Room::StopShare", "doshare StopShare %d %s", old, url.toUtf8().constData());
    if (m_liveMedia.setPushUrl)
        m_liveMedia.setPushUrl(QString());
    return true;
}
