// The teacher's quiz statistics: result payloads to rows, bars, counts and
// the correct rate; folding, stopping through the client library, the
// clock; and a question published from the set-up panel followed through
// the room's answers to its stop.
#include "app/CSettings.h"
#include "interaction/QuestionResultWidget.h"
#include "interaction/QuestionWidget.h"
#include "tests/interaction/NoticeQuizRoom.h"
#include "widgets/QRoundProgressBar.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

using namespace nqroom;

namespace {

QVariantMap Item(int index, int count, bool right, const QString& percent)
{
    return {{"index", index}, {"count", count}, {"isResult", right ? 1 : 0}, {"percent", percent}};
}

QVariantMap Result(int type, const QVariantList& items, const QString& total = "12", const QString& rate = "66.70",
                   int totalTs = 30, int showNum = 1)
{
    return {{"id", qint64(77)},    {"type", type},          {"totalTs", totalTs},  {"showNum", showNum},
            {"rightPercent", rate}, {"totalResult", total}, {"listItem", items}};
}

class QuizStats : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TheWorld().ok);
        ClientLibTestControl::ClearCalls(Lib());
        panel = std::make_unique<QuestionResultWidget>(&parent);
    }
    void TearDown() override { CData::SetStudentSideForTests(false); }
    template <typename T>
    T* child(const QString& name)
    {
        T* w = panel->findChild<T*>(name);
        EXPECT_TRUE(w) << name.toStdString();
        return w;
    }
    QProgressBar* bar(int n) { return child<QProgressBar>(QString("proBar%1").arg(n)); }
    QPushButton* mark(int n) { return child<QPushButton>(QString("btnOpt%1").arg(n)); }
    QString text(const QString& name) { return child<QLabel>(name)->text(); }
    QList<int> shownRows()
    {
        QList<int> rows;
        for (int n = 1; n <= 6; ++n)
            if (!child<QWidget>(QString("wdgOpt%1").arg(n))->isHidden())
                rows << n;
        return rows;
    }
    QList<int> orangeBars()
    {
        QList<int> out;
        for (int n = 1; n <= 6; ++n)
            if (bar(n)->property("status").toInt() == 1)
                out << n;
        return out;
    }
    void tick(int times)
    {
        for (int i = 0; i < times; ++i)
            panel->onTimerUpdate(i);
    }

    QWidget parent;
    std::unique_ptr<QuestionResultWidget> panel;
};

TEST_F(QuizStats, ShareSetsTheBar)
{
    struct Case {
        const char* percent;
        int bar;
    };
    const Case cases[] = {{"0", 0},     {"0.00", 0},  {"0.000001", 0}, {"3.5", 10}, {"42.9", 42},
                          {"100", 100}, {"abc", 0},   {"-5", 0},       {"150", 100},
                          // past int's range or not a number at all
                          {"1e300", 100}, {"-1e300", 0}, {"inf", 0}, {"-inf", 0}, {"nan", 0}};
    for (const Case& c : cases) {
        panel->SetQuestionResult(Result(3, {Item(1, 1, true, c.percent), Item(2, 0, false, "0")}));
        EXPECT_EQ(bar(1)->value(), c.bar) << c.percent;
        EXPECT_EQ(text("labPro1"), QString("(%1%)").arg(c.percent)) << c.percent;
    }
}

