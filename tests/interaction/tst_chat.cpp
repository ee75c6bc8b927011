// The chat panel: its form and looks, messages from the client library
// (escaping, emoticons, withdrawn messages, system notifications), the row
// cap, time stamps, the unread tip and own chat ids, sending with its limit
// and throttle, and the whole-room chat ban on both sides.
#include "app/CSettings.h"
#include "app/PubUtils.h"
#include "interaction/CFaceSelWidget.h"
#include "interaction/ChatCtrl.h"
#include "interaction/ChatMsgItem.h"
#include "tests/interaction/tst_chat_room.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTextEdit>

using namespace chattest;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

const char* kMsgTag = "<font color=\"#e6a23c\">【*消息*】</font>";

QVariantMap ChatMsg(const QString& text, int msgType, const QString& userId, const QString& id = QString(),
                    int userType = 0, const QString& name = "Ann")
{
    return {{"msg", text}, {"userType", userType}, {"msgType", msgType}, {"time", qint64(1700000000)},
            {"name", name}, {"userid", userId}, {"id", id}};
}

// The plain text a row shows.
QString RowText(ChatMsgItem* row) { return row->TextView() ? row->TextView()->toPlainText() : QString(); }
QString RowHtml(ChatMsgItem* row) { return row->TextView() ? row->TextView()->toHtml() : QString(); }

