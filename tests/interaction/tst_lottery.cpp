// The teacher's lottery: the set-up panel's input and refusals, a draw
// started through the client library among students of the demo school and
// answered by the room's result command (148), the result panel's counts and
// winner rows, the export file, and the stop of the draw with the room's
// close command (151), routed as the main window routes them.
#include "tests/interaction/tst_palette_room.h"
#include "tests/widgets/FilePromptAnswers.h"

#include "interaction/LotteryAnswer.h"
#include "interaction/LotteryResultWidget.h"
#include "interaction/LotteryWidget.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace toolroom;

namespace {

class LotteryTest : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        room.resize(1000, 700);
        setup = new LotteryWidget(&room);
        result = new LotteryResultWidget(&room);
        answer = new LotteryAnswer(&room);
        // The main window's routes of the lottery commands.
        QObject::connect(setup, &LotteryWidget::sgControlCmd, result, [this](int cmd, const QVariant& var) {
            if (cmd == 5)
                result->ShowWidget(var.toMap().value("count").toInt(), var.toMap().value("id").toLongLong());
        });
        route = QObject::connect(Room::instance(), &Room::sgClientLibCmd, result, [this](int code, QVariant v) {
            const QVariantMap m = v.toMap();
            if (code == RsC_User_Count)
                setup->SetOnlineNum(m.value("pureStu").toLongLong());
            else if (code == RsC_Lottery_Result)
                result->SetLotteryResult(m);
            else if (code == RsC_Lottery_Close) {
                if (m.value("id").toLongLong() == result->GetLotteryId())
                    result->ResetData(true);
                setup->ResetData(true);
                answer->ResetData(true);
            }
        });
    }
    void TearDown() override
    {
        QObject::disconnect(route);
        delete answer;
        delete result;
        delete setup;
        ToolTest::TearDown();
    }
    QString Text(QWidget* w, const char* label) { return w->findChild<QLabel*>(label)->text(); }
    QLineEdit* Line() { return setup->findChild<QLineEdit*>("lineNum"); }
    QListWidget* List() { return result->findChild<QListWidget*>("listWidget"); }
    QList<QLabel*> RowLabels(int row)
    {
        QWidget* w = List()->itemWidget(List()->item(row));
        return w ? w->findChildren<QLabel*>() : QList<QLabel*>();
    }
    QWidget room;
    LotteryWidget* setup = nullptr;
    LotteryResultWidget* result = nullptr;
    LotteryAnswer* answer = nullptr;
    QMetaObject::Connection route;
};

const QVariantList kTwoWinners{QVariantMap{{"userid", "30001"}, {"username", QString::fromUtf8("王小明")}},
                               QVariantMap{{"userid", "30002"}, {"username", QString::fromUtf8("李华")}}};

TEST_F(LotteryTest, NumberOfWinnersMustBeAPositiveInt)
{
    setup->show();
    for (const char* text : {"0", "", "2147483648", "9999999999"}) {
        ForgetToasts();
        Line()->setText(text);
        setup->findChild<QPushButton*>("btnOk")->click();
        ASSERT_EQ(NewToasts().size(), 1) << text;
        EXPECT_EQ(NewToasts()[0].text, U("请设置中奖人数")) << text;
        EXPECT_EQ(NewToasts()[0].toast->parentWidget(), setup) << text;
        EXPECT_TRUE(setup->isVisible()) << text;
    }
    EXPECT_TRUE(CallsNamed("SetLottery").isEmpty());

    // Only digits, at most ten.
    Line()->clear();
    QTest::keyClicks(Line(), "a1b2-c3 ");
    EXPECT_EQ(Line()->text(), "123");
    Line()->clear();
    QTest::keyClicks(Line(), "123456789012");
    EXPECT_EQ(Line()->text(), "1234567890");
}

