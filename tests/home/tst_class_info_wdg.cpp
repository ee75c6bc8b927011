// The day class list and its rows: texts and buttons by lesson state, the
// entry request, the countdown, widths on resize, and the demo school's
// lessons of today.
#include "app/CData.h"
#include "home/ClassInfoWdg.h"
#include "home/ClassItem.h"
#include "tests/home/HomeTestSupport.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace hometest;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

RoomInfo lesson(int status, bool tmp = false, int roomType = 0, int enterts = 0)
{
    RoomInfo r;
    r.isTmp = tmp;
    r.course_id = "c1";
    r.group_id = "g1";
    r.room_id = "r1";
    r.room_name = "Lesson";
    r.room_type = roomType;
    r.status = status;
    r.begin = "2024-05-06 09:30:00";
    r.end = "2024-05-06 10:15:00";
    r.enterts = enterts;
    return r;
}

struct Row {
    ClassItem item;
    QPushButton* enter() { return item.findChild<QPushButton*>("btnEnter"); }
    QPushButton* share() { return item.findChild<QPushButton*>("btnQRCode"); }
    QLabel* label(const char* name) { return item.findChild<QLabel*>(name); }
};

// The lessons of a day as the client library lists them ("ltRooms").
std::vector<RoomInfo> roomsFrom(const QVariantList& list)
{
    std::vector<RoomInfo> rooms;
    for (const QVariant& v : list) {
        const QVariantMap m = v.toMap();
        RoomInfo r;
        r.course_id = m["course_id"].toString().toStdString();
        r.group_id = m["group_id"].toString().toStdString();
        r.room_id = m["room_id"].toString().toStdString();
        r.room_name = m["room_name"].toString().toStdString();
        r.room_type = m["room_type"].toInt();
        r.status = m["status"].toInt();
        r.begin = m["begin"].toString().toStdString();
        r.end = m["end"].toString().toStdString();
        r.enterts = m["enterts"].toInt();
        for (const QVariant& t : m["teacher"].toList())
            r.teacher.push_back({QString::number(t.toMap()["user_id"].toLongLong()).toStdString(),
                                 t.toMap()["head_img"].toString().toStdString(),
                                 t.toMap()["name"].toString().toStdString(), t.toMap()["nick"].toString().toStdString()});
        rooms.push_back(r);
    }
    std::sort(rooms.begin(), rooms.end(), [](const RoomInfo& a, const RoomInfo& b) { return a.begin < b.begin; });
    return rooms;
}

}  // namespace

TEST(ClassItem, TextsAndButtonsFollowTheLessonState)
{
    struct Case {
        RoomInfo info;
        const char* enter;
        bool enabled;
        const char* share;  // "" = hidden
        bool free;
        bool countdown;
    };
    const Case cases[] = {
        {lesson(-1, false, 0, 5), "未开始", false, "", false, true},
        {lesson(-1, false, 0, 0), "未开始", false, "", false, false},
        {lesson(0), "进入直播", true, "", false, false},
        {lesson(1), "看回放", true, "", false, false},
        {lesson(2), "已结束", false, "", false, false},
        {lesson(7), "已结束", false, "", false, false},
        {lesson(0, true, 1), "进入直播", true, "分享课程", true, false},
        {lesson(1, true, 1), "已结束", true, "", true, false},
        {lesson(0, false, 3), "进入直播", true, "", true, false},
    };
    for (const Case& c : cases) {
        Row r;
        r.item.InitUI(c.info);
        SCOPED_TRACE(QString("status %1 tmp %2 type %3").arg(c.info.status).arg(c.info.isTmp).arg(c.info.room_type).toStdString());
        EXPECT_EQ(r.enter()->text(), u(c.enter));
        EXPECT_EQ(r.enter()->isEnabled(), c.enabled);
        EXPECT_EQ(!r.share()->isHidden(), *c.share != 0);
        if (*c.share) {
            EXPECT_EQ(r.share()->text(), u(c.share));
        }
        EXPECT_EQ(!r.label("labFree")->isHidden(), c.free);
        EXPECT_EQ(!r.label("labCountTs")->isHidden(), c.countdown);
        EXPECT_EQ(r.label("labTime")->text(), "2024/05/06 09:30-10:15");
    }
    Row wait;
    wait.item.InitUI(lesson(-1, false, 0, 5));
    EXPECT_EQ(wait.enter()->styleSheet(), ClassItem::WaitButtonStyle());
    EXPECT_TRUE(ClassItem::WaitButtonStyle().contains("border:1px solid  #67c0ba;"));
    EXPECT_TRUE(ClassItem::ShareButtonStyle().contains("border:1px solid  #f2a71d;"));
}

