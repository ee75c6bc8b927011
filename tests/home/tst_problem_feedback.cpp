// The problem feedback dialog: the description limits, a submission that
// uploads the log archive to the local dump server and reaches the demo
// school through the home window's result handling, and a failed one that
// keeps the dialog open with a toast, as does a refused log upload.
// test-labels: e2e
// test-sources: ../app/UploadServices.cpp
#include "app/CData.h"
#include "app/CUpLoadLog.h"
#include "app/Room.h"
#include "home/ClassListWidget.h"
#include "home/ProblemFeedback.h"
#include "tests/app/UploadServices.h"
#include "tests/home/HomeTestSupport.h"
#include "tests/widgets/ToastTestSupport.h"
#include "widgets/Toast.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>

using uploadtest::Services;

namespace {

ClientLib* feedbackLib()
{
    Services::instance();  // the data folder and the dump server first
    static QWidget board;
    if (!Room::instance()->GetClientLib())
        Room::instance()->InitLib(&board);
    return Room::instance()->GetClientLib();
}

QTextEdit* editor(ProblemFeedback* f) { return f->findChild<QTextEdit*>("textEdit"); }
QPushButton* okButton(ProblemFeedback* f) { return f->findChild<QPushButton*>("btnOk"); }

QStringList toastTexts() { return widgettest::ToastTexts(); }

// The dialog with the toasts on it drawn where they lie (they are windows of
// their own).
void screenshotWithToasts(QWidget* dialog, const std::string& name)
{
    QImage shot = dialog->grab().toImage();
    QPainter p(&shot);
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<Toast*>(w) && w->isVisible())
            p.drawPixmap(dialog->mapFromGlobal(w->mapToGlobal(QPoint(0, 0))), w->grab());
    p.end();
    shot.save(QString::fromStdString(testsupport::screenshotPath(name)));
}

// Gathered first: deleting a toast deletes its labels, which are in the
// list of all widgets too.
void clearToasts()
{
    QList<QPointer<QWidget>> toasts;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<Toast*>(w))
            toasts << w;
    for (const QPointer<QWidget>& t : toasts)
        delete t.data();
}

QVariantList storedFeedback()
{
    return ClientLibTestControl::ServiceState(feedbackLib()).value("feedback").toList();
}

class ProblemFeedbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        feedbackLib();
        hometest::useProgramStyle();
        Services::instance().reset();
        Services::instance().script("/dumpupload", 200, "ok");
        CData::instance()->SetStatus(1, 1);
        home = std::make_unique<ClassListWidget>();
        // Results reach the home window as the main window hands them on.
        hometest::onHttpResult(home.get(), [this](int type, QVariant data) { home->ClassResult(type, data); });
        clearToasts();
    }
    void TearDown() override
    {
        ClientLibTestControl::SetRequestTimeout(feedbackLib(), 10000);
        ASSERT_TRUE(testsupport::waitUntil([] { return CUpLoadLog::Running() == 0; }, uploadtest::kWaitMs));
        home.reset();
        CData::instance()->SetStatus(1, 0);
    }
    ProblemFeedback* open()
    {
        auto* f = new ProblemFeedback(home.get());
        f->show();
        return f;
    }
    std::unique_ptr<ClassListWidget> home;
};

}  // namespace

