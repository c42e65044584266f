// SPDX-License-Identifier: MIT
#include <korvel/conversions.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "test_support.h"

using namespace Korvel;

namespace {

constexpr auto kNone = CWhitespaceUtils::ws_none;
constexpr auto kReplace = CWhitespaceUtils::ws_replace;
constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

std::wstring Bytes(const CBinaryData& data) {
  return CBinaryData::GetAsHexString(data.GetData(), data.GetLength());
}

}  // namespace

TEST(Conversions, Boolean) {
  struct Row {
    const wchar_t* text;
    bool value;
  };
  for (Row row :
       {Row{L"true", true}, Row{L"TRUE", true}, Row{L"tRuE", true}, Row{L"false", false},
        Row{L"False", false}, Row{L"1", true}, Row{L"0", false}, Row{L" \ttrue\r\n", true}}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(row.text)));
    EXPECT_EQ(CConversions::booleanFromString(row.text, kCollapse), row.value);
  }
  // The message quotes the text as the caller gave it, before the rule.
  for (const wchar_t* text :
       {L"yes", L"", L"tru", L"truee", L"01", L"+1", L" 1 x", L"\x0131", L"t\x0280ue", L" true "}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(text)));
    auto rule = std::wstring(text) == L" true " ? kNone : kCollapse;
    KORVEL_EXPECT_THROW_MESSAGE(CConversions::booleanFromString(text, rule),
                                CKvInvalidValueException,
                                std::wstring(L"A Boolean Value read from an XML document was "
                                             L"invalid [") +
                                    text + L"]. Valid values are 'true', 'false', '1', or '0'");
  }
  EXPECT_EQ(CConversions::booleanToString(true), L"true");
  EXPECT_EQ(CConversions::booleanToString(false), L"false");
}

TEST(Conversions, CharAndString) {
  EXPECT_EQ(CConversions::charFromString(L" a\n", kCollapse), L'a');
  EXPECT_EQ(CConversions::charFromString(L" ", kNone), L' ');
  EXPECT_EQ(CConversions::charFromString(L"\U0001F600", kNone), L'\U0001F600');
  for (const wchar_t* text : {L"", L"ab", L"  "}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(text)));
    std::wstring ruled = CWhitespaceUtils::Replace(text);
    KORVEL_EXPECT_THROW_MESSAGE(CConversions::charFromString(text, kReplace),
                                CKvInvalidValueException,
                                L"The value [" + ruled +
                                    L"] can not be a char as it is either empty of greater than 1 "
                                    L"char long");
  }
  EXPECT_EQ(CConversions::charToString(L'x'), L"x");
  EXPECT_EQ(CConversions::charToString(L'\0'), L"");

  EXPECT_EQ(CConversions::stringFromString(L" a \r\n b ", kNone), L" a \r\n b ");
  EXPECT_EQ(CConversions::stringFromString(L" a \r\n b ", CWhitespaceUtils::ws_preserve),
            L" a \n b ");
  EXPECT_EQ(CConversions::stringFromString(L" a \r\n b ", kReplace), L" a   b ");
  EXPECT_EQ(CConversions::stringFromString(L" a \r\n b ", kCollapse), L"a b");
  EXPECT_EQ(CConversions::stringToString(L"as is \t"), L"as is \t");
  KORVEL_EXPECT_THROW_MESSAGE(
      CConversions::stringFromString(L"x", static_cast<CWhitespaceUtils::WhitespaceRule>(9)),
      CKvException, L"Unknown WhitespaceRule");
}

TEST(Conversions, Binary) {
  CBinaryData hex = CConversions::hexBinaryFromString(L" 0aFf\n", kCollapse);
  EXPECT_EQ(Bytes(hex), L"0AFF");
  EXPECT_EQ(CConversions::hexBinaryToString(hex), L"0AFF");
  EXPECT_EQ(CConversions::hexBinaryFromString(L"", kCollapse).GetLength(), 0u);
  for (const wchar_t* text : {L"ABC", L"0A FF"}) {
    KORVEL_EXPECT_THROW_MESSAGE(CConversions::hexBinaryFromString(text, kCollapse), CKvException,
                                L"Invalid length in hex string");
  }

  CBinaryData base64 = CConversions::base64BinaryFromString(L"SGVs\r\nbG8=", kNone);
  EXPECT_EQ(Bytes(base64), L"48656C6C6F");
  EXPECT_EQ(CConversions::base64BinaryToString(base64), L"SGVsbG8=");
  // Text outside the alphabet is no error: the value is empty.
  EXPECT_EQ(CConversions::base64BinaryFromString(L"SGVs!", kCollapse).GetLength(), 0u);
}

