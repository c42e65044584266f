// SPDX-License-Identifier: MIT
// CPrimitiveRestrictions and the facet check over every value kind.
#include <korvel/primitive_restrictions.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <korvel/conversions.h>
#include <korvel/variant.h>

#include "test_support.h"
#include "values/restriction_check.h"

namespace Korvel {
namespace {

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

// The facets of a row, named as they are set.
struct Facets {
  std::wstring pattern, minInclusive, maxInclusive, minExclusive, maxExclusive;
  int32_t minLength = -1, maxLength = -1, length = -1, totalDigits = -1, fractionDigits = -1;

  Facets& Pattern(const wchar_t* text) { return pattern = text, *this; }
  Facets& MinInclusive(const wchar_t* text) { return minInclusive = text, *this; }
  Facets& MaxInclusive(const wchar_t* text) { return maxInclusive = text, *this; }
  Facets& MinExclusive(const wchar_t* text) { return minExclusive = text, *this; }
  Facets& MaxExclusive(const wchar_t* text) { return maxExclusive = text, *this; }
  Facets& MinLength(int32_t n) { return minLength = n, *this; }
  Facets& MaxLength(int32_t n) { return maxLength = n, *this; }
  Facets& Length(int32_t n) { return length = n, *this; }
  Facets& TotalDigits(int32_t n) { return totalDigits = n, *this; }
  Facets& FractionDigits(int32_t n) { return fractionDigits = n, *this; }

  CPrimitiveRestrictions Build() const {
    return CPrimitiveRestrictions(pattern.c_str(), minLength, maxLength, minInclusive.c_str(),
                                  maxInclusive.c_str(), minExclusive.c_str(), maxExclusive.c_str(),
                                  length, totalDigits, fractionDigits);
  }
};

KvVariant Parsed(ItemType kind, const wchar_t* text) {
  KvVariant value;
  value.FromString(text, kind, kCollapse);
  return value;
}

void Check(const KvVariant& value, const Facets& facets) {
  detail::CheckRestrictions(L"Prop", value, value.GetTypeAsEnum(), facets.Build());
}

// A row: the value (parsed from text as its kind), the facets, and the value
// as the violation shows it ("Invalid Value for Prop " + shown), or null when
// the value passes.
struct Row {
  ItemType kind;
  const wchar_t* value;
  Facets facets;
  const wchar_t* shown;
};

constexpr wchar_t kInvalid[] = L"Invalid Value for Prop ";

void CheckRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "kind " << row.kind << " value "
                                      << ::testing::PrintToString(std::wstring(row.value)));
    const KvVariant value = Parsed(row.kind, row.value);
    if (row.shown) {
      KORVEL_EXPECT_THROW_MESSAGE(Check(value, row.facets), CKvException,
                                  kInvalid + std::wstring(row.shown));
    } else {
      EXPECT_NO_THROW(Check(value, row.facets));
    }
  }
}

// The check reads the facets through the getters, so the rows below cover
// the full constructor; what remains is the unset state.
TEST(PrimitiveRestrictions, DefaultAndNullFacetsAreUnset) {
  const CPrimitiveRestrictions nulls(nullptr, -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1,
                                     -1);
  for (const CPrimitiveRestrictions& r : {CPrimitiveRestrictions(), nulls}) {
    EXPECT_EQ(r.GetPattern() + r.GetMinInclusive() + r.GetMaxInclusive() + r.GetMinExclusive() +
                  r.GetMaxExclusive(),
              L"");
    for (int32_t n : {r.GetMinLength(), r.GetMaxLength(), r.GetLength(), r.GetTotalDigits(),
                      r.GetFractionDigits()}) {
      EXPECT_EQ(n, -1);
    }
  }
}

