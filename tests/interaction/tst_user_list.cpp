// The online user list: the row order, rows and their icons, the mute-all
// and free hand-up switches, the live room's voice-interaction and link-mic
// bars, and the per-user menu's entries and client-library calls (seen
// through the library's recorded calls).
#include "app/DownThread.h"
#include "interaction/UserItemWidget.h"
#include "interaction/UserListDialog.h"
#include "tests/interaction/tst_chat_room.h"

#include <QButtonGroup>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidgetAction>

using namespace chattest;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

std::shared_ptr<UserInfo> User(const std::string& id, int type = 0, const char* name = "Stu")
{
    auto user = std::make_shared<UserInfo>(id);
    user->type = type;
    user->userName = name;
    return user;
}

// Keeps CData's user records to those a test adds.
struct Users {
    Users()
    {
        for (const UserInfo& u : CData::instance()->GetUserList())
            CData::instance()->RemoveUser(u.userId);
    }
    ~Users()
    {
        for (const UserInfo& u : CData::instance()->GetUserList())
            CData::instance()->RemoveUser(u.userId);
    }
    // Stores the record in CData and passes a shared copy to the list, as
    // the main window does.
    void Update(UserListDialog& list, const UserInfo& user)
    {
        CData::instance()->UpdateUser(user);
        list.UpdateUser(std::make_shared<UserInfo>(user));
    }
};

template <typename T>
T* Child(QWidget* w, const char* name)
{
    T* found = w->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void Press(QWidget* w) { QTest::mousePress(w, Qt::LeftButton); }

// The menu's entries: text and whether enabled.
QList<QPair<QString, bool>> Entries(QMenu* menu)
{
    QList<QPair<QString, bool>> out;
    for (QAction* a : menu->actions())
        if (auto* wa = qobject_cast<QWidgetAction*>(a))
            if (auto* b = qobject_cast<QPushButton*>(wa->defaultWidget()))
                out.append({b->text(), b->isEnabled()});
    return out;
}

void ClickEntry(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (auto* wa = qobject_cast<QWidgetAction*>(a))
            if (auto* b = qobject_cast<QPushButton*>(wa->defaultWidget()))
                if (b->text() == text)
                    return b->click();
    ADD_FAILURE() << "no entry " << text.toStdString();
}

QListWidgetItem* ItemOf(UserListDialog& list, const QString& id)
{
    auto* lw = list.findChild<QListWidget*>("listWidget");
    for (int i = 0; i < lw->count(); ++i)
        if (lw->itemWidget(lw->item(i)) == list.RowOf(id))
            return lw->item(i);
    return nullptr;
}

}  // namespace

TEST(UserList, KeepsTeacherAssistantAndActiveStudentsFirst)
{
    SetRoomKind(false);
    Users users;
    UserListDialog list(nullptr);
    auto cam = User("s-cam");
    cam->cam = true;
    auto mic = User("s-mic");
    mic->mic = true;
    const std::shared_ptr<UserInfo> arrivals[] = {cam, User("t", 1, "Lin"), User("a", 2, "Wang"), mic};
    for (const auto& r : arrivals)
        EXPECT_TRUE(list.UpdateUser(r));
    EXPECT_EQ(list.RowUserIds(), QStringList({"t", "a", "s-cam", "s-mic"}));

    // A plain student comes last without a sort; its camera moves it up.
    auto plain = User("s-plain");
    list.UpdateUser(plain);
    EXPECT_EQ(list.RowUserIds().last(), "s-plain");
    auto plainCam = std::make_shared<UserInfo>(*plain);
    plainCam->cam = true;
    list.UpdateUser(plainCam);
    EXPECT_EQ(list.RowUserIds(), QStringList({"t", "a", "s-cam", "s-plain", "s-mic"}));
    EXPECT_EQ(list.RowOf("s-plain")->GetUser(), plainCam);  // refreshed, one row

    // Camera off ("z"): the row keeps its place until a sorting update.
    auto camOff = User("s-cam");
    list.UpdateUser(camOff);
    EXPECT_EQ(list.RowUserIds(), QStringList({"t", "a", "s-cam", "s-plain", "s-mic"}));
    auto stage = User("s-stage");
    stage->online = true;
    list.UpdateUser(stage);
    EXPECT_EQ(list.RowUserIds(), QStringList({"t", "a", "s-plain", "s-mic", "s-stage", "s-cam"}));

    EXPECT_EQ(UserListDialog::GetSortKey(*User("x")), "z");
    auto banned = User("x");
    banned->noSpeak = true;
    EXPECT_EQ(UserListDialog::GetSortKey(*banned), "f");

    EXPECT_TRUE(list.RemoveUser("s-plain"));
    EXPECT_FALSE(list.RemoveUser("s-plain"));
    EXPECT_FALSE(list.RowUserIds().contains("s-plain"));
    EXPECT_FALSE(list.UpdateUser(nullptr));

    list.SetUserHandup("s-mic", true);
    EXPECT_FALSE(list.RowOf("s-mic")->HandupLabel()->isHidden());
    list.SetUserHandup("S-MIC", false);  // ids are case-sensitive
    EXPECT_FALSE(list.RowOf("s-mic")->HandupLabel()->isHidden());
    list.SetUserHandup("s-mic", false);
    EXPECT_TRUE(list.RowOf("s-mic")->HandupLabel()->isHidden());

    list.SetOnlineNum(u("在线人数 1.23万"));
    EXPECT_EQ(Child<QLabel>(&list, "labOnline")->text(), u("在线人数 1.23万"));
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    Screenshot(&list, "user_list_class_room.png");

    // Only the teacher keeps a list.
    CData::SetStudentSideForTests(true);
    UserListDialog student(nullptr);
    EXPECT_FALSE(student.UpdateUser(User("t", 1)));
    EXPECT_TRUE(student.RowUserIds().isEmpty());
    CData::SetStudentSideForTests(false);
}

