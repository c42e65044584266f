// SPDX-License-Identifier: MIT
#include <korvel/decimal.h>

#include <korvel/big_integer.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "test_support.h"

using namespace Korvel;
using namespace Korvel::testing;

namespace {

constexpr wchar_t kInvalidCharPrefix[] =
    L"The string representing a Decimal, contained an invalid char at position ";
constexpr wchar_t kDivideMessage[] = L"ERROR: Overflow in operator/.";

std::wstring InvalidChar(int position, const std::wstring& text) {
  return kInvalidCharPrefix + std::to_wstring(position) + L" [" + text + L"].";
}

std::wstring PlacesOutOfRange(int places) {
  return L"The number of decimal places [" + std::to_wstring(places) + L"] is out of range.";
}

CDecimal Dec(const wchar_t* text) { return CDecimal(text); }

// Sets the process-wide limit for one test and puts the old one back.
class MaxPlaces {
 public:
  explicit MaxPlaces(std::int32_t places) { CDecimal::SetMaxDecimalPlaces(places); }
  ~MaxPlaces() { CDecimal::SetMaxDecimalPlaces(m_saved); }
  MaxPlaces(const MaxPlaces&) = delete;
  MaxPlaces& operator=(const MaxPlaces&) = delete;

 private:
  std::int32_t m_saved = CDecimal::GetMaxDecimalPlaces();
};

// The texts CDecimal reads are in tests/data/values/decimal_text.txt.
TEST(DecimalParse, BothPartsCarryTheSignAndAFailedParseKeepsTheValue) {
  EXPECT_EQ(Dec(L"-0.5").GetIntegerPart(), 0);
  EXPECT_EQ(Dec(L"-0.5").GetFractionPart(), -5);
  EXPECT_EQ(Dec(L"-1.05").GetIntegerPart(), -1);
  EXPECT_EQ(Dec(L"-1.05").GetFractionPart(), -5);
  EXPECT_EQ(Dec(L"-1.05").GetFractionDivider(), 2);
  CDecimal value(L"2.5");
  KORVEL_EXPECT_THROW_MESSAGE(value.Parse(L"1,5"), CKvInvalidValueException,
                              InvalidChar(1, L"1,5"));
  EXPECT_EQ(value.ToString(), L"2.5");
}

TEST(DecimalParse, LongDigitRunsHaveNoLimit) {
  const std::wstring integer(600, L'7');
  EXPECT_EQ(CDecimal(integer).ToString(), integer);
  EXPECT_EQ(CDecimal(integer + L"." + std::wstring(600, L'3')).ToString(),
            integer + L"." + std::wstring(30, L'3'));
  EXPECT_EQ(Dec(L"1e100000").ToString(), L"1" + std::wstring(100000, L'0'));
}

TEST(DecimalConstruction, FromNumbers) {
  EXPECT_EQ(CDecimal(std::numeric_limits<std::int32_t>::min()).ToString(), L"-2147483648");
  EXPECT_EQ(CDecimal(std::numeric_limits<std::int64_t>::min()).ToString(), L"-9223372036854775808");
  EXPECT_EQ(CDecimal(std::numeric_limits<std::uint64_t>::max()).ToString(),
            L"18446744073709551615");
  EXPECT_EQ(CDecimal(CBigInteger(L"-123456789012345678901234567890")).ToString(),
            L"-123456789012345678901234567890");
  // Doubles are rows of tests/data/values/decimal_text.txt.
}

TEST(DecimalConstruction, MixesWithMachineIntegersAndBigIntegers) {
  // Integers convert implicitly (lossless); doubles and texts only explicitly.
  const CDecimal half(L"0.5");
  EXPECT_EQ((1 + half).ToString(), L"1.5");
  EXPECT_EQ((half * 4LL).ToString(), L"2");
  EXPECT_EQ((CBigInteger(3) - half).ToString(), L"2.5");
  EXPECT_TRUE(half < 1);
  EXPECT_TRUE(0u < half);
  EXPECT_TRUE(CDecimal(L"2") == CBigInteger(2));
  EXPECT_EQ(CDecimal(static_cast<const wchar_t*>(nullptr)), 0);
  static_assert(!std::is_convertible_v<double, CDecimal>);
  static_assert(!std::is_convertible_v<std::wstring, CDecimal>);
  static_assert(!std::is_convertible_v<CDecimal, CBigInteger>);
  static_assert(!std::is_convertible_v<CBigInteger, std::int32_t>);
}

// The rounding of both rescaling forms is in tests/data/values/decimal_places.txt.
TEST(DecimalRescale, ChangeFractionalDividerAndToStringWithPlaces) {
  EXPECT_EQ(CDecimal(L"1.5").ToString(1023), L"1.5" + std::wstring(1022, L'0'));
  for (int places : {1024, -1}) {
    KORVEL_EXPECT_THROW_MESSAGE(CDecimal(1).ToString(places), CKvInvalidParamException,
                                PlacesOutOfRange(places));
  }
  CDecimal value(L"1.5");
  KORVEL_EXPECT_THROW_MESSAGE(value.ChangeFractionalDivider(-1), CKvInvalidParamException,
                              PlacesOutOfRange(-1));
  EXPECT_EQ(value.GetFractionDivider(), 1);
  // Rationalise takes the zeros off again, down to one place.
  for (const wchar_t* text : {L"1.5", L"3"}) {
    CDecimal wide(text);
    wide.ChangeFractionalDivider(6);
    wide.Rationalise();
    EXPECT_EQ(wide.GetFractionDivider(), 1) << text;
  }
  CDecimal a(L"1.5");
  CDecimal b(L"-0.125");
  EXPECT_EQ(CDecimal::Normalize(a, b), 3);
  EXPECT_EQ(a.ToString() + L" " + b.ToString(), L"1.500 -0.125");
  EXPECT_EQ(b.GetFractionDivider(), 3);
  // Values compare whatever their dividers.
  EXPECT_EQ(a, Dec(L"1.5"));
  EXPECT_EQ(Dec(L"-0"), CDecimal());
}

// The integer conversions are rows of tests/data/values/decimal_integers.txt.
TEST(DecimalConversion, ToDouble) {
  const std::pair<const wchar_t*, double> doubles[] = {
      {L"1.7e308", 1.7e308},
      {L"0.1", 0.1},
      {L"-0.5", -0.5},
      {L"123456789.123456789", 123456789.123456789},
  };
  for (const auto& [text, value] : doubles) EXPECT_EQ(Dec(text).ToDouble(), value) << value;
  for (const wchar_t* text : {L"1e400", L"-1.8e308"}) {
    KORVEL_EXPECT_THROW_MESSAGE(Dec(text).ToDouble(), CKvOverFlowException,
                                L"The Decimal value if to large to fit into a Double");
  }
}

// Sums, differences, products and quotients at large are covered by the
// cross-checks below; these are the limits, ties and in-place forms.
TEST(DecimalArithmetic, DivisionKeepsTheLimitOfPlaces) {
  // Quotients at the limit and its ties are rows of decimal_places.txt.
  KORVEL_EXPECT_THROW_MESSAGE(Dec(L"1") / Dec(L"0.000"), CKvInvalidValueException, kDivideMessage);
  CDecimal value(L"1.5");
  KORVEL_EXPECT_THROW_MESSAGE(value /= CDecimal(), CKvInvalidValueException, kDivideMessage);
  EXPECT_EQ(value.ToString(), L"1.5");
}

TEST(DecimalArithmetic, InPlaceFormsAndNegation) {
  CDecimal value(L"-0.5");
  EXPECT_EQ((value++).ToString(), L"-0.5");
  EXPECT_EQ(value.ToString(), L"0.5");
  EXPECT_EQ((--value).ToString(), L"-0.5");
  EXPECT_EQ((value--).ToString(), L"-0.5");
  EXPECT_EQ((++value).ToString(), L"-0.5");
  EXPECT_EQ(value.GetNegative().ToString(), L"0.5");
  value.Negate();
  EXPECT_EQ(value.ToString(), L"0.5");
  CDecimal x(L"1.5");
  x *= x;  // operands aliasing the receiver
  EXPECT_EQ(x.ToString(), L"2.25");
  x += Dec(L"-2.75");
  EXPECT_EQ(x.ToString(), L"-0.5");
  x -= Dec(L"-0.5");
  EXPECT_EQ(x.ToString(), L"0");
  x -= Dec(L"0.001");
  x /= Dec(L"-0.004");
  EXPECT_EQ(x.ToString(), L"0.25");
}

TEST(DecimalLimit, ChangesLaterOperationsOnly) {
  EXPECT_EQ(CDecimal::GetMaxDecimalPlaces(), 30);
  const CDecimal third = CDecimal(1) / CDecimal(3);
  {
    const MaxPlaces limit(4);
    EXPECT_EQ(CDecimal::GetMaxDecimalPlaces(), 4);
    EXPECT_EQ(third.GetFractionDivider(), 30);
    EXPECT_EQ((CDecimal(1) / CDecimal(3)).ToString(), L"0.3333");
    EXPECT_EQ(Dec(L"0.123456").ToString(), L"0.1235");
  }
  {
    const MaxPlaces limit(0);
    EXPECT_EQ(Dec(L"2.5").ToString(), L"2");
    EXPECT_EQ((CDecimal(7) / CDecimal(2)).ToString(), L"3");
  }
  KORVEL_EXPECT_THROW_MESSAGE(CDecimal::SetMaxDecimalPlaces(-1), CKvInvalidParamException,
                              PlacesOutOfRange(-1));
  EXPECT_EQ(CDecimal::GetMaxDecimalPlaces(), 30);
}

// Sums, differences, products, quotients and orders at large, at several
// limits, are rows of tests/data/values/arithmetic.txt, computed by
// tools/arithmetic_vectors.py.

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

// The digit sequence against std::vector, through the inline and heap forms.
TEST(DigitVector, BehavesAsAVector) {
  std::mt19937 random(7);
  CDigitVector digits;
  std::vector<std::uint16_t> model;
  for (int step = 0; step < 4000; ++step) {
    SCOPED_TRACE(step);
    const size_t at = model.empty() ? 0 : random() % (model.size() + 1);
    const auto value = static_cast<std::uint16_t>(random() % 10);
    const size_t count = random() % 12;
    switch (random() % 7) {
      case 0:
        digits.push_back(value), model.push_back(value);
        break;
      case 1:
        digits.resize(count, value), model.resize(count, value);
        break;
      case 2:
        digits.insert(digits.begin() + at, count, value);
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), count, value);
        break;
      case 3: {  // from itself, which std::vector does not allow
        digits.insert(digits.begin() + at, digits.begin(), digits.begin() + at);
        const std::vector<std::uint16_t> head(model.begin(),
                                              model.begin() + static_cast<std::ptrdiff_t>(at));
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), head.begin(), head.end());
        break;
      }
      case 4:
        digits.erase(digits.begin(), digits.begin() + at / 2);
        model.erase(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(at / 2));
        break;
      case 5:
        digits = CDigitVector(digits.rbegin(), digits.rend());
        std::reverse(model.begin(), model.end());
        break;
      default: {
        CDigitVector copy(digits);
        digits = std::move(copy);
        break;
      }
    }
    if (model.size() > 40) digits.resize(3), model.resize(3);
    ASSERT_EQ(std::vector<std::uint16_t>(digits.begin(), digits.end()), model);
  }
}