// The panel's form widgets, by object name.
struct Form {
    explicit Form(QWidget* w) : root(w) {}
    template <typename T>
    T* get(const char* name) const
    {
        T* found = root->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QWidget* root;
#define FORM_WIDGET(T, n) \
    T* n = get<T>(#n);
    FORM_WIDGET(QLabel, labTitle)
    FORM_WIDGET(QLabel, labOnline)
    FORM_WIDGET(QLabel, labNoChat)
    FORM_WIDGET(QLabel, overMaxWordsHint)
    FORM_WIDGET(QTextEdit, sendTextEdit)
    FORM_WIDGET(QPushButton, sendBtn)
    FORM_WIDGET(QPushButton, chatTabBtn)
    FORM_WIDGET(QPushButton, questionTabBtn)
    FORM_WIDGET(QPushButton, banBtn)
    FORM_WIDGET(QPushButton, switchWindowBtn)
    FORM_WIDGET(QPushButton, screenshotBtn)
    FORM_WIDGET(QPushButton, expressionBtn)
    FORM_WIDGET(QCheckBox, chkNoChat)
    FORM_WIDGET(QWidget, bottomWidget)
    FORM_WIDGET(QWidget, wdgOnline)
    FORM_WIDGET(QStackedWidget, stackedWidget)
    FORM_WIDGET(QListWidget, listWidget)
#undef FORM_WIDGET
};

struct Panel {
    explicit Panel(bool live = false)
    {
        SetRoomKind(live);
        EnterDemoRoom();
        chat.reset(new ChatCtrl(&host));
        chat->SetClockForTests([this] { return nowMs; });
    }
    QWidget host;
    std::unique_ptr<ChatCtrl> chat;
    qint64 nowMs = 1700000000000;
    std::unique_ptr<Form> form;
    Form* ui()
    {
        if (!form)
            form.reset(new Form(chat.get()));
        return form.get();
    }
};

}  // namespace

TEST(ChatPanel, FormLooksAndClassRoomWindow)
{
    Panel p;
    Form* ui = p.ui();
    EXPECT_TRUE(p.chat->isHidden());
    EXPECT_EQ(ui->labTitle->text(), u("聊天"));
    EXPECT_EQ(ui->labOnline->text(), u("在线人数 0"));
    EXPECT_EQ(ui->labNoChat->text(), u("全体禁言"));
    EXPECT_EQ(ui->sendTextEdit->placeholderText(), u("请输入聊天内容"));
    EXPECT_EQ(ui->sendBtn->text(), u("发送"));
    EXPECT_EQ(ui->sendBtn->size(), QSize(60, 28));
    EXPECT_EQ(ui->bottomWidget->maximumHeight(), 117);
    for (QWidget* w : {static_cast<QWidget*>(ui->chatTabBtn), static_cast<QWidget*>(ui->questionTabBtn),
                       static_cast<QWidget*>(ui->banBtn), static_cast<QWidget*>(ui->switchWindowBtn),
                       static_cast<QWidget*>(ui->screenshotBtn)})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_EQ(ui->stackedWidget->currentIndex(), 0);
    EXPECT_EQ(ui->overMaxWordsHint->text(), QString());  // checked once at construction
    EXPECT_EQ(p.chat->width(), 320);

    // The count shows only while the room asks for it.
    CData::instance()->SetStatus(kStatusShowUserNumByChat, 0);
    p.chat->SetTitle(u("在线人数 12"));
    EXPECT_EQ(ui->labOnline->text(), u("聊天"));
    CData::instance()->SetStatus(kStatusShowUserNumByChat, 1);
    p.chat->SetTitle(u("在线人数 12"));
    EXPECT_EQ(ui->labOnline->text(), u("在线人数 12"));

    // Class room: a floating frameless 320 x 460 window, centred on its parent.
    p.host.setGeometry(100, 100, 1000, 700);
    p.chat->InitStyle();
    EXPECT_TRUE(p.chat->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(p.chat->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(p.chat->size(), QSize(320, 460));
    EXPECT_TRUE(ui->wdgOnline->isHidden());

    p.chat->onClientLibCmd(RsC_Room_LoginResult, QVariantMap{{"type", "chat"}, {"userid", "me-1"}});
    p.chat->AddSysMsg(QString::fromUtf8(kMsgTag) + u("老师Ms Lin:欢迎来到课堂"));
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg(u("老师好 em_smile"), 1, "stu-1", "m1", 0, u("小明")));
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg(u("大家好，今天我们讲二次函数"), 1, "me-1", "m2", 1, u("林老师")));
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg(u("收到em_ok"), 1, "as-1", "m3", 2, u("王助教")));
    p.chat->show();
    ui->sendTextEdit->insertPlainText(u("好的"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(p.chat.get()));
    Screenshot(p.chat.get(), "chat_panel_class_room.png");
    EXPECT_EQ(ui->overMaxWordsHint->text(), "6/200");

    // Live room: embedded, dark, the room's video width.
    Panel live(true);
    live.chat->InitStyle();
    EXPECT_EQ(live.chat->width(), CData::instance()->GetVideoWidth());
    EXPECT_FALSE(live.chat->windowFlags() & Qt::FramelessWindowHint);
    live.chat->AddSysMsg(QString::fromUtf8(kMsgTag) + u("直播已开始"));
    live.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg(u("老师好"), 1, "stu-2", "x1"));
    live.host.resize(live.chat->width(), 460);
    live.chat->resize(live.chat->width(), 460);
    live.host.show();
    live.chat->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&live.host));
    Screenshot(&live.host, "chat_panel_live_room.png");
    SetRoomKind(false);
}

