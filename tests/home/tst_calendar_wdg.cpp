// The month calendar: the grid of each month, clamping, selection by a
// press, today's ring, lesson marks arriving after the month is shown, and
// months far outside the date tables.
#include "home/CaleItem.h"
#include "home/CalendarWdg.h"
#include "tests/home/HomeTestSupport.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

using namespace hometest;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

struct Calendar {
    CalendarWdg w;
    Calendar(const QDate& today = QDate(2024, 5, 15))
        : w((CalendarWdg::SetTodayForTest(today), nullptr))
    {
        w.resize(7 * 60, 6 * 60);
    }
    QString day(int pos) { return w.Item(pos)->DayText(); }
    std::pair<std::string, std::string> range()
    {
        std::string first, last;
        w.GetShowRange(first, last);
        return {first, last};
    }
};

}  // namespace

TEST(CalendarWdg, MonthGridsAndClamping)
{
    struct Case {
        int y, m, d;           // asked
        int showY, showM;      // shown month
        int selDay;            // selected day of that month
        int firstPos;          // position of the 1st
        const char* first;     // GetShowRange
        const char* last;
    };
    const Case cases[] = {
        {2024, 5, 20, 2024, 5, 20, 2, "2024-04-29", "2024-06-09"},
        {2024, 2, 30, 2024, 2, 29, 3, "2024-01-29", "2024-03-10"},
        {1999, 13, 0, 2000, 12, 1, 4, "2000-11-27", "2001-01-07"},
        {2023, 10, 1, 2023, 10, 1, 6, "2023-09-25", "2023-11-05"},
        {2024, 1, 31, 2024, 1, 31, 0, "2024-01-01", "2024-02-11"},
        {4000, 12, 31, 3000, 12, 31, 0, "3000-12-01", "3001-01-11"},
    };
    Calendar cal;
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1-%2-%3").arg(c.y).arg(c.m).arg(c.d).toStdString());
        cal.w.SetDate(c.y, c.m, c.d);
        int y = 0, m = 0;
        EXPECT_EQ(cal.w.GetShowMonth(y, m), c.selDay);
        EXPECT_EQ(y, c.showY);
        EXPECT_EQ(m, c.showM);
        EXPECT_EQ(cal.day(c.firstPos), "1");
        EXPECT_TRUE(cal.w.Item(c.firstPos)->IsCurMonth());
        EXPECT_TRUE(cal.w.Item(c.firstPos + c.selDay - 1)->IsSelected());
        EXPECT_EQ(cal.range(), std::make_pair(std::string(c.first), std::string(c.last)));
        if (c.firstPos > 0) {
            EXPECT_FALSE(cal.w.Item(0)->IsCurMonth());
            EXPECT_TRUE(cal.w.Item(0)->DayStyle().contains("rgba(196,205,213,1)"));
        }
    }
    // May 2024 in detail: April 29 and 30, then May, then June 1..9.
    cal.w.SetDate(2024, 5, 1);
    EXPECT_EQ(cal.day(0), "29");
    EXPECT_EQ(cal.day(1), "30");
    for (int pos = 33; pos <= 41; ++pos)
        EXPECT_EQ(cal.day(pos), QString::number(pos - 32));
    EXPECT_TRUE(cal.w.Item(2)->DayStyle().contains("rgba(103,117,126,1)"));
}

TEST(CalendarWdg, PressSelectsTheDayAndTellsItsWeekday)
{
    Calendar cal;
    cal.w.show();
    QSignalSpy clicks(&cal.w, &CalendarWdg::itemClick);
    cal.w.SetDate(2024, 5, 15);
    const char* names[7] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};
    for (int col = 0; col < 7; ++col) {
        QTest::mousePress(cal.w.Item(7 + col), Qt::LeftButton);
        int y = 0, m = 0, d = 0;
        EXPECT_EQ(cal.w.GetSelDate(y, m, d), u(names[col]));
        EXPECT_EQ(QDate(y, m, d), QDate(2024, 5, 6 + col));
        EXPECT_TRUE(cal.w.Item(7 + col)->IsSelected());
    }
    EXPECT_EQ(clicks.count(), 7);
    // A day of the previous month is selected, the month stays.
    QTest::mousePress(cal.w.Item(0), Qt::LeftButton);
    int y = 0, m = 0, d = 0;
    cal.w.GetSelDate(y, m, d);
    EXPECT_EQ(QDate(y, m, d), QDate(2024, 4, 29));
    EXPECT_EQ(cal.w.GetShowMonth(y, m), 29);
    EXPECT_EQ(m, 5);
    EXPECT_EQ(cal.w.GetSelLunar(), u("三月廿一"));
    int selected = 0;
    for (int pos = 0; pos < 42; ++pos)
        selected += cal.w.Item(pos)->IsSelected() ? 1 : 0;
    EXPECT_EQ(selected, 1);
}

