#pragma once
// Test helpers for the client library: a callback recorder that notes the
// thread of every command and whether an operation was still running, and
// a library made from a data set written by the test.
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "TempDir.h"

#include <QDate>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cltest {

struct Received {
    int code = 0;
    QVariant payload;
    quint64 thread = 0;
    bool duringCall = false;  // delivered on the calling thread inside an operation
    std::chrono::steady_clock::time_point at;
    QVariantMap map() const { return payload.toMap(); }
};

// One recorder for the process: the library's callback is a plain function.
class Recorder {
public:
    static Recorder& instance()
    {
        static Recorder r;
        return r;
    }
    static void callback(ClientLibRs code, const QVariant& var)
    {
        Recorder& r = instance();
        Received rec;
        rec.code = int(code);
        rec.payload = var;
        rec.thread = quint64(std::hash<std::thread::id>()(std::this_thread::get_id()));
        rec.duringCall = r.m_inCall.load() > 0 && rec.thread == r.m_caller.load();
        rec.at = std::chrono::steady_clock::now();
        std::lock_guard<std::mutex> lk(r.m_lock);
        r.m_items.push_back(rec);
        r.m_cv.notify_all();
    }
    void clear()
    {
        std::lock_guard<std::mutex> lk(m_lock);
        m_items.clear();
    }
    std::vector<Received> all()
    {
        std::lock_guard<std::mutex> lk(m_lock);
        return m_items;
    }
    // The first command with `code` (and matching `pred`) received since the
    // last clear, waiting up to `ms`.
    bool waitFor(int code, Received* out, int ms = 20000, std::function<bool(const Received&)> pred = nullptr)
    {
        std::unique_lock<std::mutex> lk(m_lock);
        auto found = [&] {
            for (const Received& r : m_items)
                if (r.code == code && (!pred || pred(r))) {
                    if (out) *out = r;
                    return true;
                }
            return false;
        };
        return m_cv.wait_for(lk, std::chrono::milliseconds(ms), found);
    }
    int count(int code)
    {
        std::lock_guard<std::mutex> lk(m_lock);
        int n = 0;
        for (const Received& r : m_items) n += r.code == code;
        return n;
    }
    // Marks the test's calls into the library.
    template <typename F>
    auto call(F&& f)
    {
        struct Guard {
            std::atomic<int>& n;
            explicit Guard(std::atomic<int>& c) : n(c) { ++n; }
            ~Guard() { --n; }
        } g(m_inCall);
        m_caller = quint64(std::hash<std::thread::id>()(std::this_thread::get_id()));
        return f();
    }

private:
    std::mutex m_lock;               // guards m_items
    std::condition_variable m_cv;    // signalled under m_lock when a command arrives
    std::vector<Received> m_items;   // guarded by m_lock
    std::atomic<int> m_inCall{0};    // atomic: calls of the test under way
    std::atomic<quint64> m_caller{0};  // atomic: the thread that made the last call
};

// A small school for the tests: quick simulated students that join only when
// told, short draws and conversions.
inline std::string testSchoolJson(int joinAfterMs = -1)
{
    const std::string join = std::to_string(joinAfterMs);
    return R"({
  "teacher": {"account": "13800000001", "password": "pw-right", "userId": "501", "userName": "周老师",
              "userType": 1, "sid": "sid-501"},
  "smsCode": "1357",
  "courses": [
    {"class_id": 71, "group_id": "81", "class_name": "数学", "total": 4, "live_type": "3", "room_type": 2,
     "schedule": {"days": [-3, 5], "time": "10:00:00", "minutes": 45, "playback": true},
     "today": [{"time": "now-5", "minutes": 60, "name": "今日数学"}]},
    {"class_id": 72, "group_id": "82", "class_name": "直播英语", "total": 2, "live_type": "2", "room_type": 2,
     "schedule": {"days": [], "time": "10:00:00", "minutes": 45},
     "today": [{"time": "now-5", "minutes": 60, "name": "今日直播英语"}]}
  ],
  "tmpCourse": {"group_id": "81", "free": 1, "used": 0, "rest": 2},
  "tmpRooms": [{"id": "t1", "group_id": "81", "room_id": "9901", "room_name": "答疑", "dayOffset": 0,
                "time": "now-1", "minutes": 15, "status": 0}],
  "groups": [{"id": 81, "name": "一班", "type": 2, "messages": [
      {"id": 3, "dayOffset": -2, "time": "08:00:00", "user": "a", "msg": "m3"},
      {"id": 5, "dayOffset": -1, "time": "08:00:00", "user": "b", "msg": "m5"},
      {"id": 4, "dayOffset": -1, "time": "07:00:00", "user": "c", "msg": "m4"}]}],
  "disk": {
    "teacher": [
      {"uuid": "f1", "puuid": "0", "file_type": 0, "name": "课件"},
      {"uuid": "f2", "puuid": "f1", "file_type": 1, "name": "a.pdf", "ext_name": "pdf", "pageNum": 2, "guid": "g2"},
      {"uuid": "f3", "puuid": "0", "file_type": 1, "name": "song.mp3", "ext_name": "mp3", "guid": "g3",
       "docType": "media", "duration": 30, "mediaUrl": "http://127.0.0.1:1/a b.mp3"}
    ]
  },
  "students": [
    {"userId": "601", "userName": "甲", "webId": "w601", "phone": "13900000601", "joinAfterMs": )" + join + R"(,
     "chat": [{"afterMs": 10, "msg": "hi"}], "raiseHandAfterMs": 20, "answers": [1], "answerAfterMs": 10},
    {"userId": "602", "userName": "乙", "webId": "w602", "joinAfterMs": )" + join + R"(,
     "answers": [2], "answerAfterMs": 20}
  ],
  "products": [{"productid": "p1", "productname": "课程包"}],
  "devices": {"cameras": ["cam A"], "mics": ["mic A"], "speakers": ["spk A"]},
  "lotteryDrawMs": 30,
  "convertMs": 50
})";
}