TEST(RestrictionCheck, NoFacetAcceptsEveryKind) {
  const std::pair<ItemType, const wchar_t*> values[] = {
      {it_hexBinary, L"0A"},
      {it_base64Binary, L"AAE="},
      {it_i1, L"-128"},
      {it_i2, L"7"},
      {it_i4, L"-2147483648"},
      {it_i8, L"1"},
      {it_ui1, L"255"},
      {it_ui2, L"0"},
      {it_ui4, L"4294967295"},
      {it_ui8, L"1"},
      {it_r4, L"NaN"},
      {it_r8, L"-INF"},
      {it_duration, L"P1D"},
      {it_yearMonth, L"2004-05"},
      {it_monthDay, L"--05-01"},
      {it_year, L"2004"},
      {it_month, L"--05"},
      {it_day, L"---07"},
      {it_date, L"2004-05-01"},
      {it_time, L"10:00:00"},
      {it_string, L""},
      {it_boolean, L"true"},
      {it_decimal, L"-0.5"},
      {it_integer, L"123456789012345678901234567890"},
      {it_datetime, L"2004-05-01T10:00:00Z"},
  };
  for (const auto& [kind, text] : values) {
    SCOPED_TRACE(kind);
    EXPECT_NO_THROW(Check(Parsed(kind, text), Facets()));
  }
}

TEST(RestrictionCheck, Integers) {
  CheckRows({
      // The text form counts its minus sign.
      {it_i1, L"-5", Facets().TotalDigits(1), L"[-5]"},
      {it_i1, L"-5", Facets().TotalDigits(2), nullptr},
      {it_i4, L"12345", Facets().TotalDigits(0), L"[12345]"},
      {it_i4, L"9", Facets().MinInclusive(L"10"), L"[9]"},
      {it_i4, L"10", Facets().MinInclusive(L"10"), nullptr},
      {it_i4, L"11", Facets().MaxInclusive(L"10"), L"[11]"},
      {it_i4, L"10", Facets().MaxInclusive(L"10"), nullptr},
      {it_i4, L"10", Facets().MinExclusive(L"10"), L"[10]"},
      {it_i4, L"11", Facets().MinExclusive(L"10"), nullptr},
      {it_i4, L"10", Facets().MaxExclusive(L"10"), L"[10]"},
      {it_i4, L"9", Facets().MaxExclusive(L"10"), nullptr},
      // Bounds are read under the collapse rule.
      {it_i4, L"9", Facets().MinInclusive(L" \t10\n"), L"[9]"},
      {it_i2, L"-32768", Facets().MinInclusive(L"-32767"), L"[-32768]"},
      {it_ui1, L"255", Facets().MaxExclusive(L"255"), L"[255]"},
      {it_ui2, L"65535", Facets().TotalDigits(4), L"[65535]"},
      // Unsigned values are shown as the numbers they are.
      {it_ui4, L"4294967295", Facets().MaxInclusive(L"4000000000"), L"[4294967295]"},
      {it_ui4, L"3000000000", Facets().MinInclusive(L"2147483648"), nullptr},
      // The 64-bit kinds show their text, with a full stop.
      {it_i8, L"-9000000000", Facets().MinInclusive(L"-8000000000"), L"[-9000000000]."},
      {it_i8, L"-9000000000", Facets().TotalDigits(10), L"[-9000000000]."},
      {it_ui8, L"18446744073709551615", Facets().MaxExclusive(L"18446744073709551615"),
       L"[18446744073709551615]."},
      {it_ui8, L"1000", Facets().TotalDigits(4), nullptr},
  });
}

