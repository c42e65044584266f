// SPDX-License-Identifier: MIT
#include <korvel/big_integer.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>

#include <korvel/decimal.h>

#include "test_support.h"
#include "values/decimal_oracle.h"

using namespace Korvel;
using namespace Korvel::testing;

namespace {

CBigInteger Big(const wchar_t* text) { return CBigInteger(text); }

// The texts CBigInteger reads are in tests/data/values/decimal_text.txt.
TEST(BigIntegerParse, LongTextsAndAFailedParse) {
  EXPECT_EQ(Big(L"1.7E+308").ToString(), L"17" + std::wstring(307, L'0'));
  const std::wstring digits = L"123456789012345678901234567890123456789012345678901234567890";
  EXPECT_EQ(CBigInteger(digits).ToString(), digits);
  CBigInteger value(5);
  EXPECT_THROW(value.Parse(L"12x"), CKvInvalidValueException);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(CBigInteger(static_cast<const wchar_t*>(nullptr)), 0);
}

TEST(BigIntegerConstruction, FromMachineTypesAndDecimals) {
  EXPECT_EQ(CBigInteger(std::numeric_limits<std::int32_t>::min()).ToString(), L"-2147483648");
  EXPECT_EQ(CBigInteger(std::numeric_limits<std::uint32_t>::max()).ToString(), L"4294967295");
  EXPECT_EQ(CBigInteger(std::numeric_limits<std::int64_t>::min()).ToString(),
            L"-9223372036854775808");
  EXPECT_EQ(CBigInteger(std::numeric_limits<std::uint64_t>::max()).ToString(),
            L"18446744073709551615");
  EXPECT_EQ(CBigInteger().ToString(), L"0");
  EXPECT_EQ(CBigInteger(CDecimal(L"2.5")), 2);
  EXPECT_EQ(CBigInteger(CDecimal(L"-2.51")), -3);
}

TEST(BigIntegerSigns, NegateAbsAndNegativeZero) {
  CBigInteger zero;
  zero.Negate();
  EXPECT_EQ(zero, CBigInteger(0));
  EXPECT_FALSE(zero < 0 || zero > 0);
  EXPECT_EQ(zero.ToString(), L"0");
  EXPECT_EQ(static_cast<std::int64_t>(zero), 0);

  CBigInteger x(-12);
  EXPECT_EQ(x.GetAbs(), 12);
  EXPECT_EQ(x.GetNegative(), 12);
  EXPECT_EQ(x, -12);
  CBigInteger& same = -x;  // negates x itself
  EXPECT_EQ(&same, &x);
  EXPECT_EQ(x, 12);
  x.Negate();
  EXPECT_EQ(x, -12);
  x.Abs();
  EXPECT_EQ(x, 12);

  const CBigInteger ordered[] = {
      Big(L"-100000000000000000000"), Big(L"-99"), Big(L"-9"), zero, Big(L"9"), Big(L"10"),
      Big(L"100000000000000000000")};
  ExpectAscending(ordered);
}

// Quotients, remainders, square roots, bounds and doubles are rows of
// tests/data/values/big_integer.txt; sums and products at large are the
// cross-check below.
TEST(BigIntegerArithmetic, InPlaceFormsAndANegativeZeroDivisor) {
  CBigInteger x(7);
  KORVEL_EXPECT_THROW_MESSAGE(x / CBigInteger().GetNegative(), CKvInvalidValueException,
                              L"ERROR: Overflow in operator/.");
  x += Big(L"99999999999999999999");
  EXPECT_EQ(x.ToString(), L"100000000000000000006");
  x -= Big(L"100000000000000000007");
  EXPECT_EQ(x, -1);
  x *= Big(L"-12345678901234567890");
  x *= x;  // operands aliasing the receiver
  EXPECT_EQ(x.ToString(), L"152415787532388367501905199875019052100");
}

// Random operands of up to 65 digits, checked against the independent binary
// arithmetic; lengths straddle the 18-digit boundary of the short division.
TEST(BigIntegerArithmetic, AgreesWithIndependentArithmetic) {
  std::mt19937_64 random(20240607);
  auto randomText = [&random]() {
    std::string text;
    if (random() % 2) text += '-';
    const std::size_t length = 1 + random() % 45;
    // Runs of nines and zeros stress carries, borrows and the estimate of each
    // quotient digit, which only the digits past the 17th can prove wrong.
    const bool extremes = random() % 3 == 0;
    for (std::size_t i = 0; i < length; ++i) {
      text += extremes ? (random() % 8 == 0 ? '1'
                          : random() % 2    ? '9'
                                            : '0')
                       : static_cast<char>('0' + random() % 10);
    }
    // A run of low zeros now and then, for divisors that are scaled powers.
    if (random() % 8 == 0) text.append(random() % 20, '0');
    return text;
  };
  for (int i = 0; i < 3000; ++i) {
    const std::string ta = randomText();
    const std::string tb = randomText();
    SCOPED_TRACE(ta + " and " + tb);
    const CBigInteger a(Widen(ta));
    const CBigInteger b(Widen(tb));
    const OracleInt oa = OracleInt::FromText(ta);
    const OracleInt ob = OracleInt::FromText(tb);
    EXPECT_EQ(a.ToString(), Widen(oa.ToText()));
    EXPECT_EQ((a + b).ToString(), Widen((oa + ob).ToText()));
    EXPECT_EQ((a - b).ToString(), Widen((oa - ob).ToText()));
    EXPECT_EQ((a * b).ToString(), Widen((oa * ob).ToText()));
    const int order = Compare(oa, ob);
    EXPECT_EQ(a < b, order < 0);
    EXPECT_EQ(a == b, order == 0);
    if (!ob.IsZero()) {
      OracleInt q;
      OracleInt r;
      DivMod(oa, ob, q, r);
      EXPECT_EQ((a / b).ToString(), Widen(q.ToText()));
      DivMod(oa, ob.Abs(), q, r);
      EXPECT_EQ((a % b.GetAbs()).ToString(), Widen(r.ToText()));
      // Just below a multiple of the divisor, the quotient digit estimated from
      // the leading digits is at its most optimistic.
      const std::string factor(1, static_cast<char>('1' + random() % 9));
      const OracleInt below = ob * OracleInt::FromText(factor) - OracleInt::FromText("1");
      DivMod(below, ob, q, r);
      const CBigInteger dividend = b * CBigInteger(Widen(factor)) - 1;
      EXPECT_EQ((dividend / b).ToString(), Widen(q.ToText()));
      EXPECT_EQ((dividend % b.GetAbs()).ToString(), Widen(r.ToText()));
    }
  }
}

}  // namespace
