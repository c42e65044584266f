// SPDX-License-Identifier: MIT
// CBigInteger: construction, text, signs, comparison and arithmetic.
#include <korvel/big_integer.h>

#include <cmath>
#include <utility>

#include <korvel/decimal.h>

#include "values/big_integer_access.h"
#include "values/big_integer_digits.h"
#include "values/character_classes.h"
#include "values/number_errors.h"
#include "values/value_text.h"

namespace Korvel {

namespace {

using detail::Digits;

using detail::IsDigit;

// The characters of a plain integer; text with any other goes to the decimal
// parser.
bool IsPlainIntegerChar(wchar_t c) {
  return IsDigit(c) || detail::IsXmlSpace(c) || c == L'+' || c == L'-';
}

Digits MagnitudeOf(std::int64_t value) {
  // Through the unsigned magnitude, so that the most negative value has one.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  return detail::FromUInt64(magnitude);
}

int CompareValues(const CBigInteger& a, const CBigInteger& b) {
  const int sa = detail::BigIntegerAccess::SignOf(a);
  const int sb = detail::BigIntegerAccess::SignOf(b);
  if (sa != sb) return sa < sb ? -1 : 1;
  const int c = detail::CompareMagnitudes(detail::BigIntegerAccess::DigitsOf(a),
                                          detail::BigIntegerAccess::DigitsOf(b));
  return sa < 0 ? -c : c;
}

// a + sign × |b|, where sign is b's sign for addition and its opposite for
// subtraction.
CBigInteger AddSigned(const CBigInteger& a, const CBigInteger& b, std::int32_t bSign) {
  const std::int32_t aSign = detail::BigIntegerAccess::CarriedSign(a);
  const Digits& ad = detail::BigIntegerAccess::DigitsOf(a);
  const Digits& bd = detail::BigIntegerAccess::DigitsOf(b);
  if (aSign == bSign) {
    Digits sum = ad;
    detail::AddInPlace(sum, bd);
    return detail::BigIntegerAccess::Make(aSign, std::move(sum));
  }
  // Different signs: the larger magnitude gives the sign.
  if (detail::CompareMagnitudes(ad, bd) >= 0) {
    Digits difference = ad;
    detail::SubtractInPlace(difference, bd);
    return detail::BigIntegerAccess::Make(aSign, std::move(difference));
  }
  Digits difference = bd;
  detail::SubtractInPlace(difference, ad);
  return detail::BigIntegerAccess::Make(bSign, std::move(difference));
}

// Truncated quotient and remainder of non-zero divisors; the quotient is
// negative when the signs differ and the remainder takes the dividend's sign.
void DivideValues(const CBigInteger& dividend, const CBigInteger& divisor, CBigInteger* quotient,
                  CBigInteger* remainder) {
  const std::int32_t aSign = detail::BigIntegerAccess::CarriedSign(dividend);
  const std::int32_t bSign = detail::BigIntegerAccess::CarriedSign(divisor);
  Digits q;
  Digits r;
  detail::DivMod(detail::BigIntegerAccess::DigitsOf(dividend),
                 detail::BigIntegerAccess::DigitsOf(divisor), q, r);
  if (quotient) *quotient = detail::BigIntegerAccess::Make(aSign == bSign ? 1 : -1, std::move(q));
  if (remainder) *remainder = detail::BigIntegerAccess::Make(aSign, std::move(r));
}

bool IsNegative(const CBigInteger& value) { return detail::BigIntegerAccess::SignOf(value) < 0; }

CBigInteger ParsePlainInteger(const std::wstring& text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == L' ') --end;
  if (end == 0) return CBigInteger();
  std::size_t begin = 0;
  while (text[begin] == L' ') ++begin;  // stops before end: text[end - 1] is not a space
  std::int32_t sign = 1;
  if (text[begin] == L'-') {
    sign = -1;
    ++begin;
  }
  // The value is the run of digits at the end; whatever stands before it
  // (a "+", a space, another sign) ends the scan.
  std::size_t start = end;
  while (start > begin && IsDigit(text[start - 1])) --start;
  while (start < end && text[start] == L'0') ++start;
  Digits digits(end - start);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    digits[i] = static_cast<std::uint16_t>(text[end - 1 - i] - L'0');
  }
  return detail::BigIntegerAccess::Make(sign, std::move(digits));
}

CBigInteger ParseInteger(const std::wstring& text) {
  for (const wchar_t c : text) {
    if (!IsPlainIntegerChar(c)) return CDecimal(text).ToBigInteger();
  }
  return ParsePlainInteger(text);
}

// Magnitude of the value when it lies within [-negativeLimit, positiveLimit].
bool MagnitudeWithin(const CBigInteger& value, std::uint64_t positiveLimit,
                     std::uint64_t negativeLimit, std::uint64_t& magnitude) {
  return detail::TryToUInt64(detail::BigIntegerAccess::DigitsOf(value), magnitude) &&
         magnitude <= (IsNegative(value) ? negativeLimit : positiveLimit);
}

}  // namespace

