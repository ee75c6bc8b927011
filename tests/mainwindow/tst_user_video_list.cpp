// The user video list and its tiles: the bar's geometry and order (drag
// places clamped to the bar, ids named twice by a peer taken once), tiles
// made once per user and removed, the local tile put aside, live rooms, the
// tiles' zoom steps, drags between bar and whiteboard, whiteboard reports,
// and the marks over a tile (no-camera picture, name, praise count).
#include "app/CData.h"
#include "mainwindow/room/UserItem.h"
#include "mainwindow/room/VideoFloatCtrl.h"
#include "tests/mainwindow/RoomVideoSupport.h"

#include <QLabel>
#include <QMouseEvent>

#include <limits>

#include <gtest/gtest.h>

using namespace roomvideo;

namespace {

class UserVideoList : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::UseProgramStyle();
        shelltest::SetSession(false);
        CData::instance()->GetLocalUser()->userId = "1001";
        ClientLibTestControl::ClearCalls(Lib());
    }
    void TearDown() override { shelltest::SetSession(false); }
};

// A mouse event on the tile at a point of the top-level window.
void Mouse(UserItem* item, QEvent::Type type, const QPoint& inTop, Qt::MouseButtons held)
{
    const QPoint global = item->parentWidget()->mapToGlobal(inTop);
    QMouseEvent e(type, item->mapFromGlobal(global), global,
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(item, &e);
}

}  // namespace

TEST_F(UserVideoList, BarIsCentredWithSlotsAndReportsItsOrder)
{
    RoomWindow w;
    for (const char* id : {"a", "b", "c"}) w.addUser(id);
    const QRect bar = w.list->barRect();
    EXPECT_EQ(bar, QRect(200 + 59, 0, 482, 120));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(w.list->barItems()[i]->geometry(), QRect(259 + 161 * i, 0, 160, 120)) << i;
    const QList<QVariantList> reports = CallsOf("ReportUserVideoInfo");
    ASSERT_FALSE(reports.isEmpty());
    EXPECT_EQ(reports.last().value(0).toMap(), (QVariantMap{{"0", "a"}, {"1", "b"}, {"2", "c"}}));

    // A second state of a user refreshes its tile; removal takes it out.
    w.cmd(RsC_UserVideo_State, {{"userid", "b"}, {"cam", false}, {"mic", false}, {"type", 0}, {"userName", "b"}});
    EXPECT_EQ(w.list->allItems().size(), 3);
    UserInfo stored;
    ASSERT_TRUE(CData::instance()->GetUser("b", stored));
    EXPECT_FALSE(stored.cam);
    EXPECT_FALSE(w.list->findUserItem("b")->userInfo()->user.mic);
    w.cmd(RsC_UserVideo_Remove, {{"userid", "b"}});
    EXPECT_EQ(w.barIds(), (QStringList{"a", "c"}));
    EXPECT_EQ(w.list->findUserItem("b"), nullptr);
    EXPECT_EQ(w.list->barItems()[0]->geometry(), QRect(200 + 139, 0, 160, 120));
    shelltest::Screenshot(&w.top, "user_video_bar.png");
}

TEST_F(UserVideoList, DragPlaceIsClampedToTheBar)
{
    struct Case {
        int dx;  // cursor x relative to the bar's left edge
        QStringList order;
    } const cases[] = {
        {-1, {"c", "a", "b"}},     // truncation toward zero: the first place
        {-500, {"c", "a", "b"}},   // far left of the bar: still the first place
        {161 + 5, {"a", "c", "b"}},
        {5000, {"a", "b", "c"}},   // far right: the last place
    };
    for (const Case& c : cases) {
        RoomWindow w;
        for (const char* id : {"a", "b", "c"}) w.addUser(id);
        UserItem* moved = w.list->findUserItem("c");
        w.list->moveItemInBar(moved, QPoint(w.list->barRect().left() + c.dx, 60));
        EXPECT_EQ(w.barIds(), c.order) << c.dx;
        EXPECT_EQ(w.list->barItems().size(), 3);
    }
}

