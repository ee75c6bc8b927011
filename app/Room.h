#pragma once
// The room session controller: creates and owns the client library and the
// whiteboard library, turns their callbacks into Qt signals, and carries the
// room's delayed-command queue. Every other part of the program reaches the
// libraries only through GetClientLib and GetWBLib.
//
// Implementation by concern: Room.cpp (life, library binding, callbacks),
// RoomMedia.cpp (live pusher and player, the media callbacks handed to the
// client library, snapshots), RoomMixer.cpp (remote audio mixed for the
// broadcast engine), RoomPlay.cpp (playing a stream, the display name),
// RoomShare.cpp (sharing the teacher's stream), RoomReports.cpp (JSON
// reports), RoomChecks.cpp (the once-a-second checks: speed test, report,
// desktop snapshot, CPU and memory sampling).
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <nlohmann/json_fwd.hpp>

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

class ClientLib;
class CWhiteBoardLib;
class DelayCommand;
class DownThread;
class UploadDoc;
class QImage;
class QWidget;
class RtmpLivePlayer;
class RtmpLivePusher;

// The room's live pusher and player as the media side hands them over
// (app/ sees only these entries, not the media classes). The room owns both
// from then on.
struct RoomLiveMedia {
    RtmpLivePusher* pusher = nullptr;
    RtmpLivePlayer* player = nullptr;
    // The player's current play delay in ms (any thread).
    std::function<qint64()> playDelay;
    // A remote participant's audio block for the pusher's mix (any thread).
    std::function<void(const QString& userId, const void* data, int bitsPerSample, int sampleRate, int channels,
                       int frames)>
        mixRemoteAudio;
    // Deletes the pusher and the player (GUI thread).
    std::function<void()> release;

    // Play and share (GUI thread). An empty entry does nothing (answers
    // false or empty text).
    // The player's record: play URL and the audio-only flag (the rest kept).
    std::function<void(const QString& url, bool audioOnly)> setPlay;
    std::function<void(const QString& url)> setPlayUrl;
    std::function<QString()> playUrl;
    std::function<QString()> playName;  // the record's second text
    std::function<bool()> startPlay;    // false: the player refused
    std::function<void()> stopPlay;
    std::function<void(bool show)> showPlayRender;
    // The pusher's record: push URL, the no-camera flag and the video mode
    // (below 0 keeps the stored one).
    std::function<void(const QString& url, bool noCamera, int videoMode)> setPush;
    std::function<void(const QString& url)> setPushUrl;
    std::function<QString()> pushUrl;
    std::function<int()> pushVideoMode;
    std::function<bool()> startPush;
    std::function<void()> stopPush;
    std::function<void()> hidePushDisplay;
    // The room's display widget as the pusher's preview place and the
    // player's render widget; null clears both records.
    std::function<void(QWidget* display)> setDisplay;
};

// The room's widgets that play and share show and hide, handed over by the
// main window that owns them (GUI thread). An empty entry does nothing.
struct RoomViews {
    // Makes the room's display widget under parent; the room owns it.
    std::function<QWidget*(QWidget* parent)> makeDisplay;
    // The display widget: share (true) or play state with the type.
    std::function<void(bool share, int type)> setPlayState;
    // The display widget's name line; the flag marks a video stream's name.
    std::function<void(const QString& name, bool flag)> setUserName;
    std::function<void(bool show)> showDisplay;
    // The floating audio indicator, made under the library parent on the
    // first show.
    std::function<void(bool show)> showAudioFloat;
    std::function<void(bool show)> showDeskFloat;
    // The camera preview of a desktop share, made on the first show.
    std::function<void(bool show)> showCamPreview;
};

// The broadcast settings window as a desktop share uses it (GUI thread);
// the window fills it when it is made and empties it when it goes.
struct RoomBroadcastWindow {
    std::function<bool()> startWork;  // false: it cannot start now
    std::function<bool()> stopWork;
    std::function<QString()> streamKey;
    std::function<QString()> serverAddress;  // with "/" appended
    std::function<void()> toggleShown;       // shown when hidden, hidden when shown
};

class Room : public QObject {
    Q_OBJECT
public:
    static Room* instance();
    ~Room() override;

