#pragma once
// Helpers of the notice and quiz tests: the shared room (a private data
// folder, the toasts on screen, the library's recorded calls, screenshots),
// its client library logged into a lesson of a small test school (so room
// operations are accepted) and the commands the library sends back.
#include "tests/interaction/RoomFixture.h"

#include <memory>
#include <utility>

namespace nqroom {

using roomfixture::ClearToasts;
using roomfixture::Home;
using roomfixture::Lib;
using roomfixture::LogText;
using roomfixture::Screenshot;
using roomfixture::ToastTexts;
using roomfixture::U;
using roomfixture::UseProgramStyle;

inline QList<ClientLibCall> CallsNamed(const QString& name) { return roomfixture::Calls(name); }

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
        QObject::connect(Room::instance(), &Room::sgClientLibCmd, &board,
                         [this](int code, const QVariant& var) { commands.append({code, var}); });
        ok = !roomfixture::EnterTodaysLesson(
                  &board, "13800000001", "pw-right", [](const QVariantMap&) { return true; }, true)
                  .isEmpty();
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

inline World& TheWorld() { return roomfixture::Shared<World>(); }

}  // namespace nqroom