TEST_F(QuizStats, ResultSetsBecomeRows)
{
    struct Case {
        const char* name;
        int type;
        QVariantList items;
        QList<int> rows, right;
        QStringList labels;
    };
    const Case cases[] = {
        {"ThreeLettersTwoRight", 3,
         {Item(1, 2, false, "16.7"), Item(2, 5, true, "41.7"), Item(3, 5, true, "41.7")}, {1, 2, 3}, {2, 3},
         {"A", "B", "C"}},
        {"TrueFalse", 0, {Item(1, 9, true, "75.00"), Item(2, 3, false, "25.00")}, {1, 2}, {1}, {U("对"), U("错")}},
        {"SixNumbers", 4,
         {Item(1, 1, false, "10"), Item(2, 1, false, "10"), Item(3, 1, false, "10"), Item(4, 1, false, "10"),
          Item(5, 1, false, "10"), Item(6, 7, true, "50")},
         {1, 2, 3, 4, 5, 6}, {6}, {"1", "2", "3", "4", "5", "6"}},
        {"OutOfRangeEntrySkipped", 2, {Item(1, 1, true, "50"), Item(9, 1, false, "50")}, {1, 2}, {1},
         {U("懂"), U("不懂")}},
    };
    for (const Case& c : cases) {
        panel->ResetData(true);
        panel->SetQuestionResult(Result(c.type, c.items));
        EXPECT_TRUE(panel->isVisible()) << c.name;
        EXPECT_TRUE(panel->IsQuestionStarted()) << c.name;
        EXPECT_EQ(shownRows(), c.rows) << c.name;
        EXPECT_EQ(orangeBars(), c.right) << c.name;
        QList<int> checked;
        QStringList labels;
        for (int n : c.rows) {
            labels << mark(n)->text();
            if (mark(n)->isChecked())
                checked << n;
            EXPECT_FALSE(mark(n)->isEnabled());
        }
        EXPECT_EQ(checked, c.right) << c.name;
        EXPECT_EQ(labels, c.labels) << c.name;
        EXPECT_EQ(text("labTotal"), U("12人已回答"));
        EXPECT_EQ(text("labPercent"), "66.70%");
        EXPECT_DOUBLE_EQ(panel->findChild<QRoundProgressBar*>()->value(), 66.7);
        tick(1);  // the clock goes on from the room's time
        EXPECT_EQ(text("labTime"), "00:00:31");
    }
    panel->ResetData(true);
    panel->SetQuestionResult(Result(3, {Item(1, 2, false, "16.7"), Item(2, 5, true, "41.7"), Item(3, 5, true, "41.7")}));
    EXPECT_EQ(text("labNum2"), U("5人"));
    EXPECT_EQ(text("labPro2"), "(41.7%)");
    Screenshot(panel.get(), "quiz_stats_three_letters.png");
}

TEST_F(QuizStats, ResultWithoutItemsChangesNothing)
{
    panel->SetQuestionResult(Result(3, {}));
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(panel->IsQuestionStarted());
    EXPECT_TRUE(panel->Result().isEmpty());
    panel->SetQuestionResult(QVariant("garbage"));
    EXPECT_FALSE(panel->IsQuestionStarted());
}

TEST_F(QuizStats, TeacherAlwaysSeesTheCounts)
{
    panel->SetQuestionResult(Result(0, {Item(1, 1, true, "50"), Item(2, 1, false, "50")}, "2", "50.00", 3, 0));
    EXPECT_TRUE(child<QLabel>("labNum1")->isVisible());
    EXPECT_TRUE(child<QLabel>("labTotal")->isVisible());
}

TEST_F(QuizStats, FoldedPanelUpdatesQuietlyUntilTheQuestionChanges)
{
    QSignalSpy spy(panel.get(), &QuestionResultWidget::sgControlCmd);
    panel->InitQuestion(3, 3, QVariantList{2}, true);
    tick(5);
    child<QPushButton>("btnClose")->click();
    EXPECT_TRUE(panel->isHidden());
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toInt(), 3);
    EXPECT_EQ(spy[0][1].value<QVariant>().toInt(), 1);
    EXPECT_TRUE(panel->IsQuestionStarted());
    tick(2);  // the clock runs while folded
    EXPECT_EQ(text("labTime"), "00:00:07");
    // Same type and count: labels and bars change, nothing shows.
    panel->SetQuestionResult(Result(3, {Item(1, 1, false, "20"), Item(2, 4, true, "80"), Item(3, 0, false, "0")}, "5",
                                    "80.00", 500));
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(text("labNum2"), U("4人"));
    EXPECT_EQ(bar(2)->value(), 80);
    EXPECT_EQ(text("labTotal"), U("5人已回答"));
    tick(1);
    EXPECT_EQ(text("labTime"), "00:00:08");
    // Another option count: shown again, the clock takes the room's time.
    panel->SetQuestionResult(Result(3, {Item(1, 1, false, "25"), Item(2, 3, true, "75"), Item(3, 0, false, "0"),
                                        Item(4, 0, false, "0")},
                                    "4", "75.00", 500));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(shownRows(), (QList<int>{1, 2, 3, 4}));
    tick(1);
    EXPECT_EQ(text("labTime"), "00:08:21");
}

TEST_F(QuizStats, ClockShowsHoursModuloAHundredAndStopsOnReset)
{
    panel->InitQuestion(0, 2, QVariantList{1}, true);
    struct Case {
        int ticks;
        const char* time;
    };
    for (const Case& c : {Case{1, "00:00:01"}, Case{3599, "01:00:00"}}) {
        tick(c.ticks);
        EXPECT_EQ(text("labTime"), c.time);
    }
    panel->SetQuestionResult(Result(0, {Item(1, 1, true, "100"), Item(2, 0, false, "0")}, "1", "100", 360000 - 1));
    tick(1);
    EXPECT_EQ(text("labTime"), "00:00:00");  // 100 hours
    tick(61);
    EXPECT_EQ(text("labTime"), "00:01:01");
    panel->ResetData(true);
    tick(5);
    EXPECT_EQ(text("labTime"), "00:00:00");
    EXPECT_TRUE(orangeBars().isEmpty());
}

