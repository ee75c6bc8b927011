// test-labels: e2e xvfb
// A simulated student publishes its camera to a real RTMP server; the room's
// user video list makes its tile and the tile plays the picture (it moves),
// shows the no-camera picture when the camera goes off, and goes when the
// student leaves. The teacher switches the camera from the tile's tool bar
// and gives stars: the room answers and the tile follows the answer.
#include "app/CData.h"
#include "mainwindow/room/UserItem.h"
#include "mainwindow/room/VideoFloatCtrl.h"
#include "media/IMediaEngine.h"
#include "media/VideoRenderWidget.h"
#include "tests/libs/clientlib/ClientLibProbe.h"
#include "tests/mainwindow/RoomVideoSupport.h"

#include "NginxFixture.h"
#include "QtWait.h"
#include "widgets/AniToast.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <QDate>

#include <gtest/gtest.h>

#include <memory>

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

// The test school's teacher in today's small class, with a local stream
// server for the students' cameras.
class UserVideoStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::NginxFixture::Options o;
        o.http = false;
        o.rtmp = true;
        nginx = std::make_unique<testsupport::NginxFixture>(o);
        ASSERT_TRUE(nginx->start()) << nginx->error();

        shelltest::SetSession(false);
        w = std::make_unique<RoomWindow>();  // the room's libraries, from the test school
        lib = Lib();
        IMediaEngine::selectEngine(kMediaEngineClientLib);  // a small class's engine, as on entry
        ASSERT_NE(lib, nullptr);
        ClientLibTestControl::SetStudentStreamBase(lib, QString::fromStdString(nginx->rtmpUrl("")));
        QObject::connect(Room::instance(), &Room::sgClientLibCmd, &receiver,
                         [this](int code, QVariant v) { got.items << qMakePair(code, v.toMap()); });

        // The teacher signs in and enters today's lesson.
        lib->Login("13800000001", "pw-right", "86");
        ASSERT_EQ(got.wait(RsC_Http_Login).value("code").toInt(), 0);
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        lib->GetDayRooms(today, today, "1", today);
        for (const QVariant& v : got.wait(RsC_Http_DayRooms).value("ltRooms").toList())
            if (v.toMap().value("room_name").toString() == QString::fromUtf8("今日数学"))
                roomId = v.toMap().value("room_id").toString();
        ASSERT_FALSE(roomId.isEmpty());
        lib->EnterRoomRequest("81", roomId, "1", "2");
        lib->LoginRoom(QVariant(got.wait(RsC_Http_EnterRoom).value("ltParame").toStringList()));
        ASSERT_EQ(got.wait(RsC_Room_LoginResult).value("code").toInt(), 0);
        w->top.show();
    }
    void TearDown() override
    {
        if (lib)
            lib->LeaveRoom();
        w.reset();
    }

    // A student joins; its tile plays the camera's picture.
    UserItem* JoinAndPlay(const QString& id)
    {
        if (!ClientLibTestControl::StudentJoin(lib, id))
            return nullptr;
        UserItem* tile = nullptr;
        if (!testsupport::waitUntil([&] { return (tile = w->list->findUserItem(id)) != nullptr; }, 15000))
            return nullptr;
        testsupport::waitUntil([&] { return !Picture(tile).isNull(); }, 30000);
        return tile;
    }
    // The picture the tile's player shows, null when it shows none.
    static QImage Picture(UserItem* tile)
    {
        auto* view = tile->videoView()->findChild<VideoRenderWidget*>();
        return view && view->isVisible() ? view->picture() : QImage();
    }
    // The teacher's pointer rests on the tile: its tool bar shows.
    static QPushButton* ToolButton(UserItem* tile, const char* name)
    {
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(tile, &enter);
        return tile->toolBar()->findChild<QPushButton*>(name);
    }

    testsupport::TempDir dir;
    std::unique_ptr<testsupport::NginxFixture> nginx;
    testsupport::ScopedEnv school{"VELTORA_CLIENTLIB_DATA", dir.write("school.json", cltest::testSchoolJson())};
    testsupport::ScopedEnv audio{"SDL_AUDIODRIVER", "dummy"};
    ClientLib* lib = nullptr;
    QString roomId;
    QObject receiver;
    Delivered got;
    std::unique_ptr<RoomWindow> w;
};

