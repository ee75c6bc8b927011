// Client library: the home requests after login and the keys of their answers.
#include "tests/libs/clientlib/ClientLibProbe.h"

#include <QDateTime>

using namespace cltest;

namespace {

const QString kToday = QDate::currentDate().toString("yyyy-MM-dd");

}  // namespace

TEST(ClientLibHome, RequestsBeforeLoginAreRefused)
{
    LibFixture lib;
    rec().clear();
    lib->GetClasses();
    lib->GetGroups("1");
    lib->GetDayRooms(kToday, kToday, "1", kToday);
    for (int code : {int(RsC_Http_Classes), int(RsC_Http_Groups), int(RsC_Http_DayRooms)})
        EXPECT_EQ(answer(code).value("code").toInt(), 401) << code;
}

// Every home answer carries the result keys the home window reads, with the
// value types it reads them as.
TEST(ClientLibHome, AnswersCarryTheKeysTheHomeWindowReads)
{
    LibFixture lib;
    lib.login();
    rec().clear();
    const QString monthStart = QDate::currentDate().addDays(-10).toString("yyyy-MM-dd");
    const QString monthEnd = QDate::currentDate().addDays(30).toString("yyyy-MM-dd");
    lib->GetUserInfo("", "");
    lib->GetClasses();
    lib->GetOrders(monthStart, monthEnd, "1");
    lib->GetDayRooms(kToday, kToday, "1", monthStart);
    lib->GetCourseList("81", "71", "1", "71");
    lib->GetTmpRooms("0", "1");
    lib->GetTmpRooms("1", "1");
    lib->GetTmpCourse();
    lib->GetGroups("1");

    const QVariantMap info = answer(RsC_Http_UserInfo);
    EXPECT_EQ(info.value("userName").toString(), "周老师");
    EXPECT_TRUE(info.contains("userHeader"));
    EXPECT_EQ(info.value("user_data").toMap().value("userid").toString(), "");

    const QVariantList classes = answer(RsC_Http_Classes).value("classes").toList();
    ASSERT_EQ(classes.size(), 2);
    const QVariantMap c0 = classes[0].toMap();
    EXPECT_EQ(c0.value("class_id").toLongLong(), 71);
    for (const char* key : {"group_id", "class_name", "image", "total", "end"}) EXPECT_TRUE(c0.contains(key)) << key;

    const QVariantMap orders = answer(RsC_Http_Orders);
    EXPECT_EQ(orders.value("code").toInt(), 0);
    EXPECT_EQ(orders.value("startDay").toString(), monthStart);
    EXPECT_TRUE(orders.value("calePoints").toStringList().contains(kToday));

    const QVariantMap day = answer(RsC_Http_DayRooms);
    EXPECT_EQ(day.value("user_data").toMap().value("startDay").toString(), kToday);
    EXPECT_EQ(day.value("user_data").toMap().value("monthStart").toString(), monthStart);
    const QVariantList rooms = day.value("ltRooms").toList();
    ASSERT_EQ(rooms.size(), 2);  // both courses have a lesson today
    const QVariantMap lesson = rooms[0].toMap();
    for (const char* key : {"course_id", "group_id", "room_id", "room_type", "room_name", "status", "begin", "end",
                            "enterts", "teacher"})
        EXPECT_TRUE(lesson.contains(key)) << key;
    EXPECT_EQ(lesson.value("status").toInt(), 0);  // under way: entry open
    EXPECT_TRUE(QDateTime::fromString(lesson.value("begin").toString(), "yyyy-MM-dd hh:mm:ss").isValid());
    const QVariantMap teacher = lesson.value("teacher").toList().value(0).toMap();
    EXPECT_EQ(teacher.value("user_id").toLongLong(), 501);
    EXPECT_EQ(teacher.value("name").toString(), "周老师");

    const QVariantMap course = answer(RsC_Http_CourseList);
    EXPECT_EQ(course.value("user_data").toMap().value("id").toString(), "71");
    const QVariantList courseRooms = course.value("rooms").toList();
    ASSERT_EQ(courseRooms.size(), 3);
    EXPECT_EQ(courseRooms[0].toMap().value("class_id").toLongLong(), 71);
    EXPECT_EQ(courseRooms[0].toMap().value("status").toInt(), 1);   // ended, with playback
    EXPECT_EQ(courseRooms[2].toMap().value("status").toInt(), -1);  // later: not open yet
    EXPECT_GT(courseRooms[2].toMap().value("enterts").toInt(), 0);

    const QVariantList tmp = answer(RsC_Http_TmpRooms).value("tmprooms").toList();
    ASSERT_EQ(tmp.size(), 1);
    EXPECT_EQ(tmp[0].toMap().value("teacher").toString(), "周老师");
    EXPECT_EQ(answer(RsC_Http_TmpRoomCount).value("tmprooms").toList().size(), 1);
    const QVariantMap tc = answer(RsC_Http_TmpCourse).value("tmpcourse").toList().value(0).toMap();
    EXPECT_EQ(tc.value("group_id").toString(), "81");
    EXPECT_EQ(tc.value("rest").toInt(), 2);

    const QVariantMap group = answer(RsC_Http_Groups).value("groups").toList().value(0).toMap();
    EXPECT_EQ(group.value("id").toLongLong(), 81);
    EXPECT_EQ(group.value("type").toLongLong(), 2);
    EXPECT_EQ(group.value("name").toString(), "一班");
}