TEST(UserList, RowsShowNameRoleAndStateIcons)
{
    SetRoomKind(false);
    Users users;
    UserItemWidget row(nullptr);
    row.resize(200, 46);
    auto* name = Child<QLabel>(&row, "nameLabel");
    struct Case {
        int type;
        const char* suffix;
    };
    for (const Case& c : {Case{1, "(老师)"}, Case{2, "(助教)"}, Case{0, ""}}) {
        row.SetUser(User("n", c.type, "Lin"));
        EXPECT_EQ(name->toolTip(), "Lin" + u(c.suffix));
    }
    const QString longName = u("一个非常非常非常非常非常长的学生名字");
    row.SetUser(User("n", 0, longName.toUtf8().constData()));
    row.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));
    // The form's style sheet gives the name its 14 px white font.
    EXPECT_EQ(name->font().pixelSize(), 14);
    EXPECT_EQ(name->palette().color(QPalette::WindowText), QColor("#FFFFFF"));
    EXPECT_TRUE(name->text().endsWith(QChar(0x2026))) << name->text().toStdString();
    EXPECT_EQ(name->toolTip(), longName);
    const QString cut = name->text();
    row.resize(400, 46);  // a wider label shows more of the name
    ASSERT_TRUE(testsupport::waitUntil([&] { return name->text() != cut; }));

    auto* video = Child<QLabel>(&row, "labVideo");
    auto* audio = Child<QLabel>(&row, "labAudio");
    auto* draw = Child<QLabel>(&row, "labDraw");
    auto* speak = Child<QLabel>(&row, "labSpeak");
    auto on = User("s");
    on->online = on->mic = on->draw = on->click = on->noSpeak = true;
    row.SetUser(on);
    EXPECT_FALSE(video->isHidden());
    EXPECT_TRUE(video->styleSheet().contains("video2.png"));
    EXPECT_TRUE(audio->styleSheet().contains("mic1.png"));
    EXPECT_TRUE(draw->styleSheet().contains("teaPen1.png"));  // the pen wins over the click right
    EXPECT_FALSE(speak->isHidden());
    Screenshot(&row, "user_list_row_icons.png");
    auto off = User("s");
    off->click = true;
    row.SetUser(off);
    EXPECT_TRUE(video->isHidden());
    EXPECT_TRUE(audio->isHidden());
    EXPECT_TRUE(draw->styleSheet().contains("teaPPt1.png"));
    EXPECT_TRUE(speak->isHidden());

    // Live room: a teacher's row keeps no state icons whatever its flags.
    SetRoomKind(true);
    UserItemWidget teacher(nullptr);
    auto t = User("t", 1);
    t->online = t->cam = t->mic = t->draw = t->noSpeak = true;
    teacher.SetUser(t);
    for (const char* n : {"labVideo", "labAudio", "labDraw", "labSpeak"})
        EXPECT_TRUE(Child<QLabel>(&teacher, n)->isHidden()) << n;
    SetRoomKind(false);
}

