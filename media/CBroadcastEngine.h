#pragma once
// The program's one broadcast engine, behind a QObject: the engine's
// observer calls, which arrive on the engine's own threads, become Qt
// signals. Receivers live on the GUI thread, so they are delivered queued.
//
// Made by the first instance() call (GUI thread) and never deleted; the
// engine itself is freed by release() when the broadcast settings window
// goes. The wrapper registers itself once as the level source of the
// microphone level bars.
#include "libs/broadcast/IBroadcastEngine.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>

class CBroadcastEngine : public QObject, public IBroadcastEngineObserver {
    Q_OBJECT
public:
    // The only source name whose volume reports are passed on.
    static constexpr const char* kMicrophoneSource = "standard_audio_input_device";
    // A volume report is passed on only when more than this has passed
    // since the last one that was.
    static constexpr int64_t kVolumeIntervalMs = 200;

    // GUI thread only: makes the wrapper and its engine on the first call.
    static CBroadcastEngine* instance();
    // The engine, or null when the wrapper was never made or the engine was
    // released; makes nothing.
    static IBroadcastEngine* getEngine();
    // Frees the engine (the wrapper stays); nothing when there is none.
    static void release();

    // Tests only: the monotonic clock of the volume throttle, in ms (null:
    // the steady clock), and the throttle's memory reset to 0.
    using Clock = int64_t (*)();
    static void setClockForTests(Clock clock);

    ~CBroadcastEngine() override;

    // IBroadcastEngineObserver, on the engine's threads.
    void OnActivateAudioSource(const char* name) override;
    void OnDeactivateAudioSource(const char* name) override;
    void OnAudioVolume(const char* name, float mag, float peak, float peakHold) override;
    void OnSourceSelectionChange(const char* name, bool selected) override;
    void OnSceneInitialled() override;
    void OnOutputSizeChange(int width, int height) override;
    void OnPublishStatistics(int kbitsPerSecond, int droppedFrames) override;
    void OnRecordStatistics(int seconds, int kbytes) override;
    void OnStartPublishSuccess() override;
    void OnStopPublish(int code, const char* text) override;
    void OnReconnectStream() override;
    void OnReconnectStreamSuccess() override;
    void OnStartRecordSuccess() override;
    void OnStopRecord(int code, const char* text) override;

signals:
    void signalActivateAudioSource(QString srcName);
    void signalDeactivatAudioSource(QString srcName);
    // The level is peakHold. The name is carried by value: the signal
    // crosses threads.
    void signalAudioVolume(QString srcName, float mag, float peak, float peakHold);
    void signalSourceSelectionChange(QString src_name, bool selected);
    void signalSceneInitialled();
    void signalOutputSizeChange(int width, int height);
    void signalStartPublishSuccess();
    void signalStopPublish(int result, QString msg);
    void signalReconnectStream();
    void signalReconnectStreamSuccess();
    void signalStartRecordSuccess();
    void signalStopRecord(int result, QString msg);

private:
    CBroadcastEngine();
    static int64_t nowMs();

    IBroadcastEngine* m_engine = nullptr;  // GUI thread only (made and released there)
    // The time of the last forwarded volume report; only the microphone's
    // one report stream (one engine thread) reads and writes it.
    std::atomic<int64_t> m_lastVolumeMs{0};
};
