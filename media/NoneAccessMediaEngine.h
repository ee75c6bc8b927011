#pragma once
// The engine that does nothing: every query answers 0, false or an empty
// text and lists are left as they are. The fallback when no engine is chosen.
#include "media/IMediaEngine.h"

class NoneAccessMediaEngine : public IMediaEngine {
    Q_OBJECT
public:
    NoneAccessMediaEngine() = default;

    void getInputAudioDevices(QList<DevicePair>&) override {}
    int getInputAudioVolume() override { return 0; }
    void setInputAudioVolume(int) override {}
    QString getCurInputAudioDevice() override { return QString(); }
    bool setCurInputAudioDevice(const QString&) override { return false; }
    void enableMicrophoneMonitor(bool) override {}
    void prepareInputAudioChange(bool) override {}
    int queryDeviceState() override { return 0; }
    void getOutputAudioDevices(QList<DevicePair>&) override {}
    int getOutputAudioVolume() override { return 0; }
    void setOutputAudioVolume(int) override {}
    QString getCurOutputAudioDevice() override { return QString(); }
    bool setCurOutputAudioDevice(const QString&) override { return false; }
    void playAudioFile(const QString&) override {}
    void stopAudioFile() override {}
    void getVideoDevices(QList<DevicePair>&) override {}
    QString getCurVideoDevice() override { return QString(); }
    bool setCurVideoDevice(const QString&) override { return false; }
    void previewVideo(quintptr, bool) override {}
    void prepareVideoChange(bool) override {}
    int canPreviewVideo() override { return 0; }
    bool playUserVideo(const QString&, QWidget*) override { return false; }
    bool stopUserVideo(const QString&) override { return false; }
    bool setUserVideoState(const QString&, bool) override { return false; }
    bool setUserAudioState(const QString&, bool) override { return false; }
    bool enableVideoCapture(bool) override { return false; }
    int getEngineType() override { return kMediaEngineNone; }
};
