// SPDX-License-Identifier: MIT
// CDateTime arithmetic and order: adding durations, normalising to UTC, the
// XSD partial order and the difference of two values.
#include <korvel/date_time.h>

#include <algorithm>
#include <cstdlib>

#include "values/date_time_access.h"
#include "values/date_time_calendar.h"
#include "values/date_time_messages.h"

namespace Korvel {

using detail::DateTimeAccess;
using detail::FloorDiv;
using detail::FloorMod;
using detail::KindIn;
namespace msg = detail::dt_msg;

namespace detail {

ShiftedFields DateTimeAccess::Shift(const CDateTime& value, const CDateTimeSpan& span,
                                    bool reverse) {
  const int64_t sign = span.IsNegative() != reverse ? -1 : 1;

  // Months and years. A value without a month (gYear, gDay, time) counts from
  // December, as XSD's reference dates do, so that shifting it by a few hours
  // (normalising its zone) never moves its year.
  const int64_t month = value.m_month == 0 ? 12 : value.m_month;
  const int64_t months = month - 1 + sign * span.GetMonths();
  int64_t year = value.m_year + FloorDiv(months, 12) + sign * span.GetYears();
  int monthOut = static_cast<int>(FloorMod(months, 12)) + 1;

  // The time, from nanoseconds up, each carrying into the next. An amount may
  // not fit a signed 64-bit value, so its whole units of the next field join
  // the carry directly: t = field + carry + sign * amount, split by base.
  int64_t carry = 0;
  const auto step = [&](int64_t field, uint64_t amount, int64_t base) {
    const auto unit = static_cast<uint64_t>(base);
    const int64_t t = field + carry + sign * static_cast<int64_t>(amount % unit);
    carry = FloorDiv(t, base) + sign * static_cast<int64_t>(amount / unit);
    return FloorMod(t, base);
  };
  const int64_t nano = step(value.m_nano, span.GetNanoSeconds(), 1000);
  const int64_t micro = step(value.m_micro, span.GetMicroSeconds(), 1000);
  const int64_t milli = step(value.m_milli, span.GetMilliSeconds(), 1000);
  const int64_t second = step(value.m_second, span.GetSeconds(), 60);
  const int64_t minute = step(value.m_minute, span.GetMinutes(), 60);
  const int64_t hour = step(value.m_hour, span.GetHours(), 24);

  // Days, a month at a time, from the day clamped to the month reached (as
  // XSD adds durations): 2004-01-31 plus P1M is 2004-02-29, and plus P1M1D
  // 2004-03-01.
  int64_t days = sign * static_cast<int64_t>(span.GetDays()) + carry;
  int64_t day = std::min<int64_t>(value.m_day, DaysInMonth(year, monthOut));
  while (days != 0) {
    const int length = DaysInMonth(year, monthOut);
    // On a real date, whole 400-year cycles can be stepped over at once: the
    // calendar repeats, and huge durations would otherwise loop for ages.
    if (day >= 1 && day <= length && (days >= kDaysIn400Years || days <= -kDaysIn400Years)) {
      const int64_t cycles = days / kDaysIn400Years;
      year += cycles * 400;
      days -= cycles * kDaysIn400Years;
      continue;
    }
    if (days < 0) {
      if (-days >= day) {  // back to the last day of the previous month
        days += day;
        if (--monthOut == 0) {
          monthOut = 12;
          --year;
        }
        day = DaysInMonth(year, monthOut);
      } else {
        day += days;
        days = 0;
      }
    } else if (day + days > length) {  // on to the first of the next month
      days -= length - day + 1;
      day = 1;
      if (++monthOut == 13) {
        monthOut = 1;
        ++year;
      }
    } else {
      day += days;
      days = 0;
    }
  }

  return ShiftedFields{year, monthOut, day, hour, minute, second, milli, micro, nano};
}

void DateTimeAccess::Add(CDateTime& value, const CDateTimeSpan& span, bool reverse) {
  const ShiftedFields f = Shift(value, span, reverse);
  // The result keeps the kind; the fields the kind lacks go back to zero, so a
  // date moved by hours stays a plain date. A year beyond 16 bits wraps: such
  // a result is far outside what any kind can hold anyway.
  const CDateTime::DTType kind = value.m_type;
  const bool hasTime = KindIn(kind, kTimeKinds);
  value.m_year = KindIn(kind, kYearKinds) ? static_cast<int16_t>(f.year) : 0;
  value.m_month = KindIn(kind, kMonthKinds) ? static_cast<uint8_t>(f.month) : 0;
  value.m_day = KindIn(kind, kDayKinds) ? static_cast<uint8_t>(f.day) : 0;
  value.m_hour = hasTime ? static_cast<uint8_t>(f.hour) : 0;
  value.m_minute = hasTime ? static_cast<uint8_t>(f.minute) : 0;
  value.m_second = hasTime ? static_cast<uint8_t>(f.second) : 0;
  value.m_milli = hasTime ? static_cast<uint16_t>(f.milli) : 0;
  value.m_micro = hasTime ? static_cast<uint16_t>(f.micro) : 0;
  value.m_nano = hasTime ? static_cast<uint16_t>(f.nano) : 0;
}

}  // namespace detail

namespace {

// Step 4 of the XSD order: field by field, a field only one side has makes the
// pair unordered.
CDateTime::DTCompareResult CompareFields(const CDateTime& a, const CDateTime& b) {
  struct Field {
    uint32_t kinds;
    int64_t (*get)(const CDateTime&);
  };
  static constexpr Field kFields[] = {
      {detail::kYearKinds, [](const CDateTime& v) -> int64_t { return v.GetYear(); }},
      {detail::kMonthKinds, [](const CDateTime& v) -> int64_t { return v.GetMonth(); }},
      {detail::kDayKinds, [](const CDateTime& v) -> int64_t { return v.GetDay(); }},
      {detail::kTimeKinds, [](const CDateTime& v) -> int64_t { return v.GetHour(); }},
      {detail::kTimeKinds, [](const CDateTime& v) -> int64_t { return v.GetMinute(); }},
      {detail::kTimeKinds,
       [](const CDateTime& v) -> int64_t {
         return v.GetSecond() * int64_t{1000000000} + v.GetMilliSecond() * int64_t{1000000} +
                v.GetMicroSecond() * int64_t{1000} + v.GetNanoSecond();
       }},
  };
  for (const Field& field : kFields) {
    const bool inA = KindIn(a.GetType(), field.kinds);
    const bool inB = KindIn(b.GetType(), field.kinds);
    if (inA != inB) return CDateTime::dtcr_indeterminate;
    if (!inA) continue;
    const int64_t va = field.get(a);
    const int64_t vb = field.get(b);
    if (va != vb) return va < vb ? CDateTime::dtcr_less : CDateTime::dtcr_greater;
  }
  return CDateTime::dtcr_equal;
}

// A value without zone read at the given offset, in UTC.
CDateTime AtOffset(const CDateTime& value, int16_t hours) {
  CDateTime copy(value);
  copy.SetTimeZone(hours, 0);
  return copy.GetNormalized();
}

}  // namespace

CDateTime CDateTime::GetNormalized() const {
  CDateTime copy(*this);
  if (m_hasTimeZone) {
    const CDateTimeSpan offset(static_cast<uint32_t>(std::abs(m_zoneHour)), m_zoneMinute, 0);
    DateTimeAccess::Add(copy, offset, /*reverse=*/m_zoneHour >= 0);
    copy.SetTimeZone(0, 0);
  }
  return copy;
}

CDateTime::DTCompareResult CDateTime::CompareTo(const CDateTime& other) const {
  const CDateTime a = m_hasTimeZone ? GetNormalized() : *this;
  const CDateTime b = other.m_hasTimeZone ? other.GetNormalized() : other;
  if (a.m_utc == b.m_utc) return CompareFields(a, b);
  // One side has no zone: it may lie anywhere from +14:00 to -14:00.
  constexpr int16_t kMaxOffset = 14;
  if (!a.m_utc) {
    if (CompareFields(AtOffset(a, kMaxOffset), b) == dtcr_greater) return dtcr_greater;
    if (CompareFields(AtOffset(a, -kMaxOffset), b) == dtcr_less) return dtcr_less;
  } else {
    if (CompareFields(a, AtOffset(b, kMaxOffset)) == dtcr_less) return dtcr_less;
    if (CompareFields(a, AtOffset(b, -kMaxOffset)) == dtcr_greater) return dtcr_greater;
  }
  return dtcr_indeterminate;
}

bool CDateTime::operator==(const CDateTime& other) const { return CompareTo(other) == dtcr_equal; }

bool CDateTime::operator!=(const CDateTime& other) const { return CompareTo(other) != dtcr_equal; }

bool CDateTime::operator<(const CDateTime& other) const { return CompareTo(other) == dtcr_less; }

bool CDateTime::operator<=(const CDateTime& other) const {
  const DTCompareResult result = CompareTo(other);
  return result == dtcr_equal || result == dtcr_less;
}

bool CDateTime::operator>(const CDateTime& other) const { return CompareTo(other) == dtcr_greater; }

bool CDateTime::operator>=(const CDateTime& other) const {
  const DTCompareResult result = CompareTo(other);
  return result == dtcr_equal || result == dtcr_greater;
}

CDateTime CDateTime::operator+(const CDateTimeSpan& span) const {
  CDateTime result(*this);
  DateTimeAccess::Add(result, span, false);
  return result;
}

CDateTime& CDateTime::operator+=(const CDateTimeSpan& span) {
  DateTimeAccess::Add(*this, span, false);
  return *this;
}

CDateTime CDateTime::operator-(const CDateTimeSpan& span) const {
  CDateTime result(*this);
  DateTimeAccess::Add(result, span, true);
  return result;
}

CDateTime& CDateTime::operator-=(const CDateTimeSpan& span) {
  DateTimeAccess::Add(*this, span, true);
  return *this;
}

CDateTimeSpan CDateTime::operator-(const CDateTime& other) const {
  const bool calendar =
      KindIn(m_type, detail::kCalendarKinds) && KindIn(other.m_type, detail::kCalendarKinds);
  if (!calendar && !(m_type == dt_time && other.m_type == dt_time)) {
    msg::ThrowState(msg::kSubtractKinds, detail::DateKindName(other.m_type),
                    detail::DateKindName(m_type));
  }
  constexpr int64_t kNanosPerSecond = 1000000000;
  const detail::Instant a = DateTimeAccess::ToInstant(*this);
  const detail::Instant b = DateTimeAccess::ToInstant(other);
  int64_t seconds = a.seconds - b.seconds;
  int64_t nanoseconds = a.nanoseconds - b.nanoseconds;  // within one second either way
  if (nanoseconds < 0) {
    nanoseconds += kNanosPerSecond;
    --seconds;
  }
  const bool negative = seconds < 0;
  if (negative) {
    seconds = -seconds;
    if (nanoseconds != 0) {
      --seconds;
      nanoseconds = kNanosPerSecond - nanoseconds;
    }
  }
  CDateTimeSpan span(
      0, 0, static_cast<uint32_t>(seconds / detail::kSecondsPerDay),
      static_cast<uint32_t>(seconds / 3600 % 24), static_cast<uint64_t>(seconds / 60 % 60),
      static_cast<uint64_t>(seconds % 60), static_cast<uint16_t>(nanoseconds / 1000000),
      static_cast<uint16_t>(nanoseconds / 1000 % 1000), static_cast<uint16_t>(nanoseconds % 1000));
  if (negative) span.Negate();
  return span;
}

}  // namespace Korvel
