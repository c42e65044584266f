// SPDX-License-Identifier: MIT
// The r4 and r8 kinds to and from text.
//
// Numbers are read and printed with std::from_chars and std::to_chars, which
// read what the C library reads in the C locale but do not follow a locale the
// application may have set: a German decimal comma must not change XML lexical forms.
#include <korvel/conversions.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include <korvel/errors.h>

#include "values/character_classes.h"
#include "values/conversion_errors.h"
#include "values/value_text.h"
#include "values/whitespace_rules.h"

namespace Korvel {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

using detail::IsCSpace;

bool IsHexDigit(char c) noexcept {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The exponent (base 10, or base 2 for hex) of the leading digit of a number
// that std::from_chars matched but found out of range; only its sign matters:
// positive is an overflow, negative an underflow.
int64_t LeadingExponent(std::string_view number, bool hex) {
  size_t i = 0;
  int64_t digitsBeforePoint = 0;
  int64_t firstNonZero = -1;
  int64_t index = 0;
  bool afterPoint = false;
  for (; i < number.size(); ++i) {
    char c = number[i];
    if (c == '.') {
      afterPoint = true;
      continue;
    }
    if (hex ? !IsHexDigit(c) : (c < '0' || c > '9')) break;
    if (c != '0' && firstNonZero < 0) firstNonZero = index;
    if (!afterPoint) ++digitsBeforePoint;
    ++index;
  }
  int64_t exponent = 0;
  bool negative = false;
  if (i < number.size() && ++i < number.size() && (number[i] == '+' || number[i] == '-')) {
    negative = number[i++] == '-';
  }
  for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i) {
    if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[i] - '0');
  }
  int64_t lead = digitsBeforePoint - firstNonZero - 1;
  return (hex ? 4 * lead : lead) + (negative ? -exponent : exponent);
}

// wcstod's reading of the whole text, in the C locale. False when the text is
// not one number from start to end.
bool ParseReal(std::wstring_view text, double& value) {
  size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  // from_chars takes a "-" of its own, which wcstod would not take after a sign.
  if (i == text.size() || text[i] == L'+' || text[i] == L'-') return false;

  // Only ASCII can be part of a number, so the rest narrows byte for byte.
  char local[64];
  std::string heap;
  char* narrow = local;
  size_t length = text.size() - i;
  if (length > sizeof local) {
    heap.resize(length);
    narrow = heap.data();
  }
  for (size_t k = 0; k < length; ++k) {
    wchar_t c = text[i + k];
    if (c <= 0 || c > 0x7F) return false;
    narrow[k] = static_cast<char>(c);
  }
  const char* first = narrow;
  const char* last = narrow + length;

  bool hex = length > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X');
  std::from_chars_result result;
  if (hex) {
    first += 2;
    // Guards against from_chars reading "inf" or "nan" after the prefix.
    if (!IsHexDigit(*first) && *first != '.') return false;
    result = std::from_chars(first, last, value, std::chars_format::hex);
  } else {
    result = std::from_chars(first, last, value, std::chars_format::general);
  }
  if (result.ptr != last) return false;
  if (result.ec == std::errc::result_out_of_range) {
    // wcstod gives the infinity or the zero the number tends to.
    value = LeadingExponent(std::string_view(first, last - first), hex) > 0 ? kInfinity : 0.0;
  } else if (result.ec != std::errc()) {
    return false;
  }
  if (negative) value = -value;
  return true;
}

