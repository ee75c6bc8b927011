// Room: the room's display widget, playing a remote stream in the room's
// live player, and the name the display widget shows.
#include "app/Room.h"

#include "app/CData.h"
#include "app/DelayCommand.h"
#include "app/Logger.h"

namespace {

// Play types.
enum PlayType { kPlayNone = 0, kPlayAudio = 1, kPlayVideo = 2, kPlayVideoLast = 4 };

// The student side's display shows a played video from the start.
constexpr int kStudentDisplayState = 2;

}  // namespace

void Room::InitDisplayWidget(QWidget* parent)
{
    const char* func = "Room::InitDisplayWidget";
    if (!parent) {
        if (m_liveMedia.setDisplay)
            m_liveMedia.setDisplay(nullptr);
        if (QWidget* gone = m_display.data()) {
            gone->hide();
            gone->setParent(nullptr);
            gone->deleteLater();
            Logger::instance()->Log(LOG_INFO, func, "display del widget %p", static_cast<void*>(gone));
        }
        m_display = nullptr;
        return;
    }
    if (m_display)
        return;
    if (!m_views.makeDisplay) {
        Logger::instance()->Log(LOG_WARN, func, "no display widget maker");
        return;
    }
    m_display = m_views.makeDisplay(parent);
    Logger::instance()->Log(LOG_INFO, func, "display new widget %p", static_cast<void*>(m_display.data()));
    if (m_liveMedia.setDisplay)
        m_liveMedia.setDisplay(m_display);
    if (!CData::instance()->IsTeacher()) {
        if (m_delayCommand)
            m_delayCommand->Start();
        if (m_views.setPlayState)
            m_views.setPlayState(false, kStudentDisplayState);
        if (m_display)
            m_display->show();
    } else if (m_display) {
        m_display->hide();
    }
    UpdateDisplayName();
}

bool Room::StartPlay(int type, QString stream)
{
    const char* func = "Room::StartPlay";
    CData* data = CData::instance();
    if (data->GetStatus(kStatusLinkMic)) {
        m_playType = type;
        m_playStream = stream;
        Logger::instance()->Log(LOG_INFO, func, "update play info %d, %s", type, stream.toUtf8().constData());
        return true;
    }
    if (m_playType != kPlayNone) {
        Logger::instance()->Log(LOG_WARN, func, "StartPlay error. %d, %s", m_playType,
                                m_playStream.toUtf8().constData());
        StopPlay(true);
    }
    if (m_views.setPlayState)
        m_views.setPlayState(false, type);
    m_playType = type;
    m_playStream = stream;

    const QString base = stream.startsWith("liveRecord") ? data->GetDeskTopPullUrl() : data->GetPullUrl();
    const QString url = base + stream;
    bool started = true;
    if (type == kPlayAudio || (type >= kPlayVideo && type <= kPlayVideoLast)) {
        const bool audioOnly = type == kPlayAudio;
        if (m_views.showAudioFloat && audioOnly)
            m_views.showAudioFloat(true);
        if (m_liveMedia.showPlayRender)
            m_liveMedia.showPlayRender(!audioOnly);
        if (m_liveMedia.setPlay)
            m_liveMedia.setPlay(url, audioOnly);
        started = m_liveMedia.startPlay && m_liveMedia.startPlay();
        if (!started)
            Logger::instance()->Log(LOG_WARN, func, "player refused %d, %s", type, url.toUtf8().constData());
    }
    Logger::instance()->Log(LOG_INFO, "Room::StartPlay", "doplay StartPlay %d, %s", type, url.toUtf8().constData());
    UpdateDisplayName();
    return started;
}

bool Room::StopPlay(bool clear)
{
    if (m_playType == kPlayNone)
        return true;
    if (m_playType >= kPlayAudio && m_playType <= kPlayVideoLast && m_liveMedia.stopPlay)
        m_liveMedia.stopPlay();
    if (m_views.showAudioFloat)
        m_views.showAudioFloat(false);
    if (m_liveMedia.showPlayRender)
        m_liveMedia.showPlayRender(true);
    const QString url = m_liveMedia.playUrl ? m_liveMedia.playUrl() : QString();
    Logger::instance()->Log(LOG_INFO, "Room::StopPlay", "doplay StopPlay %d %s %s", m_playType,
                            url.toUtf8().constData(), clear ? "" : "no clear play info");
    if (clear) {
        m_playType = kPlayNone;
        m_playStream.clear();
        if (m_liveMedia.setPlayUrl)
            m_liveMedia.setPlayUrl(QString());
    }
    UpdateDisplayName();
    return true;
}

void Room::UpdateDisplayName()
{
    if (!m_views.setUserName)
        return;
    CData* data = CData::instance();
    QString name;
    bool flag = false;
    if (m_playType != kPlayNone) {
        name = m_liveMedia.playName ? m_liveMedia.playName() : QString();
        flag = m_playType != kPlayAudio && !data->GetStatus(kStatusLinkMic);
    } else {
        name = QStringLiteral("老师未进入教室");
        for (const UserInfo& u : data->GetUserList()) {
            if (u.type == 1) {
                name = QString::fromStdString(u.userName);
                break;
            }
        }
    }
    m_views.setUserName(name, flag);
}
