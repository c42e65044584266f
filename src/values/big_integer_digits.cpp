// SPDX-License-Identifier: MIT
// Arithmetic on magnitudes held as decimal digits, and CBigInteger's public
// digit-level primitives built on it.
#include "values/big_integer_digits.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "values/number_errors.h"

namespace Korvel::detail {

namespace {

// A divisor of up to 18 digits fits 64 bits with room for remainder × 10 + 9,
// so its quotient digits come from plain machine division.
constexpr std::size_t kShortDivisorDigits = 18;
// Digits of the divisor used to estimate each quotient digit: 17 digits of
// the divisor and 18 of the window both fit 64 bits.
constexpr std::size_t kEstimateDigits = 17;

// The value of the digits p[count - 1] (most significant) to p[0].
std::uint64_t TopValue(const std::uint16_t* p, std::size_t count) noexcept {
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = value * 10 + p[i];
  return value;
}

// Compares the m + 1 digits at window with the m digits of divisor.
int CompareWindow(const std::uint16_t* window, const std::uint16_t* divisor,
                  std::size_t m) noexcept {
  if (window[m] != 0) return 1;
  for (std::size_t i = m; i-- > 0;) {
    if (window[i] != divisor[i]) return window[i] < divisor[i] ? -1 : 1;
  }
  return 0;
}

// window (m + 1 digits) -= q × divisor (m digits); the caller guarantees the
// result is not negative.
void MultiplySubtract(std::uint16_t* window, const std::uint16_t* divisor, std::size_t m,
                      unsigned q) noexcept {
  int borrow = 0;
  for (std::size_t i = 0; i < m; ++i) {
    int t = static_cast<int>(window[i]) - static_cast<int>(q * divisor[i]) - borrow;
    borrow = 0;
    if (t < 0) {
      borrow = (9 - t) / 10;
      t += borrow * 10;
    }
    window[i] = static_cast<std::uint16_t>(t);
  }
  window[m] = static_cast<std::uint16_t>(window[m] - borrow);
}

// Quotient by a divisor of at most kShortDivisorDigits digits.
void DivModShort(const Digits& a, std::size_t n, std::uint64_t divisor, Digits& quotient,
                 Digits& remainder) {
  quotient.assign(n, 0);
  std::uint64_t rem = 0;
  for (std::size_t i = n; i-- > 0;) {
    rem = rem * 10 + a[i];
    quotient[i] = static_cast<std::uint16_t>(rem / divisor);
    rem %= divisor;
  }
  TrimHigh(quotient);
  remainder = FromUInt64(rem);
  TrimHigh(remainder);
}

// Schoolbook long division, one quotient digit per step: the digit is
// estimated from the leading digits, which never overshoots and falls short by
// at most one, then corrected by subtraction. b has m digits, its lowest
// non-zero; a has n >= m digits.
void DivModLong(const Digits& a, std::size_t n, const Digits& b, std::size_t m, Digits& quotient,
                Digits& remainder) {
  Digits rem(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n));
  rem.push_back(0);
  quotient.assign(n - m + 1, 0);
  const std::size_t k = std::min(m, kEstimateDigits);
  const std::uint64_t top = TopValue(b.data() + (m - k), k);
  const bool exact = k == m;
  for (std::size_t j = n - m + 1; j-- > 0;) {
    std::uint16_t* window = rem.data() + j;
    const std::uint64_t windowTop = TopValue(window + (m - k), k + 1);
    unsigned q = static_cast<unsigned>(exact ? windowTop / top : windowTop / (top + 1));
    if (q != 0) MultiplySubtract(window, b.data(), m, q);
    while (CompareWindow(window, b.data(), m) >= 0) {
      MultiplySubtract(window, b.data(), m, 1);
      ++q;
    }
    quotient[j] = static_cast<std::uint16_t>(q);
  }
  TrimHigh(quotient);
  rem.resize(m);
  TrimHigh(rem);
  remainder = std::move(rem);
}

}  // namespace

std::size_t SignificantLength(const Digits& a) noexcept {
  std::size_t n = a.size();
  while (n > 0 && a[n - 1] == 0) --n;
  return n;
}

