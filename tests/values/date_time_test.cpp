// SPDX-License-Identifier: MIT
#include <korvel/date_time.h>
#include <korvel/date_time_span.h>

#include <chrono>

#include <cstddef>
#include <random>
#include <string>
#include <tuple>
#include <type_traits>

#include "test_support.h"
#include "values/date_time_test_support.h"

using namespace Korvel;
using namespace Korvel::testing;

namespace {

using DT = CDateTime;

// Lexical forms and the parsers' refusals are rows of
// tests/data/values/date_time_lexical.txt.

TEST(DateTimeParse, FractionAndZoneFields) {
  const CDateTime v = Value(L"2004-04-12T13:20:15.123456789-05:30");
  EXPECT_EQ(std::make_tuple(v.GetMilliSecond(), v.GetMicroSecond(), v.GetNanoSecond()),
            std::make_tuple(123, 456, 789));
  EXPECT_DOUBLE_EQ(v.GetRealSecond(), 15.123456789);
  EXPECT_TRUE(v.IsUTC() && v.HasTimeZone());
  EXPECT_EQ(v.GetZoneHour(), -5);
  EXPECT_EQ(v.GetZoneMinute(), 30);
}

TEST(DateTimeToString, FormatsAndUnsetValues) {
  const CDateTime v = Value(L"2004-05-06");
  EXPECT_EQ(v.ToString(L"s"), L"2004-05-06");
  EXPECT_EQ(v.ToString(nullptr), L"");
  EXPECT_EQ(v.ToString(L""), L"");
  EXPECT_EQ(v.ToString(L"G"), L"");
  EXPECT_EQ(v.ToString(L"yyyy"), L"Unknown Format: yyyy");

  EXPECT_EQ(CDateTime().ToString(), L"Error: Date Not Set");
  EXPECT_EQ(CDateTime().ToString(L"G"), L"Error: Date Not Set");
  EXPECT_EQ(CDateTime(DT::dt_date).ToString(), L"Error: Date Not Set");
  // Midnight is a real time; a time kind with nothing else set prints it.
  EXPECT_EQ(CDateTime(DT::dt_time).ToString(), L"00:00:00");
}

// Kind names and conversions between kinds are rows of
// tests/data/values/date_time_kinds.txt.

// The getter works on the kinds marked in kinds (0 to 8) and the setter, if
// any, with it; on every other kind both throw the getter's message.
template <typename Get, typename Set = std::nullptr_t>
void CheckFieldKinds(const wchar_t* name, const char* kinds, Get get, Set set = nullptr) {
  for (int kind = 0; kind < 10; ++kind) {
    CDateTime value(static_cast<DT::DTType>(kind));
    SCOPED_TRACE(std::wstring(name) + L" on " + value.GetTypeAsString());
    const auto setter = [&] {
      if constexpr (!std::is_null_pointer_v<Set>) (value.*set)(1);
    };
    if (kind < 9 && kinds[kind] == '1') {
      EXPECT_NO_THROW((value.*get)());
      EXPECT_NO_THROW(setter());
      continue;
    }
    const std::wstring message = L"Failed to " + std::wstring(name) + L". Invalid Date Type: " +
                                 value.GetTypeAsString() + L".";
    KORVEL_EXPECT_THROW_MESSAGE((value.*get)(), CKvInvalidStateException, message);
    if constexpr (!std::is_null_pointer_v<Set>) {
      KORVEL_EXPECT_THROW_MESSAGE(setter(), CKvInvalidStateException, message);
    }
  }
}

TEST(DateTimeFields, GettersAndSettersCheckTheKind) {
  CheckFieldKinds(L"GetYear", "011110000", &DT::GetYear, &DT::SetYear);
  CheckFieldKinds(L"GetMonth", "011100011", &DT::GetMonth, &DT::SetMonth);
  CheckFieldKinds(L"GetDay", "011000101", &DT::GetDay, &DT::SetDay);
  CheckFieldKinds(L"GetHour", "010001000", &DT::GetHour, &DT::SetHour);
  CheckFieldKinds(L"GetMinute", "010001000", &DT::GetMinute, &DT::SetMinute);
  CheckFieldKinds(L"GetSecond", "010001000", &DT::GetSecond, &DT::SetSecond);
  CheckFieldKinds(L"GetMilliSecond", "010001000", &DT::GetMilliSecond, &DT::SetMilliSecond);
  CheckFieldKinds(L"GetMicroSecond", "010001000", &DT::GetMicroSecond, &DT::SetMicroSecond);
  CheckFieldKinds(L"GetNanoSecond", "010001000", &DT::GetNanoSecond, &DT::SetNanoSecond);
  CheckFieldKinds(L"GetRealSecond", "010001000", &DT::GetRealSecond);
}

TEST(DateTimeZone, ZAndOffsetsAreKeptApart) {
  CDateTime z = Value(L"2004-01-01T00:00:00Z");
  EXPECT_TRUE(z.IsUTC());
  EXPECT_FALSE(z.HasTimeZone());
  z.SetTimeZone(23, 59);
  EXPECT_TRUE(z.IsUTC() && z.HasTimeZone());
  EXPECT_EQ(z.GetZoneHour(), 23);
  z.SetUTC();
  EXPECT_FALSE(z.HasTimeZone());
  EXPECT_EQ(z.ToString(), L"2004-01-01T00:00:00Z");
  EXPECT_THROW(z.SetTimeZone(0, 60), CKvInvalidValueException);
  EXPECT_EQ(z.ToString(), L"2004-01-01T00:00:00Z") << "a refused offset changed the value";
}

TEST(DateTimeConversion, SystemTimeAndFileTime) {
  const SYSTEMTIME st{2004, 2, 0, 29, 13, 14, 15, 999};
  const SYSTEMTIME back = CDateTime(st).GetAsSystemTime();
  EXPECT_EQ(CDateTime(st).ToString(), L"2004-02-29T13:14:15.999");
  EXPECT_EQ(std::make_tuple(back.wYear, back.wMonth, back.wDay, back.wHour, back.wMinute,
                            back.wSecond, back.wMilliseconds, back.wDayOfWeek),
            std::make_tuple(2004, 2, 29, 13, 14, 15, 999, 0));  // a Sunday
  // 2004-02-29T13:14:15.9999999 as 100 ns ticks since 1601: the ticks below a
  // millisecond are dropped.
  const uint64_t ticks =
      (static_cast<uint64_t>(TimegmSeconds(2004, 2, 29, 13, 14, 15)) + 11644473600ull) *
          10000000ull +
      9999999ull;
  const FILETIME ft{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
  EXPECT_EQ(CDateTime(ft).ToString(), L"2004-02-29T13:14:15.999");
  EXPECT_EQ(CDateTime(FILETIME{0, 0}).ToString(), L"1601-01-01T00:00:00");
}

TEST(DateTimeConversion, ConstructorsLeaveInvalidInputUnset) {
  const CDateTime values[] = {
      CDateTime(2003, 2, 29),
      CDateTime(2004, 1, 1, 24, 0, 0),
      CDateTime(2004, 1, 1, 0, 0, 0, 0, 0, 1000),
      CDateTime(SYSTEMTIME{2004, 13, 0, 1, 0, 0, 0, 0}),
      CDateTime(FILETIME{0, 0x80000000u}),
      CDateTime(int64_t{253402300800}),
      CDateTime(INT64_MAX),
  };
  for (const CDateTime& value : values) {
    EXPECT_EQ(value.GetType(), DT::dt_invalid);
    EXPECT_EQ(value.ToString(), L"Error: Date Not Set");
  }
  EXPECT_EQ(CDateTime(2004, 2, 29, 1, 2, 3, 4, 5, 6).ToString(), L"2004-02-29T01:02:03.004005006");
}

TEST(DateTimeConversion, TimeTRoundTripsWhateverTheMachineZone) {
  std::mt19937_64 rng(42);
  std::uniform_int_distribution<int64_t> seconds(TimegmSeconds(-9999, 1, 1),
                                                 TimegmSeconds(9999, 12, 31, 23, 59, 59));
  for (const char* zone : Korvel::testing::kTestZones) {
    ScopedTimeZone tz(zone);
    SCOPED_TRACE(zone);
    for (int i = 0; i < 2000; ++i) {
      const int64_t t = seconds(rng);
      const std::tm expected = GmtimeFields(t);
      if (expected.tm_year == -1900) continue;  // year 0 cannot be held
      CDateTime v(t);
      ASSERT_EQ(v.GetType(), DT::dt_dateTime) << t;
      EXPECT_EQ(FieldsOf(v), FieldsAt(t, 0)) << t;
      EXPECT_FALSE(v.IsUTC());
      EXPECT_EQ(v.GetTime(), t);
      EXPECT_EQ(v.GetDayOfWeek(), expected.tm_wday + 1) << t;
      EXPECT_EQ(v.GetDayOfYear(), expected.tm_yday + 1) << t;
    }
  }
}

TEST(DateTimeConversion, TickCountIsTheLocalTime) {
  for (const auto& [zone, offset] : {std::make_tuple("UTC0", 0), std::make_tuple("JST-9", 9)}) {
    ScopedTimeZone tz(zone);
    // The clock GetTickCount reads; time() may lag it by a tick.
    const auto clock = [] {
      return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    };
    const time_t before = clock();
    const CDateTime now = CDateTime::GetTickCount();
    const time_t after = clock();
    ASSERT_EQ(now.GetType(), DT::dt_dateTime);
    EXPECT_FALSE(now.IsUTC());
    EXPECT_NO_THROW(now.Validate());
    // Read the local fields as if they were UTC: that is the instant plus the offset.
    EXPECT_GE(now.GetTime(), before + offset * 3600);
    EXPECT_LE(now.GetTime(), after + offset * 3600);
  }
}

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
