// SPDX-License-Identifier: MIT
// How each typed collection kind reads and writes its values: the one table
// that tells the typed collections apart.
#pragma once

#include <string>

#include <korvel/conversions.h>
#include <korvel/item_type.h>
#include <korvel/typed_collections.h>
#include <korvel/variant.h>

#include "values/value_text.h"

namespace Korvel::detail {

// Parse: the kind's reader under a whitespace rule. Print: its writer, given
// the collection's format (used only by the kinds that take one).
template <ItemType K>
struct KindText;

// Print's text put on the stack, for the kinds whose text is short: false
// for the others and for a formatted decimal or real, which Print prints.
template <ItemType K>
bool PutKindText(const typename TypedItem<K>::Value& value, const std::wstring& format,
                 ShortText& out) {
  if constexpr (K == it_i1 || K == it_i2 || K == it_i4 || K == it_i8) {
    PutSignedText(value, out);
    return true;
  } else if constexpr (K == it_ui1 || K == it_ui2 || K == it_ui4 || K == it_ui8 || K == it_year) {
    PutUnsignedText(value, out);
    return true;
  } else if constexpr (K == it_month) {
    PutMonthText(value, out);
    return true;
  } else if constexpr (K == it_day) {
    PutDayText(value, out);
    return true;
  } else if constexpr (K == it_integer) {
    return PutText(value, out);
  } else if constexpr (K == it_decimal) {
    return format.empty() && PutText(value, out);
  } else if constexpr (K == it_r4 || K == it_r8) {
    return format.empty() && PutRealText(value, out);
  } else if constexpr (K == it_duration) {
    return PutText(value, out);
  } else {
    return false;
  }
}

#define KORVEL_DETAIL_KIND_TEXT(kind, name)                                               \
  template <>                                                                             \
  struct KindText<kind> {                                                                 \
    using Value = TypedItem<kind>::Value;                                                 \
    static Value Parse(const std::wstring& text, CWhitespaceUtils::WhitespaceRule rule) { \
      return CConversions::name##FromString(text, rule);                                  \
    }                                                                                     \
    static std::wstring Print(const Value& value, const std::wstring&) {                  \
      return CConversions::name##ToString(value);                                         \
    }                                                                                     \
  }

// The kinds whose text follows the collection's format.
#define KORVEL_DETAIL_FORMATTED_KIND_TEXT(kind, name)                                     \
  template <>                                                                             \
  struct KindText<kind> {                                                                 \
    using Value = TypedItem<kind>::Value;                                                 \
    static Value Parse(const std::wstring& text, CWhitespaceUtils::WhitespaceRule rule) { \
      return CConversions::name##FromString(text, rule);                                  \
    }                                                                                     \
    static std::wstring Print(const Value& value, const std::wstring& format) {           \
      return CConversions::name##ToString(value, format);                                 \
    }                                                                                     \
  }

KORVEL_DETAIL_KIND_TEXT(it_hexBinary, hexBinary);
KORVEL_DETAIL_KIND_TEXT(it_base64Binary, base64Binary);
KORVEL_DETAIL_KIND_TEXT(it_i1, i1);
KORVEL_DETAIL_KIND_TEXT(it_i2, i2);
KORVEL_DETAIL_KIND_TEXT(it_i4, i4);
KORVEL_DETAIL_KIND_TEXT(it_i8, i8);
KORVEL_DETAIL_KIND_TEXT(it_ui1, ui1);
KORVEL_DETAIL_KIND_TEXT(it_ui2, ui2);
KORVEL_DETAIL_KIND_TEXT(it_ui4, ui4);
KORVEL_DETAIL_KIND_TEXT(it_ui8, ui8);
KORVEL_DETAIL_FORMATTED_KIND_TEXT(it_r4, r4);
KORVEL_DETAIL_FORMATTED_KIND_TEXT(it_r8, r8);
KORVEL_DETAIL_KIND_TEXT(it_duration, duration);
KORVEL_DETAIL_KIND_TEXT(it_yearMonth, yearMonth);
KORVEL_DETAIL_KIND_TEXT(it_monthDay, monthDay);
KORVEL_DETAIL_KIND_TEXT(it_year, year);
KORVEL_DETAIL_KIND_TEXT(it_month, month);
KORVEL_DETAIL_KIND_TEXT(it_day, day);
KORVEL_DETAIL_KIND_TEXT(it_date, date);
KORVEL_DETAIL_KIND_TEXT(it_datetime, datetime);
KORVEL_DETAIL_KIND_TEXT(it_time, time);
KORVEL_DETAIL_KIND_TEXT(it_string, string);
KORVEL_DETAIL_KIND_TEXT(it_boolean, boolean);
KORVEL_DETAIL_FORMATTED_KIND_TEXT(it_decimal, decimal);
KORVEL_DETAIL_KIND_TEXT(it_integer, integer);

#undef KORVEL_DETAIL_KIND_TEXT
#undef KORVEL_DETAIL_FORMATTED_KIND_TEXT

// A view showing value, for the facet check. The check reads the slot or the
// object of the value's family and takes the kind separately, so one setter
// serves every kind stored as the same C++ type.
inline void SetVariant(KvValueView& v, const CBinaryData& value) { v.SetHexBinary(value); }
inline void SetVariant(KvValueView& v, int8_t value) { v.SetI1(value); }
inline void SetVariant(KvValueView& v, int16_t value) { v.SetI2(value); }
inline void SetVariant(KvValueView& v, int32_t value) { v.SetI4(value); }
inline void SetVariant(KvValueView& v, int64_t value) { v.SetI8(value); }
inline void SetVariant(KvValueView& v, uint8_t value) { v.SetUI1(value); }
inline void SetVariant(KvValueView& v, uint16_t value) { v.SetUI2(value); }
inline void SetVariant(KvValueView& v, uint32_t value) { v.SetUI4(value); }
inline void SetVariant(KvValueView& v, uint64_t value) { v.SetUI8(value); }
inline void SetVariant(KvValueView& v, float value) { v.SetR4(value); }
inline void SetVariant(KvValueView& v, double value) { v.SetR8(value); }
inline void SetVariant(KvValueView& v, const CDateTimeSpan& value) { v.SetDuration(value); }
inline void SetVariant(KvValueView& v, const CDateTime& value) { v.SetDate(value); }
inline void SetVariant(KvValueView& v, const std::wstring& value) { v.SetString(value); }
inline void SetVariant(KvValueView& v, bool value) { v.SetBoolean(value); }
inline void SetVariant(KvValueView& v, const CDecimal& value) { v.SetDecimal(value); }
inline void SetVariant(KvValueView& v, const CBigInteger& value) { v.SetInteger(value); }

}  // namespace Korvel::detail
