#pragma once
// The room's live player on the widget player (QAVPlayer): a failed stream is
// counted, reported through sgRtmpPlayFailed and replayed; the play delay is
// the latency measured from the sender's key-frame stamps plus what is
// buffered. GetDelayTime may be called from any thread.
#include "media/RtmpLivePlayer.h"

class QAVPlayer;

class QtAVRtmpPlayer : public RtmpLivePlayer {
    Q_OBJECT
public:
    QtAVRtmpPlayer();
    ~QtAVRtmpPlayer() override;

    bool StartTask() override;
    bool IsPlaying() override;
    bool StopTask() override;
    qint64 GetDelayTime() override;

    QAVPlayer* player() const { return m_player; }

private:
    QAVPlayer* m_player;  // owned (deleted later); the pointer itself is set once, read by any thread
};
