// The room's display widget: its place by layout and play state as
// fractions of the whiteboard area, corner resizing (never below 160 x 120,
// always 4:3), moving kept inside the area, and the name label.
#include "app/CData.h"
#include "mainwindow/room/BigVideoCtrl.h"
#include "tests/mainwindow/RoomVideoSupport.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace roomvideo;

namespace {

class BigVideo : public ::testing::Test {
protected:
    void SetUp() override
    {
        shelltest::UseProgramStyle();
        shelltest::SetSession(false);
        CData::instance()->SetLayout(1);
        w = std::make_unique<RoomWindow>();
        w->top.show();
        video = new BigVideoCtrl(&w->top);
        video->show();
    }
    void TearDown() override
    {
        delete video;
        w.reset();
        CData::instance()->SetLayout(1);
    }
    void mouse(QEvent::Type type, const QPoint& inWidget, Qt::MouseButtons held)
    {
        const QPoint global = video->mapToGlobal(inWidget);
        QMouseEvent e(type, inWidget, global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(video, &e);
    }
    std::unique_ptr<RoomWindow> w;
    BigVideoCtrl* video = nullptr;
};

}  // namespace

TEST_F(BigVideo, PlacesByLayoutAndState)
{
    // The whiteboard area: 1000 x 640 at (0, 120).
    EXPECT_EQ(video->DisplayArea(), QRect(0, 120, 1000, 640));
    video->SetPlayState(false, 2);
    EXPECT_TRUE(video->isEnabled());
    EXPECT_EQ(video->geometry(), QRect(770, 120 + 32, 200, int(0.2666667f * 640)));
    shelltest::Screenshot(&w->top, "big_video_corner.png");
    video->SetPlayState(true, 4);
    EXPECT_FALSE(video->isEnabled());
    EXPECT_EQ(video->geometry(), QRect(0, 120, 1000, 640));
    // Following the whiteboard's size.
    RoomWhiteboardWidget()->resize(800, 600);
    EXPECT_EQ(video->geometry(), QRect(0, 120, 800, 600));
    RoomWhiteboardWidget()->resize(1000, 640);

    shelltest::SetSession(true);  // layout 2 is a live room's
    CData::instance()->SetLayout(2);
    QSignalSpy top(video, &BigVideoCtrl::sgAddDelTopVideo);
    video->SetPlayState(false, 2);
    ASSERT_EQ(top.count(), 1);
    EXPECT_TRUE(top.at(0).at(0).toBool());
    EXPECT_FALSE(video->isEnabled());
    RoomWhiteboardWidget()->resize(900, 640);
    EXPECT_EQ(video->pos(), QPoint(0, 0));
    video->SetPlayState(false, 3);
    EXPECT_FALSE(top.at(1).at(0).toBool());
    EXPECT_EQ(video->geometry(), QRect(0, 120, 900, 640));
}

TEST_F(BigVideo, CornerResizeKeepsTheMinimumAndFourToThree)
{
    video->SetPlayState(false, 2);
    const QPoint corner(video->width() - 2, video->height() - 2);
    mouse(QEvent::MouseButtonPress, corner, Qt::LeftButton);
    for (const QPoint& to : {QPoint(-150, -100), QPoint(-400, -400), QPoint(60, 10), QPoint(40, 80)}) {
        mouse(QEvent::MouseMove, corner + to, Qt::LeftButton);
        EXPECT_GE(video->width(), 160);
        EXPECT_GE(video->height(), 120);
        EXPECT_LE(std::abs(video->width() * 3 - video->height() * 4), 4) << video->width() << "x" << video->height();
    }
    mouse(QEvent::MouseButtonRelease, corner, Qt::NoButton);
    // The fractions follow the new size.
    EXPECT_NEAR(video->RelativeRect().width(), video->width() / 1000.0, 1e-4);
}

TEST_F(BigVideo, MovingStopsAtTheAreasEdges)
{
    video->SetPlayState(false, 2);
    const QPoint inside(50, 50);
    mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton);
    mouse(QEvent::MouseMove, inside + QPoint(700, 0), Qt::LeftButton);
    EXPECT_EQ(video->geometry().right() + 1, 999);  // right side at the area's right edge
    mouse(QEvent::MouseMove, inside + QPoint(-2000, -2000), Qt::LeftButton);
    EXPECT_EQ(video->pos(), QPoint(0, 120));
    mouse(QEvent::MouseButtonRelease, inside, Qt::NoButton);
    EXPECT_NEAR(video->RelativeRect().left(), 0.0, 1e-6);
}

TEST_F(BigVideo, LongNamesAreElided)
{
    video->SetPlayState(false, 2);
    video->SetUserName(QString::fromUtf8("一位名字特别特别特别特别特别特别长的老师"), true);
    const QString shown = video->NameLabel()->text();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_LE(video->NameLabel()->fontMetrics().horizontalAdvance(shown), video->width());
    EXPECT_FALSE(video->NameLabel()->isVisible());  // the teacher's build shows no name
    EXPECT_EQ(video->NameLabel()->geometry(), QRect(0, video->height() - 26, video->width(), 26));
    shelltest::Screenshot(video, "big_video_user.png");
}
