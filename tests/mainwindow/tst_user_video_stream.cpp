// test-labels: e2e xvfb
// A simulated student publishes its camera to a real RTMP server; the room's
// user video list makes its tile and the tile plays the picture (it moves),
// shows the no-camera picture when the camera goes off, and goes when the
// student leaves.
#include "app/CData.h"
#include "mainwindow/room/UserItem.h"
#include "mainwindow/room/VideoFloatCtrl.h"
#include "media/VideoRenderWidget.h"
#include "tests/libs/clientlib/ClientLibProbe.h"
#include "tests/mainwindow/RoomVideoSupport.h"

#include "NginxFixture.h"
#include "QtWait.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace roomvideo;

namespace {

// What the room delivered to the program, on the GUI thread.
struct Delivered {
    QList<QPair<int, QVariantMap>> items;
    QVariantMap wait(int code, std::function<bool(const QVariantMap&)> pred = nullptr)
    {
        QVariantMap found;
        testsupport::waitUntil(
            [&] {
                for (const auto& it : items)
                    if (it.first == code && (!pred || pred(it.second))) {
                        found = it.second;
                        return true;
                    }
                return false;
            },
            15000);
        return found;
    }
};

}  // namespace

TEST(UserVideoStream, StudentCameraPlaysInItsTile)
{
    testsupport::TempDir dir;
    testsupport::ScopedEnv school("VELTORA_CLIENTLIB_DATA", dir.write("school.json", cltest::testSchoolJson()));
    testsupport::ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
    testsupport::NginxFixture::Options o;
    o.http = false;
    o.rtmp = true;
    testsupport::NginxFixture nginx(o);
    ASSERT_TRUE(nginx.start()) << nginx.error();

    shelltest::SetSession(false);
    Board();  // the room's libraries, from the test school
    ClientLib* lib = Lib();
    ASSERT_NE(lib, nullptr);
    ClientLibTestControl::SetStudentStreamBase(lib, QString::fromStdString(nginx.rtmpUrl("")));
    Delivered got;
    QObject::connect(Room::instance(), &Room::sgClientLibCmd, qApp,
                     [&](int code, QVariant v) { got.items << qMakePair(code, v.toMap()); });

    // The teacher signs in and enters today's lesson.
    lib->Login("13800000001", "pw-right", "86");
    ASSERT_EQ(got.wait(RsC_Http_Login).value("code").toInt(), 0);
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    lib->GetDayRooms(today, today, "1", today);
    QString roomId;
    for (const QVariant& v : got.wait(RsC_Http_DayRooms).value("ltRooms").toList())
        if (v.toMap().value("room_name").toString() == QString::fromUtf8("今日数学"))
            roomId = v.toMap().value("room_id").toString();
    ASSERT_FALSE(roomId.isEmpty());
    lib->EnterRoomRequest("81", roomId, "1", "2");
    lib->LoginRoom(QVariant(got.wait(RsC_Http_EnterRoom).value("ltParame").toStringList()));
    ASSERT_EQ(got.wait(RsC_Room_LoginResult).value("code").toInt(), 0);

    RoomWindow w;
    w.top.show();
    ASSERT_TRUE(ClientLibTestControl::StudentJoin(lib, "601"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return w.list->findUserItem("601") != nullptr; }, 15000));
    UserItem* tile = w.list->findUserItem("601");
    EXPECT_TRUE(tile->userInfo()->stream.endsWith("stu_" + roomId + "_601"));
    // The program handed the tile to the media engine too.
    got.wait(RsC_Video_PlayUser);
    // The player draws into a picture widget of its own inside the tile.
    auto picture = [&] {
        auto* view = tile->videoView()->findChild<VideoRenderWidget*>();
        return view && view->isVisible() ? view->picture() : QImage();
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return !picture().isNull(); }, 30000));

    // Moving pictures: two grabs of the tile differ.
    const QImage first = tile->grab().toImage();
    EXPECT_TRUE(testsupport::waitUntil([&] { return tile->grab().toImage() != first; }, 15000));
    shelltest::Screenshot(&w.top, "user_video_stream_room.png");
    shelltest::Screenshot(tile, "user_video_stream_tile.png");

    // Camera off: the picture goes, the no-camera picture shows.
    ASSERT_TRUE(ClientLibTestControl::StudentCamera(lib, "601", false));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !tile->videoView()->isVisible(); }, 15000));
    EXPECT_FALSE(tile->userInfo()->user.cam);
    QCoreApplication::processEvents();
    const QImage noCam(":/video/res/video/nocambk.png");
    EXPECT_EQ(tile->grab().toImage().pixelColor(80, 60).rgb(), noCam.pixelColor(18, 18).rgb());
    shelltest::Screenshot(tile, "user_video_stream_camera_off.png");

    // Leaving takes the tile away.
    ASSERT_TRUE(ClientLibTestControl::StudentLeave(lib, "601"));
    EXPECT_TRUE(testsupport::waitUntil([&] { return w.list->findUserItem("601") == nullptr; }, 15000));
    lib->LeaveRoom();
}