TEST_F(UserVideoList, OrderFromPeersTakesEachIdOnce)
{
    RoomWindow w;
    for (const char* id : {"a", "b", "c"}) w.addUser(id);
    w.cmd(RsC_UserVideo_Order, {{"mapIndexUser", QVariantMap{{"0", "b"}, {"1", "b"}, {"2", "ghost"}, {"3", "a"}}}});
    EXPECT_EQ(w.barIds(), (QStringList{"b", "a", "c"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(w.list->barItems()[i]->x(), w.list->barRect().left() + 161 * i);
    // An empty order refills the bar with every tile not on the whiteboard.
    w.list->receiveAdjustWbVideoUserRectF("a", QRectF(0.5, 0.5, 0.2, 0.2));
    w.cmd(RsC_UserVideo_Order, {{"mapIndexUser", QVariantMap()}});
    EXPECT_EQ(w.barIds(), (QStringList{"b", "c"}));
}

TEST_F(UserVideoList, LocalTileIsPutAsideAndBackLast)
{
    RoomWindow w;
    for (const char* id : {"a", "1001", "b"}) w.addUser(id);
    UserItem* mine = w.list->findUserItem("1001");
    w.cmd(RsC_Media_LocalOn, {{"mediaOn", false}});
    EXPECT_FALSE(mine->isVisible());
    EXPECT_EQ(mine->mode(), UserItem::kModeWhiteboard);
    // (0.1, 0.1, 0.2, 0.15) of 1000 x 640, no lower than a tile's 120.
    EXPECT_EQ(mine->geometry(), QRect(100, 120 + 64, 200, 120));
    EXPECT_EQ(w.barIds(), (QStringList{"a", "b"}));
    w.cmd(RsC_Media_LocalOn, {{"mediaOn", true}});
    EXPECT_EQ(w.barIds(), (QStringList{"a", "b", "1001"}));
    EXPECT_EQ(mine->mode(), UserItem::kModeBar);
}

TEST_F(UserVideoList, LiveRoomMakesHiddenTilesAndReportsNothing)
{
    shelltest::SetSession(true);
    RoomWindow w;
    w.top.show();
    w.addUser("a");
    ASSERT_NE(w.list->findUserItem("a"), nullptr);
    EXPECT_FALSE(w.list->findUserItem("a")->isVisible());
    EXPECT_TRUE(CallsOf("ReportUserVideoInfo").isEmpty());
}

TEST_F(UserVideoList, ZoomStepsStopAtTheirLimits)
{
    struct Case {
        bool in;
        int width;
        QSize result;  // unchanged size when refused
    } const cases[] = {
        {false, 180, {180, 135}}, {false, 181, {161, 120}}, {true, 460, {460, 345}}, {true, 459, {479, 357}},
    };
    RoomWindow w;
    w.top.show();
    w.addUser("a");
    UserItem* item = w.list->findUserItem("a");
    for (const Case& c : cases) {
        item->updateWbUserVideoRectF(QRectF(0.1, 0.1, 0.1, 0.1));
        item->resize(c.width, c.width * 3 / 4);
        c.in ? item->zoomIn() : item->zoomOut();
        EXPECT_EQ(item->size(), c.result) << c.in << " " << c.width;
    }
    // The grown tile was reported as a fraction of the whiteboard.
    const QList<QVariantList> wb = CallsOf("ReportWbUserVideoInfo");
    ASSERT_FALSE(wb.isEmpty());
    EXPECT_NEAR(wb.last().value(1).toRectF().width(), 479.0 / 1000, 1e-6);
}

TEST_F(UserVideoList, DragBetweenBarAndWhiteboard)
{
    RoomWindow w;
    w.top.show();
    for (const char* id : {"a", "b"}) w.addUser(id);
    UserItem* item = w.list->findUserItem("a");
    const QPoint start = item->geometry().center();
    Mouse(item, QEvent::MouseButtonPress, start, Qt::LeftButton);
    Mouse(item, QEvent::MouseMove, start + QPoint(0, 200), Qt::LeftButton);  // over the whiteboard
    EXPECT_EQ(item->mode(), UserItem::kModeWhiteboard);
    EXPECT_EQ(item->size(), QSize(320, 240));
    EXPECT_EQ(w.barIds(), QStringList{"b"});
    const QPoint over = item->geometry().center();
    Mouse(item, QEvent::MouseMove, QPoint(over.x(), 60), Qt::LeftButton);  // back over the bar
    EXPECT_EQ(item->mode(), UserItem::kModeBarDrag);
    EXPECT_EQ(item->size(), QSize(160, 120));
    EXPECT_TRUE(w.barIds().contains("a"));
    Mouse(item, QEvent::MouseButtonRelease, QPoint(over.x(), 60), Qt::NoButton);
    EXPECT_EQ(item->mode(), UserItem::kModeBar);
}

TEST_F(UserVideoList, WhiteboardPlacesAreReportedOnlyWhenValid)
{
    RoomWindow w;
    w.top.show();
    w.addUser("a");
    UserItem* item = w.list->findUserItem("a");
    item->updateWbUserVideoRectF(QRectF(0.9, 0, 0.2, 0.2));  // left + width is not tested
    ClientLibTestControl::ClearCalls(Lib());
    item->reportWbUserVideoInfo();
    QList<QVariantList> wb = CallsOf("ReportWbUserVideoInfo");
    ASSERT_EQ(wb.size(), 1);
    EXPECT_EQ(wb[0].value(0).toString(), "a");
    const QRectF r = wb[0].value(1).toRectF();
    EXPECT_NEAR(r.left(), 0.9, 1e-6);
    EXPECT_NEAR(r.width(), 0.2, 1e-6);
    for (const QRect& bad : {QRect(-20, 200, 200, 150), QRect(0, 200, 1010, 150)}) {
        ClientLibTestControl::ClearCalls(Lib());
        item->setGeometry(bad);
        item->reportWbUserVideoInfo();
        EXPECT_TRUE(CallsOf("ReportWbUserVideoInfo").isEmpty());
        EXPECT_NEAR(item->wbRect().left(), 0.9, 1e-6);  // the stored place stays
    }
    // A resize of the whiteboard keeps the tile's relative place.
    item->updateWbUserVideoRectF(QRectF(0.5, 0.5, 0.25, 0.25));
    QWidget* wbw = RoomWhiteboardWidget();
    wbw->resize(800, 600);
    EXPECT_EQ(item->geometry(), QRect(400, 120 + 300, 200, 150));
    wbw->resize(1000, 640);
}

TEST_F(UserVideoList, MarksOverTheTile)
{
    RoomWindow w;
    w.top.show();
    w.addUser("a", false, 0, QString::fromUtf8("一个很长很长很长很长的学生名字"));
    w.addUser("b", true, 0, "Bo");
    w.addUser("t", true, 1, "Teacher");
    w.cmd(RsC_User_Praised, {{"userId", "a"}});
    w.cmd(RsC_User_Praised, {{"userId", "a"}});
    w.cmd(RsC_User_PraiseCount, {{"userId", "b"}, {"count", qint64(7)}});
    QCoreApplication::processEvents();
    UserItem* a = w.list->findUserItem("a");
    VideoNoCam* noCam = a->overlay()->placeholder();
    ASSERT_TRUE(noCam->isVisible());
    EXPECT_EQ(noCam->geometry(), a->rect());
    const QImage shot = a->grab().toImage();
    shelltest::Screenshot(&w.top, "user_video_marks.png");
    shelltest::Screenshot(a, "user_video_nocam_tile.png");
    // Camera off: the no-camera picture 18 pixels up and left of the centre.
    const QImage noCamImage(":/video/res/video/nocambk.png");
    EXPECT_EQ(shot.pixelColor(80 - 18 + 18, 60 - 18 + 18).rgb(), noCamImage.pixelColor(18, 18).rgb());
    EXPECT_TRUE(noCam->shownName().endsWith(QChar(0x2026)));  // elided at the right
    EXPECT_EQ(noCam->shownPraise(), "2");
    EXPECT_EQ(w.list->findUserItem("b")->overlay()->placeholder()->shownPraise(), "7");
    // Camera on: no no-camera picture in the middle.
    const QImage on = w.list->findUserItem("b")->grab().toImage();
    EXPECT_NE(on.pixelColor(80, 60).rgb(), noCamImage.pixelColor(18, 18).rgb());
    // A teacher's tile offers no praise and counts none.
    EXPECT_TRUE(w.list->findUserItem("t")->overlay()->placeholder()->shownPraise().isEmpty());
}

TEST_F(UserVideoList, RoomCommandsWithBadValuesChangeNoTile)
{
    RoomWindow w;
    w.top.show();
    w.addUser("a", false);  // camera off: the tile shows the praise count
    UserItem* a = w.list->findUserItem("a");

    // A video state without a user makes no tile for "".
    w.cmd(RsC_UserVideo_State, {{"cam", true}, {"mic", true}, {"type", 0}, {"userName", "Nobody"}});
    EXPECT_EQ(w.list->barItems().size(), 1);
    EXPECT_EQ(w.list->findUserItem(""), nullptr);

    // The room's praise count is 64 bits wide and shown whole.
    const qint64 big = 5000000000LL;
    w.cmd(RsC_User_PraiseCount, {{"userId", "a"}, {"count", big}});
    UserInfo rec("a");
    ASSERT_TRUE(CData::instance()->GetUser("a", rec));
    EXPECT_EQ(rec.count, big);
    a->grab();  // the marks are drawn with the tile
    EXPECT_EQ(a->overlay()->placeholder()->shownPraise(), "5000000000");

    // Whiteboard places that are no fractions of the whiteboard are refused.
    const QRect before = a->geometry();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QList<QVariant> bad = {QRectF(nan, 0.1, 0.2, 0.2), QRectF(0.1, 0.1, 1e300, 0.2),
                                 QRectF(-0.5, 0.1, 0.2, 0.2), QRectF(0.1, 0.1, 0, 0), QString("0.1,0.1,0.2,0.2"),
                                 QVariant()};
    for (const QVariant& rtpos : bad) {
        w.cmd(RsC_UserVideo_WbPos, {{"userid", "a"}, {"rtpos", rtpos}});
        EXPECT_EQ(a->mode(), UserItem::kModeBar) << rtpos.toString().toStdString();
        EXPECT_EQ(a->geometry(), before);
    }
    w.cmd(RsC_UserVideo_WbPos, {{"userid", "a"}, {"rtpos", QRectF(0.5, 0.5, 0.25, 0.25)}});
    EXPECT_EQ(a->mode(), UserItem::kModeWhiteboard);
}