// Only the XSD lexical forms are read: the message names the ruled text and the
// first character that does not fit.
TEST(Conversions, DecimalAndIntegerTakeTheirLexicalFormsOnly) {
  EXPECT_EQ(CConversions::decimalFromString(L"  1.50\t", kCollapse), CDecimal(L"1.5"));
  EXPECT_EQ(CConversions::decimalFromString(L"-0.25", kNone).ToString(), L"-0.25");
  EXPECT_EQ(CConversions::decimalFromString(L"+.5", kNone), CDecimal(L"0.5"));
  EXPECT_EQ(CConversions::decimalFromString(L"7.", kNone), CDecimal(L"7"));
  const auto invalid = [](int position, const std::wstring& text) {
    return L"The string representing a Decimal, contained an invalid char at position " +
           std::to_wstring(position) + L" [" + text + L"].";
  };
  struct Row {
    const wchar_t* text;
    const wchar_t* ruled;
    int decimalPosition;  // -1: a decimal
    int integerPosition;
  };
  const Row rows[] = {
      {L" 1.2.3 ", L"1.2.3", 3, 1}, {L"1e3", L"1e3", 1, 1},      {L"1 000", L"1 000", 1, 1},
      {L"+-1", L"+-1", 1, 1},       {L"--1", L"--1", 1, 1},      {L"-", L"-", 1, 1},
      {L".", L".", 1, 0},           {L"\t12x\n", L"12x", 2, 2}, {L"1.5", L"1.5", -1, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(r.text)));
    if (r.decimalPosition >= 0) {
      KORVEL_EXPECT_THROW_MESSAGE(CConversions::decimalFromString(r.text, kCollapse),
                                  CKvInvalidValueException, invalid(r.decimalPosition, r.ruled));
    }
    KORVEL_EXPECT_THROW_MESSAGE(CConversions::integerFromString(r.text, kCollapse),
                                CKvInvalidValueException, invalid(r.integerPosition, r.ruled));
  }
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::decimalFromString(L" \t", kCollapse),
                              CKvInvalidValueException,
                              L"The string representing a Decimal is empty.");
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::integerFromString(L"", kNone),
                              CKvInvalidValueException,
                              L"The string representing an Integer is empty.");
  // Whitespace the rule keeps is no part of the form.
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::decimalFromString(L" 1", kNone),
                              CKvInvalidValueException, invalid(0, L" 1"));

  const CDecimal price(L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price), L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price, L""), L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price, L"2"), L"148.96");
  EXPECT_EQ(CConversions::decimalToString(price, L" +4 places"), L"148.9550");
  EXPECT_EQ(CConversions::decimalToString(price, L"places"), L"149.");
  EXPECT_THROW(CConversions::decimalToString(price, L"-1"), CKvInvalidParamException);
  EXPECT_THROW(CConversions::decimalToString(price, L"99999999999"), CKvInvalidParamException);

  EXPECT_EQ(
      CConversions::integerFromString(L" +123456789012345678901234567890 ", kCollapse).ToString(),
      L"123456789012345678901234567890");
  EXPECT_EQ(CConversions::integerToString(CBigInteger(-42)), L"-42");
}

TEST(Conversions, DatesAndDurations) {
  CDateTime dateTime = CConversions::datetimeFromString(L" 2004-05-06T07:08:09.5Z\n", kCollapse);
  EXPECT_EQ(dateTime.GetType(), CDateTime::dt_dateTime);
  EXPECT_EQ(CConversions::datetimeToString(dateTime), L"2004-05-06T07:08:09.5Z");

  CDateTime time = CConversions::timeFromString(L"23:59:59+01:00", kNone);
  EXPECT_EQ(time.GetType(), CDateTime::dt_time);
  EXPECT_EQ(CConversions::timeToString(time), L"23:59:59+01:00");
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::timeFromString(L"24:00:00", kNone),
                              CKvInvalidValueException,
                              L"Invalid XSD Time [24:00:00] expected hh:mm:ss[.ff]");

  // The date readers take whatever date kind the text has.
  struct Row {
    const wchar_t* text;
    CDateTime::DTType kind;
  };
  for (Row row : {Row{L"2004", CDateTime::dt_gYear}, Row{L"2004-05", CDateTime::dt_gYearMonth},
                  Row{L"2004-05-06", CDateTime::dt_date}, Row{L"--05", CDateTime::dt_gMonth},
                  Row{L"--05-06", CDateTime::dt_gMonthDay}, Row{L"---06", CDateTime::dt_gDay}}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(row.text)));
    for (auto parse : {&CConversions::dateFromString, &CConversions::yearMonthFromString,
                       &CConversions::monthDayFromString}) {
      CDateTime value = parse(row.text, kCollapse);
      EXPECT_EQ(value.GetType(), row.kind);
      EXPECT_EQ(CConversions::dateToString(value), row.text);
    }
  }
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::dateFromString(L"2003-02-29", kNone),
                              CKvInvalidValueException,
                              L"Invalid Day [29] (1 <= day <= days in month");

  EXPECT_EQ(CConversions::yearFromString(L"2004-05", kCollapse), 2004);
  EXPECT_EQ(CConversions::yearFromString(L"2004-05-06Z", kCollapse), 2004);
  EXPECT_EQ(CConversions::monthFromString(L"--05-06", kCollapse), 5);
  EXPECT_EQ(CConversions::monthFromString(L"--11", kCollapse), 11);
  EXPECT_EQ(CConversions::dayFromString(L" ---31 ", kCollapse), 31);
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::yearFromString(L"--05", kNone),
                              CKvInvalidStateException,
                              L"Failed to GetYear. Invalid Date Type: gMonth.");
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::monthFromString(L"2004", kNone),
                              CKvInvalidStateException,
                              L"Failed to GetMonth. Invalid Date Type: gYear.");
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::dayFromString(L"2004-05", kNone),
                              CKvInvalidStateException,
                              L"Failed to GetDay. Invalid Date Type: gYearMonth.");
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::yearFromString(L"", kNone), CKvInvalidValueException,
                              L"Invalid Date (Empty String)");

  CDateTimeSpan span = CConversions::durationFromString(L"\n-P1Y2M3DT4H5M6.789S ", kCollapse);
  EXPECT_TRUE(span.IsNegative());
  EXPECT_EQ(CConversions::durationToString(span), L"-P1Y2M3DT4H5M6.789S");
  KORVEL_EXPECT_THROW_MESSAGE(
      CConversions::durationFromString(L"P 1Y", kNone), CKvInvalidValueException,
      L"Invalid XSD Duration [P 1Y] expected [-]P[nY][nM][nD][T[nH][nM][nS.ff]]");
}
