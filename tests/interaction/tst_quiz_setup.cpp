// The teacher's quiz set-up panel: choosing the type and the option count,
// marking the right answers, and publishing through the client library with
// control command 2 to the room window.
#include "interaction/QuestionWidget.h"
#include "tests/interaction/NoticeQuizRoom.h"

#include <QCheckBox>
#include <QDateTime>
#include <QPushButton>
#include <QSignalSpy>

using namespace nqroom;

namespace {

class QuizSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TheWorld().ok);
        ClientLibTestControl::ClearCalls(Lib());
        ClearToasts();
        panel = std::make_unique<QuestionWidget>(&parent);
    }
    void TearDown() override
    {
        ClearToasts();
        Lib()->StopQuestion(QVariant(0));  // a published question ends with the test
    }
    QPushButton* btn(const QString& name)
    {
        auto* b = panel->findChild<QPushButton*>(name);
        EXPECT_TRUE(b) << name.toStdString();
        return b;
    }
    static bool On(QPushButton* b) { return b->isCheckable() && b->isChecked(); }
    // Names of the selector buttons that are on, in form order.
    QStringList selectorsOn()
    {
        QStringList names;
        for (const char* n : {"btnOpt11", "btnOpt12", "btnOpt21", "btnOpt22", "btnOpt31", "btnOpt32", "btnA", "btnB",
                              "btnC", "btnD", "btnE", "btnF", "btn1", "btn2", "btn3", "btn4", "btn5", "btn6"})
            if (On(btn(n)))
                names << n;
        return names;
    }
    QStringList answerLabels()
    {
        QStringList labels;
        for (int n = 1; n <= 6; ++n)
            if (!btn(QString("btnRes%1").arg(n))->isHidden())
                labels << btn(QString("btnRes%1").arg(n))->text();
        return labels;
    }
    QList<int> marked()
    {
        QList<int> out;
        for (int n = 1; n <= 6; ++n)
            if (On(btn(QString("btnRes%1").arg(n))))
                out << n;
        return out;
    }
    void mark(std::initializer_list<int> answers)
    {
        for (int n : answers)
            btn(QString("btnRes%1").arg(n))->click();
    }

    QWidget parent;
    std::unique_ptr<QuestionWidget> panel;
};

TEST_F(QuizSetup, StartsOnTrueOrFalseWithTheSwitchOn)
{
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(panel->size(), QSize(404, 502));
    EXPECT_EQ(panel->Type(), 0);
    EXPECT_EQ(panel->OptionCount(), 2);
    EXPECT_EQ(selectorsOn(), (QStringList{"btnOpt11", "btnOpt12"}));
    EXPECT_EQ(answerLabels(), (QStringList{U("对"), U("错")}));
    EXPECT_TRUE(marked().isEmpty());
    EXPECT_TRUE(panel->findChild<QCheckBox*>("chkShowNum")->isChecked());
}

TEST_F(QuizSetup, SelectorChoosesTypeCountAndLabels)
{
    struct Case {
        const char* click;
        int type, count;
        QStringList on, labels;
    };
    const Case cases[] = {
        {"btnOpt22", 1, 2, {"btnOpt21", "btnOpt22"}, {U("是"), U("否")}},
        {"btnOpt31", 2, 2, {"btnOpt31", "btnOpt32"}, {U("懂"), U("不懂")}},
        {"btnC", 3, 3, {"btnA", "btnB", "btnC"}, {"A", "B", "C"}},
        {"btnA", 3, 2, {"btnA", "btnB"}, {"A", "B"}},
        {"btnF", 3, 6, {"btnA", "btnB", "btnC", "btnD", "btnE", "btnF"}, {"A", "B", "C", "D", "E", "F"}},
        {"btn1", 4, 2, {"btn1", "btn2"}, {"1", "2"}},
        {"btn5", 4, 5, {"btn1", "btn2", "btn3", "btn4", "btn5"}, {"1", "2", "3", "4", "5"}},
        {"btn5", 4, 5, {"btn1", "btn2", "btn3", "btn4", "btn5"}, {"1", "2", "3", "4", "5"}},  // again: same
        {"btnOpt12", 0, 2, {"btnOpt11", "btnOpt12"}, {U("对"), U("错")}},
    };
    for (const Case& c : cases) {
        btn(c.click)->click();
        EXPECT_EQ(panel->Type(), c.type) << c.click;
        EXPECT_EQ(panel->OptionCount(), c.count) << c.click;
        EXPECT_EQ(selectorsOn(), c.on) << c.click;
        EXPECT_EQ(answerLabels(), c.labels) << c.click;
    }
}

