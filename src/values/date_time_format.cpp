// SPDX-License-Identifier: MIT
// CDateTime::ToString: the XSD lexical form of each kind.
#include <korvel/date_time.h>

#include <cstdlib>
#include <cwchar>
#include <string_view>

#include "values/date_time_access.h"
#include "values/date_time_text.h"
#include "values/value_text.h"

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
  if (format != nullptr && std::wcscmp(format, L"s") == 0) {
    std::wstring text;
    detail::DateTimeAccess::AppendText(*this, text);
    return text;
  }
  if (!detail::DateTimeAccess::IsSet(*this)) return kNotSet;
  if (format == nullptr || format[0] == L'\0' || std::wcscmp(format, L"G") == 0) return {};
  return kUnknownFormat + std::wstring(format);
}

bool detail::DateTimeAccess::IsSet(const CDateTime& value) {
  const bool allZero = value.m_year == 0 && value.m_month == 0 && value.m_day == 0 &&
                       value.m_hour == 0 && value.m_minute == 0 && value.m_second == 0 &&
                       value.m_milli == 0 && value.m_micro == 0 && value.m_nano == 0;
  // Midnight is a time like any other; for the other kinds nothing set means unset.
  return value.m_type != CDateTime::dt_invalid && (value.m_type == CDateTime::dt_time || !allZero);
}

void detail::DateTimeAccess::AppendText(const CDateTime& value, std::wstring& out) {
  DateTimeText text;
  PrintText(value, text);
  text.AppendTo(out);
}

void detail::DateTimeAccess::PrintText(const CDateTime& value, DateTimeText& text) {
  if (!IsSet(value)) {
    for (const wchar_t c : std::wstring_view(kNotSet)) text.Put(c);
    return;
  }
  const auto putTime = [&] {
    text.PutNumber(value.m_hour, 2);
    text.Put(L':');
    text.PutNumber(value.m_minute, 2);
    text.Put(L':');
    text.PutNumber(value.m_second, 2);
    text.PutFraction(value.m_milli, value.m_micro, value.m_nano);
  };
  switch (value.m_type) {
    case CDateTime::dt_dateTime:
    case CDateTime::dt_date:
    case CDateTime::dt_gYearMonth:
    case CDateTime::dt_gYear:
      PutYear(text, value.m_year);
      if (value.m_type == CDateTime::dt_gYear) break;
      text.Put(L'-');
      text.PutNumber(value.m_month, 2);
      if (value.m_type == CDateTime::dt_gYearMonth) break;
      text.Put(L'-');
      text.PutNumber(value.m_day, 2);
      if (value.m_type == CDateTime::dt_date) break;
      text.Put(L'T');
      putTime();
      break;
    case CDateTime::dt_time:
      putTime();
      break;
    case CDateTime::dt_gDay:
      text.Put(L'-');
      text.Put(L'-');
      text.Put(L'-');
      text.PutNumber(value.m_day, 2);
      break;
    case CDateTime::dt_gMonth:
    case CDateTime::dt_gMonthDay:
      text.Put(L'-');
      text.Put(L'-');
      text.PutNumber(value.m_month, 2);
      if (value.m_type == CDateTime::dt_gMonthDay) {
        text.Put(L'-');
        text.PutNumber(value.m_day, 2);
      }
      break;
    default:  // a kind outside the enumeration has no form; only its zone shows
      break;
  }
  if (value.m_utc) {
    if (!value.m_hasTimeZone) {
      text.Put(L'Z');
    } else {
      text.Put(value.m_zoneHour < 0 ? L'-' : L'+');
      text.PutNumber(static_cast<uint64_t>(std::abs(value.m_zoneHour)), 2);
      text.Put(L':');
      text.PutNumber(value.m_zoneMinute, 2);
    }
  }
}

void detail::AppendText(const CDateTime& value, std::wstring& out) {
  DateTimeAccess::AppendText(value, out);
}

bool detail::PutText(const CDateTime& value, ShortText& out) {
  DateTimeText text;
  DateTimeAccess::PrintText(value, text);
  const std::wstring_view printed = text.View();
  return out.PutFilled(printed.size(), [&](wchar_t* room) { printed.copy(room, printed.size()); });
}

}  // namespace Korvel
