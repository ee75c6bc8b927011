// The student countdown badge: time texts, placement, the red pulsing final
// phase and its end, and stopping.
#include "mainwindow/popups/StuCountdown.h"
#include "QtWait.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QSequentialAnimationGroup>

#include <gtest/gtest.h>

namespace {

void Tick() { emit CData::instance()->sgTimerUpdate(CData::instance()->GetTick()); }

}  // namespace

TEST(StuCountdown, ShowsMinutesAndSecondsWithoutCappingMinutes)
{
    shelltest::SetSession(false);
    QWidget room;
    room.resize(800, 600);
    StuCountdown badge(&room);
    EXPECT_FALSE(badge.isVisible());
    const std::pair<int, const char*> cases[] = {{59, "00:59"}, {60, "01:00"}, {605, "10:05"}, {6000, "100:00"}};
    room.show();
    for (const auto& c : cases) {
        badge.StartCountdown(true, c.first);
        EXPECT_EQ(badge.TimeText(), QString(c.second)) << c.first;
        EXPECT_TRUE(badge.isVisible());
    }
    EXPECT_EQ(badge.pos(), QPoint(400 - 50, 165));
    Tick();
    EXPECT_EQ(badge.TimeText(), QString("99:59"));
    EXPECT_EQ(badge.property("status").toInt(), 0);
    shelltest::UseProgramStyle();
    shelltest::Screenshot(&room, "student_countdown.png");

    shelltest::SetSession(true);  // the live room places it higher and left
    badge.StartCountdown(true, 10);
    EXPECT_EQ(badge.pos(), QPoint(400 - 50 - 100, 90));

    badge.StartCountdown(true, 0);  // zero seconds: stopped and hidden at once
    EXPECT_FALSE(badge.isVisible());
    EXPECT_EQ(badge.Remaining(), -1);
    Tick();  // no longer listening
    EXPECT_EQ(badge.Remaining(), -1);
}

TEST(StuCountdown, FinalSecondsTurnRedPulseAndHideWhenThePulseEnds)
{
    QWidget room;
    room.resize(800, 600);
    room.show();
    StuCountdown badge(&room);
    badge.StartCountdown(true, 3);
    EXPECT_EQ(badge.property("status").toInt(), 0);
    Tick();  // 2 left: the final phase
    EXPECT_EQ(badge.TimeText(), QString("00:02"));
    EXPECT_EQ(badge.property("status").toInt(), 1);
    EXPECT_EQ(badge.Pulse()->state(), QAbstractAnimation::Running);
    EXPECT_EQ(badge.Pulse()->loopCount(), 7);
    shelltest::Screenshot(&room, "student_countdown_final.png");
    Tick();
    Tick();
    Tick();  // below zero: stays at 00:00
    EXPECT_EQ(badge.TimeText(), QString("00:00"));
    EXPECT_TRUE(badge.isVisible());
    // Seven pulses of a second each, then it stops itself.
    EXPECT_TRUE(testsupport::waitUntil([&] { return !badge.isVisible(); }, 30000));
    EXPECT_EQ(badge.property("status").toInt(), 0);
    EXPECT_EQ(badge.Remaining(), -1);
}