TEST_F(QuizStats, StudentSideShowsOnlyItsOwnQuestionAndCloses)
{
    CData::SetStudentSideForTests(true);
    QuestionResultWidget student(&parent);
    EXPECT_EQ(student.findChild<QPushButton*>("btnStop")->text(), U("关闭"));
    CSettings::instance()->SetValue("App/MyQuestionId", QString("12"));
    student.SetQuestionResult(Result(0, {Item(1, 1, true, "100"), Item(2, 0, false, "0")}, "1", "100", 3, 0));
    EXPECT_TRUE(student.isHidden());
    CSettings::instance()->SetValue("App/MyQuestionId", QString("1277"));
    student.SetQuestionResult(Result(0, {Item(1, 1, true, "100"), Item(2, 0, false, "0")}, "1", "100", 3, 0));
    EXPECT_TRUE(student.isVisible());
    EXPECT_TRUE(student.findChild<QLabel*>("labTotal")->isHidden());
    QSignalSpy spy(&student, &QuestionResultWidget::sgControlCmd);
    student.findChild<QPushButton*>("btnStop")->click();
    EXPECT_TRUE(student.isHidden());
    EXPECT_TRUE(student.IsFolded());
    EXPECT_EQ(spy.size(), 1);
    EXPECT_TRUE(CallsNamed("StopQuestion").isEmpty());
    CSettings::instance()->SetValue("App/MyQuestionId", QString());
}

TEST_F(QuizStats, RefusedStopChangesNothing)
{
    QSignalSpy spy(panel.get(), &QuestionResultWidget::sgControlCmd);
    panel->InitQuestion(0, 2, QVariantList{1}, true);
    child<QPushButton>("btnStop")->click();  // the room runs no question
    EXPECT_EQ(CallsNamed("StopQuestion").size(), 1);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->IsQuestionStarted());
    EXPECT_TRUE(spy.isEmpty());
}

// Published from the set-up panel, answered by the room's two students,
// stopped from the statistics: as the room window wires the three.
TEST_F(QuizStats, PublishedQuestionIsFollowedUntilItsStop)
{
    QuestionWidget setup(&parent);
    QObject::connect(&setup, &QuestionWidget::sgControlCmd, panel.get(), [this](int cmd, const QVariant& var) {
        const QVariantMap m = var.toMap();
        if (cmd == 2)
            panel->InitQuestion(m.value("type").toInt(), m.value("num").toInt(), m.value("listRes"),
                                m.value("showNum").toBool());
    });
    QObject::connect(Room::instance(), &Room::sgClientLibCmd, panel.get(), [this](int code, const QVariant& var) {
        if (code == RsC_Question_Result)
            panel->SetQuestionResult(var);
        else if (code == RsC_Question_Stop)
            panel->ResetData(true);
    });
    setup.show();
    setup.findChild<QPushButton*>("btnC")->click();
    setup.findChild<QPushButton*>("btnRes1")->click();
    setup.findChild<QPushButton*>("btnStart")->click();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(shownRows(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(orangeBars(), QList<int>{1});
    ASSERT_TRUE(testsupport::waitUntil([&] { return text("labTotal") == U("2人已回答"); }));
    EXPECT_EQ(text("labNum1"), U("1人"));
    EXPECT_EQ(text("labNum2"), U("1人"));
    EXPECT_EQ(text("labPro1"), "(50.00%)");
    EXPECT_EQ(text("labPercent"), "50.00%");
    EXPECT_EQ(bar(1)->value(), 50);
    EXPECT_EQ(bar(3)->value(), 0);
    Screenshot(panel.get(), "quiz_stats_room_answers.png");
    QSignalSpy spy(panel.get(), &QuestionResultWidget::sgControlCmd);
    child<QPushButton>("btnStop")->click();
    ASSERT_EQ(CallsNamed("StopQuestion").size(), 1);
    EXPECT_EQ(CallsNamed("StopQuestion")[0].args, QVariantList{QVariant(0)});
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(panel->IsQuestionStarted());
    EXPECT_EQ(spy.size(), 1);
    EXPECT_EQ(text("labTime"), "00:00:00");
    // The room's stop (with its last result) leaves the panel idle and hidden.
    ASSERT_TRUE(testsupport::waitUntil([&] {
        for (const auto& c : TheWorld().commands)
            if (c.first == RsC_Question_Stop)
                return true;
        return false;
    }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(panel->IsQuestionStarted());
}

}  // namespace
