#pragma once
// The base of the room's live pusher: push the teacher's camera and
// microphone to one RTMP address. The parameter record and the operations
// belong to the GUI thread; sgLivePushState may be emitted on a library
// thread (receivers use the default, queued connection).
#include <QObject>
#include <QString>

class QWidget;

struct RtmpPushParam {
    QString cameraName;                // camera device name handed to the push library
    QString micName;                   // microphone name for the push library and the broadcast engine
    bool flag = false;                 // true: no camera (nothing captured, no local preview)
    QString pushUrl;                   // full RTMP push address
    QWidget* displayWidget = nullptr;  // the room display widget the preview sits in; not owned
    int videoMode = 0;                 // camera capture mode, valid 0 to 3
};

// The pusher's push states (sgLivePushState).
enum LivePushState {
    kLivePushFailed = 1,  // pushing failed: the teacher should switch lines
};

class RtmpLivePusher : public QObject {
    Q_OBJECT
public:
    RtmpLivePusher() : QObject(nullptr) {}
    ~RtmpLivePusher() override = default;

    // Start pushing with the current record; a pusher that already pushes
    // stops first.
    virtual bool StartTask() = 0;
    virtual bool IsPushing() = 0;
    // Stop pushing and release the push library's object.
    virtual bool StopTask() = 0;
    // One block of a remote participant's audio to mix into the pushed audio
    // (any thread).
    virtual void OnExtAudioDataMixer(QString userId, const uchar* data, int bitsPerSample, int sampleRate,
                                     int channels, int frames) = 0;

    // Callers change a field by reading the record, changing it and writing
    // it back.
    RtmpPushParam GetPushParam() const { return m_pushParam; }
    bool SetPushParam(RtmpPushParam param)
    {
        m_pushParam = param;
        return true;
    }

signals:
    void sgLivePushState(int pushStates, QString msg);

public slots:
    // The session's one-second tick; implementations connect it while they push.
    virtual void onTimerUpdate(int index) { Q_UNUSED(index); }

protected:
    RtmpPushParam m_pushParam;  // GUI thread only
};

// The room's pusher and player, made once by the room controller's set-up;
// null when one cannot be made.
class RtmpLivePlayer;
RtmpLivePusher* CreateRtmpLivePusher();
RtmpLivePlayer* CreateRtmpLivePlayer();