TEST(ClassItem, TeachersAndBadTimes)
{
    Row r;
    RoomInfo info = lesson(0);
    info.teacher = {{"1", "", "A", ""}, {"2", "", "<b>B</b>", ""}};
    info.begin = "not a time";
    r.item.InitUI(info);
    EXPECT_TRUE(r.label("labTeacher")->text().startsWith(u("A、")));
    EXPECT_EQ(r.label("labTeacher")->textFormat(), Qt::PlainText);
    EXPECT_TRUE(r.label("labTeacher")->toolTip().contains("&lt;b&gt;"));  // shown, not interpreted
    EXPECT_EQ(r.label("labTime")->text(), "-10:15");
    Row none;
    none.item.InitUI(lesson(0));
    EXPECT_TRUE(none.label("labTeacher")->text().isEmpty());
}

TEST(ClassItem, CountdownAsksForFreshLessonsOnce)
{
    Row r;
    r.item.InitUI(lesson(-1, false, 0, 5));
    EXPECT_EQ(r.label("labCountTs")->text(), "00:00:05");
    QSignalSpy update(&r.item, &ClassItem::sgUpdateData);
    for (int i = 0; i < 8; ++i)
        emit CData::instance()->sgTimerUpdate(i);
    EXPECT_EQ(r.label("labCountTs")->text(), "00:00:00");
    ASSERT_EQ(update.count(), 1);
    EXPECT_EQ(update[0], QVariantList({"c1", "g1"}));
}

TEST(ClassItem, EnterAsksTheLibraryWithTheLessonKind)
{
    ClientLib* l = lib();
    struct Case {
        RoomInfo info;
        const char* kind;
    };
    const Case cases[] = {{lesson(0), "2"}, {lesson(1), "5"}, {lesson(0, true, 1), "3"}, {lesson(0, false, 3), "2"}};
    for (const Case& c : cases) {
        Row r;
        r.item.InitUI(c.info);
        ClientLibTestControl::ClearCalls(l);
        QTest::mouseClick(r.enter(), Qt::LeftButton);
        const QList<ClientLibCall> calls = callsNamed("EnterRoomRequest");
        ASSERT_EQ(calls.size(), 1);
        EXPECT_EQ(calls[0].args, QVariantList({"g1", "r1", QString::number(CData::instance()->GetLocalUser()->type),
                                               c.kind}));
    }
}

TEST(ClassInfoWdg, RowsOfTheDemoSchoolsDayFollowTheListWidth)
{
    ClientLib* l = lib();
    QVariantMap dayRooms;
    bool loggedIn = false;
    onHttpResult(qApp, [&](int type, QVariant data) {
        if (type == RsC_Http_Login)
            loggedIn = data.toMap()["code"].toInt() == 0;
        if (type == RsC_Http_DayRooms)
            dayRooms = data.toMap();
    });
    l->Login("13800138000", "veltora123", "86");
    ASSERT_TRUE(testsupport::waitUntil([&] { return loggedIn; }));
    // The school's lessons of today lie around the current time; close to
    // midnight some fall on the next day.
    std::vector<RoomInfo> rooms;
    for (int offset = 0; offset < 2 && rooms.empty(); ++offset) {
        const QString day = QDate::currentDate().addDays(offset).toString("yyyy-MM-dd");
        dayRooms.clear();
        l->GetDayRooms(day, day, "1", day);
        ASSERT_TRUE(testsupport::waitUntil([&] { return !dayRooms.isEmpty(); }));
        ASSERT_EQ(dayRooms["code"].toInt(), 0);
        rooms = roomsFrom(dayRooms["ltRooms"].toList());
    }
    ASSERT_FALSE(rooms.empty());

    ClassInfoWdg list;
    list.resize(620, 480);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy update(&list, &ClassInfoWdg::sgUpdateData);
    list.SetRooms(rooms);
    ASSERT_EQ(list.List()->count(), int(rooms.size()));
    for (int i = 0; i < list.List()->count(); ++i) {
        auto* row = qobject_cast<ClassItem*>(list.List()->itemWidget(list.List()->item(i)));
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->Info().room_id, rooms[i].room_id);
        EXPECT_EQ(row->height(), 100);
    }
    screenshot(&list, "class_day_list.png");
    list.resize(500, 480);
    QTest::qWait(0);
    auto* first = list.List()->itemWidget(list.List()->item(0));
    EXPECT_EQ(first->width(), list.List()->viewport()->width());

    // More rows than fit: the scroll bar shows, slim, and every row's
    // buttons stay whole beside it.
    list.SetRooms(std::vector<RoomInfo>(8, rooms[0]));
    QScrollBar* bar = list.List()->verticalScrollBar();
    ASSERT_TRUE(testsupport::waitUntil([&] { return bar->isVisible(); }));
    EXPECT_LE(bar->width(), 8);
    QCoreApplication::processEvents();
    for (int i = 0; i < list.List()->count(); ++i) {
        QWidget* row = list.List()->itemWidget(list.List()->item(i));
        EXPECT_EQ(row->width(), list.List()->viewport()->width()) << i;
        for (QPushButton* b : row->findChildren<QPushButton*>()) {
            if (b->isVisible()) {
                EXPECT_LE(b->mapTo(row, QPoint(b->width(), 0)).x(), row->width()) << i;
            }
        }
    }
    screenshot(&list, "class_day_list_scrolled.png");
    list.ClearRooms();
    EXPECT_EQ(list.List()->count(), 0);
}
