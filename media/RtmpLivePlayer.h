#pragma once
// The base of the room's live-stream players: pull one RTMP stream and show
// it in a widget. The parameter record and the operations belong to the GUI
// thread; sgRtmpPlayFailed may be emitted on a player thread (receivers use
// the default, queued connection).
#include <QObject>
#include <QString>

#include <atomic>

class QWidget;

struct RtmpPlayParam {
    bool flag = false;               // true: audio only (the caller hides the video widget)
    QString playUrl;                 // full RTMP address to pull
    QString playExtra;               // carried, not read by the players
    QWidget* renderWidget = nullptr; // shows the video; not owned
};

class RtmpLivePlayer : public QObject {
    Q_OBJECT
public:
    RtmpLivePlayer() : QObject(nullptr) { s_alive.fetch_add(1); }
    ~RtmpLivePlayer() override { s_alive.fetch_sub(1); }

    // How many players exist in the process (any thread): a room that was
    // left keeps only the room controller's own.
    static int AliveCount() { return s_alive.load(); }

    virtual bool SetPlayParam(RtmpPlayParam param);
    virtual RtmpPlayParam GetPlayParam();
    // The current play delay in milliseconds.
    virtual qint64 GetDelayTime();
    virtual bool StartTask() = 0;
    virtual bool IsPlaying() = 0;
    virtual bool StopTask() = 0;

signals:
    // A play failure, with the count of failures in a row and a message for the user.
    void sgRtmpPlayFailed(int faileTimes, QString msg);

protected:
    RtmpPlayParam m_playParam;  // GUI thread only

private:
    static std::atomic<int> s_alive;  // atomic
};