TEST(UserList, AvatarFromTheCacheOrTheDefaultPicture)
{
    SetRoomKind(false);
    // A cached avatar shows at once; one that cannot be fetched gets the default picture.
    const std::string url = "http://127.0.0.1:9/avatar-cached.png";
    std::string cache;
    DownThread::HasCacheFile(url, cache);
    QImage red(64, 32, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(cache), "PNG"));
    UserItemWidget row(nullptr);
    auto user = User("s");
    user->userHeader = url;
    row.SetUser(user);
    auto* header = Child<QLabel>(&row, "headerbk");
    ASSERT_FALSE(header->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_EQ(header->pixmap(Qt::ReturnByValue).size(), QSize(40, 40));
    EXPECT_EQ(header->pixmap(Qt::ReturnByValue).toImage().pixelColor(20, 20), QColor(Qt::red));

    UserItemWidget none(nullptr);
    auto nobody = User("n");
    nobody->userHeader = "http://127.0.0.1:9/avatar-missing.png";  // nothing listens on port 9
    none.SetUser(nobody);
    auto* noneHeader = Child<QLabel>(&none, "headerbk");
    ASSERT_TRUE(testsupport::waitUntil([&] { return !noneHeader->pixmap(Qt::ReturnByValue).isNull(); }, 30000));
    const QImage shown = noneHeader->pixmap(Qt::ReturnByValue).toImage();
    EXPECT_NE(shown.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_EQ(shown.size(), QSize(40, 40));
}

TEST(UserList, MuteAllAndFreeHandupSwitches)
{
    SetRoomKind(false);
    ASSERT_TRUE(EnterDemoRoom());
    Users users;
    UserInfo me("20001");
    CData::instance()->SetLocalUser(me);
    UserListDialog list(nullptr);
    list.show();
    auto* closeAudio = Child<QWidget>(&list, "wdgCloseAudio");
    auto* tip = Child<QLabel>(&list, "labAudioTip");
    auto* icon = Child<QLabel>(&list, "labAudio");
    EXPECT_TRUE(closeAudio->isVisible());

    // Alone: the switch flips at once and nothing is called.
    users.Update(list, me);
    EXPECT_TRUE(closeAudio->property("CloseAudio").toBool());
    EXPECT_EQ(tip->text(), u("取消全体静音"));
    ClearCalls();
    Press(closeAudio);
    EXPECT_FALSE(closeAudio->property("CloseAudio").toBool());
    EXPECT_EQ(tip->text(), u("开启全体静音"));
    EXPECT_TRUE(icon->styleSheet().contains("allmic.png"));
    EXPECT_TRUE(CallsOf("SetUserAudioState").isEmpty());

    // Two students on stage, one talking, one off stage with the microphone on.
    UserInfo talking("s1"), quiet("s2"), offStage("s3");
    talking.online = talking.mic = true;
    quiet.online = true;
    offStage.mic = true;
    for (const UserInfo& u : {talking, quiet, offStage})
        users.Update(list, u);
    EXPECT_FALSE(closeAudio->property("CloseAudio").toBool());
    ClearCalls();
    Press(closeAudio);
    auto calls = CallsOf("SetUserAudioState");
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0], QVariantList({"s1", false}));
    // Nobody else talking: the switch offers to cancel, pressing opens the stage's microphones.
    talking.mic = offStage.mic = false;
    users.Update(list, talking);
    users.Update(list, offStage);
    EXPECT_TRUE(closeAudio->property("CloseAudio").toBool());
    ClearCalls();
    Press(closeAudio);
    calls = CallsOf("SetUserAudioState");
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[0], QVariantList({"s1", true}));
    EXPECT_EQ(calls[1], QVariantList({"s2", true}));

    // Free hand-up follows the library's answer.
    auto* handup = Child<QWidget>(&list, "wdgHandup");
    auto* handupTip = Child<QLabel>(&list, "labHandupTip");
    EXPECT_TRUE(handup->isVisible());  // login role 6
    ClearCalls();
    Press(handup);
    EXPECT_EQ(CallsOf("SetVoiceInteraction"), QList<QVariantList>({{true}}));
    EXPECT_TRUE(handup->property("OpenHandup").toBool());
    EXPECT_EQ(handupTip->text(), u("取消自由举手"));
    EXPECT_TRUE(Child<QLabel>(&list, "labHandup")->styleSheet().contains("handup2.png"));
    Screenshot(&list, "user_list_switches.png");
    ClientLibTestControl::FailNextRequest(Lib());
    Press(handup);
    EXPECT_EQ(CallsOf("SetVoiceInteraction").size(), 2);
    EXPECT_TRUE(handup->property("OpenHandup").toBool());
    list.SetOpenHandup(false);
    EXPECT_EQ(handupTip->text(), u("开启自由举手"));
}