TEST_F(LotteryTest, ARefusedStartKeepsThePanelOpen)
{
    QSignalSpy cmd(setup, &LotteryWidget::sgControlCmd);
    setup->show();
    Line()->setText("2");
    ClientLibTestControl::FailNextRequest(Lib());
    setup->findChild<QPushButton*>("btnOk")->click();
    EXPECT_EQ(CallsNamed("SetLottery").size(), 1);
    EXPECT_TRUE(setup->isVisible());
    EXPECT_TRUE(cmd.isEmpty());
    EXPECT_TRUE(NewToasts().isEmpty());
    EXPECT_EQ(result->GetLotteryId(), 0);
}

TEST_F(LotteryTest, DrawAmongTheStudentsOnlineAndStop)
{
    for (const char* id : {"30001", "30002", "30003"})
        ASSERT_TRUE(ClientLibTestControl::StudentJoin(Lib(), id));
    ASSERT_TRUE(testsupport::waitUntil([&] { return setup->OnlineNum() >= 3; }));
    setup->show();
    EXPECT_EQ(Text(setup, "labNum"), QString::number(setup->OnlineNum()));
    EXPECT_EQ(setup->size(), QSize(398, 248));
    Line()->setText("2");
    Screenshot(setup, "lottery_setup.png");

    QSignalSpy cmd(setup, &LotteryWidget::sgControlCmd);
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    setup->findChild<QPushButton*>("btnOk")->click();
    ASSERT_EQ(CallsNamed("SetLottery").size(), 1);
    const QVariantList call = CallsNamed("SetLottery")[0];
    const qint64 id = call.value(1).toLongLong();
    EXPECT_EQ(call.value(0).toInt(), 2);
    EXPECT_GE(id, before) << "the id is the start time in ms";
    EXPECT_TRUE(call.value(2).toBool());
    ASSERT_EQ(cmd.size(), 1);
    EXPECT_EQ(cmd[0][0].toInt(), 5);
    EXPECT_EQ(cmd[0][1].value<QVariant>().toMap(), (QVariantMap{{"id", id}, {"count", 2}}));
    EXPECT_FALSE(setup->isVisible());

    // The result panel opens on the draw, empty.
    EXPECT_TRUE(result->isVisible());
    EXPECT_EQ(result->GetLotteryId(), id);
    EXPECT_EQ(Text(result, "labTotal"), U("2 人"));
    EXPECT_EQ(Text(result, "labNum"), U("0 人"));
    EXPECT_EQ(List()->count(), 0);
    // Hidden by its close button, the draw goes on; the room's result for
    // the same draw fills it without showing it again.
    result->findChild<QPushButton*>("btnClose")->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return List()->count() == 2; }, 15000));
    EXPECT_FALSE(result->isVisible());
    EXPECT_EQ(Text(result, "labNum"), U("2 人"));
    for (int row = 0; row < 2; ++row) {
        const QList<QLabel*> labels = RowLabels(row);
        ASSERT_EQ(labels.size(), 2);
        EXPECT_FALSE(labels[0]->text().isEmpty());
        EXPECT_EQ(List()->item(row)->sizeHint(), QSize(List()->width(), 30));
        EXPECT_EQ(labels[0]->width(), List()->width() / 2 - 5);
    }
    result->show();
    Screenshot(result, "lottery_result.png");

    // Stop: refused, then accepted; the room's close follows.
    ClientLibTestControl::ClearCalls(Lib());
    ClientLibTestControl::FailNextRequest(Lib());
    result->findChild<QPushButton*>("btnOk")->click();
    EXPECT_EQ(result->GetLotteryId(), id);
    EXPECT_TRUE(result->isVisible());
    result->findChild<QPushButton*>("btnOk")->click();
    EXPECT_EQ(CallsNamed("SetLottery").last(), (QVariantList{0, id, false}));
    EXPECT_EQ(result->GetLotteryId(), 0);
    EXPECT_FALSE(result->isVisible());
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Text(result, "labTotal"), U("0 人"));
    EXPECT_EQ(Text(result, "labNum"), U("0 人"));
    EXPECT_TRUE(NewToasts().isEmpty());
    for (const char* sid : {"30001", "30002", "30003"})
        ClientLibTestControl::StudentLeave(Lib(), sid);
}