TEST(ChatPanel, MessagesShowAsPlainTextWithEmoticonsAndWithdrawnOnesHide)
{
    Panel p;
    PubUtils::SetFaceList({"em_smile", "em_ok"});
    struct Case {
        const char* text;
        int msgType;
        const char* shown;      // the plain text of the row
        bool hasEmoticon;       // an image of the emoticon in the row
    };
    const Case cases[] = {
        {"<b>bold</b> & co", 1, "<b>bold</b> & co", false},
        {"two\nlines", 1, "two\nlines", false},
        {"hi em_smile", 1, "hi \xEF\xBF\xBC", true},  // the picture is one object character
        {"hi em_smile", 0, "hi em_smile", false},      // plain text keeps names
        {"<img src=\"/etc/hostname\">", 0, "<img src=\"/etc/hostname\">", false},
    };
    int rows = 0;
    for (const Case& c : cases) {
        p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg(u(c.text), c.msgType, "stu-1", "id"));
        ASSERT_EQ(p.chat->Rows().size(), ++rows) << c.text;
        ChatMsgItem* row = p.chat->Rows().last();
        EXPECT_EQ(RowText(row), u(c.shown)) << c.text;
        EXPECT_EQ(RowHtml(row).contains(":/face/res/face/em_smile.png"), c.hasEmoticon) << c.text;
        EXPECT_FALSE(RowHtml(row).contains("<b>")) << c.text;
    }
    // Unknown message types add no row.
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg("x", 7, "stu-1"));
    EXPECT_EQ(p.chat->Rows().size(), rows);

    // Withdrawn: every row of the id hides and stays in the list; an empty id hides nothing.
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg("a", 1, "stu-1", "dup"));
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg("b", 1, "stu-2", "dup"));
    QListWidget* list = p.ui()->listWidget;
    p.chat->onClientLibCmd(RsC_Chat_MsgId, QVariantMap{{"id", ""}});
    for (int i = 0; i < list->count(); ++i)
        EXPECT_FALSE(list->item(i)->isHidden());
    ClientLibTestControl::InjectCommand(Lib(), RsC_Chat_MsgId, QVariantMap{{"id", "dup"}});
    ASSERT_TRUE(testsupport::waitUntil([&] { return list->item(list->count() - 1)->isHidden(); }));
    EXPECT_TRUE(list->item(list->count() - 2)->isHidden());
    EXPECT_FALSE(list->item(list->count() - 3)->isHidden());
    EXPECT_EQ(list->count(), rows + 2);
}

TEST(ChatPanel, SystemNotificationsByType)
{
    Panel p;
    struct Case {
        int type;
        const char* message;
        const char* line;  // nullptr: no row
    };
    const Case cases[] = {
        {1, R"({"msg":"请安静","userid":"9","name":"王","type":"2"})", "【*消息*】助教王:请安静"},
        {1, R"({"msg":"上课了","userid":"9","name":"林","type":"1"})", "【*消息*】老师林:上课了"},
        {1, R"({"msg":"x","userid":"9","name":"y","type":"5"})", "【*消息*】"},
        {1, R"({"msg":"<i>a&b</i>","name":"<b>n</b>","type":"1"})", "【*消息*】老师<b>n</b>:<i>a&b</i>"},
        {2, R"({"msg":"x","type":"1"})", nullptr},
        {1, "not json", nullptr},
        {1, "[1,2]", nullptr},
    };
    for (const Case& c : cases) {
        const int before = p.chat->Rows().size();
        p.chat->onClientLibCmd(RsC_Chat_SysNotify, QVariantMap{{"type", c.type}, {"message", u(c.message)}});
        if (!c.line) {
            EXPECT_EQ(p.chat->Rows().size(), before) << c.message;
            continue;
        }
        ASSERT_EQ(p.chat->Rows().size(), before + 1) << c.message;
        EXPECT_EQ(RowText(p.chat->Rows().last()), u(c.line)) << c.message;
        EXPECT_EQ(p.chat->Rows().last()->GetMsg()->msgType, kChatMsgSystem);
    }
}

TEST(ChatPanel, KeepsAtMost2000RowsAndStampsTimeEvery180Seconds)
{
    Panel p;
    p.chat->AddSysMsg("first");
    p.nowMs += 180 * 1000;  // exactly 180 s later: no stamp
    p.chat->AddSysMsg("second");
    p.nowMs += 1000;  // 181 s after the last stamp
    p.chat->AddSysMsg("third");
    ASSERT_EQ(p.chat->Rows().size(), 3);
    EXPECT_TRUE(p.chat->Rows()[0]->GetMsg()->showTime);
    EXPECT_FALSE(p.chat->Rows()[1]->GetMsg()->showTime);
    EXPECT_TRUE(p.chat->Rows()[2]->GetMsg()->showTime);
    EXPECT_FALSE(p.chat->Rows()[0]->TimeLabel()->isHidden());
    EXPECT_TRUE(p.chat->Rows()[1]->TimeLabel()->isHidden());

    QListWidget* list = p.ui()->listWidget;
    while (list->count() < 1999)
        p.chat->AddSysMsg(QString::number(list->count()));
    p.chat->AddSysMsg("row 2000");
    EXPECT_EQ(list->count(), 2000);
    p.chat->AddSysMsg("row 2001");
    EXPECT_EQ(list->count(), 1600);
    ASSERT_EQ(p.chat->Rows().size(), 1600);
    // The oldest 401 (rows 0 to 400) went; rows and widgets are still in step.
    EXPECT_EQ(RowText(p.chat->Rows().first()), "401");
    EXPECT_EQ(RowText(p.chat->Rows().last()), "row 2001");
    for (int i : {0, 799, 1599})
        EXPECT_EQ(list->itemWidget(list->item(i)), p.chat->Rows()[i]);
}

