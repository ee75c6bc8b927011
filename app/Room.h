#pragma once
// The room session controller: creates and owns the client library and the
// whiteboard library, turns their callbacks into Qt signals, and carries the
// room's delayed-command queue. Every other part of the program reaches the
// libraries only through GetClientLib and GetWBLib.
//
// Implementation by concern: Room.cpp (life, library binding, callbacks),
// RoomMedia.cpp (live pusher and player, the media callbacks handed to the
// client library, snapshots).
#include <QObject>
#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>
#include <mutex>

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
    void onUploadFinish(UploadDoc* job);

private:
    explicit Room(QObject* parent = nullptr);
    void ReleaseLiveMedia();
    void SaveAndUploadSnapshot(const QImage& frame, qint64 timeMs);

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
