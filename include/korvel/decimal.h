// SPDX-License-Identifier: MIT
// CDecimal: an exact decimal number made of an integer part and a fraction.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <type_traits>

#include <korvel/big_integer.h>
#include <korvel/export.h>

namespace Korvel {

namespace detail {
struct DecimalAccess;
}

// The value is integer part + fraction part / 10^divider. Both parts carry the
// sign of the value (-0.5 is integer part 0 with sign -1 and fraction -5), and
// the fraction is smaller than 10^divider in magnitude. Parsed and computed
// values keep at most GetMaxDecimalPlaces() places; rounding to fewer places
// takes the nearest value, an exact half going toward zero, except
// ToString(places), which rounds an exact half away from zero.
class KORVEL_API CDecimal {
 public:
  CDecimal() noexcept : m_fractionDivider(1) {}
  CDecimal(std::int32_t value);
  CDecimal(std::uint32_t value);
  CDecimal(std::int64_t value);
  CDecimal(std::uint64_t value);
  template <class T, std::enable_if_t<std::is_integral_v<T> && sizeof(T) == 8 &&
                                          !std::is_same_v<T, std::int64_t> &&
                                          !std::is_same_v<T, std::uint64_t>,
                                      int> = 0>
  CDecimal(T value)
      : CDecimal(static_cast<std::conditional_t<std::is_signed_v<T>, std::int64_t, std::uint64_t>>(
            value)) {}
  // The double printed with 13 decimal places, then parsed: 0.1 gives 0.1. A
  // NaN or an infinity throws the parser's CKvInvalidValueException.
  explicit CDecimal(double value);
  CDecimal(const CBigInteger& value);
  explicit CDecimal(const std::wstring& text);
  // A null pointer reads as the empty text.
  explicit CDecimal(const wchar_t* text);
  CDecimal(const CDecimal& other) = default;
  CDecimal(CDecimal&& other) noexcept = default;
  CDecimal& operator=(const CDecimal& other) = default;
  CDecimal& operator=(CDecimal&& other) noexcept = default;
  virtual ~CDecimal();

  // Replaces the value with the one the text gives: an integer section (digits
  // and signs, the last sign winning), an optional "." and fraction, an
  // optional "e" or "E" with a signed exponent; spaces, tabs, CR and LF are
  // ignored anywhere. Trailing fraction zeros are dropped and the value is
  // rounded to GetMaxDecimalPlaces() places. Anything else throws
  // CKvInvalidValueException naming the position of the offending character;
  // so does an exponent beyond ±100000. The value is unchanged when parsing
  // throws.
  void Parse(const std::wstring& text);

  CBigInteger GetIntegerPart() const;
  CBigInteger GetFractionPart() const;
  std::int32_t GetFractionDivider() const;

  // The value with all the places it holds ("1.05", "-0.5", "12").
  std::wstring ToString() const;
  // Rounded to places decimal places (an exact half away from zero) and
  // printed with exactly that many: ToString(2) of 0.125 is "0.13", of 1.5 is
  // "1.50", and ToString(0) of 2.5 is "3.". Throws CKvInvalidParamException
  // unless 0 <= places <= 1023.
  std::wstring ToString(std::int32_t places) const;
  // The nearest integer (an exact half toward zero); CKvOverFlowException
  // outside the 32-bit range.
  std::int32_t ToLong() const;
  // The value rounded to one place, then truncated: 2.96 gives 3 and 2.6
  // gives 2. CKvOverFlowException outside the 64-bit range.
  std::int64_t ToLongLong() const;
  // The nearest double; CKvOverFlowException beyond ±1.7E+308.
  double ToDouble() const;
  // The nearest integer, an exact half toward zero.
  CBigInteger ToBigInteger() const;

  // Drops trailing zeros of the fraction, keeping at least one place.
  void Rationalise();
  // Rescales to places decimal places: more places keep the value, fewer round
  // it to the nearest, an exact half toward zero. Throws
  // CKvInvalidParamException for negative places.
  void ChangeFractionalDivider(std::int32_t places);
  // Brings both values to the larger of their dividers and returns it.
  static std::int32_t Normalize(CDecimal& a, CDecimal& b);

  CDecimal& operator+=(const CDecimal& other);
  CDecimal& operator-=(const CDecimal& other);
  CDecimal& operator*=(const CDecimal& other);
  // Throws CKvInvalidValueException for a zero divisor.
  CDecimal& operator/=(const CDecimal& divisor);
  CDecimal& operator++();
  CDecimal operator++(int);
  CDecimal& operator--();
  CDecimal operator--(int);

  CDecimal GetNegative() const;
  void Negate();

  // The number of places parsed and computed values keep, for the whole
  // process (default 30). Not synchronised with running conversions: set it
  // before serialisation starts. Throws CKvInvalidParamException for a
  // negative number.
  static void SetMaxDecimalPlaces(std::int32_t places);
  static std::int32_t GetMaxDecimalPlaces();

 private:
  friend struct detail::DecimalAccess;

  CDecimal(CBigInteger integerPart, CBigInteger fractionPart, std::int32_t divider);

  CBigInteger m_integerPart;
  CBigInteger m_fractionPart;
  std::int32_t m_fractionDivider;

  // Atomic only so that a change racing a conversion is not undefined
  // behaviour; no ordering is implied.
  static std::atomic<std::int32_t> m_maxDivider;
};

KORVEL_API bool operator==(const CDecimal& a, const CDecimal& b);
KORVEL_API bool operator!=(const CDecimal& a, const CDecimal& b);
KORVEL_API bool operator<(const CDecimal& a, const CDecimal& b);
KORVEL_API bool operator>(const CDecimal& a, const CDecimal& b);
KORVEL_API bool operator<=(const CDecimal& a, const CDecimal& b);
KORVEL_API bool operator>=(const CDecimal& a, const CDecimal& b);

KORVEL_API CDecimal operator+(const CDecimal& a, const CDecimal& b);
KORVEL_API CDecimal operator-(const CDecimal& a, const CDecimal& b);
KORVEL_API CDecimal operator*(const CDecimal& a, const CDecimal& b);
KORVEL_API CDecimal operator/(const CDecimal& dividend, const CDecimal& divisor);

}  // namespace Korvel