TEST(ChatPanel, UnreadTipWhileScrolledUpAndOwnChatIds)
{
    Panel p;
    // Own ids: kept in the settings; over 200 characters only the second half stays.
    const QString old = QString(250, 'x');
    CSettings::instance()->SetValue("App/MyPreChatIdLT", old);
    p.chat->onClientLibCmd(RsC_Room_LoginResult, QVariantMap{{"type", "main"}, {"userid", "nope"}});
    EXPECT_EQ(p.chat->OwnChatIds(), QString());
    p.chat->onClientLibCmd(RsC_Room_LoginResult, QVariantMap{{"type", "chat"}, {"userid", "me-7"}});
    EXPECT_EQ(p.chat->OwnChatIds(), QString(125, 'x') + "|me-7");
    EXPECT_EQ(CSettings::instance()->GetValue("App/MyPreChatIdLT").toString(), p.chat->OwnChatIds());

    p.host.setGeometry(100, 100, 800, 600);
    p.chat->InitStyle();
    p.chat->show();
    for (int i = 0; i < 40; ++i)
        p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg(QString("line %1").arg(i), 1, "stu-1"));
    QScrollBar* bar = p.ui()->listWidget->verticalScrollBar();
    ASSERT_TRUE(testsupport::waitUntil([&] { return bar->maximum() > 100; }));
    p.chat->onTimerUpdate(2);  // even tick: follows the end
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(0);
    EXPECT_FALSE(p.chat->IsAtBottom());
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg("one", 1, "stu-1"));
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg("two", 1, "stu-2"));
    EXPECT_EQ(p.chat->UnreadCount(), 2);
    EXPECT_EQ(p.chat->UnreadTip()->text(), u("2未读消息"));
    EXPECT_TRUE(p.chat->UnreadTip()->isVisible());
    // Centred over the input area, its bottom on the area's top.
    const QRect bottom = p.ui()->bottomWidget->geometry();
    EXPECT_EQ(p.chat->UnreadTip()->geometry().bottom() + 1, bottom.top());
    p.chat->onTimerUpdate(4);
    EXPECT_EQ(bar->value(), 0);  // not following while scrolled up
    Screenshot(p.chat.get(), "chat_panel_unread_tip.png");

    // An own message jumps to the end and clears the tip.
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg("mine", 1, "me-7"));
    EXPECT_TRUE(p.chat->IsAtBottom());
    EXPECT_EQ(p.chat->UnreadCount(), 0);
    EXPECT_FALSE(p.chat->UnreadTip()->isVisible());

    // Pressing the tip does the same.
    bar->setValue(0);
    p.chat->onClientLibCmd(RsC_Chat_Message, ChatMsg("three", 1, "stu-1"));
    ASSERT_TRUE(p.chat->UnreadTip()->isVisible());
    QTest::mouseClick(p.chat->UnreadTip(), Qt::LeftButton);
    EXPECT_TRUE(p.chat->IsAtBottom());
    EXPECT_FALSE(p.chat->UnreadTip()->isVisible());
    EXPECT_GE(bar->value(), bar->maximum() - 10);
}

