// SPDX-License-Identifier: MIT
#include <korvel/date_time.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "test_support.h"
#include "values/date_time_test_support.h"

using namespace Korvel;
using Korvel::testing::DateTimeAt;
using Korvel::testing::FieldsAt;
using Korvel::testing::FieldsOf;
using Korvel::testing::Moment;
using Korvel::testing::Span;
using Korvel::testing::TimegmSeconds;
using Korvel::testing::Value;

namespace {

using DT = CDateTime;

// ---------------------------------------------------------------------------
// Adding durations

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

TEST(DateTimeAdd, AgreesWithTimegmOnRandomValues) {
  std::mt19937 rng(1903);
  const auto uniform = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  for (int i = 0; i < 5000; ++i) {
    const int year = uniform(-3000, 3000);
    if (year == 0) continue;
    const int month = uniform(1, 12);
    // timegm cannot follow the XSD method past a month's end, so the day
    // stays at 28 or less when months move.
    const bool monthsMove = uniform(0, 1) == 1;
    const int day = uniform(1, monthsMove || month == 2 ? 28 : 30);
    const int hour = uniform(0, 23), minute = uniform(0, 59), second = uniform(0, 59);
    const int milli = uniform(0, 999), micro = uniform(0, 999), nano = uniform(0, 999);
    const int years = monthsMove ? uniform(0, 30) : 0;
    const int months = monthsMove ? uniform(0, 40) : 0;
    const int days = uniform(0, 2000), hours = uniform(0, 100), minutes = uniform(0, 10000);
    const int seconds = uniform(0, 100000);
    const int dMilli = uniform(0, 999), dMicro = uniform(0, 999), dNano = uniform(0, 999);
    const CDateTime start(year, month, day, hour, minute, second, milli, micro, nano);
    CDateTimeSpan span(years, months, days, hours, minutes, seconds, dMilli, dMicro, dNano);
    if (uniform(0, 1) == 1) span.Negate();
    const CDateTime sum = start + span;
    SCOPED_TRACE(start.ToString() + L" + " + span.ToString() + L" = " + sum.ToString());
    ASSERT_EQ(FieldsOf(sum), std::apply(FieldsAt, Korvel::testing::AddByTimegm(start, span)));
    // Without months the method is exact, so it can be undone.
    if (!monthsMove) {
      ASSERT_EQ((sum - span).ToString(), start.ToString());
    }
  }
}

// ---------------------------------------------------------------------------
// Order

int64_t OffsetSeconds(int hour, int minute) {
  return (hour * 60 + (hour < 0 ? -minute : minute)) * 60;
}

struct Sample {
  CDateTime value;
  int64_t local;  // the fields read as UTC
  int64_t nanos;
  bool zoned;
  int64_t offset;  // seconds east of UTC
  Moment At(int64_t shift) const { return {local - offset + shift, nanos}; }
};

// zone: 0 none, 1 "Z", 2 the offset zoneHour:zoneMinute.
Sample MakeSample(int64_t local, int64_t nanos, int zone, int zoneHour, int zoneMinute) {
  Sample s{DateTimeAt(local, nanos), local, nanos, zone != 0, 0};
  if (zone == 1) s.value.SetUTC();
  if (zone == 2) {
    s.value.SetTimeZone(zoneHour, zoneMinute);
    s.offset = OffsetSeconds(zoneHour, zoneMinute);
  }
  return s;
}

// The XSD order computed on instants: zoned values at their UTC instant, an
// unzoned one anywhere between its fields at +14:00 and at -14:00.
DT::DTCompareResult ExpectedOrder(const Sample& a, const Sample& b) {
  if (a.zoned == b.zoned) {
    return a.At(0) < b.At(0)   ? DT::dtcr_less
           : b.At(0) < a.At(0) ? DT::dtcr_greater
                               : DT::dtcr_equal;
  }
  const int64_t rangeA = a.zoned ? 0 : 14 * 3600, rangeB = b.zoned ? 0 : 14 * 3600;
  if (a.At(rangeA) < b.At(-rangeB)) return DT::dtcr_less;
  if (b.At(rangeB) < a.At(-rangeA)) return DT::dtcr_greater;
  return DT::dtcr_indeterminate;
}

TEST(DateTimeCompare, AgreesWithInstantsOnRandomValues) {
  std::mt19937 rng(2004);
  const auto uniform = [&](int64_t lo, int64_t hi) {
    return std::uniform_int_distribution<int64_t>(lo, hi)(rng);
  };
  // Pairs close together, around the 14-hour margin of unzoned values, so
  // that equal and unordered pairs are common.
  constexpr int64_t h = 3600;
  const int64_t deltas[] = {0,       0,          0,           1,       -1,
                            h,       -h,         13 * h,      -13 * h, 14 * h,
                            -14 * h, 14 * h + 1, -14 * h - 1, 72 * h,  -960 * h};
  int counts[4] = {0, 0, 0, 0};
  for (int i = 0; i < 6000; ++i) {
    int zone[2], hour[2], minute[2];
    for (int s = 0; s < 2; ++s) {
      hour[s] = static_cast<int>(uniform(-14, 14));
      minute[s] = hour[s] == 0 ? 0 : static_cast<int>(uniform(0, 3)) * 15;  // no sign for 00:30
      zone[s] = static_cast<int>(uniform(0, 2));
    }
    const int64_t localA = uniform(TimegmSeconds(-9998, 1, 1), TimegmSeconds(9998, 12, 31));
    const Sample a = MakeSample(localA, uniform(0, 1) * 500000000, zone[0], hour[0], minute[0]);
    const int64_t offsetB = zone[1] == 2 ? OffsetSeconds(hour[1], minute[1]) : 0;
    const int64_t delta = deltas[uniform(0, std::size(deltas) - 1)];
    // Same zone state: B near A's instant; otherwise B's fields near A's.
    const int64_t localB =
        a.zoned == (zone[1] != 0) ? localA - a.offset + offsetB + delta : localA + delta;
    const Sample b = MakeSample(localB, uniform(0, 1) * 500000000, zone[1], hour[1], minute[1]);
    // Year 0 cannot be held.
    if (a.value.GetType() == DT::dt_invalid || b.value.GetType() == DT::dt_invalid) continue;
    const DT::DTCompareResult expected = ExpectedOrder(a, b);
    ++counts[expected];
    ASSERT_EQ(a.value.CompareTo(b.value), expected)
        << ::testing::PrintToString(a.value.ToString()) << " vs "
        << ::testing::PrintToString(b.value.ToString());
  }
  for (int result = 0; result < 4; ++result) EXPECT_GT(counts[result], 200) << result;
  EXPECT_EQ(CDateTime().CompareTo(CDateTime()), DT::dtcr_equal);
}

// ---------------------------------------------------------------------------
// Difference of two values

TEST(DateTimeDifference, AddingTheDifferenceGivesTheValueBack) {
  std::mt19937 rng(1696);
  const auto uniform = [&](int64_t lo, int64_t hi) {
    return std::uniform_int_distribution<int64_t>(lo, hi)(rng);
  };
  for (int i = 0; i < 3000; ++i) {
    const int64_t localA = uniform(TimegmSeconds(1, 1, 1), TimegmSeconds(9999, 12, 31));
    const int64_t localB = uniform(TimegmSeconds(1, 1, 1), TimegmSeconds(9999, 12, 31));
    const int64_t nanosA = uniform(0, 999999999);
    const int64_t nanosB = uniform(0, 999999999);
    const int zoneHour = static_cast<int>(uniform(-14, 14));
    // b + d keeps b's zone state, so both have a zone or neither (else the
    // pair could be unordered).
    const bool zoned = uniform(0, 4) != 0;
    const Sample a = MakeSample(localA, nanosA, zoned ? 2 : 0, zoneHour, zoneHour == 0 ? 0 : 30);
    const Sample b =
        MakeSample(localB, nanosB, zoned ? static_cast<int>(uniform(1, 2)) : 0, -zoneHour / 2, 0);
    const CDateTimeSpan d = a.value - b.value;
    SCOPED_TRACE(a.value.ToString() + L" - " + b.value.ToString() + L" = " + d.ToString());
    EXPECT_EQ(b.value + d, a.value);
    // The span's length against the instants' distance, in seconds and
    // nanoseconds (nanoseconds alone would overflow over ten millennia).
    const auto [seconds, nanos] = Korvel::testing::ExactLength(d);
    const int sign = d.IsNegative() ? -1 : 1;
    const int64_t distance = (a.local - a.offset) - (b.local - b.offset);
    EXPECT_EQ((sign * seconds - distance) * 1000000000 + sign * nanos - (a.nanos - b.nanos), 0);
    EXPECT_TRUE(d.GetHours() < 24 && d.GetMinutes() < 60 && d.GetSeconds() < 60);
  }
}

}  // namespace
