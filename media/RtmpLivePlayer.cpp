#include "media/RtmpLivePlayer.h"

std::atomic<int> RtmpLivePlayer::s_alive{0};

bool RtmpLivePlayer::SetPlayParam(RtmpPlayParam param)
{
    m_playParam = param;
    return true;
}

RtmpPlayParam RtmpLivePlayer::GetPlayParam() { return m_playParam; }

qint64 RtmpLivePlayer::GetDelayTime() { return 5000; }
