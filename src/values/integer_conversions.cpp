// SPDX-License-Identifier: MIT
// The integer kinds and the year, month and day numbers to and from text.
#include <korvel/conversions.h>

#include <cstdint>

#include "values/conversion_errors.h"
#include "values/integer_text.h"
#include "values/value_text.h"
#include "values/whitespace_rules.h"

namespace Korvel {

namespace {

// i4, i8, ui4 and ui8 share one shape: rule, parse, report against the kind.
int64_t ParseSignedKind(const std::wstring& text, CWhitespaceUtils::WhitespaceRule rule,
                        int64_t min, int64_t max, const char* kind) {
  std::wstring scratch;
  std::wstring_view ruled = detail::ApplyRuleView(rule, text, scratch);
  int64_t value = 0;
  switch (detail::ParseSigned(ruled, min, max, value)) {
    case detail::IntegerParse::ok:
      return value;
    case detail::IntegerParse::outOfRange:
      detail::ThrowTooLarge(ruled, kind);
    case detail::IntegerParse::invalid:
      break;
  }
  detail::ThrowCannotConvert(ruled, kind);
}

uint64_t ParseUnsignedKind(const std::wstring& text, CWhitespaceUtils::WhitespaceRule rule,
                           uint64_t max, const char* kind) {
  std::wstring scratch;
  std::wstring_view ruled = detail::ApplyRuleView(rule, text, scratch);
  uint64_t value = 0;
  switch (detail::ParseUnsigned(ruled, max, value)) {
    case detail::IntegerParse::ok:
      return value;
    case detail::IntegerParse::outOfRange:
      detail::ThrowTooLarge(ruled, kind);
    case detail::IntegerParse::invalid:
      break;
  }
  detail::ThrowCannotConvert(ruled, kind);
}

// The text a ShortText printer puts.
template <class T>
std::wstring Printed(void (*put)(T, detail::ShortText&), T value) {
  detail::ShortText text;
  put(value, text);
  return std::wstring(text.View());
}

}  // namespace

std::wstring CConversions::i1ToString(int8_t value) { return detail::SignedToText(value); }
std::wstring CConversions::i2ToString(int16_t value) { return detail::SignedToText(value); }
std::wstring CConversions::i4ToString(int32_t value) { return detail::SignedToText(value); }
std::wstring CConversions::i8ToString(int64_t value) { return detail::SignedToText(value); }
std::wstring CConversions::ui1ToString(uint8_t value) { return detail::UnsignedToText(value); }
std::wstring CConversions::ui2ToString(uint16_t value) { return detail::UnsignedToText(value); }
std::wstring CConversions::ui4ToString(uint32_t value) { return detail::UnsignedToText(value); }
std::wstring CConversions::ui8ToString(uint64_t value) { return detail::UnsignedToText(value); }
std::wstring CConversions::yearToString(uint16_t value) { return detail::UnsignedToText(value); }
std::wstring CConversions::monthToString(uint8_t value) {
  return Printed(detail::PutMonthText, value);
}
std::wstring CConversions::dayToString(uint8_t value) { return Printed(detail::PutDayText, value); }

int32_t CConversions::i4FromString(const std::wstring& text, WhitespaceRule rule) {
  return static_cast<int32_t>(ParseSignedKind(text, rule, INT32_MIN, INT32_MAX, "i4"));
}

int64_t CConversions::i8FromString(const std::wstring& text, WhitespaceRule rule) {
  return ParseSignedKind(text, rule, INT64_MIN, INT64_MAX, "i8");
}

uint32_t CConversions::ui4FromString(const std::wstring& text, WhitespaceRule rule) {
  return static_cast<uint32_t>(ParseUnsignedKind(text, rule, UINT32_MAX, "ui4"));
}

uint64_t CConversions::ui8FromString(const std::wstring& text, WhitespaceRule rule) {
  return ParseUnsignedKind(text, rule, UINT64_MAX, "ui8");
}

// The narrow kinds read as their 32-bit kind, so a malformed text carries the
// i4 or ui4 message; only their own range message quotes the caller's text as
// given, before the rule.
int8_t CConversions::i1FromString(const std::wstring& text, WhitespaceRule rule) {
  int32_t value = i4FromString(text, rule);
  if (value < INT8_MIN || value > INT8_MAX) detail::ThrowTooLarge(text, "i1");
  return static_cast<int8_t>(value);
}

int16_t CConversions::i2FromString(const std::wstring& text, WhitespaceRule rule) {
  int32_t value = i4FromString(text, rule);
  if (value < INT16_MIN || value > INT16_MAX) detail::ThrowTooLarge(text, "i2");
  return static_cast<int16_t>(value);
}

uint8_t CConversions::ui1FromString(const std::wstring& text, WhitespaceRule rule) {
  uint32_t value = ui4FromString(text, rule);
  if (value > UINT8_MAX) detail::ThrowTooLarge(text, "ui1");
  return static_cast<uint8_t>(value);
}

uint16_t CConversions::ui2FromString(const std::wstring& text, WhitespaceRule rule) {
  uint32_t value = ui4FromString(text, rule);
  if (value > UINT16_MAX) detail::ThrowTooLarge(text, "ui2");
  return static_cast<uint16_t>(value);
}

}  // namespace Korvel
