// SPDX-License-Identifier: MIT
#include <korvel/big_integer.h>

#include <cstdint>
#include <limits>
#include <string>

#include <korvel/decimal.h>

#include "test_support.h"

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
}

// Quotients, remainders, square roots, bounds and doubles are rows of
// tests/data/values/big_integer.txt; sums, products and quotients at large are
// rows of arithmetic.txt.
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

}  // namespace