// A library over a data set written by the test (or the built-in school
// when `json` is empty), with a temporary data folder.
class LibFixture {
public:
    explicit LibFixture(const std::string& json = testSchoolJson(), QVariantMap extra = {})
    {
        Recorder::instance().clear();
        std::unique_ptr<testsupport::ScopedEnv> env;
        if (!json.empty())
            env = std::make_unique<testsupport::ScopedEnv>("VELTORA_CLIENTLIB_DATA", m_dir.write("school.json", json));
        else
            env = std::make_unique<testsupport::ScopedEnv>("VELTORA_CLIENTLIB_DATA", "");
        QVariantMap cfg{{"appData", QString::fromStdString(m_dir.path())},
                        {"urlUserHttp", QStringList{"", "", "", "", ""}},
                        {"userType", 1}};
        for (auto it = extra.begin(); it != extra.end(); ++it) cfg.insert(it.key(), it.value());
        m_lib = CreateClientLib(&Recorder::callback, QVariant(cfg));
    }
    ~LibFixture()
    {
        ReleaseClientLib(m_lib);
        Recorder::instance().clear();
    }
    ClientLib* lib() const { return m_lib; }
    ClientLib* operator->() const { return m_lib; }
    const std::string& dir() const { return m_dir.path(); }
    quint64 libThread() const { return ClientLibTestControl::LibraryThreadId(m_lib); }

    // Logs in with the test school's teacher and waits for the answer.
    QVariantMap login()
    {
        Recorder::instance().clear();
        m_lib->Login("13800000001", "pw-right", "86");
        Received r;
        EXPECT_TRUE(Recorder::instance().waitFor(RsC_Http_Login, &r));
        return r.map();
    }
    // Asks for entry into `roomId` and logs into the room; the login
    // variables of the entry.
    QStringList enterRoom(const QString& roomId, const QString& groupId = "81")
    {
        Recorder::instance().clear();
        m_lib->EnterRoomRequest(groupId, roomId, "1", "2");
        Received r;
        EXPECT_TRUE(Recorder::instance().waitFor(RsC_Http_EnterRoom, &r));
        const QStringList vars = r.map().value("ltParame").toStringList();
        Recorder::instance().clear();
        m_lib->LoginRoom(QVariant(vars));
        Received login;
        EXPECT_TRUE(Recorder::instance().waitFor(RsC_Room_LoginResult, &login, 5000,
                                                 [](const Received& x) { return x.map().value("type") == "main"; }));
        return vars;
    }

private:
    testsupport::TempDir m_dir;
    ClientLib* m_lib = nullptr;
};

inline Recorder& rec() { return Recorder::instance(); }

// The payload of the first command `code` (matching `pred`), waited for.
inline QVariantMap answer(int code, std::function<bool(const Received&)> pred = nullptr)
{
    Received r;
    EXPECT_TRUE(Recorder::instance().waitFor(code, &r, 5000, pred)) << code;
    return r.map();
}

// The room id of today's lesson named `name` in the test school.
inline QString todayRoom(ClientLib* lib, const QString& name)
{
    Recorder::instance().clear();
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    lib->GetDayRooms(today, today, "1", today);
    Received r;
    if (!Recorder::instance().waitFor(RsC_Http_DayRooms, &r)) return QString();
    for (const QVariant& v : r.map().value("ltRooms").toList())
        if (v.toMap().value("room_name").toString() == name) return v.toMap().value("room_id").toString();
    return QString();
}

}  // namespace cltest
