// SPDX-License-Identifier: MIT
// CDateTime::ToString: the XSD lexical form of each kind.
#include <korvel/date_time.h>

#include <cstdlib>
#include <cwchar>

#include "values/date_time_text.h"

namespace Korvel {

namespace {

constexpr wchar_t kNotSet[] = L"Error: Date Not Set";
constexpr wchar_t kUnknownFormat[] = L"Unknown Format: ";

void PutYear(detail::DateTimeText& text, int year) {
  if (year < 0) text.Put(L'-');
  text.PutNumber(static_cast<uint64_t>(std::abs(year)), 4);
}

}  // namespace

std::wstring CDateTime::ToString() const { return ToString(L"s"); }

std::wstring CDateTime::ToString(const wchar_t* format) const {
  const bool allZero = m_year == 0 && m_month == 0 && m_day == 0 && m_hour == 0 && m_minute == 0 &&
                       m_second == 0 && m_milli == 0 && m_micro == 0 && m_nano == 0;
  // Midnight is a time like any other; for the other kinds nothing set means unset.
  if (m_type == dt_invalid || (m_type != dt_time && allZero)) return kNotSet;
  if (format == nullptr || format[0] == L'\0' || std::wcscmp(format, L"G") == 0) return {};
  if (std::wcscmp(format, L"s") != 0) return kUnknownFormat + std::wstring(format);

  detail::DateTimeText text;
  const auto putTime = [&] {
    text.PutNumber(m_hour, 2);
    text.Put(L':');
    text.PutNumber(m_minute, 2);
    text.Put(L':');
    text.PutNumber(m_second, 2);
    text.PutFraction(m_milli, m_micro, m_nano);
  };
  switch (m_type) {
    case dt_dateTime:
    case dt_date:
    case dt_gYearMonth:
    case dt_gYear:
      PutYear(text, m_year);
      if (m_type == dt_gYear) break;
      text.Put(L'-');
      text.PutNumber(m_month, 2);
      if (m_type == dt_gYearMonth) break;
      text.Put(L'-');
      text.PutNumber(m_day, 2);
      if (m_type == dt_date) break;
      text.Put(L'T');
      putTime();
      break;
    case dt_time:
      putTime();
      break;
    case dt_gDay:
      text.Put(L'-');
      text.Put(L'-');
      text.Put(L'-');
      text.PutNumber(m_day, 2);
      break;
    case dt_gMonth:
    case dt_gMonthDay:
      text.Put(L'-');
      text.Put(L'-');
      text.PutNumber(m_month, 2);
      if (m_type == dt_gMonthDay) {
        text.Put(L'-');
        text.PutNumber(m_day, 2);
      }
      break;
    default:  // a kind outside the enumeration has no form; only its zone shows
      break;
  }
  if (m_utc) {
    if (!m_hasTimeZone) {
      text.Put(L'Z');
    } else {
      text.Put(m_zoneHour < 0 ? L'-' : L'+');
      text.PutNumber(static_cast<uint64_t>(std::abs(m_zoneHour)), 2);
      text.Put(L':');
      text.PutNumber(m_zoneMinute, 2);
    }
  }
  return text.str();
}

}  // namespace Korvel
