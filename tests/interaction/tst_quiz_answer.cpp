// The student's answer panel: questions offered by the room's start command,
// labels by type, single and multiple choice, submitting through the client
// library and the record of answered questions in the settings.
#include "app/CSettings.h"
#include "interaction/QuestionAnswer.h"
#include "tests/interaction/NoticeQuizRoom.h"

#include <QPushButton>

using namespace nqroom;

namespace {

QVariantMap Q(qint64 id, int type, int num, bool isMul)
{
    return {{"id", id}, {"type", type}, {"num", num}, {"isMul", isMul}};
}

class QuizAnswer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TheWorld().ok);
        ClientLibTestControl::ClearCalls(Lib());
        ClearToasts();
        CSettings::instance()->SetValue("App/MyQuestionId", QString());
        panel = std::make_unique<QuestionAnswer>(&parent);
    }
    void TearDown() override { ClearToasts(); }
    QPushButton* button(int n) { return panel->findChild<QPushButton*>(QString("btnRes%1").arg(n)); }
    QStringList shownLabels()
    {
        QStringList labels;
        for (int n = 1; n <= 6; ++n)
            if (!button(n)->isHidden())
                labels << button(n)->text();
        return labels;
    }
    QList<int> selected()
    {
        QList<int> out;
        for (int n = 1; n <= 6; ++n)
            if (button(n)->isCheckable() && button(n)->isChecked())
                out << n;
        return out;
    }
    QString record() { return CSettings::instance()->GetValue("App/MyQuestionId", QString()).toString(); }

    QWidget parent;
    std::unique_ptr<QuestionAnswer> panel;
};

TEST_F(QuizAnswer, OffersTheQuestionWithTheLabelsOfItsType)
{
    EXPECT_TRUE(panel->isHidden());
    struct Case {
        int type, num;
        bool isMul;
        QStringList labels;
        const char* tip;
    };
    const Case cases[] = {
        {0, 2, false, {U("对"), U("错")}, "(单选)"},
        {1, 2, true, {U("是"), U("否")}, "(多选)"},
        {2, 2, false, {U("懂"), U("不懂")}, "(单选)"},
        {3, 4, true, {"A", "B", "C", "D"}, "(多选)"},
        {4, 6, false, {"1", "2", "3", "4", "5", "6"}, "(单选)"},
        {7, 3, false, {"1", "2", "3"}, "(单选)"},  // unknown type: labels as they were
        {3, 9, false, {"A", "B", "C", "D", "E", "F"}, "(单选)"},  // more than six: all six
        {3, 0, false, {"A"}, "(单选)"},                            // none: one
    };
    qint64 id = 1000;
    for (const Case& c : cases) {
        panel->ShowWidget(Q(++id, c.type, c.num, c.isMul));
        EXPECT_TRUE(panel->isVisible()) << c.type;
        EXPECT_EQ(shownLabels(), c.labels) << c.type << " " << c.num;
        EXPECT_EQ(panel->findChild<QLabel*>("labMulTip")->text(), U(c.tip)) << c.type;
        EXPECT_EQ(panel->Question().value("id").toLongLong(), id);
    }
    EXPECT_EQ(panel->size(), QSize(405, 237));
    panel->ShowWidget(Q(++id, 3, 4, true));
    button(2)->click();
    button(4)->click();
    Screenshot(panel.get(), "quiz_answer_multiple.png");
}

TEST_F(QuizAnswer, SingleAndMultipleChoice)
{
    struct Case {
        const char* name;
        int type, num;
        bool isMul;
        QList<int> presses;
        QList<int> selected;
    };
    const Case cases[] = {
        {"MultiplePressAgainUnselects", 3, 4, true, {1, 3, 1}, {3}},
        {"MultipleKeepsOthers", 3, 6, true, {5, 2}, {2, 5}},
        {"TwoOptionsAreSingleChoice", 1, 2, true, {1, 2}, {2}},
        {"SingleMovesTheChoice", 4, 5, false, {1, 3}, {3}},
        {"SinglePressAgainUnselects", 0, 2, false, {1, 1}, {}},
    };
    qint64 id = 2000;
    for (const Case& c : cases) {
        panel->ShowWidget(Q(++id, c.type, c.num, c.isMul));
        for (int n : c.presses)
            button(n)->click();
        EXPECT_EQ(selected(), c.selected) << c.name;
    }
    // A new question clears the selection, shown or hidden.
    panel->hide();
    panel->ShowWidget(Q(++id, 3, 6, true));
    EXPECT_TRUE(selected().isEmpty());
}

