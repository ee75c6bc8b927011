#include "media/ClientLibMediaEngine.h"

#include "app/CSettings.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "app/SystemInfo.h"
#include "app/CMixerInfo.h"
#include "app/BroadcastAudioLink.h"
#include "media/LocalPreview.h"
#include "widgets/MicrophoneVolumeCtrl.h"
#include "ClientLib.h"

#include <QApplication>
#include <QMediaPlayer>
#include <QUrl>

const char kSettingCamera[] = "SelectCamera/DeviceName";
const char kSettingMicrophone[] = "SelectMicropone/DeviceName";
const char kSettingSpeaker[] = "SelectSpeaker/DeviceName";

namespace {

void listDevices(const QStringList& names, QList<DevicePair>& out)
{
    for (const QString& name : names)
        out.append(DevicePair(name, name));
}

}  // namespace

ClientLibMediaEngine::ClientLibMediaEngine() : ClientLibMediaEngine(NoDefaults{}) { initDefaultDevices(); }

ClientLibMediaEngine::ClientLibMediaEngine(NoDefaults) : m_player(new QMediaPlayer()), m_local(new LocalPreview(this))
{
    connect(m_local, &LocalPreview::pictureDrawn, this, &IMediaEngine::sigPreviewPictureArrived);
    connect(m_local, &LocalPreview::level, this, &IMediaEngine::sigMicrophoneVolumeChange);
    connect(m_local, &LocalPreview::deviceLost, this, &IMediaEngine::sigLocalDeviceLost);
    // Level bars of the default input show this engine's microphone level.
    MicrophoneVolumeCtrl::SetMicrophoneLevelSource(this);
    // A widget that goes while previewing ends the camera with it.
    connect(m_local, &LocalPreview::targetGone, this, [this] { previewVideo(0, false); });
}

ClientLibMediaEngine::~ClientLibMediaEngine()
{
    stopLocalCaptures();
    if (ClientLib* l = lib())
        l->StopAudioFile();
    if (m_player) {
        m_player->stop();
        m_player->deleteLater();
    }
}

ClientLib* ClientLibMediaEngine::lib() { return Room::instance()->GetClientLib(); }

QString ClientLibMediaEngine::stored(const char* key) { return CSettings::instance()->GetValue(key, "").toString(); }

void ClientLibMediaEngine::store(const char* key, const QString& name) { CSettings::instance()->SetValue(key, name); }

void ClientLibMediaEngine::getInputAudioDevices(QList<DevicePair>& out)
{
    out.clear();
    if (ClientLib* l = lib())
        listDevices(l->GetInputAudioDevices(), out);
}

int ClientLibMediaEngine::getInputAudioVolume() { return GetMicVolume(); }

void ClientLibMediaEngine::setInputAudioVolume(int volume) { SetMicVolume(volume); }

QString ClientLibMediaEngine::getCurInputAudioDevice() { return stored(kSettingMicrophone); }

bool ClientLibMediaEngine::setCurInputAudioDevice(const QString& name)
{
    return chooseMicrophone(name, "ClientLibMediaEngine::setCurInputAudioDevice");
}

bool ClientLibMediaEngine::chooseMicrophone(const QString& name, const char* fn)
{
    ClientLib* l = lib();
    if (!l)
        return false;
    if (!BroadcastAudioLink::instance().SetInputAudio(name))
        Logger::instance()->Log(LOG_WARN, fn, "set recorder input failed %s", name.toUtf8().constData());
    store(kSettingMicrophone, name);
    return l->SetInputAudioDevice(name);
}

void ClientLibMediaEngine::getOutputAudioDevices(QList<DevicePair>& out)
{
    out.clear();
    if (ClientLib* l = lib())
        listDevices(l->GetOutputAudioDevices(), out);
}

int ClientLibMediaEngine::getOutputAudioVolume() { return GetVolume(); }

void ClientLibMediaEngine::setOutputAudioVolume(int volume) { SetVolume(volume); }

QString ClientLibMediaEngine::getCurOutputAudioDevice() { return stored(kSettingSpeaker); }

bool ClientLibMediaEngine::setCurOutputAudioDevice(const QString& name)
{
    ClientLib* l = lib();
    if (!l)
        return false;
    store(kSettingSpeaker, name);
    return l->SetOutputAudioDevice(name);
}

