// SPDX-License-Identifier: MIT
// Helpers shared by the date and duration tests: readers for every lexical
// form, an independent calendar through the C library and a time-zone switch.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <tuple>

#include <korvel/date_time.h>
#include <korvel/errors.h>

namespace Korvel::testing {

// Reads text with the parser of its form: a dateTime has a "T", a time has
// its first ":" third, everything else is one of the date kinds.
inline void Read(CDateTime& value, const wchar_t* text) {
  const std::wstring s(text);
  if (s.find(L'T') != std::wstring::npos) {
    value.ParseXSDDateTime(text);
  } else if (s.size() > 2 && s[2] == L':') {
    value.ParseXSDTime(text);
  } else {
    value.ParseXSDDate(text);
  }
}

inline CDateTime Value(const wchar_t* text) {
  CDateTime value;
  Read(value, text);
  return value;
}

inline CDateTimeSpan Span(const wchar_t* text) {
  CDateTimeSpan span;
  span.ParseXSDDuration(text);
  return span;
}

// Sets TZ for one scope and restores it, so tests can prove that results do
// not depend on the machine's zone.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) m_old = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;
  ~ScopedTimeZone() {
    if (m_old) {
      ::setenv("TZ", m_old->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::optional<std::string> m_old;
};

// Zones far apart, with and without daylight saving; POSIX rules need no tzdata.
inline const char* const kTestZones[] = {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "JST-9",
                                         "NZST-12NZDT,M9.5.0,M4.1.0/3"};

// Seconds since 1970 of broken-down UTC fields, by the C library. Years are
// astronomical, which is how CDateTime numbers them too; a month outside 1..12
// carries into the year.
inline int64_t TimegmSeconds(int64_t year, int64_t month, int day, int hour = 0, int minute = 0,
                             int second = 0) {
  std::tm t{};
  t.tm_year = static_cast<int>(year - 1900);
  t.tm_mon = static_cast<int>(month - 1);
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return static_cast<int64_t>(::timegm(&t));
}

inline std::tm GmtimeFields(int64_t seconds) {
  const auto t = static_cast<time_t>(seconds);
  std::tm fields{};
  ::gmtime_r(&t, &fields);
  return fields;
}

// Year, month, day, hour, minute, second and the fraction in nanoseconds.
using Fields = std::tuple<int, int, int, int, int, int, int64_t>;

inline Fields FieldsOf(const CDateTime& v) {
  const int64_t nanos =
      v.GetMilliSecond() * 1000000 + v.GetMicroSecond() * 1000 + v.GetNanoSecond();
  return {v.GetYear(), v.GetMonth(), v.GetDay(), v.GetHour(), v.GetMinute(), v.GetSecond(), nanos};
}

inline Fields FieldsAt(int64_t seconds, int64_t nanos) {
  const std::tm f = GmtimeFields(seconds);
  return {f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec, nanos};
}

}  // namespace Korvel::testing