TEST(ChatPanel, SendsTextWithinLimitAndThrottle)
{
    Panel p;
    ASSERT_TRUE(EnterDemoRoom());
    Form* ui = p.ui();
    QTextEdit* edit = ui->sendTextEdit;

    // The limit counts UTF-8 bytes: 66 Chinese characters fit, 67 do not.
    edit->setPlainText(QString(66, QChar(0x4E2D)));
    EXPECT_TRUE(ui->sendBtn->isEnabled());
    EXPECT_EQ(ui->overMaxWordsHint->text(), "198/200");
    edit->setPlainText(QString(67, QChar(0x4E2D)));
    EXPECT_FALSE(ui->sendBtn->isEnabled());
    EXPECT_EQ(ui->overMaxWordsHint->text(), u("聊天最多发送200"));
    EXPECT_EQ(edit->property("status").toInt(), 1);
    EXPECT_EQ(ui->overMaxWordsHint->property("status").toInt(), 1);
    ClearCalls();
    p.chat->on_sendBtn_clicked();
    EXPECT_TRUE(CallsOf("SendChatMsg").isEmpty());

    // An emoticon counts as its name.
    edit->clear();
    edit->insertHtml("<img source = \":/face/res/face/em_smile.png\"/>");
    EXPECT_EQ(ui->overMaxWordsHint->text(), "8/200");
    EXPECT_EQ(edit->property("status").toInt(), 0);
    edit->insertPlainText(u("好"));

    // Return sends (the key is consumed), the box empties.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    auto sent = CallsOf("SendChatMsg");
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0][0].toString(), u("em_smile好"));
    EXPECT_EQ(sent[0][1].toInt(), 1);
    EXPECT_EQ(sent[0][2].toLongLong(), p.nowMs / 1000);
    EXPECT_TRUE(edit->toPlainText().isEmpty());

    // 1999 ms later: only the too-frequent line; the text stays.
    p.nowMs += 1999;
    edit->setPlainText("again");
    const int rows = p.chat->Rows().size();
    p.chat->on_sendBtn_clicked();
    EXPECT_EQ(CallsOf("SendChatMsg").size(), 1);
    EXPECT_EQ(edit->toPlainText(), "again");
    ASSERT_EQ(p.chat->Rows().size(), rows + 1);
    EXPECT_EQ(RowText(p.chat->Rows().last()), u("【*消息*】您发送太频繁了！"));
    // 2000 ms after the send: sent.
    p.nowMs += 1;
    p.chat->on_sendBtn_clicked();
    EXPECT_EQ(CallsOf("SendChatMsg").size(), 2);
    EXPECT_TRUE(edit->toPlainText().isEmpty());

    // Shift+Return is a new line, not a send.
    edit->setPlainText("x");
    edit->moveCursor(QTextCursor::End);
    QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(CallsOf("SendChatMsg").size(), 2);
    EXPECT_EQ(PubUtils::DocToFaceText(edit->document()), "x\n");

    // A refused send keeps the text and the throttle time.
    p.nowMs += 5000;
    edit->setPlainText("refused");
    ClientLibTestControl::FailNextRequest(Lib());
    p.chat->on_sendBtn_clicked();
    EXPECT_EQ(CallsOf("SendChatMsg").size(), 3);
    EXPECT_EQ(edit->toPlainText(), "refused");
    p.nowMs += 10;  // still allowed: the refused send set no time
    p.chat->on_sendBtn_clicked();
    EXPECT_EQ(CallsOf("SendChatMsg").size(), 4);
    EXPECT_TRUE(edit->toPlainText().isEmpty());
    // An empty box sends nothing.
    p.nowMs += 5000;
    p.chat->on_sendBtn_clicked();
    EXPECT_EQ(CallsOf("SendChatMsg").size(), 4);
}

