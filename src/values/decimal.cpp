// SPDX-License-Identifier: MIT
// CDecimal: construction, parsing, text and conversions to machine numbers.
#include <korvel/decimal.h>

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "values/big_integer_access.h"
#include "values/big_integer_digits.h"
#include "values/character_classes.h"
#include "values/decimal_access.h"
#include "values/number_errors.h"
#include "values/value_text.h"

namespace Korvel {

namespace {

using detail::BigIntegerAccess;
using detail::DecimalAccess;
using detail::Digits;

constexpr std::int32_t kDefaultMaxPlaces = 30;
// The largest exponent magnitude the parser accepts. A value is scaled by its
// exponent, so an unbounded one would let a short text demand gigabytes; no
// real decimal comes near this.
constexpr std::uint32_t kMaxExponent = 100000;
// A divider counts places in 32 bits.
constexpr std::size_t kMaxDivider =
    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
// ToString(places) prints at most this many places.
constexpr std::int32_t kMaxPrintedPlaces = 1023;
// Room for the 309 integer digits of the largest double and 13 places.
constexpr std::size_t kDoubleTextSize = 1024;

using detail::IsDigit;
constexpr auto IsSpace = detail::IsXmlSpace;

// The digits found in text[begin, end), least significant first; anything
// else in the range is skipped.
Digits CollectDigits(std::wstring_view text, std::size_t begin, std::size_t end,
                     std::size_t count) {
  Digits digits(count);
  std::size_t next = 0;
  for (std::size_t i = end; i-- > begin;) {
    if (IsDigit(text[i])) digits[next++] = static_cast<std::uint16_t>(text[i] - L'0');
  }
  return digits;
}

// The digits of text[begin, end), all of them digits as the XSD form has
// them, least significant first.
Digits XsdDigits(std::wstring_view text, std::size_t begin, std::size_t end) {
  Digits digits(end - begin);
  std::uint16_t* out = digits.data();
  for (std::size_t i = end; i-- > begin;) *out++ = static_cast<std::uint16_t>(text[i] - L'0');
  return digits;
}

// The layout of a decimal text, found in one pass that also rejects it.
struct DecimalText {
  bool negative = false;
  std::size_t integerEnd = 0;  // the integer section is [0, integerEnd)
  std::size_t integerDigits = 0;
  std::size_t fractionBegin = 0;
  std::size_t fractionEnd = 0;
  std::size_t fractionDigits = 0;
  bool hasExponent = false;
  bool negativeExponent = false;
  std::uint32_t exponent = 0;
};

DecimalText ScanDecimal(const std::wstring& text) {
  DecimalText layout;
  const std::size_t n = text.size();
  std::size_t i = 0;
  // Integer section: digits, signs (the last one counts) and whitespace.
  for (; i < n; ++i) {
    const wchar_t c = text[i];
    if (IsDigit(c)) {
      ++layout.integerDigits;
    } else if (c == L'-' || c == L'+') {
      layout.negative = c == L'-';
    } else if (c == L'.' || c == L'e' || c == L'E') {
      break;
    } else if (!IsSpace(c)) {
      detail::ThrowDecimalInvalidChar(i, text);
    }
  }
  layout.integerEnd = i;
  if (i < n && text[i] == L'.') {
    layout.fractionBegin = ++i;
    for (; i < n && (IsDigit(text[i]) || IsSpace(text[i])); ++i) {
      if (IsDigit(text[i]) && ++layout.fractionDigits > kMaxDivider) {
        detail::ThrowDecimalInvalidChar(i, text);  // more places than a divider can count
      }
    }
    layout.fractionEnd = i;
  }
  if (i < n && (text[i] == L'e' || text[i] == L'E')) {
    // Exponent section: signs before the digits, whitespace anywhere.
    for (++i; i < n; ++i) {
      const wchar_t c = text[i];
      if (IsDigit(c)) {
        layout.hasExponent = true;
        layout.exponent = layout.exponent * 10 + static_cast<std::uint32_t>(c - L'0');
        if (layout.exponent > kMaxExponent) detail::ThrowDecimalInvalidChar(i, text);
      } else if (!layout.hasExponent && (c == L'-' || c == L'+')) {
        layout.negativeExponent = c == L'-';
      } else if (!IsSpace(c)) {
        break;
      }
    }
  }
  if (i < n) detail::ThrowDecimalInvalidChar(i, text);
  return layout;
}

// Rounded first, then trimmed: rounding can leave zeros behind (0.1 and
// thirty zeros and a 1 rounds to 0.1000...0), and the text must read back
// as the same value with the same places.
void TrimPlaces(CDecimal& value) {
  const std::int32_t maxPlaces = CDecimal::GetMaxDecimalPlaces();
  if (value.GetFractionDivider() > maxPlaces) value.ChangeFractionalDivider(maxPlaces);
  value.Rationalise();
}

CDecimal ParseDecimal(const std::wstring& text) {
  const DecimalText layout = ScanDecimal(text);
  const std::int32_t sign = layout.negative ? -1 : 1;
  CDecimal value = DecimalAccess::Make(
      BigIntegerAccess::Make(sign, CollectDigits(text, 0, layout.integerEnd, layout.integerDigits)),
      BigIntegerAccess::Make(sign, CollectDigits(text, layout.fractionBegin, layout.fractionEnd,
                                                 layout.fractionDigits)),
      layout.fractionDigits == 0 ? 1 : static_cast<std::int32_t>(layout.fractionDigits));
  if (layout.hasExponent) {
    const CDecimal scale(CBigInteger::Pow10(static_cast<std::int32_t>(layout.exponent)));
    if (layout.negativeExponent && layout.exponent != 0) {
      value = value / scale;
    } else {
      value = value * scale;
    }
  }
  TrimPlaces(value);
  return value;
}

// Puts count digits of a magnitude at text, most significant first, and
// returns where they end ("0" for no digits).
wchar_t* PutDigits(wchar_t* text, const Digits& digits, std::size_t count) {
  if (count == 0) {
    *text = L'0';
    return text + 1;
  }
  for (std::size_t i = 0; i < count; ++i) {
    text[count - 1 - i] = static_cast<wchar_t>(L'0' + (i < digits.size() ? digits[i] : 0));
  }
  return text + count;
}

// The value reduced to `places` places, an exact half toward zero.
CDecimal Rounded(const CDecimal& value, std::int32_t places) {
  CDecimal copy(value);
  copy.ChangeFractionalDivider(places);
  return copy;
}

}  // namespace

CDecimal detail::ParseXsdDecimal(std::wstring_view text) {
  const std::int32_t sign = text[0] == L'-' ? -1 : 1;
  const std::size_t begin = text[0] == L'+' || text[0] == L'-' ? 1 : 0;
  const std::size_t point = std::min(text.find(L'.', begin), text.size());
  const std::size_t fractionBegin = std::min(point + 1, text.size());
  std::size_t places = text.size() - fractionBegin;
  // Trailing zeros of the fraction are dropped here rather than trimmed from
  // a copy afterwards; one place stays. Beyond the places kept, rounding
  // decides first, then trims.
  const bool rounds = places > static_cast<std::size_t>(CDecimal::GetMaxDecimalPlaces());
  while (!rounds && places > 1 && text[fractionBegin + places - 1] == L'0') --places;
  CDecimal value = DecimalAccess::Make(
      BigIntegerAccess::Make(sign, XsdDigits(text, begin, point)),
      BigIntegerAccess::Make(sign, XsdDigits(text, fractionBegin, fractionBegin + places)),
      places == 0 ? 1 : static_cast<std::int32_t>(places));
  if (rounds) TrimPlaces(value);
  return value;
}

std::atomic<std::int32_t> CDecimal::m_maxDivider{kDefaultMaxPlaces};

// ---------------------------------------------------------------- construction

CDecimal::CDecimal(std::int32_t value) : CDecimal(CBigInteger(value)) {}

CDecimal::CDecimal(std::uint32_t value) : CDecimal(CBigInteger(value)) {}

CDecimal::CDecimal(std::int64_t value) : CDecimal(CBigInteger(value)) {}

CDecimal::CDecimal(std::uint64_t value) : CDecimal(CBigInteger(value)) {}

CDecimal::CDecimal(double value) : m_fractionDivider(1) {
  // Thirteen places, as the value's text would show it; to_chars is exact and,
  // unlike printf, ignores the locale's decimal point.
  char buffer[kDoubleTextSize];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 13);
  Parse(std::wstring(buffer, result.ptr));
}

