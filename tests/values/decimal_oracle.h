// SPDX-License-Identifier: MIT
// Independent exact arithmetic for cross-checking the big integer and decimal
// types: binary limbs and bit-by-bit division, sharing nothing with the
// decimal-digit code under test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Korvel::testing {

inline std::wstring Widen(const std::string& text) { return {text.begin(), text.end()}; }
inline std::string Narrow(const std::wstring& text) { return {text.begin(), text.end()}; }

// Every comparison operator over values listed in ascending order.
template <class T, std::size_t N>
void ExpectAscending(const T (&ordered)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    for (std::size_t j = 0; j < N; ++j) {
      SCOPED_TRACE(Narrow(ordered[i].ToString() + L" vs " + ordered[j].ToString()));
      EXPECT_EQ(ordered[i] < ordered[j], i < j);
      EXPECT_EQ(ordered[i] <= ordered[j], i <= j);
      EXPECT_EQ(ordered[i] > ordered[j], i > j);
      EXPECT_EQ(ordered[i] >= ordered[j], i >= j);
      EXPECT_EQ(ordered[i] == ordered[j], i == j);
      EXPECT_EQ(ordered[i] != ordered[j], i != j);
    }
  }
}

// A signed integer in base 2^32, least significant limb first, no zero limb on top.
class OracleInt {
 public:
  OracleInt() = default;

  // Digits with an optional leading "-".
  static OracleInt FromText(const std::string& text) {
    Limbs limbs;
    for (char c : text) {
      if (c != '-') MulAdd(limbs, 10, static_cast<std::uint32_t>(c - '0'));
    }
    return Make(std::move(limbs), !text.empty() && text[0] == '-');
  }

  static OracleInt Pow10(std::size_t n) {
    Limbs limbs{1};
    while (n-- > 0) MulAdd(limbs, 10, 0);
    return Make(std::move(limbs), false);
  }

  std::string ToText() const {
    OracleInt rest = Abs();
    std::string digits;
    do {
      digits += static_cast<char>('0' + rest.DivSmall(10));
    } while (!rest.IsZero());
    if (m_negative) digits += '-';
    return {digits.rbegin(), digits.rend()};
  }

  bool IsZero() const { return m_limbs.empty(); }
  bool IsNegative() const { return m_negative; }
  OracleInt Abs() const { return Make(m_limbs, false); }

  // Divides the magnitude in place by a small divisor, returning the remainder.
  std::uint32_t DivSmall(std::uint32_t divisor) {
    std::uint64_t rest = 0;
    for (std::size_t i = m_limbs.size(); i-- > 0;) {
      rest = rest << 32 | m_limbs[i];
      m_limbs[i] = static_cast<std::uint32_t>(rest / divisor);
      rest %= divisor;
    }
    *this = Make(std::move(m_limbs), m_negative);
    return static_cast<std::uint32_t>(rest);
  }

  friend int Compare(const OracleInt& a, const OracleInt& b) {
    if (a.m_negative != b.m_negative) return a.m_negative ? -1 : 1;
    const int c = CompareLimbs(a.m_limbs, b.m_limbs);
    return a.m_negative ? -c : c;
  }
  friend OracleInt operator+(const OracleInt& a, const OracleInt& b) {
    if (a.m_negative == b.m_negative) return Make(Add(a.m_limbs, b.m_limbs), a.m_negative);
    const bool aLarger = CompareLimbs(a.m_limbs, b.m_limbs) >= 0;
    OracleInt difference = aLarger ? a : b;
    SubFrom(difference.m_limbs, aLarger ? b.m_limbs : a.m_limbs);
    return Make(std::move(difference.m_limbs), difference.m_negative);
  }
  friend OracleInt operator-(const OracleInt& a, const OracleInt& b) {
    return a + Make(b.m_limbs, !b.m_negative);
  }
  friend OracleInt operator*(const OracleInt& a, const OracleInt& b) {
    Limbs product(a.m_limbs.size() + b.m_limbs.size(), 0);
    for (std::size_t i = 0; i < a.m_limbs.size(); ++i) {
      std::uint64_t carry = 0;
      for (std::size_t j = 0; j < b.m_limbs.size(); ++j) {
        carry += std::uint64_t{a.m_limbs[i]} * b.m_limbs[j] + product[i + j];
        product[i + j] = static_cast<std::uint32_t>(carry);
        carry >>= 32;
      }
      product[i + b.m_limbs.size()] = static_cast<std::uint32_t>(carry);
    }
    return Make(std::move(product), a.m_negative != b.m_negative);
  }

  // Truncated quotient and remainder (the remainder takes a's sign).
  friend void DivMod(const OracleInt& a, const OracleInt& b, OracleInt& q, OracleInt& r) {
    Limbs quotient(a.m_limbs.size(), 0);
    Limbs rest;
    for (std::size_t i = a.m_limbs.size() * 32; i-- > 0;) {
      std::uint32_t carry = (a.m_limbs[i / 32] >> (i % 32)) & 1;  // rest = 2 * rest + bit
      for (auto& limb : rest) carry = std::exchange(limb, limb << 1 | carry) >> 31;
      if (carry) rest.push_back(carry);
      if (CompareLimbs(rest, b.m_limbs) >= 0) {
        SubFrom(rest, b.m_limbs);
        quotient[i / 32] |= 1u << (i % 32);
      }
    }
    q = Make(std::move(quotient), a.m_negative != b.m_negative);
    r = Make(std::move(rest), a.m_negative);
  }