TEST_F(LotteryTest, ResultsReplaceTheListAndShowWhenTheDrawDiffers)
{
    result->ShowWidget(2, 77);
    result->hide();
    const QString longName = QString::fromUtf8("一个非常非常非常非常非常非常非常非常长的用户名字");
    result->SetLotteryResult(QVariantMap{
        {"id", 77},
        {"count", 3},
        {"listdata", QVariantList{QVariantMap{{"userid", "30001"}, {"username", longName}}}}});
    EXPECT_TRUE(result->isVisible()) << "another count shows the panel";
    EXPECT_EQ(Text(result, "labTotal"), U("3 人"));
    EXPECT_EQ(Text(result, "labNum"), U("1 人"));
    ASSERT_EQ(List()->count(), 1);
    QLabel* name = RowLabels(0).value(1);
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->text().endsWith(QChar(0x2026))) << name->text().toStdString();
    EXPECT_EQ(name->toolTip(), longName);
    Screenshot(result, "lottery_result_elided.png");

    // A map without "listdata" empties the list; without id and count
    // they read 0.
    result->SetLotteryResult(QVariantMap{{"id", 77}, {"count", 3}});
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Text(result, "labNum"), U("0 人"));
    result->SetLotteryResult(QVariantMap{});
    EXPECT_EQ(result->GetLotteryId(), 0);
    EXPECT_EQ(Text(result, "labTotal"), U("0 人"));

    // A close command of another draw leaves the running one; the set-up
    // and student panels are reset all the same.
    result->ShowWidget(2, 78);
    Line()->setText("5");
    setup->show();
    ASSERT_TRUE(Fire(RsC_Lottery_Close, QVariantMap{{"id", 79}}));
    EXPECT_EQ(result->GetLotteryId(), 78);
    EXPECT_TRUE(result->isVisible());
    EXPECT_FALSE(setup->isVisible());
    EXPECT_TRUE(Line()->text().isEmpty());
    ASSERT_TRUE(Fire(RsC_Lottery_Close, QVariantMap{{"id", 78}}));
    EXPECT_EQ(result->GetLotteryId(), 0);
    EXPECT_FALSE(result->isVisible());
}

TEST_F(LotteryTest, ExportWritesTheWinnersToTheChosenFile)
{
    testsupport::TempDir dir;
    widgettest::FilePromptAnswers answers;
    QPushButton* exportButton = result->findChild<QPushButton*>("btnExport");

    // No winners: no question.
    result->ShowWidget(2, 90);
    exportButton->click();
    EXPECT_TRUE(answers.asked.isEmpty());

    result->SetLotteryResult(QVariantMap{{"id", 90}, {"count", 2}, {"listdata", kTwoWinners}});
    const QString path = QString::fromStdString(dir.path()) + "/winners";
    answers.names << path;
    exportButton->click();
    ASSERT_EQ(answers.asked.size(), 1);
    EXPECT_TRUE(answers.asked[0].save);
    EXPECT_EQ(answers.asked[0].parent, result);
    EXPECT_EQ(answers.asked[0].caption, U("保存文件"));
    EXPECT_EQ(answers.asked[0].dir, QString());
    EXPECT_EQ(answers.asked[0].filter, "(*.txt)");
    QFile file(path);  // no extension added
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines, (QStringList{U("用户ID      用户名"), U("30001      王小明"), U("30002      李华")}));
    file.close();
    EXPECT_TRUE(NewToasts().isEmpty());

    // Cancelled: nothing written, nothing said.
    QFile::remove(path);
    exportButton->click();
    EXPECT_EQ(answers.asked.size(), 2);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(NewToasts().isEmpty());

    // A file that cannot be opened.
    answers.names << QString::fromStdString(dir.path()) + "/missing/winners.txt";
    exportButton->click();
    EXPECT_EQ(answers.asked.size(), 3);
    ASSERT_EQ(NewToasts().size(), 1);
    EXPECT_EQ(NewToasts()[0].text, U("文件保存失败"));
    EXPECT_EQ(NewToasts()[0].toast->parentWidget(), &room);
}

}  // namespace
