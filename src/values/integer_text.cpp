// SPDX-License-Identifier: MIT
// Base-10 integer text, read the way the C library's wide-string parsers read it.
#include "values/integer_text.h"

#include <algorithm>

#include "values/character_classes.h"
#include "values/value_text.h"

namespace Korvel::detail {

namespace {

struct Magnitude {
  IntegerParse status;  // invalid only when there are no digits
  bool negative;
  bool leftover;   // characters follow the digits
  uint64_t value;  // saturated when status is outOfRange
};

Magnitude ReadMagnitude(std::wstring_view text) noexcept {
  const wchar_t* p = text.data();
  const wchar_t* end = p + text.size();
  while (p != end && IsCSpace(*p)) ++p;
  bool negative = false;
  if (p != end && (*p == L'+' || *p == L'-')) negative = *p++ == L'-';
  const wchar_t* digits = p;
  uint64_t value = 0;
  bool overflow = false;
  for (; p != end && *p >= L'0' && *p <= L'9'; ++p) {
    overflow |= __builtin_mul_overflow(value, 10u, &value);
    overflow |= __builtin_add_overflow(value, static_cast<uint64_t>(*p - L'0'), &value);
  }
  if (p == digits) return {IntegerParse::invalid, negative, false, 0};
  if (overflow) return {IntegerParse::outOfRange, negative, p != end, UINT64_MAX};
  return {IntegerParse::ok, negative, p != end, value};
}

wchar_t* PutDigits(uint64_t value, wchar_t* end) noexcept {
  do {
    *--end = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value != 0);
  return end;
}

}  // namespace

IntegerParse ParseSigned(std::wstring_view text, int64_t min, int64_t max,
                         int64_t& value) noexcept {
  Magnitude m = ReadMagnitude(text);
  if (m.status == IntegerParse::invalid) return m.status;
  // The limit of the magnitude: |min| for a negative number (computed without
  // overflowing at INT64_MIN), max otherwise.
  uint64_t limit =
      m.negative ? uint64_t{0} - static_cast<uint64_t>(min) : static_cast<uint64_t>(max);
  if (m.status == IntegerParse::outOfRange || m.value > limit) return IntegerParse::outOfRange;
  if (m.leftover) return IntegerParse::invalid;
  value = m.negative ? static_cast<int64_t>(uint64_t{0} - m.value) : static_cast<int64_t>(m.value);
  return IntegerParse::ok;
}

IntegerParse ParseUnsigned(std::wstring_view text, uint64_t max, uint64_t& value) noexcept {
  Magnitude m = ReadMagnitude(text);
  if (m.status == IntegerParse::invalid) return m.status;
  if (m.status == IntegerParse::outOfRange || m.value > max) return IntegerParse::outOfRange;
  if (m.leftover) return IntegerParse::invalid;
  value = (m.negative ? uint64_t{0} - m.value : m.value) & max;
  return IntegerParse::ok;
}

namespace {

// The digits of value, with what lead puts before them, put into out.
template <class Lead>
void PutWithLead(uint64_t value, ShortText& out, Lead lead) {
  wchar_t buffer[32];
  wchar_t* const end = buffer + 32;
  wchar_t* const begin = lead(PutDigits(value, end));
  out.PutFilled(static_cast<std::size_t>(end - begin),
                [&](wchar_t* p) { std::copy(begin, end, p); });
}

// The prefix, then value in two digits at least.
void PutTwoDigitText(std::wstring_view prefix, uint64_t value, ShortText& out) {
  PutWithLead(value, out, [&](wchar_t* begin) {
    if (value < 10) *--begin = L'0';
    begin -= prefix.size();
    std::copy(prefix.begin(), prefix.end(), begin);
    return begin;
  });
}

}  // namespace

void PutSignedText(int64_t value, ShortText& out) {
  const uint64_t magnitude = value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : value;
  PutWithLead(magnitude, out, [&](wchar_t* begin) {
    if (value < 0) *--begin = L'-';
    return begin;
  });
}

void PutUnsignedText(uint64_t value, ShortText& out) {
  PutWithLead(value, out, [](wchar_t* begin) { return begin; });
}

void PutMonthText(uint8_t value, ShortText& out) { PutTwoDigitText(L"--", value, out); }
void PutDayText(uint8_t value, ShortText& out) { PutTwoDigitText(L"---", value, out); }

std::wstring SignedToText(int64_t value) {
  ShortText text;
  PutSignedText(value, text);
  return std::wstring(text.View());
}

std::wstring UnsignedToText(uint64_t value) {
  ShortText text;
  PutUnsignedText(value, text);
  return std::wstring(text.View());
}

}  // namespace Korvel::detail
