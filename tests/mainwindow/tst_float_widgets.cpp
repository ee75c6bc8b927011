// The floating pills over the room: the voice pill stays inside the
// whiteboard's rectangle while dragged and goes back to its corner when the
// whiteboard is resized; the button and desktop pills stay centred on their
// parent's top and report their clicks.
#include "mainwindow/popups/AudioFloatWidget.h"
#include "mainwindow/popups/ButtonFloatWidget.h"
#include "mainwindow/popups/DeskFloatWidget.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Presses the pill and drags it by (dx, dy) in one move.
void Drag(QWidget* w, QPoint delta)
{
    const QPoint local(20, 20);
    const QPoint global = w->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent move(QEvent::MouseMove, local + delta, global + delta, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local + delta, global + delta, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

}  // namespace

TEST(AudioFloatWidget, DraggingStopsAtEveryEdgeOfTheWhiteboard)
{
    QWidget room;
    room.resize(1000, 700);
    QWidget board(&room);
    board.setGeometry(100, 50, 800, 450);  // board rectangle: x 100..900, y 50..500
    board.setStyleSheet("background: #eaeaea;");
    room.show();
    AudioFloatWidget pill(&room, &board);
    pill.show();
    EXPECT_EQ(pill.size(), QSize(125, 40));
    EXPECT_EQ(pill.BoardRect(), QRect(100, 50, 800, 450));
    EXPECT_EQ(pill.pos(), QPoint(900 - 150, 500 - 50));

    struct Case {
        QPoint delta;
        QPoint expected;
    };
    const Case cases[] = {
        {{2000, 0}, {900 - 125, 450}},   // right side on the right edge
        {{0, 900}, {775, 500 - 40}},     // bottom side on the bottom edge
        {{-3000, 0}, {100, 460}},        // left edge
        {{0, -3000}, {100, 50}},         // top edge
        {{30, 40}, {130, 90}},           // inside: moves freely
    };
    for (const Case& c : cases) {
        Drag(&pill, c.delta);
        EXPECT_EQ(pill.pos(), c.expected) << c.delta.x() << "," << c.delta.y();
        EXPECT_TRUE(pill.BoardRect().contains(pill.geometry()));
    }
    EXPECT_DOUBLE_EQ(pill.RelativeX(), 30.0 / 800);
    EXPECT_DOUBLE_EQ(pill.RelativeY(), 40.0 / 450);
    shelltest::Screenshot(&room, "audio_float_on_whiteboard.png");

    // A resize of the whiteboard puts it back near the corner, whatever the
    // teacher dragged.
    board.resize(600, 300);
    EXPECT_EQ(pill.pos(), QPoint(700 - 150, 350 - 50));
}

TEST(AudioFloatWidget, WithoutWhiteboardItHasNoRectangle)
{
    QWidget room;
    AudioFloatWidget pill(&room, nullptr);  // no room whiteboard in this test
    EXPECT_TRUE(pill.BoardRect().isEmpty());
}

TEST(ButtonFloatWidget, CentredWithOffsetsFollowsResizesAndReportsClicks)
{
    QWidget parent;
    parent.resize(800, 600);
    parent.show();
    ButtonFloatWidget pill(&parent);
    pill.SetText(QString::fromUtf8("直播画面预览"));
    pill.SetPos(35, -100);  // hidden: only stored
    EXPECT_FALSE(pill.isVisible());
    pill.ShowAtPos();
    EXPECT_EQ(pill.size(), QSize(160, 40));
    EXPECT_EQ(pill.pos(), QPoint(400 - 80 - 100, 35));
    parent.resize(1000, 600);
    EXPECT_EQ(pill.pos(), QPoint(500 - 80 - 100, 35));
    pill.SetPos(0, 0);
    EXPECT_EQ(pill.pos(), QPoint(420, 0));

    QSignalSpy clicks(&pill, &ButtonFloatWidget::sgClickButton);
    QTest::mouseClick(pill.findChild<QPushButton*>("pushButton"), Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    shelltest::Screenshot(&pill, "button_float.png");
}

TEST(DeskFloatWidget, CentredOnTopFollowsResizesAndReportsTheStop)
{
    QWidget parent;
    parent.resize(900, 600);
    parent.show();
    DeskFloatWidget pill(&parent);
    EXPECT_EQ(pill.pos(), QPoint(450 - 80, 0));
    parent.resize(500, 600);
    EXPECT_EQ(pill.pos(), QPoint(250 - 80, 0));
    auto* button = pill.findChild<QPushButton*>("pushButton");
    EXPECT_EQ(button->text(), QString::fromUtf8("结束分享屏幕"));
    QSignalSpy stops(&pill, &DeskFloatWidget::sgStopDeskShare);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(stops.count(), 1);
    shelltest::Screenshot(&pill, "desk_float.png");
}
