// SPDX-License-Identifier: MIT
// ItemType: the value kinds of generated properties, attributes and typed collections.
#pragma once

#include <cstdint>

namespace Korvel {

// The numbers are shared with generated code and the metadata tables. The
// comment gives the C++ type in which each kind travels.
// Visible outside the library, so that clang exports the collection templates
// instantiated on it.
#pragma GCC visibility push(default)
enum ItemType : int32_t {
  it_none = 0,            // no value
  it_hexBinary = 1,       // CBinaryData
  it_base64Binary = 2,    // CBinaryData
  it_i1 = 3,              // int8_t
  it_i2 = 4,              // int16_t
  it_i4 = 5,              // int32_t
  it_i8 = 6,              // int64_t
  it_ui1 = 7,             // uint8_t
  it_ui2 = 8,             // uint16_t
  it_ui4 = 9,             // uint32_t
  it_ui8 = 10,            // uint64_t
  it_r4 = 11,             // float
  it_r8 = 12,             // double
  it_duration = 13,       // CDateTimeSpan
  it_yearMonth = 14,      // CDateTime
  it_monthDay = 15,       // CDateTime
  it_year = 16,           // uint16_t
  it_month = 17,          // uint8_t
  it_day = 18,            // uint8_t
  it_date = 19,           // CDateTime
  it_datetime = 20,       // CDateTime
  it_time = 21,           // CDateTime
  it_char = 22,           // wchar_t
  it_string = 23,         // std::wstring
  it_boolean = 24,        // bool
  it_decimal = 25,        // CDecimal
  it_integer = 26,        // CBigInteger
  it_xmlObject = 27,      // counted reference to a CXmlObjectBase
  it_xmlCollection = 28,  // counted reference to a CXmlCollectionBase
};
#pragma GCC visibility pop

}  // namespace Korvel
