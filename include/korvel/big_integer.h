// SPDX-License-Identifier: MIT
// CBigInteger: an arbitrary-precision signed integer held as decimal digits.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include <korvel/digit_vector.h>
#include <korvel/export.h>

namespace Korvel {

class CDecimal;

namespace detail {
struct BigIntegerAccess;
}

// The value is sign × Σ digits[i] × 10^i. Working on decimal digits makes text
// conversion exact and linear; values met in documents are short, so the
// quadratic multiplication and division are no concern.
class KORVEL_API CBigInteger {
 public:
  // One decimal digit (0 to 9) per unit, least significant first. Zero is
  // either empty or the single digit 0.
  using Digits = CDigitVector;

  // Inline, as are copies and moves: generated classes reset and fill their
  // number members once per object read.
  CBigInteger() noexcept : m_sign(1) {}
  CBigInteger(std::int32_t value);
  CBigInteger(std::uint32_t value);
  CBigInteger(std::int64_t value);
  CBigInteger(std::uint64_t value);
  // Other 64-bit integer types (long long where int64_t is long) take the
  // matching entry instead of being ambiguous between them.
  template <class T, std::enable_if_t<std::is_integral_v<T> && sizeof(T) == 8 &&
                                          !std::is_same_v<T, std::int64_t> &&
                                          !std::is_same_v<T, std::uint64_t>,
                                      int> = 0>
  CBigInteger(T value)
      : CBigInteger(
            static_cast<std::conditional_t<std::is_signed_v<T>, std::int64_t, std::uint64_t>>(
                value)) {}
  // Rounds to the nearest integer; an exact half goes toward zero (2.5 gives
  // 2). Throws CKvInvalidValueException for a NaN or an infinity.
  explicit CBigInteger(double value);
  // The decimal rounded as CDecimal::ToBigInteger does.
  explicit CBigInteger(const CDecimal& value);
  explicit CBigInteger(const std::wstring& text);
  // A null pointer reads as the empty text.
  explicit CBigInteger(const wchar_t* text);
  CBigInteger(const CBigInteger& other) = default;
  CBigInteger(CBigInteger&& other) noexcept = default;
  CBigInteger& operator=(const CBigInteger& other) = default;
  CBigInteger& operator=(CBigInteger&& other) noexcept = default;
  virtual ~CBigInteger();

  // Replaces the value with the one the text gives. Text made only of digits,
  // whitespace and signs is read as a plain integer: spaces around it are
  // ignored, a leading "-" negates, and the value is the run of digits at the
  // end (so "12 34" is 34). Any other text is read as a CDecimal and rounded to
  // the nearest integer, an exact half toward zero ("2.5" is 2); a malformed
  // number throws the decimal parser's CKvInvalidValueException. The value is
  // unchanged when parsing throws.
  void Parse(const std::wstring& text);
  // Decimal digits with a leading "-" for negative values; zero is "0".
  std::wstring ToString() const;

  void Abs();
  CBigInteger GetAbs() const;
  void Negate();
  CBigInteger GetNegative() const;
  // Negates the receiver itself and returns it: -x changes x.
  CBigInteger& operator-();

  CBigInteger& operator+=(const CBigInteger& other);
  CBigInteger& operator-=(const CBigInteger& other);
  CBigInteger& operator*=(const CBigInteger& other);
  // /=, % and %= accept only positive divisors and throw
  // CKvInvalidValueException otherwise; / accepts any non-zero divisor.
  // Quotients are truncated toward zero and a remainder takes the sign of the
  // dividend.
  CBigInteger& operator/=(const CBigInteger& divisor);
  CBigInteger& operator%=(const CBigInteger& divisor);

  // Throw CKvInvalidValueException when the value is outside the target range.
  explicit operator std::int32_t() const;
  explicit operator std::int64_t() const;

  // The integer square root (rounded down), by Newton's iteration. Throws
  // CKvInvalidValueException for a negative value.
  CBigInteger SquareRoot() const;

  // 10^n; throws CKvInvalidValueException for a negative n.
  static CBigInteger Pow10(std::int32_t n);

  static const CBigInteger MAX_LONG;
  static const CBigInteger MIN_LONG;
  static const CBigInteger MAX_LONGLONG;
  static const CBigInteger MIN_LONGLONG;
  // ±1.7E+308, the bounds CDecimal::ToDouble accepts.
  static const CBigInteger MAX_DOUBLE;
  static const CBigInteger MIN_DOUBLE;

  // Digit-level primitives on magnitudes. Results carry no high-order zeros
  // unless stated otherwise.
  // Zero gives the single digit 0.
  static Digits DigitsFromUInt32(std::uint32_t value);
  static Digits DigitsFromUInt64(std::uint64_t value);
  // The magnitude of the value rounded as the double constructor does.
  static Digits DigitsFromDouble(double value);
  // The run of decimal digits at the end of the text, up to the first other
  // character from the end; high-order zeros are kept.
  static Digits DigitsFromString(const std::wstring& text);
  // Removes high-order zeros (zero becomes empty).
  static void Clean(Digits& digits);
  // -1, 0 or +1 as a is less than, equal to or greater than b.
  static int Compare(const Digits& a, const Digits& b);
  static Digits AddDigits(const Digits& a, const Digits& b);
  // |a - b|: the difference when a is not smaller than b.
  static Digits SubtractDigits(const Digits& a, const Digits& b);
  static Digits MultiplyByDigit(const Digits& a, std::uint16_t digit);
  // a × 10^places; throws CKvInvalidValueException for negative places.
  static Digits ShiftLeft(const Digits& a, std::int32_t places);
  static Digits MultiplyDigits(const Digits& a, const Digits& b);
  // n zeros followed by 1; throws CKvInvalidValueException for a negative n.
  static Digits Pow10Digits(std::int32_t n);
  // Truncated quotient and remainder; throws CKvInvalidValueException for a
  // zero divisor.
  static void DivideDigits(const Digits& dividend, const Digits& divisor, Digits& quotient,
                           Digits& remainder);

 protected:
  // sign is +1 or -1 (any negative number reads as -1); the digits are least
  // significant first and may carry high-order zeros.
  CBigInteger(std::int32_t sign, Digits digits);

 private:
  friend struct detail::BigIntegerAccess;

  bool IsZero() const noexcept { return m_digits.empty(); }

  // +1 or -1; a zero may carry either.
  std::int32_t m_sign;
  // Kept without high-order zeros, so zero is empty.
  Digits m_digits;
};

KORVEL_API bool operator==(const CBigInteger& a, const CBigInteger& b);
KORVEL_API bool operator!=(const CBigInteger& a, const CBigInteger& b);
KORVEL_API bool operator<(const CBigInteger& a, const CBigInteger& b);
KORVEL_API bool operator>(const CBigInteger& a, const CBigInteger& b);
KORVEL_API bool operator<=(const CBigInteger& a, const CBigInteger& b);
KORVEL_API bool operator>=(const CBigInteger& a, const CBigInteger& b);

KORVEL_API CBigInteger operator+(const CBigInteger& a, const CBigInteger& b);
KORVEL_API CBigInteger operator-(const CBigInteger& a, const CBigInteger& b);
KORVEL_API CBigInteger operator*(const CBigInteger& a, const CBigInteger& b);
KORVEL_API CBigInteger operator/(const CBigInteger& dividend, const CBigInteger& divisor);
KORVEL_API CBigInteger operator%(const CBigInteger& dividend, const CBigInteger& divisor);

}  // namespace Korvel
