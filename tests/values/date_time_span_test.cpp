// SPDX-License-Identifier: MIT
#include <korvel/date_time_span.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "test_support.h"
#include "values/date_time_test_support.h"

using namespace Korvel;
using Korvel::testing::Span;

namespace {

// Lexical forms, their printed forms and the parser's refusals are rows of
// tests/data/values/duration_text.txt.
TEST(DurationFields, FieldsSignsAndANullText) {
  const CDateTimeSpan span = Span(L"-P1Y2M3DT4H5M6.007008009S");
  EXPECT_EQ(std::make_tuple(span.GetYears(), span.GetMonths(), span.GetDays(), span.GetHours()),
            std::make_tuple(1, 2u, 3u, 4u));
  EXPECT_EQ(std::make_tuple(span.GetMinutes(), span.GetSeconds(), span.GetMilliSeconds(),
                            span.GetMicroSeconds(), span.GetNanoSeconds(), span.IsNegative()),
            std::make_tuple(5u, 6u, 7, 8, 9, true));
  KORVEL_EXPECT_THROW_MESSAGE(Span(nullptr), CKvInvalidValueException,
                              L"Invalid XSD Duration (Null String)");

  CDateTimeSpan day = Span(L"-P1D");
  EXPECT_EQ(day.GetAsNegative().ToString(), L"-P1D");
  day.Negate();
  EXPECT_EQ(day.ToString(), L"P1D");
  EXPECT_EQ(day.GetAsNegative().ToString(), L"-P1D");
  EXPECT_FALSE(day.IsNegative()) << "GetAsNegative changed its operand";
}

// Orders of durations are rows of tests/data/values/*.txt (span-compare); the
// many at large come from tools/date_time_vectors.py.

}  // namespace