    // Once, from the main window's constructor, with the widget in which the
    // whiteboard is created.
    void InitLib(QWidget* parent);
    // The room-side part of leaving a room.
    void ExitRoom();
    // Once, from the closing code: releases both libraries; no library call
    // may follow. A second call does nothing.
    void ReleaseLib();

    // Once, before InitLib: the room takes the live pusher and player.
    void SetLiveMedia(const RoomLiveMedia& media);
    // From the main window (views) and the broadcast settings window.
    void SetViews(const RoomViews& views) { m_views = views; }
    void SetBroadcastWindow(const RoomBroadcastWindow& window) { m_broadcast = window; }
    bool HasBroadcastWindow() const { return bool(m_broadcast.startWork); }
    // The broadcast settings window shown when hidden and hidden when shown
    // (the home window's shortcut); false when there is none.
    bool ToggleBroadcastWindow()
    {
        if (!m_broadcast.toggleShown)
            return false;
        m_broadcast.toggleShown();
        return true;
    }

    // With a parent: makes the room's display widget (once; a second call
    // keeps the first). With null: deletes it. GUI thread.
    void InitDisplayWidget(QWidget* parent);
    QWidget* GetDisplayWidget() const { return m_display; }
    // The main window's desktop-share float, shown while the desktop is
    // shared; not owned. Null when the room has none.
    void SetDeskFloatWidget(QWidget* w) { m_deskFloat = w; }

    // Play a remote stream (types 1 audio only, 2 to 4 video); false when
    // the player refused to start. Stop; with clear the play is forgotten.
    bool StartPlay(int type, QString stream);
    bool StopPlay(bool clear);
    // Share the teacher's stream (1 audio only, 2 camera, 3 desktop through
    // the broadcast engine, 4 camera in the kept video mode) and stop it.
    bool StartShare(int type);
    bool StopShare();
    void UpdateDisplayName();

    // The log or event report of a type with its data, and the record
    // report of a stream's start or stop (both posted on the thread pool).
    void ReportLog(int type, const nlohmann::json& repoData);
    void ReportRecord(bool start, QString stream);
    // The outer report text for a JSON text: a wrapped Base64 of it (r is
    // the offset into the wrapping table, 0 to 53).
    static QByteArray WrapReport(const QByteArray& json, int r);
    static constexpr const char* kReportTable =
        "K7mQz2RtLp9XwVb4NcHy8JsDf3GuE6aTk1PoWi5BnMqZr0YhSxCvLgUeAjFd7KtRm2QwXz";

    // Mixing: samples of count 16-bit buffers summed into out, clipped with a
    // gain that recovers towards 1 by 1/32 of the gap per sample.
    static void MixAudioFrames(const std::vector<const qint16*>& buffers, qint16* out, int byteLength);
    // The window of up to 10 samples takes sample; the average becomes the
    // larger of the sample and the window's integer mean.
    static void UpdateAverage(qint64 sample, std::deque<qint64>& window, qint64& average);
    // The speed level (0 to 5) of a delay in ms.
    static int SpeedLevel(qint64 delayMs);
    int GetSpeedTests() const { return m_speedTests; }
    // Wall-clock ms for the mixer and the speed test; tests set it before
    // anything calls back.
    using Clock = std::function<qint64()>;
    void SetClockForTests(Clock clock) { m_clock = std::move(clock); }
    RtmpLivePusher* GetLivePusher() const { return m_liveMedia.pusher; }
    RtmpLivePlayer* GetLivePlayer() const { return m_liveMedia.player; }

    // The media callbacks handed to the client library (its threads).
    static void OnAudioCB(QString userId, const void* data, int bitsPerSample, int sampleRate, int channels,
                          int frames);
    static void OnVideoCB(const QString& userId, const QImage& frame);
    static qint64 PlayCatchMs();
    // One block of 16-bit audio of a user for the broadcast engine's per-user
    // mix (any thread). Dropped while no broadcast window takes it.
    void OnAudioDataBC(QString userId, const void* data, int bitsPerSample, int sampleRate, int channels,
                       int frames, int, int);
    // Uploads frame as the teacher's snapshot: only the local user's, at most
    // once per kSnapshotEveryMs (any thread; the file is written and the
    // upload started on the GUI thread).
    void UploadShadowImage(const QString& userId, const QImage& frame);
    static constexpr qint64 kSnapshotEveryMs = 59000;