CDecimal::CDecimal(const CBigInteger& value)
    : m_integerPart(value),
      m_fractionPart(BigIntegerAccess::Make(BigIntegerAccess::CarriedSign(value), {})),
      m_fractionDivider(1) {}

CDecimal::CDecimal(const std::wstring& text) : CDecimal(ParseDecimal(text)) {}

CDecimal::CDecimal(const wchar_t* text) : CDecimal(text ? ParseDecimal(text) : CDecimal()) {}

CDecimal::CDecimal(CBigInteger integerPart, CBigInteger fractionPart, std::int32_t divider)
    : m_integerPart(std::move(integerPart)),
      m_fractionPart(std::move(fractionPart)),
      m_fractionDivider(divider) {}

CDecimal::~CDecimal() = default;

void CDecimal::Parse(const std::wstring& text) { *this = ParseDecimal(text); }

// ---------------------------------------------------------------- accessors

CBigInteger CDecimal::GetIntegerPart() const { return m_integerPart; }

CBigInteger CDecimal::GetFractionPart() const { return m_fractionPart; }

std::int32_t CDecimal::GetFractionDivider() const { return m_fractionDivider; }

// ---------------------------------------------------------------- text

std::wstring CDecimal::ToString() const {
  std::wstring text;
  detail::AppendText(*this, text);
  return text;
}