TEST_F(QuizSetup, MarkingAnswers)
{
    // Two options: one right answer; a marked one unmarks.
    mark({1, 2});
    EXPECT_EQ(marked(), QList<int>{2});
    mark({2});
    EXPECT_TRUE(marked().isEmpty());
    // Four options: any number.
    btn("btnD")->click();
    mark({1, 3});
    EXPECT_EQ(marked(), (QList<int>{1, 3}));
    mark({3});
    EXPECT_EQ(marked(), QList<int>{1});
    // A new type clears the marks.
    btn("btn6")->click();
    EXPECT_TRUE(marked().isEmpty());
}

TEST_F(QuizSetup, PublishesTheQuestionAndTellsTheRoomWindow)
{
    struct Case {
        const char* name;
        const char* type;
        std::initializer_list<int> answers;
        bool showNum;
        int wantType, wantNum;
        QVariantList wantList;
    };
    const Case cases[] = {
        {"TrueFalseWrong", "btnOpt11", {2}, true, 0, 2, {2}},
        {"LettersBAndD", "btnD", {4, 2}, true, 3, 4, {2, 4}},
        {"NumbersOneIsTwoOptions", "btn1", {1}, false, 4, 2, {1}},
    };
    QSignalSpy spy(panel.get(), &QuestionWidget::sgControlCmd);
    for (const Case& c : cases) {
        ClientLibTestControl::ClearCalls(Lib());
        spy.clear();
        panel->show();
        btn(c.type)->click();
        mark(c.answers);
        panel->findChild<QCheckBox*>("chkShowNum")->setChecked(c.showNum);
        if (std::string(c.name) == "LettersBAndD")
            Screenshot(panel.get(), "quiz_setup_letters.png");
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        btn("btnStart")->click();
        const qint64 after = QDateTime::currentMSecsSinceEpoch();
        const QList<ClientLibCall> calls = CallsNamed("PublishQuestion");
        ASSERT_EQ(calls.size(), 1) << c.name;
        const QVariantList& a = calls[0].args;
        EXPECT_EQ(a[0].toInt(), c.wantType) << c.name;
        EXPECT_EQ(a[1].toInt(), c.wantNum) << c.name;
        EXPECT_EQ(a[2].value<QVariant>().toList(), c.wantList) << c.name;
        EXPECT_GE(a[3].toLongLong(), before);
        EXPECT_LE(a[3].toLongLong(), after);
        EXPECT_EQ(a[4].toBool(), c.showNum) << c.name;
        ASSERT_EQ(spy.size(), 1) << c.name;
        EXPECT_EQ(spy[0][0].toInt(), 2);
        EXPECT_EQ(spy[0][1].value<QVariant>().toMap(),
                  (QVariantMap{{"type", c.wantType}, {"num", c.wantNum}, {"listRes", c.wantList}, {"showNum", c.showNum}}))
            << c.name;
        // Back to its default, hidden; the switch as the teacher left it.
        EXPECT_TRUE(panel->isHidden()) << c.name;
        EXPECT_EQ(panel->Type(), 0);
        EXPECT_EQ(panel->OptionCount(), 2);
        EXPECT_TRUE(marked().isEmpty());
        EXPECT_EQ(panel->findChild<QCheckBox*>("chkShowNum")->isChecked(), c.showNum);
        Lib()->StopQuestion(QVariant(0));
    }
}

TEST_F(QuizSetup, NothingMarkedOnlyToasts)
{
    QSignalSpy spy(panel.get(), &QuestionWidget::sgControlCmd);
    panel->show();
    btn("btnC")->click();
    btn("btnStart")->click();
    EXPECT_EQ(ToastTexts(), QStringList{U("请设置答案")});
    EXPECT_TRUE(CallsNamed("PublishQuestion").isEmpty());
    EXPECT_TRUE(spy.isEmpty());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->Type(), 3);
    EXPECT_EQ(panel->OptionCount(), 3);
}

TEST_F(QuizSetup, RefusedPublishResetsAndHidesWithoutCommand)
{
    QSignalSpy spy(panel.get(), &QuestionWidget::sgControlCmd);
    panel->show();
    btn("btnB")->click();
    mark({1});
    ClientLibTestControl::FailNextCallOf(Lib(), "PublishQuestion");
    btn("btnStart")->click();
    EXPECT_EQ(CallsNamed("PublishQuestion").size(), 1);
    EXPECT_TRUE(spy.isEmpty());
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(panel->Type(), 0);
    EXPECT_TRUE(ToastTexts().isEmpty());
}

TEST_F(QuizSetup, CloseKeepsTheChoices)
{
    panel->show();
    btn("btnE")->click();
    mark({5});
    btn("btnClose")->click();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(panel->OptionCount(), 5);
    EXPECT_EQ(marked(), QList<int>{5});
}

}  // namespace
