// The countdown tool: the step buttons and their limits, a start through the
// client library answered by the room's countdown command (134), the ticks
// of the session's one-second timer, the end, stops (accepted, refused, by
// the room, on leaving the room), the start guard, and the student badge
// signals.
#include "tests/interaction/tst_palette_room.h"

#include "interaction/CountdownWidget.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

using namespace toolroom;

namespace {

class CountdownTest : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        CData::instance()->StopTimer();  // the test gives the ticks
        room.resize(1000, 700);
        tool = new CountdownWidget(&room);
        // The room's countdown command reaches the tool as the main window
        // passes it on.
        route = QObject::connect(Room::instance(), &Room::sgClientLibCmd, tool, [this](int code, QVariant v) {
            if (code == RsC_Countdown)
                tool->StartCountdown(v.toMap().value("start").toBool(), v.toMap().value("totalTs").toInt());
        });
    }
    void TearDown() override
    {
        QObject::disconnect(route);
        delete tool;
        ToolTest::TearDown();
    }
    QPushButton* Button(const char* name) { return tool->findChild<QPushButton*>(name); }
    QString Time() const
    {
        return tool->findChild<QLabel*>("labMin")->text() + ":" + tool->findChild<QLabel*>("labSec")->text();
    }
    QString StartText() { return Button("btnStart")->text(); }
    bool StepsShown()
    {
        for (const char* b : {"btnUpMin10", "btnUpMin", "btnUpSec10", "btnUpSec", "btnDownMin10", "btnDownMin",
                              "btnDownSec10", "btnDownSec"})
            if (Button(b)->isHidden())
                return false;
        return true;
    }
    void Tick() { emit CData::instance()->sgTimerUpdate(++tick); }
    // Waits for the room's echo of the teacher's own start or stop.
    bool WaitRunning(int remaining)
    {
        return testsupport::waitUntil([&] { return tool->Seconds() == remaining && tool->isVisible(); });
    }

    QWidget room;
    CountdownWidget* tool = nullptr;
    QMetaObject::Connection route;
    int tick = 0;
};

TEST_F(CountdownTest, StepButtonsCarryAndStayWithinTheLimits)
{
    const struct {
        int from;
        const char* button;
        const char* shows;
    } cases[] = {
        {95 * 60, "btnUpMin10", "99:00"},  {99 * 60, "btnUpSec", "99:00"},  {98 * 60 + 30, "btnUpMin", "99:00"},
        {5, "btnDownSec10", "00:00"},      {55, "btnUpSec10", "01:05"},     {65, "btnDownSec10", "00:55"},
        {0, "btnDownMin", "00:00"},        {300, "btnDownMin10", "00:00"},  {0, "btnUpSec", "00:01"},
        {59, "btnUpSec", "01:00"},         {60, "btnDownSec", "00:59"},     {900, "btnDownMin", "14:00"},
    };
    for (const auto& c : cases) {
        tool->ShowTime(c.from);
        Button(c.button)->click();
        EXPECT_EQ(Time(), c.shows) << c.from << " " << c.button;
    }
    EXPECT_TRUE(ClientLibTestControl::Calls(Lib()).isEmpty());
}

