// The notice board and the student notice banner: the current notice as
// HTML, the editor opened from the board and its publication arriving on it,
// deleting after a confirmation, the room's notice command, links, and the
// banner's placement and height.
#include "interaction/CTopMsgWidget.h"
#include "interaction/NewTopMsgWdg.h"
#include "interaction/StuTopMsgWidget.h"
#include "tests/interaction/NoticeQuizRoom.h"
#include "widgets/CusTextEdit.h"
#include "widgets/MsgBox.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>

using namespace nqroom;

// Receives the links the board hands to the system's browser.
class Browser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

namespace {

QString Notice(const char* text)
{
    return QString(R"({"msg":[{"content":"%1","index":1,"type":1},)"
                   R"({"content":"详情","index":2,"type":2,"url":"https://school.example/n"}]})")
        .arg(QString::fromUtf8(text));
}

class NoticeBoard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TheWorld().ok);
        ClientLibTestControl::ClearCalls(Lib());
        parent = std::make_unique<QWidget>();
        parent->resize(1000, 700);
        board = new CTopMsgWidget(parent.get());
        board->setFixedHeight(494);
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, &browser, "open");
    }
    void TearDown() override
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
        CData::SetStudentSideForTests(false);
        parent.reset();
    }
    template <typename T>
    T* child(const char* name)
    {
        T* w = board->findChild<T*>(name);
        EXPECT_TRUE(w) << name;
        return w;
    }
    bool emptyView() { return child<QWidget>("wdgMsg")->isHidden() && !child<QWidget>("wdgNoMsg")->isHidden(); }
    MsgBox* box() { return parent->findChild<MsgBox*>(); }
    void answerBox(const char* button) { box()->findChild<QPushButton*>(button)->click(); }

    std::unique_ptr<QWidget> parent;
    CTopMsgWidget* board = nullptr;
    Browser browser;
};

