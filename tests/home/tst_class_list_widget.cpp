// The class home window: a scripted session against the demo school (sign
// in, today's lessons, months, a day, the pages) and the handling of
// answers that must change nothing.
// test-labels: e2e
#include "app/CData.h"
#include "app/CSettings.h"
#include "home/CalendarWdg.h"
#include "home/ClassInfoWdg.h"
#include "home/ClassListWidget.h"
#include "tests/home/HomeTestSupport.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTest>

using namespace hometest;

namespace {

template <class T = QWidget>
T* child(QWidget* w, const char* name)
{
    return w->findChild<T*>(name);
}

int stackPage(QWidget* w, const char* name) { return child<QStackedWidget>(w, name)->currentIndex(); }

// Hands every HTTP result to the window as the main window does, after
// the login window marked a successful sign-in.
void wire(ClassListWidget* w)
{
    onHttpResult(w, [w](int type, QVariant data) {
        if ((type == RsC_Http_Login) && data.toMap()["code"].toInt() == 0)
            CData::instance()->SetStatus(1, 1);
        w->ClassResult(type, data);
    });
}

std::string gridStart(ClassListWidget& w)
{
    std::string first, last;
    w.Calendar()->GetShowRange(first, last);
    return first;
}

}  // namespace

TEST(ClassListWidget, DemoSessionShowsTodayMonthsDaysAndPages)
{
    lib();
    useProgramStyle();
    CData::instance()->ResetData(true);
    ClassListWidget w;
    wire(&w);
    EXPECT_TRUE(w.isHidden());
    EXPECT_EQ(w.windowTitle(), "vtclasstea");
    EXPECT_EQ(stackPage(&w, "stackMain"), 1);

    lib()->Login("13800138000", "veltora123", "86");
    ASSERT_TRUE(testsupport::waitUntil([&] { return w.isVisible(); }));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // Today's month points and today's lessons arrive and are shown.
    ASSERT_TRUE(testsupport::waitUntil([&] { return CData::instance()->HasCalePoints(gridStart(w)); }));
    const QDate today = QDate::currentDate();
    const std::string todayKey = today.toString("yyyy-MM-dd").toStdString();
    ASSERT_TRUE(testsupport::waitUntil([&] { return CData::instance()->HasDayRooms(todayKey); }));
    // The day panel's list (the course page has a list of the same name).
    auto* lessons = child<QScrollArea>(&w, "scrollClassList")->findChild<ClassInfoWdg*>("classInfoWdg");
    ASSERT_NE(lessons, nullptr);
    EXPECT_EQ(lessons->List()->count(), int(CData::instance()->GetDayRooms(todayKey).size()));
    EXPECT_EQ(child<QLabel>(&w, "labDay")->text(), QString::number(today.day()));
    EXPECT_FALSE(child(&w, "btnToday")->isVisible());
    // The user's name comes with the user information.
    ASSERT_TRUE(testsupport::waitUntil([&] { return !child<QPushButton>(&w, "btnUser")->toolTip().isEmpty(); }));
    QTest::qWait(200);
    screenshot(&w, "class_list_today.png");

    // The next month: its points are asked for and marked; back to today.
    child<QPushButton>(&w, "btnRight")->click();
    int y = 0, m = 0;
    w.Calendar()->GetShowMonth(y, m);
    EXPECT_EQ(m, today.month() % 12 + 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return CData::instance()->HasCalePoints(gridStart(w)); }));
    EXPECT_TRUE(child(&w, "btnToday")->isVisible());
    child<QPushButton>(&w, "btnToday")->click();
    w.Calendar()->GetShowMonth(y, m);
    EXPECT_EQ(m, today.month());
    EXPECT_FALSE(child(&w, "btnToday")->isVisible());

    // The pages.
    const struct {
        const char* button;
        int page;
        const char* title;
    } pages[] = {{"btnCourse", 0, "课程"}, {"btnMessage", 2, "消息"}, {"btnCale", 1, "日历"}};
    for (const auto& p : pages) {
        child<QPushButton>(&w, p.button)->click();
        EXPECT_EQ(stackPage(&w, "stackMain"), p.page) << p.button;
        EXPECT_EQ(child<QLabel>(&w, "labTitle")->text(), QString::fromUtf8(p.title));
        QTest::qWait(300);
        screenshot(&w, std::string("class_list_") + p.button + ".png");
    }
    CData::instance()->SetStatus(1, 0);
}

