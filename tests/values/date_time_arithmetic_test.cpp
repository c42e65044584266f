// SPDX-License-Identifier: MIT
#include <korvel/date_time.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <tuple>

#include "test_support.h"
#include "values/date_time_test_support.h"

using namespace Korvel;
using Korvel::testing::GmtimeFields;
using Korvel::testing::TimegmSeconds;

namespace {

using DT = CDateTime;

CDateTime Parse(const wchar_t* text) {
  CDateTime value;
  value.ParseXSDDateTime(text);
  return value;
}

CDateTime ParseDate(const wchar_t* text) {
  CDateTime value;
  value.ParseXSDDate(text);
  return value;
}

CDateTime ParseTime(const wchar_t* text) {
  CDateTime value;
  value.ParseXSDTime(text);
  return value;
}

CDateTimeSpan Span(const wchar_t* text) {
  CDateTimeSpan span;
  span.ParseXSDDuration(text);
  return span;
}

// ---------------------------------------------------------------------------
// Adding durations

TEST(DateTimeAdd, XsdMethodCases) {
  struct Row {
    CDateTime (*parse)(const wchar_t*);
    const wchar_t* start;
    const wchar_t* duration;
    const wchar_t* sum;
  };
  const Row rows[] = {
      // The day is not clamped after the months move.
      {ParseDate, L"2004-01-31", L"P1M", L"2004-02-31"},
      {ParseDate, L"2004-03-01", L"-P1D", L"2004-02-29"},
      {Parse, L"2000-01-12T12:13:14Z", L"P1Y3M5DT7H10M3.3S", L"2001-04-17T19:23:17.3Z"},
      {ParseDate, L"2000-01", L"-P3M", L"1999-10"},
      {ParseDate, L"2000-01-12", L"PT33H", L"2000-01-13"},
      {Parse, L"2004-12-31T23:59:59.999999999", L"PT0.000000001S", L"2005-01-01T00:00:00"},
      {Parse, L"2004-02-29T00:00:00", L"P1Y", L"2005-02-29T00:00:00"},
      {Parse, L"2004-02-29T00:00:00", L"PT8760H", L"2005-02-28T00:00:00"},
      {Parse, L"2004-01-01T00:00:00", L"P146097D", L"2404-01-01T00:00:00"},
      {Parse, L"2004-01-01T00:00:00", L"-P146098D", L"1603-12-31T00:00:00"},
      {Parse, L"0001-01-01T00:00:00", L"-P1D", L"0000-12-31T00:00:00"},
      {Parse, L"2004-01-01T10:00:00+05:00", L"P1D", L"2004-01-02T10:00:00+05:00"},
      {ParseTime, L"23:30:00", L"PT1H", L"00:30:00"},
      {ParseTime, L"00:30:00", L"-P1DT1H", L"23:30:00"},
      {ParseDate, L"2004", L"P1Y", L"2005"},
      {ParseDate, L"2004", L"-P1Y", L"2003"},
      {ParseDate, L"2004", L"PT23H", L"2004"},
      {ParseDate, L"---15", L"P20D", L"---04"},
      {ParseDate, L"--03-31", L"P1M", L"--04-31"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::wstring(row.start) + L" + " + row.duration);
    const CDateTime start = row.parse(row.start);
    const CDateTimeSpan span = Span(row.duration);
    EXPECT_EQ((start + span).ToString(), row.sum);
    CDateTime inPlace = start;
    inPlace += span;
    EXPECT_EQ(inPlace.ToString(), row.sum);
    EXPECT_EQ(start.ToString(), row.parse(row.start).ToString()) << "operator+ changed its operand";
  }
}

TEST(DateTimeAdd, SubtractingReversesTheSignEitherWay) {
  const CDateTime start = Parse(L"2004-03-01T00:00:00");
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
  const auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < 2; ++i) {
    CDateTime value = Parse(L"2004-01-31T10:00:00Z");
    value += huge;
    value -= huge;
    (void)value.ToString();
    huge.Negate();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  // Exactness of the carries through the widest fields: 2^64 - 1 seconds is
  // 213503982334601 days, 7 hours, 0 minutes and 15 seconds.
  const CDateTime start = Parse(L"2000-01-01T00:00:00");
  const CDateTime end = start + CDateTimeSpan(0, 0, UINT64_MAX);
  const CDateTime expected =
      start + CDateTimeSpan(7, 0, 15) + CDateTimeSpan(0, 0, 213503982334601u % 146097u, 0, 0, 0);
  EXPECT_EQ(end.GetHour(), 7);
  EXPECT_EQ(end.GetMinute(), 0);
  EXPECT_EQ(end.GetSecond(), 15);
  // Whole 400-year cycles change only the year.
  EXPECT_EQ(end.GetMonth(), expected.GetMonth());
  EXPECT_EQ(end.GetDay(), expected.GetDay());
}

// Adds a duration to a UTC dateTime through timegm: months first, then the
// exact seconds. Only valid while the day after moving the months exists, so
// callers keep it at 28 or less when months move.
std::tuple<int64_t, int64_t> AddByTimegm(int year, int month, int day, int hour, int minute,
                                         int second, int64_t nanos, int sign, int years, int months,
                                         int64_t days, int64_t hours, int64_t minutes,
                                         int64_t seconds, int64_t fraction) {
  const int64_t monthShift = sign * (int64_t{years} * 12 + months);
  int64_t t = TimegmSeconds(year, static_cast<int>(month + monthShift), day, hour, minute, second);
  int64_t n = nanos + sign * fraction;
  t += sign * (days * 86400 + hours * 3600 + minutes * 60 + seconds);
  t += n / 1000000000;
  n %= 1000000000;
  if (n < 0) {
    n += 1000000000;
    --t;
  }
  return {t, n};
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
    const bool monthsMove = uniform(0, 1) == 1;
    const int maxDay = monthsMove ? 28 : (month == 2 ? 28 : 30);
    const int day = uniform(1, maxDay);
    const int hour = uniform(0, 23), minute = uniform(0, 59), second = uniform(0, 59);
    const int milli = uniform(0, 999), micro = uniform(0, 999), nano = uniform(0, 999);
    const int years = monthsMove ? uniform(0, 30) : 0;
    const int months = monthsMove ? uniform(0, 40) : 0;
    const int days = uniform(0, 2000), hours = uniform(0, 100), minutes = uniform(0, 10000);
    const int seconds = uniform(0, 100000);
    const int dMilli = uniform(0, 999), dMicro = uniform(0, 999), dNano = uniform(0, 999);
    const bool negative = uniform(0, 1) == 1;

    CDateTime start;
    start.SetDateTime(
        static_cast<int16_t>(year), static_cast<uint8_t>(month), static_cast<uint8_t>(day),
        static_cast<uint8_t>(hour), static_cast<uint8_t>(minute), static_cast<uint8_t>(second),
        static_cast<uint16_t>(milli), static_cast<uint16_t>(micro), static_cast<uint16_t>(nano));
    CDateTimeSpan span(static_cast<uint16_t>(years), static_cast<uint32_t>(months),
                       static_cast<uint32_t>(days), static_cast<uint32_t>(hours),
                       static_cast<uint64_t>(minutes), static_cast<uint64_t>(seconds),
                       static_cast<uint16_t>(dMilli), static_cast<uint16_t>(dMicro),
                       static_cast<uint16_t>(dNano));
    if (negative) span.Negate();
    const CDateTime sum = start + span;

    const auto [t, n] =
        AddByTimegm(year, month, day, hour, minute, second,
                    milli * 1000000LL + micro * 1000LL + nano, negative ? -1 : 1, years, months,
                    days, hours, minutes, seconds, dMilli * 1000000LL + dMicro * 1000LL + dNano);
    const std::tm expected = GmtimeFields(t);
    SCOPED_TRACE(start.ToString() + L" + " + span.ToString() + L" = " + sum.ToString());
    ASSERT_EQ(sum.GetYear(), expected.tm_year + 1900);
    ASSERT_EQ(sum.GetMonth(), expected.tm_mon + 1);
    ASSERT_EQ(sum.GetDay(), expected.tm_mday);
    ASSERT_EQ(sum.GetHour(), expected.tm_hour);
    ASSERT_EQ(sum.GetMinute(), expected.tm_min);
    ASSERT_EQ(sum.GetSecond(), expected.tm_sec);
    ASSERT_EQ(
        sum.GetMilliSecond() * 1000000LL + sum.GetMicroSecond() * 1000LL + sum.GetNanoSecond(), n);
    if (!monthsMove) {
      // Without months the method is exact, so it can be undone.
      ASSERT_EQ((sum - span).ToString(), start.ToString());
    }
  }
}

