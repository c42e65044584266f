// SPDX-License-Identifier: MIT
#include <korvel/big_integer.h>

#include <gtest/gtest.h>

#include <cmath>
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

constexpr wchar_t kDivideMessage[] = L"ERROR: Overflow in operator/.";
constexpr wchar_t kDivideAssignMessage[] = L"ERROR: Overflow in operator /=.";
constexpr wchar_t kModuloMessage[] = L"ERROR: Overflow in operator%.";
constexpr wchar_t kModuloAssignMessage[] = L"ERROR: Overflow in operator%=.";

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

// Above 2^52 every double is an integer and must survive unchanged;
// ceil(m - 0.5) would round 2^52 + 1 down to 2^52.
TEST(BigIntegerConstruction, DoublesRoundToNearestWithHalfTowardZero) {
  const std::pair<double, int> cases[] = {
      {2.5, 2}, {2.6, 3}, {-2.6, -3}, {-2.5, -2}, {0.5, 0}, {-0.0, 0}, {0.49999999999999994, 0},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(CBigInteger(value), expected) << value;
  EXPECT_EQ(CBigInteger(4503599627370497.0).ToString(), L"4503599627370497");
  EXPECT_EQ(CBigInteger(1e20).ToString(), L"100000000000000000000");
  EXPECT_EQ(CBigInteger(std::ldexp(1.0, 70)).ToString(), L"1180591620717411303424");
  EXPECT_EQ(CBigInteger(-1e23).ToString(), L"-99999999999999991611392");
  const std::wstring largest = CBigInteger(std::numeric_limits<double>::max()).ToString();
  EXPECT_EQ(largest.size(), 309u);
  EXPECT_EQ(largest.substr(0, 17), L"17976931348623157");
  EXPECT_EQ(largest.substr(302), L"4858368");  // exact: 2^1024 - 2^971 ends ...4858368
  for (const double value : {std::nan(""), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()}) {
    KORVEL_EXPECT_THROW_MESSAGE(
        CBigInteger{value}, CKvInvalidValueException,
        L"ERROR: A NaN or infinite double can not be converted to an integer.");
  }
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

// Quotients, remainders, sums and products at large are covered by the
// cross-check below; these are the signs, the refusals and the in-place forms.
TEST(BigIntegerArithmetic, DivisionTruncatesAndRemainderFollowsTheDividend) {
  const struct {
    int a, b, quotient, remainder;
  } cases[] = {{0, 5, 0, 0}, {7, 2, 3, 1}, {-7, 2, -3, -1}, {6, 3, 2, 0}, {-3, 7, 0, -3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.a) + " by " + std::to_string(c.b));
    EXPECT_EQ(CBigInteger(c.a) / c.b, c.quotient);
    EXPECT_EQ(CBigInteger(c.a) / -c.b, -c.quotient);
    EXPECT_EQ(CBigInteger(c.a) % c.b, c.remainder);
  }
}

TEST(BigIntegerArithmetic, EachDivisionOperatorRefusesItsOwnDivisors) {
  CBigInteger x(7);
  KORVEL_EXPECT_THROW_MESSAGE(x / 0, CKvInvalidValueException, kDivideMessage);
  KORVEL_EXPECT_THROW_MESSAGE(x / CBigInteger().GetNegative(), CKvInvalidValueException,
                              kDivideMessage);
  for (int divisor : {-2, 0}) {
    KORVEL_EXPECT_THROW_MESSAGE(x % divisor, CKvInvalidValueException, kModuloMessage);
    KORVEL_EXPECT_THROW_MESSAGE(x /= divisor, CKvInvalidValueException, kDivideAssignMessage);
    KORVEL_EXPECT_THROW_MESSAGE(x %= divisor, CKvInvalidValueException, kModuloAssignMessage);
  }
  EXPECT_EQ(x, 7);  // failed in-place operations leave the receiver alone
  x /= 2;
  EXPECT_EQ(x, 3);
  x %= 2;
  EXPECT_EQ(x, 1);
  x += Big(L"99999999999999999999");
  EXPECT_EQ(x.ToString(), L"100000000000000000000");
  x -= Big(L"100000000000000000001");
  EXPECT_EQ(x, -1);
  x *= Big(L"-12345678901234567890");
  x *= x;  // operands aliasing the receiver
  EXPECT_EQ(x.ToString(), L"152415787532388367501905199875019052100");
}

TEST(BigIntegerConversion, BoundsOfThirtyTwoAndSixtyFourBits) {
  const auto i32 = [](const wchar_t* text) { return static_cast<std::int32_t>(Big(text)); };
  const auto i64 = [](const wchar_t* text) { return static_cast<std::int64_t>(Big(text)); };
  EXPECT_EQ(i32(L"-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(i32(L"2147483647"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(i64(L"-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(i64(L"9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  for (const wchar_t* text : {L"2147483648", L"-2147483649"}) {
    KORVEL_EXPECT_THROW_MESSAGE(i32(text), CKvInvalidValueException,
                                L"ERROR: Value out of bound of int.");
  }
  for (const wchar_t* text : {L"9223372036854775808", L"-18446744073709551616"}) {
    KORVEL_EXPECT_THROW_MESSAGE(i64(text), CKvInvalidValueException,
                                L"ERROR: Value out of bound of LONGLONG.");
  }
}

TEST(BigIntegerSquareRoot, RoundsDown) {
  const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {3, 1}, {4, 2}, {99, 9}, {100, 10}};
  for (const auto& [value, root] : cases) EXPECT_EQ(CBigInteger(value).SquareRoot(), root) << value;
  EXPECT_EQ(CBigInteger::Pow10(40).SquareRoot(), CBigInteger::Pow10(20));
  // (10^20 + 1)^2 - 1 lies just below a square.
  const std::wstring below = L"100000000000000000002" + std::wstring(19, L'0');
  EXPECT_EQ(CBigInteger(below + L"0").SquareRoot(), CBigInteger::Pow10(20));
  EXPECT_EQ(CBigInteger(below + L"1").SquareRoot(), CBigInteger::Pow10(20) + 1);
  KORVEL_EXPECT_THROW_MESSAGE(CBigInteger(-1).SquareRoot(), CKvInvalidValueException,
                              L"ERROR: Negative Number in function SquareRoot().");
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