TEST_F(NoticeBoard, HoldsOneNoticeAsHtml)
{
    EXPECT_TRUE(board->isHidden());
    EXPECT_EQ(board->width(), 200);
    board->show();
    EXPECT_TRUE(emptyView());
    EXPECT_TRUE(child<QWidget>("btnDelete")->isHidden());
    EXPECT_EQ(child<QLabel>("label_3")->text(), U("暂无公告"));
    Screenshot(board, "notice_board_empty.png");

    struct Case {
        const char* name;
        qint64 id;
        QString text;
        bool changed, empty;
    };
    const Case cases[] = {
        {"First", 11, Notice("明天放假"), true, false},
        {"SameAgain", 11, Notice("明天放假"), false, false},
        {"SameIdOtherText", 11, Notice("后天放假"), true, false},
        {"OtherIdSameText", 12, Notice("后天放假"), true, false},
        {"EmptyText", 13, "", true, true},
        {"NotJson", 14, "{broken", true, true},
        {"NotJsonAgain", 14, "{broken", false, true},
        {"Back", 15, Notice("周五考试"), true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(board->SetTopMsg(c.id, c.text), c.changed) << c.name;
        EXPECT_EQ(board->CurrentId(), c.id) << c.name;
        EXPECT_EQ(board->CurrentMsg(), c.text) << c.name;
        EXPECT_EQ(board->CurrentHtml(), QString::fromStdString(NewTopMsgWdg::GetHtmlMsgByJsMsg(c.text))) << c.name;
        EXPECT_EQ(emptyView(), c.empty) << c.name;
        EXPECT_EQ(child<QWidget>("btnDelete")->isHidden(), c.empty) << c.name;
        EXPECT_FALSE(child<QWidget>("btnOk")->isHidden());
    }
    EXPECT_EQ(CTopMsgWidget::GetHtmlMsg(Notice("x")), NewTopMsgWdg::GetHtmlMsgByJsMsg(Notice("x")));
    // The text browser fits the notice.
    auto* text = child<QTextBrowser>("textBrowser");
    EXPECT_EQ(text->height(), text->document()->size().toSize().height());
    EXPECT_EQ(child<QWidget>("wdgMsg")->height(), text->height() + 20);
    EXPECT_EQ(child<QStackedWidget>("stackedWidget")->currentIndex(), 0);
    Screenshot(board, "notice_board_notice.png");
}

TEST_F(NoticeBoard, EditorPublicationAppearsAtOnceAndTheRoomEchoChangesNothing)
{
    QObject::connect(Room::instance(), &Room::sgClientLibCmd, board, [this](int code, const QVariant& var) {
        if (code == RsC_Notice)
            board->SetTopMsg(var.toMap().value("id").toLongLong(), var.toMap().value("msg").toString());
    });
    board->show();
    child<QPushButton>("btnOk")->click();
    NewTopMsgWdg* editor = board->Editor();
    EXPECT_TRUE(editor->isVisible());
    editor->findChild<CusTextEdit*>("textEdit")->insertPlainText(U("家长会改到周六"));
    board->hide();
    editor->findChild<QPushButton*>("btnOk")->click();
    EXPECT_TRUE(editor->isHidden());
    EXPECT_TRUE(board->isVisible());
    ASSERT_EQ(CallsNamed("PublishNotice").size(), 1);
    const qint64 id = CallsNamed("PublishNotice")[0].args[0].toLongLong();
    EXPECT_EQ(board->CurrentId(), id);
    EXPECT_EQ(board->CurrentHtml(), U("家长会改到周六"));
    // The room's notice command carries the same pair.
    const int before = TheWorld().commands.size();
    ASSERT_TRUE(testsupport::waitUntil([&] {
        for (int i = 0; i < TheWorld().commands.size(); ++i)
            if (TheWorld().commands[i].first == RsC_Notice &&
                TheWorld().commands[i].second.toMap().value("id").toLongLong() == id)
                return true;
        return false;
    }));
    EXPECT_GE(TheWorld().commands.size(), before);
    EXPECT_EQ(board->CurrentId(), id);
    // Already current: the editor's announcement still brings the board up.
    board->hide();
    board->OnMyNewTopMsg(id, board->CurrentMsg());
    EXPECT_TRUE(board->isVisible());
}

TEST_F(NoticeBoard, DeleteAsksFirstAndPublishesAnEmptyNotice)
{
    board->SetTopMsg(21, Notice("旧公告"));
    board->show();
    child<QPushButton>("btnDelete")->click();
    ASSERT_TRUE(box());
    EXPECT_TRUE(box()->isVisible());
    EXPECT_EQ(box()->findChild<QLabel*>("labMsg")->text(), U("您确定要删除公告吗？"));
    EXPECT_EQ(box()->findChild<QPushButton*>("btnOk")->text(), U("删除"));
    EXPECT_EQ(box()->findChild<QPushButton*>("btnCancel")->text(), U("取消"));
    Screenshot(box(), "notice_board_delete_box.png");
    // Cancel and the close button: nothing sent, nothing changes.
    for (const char* button : {"btnCancel", "btnClose"}) {
        board->hide();
        answerBox(button);
        EXPECT_TRUE(CallsNamed("PublishNotice").isEmpty()) << button;
        EXPECT_EQ(board->CurrentId(), 21) << button;
        EXPECT_TRUE(board->isHidden()) << button;
        child<QPushButton>("btnDelete")->click();
    }
    EXPECT_EQ(parent->findChildren<MsgBox*>().size(), 1);  // one box, reused
    board->hide();
    answerBox("btnOk");
    const QList<ClientLibCall> calls = CallsNamed("PublishNotice");
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0].args, (QVariantList{qint64(21), QString()}));
    EXPECT_EQ(board->CurrentId(), 0);
    EXPECT_TRUE(board->CurrentMsg().isEmpty());
    EXPECT_TRUE(emptyView());
    EXPECT_TRUE(board->isVisible());
}

TEST_F(NoticeBoard, DeleteOfATextWithoutIdStillClearsTheRoom)
{
    board->SetTopMsg(0, "{broken");
    board->show();
    child<QPushButton>("btnDelete")->click();  // hidden in the view, but the slot still asks
    answerBox("btnOk");
    ASSERT_EQ(CallsNamed("PublishNotice").size(), 1);
    EXPECT_EQ(CallsNamed("PublishNotice")[0].args, (QVariantList{qint64(0), QString()}));
    // Nothing held: a confirmed delete sends nothing.
    child<QPushButton>("btnDelete")->click();
    answerBox("btnOk");
    EXPECT_EQ(CallsNamed("PublishNotice").size(), 1);
}

TEST_F(NoticeBoard, ResetWhileAskingHidesEverythingAndSendsNothing)
{
    board->SetTopMsg(31, Notice("x"));
    board->show();
    child<QPushButton>("btnOk")->click();
    child<QPushButton>("btnDelete")->click();
    bool closed = false;
    QObject::connect(box(), &MsgBox::sgCloseMsgBox, [&] { closed = true; });
    board->ResetData(true);
    EXPECT_TRUE(box()->isHidden());
    EXPECT_FALSE(closed);
    EXPECT_TRUE(board->Editor()->isHidden());
    EXPECT_TRUE(board->isHidden());
    EXPECT_EQ(board->CurrentId(), 0);
    EXPECT_TRUE(CallsNamed("PublishNotice").isEmpty());
}

TEST_F(NoticeBoard, AnotherWindowActiveHidesTheBoardKeepingTheNotice)
{
    board->SetTopMsg(41, Notice("y"));
    board->show();
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(board, &deactivate);
    EXPECT_TRUE(board->isHidden());
    board->show();
    EXPECT_EQ(board->CurrentId(), 41);
    EXPECT_FALSE(emptyView());
}

