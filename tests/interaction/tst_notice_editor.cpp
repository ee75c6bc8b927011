// The notice editor and the notice JSON text: the reader (JSON -> HTML) and
// the writer (the editor's document -> JSON) over tables of cases, the
// 300-character limit, link insertion, the keys, and publishing through the
// room's client library.
#include "interaction/NewTopMsgWdg.h"
#include "tests/interaction/NoticeQuizRoom.h"
#include "widgets/CusTextEdit.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>

using namespace nqroom;

namespace {

const std::string kLinkHead = "<a style=\"color:#ff6800;\" href = \"";

struct ReadCase {
    const char* name;
    const char* json;
    std::string html;
};

TEST(NoticeReader, ConvertsNoticeJsonToHtml)
{
    const ReadCase cases[] = {
        {"EmptyNotice", R"({"msg":[]})", ""},
        {"TextAndLink",
         R"({"msg":[{"content":"看","index":1,"type":1},{"content":"这里","index":2,"type":2,"url":"https://a.cn/x?p=1"}]})",
         "看" + kLinkHead + "https://a.cn/x?p=1\">这里</a>"},
        {"LineBreaks", R"({"msg":[{"content":"a\nb\n","index":1,"type":1}]})", "a<br/>b<br/>"},
        {"ItemsInIndexOrder", R"({"msg":[{"content":"2","index":2,"type":1},{"content":"1","index":1,"type":1}]})",
         "12"},
        {"GapLeavesTheLastOut", R"({"msg":[{"content":"a","index":1,"type":1},{"content":"c","index":3,"type":1}]})",
         "a"},
        {"IndexZeroNotShown", R"({"msg":[{"content":"a","index":0,"type":1}]})", ""},
        {"NegativeIndexNotShown", R"({"msg":[{"content":"a","index":-1,"type":1},{"content":"b","index":1,"type":1}]})",
         "b"},
        {"UnknownTypeIgnored", R"({"msg":[{"content":"a","index":1,"type":3},{"content":"b","index":2,"type":1}]})",
         "b"},
        {"TextItemUrlIgnored", R"({"msg":[{"content":"a","index":1,"type":1,"url":"http://x"}]})", "a"},
        {"RepeatedIndexOverwrites",
         R"({"msg":[{"content":"L","index":1,"type":2,"url":"http://u"},{"content":"T","index":1,"type":2}]})",
         kLinkHead + "\">T</a>"},
        {"RepeatedTextKeepsEarlierUrl",
         R"({"msg":[{"content":"L","index":1,"type":2,"url":"http://u"},{"content":"T","index":1,"type":1}]})", "T"},
        {"JsonEscapesDecoded", R"({"msg":[{"content":"\"q\" \u4e2d\t","index":1,"type":1}]})", "&quot;q&quot; 中\t"},
        {"MarkupShownAsText", R"({"msg":[{"content":"<b>x</b> & y","index":1,"type":1}]})",
         "&lt;b&gt;x&lt;/b&gt; &amp; y"},
        {"LinkAddressCannotLeaveItsAttribute",
         R"({"msg":[{"content":"<i>t</i>","index":1,"type":2,"url":"http://a\" onclick=\"x"}]})",
         kLinkHead + "http://a&quot; onclick=&quot;x\">&lt;i&gt;t&lt;/i&gt;</a>"},
        {"MissingMsg", R"({"text":"hi"})", ""},
        {"MsgNotAnArray", R"({"msg":"hi"})", ""},
        {"TopLevelArray", R"([{"content":"a","index":1,"type":1}])", ""},
        {"MistypedValuesReadAsDefaults", R"({"msg":[{"content":5,"index":"1","type":"1"},7,null]})", ""},
        {"FractionalIndexTruncated", R"({"msg":[{"content":"a","index":1.7,"type":1}]})", "a"},
        // Numbers past int's range are no index and no type.
        {"HugeIndexNotShown", R"({"msg":[{"content":"a","index":4294967297,"type":1}]})", ""},
        {"HugeFractionalIndexNotShown", R"({"msg":[{"content":"a","index":4294967297.5,"type":1}]})", ""},
        {"HugeTypeIgnored", R"({"msg":[{"content":"a","index":1,"type":4294967297}]})", ""},
        {"HugeNegativeTypeIgnored", R"({"msg":[{"content":"a","index":1,"type":-1e300}]})", ""},
    };
    for (const ReadCase& c : cases)
        EXPECT_EQ(NewTopMsgWdg::GetHtmlMsgByJsMsg(QString::fromUtf8(c.json)), c.html) << c.name;
}