TEST(CalendarWdg, TodayRingSelectionFillAndLunarColours)
{
    Calendar cal(QDate(2024, 10, 1));
    cal.w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cal.w));
    CaleItem* today = cal.w.Item(1);  // October 2024 starts on a Tuesday
    ASSERT_EQ(today->DayText(), "1");
    EXPECT_TRUE(today->IsToday());
    EXPECT_TRUE(today->styleSheet().contains("#52a9ff"));
    EXPECT_TRUE(today->styleSheet().contains("background: #5DC0BA;"));
    EXPECT_TRUE(today->LunarStyle().contains("#ff3333"));  // "国庆节"
    EXPECT_EQ(today->LunarText(), u("国庆节"));
    CaleItem* other = cal.w.Item(3);
    EXPECT_EQ(other->styleSheet(), QString("background: #ffffff; border: 1px solid #ffffff; border-radius: %1;")
                                       .arg(other->width() / 2));
    EXPECT_TRUE(other->LunarStyle().contains("#999999"));
    // Cells are circles.
    EXPECT_EQ(other->width(), other->height());
    screenshot(&cal.w, "calendar_month.png");
    QTest::mousePress(other, Qt::LeftButton);
    EXPECT_TRUE(today->styleSheet().contains("background: #ffffff;"));
    EXPECT_TRUE(today->styleSheet().contains("#52a9ff"));
    CalendarWdg::SetTodayForTest(QDate(2024, 12, 24));
    cal.w.ShowToday();
    int y = 0, m = 0;
    EXPECT_EQ(cal.w.GetShowMonth(y, m), 24);
    EXPECT_EQ(m, 12);
    CalendarWdg::SetTodayForTest(QDate());
}

TEST(CalendarWdg, MarksArriveLateAndGoWithTheMonth)
{
    Calendar cal;
    cal.w.SetDate(2024, 5, 15);
    EXPECT_TRUE(cal.w.SetDayMark(2024, 5, 20, "daytip.png"));
    EXPECT_TRUE(cal.w.SetDayMark(2024, 6, 9, "daytip.png"));    // last cell
    EXPECT_FALSE(cal.w.SetDayMark(2024, 6, 10, "daytip.png"));  // not shown
    EXPECT_FALSE(cal.w.SetDayMark(2024, 4, 28, "daytip.png"));
    EXPECT_TRUE(cal.w.SetDayMark(2024, 5, 15, "daytip.png"));   // the selected day
    EXPECT_TRUE(cal.w.Item(2 + 19)->MarkStyle().contains(":/class/res/class/daytip.png"));
    EXPECT_TRUE(cal.w.Item(2 + 14)->MarkStyle().contains(":/class/res/class/daytip2.png"));
    // Showing another month removes every mark; the answer for the old month
    // may still come and finds its days gone.
    cal.w.SetDate(2024, 7, 1);
    for (int pos = 0; pos < 42; ++pos)
        EXPECT_EQ(cal.w.Item(pos)->MarkStyle(), "border:0px solid transparent;");
    EXPECT_FALSE(cal.w.SetDayMark(2024, 5, 20, "daytip.png"));
}

TEST(CalendarWdg, MonthsBeyondTheTablesShowNoLunarText)
{
    Calendar cal(QDate(2039, 1, 1));
    struct Case {
        int y, m;
        bool lunar;
    };
    const Case cases[] = {{2000, 1, true}, {2038, 12, true}, {2040, 12, true}, {2041, 3, false},
                          {2100, 2, false}, {3000, 12, false}};
    for (const Case& c : cases) {
        cal.w.SetDate(c.y, c.m, 1);
        int withLunar = 0;
        for (int pos = 0; pos < 42; ++pos)
            withLunar += cal.w.Item(pos)->LunarText().isEmpty() ? 0 : 1;
        EXPECT_EQ(withLunar > 0, c.lunar) << c.y << "-" << c.m;
        EXPECT_EQ(cal.w.GetSelLunar().isEmpty(), !c.lunar) << c.y << "-" << c.m;
        // A press far in the future reads nothing outside the tables.
        QTest::mousePress(cal.w.Item(41), Qt::LeftButton);
        EXPECT_TRUE(c.lunar || cal.w.GetSelLunar().isEmpty());
    }
}