TEST_F(UserVideoStream, StudentCameraPlaysInItsTile)
{
    UserItem* tile = JoinAndPlay("601");
    ASSERT_NE(tile, nullptr);
    EXPECT_TRUE(tile->userInfo()->stream.endsWith("stu_" + roomId + "_601"));
    // The program handed the tile to the media engine too.
    got.wait(RsC_Video_PlayUser);
    // The player draws into a picture widget of its own inside the tile.
    ASSERT_FALSE(Picture(tile).isNull());

    // Moving pictures: two grabs of the tile differ.
    const QImage first = tile->grab().toImage();
    EXPECT_TRUE(testsupport::waitUntil([&] { return tile->grab().toImage() != first; }, 15000));
    shelltest::Screenshot(&w->top, "user_video_stream_room.png");
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
    EXPECT_TRUE(testsupport::waitUntil([&] { return w->list->findUserItem("601") == nullptr; }, 15000));
}

// The teacher works the tile's tool bar: the room answers each switch with
// the student's new state and the tile follows the answer.
TEST_F(UserVideoStream, TeacherSwitchesTheCameraOffAndOnAndGivesAStar)
{
    UserItem* tile = JoinAndPlay("601");
    ASSERT_NE(tile, nullptr);
    ASSERT_FALSE(Picture(tile).isNull());
    ASSERT_TRUE(tile->isPlaying());

    // Camera off: the player stops (not only the icon), the student stops
    // publishing, the no-camera picture shows.
    QPushButton* camera = ToolButton(tile, "showCamerBtn");
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->isChecked());
    QTest::mouseClick(camera, Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !tile->userInfo()->user.cam; }, 15000)) << "the room answers";
    EXPECT_FALSE(tile->isPlaying());
    EXPECT_FALSE(tile->videoView()->isVisible());
    EXPECT_FALSE(camera->isChecked());
    EXPECT_TRUE(testsupport::waitUntil([&] { return ClientLibTestControl::StudentStreamUrl(lib, "601").isEmpty(); }));
    QCoreApplication::processEvents();
    const QImage noCam(":/video/res/video/nocambk.png");
    EXPECT_EQ(tile->grab().toImage().pixelColor(80, 60).rgb(), noCam.pixelColor(18, 18).rgb());
    shelltest::Screenshot(tile, "user_video_stream_teacher_camera_off.png");

    // Camera on again: the picture comes back.
    QTest::mouseClick(ToolButton(tile, "showCamerBtn"), Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return tile->userInfo()->user.cam; }, 15000));
    EXPECT_TRUE(camera->isChecked());
    EXPECT_TRUE(testsupport::waitUntil([&] { return tile->isPlaying() && !Picture(tile).isNull(); }, 30000));

    // A star: the room answers with the praise and the count; the tile
    // shows the count and the star's animation.
    auto stars = [] {
        int n = 0;
        for (QWidget* widget : QApplication::allWidgets())
            n += qobject_cast<AniToast*>(widget) != nullptr;
        return n;
    };
    const int before = stars();
    for (int given = 1; given <= 2; ++given) {
        QTest::mouseClick(ToolButton(tile, "showPraiseBtn"), Qt::LeftButton);
        ASSERT_TRUE(testsupport::waitUntil([&] { return tile->userInfo()->user.count == given; }, 15000))
            << "star " << given;
        EXPECT_GT(stars(), before) << "the star's animation";
        QCoreApplication::processEvents();
        tile->grab();  // paints the overlay: the count follows
        EXPECT_EQ(QString::number(given),
                  tile->overlay()->placeholder()->findChild<QLabel*>("praiseLab")->text());
    }
    shelltest::Screenshot(&w->top, "user_video_stream_star.png");

    // A tile without a server for its camera stays off: the button follows
    // the room's answer, not the click.
    ClientLibTestControl::SetStudentStreamBase(lib, QString());
    QTest::mouseClick(ToolButton(tile, "showCamerBtn"), Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !tile->userInfo()->user.cam; }, 15000));
    QTest::mouseClick(ToolButton(tile, "showCamerBtn"), Qt::LeftButton);
    EXPECT_TRUE(testsupport::waitUntil([&] { return !camera->isChecked(); }, 15000));
    EXPECT_FALSE(tile->userInfo()->user.cam);
    EXPECT_FALSE(tile->isPlaying());
}
