// SPDX-License-Identifier: MIT
// Calendar arithmetic: day numbers, month lengths and FILETIME decoding.
#include "values/date_time_calendar.h"

namespace Korvel::detail {

namespace {

constexpr int kMaxDaysInMonth[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Days from 0000-03-01 to 1970-01-01: counting years from March puts the leap
// day at the end of the year, which keeps the formulas below branch-free.
constexpr int64_t kEpochShift = 719468;

// FILETIME counts 100 ns ticks from 1601-01-01.
constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kTicksPerMilli = 10000;
constexpr int64_t kDays1601To1970 = 134774;

}  // namespace

int MaxDaysInMonth(int month) { return kMaxDaysInMonth[month - 1]; }

int DaysInMonth(int64_t year, int month) {
  return month == 2 && !IsLeapYear(year) ? 28 : kMaxDaysInMonth[month - 1];
}

int DaysBeforeMonth(int64_t year, int month) {
  return kDaysBeforeMonth[month - 1] + (month > 2 && IsLeapYear(year) ? 1 : 0);
}

int64_t DaysFromCivil(int64_t year, int month, int64_t day) {
  const int64_t y = month <= 2 ? year - 1 : year;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yearOfEra = y - era * 400;                                        // [0, 399]
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5;  // from March
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * kDaysIn400Years + dayOfEra - kEpochShift + (day - 1);
}

CivilDate CivilFromDays(int64_t days) {
  const int64_t z = days + kEpochShift;
  const int64_t era = FloorDiv(z, kDaysIn400Years);
  const int64_t dayOfEra = z - era * kDaysIn400Years;  // [0, 146096]
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;  // [0, 399]
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;  // [0, 11]
  CivilDate date{};
  date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

int WeekdayFromDays(int64_t days) {
  // 1970-01-01 was a Thursday.
  return static_cast<int>(FloorMod(days + 4, 7));
}

bool FileTimeToSystemTime(const FILETIME& fileTime, SYSTEMTIME& systemTime) {
  const uint64_t ticks =
      (static_cast<uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
  if (ticks >> 63) {
    return false;
  }
  const auto seconds = static_cast<int64_t>(ticks / kTicksPerSecond);
  const int64_t days = seconds / kSecondsPerDay - kDays1601To1970;
  const int64_t secondOfDay = seconds % kSecondsPerDay;
  const CivilDate date = CivilFromDays(days);
  systemTime.wYear = static_cast<uint16_t>(date.year);  // at most 30828
  systemTime.wMonth = static_cast<uint16_t>(date.month);
  systemTime.wDayOfWeek = static_cast<uint16_t>(WeekdayFromDays(days));
  systemTime.wDay = static_cast<uint16_t>(date.day);
  systemTime.wHour = static_cast<uint16_t>(secondOfDay / 3600);
  systemTime.wMinute = static_cast<uint16_t>(secondOfDay / 60 % 60);
  systemTime.wSecond = static_cast<uint16_t>(secondOfDay % 60);
  systemTime.wMilliseconds = static_cast<uint16_t>(ticks % kTicksPerSecond / kTicksPerMilli);
  return true;
}

}  // namespace Korvel::detail
