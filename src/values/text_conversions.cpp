// SPDX-License-Identifier: MIT
// The boolean, char, string, binary, decimal and integer kinds to and from text.
#include <korvel/conversions.h>

#include <climits>
#include <cstdint>

#include "values/big_integer_access.h"
#include "values/binary_text.h"
#include "values/character_classes.h"
#include "values/conversion_errors.h"
#include "values/decimal_access.h"
#include "values/number_errors.h"
#include "values/whitespace_rules.h"

namespace Korvel {

namespace {

// ASCII letters only: the accepted words are ASCII, and folding other scripts
// would let look-alike letters through.
bool EqualsIgnoringCase(std::wstring_view text, std::wstring_view lowerWord) noexcept {
  if (text.size() != lowerWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c >= L'A' && c <= L'Z') c += L'a' - L'A';
    if (c != lowerWord[i]) return false;
  }
  return true;
}

// _wtoi: C-locale whitespace, a sign, the leading digits; 0 when there are
// none, and the nearest 32-bit value beyond the range.
int32_t LeadingInteger(const std::wstring& text) noexcept {
  const wchar_t* p = text.c_str();
  while (detail::IsCSpace(*p)) ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  int64_t value = 0;
  for (; detail::IsDigit(*p); ++p) {
    value = value * 10 + (*p - L'0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) return static_cast<int32_t>(-value);
  return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

// The XSD lexical form of decimal, (+|-)?([0-9]+(.[0-9]*)?|.[0-9]+), or of
// integer without the fraction: the lenient parsers of CDecimal and
// CBigInteger would also take exponents, inner spaces and repeated signs,
// which no schema-valid document holds. The position named is that of the
// first character that does not fit (the end when a digit is missing).
void CheckXsdNumber(std::wstring_view text, bool fraction, const char* kind) {
  if (text.empty()) detail::ThrowNumberTextEmpty(kind);
  size_t i = text[0] == L'+' || text[0] == L'-' ? 1 : 0;
  size_t digits = 0;
  for (; i < text.size() && detail::IsDigit(text[i]); ++i) ++digits;
  if (fraction && i < text.size() && text[i] == L'.') {
    for (++i; i < text.size() && detail::IsDigit(text[i]); ++i) ++digits;
  }
  if (i < text.size() || digits == 0) detail::ThrowDecimalInvalidChar(i, std::wstring(text));
}

}  // namespace

std::wstring CConversions::hexBinaryToString(const CBinaryData& value) {
  return value.GetAsHexString();
}

std::wstring CConversions::base64BinaryToString(const CBinaryData& value) {
  return value.GetAsBase64();
}

std::wstring CConversions::charToString(wchar_t value) {
  return value == L'\0' ? std::wstring() : std::wstring(1, value);
}

std::wstring CConversions::stringToString(const std::wstring& value) { return value; }

std::wstring CConversions::booleanToString(bool value) { return value ? L"true" : L"false"; }

std::wstring CConversions::decimalToString(const CDecimal& value) { return value.ToString(); }

std::wstring CConversions::decimalToString(const CDecimal& value, const std::wstring& format) {
  if (format.empty()) return value.ToString();
  return value.ToString(LeadingInteger(format));
}

std::wstring CConversions::integerToString(const CBigInteger& value) { return value.ToString(); }

CBinaryData CConversions::hexBinaryFromString(const std::wstring& text, WhitespaceRule rule) {
  detail::RuledText ruled(text, rule);
  CBinaryData value;
  value.SetAsHexString(ruled.Str().c_str());
  return value;
}

CBinaryData CConversions::base64BinaryFromString(const std::wstring& text, WhitespaceRule rule) {
  detail::RuledText ruled(text, rule);
  CBinaryData value;
  // Text from a document is held to the alphabet; SetAsBase64 stays lenient.
  if (!detail::Base64DecodeStrict(ruled.Str(), value)) {
    detail::ThrowCannotConvert(ruled.Str(), "base64Binary");
  }
  return value;
}

wchar_t CConversions::charFromString(const std::wstring& text, WhitespaceRule rule) {
  std::wstring scratch;
  std::wstring_view ruled = detail::ApplyRuleView(rule, text, scratch);
  if (ruled.size() != 1) detail::ThrowInvalidCharText(ruled);
  return ruled[0];
}

std::wstring CConversions::stringFromString(const std::wstring& text, WhitespaceRule rule) {
  return CWhitespaceUtils::ApplyRule(rule, text);
}

bool CConversions::booleanFromString(const std::wstring& text, WhitespaceRule rule) {
  std::wstring scratch;
  std::wstring_view ruled = detail::ApplyRuleView(rule, text, scratch);
  if (EqualsIgnoringCase(ruled, L"true")) return true;
  if (EqualsIgnoringCase(ruled, L"false")) return false;
  if (ruled == L"1") return true;
  if (ruled == L"0") return false;
  detail::ThrowInvalidBoolean(text);
}

CDecimal CConversions::decimalFromString(const std::wstring& text, WhitespaceRule rule) {
  std::wstring scratch;
  const std::wstring_view ruled = detail::ApplyRuleView(rule, text, scratch);
  CheckXsdNumber(ruled, true, "a Decimal");
  return detail::ParseXsdDecimal(ruled);
}

CBigInteger CConversions::integerFromString(const std::wstring& text, WhitespaceRule rule) {
  std::wstring scratch;
  const std::wstring_view ruled = detail::ApplyRuleView(rule, text, scratch);
  CheckXsdNumber(ruled, false, "an Integer");
  return detail::ParseXsdInteger(ruled);
}

}  // namespace Korvel
