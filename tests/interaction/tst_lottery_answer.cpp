// The student's lottery panel: dormant in the teacher build; on the student
// side the invitation for a draw, joining by a click through the client
// library, the result animation and the close button.
#include "tests/interaction/tst_palette_room.h"

#include "interaction/LotteryAnswer.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace toolroom;

namespace {

class LotteryAnswerTest : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        room.resize(1000, 700);
        panel = new LotteryAnswer(&room);
        room.show();
    }
    void TearDown() override
    {
        delete panel;
        room.hide();
        ToolTest::TearDown();
    }
    QString Picture() { return panel->findChild<QLabel*>("labImage")->styleSheet(); }
    static QString Frame(const char* name)
    {
        return QString("border-image: url(:/widget/res/widget/%1.png);").arg(name);
    }
    QPushButton* Close() { return panel->findChild<QPushButton*>("btnClose"); }
    void Click() { QTest::mouseClick(panel->findChild<QLabel*>("labImage"), Qt::LeftButton); }
    // A draw running in the room, started as the teacher's client does.
    qint64 RunningDraw()
    {
        const qint64 id = QDateTime::currentMSecsSinceEpoch();
        EXPECT_TRUE(Lib()->SetLottery(1, id, true));
        return id;
    }

    QWidget room;
    LotteryAnswer* panel = nullptr;
};

TEST_F(LotteryAnswerTest, TeacherBuildNeverShowsIt)
{
    panel->ShowWidget(12);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->LotteryId(), 0);
    panel->ShowResult(true);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(LotteryAnswerTest, InvitationJoinAndResult)
{
    CData::SetStudentSideForTests(true);
    panel->ShowWidget(0);
    EXPECT_FALSE(panel->isVisible()) << "no draw";
    Click();
    EXPECT_TRUE(CallsNamed("JoinLottery").isEmpty()) << "nothing to join before the start";

    const qint64 id = RunningDraw();
    panel->ShowWidget(id);
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->size(), QSize(600, 600));
    EXPECT_EQ(panel->pos(), QPoint(199, 49)) << "centred on the room window";
    EXPECT_TRUE(Close()->isHidden());
    EXPECT_EQ(Picture(), Frame("Lottery0"));
    Screenshot(&room, "lottery_answer_invitation.png");

    // A result before joining is ignored.
    panel->ShowResult(true);
    EXPECT_FALSE(panel->Animating());
    EXPECT_TRUE(Close()->isHidden());

    // A refused join can be tried again; one accepted join is enough.
    ClientLibTestControl::FailNextRequest(Lib());
    Click();
    EXPECT_FALSE(panel->Joined());
    Click();
    EXPECT_TRUE(panel->Joined());
    Click();
    EXPECT_EQ(CallsNamed("JoinLottery"), (QList<QVariantList>{{id}, {id}}));
    EXPECT_EQ(Picture(), Frame("Lottery0")) << "joining changes nothing visible";

    // The animation: four frames, then the result; the close button shows.
    panel->ShowResult(false);
    EXPECT_TRUE(panel->Animating());
    EXPECT_FALSE(Close()->isHidden());
    for (const char* frame : {"Lottery1", "Lottery2", "Lottery3", "Lottery4"}) {
        panel->onUpdateTimer();
        EXPECT_EQ(Picture(), Frame(frame));
    }
    panel->onUpdateTimer();
    EXPECT_EQ(Picture(), Frame("LotteryFailed"));
    EXPECT_FALSE(panel->Animating());

    // A second result restarts the timer; its first step shows the result.
    panel->ShowResult(true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !panel->Animating(); }, 5000));
    EXPECT_EQ(Picture(), Frame("LotteryOk"));
    EXPECT_EQ(panel->Frame(), 4);
    Screenshot(&room, "lottery_answer_won.png");

    // Closed: hidden, nothing reset.
    Close()->click();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->LotteryId(), id);

    // A new draw starts over; the room's close resets and hides.
    const qint64 next = RunningDraw();
    panel->ShowWidget(next);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->Joined());
    EXPECT_TRUE(Close()->isHidden());
    EXPECT_EQ(Picture(), Frame("Lottery0"));
    panel->ResetData(true);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->LotteryId(), 0);
    Lib()->SetLottery(0, next, false);
}

TEST_F(LotteryAnswerTest, TheAnimationRunsOnItsOwnTimer)
{
    CData::SetStudentSideForTests(true);
    const qint64 id = RunningDraw();
    panel->ShowWidget(id);
    Click();
    ASSERT_TRUE(panel->Joined());
    panel->ShowResult(true);
    EXPECT_EQ(Picture(), Frame("Lottery0")) << "the first frame comes with the timer";
    ASSERT_TRUE(testsupport::waitUntil([&] { return !panel->Animating(); }, 10000));
    EXPECT_EQ(Picture(), Frame("LotteryOk"));
    Lib()->SetLottery(0, id, false);
}

}  // namespace
