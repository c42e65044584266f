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

// ---------------------------------------------------------------------------
// Parsing and printing

// The printed form shows every field as stored (they are never normalised), so
// it stands for the fields here. One span reads every row, so each row also
// shows that parsing clears what the previous one left.
TEST(DurationParse, ReadsAndPrintsBack) {
  const std::tuple<const wchar_t*, const wchar_t*> rows[] = {
      {L"P1Y2M3DT4H5M6.789S", nullptr},  // null: prints as the text itself
      {L"PT1.000000001S", nullptr},
      {L"-P1D", nullptr},
      {L"PT36H", nullptr},
      {L"PT90M", nullptr},
      {L"P1M", nullptr},
      {L"P1DT1M", nullptr},
      {L"P0Y0M0DT0H0M0S", L"P"},
      {L"-PT0S", L"-P"},
      {L"P65535Y4294967295M4294967295DT4294967295H18446744073709551615M18446744073709551615S",
       nullptr},
      {L"PT0.999999999S", nullptr},
      {L"PT0.01020S", L"PT0.0102S"},
  };
  CDateTimeSpan span;
  for (const auto& [text, printed] : rows) {
    SCOPED_TRACE(text);
    span.ParseXSDDuration(text);
    EXPECT_EQ(span.ToString(), printed ? printed : text);
  }
  span = Span(L"-P1Y2M3DT4H5M6.007008009S");
  EXPECT_EQ(std::make_tuple(span.GetYears(), span.GetMonths(), span.GetDays(), span.GetHours()),
            std::make_tuple(1, 2u, 3u, 4u));
  EXPECT_EQ(std::make_tuple(span.GetMinutes(), span.GetSeconds(), span.GetMilliSeconds(),
                            span.GetMicroSeconds(), span.GetNanoSeconds(), span.IsNegative()),
            std::make_tuple(5u, 6u, 7, 8, 9, true));
}

TEST(DurationParse, ErrorsCarryTheirMessages) {
  const std::wstring expected = L"] expected [-]P[nY][nM][nD][T[nH][nM][nS.ff]]";
  const wchar_t* const unexpected[] = {L"P",     L"-P",     L"P1YT",     L"1Y",    L"+P1Y",
                                       L"-",     L"P1",     L"P1D2M",    L"P1M2M", L"P1H",
                                       L"PT1D",  L"PT1M2H", L"PT1S2M",   L"PT1ST", L"P1S",
                                       L"PT1.5", L"PT1.5M", L"PT1.5S1S", L"P 1D",  L"P1d"};
  for (const wchar_t* text : unexpected) {
    SCOPED_TRACE(text);
    KORVEL_EXPECT_THROW_MESSAGE(Span(text), CKvInvalidValueException,
                                L"Invalid XSD Duration [" + std::wstring(text) + expected);
  }
  const std::tuple<const wchar_t*, const wchar_t*> rows[] = {
      {nullptr, L"Invalid XSD Duration (Null String)"},
      {L"", L"Invalid XSD Duration (Empty String)"},
      {L"PT1.1234567891S", L"Invalid XSD Duration [PT1.1234567891S] Fraction part too long"},
      {L"P65536Y", L"Invalid XSD Duration [P65536Y] Number too large"},
      {L"P4294967296D", L"Invalid XSD Duration [P4294967296D] Number too large"},
      {L"PT18446744073709551616S",
       L"Invalid XSD Duration [PT18446744073709551616S] Number too large"},
  };
  for (const auto& [text, message] : rows) {
    SCOPED_TRACE(text ? text : L"(null)");
    KORVEL_EXPECT_THROW_MESSAGE(Span(text), CKvInvalidValueException, message);
  }
}

// ---------------------------------------------------------------------------
// Construction and fields

TEST(DurationFields, SignOperations) {
  CDateTimeSpan span = Span(L"-P1D");
  EXPECT_TRUE(span.IsNegative());
  EXPECT_EQ(span.GetAsNegative().ToString(), L"-P1D");
  span.Negate();
  EXPECT_EQ(span.ToString(), L"P1D");
  EXPECT_EQ(span.GetAsNegative().ToString(), L"-P1D");
  EXPECT_FALSE(span.IsNegative()) << "GetAsNegative changed its operand";
}

// Orders of durations are rows of tests/data/values/*.txt (span-compare); the
// many at large come from tools/date_time_vectors.py.

}  // namespace
