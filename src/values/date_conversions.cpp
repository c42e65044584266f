// SPDX-License-Identifier: MIT
// The duration and date-time kinds to and from text.
#include <korvel/conversions.h>

#include "values/whitespace_rules.h"

namespace Korvel {

namespace {

// The general date parser reads whichever date kind the text has.
CDateTime ParseAnyDate(const std::wstring& text, CWhitespaceUtils::WhitespaceRule rule) {
  detail::RuledText ruled(text, rule);
  CDateTime value;
  value.ParseXSDDate(ruled.Str().c_str());
  value.Validate();
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
  value.ParseXSDDuration(ruled.Str().c_str());
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
  value.ParseXSDDateTime(ruled.Str().c_str());
  return value;
}

CDateTime CConversions::timeFromString(const std::wstring& text, WhitespaceRule rule) {
  detail::RuledText ruled(text, rule);
  CDateTime value;
  value.ParseXSDTime(ruled.Str().c_str());
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
