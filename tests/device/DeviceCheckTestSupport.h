#pragma once
// Helpers of the device check tests: a private data folder, a media engine
// whose devices and answers the test sets (it records every call, and the
// test makes it report preview pictures and microphone levels as a real
// engine would), the dialog over that engine, and screenshots.
#include "device/DeviceCheckDialog.h"
#include "media/IMediaEngine.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QStackedWidget>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace devicetest {

inline testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}
inline testsupport::TempHome& g_home = home();

class ScriptedEngine : public IMediaEngine {
public:
    QList<DevicePair> cameras, mics, speakers;
    QString curCamera, curMic, curSpeaker;
    int preview = 1, deviceState = 0, micVolume = 45, speakerVolume = 72;
    QStringList calls;  // "setCamera:id", "preview:on", "preview:off", "play:path", "stopAudio", "monitor:1" ...
    quintptr previewWindow = 0;
    QString playing;  // the sound file playing now, empty when none

    int count(const QString& call) const { return calls.count(call); }
    bool hasPrefix(const QString& prefix) const
    {
        for (const QString& c : calls)
            if (c.startsWith(prefix))
                return true;
        return false;
    }
    // What a real engine does once the preview's first picture is drawn.
    void drawPicture() { emit sigPreviewPictureArrived(previewWindow); }
    void level(float v) { emit sigMicrophoneVolumeChange(v); }

    void getInputAudioDevices(QList<DevicePair>& out) override { out = mics; }
    int getInputAudioVolume() override { return micVolume; }
    void setInputAudioVolume(int v) override { calls << QString("micVol:%1").arg(v); }
    QString getCurInputAudioDevice() override { return curMic; }
    bool setCurInputAudioDevice(const QString& k) override { calls << "setMic:" + k; curMic = k; return true; }
    void enableMicrophoneMonitor(bool on) override { calls << QString("monitor:%1").arg(on); }
    void prepareInputAudioChange(bool) override { calls << "prepareMic"; }
    int queryDeviceState() override { return deviceState; }
    void getOutputAudioDevices(QList<DevicePair>& out) override { out = speakers; }
    int getOutputAudioVolume() override { return speakerVolume; }
    void setOutputAudioVolume(int v) override { calls << QString("spkVol:%1").arg(v); }
    QString getCurOutputAudioDevice() override { return curSpeaker; }
    bool setCurOutputAudioDevice(const QString& k) override { calls << "setSpeaker:" + k; curSpeaker = k; return true; }
    void playAudioFile(const QString& path) override { calls << "play:" + path; playing = path; }
    void stopAudioFile() override { calls << "stopAudio"; playing.clear(); }
    void getVideoDevices(QList<DevicePair>& out) override { out = cameras; }
    QString getCurVideoDevice() override { return curCamera; }
    bool setCurVideoDevice(const QString& k) override { calls << "setCamera:" + k; curCamera = k; return true; }
    void previewVideo(quintptr window, bool on) override
    {
        calls << (on ? "preview:on" : "preview:off");
        previewWindow = on ? window : 0;
    }
    void prepareVideoChange(bool) override { calls << "prepareCamera"; }
    int canPreviewVideo() override { return preview; }
    bool playUserVideo(const QString&, QWidget*) override { return false; }
    bool stopUserVideo(const QString&) override { return false; }
    bool setUserVideoState(const QString&, bool) override { return false; }
    bool setUserAudioState(const QString&, bool) override { return false; }
    bool enableVideoCapture(bool) override { return false; }
    int getEngineType() override { return kMediaEngineNone; }
};

inline QList<DevicePair> devices(std::initializer_list<const char*> ids)
{
    QList<DevicePair> out;
    for (const char* id : ids)
        out.append({id, QString("Device ") + id});
    return out;
}

// An engine with two devices of each kind, the second one current.
inline void standardDevices(ScriptedEngine& e)
{
    e.cameras = devices({"cam0", "cam1"});
    e.mics = devices({"mic0", "mic1"});
    e.speakers = devices({"spk0", "spk1"});
    e.curCamera = "cam1";
    e.curMic = "mic1";
    e.curSpeaker = "spk1";
}

template <class T = QWidget>
T* child(QWidget* w, const char* name)
{
    T* found = w->findChild<T*>(name);
    if (!found)
        ADD_FAILURE() << "no child " << name;
    return found;
}

// The page the dialog shows, by its "page" number.
inline int currentPage(QWidget* dialog)
{
    return child<QStackedWidget>(dialog, "rightStackedWidget")->currentWidget()->property("page").toInt();
}

// Ends the current playback window at once, as its timer would.
inline void endPlayWindow(QWidget* dialog)
{
    QTimer* timer = dialog->findChild<QTimer*>("playTimer");
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->isActive());
    QMetaObject::invokeMethod(timer, "timeout");
}

// The path the engine was last asked to play; empty when none.
inline QString lastPlayed(const ScriptedEngine& e)
{
    for (int i = e.calls.size() - 1; i >= 0; --i)
        if (e.calls[i].startsWith("play:"))
            return e.calls[i].mid(5);
    return QString();
}

// Index of the animal whose sound the engine was last asked to play.
inline int playedAnimal(const ScriptedEngine& e)
{
    const QString path = lastPlayed(e);
    const char* files[] = {"dog.mp3", "cat.mp3", "sheep.mp3", "cattle.mp3"};
    for (int i = 0; i < 4; ++i)
        if (path.endsWith(files[i]))
            return i;
    return -1;
}

// A dialog over a scripted engine (two devices of each kind unless setUp
// says otherwise), shown unless asked not to.
struct CheckFixture {
    ScriptedEngine engine;
    std::unique_ptr<DeviceCheckDialog> dialog;
    explicit CheckFixture(void (*setUp)(ScriptedEngine&) = standardDevices, bool show = true)
    {
        setUp(engine);
        dialog = std::make_unique<DeviceCheckDialog>(nullptr, [this] { return &engine; });
        if (show)
            dialog->show();
    }
    QWidget* w() const { return dialog.get(); }
    template <class T = QAbstractButton>
    T* get(const char* name) const
    {
        return child<T>(dialog.get(), name);
    }
    void click(const char* name) { get<QAbstractButton>(name)->click(); }
};

inline std::string screenshot(QWidget* w, const std::string& name)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const std::string path = testsupport::screenshotPath(name);
    w->grab().save(QString::fromStdString(path));
    return path;
}

}  // namespace devicetest
