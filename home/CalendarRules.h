#pragma once
// Date rules of the month calendar: weekdays, month lengths, the Chinese
// lunar date of a Gregorian day, solar terms and festivals, and the two texts
// built from them. Everything is read from tables; a date outside the
// tables' years (lunar dates 1968-01-30 .. 2040-12-31, solar terms
// 1970 .. 2038) gives empty texts, never a read outside a table.
#include <QString>

// A lunar date: month 1..12, or -L for the leap month that follows month L;
// day 1..30. valid is false outside the lunar tables.
struct LunarDay {
    bool valid = false;
    int month = 0;
    int day = 0;
};

// Weekday of the first of the month, 0 = Sunday.
int GetWeekDay(int year, int month);
int GetMonthDays(int year, int month);
int GetDaysBeforeMonth(int year, int month);
QString GetSolarFestival(int month, int day);
QString GetLunarFestival(int lunarMonth, int lunarDay);
QString GetSolarTerm(int year, int month, int day);
bool IsFestival(const QString& text);
LunarDay ToLunarDay(int year, int month, int day);
// The day label of a calendar cell: festival, solar term or lunar day.
QString GetLunarDayLabel(int year, int month, int day);
// The lunar date text of a day ("冬月二十", "闰四月").
QString GetLunarDateText(int year, int month, int day);
// The name of solar term 0..23 ("小寒" .. "冬至"); empty outside.
QString SolarTermName(int index);
