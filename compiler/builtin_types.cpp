// SPDX-License-Identifier: MIT
// The built-in type table.
#include "builtin_types.h"

namespace KorvelXsd {

const wchar_t* const kXsdNamespaceUri = L"http://www.w3.org/2001/XMLSchema";

namespace {

constexpr const char* kNone = "ws_none";
constexpr const char* kReplace = "ws_replace";
constexpr const char* kCollapse = "ws_collapse";
constexpr const char* kString = "std::wstring";
constexpr const char* kDateTime = "Korvel::CDateTime";
constexpr const char* kDateHeader = "korvel/date_time.h";
constexpr const char* kBigHeader = "korvel/big_integer.h";

// Text types keep their text; the derived string types differ only in how
// their whitespace is normalised.
const BuiltinType kBuiltins[] = {
    {L"string", "it_string", kNone, kString, "String", nullptr, nullptr, nullptr},
    {L"anySimpleType", "it_string", kNone, kString, "String", nullptr, nullptr, nullptr},
    {L"normalizedString", "it_string", kReplace, kString, "String", nullptr, nullptr, nullptr},
    {L"token", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"language", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"Name", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"NCName", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"ID", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"IDREF", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"IDREFS", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"ENTITY", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"ENTITIES", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"NMTOKEN", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"NMTOKENS", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"anyURI", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"QName", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"NOTATION", "it_string", kCollapse, kString, "String", nullptr, nullptr, nullptr},
    {L"boolean", "it_boolean", kCollapse, "bool", "Boolean", nullptr, nullptr, nullptr},
    {L"float", "it_r4", kCollapse, "float", "R4", nullptr, nullptr, nullptr},
    {L"double", "it_r8", kCollapse, "double", "R8", nullptr, nullptr, nullptr},
    {L"decimal", "it_decimal", kCollapse, "Korvel::CDecimal", "Decimal", "korvel/decimal.h",
     nullptr, nullptr},
    {L"integer", "it_integer", kCollapse, "Korvel::CBigInteger", "Integer", kBigHeader, nullptr,
     nullptr},
    {L"nonPositiveInteger", "it_integer", kCollapse, "Korvel::CBigInteger", "Integer", kBigHeader,
     nullptr, L"0"},
    {L"negativeInteger", "it_integer", kCollapse, "Korvel::CBigInteger", "Integer", kBigHeader,
     nullptr, L"-1"},
    {L"nonNegativeInteger", "it_integer", kCollapse, "Korvel::CBigInteger", "Integer", kBigHeader,
     L"0", nullptr},
    {L"positiveInteger", "it_integer", kCollapse, "Korvel::CBigInteger", "Integer", kBigHeader,
     L"1", nullptr},
    {L"long", "it_i8", kCollapse, "int64_t", "I8", nullptr, nullptr, nullptr},
    {L"int", "it_i4", kCollapse, "int32_t", "I4", nullptr, nullptr, nullptr},
    {L"short", "it_i2", kCollapse, "int16_t", "I2", nullptr, nullptr, nullptr},
    {L"byte", "it_i1", kCollapse, "int8_t", "I1", nullptr, nullptr, nullptr},
    {L"unsignedLong", "it_ui8", kCollapse, "uint64_t", "UI8", nullptr, nullptr, nullptr},
    {L"unsignedInt", "it_ui4", kCollapse, "uint32_t", "UI4", nullptr, nullptr, nullptr},
    {L"unsignedShort", "it_ui2", kCollapse, "uint16_t", "UI2", nullptr, nullptr, nullptr},
    {L"unsignedByte", "it_ui1", kCollapse, "uint8_t", "UI1", nullptr, nullptr, nullptr},
    {L"duration", "it_duration", kCollapse, "Korvel::CDateTimeSpan", "Duration",
     "korvel/date_time_span.h", nullptr, nullptr},
    {L"dateTime", "it_datetime", kCollapse, kDateTime, "DateTime", kDateHeader, nullptr, nullptr},
    {L"date", "it_date", kCollapse, kDateTime, "Date", kDateHeader, nullptr, nullptr},
    {L"time", "it_time", kCollapse, kDateTime, "Time", kDateHeader, nullptr, nullptr},
    {L"gYearMonth", "it_yearMonth", kCollapse, kDateTime, "YearMonth", kDateHeader, nullptr,
     nullptr},
    {L"gMonthDay", "it_monthDay", kCollapse, kDateTime, "MonthDay", kDateHeader, nullptr, nullptr},
    {L"gYear", "it_year", kCollapse, "uint16_t", "Year", nullptr, nullptr, nullptr},
    {L"gMonth", "it_month", kCollapse, "uint8_t", "Month", nullptr, nullptr, nullptr},
    {L"gDay", "it_day", kCollapse, "uint8_t", "Day", nullptr, nullptr, nullptr},
    {L"hexBinary", "it_hexBinary", kCollapse, "Korvel::CBinaryData", "HexBinary",
     "korvel/binary_data.h", nullptr, nullptr},
    {L"base64Binary", "it_base64Binary", kCollapse, "Korvel::CBinaryData", "Base64Binary",
     "korvel/binary_data.h", nullptr, nullptr},
};

}  // namespace

const BuiltinType* FindBuiltin(const std::wstring& localName) {
  for (const BuiltinType& type : kBuiltins) {
    if (localName == type.name) return &type;
  }
  return nullptr;
}

}  // namespace KorvelXsd
