#pragma once
// Test control of the client library: lets tests drive the in-process
// class-room service and see what the program asked of it. Every function
// takes the object made by CreateClientLib and is thread-safe.
#include "ClientLib.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

// One operation called on the library, with its arguments converted to
// QVariants (QString, bool, int, qint64, QVariant, QStringList, ...), in the
// order the program called them.
struct ClientLibCall {
    QString name;       // operation name, e.g. "Login"
    QVariantList args;  // arguments in order
};

namespace ClientLibTestControl {

// Delivers (code, payload) through the callback from the library's thread,
// after the queued answers that are already due.
CLIENTLIB_API void InjectCommand(ClientLib* lib, int code, const QVariant& payload);

// The next request (an operation with an answer: results 1000 and above,
// the room login) is not served: it is answered with `code` (<= -100; larger
// values are clamped to -100) and "errMsg" after the request time-out. An
// operation without an answer that is hit by it returns false instead.
CLIENTLIB_API void FailNextRequest(ClientLib* lib, int code = -100);

// The answer to the next request (or the room's echo of the next room
// operation) comes `ms` later than it would. When that reaches the request
// time-out, a request is answered as not served (code -101, "请求超时") at
// the time-out instead.
CLIENTLIB_API void DelayNextRequest(ClientLib* lib, int ms);

// Time-out of requests that cannot be served (default 10000 ms).
CLIENTLIB_API void SetRequestTimeout(ClientLib* lib, int ms);

// Makes the next operation stop inside, once it has been recorded, until
// ResumeCall: for checks that nothing is delivered while an operation runs.
// WaitCallHeld waits (at most `ms`) until an operation stopped so.
CLIENTLIB_API void HoldNextCall(ClientLib* lib);
CLIENTLIB_API bool WaitCallHeld(ClientLib* lib, int ms);
CLIENTLIB_API void ResumeCall(ClientLib* lib);

// The calls made so far (the latest 20000), in order; ClearCalls forgets them.
CLIENTLIB_API QList<ClientLibCall> Calls(ClientLib* lib);
CLIENTLIB_API void ClearCalls(ClientLib* lib);

// Simulated students of the demo school. Each acts as a room would report
// it (codes 101, 102, 127, 4, 123, ...). Unknown user ids are ignored and
// return false. Students join by themselves after the room login when the
// data set gives them a "joinAfterMs"; these calls act at once.
CLIENTLIB_API bool StudentJoin(ClientLib* lib, const QString& userId);
CLIENTLIB_API bool StudentLeave(ClientLib* lib, const QString& userId);
CLIENTLIB_API bool StudentChat(ClientLib* lib, const QString& userId, const QString& text);
CLIENTLIB_API bool StudentRaiseHand(ClientLib* lib, const QString& userId, bool raised);

// The students' cameras. In a small-class room (not a live room) a joining
// student also brings its camera tile (103 with "stream", its address) and,
// while a stream server is set, publishes a generated picture and a tone of
// its own there (105); leaving ends both (106, 104). The server defaults to
// the deployment file's [demo] studentStreams; SetStudentStreamBase sets it
// ("rtmp://host:port/app/"; empty: students come without a camera).
// StudentCamera switches a present student's camera (false when the student
// is not in a small-class room, or on without a server).
// StudentStreamUrl: where the student is publishing now, empty when not
// (the push starts on the library thread shortly after the command).
CLIENTLIB_API void SetStudentStreamBase(ClientLib* lib, const QString& rtmpBase);
CLIENTLIB_API bool StudentCamera(ClientLib* lib, const QString& userId, bool on);
CLIENTLIB_API QString StudentStreamUrl(ClientLib* lib, const QString& userId);

// The thread id (as from std::this_thread::get_id, hashed) of the library's
// own thread, for checks that callbacks come from it.
CLIENTLIB_API quint64 LibraryThreadId(ClientLib* lib);

// The state of the in-process service as a map (for checks):
// "loggedIn" (bool), "inRoom" (bool), "roomId", "onlineUsers" (QStringList),
// "feedback" (list of {"category", "text"}), "noticeId", "notice".
CLIENTLIB_API QVariantMap ServiceState(ClientLib* lib);

// The next call of `operation` (e.g. "SubmitAnswer") fails as the next
// request does under FailNextRequest; calls of other operations go through.
CLIENTLIB_API void FailNextCallOf(ClientLib* lib, const QString& operation);

}  // namespace ClientLibTestControl