namespace {

// Hands put the length of the text of a value with a fraction and how to
// write it.
template <class Put>
auto PrintFraction(const CDecimal& value, Put put) {
  const CBigInteger& integerPart = detail::DecimalAccess::IntegerPart(value);
  const Digits& fraction =
      detail::BigIntegerAccess::DigitsOf(detail::DecimalAccess::FractionPart(value));
  const Digits& integer = detail::BigIntegerAccess::DigitsOf(integerPart);
  const std::size_t places = detail::DecimalAccess::Divider(value);
  // The integer part's sign stands for the value: it is -1 for -0.5 as well.
  const bool negative = detail::BigIntegerAccess::CarriedSign(integerPart) < 0;
  const std::size_t count = (negative ? 1 : 0) + std::max<std::size_t>(integer.size(), 1) + 1 +
                            std::max<std::size_t>(places, 1);
  return put(count, [&](wchar_t* text) {
    if (negative) *text++ = L'-';
    text = PutDigits(text, integer, integer.size());
    *text++ = L'.';
    PutDigits(text, fraction, places);
  });
}

bool HasFraction(const CDecimal& value) {
  return !detail::BigIntegerAccess::DigitsOf(detail::DecimalAccess::FractionPart(value)).empty();
}

}  // namespace

void detail::AppendText(const CDecimal& value, std::wstring& out) {
  if (!HasFraction(value)) return AppendText(DecimalAccess::IntegerPart(value), out);
  PrintFraction(value, [&](std::size_t count, auto fill) { AppendFilled(out, count, fill); });
}

bool detail::PutText(const CDecimal& value, ShortText& out) {
  if (!HasFraction(value)) return PutText(DecimalAccess::IntegerPart(value), out);
  return PrintFraction(value,
                       [&](std::size_t count, auto fill) { return out.PutFilled(count, fill); });
}

std::wstring CDecimal::ToString(std::int32_t places) const {
  if (places < 0 || places > kMaxPrintedPlaces) detail::ThrowPlacesOutOfRange(places);
  const auto wanted = static_cast<std::size_t>(places);
  const std::size_t held = detail::DecimalAccess::Divider(*this);
  // Rounding half away from zero equals adding 5 one place beyond the last
  // kept one, in the value's direction, and cutting the rest.
  Digits magnitude = detail::ScaledMagnitude(*this, held);
  if (held > wanted) detail::RoundOff(magnitude, held - wanted, true);
  const std::size_t shift = held > wanted ? 0 : wanted - held;
  const std::size_t total = detail::SignificantLength(magnitude) + shift;
  std::wstring text;
  text.reserve(3 + total + wanted);
  if (detail::ValueSign(*this) < 0) text += L'-';
  if (total <= wanted) {
    text += L'0';
  } else {
    for (std::size_t pos = total; pos-- > wanted;) {
      text += static_cast<wchar_t>(L'0' + magnitude[pos - shift]);
    }
  }
  text += L'.';
  for (std::size_t pos = wanted; pos-- > 0;) {
    const std::size_t i = pos - shift;
    text += static_cast<wchar_t>(L'0' + (pos >= shift && i < magnitude.size() ? magnitude[i] : 0));
  }
  return text;
}

// ---------------------------------------------------------------- conversions

std::int32_t CDecimal::ToLong() const {
  const CBigInteger integer = Rounded(*this, 0).m_integerPart;
  if (integer < CBigInteger::MIN_LONG || integer > CBigInteger::MAX_LONG) {
    detail::ThrowOverflow(detail::kDecimalTooLargeForLong);
  }
  return static_cast<std::int32_t>(integer);
}

std::int64_t CDecimal::ToLongLong() const {
  // Rounded to one place, then cut at the point: 2.96 gives 3, 2.6 gives 2.
  const CBigInteger integer = Rounded(*this, 1).m_integerPart;
  if (integer < CBigInteger::MIN_LONGLONG || integer > CBigInteger::MAX_LONGLONG) {
    detail::ThrowOverflow(detail::kDecimalTooLargeForLongLong);
  }
  return static_cast<std::int64_t>(integer);
}

double CDecimal::ToDouble() const {
  if (m_integerPart < CBigInteger::MIN_DOUBLE || m_integerPart > CBigInteger::MAX_DOUBLE) {
    detail::ThrowOverflow(detail::kDecimalTooLargeForDouble);
  }
  // The text is plain ASCII; from_chars rounds it correctly and, unlike
  // wcstod, whatever the locale.
  const std::wstring wide = ToString();
  std::string text(wide.begin(), wide.end());
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

CBigInteger CDecimal::ToBigInteger() const { return Rounded(*this, 0).m_integerPart; }

// ---------------------------------------------------------------- limits

void CDecimal::SetMaxDecimalPlaces(std::int32_t places) {
  if (places < 0) detail::ThrowPlacesOutOfRange(places);
  m_maxDivider.store(places, std::memory_order_relaxed);
}

std::int32_t CDecimal::GetMaxDecimalPlaces() {
  return m_maxDivider.load(std::memory_order_relaxed);
}

}  // namespace Korvel
