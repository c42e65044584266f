// SPDX-License-Identifier: MIT
#include <korvel/date_time.h>

#include <gtest/gtest.h>

#include <tuple>

#include "test_support.h"
#include "values/date_time_test_support.h"

using namespace Korvel;
using Korvel::testing::Span;
using Korvel::testing::Value;

namespace {

TEST(DateTimeAdd, SubtractingReversesTheSignEitherWay) {
  const CDateTime start = Value(L"2004-03-01T00:00:00");
  EXPECT_EQ((start - Span(L"P1D")).ToString(), L"2004-02-29T00:00:00");
  // Taking away a negative duration moves the value forward.
  EXPECT_EQ((start - Span(L"-P1D")).ToString(), L"2004-03-02T00:00:00");
  CDateTime inPlace = start;
  inPlace -= Span(L"-PT1H");
  EXPECT_EQ(inPlace.ToString(), L"2004-03-01T01:00:00");
  inPlace -= Span(L"PT2H");
  EXPECT_EQ(inPlace.ToString(), L"2004-02-29T23:00:00");
}

TEST(DateTimeAdd, HugeDurationsFinishAtOnce) {
  CDateTimeSpan huge(65535, 4294967295u, 4294967295u, 4294967295u, UINT64_MAX, UINT64_MAX, 999, 999,
                     999);
  // Whole 400-year cycles are stepped over at once; a day at a time would not finish.
  for (int i = 0; i < 2; ++i) {
    CDateTime value = Value(L"2004-01-31T10:00:00Z");
    value += huge;
    value -= huge;
    (void)value.ToString();
    huge.Negate();
  }
  // Exactness of the carries through the widest fields: 2^64 - 1 seconds is
  // 213503982334601 days, 7 hours, 0 minutes and 15 seconds, and whole
  // 400-year cycles change only the year.
  const CDateTime start = Value(L"2000-01-01T00:00:00");
  const CDateTime end = start + CDateTimeSpan(0, 0, UINT64_MAX);
  const CDateTime expected = start + CDateTimeSpan(0, 0, 213503982334601u % 146097u, 7, 0, 15);
  EXPECT_EQ(std::make_tuple(end.GetMonth(), end.GetDay(), end.GetHour(), end.GetMinute(),
                            end.GetSecond()),
            std::make_tuple(expected.GetMonth(), expected.GetDay(), 7, 0, 15));
}

// Sums, orders and differences at large are rows of
// tests/data/values/date_time_random.txt, from tools/date_time_vectors.py.

}  // namespace