TEST(RestrictionCheck, BoundsAreParsedAsTheKindWhenTheCheckRuns) {
  const Facets bad = Facets().MinInclusive(L"abc");
  CPrimitiveRestrictions stored = bad.Build();  // accepted as it is
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(it_i4, L"5"), bad), CKvInvalidValueException,
                              L"The value [abc] can not be converted to a i4");
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(it_i1, L"5"), Facets().MaxInclusive(L"300")),
                              CKvInvalidValueException,
                              L"The value [300] is to large to fit in a i1");
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(it_ui2, L"5"), Facets().MaxInclusive(L"-1")),
                              CKvInvalidValueException,
                              L"The value [-1] is to large to fit in a ui2");
  // In order: a broken minInclusive is reported before a malformed bound after
  // it is even read, and a malformed bound before the digit facets.
  KORVEL_EXPECT_THROW_MESSAGE(
      Check(Parsed(it_i4, L"1"), Facets().MinInclusive(L"5").MaxExclusive(L"x")), CKvException,
      L"Invalid Value for Prop [1]");
  KORVEL_EXPECT_THROW_MESSAGE(
      Check(Parsed(it_i4, L"123"), Facets().MaxExclusive(L"x").TotalDigits(1)),
      CKvInvalidValueException, L"The value [x] can not be converted to a i4");
  // Strings have no bounds, however they are written.
  EXPECT_NO_THROW(Check(Parsed(it_string, L"b"), bad));
  EXPECT_NO_THROW(Check(Parsed(it_boolean, L"true"), Facets(bad).TotalDigits(0)));
}

TEST(RestrictionCheck, Reals) {
  CheckRows({
      {it_r8, L"1.5", Facets().MaxInclusive(L"1.25"), L"[1.500000]"},
      {it_r8, L"1.25", Facets().MaxInclusive(L"1.25"), nullptr},
      // Compared as floats: 0.1 read as r4 equals the r4 bound 0.1.
      {it_r4, L"0.1", Facets().MaxInclusive(L"0.1"), nullptr},
      {it_r4, L"0.1", Facets().MaxExclusive(L"0.1"), L"[0.100000]"},
      {it_r8, L"INF", Facets().MaxInclusive(L"INF"), nullptr},
      {it_r8, L"-INF", Facets().MinExclusive(L"-1e308"), L"[-inf]"},
      // Digit and length facets do not apply.
      {it_r8, L"123.456", Facets().TotalDigits(1).FractionDigits(0).Length(1), nullptr},
  });
  // A NaN breaks every bound that is set, and nothing else.
  for (ItemType kind : {it_r4, it_r8}) {
    const KvVariant nan = Parsed(kind, L"NaN");
    EXPECT_NO_THROW(Check(nan, Facets().TotalDigits(1)));
    for (const Facets& facets : {Facets().MinInclusive(L"-INF"), Facets().MaxInclusive(L"INF"),
                                 Facets().MinExclusive(L"-INF"), Facets().MaxExclusive(L"INF")}) {
      KORVEL_EXPECT_THROW_MESSAGE(Check(nan, facets), CKvException,
                                  L"Invalid Value for Prop [nan]");
    }
  }
}

TEST(RestrictionCheck, DatesAndDurations) {
  const wchar_t* const utc = L"2004-05-01T10:00:00Z";
  const wchar_t* const plus2 = L"2004-05-01T10:00:00+02:00";
  CheckRows({
      {it_datetime, utc, Facets().MinInclusive(L"2004-05-02T12:00:00"), L"[2004-05-01T10:00:00Z]."},
      // With a zone against a bound without one, within 14 hours: unordered,
      // which breaks no bound, on either side.
      {it_datetime, utc, Facets().MinInclusive(L"2004-05-01T12:00:00"), nullptr},
      {it_datetime, utc, Facets().MaxExclusive(L"2004-05-01T08:00:00"), nullptr},
      {it_datetime, plus2, Facets().MaxExclusive(L"2004-05-01T08:00:00Z"),
       L"[2004-05-01T10:00:00+02:00]."},
      {it_datetime, plus2, Facets().MaxInclusive(L"2004-05-01T08:00:00Z"), nullptr},
      {it_date, L"2004-05-01", Facets().MinExclusive(L"2004-05-01"), L"[2004-05-01]."},
      {it_date, L"2004-05-01", Facets().MinInclusive(L" 2004-05-01 "), nullptr},
      {it_time, L"10:00:00", Facets().MaxInclusive(L"09:59:59"), L"[10:00:00]."},
      {it_yearMonth, L"2004-05", Facets().MaxInclusive(L"2004-04"), L"[2004-05]."},
      {it_monthDay, L"--05-01", Facets().MinInclusive(L"--06-01"), L"[--05-01]."},
      {it_duration, L"P2M", Facets().MaxInclusive(L"P30D"), L"[P2M]."},
      // P1M lies between 28 and 31 days: not ordered against P30D.
      {it_duration, L"P1M", Facets().MaxInclusive(L"P30D"), nullptr},
      {it_duration, L"P1M", Facets().MinExclusive(L"P30D"), nullptr},
      {it_duration, L"PT1H", Facets().MinExclusive(L"PT60M"), L"[PT1H]."},
      {it_year, L"2004", Facets().MaxInclusive(L"2003"), L"[2004]"},
      // Any date text with the field will do as a bound.
      {it_year, L"2004", Facets().MaxInclusive(L"2004-05"), nullptr},
      {it_month, L"--05", Facets().MinExclusive(L"--05"), L"[5]"},
      {it_day, L"---07", Facets().MaxExclusive(L"---08"), nullptr},
      {it_day, L"---07", Facets().MaxExclusive(L"---07"), L"[7]"},
  });
}