// ---------------------------------------------------------------------------
// Order

TEST(DateTimeCompare, PartialOrderCases) {
  struct Row {
    CDateTime (*parse)(const wchar_t*);
    const wchar_t* a;
    const wchar_t* b;
    DT::DTCompareResult expected;
  };
  const Row rows[] = {
      {Parse, L"2004-01-01T10:00:00Z", L"2004-01-01T12:00:00", DT::dtcr_indeterminate},
      {Parse, L"2004-01-01T10:00:00Z", L"2004-01-02T12:00:00", DT::dtcr_less},
      {Parse, L"2004-01-01T12:00:00", L"2004-01-01T10:00:00Z", DT::dtcr_indeterminate},
      // 14 hours exactly is not enough: the unzoned side may be at +14:00.
      {Parse, L"2004-01-01T00:00:00Z", L"2004-01-01T14:00:00", DT::dtcr_indeterminate},
      {Parse, L"2004-01-01T00:00:00Z", L"2004-01-01T14:00:00.000000001", DT::dtcr_less},
      {Parse, L"2004-01-01T12:00:00+02:00", L"2004-01-01T10:00:00Z", DT::dtcr_equal},
      {Parse, L"2004-01-01T00:00:00+00:00", L"2004-01-01T00:00:00Z", DT::dtcr_equal},
      {Parse, L"2004-01-01T00:00:00-05:00", L"2004-01-01T04:59:59.999Z", DT::dtcr_greater},
      {Parse, L"-0001-12-31T23:59:59", L"0001-01-01T00:00:00", DT::dtcr_less},
      {ParseDate, L"2004-01-01+05:00", L"2003-12-31Z", DT::dtcr_equal},
      {ParseDate, L"2004", L"2004Z", DT::dtcr_indeterminate},
      {ParseDate, L"2004+05:00", L"2004Z", DT::dtcr_equal},
      {ParseDate, L"2004", L"2005Z", DT::dtcr_less},
      {ParseDate, L"--05-01", L"--04-30", DT::dtcr_greater},
      {ParseTime, L"10:00:00+01:00", L"09:00:00Z", DT::dtcr_equal},
      {ParseTime, L"23:00:00-02:00", L"00:30:00Z", DT::dtcr_greater},
      {ParseTime, L"10:00:00", L"10:00:00.000000001", DT::dtcr_less},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::wstring(row.a) + L" vs " + row.b);
    EXPECT_EQ(row.parse(row.a).CompareTo(row.parse(row.b)), row.expected);
  }
}

