#include "media/QtAVRtmpPlayer.h"

#include "app/Logger.h"
#include "media/QAVPlayer.h"

#include <QWidget>

QtAVRtmpPlayer::QtAVRtmpPlayer() : m_player(new QAVPlayer(nullptr))
{
    connect(m_player, &QAVPlayer::sigPlayFailed, this, &RtmpLivePlayer::sgRtmpPlayFailed);
    m_player->SetAutoReplay(true);
}

QtAVRtmpPlayer::~QtAVRtmpPlayer()
{
    StopTask();
    m_player->deleteLater();
}

bool QtAVRtmpPlayer::StartTask()
{
    if (m_playParam.playUrl.isEmpty() || !m_playParam.renderWidget) {
        Logger::instance()->Log(LOG_WARN, "QtAVRtmpPlayer::StartTask", "QtAVRtmpPlayer play par invalid %s, wdg %p",
                                m_playParam.playUrl.toUtf8().constData(),
                                static_cast<void*>(m_playParam.renderWidget));
        return false;
    }
    m_player->SetCheckNoVideo(!m_playParam.flag);
    return m_player->Play(m_playParam.playUrl.toUtf8().toStdString(), m_playParam.renderWidget);
}

bool QtAVRtmpPlayer::IsPlaying() { return m_player->hasUrl(); }

bool QtAVRtmpPlayer::StopTask()
{
    Logger::instance()->Log(LOG_INFO, "QtAVRtmpPlayer::StopTask", "QtAVRtmpPlayer stop %s",
                            m_playParam.playUrl.toUtf8().constData());
    m_player->Stop();
    return true;
}

qint64 QtAVRtmpPlayer::GetDelayTime() { return m_player ? m_player->GetDelayTime() : 5000; }