TEST(ChatPanel, WholeRoomChatBan)
{
    Panel p;
    ASSERT_TRUE(EnterDemoRoom());
    Form* ui = p.ui();
    ClearCalls();
    ui->chkNoChat->click();
    auto calls = CallsOf("SetAllNoSpeak");
    ASSERT_EQ(calls.size(), 1);
    EXPECT_TRUE(calls[0][0].toBool());
    // The room's answer sets the box without a second call.
    p.chat->onClientLibCmd(RsC_Chat_AllNoSpeak, QVariantMap{{"chatAll", true}});
    EXPECT_FALSE(ui->chkNoChat->isChecked());
    p.chat->onClientLibCmd(RsC_Chat_AllNoSpeak, QVariantMap{{"chatAll", false}});
    EXPECT_TRUE(ui->chkNoChat->isChecked());
    EXPECT_EQ(CallsOf("SetAllNoSpeak").size(), 1);
    // The teacher's own input stays open; 101 is not the teacher's business here.
    EXPECT_TRUE(ui->sendTextEdit->isEnabled());
    EXPECT_EQ(p.chat->ChatOffOverlay(), nullptr);

    // Student side: the ban closes the input with the overlay.
    CData::SetStudentSideForTests(true);
    UserInfo me("stu-me");
    CData::instance()->SetLocalUser(me);
    {
        Panel s;
        s.host.setGeometry(100, 100, 800, 600);
        s.chat->InitStyle();
        s.chat->show();
        EXPECT_TRUE(s.ui()->chkNoChat->isHidden());
        EXPECT_TRUE(s.ui()->labNoChat->isHidden());
        s.chat->onClientLibCmd(RsC_Chat_AllNoSpeak, QVariantMap{{"chatAll", false}});
        ASSERT_NE(s.chat->ChatOffOverlay(), nullptr);
        EXPECT_TRUE(s.chat->ChatOffOverlay()->isVisible());
        EXPECT_EQ(s.chat->ChatOffOverlay()->text(), u("老师已关闭聊天"));
        EXPECT_EQ(s.chat->ChatOffOverlay()->geometry(), s.ui()->bottomWidget->geometry());
        EXPECT_FALSE(s.ui()->sendTextEdit->isEnabled());
        Screenshot(s.chat.get(), "chat_panel_student_banned.png");
        s.chat->onClientLibCmd(RsC_Chat_AllNoSpeak, QVariantMap{{"chatAll", true}});
        EXPECT_FALSE(s.chat->ChatOffOverlay()->isVisible());
        EXPECT_TRUE(s.ui()->sendTextEdit->isEnabled());
        // The local user's own ban; others' updates change nothing.
        s.chat->onClientLibCmd(RsC_User_Join, QVariantMap{{"userid", "other"}, {"noSpeak", true}});
        EXPECT_TRUE(s.ui()->sendTextEdit->isEnabled());
        me.noSpeak = true;
        CData::instance()->SetLocalUser(me);
        s.chat->onClientLibCmd(RsC_User_Join, QVariantMap{{"userid", "stu-me"}, {"noSpeak", true}});
        EXPECT_FALSE(s.ui()->sendTextEdit->isEnabled());
        EXPECT_EQ(s.chat->ChatOffOverlay()->text(), u("您已被禁言"));
    }
    CData::SetStudentSideForTests(false);
    UserInfo teacher("20001");
    CData::instance()->SetLocalUser(teacher);
}

TEST(FacePicker, RegistersTheListAndEmitsTheChosenPicture)
{
    CFaceSelWidget picker;
    EXPECT_EQ(picker.size(), QSize(322, 162));
    EXPECT_EQ(picker.rowCount(), 4);
    EXPECT_EQ(picker.columnCount(), 8);
    ASSERT_EQ(picker.FacePaths().size(), 32u);
    EXPECT_EQ(picker.FacePaths()[0], ":/face/res/face/em_smile.png");
    EXPECT_EQ(PubUtils::FaceTextToHtml("a em_bye", 1), "a <img source = \":/face/res/face/em_bye.png\"/>");
    for (const std::string& path : picker.FacePaths())
        EXPECT_FALSE(QPixmap(QString::fromStdString(path)).isNull()) << path;

    picker.move(200, 200);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    Screenshot(&picker, "chat_face_picker.png");
    QSignalSpy chosen(&picker, &CFaceSelWidget::onSelFace);
    picker.slotItemClicked(picker.item(1, 2));  // entry 10
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toString(),
              QString("<img source = \"%1\"/>").arg(QString::fromStdString(picker.FacePaths()[10])));
    EXPECT_TRUE(picker.isHidden());

    // Names come from "\r\n" or "\n" separated files; others give none.
    testsupport::TempDir dir;
    struct Case {
        const char* bytes;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\nb", {"a", "b"}},
        {"single", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CFaceSelWidget::ReadFaceList(QString::fromStdString(dir.write("list.txt", c.bytes))), c.names)
            << c.bytes;
    EXPECT_TRUE(CFaceSelWidget::ReadFaceList(QString::fromStdString(dir.file("missing.txt"))).empty());
}

