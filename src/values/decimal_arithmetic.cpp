// SPDX-License-Identifier: MIT
// CDecimal: rescaling, comparison and arithmetic.
#include <korvel/decimal.h>

#include <algorithm>
#include <utility>

#include "values/big_integer_access.h"
#include "values/big_integer_digits.h"
#include "values/decimal_access.h"
#include "values/number_errors.h"

namespace Korvel {

namespace detail {

int ValueSign(const CDecimal& value) noexcept {
  const int sign = BigIntegerAccess::SignOf(DecimalAccess::IntegerPart(value));
  return sign != 0 ? sign : BigIntegerAccess::SignOf(DecimalAccess::FractionPart(value));
}

Digits ScaledMagnitude(const CDecimal& value, std::size_t places) {
  const Digits& integer = BigIntegerAccess::DigitsOf(DecimalAccess::IntegerPart(value));
  const Digits& fraction = BigIntegerAccess::DigitsOf(DecimalAccess::FractionPart(value));
  // The fraction is below 10^divider, so the two parts never overlap.
  Digits magnitude(integer.empty() ? places : places + integer.size(), 0);
  std::copy(
      fraction.begin(), fraction.end(),
      magnitude.begin() + static_cast<std::ptrdiff_t>(places - DecimalAccess::Divider(value)));
  std::copy(integer.begin(), integer.end(),
            magnitude.begin() + static_cast<std::ptrdiff_t>(places));
  TrimHigh(magnitude);
  return magnitude;
}

CDecimal FromScaled(int sign, Digits magnitude, std::size_t places) {
  Digits fraction = SplitLow(magnitude, places);
  return DecimalAccess::Make(BigIntegerAccess::Make(sign, std::move(magnitude)),
                             BigIntegerAccess::Make(sign, std::move(fraction)),
                             static_cast<std::int32_t>(places));
}

void RoundOff(Digits& magnitude, std::size_t count, bool halfAway) {
  if (count == 0) return;
  const int dropped = CompareLowWithHalf(magnitude, count);
  SplitLow(magnitude, count);
  if (dropped > 0 || (dropped == 0 && halfAway)) IncrementInPlace(magnitude);
}

}  // namespace detail

namespace {

using detail::BigIntegerAccess;
using detail::DecimalAccess;
using detail::Digits;

std::size_t MaxPlaces() { return static_cast<std::size_t>(CDecimal::GetMaxDecimalPlaces()); }

int CompareDecimals(const CDecimal& a, const CDecimal& b) {
  const int sa = detail::ValueSign(a);
  const int sb = detail::ValueSign(b);
  if (sa != sb) return sa < sb ? -1 : 1;
  if (sa == 0) return 0;
  // Both parts carry the value's sign and the fraction stays below one, so
  // the integer parts decide unless they are equal.
  int c = detail::CompareMagnitudes(BigIntegerAccess::DigitsOf(DecimalAccess::IntegerPart(a)),
                                    BigIntegerAccess::DigitsOf(DecimalAccess::IntegerPart(b)));
  if (c == 0) {
    const std::size_t da = DecimalAccess::Divider(a);
    const std::size_t db = DecimalAccess::Divider(b);
    const std::size_t places = std::max(da, db);
    c = detail::CompareShifted(
        BigIntegerAccess::DigitsOf(DecimalAccess::FractionPart(a)), places - da,
        BigIntegerAccess::DigitsOf(DecimalAccess::FractionPart(b)), places - db);
  }
  return sa > 0 ? c : -c;
}

// a + b, or a - b when negateB is set, at the larger of the two dividers.
CDecimal AddDecimals(const CDecimal& a, const CDecimal& b, bool negateB) {
  const std::size_t places = std::max(DecimalAccess::Divider(a), DecimalAccess::Divider(b));
  Digits ma = detail::ScaledMagnitude(a, places);
  Digits mb = detail::ScaledMagnitude(b, places);
  const int sa = detail::ValueSign(a);
  const int sb = negateB ? -detail::ValueSign(b) : detail::ValueSign(b);
  int sign = sa != 0 ? sa : sb;
  if (sa == 0 || sb == 0 || sa == sb) {
    detail::AddInPlace(ma, mb);
  } else if (detail::CompareMagnitudes(ma, mb) >= 0) {
    detail::SubtractInPlace(ma, mb);
  } else {
    detail::SubtractInPlace(mb, ma);
    ma = std::move(mb);
    sign = sb;
  }
  CDecimal sum = detail::FromScaled(sign, std::move(ma), places);
  sum.Rationalise();
  return sum;
}

// Rounded first, then trimmed: rounding can leave zeros behind (0.1 and
// thirty zeros and a 1 rounds to 0.1 and twenty-nine zeros), and a result
// must print as it reads back.
void RoundThenTrim(CDecimal& value, std::size_t maxPlaces) {
  if (DecimalAccess::Divider(value) > maxPlaces) {
    value.ChangeFractionalDivider(static_cast<std::int32_t>(maxPlaces));
  }
  value.Rationalise();
}

}  // namespace

// ---------------------------------------------------------------- rescaling

void CDecimal::Rationalise() {
  if (m_fractionDivider <= 1) return;
  const Digits& fraction = BigIntegerAccess::DigitsOf(m_fractionPart);
  const std::size_t divider = DecimalAccess::Divider(*this);
  // A zero fraction is all zeros; one place always stays.
  const std::size_t zeros = fraction.empty() ? divider : detail::CountLowZeros(fraction);
  const std::size_t removable = std::min(zeros, divider - 1);
  if (removable == 0) return;
  Digits shortened = fraction;
  detail::SplitLow(shortened, removable);
  m_fractionPart =
      BigIntegerAccess::Make(BigIntegerAccess::CarriedSign(m_fractionPart), std::move(shortened));
  m_fractionDivider -= static_cast<std::int32_t>(removable);
}

void CDecimal::ChangeFractionalDivider(std::int32_t places) {
  if (places < 0) detail::ThrowPlacesOutOfRange(places);
  const std::int32_t fractionSign = BigIntegerAccess::CarriedSign(m_fractionPart);
  Digits fraction = BigIntegerAccess::DigitsOf(m_fractionPart);
  if (places >= m_fractionDivider) {
    detail::ShiftLeftInPlace(fraction, static_cast<std::size_t>(places - m_fractionDivider));
    m_fractionPart = BigIntegerAccess::Make(fractionSign, std::move(fraction));
    m_fractionDivider = places;
    return;
  }
  // Fewer places: the dropped digits round the fraction, an exact half toward
  // zero; a fraction that rounds up to a whole unit moves into the integer
  // part, in the fraction's direction.
  detail::RoundOff(fraction, static_cast<std::size_t>(m_fractionDivider - places), false);
  CBigInteger integer = m_integerPart;
  if (detail::SignificantLength(fraction) > static_cast<std::size_t>(places)) {
    fraction.clear();
    integer += CBigInteger(fractionSign);
  }
  m_integerPart = std::move(integer);
  m_fractionPart = BigIntegerAccess::Make(fractionSign, std::move(fraction));
  m_fractionDivider = places;
}

std::int32_t CDecimal::Normalize(CDecimal& a, CDecimal& b) {
  const std::int32_t places = std::max(a.m_fractionDivider, b.m_fractionDivider);
  a.ChangeFractionalDivider(places);
  b.ChangeFractionalDivider(places);
  return places;
}

// ---------------------------------------------------------------- comparison

bool operator==(const CDecimal& a, const CDecimal& b) { return CompareDecimals(a, b) == 0; }
bool operator!=(const CDecimal& a, const CDecimal& b) { return CompareDecimals(a, b) != 0; }
bool operator<(const CDecimal& a, const CDecimal& b) { return CompareDecimals(a, b) < 0; }
bool operator>(const CDecimal& a, const CDecimal& b) { return CompareDecimals(a, b) > 0; }
bool operator<=(const CDecimal& a, const CDecimal& b) { return CompareDecimals(a, b) <= 0; }
bool operator>=(const CDecimal& a, const CDecimal& b) { return CompareDecimals(a, b) >= 0; }

// ---------------------------------------------------------------- arithmetic

CDecimal operator+(const CDecimal& a, const CDecimal& b) { return AddDecimals(a, b, false); }

CDecimal operator-(const CDecimal& a, const CDecimal& b) { return AddDecimals(a, b, true); }

CDecimal operator*(const CDecimal& a, const CDecimal& b) {
  const std::size_t maxPlaces = MaxPlaces();
  // The exact product of the scaled values, at the sum of the places.
  const std::size_t da = DecimalAccess::Divider(a);
  const std::size_t db = DecimalAccess::Divider(b);
  Digits product = detail::Multiply(detail::ScaledMagnitude(a, da), detail::ScaledMagnitude(b, db));
  const int sign = detail::ValueSign(a) * detail::ValueSign(b) < 0 ? -1 : 1;
  CDecimal result = detail::FromScaled(sign, std::move(product), da + db);
  RoundThenTrim(result, maxPlaces);
  return result;
}

CDecimal operator/(const CDecimal& dividend, const CDecimal& divisor) {
  if (detail::ValueSign(divisor) == 0) detail::ThrowInvalidValue(detail::kOverflowInDivide);
  const std::size_t maxPlaces = MaxPlaces();
  // Two places beyond the limit are computed (truncated), then rounded off.
  const std::size_t places = maxPlaces + 2;
  const std::size_t common =
      std::max(DecimalAccess::Divider(dividend), DecimalAccess::Divider(divisor));
  Digits numerator = detail::ScaledMagnitude(dividend, common);
  detail::ShiftLeftInPlace(numerator, places);
  Digits quotient;
  Digits remainder;
  detail::DivMod(numerator, detail::ScaledMagnitude(divisor, common), quotient, remainder);
  const int sign = detail::ValueSign(dividend) * detail::ValueSign(divisor) < 0 ? -1 : 1;
  CDecimal result = detail::FromScaled(sign, std::move(quotient), places);
  RoundThenTrim(result, maxPlaces);
  return result;
}

CDecimal& CDecimal::operator+=(const CDecimal& other) { return *this = *this + other; }
CDecimal& CDecimal::operator-=(const CDecimal& other) { return *this = *this - other; }
CDecimal& CDecimal::operator*=(const CDecimal& other) { return *this = *this * other; }
CDecimal& CDecimal::operator/=(const CDecimal& divisor) { return *this = *this / divisor; }

CDecimal& CDecimal::operator++() { return *this += CDecimal(1); }

CDecimal CDecimal::operator++(int) {
  CDecimal old(*this);
  ++*this;
  return old;
}

CDecimal& CDecimal::operator--() { return *this -= CDecimal(1); }

CDecimal CDecimal::operator--(int) {
  CDecimal old(*this);
  --*this;
  return old;
}

CDecimal CDecimal::GetNegative() const {
  CDecimal copy(*this);
  copy.Negate();
  return copy;
}

void CDecimal::Negate() {
  m_integerPart.Negate();
  m_fractionPart.Negate();
}

}  // namespace Korvel