TEST_F(CountdownTest, StartRunsOnTheRoomsCommandAndEnds)
{
    tool->show();
    EXPECT_EQ(Time(), "05:00");
    EXPECT_EQ(tool->size(), QSize(261, 250));
    Screenshot(tool, "countdown_stopped.png");
    tool->ShowTime(3);
    Button("btnStart")->click();
    EXPECT_EQ(CallsNamed("SetCountdown"), (QList<QVariantList>{{3, true}}));
    // Running at once, the labels unchanged until the command and a tick.
    EXPECT_EQ(StartText(), U("停止计时"));
    EXPECT_FALSE(StepsShown());
    EXPECT_EQ(Time(), "00:03");
    EXPECT_FALSE(Button("btnStart")->isEnabled()) << "guarded for a moment after a start";
    EXPECT_TRUE(testsupport::waitUntil([&] { return Button("btnStart")->isEnabled(); }, 5000));

    ASSERT_TRUE(WaitRunning(3));
    EXPECT_EQ(Time(), "00:03");
    Tick();
    EXPECT_EQ(Time(), "00:02");
    Screenshot(tool, "countdown_running.png");
    Tick();
    Tick();
    EXPECT_EQ(Time(), "00:00");
    EXPECT_EQ(StartText(), U("计时已结束"));
    EXPECT_FALSE(StepsShown());
    EXPECT_EQ(tool->Seconds(), 0);
    Screenshot(tool, "countdown_ended.png");
    Tick();
    EXPECT_EQ(Time(), "00:00") << "no tick after the end";

    // Back to the preset without a library call.
    ClientLibTestControl::ClearCalls(Lib());
    Button("btnStart")->click();
    EXPECT_EQ(Time(), "05:00");
    EXPECT_EQ(StartText(), U("开始计时"));
    EXPECT_TRUE(StepsShown());
    EXPECT_EQ(tool->Seconds(), -1);
    EXPECT_TRUE(ClientLibTestControl::Calls(Lib()).isEmpty());
    EXPECT_TRUE(Button("btnStart")->isEnabled());
}

TEST_F(CountdownTest, StopThroughTheLibraryAndByTheRoom)
{
    Button("btnStart")->click();  // 05:00
    ASSERT_TRUE(WaitRunning(300));
    ASSERT_TRUE(testsupport::waitUntil([&] { return Button("btnStart")->isEnabled(); }, 5000));
    Tick();
    EXPECT_EQ(Time(), "04:59");

    // A refused stop changes nothing.
    ClientLibTestControl::FailNextRequest(Lib());
    Button("btnStart")->click();
    EXPECT_EQ(tool->Seconds(), 299);
    EXPECT_EQ(StartText(), U("停止计时"));
    EXPECT_TRUE(NewToasts().isEmpty());

    QSignalSpy badgeStop(tool, &CountdownWidget::sgBadgeStop);
    Button("btnStart")->click();
    EXPECT_EQ(CallsNamed("SetCountdown").last(), (QVariantList{0, false}));
    EXPECT_EQ(tool->Seconds(), -1);
    EXPECT_EQ(Time(), "05:00");
    EXPECT_TRUE(StepsShown());
    EXPECT_TRUE(Button("btnStart")->isEnabled()) << "no guard after a stop";
    ASSERT_EQ(badgeStop.size(), 1);
    EXPECT_FALSE(badgeStop[0][0].toBool());
    Tick();
    EXPECT_EQ(Time(), "05:00") << "no longer counting";

    // The room's stop while hidden resets the tool and leaves it hidden;
    // its start shows it.
    tool->hide();
    ASSERT_TRUE(Fire(RsC_Countdown, QVariantMap{{"start", true}, {"totalTs", 90}}));
    EXPECT_TRUE(tool->isVisible());
    EXPECT_EQ(tool->Seconds(), 90);
    Button("btnClose")->click();
    EXPECT_FALSE(tool->isVisible());
    Tick();
    EXPECT_EQ(Time(), "01:29") << "closing the tool does not stop the countdown";
    ASSERT_TRUE(Fire(RsC_Countdown, QVariantMap{{"start", false}, {"totalTs", 0}}));
    EXPECT_EQ(tool->Seconds(), -1);
    EXPECT_EQ(Time(), "05:00");
    EXPECT_FALSE(tool->isVisible());
    ASSERT_TRUE(Fire(RsC_Countdown, QVariantMap{{"start", true}, {"totalTs", 60}}));
    ASSERT_TRUE(Fire(RsC_Countdown, QVariantMap{{"start", false}, {"totalTs", 0}}));
    EXPECT_TRUE(tool->isVisible()) << "a stop by the room does not hide";

    // Leaving the room: stopped and hidden, the library not told.
    ASSERT_TRUE(Fire(RsC_Countdown, QVariantMap{{"start", true}, {"totalTs", 60}}));
    ClientLibTestControl::ClearCalls(Lib());
    badgeStop.clear();
    tool->StopCountdown(true);
    EXPECT_FALSE(tool->isVisible());
    EXPECT_EQ(tool->Seconds(), -1);
    EXPECT_EQ(Time(), "05:00");
    ASSERT_EQ(badgeStop.size(), 1);
    EXPECT_TRUE(badgeStop[0][0].toBool());
    EXPECT_TRUE(CallsNamed("SetCountdown").isEmpty());
}

