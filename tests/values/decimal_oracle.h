// SPDX-License-Identifier: MIT
// Independent exact arithmetic for cross-checking the big integer and decimal
// types: binary limbs and bit-by-bit division, sharing nothing with the
// decimal-digit code under test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace Korvel::testing {

// A signed integer in base 2^32, least significant limb first.
class OracleInt {
 public:
  OracleInt() = default;

  // Digits with an optional leading "-".
  static OracleInt FromText(const std::string& text) {
    OracleInt value;
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
      negative = true;
      ++i;
    }
    for (; i < text.size(); ++i) {
      value.MulSmall(10);
      value.AddSmall(static_cast<std::uint32_t>(text[i] - '0'));
    }
    value.m_negative = negative && !value.IsZero();
    return value;
  }

  static OracleInt Pow10(std::size_t n) {
    OracleInt value = FromText("1");
    for (std::size_t i = 0; i < n; ++i) value.MulSmall(10);
    return value;
  }

  std::string ToText() const {
    if (IsZero()) return "0";
    OracleInt rest = *this;
    std::string digits;
    while (!rest.IsZero()) digits += static_cast<char>('0' + rest.DivSmall(10));
    if (m_negative) digits += '-';
    std::reverse(digits.begin(), digits.end());
    return digits;
  }

  bool IsZero() const { return m_limbs.empty(); }
  bool IsNegative() const { return m_negative; }
  OracleInt Abs() const {
    OracleInt value = *this;
    value.m_negative = false;
    return value;
  }

  friend int Compare(const OracleInt& a, const OracleInt& b) {
    if (a.m_negative != b.m_negative) return a.m_negative ? -1 : 1;
    const int c = CompareMagnitude(a.m_limbs, b.m_limbs);
    return a.m_negative ? -c : c;
  }

  friend OracleInt operator+(const OracleInt& a, const OracleInt& b) {
    OracleInt result;
    if (a.m_negative == b.m_negative) {
      result.m_limbs = AddMagnitude(a.m_limbs, b.m_limbs);
      result.m_negative = a.m_negative;
    } else if (CompareMagnitude(a.m_limbs, b.m_limbs) >= 0) {
      result.m_limbs = SubMagnitude(a.m_limbs, b.m_limbs);
      result.m_negative = a.m_negative;
    } else {
      result.m_limbs = SubMagnitude(b.m_limbs, a.m_limbs);
      result.m_negative = b.m_negative;
    }
    result.Normalize();
    return result;
  }

  friend OracleInt operator-(const OracleInt& a, const OracleInt& b) {
    OracleInt negated = b;
    negated.m_negative = !negated.m_negative;
    negated.Normalize();
    return a + negated;
  }

  friend OracleInt operator*(const OracleInt& a, const OracleInt& b) {
    OracleInt result;
    result.m_limbs.assign(a.m_limbs.size() + b.m_limbs.size(), 0);
    for (std::size_t i = 0; i < a.m_limbs.size(); ++i) {
      std::uint64_t carry = 0;
      for (std::size_t j = 0; j < b.m_limbs.size(); ++j) {
        const std::uint64_t t =
            static_cast<std::uint64_t>(a.m_limbs[i]) * b.m_limbs[j] + result.m_limbs[i + j] + carry;
        result.m_limbs[i + j] = static_cast<std::uint32_t>(t);
        carry = t >> 32;
      }
      result.m_limbs[i + b.m_limbs.size()] = static_cast<std::uint32_t>(carry);
    }
    result.m_negative = a.m_negative != b.m_negative;
    result.Normalize();
    return result;
  }

  // Truncated quotient and remainder (the remainder takes a's sign).
  friend void DivMod(const OracleInt& a, const OracleInt& b, OracleInt& q, OracleInt& r) {
    q = OracleInt();
    r = OracleInt();
    const std::size_t bits = a.m_limbs.size() * 32;
    q.m_limbs.assign(a.m_limbs.size(), 0);
    for (std::size_t i = bits; i-- > 0;) {
      r.ShiftLeftOne();
      if ((a.m_limbs[i / 32] >> (i % 32)) & 1) {
        if (r.m_limbs.empty()) r.m_limbs.push_back(0);
        r.m_limbs[0] |= 1;
      }
      if (CompareMagnitude(r.m_limbs, b.m_limbs) >= 0) {
        r.m_limbs = SubMagnitude(r.m_limbs, b.m_limbs);
        r.Normalize();
        q.m_limbs[i / 32] |= 1u << (i % 32);
      }
    }
    q.m_negative = a.m_negative != b.m_negative;
    r.m_negative = a.m_negative;
    q.Normalize();
    r.Normalize();
  }

 private:
  using Limbs = std::vector<std::uint32_t>;

  void Normalize() {
    while (!m_limbs.empty() && m_limbs.back() == 0) m_limbs.pop_back();
    if (m_limbs.empty()) m_negative = false;
  }

  void MulSmall(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (auto& limb : m_limbs) {
      const std::uint64_t t = static_cast<std::uint64_t>(limb) * factor + carry;
      limb = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    if (carry) m_limbs.push_back(static_cast<std::uint32_t>(carry));
  }

  void AddSmall(std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::size_t i = 0; carry && i < m_limbs.size(); ++i) {
      const std::uint64_t t = static_cast<std::uint64_t>(m_limbs[i]) + carry;
      m_limbs[i] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    if (carry) m_limbs.push_back(static_cast<std::uint32_t>(carry));
  }

  std::uint32_t DivSmall(std::uint32_t divisor) {
    std::uint64_t rem = 0;
    for (std::size_t i = m_limbs.size(); i-- > 0;) {
      const std::uint64_t t = (rem << 32) | m_limbs[i];
      m_limbs[i] = static_cast<std::uint32_t>(t / divisor);
      rem = t % divisor;
    }
    Normalize();
    return static_cast<std::uint32_t>(rem);
  }

  void ShiftLeftOne() {
    std::uint32_t carry = 0;
    for (auto& limb : m_limbs) {
      const std::uint32_t next = limb >> 31;
      limb = (limb << 1) | carry;
      carry = next;
    }
    if (carry) m_limbs.push_back(carry);
  }

  static int CompareMagnitude(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
      if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
  }

  static Limbs AddMagnitude(const Limbs& a, const Limbs& b) {
    Limbs sum(std::max(a.size(), b.size()) + 1, 0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i + 1 < sum.size(); ++i) {
      const std::uint64_t t = carry + (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0);
      sum[i] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    sum.back() = static_cast<std::uint32_t>(carry);
    return sum;
  }

  // a - b for a >= b.
  static Limbs SubMagnitude(const Limbs& a, const Limbs& b) {
    Limbs difference(a.size(), 0);
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
      std::int64_t t = static_cast<std::int64_t>(a[i]) - (i < b.size() ? b[i] : 0) - borrow;
      borrow = t < 0;
      if (t < 0) t += std::int64_t{1} << 32;
      difference[i] = static_cast<std::uint32_t>(t);
    }
    return difference;
  }

  Limbs m_limbs;
  bool m_negative = false;
};

