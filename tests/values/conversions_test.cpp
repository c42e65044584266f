// SPDX-License-Identifier: MIT
// Reading every kind is in tests/data/values/conversions.txt; these are the
// writers that take a format, the whitespace rule each kind applies by default,
// and the whitespace rules themselves.
#include <korvel/conversions.h>
#include <korvel/whitespace_utils.h>

#include <string>

#include "test_support.h"
#include "values/whitespace_rules.h"

using namespace Korvel;
using Rule = CWhitespaceUtils::WhitespaceRule;

TEST(Conversions, DecimalToStringTakesItsPlacesFromTheFormat) {
  const CDecimal price(L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price), L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price, L""), L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price, L"2"), L"148.96");
  EXPECT_EQ(CConversions::decimalToString(price, L" +4 places"), L"148.9550");
  EXPECT_EQ(CConversions::decimalToString(price, L"places"), L"149.");
  EXPECT_THROW(CConversions::decimalToString(price, L"-1"), CKvInvalidParamException);
  EXPECT_THROW(CConversions::decimalToString(price, L"99999999999"), CKvInvalidParamException);
  EXPECT_EQ(CConversions::booleanToString(false), L"false");
  EXPECT_EQ(CConversions::charToString(L'\0'), L"");
}

// Without a rule each kind applies its own: collapse, but for the string kinds,
// which keep their spaces and only normalise line ends.
TEST(ConversionDefaults, EachKindAppliesItsOwnWhitespaceRule) {
  using C = CConversions;
  EXPECT_EQ(C::i4FromString(L"\t-42 \r\n"), -42);
  EXPECT_EQ(C::r8FromString(L"\n1.5e3 "), 1500.0);
  EXPECT_TRUE(C::booleanFromString(L"  true\n"));
  EXPECT_EQ(C::decimalFromString(L" 12.50\t").ToString(2), L"12.50");
  EXPECT_EQ(C::integerFromString(L"\n-12345678901234567890 ").ToString(), L"-12345678901234567890");
  EXPECT_EQ(C::datetimeFromString(L" 2004-05-07T10:20:30Z\n").ToString(), L"2004-05-07T10:20:30Z");
  EXPECT_EQ(C::durationFromString(L" P1D ").ToString(), L"P1D");
  EXPECT_EQ(Korvel::testing::BytesOf(C::base64BinaryFromString(L" AQID\n")), "\x01\x02\x03");
  EXPECT_EQ(C::stringFromString(L" a\r\nb\t "), L" a\nb\t ");
  EXPECT_EQ(C::charFromString(L" "), L' ');
  // An explicit rule still wins.
  EXPECT_THROW(C::i4FromString(L"42 ", CWhitespaceUtils::ws_none), CKvInvalidValueException);
}

TEST(WhitespaceUtils, IsWhiteSpaceIsExactlyTheFourXmlCharacters) {
  for (wchar_t c = 0; c < 0x3100; ++c) {
    bool expected = c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20;
    EXPECT_EQ(CWhitespaceUtils::IsWhiteSpace(c), expected) << static_cast<int>(c);
  }
  EXPECT_FALSE(CWhitespaceUtils::IsWhiteSpace(L'\xFEFF'));
}

// The rules on typical texts are rows of tests/data/values/conversions.txt.
TEST(WhitespaceUtils, UnknownRules) {
  for (int rule : {-1, 4, 1000}) {
    KORVEL_EXPECT_THROW_MESSAGE(CWhitespaceUtils::ApplyRule(static_cast<Rule>(rule), L"x"),
                                CKvException, L"Unknown WhitespaceRule");
  }
}

TEST(WhitespaceUtils, PreserveOverALengthStopsThere) {
  const wchar_t text[] = L"a\r\nb\rc";
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 2), L"a\n");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 6), L"a\nb\nc");
  // An embedded U+0000 is a character like any other within the length.
  const wchar_t withNul[] = L"a\0\rb";
  EXPECT_EQ(CWhitespaceUtils::Preserve(withNul, 4), std::wstring(L"a\0\nb", 4));
  EXPECT_EQ(CWhitespaceUtils::Preserve(nullptr, 5), L"");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 0), L"");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, -1), L"");
}
