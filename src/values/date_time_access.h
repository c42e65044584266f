// SPDX-License-Identifier: MIT
// The internals of CDateTime shared by its source files: which fields a kind
// has, and the operations that work on the raw fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include <korvel/date_time.h>

namespace Korvel::detail {

class DateTimeText;

// The kind's text name; "" for a kind outside the enumeration.
const wchar_t* DateKindName(CDateTime::DTType kind);

// Which fields a kind has.
constexpr bool KindIn(CDateTime::DTType kind, uint32_t mask) {
  return static_cast<uint32_t>(kind) < 32 && ((mask >> static_cast<uint32_t>(kind)) & 1u) != 0;
}
constexpr uint32_t KindBit(CDateTime::DTType kind) { return 1u << static_cast<uint32_t>(kind); }
constexpr uint32_t kYearKinds = KindBit(CDateTime::dt_dateTime) | KindBit(CDateTime::dt_date) |
                                KindBit(CDateTime::dt_gYearMonth) | KindBit(CDateTime::dt_gYear);
constexpr uint32_t kMonthKinds = KindBit(CDateTime::dt_dateTime) | KindBit(CDateTime::dt_date) |
                                 KindBit(CDateTime::dt_gYearMonth) | KindBit(CDateTime::dt_gMonth) |
                                 KindBit(CDateTime::dt_gMonthDay);
constexpr uint32_t kDayKinds = KindBit(CDateTime::dt_dateTime) | KindBit(CDateTime::dt_date) |
                               KindBit(CDateTime::dt_gDay) | KindBit(CDateTime::dt_gMonthDay);
constexpr uint32_t kTimeKinds = KindBit(CDateTime::dt_dateTime) | KindBit(CDateTime::dt_time);
constexpr uint32_t kCalendarKinds = KindBit(CDateTime::dt_dateTime) | KindBit(CDateTime::dt_date);

// A moment as seconds since 1970-01-01T00:00:00 UTC plus nanoseconds (0 to
// 999999999 for valid values); ordered lexicographically.
struct Instant {
  int64_t seconds;
  int64_t nanoseconds;
};

// Field values wider than the stored ones, so that out-of-range input (from a
// SYSTEMTIME or a time_t) is reported as it was given and never wraps into range.
struct WideFields {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
  int32_t milli = 0;
  int32_t micro = 0;
  int32_t nano = 0;
};

// The fields of a value after adding a duration, before they are narrowed to
// the stored widths; month 1 to 12, the time fields within their ranges.
struct ShiftedFields {
  int64_t year;
  int month;
  int64_t day;
  int64_t hour;
  int64_t minute;
  int64_t second;
  int64_t milli;
  int64_t micro;
  int64_t nano;
};

struct DateTimeAccess {
  static void Clear(CDateTime& value);
  // The one operation behind every whole-value setter: refuses a change of
  // kind, clears the zone, stores the fields and validates them.
  static void Set(CDateTime& value, CDateTime::DTType kind, const WideFields& fields);
  // Throws the first validation error of these fields for this kind.
  static void Validate(CDateTime::DTType kind, const WideFields& fields);

  // Parsers over a piece of text (not necessarily terminated); messages quote
  // that piece. They do not clear the value.
  static void ParseDate(CDateTime& value, const wchar_t* text, size_t length);
  static void ParseTime(CDateTime& value, const wchar_t* text, size_t length);
  static void ParseZone(CDateTime& value, const wchar_t* text, size_t length);

  // Adds span (with its sign reversed when reverse is set) by the XSD method,
  // in full width.
  static ShiftedFields Shift(const CDateTime& value, const CDateTimeSpan& span, bool reverse);
  // The same, stored back into value.
  static void Add(CDateTime& value, const CDateTimeSpan& span, bool reverse);

  // The moment a dateTime, date or time stands for: a date at its midnight, a
  // time on a fixed day, a value without zone as UTC. Validity is not required.
  static Instant ToInstant(const CDateTime& value);

  // Whether ToString prints the value rather than "Error: Date Not Set".
  static bool IsSet(const CDateTime& value);
  // ToString(L"s"), appended to out or put into text.
  static void AppendText(const CDateTime& value, std::wstring& out);
  static void PrintText(const CDateTime& value, DateTimeText& text);
};

}  // namespace Korvel::detail
