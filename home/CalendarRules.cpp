#include "home/CalendarRules.h"

#include "app/GlobalConstants.h"
#include "home/CalendarTables.h"

#include <QStringList>

#include <cstdlib>

namespace {

const char* const kSolarTermNames[24] = {
    "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至",
    "小暑", "大暑", "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至"};

const int kDaysBeforeMonth[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

struct Festival {
    int month;
    int day;
    const char* name;
};

const Festival kSolarFestivals[] = {
    {1, 1, "元旦"},   {2, 14, "情人节"}, {3, 8, "妇女节"},  {4, 1, "愚人节"},
    {5, 1, "劳动节"}, {5, 4, "青年节"},  {6, 1, "儿童节"},  {7, 1, "建党节"},
    {8, 1, "建军节"}, {9, 10, "教师节"}, {10, 1, "国庆节"}, {12, 24, "圣诞节"},
};

const Festival kLunarFestivals[] = {
    {1, 1, "春节"},   {1, 15, "元宵节"}, {2, 2, "龙抬头"}, {5, 5, "端午节"},
    {7, 7, "七夕节"}, {8, 15, "中秋节"}, {9, 9, "重阳节"}, {12, 8, "腊八节"},
};

template <size_t N>
QString findFestival(const Festival (&table)[N], int month, int day)
{
    const int key = month * 256 + day;
    for (const Festival& f : table) {
        if (f.month * 256 + f.day == key)
            return QString::fromUtf8(f.name);
    }
    return QString();
}

bool validDay(int month, int day) { return month >= 1 && month <= 12 && day >= 1 && day <= 31; }

QString monthName(int lunarMonth) { return QString::fromUtf8(vt::kLunarMonthNames[std::abs(lunarMonth)]); }

QString leapName(int lunarMonth) { return QString::fromUtf8("闰") + monthName(lunarMonth); }

}  // namespace

int GetMonthDays(int year, int month)
{
    switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 2:
        return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 29 : 28;
    default:
        return 30;
    }
}

int GetDaysBeforeMonth(int year, int month)
{
    if (month < 2 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDaysBeforeMonth[month] + (leap && month > 2 ? 1 : 0);
}

int GetWeekDay(int year, int month)
{
    const int y = year < 1968 ? 1968 : year;
    return (GetDaysBeforeMonth(y, month) + (y + (y - 1) / 4 - (y - 1) / 100 + (y - 1) / 400) % 7) % 7;
}

QString GetSolarFestival(int month, int day) { return findFestival(kSolarFestivals, month, day); }

QString GetLunarFestival(int lunarMonth, int lunarDay) { return findFestival(kLunarFestivals, lunarMonth, lunarDay); }

QString SolarTermName(int index)
{
    if (index < 0 || index >= 24)
        return QString();
    return QString::fromUtf8(kSolarTermNames[index]);
}

QString GetSolarTerm(int year, int month, int day)
{
    using namespace caltables;
    if (year < kSolarTermFirstYear || year > kSolarTermLastYear || !validDay(month, day))
        return QString();
    const int v = kSolarTermDays[(year - kSolarTermFirstYear) * 12 + month - 1];
    if (day < 15 && (v >> 4) == 15 - day)
        return SolarTermName(2 * (month - 1));
    if (day > 15 && (v & 0xF) == day - 15)
        return SolarTermName(2 * (month - 1) + 1);
    return QString();
}

LunarDay ToLunarDay(int year, int month, int day)
{
    using namespace caltables;
    LunarDay out;
    const int index = year - kLunarFirstYear;
    if (index < 0 || index >= kLunarNewYearCount || !validDay(month, day))
        return out;
    const int ny = kLunarNewYear[index];
    const int nyM = ny / 100, nyD = ny % 100;
    int n = 0;
    int lunarIndex = index;
    if (month < nyM || (month == nyM && day < nyD)) {
        if (index == 0)
            return out;  // before the first lunar year of the tables
        const int pv = kLunarNewYear[index - 1];
        n = kDaysBeforeMonth[month] + day + 397 - 31 * (pv / 100) - pv % 100 + ((year - 1) % 4 == 0 ? 1 : 0);
        lunarIndex = index - 1;
    } else {
        n = kDaysBeforeMonth[month] + day + 32 - 31 * nyM - nyD + (year % 4 == 0 && month > 2 ? 1 : 0);
    }
    // The walk may run on into the next lunar year, never past the tables.
    while (lunarIndex < kLunarMonthBitsCount) {
        const int bits = kLunarMonthBits[lunarIndex];
        const int leap = (bits >> 16) & 0xF;
        const int count = bits > 4094 ? 13 : 12;  // a leap year always has bits above 0xFFF
        for (int pos = 1; pos <= count; ++pos) {
            const int length = 29 + ((bits >> (count - pos)) & 1);
            if (n <= length) {
                out.valid = true;
                out.day = n;
                if (count == 13 && pos == leap + 1)
                    out.month = -leap;
                else if (count == 13 && pos > leap + 1)
                    out.month = pos - 1;
                else
                    out.month = pos;
                return out;
            }
            n -= length;
        }
        ++lunarIndex;
    }
    return out;
}

QString GetLunarDayLabel(int year, int month, int day)
{
    const LunarDay lunar = ToLunarDay(year, month, day);
    if (!lunar.valid)
        return QString();
    QString text = GetSolarFestival(month, day);
    const QString term = GetSolarTerm(year, month, day);
    if (lunar.day == 1 && lunar.month < 0)
        return leapName(lunar.month);
    if (text.isEmpty())
        text = GetLunarFestival(std::abs(lunar.month), lunar.day);
    if (text.isEmpty())
        text = term;
    if (text.isEmpty())
        text = lunar.day == 1 ? monthName(lunar.month) : QString::fromUtf8(vt::kLunarDayNames[lunar.day]);
    return text;
}

QString GetLunarDateText(int year, int month, int day)
{
    const LunarDay lunar = ToLunarDay(year, month, day);
    if (!lunar.valid)
        return QString();
    if (lunar.day == 1)
        return lunar.month < 0 ? leapName(lunar.month) : monthName(lunar.month);
    return monthName(lunar.month) + QString::fromUtf8(vt::kLunarDayNames[lunar.day]);
}

bool IsFestival(const QString& text)
{
    static const QStringList names = [] {
        QStringList list;
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= 31; ++d) {
                const QString lunar = GetLunarFestival(m, d);
                if (!lunar.isEmpty())
                    list << lunar;
                const QString solar = GetSolarFestival(m, d);
                if (!solar.isEmpty())
                    list << solar;
            }
        }
        return list;
    }();
    return !text.isEmpty() && names.contains(text);
}