CBigInteger detail::ParseXsdInteger(std::wstring_view text) {
  const std::int32_t sign = text[0] == L'-' ? -1 : 1;
  std::size_t begin = text[0] == L'+' || text[0] == L'-' ? 1 : 0;
  while (begin < text.size() && text[begin] == L'0') ++begin;
  Digits digits(text.size() - begin);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    digits[i] = static_cast<std::uint16_t>(text[text.size() - 1 - i] - L'0');
  }
  return detail::BigIntegerAccess::Make(sign, std::move(digits));
}

// ---------------------------------------------------------------- construction

CBigInteger::CBigInteger(std::int32_t value) : CBigInteger(static_cast<std::int64_t>(value)) {}

CBigInteger::CBigInteger(std::uint32_t value) : CBigInteger(static_cast<std::uint64_t>(value)) {}

CBigInteger::CBigInteger(std::int64_t value)
    : CBigInteger(value < 0 ? -1 : 1, MagnitudeOf(value)) {}

CBigInteger::CBigInteger(std::uint64_t value) : CBigInteger(1, detail::FromUInt64(value)) {}

CBigInteger::CBigInteger(double value)
    : CBigInteger(std::signbit(value) ? -1 : 1, detail::FromDouble(value)) {}

CBigInteger::CBigInteger(const CDecimal& value) : CBigInteger(value.ToBigInteger()) {}

CBigInteger::CBigInteger(const std::wstring& text) : CBigInteger(ParseInteger(text)) {}

CBigInteger::CBigInteger(const wchar_t* text)
    : CBigInteger(text ? ParseInteger(text) : CBigInteger()) {}

CBigInteger::CBigInteger(std::int32_t sign, Digits digits)
    : m_sign(sign < 0 ? -1 : 1), m_digits(std::move(digits)) {
  detail::TrimHigh(m_digits);
}

CBigInteger::~CBigInteger() = default;

// ---------------------------------------------------------------- text

void CBigInteger::Parse(const std::wstring& text) { *this = ParseInteger(text); }

std::wstring CBigInteger::ToString() const {
  std::wstring text;
  detail::AppendText(*this, text);
  return text;
}

namespace {

// Hands put the length of the value's text and how to write it.
template <class Put>
auto PrintInteger(const CBigInteger& value, Put put) {
  if (detail::BigIntegerAccess::SignOf(value) == 0) {
    return put(1, [](wchar_t* text) { *text = L'0'; });
  }
  const CBigInteger::Digits& digits = detail::BigIntegerAccess::DigitsOf(value);
  const std::size_t sign = detail::BigIntegerAccess::CarriedSign(value) < 0 ? 1 : 0;
  const std::size_t count = sign + digits.size();
  return put(count, [&](wchar_t* text) {
    if (sign != 0) text[0] = L'-';
    for (std::size_t i = 0; i < digits.size(); ++i) {
      text[count - 1 - i] = static_cast<wchar_t>(L'0' + digits[i]);
    }
  });
}

}  // namespace

void detail::AppendText(const CBigInteger& value, std::wstring& out) {
  PrintInteger(value, [&](std::size_t count, auto fill) { AppendFilled(out, count, fill); });
}

bool detail::PutText(const CBigInteger& value, ShortText& out) {
  return PrintInteger(value,
                      [&](std::size_t count, auto fill) { return out.PutFilled(count, fill); });
}

// ---------------------------------------------------------------- signs

void CBigInteger::Abs() { m_sign = 1; }

CBigInteger CBigInteger::GetAbs() const {
  CBigInteger copy(*this);
  copy.Abs();
  return copy;
}

void CBigInteger::Negate() { m_sign = -m_sign; }

CBigInteger CBigInteger::GetNegative() const {
  CBigInteger copy(*this);
  copy.Negate();
  return copy;
}

CBigInteger& CBigInteger::operator-() {
  Negate();
  return *this;
}

// ---------------------------------------------------------------- comparison

bool operator==(const CBigInteger& a, const CBigInteger& b) { return CompareValues(a, b) == 0; }
bool operator!=(const CBigInteger& a, const CBigInteger& b) { return CompareValues(a, b) != 0; }
bool operator<(const CBigInteger& a, const CBigInteger& b) { return CompareValues(a, b) < 0; }
bool operator>(const CBigInteger& a, const CBigInteger& b) { return CompareValues(a, b) > 0; }
bool operator<=(const CBigInteger& a, const CBigInteger& b) { return CompareValues(a, b) <= 0; }
bool operator>=(const CBigInteger& a, const CBigInteger& b) { return CompareValues(a, b) >= 0; }

// ---------------------------------------------------------------- arithmetic

CBigInteger operator+(const CBigInteger& a, const CBigInteger& b) {
  return AddSigned(a, b, detail::BigIntegerAccess::CarriedSign(b));
}

CBigInteger operator-(const CBigInteger& a, const CBigInteger& b) {
  return AddSigned(a, b, -detail::BigIntegerAccess::CarriedSign(b));
}

