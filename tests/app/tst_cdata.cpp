#include "app/CData.h"
#include "app/CSettings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}

class CDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home();
        data = CData::instance();
        data->ResetData(true);
    }
    CData* data = nullptr;
};

QStringList loginVars(const QString& token, const QString& kind)
{
    return {token, "live-1", "u100", "张老师", "g7", kind};
}

}  // namespace

TEST_F(CDataTest, FreshState)
{
    EXPECT_EQ(data->GetLocalUser()->type, 1);
    EXPECT_EQ(data->GetLayout(), 1);
    EXPECT_EQ(data->GetLiveMode(), 2);
    EXPECT_EQ(data->GetClassType(), 2);
    EXPECT_TRUE(data->IsTeacher());
    EXPECT_EQ(data->GetPlatform(), "winTea");
}

TEST_F(CDataTest, ServerTimeKeepsTheSmallestOffset)
{
    // The offset starts unset; a process-wide instance may have seen others,
    // so only the order rules are checked from a known smaller value.
    data->SetSvrTimeOff(-1000000);
    data->SetSvrTimeOff(-999999);  // larger: ignored
    EXPECT_EQ(data->GetSvrTimeOff(), -1000000);
    EXPECT_GT(data->GetSvrTime(), 0);
}

TEST_F(CDataTest, LoginVariables)
{
    EXPECT_FALSE(data->SetLoginVar({"a", "b", "c", "d", "e"}));
    EXPECT_TRUE(data->GetLoginVar().isEmpty());

    ASSERT_TRUE(data->SetLoginVar(loginVars("tok|3|6", "2")));
    EXPECT_EQ(data->GetLocalUser()->userId, "u100");
    EXPECT_EQ(data->GetLocalUser()->userName, "张老师");
    EXPECT_EQ(data->GetStatusText(1004), "tok|3|6");
    EXPECT_TRUE(data->IsLiveRoom());
    EXPECT_TRUE(data->IsLoginRole6());
    EXPECT_EQ(data->GetVideoWidth(), 236);
    data->SetLayout(2);
    EXPECT_EQ(data->GetLayout(), 2);

    // App-side room kinds are refused and the old variables stay.
    EXPECT_FALSE(data->SetLoginVar(loginVars("other", "101")));
    EXPECT_FALSE(data->SetLoginVar(loginVars("other", "100")));
    EXPECT_EQ(data->GetLoginVar().value(0), "tok|3|6");

    ASSERT_TRUE(data->SetLoginVar(loginVars("tok|", "3")));
    EXPECT_FALSE(data->IsLiveRoom());
    EXPECT_FALSE(data->IsLoginRole6());
    EXPECT_EQ(data->GetVideoWidth(), 200);
    EXPECT_EQ(data->GetLayout(), 1);
}

TEST_F(CDataTest, UsersKeepTheLocalType)
{
    ASSERT_TRUE(data->SetLoginVar(loginVars("t", "2")));
    UserInfo student("s1");
    student.userName = "Li";
    EXPECT_TRUE(data->UpdateUser(student));
    EXPECT_FALSE(data->UpdateUser(student));

    UserInfo me("u100");
    me.type = 2;
    me.mic = true;
    EXPECT_TRUE(data->UpdateUser(me));
    EXPECT_EQ(me.type, 1);  // corrected in place
    EXPECT_EQ(data->GetLocalUser()->type, 1);
    EXPECT_TRUE(data->GetLocalUser()->mic);
    UserInfo out;
    ASSERT_TRUE(data->GetUser("s1", out));
    EXPECT_EQ(out.userName, "Li");
    EXPECT_TRUE(data->RemoveUser("s1"));
    EXPECT_FALSE(data->RemoveUser("s1"));
    EXPECT_FALSE(data->GetUser("s1", out));
}

TEST_F(CDataTest, ResetKeepsWhatItShould)
{
    data->SetStatus(1, 1);
    data->SetStatus(1009, 1);
    data->ResetData(false);
    EXPECT_TRUE(data->GetStatus(1));
    EXPECT_FALSE(data->GetStatus(1009));
    data->ResetData(true);
    EXPECT_FALSE(data->GetStatus(1));
    EXPECT_EQ(data->GetLocalUser()->type, 1);
    EXPECT_FALSE(data->GetStatus(4242));  // missing keys are false
}

TEST_F(CDataTest, ShareHistory)
{
    data->AddIphoneShare("");
    for (int i = 0; i < 11; ++i)
        data->AddIphoneShare(QString("1380000%1").arg(i, 4, 10, QChar('0')));
    QStringList list = data->GetIphoneShareList();
    ASSERT_EQ(list.size(), 10);
    EXPECT_EQ(list.first(), "13800000001");
    data->AddIphoneShare("13800000005");
    EXPECT_EQ(data->GetIphoneShareList(), list);
    EXPECT_EQ(CSettings::instance()->GetValue("IphoneShareList").toString(), list.join("|"));
    data->AddIphoneShare("");
    EXPECT_TRUE(data->GetIphoneShareList().isEmpty());
    EXPECT_EQ(CSettings::instance()->GetValue("IphoneShareList").toString(), "");
}

TEST_F(CDataTest, CoursesGroupsAndCalendar)
{
    CourseInfo c;
    c.courseId = "42";
    EXPECT_TRUE(data->AddCourse(c));
    c.name = "math";
    EXPECT_FALSE(data->AddCourse(c));
    CourseInfo tmp;
    tmp.courseId = "42";
    tmp.isTmp = true;
    EXPECT_TRUE(data->AddCourse(tmp));
    EXPECT_TRUE(data->GetTmpCourse().isTmp);
    CourseInfo out;
    ASSERT_TRUE(data->GetCourse("42", out));
    EXPECT_EQ(out.name, "math");
    EXPECT_FALSE(data->GetCourse("nope", out));

    EXPECT_FALSE(data->HasCalePoints("2024-03"));
    EXPECT_TRUE(data->GetCalePoints("2024-03").empty());
    EXPECT_TRUE(data->HasCalePoints("2024-03"));  // a read inserts the key
    data->SetDayRooms("2024-03-05", {RoomInfo()});
    data->ClearDayRooms(true);
    EXPECT_FALSE(data->HasDayRooms("2024-03-05"));
    EXPECT_FALSE(data->HasCalePoints("2024-03"));

    data->AddAuthAppDev(QVariantMap{{"userId", 5}});
    data->AddAuthAppDev(QVariantMap{{"userId", "6"}});
    data->RemoveAuthAppDev("5");
    ASSERT_EQ(data->GetAuthAppDevs().size(), 1u);
}

TEST_F(CDataTest, TickCounts)
{
    QSignalSpy spy(data, &CData::sgTimerUpdate);
    int before = data->GetTick();
    data->onUpdateTimer();
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toInt(), before + 1);
}
