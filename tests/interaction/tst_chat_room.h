#pragma once
// Shared by the chat and user-list tests: a private data folder, the room
// controller with the real client library logged into today's demo lesson
// (so room operations are served), the library's recorded calls, toasts on
// screen and screenshots.
#include "tests/interaction/RoomFixture.h"

namespace chattest {

using roomfixture::Home;
using roomfixture::Lib;
using roomfixture::Screenshot;

// Logs the demo teacher into today's running lesson once per process.
inline bool EnterDemoRoom()
{
    static bool entered = false;
    if (entered)
        return true;
    static QWidget board;
    entered = !roomfixture::EnterTodaysLesson(
                   &board, "13800138000", "veltora123",
                   [](const QVariantMap& m) {
                       return m.value("room_name").toString().contains(QString::fromUtf8("今日直播课"));
                   },
                   false)
                   .isEmpty();
    return entered;
}

// The recorded calls named `name`, their arguments.
inline QList<QVariantList> CallsOf(const QString& name) { return roomfixture::CallArgs(name); }

inline QStringList CallNames()
{
    QStringList out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(Lib()))
        out.append(c.name);
    return out;
}

inline void ClearCalls() { ClientLibTestControl::ClearCalls(Lib()); }

// Login variables: a live room ("2") or a small class room ("3").
inline void SetRoomKind(bool live, const QString& token = "tok|6")
{
    Home();
    CData::instance()->SetLoginVar({token, "42", "20001", "Ms Lin", "7", live ? "2" : "3"});
}

// Texts of the toasts on screen.
inline QStringList ToastTexts() { return roomfixture::ToastTexts(true); }

}  // namespace chattest