void ClientLibMediaEngine::stopLocalCaptures()
{
    ClientLib* l = lib();
    if (l && m_previewing)
        l->StopPreviewVideo();
    m_previewing = false;
    if (l && m_monitoring)
        l->MonitorInputAudioLevel(false, nullptr);
    m_monitoring = false;
    m_local->stop();
}

void ClientLibMediaEngine::enableMicrophoneMonitor(bool on)
{
    ClientLib* l = lib();
    if (!l)
        return;
    if (!on) {
        if (m_monitoring)
            l->MonitorInputAudioLevel(false, nullptr);
        m_monitoring = false;
        return;
    }
    m_monitoring = true;
    if (!l->MonitorInputAudioLevel(true, m_local->levelSink()))
        Logger::instance()->Log(LOG_WARN, "ClientLibMediaEngine::enableMicrophoneMonitor",
                                "the microphone %s cannot be monitored", getCurInputAudioDevice().toUtf8().constData());
}

int ClientLibMediaEngine::canPreviewVideo()
{
    // A preview needs a library with a camera to show.
    ClientLib* l = lib();
    return l && !l->GetVideoDevices().isEmpty() ? 1 : 0;
}

void ClientLibMediaEngine::playAudioFile(const QString& path)
{
    if (ClientLib* l = lib()) {
        // On the chosen speaker; the library logs why when it cannot.
        if (!l->PlayAudioFile(path))
            Logger::instance()->Log(LOG_WARN, "ClientLibMediaEngine::playAudioFile", "%s not played",
                                    path.toUtf8().constData());
        return;
    }
    if (!m_player)
        return;
    m_player->setMedia(QUrl::fromLocalFile(path));
    m_player->play();
}

void ClientLibMediaEngine::stopAudioFile()
{
    if (ClientLib* l = lib())
        l->StopAudioFile();
    if (m_player)
        m_player->stop();
}

void ClientLibMediaEngine::getVideoDevices(QList<DevicePair>& out)
{
    ClientLib* l = lib();
    if (!l)
        return;
    out.clear();
    listDevices(l->GetVideoDevices(), out);
}

QString ClientLibMediaEngine::getCurVideoDevice() { return stored(kSettingCamera); }

bool ClientLibMediaEngine::setCurVideoDevice(const QString& name)
{
    ClientLib* l = lib();
    if (!l)
        return false;
    store(kSettingCamera, name);
    return l->SetVideoDevice(name);
}

void ClientLibMediaEngine::previewVideo(quintptr window, bool on)
{
    ClientLib* l = lib();
    if (!l)
        return;
    l->StopPreviewVideo();
    m_previewing = false;
    m_local->stop();
    if (!on)
        return;
    // window names the widget to draw into; a value that is no widget of
    // this program draws nothing (and so never reports a picture).
    QWidget* target = nullptr;
    for (QWidget* w : QApplication::allWidgets()) {
        if (reinterpret_cast<quintptr>(w) == window)
            target = w;
    }
    if (!target)
        Logger::instance()->Log(LOG_WARN, "ClientLibMediaEngine::previewVideo", "no widget %llu to draw the preview into",
                                static_cast<unsigned long long>(window));
    m_local->start(target);
    l->SetPreviewVideoSink(m_local->sink());
    l->StartPreviewVideo(window);
    m_previewing = true;
}

bool ClientLibMediaEngine::playUserVideo(const QString& userId, QWidget* view)
{
    ClientLib* l = lib();
    return l ? l->PlayUserVideo(userId, view) : false;
}

bool ClientLibMediaEngine::stopUserVideo(const QString& userId)
{
    ClientLib* l = lib();
    return l ? l->StopUserVideo(userId) : false;
}

bool ClientLibMediaEngine::setUserVideoState(const QString& userId, bool on)
{
    ClientLib* l = lib();
    return l ? l->SetUserVideoState(userId, on) : false;
}

bool ClientLibMediaEngine::setUserAudioState(const QString& userId, bool on)
{
    ClientLib* l = lib();
    return l ? l->SetUserAudioState(userId, on) : false;
}

bool ClientLibMediaEngine::enableVideoCapture(bool on)
{
    ClientLib* l = lib();
    return l ? l->EnableVideoCapture(on) : false;
}