TEST(DateTimeCompare, KindsWithDifferentFieldsAreUnordered) {
  // The first field only one side has makes the pair indeterminate, unless an
  // earlier shared field already differs.
  EXPECT_EQ(ParseDate(L"2004-05").CompareTo(ParseDate(L"2004-05-01")), DT::dtcr_indeterminate);
  EXPECT_EQ(ParseDate(L"2004-05").CompareTo(ParseDate(L"2004-06-01")), DT::dtcr_less);
  EXPECT_EQ(ParseDate(L"2004").CompareTo(ParseTime(L"10:00:00")), DT::dtcr_indeterminate);
  EXPECT_EQ(Parse(L"2004-05-01T00:00:00").CompareTo(ParseDate(L"2004-05-01")),
            DT::dtcr_indeterminate);
  EXPECT_EQ(CDateTime().CompareTo(CDateTime()), DT::dtcr_equal);
}

TEST(DateTimeCompare, OperatorsFollowTheResult) {
  const CDateTime earlier = Parse(L"2004-01-01T00:00:00Z");
  const CDateTime later = Parse(L"2004-01-02T00:00:00Z");
  const CDateTime unzoned = Parse(L"2004-01-01T05:00:00");
  const CDateTime same = Parse(L"2004-01-01T01:00:00+01:00");
  struct Row {
    const char* name;
    const CDateTime& a;
    const CDateTime& b;
    bool eq, ne, lt, le, gt, ge;
  };
  const Row rows[] = {
      {"less", earlier, later, false, true, true, true, false, false},
      {"greater", later, earlier, false, true, false, false, true, true},
      {"equal", earlier, same, true, false, false, true, false, true},
      {"indeterminate", earlier, unzoned, false, true, false, false, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.a == row.b, row.eq);
    EXPECT_EQ(row.a != row.b, row.ne);
    EXPECT_EQ(row.a < row.b, row.lt);
    EXPECT_EQ(row.a <= row.b, row.le);
    EXPECT_EQ(row.a > row.b, row.gt);
    EXPECT_EQ(row.a >= row.b, row.ge);
  }
}

struct Sample {
  CDateTime value;
  int64_t local;  // the fields read as UTC, by timegm
  int64_t nanos;
  int zone;        // 0 none, 1 "Z", 2 offset
  int64_t offset;  // seconds east of UTC
};

