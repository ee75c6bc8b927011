// Calendar date rules: known days, the table bounds at both ends, and every
// day 2000..2040 against the system's lunar-date library.
#include "app/GlobalConstants.h"
#include "home/CalendarRules.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QProcess>
#include <QStringList>

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

}  // namespace

TEST(CalendarRules, WeekdaysAndMonthLengths)
{
    EXPECT_EQ(GetWeekDay(2024, 5), 3);
    EXPECT_EQ(GetWeekDay(2023, 10), 0);
    EXPECT_EQ(GetWeekDay(2024, 1), 1);
    EXPECT_EQ(GetMonthDays(2000, 2), 29);
    EXPECT_EQ(GetMonthDays(2100, 2), 28);
    EXPECT_EQ(GetMonthDays(2024, 13), 30);
    EXPECT_EQ(GetDaysBeforeMonth(2024, 3), 60);
    EXPECT_EQ(GetDaysBeforeMonth(2023, 3), 59);
    EXPECT_EQ(GetDaysBeforeMonth(2024, 0), 0);
    EXPECT_EQ(GetDaysBeforeMonth(2024, 13), 0);
    // The weekday agrees with Qt's calendar over the years the calendar shows.
    for (int y = 1968; y <= 3000; y += 7) {
        for (int m = 1; m <= 12; ++m)
            ASSERT_EQ(GetWeekDay(y, m), QDate(y, m, 1).dayOfWeek() % 7) << y << "-" << m;
    }
}

TEST(CalendarRules, DayLabelsAndLunarTexts)
{
    struct Case {
        int y, m, d;
        int lunarMonth, lunarDay;
        const char* label;
        const char* text;
    };
    const Case cases[] = {
        {2024, 2, 10, 1, 1, "春节", "正月"},
        {2024, 9, 17, 8, 15, "中秋节", "八月十五"},
        {2024, 1, 1, 11, 20, "元旦", "冬月二十"},
        {2024, 3, 15, 2, 6, "初六", "二月初六"},
        {2020, 6, 21, 5, 1, "夏至", "五月"},
        {1987, 1, 29, 1, 1, "春节", "正月"},
        {2024, 1, 6, 11, 25, "小寒", "冬月廿五"},
        {2024, 2, 4, 12, 25, "立春", "腊月廿五"},
        {2024, 10, 1, 8, 29, "国庆节", "八月廿九"},
        {2024, 12, 24, 11, 24, "圣诞节", "冬月廿四"},
        {2020, 5, 23, -4, 1, "闰四月", "闰四月"},
        {2020, 5, 24, -4, 2, "初二", "四月初二"},
        {2033, 12, 22, -11, 1, "闰冬月", "闰冬月"},
        {2024, 2, 17, 1, 8, "初八", "正月初八"},
        {1968, 1, 30, 1, 1, "春节", "正月"},
        {2040, 12, 31, 11, 28, "廿八", "冬月廿八"},
    };
    for (const Case& c : cases) {
        const LunarDay l = ToLunarDay(c.y, c.m, c.d);
        SCOPED_TRACE(QString("%1-%2-%3").arg(c.y).arg(c.m).arg(c.d).toStdString());
        EXPECT_TRUE(l.valid);
        EXPECT_EQ(l.month, c.lunarMonth);
        EXPECT_EQ(l.day, c.lunarDay);
        EXPECT_EQ(GetLunarDayLabel(c.y, c.m, c.d), u(c.label));
        EXPECT_EQ(GetLunarDateText(c.y, c.m, c.d), u(c.text));
    }
    // The 15th never carries a solar term.
    for (int m = 1; m <= 12; ++m)
        EXPECT_TRUE(GetSolarTerm(2024, m, 15).isEmpty());
}

TEST(CalendarRules, FestivalsAreOnlyFestivalNames)
{
    EXPECT_TRUE(IsFestival(u("春节")));
    EXPECT_TRUE(IsFestival(u("元旦")));
    EXPECT_TRUE(IsFestival(u("腊八节")));
    EXPECT_FALSE(IsFestival(u("立春")));
    EXPECT_FALSE(IsFestival(u("初六")));
    EXPECT_FALSE(IsFestival(QString()));
    EXPECT_EQ(GetSolarFestival(12, 25), QString());
    EXPECT_EQ(GetLunarFestival(12, 8), u("腊八节"));
}

