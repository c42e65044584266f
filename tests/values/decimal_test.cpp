// SPDX-License-Identifier: MIT
#include <korvel/decimal.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "test_support.h"
#include "values/decimal_oracle.h"

using namespace Korvel;
using Korvel::testing::OracleDecimal;

namespace {

constexpr wchar_t kInvalidCharPrefix[] =
    L"The string representing a Decimal, contained an invalid char at position ";

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring InvalidChar(int position, const std::wstring& text) {
  return kInvalidCharPrefix + std::to_wstring(position) + L" [" + text + L"].";
}

CDecimal Dec(const wchar_t* text) { return CDecimal(text); }

// Sets the process-wide limit for one test and puts the old one back.
class MaxPlaces {
 public:
  explicit MaxPlaces(std::int32_t places) : m_saved(CDecimal::GetMaxDecimalPlaces()) {
    CDecimal::SetMaxDecimalPlaces(places);
  }
  ~MaxPlaces() { CDecimal::SetMaxDecimalPlaces(m_saved); }
  MaxPlaces(const MaxPlaces&) = delete;
  MaxPlaces& operator=(const MaxPlaces&) = delete;

 private:
  std::int32_t m_saved;
};

TEST(DecimalParse, SectionsSignsAndExponents) {
  const struct {
    const wchar_t* text;
    std::wstring expected;
    std::int32_t divider;
  } cases[] = {
      {L"1.50", L"1.5", 1},
      {L"+1.5", L"1.5", 1},
      {L"1.5e0", L"1.5", 1},
      {L"15e-1", L"1.5", 1},
      {L"12", L"12", 1},
      {L"0.000", L"0", 1},
      {L"0.050", L"0.05", 2},
      {L"-0.5", L"-0.5", 1},
      {L"", L"0", 1},
      {L"-", L"0", 1},
      {L".", L"0", 1},
      {L".5", L"0.5", 1},
      {L"5.", L"5", 1},
      {L" - 1 2 . 5 0\r\n", L"-12.5", 1},  // whitespace anywhere in the sections
      {L"1-", L"-1", 1},                   // a sign anywhere in the integer section
      {L"-1+", L"1", 1},                   // the last sign wins
      {L"007.25", L"7.25", 2},
      {L"1e", L"1", 1},  // an exponent without digits is ignored
      {L"1E+3", L"1000", 1},
      {L"1.234e2", L"123.4", 1},
      {L"-2.5E1", L"-25", 1},
      {L"1.5 e - 2 ", L"0.015", 3},
      {L"1e-0", L"1", 1},
      {L"5e-31", L"0", 1},  // an exact half of the last place goes toward zero
      {L"6e-31", L"0.000000000000000000000000000001", 30},
      {L"1e-100000", L"0", 1},
      // Rounding to the limit can leave trailing zeros, which print.
      {L"0.1999999999999999999999999999999999", L"0.200000000000000000000000000000", 30},
      // ... unless an exponent sends the value through the multiplication,
      // after which the parser drops them again.
      {L"0.1999999999999999999999999999999999e0", L"0.2", 1},
      {L"0.3333333333333333333333333333333333333", L"0.333333333333333333333333333333", 30},
      {L"-0.0000000000000000000000000000005", L"0", 30},
      {L"-0.0000000000000000000000000000006", L"-0.000000000000000000000000000001", 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.text));
    const CDecimal value(c.text);
    EXPECT_EQ(value.ToString(), c.expected);
    EXPECT_EQ(value.GetFractionDivider(), c.divider);
  }
}

TEST(DecimalParse, PartsCarryTheSignOfTheValue) {
  const CDecimal value(L"-0.5");
  EXPECT_EQ(value.GetIntegerPart(), 0);
  EXPECT_EQ(value.GetFractionPart(), -5);
  EXPECT_EQ(value.GetFractionDivider(), 1);
  const CDecimal parts(L"1.05");
  EXPECT_EQ(parts.GetIntegerPart(), 1);
  EXPECT_EQ(parts.GetFractionPart(), 5);
  EXPECT_EQ(parts.GetFractionDivider(), 2);
}

