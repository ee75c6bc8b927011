#pragma once
// The room the tool tests work in: a private data folder, the program's
// style sheet, the client library over the demo school, signed in as the
// demo teacher and logged into today's running lesson, so the tools' calls
// are accepted as in a class. Commands are fired through the library's test
// control and reach the tools through Room::sgClientLibCmd as in the
// program; the calls the tools make are read back from the test control.
#include "app/CData.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"
#include "widgets/Toast.h"

#include <QCoreApplication>
#include <QApplication>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace toolroom {

inline ClientLib* Lib() { return Room::instance()->GetClientLib(); }

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

struct World {
    testsupport::TempHome home;
    QWidget board;
    QMap<int, QVariantMap> answers;  // the last payload of each code, GUI thread only
    QStringList vars;                // the room's login variables
    bool inRoom = false;

    World()
    {
        QFile qss(":/pub/respub/teacher.qss");
        if (qss.open(QIODevice::ReadOnly))
            qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
        Room::instance()->InitLib(&board);
        if (!Lib())
            return;
        QObject::connect(Room::instance(), &Room::sgClientLibCmd, &board,
                         [this](int code, QVariant payload) { answers[code] = payload.toMap(); });
        Lib()->Login("13800138000", "veltora123", "86");
        if (!Wait(RsC_Http_Login) || answers[RsC_Http_Login].value("code").toInt() != 0)
            return;
        const QString day = QDate::currentDate().toString("yyyy-MM-dd");
        Lib()->GetDayRooms(day, day, "1", day);
        if (!Wait(RsC_Http_DayRooms))
            return;
        QVariantMap lesson;
        for (const QVariant& room : answers[RsC_Http_DayRooms].value("ltRooms").toList())
            if (room.toMap().value("status").toInt() == 0)
                lesson = room.toMap();
        if (lesson.isEmpty())
            return;
        Lib()->EnterRoomRequest(lesson.value("group_id").toString(), lesson.value("room_id").toString(), "1", "2");
        if (!Wait(RsC_Http_EnterRoom))
            return;
        vars = answers[RsC_Http_EnterRoom].value("ltParame").toStringList();
        CData::instance()->SetLoginVar(vars);
        Lib()->LoginRoom(QVariant(vars));
        inRoom = Wait(RsC_Room_LoginResult) &&
                 testsupport::waitUntil(
                     [] { return ClientLibTestControl::ServiceState(Lib()).value("inRoom").toBool(); }, 10000);
    }

    bool Wait(int code)
    {
        answers.remove(code);
        return testsupport::waitUntil([&] { return answers.contains(code); }, 20000);
    }
};

inline World*& WorldPtr()
{
    static World* world = nullptr;
    return world;
}

// The world goes while the application still runs: the libraries first.
class WorldEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (!WorldPtr())
            return;
        Room::instance()->ReleaseLib();
        delete WorldPtr();
        WorldPtr() = nullptr;
    }
};

inline World& TheWorld()
{
    if (!WorldPtr()) {
        ::testing::AddGlobalTestEnvironment(new WorldEnvironment);
        WorldPtr() = new World;
    }
    return *WorldPtr();
}

// The library calls of that name since the last ClearCalls.
inline QList<QVariantList> CallsNamed(const QString& name)
{
    QList<QVariantList> out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(Lib()))
        if (c.name == name)
            out.append(c.args);
    return out;
}

// Fires a command through the library and waits until it has reached the
// GUI thread (and so every receiver of Room::sgClientLibCmd).
inline bool Fire(int code, const QVariant& payload)
{
    World& w = TheWorld();
    w.answers.remove(code);
    ClientLibTestControl::InjectCommand(Lib(), code, payload);
    // The library may still deliver an earlier command of this code (the
    // echo of a tool's own call): wait for the one that carries this payload.
    const QVariantMap want = payload.toMap();
    const auto arrived = [&] {
        if (!w.answers.contains(code))
            return false;
        const QVariantMap got = w.answers.value(code);
        for (auto it = want.begin(); it != want.end(); ++it) {
            if (got.value(it.key()) != it.value())
                return false;
        }
        return true;
    };
    if (!testsupport::waitUntil(arrived))
        return false;
    // The command reaches each receiver through its own queued call, all
    // posted at once: deliver the others too before the test looks.
    QCoreApplication::sendPostedEvents();
    return true;
}

// Toasts made since the last ForgetToasts: their texts and parents.
struct ShownToast {
    QString text;
    QWidget* toast;
};

inline QList<ShownToast> NewToasts()
{
    QList<ShownToast> out;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<Toast*>(w) && !w->property("toolroom.seen").toBool()) {
            QLabel* label = w->findChild<QLabel*>("label");
            out.append({label ? label->text() : QString(), w});
        }
    return out;
}

inline QStringList NewToastTexts()
{
    QStringList out;
    for (const ShownToast& t : NewToasts())
        out << t.text;
    return out;
}

inline void ForgetToasts()
{
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<Toast*>(w))
            w->setProperty("toolroom.seen", true);
}

inline std::string Screenshot(QWidget* w, const std::string& name)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const std::string path = testsupport::screenshotPath(name);
    w->grab().save(QString::fromStdString(path));
    return path;
}

// Every test starts in the room with no calls recorded and no toasts seen.
class ToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TheWorld().inRoom) << "the demo teacher is in today's lesson";
        CData::SetStudentSideForTests(false);
        // The session as the room left it: its login variables, no users, no
        // status keys of the room.
        CData::instance()->ResetData(false);
        CData::instance()->SetLoginVar(TheWorld().vars);
        ClientLibTestControl::ClearCalls(Lib());
        ForgetToasts();
    }
    void TearDown() override { CData::SetStudentSideForTests(false); }
};

}  // namespace toolroom
