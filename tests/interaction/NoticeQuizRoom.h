#pragma once
// Helpers of the notice and quiz tests: a private data folder, the room's
// client library logged into a lesson of a small test school (so room
// operations are accepted), the commands the library sends back, the
// library's recorded calls, the toasts on screen and screenshots.
#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"
#include "widgets/Toast.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace nqroom {

inline testsupport::TempHome& Home()
{
    static testsupport::TempHome home;
    return home;
}
// Made before any test runs, so the logger and the settings use it.
inline testsupport::TempHome& g_home = Home();

// Two students who answer a question with option 1 and option 2.
inline std::string SchoolJson()
{
    return R"({
  "teacher": {"account": "13800000001", "password": "pw-right", "userId": "501", "userName": "周老师",
              "userType": 1, "sid": "sid-501"},
  "courses": [
    {"class_id": 71, "group_id": "81", "class_name": "数学", "total": 4, "live_type": "3", "room_type": 2,
     "schedule": {"days": [], "time": "10:00:00", "minutes": 45},
     "today": [{"time": "now-5", "minutes": 60, "name": "今日数学"}]}
  ],
  "groups": [{"id": 81, "name": "一班", "type": 2, "messages": []}],
  "students": [
    {"userId": "601", "userName": "甲", "webId": "w601", "joinAfterMs": 0, "answers": [1], "answerAfterMs": 10},
    {"userId": "602", "userName": "乙", "webId": "w602", "joinAfterMs": 0, "answers": [2], "answerAfterMs": 20}
  ]
})";
}

// The room's library, in the test school's lesson; every command it sends
// is kept in `commands` (GUI thread).
class World {
public:
    QWidget board;
    bool ok = false;
    QList<std::pair<int, QVariant>> commands;

    World()
    {
        m_data = std::make_unique<testsupport::ScopedEnv>("VELTORA_CLIENTLIB_DATA",
                                                          m_dir.write("school.json", SchoolJson()));
        Room* room = Room::instance();
        QObject::connect(room, &Room::sgClientLibCmd, &board,
                         [this](int code, const QVariant& var) { commands.append({code, var}); });
        room->InitLib(&board);
        ClientLib* lib = room->GetClientLib();
        if (!lib)
            return;
        lib->Login("13800000001", "pw-right", "86");
        if (waitFor(RsC_Http_Login).isEmpty())
            return;
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        lib->GetDayRooms(today, today, "1", today);
        QString roomId;
        for (const QVariant& v : waitFor(RsC_Http_DayRooms).value("ltRooms").toList())
            roomId = v.toMap().value("room_id").toString();
        if (roomId.isEmpty())
            return;
        lib->EnterRoomRequest("81", roomId, "1", "2");
        const QStringList vars = waitFor(RsC_Http_EnterRoom).value("ltParame").toStringList();
        CData::instance()->SetLoginVar(vars);
        lib->LoginRoom(QVariant(vars));
        ok = !waitFor(RsC_Room_LoginResult).isEmpty() && ClientLibTestControl::ServiceState(lib).value("inRoom").toBool();
    }

    // The payload of the first command `code` received from now on (empty
    // map after a generous wait).
    QVariantMap waitFor(int code, int ms = 10000)
    {
        QVariantMap found;
        const int from = commands.size();
        testsupport::waitUntil(
            [&] {
                for (int i = from; i < commands.size(); ++i)
                    if (commands[i].first == code) {
                        found = commands[i].second.toMap();
                        if (found.isEmpty())
                            found.insert("", true);
                        return true;
                    }
                return false;
            },
            ms);
        return found;
    }

private:
    testsupport::TempDir m_dir;
    std::unique_ptr<testsupport::ScopedEnv> m_data;
};

inline World*& WorldPtr()
{
    static World* w = nullptr;
    return w;
}

// The library goes while the application still runs.
class WorldTearDown : public ::testing::Environment {
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
        ::testing::AddGlobalTestEnvironment(new WorldTearDown);
        WorldPtr() = new World;
    }
    return *WorldPtr();
}

inline ClientLib* Lib() { return Room::instance()->GetClientLib(); }

inline QList<ClientLibCall> CallsNamed(const QString& name)
{
    QList<ClientLibCall> out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(Lib()))
        if (c.name == name)
            out << c;
    return out;
}

// Texts of the toasts now on screen; ClearToasts deletes them.
inline QStringList ToastTexts()
{
    QStringList texts;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<Toast*>(w))
            for (QLabel* label : w->findChildren<QLabel*>())
                texts << label->text();
    return texts;
}

inline void ClearToasts()
{
    QList<QPointer<QWidget>> toasts;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<Toast*>(w))
            toasts << w;
    for (const QPointer<QWidget>& t : toasts)
        delete t.data();
}

inline QString LogText()
{
    return QString::fromStdString(testsupport::readFile(Logger::instance()->fileName().toStdString()));
}

inline void UseProgramStyle()
{
    QFile f(":/pub/respub/teacher.qss");
    if (f.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(f.readAll()));
}

inline std::string Screenshot(QWidget* w, const std::string& name)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const std::string path = testsupport::screenshotPath(name);
    w->grab().save(QString::fromStdString(path));
    return path;
}

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace nqroom
