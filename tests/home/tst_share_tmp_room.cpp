// The temporary classroom sharing dialog: a scripted share through the home
// window against the demo school, the look-up states, the share history
// and answers that come after their dialog was closed.
// test-labels: e2e
#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Logger.h"
#include "home/ClassItem.h"
#include "home/ClassListWidget.h"
#include "home/ShareTmpRoomWidget.h"
#include "tests/home/HomeTestSupport.h"
#include "widgets/MsgBox.h"

#include <gtest/gtest.h>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace hometest;

namespace {

template <class T = QWidget>
T* child(QWidget* w, const char* name)
{
    return w->findChild<T*>(name);
}

QString tip(ShareTmpRoomWidget* d) { return child<QLabel>(d, "labTip")->text(); }

void typeNumber(ShareTmpRoomWidget* d, const QString& number)
{
    auto* line = child<QLineEdit>(d, "lineFind");
    line->clear();
    QTest::keyClicks(line, number);
}

QString storedHistory() { return CSettings::instance()->GetValue("IphoneShareList", "").toString(); }

std::string logText() { return testsupport::readFile(Logger::instance()->fileName().toStdString()); }

RoomInfo tmpRoom(const std::string& roomId, const std::string& courseId = "55")
{
    RoomInfo r;
    r.isTmp = true;
    r.room_type = 1;
    r.room_id = roomId;
    r.course_id = courseId;
    return r;
}

// Signs in through a home window that gets every HTTP result, as the main
// window wires it.
void signIn(ClassListWidget* w)
{
    onHttpResult(w, [w](int type, QVariant data) {
        if (type == RsC_Http_Login && data.toMap()["code"].toInt() == 0)
            CData::instance()->SetStatus(1, 1);
        w->ClassResult(type, data);
    });
    lib()->Login("13800138000", "veltora123", "86");
    ASSERT_TRUE(testsupport::waitUntil([&] { return w->isVisible(); }));
}

class ShareTmpRoomTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        lib();
        useProgramStyle();
        CData::instance()->ResetData(true);
        CData::instance()->AddIphoneShare(QString());
        ClientLibTestControl::ClearCalls(lib());
    }
    void TearDown() override { CData::instance()->SetStatus(1, 0); }
};

}  // namespace

