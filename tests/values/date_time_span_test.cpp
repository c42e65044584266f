// SPDX-License-Identifier: MIT
#include <korvel/date_time_span.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "values/date_time_test_support.h"

using namespace Korvel;
using Korvel::testing::TimegmSeconds;

namespace {

using DT = CDateTime;

CDateTimeSpan Span(const wchar_t* text) {
  CDateTimeSpan span;
  span.ParseXSDDuration(text);
  return span;
}

// ---------------------------------------------------------------------------
// Parsing and printing

// The printed form shows every field as stored (they are never normalised), so
// it stands for the fields here.
TEST(DurationParse, ReadsAndPrintsBack) {
  struct Row {
    const wchar_t* text;
    const wchar_t* printed;  // null: the text itself
  };
  const Row rows[] = {
      {L"P1Y2M3DT4H5M6.789S", nullptr},
      {L"PT1.000000001S", nullptr},
      {L"PT.25S", L"PT0.25S"},
      {L"PT1.S", L"PT1S"},
      {L"-P1D", nullptr},
      {L"PT36H", nullptr},
      {L"PT90M", nullptr},
      {L"P1M", nullptr},
      {L"P1DT1M", nullptr},
      {L"P0Y0M0DT0H0M0S", L"P"},
      {L"-PT0S", L"-P"},
      {L"P5T1H", L"PT1H"},  // a number before T means nothing
      {L"P65535Y4294967295M4294967295DT4294967295H18446744073709551615M18446744073709551615S",
       nullptr},
      {L"PT0.999999999S", nullptr},
      {L"PT0.01020S", L"PT0.0102S"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Span(row.text).ToString(), row.printed ? row.printed : row.text);
  }
  const CDateTimeSpan span = Span(L"-P1Y2M3DT4H5M6.007008009S");
  EXPECT_EQ(std::make_tuple(span.GetYears(), span.GetMonths(), span.GetDays(), span.GetHours()),
            std::make_tuple(1, 2u, 3u, 4u));
  EXPECT_EQ(std::make_tuple(span.GetMinutes(), span.GetSeconds(), span.GetMilliSeconds(),
                            span.GetMicroSeconds(), span.GetNanoSeconds(), span.IsNegative()),
            std::make_tuple(5u, 6u, 7, 8, 9, true));
}

TEST(DurationParse, ErrorsCarryTheirMessages) {
  const std::wstring expected = L"] expected [-]P[nY][nM][nD][T[nH][nM][nS.ff]]";
  struct Row {
    const wchar_t* text;
    std::wstring message;
  };
  const Row rows[] = {
      {nullptr, L"Invalid XSD Duration (Null String)"},
      {L"", L"Invalid XSD Duration (Empty String)"},
      {L"P", L"Invalid XSD Duration [P" + expected},
      {L"-P", L"Invalid XSD Duration [-P" + expected},
      {L"P1YT", L"Invalid XSD Duration [P1YT" + expected},
      {L"1Y", L"Invalid XSD Duration [1Y" + expected},
      {L"+P1Y", L"Invalid XSD Duration [+P1Y" + expected},
      {L"-", L"Invalid XSD Duration [-" + expected},
      {L"P1", L"Invalid XSD Duration [P1" + expected},
      {L"P1D2M", L"Invalid XSD Duration [P1D2M" + expected},
      {L"P1M2M", L"Invalid XSD Duration [P1M2M" + expected},
      {L"P1H", L"Invalid XSD Duration [P1H" + expected},
      {L"PT1D", L"Invalid XSD Duration [PT1D" + expected},
      {L"PT1M2H", L"Invalid XSD Duration [PT1M2H" + expected},
      {L"PT1S2M", L"Invalid XSD Duration [PT1S2M" + expected},
      {L"PT1ST", L"Invalid XSD Duration [PT1ST" + expected},
      {L"P1S", L"Invalid XSD Duration [P1S" + expected},
      {L"PT1.5", L"Invalid XSD Duration [PT1.5" + expected},
      {L"PT1.5M", L"Invalid XSD Duration [PT1.5M" + expected},
      {L"PT1.5S1S", L"Invalid XSD Duration [PT1.5S1S" + expected},
      {L"P 1D", L"Invalid XSD Duration [P 1D" + expected},
      {L"P1d", L"Invalid XSD Duration [P1d" + expected},
      {L"PT1.1234567891S", L"Invalid XSD Duration [PT1.1234567891S] Fraction part too long"},
      {L"P65536Y", L"Invalid XSD Duration [P65536Y] Number too large"},
      {L"P4294967296D", L"Invalid XSD Duration [P4294967296D] Number too large"},
      {L"PT18446744073709551616S",
       L"Invalid XSD Duration [PT18446744073709551616S] Number too large"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text ? row.text : L"(null)");
    CDateTimeSpan span;
    KORVEL_EXPECT_THROW_MESSAGE(span.ParseXSDDuration(row.text), CKvInvalidValueException,
                                row.message);
  }
}

TEST(DurationParse, ClearsTheOldValueFirst) {
  CDateTimeSpan span = Span(L"-P1Y2M3DT4H5M6.789S");
  span.ParseXSDDuration(L"PT1H");
  EXPECT_EQ(span.ToString(), L"PT1H");
}

TEST(DurationParse, RandomTextEitherParsesStablyOrThrowsAKnownMessage) {
  const std::vector<const wchar_t*> messages = {
      L"Invalid XSD Duration (Empty String)",
      L"Invalid XSD Duration [%s] expected [-]P[nY][nM][nD][T[nH][nM][nS.ff]]",
      L"Invalid XSD Duration [%s] Fraction part too long",
      L"Invalid XSD Duration [%s] Number too large",
  };
  const wchar_t* const seeds[] = {L"-P1Y2M3DT4H5M6.789S", L"PT1.000000001S", L"P4294967295D",
                                  L"PT36H"};
  std::mt19937 rng(1697);
  for (int i = 0; i < 20000; ++i) {
    const std::wstring text = Korvel::testing::RandomLexicalText(rng, seeds[i % std::size(seeds)]);
    CDateTimeSpan span;
    try {
      span.ParseXSDDuration(text.c_str());
    } catch (const CKvInvalidValueException& e) {
      ASSERT_TRUE(Korvel::testing::MatchesAnyFormat(messages, e.GetMessageW()))
          << ::testing::PrintToString(text) << " -> " << ::testing::PrintToString(e.GetMessageW());
      continue;
    }
    const std::wstring printed = span.ToString();
    // A zero duration prints as "P", which is not a duration the parser takes.
    if (printed == L"P" || printed == L"-P") continue;
    CDateTimeSpan again;
    ASSERT_NO_THROW(again.ParseXSDDuration(printed.c_str())) << ::testing::PrintToString(text);
    ASSERT_EQ(again.ToString(), printed) << ::testing::PrintToString(text);
  }
}

// ---------------------------------------------------------------------------
// Construction and fields

TEST(DurationFields, ConstructorsAndSettersReplaceEveryField) {
  EXPECT_EQ(CDateTimeSpan().ToString(), L"P");
  EXPECT_EQ(CDateTimeSpan(1, 2, 3).ToString(), L"PT1H2M3S");
  EXPECT_EQ(CDateTimeSpan(1, 2, 3, 4, 5, 6).ToString(), L"P1Y2M3DT4H5M6S");
  EXPECT_EQ(CDateTimeSpan(1, 2, 3, 4, 5, 6, 7, 8, 9).ToString(), L"P1Y2M3DT4H5M6.007008009S");

  CDateTimeSpan span = Span(L"-P1Y2M3DT4H5M6.007008009S");
  span.SetDateTimeSpan(10, 20, 30);
  EXPECT_EQ(span.ToString(), L"PT10H20M30S");
  span.Negate();
  span.SetDateTimeSpan(1, 2, 3, 4, 5, 6);
  EXPECT_EQ(span.ToString(), L"P1Y2M3DT4H5M6S");
  span.Negate();
  span.SetDateTimeSpan(1, 2, 3, 4, 5, 6, 7, 8, 9);
  EXPECT_EQ(span.ToString(), L"P1Y2M3DT4H5M6.007008009S");
}

TEST(DurationFields, SignOperations) {
  CDateTimeSpan span = Span(L"-P1D");
  EXPECT_TRUE(span.IsNegative());
  EXPECT_TRUE(span.GetAsNegative().IsNegative());
  EXPECT_EQ(span.GetAsNegative().GetDays(), 1u);
  span.Negate();
  EXPECT_FALSE(span.IsNegative());
  EXPECT_EQ(span.ToString(), L"P1D");
  EXPECT_TRUE(span.GetAsNegative().IsNegative());
  EXPECT_FALSE(span.IsNegative()) << "GetAsNegative changed its operand";
}

// ---------------------------------------------------------------------------
// Order

TEST(DurationCompare, ReferenceInstantCases) {
  struct Row {
    const wchar_t* a;
    const wchar_t* b;
    DT::DTCompareResult expected;
  };
  const Row rows[] = {
      {L"P1M", L"P30D", DT::dtcr_indeterminate},
      {L"P1M", L"P27D", DT::dtcr_greater},
      {L"P1M", L"P32D", DT::dtcr_less},
      {L"P1Y", L"P365D", DT::dtcr_indeterminate},
      {L"P1Y", L"P366D", DT::dtcr_indeterminate},
      {L"P1Y", L"P364D", DT::dtcr_greater},
      {L"P1Y", L"P367D", DT::dtcr_less},
      {L"P1Y", L"P12M", DT::dtcr_equal},
      {L"PT1H", L"PT2H", DT::dtcr_less},
      {L"PT36H", L"P1DT12H", DT::dtcr_equal},
      {L"PT86400S", L"P1D", DT::dtcr_equal},
      {L"PT0.001S", L"PT0.000999999S", DT::dtcr_greater},
      {L"-P1D", L"P1D", DT::dtcr_less},
      {L"-P1D", L"-PT24H", DT::dtcr_equal},
      {L"PT0S", L"-PT0S", DT::dtcr_equal},
      {L"-P1M", L"-P30D", DT::dtcr_indeterminate},
      {L"P5M", L"P150D", DT::dtcr_indeterminate},
      {L"P5M", L"P154D", DT::dtcr_less},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::wstring(row.a) + L" vs " + row.b);
    const CDateTimeSpan a = Span(row.a);
    const CDateTimeSpan b = Span(row.b);
    EXPECT_EQ(a.CompareTo(b), row.expected);
    EXPECT_EQ(a == b, row.expected == DT::dtcr_equal);
    EXPECT_EQ(a != b, row.expected != DT::dtcr_equal);
    EXPECT_EQ(a < b, row.expected == DT::dtcr_less);
    EXPECT_EQ(a > b, row.expected == DT::dtcr_greater);
  }
}

