// SPDX-License-Identifier: MIT
// Reading every kind is in tests/data/values/conversions.txt; these are the writers
// that take a format.
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