// Outside the tables every text is empty and nothing is read out of range
// (the sanitizer builds would see such a read); inside, the ends work.
TEST(CalendarRules, TableBoundsGiveEmptyTexts)
{
    struct Bound {
        int y, m, d;
        bool lunar;  // a lunar date exists
        bool term;   // the day has a solar term
    };
    const Bound bounds[] = {
        {1968, 1, 29, false, false}, {1968, 1, 30, true, false},  {1969, 1, 6, true, false},
        {1970, 1, 6, true, true},    {2038, 12, 7, true, true},   {2039, 1, 5, true, false},
        {2040, 12, 31, true, false}, {2041, 1, 1, false, false},  {2999, 12, 31, false, false},
        {3000, 1, 1, false, false},  {1900, 1, 1, false, false},  {2024, 13, 1, false, false},
        {2024, 0, 1, false, false},  {2024, 2, 0, false, false},  {-5, 1, 1, false, false},
    };
    for (const Bound& b : bounds) {
        SCOPED_TRACE(QString("%1-%2-%3").arg(b.y).arg(b.m).arg(b.d).toStdString());
        EXPECT_EQ(ToLunarDay(b.y, b.m, b.d).valid, b.lunar);
        EXPECT_EQ(!GetLunarDateText(b.y, b.m, b.d).isEmpty(), b.lunar);
        EXPECT_EQ(!GetLunarDayLabel(b.y, b.m, b.d).isEmpty(), b.lunar);
        EXPECT_EQ(!GetSolarTerm(b.y, b.m, b.d).isEmpty(), b.term);
    }
    // A solar festival outside the lunar tables is not shown either.
    EXPECT_TRUE(GetLunarDayLabel(2050, 10, 1).isEmpty());
    EXPECT_FALSE(IsFestival(GetLunarDayLabel(2050, 10, 1)));
}

TEST(CalendarRules, EveryDay2000To2040MatchesTheLunarDateLibrary)
{
    const QString python = "/usr/bin/python3";
    QProcess oracle;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    oracle.setProcessEnvironment(env);
    oracle.start(python, {QString::fromStdString(testsupport::sourceDir() + "/tests/home/lunar_oracle.py"),
                          "2000", "2040"});
    ASSERT_TRUE(oracle.waitForFinished(240000));
    ASSERT_EQ(oracle.exitCode(), 0) << oracle.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(oracle.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), QDate(2000, 1, 1).daysTo(QDate(2040, 12, 31)) + 1);
    int terms = 0;
    for (const QString& line : lines) {
        const QStringList f = line.split(' ');
        ASSERT_EQ(f.size(), 7) << line.toStdString();
        const int y = f[0].toInt(), m = f[1].toInt(), d = f[2].toInt();
        const int lm = f[3].toInt(), ld = f[4].toInt(), leap = f[5].toInt(), term = f[6].toInt();
        const LunarDay l = ToLunarDay(y, m, d);
        ASSERT_TRUE(l.valid) << line.toStdString();
        ASSERT_EQ(l.month, leap ? -lm : lm) << line.toStdString();
        ASSERT_EQ(l.day, ld) << line.toStdString();
        const QString month = u(vt::kLunarMonthNames[lm]);
        const QString expectedText =
            ld == 1 ? (leap ? u("闰") : QString()) + month : month + u(vt::kLunarDayNames[ld]);
        ASSERT_EQ(GetLunarDateText(y, m, d), expectedText) << line.toStdString();
        // Solar terms exist in the tables up to 2038; later days have none.
        const QString expectedTerm = y <= 2038 ? SolarTermName(term) : QString();
        ASSERT_EQ(GetSolarTerm(y, m, d), expectedTerm) << line.toStdString();
        terms += expectedTerm.isEmpty() ? 0 : 1;
    }
    EXPECT_EQ(terms, 39 * 24);
}
