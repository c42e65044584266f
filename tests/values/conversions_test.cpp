// SPDX-License-Identifier: MIT
// Reading every kind is in tests/data/values/conversions.txt; these are the
// writers that take a format and the whitespace rule each kind applies by default.
#include <korvel/conversions.h>

#include <gtest/gtest.h>

#include "test_support.h"

using namespace Korvel;

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