    ClientLib* GetClientLib() const { return m_clientLib; }
    CWhiteBoardLib* GetWBLib() const { return m_wbLib; }
    QWidget* GetWBParent() const { return m_libParent; }
    DelayCommand* GetDelayCommand() const { return m_delayCommand; }
    int GetPlayType() const { return m_playType; }
    int GetShareType() const { return m_shareType.load(); }
    QString GetPlayStream() const { return m_playStream; }
    // Averages of the recent delay, CPU and memory samples.
    qint64 GetDelayAvg() const { return m_delayAvg; }
    qint64 GetCpuAvg() const { return m_cpuAvg; }
    qint64 GetMemAvg() const { return m_memAvg; }

    // The configuration map both libraries are made from.
    QVariantMap BuildLibConfig() const;
    // The installation id ("App/AppExtGuid"), made once per installation.
    static QString EnsureAppGuid();

signals:
    void sgWBLibCmd(int cmdtype, QVariant mapVars);
    void sgClientLibCmd(int cmdtype, QVariant mapVars);
    void sgRoomSpeed(int nSpeed, int nDelayMs);

public slots:
    void onTimerUpdate(int index);
    void onDelayCommand(QVariant cmd, QVariant var);
    void onDownFinish(DownThread* down);

private:
    explicit Room(QObject* parent = nullptr);
    void ReleaseLiveMedia();
    void ReleaseLibraries();  // both libraries, each on its own
    void SaveAndUploadSnapshot(const QImage& frame, qint64 timeMs);
    qint64 NowMs() const;
    void ResetMixer();
    void StartSpeedTest();
    void SnapshotDesktop();
    void SampleLoad();
    void StartUpload(UploadDoc* job);
    void ShowDeskFloat(bool show);

    // One remote user's place in the mix (guarded by m_mixLock).
    struct MixSlot {
        QString userId;  // empty: free
        std::vector<qint16> samples;
        int frames = 0;  // of the pending frame; 0: nothing pending
        qint64 timeMs = 0;
    };

    // GUI thread only, except where said.
    QWidget* m_libParent = nullptr;
    CWhiteBoardLib* m_wbLib = nullptr;  // written before the libraries call back
    ClientLib* m_clientLib = nullptr;   // written before the libraries call back
    std::atomic<int> m_shareType{0};     // read by the audio callback's thread
    int m_playType = 0;
    QString m_playStream;
    int m_speedTests = 0;
    qint64 m_delayAvg = 10000;
    qint64 m_cpuAvg = 0;
    qint64 m_memAvg = 0;
    std::deque<qint64> m_delays;
    std::deque<qint64> m_cpus;
    std::deque<qint64> m_mems;
    RoomViews m_views;
    QPointer<QWidget> m_display;    // made and deleted by InitDisplayWidget
    QPointer<QWidget> m_deskFloat;  // the main window's; not owned
    RoomBroadcastWindow m_broadcast;
    Clock m_clock;  // set by tests before any callback; then read-only
    // The remote-audio mix: written by the audio callback's thread, reset by
    // ExitRoom on the GUI thread.
    std::mutex m_mixLock;
    std::map<int, MixSlot> m_mixSlots;  // guarded by m_mixLock
    QString m_mixMaster;                // guarded by m_mixLock
    qint64 m_mixTimeoutMs = 0;          // guarded by m_mixLock
    qint64 m_mixLastMs = 0;             // guarded by m_mixLock
    std::vector<qint16> m_mixBuffer;    // guarded by m_mixLock
    DelayCommand* m_delayCommand = nullptr;  // its worker thread emits queued to this object
    QString m_snapshotFile;                  // the last snapshot written
    // Written on the GUI thread before the libraries call back and after
    // they are released; the library and queue threads read the functions
    // under m_mediaLock.
    mutable std::mutex m_mediaLock;
    RoomLiveMedia m_liveMedia;
    // Wall-clock ms of the last snapshot; the callers' threads claim it.
    std::atomic<qint64> m_lastSnapshotMs{0};
};

// The plain-function callbacks handed to the library factories; they run on
// the libraries' threads and touch no widget.
void ClientLibCallback(int code, const QVariant& var);
void WBLibCallback(int code, const QVariant& var);
