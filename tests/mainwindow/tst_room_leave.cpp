// test-labels: e2e
// Leaving a class room ends what the room started: in a small class the
// students' tiles play their cameras from a local stream server, in a live
// room the teacher's camera is pushed there and played back; after the
// teacher leaves, the process runs no more threads than at home before the
// room, and no player of the room is left but the room controller's own,
// stopped. Both room kinds, one after the other, in one program.
#include "tests/mainwindow/RoomTestSupport.h"
#include "tests/mainwindow/LocalServicesSupport.h"

#include "home/ClassListWidget.h"
#include "mainwindow/room/UserItem.h"
#include "mainwindow/room/UserListCtrl.h"
#include "media/RoomMediaSetup.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"
#include "media/VideoRenderWidget.h"
#include "tests/libs/clientlib/ClientLibProbe.h"
#include "widgets/MsgBox.h"

#include "NginxFixture.h"
#include "QtWait.h"

#include <QDate>
#include <QDir>
#include <QPushButton>
#include <QThreadPool>

#include <gtest/gtest.h>

using namespace roomtest;
using testsupport::waitUntil;

namespace {

// Threads of this process now.
int ThreadCount() { return QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); }

// Threads once the pool's idle threads (a cache, not a leak) and the
// deferred deletes are gone.
int SettledThreadCount()
{
    RunDeferredDeletes();
    QThreadPool::globalInstance()->waitForDone(2000);
    return ThreadCount();
}

struct Kind {
    const char* lesson;  // today's lesson of that kind in the test school
    bool live;
};

}  // namespace

TEST(RoomLeave, NothingTheRoomStartedOutlivesTheRoomInEitherKind)
{
    testsupport::TempDir dir;
    testsupport::ScopedEnv school("VELTORA_CLIENTLIB_DATA", dir.write("school.json", cltest::testSchoolJson()));
    testsupport::ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
    localservices::LocalServices services;
    ASSERT_TRUE(services.start()) << services.error();
    const QString rtmpHost = services.rtmpHost();

    shelltest::UseProgramStyle();
    InstallRoomMedia();
    MainWindow* w = MakeWindow();
    QMap<int, QVariantMap> answers;
    QObject::connect(Room::instance(), &Room::sgClientLibCmd, w,
                     [&answers](int code, QVariant payload) { answers[code] = payload.toMap(); });
    Lib()->Login("13800000001", "pw-right", "86");
    ASSERT_TRUE(waitUntil([&] { return answers.contains(RsC_Http_Login); }, 20000));
    ASSERT_EQ(0, answers[RsC_Http_Login].value("code").toInt());
    const QString day = QDate::currentDate().toString("yyyy-MM-dd");
    answers.remove(RsC_Http_DayRooms);
    ASSERT_TRUE(Lib()->GetDayRooms(day, day, "1", day));
    ASSERT_TRUE(waitUntil([&] { return answers.contains(RsC_Http_DayRooms); }, 20000));
    const QVariantList rooms = answers[RsC_Http_DayRooms].value("ltRooms").toList();

    Room* room = Room::instance();
    CData* data = CData::instance();
    for (const Kind& kind : {Kind{"今日数学", false}, Kind{"今日直播英语", true}}) {
        SCOPED_TRACE(kind.live ? "live room" : "small room");
        QVariantMap lesson;
        for (const QVariant& r : rooms)
            if (r.toMap().value("room_name").toString() == QString::fromUtf8(kind.lesson))
                lesson = r.toMap();
        ASSERT_FALSE(lesson.isEmpty()) << kind.lesson;

        const int threadsAtHome = SettledThreadCount();
        const int playersAtHome = RtmpLivePlayer::AliveCount();

        // Enter as the home window does: the room's answer sets the session
        // and the window follows.
        answers.remove(RsC_Http_EnterRoom);
        answers.remove(RsC_Room_LoginResult);
        ASSERT_TRUE(Lib()->EnterRoomRequest(lesson.value("group_id").toString(), lesson.value("room_id").toString(),
                                            "1", "2"));
        ASSERT_TRUE(waitUntil([&] { return answers.contains(RsC_Http_EnterRoom); }, 20000));
        if (!waitUntil([&] { return w->isVisible(); }, 5000)) {
            ASSERT_TRUE(data->SetLoginVar(answers[RsC_Http_EnterRoom].value("ltParame").toStringList()));
            data->DoGetLiveConfig();
        }
        ASSERT_TRUE(waitUntil([&] { return w->isVisible(); }, 20000)) << "the room window shows";
        ASSERT_TRUE(waitUntil([&] { return answers.contains(RsC_Room_LoginResult); }, 20000));
        ASSERT_TRUE(ClientLibTestControl::ServiceState(Lib()).value("inRoom").toBool());
        ASSERT_EQ(kind.live, data->IsLiveRoom());

        if (!kind.live) {
            // Two students come with their cameras; both tiles play.
            UserListCtrl* users = w->findChild<UserListCtrl*>();
            ASSERT_NE(nullptr, users);
            for (const char* id : {"601", "602"}) {
                ASSERT_TRUE(ClientLibTestControl::StudentJoin(Lib(), id));
                UserItem* tile = nullptr;
                ASSERT_TRUE(waitUntil([&] { return (tile = users->findUserItem(id)) != nullptr; }, 20000)) << id;
                ASSERT_TRUE(waitUntil(
                    [&] {
                        auto* view = tile->videoView()->findChild<VideoRenderWidget*>();
                        return view && !view->picture().isNull();
                    },
                    40000))
                    << "the camera of " << id << " plays in its tile";
            }
            EXPECT_EQ(playersAtHome + 2, RtmpLivePlayer::AliveCount());
        } else {
            // The teacher's camera goes to the server and the room plays it back.
            ASSERT_TRUE(waitUntil([&] { return data->GetMgLineInfo().value("count").toInt() > 0; }, 20000));
            w->ReDoSharePlay();
            ASSERT_EQ(2, room->GetShareType()) << "the camera is shared";
            const QString pushUrl = room->GetLivePusher()->GetPushParam().pushUrl;
            ASSERT_TRUE(pushUrl.startsWith("rtmp://" + rtmpHost)) << pushUrl.toStdString();
            ASSERT_TRUE(room->StartPlay(2, pushUrl.section('/', -1)));
            EXPECT_TRUE(room->GetLivePlayer()->IsPlaying());
            EXPECT_TRUE(waitUntil([&] { return room->GetLivePusher()->IsPushing(); }, 20000));
        }
        EXPECT_GT(ThreadCount(), threadsAtHome) << "the room's media run threads of their own";

        // Leave as the teacher does: close, confirm.
        w->close();
        ASSERT_TRUE(w->CloseBox()->isVisible());
        w->CloseBox()->findChild<QPushButton*>("btnOk")->click();
        ASSERT_TRUE(waitUntil([&] { return !w->isVisible() && w->HomeWindow()->isVisible(); }, 20000));

        int threads = 0;
        EXPECT_TRUE(waitUntil([&] { return (threads = SettledThreadCount()) <= threadsAtHome; }, 30000))
            << threads << " threads after leaving, " << threadsAtHome << " at home before";
        EXPECT_EQ(playersAtHome, RtmpLivePlayer::AliveCount()) << "only the room controller's player is left";
        EXPECT_FALSE(room->GetLivePlayer()->IsPlaying());
        EXPECT_FALSE(room->GetLivePusher()->IsPushing());
        EXPECT_TRUE(w->findChildren<UserItem*>().isEmpty()) << "no tile is left";
    }
}