TEST(UserList, LiveRoomVoiceInteractionAndLinkMicBars)
{
    SetRoomKind(true);
    ASSERT_TRUE(EnterDemoRoom());
    Users users;
    UserInfo me("20001");
    me.mic = true;  // the teacher's own microphone never counts
    CData::instance()->SetLocalUser(me);
    QWidget host;
    UserListDialog list(&host);
    auto* bigClose = Child<QWidget>(&list, "widgetBigCloseMedia");
    auto* bar = Child<QWidget>(&list, "widgetBigOnlineUser");
    auto* hangup = Child<QLabel>(&list, "labStopOnline");
    EXPECT_TRUE(bigClose->isHidden());
    list.onBigOpenMedia(true);
    EXPECT_FALSE(bigClose->isHidden());

    ASSERT_TRUE(ClientLibTestControl::StudentJoin(Lib(), "30001"));
    ASSERT_TRUE(ClientLibTestControl::StudentJoin(Lib(), "30002"));
    UserInfo a("30001"), b("30002");
    a.userName = "A";
    b.userName = "B";
    a.mic = b.mic = true;
    users.Update(list, me);
    users.Update(list, a);
    users.Update(list, b);
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(Child<QLabel>(&list, "labStopOnlieTip")->text(), u("音频互动:B"));
    EXPECT_EQ(hangup->property("userid").toString(), "30002");
    EXPECT_TRUE(CData::instance()->GetStatus(kStatusLinkMic));
    host.resize(220, 500);
    list.resize(200, 500);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    Screenshot(&host, "user_list_live_link_mic.png");

    // Ending the interaction while someone is linked is refused with a toast.
    QSignalSpy closeMedia(&list, &UserListDialog::sgBigCloseMediaClick);
    Press(Child<QWidget>(&list, "wdgCloseMedia"));
    EXPECT_EQ(closeMedia.count(), 0);
    EXPECT_TRUE(ToastTexts().contains(u("请停止连麦后，再取消互动")));

    // Hang-up: the library's answer decides.
    ClearCalls();
    ClientLibTestControl::FailNextRequest(Lib());
    list.CancelLinkMic();
    EXPECT_EQ(CallsOf("SetUserLinkMic"), QList<QVariantList>({{"30002", false}}));
    EXPECT_FALSE(bar->isHidden());
    Press(hangup);
    EXPECT_EQ(CallsOf("SetUserLinkMic").size(), 2);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(hangup->property("userid").toString(), QString());
    EXPECT_FALSE(CData::instance()->GetStatus(kStatusLinkMic));
    // With the bar hidden nothing is called; the interaction bar may close now.
    ClearCalls();
    list.CancelLinkMic();
    EXPECT_TRUE(CallsOf("SetUserLinkMic").isEmpty());
    Press(Child<QWidget>(&list, "wdgCloseMedia"));
    EXPECT_EQ(closeMedia.count(), 1);

    // Interaction off: the linked student's own update takes the bar down.
    users.Update(list, b);
    ASSERT_FALSE(bar->isHidden());
    list.onBigOpenMedia(false);
    users.Update(list, a);  // not the shown student
    EXPECT_FALSE(bar->isHidden());
    users.Update(list, b);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(CData::instance()->GetStatus(kStatusLinkMic));
    SetRoomKind(false);
}