TEST(DecimalParse, LongDigitRunsHaveNoLimit) {
  const std::wstring integer(600, L'7');
  EXPECT_EQ(CDecimal(integer).ToString(), integer);
  EXPECT_EQ(CDecimal(integer + L"." + std::wstring(600, L'3')).ToString(),
            integer + L"." + std::wstring(30, L'3'));
  const std::wstring big = CDecimal(L"1e100000").ToString();
  EXPECT_EQ(big.size(), 100001u);
  EXPECT_EQ(big.find_first_not_of(L'0', 1), std::wstring::npos);
}

TEST(DecimalParse, InvalidCharactersNameTheirPosition) {
  const struct {
    const wchar_t* text;
    int position;
  } cases[] = {
      {L"1,5", 1},
      {L"abc", 0},
      {L"1.5.3", 3},
      {L"1.5-", 3},
      {L"1.5x", 3},
      {L"1e5x", 3},
      {L"1e5-", 3},  // signs only before the exponent's
                     // digits
      {L"1e.5", 2},
      {L"1e100001", 7},  // the digit that takes the exponent past 100000
      {L"1e-1000000", 9},
      {L"\x661", 0},  // a digit of another script is not a digit here
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.text));
    KORVEL_EXPECT_THROW_MESSAGE(CDecimal{c.text}, CKvInvalidValueException,
                                InvalidChar(c.position, c.text));
  }
  CDecimal value(L"2.5");
  KORVEL_EXPECT_THROW_MESSAGE(value.Parse(L"1,5"), CKvInvalidValueException,
                              InvalidChar(1, L"1,5"));
  EXPECT_EQ(value.ToString(), L"2.5");
  EXPECT_EQ(CDecimal(L"1e100000").GetIntegerPart(), CBigInteger::Pow10(100000));
}

TEST(DecimalConstruction, FromNumbers) {
  EXPECT_EQ(CDecimal().ToString(), L"0");
  EXPECT_EQ(CDecimal().GetFractionDivider(), 1);
  EXPECT_EQ(CDecimal(std::numeric_limits<std::int32_t>::min()).ToString(), L"-2147483648");
  EXPECT_EQ(CDecimal(std::numeric_limits<std::int64_t>::min()).ToString(), L"-9223372036854775808");
  EXPECT_EQ(CDecimal(std::numeric_limits<std::uint64_t>::max()).ToString(),
            L"18446744073709551615");
  EXPECT_EQ(CDecimal(CBigInteger(L"-123456789012345678901234567890")).ToString(),
            L"-123456789012345678901234567890");
  const struct {
    double value;
    const wchar_t* expected;
  } doubles[] = {
      {0.1, L"0.1"},
      {2.5, L"2.5"},
      {-2.75, L"-2.75"},
      {1.0 / 3, L"0.3333333333333"},  // thirteen places
      {2.0 / 3, L"0.6666666666667"},
      {1e20, L"100000000000000000000"},
      {-0.0, L"0"},
      {1e-14, L"0"},
  };
  for (const auto& c : doubles) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(CDecimal(c.value).ToString(), c.expected);
  }
  KORVEL_EXPECT_THROW_MESSAGE(CDecimal{std::nan("")}, CKvInvalidValueException,
                              InvalidChar(0, L"nan"));
  KORVEL_EXPECT_THROW_MESSAGE(CDecimal{-std::numeric_limits<double>::infinity()},
                              CKvInvalidValueException, InvalidChar(1, L"-inf"));
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

