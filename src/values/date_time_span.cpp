// SPDX-License-Identifier: MIT
// CDateTimeSpan: fields, the XSD duration parser and printer, and the order.
#include <korvel/date_time_span.h>

#include <cstdint>
#include <cwchar>
#include <limits>
#include <tuple>

#include "values/date_time_access.h"
#include "values/date_time_messages.h"
#include "values/date_time_text.h"
#include "values/value_text.h"

namespace Korvel {

namespace msg = detail::dt_msg;

CDateTimeSpan::CDateTimeSpan() : CDateTimeSpan(0, 0, 0, 0, 0, 0, 0, 0, 0) {}

CDateTimeSpan::CDateTimeSpan(const CDateTimeSpan& other) = default;

CDateTimeSpan::CDateTimeSpan(uint32_t hours, uint64_t minutes, uint64_t seconds)
    : CDateTimeSpan(0, 0, 0, hours, minutes, seconds, 0, 0, 0) {}

CDateTimeSpan::CDateTimeSpan(uint16_t years, uint32_t months, uint32_t days, uint32_t hours,
                             uint64_t minutes, uint64_t seconds)
    : CDateTimeSpan(years, months, days, hours, minutes, seconds, 0, 0, 0) {}

CDateTimeSpan::CDateTimeSpan(uint16_t years, uint32_t months, uint32_t days, uint32_t hours,
                             uint64_t minutes, uint64_t seconds, uint16_t milli, uint16_t micro,
                             uint16_t nano)
    : m_years(years),
      m_months(months),
      m_days(days),
      m_hours(hours),
      m_minutes(minutes),
      m_seconds(seconds),
      m_milli(milli),
      m_micro(micro),
      m_nano(nano),
      m_negative(false) {}

CDateTimeSpan::~CDateTimeSpan() = default;

CDateTimeSpan& CDateTimeSpan::operator=(const CDateTimeSpan& other) = default;

void CDateTimeSpan::SetDateTimeSpan(uint32_t hours, uint64_t minutes, uint64_t seconds) {
  *this = CDateTimeSpan(hours, minutes, seconds);
}

void CDateTimeSpan::SetDateTimeSpan(uint16_t years, uint32_t months, uint32_t days, uint32_t hours,
                                    uint64_t minutes, uint64_t seconds) {
  *this = CDateTimeSpan(years, months, days, hours, minutes, seconds);
}

void CDateTimeSpan::SetDateTimeSpan(uint16_t years, uint32_t months, uint32_t days, uint32_t hours,
                                    uint64_t minutes, uint64_t seconds, uint16_t milli,
                                    uint16_t micro, uint16_t nano) {
  *this = CDateTimeSpan(years, months, days, hours, minutes, seconds, milli, micro, nano);
}

uint16_t CDateTimeSpan::GetYears() const { return m_years; }
uint32_t CDateTimeSpan::GetMonths() const { return m_months; }
uint32_t CDateTimeSpan::GetDays() const { return m_days; }
uint32_t CDateTimeSpan::GetHours() const { return m_hours; }
uint64_t CDateTimeSpan::GetMinutes() const { return m_minutes; }
uint64_t CDateTimeSpan::GetSeconds() const { return m_seconds; }
uint16_t CDateTimeSpan::GetMilliSeconds() const { return m_milli; }
uint16_t CDateTimeSpan::GetMicroSeconds() const { return m_micro; }
uint16_t CDateTimeSpan::GetNanoSeconds() const { return m_nano; }

void CDateTimeSpan::SetYears(uint16_t years) { m_years = years; }
void CDateTimeSpan::SetMonths(uint32_t months) { m_months = months; }
void CDateTimeSpan::SetDays(uint32_t days) { m_days = days; }
void CDateTimeSpan::SetHours(uint32_t hours) { m_hours = hours; }
void CDateTimeSpan::SetMinutes(uint64_t minutes) { m_minutes = minutes; }
void CDateTimeSpan::SetSeconds(uint64_t seconds) { m_seconds = seconds; }
void CDateTimeSpan::SetMilliSeconds(uint16_t milli) { m_milli = milli; }
void CDateTimeSpan::SetMicroSeconds(uint16_t micro) { m_micro = micro; }
void CDateTimeSpan::SetNanoSeconds(uint16_t nano) { m_nano = nano; }

bool CDateTimeSpan::IsNegative() const { return m_negative; }

void CDateTimeSpan::Negate() { m_negative = !m_negative; }

CDateTimeSpan CDateTimeSpan::GetAsNegative() const {
  CDateTimeSpan copy(*this);
  copy.m_negative = true;
  return copy;
}

// ---------------------------------------------------------------------------
// Parsing

namespace {

constexpr bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Where the parser stands: which designators it has seen.
enum class Stage { Start, Years, Months, Days, Time, Hours, Minutes, Seconds, Fraction };

// The designators in the order the form allows them.
constexpr bool Before(Stage stage, Stage limit) {
  return static_cast<int>(stage) < static_cast<int>(limit);
}

}  // namespace

void CDateTimeSpan::ParseXSDDuration(const wchar_t* text) {
  *this = CDateTimeSpan();
  if (text == nullptr) msg::ThrowValue(msg::kDurationNull);
  if (text[0] == L'\0') msg::ThrowValue(msg::kDurationEmpty);
  const size_t length = std::wcslen(text);
  const auto fail = [&](const wchar_t* message) { msg::ThrowValueText(message, text, length); };
  // A number must fit the field its designator names.
  const auto fit = [&](uint64_t value, bool overflow, uint64_t max) {
    if (overflow || value > max) fail(msg::kDurationNumber);
    return value;
  };

  const wchar_t* p = text;
  if (*p == L'-') {
    m_negative = true;
    ++p;
  }
  if (*p++ != L'P') fail(msg::kDurationForm);
  Stage stage = Stage::Start;
  while (*p != L'\0') {
    uint64_t n = 0;
    bool overflow = false;
    const wchar_t* const digits = p;
    for (; IsDigit(*p); ++p) {
      const auto digit = static_cast<uint64_t>(*p - L'0');
      overflow = overflow || n > (std::numeric_limits<uint64_t>::max() - digit) / 10;
      n = n * 10 + digit;
    }
    // Every designator but T follows a number; T follows none.
    const bool number = p != digits;
    if (number == (*p == L'T')) fail(msg::kDurationForm);
    switch (*p++) {
      case L'Y':
        if (stage != Stage::Start) fail(msg::kDurationForm);
        m_years = static_cast<uint16_t>(fit(n, overflow, std::numeric_limits<uint16_t>::max()));
        stage = Stage::Years;
        break;
      case L'M':
        if (Before(stage, Stage::Months)) {
          m_months = static_cast<uint32_t>(fit(n, overflow, std::numeric_limits<uint32_t>::max()));
          stage = Stage::Months;
        } else if (stage == Stage::Time || stage == Stage::Hours) {
          m_minutes = fit(n, overflow, std::numeric_limits<uint64_t>::max());
          stage = Stage::Minutes;
        } else {
          fail(msg::kDurationForm);
        }
        break;
      case L'D':
        if (!Before(stage, Stage::Days)) fail(msg::kDurationForm);
        m_days = static_cast<uint32_t>(fit(n, overflow, std::numeric_limits<uint32_t>::max()));
        stage = Stage::Days;
        break;
      case L'T':
        if (!Before(stage, Stage::Time)) fail(msg::kDurationForm);
        stage = Stage::Time;
        break;
      case L'H':
        if (stage != Stage::Time) fail(msg::kDurationForm);
        m_hours = static_cast<uint32_t>(fit(n, overflow, std::numeric_limits<uint32_t>::max()));
        stage = Stage::Hours;
        break;
      case L'S':
      case L'.':
        if (Before(stage, Stage::Time) || !Before(stage, Stage::Seconds)) {
          fail(msg::kDurationForm);
        }
        m_seconds = fit(n, overflow, std::numeric_limits<uint64_t>::max());
        stage = Stage::Seconds;
        if (p[-1] == L'.') {
          // Nine digits at most: milli, micro and nano, three each.
          uint16_t* const groups[3] = {&m_milli, &m_micro, &m_nano};
          static constexpr uint16_t kWeights[3] = {100, 10, 1};
          int count = 0;
          for (; IsDigit(*p); ++p, ++count) {
            if (count == 9) fail(msg::kDurationFraction);
            *groups[count / 3] =
                static_cast<uint16_t>(*groups[count / 3] + (*p - L'0') * kWeights[count % 3]);
          }
          if (count == 0 || *p++ != L'S') fail(msg::kDurationForm);
          stage = Stage::Fraction;
        }
        break;
      default:  // another character, or digits with no designator at the end
        fail(msg::kDurationForm);
    }
  }
  // "P" alone and a "T" with nothing after it say nothing.
  if (stage == Stage::Start || stage == Stage::Time) fail(msg::kDurationForm);
}

// ---------------------------------------------------------------------------
// Printing

namespace {

// The duration's text, as ToString gives it.
void PrintSpan(const CDateTimeSpan& value, detail::DateTimeText& text) {
  if (value.IsNegative()) text.Put(L'-');
  text.Put(L'P');
  const auto put = [&](uint64_t count, wchar_t designator) {
    if (count != 0) {
      text.PutNumber(count, 1);
      text.Put(designator);
    }
  };
  put(value.GetYears(), L'Y');
  put(value.GetMonths(), L'M');
  put(value.GetDays(), L'D');
  const uint16_t milli = value.GetMilliSeconds();
  const uint16_t micro = value.GetMicroSeconds();
  const uint16_t nano = value.GetNanoSeconds();
  const bool hasFraction = milli != 0 || micro != 0 || nano != 0;
  if (value.GetHours() != 0 || value.GetMinutes() != 0 || value.GetSeconds() != 0 || hasFraction) {
    text.Put(L'T');
    put(value.GetHours(), L'H');
    put(value.GetMinutes(), L'M');
    if (value.GetSeconds() != 0 || hasFraction) {
      text.PutNumber(value.GetSeconds(), 1);
      text.PutFraction(milli, micro, nano);
      text.Put(L'S');
    }
  }
}

}  // namespace

std::wstring CDateTimeSpan::ToString() const {
  detail::DateTimeText text;
  PrintSpan(*this, text);
  return text.str();
}

bool detail::PutText(const CDateTimeSpan& value, ShortText& out) {
  DateTimeText text;
  PrintSpan(value, text);
  const std::wstring_view printed = text.View();
  return out.PutFilled(printed.size(), [&](wchar_t* room) { printed.copy(room, printed.size()); });
}

// ---------------------------------------------------------------------------
// Order

CDateTime::DTCompareResult CDateTimeSpan::CompareTo(const CDateTimeSpan& other) const {
  const auto order = [](const auto& a, const auto& b) {
    return a < b ? CDateTime::dtcr_less : b < a ? CDateTime::dtcr_greater : CDateTime::dtcr_equal;
  };
  // Durations of years and months alone move the first of a month to the
  // first of another at every reference instant, so the four agree with the
  // order of the signed month counts.
  const auto monthsOnly = [](const CDateTimeSpan& d) {
    return (d.m_days | d.m_hours | d.m_minutes | d.m_seconds | d.m_milli | d.m_micro | d.m_nano) ==
           0;
  };
  if (monthsOnly(*this) && monthsOnly(other)) {
    const auto months = [](const CDateTimeSpan& d) {
      const int64_t count = int64_t{d.m_years} * 12 + d.m_months;
      return d.m_negative ? -count : count;
    };
    return order(months(*this), months(other));
  }
  // Durations without years and months move every instant by the same
  // length of time, so they agree with the order of the signed lengths, in
  // nanoseconds (128 bits hold the longest).
  const auto timeOnly = [](const CDateTimeSpan& d) { return (d.m_years | d.m_months) == 0; };
  if (timeOnly(*this) && timeOnly(other)) {
    __extension__ typedef __int128 Nanoseconds;
    const auto length = [](const CDateTimeSpan& d) {
      const Nanoseconds seconds = Nanoseconds{d.m_days} * 86400 + Nanoseconds{d.m_hours} * 3600 +
                                  Nanoseconds{d.m_minutes} * 60 + d.m_seconds;
      const Nanoseconds nanoseconds = seconds * 1000000000 + Nanoseconds{d.m_milli} * 1000000 +
                                      Nanoseconds{d.m_micro} * 1000 + d.m_nano;
      return d.m_negative ? -nanoseconds : nanoseconds;
    };
    return order(length(*this), length(other));
  }
  // The four instants of the XSD order: they cover months of 28 to 31 days
  // with and without a leap day ahead.
  struct Reference {
    int16_t year;
    uint8_t month;
  };
  static constexpr Reference kReferences[] = {{1696, 9}, {1697, 2}, {1903, 3}, {1903, 7}};
  const auto key = [](const detail::ShiftedFields& f) {
    const int64_t fraction = (f.second * 1000 + f.milli) * 1000000 + f.micro * 1000 + f.nano;
    return std::make_tuple(f.year, f.month, f.day, f.hour, f.minute, fraction);
  };
  CDateTime::DTCompareResult common = CDateTime::dtcr_indeterminate;
  bool first = true;
  for (const Reference& reference : kReferences) {
    // All four are UTC dateTimes, so the sums compare field by field, and are
    // compared in full width, before any narrowing can wrap a huge year.
    const CDateTime start(reference.year, reference.month, 1, 0, 0, 0);
    const CDateTime::DTCompareResult result =
        order(key(detail::DateTimeAccess::Shift(start, *this, false)),
              key(detail::DateTimeAccess::Shift(start, other, false)));
    if (!first && result != common) return CDateTime::dtcr_indeterminate;
    common = result;
    first = false;
  }
  return common;
}

bool CDateTimeSpan::operator==(const CDateTimeSpan& other) const {
  return CompareTo(other) == CDateTime::dtcr_equal;
}

bool CDateTimeSpan::operator!=(const CDateTimeSpan& other) const {
  return CompareTo(other) != CDateTime::dtcr_equal;
}

bool CDateTimeSpan::operator<(const CDateTimeSpan& other) const {
  return CompareTo(other) == CDateTime::dtcr_less;
}

bool CDateTimeSpan::operator>(const CDateTimeSpan& other) const {
  return CompareTo(other) == CDateTime::dtcr_greater;
}

}  // namespace Korvel