TEST(DurationCompare, HugeDurationsOrderWithoutWrapping) {
  // Far beyond any year a date holds: the sums are compared in full width.
  EXPECT_EQ(Span(L"P40000Y").CompareTo(Span(L"P1Y")), DT::dtcr_greater);
  EXPECT_EQ(Span(L"P65535Y").CompareTo(Span(L"P65534Y12M")), DT::dtcr_equal);
  EXPECT_EQ(Span(L"PT18446744073709551615S").CompareTo(Span(L"PT18446744073709551614S")),
            DT::dtcr_greater);
  EXPECT_EQ(Span(L"-PT18446744073709551615S").CompareTo(Span(L"P65535Y")), DT::dtcr_less);
}

// The instant a duration reaches from a reference date (day 1, midnight UTC),
// through timegm: the months move first, then the exact time.
std::tuple<int64_t, int64_t> Reach(int year, int month, const CDateTimeSpan& d) {
  const int sign = d.IsNegative() ? -1 : 1;
  const int64_t months = int64_t{d.GetYears()} * 12 + d.GetMonths();
  int64_t t = TimegmSeconds(year, static_cast<int>(month + sign * months), 1);
  int64_t n = sign * (d.GetMilliSeconds() * int64_t{1000000} + d.GetMicroSeconds() * 1000 +
                      d.GetNanoSeconds());
  t += sign * ((int64_t{d.GetDays()} * 24 + d.GetHours()) * 3600 +
               static_cast<int64_t>(d.GetMinutes()) * 60 + static_cast<int64_t>(d.GetSeconds()));
  t += n / 1000000000;
  n %= 1000000000;
  if (n < 0) {
    n += 1000000000;
    --t;
  }
  return {t, n};
}