std::size_t CountLowZeros(const Digits& a) noexcept {
  const std::size_t n = SignificantLength(a);
  std::size_t z = 0;
  while (z < n && a[z] == 0) ++z;
  return z == n ? 0 : z;
}

void TrimHigh(Digits& a) noexcept { a.resize(SignificantLength(a)); }

bool IsZeroMagnitude(const Digits& a) noexcept { return SignificantLength(a) == 0; }

int CompareMagnitudes(const Digits& a, const Digits& b) noexcept {
  return CompareShifted(a, 0, b, 0);
}

int CompareShifted(const Digits& a, std::size_t shiftA, const Digits& b,
                   std::size_t shiftB) noexcept {
  const std::size_t na = SignificantLength(a);
  const std::size_t nb = SignificantLength(b);
  if (na == 0 || nb == 0) return na == nb ? 0 : (na == 0 ? -1 : 1);
  const std::size_t la = na + shiftA;
  const std::size_t lb = nb + shiftB;
  if (la != lb) return la < lb ? -1 : 1;
  // Walk both from the top; a position below a's digits reads as zero.
  for (std::size_t pos = la; pos-- > 0;) {
    const unsigned da = pos >= shiftA ? a[pos - shiftA] : 0;
    const unsigned db = pos >= shiftB ? b[pos - shiftB] : 0;
    if (da != db) return da < db ? -1 : 1;
    if (pos < shiftA && pos < shiftB) break;  // both are zero from here down
  }
  return 0;
}