TEST_F(CountdownTest, NothingSetOrRefusedStart)
{
    tool->ShowTime(0);
    Button("btnStart")->click();
    EXPECT_TRUE(CallsNamed("SetCountdown").isEmpty());
    ASSERT_EQ(NewToasts().size(), 1);
    EXPECT_EQ(NewToasts()[0].text, U("请先设置时间"));
    EXPECT_EQ(NewToasts()[0].toast->parentWidget(), &room);
    EXPECT_TRUE(Button("btnStart")->isEnabled());
    ForgetToasts();

    // A refused start keeps the stopped look; the next click asks the
    // library to stop, and only an accepted stop brings back the preset.
    tool->ShowTime(42);
    ClientLibTestControl::FailNextRequest(Lib());
    Button("btnStart")->click();
    EXPECT_EQ(StartText(), U("开始计时"));
    EXPECT_TRUE(StepsShown());
    EXPECT_FALSE(Button("btnStart")->isEnabled()) << "guarded also after a refused start";
    ASSERT_TRUE(testsupport::waitUntil([&] { return Button("btnStart")->isEnabled(); }, 5000));
    Button("btnStart")->click();
    EXPECT_EQ(CallsNamed("SetCountdown"), (QList<QVariantList>{{42, true}, {0, false}}));
    EXPECT_EQ(tool->Seconds(), -1);
    EXPECT_EQ(Time(), "05:00");
    EXPECT_TRUE(NewToasts().isEmpty());
}

TEST_F(CountdownTest, StartWithoutSecondsIsTakenAsAStop)
{
    // A start of zero or negative seconds from the room would show a running
    // tool that never ticks; it stops instead, and the next click starts.
    for (int seconds : {0, -1, -3600}) {
        ASSERT_TRUE(Fire(RsC_Countdown, QVariantMap{{"start", true}, {"totalTs", 120}}));
        ASSERT_TRUE(Fire(RsC_Countdown, QVariantMap{{"start", true}, {"totalTs", seconds}}));
        EXPECT_EQ(tool->Seconds(), -1) << seconds;
        EXPECT_EQ(StartText(), U("开始计时")) << seconds;
        EXPECT_TRUE(StepsShown()) << seconds;
        EXPECT_EQ(Time(), "05:00") << seconds;
        Tick();
        EXPECT_EQ(Time(), "05:00") << seconds;
    }
    ClientLibTestControl::ClearCalls(Lib());
    Button("btnStart")->click();
    EXPECT_EQ(CallsNamed("SetCountdown"), (QList<QVariantList>{{300, true}}));
}

TEST_F(CountdownTest, StudentSideDrivesTheBadgeOnly)
{
    CData::SetStudentSideForTests(true);
    QSignalSpy badge(tool, &CountdownWidget::sgBadgeStart);
    tool->StartCountdown(true, 30);
    tool->StartCountdown(false, 0);
    ASSERT_EQ(badge.size(), 2);
    EXPECT_EQ(badge[0], (QList<QVariant>{true, 30}));
    EXPECT_EQ(badge[1], (QList<QVariant>{false, 0}));
    EXPECT_FALSE(tool->isVisible());
    EXPECT_EQ(tool->Seconds(), -1);
}

}  // namespace