TEST_F(QuizAnswer, SubmitsOnceAndRemembersTheQuestion)
{
    CData::instance()->SetLoginVar({"tok|1", "42", "1001", "S", "7", "3"});
    const qint64 id = 1765400000123;
    panel->ShowWidget(Q(id, 3, 6, true));
    button(5)->click();
    button(2)->click();
    panel->findChild<QPushButton*>("btnStart")->click();
    const QVariantList answers{2, 5};
    const QList<ClientLibCall> records = CallsNamed("SubmitAnswerRecord");
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].args, (QVariantList{3, QVariant(answers), id, "tok|1"}));
    const QList<ClientLibCall> submits = CallsNamed("SubmitAnswer");
    ASSERT_EQ(submits.size(), 1);
    EXPECT_EQ(submits[0].args, (QVariantList{3, QVariant(answers), id}));
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(record(), QString::number(id));
    // Offered again: nothing changes, also for a panel made afresh.
    panel->ShowWidget(Q(id, 0, 2, false));
    EXPECT_TRUE(panel->isHidden());
    QuestionAnswer fresh(&parent);
    fresh.ShowWidget(Q(id, 0, 2, false));
    EXPECT_TRUE(fresh.isHidden());
    EXPECT_EQ(fresh.Question().value("id").toLongLong(), 0);
}

TEST_F(QuizAnswer, NothingSelectedOnlyToasts)
{
    panel->ShowWidget(Q(3001, 0, 2, false));
    panel->findChild<QPushButton*>("btnStart")->click();
    EXPECT_EQ(ToastTexts(), QStringList{U("请选择答案")});
    EXPECT_TRUE(CallsNamed("SubmitAnswer").isEmpty());
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(QuizAnswer, RefusedSubmitKeepsThePanelAndRecordsNothing)
{
    panel->ShowWidget(Q(3002, 0, 2, false));
    button(2)->click();
    ClientLibTestControl::FailNextCallOf(Lib(), "SubmitAnswer");
    panel->findChild<QPushButton*>("btnStart")->click();
    EXPECT_EQ(CallsNamed("SubmitAnswer").size(), 1);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(selected(), QList<int>{2});
    EXPECT_TRUE(record().isEmpty());
    EXPECT_TRUE(ToastTexts().isEmpty());
}

TEST_F(QuizAnswer, ClosingRecordsNothing)
{
    panel->ShowWidget(Q(3003, 0, 2, false));
    button(1)->click();
    panel->findChild<QPushButton*>("btnClose")->click();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_TRUE(record().isEmpty());
    panel->ShowWidget(Q(3003, 0, 2, false));
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(QuizAnswer, RecordKeepsItsLaterHalfAndMatchesAcrossIds)
{
    struct Case {
        QString stored;
        QString after;
    };
    const QString s100(100, '7'), s101 = QString(50, '1') + QString(51, '2');
    const Case cases[] = {{"", "9"}, {s100, s100 + "9"}, {s101, QString(51, '2') + "9"}};
    for (const Case& c : cases) {
        CSettings::instance()->SetValue("App/MyQuestionId", c.stored);
        panel->ShowWidget(Q(9, 0, 2, false));
        button(1)->click();
        panel->findChild<QPushButton*>("btnStart")->click();
        EXPECT_EQ(record(), c.after) << c.stored.size();
    }
    // "12" followed by "34" holds "23": a question with that id counts as answered.
    CSettings::instance()->SetValue("App/MyQuestionId", QString("1234"));
    panel->ShowWidget(Q(23, 0, 2, false));
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(QuizAnswer, RoomStartAndStopCommandsReachThePanel)
{
    // Routed as the room window routes them.
    QObject::connect(Room::instance(), &Room::sgClientLibCmd, panel.get(), [this](int code, const QVariant& var) {
        if (code == RsC_Question_Start)
            panel->ShowWidget(var);
        else if (code == RsC_Question_Stop && panel->isVisible())
            panel->hide();
    });
    ClientLibTestControl::InjectCommand(Lib(), RsC_Question_Start, Q(4001, 4, 3, false));
    ASSERT_TRUE(testsupport::waitUntil([&] { return panel->isVisible(); }));
    EXPECT_EQ(shownLabels(), (QStringList{"1", "2", "3"}));
    ClientLibTestControl::InjectCommand(Lib(), RsC_Question_Stop, QVariantMap{{"id", qint64(4001)}});
    EXPECT_TRUE(testsupport::waitUntil([&] { return panel->isHidden(); }));
}

}  // namespace
