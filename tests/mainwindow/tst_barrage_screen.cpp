// The bullet-comment overlay: rows from the clock (no modulo of an empty or
// negative range), the pool of twenty labels, dropped texts, and labels that
// come back after their flight.
#include "mainwindow/room/CBarrageScreen.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include "QtWait.h"

#include <QLabel>

#include <gtest/gtest.h>

TEST(BarrageScreen, RowComesFromTheClockWithinTheFreeRange)
{
    struct Case {
        qint64 clock;
        int screen, label, row;
    } const cases[] = {
        {1234, 600, 34, 1234 % 566},
        {566, 600, 34, 0},
        {99, 34, 34, 0},   // a screen no taller than a label: the top row
        {99, 20, 34, 0},   // smaller still: the top row, no negative modulo
        {0, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CBarrageScreen::RowFor(c.clock, c.screen, c.label), c.row) << c.screen << " " << c.label;
}

TEST(BarrageScreen, CommentsFlyFromTheRightOnTheClocksRow)
{
    QWidget screen;
    screen.resize(800, 500);
    screen.show();
    CBarrageScreen overlay(&screen);
    overlay.SetClock([] { return qint64(4321); });
    overlay.AddMessage("silent until enabled");
    EXPECT_EQ(overlay.BusyCount(), 0);
    overlay.SetEnabled(true);
    overlay.AddMessage("老师好！");
    ASSERT_EQ(overlay.BusyCount(), 1);
    QLabel* label = overlay.Busy().front();
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->text(), QString::fromUtf8("老师好！"));
    EXPECT_EQ(label->width(), label->fontMetrics().horizontalAdvance(label->text()) + 4);
    EXPECT_EQ(label->y(), CBarrageScreen::RowFor(4321, 500, label->height()));
    EXPECT_GE(label->x(), 700);  // starts at the right edge
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::red));
    shelltest::Screenshot(&screen, "barrage_screen.png");
}

TEST(BarrageScreen, PoolDropsWhatFindsNoLabelAndTakesLabelsBack)
{
    QWidget screen;
    screen.resize(800, 500);
    screen.show();
    CBarrageScreen overlay(&screen);
    overlay.SetEnabled(true);
    overlay.SetFlightMs(300);
    int tick = 0;
    overlay.SetClock([&] { return qint64(37 * tick++); });
    for (int i = 0; i < CBarrageScreen::kLabels + 1; ++i) overlay.AddMessage("comment " + std::to_string(i));
    EXPECT_EQ(overlay.BusyCount(), CBarrageScreen::kLabels);  // the 21st is dropped, not queued
    EXPECT_EQ(overlay.FreeCount(), 0);
    shelltest::Screenshot(&screen, "barrage_screen_full.png");
    ASSERT_TRUE(testsupport::waitUntil([&] { return overlay.FreeCount() == CBarrageScreen::kLabels; }));
    EXPECT_EQ(overlay.BusyCount(), 0);
    for (QLabel* l : screen.findChildren<QLabel*>()) EXPECT_FALSE(l->isVisible());
    overlay.AddMessage("again");
    EXPECT_EQ(overlay.BusyCount(), 1);
}

TEST(BarrageScreen, EmoticonsAndHiddenScreensShowNothing)
{
    QWidget screen;
    screen.resize(300, 20);  // not taller than a label
    CBarrageScreen overlay(&screen);
    overlay.SetEnabled(true);
    overlay.AddMessage("hidden screen");
    EXPECT_EQ(overlay.BusyCount(), 0);
    screen.show();
    overlay.AddMessage(std::string("look ") + CBarrageScreen::kFaceTag + "/1.png\"> here");
    EXPECT_EQ(overlay.BusyCount(), 0);
    overlay.AddMessage("a low screen");
    ASSERT_EQ(overlay.BusyCount(), 1);
    EXPECT_EQ(overlay.Busy().front()->y(), 0);
}