// An exact decimal: value / 10^places, with the rounding and printing rules of
// the type under test written out directly.
struct OracleDecimal {
  OracleInt value;
  std::size_t places = 1;

  // Sign, integer digits and fraction digits, as a parser would read them.
  static OracleDecimal FromParts(bool negative, const std::string& integer,
                                 const std::string& fraction) {
    OracleDecimal d;
    // Without a fraction the value still holds one place.
    const std::string digits = integer + (fraction.empty() ? "0" : fraction);
    d.value = OracleInt::FromText((negative ? "-" : "") + digits);
    d.places = fraction.empty() ? 1 : fraction.size();
    return d;
  }

  static OracleInt Quotient(const OracleInt& a, const OracleInt& b) {
    OracleInt q;
    OracleInt r;
    DivMod(a, b, q, r);
    return q;
  }

  OracleInt ScaledTo(std::size_t p) const { return value * OracleInt::Pow10(p - places); }

  // Trailing fraction zeros off, keeping one place.
  void Rationalise() {
    const OracleInt ten = OracleInt::FromText("10");
    while (places > 1) {
      OracleInt q;
      OracleInt r;
      DivMod(value, ten, q, r);
      if (!r.IsZero()) break;
      value = q;
      --places;
    }
  }

  // To `target` places, the nearest value; a tie goes toward zero or away.
  void RoundTo(std::size_t target, bool halfAway) {
    if (places <= target) return;
    const OracleInt unit = OracleInt::Pow10(places - target);
    OracleInt q;
    OracleInt r;
    DivMod(value.Abs(), unit, q, r);
    const int c = Compare(r + r, unit);
    if (c > 0 || (c == 0 && halfAway)) q = q + OracleInt::FromText("1");
    value = value.IsNegative() ? OracleInt() - q : q;
    places = target;
  }

  // Integer digits, "." and the fraction padded to `places`; the integer text
  // alone when the fraction is zero.
  std::string ToText() const {
    OracleInt q;
    OracleInt r;
    DivMod(value.Abs(), OracleInt::Pow10(places), q, r);
    if (r.IsZero()) return (value.IsNegative() && !q.IsZero() ? "-" : "") + q.ToText();
    std::string fraction = r.ToText();
    fraction.insert(0, places - fraction.size(), '0');
    return (value.IsNegative() ? "-" : "") + q.ToText() + "." + fraction;
  }
};

inline OracleDecimal OracleAdd(const OracleDecimal& a, const OracleDecimal& b, bool subtract) {
  OracleDecimal sum;
  sum.places = std::max(a.places, b.places);
  sum.value = subtract ? a.ScaledTo(sum.places) - b.ScaledTo(sum.places)
                       : a.ScaledTo(sum.places) + b.ScaledTo(sum.places);
  sum.Rationalise();
  return sum;
}

inline OracleDecimal OracleMultiply(const OracleDecimal& a, const OracleDecimal& b,
                                    std::size_t maxPlaces) {
  OracleDecimal product;
  product.value = a.value * b.value;
  product.places = a.places + b.places;
  product.Rationalise();
  product.RoundTo(maxPlaces, false);
  return product;
}

// Truncated to maxPlaces + 2 places, then rounded to maxPlaces.
inline OracleDecimal OracleDivide(const OracleDecimal& a, const OracleDecimal& b,
                                  std::size_t maxPlaces) {
  const std::size_t common = std::max(a.places, b.places);
  OracleDecimal quotient;
  quotient.places = maxPlaces + 2;
  quotient.value = OracleDecimal::Quotient(a.ScaledTo(common) * OracleInt::Pow10(quotient.places),
                                           b.ScaledTo(common));
  quotient.Rationalise();
  quotient.RoundTo(maxPlaces, false);
  return quotient;
}

inline int OracleCompare(const OracleDecimal& a, const OracleDecimal& b) {
  const std::size_t common = std::max(a.places, b.places);
  return Compare(a.ScaledTo(common), b.ScaledTo(common));
}

}  // namespace Korvel::testing