Sample MakeSample(int64_t local, int64_t nanos, int zone, int zoneHour, int zoneMinute) {
  const std::tm f = GmtimeFields(local);
  Sample s{CDateTime(), local, nanos, zone, 0};
  s.value.SetDateTime(static_cast<int16_t>(f.tm_year + 1900), static_cast<uint8_t>(f.tm_mon + 1),
                      static_cast<uint8_t>(f.tm_mday), static_cast<uint8_t>(f.tm_hour),
                      static_cast<uint8_t>(f.tm_min), static_cast<uint8_t>(f.tm_sec),
                      static_cast<uint16_t>(nanos / 1000000),
                      static_cast<uint16_t>(nanos / 1000 % 1000),
                      static_cast<uint16_t>(nanos % 1000));
  if (zone == 1) s.value.SetUTC();
  if (zone == 2) {
    s.value.SetTimeZone(static_cast<int16_t>(zoneHour), static_cast<uint8_t>(zoneMinute));
    s.offset = (zoneHour * 60 + (zoneHour < 0 ? -zoneMinute : zoneMinute)) * 60;
  }
  return s;
}

// The XSD order computed on instants: zoned values at their UTC instant, an
// unzoned one anywhere between its fields at +14:00 and at -14:00.
DT::DTCompareResult ExpectedOrder(const Sample& a, const Sample& b) {
  using Moment = std::tuple<int64_t, int64_t>;
  const auto order = [](const Moment& x, const Moment& y) {
    return x < y ? DT::dtcr_less : y < x ? DT::dtcr_greater : DT::dtcr_equal;
  };
  const auto instant = [](const Sample& s, int64_t shift) {
    return Moment{s.local - s.offset + shift, s.nanos};
  };
  constexpr int64_t k14 = 14 * 3600;
  const bool zonedA = a.zone != 0;
  const bool zonedB = b.zone != 0;
  if (zonedA == zonedB) return order(instant(a, 0), instant(b, 0));
  if (zonedA) {
    if (order(instant(a, 0), instant(b, -k14)) == DT::dtcr_less) return DT::dtcr_less;
    if (order(instant(a, 0), instant(b, k14)) == DT::dtcr_greater) return DT::dtcr_greater;
  } else {
    if (order(instant(a, -k14), instant(b, 0)) == DT::dtcr_greater) return DT::dtcr_greater;
    if (order(instant(a, k14), instant(b, 0)) == DT::dtcr_less) return DT::dtcr_less;
  }
  return DT::dtcr_indeterminate;
}

bool Representable(int64_t local) { return GmtimeFields(local).tm_year != -1900; }

TEST(DateTimeCompare, AgreesWithInstantsOnRandomValues) {
  std::mt19937 rng(2004);
  const auto uniform = [&](int64_t lo, int64_t hi) {
    return std::uniform_int_distribution<int64_t>(lo, hi)(rng);
  };
  const auto randomZone = [&](int& hour, int& minute) {
    hour = static_cast<int>(uniform(-14, 14));
    minute = hour == 0 ? 0 : static_cast<int>(uniform(0, 3)) * 15;  // no sign for "00:30"
    return static_cast<int>(uniform(0, 2));
  };
  // Pairs close together, around the 14-hour margin of unzoned values, so
  // that equal and unordered pairs are common.
  const int64_t deltas[] = {0,
                            0,
                            0,
                            1,
                            -1,
                            3600,
                            -3600,
                            13 * 3600,
                            -13 * 3600,
                            14 * 3600,
                            -14 * 3600,
                            14 * 3600 + 1,
                            -14 * 3600 - 1,
                            86400 * 3,
                            -86400 * 40};
  int counts[4] = {0, 0, 0, 0};
  for (int i = 0; i < 6000; ++i) {
    int hourA = 0, minuteA = 0, hourB = 0, minuteB = 0;
    const int zoneA = randomZone(hourA, minuteA);
    const int zoneB = randomZone(hourB, minuteB);
    const int64_t localA = uniform(TimegmSeconds(-9998, 1, 1), TimegmSeconds(9998, 12, 31));
    const Sample a = MakeSample(localA, uniform(0, 1) * 500000000, zoneA, hourA, minuteA);
    const int64_t offsetB = zoneB == 2 ? MakeSample(0, 0, 2, hourB, minuteB).offset : 0;
    const int64_t delta = deltas[uniform(0, std::size(deltas) - 1)];
    // Same zone state: B near A's instant; otherwise B's fields near A's.
    const int64_t localB =
        (zoneA != 0) == (zoneB != 0) ? localA - a.offset + offsetB + delta : localA + delta;
    if (!Representable(localA) || !Representable(localB)) continue;
    const Sample b = MakeSample(localB, uniform(0, 1) * 500000000, zoneB, hourB, minuteB);
    const DT::DTCompareResult expected = ExpectedOrder(a, b);
    ++counts[expected];
    ASSERT_EQ(a.value.CompareTo(b.value), expected)
        << ::testing::PrintToString(a.value.ToString()) << " vs "
        << ::testing::PrintToString(b.value.ToString());
  }
  for (int result = 0; result < 4; ++result) EXPECT_GT(counts[result], 200) << result;
}