TEST(FacePicker, ThePanelInsertsTheChoiceAboveItsButton)
{
    Panel p;
    p.host.setGeometry(100, 100, 800, 600);
    p.chat->InitStyle();
    p.chat->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(p.chat.get()));
    p.chat->on_expressionBtn_clicked();
    CFaceSelWidget* picker = p.chat->FacePicker();
    ASSERT_TRUE(picker->isVisible());
    const QPoint corner = p.ui()->expressionBtn->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(picker->geometry().bottomLeft() + QPoint(0, 1), corner);
    picker->slotItemClicked(picker->item(0, 0));
    EXPECT_EQ(PubUtils::DocToFaceText(p.ui()->sendTextEdit->document()), "em_smile");
    EXPECT_TRUE(picker->isHidden());
}

TEST(ChatRow, BadgeSideAndColoursByTypeSenderAndRoom)
{
    struct Case {
        int userType;
        bool self;
        bool live;
        const char* badge;  // resource of the badge, "" for none
    };
    const Case cases[] = {
        {1, false, false, ":/chat/res/chat/labteacher.png"}, {2, false, false, ":/chat/res/chat/labassisent.png"},
        {0, false, false, ""},                              {3, false, false, ""},
        {1, true, false, ":/chat/res/chat/labteacher.png"},  {2, true, true, ":/chat/res/chat/labassisent.png"},
        {0, true, true, ""},                                {1, false, true, ":/chat/res/chat/labteacher.png"},
    };
    for (const Case& c : cases) {
        SetRoomKind(c.live);
        QListWidget list;
        list.setProperty("nChatWidth", 340);
        list.resize(360, 400);
        auto msg = QSharedPointer<MsgInfo>::create();
        msg->msgType = 1;
        msg->userType = c.userType;
        msg->isSelf = c.self;
        msg->name = "Lin";
        msg->content = "hello";
        auto* item = new QListWidgetItem(&list);
        auto* row = new ChatMsgItem(&list);
        row->SetMsg(msg, item);
        list.setItemWidget(item, row);
        list.show();
        QCoreApplication::processEvents();
        const std::string what = std::to_string(c.userType) + (c.self ? " own" : " other") + (c.live ? " live" : "");
        ASSERT_NE(row->BadgeLabel(), nullptr) << what;
        const QPixmap badge = row->BadgeLabel()->pixmap(Qt::ReturnByValue);
        if (*c.badge) {
            ASSERT_FALSE(badge.isNull()) << what;
            EXPECT_EQ(badge.toImage(), QPixmap(c.badge).toImage()) << what;
        } else {
            EXPECT_TRUE(badge.isNull()) << what;
        }
        EXPECT_EQ(row->NameLabel()->text(), "Lin") << what;
        EXPECT_EQ(row->NameLabel()->styleSheet(),
                  c.live ? "font-size:14px;color:#ffffff;" : "font-size:14px;color:#333333;")
            << what;
        EXPECT_EQ(row->TextView()->styleSheet(),
                  c.self ? "QTextEdit{ color: #333333; background: #D3F7F6; border-radius: 4px;}"
                         : "QTextEdit{ color: #293239; background: #ECF6F5; border-radius: 4px;}")
            << what;
        // Own messages lean right with the badge before the name; others lean
        // left with the name first.
        const int badgeX = row->BadgeLabel()->mapTo(row, QPoint()).x();
        const int nameX = row->NameLabel()->mapTo(row, QPoint()).x();
        const int bubbleX = row->TextView()->mapTo(row, QPoint()).x();
        if (c.self) {
            EXPECT_LT(badgeX, nameX) << what;
            EXPECT_GT(bubbleX + row->TextView()->width(), row->width() - 40) << what;
        } else {
            EXPECT_LT(nameX, badgeX) << what;
            EXPECT_LT(bubbleX, 40) << what;
        }
    }
    SetRoomKind(false);
}