TEST_F(ProblemFeedbackTest, SubmissionUploadsTheLogsAndSendsKindAndText)
{
    const int before = storedFeedback().size();
    QPointer<ProblemFeedback> f = open();
    EXPECT_EQ(f->size(), QSize(353, 441));
    EXPECT_TRUE(f->findChild<QRadioButton*>("radioButton")->isChecked());
    EXPECT_TRUE(f->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(f->windowFlags() & Qt::WindowStaysOnTopHint);

    // Nine characters are refused with a toast: nothing is uploaded or sent.
    QTest::keyClicks(editor(f), "123456789");
    okButton(f)->click();
    EXPECT_TRUE(toastTexts().contains(QString::fromUtf8("问题描述不能少于10个字符")));
    EXPECT_TRUE(f->isVisible());
    QTest::qWait(300);
    EXPECT_TRUE(hometest::callsNamed("SubmitFeedback").isEmpty());
    EXPECT_TRUE(Services::instance().seen("/dumpupload").empty());
    clearToasts();

    // Ten, a line break among them, are enough; the kind chosen is sent.
    editor(f)->setPlainText(QString::fromUtf8("画面\n卡住了，没声音"));
    ASSERT_EQ(editor(f)->toPlainText().size(), 10);
    f->findChild<QRadioButton*>("radioButton_3")->click();
    QTest::qWait(100);
    hometest::screenshot(f, "problem_feedback.png");
    okButton(f)->click();
    EXPECT_FALSE(okButton(f)->isEnabled());  // until the answer comes
    ASSERT_TRUE(testsupport::waitUntil([&] { return f.isNull(); }));  // answered: closed and gone
    const QVariantList sent = storedFeedback();
    ASSERT_EQ(sent.size(), before + 1);
    EXPECT_EQ(sent.last().toMap().value("category").toInt(), int(ProblemFeedback::kSecurity));
    EXPECT_EQ(sent.last().toMap().value("text").toString(), QString::fromUtf8("画面\n卡住了，没声音"));
    const QList<ClientLibCall> calls = hometest::callsNamed("SubmitFeedback");
    ASSERT_FALSE(calls.isEmpty());
    EXPECT_EQ(calls.last().args.value(0).type(), QVariant::Int);

    // The dump server received the log archive (forced: no crash dumps wait).
    ASSERT_TRUE(testsupport::waitUntil([] { return !Services::instance().seen("/dumpupload").empty(); },
                                       uploadtest::kWaitMs));
    const auto posts = Services::instance().seen("/dumpupload");
    ASSERT_EQ(posts.size(), 1u);
    ASSERT_EQ(posts[0].parts.size(), 1u);
    EXPECT_TRUE(QString::fromStdString(posts[0].parts[0].filename).endsWith("Log.zip"));
    EXPECT_EQ(posts[0].parts[0].content.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_TRUE(toastTexts().isEmpty());
}

TEST_F(ProblemFeedbackTest, FailedSubmissionKeepsTheDialogOpenWithAToast)
{
    ClientLibTestControl::SetRequestTimeout(feedbackLib(), 300);
    QPointer<ProblemFeedback> f = open();
    editor(f)->setPlainText(QString::fromUtf8("上课时白板无法翻页，请看看"));
    const int before = storedFeedback().size();

    ClientLibTestControl::FailNextRequest(feedbackLib(), -100);
    okButton(f)->click();
    // Both answers in: the refusal's toast, and the button back once the
    // log upload has ended too.
    ASSERT_TRUE(testsupport::waitUntil([&] { return !toastTexts().isEmpty() && okButton(f)->isEnabled(); },
                                       uploadtest::kWaitMs));
    ASSERT_FALSE(f.isNull());
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(okButton(f)->isEnabled());
    EXPECT_TRUE(toastTexts().first().startsWith(QString::fromUtf8("反馈提交失败，"))) << toastTexts().first().toStdString();
    EXPECT_TRUE(toastTexts().first().contains("code=-100"));
    EXPECT_EQ(editor(f)->toPlainText(), QString::fromUtf8("上课时白板无法翻页，请看看"));  // nothing lost
    EXPECT_EQ(storedFeedback().size(), before);
    QTest::qWait(1200);  // the toast has faded in
    screenshotWithToasts(f, "problem_feedback_failed.png");
    clearToasts();

    // Sent again: this time it goes through and the dialog closes.
    okButton(f)->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return f.isNull(); }));
    EXPECT_EQ(storedFeedback().size(), before + 1);

    // A dialog closed while its answer is awaited takes the answer with it;
    // the next dialog's answer is still its own.
    QPointer<ProblemFeedback> gone = open();
    editor(gone)->setPlainText("0123456789");
    okButton(gone)->click();
    gone->close();
    QPointer<ProblemFeedback> next = open();
    editor(next)->setPlainText("abcdefghij");
    okButton(next)->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return next.isNull(); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
}

// The dump server refuses the archive: the feedback itself went through, the
// dialog stays open and says the upload failed; "提交" again uploads the logs
// without sending the feedback twice, and closes once the server took them.
TEST_F(ProblemFeedbackTest, RefusedLogUploadKeepsTheDialogOpenAndRetriesOnlyTheUpload)
{
    Services::instance().script("/dumpupload", {{500, "full", false}, {200, "ok", false}});
    const int before = storedFeedback().size();
    QPointer<ProblemFeedback> f = open();
    editor(f)->setPlainText(QString::fromUtf8("日志上传被拒时要提示老师"));
    okButton(f)->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !toastTexts().isEmpty() && okButton(f)->isEnabled(); },
                                       uploadtest::kWaitMs));
    ASSERT_FALSE(f.isNull());
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(toastTexts(), QStringList{QString::fromUtf8("反馈已提交，日志上传失败，请重试")});
    EXPECT_EQ(Services::instance().seen("/dumpupload").size(), 1u);
    EXPECT_EQ(storedFeedback().size(), before + 1);
    QTest::qWait(1200);  // the toast has faded in
    screenshotWithToasts(f, "problem_feedback_upload_failed.png");
    clearToasts();

    const int calls = hometest::callsNamed("SubmitFeedback").size();
    okButton(f)->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return f.isNull(); }, uploadtest::kWaitMs));
    EXPECT_EQ(Services::instance().seen("/dumpupload").size(), 2u);
    EXPECT_EQ(hometest::callsNamed("SubmitFeedback").size(), calls);
    EXPECT_EQ(storedFeedback().size(), before + 1);
    EXPECT_TRUE(toastTexts().isEmpty());
}

TEST_F(ProblemFeedbackTest, DescriptionIsCutToOneHundredCharacters)
{
    const QString hundred(100, QChar('a'));
    const struct {
        const char* what;
        QString start;
        int cursor;
        QString input;
        QString expected;
        int expectedCursor;
    } cases[] = {
        {"typing in the middle of a full text", hundred, 50, "X", hundred, 50},
        {"paste into an empty editor", "", 0, QString(150, QChar('p')), QString(100, QChar('p')), 100},
        {"paste at the end keeps its head", QString(95, QChar('a')), 95, "bcdefghijk",
         QString(95, QChar('a')) + "bcdef", 100},
        {"insertion in the middle loses its tail", QString(98, QChar('a')), 10, "1234",
         QString(10, QChar('a')) + "12" + QString(88, QChar('a')), 12},
        {"markup stays plain text", QString(97, QChar('a')), 0, "<b>x</b>", "<b>" + QString(97, QChar('a')), 3},
    };
    for (const auto& c : cases) {
        ProblemFeedback* f = open();
        editor(f)->setPlainText(c.start);
        QTextCursor cursor = editor(f)->textCursor();
        cursor.setPosition(c.cursor);
        editor(f)->setTextCursor(cursor);
        editor(f)->insertPlainText(c.input);  // as typed or pasted at the cursor
        EXPECT_EQ(editor(f)->toPlainText(), c.expected) << c.what;
        EXPECT_EQ(editor(f)->textCursor().position(), c.expectedCursor) << c.what;
        f->close();
    }
}