// ---------------------------------------------------------------------------
// Difference of two values

TEST(DateTimeDifference, ExactDurationBetweenInstants) {
  struct Row {
    CDateTime a;
    CDateTime b;
    const wchar_t* difference;
  };
  const Row rows[] = {
      {Parse(L"2004-03-01T00:00:00"), Parse(L"2004-02-28T00:00:00"), L"P2D"},
      {Parse(L"2004-02-28T00:00:00"), Parse(L"2004-03-01T00:00:00"), L"-P2D"},
      {Parse(L"2004-01-01T00:00:00"), Parse(L"2004-01-01T00:00:00"), L"P"},
      {Parse(L"2005-01-01T00:00:00Z"), Parse(L"2004-01-01T00:00:00Z"), L"P366D"},
      {Parse(L"2004-01-01T12:00:00+02:00"), Parse(L"2004-01-01T10:00:00Z"), L"P"},
      {Parse(L"2004-01-01T10:00:00.25Z"), Parse(L"2004-01-01T10:00:00.75Z"), L"-PT0.5S"},
      {Parse(L"2004-01-02T01:02:03.000000001"), Parse(L"2004-01-01T00:00:00"),
       L"P1DT1H2M3.000000001S"},
      // A value without zone is read as UTC.
      {Parse(L"2004-01-01T10:00:00"), Parse(L"2004-01-01T10:00:00+01:00"), L"PT1H"},
      // The calendar counts a (leap) year 0 between -0001 and 0001, as the
      // addition does when it crosses it.
      {Parse(L"0001-01-01T00:00:00"), Parse(L"-0001-12-31T00:00:00"), L"P367D"},
      {ParseDate(L"2004-03-01"), ParseDate(L"2004-02-01"), L"P29D"},
      // A date counts from its midnight.
      {Parse(L"2004-03-01T06:00:00"), ParseDate(L"2004-03-01+05:00"), L"PT11H"},
      {ParseTime(L"10:00:00"), ParseTime(L"08:30:00"), L"PT1H30M"},
      {ParseTime(L"01:00:00+02:00"), ParseTime(L"00:00:00Z"), L"-PT1H"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.a.ToString() + L" - " + row.b.ToString());
    const CDateTimeSpan difference = row.a - row.b;
    EXPECT_EQ(difference.ToString(), row.difference);
    if (row.a.GetType() == row.b.GetType() && row.a.IsUTC() == row.b.IsUTC()) {
      EXPECT_EQ((row.b + difference).CompareTo(row.a), DT::dtcr_equal);
    }
  }
  KORVEL_EXPECT_THROW_MESSAGE(
      ParseTime(L"10:00:00") - ParseDate(L"2004-01-01"), CKvInvalidStateException,
      L"Failed to subtract a CDateTime of type date from a CDateTime of type time.");
  KORVEL_EXPECT_THROW_MESSAGE(
      ParseDate(L"2004") - ParseDate(L"2003"), CKvInvalidStateException,
      L"Failed to subtract a CDateTime of type gYear from a CDateTime of type gYear.");
}

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
    const int64_t seconds = (a.local - a.offset) - (b.local - b.offset);
    const int64_t nanos = a.nanos - b.nanos;
    const int64_t spanSeconds =
        ((int64_t{d.GetDays()} * 24 + d.GetHours()) * 60 + static_cast<int64_t>(d.GetMinutes())) *
            60 +
        static_cast<int64_t>(d.GetSeconds());
    const int64_t spanNanos =
        d.GetMilliSeconds() * int64_t{1000000} + d.GetMicroSeconds() * 1000 + d.GetNanoSeconds();
    const int sign = d.IsNegative() ? -1 : 1;
    EXPECT_EQ((sign * spanSeconds - seconds) * 1000000000 + sign * spanNanos - nanos, 0)
        << spanSeconds << "s " << spanNanos << "ns";
    EXPECT_LT(d.GetHours(), 24u);
    EXPECT_LT(d.GetMinutes(), 60u);
    EXPECT_LT(d.GetSeconds(), 60u);
  }
}

}  // namespace