TEST(NoticeReader, MalformedTextGivesEmptyHtmlAndOneWarning)
{
    const char* cases[] = {"", "not json", R"({"msg":[{"content":"a","index":1,"type":1})", "{'msg':[]}", "\xff\xfe"};
    for (const char* text : cases) {
        const int before = LogText().count("parse top msg failed");
        EXPECT_EQ(NewTopMsgWdg::GetHtmlMsgByJsMsg(QString::fromUtf8(text)), "") << text;
        const QString log = LogText();
        EXPECT_EQ(log.count("parse top msg failed"), before + 1) << text;
        EXPECT_TRUE(log.contains("NewTopMsgWdg::GetHtmlMsgByJsMsg")) << text;
    }
    const int before = LogText().count("parse top msg failed");
    NewTopMsgWdg::GetHtmlMsgByJsMsg("not json");
    EXPECT_TRUE(LogText().contains("parse top msg failed not json, err ")) << before;
}

// The editor with its children by object name.
class NoticeEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TheWorld().ok);
        ClientLibTestControl::ClearCalls(Lib());
        ClearToasts();
        editor = std::make_unique<NewTopMsgWdg>(&parent);
    }
    void TearDown() override { ClearToasts(); }
    template <typename T>
    T* child(const char* name)
    {
        T* w = editor->findChild<T*>(name);
        EXPECT_TRUE(w) << name;
        return w;
    }
    CusTextEdit* text() { return child<CusTextEdit>("textEdit"); }
    std::string json() { return NewTopMsgWdg::GetJsMsgByTextCursor(text()->textCursor()); }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& t = QString())
    {
        QKeyEvent press(QEvent::KeyPress, k, mods, t);
        QApplication::sendEvent(text(), &press);
    }
    void addLink(const QString& linkText, const QString& href)
    {
        child<QLineEdit>("lineText")->setText(linkText);
        child<QLineEdit>("lineHref")->setText(href);
        emit child<QPushButton>("btnAddHref")->released();
    }

    QWidget parent;
    std::unique_ptr<NewTopMsgWdg> editor;
};