TEST(ClassListWidget, AnswersThatChangeNothing)
{
    lib();
    CData* data = CData::instance();
    data->ResetData(true);
    ClassListWidget w;
    const QVariantMap group = {{"groups", QVariantList{QVariantMap{{"id", 7}, {"name", "G"}}}}};
    auto msgs = [](qlonglong groupId) {
        return QVariantMap{{"datalist", QVariantList{QVariantMap{
                                             {"groupid", groupId}, {"id", 5}, {"CreateTime", "2024-03-01 10:00:00"}}}}};
    };

    // Signed out (after "switch account"): stale answers change nothing.
    data->SetStatus(1, 0);
    EXPECT_FALSE(w.ClassResult(RsC_Http_Groups, group));
    EXPECT_TRUE(data->GetGroups().empty());

    data->SetStatus(1, 1);
    const struct {
        int type;
        QVariantMap answer;
    } cases[] = {
        {999, group},
        {1035, group},
        {RsC_Http_EnterRoom, group},
        {RsC_Http_TmpRoomCount, {{"tmprooms", QVariantList{QVariantMap{{"status", 0}, {"room_id", "r"}}}}}},
        {RsC_Http_GroupMessages, msgs(8)},
        {RsC_Http_DayRooms,
         {{"ltRooms", QVariantList{QVariantMap{{"room_id", "r"}}}},
          {"user_data", QVariantMap{{"monthStart", "2030-01-01"}, {"startDay", "2030-01-02"}}}}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(w.ClassResult(c.type, c.answer)) << c.type;
        EXPECT_TRUE(data->GetGroups().empty()) << c.type;
        EXPECT_TRUE(data->GetCourses().empty()) << c.type;
        EXPECT_TRUE(data->GetRoomList().empty()) << c.type;
    }
    // An unknown month takes no points from a day's answer (GetOrders asks
    // for the month whole); the day itself is cached.
    EXPECT_FALSE(data->HasCalePoints("2030-01-01"));
    EXPECT_TRUE(data->HasDayRooms("2030-01-02"));

    // Messages of a known group are kept newest first, one per id, and mark
    // the hidden message page as unread.
    ASSERT_FALSE(w.ClassResult(RsC_Http_Groups, group));
    w.ClassResult(RsC_Http_GroupMessages, msgs(7));
    QVariantMap older = msgs(7);
    older["datalist"] = QVariantList{QVariantMap{{"groupid", 7}, {"id", 3}, {"CreateTime", "2024-02-01 10:00:00"}},
                                     QVariantMap{{"groupid", 7}, {"id", 5}, {"CreateTime", "2024-03-01 10:00:00"}}};
    w.ClassResult(RsC_Http_GroupMessages, older);
    GroupInfo g;
    ASSERT_TRUE(data->GetGroup("7", g));
    ASSERT_EQ(g.msgs.size(), 2u);
    EXPECT_EQ(g.msgs[0].msgId, 5);
    EXPECT_EQ(g.msgs[1].msgId, 3);
    auto* message = child<QPushButton>(&w, "btnMessage");
    EXPECT_TRUE(message->isChecked());
    message->click();
    EXPECT_FALSE(message->isCheckable());
    EXPECT_EQ(CSettings::instance()->GetValue("App/GMsgLasterTs7").toString(), "2024-03-01 10:00:00");

    // With a temporary course, 1022 counts its rooms: status 0 free, others used.
    w.ClassResult(RsC_Http_TmpCourse, QVariantMap{{"tmpcourse", QVariantList{QVariantMap{{"group_id", "g"}}}}});
    w.ClassResult(RsC_Http_TmpRoomCount,
                  QVariantMap{{"tmprooms", QVariantList{QVariantMap{{"status", 0}}, QVariantMap{{"status", -1}},
                                             QVariantMap{{"status", 2}}}}});
    const CourseInfo tmp = data->GetTmpCourse();
    EXPECT_EQ(tmp.courseId, "tmp111122222");
    EXPECT_EQ(tmp.free, 1);
    EXPECT_EQ(tmp.used, 2);
    data->SetStatus(1, 0);
    data->ResetData(true);
}