TEST(DurationCompare, AgreesWithTimegmOnRandomDurations) {
  std::mt19937 rng(1903);
  const auto pick = [&](std::initializer_list<uint32_t> values) {
    const auto index = std::uniform_int_distribution<size_t>(0, values.size() - 1)(rng);
    return values.begin()[index];
  };
  // Small sets of values that are often the same length in some months and
  // not in others, so all four results are common.
  const auto randomSpan = [&] {
    CDateTimeSpan d(static_cast<uint16_t>(pick({0, 0, 1})), pick({0, 0, 1, 2, 12}),
                    pick({0, 1, 28, 29, 30, 31, 59, 61, 365, 366}), pick({0, 0, 1, 24, 48}),
                    pick({0, 0, 60, 1440}), pick({0, 0, 1, 3600, 86400}), pick({0, 0, 500}), 0,
                    pick({0, 0, 1}));
    if (pick({0, 1, 1, 1}) == 0) d.Negate();
    return d;
  };
  // Rewrites of a duration that keep its length in some or all months.
  const auto rewrite = [&](CDateTimeSpan d) {
    switch (pick({0, 1, 2, 3, 4})) {
      case 0:  // a day as 24 hours
        if (d.GetDays() > 0) {
          d.SetDays(d.GetDays() - 1);
          d.SetHours(d.GetHours() + 24);
        }
        break;
      case 1:  // a year as 12 months
        if (d.GetYears() > 0) {
          d.SetYears(static_cast<uint16_t>(d.GetYears() - 1));
          d.SetMonths(d.GetMonths() + 12);
        }
        break;
      case 2:  // a month as some number of days
        if (d.GetMonths() > 0) {
          d.SetMonths(d.GetMonths() - 1);
          d.SetDays(d.GetDays() + pick({28, 29, 30, 31}));
        }
        break;
      case 3:  // an hour as 60 minutes
        if (d.GetHours() > 0) {
          d.SetHours(d.GetHours() - 1);
          d.SetMinutes(d.GetMinutes() + 60);
        }
        break;
      default:  // a second more
        d.SetSeconds(d.GetSeconds() + 1);
        break;
    }
    return d;
  };
  const int references[4][2] = {{1696, 9}, {1697, 2}, {1903, 3}, {1903, 7}};
  int counts[4] = {0, 0, 0, 0};
  for (int i = 0; i < 5000; ++i) {
    const CDateTimeSpan a = randomSpan();
    const CDateTimeSpan b = pick({0, 1}) == 0 ? randomSpan() : rewrite(a);
    DT::DTCompareResult expected = DT::dtcr_indeterminate;
    for (int r = 0; r < 4; ++r) {
      const auto x = Reach(references[r][0], references[r][1], a);
      const auto y = Reach(references[r][0], references[r][1], b);
      const DT::DTCompareResult result = x < y   ? DT::dtcr_less
                                         : y < x ? DT::dtcr_greater
                                                 : DT::dtcr_equal;
      if (r > 0 && result != expected) {
        expected = DT::dtcr_indeterminate;
        break;
      }
      expected = result;
    }
    ++counts[expected];
    ASSERT_EQ(a.CompareTo(b), expected) << ::testing::PrintToString(a.ToString()) << " vs "
                                        << ::testing::PrintToString(b.ToString());
  }
  for (int result = 0; result < 4; ++result) EXPECT_GT(counts[result], 100) << result;
}

}  // namespace