TEST_F(ShareTmpRoomTest, ScriptedShareThroughTheHomeWindow)
{
    ClassListWidget w;
    signIn(&w);
    // A temporary room made by the teacher, and its row.
    lib()->MakeTmpRoom(3, "81");
    ASSERT_TRUE(testsupport::waitUntil([] {
        for (const RoomInfo& r : CData::instance()->GetRoomList())
            if (r.isTmp && r.status == 0)
                return true;
        return false;
    }));
    RoomInfo room;
    for (const RoomInfo& r : CData::instance()->GetRoomList())
        if (r.isTmp && r.status == 0)
            room = r;
    ASSERT_FALSE(room.course_id.empty());
    ClassItem row;
    row.InitUI(room);
    auto* share = child<QPushButton>(&row, "btnQRCode");
    share->click();
    ShareTmpRoomWidget* d = ShareTmpRoomWidget::FindWidget(room.room_id);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->parentWidget(), &w);
    share->click();  // the same room: the same dialog
    EXPECT_EQ(ShareTmpRoomWidget::FindWidget(room.room_id), d);
    EXPECT_EQ(w.findChildren<ShareTmpRoomWidget*>().size(), 1);

    // Unknown number: the reason is not shown, the tip says nobody was found.
    typeNumber(d, "13900000999");
    child<QPushButton>(d, "btnFind")->click();
    EXPECT_FALSE(child<QPushButton>(d, "btnFind")->isEnabled());
    ASSERT_TRUE(testsupport::waitUntil([&] { return !tip(d).isEmpty(); }));
    EXPECT_EQ(tip(d), QString::fromUtf8("未找到用户，请确认用户手机号有效"));
    EXPECT_TRUE(storedHistory().isEmpty());
    child<QPushButton>(d, "btnOk")->click();
    EXPECT_EQ(tip(d), QString::fromUtf8("请先查找用户后，再分享"));
    EXPECT_TRUE(callsNamed("ShareTmpRoom").isEmpty());

    // A known number: found, kept in the history, shared.
    ASSERT_TRUE(testsupport::waitUntil([&] { return child<QPushButton>(d, "btnFind")->isEnabled(); }, 10000));
    typeNumber(d, "13900000001");
    child<QPushButton>(d, "btnFind")->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return tip(d) == QString::fromUtf8("分享给：张小明"); })) << tip(d).toStdString() << callsNamed("FindUser").size();
    EXPECT_EQ(storedHistory(), QString::fromUtf8("13900000001(张小明)"));
    const QList<ClientLibCall> finds = callsNamed("FindUser");
    ASSERT_EQ(finds.size(), 2);
    EXPECT_EQ(finds[1].args, (QVariantList{"13900000001", "86", QString::fromStdString(room.room_id)}));
    QTest::qWait(200);
    screenshot(d, "share_tmp_room_found.png");

    child<QPushButton>(d, "btnOk")->click();
    const QList<ClientLibCall> shares = callsNamed("ShareTmpRoom");
    ASSERT_EQ(shares.size(), 1);
    EXPECT_EQ(shares[0].args, (QVariantList{QString::fromStdString(room.course_id),
                                            QString::fromStdString(room.room_id), "30001"}));
    // The success closes the dialog and says so in a message box.
    ASSERT_TRUE(testsupport::waitUntil([&] { return ShareTmpRoomWidget::FindWidget(room.room_id) == nullptr; }));
    MsgBox* box = nullptr;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        for (MsgBox* b : w.findChildren<MsgBox*>())
            if (b->isVisible())
                box = b;
        return box != nullptr;
    }));
    EXPECT_TRUE(box->findChild<QLabel*>("labMsg")->text().contains(QString::fromUtf8("分享15分钟课堂成功!")));
    screenshot(box, "share_tmp_room_success.png");
    box->close();

    // Answers for the closed dialog are dropped: no hidden dialog is made.
    const QVariantMap echo{{"roomid", QString::fromStdString(room.room_id)}, {"phone", "13900000002"}};
    w.ClassResult(RsC_Http_FindUser, QVariantMap{{"code", 0}, {"name", "乙"}, {"user_id", 602}, {"user_data", echo}});
    w.ClassResult(RsC_Http_ShareTmpRoom, QVariantMap{{"code", 0}, {"user_data", echo}});
    EXPECT_EQ(ShareTmpRoomWidget::FindWidget(room.room_id), nullptr);
    EXPECT_TRUE(testsupport::waitUntil([&] { return w.findChildren<ShareTmpRoomWidget*>().isEmpty(); }));
    EXPECT_NE(logText().find("without its dialog, dropped"), std::string::npos);

    // The row's next share opens a fresh dialog with the history button.
    share->click();
    d = ShareTmpRoomWidget::FindWidget(room.room_id);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(tip(d).isEmpty());
    auto* grid = child<QGridLayout>(d, "gridLayout");
    ASSERT_GE(grid->count(), 1);
    auto* first = qobject_cast<QPushButton*>(grid->itemAtPosition(0, 0)->widget());
    first->click();
    EXPECT_EQ(child<QLineEdit>(d, "lineFind")->text(), "13900000001");
    d->close();
}

TEST_F(ShareTmpRoomTest, LookUpStatesAndRefusedShares)
{
    ShareTmpRoomWidget* d = ShareTmpRoomWidget::GetWidget(tmpRoom("r-states"));
    d->show();
    auto* find = child<QPushButton>(d, "btnFind");
    auto* ok = child<QPushButton>(d, "btnOk");

    // The number field takes only a mainland mobile number.
    const struct {
        const char* typed;
        const char* kept;
    } numbers[] = {{"13900000001", "13900000001"}, {"139000000019", "13900000001"}, {"2390", ""},
                   {"1a39", "139"}, {"1 39", "139"}};
    for (const auto& n : numbers) {
        typeNumber(d, n.typed);
        EXPECT_EQ(child<QLineEdit>(d, "lineFind")->text(), QString(n.kept)) << n.typed;
    }

    // Too short: refused before anything is sent, and the button stays.
    typeNumber(d, "1390000");
    find->click();
    ok->click();
    EXPECT_EQ(tip(d), QString::fromUtf8("手机号无效，请重新输入"));
    EXPECT_TRUE(find->isEnabled());
    EXPECT_TRUE(callsNamed("FindUser").isEmpty());

    // A stale answer (for another number) clears the remembered number: the
    // answer of the number itself is then ignored too, and the next press
    // asks again.
    typeNumber(d, "13900000001");
    find->click();
    ASSERT_EQ(callsNamed("FindUser").size(), 1);
    const QString asked = tip(d);  // unchanged until the answer
    d->OnFindUserResult("13900000777", "X", "777");
    EXPECT_EQ(tip(d), asked);
    d->OnFindUserResult("13900000001", QString::fromUtf8("张小明"), "30001");
    EXPECT_EQ(tip(d), asked);
    ok->click();
    EXPECT_EQ(tip(d), QString::fromUtf8("请先查找用户后，再分享"));

    // Found after asking again; a second press for the same number only
    // shows what is known.
    ASSERT_TRUE(testsupport::waitUntil([&] { return find->isEnabled(); }, 10000));
    find->click();
    ASSERT_EQ(callsNamed("FindUser").size(), 2);
    d->OnFindUserResult("13900000001", QString::fromUtf8("张小明"), "30001");
    EXPECT_EQ(tip(d), QString::fromUtf8("分享给：张小明"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return find->isEnabled(); }, 10000));
    find->click();
    EXPECT_EQ(callsNamed("FindUser").size(), 2);
    EXPECT_EQ(tip(d), QString::fromUtf8("分享给：张小明"));

    // Another number in the field: no share until that number is found.
    typeNumber(d, "13900000002");
    ok->click();
    EXPECT_EQ(tip(d), QString::fromUtf8("请先查找用户后，再分享"));
    EXPECT_TRUE(callsNamed("ShareTmpRoom").isEmpty());

    d->OnShareFailed("no(code=404)");
    EXPECT_EQ(tip(d), QString::fromUtf8("分享失败，no(code=404)"));
    d->close();

    // A room record without its course id never becomes a share.
    ShareTmpRoomWidget* broken = ShareTmpRoomWidget::GetWidget(tmpRoom("r-nocourse", ""));
    typeNumber(broken, "13900000001");
    child<QPushButton>(broken, "btnFind")->click();
    broken->OnFindUserResult("13900000001", QString::fromUtf8("张小明"), "30001");
    child<QPushButton>(broken, "btnOk")->click();
    EXPECT_TRUE(callsNamed("ShareTmpRoom").isEmpty());
    EXPECT_FALSE(tip(broken).startsWith(QString::fromUtf8("分享给")));
    EXPECT_NE(logText().find("without course id, not shared"), std::string::npos);
    broken->close();
}

