// SPDX-License-Identifier: MIT
#include <korvel/conversions.h>

#include <gtest/gtest.h>

#include "test_support.h"

namespace Korvel {
namespace {

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
  EXPECT_EQ(testing::BytesOf(C::base64BinaryFromString(L" AQID\n")), "\x01\x02\x03");
  EXPECT_EQ(C::stringFromString(L" a\r\nb\t "), L" a\nb\t ");
  EXPECT_EQ(C::charFromString(L" "), L' ');
  // An explicit rule still wins.
  EXPECT_THROW(C::i4FromString(L"42 ", CWhitespaceUtils::ws_none), CKvInvalidValueException);
}

}  // namespace
}  // namespace Korvel