CBigInteger operator*(const CBigInteger& a, const CBigInteger& b) {
  const bool sameSign =
      detail::BigIntegerAccess::CarriedSign(a) == detail::BigIntegerAccess::CarriedSign(b);
  return detail::BigIntegerAccess::Make(sameSign ? 1 : -1,
                                        detail::Multiply(detail::BigIntegerAccess::DigitsOf(a),
                                                         detail::BigIntegerAccess::DigitsOf(b)));
}

// The four division operators check their divisor differently: / refuses only
// zero, the other three any divisor that is not positive (a zero divisor
// included, which their long division could not handle).
CBigInteger operator/(const CBigInteger& dividend, const CBigInteger& divisor) {
  if (detail::BigIntegerAccess::SignOf(divisor) == 0) {
    detail::ThrowInvalidValue(detail::kOverflowInDivide);
  }
  CBigInteger quotient;
  DivideValues(dividend, divisor, &quotient, nullptr);
  return quotient;
}

CBigInteger operator%(const CBigInteger& dividend, const CBigInteger& divisor) {
  if (detail::BigIntegerAccess::SignOf(divisor) <= 0) {
    detail::ThrowInvalidValue(detail::kOverflowInModulo);
  }
  CBigInteger remainder;
  DivideValues(dividend, divisor, nullptr, &remainder);
  return remainder;
}

CBigInteger& CBigInteger::operator+=(const CBigInteger& other) { return *this = *this + other; }

CBigInteger& CBigInteger::operator-=(const CBigInteger& other) { return *this = *this - other; }

CBigInteger& CBigInteger::operator*=(const CBigInteger& other) { return *this = *this * other; }

CBigInteger& CBigInteger::operator/=(const CBigInteger& divisor) {
  if (detail::BigIntegerAccess::SignOf(divisor) <= 0) {
    detail::ThrowInvalidValue(detail::kOverflowInDivideAssign);
  }
  CBigInteger quotient;
  DivideValues(*this, divisor, &quotient, nullptr);
  return *this = std::move(quotient);
}

CBigInteger& CBigInteger::operator%=(const CBigInteger& divisor) {
  if (detail::BigIntegerAccess::SignOf(divisor) <= 0) {
    detail::ThrowInvalidValue(detail::kOverflowInModuloAssign);
  }
  CBigInteger remainder;
  DivideValues(*this, divisor, nullptr, &remainder);
  return *this = std::move(remainder);
}

// ---------------------------------------------------------------- conversions

CBigInteger::operator std::int32_t() const {
  std::uint64_t magnitude = 0;
  if (!MagnitudeWithin(*this, 2147483647u, 2147483648u, magnitude)) {
    detail::ThrowInvalidValue(detail::kValueOutOfBoundOfInt);
  }
  const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
  return static_cast<std::int32_t>(IsNegative(*this) ? -signedMagnitude : signedMagnitude);
}

CBigInteger::operator std::int64_t() const {
  constexpr std::uint64_t kMax = 9223372036854775807u;
  std::uint64_t magnitude = 0;
  if (!MagnitudeWithin(*this, kMax, kMax + 1, magnitude)) {
    detail::ThrowInvalidValue(detail::kValueOutOfBoundOfLongLong);
  }
  if (!IsNegative(*this)) return static_cast<std::int64_t>(magnitude);
  // -(magnitude - 1) - 1 stays inside the range for the most negative value.
  return -static_cast<std::int64_t>(magnitude - 1) - 1;
}

// ---------------------------------------------------------------- roots and powers

CBigInteger CBigInteger::SquareRoot() const {
  if (IsNegative(*this)) detail::ThrowNegativeNumber("SquareRoot");
  // Newton's step would divide by the estimate 0 that zero leads to.
  if (IsZero()) return CBigInteger();
  // 10^(k+1), where k divisions by 100 bring the value to 0, is above the
  // root; from above, Newton's iteration decreases until it reaches the
  // rounded-down root and stops decreasing there.
  const auto k = static_cast<std::int32_t>((m_digits.size() + 1) / 2);
  const CBigInteger two(2);
  CBigInteger estimate = Pow10(k + 1);
  for (;;) {
    CBigInteger next = (*this / estimate + estimate) / two;
    if (!(next < estimate)) return estimate;
    estimate = std::move(next);
  }
}

CBigInteger CBigInteger::Pow10(std::int32_t n) {
  if (n < 0) detail::ThrowNegativeNumber("Pow10");
  return CBigInteger(1, Pow10Digits(n));
}

// ---------------------------------------------------------------- constants

// Built from text, as the decimal parser reads the double bounds: 17 followed
// by 307 zeros.
const CBigInteger CBigInteger::MAX_LONG(L"2147483647");
const CBigInteger CBigInteger::MIN_LONG(L"-2147483648");
const CBigInteger CBigInteger::MAX_LONGLONG(L"9223372036854775807");
const CBigInteger CBigInteger::MIN_LONGLONG(L"-9223372036854775808");
const CBigInteger CBigInteger::MAX_DOUBLE(L"1.7E+308");
const CBigInteger CBigInteger::MIN_DOUBLE(L"-1.7E+308");

}  // namespace Korvel
