// SPDX-License-Identifier: MIT
#include <korvel/date_time.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "values/date_time_test_support.h"

using namespace Korvel;
using Korvel::testing::GmtimeFields;
using Korvel::testing::ScopedTimeZone;
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

// ---------------------------------------------------------------------------
// Parsing and printing

TEST(DateTimeParse, LexicalFormsReadAndPrintBack) {
  struct Row {
    const wchar_t* text;
    CDateTime (*parse)(const wchar_t*);
    DT::DTType kind;
    const wchar_t* printed;  // null: the text itself
  };
  const Row rows[] = {
      {L"2004-04-12T13:20:15.5-05:00", Parse, DT::dt_dateTime, nullptr},
      {L"2004-04-12T13:20:15.123456789+14:00", Parse, DT::dt_dateTime, nullptr},
      {L"2004-04-12T13:20:15.120Z", Parse, DT::dt_dateTime, L"2004-04-12T13:20:15.12Z"},
      {L"2004-04-12T13:20:15.000250", Parse, DT::dt_dateTime, L"2004-04-12T13:20:15.00025"},
      {L"2004-04-12T13:20:15.", Parse, DT::dt_dateTime, L"2004-04-12T13:20:15"},
      {L"2004-04-12T13:20:15+24:00", Parse, DT::dt_dateTime, L"2004-04-12T13:20:15+00:00"},
      {L"2004-04-12T13:20:15-24:00", Parse, DT::dt_dateTime, L"2004-04-12T13:20:15+00:00"},
      {L"2004-04-12T13:20:15+00:00", Parse, DT::dt_dateTime, nullptr},
      {L"-0044-03-15T12:00:00", Parse, DT::dt_dateTime, nullptr},
      // Only the first character of a zone is examined, other remainders are ignored.
      {L"2004-04-12T13:20:15Zulu", Parse, DT::dt_dateTime, L"2004-04-12T13:20:15Z"},
      {L"2004-04-12T13:20:15 junk", Parse, DT::dt_dateTime, L"2004-04-12T13:20:15"},
      {L"2004-02-29", ParseDate, DT::dt_date, nullptr},
      {L"2004-02-29Z", ParseDate, DT::dt_date, nullptr},
      {L"2004-02-29-13:30", ParseDate, DT::dt_date, nullptr},
      {L"2004-05", ParseDate, DT::dt_gYearMonth, nullptr},
      {L"-0044-05+01:00", ParseDate, DT::dt_gYearMonth, nullptr},
      {L"2004", ParseDate, DT::dt_gYear, nullptr},
      {L"-0044", ParseDate, DT::dt_gYear, nullptr},
      {L"--05", ParseDate, DT::dt_gMonth, nullptr},
      {L"--05--", ParseDate, DT::dt_gMonth, L"--05"},
      {L"--05Z", ParseDate, DT::dt_gMonth, nullptr},
      {L"---05", ParseDate, DT::dt_gDay, nullptr},
      {L"---31+05:00", ParseDate, DT::dt_gDay, nullptr},
      {L"--02-29", ParseDate, DT::dt_gMonthDay, nullptr},
      {L"00:00:00", ParseTime, DT::dt_time, nullptr},
      {L"23:59:59.999999999-23:59", ParseTime, DT::dt_time, nullptr},
      {L"10:00:00.5", ParseTime, DT::dt_time, nullptr},
      {L"10:00:00.010Z", ParseTime, DT::dt_time, L"10:00:00.01Z"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const CDateTime value = row.parse(row.text);
    EXPECT_EQ(value.GetType(), row.kind);
    EXPECT_EQ(value.ToString(), row.printed ? row.printed : row.text);
    EXPECT_NO_THROW(value.Validate());
  }
}

TEST(DateTimeParse, FractionAndZoneFields) {
  const CDateTime v = Parse(L"2004-04-12T13:20:15.123456789-05:30");
  EXPECT_EQ(std::make_tuple(v.GetMilliSecond(), v.GetMicroSecond(), v.GetNanoSecond()),
            std::make_tuple(123, 456, 789));
  EXPECT_DOUBLE_EQ(v.GetRealSecond(), 15.123456789);
  EXPECT_TRUE(v.IsUTC() && v.HasTimeZone());
  EXPECT_EQ(v.GetZoneHour(), -5);
  EXPECT_EQ(v.GetZoneMinute(), 30);
}

TEST(DateTimeParse, ParsersClearWhateverWasThere) {
  CDateTime v = Parse(L"2004-04-12T13:20:15.5+05:00");
  v.ParseXSDDate(L"--05");
  EXPECT_EQ(v.ToString(), L"--05");
  v.ParseXSDTime(L"01:02:03");
  EXPECT_EQ(v.ToString(), L"01:02:03");
  v.ParseXSDDateTime(L"2001-01-01T00:00:00");
  EXPECT_EQ(v.ToString(), L"2001-01-01T00:00:00");
  EXPECT_EQ(CDateTime(L"2004-04-12T13:20:15Z").ToString(), L"2004-04-12T13:20:15Z");
}

TEST(DateTimeParse, ErrorsCarryTheirMessages) {
  struct Row {
    const wchar_t* text;
    CDateTime (*parse)(const wchar_t*);
    const wchar_t* message;
  };
  const Row rows[] = {
      {nullptr, Parse, L"Invalid DateTime (Null String)"},
      {L"", Parse, L"Invalid XSD DateTime []."},
      {L"2004-01-01", Parse, L"Invalid XSD DateTime [2004-01-01]."},
      {L"2004T10:00:00", Parse,
       L"Invalid XSD DateTime [2004T10:00:00] expected CCYY-MM-DDThh:mm:ss[.ff]"},
      {L"--05-01T10:00:00", Parse,
       L"Invalid XSD DateTime [--05-01T10:00:00] expected CCYY-MM-DDThh:mm:ss[.ff]"},
      {L"T10:00:00", Parse, L"Invalid Date (Empty String)"},
      {L"2004-1-01T10:00:00", Parse,
       L"Invalid XSD Date [2004-1-01] expected CCYY-MM-DD[Z|[+|-]hh:mm]"},
      {L"2004-01-01T", Parse, L"Invalid XSD Time (Empty String)"},
      {L"2004-01-01T24:00:00", Parse, L"Invalid XSD Time [24:00:00] expected hh:mm:ss[.ff]"},
      {L"2004-01-01T10:00", Parse, L"Invalid XSD Time [10:00] expected hh:mm:ss[.ff]"},
      {L"2004-01-01T10:00:00.1234567891", Parse,
       L"Invalid XSD Time [10:00:00.1234567891] Fraction part too long"},
      {L"2004-01-01T10:00:00+25:00", Parse, L"Invalid TimeZone [25:0]"},
      {L"2004-01-01T10:00:00+05:60", Parse, L"Invalid TimeZone [5:60]"},
      {L"2004-01-01T10:00:00+5:00", Parse, L"Invalid XSD Time Zone [+5:00]."},
      {L"2004-01-01T10:00:00+05:00:00", Parse, L"Invalid XSD Time Zone [+05:00:00]."},
      {L"2003-02-29T10:00:00", Parse, L"Invalid Day [29] (1 <= day <= days in month"},
      {L"0000-01-01T10:00:00", Parse, L"Invalid Year [0] (-9999 <= year <= 9999 && year != 0)"},
      {nullptr, ParseDate, L"Invalid Date (Null String)"},
      {L"", ParseDate, L"Invalid Date (Empty String)"},
      {L"2004-01-01T00:00:00", ParseDate, L"Invalid Date ('T' not allowed)"},
      {L"2004-01-01:Z", ParseDate, L"Invalid Date (Bad Zone value)"},
      {L"2004/01/01", ParseDate,
       L"Invalid XSD Date [2004/01/01] expected CCYY-MM-DD[Z|[+|-]hh:mm]"},
      {L"20040-01-01", ParseDate,
       L"Invalid XSD Date [20040-01-01] expected CCYY-MM-DD[Z|[+|-]hh:mm]"},
      {L"--5", ParseDate, L"Invalid XSD Date [--5] expected CCYY-MM-DD[Z|[+|-]hh:mm]"},
      {L"Z", ParseDate, L"Invalid XSD Date [Z] expected CCYY-MM-DD[Z|[+|-]hh:mm]"},
      {L"2004-01-01+5:000", ParseDate, L"Invalid XSD Time Zone [+5:000]."},
      {L"2003-02-29", ParseDate, L"Invalid Day [29] (1 <= day <= days in month"},
      {L"0000", ParseDate, L"Invalid Year [0] (-9999 <= year <= 9999 && year != 0)"},
      {L"2004-13", ParseDate, L"Invalid Month [13] (1 <= month <= 12)"},
      {L"--00", ParseDate, L"Invalid Month [0] (1 <= month <= 12)"},
      {L"---45", ParseDate, L"Invalid Day [45] (1 <= day <= 31)"},
      {L"--02-30", ParseDate, L"Invalid Day [30] (1 <= day <= days in month)"},
      {nullptr, ParseTime, L"Invalid Time (Null String)"},
      {L"", ParseTime, L"Invalid XSD Time (Empty String)"},
      {L"1:00:00", ParseTime, L"Invalid XSD Time [1:00:00] expected hh:mm:ss[.ff]"},
      {L"10:60:00", ParseTime, L"Invalid XSD Time [10:60:00] expected hh:mm:ss[.ff]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text ? row.text : L"(null)");
    KORVEL_EXPECT_THROW_MESSAGE(row.parse(row.text), CKvInvalidValueException, row.message);
  }
}

TEST(DateTimeParse, RandomTextEitherParsesStablyOrThrowsAKnownMessage) {
  const std::vector<const wchar_t*> messages = {
      L"Invalid XSD DateTime [%s].",
      L"Invalid XSD DateTime [%s] expected CCYY-MM-DDThh:mm:ss[.ff]",
      L"Invalid Date (Empty String)",
      L"Invalid Date ('T' not allowed)",
      L"Invalid Date (Bad Zone value)",
      L"Invalid XSD Date [%s] expected CCYY-MM-DD[Z|[+|-]hh:mm]",
      L"Invalid XSD Time (Empty String)",
      L"Invalid XSD Time [%s] expected hh:mm:ss[.ff]",
      L"Invalid XSD Time [%s] Fraction part too long",
      L"Invalid XSD Time Zone [%s].",
      L"Invalid TimeZone [%d:%d]",
      L"Invalid Month [%d] (1 <= month <= 12)",
      L"Invalid Year [%d] (%d <= year <= %d && year != 0)",
      L"Invalid Day [%d] (1 <= day <= days in month",
      L"Invalid Day [%d] (1 <= day <= days in month)",
      L"Invalid Day [%d] (1 <= day <= 31)",
  };
  const wchar_t* const seeds[] = {L"2004-04-12T13:20:15.123456789-05:30",
                                  L"2004-02-29Z",
                                  L"--02-29",
                                  L"---05+14:00",
                                  L"-0044-05",
                                  L"23:59:59.5Z"};
  void (CDateTime::*const parsers[])(const wchar_t*) = {
      &CDateTime::ParseXSDDateTime, &CDateTime::ParseXSDDate, &CDateTime::ParseXSDTime};
  std::mt19937 rng(20040412);
  for (int i = 0; i < 30000; ++i) {
    const std::wstring text = Korvel::testing::RandomLexicalText(rng, seeds[i % std::size(seeds)]);
    const auto parser = parsers[i % std::size(parsers)];
    CDateTime value;
    try {
      (value.*parser)(text.c_str());
    } catch (const CKvInvalidValueException& e) {
      ASSERT_TRUE(Korvel::testing::MatchesAnyFormat(messages, e.GetMessageW()))
          << ::testing::PrintToString(text) << " -> " << ::testing::PrintToString(e.GetMessageW());
      continue;
    }
    // Accepted text prints as a form that reads back to itself.
    const std::wstring printed = value.ToString();
    CDateTime again;
    ASSERT_NO_THROW((again.*parser)(printed.c_str())) << ::testing::PrintToString(text);
    ASSERT_EQ(again.ToString(), printed) << ::testing::PrintToString(text);
  }
}

// ---------------------------------------------------------------------------
// Printing

TEST(DateTimeToString, FormatsAndUnsetValues) {
  const CDateTime v = ParseDate(L"2004-05-06");
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
  CDateTime midnight;
  midnight.SetTime(0, 0, 0);
  midnight.SetUTC();
  EXPECT_EQ(midnight.ToString(), L"00:00:00Z");
  CDateTime early(-1, 1, 2);
  early.SetTimeZone(-3, 5);
  EXPECT_EQ(early.ToString(), L"-0001-01-02-03:05");
}

TEST(DateTimeToString, FractionKeepsOnlyTheGroupsItNeeds) {
  struct Row {
    uint16_t milli, micro, nano;
    const wchar_t* text;
  };
  const Row rows[] = {
      {0, 0, 0, L"10:00:00"},
      {500, 0, 0, L"10:00:00.5"},
      {5, 0, 0, L"10:00:00.005"},
      {0, 250, 0, L"10:00:00.00025"},
      {0, 0, 1, L"10:00:00.000000001"},
      {100, 0, 100, L"10:00:00.1000001"},
      {999, 999, 990, L"10:00:00.99999999"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    CDateTime t;
    t.SetTime(10, 0, 0, row.milli, row.micro, row.nano);
    EXPECT_EQ(t.ToString(), row.text);
  }
}

// ---------------------------------------------------------------------------
// Setters, kinds and validation

TEST(DateTimeSetters, EachSetterMakesItsKind) {
  struct Row {
    void (*set)(CDateTime&);
    DT::DTType kind;
    const wchar_t* text;
  };
  const Row rows[] = {
      {[](CDateTime& d) { d.SetDateTime(2004, 2, 29, 23, 59, 58, 1, 2, 3); }, DT::dt_dateTime,
       L"2004-02-29T23:59:58.001002003"},
      {[](CDateTime& d) { d.SetDate(-9999, 12, 31); }, DT::dt_date, L"-9999-12-31"},
      {[](CDateTime& d) { d.SetGYear(9999); }, DT::dt_gYear, L"9999"},
      {[](CDateTime& d) { d.SetGYearMonth(33, 7); }, DT::dt_gYearMonth, L"0033-07"},
      {[](CDateTime& d) { d.SetGMonth(12); }, DT::dt_gMonth, L"--12"},
      {[](CDateTime& d) { d.SetGMonthDay(2, 29); }, DT::dt_gMonthDay, L"--02-29"},
      {[](CDateTime& d) { d.SetGDay(31); }, DT::dt_gDay, L"---31"},
      {[](CDateTime& d) { d.SetTime(23, 0, 1, 0, 0, 7); }, DT::dt_time, L"23:00:01.000000007"},
      {[](CDateTime& d) { d.SetFracTime(0, 1, 0); }, DT::dt_time, L"00:00:00.000001"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    CDateTime value;
    row.set(value);
    EXPECT_EQ(value.GetType(), row.kind);
    EXPECT_EQ(value.ToString(), row.text);
    // Setting the same kind again is allowed and drops the zone.
    value.SetTimeZone(2, 0);
    row.set(value);
    EXPECT_FALSE(value.IsUTC());
  }
}

TEST(DateTimeSetters, KindNames) {
  const wchar_t* const names[] = {L"yearZero", L"dateTime", L"date",   L"gYearMonth", L"gYear",
                                  L"time",     L"gDay",     L"gMonth", L"gMonthDay"};
  for (int kind = 0; kind < 9; ++kind) {
    EXPECT_EQ(CDateTime(static_cast<DT::DTType>(kind)).GetTypeAsString(), names[kind]);
  }
  EXPECT_EQ(CDateTime(static_cast<DT::DTType>(9)).GetTypeAsString(), L"");
}

TEST(DateTimeSetters, AnotherKindIsRefused) {
  CDateTime date(2004, 1, 1);
  KORVEL_EXPECT_THROW_MESSAGE(
      date.SetGYear(2004), CKvInvalidStateException,
      L"Failed to copy CDateTime. Invalid Date Type: gYear, expected: date.");
  KORVEL_EXPECT_THROW_MESSAGE(
      date = int64_t{0}, CKvInvalidStateException,
      L"Failed to copy CDateTime. Invalid Date Type: dateTime, expected: date.");
  SYSTEMTIME st{2004, 1, 4, 1, 0, 0, 0, 0};
  KORVEL_EXPECT_THROW_MESSAGE(
      date = st, CKvInvalidStateException,
      L"Failed to copy CDateTime. Invalid Date Type: dateTime, expected: date.");
  EXPECT_EQ(date.ToString(), L"2004-01-01");
}

TEST(DateTimeSetters, ValidationMessagesInOrder) {
  struct Row {
    const char* name;
    void (*set)(CDateTime&);
    const wchar_t* message;
  };
  const Row rows[] = {
      {"month before year", [](CDateTime& d) { d.SetDate(0, 13, 1); },
       L"Invalid Month [13] (1 <= month <= 12)"},
      {"year before day", [](CDateTime& d) { d.SetDate(10000, 2, 30); },
       L"Invalid Year [10000] (-9999 <= year <= 9999 && year != 0)"},
      {"year low", [](CDateTime& d) { d.SetGYear(-10000); },
       L"Invalid Year [-10000] (-9999 <= year <= 9999 && year != 0)"},
      {"leap century", [](CDateTime& d) { d.SetDate(1900, 2, 29); },
       L"Invalid Day [29] (1 <= day <= days in month"},
      {"day zero", [](CDateTime& d) { d.SetDate(2000, 2, 0); },
       L"Invalid Day [0] (1 <= day <= days in month"},
      {"day before hour", [](CDateTime& d) { d.SetDateTime(2001, 6, 31, 24, 0, 0); },
       L"Invalid Day [31] (1 <= day <= days in month"},
      {"hour", [](CDateTime& d) { d.SetTime(24, 60, 60); }, L"Invalid Hour [24] (0 <= hour <= 23)"},
      {"minute", [](CDateTime& d) { d.SetTime(0, 60, 60); },
       L"Invalid Minute [60] (0 <= minute <= 59)"},
      {"second", [](CDateTime& d) { d.SetTime(0, 0, 60, 1000, 0, 0); },
       L"Invalid Second [60] (0 <= second <= 59)"},
      {"milli", [](CDateTime& d) { d.SetTime(0, 0, 0, 1000, 1000, 0); },
       L"Invalid Milli-Second [1000] (0 <= milli <= 999)"},
      {"micro", [](CDateTime& d) { d.SetFracTime(0, 1000, 1000); },
       L"Invalid Micro-Second [1000] (0 <= micro <= 999)"},
      {"nano", [](CDateTime& d) { d.SetFracTime(0, 0, 1000); },
       L"Invalid Nano-Second [1000] (0 <= nano <= 999)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CDateTime value;
    KORVEL_EXPECT_THROW_MESSAGE(row.set(value), CKvInvalidValueException, row.message);
  }
  KORVEL_EXPECT_THROW_MESSAGE(CDateTime().Validate(), CKvInvalidValueException,
                              L"Invalid Year Zero");
}

TEST(DateTimeSetters, ValidateRejectsFieldsTheKindDoesNotUse) {
  // SetDateTime(source, target) keeps the fields the target does not use, so
  // Validate is where they show.
  const CDateTime source = Parse(L"2004-05-06T07:08:09.010011012");
  struct Row {
    DT::DTType target;
    const wchar_t* message;
  };
  const Row rows[] = {
      {DT::dt_date, L"Invalid Hour [7] for type date"},
      {DT::dt_gYear, L"Invalid Month [5] for type gYear"},
      {DT::dt_time, L"Invalid Month [5] for type time"},
      {DT::dt_gMonth, L"Invalid Year [2004] for type gMonth"},
  };
  for (const Row& row : rows) {
    CDateTime value;
    value.SetDateTime(source, row.target);
    SCOPED_TRACE(value.GetTypeAsString());
    KORVEL_EXPECT_THROW_MESSAGE(value.Validate(), CKvInvalidValueException, row.message);
  }
  CDateTime date;
  date.SetDateTime(Parse(L"2004-05-06T00:00:00.000000012"), DT::dt_date);
  KORVEL_EXPECT_THROW_MESSAGE(date.Validate(), CKvInvalidValueException,
                              L"Invalid Nano-Second [12] for type date");
}

TEST(DateTimeSetters, ConversionTableBetweenKinds) {
  // allowed[source][target], in enumeration order.
  const char* const allowed[] = {
      "100000000",  // yearZero
      "111111111",  // dateTime
      "101110111",  // date
      "100110010",  // gYearMonth
      "100010000",  // gYear
      "100001000",  // time
      "100000100",  // gDay
      "100000010",  // gMonth
      "100000111",  // gMonthDay
  };
  const CDateTime full = Parse(L"2004-05-06T07:08:09.5+01:00");
  for (int s = 0; s < 9; ++s) {
    for (int t = 0; t < 9; ++t) {
      CDateTime source;
      source.SetDateTime(full, static_cast<DT::DTType>(s));
      CDateTime target;
      SCOPED_TRACE(std::to_string(s) + " -> " + std::to_string(t));
      if (allowed[s][t] == '1') {
        ASSERT_NO_THROW(target.SetDateTime(source, static_cast<DT::DTType>(t)));
        EXPECT_EQ(target.GetType(), t);
        EXPECT_TRUE(target.HasTimeZone());
      } else {
        KORVEL_EXPECT_THROW_MESSAGE(
            target.SetDateTime(source, static_cast<DT::DTType>(t)), CKvInvalidValueException,
            L"Attempting to set a CDateTime of type " +
                CDateTime(static_cast<DT::DTType>(t)).GetTypeAsString() +
                L" using an XmlDateTime of type " + source.GetTypeAsString() +
                L". The source CDateTime does not contian enough data to allow the conversion.");
      }
    }
  }
  CDateTime target;
  target.SetDateTime(full, DT::dt_gMonthDay);
  EXPECT_EQ(target.ToString(), L"--05-06+01:00");
  KORVEL_EXPECT_THROW_MESSAGE(
      target.SetDateTime(full, static_cast<DT::DTType>(9)), CKvInvalidValueException,
      L"Attempting to set a CDateTime of type  using an XmlDateTime of type "
      L"dateTime. The source CDateTime does not contian enough data to "
      L"allow the conversion.");
  KORVEL_EXPECT_THROW_MESSAGE(
      target.SetDateTime(CDateTime(static_cast<DT::DTType>(12)), DT::dt_date),
      CKvInvalidValueException, L"Unknown date type 12.");
}

TEST(DateTimeFields, GettersAndSettersCheckTheKind) {
  struct Accessor {
    const wchar_t* name;
    const char* kinds;  // kinds 0 to 8 that have the field
    void (*get)(const CDateTime&);
    void (*set)(CDateTime&);
  };
  const Accessor accessors[] = {
      {L"GetYear", "011110000", [](const CDateTime& d) { d.GetYear(); },
       [](CDateTime& d) { d.SetYear(1); }},
      {L"GetMonth", "011100011", [](const CDateTime& d) { d.GetMonth(); },
       [](CDateTime& d) { d.SetMonth(1); }},
      {L"GetDay", "011000101", [](const CDateTime& d) { d.GetDay(); },
       [](CDateTime& d) { d.SetDay(1); }},
      {L"GetHour", "010001000", [](const CDateTime& d) { d.GetHour(); },
       [](CDateTime& d) { d.SetHour(1); }},
      {L"GetMinute", "010001000", [](const CDateTime& d) { d.GetMinute(); },
       [](CDateTime& d) { d.SetMinute(1); }},
      {L"GetSecond", "010001000", [](const CDateTime& d) { d.GetSecond(); },
       [](CDateTime& d) { d.SetSecond(1); }},
      {L"GetMilliSecond", "010001000", [](const CDateTime& d) { d.GetMilliSecond(); },
       [](CDateTime& d) { d.SetMilliSecond(1); }},
      {L"GetMicroSecond", "010001000", [](const CDateTime& d) { d.GetMicroSecond(); },
       [](CDateTime& d) { d.SetMicroSecond(1); }},
      {L"GetNanoSecond", "010001000", [](const CDateTime& d) { d.GetNanoSecond(); },
       [](CDateTime& d) { d.SetNanoSecond(1); }},
      {L"GetRealSecond", "010001000", [](const CDateTime& d) { d.GetRealSecond(); }, nullptr},
  };
  for (const Accessor& accessor : accessors) {
    for (int kind = 0; kind < 10; ++kind) {
      CDateTime value(static_cast<DT::DTType>(kind));
      SCOPED_TRACE(std::wstring(accessor.name) + L" on " + value.GetTypeAsString());
      if (kind < 9 && accessor.kinds[kind] == '1') {
        EXPECT_NO_THROW(accessor.get(value));
        if (accessor.set) {
          EXPECT_NO_THROW(accessor.set(value));
        }
        continue;
      }
      const std::wstring message = L"Failed to " + std::wstring(accessor.name) +
                                   L". Invalid Date Type: " + value.GetTypeAsString() + L".";
      KORVEL_EXPECT_THROW_MESSAGE(accessor.get(value), CKvInvalidStateException, message);
      if (accessor.set) {
        KORVEL_EXPECT_THROW_MESSAGE(accessor.set(value), CKvInvalidStateException, message);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Zone

TEST(DateTimeZone, ZAndOffsetsAreKeptApart) {
  CDateTime z = Parse(L"2004-01-01T00:00:00Z");
  EXPECT_TRUE(z.IsUTC());
  EXPECT_FALSE(z.HasTimeZone());
  KORVEL_EXPECT_THROW_MESSAGE(z.GetZoneHour(), CKvInvalidStateException,
                              L"TimeZone is not been used");
  KORVEL_EXPECT_THROW_MESSAGE(z.GetZoneMinute(), CKvInvalidStateException,
                              L"TimeZone is not been used");

  z.SetTimeZone(23, 59);
  EXPECT_TRUE(z.IsUTC());
  EXPECT_TRUE(z.HasTimeZone());
  EXPECT_EQ(z.GetZoneHour(), 23);
  z.SetUTC();
  EXPECT_FALSE(z.HasTimeZone());
  EXPECT_EQ(z.ToString(), L"2004-01-01T00:00:00Z");

  KORVEL_EXPECT_THROW_MESSAGE(z.SetTimeZone(24, 0), CKvInvalidValueException,
                              L"Invalid TimeZone [24:0]");
  KORVEL_EXPECT_THROW_MESSAGE(z.SetTimeZone(0, 60), CKvInvalidValueException,
                              L"Invalid TimeZone [0:60]");
  EXPECT_EQ(z.ToString(), L"2004-01-01T00:00:00Z");
}

TEST(DateTimeZone, NormalisingMovesAnOffsetToUtc) {
  struct Row {
    const wchar_t* text;
    const wchar_t* normalised;
  };
  const Row rows[] = {
      {L"2004-01-01T02:30:00+05:30", L"2003-12-31T21:00:00+00:00"},
      {L"2004-12-31T20:00:00-04:00", L"2005-01-01T00:00:00+00:00"},
      {L"2004-02-28T23:00:00-01:00", L"2004-02-29T00:00:00+00:00"},
      {L"2004-01-01T00:00:00Z", L"2004-01-01T00:00:00Z"},
      {L"2004-01-01T00:00:00", L"2004-01-01T00:00:00"},
      {L"2004-01-01T00:00:00+00:00", L"2004-01-01T00:00:00+00:00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Parse(row.text).GetNormalized().ToString(), row.normalised);
  }
  EXPECT_EQ(ParseTime(L"01:00:00+02:00").GetNormalized().ToString(), L"23:00:00+00:00");
  EXPECT_EQ(ParseDate(L"2004-03-01+05:00").GetNormalized().ToString(), L"2004-02-29+00:00");
  // Kinds without a month keep their year however the offset shifts them.
  for (const wchar_t* text : {L"2004+05:00", L"2004-05:00", L"2004+00:00"}) {
    SCOPED_TRACE(text);
    const CDateTime normalised = ParseDate(text).GetNormalized();
    EXPECT_EQ(normalised.ToString(), L"2004+00:00");
    EXPECT_NO_THROW(normalised.Validate());
  }
  EXPECT_EQ(ParseDate(L"---01+05:00").GetNormalized().ToString(), L"---30+00:00");
  EXPECT_EQ(ParseDate(L"--05+05:00").GetNormalized().ToString(), L"--04+00:00");
}

// ---------------------------------------------------------------------------
// Conversions and calendar queries

TEST(DateTimeConversion, SystemTimeAndFileTime) {
  const SYSTEMTIME st{2004, 2, 0, 29, 13, 14, 15, 999};
  CDateTime v(st);
  EXPECT_EQ(v.ToString(), L"2004-02-29T13:14:15.999");
  const SYSTEMTIME back = v.GetAsSystemTime();
  EXPECT_EQ(std::make_tuple(back.wYear, back.wMonth, back.wDay, back.wHour, back.wMinute,
                            back.wSecond, back.wMilliseconds),
            std::make_tuple(2004, 2, 29, 13, 14, 15, 999));
  EXPECT_EQ(back.wDayOfWeek, 0);  // a Sunday

  // 2004-02-29T13:14:15.9999999 as 100 ns ticks since 1601: the ticks below a
  // millisecond are dropped.
  const uint64_t ticks =
      (static_cast<uint64_t>(TimegmSeconds(2004, 2, 29, 13, 14, 15)) + 11644473600ull) *
          10000000ull +
      9999999ull;
  const FILETIME ft{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
  EXPECT_EQ(CDateTime(ft).ToString(), L"2004-02-29T13:14:15.999");
  EXPECT_EQ(CDateTime(FILETIME{0, 0}).ToString(), L"1601-01-01T00:00:00");

  CDateTime target;
  KORVEL_EXPECT_THROW_MESSAGE(target = (FILETIME{0, 0x80000000u}), CKvInvalidValueException,
                              L"Failed to convert FILETIME to SYSTEMTIME");
  // The largest FILETIME lies in year 30828, beyond what a date holds.
  KORVEL_EXPECT_THROW_MESSAGE(target = (FILETIME{0xFFFFFFFFu, 0x7FFFFFFFu}),
                              CKvInvalidValueException,
                              L"Invalid Year [30828] (-9999 <= year <= 9999 && year != 0)");
}

TEST(DateTimeConversion, OutOfRangeInputNeverWrapsIntoRange) {
  CDateTime target;
  // 16-bit SYSTEMTIME fields must not be narrowed into valid values.
  KORVEL_EXPECT_THROW_MESSAGE(target = (SYSTEMTIME{2004, 257, 0, 1, 0, 0, 0, 0}),
                              CKvInvalidValueException, L"Invalid Month [257] (1 <= month <= 12)");
  KORVEL_EXPECT_THROW_MESSAGE(target = (SYSTEMTIME{65535, 1, 0, 1, 0, 0, 0, 0}),
                              CKvInvalidValueException,
                              L"Invalid Year [65535] (-9999 <= year <= 9999 && year != 0)");
  KORVEL_EXPECT_THROW_MESSAGE(target = (SYSTEMTIME{2004, 1, 0, 1, 280, 0, 0, 0}),
                              CKvInvalidValueException, L"Invalid Hour [280] (0 <= hour <= 23)");
  KORVEL_EXPECT_THROW_MESSAGE(target = int64_t{253402300800},  // 10000-01-01
                              CKvInvalidValueException,
                              L"Invalid Year [10000] (-9999 <= year <= 9999 && year != 0)");
  KORVEL_EXPECT_THROW_MESSAGE(target = int64_t{-62167219200},  // year 0, between 1 BCE and 1 CE
                              CKvInvalidValueException,
                              L"Invalid Year [0] (-9999 <= year <= 9999 && year != 0)");
  KORVEL_EXPECT_THROW_MESSAGE(target = INT64_MAX, CKvInvalidValueException,
                              L"Failed to convert the time [9223372036854775807] to a CDateTime: "
                              L"its year is out of range.");
  KORVEL_EXPECT_THROW_MESSAGE(target = INT64_MIN, CKvInvalidValueException,
                              L"Failed to convert the time [-9223372036854775808] to a CDateTime: "
                              L"its year is out of range.");
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
      EXPECT_EQ(v.GetYear(), expected.tm_year + 1900) << t;
      EXPECT_EQ(v.GetMonth(), expected.tm_mon + 1) << t;
      EXPECT_EQ(v.GetDay(), expected.tm_mday) << t;
      EXPECT_EQ(v.GetHour(), expected.tm_hour) << t;
      EXPECT_EQ(v.GetMinute(), expected.tm_min) << t;
      EXPECT_EQ(v.GetSecond(), expected.tm_sec) << t;
      EXPECT_FALSE(v.IsUTC());
      EXPECT_EQ(v.GetTime(), t);
      EXPECT_EQ(v.GetDayOfWeek(), expected.tm_wday + 1) << t;
      EXPECT_EQ(v.GetDayOfYear(), expected.tm_yday + 1) << t;
    }
  }
}

TEST(DateTimeConversion, GetTimeNormalisesAndIgnoresTheMachineZone) {
  for (const char* zone : Korvel::testing::kTestZones) {
    ScopedTimeZone tz(zone);
    SCOPED_TRACE(zone);
    EXPECT_EQ(Parse(L"1970-01-01T00:00:00").GetTime(), 0);
    EXPECT_EQ(Parse(L"1970-01-01T00:00:00.999Z").GetTime(), 0);
    EXPECT_EQ(Parse(L"1970-01-01T05:30:00+05:30").GetTime(), 0);
    EXPECT_EQ(Parse(L"2004-07-01T12:00:00-07:00").GetTime(), 1088708400);
    EXPECT_EQ(ParseDate(L"2004-07-01").GetTime(), 1088640000);
    // A date counts from its own midnight.
    EXPECT_EQ(ParseDate(L"2004-07-01+02:00").GetTime(), 1088640000 - 7200);
    EXPECT_EQ(Parse(L"1969-12-31T23:59:59").GetTime(), -1);
    EXPECT_EQ(Parse(L"1600-02-29T00:00:00").GetTime(), TimegmSeconds(1600, 2, 29));
    EXPECT_EQ(Parse(L"9999-12-31T23:59:59").GetTime(), 253402300799);
    EXPECT_EQ(Parse(L"-9999-01-01T00:00:00").GetTime(), TimegmSeconds(-9999, 1, 1));
  }
  KORVEL_EXPECT_THROW_MESSAGE(
      ParseTime(L"10:00:00").GetTime(), CKvInvalidValueException,
      L"Failed to GetTime, Date Status must be dateTime or date. Invalid Date Type: time.");
}

TEST(DateTimeConversion, CalendarQueriesCheckTheKind) {
  const CDateTime gYear = ParseDate(L"2004");
  KORVEL_EXPECT_THROW_MESSAGE(gYear.GetDayOfWeek(), CKvInvalidStateException,
                              L"Failed to GetDayOfWeek. Invalid Date Type: gYear.");
  KORVEL_EXPECT_THROW_MESSAGE(gYear.GetDayOfYear(), CKvInvalidStateException,
                              L"Failed to GetDayOfYear. Invalid Date Type: gYear.");
  KORVEL_EXPECT_THROW_MESSAGE(
      ParseDate(L"2004-01-01").GetAsSystemTime(), CKvInvalidValueException,
      L"Failed to GetAsSystemTime, Date Status must be dateTime. Invalid Date Type: date.");
  KORVEL_EXPECT_THROW_MESSAGE(Parse(L"-0001-01-01T00:00:00").GetAsSystemTime(),
                              CKvInvalidValueException,
                              L"Failed to GetAsSystemTime, the year [-1] is before year 1.");
  CDateTime odd(2004, 1, 1);
  odd.SetMonth(13);
  KORVEL_EXPECT_THROW_MESSAGE(odd.GetDayOfYear(), CKvInvalidValueException,
                              L"Invalid Month [13] (1 <= month <= 12)");
}

TEST(DateTimeConversion, DayOfYearAndWeek) {
  EXPECT_EQ(ParseDate(L"2004-01-01").GetDayOfYear(), 1);
  EXPECT_EQ(ParseDate(L"2004-03-01").GetDayOfYear(), 61);
  // Other days of the year are checked against gmtime with the time_t round trip.
  // The weekday of the value's own date, whatever its offset.
  EXPECT_EQ(Parse(L"2004-01-01T23:00:00-05:00").GetDayOfWeek(), 5);  // a Thursday
  EXPECT_EQ(Parse(L"2004-01-01T01:00:00+05:00").GetDayOfWeek(), 5);
}

TEST(DateTimeConversion, TickCountIsTheLocalTime) {
  for (const char* zone : {"UTC0", "JST-9"}) {
    ScopedTimeZone tz(zone);
    const time_t before = ::time(nullptr);
    const CDateTime now = CDateTime::GetTickCount();
    const time_t after = ::time(nullptr);
    ASSERT_EQ(now.GetType(), DT::dt_dateTime);
    EXPECT_FALSE(now.IsUTC());
    EXPECT_NO_THROW(now.Validate());
    // Read the local fields as if they were UTC: that is the instant plus the offset.
    const int64_t offset = std::string(zone) == "UTC0" ? 0 : 9 * 3600;
    EXPECT_GE(now.GetTime(), before + offset);
    EXPECT_LE(now.GetTime(), after + offset);
  }
}

}  // namespace