 private:
  using Limbs = std::vector<std::uint32_t>;

  static OracleInt Make(Limbs limbs, bool negative) {
    while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
    OracleInt value;
    value.m_negative = negative && !limbs.empty();
    value.m_limbs = std::move(limbs);
    return value;
  }

  static int CompareLimbs(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
      if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
  }
  static Limbs Add(const Limbs& a, const Limbs& b) {
    Limbs sum(std::max(a.size(), b.size()) + 1, 0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < sum.size(); ++i) {
      carry += std::uint64_t{i < a.size() ? a[i] : 0} + (i < b.size() ? b[i] : 0);
      sum[i] = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    return sum;
  }
  // a -= b for a >= b, keeping no zero limb on top.
  static void SubFrom(Limbs& a, const Limbs& b) {
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
      const std::int64_t t = std::int64_t{a[i]} - (i < b.size() ? b[i] : 0) - borrow;
      borrow = t < 0;
      a[i] = static_cast<std::uint32_t>(t);  // modulo 2^32
    }
    while (!a.empty() && a.back() == 0) a.pop_back();
  }
  // limbs * factor + addend, in place.
  static void MulAdd(Limbs& limbs, std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (auto& limb : limbs) {
      carry += std::uint64_t{limb} * factor;
      limb = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    if (carry) limbs.push_back(static_cast<std::uint32_t>(carry));
  }

  Limbs m_limbs;
  bool m_negative = false;
};

// An exact decimal: value / 10^places, with the rounding and printing rules of
// the type under test written out directly.
struct OracleDecimal {
  OracleInt value;
  std::size_t places = 1;

  // Sign, integer and fraction digits as a parser reads them; without a
  // fraction the value still holds one place.
  static OracleDecimal FromParts(bool negative, const std::string& integer,
                                 const std::string& fraction) {
    const std::string digits = integer + (fraction.empty() ? "0" : fraction);
    return {OracleInt::FromText((negative ? "-" : "") + digits),
            fraction.empty() ? 1 : fraction.size()};
  }

  OracleInt ScaledTo(std::size_t p) const { return value * OracleInt::Pow10(p - places); }

  // Trailing fraction zeros off, keeping one place.
  void Rationalise() {
    for (OracleInt q = value; places > 1 && q.DivSmall(10) == 0; --places) value = q;
  }

  // To `target` places, the nearest value; a tie goes toward zero.
  void RoundTo(std::size_t target) {
    if (places <= target) return;
    const OracleInt unit = OracleInt::Pow10(places - target);
    OracleInt q, r;
    DivMod(value.Abs(), unit, q, r);
    if (Compare(r + r, unit) > 0) q = q + OracleInt::Pow10(0);
    value = value.IsNegative() ? OracleInt() - q : q;
    places = target;
  }

  // Integer digits, "." and the fraction padded to `places`; the integer text
  // alone when the fraction is zero.
  std::string ToText() const {
    OracleInt q, r;
    DivMod(value.Abs(), OracleInt::Pow10(places), q, r);
    const std::string sign = value.IsNegative() ? "-" : "";
    if (r.IsZero()) return sign + q.ToText();
    const std::string fraction = r.ToText();
    return sign + q.ToText() + "." + std::string(places - fraction.size(), '0') + fraction;
  }
};

inline OracleDecimal OracleAdd(const OracleDecimal& a, const OracleDecimal& b, bool subtract) {
  const std::size_t p = std::max(a.places, b.places);
  OracleDecimal sum{subtract ? a.ScaledTo(p) - b.ScaledTo(p) : a.ScaledTo(p) + b.ScaledTo(p), p};
  sum.Rationalise();
  return sum;
}

inline OracleDecimal OracleMultiply(const OracleDecimal& a, const OracleDecimal& b,
                                    std::size_t maxPlaces) {
  OracleDecimal product{a.value * b.value, a.places + b.places};
  product.Rationalise();
  product.RoundTo(maxPlaces);
  return product;
}

// Truncated to maxPlaces + 2 places, then rounded to maxPlaces.
inline OracleDecimal OracleDivide(const OracleDecimal& a, const OracleDecimal& b,
                                  std::size_t maxPlaces) {
  const std::size_t p = std::max(a.places, b.places);
  OracleInt q, r;
  DivMod(a.ScaledTo(p) * OracleInt::Pow10(maxPlaces + 2), b.ScaledTo(p), q, r);
  OracleDecimal quotient{q, maxPlaces + 2};
  quotient.Rationalise();
  quotient.RoundTo(maxPlaces);
  return quotient;
}

inline int OracleCompare(const OracleDecimal& a, const OracleDecimal& b) {
  const std::size_t p = std::max(a.places, b.places);
  return Compare(a.ScaledTo(p), b.ScaledTo(p));
}

}  // namespace Korvel::testing
