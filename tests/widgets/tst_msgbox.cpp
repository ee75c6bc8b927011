// The message box: its heights, texts and every way it answers.
#include "widgets/MsgBox.h"
#include "QtWait.h"
#include "tests/widgets/WidgetTestUtil.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// The order in which a box reported: "signal:<ok>" and "callback:<ok>".
QStringList g_events;

void recordCallback(bool ok, void* userData)
{
    *static_cast<int*>(userData) += 1;
    g_events << QString("callback:%1").arg(ok);
}

QPushButton* button(MsgBox* box, const char* name)
{
    return box->findChild<QPushButton*>(name);
}

}  // namespace

TEST(MsgBox, HeightFollowsTheTextLengthAndTitleOnlyWhenGiven)
{
    const struct {
        int chars;
        QString title;
        int height;
        QString windowTitle;
    } cases[] = {
        {0, "", 193, "Form"},
        {99, "", 193, "Form"},
        {100, "提示", 253, "提示"},
        {180, "", 253, "Form"},
    };
    for (const auto& c : cases) {
        MsgBox box(nullptr, false, 0);
        EXPECT_EQ(box.size(), QSize(394, 253));
        box.SetMsgText(QString(c.chars, QChar(0x4E2D)), c.title);
        EXPECT_EQ(box.height(), c.height) << c.chars;
        EXPECT_EQ(box.width(), 394);
        EXPECT_EQ(box.windowTitle(), c.windowTitle);
        EXPECT_TRUE(box.findChild<QLabel*>("labTitle")->text().isEmpty());
    }

    MsgBox box(nullptr, false, 0);
    EXPECT_TRUE(box.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    box.SetMsgText("您确定要退出吗?", "退出");
    box.SetButtonText(true);
    box.ShowMsg();
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.isModal());
    QLabel* msg = box.findChild<QLabel*>("labMsg");
    EXPECT_TRUE(msg->wordWrap());
    EXPECT_EQ(msg->alignment(), Qt::AlignCenter);
    EXPECT_FALSE(box.mask().isEmpty());
    widgettest::saveScreenshot(&box, "msgbox-short.png");
    box.SetMsgText(QString("课件上传失败，请检查网络后重试。").repeated(7));
    box.SetButtonText(false, "我知道了");
    widgettest::saveScreenshot(&box, "msgbox-long-ok-only.png");
    box.close();
}

TEST(MsgBox, ButtonTextsAndCancelVisibility)
{
    MsgBox box(nullptr, false, 0);
    box.SetButtonText(false, "", "");
    box.ShowMsg();
    EXPECT_EQ(button(&box, "btnOk")->text(), "确定");
    EXPECT_EQ(button(&box, "btnCancel")->text(), "取消");
    EXPECT_FALSE(button(&box, "btnCancel")->isVisible());
    EXPECT_TRUE(button(&box, "btnOk")->isVisible());
    box.SetButtonText(true, "继续", "返回");
    EXPECT_EQ(button(&box, "btnOk")->text(), "继续");
    EXPECT_EQ(button(&box, "btnCancel")->text(), "返回");
    EXPECT_TRUE(button(&box, "btnCancel")->isVisible());
    for (const char* name : {"btnOk", "btnCancel", "btnClose"})
        EXPECT_EQ(button(&box, name)->cursor().shape(), Qt::PointingHandCursor) << name;
    box.close();
}

// Each way of closing answers once: the signal first, then the callback,
// and a box made to delete itself is gone afterwards.
TEST(MsgBox, EveryCloseAnswersOnceSignalBeforeCallback)
{
    const struct {
        const char* how;
        bool answer;
    } cases[] = {
        {"btnOk", true}, {"btnCancel", false}, {"btnClose", false}, {"close()", false}, {"Escape", false},
    };
    for (const auto& c : cases) {
        g_events.clear();
        int calls = 0;
        QPointer<MsgBox> box = new MsgBox(nullptr, true, 0);
        box->SetMsgText("删除这个文件?");
        box->SetButtonText(true);
        QObject::connect(box, &MsgBox::sgCloseMsgBox, [&](bool ok, MsgBox* dlg) {
            EXPECT_EQ(dlg, box.data());
            g_events << QString("signal:%1").arg(ok);
        });
        box->ShowMsg(&recordCallback, &calls);
        if (QString(c.how) == "close()")
            box->close();
        else if (QString(c.how) == "Escape")
            QTest::keyClick(box, Qt::Key_Escape);
        else
            QTest::mouseClick(button(box, c.how), Qt::LeftButton);
        const QStringList expected{QString("signal:%1").arg(c.answer), QString("callback:%1").arg(c.answer)};
        EXPECT_EQ(g_events, expected) << c.how;
        EXPECT_EQ(calls, 1) << c.how;
        widgettest::flushDeletes();
        EXPECT_TRUE(box.isNull()) << c.how;
        delete box.data();
    }
}

