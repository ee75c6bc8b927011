#pragma once
// The room the tool, chat and room-window tests share: a private data
// folder made before any test runs, the program's style sheet, the room's
// client library logged into today's lesson, the library's recorded calls,
// the toasts on screen, the log and screenshots under <build>/screenshots/.
// GUI thread only.
#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"
#include "tests/widgets/ToastTestSupport.h"
#include "widgets/Toast.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace roomfixture {

inline testsupport::TempHome& Home()
{
    static testsupport::TempHome home;
    return home;
}
// Made before any test runs, so the logger and the settings use it.
inline testsupport::TempHome& g_home = Home();

inline ClientLib* Lib() { return Room::instance()->GetClientLib(); }

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The teacher's style sheet, as the program sets it at start-up.
inline void UseProgramStyle()
{
    QFile f(":/pub/respub/teacher.qss");
    if (f.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(f.readAll()));
}

inline std::string Screenshot(QWidget* w, const std::string& name)
{
    // Pending layout and polish requests first, so the picture is current.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const std::string path = testsupport::screenshotPath(name);
    w->grab().save(QString::fromStdString(path));
    return path;
}

// The library's recorded calls of that name.
inline QList<ClientLibCall> Calls(const QString& name)
{
    QList<ClientLibCall> out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(Lib()))
        if (c.name == name)
            out << c;
    return out;
}

// The arguments of the library's recorded calls of that name.
inline QList<QVariantList> CallArgs(const QString& name)
{
    QList<QVariantList> out;
    for (const ClientLibCall& c : Calls(name))
        out.append(c.args);
    return out;
}

// The toasts that exist, and their texts; ClearToasts deletes them.
using widgettest::Toasts;
using widgettest::ToastTexts;

// Toasts made since the last ForgetToasts.
inline QList<QWidget*> NewToastWidgets()
{
    QList<QWidget*> out;
    for (QWidget* w : Toasts())
        if (!w->property("roomfixture.seen").toBool())
            out << w;
    return out;
}

inline void ForgetToasts()
{
    for (QWidget* w : Toasts())
        w->setProperty("roomfixture.seen", true);
}

// The text of a toast's message label.
inline QString ToastText(QWidget* toast)
{
    QLabel* label = toast->findChild<QLabel*>("label");
    return label ? label->text() : QString();
}

inline void ClearToasts()
{
    QList<QPointer<QWidget>> toasts;
    for (QWidget* w : Toasts())
        toasts << w;
    for (const QPointer<QWidget>& t : toasts)
        delete t.data();
}

inline QString LogText()
{
    return QString::fromStdString(testsupport::readFile(Logger::instance()->fileName().toStdString()));
}

// Calls send and waits for the next command `code` whose payload accept
// takes; false after ms without one. The payload goes to *payload.
inline bool AwaitCommand(int code, const std::function<void()>& send,
                         const std::function<bool(const QVariantMap&)>& accept, QVariantMap* payload = nullptr,
                         int ms = 20000)
{
    bool seen = false;
    QObject ctx;
    QObject::connect(Room::instance(), &Room::sgClientLibCmd, &ctx, [&](int c, const QVariant& v) {
        if (!seen && c == code && accept(v.toMap())) {
            if (payload)
                *payload = v.toMap();
            seen = true;
        }
    });
    send();
    return testsupport::waitUntil([&] { return seen; }, ms);
}

// Signs the teacher in, asks for today's lessons and logs into the last
// one pick chooses, through the room's library (made on `board` when there
// is none); with storeVars the session takes the room's login variables
// before the room login. Those variables, empty when a step failed.
inline QStringList EnterTodaysLesson(QWidget* board, const char* account, const char* password,
                                     const std::function<bool(const QVariantMap& lesson)>& pick, bool storeVars)
{
    Room* room = Room::instance();
    if (!room->GetClientLib())
        room->InitLib(board);
    ClientLib* lib = Lib();
    if (!lib)
        return {};
    const auto any = [](const QVariantMap&) { return true; };
    QVariantMap answer;
    if (!AwaitCommand(RsC_Http_Login, [&] { lib->Login(account, password, "86"); }, any, &answer) ||
        answer.value("code").toInt() != 0)
        return {};
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    if (!AwaitCommand(RsC_Http_DayRooms, [&] { lib->GetDayRooms(today, today, "1", today); }, any, &answer))
        return {};
    QVariantMap lesson;
    for (const QVariant& v : answer.value("ltRooms").toList())
        if (pick(v.toMap()))
            lesson = v.toMap();
    if (lesson.isEmpty())
        return {};
    if (!AwaitCommand(
            RsC_Http_EnterRoom,
            [&] {
                lib->EnterRoomRequest(lesson.value("group_id").toString(), lesson.value("room_id").toString(),
                                      "1", "2");
            },
            any, &answer))
        return {};
    const QStringList vars = answer.value("ltParame").toStringList();
    if (storeVars)
        CData::instance()->SetLoginVar(vars);
    const bool answered =
        AwaitCommand(RsC_Room_LoginResult, [&] { lib->LoginRoom(QVariant(vars)); },
                     [](const QVariantMap& m) { return m.value("type") == "main"; });
    if (!answered ||
        !testsupport::waitUntil([] { return ClientLibTestControl::ServiceState(Lib()).value("inRoom").toBool(); },
                                10000))
        return {};
    return vars;
}

// The one W of the test process, made on first use. It goes while the
// application still runs, after the room's library.
template <class W>
W& Shared()
{
    static W* world = nullptr;
    struct Release : ::testing::Environment {
        void TearDown() override
        {
            if (!world)
                return;
            Room::instance()->ReleaseLib();
            delete world;
            world = nullptr;
        }
    };
    if (!world) {
        ::testing::AddGlobalTestEnvironment(new Release);
        world = new W;
    }
    return *world;
}

}  // namespace roomfixture