TEST_F(ShareTmpRoomTest, HistoryGridAndClearing)
{
    for (int i = 0; i < 11; ++i)
        CData::instance()->AddIphoneShare(QString("139000006%1(u%2)").arg(i, 2, 10, QChar('0')).arg(i));
    CData::instance()->AddIphoneShare("13900000605(u5)");  // already there: nothing moves
    const QStringList history = CData::instance()->GetIphoneShareList();
    ASSERT_EQ(history.size(), 10);
    EXPECT_EQ(history.first(), "13900000601(u1)");  // the oldest went
    EXPECT_EQ(history.last(), "13900000610(u10)");

    ShareTmpRoomWidget* d = ShareTmpRoomWidget::GetWidget(tmpRoom("r-grid"));
    d->show();
    auto* grid = child<QGridLayout>(d, "gridLayout");
    EXPECT_EQ(grid->count(), 10);
    EXPECT_EQ(grid->rowCount(), 5);
    for (int i = 0; i < 10; ++i) {
        auto* b = qobject_cast<QPushButton*>(grid->itemAtPosition(i / 2, i % 2)->widget());
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), history[i]);
        EXPECT_EQ(b->height(), 26);
    }
    QTest::qWait(200);
    screenshot(d, "share_tmp_room_history.png");

    child<QPushButton>(d, "btnClearHistory")->click();
    EXPECT_EQ(grid->count(), 0);
    EXPECT_TRUE(CData::instance()->GetIphoneShareList().isEmpty());
    EXPECT_TRUE(storedHistory().isEmpty());
    d->close();
}

TEST_F(ShareTmpRoomTest, NamesWithTheSeparatorKeepTheHistoryWhole)
{
    ClassListWidget w;
    CData::instance()->SetStatus(1, 1);
    ShareTmpRoomWidget* d = ShareTmpRoomWidget::GetWidget(tmpRoom("r-bar"));
    typeNumber(d, "13900000001");
    child<QPushButton>(d, "btnFind")->click();
    const QVariantMap echo{{"roomid", "r-bar"}, {"phone", "13900000001"}};
    w.ClassResult(RsC_Http_FindUser,
                  QVariantMap{{"code", 0}, {"name", QString::fromUtf8("王|五")}, {"user_id", 601}, {"user_data", echo}});
    EXPECT_EQ(tip(d), QString::fromUtf8("分享给：王|五"));  // the dialog shows the name as it is
    CData::instance()->AddIphoneShare("13900000002(b)");
    // Stored in the one format: entries joined with "|", each read back whole.
    EXPECT_EQ(storedHistory(), QString::fromUtf8("13900000001(王｜五)|13900000002(b)"));
    EXPECT_EQ(storedHistory().split('|').size(), 2);

    // A refused look-up: the reason is in the name, nothing is kept.
    w.ClassResult(RsC_Http_FindUser, QVariantMap{{"code", 404}, {"errMsg", "none"}, {"user_data", echo}});
    EXPECT_EQ(CData::instance()->GetIphoneShareList().size(), 2);
    d->close();
}