TEST_F(NoticeBoard, WebLinksOpenInTheBrowserOthersAreRefused)
{
    board->SetTopMsg(51, Notice("z"));
    auto* text = child<QTextBrowser>("textBrowser");
    const QString html = text->toHtml();
    emit text->anchorClicked(QUrl("https://school.example/n"));
    emit text->anchorClicked(QUrl("file:///etc/passwd"));
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl("https://school.example/n")});
    EXPECT_TRUE(LogText().contains("notice link refused, not a web address: file:///etc/passwd"));
    EXPECT_EQ(text->toHtml(), html);
    EXPECT_EQ(board->CurrentId(), 51);
}

TEST_F(NoticeBoard, StudentBuildShowsNoButtonsAndDrivesTheBanner)
{
    CData::SetStudentSideForTests(true);
    board->SetTopMsg(61, Notice("s"));
    StuTopMsgWidget* banner = board->StudentBanner();
    EXPECT_FALSE(banner->isHidden());
    EXPECT_EQ(banner->CurrentId(), 61);
    board->show();
    EXPECT_EQ(child<QStackedWidget>("stackedWidget")->currentIndex(), 1);
    board->ResetData(false);
    EXPECT_EQ(banner->CurrentId(), 0);
    EXPECT_FALSE(banner->isHidden());
    board->ResetData(true);
    EXPECT_TRUE(banner->isHidden());
}

class NoticeBanner : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent.resize(1000, 700);
        parent.show();
        banner = new StuTopMsgWidget(&parent);
        QDesktopServices::setUrlHandler("https", &browser, "open");
        vars = CData::instance()->GetLoginVar();
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler("https");
        CData::instance()->SetLoginVar(vars);
    }
    QStringList vars;
    QWidget parent;
    StuTopMsgWidget* banner = nullptr;
    Browser browser;
};

TEST_F(NoticeBanner, PlacedNearTheTopCentredHigherInALiveRoom)
{
    EXPECT_TRUE(banner->isHidden());
    EXPECT_EQ(banner->width(), 366);
    struct Case {
        int parentWidth;
        const char* classType;
        QPoint at;
    };
    const Case cases[] = {
        {1000, "3", {317, 165}},
        {1001, "3", {317, 165}},
        {1000, "1", {217, 90}},
        {300, "3", {-33, 165}},
    };
    for (const Case& c : cases) {
        parent.resize(c.parentWidth, 700);
        CData::instance()->SetLoginVar({"t", "1", "2", "n", "g", c.classType});
        banner->move(0, 0);
        EXPECT_TRUE(banner->SetTopMsg(7, Notice("公告")));
        EXPECT_TRUE(banner->isVisible());
        EXPECT_EQ(banner->pos(), c.at) << c.parentWidth << " " << c.classType;
    }
    parent.resize(1000, 700);
    CData::instance()->SetLoginVar({"t", "1", "2", "n", "g", "3"});
    banner->SetTopMsg(7, Notice("本周五下午三点家长会，请准时参加。"));
    auto* text = banner->findChild<QTextBrowser*>("textBrowser");
    EXPECT_EQ(banner->height(), text->document()->size().toSize().height() + 10);
    Screenshot(&parent, "notice_banner_on_window.png");
}

TEST_F(NoticeBanner, EmptyNoticeHidesCloseAndResetKeepItsText)
{
    banner->SetTopMsg(8, Notice("a"));
    EXPECT_TRUE(banner->SetTopMsg(9, ""));
    EXPECT_TRUE(banner->isHidden());
    EXPECT_EQ(banner->CurrentId(), 9);
    banner->SetTopMsg(10, Notice("b"));
    banner->findChild<QPushButton*>("closeBtn")->click();
    EXPECT_TRUE(banner->isHidden());
    EXPECT_EQ(banner->CurrentId(), 10);
    banner->SetTopMsg(10, Notice("b"));
    EXPECT_TRUE(banner->isVisible());
    const QString html = banner->findChild<QTextBrowser*>("textBrowser")->toHtml();
    banner->ResetData(false);
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->CurrentId(), 0);
    EXPECT_EQ(banner->findChild<QTextBrowser*>("textBrowser")->toHtml(), html);
    banner->ResetData(true);
    EXPECT_TRUE(banner->isHidden());
}

TEST_F(NoticeBanner, LinkOpensInTheBrowser)
{
    banner->SetTopMsg(11, Notice("c"));
    emit banner->findChild<QTextBrowser*>("textBrowser")->anchorClicked(QUrl("https://school.example/n"));
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl("https://school.example/n")});
    EXPECT_TRUE(banner->isVisible());
}

}  // namespace

#include "tst_notice_board.moc"