TEST(RestrictionCheck, LengthsCountCharactersOrBytes) {
  CheckRows({
      {it_string, L"abc", Facets().MinLength(4), L"[abc]."},
      {it_string, L"abc", Facets().MinLength(3).MaxLength(3).Length(3), nullptr},
      {it_string, L"abcd", Facets().MaxLength(3), L"[abcd]."},
      {it_string, L"ab", Facets().Length(3), L"[ab]."},
      {it_string, L"", Facets().Length(0), nullptr},
      {it_string, L"\U0001F600\u00e9", Facets().Length(2), nullptr},
  });
  // Text that came through UTF-16 keeps pairs: still one character each.
  KvVariant paired;
  paired.SetString(std::wstring{L'\xD83D', L'\xDE00', L'x'});
  EXPECT_NO_THROW(Check(paired, Facets().Length(2)));
  KvVariant lone;
  lone.SetString(std::wstring{L'\xDE00', L'\xD83D'});
  EXPECT_NO_THROW(Check(lone, Facets().Length(2)));
  // Binary values count bytes.
  CheckRows({
      {it_hexBinary, L"0A0B", Facets().MinLength(3), L"[0A0B]."},
      {it_hexBinary, L"0a0b", Facets().Length(2).MaxLength(2), nullptr},
      {it_base64Binary, L"AAE=", Facets().MaxLength(1), L"[AAE=]."},
      {it_base64Binary, L"AAE=", Facets().Length(3), L"[AAE=]."},
  });
}

// Matching itself is the pattern tests' subject; these show it wired in,
// translated, after the lengths, with its messages wrapped.
TEST(RestrictionCheck, StringPatterns) {
  CheckRows({
      {it_string, L"123", Facets().Pattern(L"\\d{3}"), nullptr},
      {it_string, L"1234", Facets().Pattern(L"\\d{3}"), L"[1234]."},
      {it_string, L"_abc:1", Facets().Pattern(L"\\i\\c*"), nullptr},
      {it_string, L"abcd", Facets().MaxLength(3).Pattern(L"("), L"[abcd]."},
  });
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(it_string, L"x"), Facets().Pattern(L"(")), CKvException,
                              L"Invalid Regular Expression: ( Error: 'missing closing "
                              L"parenthesis at offset 1'\nInvalid Value for Prop [x].");
  // A pattern that is not Unicode text is refused, not mangled.
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(it_string, L"x"), Facets().Pattern(L"\xD800")),
                              CKvException,
                              L"Invalid Regular Expression: \u00ed\u00a0\u0080 Error: 'the "
                              L"pattern is not UTF-8'\nInvalid Value for Prop [x].");
  KvVariant lone;
  lone.SetString(std::wstring(1, L'\xDC00'));
  EXPECT_THROW(Check(lone, Facets().Pattern(L".*")), CKvException);
}

