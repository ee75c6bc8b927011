#pragma once
// The number tables of the Chinese calendar, with the years they cover.
// Every reader goes through the range checks of CalendarRules.cpp.

namespace caltables {

constexpr int kLunarFirstYear = 1968;   // first year of kLunarNewYear and kLunarMonthBits
constexpr int kLunarNewYearCount = 73;  // 1968..2040
constexpr int kLunarMonthBitsCount = 74;  // 1968..2041 (2041 holds 0)
constexpr int kSolarTermFirstYear = 1970;
constexpr int kSolarTermLastYear = 2038;
constexpr int kSolarTermCount = (kSolarTermLastYear - kSolarTermFirstYear + 1) * 12;

extern const int kLunarNewYear[kLunarNewYearCount];
extern const int kLunarMonthBits[kLunarMonthBitsCount];
extern const int kSolarTermDays[kSolarTermCount];

}  // namespace caltables
