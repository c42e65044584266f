// SPDX-License-Identifier: MIT
// CPrimitiveRestrictions and the facet check over every value kind.
#include <korvel/primitive_restrictions.h>

#include <string>

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

// The rows of facets.txt cover the kinds; these need values no text gives.
TEST(RestrictionCheck, ValuesBuiltInMemory) {
  // Text that came through UTF-16 keeps pairs: still one character each.
  KvVariant paired;
  paired.SetString(std::wstring{L'\xD83D', L'\xDE00', L'x'});
  EXPECT_NO_THROW(Check(paired, Facets().Length(2)));
  KvVariant lone;
  lone.SetString(std::wstring{L'\xDE00', L'\xD83D'});
  EXPECT_NO_THROW(Check(lone, Facets().Length(2)));
  EXPECT_THROW(Check(lone, Facets().Pattern(L".*")), CKvException);
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

}  // namespace
}  // namespace Korvel