TEST(RestrictionCheck, DecimalsCountTheDigitsTheyHold) {
  CheckRows({
      {it_decimal, L"123.45", Facets().TotalDigits(5).FractionDigits(2), nullptr},
      {it_decimal, L"123.45", Facets().TotalDigits(4), L"[123.45]."},
      {it_decimal, L"123.45", Facets().FractionDigits(1), L"[123.45]."},
      // No digit for a zero integer part, none for a zero fraction.
      {it_decimal, L"-0.05", Facets().TotalDigits(2).FractionDigits(2), nullptr},
      {it_decimal, L"100", Facets().TotalDigits(3).FractionDigits(0), nullptr},
      {it_decimal, L"0", Facets().TotalDigits(0).FractionDigits(0), nullptr},
      // Parsing drops trailing fraction zeros.
      {it_decimal, L"12.340", Facets().FractionDigits(2), nullptr},
      {it_decimal, L"10.5", Facets().MaxExclusive(L"10.5"), L"[10.5]."},
      {it_decimal, L"10.5", Facets().MinInclusive(L" 1.05e1 "), nullptr},
      {it_decimal, L"-1", Facets().MinInclusive(L"-0.999"), L"[-1]."},
      {it_integer, L"-12345", Facets().TotalDigits(5), L"[-12345]."},
      {it_integer, L"-12345", Facets().TotalDigits(6), nullptr},
      {it_integer, L"-12345", Facets().MinInclusive(L"-100"), L"[-12345]."},
      {it_integer, L"99999999999999999999", Facets().MaxInclusive(L"99999999999999999998"),
       L"[99999999999999999999]."},
  });
  // Held with three places, as arithmetic can leave it.
  CDecimal held(L"12.34");
  held.ChangeFractionalDivider(3);
  KvVariant value;
  value.SetDecimal(held);
  KORVEL_EXPECT_THROW_MESSAGE(Check(value, Facets().FractionDigits(2)), CKvException,
                              L"Invalid Value for Prop [12.340].");
  EXPECT_NO_THROW(Check(value, Facets().FractionDigits(3).TotalDigits(5)));
}

TEST(RestrictionCheck, KindsWithoutValidator) {
  const CPrimitiveRestrictions none;
  KvVariant c;
  c.SetChar(L'x');
  KORVEL_EXPECT_THROW_MESSAGE(detail::CheckRestrictions(L"Prop", c, it_char, none),
                              CKvInvalidValueException, L"Unknown type [char].");
  KvVariant empty;
  for (int kind : {0, 27, 28, 99, -1}) {
    SCOPED_TRACE(kind);
    KORVEL_EXPECT_THROW_MESSAGE(
        detail::CheckRestrictions(L"Prop", empty, static_cast<ItemType>(kind), none), CKvException,
        FormatString(L"Invalid Type %d", kind));
  }
  // A nil value holds nothing to check.
  KvVariant nil;
  nil.SetI4(1);
  nil.SetNil();
  EXPECT_NO_THROW(Check(nil, Facets().MinInclusive(L"5")));
}

TEST(RestrictionCheck, RunsOnSeveralThreads) {
  const CPrimitiveRestrictions sku = Facets().Pattern(L"\\d{3}-[A-Z]{2}").Length(6).Build();
  const CPrimitiveRestrictions money =
      Facets().TotalDigits(6).FractionDigits(2).MinInclusive(L"0").Build();
  const KvVariant goodSku = Parsed(it_string, L"123-AB");
  const KvVariant badSku = Parsed(it_string, L"123-ab");
  const KvVariant goodMoney = Parsed(it_decimal, L"1234.56");
  const KvVariant badMoney = Parsed(it_decimal, L"-1.5");
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        detail::CheckRestrictions(L"sku", goodSku, it_string, sku);
        detail::CheckRestrictions(L"money", goodMoney, it_decimal, money);
        try {
          detail::CheckRestrictions(L"sku", i % 2 ? badSku : goodSku, it_string, sku);
          detail::CheckRestrictions(L"money", i % 2 ? goodMoney : badMoney, it_decimal, money);
        } catch (const CKvException&) {
          ++failures[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int count : failures) EXPECT_EQ(count, 500);
}

}  // namespace
}  // namespace Korvel