TEST_F(NoticeEditor, StartsHiddenAndCleared)
{
    EXPECT_TRUE(editor->isHidden());
    EXPECT_EQ(editor->size(), QSize(365, 365));
    EXPECT_EQ(editor->windowFlags() & (Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
              Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    EXPECT_EQ(text()->pasteMode(), 1);
    EXPECT_EQ(text()->placeholderText(), U("请输入公告内容"));
    EXPECT_TRUE(child<QWidget>("wdgRich")->isHidden());
    EXPECT_EQ(child<QLabel>("labEditInfo")->text(), "0/300");
    EXPECT_EQ(child<QLabel>("labTitle")->text(), U("发布公告"));
    EXPECT_EQ(json(), R"({"msg": []})");
    EXPECT_EQ(NewTopMsgWdg::GetHtmlMsgByJsMsg(QString::fromStdString(json())), "");
}

TEST_F(NoticeEditor, WritesRunsAndLinksAndReadsThemBack)
{
    text()->insertPlainText(U("明天 <b>放假</b>"));
    addLink(U("学 校"), "HTTPS://School.example/a?b=1&c=2");
    EXPECT_TRUE(ToastTexts().isEmpty());
    text()->insertPlainText(U("完"));
    const std::string written = json();
    EXPECT_EQ(written, R"({"msg": [{"content": "明天 <b>放假</b> ", "index": 1, "type": 1}, )"
                       R"({"content": "学校", "index": 2, "type": 2, "url": "HTTPS://School.example/a?b=1&c=2"}, )"
                       R"({"content": " 完", "index": 3, "type": 1}]})");
    EXPECT_EQ(NewTopMsgWdg::GetHtmlMsgByJsMsg(QString::fromStdString(written)),
              "明天 &lt;b&gt;放假&lt;/b&gt; <a style=\"color:#ff6800;\" href = "
              "\"HTTPS://School.example/a?b=1&amp;c=2\">学校</a> 完");
    // The fields keep their content and the panel stays as it was.
    EXPECT_EQ(child<QLineEdit>("lineText")->text(), U("学 校"));
}

TEST_F(NoticeEditor, SpaceRunsBetweenLinksAddNothingButLineBreaksDo)
{
    addLink("a", "http://a");
    addLink("b", "http://b");
    EXPECT_EQ(json(), R"({"msg": [{"content": "a", "index": 1, "type": 2, "url": "http://a"}, )"
                      R"({"content": "b", "index": 2, "type": 2, "url": "http://b"}]})");
    text()->insertPlainText("\t");
    key(Qt::Key_Return, Qt::ShiftModifier, "\r");
    EXPECT_EQ(json(), R"({"msg": [{"content": "a", "index": 1, "type": 2, "url": "http://a"}, )"
                      R"({"content": "b", "index": 2, "type": 2, "url": "http://b"}, )"
                      R"({"content": " \t\n", "index": 3, "type": 1}]})");
}

TEST_F(NoticeEditor, EnterIsSwallowedShiftEnterBreaksTheLine)
{
    text()->insertPlainText("one");
    key(Qt::Key_Return, Qt::NoModifier, "\r");
    key(Qt::Key_Enter, Qt::KeypadModifier, "\r");
    EXPECT_EQ(text()->toPlainText(), "one");
    key(Qt::Key_Return, Qt::ShiftModifier, "\r");
    text()->insertPlainText("two");
    EXPECT_EQ(json(), R"({"msg": [{"content": "one\ntwo", "index": 1, "type": 1}]})");
    EXPECT_EQ(NewTopMsgWdg::GetHtmlMsgByJsMsg(QString::fromStdString(json())), "one<br/>two");
    EXPECT_EQ(child<QLabel>("labEditInfo")->text(), "7/300");
}

TEST_F(NoticeEditor, PastedParagraphsRunTogetherButCountTheirBreaks)
{
    text()->setPlainText("ab\ncd");
    EXPECT_EQ(json(), R"({"msg": [{"content": "ab", "index": 1, "type": 1}, {"content": "cd", "index": 2, "type": 1}]})");
    EXPECT_EQ(child<QLabel>("labEditInfo")->text(), "5/300");
}

struct LinkCase {
    const char* name;
    const char* text;
    const char* href;
    const char* toast;  // null: inserted
};

TEST_F(NoticeEditor, InsertsOnlyValidLinks)
{
    const LinkCase cases[] = {
        {"Plain", "go", "http://a.cn", nullptr},
        {"CapitalScheme", "go", "HTTPS://A.CN/x", nullptr},
        {"EmptyText", "", "http://a.cn", "文本内容无效"},
        {"SpacesOnly", "   ", "http://a.cn", "文本内容无效"},
        {"Ftp", "go", "ftp://a.cn", "链接地址无效"},
        {"LeadingSpace", "go", " http://a.cn", "链接地址无效"},
        {"NoScheme", "go", "www.a.cn", "链接地址无效"},
        {"Empty", "go", "", "链接地址无效"},
    };
    for (const LinkCase& c : cases) {
        editor->ResetWidget();
        ClearToasts();
        addLink(U(c.text), U(c.href));
        if (c.toast) {
            EXPECT_EQ(ToastTexts(), QStringList{U(c.toast)}) << c.name;
            EXPECT_EQ(json(), R"({"msg": []})") << c.name;
        } else {
            EXPECT_TRUE(ToastTexts().isEmpty()) << c.name;
            EXPECT_EQ(json(), std::string(R"({"msg": [{"content": "go", "index": 1, "type": 2, "url": ")") + c.href + "\"}]}")
                << c.name;
        }
    }
}

TEST_F(NoticeEditor, LinkLabelTogglesTheLinkPanel)
{
    editor->show();
    QWidget* label = child<QWidget>("wdgBtnRich");
    QWidget* panel = child<QWidget>("wdgRich");
    auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(label, &press);
    };
    click();
    EXPECT_TRUE(panel->isVisible());
    text()->insertPlainText(U("本周五下午三点家长会，请准时参加。"));
    addLink(U("报名表"), "https://school.example/form");
    Screenshot(editor.get(), "notice_editor_link_panel.png");
    click();
    EXPECT_FALSE(panel->isVisible());
    // Close and cancel hide and keep the content.
    const std::string before = json();
    for (const char* button : {"btnClose", "btnCancel"}) {
        editor->show();
        child<QPushButton>(button)->click();
        EXPECT_TRUE(editor->isHidden()) << button;
        EXPECT_EQ(json(), before) << button;
    }
}

TEST_F(NoticeEditor, PublishesThroughTheRoomAndAnnouncesIt)
{
    QSignalSpy spy(editor.get(), &NewTopMsgWdg::sgNewTopMsg);
    editor->show();
    text()->insertPlainText("hello");
    addLink("web", "http://w.cn");
    const QString expected = QString::fromStdString(json());
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    const int from = TheWorld().commands.size();
    child<QPushButton>("btnOk")->click();
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    const QList<ClientLibCall> calls = CallsNamed("PublishNotice");
    ASSERT_EQ(calls.size(), 1);
    const qint64 id = calls[0].args[0].toLongLong();
    EXPECT_GE(id, before);
    EXPECT_LE(id, after);
    EXPECT_EQ(calls[0].args[1].toString(), expected);
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toLongLong(), id);
    EXPECT_EQ(spy[0][1].toString(), expected);
    EXPECT_TRUE(editor->isHidden());
    EXPECT_EQ(json(), R"({"msg": []})");
    EXPECT_EQ(child<QLabel>("labEditInfo")->text(), "0/300");
    // The room delivers it to everyone as the notice command.
    QVariantMap notice;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        for (int i = from; i < TheWorld().commands.size(); ++i)
            if (TheWorld().commands[i].first == RsC_Notice)
                notice = TheWorld().commands[i].second.toMap();
        return !notice.isEmpty();
    }));
    EXPECT_EQ(notice.value("id").toLongLong(), id);
    EXPECT_EQ(notice.value("msg").toString(), expected);
}