TEST(DecimalRescale, ChangeFractionalDividerRoundsHalfTowardZero) {
  // A fraction rounded up to a whole unit moves into the integer part, and a
  // zero fraction prints without places.
  const struct {
    const wchar_t* value;
    std::int32_t places;
    const wchar_t* expected;
  } cases[] = {
      {L"0.125", 2, L"0.12"},   {L"0.126", 2, L"0.13"}, {L"-0.125", 2, L"-0.12"},
      {L"-0.126", 2, L"-0.13"}, {L"0.995", 2, L"0.99"}, {L"0.996", 2, L"1"},
      {L"9.996", 2, L"10"},     {L"-9.996", 2, L"-10"}, {L"-0.996", 2, L"-1"},
      {L"1.5", 3, L"1.500"},    {L"-0.5", 0, L"0"},     {L"0.51", 0, L"1"},
      {L"-0.51", 0, L"-1"},     {L"7", 0, L"7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.value) + " to " + std::to_string(c.places));
    CDecimal value(c.value);
    value.ChangeFractionalDivider(c.places);
    EXPECT_EQ(value.ToString(), c.expected);
    EXPECT_EQ(value.GetFractionDivider(), c.places);
  }
  CDecimal value(L"1.5");
  KORVEL_EXPECT_THROW_MESSAGE(value.ChangeFractionalDivider(-1), CKvInvalidParamException,
                              L"The number of decimal places [-1] is out of range.");
  EXPECT_EQ(value.GetFractionDivider(), 1);
}

TEST(DecimalRescale, RationaliseKeepsOnePlace) {
  CDecimal value(L"1.5");
  value.ChangeFractionalDivider(6);
  value.Rationalise();
  EXPECT_EQ(value.GetFractionDivider(), 1);
  CDecimal whole(L"3");
  whole.ChangeFractionalDivider(4);
  EXPECT_EQ(whole.ToString(), L"3");  // a zero fraction prints no places
  whole.Rationalise();
  EXPECT_EQ(whole.GetFractionDivider(), 1);
}

TEST(DecimalRescale, NormalizeBringsBothToTheLargerDivider) {
  CDecimal a(L"1.5");
  CDecimal b(L"-0.125");
  EXPECT_EQ(CDecimal::Normalize(a, b), 3);
  EXPECT_EQ(a.GetFractionDivider(), 3);
  EXPECT_EQ(b.GetFractionDivider(), 3);
  EXPECT_EQ(a.ToString(), L"1.500");
  EXPECT_EQ(b.ToString(), L"-0.125");
}

TEST(DecimalText, ToStringWithPlacesRoundsHalfAwayFromZero) {
  const struct {
    const wchar_t* value;
    std::int32_t places;
    const wchar_t* expected;
  } cases[] = {
      {L"0.125", 2, L"0.13"},    {L"-0.125", 2, L"-0.13"},
      {L"0.124", 2, L"0.12"},    {L"1.5", 3, L"1.500"},
      {L"12", 2, L"12.00"},      {L"0.995", 2, L"1.00"},
      {L"-9.995", 2, L"-10.00"}, {L"123.456", 1, L"123.5"},
      {L"0.05", 1, L"0.1"},      {L"2.5", 0, L"3."},  // the point stays even without places
      {L"-2.4", 0, L"-2."},      {L"0", 2, L"0.00"},
      {L"-0.001", 2, L"-0.00"},  // the sign of the value, even when rounded away
      {L"-0", 1, L"0.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.value) + " to " + std::to_string(c.places));
    EXPECT_EQ(CDecimal(c.value).ToString(c.places), c.expected);
  }
  EXPECT_EQ(CDecimal(L"1.5").ToString(1023), L"1.5" + std::wstring(1022, L'0'));
  KORVEL_EXPECT_THROW_MESSAGE(CDecimal(1).ToString(1024), CKvInvalidParamException,
                              L"The number of decimal places [1024] is out of range.");
  KORVEL_EXPECT_THROW_MESSAGE(CDecimal(1).ToString(-1), CKvInvalidParamException,
                              L"The number of decimal places [-1] is out of range.");
}

TEST(DecimalConversion, ToIntegersRoundAsDocumented) {
  const struct {
    const wchar_t* value;
    std::int32_t asLong;
    std::int64_t asLongLong;
    const wchar_t* asBigInteger;
  } cases[] = {
      {L"2.5", 2, 2, L"2"},
      {L"2.51", 3, 2, L"3"},
      {L"2.96", 3, 3, L"3"},
      {L"2.6", 3, 2, L"3"},
      {L"-2.6", -3, -2, L"-3"},
      {L"-2.96", -3, -3, L"-3"},
      {L"2.95", 3, 2, L"3"},
      {L"-0.5", 0, 0, L"0"},
      {L"0", 0, 0, L"0"},
      {L"2147483647.4", 2147483647, 2147483647, L"2147483647"},
      {L"-2147483648.5", -2147483647 - 1, -2147483648LL, L"-2147483648"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.value));
    const CDecimal value(c.value);
    EXPECT_EQ(value.ToLong(), c.asLong);
    EXPECT_EQ(value.ToLongLong(), c.asLongLong);
    EXPECT_EQ(value.ToBigInteger().ToString(), c.asBigInteger);
  }
}

TEST(DecimalConversion, OverflowsRaiseTheirMessages) {
  constexpr wchar_t kLong[] = L"The Decimal value if to large to fit into a LONG";
  constexpr wchar_t kLongLong[] = L"The Decimal value if to large to fit into a LONGLONG";
  constexpr wchar_t kDouble[] = L"The Decimal value if to large to fit into a Double";
  KORVEL_EXPECT_THROW_MESSAGE(Dec(L"2147483648").ToLong(), CKvOverFlowException, kLong);
  KORVEL_EXPECT_THROW_MESSAGE(Dec(L"2147483647.6").ToLong(), CKvOverFlowException, kLong);
  KORVEL_EXPECT_THROW_MESSAGE(Dec(L"-2147483648.6").ToLong(), CKvOverFlowException, kLong);
  EXPECT_EQ(Dec(L"9223372036854775807.94").ToLongLong(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Dec(L"-9223372036854775808").ToLongLong(), std::numeric_limits<std::int64_t>::min());
  KORVEL_EXPECT_THROW_MESSAGE(Dec(L"9223372036854775807.96").ToLongLong(), CKvOverFlowException,
                              kLongLong);
  KORVEL_EXPECT_THROW_MESSAGE(Dec(L"-9223372036854775809").ToLongLong(), CKvOverFlowException,
                              kLongLong);
  KORVEL_EXPECT_THROW_MESSAGE(Dec(L"1e400").ToDouble(), CKvOverFlowException, kDouble);
  KORVEL_EXPECT_THROW_MESSAGE(Dec(L"-1.8e308").ToDouble(), CKvOverFlowException, kDouble);
  EXPECT_EQ(Dec(L"1.7e308").ToDouble(), 1.7e308);
  EXPECT_EQ(Dec(L"0.1").ToDouble(), 0.1);
  EXPECT_EQ(Dec(L"-2.5").ToDouble(), -2.5);
  EXPECT_EQ(Dec(L"-0.5").ToDouble(), -0.5);
  EXPECT_EQ(Dec(L"123456789.123456789").ToDouble(), 123456789.123456789);
}

TEST(DecimalArithmetic, DivisionKeepsTheLimitOfPlaces) {
  EXPECT_EQ((CDecimal(1) / CDecimal(3)).ToString(), L"0." + std::wstring(30, L'3'));
  EXPECT_EQ((CDecimal(2) / CDecimal(3)).ToString(), L"0." + std::wstring(29, L'6') + L"7");
  EXPECT_EQ((CDecimal(-2) / CDecimal(3)).ToString(), L"-0." + std::wstring(29, L'6') + L"7");
  EXPECT_EQ((Dec(L"10") / Dec(L"-4")).ToString(), L"-2.5");
  EXPECT_EQ((Dec(L"1.21") / Dec(L"1.1")).ToString(), L"1.1");
  EXPECT_EQ((Dec(L"0") / Dec(L"7")).ToString(), L"0");
  KORVEL_EXPECT_THROW_MESSAGE(Dec(L"1") / Dec(L"0.000"), CKvInvalidValueException,
                              L"ERROR: Overflow in operator/.");
  CDecimal value(L"1.5");
  KORVEL_EXPECT_THROW_MESSAGE(value /= CDecimal(), CKvInvalidValueException,
                              L"ERROR: Overflow in operator/.");
  EXPECT_EQ(value.ToString(), L"1.5");
}

TEST(DecimalArithmetic, ProductsAndQuotientsRoundAtTheLimit) {
  const MaxPlaces limit(2);
  EXPECT_EQ((Dec(L"0.25") * Dec(L"0.5")).ToString(), L"0.12");  // 0.125: the half stays
  EXPECT_EQ((Dec(L"0.35") * Dec(L"0.5")).ToString(), L"0.17");
  EXPECT_EQ((Dec(L"-0.35") * Dec(L"0.5")).ToString(), L"-0.17");
  EXPECT_EQ((Dec(L"0.27") * Dec(L"0.51")).ToString(), L"0.14");  // 0.1377
  EXPECT_EQ((Dec(L"1.25") * Dec(L"2")).ToString(), L"2.5");      // no trailing zero
  EXPECT_EQ((Dec(L"0.99") * Dec(L"0.99")).ToString(), L"0.98");  // 0.9801
  EXPECT_EQ((Dec(L"-0.99") * Dec(L"0.99")).ToString(), L"-0.98");
  EXPECT_EQ((Dec(L"0.999") * Dec(L"1")).ToString(), L"1");     // 0.999 parses as 1.00
  EXPECT_EQ((CDecimal(1) / CDecimal(8)).ToString(), L"0.12");  // 0.1250 -> tie stays
  EXPECT_EQ((CDecimal(5) / CDecimal(8)).ToString(), L"0.62");
  EXPECT_EQ((CDecimal(1) / CDecimal(6)).ToString(), L"0.17");
}

// Sums, differences, products and quotients at large are covered by the
// cross-checks below; these are the in-place forms.
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

TEST(DecimalCompare, ValuesCompareWhateverTheirDividers) {
  CDecimal wide(L"1.5");
  wide.ChangeFractionalDivider(5);
  EXPECT_EQ(wide, Dec(L"1.5"));
  EXPECT_EQ(Dec(L"-0"), CDecimal());
  const CDecimal ordered[] = {Dec(L"-10.01"), Dec(L"-10"),  Dec(L"-0.5"), Dec(L"-0.05"),
                              Dec(L"0"),      Dec(L"0.05"), Dec(L"0.5"),  Dec(L"0.51"),
                              Dec(L"1"),      Dec(L"1.05"), Dec(L"10")};
  for (std::size_t i = 0; i < std::size(ordered); ++i) {
    for (std::size_t j = 0; j < std::size(ordered); ++j) {
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
                              L"The number of decimal places [-1] is out of range.");
  EXPECT_EQ(CDecimal::GetMaxDecimalPlaces(), 30);
}

// Random values with up to 25 integer and 40 fraction digits (more than the
// limit, so parsing rounds too), every operation checked against exact
// rational arithmetic written independently in decimal_oracle.h. A pool of
// earlier values and their negations makes equal operands common.
void CrossCheck(std::int32_t maxPlaces, std::uint64_t seed, int rounds) {
  const MaxPlaces limit(maxPlaces);
  const auto places = static_cast<std::size_t>(maxPlaces);
  std::mt19937_64 random(seed);
  auto digits = [&random](std::size_t most) {
    std::string text(random() % (most + 1), '0');
    for (auto& c : text) c = static_cast<char>('0' + random() % 10);
    return text;
  };
  std::vector<std::pair<std::wstring, OracleDecimal>> pool;
  auto next = [&]() -> std::pair<std::wstring, OracleDecimal> {
    if (!pool.empty() && random() % 4 == 0) {
      auto picked = pool[random() % pool.size()];
      if (random() % 2) {
        auto& text = picked.first;
        text = text[0] == L'-' ? text.substr(1) : L"-" + text;
        picked.second.value = Korvel::testing::OracleInt() - picked.second.value;
      }
      return picked;
    }
    const bool negative = random() % 2;
    const std::string integer = digits(random() % 4 == 0 ? 25 : 3);
    const std::string fraction = digits(random() % 4 == 0 ? 40 : 4);
    std::string text = (negative ? "-" : "") + integer;
    if (!fraction.empty() || random() % 2) text += "." + fraction;
    OracleDecimal exact = OracleDecimal::FromParts(negative, integer, fraction);
    exact.Rationalise();
    exact.RoundTo(places, false);
    pool.emplace_back(Widen(text), exact);
    return pool.back();
  };
  for (int i = 0; i < rounds; ++i) {
    const auto [ta, oa] = next();
    const auto [tb, ob] = next();
    SCOPED_TRACE(Narrow(ta) + " and " + Narrow(tb));
    const CDecimal a(ta);
    const CDecimal b(tb);
    ASSERT_EQ(a.ToString(), Widen(oa.ToText()));
    EXPECT_EQ((a + b).ToString(), Widen(OracleAdd(oa, ob, false).ToText()));
    EXPECT_EQ((a - b).ToString(), Widen(OracleAdd(oa, ob, true).ToText()));
    EXPECT_EQ((a * b).ToString(), Widen(OracleMultiply(oa, ob, places).ToText()));
    if (!ob.value.IsZero()) {
      EXPECT_EQ((a / b).ToString(), Widen(OracleDivide(oa, ob, places).ToText()));
    }
    const int order = OracleCompare(oa, ob);
    EXPECT_EQ(a < b, order < 0);
    EXPECT_EQ(a == b, order == 0);
    EXPECT_EQ(a > b, order > 0);
  }
}

TEST(DecimalArithmetic, AgreesWithExactRationalsAtTheDefaultLimit) { CrossCheck(30, 7, 2000); }

TEST(DecimalArithmetic, AgreesWithExactRationalsAtASmallLimit) { CrossCheck(3, 11, 2000); }

// Random texts over the characters the parser treats specially: each either
// parses, and then prints a text that parses back to the same value, or
// raises the invalid-character message with a position inside the text.
TEST(DecimalParse, RandomTextsParseOrFailCleanly) {
  const std::wstring alphabet = L"0123456789000 \t\r\n+-..eEeE,x\u00e9";
  std::mt19937_64 random(99);
  int parsed = 0;
  for (int i = 0; i < 20000; ++i) {
    std::wstring text(random() % 24, L' ');
    for (auto& c : text) c = alphabet[random() % alphabet.size()];
    SCOPED_TRACE(Narrow(text));
    try {
      const CDecimal value(text);
      ++parsed;
      const CDecimal again(value.ToString());
      EXPECT_EQ(again, value);
      EXPECT_EQ(again.ToString(), value.ToString());
      const CBigInteger integer(text);  // what the decimal parser takes, so does this one
    } catch (const CKvInvalidValueException& e) {
      const std::wstring message = e.GetMessageW();
      ASSERT_EQ(message.rfind(kInvalidCharPrefix, 0), 0u) << Narrow(message);
      const std::size_t position = std::stoul(message.substr(std::wcslen(kInvalidCharPrefix)));
      EXPECT_LT(position, text.size());
      EXPECT_THROW(CBigInteger{text}, CKvInvalidValueException);
    }
  }
  EXPECT_GT(parsed, 1000);  // the alphabet is meant to produce both outcomes
}

}  // namespace
