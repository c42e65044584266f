// SPDX-License-Identifier: MIT
// The XSD date, time and dateTime parsers.
//
// They work on pieces of the caller's text (a dateTime is split at its "T"),
// so reading a value allocates nothing unless it fails.
#include <korvel/date_time.h>

#include <algorithm>
#include <cwchar>

#include "values/date_time_access.h"
#include "values/date_time_messages.h"

namespace Korvel {

using detail::DateTimeAccess;
namespace msg = detail::dt_msg;

namespace {

constexpr bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads count ASCII digits at p; false if any is not one.
bool ReadDigits(const wchar_t* p, int count, int& value) {
  value = 0;
  for (int i = 0; i < count; ++i) {
    if (!IsDigit(p[i])) return false;
    value = value * 10 + (p[i] - L'0');
  }
  return true;
}

bool Contains(const wchar_t* text, size_t length, wchar_t c) {
  return std::wmemchr(text, c, length) != nullptr;
}

struct DateForm {
  CDateTime::DTType kind = CDateTime::dt_invalid;
  int year = 0;
  int month = 0;
  int day = 0;
};

// The date forms without zone; false if the text is none of them.
bool ReadDateForm(const wchar_t* p, size_t length, DateForm& form) {
  if (length >= 2 && p[0] == L'-' && p[1] == L'-') {
    switch (length) {
      case 4:  // --MM
      case 6:  // --MM--, an old spelling of gMonth; the tail is not examined
        form.kind = CDateTime::dt_gMonth;
        return ReadDigits(p + 2, 2, form.month);
      case 5:  // ---DD
        form.kind = CDateTime::dt_gDay;
        return p[2] == L'-' && ReadDigits(p + 3, 2, form.day);
      case 7:  // --MM-DD
        form.kind = CDateTime::dt_gMonthDay;
        return ReadDigits(p + 2, 2, form.month) && p[4] == L'-' && ReadDigits(p + 5, 2, form.day);
      default:
        return false;
    }
  }
  const bool negative = length > 0 && p[0] == L'-';
  if (negative) {
    ++p;
    --length;
  }
  switch (length) {
    case 4:  // CCYY
      form.kind = CDateTime::dt_gYear;
      break;
    case 7:  // CCYY-MM
      form.kind = CDateTime::dt_gYearMonth;
      break;
    case 10:  // CCYY-MM-DD
      form.kind = CDateTime::dt_date;
      break;
    default:
      return false;
  }
  if (!ReadDigits(p, 4, form.year)) return false;
  if (negative) form.year = -form.year;
  if (length >= 7 && !(p[4] == L'-' && ReadDigits(p + 5, 2, form.month))) return false;
  if (length == 10 && !(p[7] == L'-' && ReadDigits(p + 8, 2, form.day))) return false;
  return true;
}

}  // namespace

namespace detail {

// Whatever follows a date or a time must be a zone: "Z", or +hh:mm or -hh:mm
// within 14 hours.
void DateTimeAccess::ParseZone(CDateTime& value, const wchar_t* text, size_t length) {
  if (length == 0) return;
  if (text[0] == L'Z' && length == 1) {
    value.SetUTC();
    return;
  }
  int hour = 0;
  int minute = 0;
  if (length != 6 || (text[0] != L'+' && text[0] != L'-') || !ReadDigits(text + 1, 2, hour) ||
      text[3] != L':' || !ReadDigits(text + 4, 2, minute) || hour * 60 + minute > 14 * 60) {
    msg::ThrowValueText(msg::kZoneForm, text, length);
  }
  // SetTimeZone checks the ranges.
  value.SetTimeZone(static_cast<int16_t>(text[0] == L'-' ? -hour : hour),
                    static_cast<uint8_t>(minute));
}

void DateTimeAccess::ParseDate(CDateTime& value, const wchar_t* text, size_t length) {
  if (length == 0) msg::ThrowValue(msg::kDateEmpty);
  if (Contains(text, length, L'T')) msg::ThrowValue(msg::kDateWithT);
  // The zone comes off the end first: "Z", or six characters when there is a ":".
  size_t zoneLength = 0;
  const bool hasColon = Contains(text, length, L':');
  if (text[length - 1] == L'Z') {
    if (hasColon) msg::ThrowValue(msg::kDateBadZone);
    zoneLength = 1;
  } else if (hasColon) {
    zoneLength = std::min<size_t>(6, length);
  }
  DateForm form;
  if (!ReadDateForm(text, length - zoneLength, form)) {
    msg::ThrowValueText(msg::kDateForm, text, length);
  }
  value.m_type = form.kind;
  value.m_year = static_cast<int16_t>(form.year);
  value.m_month = static_cast<uint8_t>(form.month);
  value.m_day = static_cast<uint8_t>(form.day);
  ParseZone(value, text + length - zoneLength, zoneLength);
  WideFields fields;
  fields.year = form.year;
  fields.month = form.month;
  fields.day = form.day;
  Validate(form.kind, fields);
}

void DateTimeAccess::ParseTime(CDateTime& value, const wchar_t* text, size_t length) {
  if (length == 0) msg::ThrowValue(msg::kTimeEmpty);
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (length < 8 || !ReadDigits(text, 2, hour) || text[2] != L':' ||
      !ReadDigits(text + 3, 2, minute) || text[5] != L':' || !ReadDigits(text + 6, 2, second) ||
      hour > 23 || minute > 59 || second > 59) {
    msg::ThrowValueText(msg::kTimeForm, text, length);
  }
  // Up to nine fraction digits: milli, micro and nano, three each.
  uint16_t fraction[3] = {0, 0, 0};
  size_t pos = 8;
  if (pos < length && text[pos] == L'.') {
    static constexpr uint16_t kWeights[3] = {100, 10, 1};
    int count = 0;
    for (++pos; pos < length && IsDigit(text[pos]); ++pos, ++count) {
      if (count == 9) msg::ThrowValueText(msg::kTimeFraction, text, length);
      fraction[count / 3] =
          static_cast<uint16_t>(fraction[count / 3] + (text[pos] - L'0') * kWeights[count % 3]);
    }
    if (count == 0) msg::ThrowValueText(msg::kTimeForm, text, length);  // a '.' needs digits
  }
  value.m_type = CDateTime::dt_time;
  value.m_hour = static_cast<uint8_t>(hour);
  value.m_minute = static_cast<uint8_t>(minute);
  value.m_second = static_cast<uint8_t>(second);
  value.m_milli = fraction[0];
  value.m_micro = fraction[1];
  value.m_nano = fraction[2];
  ParseZone(value, text + pos, length - pos);
}

}  // namespace detail

void CDateTime::ParseXSDDate(const wchar_t* text) {
  if (text == nullptr) msg::ThrowValue(msg::kDateNull);
  DateTimeAccess::Clear(*this);
  DateTimeAccess::ParseDate(*this, text, std::wcslen(text));
}

void CDateTime::ParseXSDTime(const wchar_t* text) {
  if (text == nullptr) msg::ThrowValue(msg::kTimeNull);
  DateTimeAccess::Clear(*this);
  DateTimeAccess::ParseTime(*this, text, std::wcslen(text));
}

void CDateTime::ParseXSDDateTime(const wchar_t* text) {
  if (text == nullptr) msg::ThrowValue(msg::kDateTimeNull);
  DateTimeAccess::Clear(*this);
  const size_t length = std::wcslen(text);
  const wchar_t* t = std::wmemchr(text, L'T', length);
  if (t == nullptr) msg::ThrowValueText(msg::kDateTimeNoT, text, length);
  const auto dateLength = static_cast<size_t>(t - text);
  DateTimeAccess::ParseDate(*this, text, dateLength);
  if (m_type != dt_date) msg::ThrowValueText(msg::kDateTimeForm, text, length);
  DateTimeAccess::ParseTime(*this, t + 1, length - dateLength - 1);
  m_type = dt_dateTime;
  Validate();
}

}  // namespace Korvel
