#pragma once
// Shared by the chat and user-list tests: a private data folder, the room
// controller with the real client library logged into today's demo lesson
// (so room operations are served), the library's recorded calls, toasts on
// screen and screenshots.
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"
#include "app/CData.h"
#include "app/Room.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

namespace chattest {

inline testsupport::TempHome& Home()
{
    static testsupport::TempHome home;
    return home;
}

inline ClientLib* Lib() { return Room::instance()->GetClientLib(); }

// The payload of the next command `code` that `pred` accepts, after `send`.
template <typename Send, typename Pred>
inline QVariantMap AwaitCommand(int code, Send send, Pred pred)
{
    QVariantMap got;
    bool seen = false;
    QObject ctx;
    QObject::connect(Room::instance(), &Room::sgClientLibCmd, &ctx, [&](int c, QVariant v) {
        if (!seen && c == code && pred(v.toMap())) {
            got = v.toMap();
            seen = true;
        }
    });
    send();
    EXPECT_TRUE(testsupport::waitUntil([&] { return seen; }, 15000)) << "command " << code;
    return got;
}

// Logs the demo teacher into today's running lesson once per process.
inline bool EnterDemoRoom()
{
    static bool entered = false;
    if (entered)
        return true;
    Home();
    static QWidget board;
    Room* room = Room::instance();
    if (!room->GetClientLib())
        room->InitLib(&board);
    ClientLib* lib = room->GetClientLib();
    if (!lib)
        return false;
    auto any = [](const QVariantMap&) { return true; };
    AwaitCommand(RsC_Http_Login, [&] { lib->Login("13800138000", "veltora123", "86"); }, any);
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    const QVariantMap rooms =
        AwaitCommand(RsC_Http_DayRooms, [&] { lib->GetDayRooms(today, today, "1", today); }, any);
    QString roomId, groupId;
    for (const QVariant& r : rooms.value("ltRooms").toList()) {
        const QVariantMap m = r.toMap();
        if (m.value("room_name").toString().contains(QString::fromUtf8("今日直播课"))) {
            roomId = m.value("room_id").toString();
            groupId = m.value("group_id").toString();
        }
    }
    if (roomId.isEmpty())
        return false;
    const QVariantMap entry = AwaitCommand(
        RsC_Http_EnterRoom, [&] { lib->EnterRoomRequest(groupId, roomId, "1", "2"); }, any);
    const QStringList vars = entry.value("ltParame").toStringList();
    AwaitCommand(RsC_Room_LoginResult, [&] { lib->LoginRoom(QVariant(vars)); },
                 [](const QVariantMap& m) { return m.value("type") == "main"; });
    entered = ClientLibTestControl::ServiceState(lib).value("inRoom").toBool();
    return entered;
}

// The recorded calls named `name` (all when empty), their arguments.
inline QList<QVariantList> CallsOf(const QString& name)
{
    QList<QVariantList> out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(Lib()))
        if (c.name == name)
            out.append(c.args);
    return out;
}

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

inline QStringList ToastTexts()
{
    QStringList texts;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && QString(w->metaObject()->className()) == "Toast")
            for (QLabel* l : w->findChildren<QLabel*>())
                texts << l->text();
    return texts;
}

inline std::string Screenshot(QWidget* w, const std::string& name)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const std::string path = testsupport::screenshotPath(name);
    w->grab().save(QString::fromStdString(path));
    return path;
}

}  // namespace chattest