TEST(UserList, PerUserMenuEntriesAndCommands)
{
    SetRoomKind(false);
    ASSERT_TRUE(EnterDemoRoom());
    Users users;
    UserListDialog list(nullptr);
    UserInfo teacher("20001");
    teacher.type = 1;
    UserInfo stu("30003");
    stu.draw = true;
    users.Update(list, teacher);
    users.Update(list, stu);
    QList<QPair<QString, bool>> entries;
    QString choose;
    int runs = 0;
    list.SetMenuRunnerForTests([&](QMenu* menu) {
        ++runs;
        entries = Entries(menu);
        if (!choose.isEmpty())
            ClickEntry(menu, choose);
    });

    // Teacher and assistant rows open no menu.
    list.onUserItemPressed(ItemOf(list, "20001"));
    EXPECT_EQ(runs, 0);

    // Off stage: microphone and camera entries are there but disabled.
    list.onUserItemPressed(ItemOf(list, "30003"));
    ASSERT_EQ(runs, 1);
    const QList<QPair<QString, bool>> offStage = {
        {u("开启麦克风"), false}, {u("开启摄像头"), false}, {u("取消画笔"), true}, {u("授权点击"), true},
        {u("邀请互动"), true},    {u("开启禁言"), true},    {u("踢出用户"), true}};
    EXPECT_EQ(entries, offStage);

    struct Step {
        const char* entry;
        QStringList calls;  // "Name:arg1,arg2" in order
        bool draw, click, noSpeak, mic;
    };
    const Step steps[] = {
        // Granting the click right withdraws the pen first.
        {"授权点击", {"SetUserDrawAuth:30003,false", "SetUserClickAuth:30003,true"}, false, true, false, false},
        {"取消点击", {"SetUserClickAuth:30003,false"}, false, false, false, false},
        {"授权画笔", {"SetUserDrawAuth:30003,true"}, true, false, false, false},
        {"开启禁言", {"SetUserNoSpeak:30003,true"}, true, false, true, false},
        {"开启麦克风", {}, true, false, true, false},  // off stage: nothing at all
        {"邀请互动", {"SetUserLinkMic:30003,true"}, true, false, true, false},
    };
    for (const Step& s : steps) {
        ClearCalls();
        choose = u(s.entry);
        list.onUserItemPressed(ItemOf(list, "30003"));
        QStringList seen;
        for (const ClientLibCall& c : ClientLibTestControl::Calls(Lib())) {
            QStringList args;
            for (const QVariant& a : c.args)
                args << a.toString();
            seen << c.name + ":" + args.join(",");
        }
        EXPECT_EQ(seen, s.calls) << s.entry;
        const UserInfo& row = *list.RowOf("30003")->GetUser();
        EXPECT_EQ(row.draw, s.draw) << s.entry;
        EXPECT_EQ(row.click, s.click) << s.entry;
        EXPECT_EQ(row.noSpeak, s.noSpeak) << s.entry;
        UserInfo stored;
        ASSERT_TRUE(CData::instance()->GetUser("30003", stored));
        EXPECT_EQ(stored.draw, s.draw) << s.entry;
        EXPECT_EQ(stored.noSpeak, s.noSpeak) << s.entry;
    }
    // The row redraws only with the next update.
    EXPECT_TRUE(Child<QLabel>(list.RowOf("30003"), "labSpeak")->isHidden());

    // Kicking stores nothing and changes nothing locally.
    ClearCalls();
    CData::instance()->RemoveUser("30003");
    choose = u("踢出用户");
    list.onUserItemPressed(ItemOf(list, "30003"));
    EXPECT_EQ(CallsOf("KickUser"), QList<QVariantList>({{"30003"}}));
    UserInfo none;
    EXPECT_FALSE(CData::instance()->GetUser("30003", none));

    // Live room with the voice interaction off: only the chat ban and the kick.
    SetRoomKind(true);
    CData::instance()->SetStatus(kStatusVoiceInteraction, 0);
    choose.clear();
    list.onUserItemPressed(ItemOf(list, "30003"));
    EXPECT_EQ(entries, (QList<QPair<QString, bool>>{{u("取消禁言"), true}, {u("踢出用户"), true}}));
    CData::instance()->SetStatus(kStatusVoiceInteraction, 1);
    CData::instance()->SetLiveMode(2);
    list.onUserItemPressed(ItemOf(list, "30003"));
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.first().first, u("邀请互动"));
    CData::instance()->SetStatus(kStatusVoiceInteraction, 0);
    SetRoomKind(false);

    // An item without a row: a warning, no menu.
    QListWidgetItem orphan;
    const int before = runs;
    list.onUserItemPressed(&orphan);
    EXPECT_EQ(runs, before);
}

TEST(UserList, ShowsItsSwitchesByRoomKind)
{
    struct Case {
        bool live;
        const char* token;
        bool closeAudio, handup;
    };
    for (const Case& c : {Case{false, "tok|6", true, true}, Case{false, "tok|1", true, false},
                          Case{true, "tok|6", false, true}}) {
        SetRoomKind(c.live, c.token);
        QWidget host;
        UserListDialog list(&host);
        EXPECT_EQ(list.isWindow(), !c.live);
        EXPECT_EQ(list.width(), 200);
        host.show();
        list.show();
        EXPECT_EQ(Child<QWidget>(&list, "wdgCloseAudio")->isVisible(), c.closeAudio) << c.token;
        EXPECT_EQ(Child<QWidget>(&list, "wdgHandup")->isVisible(), c.handup) << c.token;
        EXPECT_TRUE(Child<QWidget>(&list, "titleWidget")->isVisible());
        EXPECT_TRUE(Child<QWidget>(&list, "switchBtn")->isHidden());
        Child<QPushButton>(&list, "closeBtn")->click();
        EXPECT_TRUE(list.isHidden());
    }
    SetRoomKind(false);
}
