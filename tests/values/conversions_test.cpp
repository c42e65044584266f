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

// A conversion with its result dropped, so that all kinds share one signature.
template <auto parse>
void Discard(const std::wstring& text, CWhitespaceUtils::WhitespaceRule rule) {
  static_cast<void>(parse(text, rule));
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
}

TEST(Conversions, DecimalAndInteger) {
  EXPECT_EQ(CConversions::decimalFromString(L"  1.50\t", kCollapse), CDecimal(L"1.5"));
  EXPECT_EQ(CConversions::decimalFromString(L"-0.25", kNone).ToString(), L"-0.25");
  // Malformed text carries the decimal parser's message about the ruled text.
  for (const wchar_t* text : {L" 1.2.3 ", L"\t12x\n", L"abc"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(text)));
    std::wstring expected;
    try {
      CDecimal(CWhitespaceUtils::Collapse(text));
    } catch (const CKvInvalidValueException& e) {
      expected = e.GetMessageW();
    }
    ASSERT_FALSE(expected.empty());
    KORVEL_EXPECT_THROW_MESSAGE(CConversions::decimalFromString(text, kCollapse),
                                CKvInvalidValueException, expected);
  }

  const CDecimal price(L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price), L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price, L""), L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price, L"2"), L"148.96");
  EXPECT_EQ(CConversions::decimalToString(price, L" +4 places"), L"148.9550");
  EXPECT_EQ(CConversions::decimalToString(price, L"places"), L"149.");
  EXPECT_THROW(CConversions::decimalToString(price, L"-1"), CKvInvalidParamException);
  EXPECT_THROW(CConversions::decimalToString(price, L"99999999999"), CKvInvalidParamException);

  EXPECT_EQ(
      CConversions::integerFromString(L" 123456789012345678901234567890 ", kCollapse).ToString(),
      L"123456789012345678901234567890");
  EXPECT_EQ(CConversions::integerToString(CBigInteger(-42)), L"-42");
  EXPECT_THROW(CConversions::integerFromString(L"12x", kCollapse), CKvInvalidValueException);
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

// Random text for every kind: a value or an exception of the library's
// family, never anything else (the sanitizer build checks for leaks and
// overruns on the way).
TEST(Conversions, RandomTextEitherParsesOrThrowsTheFamily) {
  using C = CConversions;
  using Parse = void (*)(const std::wstring&, CWhitespaceUtils::WhitespaceRule);
  const Parse parsers[] = {
      Discard<C::hexBinaryFromString>, Discard<C::base64BinaryFromString>,
      Discard<C::i1FromString>,        Discard<C::i2FromString>,
      Discard<C::i4FromString>,        Discard<C::i8FromString>,
      Discard<C::ui1FromString>,       Discard<C::ui2FromString>,
      Discard<C::ui4FromString>,       Discard<C::ui8FromString>,
      Discard<C::r4FromString>,        Discard<C::r8FromString>,
      Discard<C::durationFromString>,  Discard<C::yearMonthFromString>,
      Discard<C::monthDayFromString>,  Discard<C::yearFromString>,
      Discard<C::monthFromString>,     Discard<C::dayFromString>,
      Discard<C::dateFromString>,      Discard<C::datetimeFromString>,
      Discard<C::timeFromString>,      Discard<C::charFromString>,
      Discard<C::stringFromString>,    Discard<C::booleanFromString>,
      Discard<C::decimalFromString>,   Discard<C::integerFromString>,
  };
  // Characters every grammar uses, plus strangers.
  const std::wstring alphabet =
      L"0123456789012345678901234567890123456789+-.:TZPYMDHSEeAFaftruelsxXnNI#= \t\r\n\v"
      L"\x00A0\x0663\xFEFF\U0001F600";
  std::mt19937 random(3);
  int parsed = 0;
  for (int round = 0; round < 800; ++round) {
    std::wstring text;
    for (size_t n = random() % 24; n > 0; --n) text += alphabet[random() % alphabet.size()];
    if (random() % 16 == 0) text += L'\0';
    auto rule = static_cast<CWhitespaceUtils::WhitespaceRule>(random() % 4);
    for (size_t kind = 0; kind < std::size(parsers); ++kind) {
      try {
        parsers[kind](text, rule);
        ++parsed;
      } catch (const CKvException&) {
      } catch (...) {
        ADD_FAILURE() << "kind " << kind << " let a foreign exception escape for "
                      << ::testing::PrintToString(text);
      }
    }
  }
  EXPECT_GT(parsed, 800);  // strings, and empty base64, at least
}