TEST_F(NoticeEditor, EmptyNoticePublishes)
{
    QSignalSpy spy(editor.get(), &NewTopMsgWdg::sgNewTopMsg);
    editor->show();
    child<QPushButton>("btnOk")->click();
    ASSERT_EQ(CallsNamed("PublishNotice").size(), 1);
    EXPECT_EQ(CallsNamed("PublishNotice")[0].args[1].toString(), R"({"msg": []})");
    EXPECT_EQ(spy.size(), 1);
}

TEST_F(NoticeEditor, ThreeHundredCharactersPublishMoreAreRefused)
{
    QSignalSpy spy(editor.get(), &NewTopMsgWdg::sgNewTopMsg);
    editor->show();
    text()->setPlainText(QString(299, QChar(0x4e2d)) + "\n");
    EXPECT_EQ(child<QLabel>("labEditInfo")->text(), "300/300");
    child<QPushButton>("btnOk")->click();
    EXPECT_EQ(spy.size(), 1);
    EXPECT_TRUE(ToastTexts().isEmpty());

    editor->show();
    text()->setPlainText(QString(301, 'x'));
    EXPECT_EQ(child<QLabel>("labEditInfo")->text(), "301/300");
    ClientLibTestControl::ClearCalls(Lib());
    child<QPushButton>("btnOk")->click();
    EXPECT_EQ(ToastTexts(), QStringList{U("公告内容太长了")});
    EXPECT_TRUE(CallsNamed("PublishNotice").isEmpty());
    EXPECT_EQ(spy.size(), 1);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(text()->toPlainText(), QString(301, 'x'));
}

TEST_F(NoticeEditor, RefusedPublishKeepsEverything)
{
    QSignalSpy spy(editor.get(), &NewTopMsgWdg::sgNewTopMsg);
    editor->show();
    text()->insertPlainText("kept");
    ClientLibTestControl::FailNextRequest(Lib());
    child<QPushButton>("btnOk")->click();
    EXPECT_EQ(CallsNamed("PublishNotice").size(), 1);
    EXPECT_TRUE(spy.isEmpty());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(text()->toPlainText(), "kept");
    EXPECT_TRUE(ToastTexts().isEmpty());
}

}  // namespace
