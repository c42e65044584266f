// SPDX-License-Identifier: MIT
// Proleptic Gregorian calendar arithmetic on plain integers, independent of
// the C library and of the machine's time zone.
#pragma once

#include <cstdint>

#include <korvel/system_time.h>

namespace Korvel::detail {

// Years are numbered as CDateTime stores them and counted without a gap: the
// year before 1 is 0 (which no valid value holds) and leap years follow the
// same rule on both sides, so the calendar repeats every 400 years.
constexpr bool IsLeapYear(int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

constexpr int kDaysIn400Years = 146097;
constexpr int64_t kSecondsPerDay = 86400;

// The days-in-month table with February at 29; month is 1 to 12.
int MaxDaysInMonth(int month);
// The length of a month of a given year; month is 1 to 12.
int DaysInMonth(int64_t year, int month);
// Days before the first of month (1 to 12) in a year.
int DaysBeforeMonth(int64_t year, int month);

// Days from 1970-01-01 to the date; month is 1 to 12, day may lie outside the
// month (it simply counts on).
int64_t DaysFromCivil(int64_t year, int month, int64_t day);

struct CivilDate {
  int64_t year;
  int month;  // 1 to 12
  int day;    // 1 to 31
};
CivilDate CivilFromDays(int64_t days);

// 0 (Sunday) to 6 (Saturday).
int WeekdayFromDays(int64_t days);

// Floor division and its non-negative remainder, as the XSD date arithmetic
// wants them for negative values.
constexpr int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
constexpr int64_t FloorMod(int64_t a, int64_t b) {
  const int64_t r = a % b;
  return r != 0 && (r < 0) != (b < 0) ? r + b : r;
}

// The platform's FileTimeToSystemTime: false for times at or beyond 2^63 ticks.
bool FileTimeToSystemTime(const FILETIME& fileTime, SYSTEMTIME& systemTime);

}  // namespace Korvel::detail
