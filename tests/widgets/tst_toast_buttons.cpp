// The floating toast buttons and the visibility strip: their corners, the
// library calls they make and the hand-up count-down on the session tick.
#include "widgets/ToastButtonWidget.h"
#include "widgets/ToastHandupButton.h"
#include "widgets/ToastQuestionButton.h"
#include "app/CData.h"
#include "app/Room.h"
#include "tests/widgets/WidgetTestUtil.h"
#include "ClientLibTestControl.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}

// The room controller with its real client library (not in a room).
ClientLib* clientLib()
{
    home();
    static QWidget* board = new QWidget;  // lives as long as the room controller
    Room* room = Room::instance();
    if (!room->GetClientLib())
        room->InitLib(board);
    return room->GetClientLib();
}

QList<QVariantList> callsOf(const char* name)
{
    QList<QVariantList> out;
    for (const ClientLibCall& call : ClientLibTestControl::Calls(clientLib()))
        if (call.name == name)
            out << call.args;
    return out;
}

void tick(int n)
{
    for (int i = 0; i < n; ++i)
        emit CData::instance()->sgTimerUpdate(i);
}

void press(QWidget* w)
{
    widgettest::sendMouse(w, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    widgettest::sendMouse(w, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
}

}  // namespace

TEST(ToastButtons, StayInTheirCornersWhenTheParentResizes)
{
    QWidget board;
    board.setObjectName("board");
    board.setStyleSheet("QWidget#board { background: #F5F7F8; }");
    board.resize(640, 400);
    auto* handup = new ToastHandupButton(&board);
    auto* question = new ToastQuestionButton(&board);
    auto* strip = new ToastButtonWidget(&board);
    strip->SetText("当前视频和PPT仅本班学生可见", "允许全体可见");
    board.show();
    EXPECT_EQ(handup->size(), QSize(30, 30));
    EXPECT_EQ(question->size(), QSize(40, 40));
    EXPECT_EQ(strip->size(), QSize(300, 35));
    for (QSize size : {QSize(640, 400), QSize(1000, 700), QSize(320, 240)}) {
        board.resize(size);
        EXPECT_EQ(handup->pos(), QPoint(size.width() - 45, size.height() - 45));
        EXPECT_EQ(question->pos(), QPoint(size.width() - 55, size.height() - 90));
        EXPECT_EQ(strip->pos(), QPoint(size.width() / 2 - 150, 20));
    }
    board.resize(640, 400);
    handup->setHandupCall([](bool) { return true; });
    press(handup);
    EXPECT_EQ(question->findChild<QLabel*>()->text(), "问题");
    EXPECT_EQ(strip->findChild<QPushButton*>("pushButton")->cursor().shape(), Qt::PointingHandCursor);
    widgettest::saveScreenshot(&board, "toast-buttons.png");
}

TEST(ToastButtons, QuestionButtonAsksToFoldTheQuiz)
{
    QWidget board;
    board.resize(300, 200);
    ToastQuestionButton question(&board);
    QSignalSpy spy(&question, &ToastQuestionButton::sgControlCmd);
    press(&question);
    press(question.findChild<QLabel*>());  // the label inside passes the press on
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].toInt(), 3);
    EXPECT_EQ(spy[0][1].value<QVariant>().toInt(), 0);
}

TEST(ToastButtons, VisibilityStripForwardsItsPropertyAndHides)
{
    ClientLib* lib = clientLib();
    ASSERT_NE(lib, nullptr);
    for (bool in : {true, false}) {
        QWidget window;
        window.resize(800, 500);
        ToastButtonWidget strip(&window);
        strip.setProperty("in", in);
        strip.SetText("当前视频和PPT仅自己可见", "允许学生可见");
        window.show();
        QSignalSpy clicked(&strip, &ToastButtonWidget::sgClickButton);
        ClientLibTestControl::ClearCalls(lib);
        QTest::mouseClick(strip.findChild<QPushButton*>("pushButton"), Qt::LeftButton);
        EXPECT_EQ(callsOf("SetDualVisible"), (QList<QVariantList>{{in, true}}));
        EXPECT_FALSE(strip.isVisible());
        EXPECT_EQ(clicked.count(), 1);
    }
}

// The library is not in a room here, so it refuses the hand: nothing changes.
TEST(ToastHandupButton, RefusedPressLeavesTheHandDown)
{
    ClientLib* lib = clientLib();
    ASSERT_NE(lib, nullptr);
    QWidget board;
    board.resize(300, 200);
    ToastHandupButton handup(&board);
    ClientLibTestControl::ClearCalls(lib);
    press(&handup);
    EXPECT_EQ(callsOf("SetHandup"), (QList<QVariantList>{{true}}));
    EXPECT_FALSE(handup.isRaised());
    EXPECT_TRUE(handup.styleSheet().isEmpty());
    // Lowering a lowered hand does nothing at all.
    handup.setHandupState(false);
    EXPECT_TRUE(handup.styleSheet().isEmpty());
    EXPECT_FALSE(QObject::disconnect(CData::instance(), &CData::sgTimerUpdate, &handup,
                                     &ToastHandupButton::onTimerUpdate));
}

TEST(ToastHandupButton, RaisedHandComesDownOnTheSixteenthTick)
{
    QWidget board;
    board.resize(300, 200);
    ToastHandupButton handup(&board);
    QList<bool> calls;
    bool accept = true;
    handup.setHandupCall([&](bool raised) {
        calls << raised;
        return accept;
    });
    press(&handup);
    ASSERT_TRUE(handup.isRaised());
    EXPECT_TRUE(handup.styleSheet().contains("handup.png"));
    EXPECT_EQ(handup.countDown(), 15);
    // Raising again keeps a single tick connection.
    handup.setHandupState(true);
    tick(15);
    EXPECT_TRUE(handup.isRaised());
    EXPECT_EQ(calls, QList<bool>{true});
    tick(1);
    EXPECT_FALSE(handup.isRaised());
    EXPECT_TRUE(handup.styleSheet().contains("handup2.png"));
    EXPECT_EQ(calls, (QList<bool>{true, false}));
    tick(5);
    EXPECT_EQ(calls.size(), 2) << "a lowered hand ignores the tick";

    // A second press lowers it at once.
    press(&handup);
    press(&handup);
    EXPECT_FALSE(handup.isRaised());
    EXPECT_EQ(calls, (QList<bool>{true, false, true, false}));

    // A refused automatic lowering is tried again on every tick.
    press(&handup);
    accept = false;
    tick(16);
    EXPECT_TRUE(handup.isRaised());
    tick(3);
    EXPECT_TRUE(handup.isRaised());
    EXPECT_EQ(calls.mid(5), (QList<bool>{false, false, false, false}));
    accept = true;
    tick(1);
    EXPECT_FALSE(handup.isRaised());
}
