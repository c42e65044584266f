// SPDX-License-Identifier: MIT
// The duration and date-time kinds to and from text.
#include <korvel/conversions.h>

#include "values/date_time_messages.h"
#include "values/whitespace_rules.h"

namespace Korvel {

namespace {

// The parsers read C strings, where a NUL inside the text would end it
// early and let whatever follows pass unread.
const std::wstring& WholeText(const std::wstring& text, const wchar_t* form) {
  if (text.find(L'\0') != std::wstring::npos) {
    detail::dt_msg::ThrowValueText(form, text.c_str(), text.size());
  }
  return text;
}

// The general date parser reads whichever date kind the text has; parsing
// has checked the fields of that kind.
CDateTime ParseAnyDate(const std::wstring& text, CWhitespaceUtils::WhitespaceRule rule) {
  detail::RuledText ruled(text, rule);
  CDateTime value;
  value.ParseXSDDate(WholeText(ruled.Str(), detail::dt_msg::kDateForm).c_str());
  return value;
}

}  // namespace

std::wstring CConversions::durationToString(const CDateTimeSpan& value) { return value.ToString(); }

// One behaviour for the five names: the kind held inside the value decides.
std::wstring CConversions::dateToString(const CDateTime& value) { return value.ToString(); }
std::wstring CConversions::datetimeToString(const CDateTime& value) { return value.ToString(); }
std::wstring CConversions::timeToString(const CDateTime& value) { return value.ToString(); }
std::wstring CConversions::yearMonthToString(const CDateTime& value) { return value.ToString(); }
std::wstring CConversions::monthDayToString(const CDateTime& value) { return value.ToString(); }

CDateTimeSpan CConversions::durationFromString(const std::wstring& text, WhitespaceRule rule) {
  detail::RuledText ruled(text, rule);
  CDateTimeSpan value;
  value.ParseXSDDuration(WholeText(ruled.Str(), detail::dt_msg::kDurationForm).c_str());
  return value;
}

CDateTime CConversions::yearMonthFromString(const std::wstring& text, WhitespaceRule rule) {
  return ParseAnyDate(text, rule);
}

CDateTime CConversions::monthDayFromString(const std::wstring& text, WhitespaceRule rule) {
  return ParseAnyDate(text, rule);
}

CDateTime CConversions::dateFromString(const std::wstring& text, WhitespaceRule rule) {
  return ParseAnyDate(text, rule);
}

CDateTime CConversions::datetimeFromString(const std::wstring& text, WhitespaceRule rule) {
  detail::RuledText ruled(text, rule);
  CDateTime value;
  value.ParseXSDDateTime(WholeText(ruled.Str(), detail::dt_msg::kDateTimeNoT).c_str());
  return value;
}

CDateTime CConversions::timeFromString(const std::wstring& text, WhitespaceRule rule) {
  detail::RuledText ruled(text, rule);
  CDateTime value;
  value.ParseXSDTime(WholeText(ruled.Str(), detail::dt_msg::kTimeForm).c_str());
  value.Validate();
  return value;
}

// The component comes from the date's own getter, which refuses a kind
// without it (CKvInvalidStateException): 2004-05 read as a year is 2004.
uint16_t CConversions::yearFromString(const std::wstring& text, WhitespaceRule rule) {
  return static_cast<uint16_t>(ParseAnyDate(text, rule).GetYear());
}

uint8_t CConversions::monthFromString(const std::wstring& text, WhitespaceRule rule) {
  return ParseAnyDate(text, rule).GetMonth();
}

uint8_t CConversions::dayFromString(const std::wstring& text, WhitespaceRule rule) {
  return ParseAnyDate(text, rule).GetDay();
}

}  // namespace Korvel
