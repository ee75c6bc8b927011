#pragma once
// The client-library engine (type 1): device lists, device choice, preview
// and participants' video through the client library, volumes through the
// system volume functions, a media player for local sound files. Each call
// asks the room controller for the library afresh; without one, forwarding
// operations answer false and lists stay empty.
#include "media/IMediaEngine.h"

class ClientLib;
class LocalPreview;
class QMediaPlayer;

// Settings keys of the chosen devices (values: device names).
extern const char kSettingCamera[];
extern const char kSettingMicrophone[];
extern const char kSettingSpeaker[];

class ClientLibMediaEngine : public IMediaEngine {
    Q_OBJECT
public:
    ClientLibMediaEngine();
    ~ClientLibMediaEngine() override;

    void getInputAudioDevices(QList<DevicePair>& out) override;
    int getInputAudioVolume() override;
    void setInputAudioVolume(int volume) override;
    QString getCurInputAudioDevice() override;
    bool setCurInputAudioDevice(const QString& name) override;
    void enableMicrophoneMonitor(bool on) override;
    void prepareInputAudioChange(bool) override {}
    int queryDeviceState() override { return 0; }
    void getOutputAudioDevices(QList<DevicePair>& out) override;
    int getOutputAudioVolume() override;
    void setOutputAudioVolume(int volume) override;
    QString getCurOutputAudioDevice() override;
    bool setCurOutputAudioDevice(const QString& name) override;
    void playAudioFile(const QString& path) override;
    void stopAudioFile() override;
    void getVideoDevices(QList<DevicePair>& out) override;
    QString getCurVideoDevice() override;
    bool setCurVideoDevice(const QString& name) override;
    void previewVideo(quintptr window, bool on) override;
    void prepareVideoChange(bool) override {}
    int canPreviewVideo() override;
    bool playUserVideo(const QString& userId, QWidget* view) override;
    bool stopUserVideo(const QString& userId) override;
    bool setUserVideoState(const QString& userId, bool on) override;
    bool setUserAudioState(const QString& userId, bool on) override;
    bool enableVideoCapture(bool on) override;
    int getEngineType() override { return kMediaEngineClientLib; }

    // The player of local sound files when there is no library (null when
    // it could not be made); with a library they play on the chosen speaker.
    QMediaPlayer* audioFilePlayer() const { return m_player; }

protected:
    // For the big-room engine: makes the player but leaves the default
    // devices to the derived constructor, so its own choices apply.
    struct NoDefaults {};
    explicit ClientLibMediaEngine(NoDefaults);

    static ClientLib* lib();
    static QString stored(const char* key);
    static void store(const char* key, const QString& name);
    // The microphone choice shared by both engines; fn names the caller in
    // the log.
    bool chooseMicrophone(const QString& name, const char* fn);

private:
    // Ends the library's preview and level monitor, so no capture thread
    // calls into m_local after it goes.
    void stopLocalCaptures();

    QMediaPlayer* m_player = nullptr;  // owned; GUI thread only
    // GUI thread only; the library's capture threads call its sinks until
    // the library's stop calls return.
    LocalPreview* m_local = nullptr;
    bool m_monitoring = false;          // GUI thread only: the level monitor runs
    bool m_previewing = false;          // GUI thread only: the library previews for this engine
};
