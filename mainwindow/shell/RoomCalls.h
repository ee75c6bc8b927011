#pragma once
// What the room window asks of the room controller's play and share, its
// reports, and of the room's media-file player, in one place. Each entry
// forwards to the part that does the work; an entry whose part is not in the
// program yet does nothing and says so in its log line, so the room shell
// runs whole without it. GUI thread only.
#include "app/Logger.h"

#include <QJsonObject>
#include <QString>

namespace roomcalls {

inline void Pending(const char* what)
{
    Logger::instance()->Log(LOG_DEBUG, "roomcalls", "%s: not available", what);
}

// Room controller: share the teacher's stream in a live mode, stop it.
inline void StartShare(int liveMode)
{
    Logger::instance()->Log(LOG_DEBUG, "roomcalls", "start share %d: not available", liveMode);
}
inline void StopShare() { Pending("stop share"); }
// Room controller: play a stream, stop the play.
inline void StartPlay(int playType, const QString& stream)
{
    Logger::instance()->Log(LOG_DEBUG, "roomcalls", "start play %d %s: not available", playType,
                            stream.toUtf8().constData());
}
inline void StopPlay(bool) { Pending("stop play"); }
// Room controller: the event report and the record stream's report.
inline void ReportLog(int type, const QJsonObject&)
{
    Logger::instance()->Log(LOG_DEBUG, "roomcalls", "report %d: not available", type);
}
inline void ReportRecord(bool, const QString&) { Pending("record report"); }
// Room controller: the live room's display widget, made on the parent and
// deleted with a null parent; null while there is none.
inline void InitDisplayWidget(QWidget*) { Pending("display widget"); }
inline QWidget* DisplayWidget() { return nullptr; }

// The room's media-file player: its stop (also when leaving the room) and
// whether its media follows the desktop share.
inline void StopMedia(bool) { Pending("media stop"); }
inline void NotifyMediaState(bool) { Pending("media state"); }
inline bool MediaPlayerVisible() { return false; }

}  // namespace roomcalls