double ParseRealKind(const std::wstring& text, CWhitespaceUtils::WhitespaceRule rule,
                     const char* kind) {
  std::wstring scratch;
  std::wstring_view ruled = detail::ApplyRuleView(rule, text, scratch);
  // The spellings the library itself writes, and those of other platforms.
  if (ruled == L"NaN" || ruled == L"1.#QNAN" || ruled == L"-NAN") {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (ruled == L"INF") return kInfinity;
  if (ruled == L"-INF") return -kInfinity;
  double value = 0;
  if (ruled.empty() || !ParseReal(ruled, value)) detail::ThrowCannotConvert(ruled, kind);
  return value;
}

// Narrows as the hardware does (to nearest, beyond the float range to an
// infinity) without the undefined behaviour of an out-of-range cast.
float NarrowToFloat(double value) noexcept {
  // Halfway between FLT_MAX and 2^128: the first magnitude that rounds up to infinity.
  constexpr double kOverflow = 0x1.ffffffp127;
  if (std::fabs(value) >= kOverflow) {
    return std::signbit(value) ? -std::numeric_limits<float>::infinity()
                               : std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(value);
}

std::wstring SpecialValueText(double value) {
  if (std::isnan(value)) return L"NaN";
  return value < 0 ? L"-INF" : L"INF";
}

// The shortest text that reads back as the same value (so 0.1 + 0.2 is
// "0.30000000000000004", not a "%.16g" rounding that reads back as 0.3); to_chars
// picks plain or exponent notation, whichever is shorter. A float is shortened
// as a float, so 0.1f is "0.1". Put in buffer, or a literal for the values
// that are not finite.
using RealChars = char[32];  // the longest double, "-2.2250738585072014e-308", needs 24
template <class Real>
std::string_view ShortestChars(Real value, RealChars& buffer) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : value < 0 ? "-INF" : "INF";
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string_view(buffer, static_cast<size_t>(result.ptr - buffer));
}

template <class Real>
std::wstring ShortestText(Real value) {
  RealChars buffer;
  const std::string_view text = ShortestChars(value, buffer);
  return std::wstring(text.begin(), text.end());
}

template <class Real>
bool PutShortestText(Real value, detail::ShortText& out) {
  RealChars buffer;
  const std::string_view text = ShortestChars(value, buffer);
  return out.PutFilled(text.size(), [&](wchar_t* p) { std::copy(text.begin(), text.end(), p); });
}

// A caller's format is safe to hand to FormatString with one double when it is
// literal text, "%%" and exactly one floating conversion with bounded width and
// precision (an unbounded one could ask for gigabytes). Checked up to the first
// U+0000, where formatting stops too.
bool IsRealFormat(const std::wstring& format) {
  auto digits = [](const wchar_t*& p) {
    int count = 0;
    while (*p >= L'0' && *p <= L'9') ++p, ++count;
    return count;
  };
  int conversions = 0;
  for (const wchar_t* p = format.c_str(); *p; ++p) {
    if (*p != L'%') continue;
    if (*++p == L'%') continue;
    while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0') ++p;
    if (digits(p) > 3) return false;
    if (*p == L'.' && digits(++p) > 3) return false;
    if (*p == L'l') ++p;
    switch (*p) {
      case L'e':
      case L'E':
      case L'f':
      case L'F':
      case L'g':
      case L'G':
      case L'a':
      case L'A':
        ++conversions;
        break;
      default:
        return false;
    }
  }
  return conversions == 1;
}

std::wstring FormattedText(double value, const std::wstring& format, const char* kind) {
  if (!std::isfinite(value)) return SpecialValueText(value);
  if (!IsRealFormat(format)) detail::ThrowInvalidRealFormat(format, kind);
  return FormatString(format.c_str(), value);
}

}  // namespace

bool detail::PutRealText(float value, ShortText& out) { return PutShortestText(value, out); }
bool detail::PutRealText(double value, ShortText& out) { return PutShortestText(value, out); }

std::wstring CConversions::r4ToString(float value) { return ShortestText(value); }

std::wstring CConversions::r4ToString(float value, const std::wstring& format) {
  if (format.empty()) return r4ToString(value);
  return FormattedText(value, format, "r4");
}

std::wstring CConversions::r8ToString(double value) { return ShortestText(value); }

std::wstring CConversions::r8ToString(double value, const std::wstring& format) {
  if (format.empty()) return r8ToString(value);
  return FormattedText(value, format, "r8");
}

float CConversions::r4FromString(const std::wstring& text, WhitespaceRule rule) {
  return NarrowToFloat(ParseRealKind(text, rule, "r4"));
}

double CConversions::r8FromString(const std::wstring& text, WhitespaceRule rule) {
  return ParseRealKind(text, rule, "r8");
}

}  // namespace Korvel
