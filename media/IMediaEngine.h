#pragma once
// The media engine interface: every widget that lists, chooses, tests or
// previews a camera, microphone or speaker, sets a volume, plays a local
// test sound or shows a participant's video goes through the one current
// engine. Engine types: 0 does nothing, 1 forwards to the client library,
// 2 serves live ("big") class rooms and also keeps the room pusher's device
// names. Header-only interface: the engines live in media/.
//
// GUI thread only: the current engine and every operation.
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class QWidget;

// One device of a list: (name shown, device id); both hold the name the
// client library lists, and ids are compared with the stored settings.
using DevicePair = QPair<QString, QString>;

enum MediaEngineType {
    kMediaEngineNone = 0,
    kMediaEngineClientLib = 1,
    kMediaEngineBigRoom = 2,
};

class IMediaEngine : public QObject {
    Q_OBJECT
public:
    // The current engine; a no-op engine is made when there is none.
    static IMediaEngine* instance();
    // Makes the engine of type current, deleting the previous one. False,
    // changing nothing, when the current engine already has that type; an
    // unknown type leaves no engine (the next instance() makes a no-op one).
    static bool selectEngine(int type);

    ~IMediaEngine() override = default;

    virtual void getInputAudioDevices(QList<DevicePair>& out) = 0;
    virtual int getInputAudioVolume() = 0;
    virtual void setInputAudioVolume(int volume) = 0;
    virtual QString getCurInputAudioDevice() = 0;
    virtual bool setCurInputAudioDevice(const QString& name) = 0;
    virtual void enableMicrophoneMonitor(bool on) = 0;
    virtual void prepareInputAudioChange(bool on) = 0;
    virtual int queryDeviceState() = 0;
    virtual void getOutputAudioDevices(QList<DevicePair>& out) = 0;
    virtual int getOutputAudioVolume() = 0;
    virtual void setOutputAudioVolume(int volume) = 0;
    virtual QString getCurOutputAudioDevice() = 0;
    virtual bool setCurOutputAudioDevice(const QString& name) = 0;
    virtual void playAudioFile(const QString& path) = 0;
    virtual void stopAudioFile() = 0;
    virtual void getVideoDevices(QList<DevicePair>& out) = 0;
    virtual QString getCurVideoDevice() = 0;
    virtual bool setCurVideoDevice(const QString& name) = 0;
    // window: the QWidget* to draw the local camera preview into, as an
    // integer; on = false stops the preview (window is then not used).
    virtual void previewVideo(quintptr window, bool on) = 0;
    virtual void prepareVideoChange(bool on) = 0;
    virtual int canPreviewVideo() = 0;
    virtual bool playUserVideo(const QString& userId, QWidget* view) = 0;
    virtual bool stopUserVideo(const QString& userId) = 0;
    virtual bool setUserVideoState(const QString& userId, bool on) = 0;
    virtual bool setUserAudioState(const QString& userId, bool on) = 0;
    virtual bool enableVideoCapture(bool on) = 0;
    virtual int getEngineType() = 0;

signals:
    // The level of the microphone monitored (enableMicrophoneMonitor(true)),
    // 0 (silence) to 1 (full scale); the device check's level bar shows it.
    void sigMicrophoneVolumeChange(float volume);
    // The first picture of a camera preview started by previewVideo(window,
    // true) has been drawn into window. Emitted once per start; an engine
    // whose preview draws nothing never emits it.
    void sigPreviewPictureArrived(quintptr window);
    // The previewed camera or the monitored microphone stopped working
    // (unplugged, sound server gone); message tells the user which.
    void sigLocalDeviceLost(const QString& message);

protected:
    IMediaEngine() : QObject(nullptr) {}
    // Applies the stored (or else the first listed) camera, speaker and
    // microphone; the real engines run it from their constructors.
    void initDefaultDevices();
};