Digits FromUInt64(std::uint64_t value) {
  Digits digits;
  digits.reserve(20);
  do {
    digits.push_back(static_cast<std::uint16_t>(value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

bool TryToUInt64(const Digits& a, std::uint64_t& value) noexcept {
  const std::size_t n = SignificantLength(a);
  if (n > 20) return false;
  std::uint64_t v = 0;
  for (std::size_t i = n; i-- > 0;) {
    if (v > (UINT64_MAX - a[i]) / 10) return false;
    v = v * 10 + a[i];
  }
  value = v;
  return true;
}

void AddInPlace(Digits& a, const Digits& b) {
  const std::size_t nb = SignificantLength(b);
  TrimHigh(a);
  if (a.size() < nb) a.resize(nb, 0);
  unsigned carry = 0;
  std::size_t i = 0;
  for (; i < nb; ++i) {
    const unsigned sum = a[i] + b[i] + carry;
    carry = sum >= 10;
    a[i] = static_cast<std::uint16_t>(carry ? sum - 10 : sum);
  }
  for (; carry && i < a.size(); ++i) {
    carry = a[i] == 9;
    a[i] = static_cast<std::uint16_t>(carry ? 0 : a[i] + 1);
  }
  if (carry) a.push_back(1);
}

void SubtractInPlace(Digits& a, const Digits& b) noexcept {
  const std::size_t nb = SignificantLength(b);
  unsigned borrow = 0;
  std::size_t i = 0;
  for (; i < nb; ++i) {
    const unsigned sub = b[i] + borrow;
    borrow = a[i] < sub;
    a[i] = static_cast<std::uint16_t>(a[i] + (borrow ? 10 : 0) - sub);
  }
  for (; borrow && i < a.size(); ++i) {
    borrow = a[i] == 0;
    a[i] = static_cast<std::uint16_t>(borrow ? 9 : a[i] - 1);
  }
  TrimHigh(a);
}

void IncrementInPlace(Digits& a) {
  TrimHigh(a);
  for (auto& d : a) {
    if (d != 9) {
      ++d;
      return;
    }
    d = 0;
  }
  a.push_back(1);
}

void MultiplySmallInPlace(Digits& a, std::uint32_t factor) {
  TrimHigh(a);
  if (factor == 0) {
    a.clear();
    return;
  }
  std::uint64_t carry = 0;
  for (auto& d : a) {
    const std::uint64_t product = static_cast<std::uint64_t>(d) * factor + carry;
    d = static_cast<std::uint16_t>(product % 10);
    carry = product / 10;
  }
  for (; carry != 0; carry /= 10) a.push_back(static_cast<std::uint16_t>(carry % 10));
}

void ShiftLeftInPlace(Digits& a, std::size_t places) {
  TrimHigh(a);
  if (a.empty() || places == 0) return;
  a.insert(a.begin(), places, 0);
}

Digits Multiply(const Digits& a, const Digits& b) {
  const std::size_t na = SignificantLength(a);
  const std::size_t nb = SignificantLength(b);
  if (na == 0 || nb == 0) return {};
  // Low zeros only shift the product (powers of ten are common factors here).
  const std::size_t za = CountLowZeros(a);
  const std::size_t zb = CountLowZeros(b);
  const std::uint16_t* pa = a.data() + za;
  const std::uint16_t* pb = b.data() + zb;
  const std::size_t la = na - za;
  const std::size_t lb = nb - zb;
  Digits product(za + zb + la + lb, 0);
  std::uint16_t* out = product.data() + za + zb;
  // Row by row into 32-bit column sums, a contiguous loop that runs on vector
  // lanes, then one carry pass. A column sum stays below 81 × min(la, lb),
  // inside 32 bits for any operand that fits in memory.
  std::vector<std::uint32_t> columns(la + lb, 0);
  for (std::size_t i = 0; i < la; ++i) {
    const std::uint32_t digit = pa[i];
    if (digit == 0) continue;
    std::uint32_t* row = columns.data() + i;
    for (std::size_t j = 0; j < lb; ++j) row[j] += digit * pb[j];
  }
  std::uint64_t carry = 0;
  for (std::size_t k = 0; k + 1 < la + lb; ++k) {
    const std::uint64_t sum = carry + columns[k];
    out[k] = static_cast<std::uint16_t>(sum % 10);
    carry = sum / 10;
  }
  // The product of an la-digit and an lb-digit number has at most la + lb
  // digits, so the final carry is a single digit.
  out[la + lb - 1] = static_cast<std::uint16_t>(carry);
  TrimHigh(product);
  return product;
}

void DivMod(const Digits& dividend, const Digits& divisor, Digits& quotient, Digits& remainder) {
  const std::size_t n = SignificantLength(dividend);
  const std::size_t m = SignificantLength(divisor);
  Digits q;
  Digits r;
  if (CompareMagnitudes(dividend, divisor) < 0) {
    r.assign(dividend.begin(), dividend.begin() + static_cast<std::ptrdiff_t>(n));
  } else {
    // Low zeros of the divisor come off both operands first (a division by a
    // power of ten is then a split): with b = b' × 10^t and a = A × 10^t + a0,
    // the quotient is A / b' and the remainder (A mod b') × 10^t + a0.
    const std::size_t t = CountLowZeros(divisor);
    Digits high(dividend.begin() + static_cast<std::ptrdiff_t>(t),
                dividend.begin() + static_cast<std::ptrdiff_t>(n));
    Digits divisorHigh(divisor.begin() + static_cast<std::ptrdiff_t>(t),
                       divisor.begin() + static_cast<std::ptrdiff_t>(m));
    const std::size_t mh = m - t;
    Digits highRemainder;
    if (mh <= kShortDivisorDigits) {
      DivModShort(high, high.size(), TopValue(divisorHigh.data(), mh), q, highRemainder);
    } else {
      DivModLong(high, high.size(), divisorHigh, mh, q, highRemainder);
    }
    r.assign(dividend.begin(), dividend.begin() + static_cast<std::ptrdiff_t>(t));
    if (!highRemainder.empty()) r.insert(r.end(), highRemainder.begin(), highRemainder.end());
    TrimHigh(r);
  }
  quotient = std::move(q);
  remainder = std::move(r);
}

Digits SplitLow(Digits& a, std::size_t count) {
  TrimHigh(a);
  const std::size_t cut = std::min(count, a.size());
  Digits low(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(cut));
  a.erase(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(cut));
  TrimHigh(low);
  return low;
}

int CompareLowWithHalf(const Digits& a, std::size_t count) noexcept {
  // Half of 10^count is 5 followed by count - 1 zeros.
  const std::size_t n = a.size();
  const unsigned top = count - 1 < n ? a[count - 1] : 0;
  if (top != 5) return top < 5 ? -1 : 1;
  for (std::size_t i = std::min(count - 1, n); i-- > 0;) {
    if (a[i] != 0) return 1;
  }
  return 0;
}

Digits FromDouble(double value) {
  if (!std::isfinite(value)) ThrowNonFiniteDouble();
  const double magnitude = std::fabs(value);
  // m - floor(m) is exact in binary floating point, so the comparison with one
  // half decides the rounding without error (unlike ceil(m - 0.5), which
  // rounds for large m).
  double whole = std::floor(magnitude);
  if (magnitude - whole > 0.5) whole += 1;
  if (whole < 18446744073709551616.0) return FromUInt64(static_cast<std::uint64_t>(whole));
  // A larger double is an integer mantissa times a power of two; its digits
  // are built exactly rather than by repeated division, which would round.
  int exponent = 0;
  const double fraction = std::frexp(whole, &exponent);
  Digits digits = FromUInt64(static_cast<std::uint64_t>(std::ldexp(fraction, 53)));
  int shift = exponent - 53;
  constexpr int kStep = 16;  // 9 × 2^16 plus the carry fits the 64-bit product
  for (; shift >= kStep; shift -= kStep) MultiplySmallInPlace(digits, 1u << kStep);
  MultiplySmallInPlace(digits, 1u << shift);
  return digits;
}

}  // namespace Korvel::detail

namespace Korvel {

using detail::Digits;

CBigInteger::Digits CBigInteger::DigitsFromUInt32(std::uint32_t value) {
  return detail::FromUInt64(value);
}

CBigInteger::Digits CBigInteger::DigitsFromUInt64(std::uint64_t value) {
  return detail::FromUInt64(value);
}

CBigInteger::Digits CBigInteger::DigitsFromDouble(double value) {
  return detail::FromDouble(value);
}

CBigInteger::Digits CBigInteger::DigitsFromString(const std::wstring& text) {
  std::size_t start = text.size();
  while (start > 0 && text[start - 1] >= L'0' && text[start - 1] <= L'9') --start;
  Digits digits(text.size() - start);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    digits[i] = static_cast<std::uint16_t>(text[text.size() - 1 - i] - L'0');
  }
  return digits;
}

void CBigInteger::Clean(Digits& digits) { detail::TrimHigh(digits); }

int CBigInteger::Compare(const Digits& a, const Digits& b) {
  return detail::CompareMagnitudes(a, b);
}

CBigInteger::Digits CBigInteger::AddDigits(const Digits& a, const Digits& b) {
  Digits sum = a;
  detail::AddInPlace(sum, b);
  return sum;
}

CBigInteger::Digits CBigInteger::SubtractDigits(const Digits& a, const Digits& b) {
  const bool aSmaller = detail::CompareMagnitudes(a, b) < 0;
  Digits difference = aSmaller ? b : a;
  detail::SubtractInPlace(difference, aSmaller ? a : b);
  return difference;
}

CBigInteger::Digits CBigInteger::MultiplyByDigit(const Digits& a, std::uint16_t digit) {
  Digits product = a;
  detail::MultiplySmallInPlace(product, digit);
  return product;
}

CBigInteger::Digits CBigInteger::ShiftLeft(const Digits& a, std::int32_t places) {
  if (places < 0) detail::ThrowNegativeNumber("ShiftLeft");
  Digits shifted = a;
  detail::ShiftLeftInPlace(shifted, static_cast<std::size_t>(places));
  return shifted;
}

CBigInteger::Digits CBigInteger::MultiplyDigits(const Digits& a, const Digits& b) {
  return detail::Multiply(a, b);
}

CBigInteger::Digits CBigInteger::Pow10Digits(std::int32_t n) {
  if (n < 0) detail::ThrowNegativeNumber("Pow10Digits");
  Digits digits(static_cast<std::size_t>(n) + 1, 0);
  digits.back() = 1;
  return digits;
}

void CBigInteger::DivideDigits(const Digits& dividend, const Digits& divisor, Digits& quotient,
                               Digits& remainder) {
  if (detail::IsZeroMagnitude(divisor)) detail::ThrowInvalidValue(detail::kOverflowInDivide);
  detail::DivMod(dividend, divisor, quotient, remainder);
}

}  // namespace Korvel