TEST(MsgBox, KeptBoxAnswersFalseOnSecondCloseAndKeepsItsCallback)
{
    g_events.clear();
    int calls = 0;
    MsgBox box(nullptr, false, 0);
    QSignalSpy spy(&box, &MsgBox::sgCloseMsgBox);
    box.ShowMsg(&recordCallback, &calls);
    QTest::mouseClick(button(&box, "btnOk"), Qt::LeftButton);
    box.close();
    ASSERT_EQ(spy.count(), 2);
    EXPECT_TRUE(spy[0][0].toBool());
    EXPECT_FALSE(spy[1][0].toBool());
    EXPECT_EQ(calls, 2);
    // Shown again without a new callback: the stored one still answers.
    box.show();
    QTest::mouseClick(button(&box, "btnOk"), Qt::LeftButton);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(g_events.last(), "callback:1");
    widgettest::flushDeletes();
}

TEST(MsgBox, TimeOutAnswersFalseOnceAndDeletesTheBox)
{
    g_events.clear();
    int calls = 0;
    QPointer<MsgBox> box = new MsgBox(nullptr, true, 1);
    QSignalSpy spy(box.data(), &MsgBox::sgCloseMsgBox);
    box->SetMsgText("已保存");
    box->ShowMsg(&recordCallback, &calls);
    ASSERT_TRUE(testsupport::waitUntil([&] { return box.isNull(); }, 20000));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_FALSE(spy[0][0].toBool());
    EXPECT_EQ(g_events, QStringList{"callback:0"});
}

TEST(MsgBox, ButtonPressEndsTheTimeOut)
{
    MsgBox box(nullptr, false, 5);
    QSignalSpy spy(&box, &MsgBox::sgCloseMsgBox);
    QTimer* timer = box.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 5000);
    box.ShowMsg();
    QTest::mouseClick(button(&box, "btnOk"), Qt::LeftButton);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(spy[0][0].toBool());
    EXPECT_FALSE(timer->isActive());  // the time-out can no longer answer
    EXPECT_EQ(MsgBox(nullptr, true, 0).findChild<QTimer*>(), nullptr);
}

TEST(MsgBox, DragsOnlyByItsTopStrip)
{
    const struct {
        int pressY;
        bool maximized;
        bool moves;
    } cases[] = {{39, false, true}, {0, false, true}, {40, false, false}, {120, false, false}, {10, true, false}};
    for (const auto& c : cases) {
        MsgBox box(nullptr, false, 0);
        box.move(200, 150);
        box.ShowMsg();
        if (c.maximized)
            box.setWindowState(Qt::WindowMaximized);
        const QPoint start = box.pos();
        const QPoint g0(400, 300);
        using widgettest::sendMouse;
        sendMouse(&box, QEvent::MouseButtonPress, {100, c.pressY}, Qt::LeftButton, Qt::LeftButton, g0);
        sendMouse(&box, QEvent::MouseMove, {110, c.pressY + 5}, Qt::NoButton, Qt::LeftButton, g0 + QPoint(10, 5));
        sendMouse(&box, QEvent::MouseMove, {130, c.pressY + 5}, Qt::NoButton, Qt::LeftButton, g0 + QPoint(30, 5));
        sendMouse(&box, QEvent::MouseButtonRelease, {130, c.pressY + 5}, Qt::LeftButton, Qt::NoButton,
                  g0 + QPoint(30, 5));
        // After the release a move does nothing.
        sendMouse(&box, QEvent::MouseMove, {150, c.pressY}, Qt::NoButton, Qt::LeftButton, g0 + QPoint(50, 0));
        if (c.moves)
            EXPECT_EQ(box.pos(), start + QPoint(30, 5)) << c.pressY;
        else
            EXPECT_EQ(box.pos(), start) << c.pressY;
        box.close();
    }
}
