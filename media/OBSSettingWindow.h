#pragma once
// The broadcast settings window: captures the desktop, an application
// window, an area of the screen or a camera into the broadcast engine's one
// scene, with the microphone, the system sound and the remote users' audio;
// publishes the scene over RTMP and records it to a local file.
//
// Declared once, implemented by concern:
//   OBSSettingWindow.cpp         construction, set-up, timer, microphone watchdog, audio
//   OBSSettingWindowSources.cpp  capture sources and their pages
//   OBSSettingWindowPublish.cpp  publishing and local recording
// GUI thread only, except MixAudioData, which the client library calls on its
// audio thread; the engine's signals arrive queued.
#include "widgets/MsgBox.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class IMulAudioSourceProperty;
class QPushButton;
class QTimer;

namespace Ui {
class OBSSettingForm;
}

class OBSSettingWindow : public QMainWindow {
    Q_OBJECT
public:
    // Capture source types (the engine's), and "none".
    enum SourceType {
        kTypeCamera = 0,
        kTypeDesktop = 2,
        kTypeAppWindow = 3,
        kTypeArea = 6,
        kTypeNone = 8,
    };
    // Publish and record states.
    enum WorkState { kIdle = 0, kStarting = 1, kRunning = 2, kStopping = 3 };

    static constexpr const char* kSceneName = "default_scene";
    static constexpr const char* kInputSource = "standard_audio_input_device";
    static constexpr const char* kOutputSource = "standard_audio_output_device";
    static constexpr const char* kMulInputSource = "audio_mulinput_device";
    static constexpr int kTimerMs = 1000;
    static constexpr int kFirstTimeoutMs = 3000;
    static constexpr int kMaxTimeoutMs = 10000;

    // What the window reports to the client library; by default the room's
    // library (nothing when there is none). Tests replace it.
    struct RecordReporter {
        std::function<void(int code, int reserved, const QString& msg)> reportRecordResult;
        std::function<bool(const QString& streamKey, int on)> setRecordState;
    };
    // The monotonic clock of the microphone watchdog, ms. Tests replace it.
    using Clock = std::function<int64_t()>;

    explicit OBSSettingWindow(QWidget* mainWindow);
    ~OBSSettingWindow() override;

    // Scene, sources and audio.
    bool SetInputAudio(QString name);
    bool SetInputAudioMuted(bool mute);
    void MixAudioData(QString userId, const uchar* data, int bitsPerSample, int sampleRate, int channels, int frames,
                      int timestamp, int flags);
    bool SetWorkType(int type);

    // Publishing and recording.
    QString GetServerAddress() const;
    QString GetStreamKey() const;
    void SetPushAddress(QString url, QString key);

    void setRecordReporterForTests(RecordReporter reporter) { m_reporter = std::move(reporter); }
    void setClockForTests(Clock clock) { m_clock = std::move(clock); }
    int currentSourceType() const { return m_curSourceType; }
    int captureWindowIndex() const { return m_captureWndIndex; }
    int noAudioTimeoutMs() const { return m_noAudioTimeout; }
    int64_t lastAudioMs() const { return m_lastAudioMs.load(); }
    int publishState() const { return m_publishState; }
    int recordState() const { return m_recordState; }
    bool inputDeviceValid() const { return m_inputDeviceValid.load(); }
    QTimer* timer() const { return m_timer; }
    // The message box of a silent microphone (null until first shown).
    MsgBox* micAlarmBox() const { return m_micAlarmBox; }
    // The default record folder: the data folder's "record".
    static QString defaultRecordFolder();
    // The failure text of a stop code, empty for codes without one.
    static QString stopCodeText(int code);

    bool recordNotifyFailed = false;

signals:
    void sgStopFinish(int code);

public slots:
    bool StartWork();
    bool StopWork();
    bool IsWorking();
    bool StartRecord(QString path);
    bool StopRecord();
    bool IsMP4Recording();

    void onUpdateTimer();
    void onUpdateVolume(QString srcName, float mag, float peak, float peakHold);
    void on_refreshInputDeviceBtn_clicked();
    void on_refreshOutputDevice_clicked();

    void slotOnStartPublishSuccess();
    void slotOnStopPublishFinished(int code, QString msg);
    void slotStartRecordSuccess();
    void slotStopRecordFinished(int code, QString msg);
    void on_startPublishBtn_clicked();
    void on_startRecordBtn_clicked();
    void on_browserBtn_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUp();
    int64_t nowMs() const;
    void checkMicrophone();
    void retryRecordNotify();
    void reportRecordResult(int code, const QString& msg);
    bool setRecordState(const QString& key, int on);

    // OBSSettingWindowSources.cpp
    void initSources();
    void SwitchSource(int type);
    void updateCameraSrcPage();
    void updateMonitorSrcPage();
    void updateAppWindowSrcPage();
    void showWindowMissingBox(QPointer<MsgBox>& box, bool keep);

    // OBSSettingWindow.cpp (audio)
    bool initAudioInputSource();
    void initAudioOutputSource();

    // OBSSettingWindowPublish.cpp
    bool preparePushAddress(bool reportMissingWindow);
    void startRecording();
    void updatePublishButton();
    void updateRecordButton();
    void applyButtonState(QPushButton* button, int state);

    std::unique_ptr<Ui::OBSSettingForm> ui;
    bool m_setUpDone = false;
    QMap<int, QString> m_sourceNames;
    int m_curSourceType = kTypeNone;
    // Remote voices reach MixAudioData on the client library's audio thread.
    std::mutex m_mulAudioLock;
    std::shared_ptr<IMulAudioSourceProperty> m_mulAudio;  // guarded by m_mulAudioLock
    int m_publishState = kIdle;
    bool m_notifyRecord = false;
    QPointer<QWidget> m_mainWindow;
    int m_audioInited = 0;
    int m_recordState = kIdle;
    QPointer<QPushButton> m_btnRecorder;  // the main window's, when found
    QPointer<QPushButton> m_btnDesk;
    int m_captureWndIndex = -1;
    QString m_wantedInputDevice;
    std::atomic<bool> m_inputDeviceValid{true};  // atomic: GUI thread writes, audio thread reads
    QTimer* m_timer = nullptr;
    int m_tickCount = 0;
    std::atomic<int64_t> m_lastAudioMs{0};  // atomic: GUI and audio threads
    int m_noAudioTimeout = kFirstTimeoutMs;

    RecordReporter m_reporter;
    Clock m_clock;
    QPointer<MsgBox> m_micAlarmBox;        // made once, kept after closing
    QPointer<MsgBox> m_startWorkWindowBox;  // made once, kept after closing
    QPointer<MsgBox> m_publishedWindowBox;  // made once, kept after closing
};