TEST(ClientLibHome, GroupMessagesComeNewestFirstAndPageByTime)
{
    LibFixture lib;
    lib.login();
    rec().clear();
    lib->GetGroupMessages("81", "", 0);
    QVariantMap page = answer(RsC_Http_GroupMessages);
    EXPECT_EQ(page.value("user_data").toMap().value("ts").toLongLong(), 0);
    QVariantList list = page.value("datalist").toList();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].toMap().value("id").toLongLong(), 5);
    EXPECT_EQ(list[0].toMap().value("groupid").toLongLong(), 81);
    for (const char* key : {"msg", "CreateTime", "CreateUser"}) EXPECT_TRUE(list[0].toMap().contains(key)) << key;
    // The page before the message of id 4.
    const qint64 ts =
        QDateTime::fromString(list[1].toMap().value("CreateTime").toString(), "yyyy-MM-dd hh:mm:ss").toSecsSinceEpoch();
    rec().clear();
    lib->GetGroupMessages("81", "", ts);
    list = answer(RsC_Http_GroupMessages).value("datalist").toList();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].toMap().value("id").toLongLong(), 3);

    rec().clear();
    EXPECT_FALSE(lib->GetGroupMessages("", "", 0));
    EXPECT_EQ(answer(RsC_Http_GroupMessages).value("code").toInt(), 400);
    rec().clear();
    lib->GetGroupMessages("999", "", 0);
    EXPECT_EQ(answer(RsC_Http_GroupMessages).value("code").toInt(), 404);
}

TEST(ClientLibHome, TemporaryRoomIsMadeFoundAndShared)
{
    LibFixture lib;
    lib.login();
    rec().clear();
    lib->MakeTmpRoom(3, "81");
    QVariantMap made = answer(RsC_Http_MakeTmpRoom);
    EXPECT_EQ(made.value("code").toInt(), 0);
    EXPECT_EQ(made.value("user_data").toMap().value("type").toInt(), 3);
    for (const char* key : {"id", "group_id", "room_id", "room_name", "begin", "end", "teacher"})
        EXPECT_TRUE(made.contains(key)) << key;
    const QString roomId = made.value("room_id").toString();

    rec().clear();
    lib->FindUser("13900000601", "86", roomId);
    QVariantMap found = answer(RsC_Http_FindUser);
    EXPECT_EQ(found.value("code").toInt(), 0);
    EXPECT_EQ(found.value("name").toString(), "甲");
    EXPECT_EQ(found.value("user_id").toLongLong(), 601);
    EXPECT_EQ(found.value("user_data").toMap().value("roomid").toString(), roomId);
    EXPECT_EQ(found.value("user_data").toMap().value("phone").toString(), "13900000601");

    rec().clear();
    lib->ShareTmpRoom("tmp", roomId, "601");
    QVariantMap shared = answer(RsC_Http_ShareTmpRoom);
    EXPECT_EQ(shared.value("code").toInt(), 0);
    EXPECT_EQ(shared.value("user_data").toMap().value("roomid").toString(), roomId);

    rec().clear();
    lib->FindUser("13900000999", "86", roomId);
    EXPECT_NE(answer(RsC_Http_FindUser).value("code").toInt(), 0);
    rec().clear();
    lib->MakeTmpRoom(7, "81");
    EXPECT_EQ(answer(RsC_Http_MakeTmpRoom).value("code").toInt(), 400);
}

TEST(ClientLibHome, FeedbackIsKept)
{
    LibFixture lib;
    rec().clear();
    lib->SubmitFeedback(QVariant(2), "录屏时声音断断续续");
    EXPECT_EQ(answer(RsC_Http_Feedback).value("code").toInt(), 0);
    const QVariantList fb = ClientLibTestControl::ServiceState(lib.lib()).value("feedback").toList();
    ASSERT_EQ(fb.size(), 1);
    EXPECT_EQ(fb[0].toMap().value("category").toInt(), 2);
    rec().clear();
    EXPECT_FALSE(lib->SubmitFeedback(QVariant("two"), "text"));
    EXPECT_EQ(answer(RsC_Http_Feedback).value("code").toInt(), 400);
}
