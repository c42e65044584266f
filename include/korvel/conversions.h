// SPDX-License-Identifier: MIT
// CConversions: the XSD lexical form of every primitive kind, to and from text.
#pragma once

#include <cstdint>
#include <string>

#include <korvel/big_integer.h>
#include <korvel/binary_data.h>
#include <korvel/date_time.h>
#include <korvel/decimal.h>
#include <korvel/export.h>
#include <korvel/whitespace_utils.h>

namespace Korvel {

// Static functions only. Every FromString function first applies the
// whitespace rule, then parses; without a rule it applies its kind's own:
// preserve for string and char, collapse for every other kind; a text that does not parse throws
// CKvInvalidValueException quoting it, and nothing is ever returned on failure.
// Numbers are read and written in the C locale whatever the process locale is.
class KORVEL_API CConversions {
 public:
  using WhitespaceRule = CWhitespaceUtils::WhitespaceRule;

  CConversions() = delete;

  // To text.
  static std::wstring hexBinaryToString(const CBinaryData& value);
  static std::wstring base64BinaryToString(const CBinaryData& value);
  static std::wstring i1ToString(int8_t value);
  static std::wstring i2ToString(int16_t value);
  static std::wstring i4ToString(int32_t value);
  static std::wstring i8ToString(int64_t value);
  static std::wstring ui1ToString(uint8_t value);
  static std::wstring ui2ToString(uint16_t value);
  static std::wstring ui4ToString(uint32_t value);
  static std::wstring ui8ToString(uint64_t value);
  // "NaN", "INF" and "-INF" for the special values, otherwise the shortest
  // text that reads back as the same value (r4 as a float: 0.1f is "0.1"), in
  // plain or exponent notation, whichever is shorter. A non-empty format replaces the default: printf-style text
  // with exactly one floating conversion (e, f, g, a in either case; flags,
  // width and precision of up to three digits each; no "*"), which is given the
  // value as a double; any other format throws CKvInvalidParamException. The
  // result is never cut short.
  static std::wstring r4ToString(float value);
  static std::wstring r4ToString(float value, const std::wstring& format);
  static std::wstring r8ToString(double value);
  static std::wstring r8ToString(double value, const std::wstring& format);
  static std::wstring durationToString(const CDateTimeSpan& value);
  // All five print the kind the value itself holds.
  static std::wstring dateToString(const CDateTime& value);
  static std::wstring datetimeToString(const CDateTime& value);
  static std::wstring timeToString(const CDateTime& value);
  static std::wstring yearMonthToString(const CDateTime& value);
  static std::wstring monthDayToString(const CDateTime& value);
  static std::wstring yearToString(uint16_t value);
  static std::wstring monthToString(uint8_t value);  // "--05"
  static std::wstring dayToString(uint8_t value);    // "---07"
  // U+0000 gives "".
  static std::wstring charToString(wchar_t value);
  static std::wstring stringToString(const std::wstring& value);
  static std::wstring booleanToString(bool value);
  static std::wstring decimalToString(const CDecimal& value);
  // A non-empty format is read as a number of places (leading digits after an
  // optional sign, 0 when there are none) and the value printed with exactly
  // that many, as CDecimal::ToString(places).
  static std::wstring decimalToString(const CDecimal& value, const std::wstring& format);
  static std::wstring integerToString(const CBigInteger& value);

  // From text. The integers are read as the C library's wide-string parsers
  // read base 10: leading whitespace and one sign, and for the unsigned kinds a
  // "-" that negates modulo 2^N; the whole text must be consumed.
  static CBinaryData hexBinaryFromString(const std::wstring& text,
                                         WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static CBinaryData base64BinaryFromString(const std::wstring& text,
                                            WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static int8_t i1FromString(const std::wstring& text,
                             WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static int16_t i2FromString(const std::wstring& text,
                              WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static int32_t i4FromString(const std::wstring& text,
                              WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static int64_t i8FromString(const std::wstring& text,
                              WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static uint8_t ui1FromString(const std::wstring& text,
                               WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static uint16_t ui2FromString(const std::wstring& text,
                                WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static uint32_t ui4FromString(const std::wstring& text,
                                WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static uint64_t ui8FromString(const std::wstring& text,
                                WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  // "NaN", "1.#QNAN", "-NAN", "INF" and "-INF" exactly, otherwise a C-library
  // floating-point number (decimal or hex, "inf", "nan") that must fill the
  // text. Out-of-range values become infinity or zero; r4 narrows the double.
  static float r4FromString(const std::wstring& text,
                            WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static double r8FromString(const std::wstring& text,
                             WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static CDateTimeSpan durationFromString(const std::wstring& text,
                                          WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  // These three accept any date kind the text has (2004, 2004-05, --05-01 ...).
  static CDateTime yearMonthFromString(const std::wstring& text,
                                       WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static CDateTime monthDayFromString(const std::wstring& text,
                                      WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static CDateTime dateFromString(const std::wstring& text,
                                  WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static CDateTime datetimeFromString(const std::wstring& text,
                                      WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static CDateTime timeFromString(const std::wstring& text,
                                  WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  // A date of any kind that has the field; others throw CKvInvalidStateException.
  static uint16_t yearFromString(const std::wstring& text,
                                 WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static uint8_t monthFromString(const std::wstring& text,
                                 WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static uint8_t dayFromString(const std::wstring& text,
                               WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  // Exactly one character.
  static wchar_t charFromString(const std::wstring& text,
                                WhitespaceRule rule = CWhitespaceUtils::ws_preserve);
  static std::wstring stringFromString(const std::wstring& text,
                                       WhitespaceRule rule = CWhitespaceUtils::ws_preserve);
  // "true", "false", "1" or "0", in any letter case.
  static bool booleanFromString(const std::wstring& text,
                                WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static CDecimal decimalFromString(const std::wstring& text,
                                    WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
  static CBigInteger integerFromString(const std::wstring& text,
                                       WhitespaceRule rule = CWhitespaceUtils::ws_collapse);
};

}  // namespace Korvel
