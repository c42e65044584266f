// SPDX-License-Identifier: MIT
#include <korvel/conversions.h>

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace Korvel {
namespace {

// Without a rule each kind applies its own: collapse around every value but
// the string kinds, which keep their spaces (and only normalise line ends).
TEST(ConversionDefaults, EachKindAppliesItsOwnWhitespaceRule) {
  EXPECT_EQ(CConversions::i4FromString(L"\t-42 \r\n"), -42);
  EXPECT_EQ(CConversions::ui8FromString(L" 18446744073709551615\n"), 18446744073709551615u);
  EXPECT_EQ(CConversions::r8FromString(L"\n1.5e3 "), 1500.0);
  EXPECT_TRUE(CConversions::booleanFromString(L"  true\n"));
  EXPECT_EQ(CConversions::decimalFromString(L" 12.50\t").ToString(2), L"12.50");
  EXPECT_EQ(CConversions::integerFromString(L"\n-123456789012345678901234567890 ").ToString(),
            L"-123456789012345678901234567890");
  EXPECT_EQ(CConversions::datetimeFromString(L" 2004-05-07T10:20:30Z\n"),
            CConversions::datetimeFromString(L"2004-05-07T10:20:30Z", CWhitespaceUtils::ws_none));
  EXPECT_EQ(CConversions::durationFromString(L" P1D ").ToString(), L"P1D");
  EXPECT_EQ(testing::BytesOf(CConversions::base64BinaryFromString(L" AQID\n")), "\x01\x02\x03");
  EXPECT_EQ(testing::BytesOf(CConversions::hexBinaryFromString(L"\t0aFF ")), "\x0a\xff");

  EXPECT_EQ(CConversions::stringFromString(L" a\r\nb\t "), L" a\nb\t ");
  EXPECT_EQ(CConversions::charFromString(L" "), L' ');
  // An explicit rule still wins.
  EXPECT_THROW(CConversions::i4FromString(L"42 ", CWhitespaceUtils::ws_none),
               CKvInvalidValueException);
  EXPECT_EQ(CConversions::stringFromString(L" a  b ", CWhitespaceUtils::ws_collapse), L"a b");
}

}  // namespace
}  // namespace Korvel
