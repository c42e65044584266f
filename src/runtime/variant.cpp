// SPDX-License-Identifier: MIT
// KvVariant: the tagged value carrier.
#include <korvel/variant.h>

#include <memory>
#include <type_traits>
#include <utility>

#include <korvel/conversions.h>
#include <korvel/errors.h>

#include "runtime/messages.h"
#include "runtime/variant_reference.h"
#include "values/value_text.h"
#include "values/whitespace_rules.h"

namespace Korvel {

namespace {

// GetType's names, by kind; the object kinds have none.
constexpr const wchar_t* kTypeNames[] = {
    nullptr,      L"hexBinary", L"base64Binary", L"i1",      L"i2",      L"i4",      L"i8",
    L"ui1",       L"ui2",       L"ui4",          L"ui8",     L"r4",      L"r8",      L"duration",
    L"yearMonth", L"monthDay",  L"year",         L"month",   L"day",     L"date",    L"datetime",
    L"time",      L"char",      L"string",       L"boolean", L"decimal", L"integer",
};
constexpr int kLastNamedType = it_integer;

bool IsBinary(ItemType kind) noexcept { return kind == it_hexBinary || kind == it_base64Binary; }

bool IsDate(ItemType kind) noexcept {
  return kind == it_yearMonth || kind == it_monthDay || kind == it_date || kind == it_datetime ||
         kind == it_time;
}

[[noreturn]] void ThrowInvalidTypeToString(ItemType kind) {
  throw CKvException(FormatString(detail::kVariantInvalidTypeToString, static_cast<int>(kind)));
}

[[noreturn]] void ThrowUnknownType() { throw CKvException(detail::kVariantUnknownType); }

[[noreturn]] void ThrowNoValue(const char* operation, bool nil, ItemType kind) {
  if (nil) throw CKvInvalidStateException(FormatString(detail::kVariantNil, operation));
  throw CKvInvalidStateException(
      FormatString(detail::kVariantWrongType, operation, static_cast<int>(kind)));
}

// Copies the value of a carrier of kind that is not nil. Heap values are
// copied (binary values share their buffer), references counted once more.
// (A template only because the value's type is private to the carrier.)
template <class Value>
Value CopyValue(ItemType kind, const Value& source) {
  Value copy{};
  bool known = kind >= it_none && kind <= it_xmlCollection;
  if (!known) ThrowUnknownType();
  if (source.raw == 0) return copy;  // no heap value or reference held
  switch (kind) {
    case it_hexBinary:
    case it_base64Binary:
      copy.binary = new CBinaryData(*source.binary);
      break;
    case it_duration:
      copy.duration = new CDateTimeSpan(*source.duration);
      break;
    case it_yearMonth:
    case it_monthDay:
    case it_date:
    case it_datetime:
    case it_time:
      copy.date = new CDateTime(*source.date);
      break;
    case it_string:
      copy.string = new std::wstring(*source.string);
      break;
    case it_decimal:
      copy.decimal = new CDecimal(*source.decimal);
      break;
    case it_integer:
      copy.integer = new CBigInteger(*source.integer);
      break;
    case it_xmlObject:
    case it_xmlCollection:
      copy.reference = source.reference->Clone().release();
      break;
    case it_none:
    case it_i1:
    case it_i2:
    case it_i4:
    case it_i8:
    case it_ui1:
    case it_ui2:
    case it_ui4:
    case it_ui8:
    case it_r4:
    case it_r8:
    case it_year:
    case it_month:
    case it_day:
    case it_char:
    case it_boolean:
      copy.raw = source.raw;
      break;
  }
  return copy;
}

// A value with one member set and every other byte zero, as raw == 0 means
// "none". (A template only because the value's type is private to the carrier.)
template <class Union, class Member>
Union Holding(Member Union::*member, std::common_type_t<Member> value) noexcept {
  Union held{};
  held.*member = value;
  return held;
}

}  // namespace

KvVariant::KvVariant(const KvVariant& other) : KvVariant() { *this = other; }

KvVariant::KvVariant(KvVariant&& other) noexcept
    : m_nil(std::exchange(other.m_nil, false)),
      m_borrowed(std::exchange(other.m_borrowed, false)),
      m_type(std::exchange(other.m_type, it_none)),
      m_value(std::exchange(other.m_value, Value{})) {}

KvVariant& KvVariant::operator=(const KvVariant& other) {
  if (this == &other) return *this;
  // The copy is made before anything is freed, so a failure leaves this as it was.
  Value copy{};
  if (!other.m_nil) copy = CopyValue(other.m_type, other.m_value);
  Clear();
  m_nil = other.m_nil;
  m_type = other.m_type;
  m_value = copy;
  return *this;
}

KvVariant& KvVariant::operator=(KvVariant&& other) noexcept {
  if (this == &other) return *this;
  Clear();
  m_nil = std::exchange(other.m_nil, false);
  m_borrowed = std::exchange(other.m_borrowed, false);
  m_type = std::exchange(other.m_type, it_none);
  m_value = std::exchange(other.m_value, Value{});
  return *this;
}

KvVariant::~KvVariant() { Clear(); }

void KvVariant::Clear() noexcept {
  m_handOver = false;
  if (m_type == it_none) return;
  switch (m_borrowed ? it_none : m_type) {
    case it_hexBinary:
    case it_base64Binary:
      delete m_value.binary;
      break;
    case it_duration:
      delete m_value.duration;
      break;
    case it_yearMonth:
    case it_monthDay:
    case it_date:
    case it_datetime:
    case it_time:
      delete m_value.date;
      break;
    case it_string:
      delete m_value.string;
      break;
    case it_decimal:
      delete m_value.decimal;
      break;
    case it_integer:
      delete m_value.integer;
      break;
    case it_xmlObject:
    case it_xmlCollection:
      delete m_value.reference;
      break;
    default:
      break;  // inline scalars, and values borrowed
  }
  m_borrowed = false;
  m_nil = false;
  m_value = Value{};
  m_type = it_none;
}

void KvVariant::SetInvalid() noexcept {
  Clear();
  m_nil = false;
}

void KvVariant::SetNil() noexcept {
  ItemType kind = m_type;
  Clear();
  m_type = kind;
  m_nil = true;
}

std::wstring KvVariant::GetType() const {
  if (m_type <= it_none || m_type > kLastNamedType) detail::ThrowInvalidType(m_type);
  return kTypeNames[m_type];
}

void KvVariant::Install(ItemType kind, Value value) noexcept {
  Clear();
  m_nil = false;
  m_type = kind;
  m_value = value;
}

// Each setter builds its value first, so one that allocates changes nothing
// when the allocation fails.

void KvVariant::SetHexBinary(const CBinaryData& value) {
  Install(it_hexBinary, Holding(&Value::binary, new CBinaryData(value)));
}
void KvVariant::SetBase64Binary(const CBinaryData& value) {
  Install(it_base64Binary, Holding(&Value::binary, new CBinaryData(value)));
}
void KvVariant::SetI1(int8_t v) noexcept { Install(it_i1, Holding(&Value::i1, v)); }
void KvVariant::SetI2(int16_t v) noexcept { Install(it_i2, Holding(&Value::i2, v)); }
void KvVariant::SetI4(int32_t v) noexcept { Install(it_i4, Holding(&Value::i4, v)); }
void KvVariant::SetI8(int64_t v) noexcept { Install(it_i8, Holding(&Value::i8, v)); }
void KvVariant::SetUI1(uint8_t v) noexcept { Install(it_ui1, Holding(&Value::ui1, v)); }
void KvVariant::SetUI2(uint16_t v) noexcept { Install(it_ui2, Holding(&Value::ui2, v)); }
void KvVariant::SetUI4(uint32_t v) noexcept { Install(it_ui4, Holding(&Value::ui4, v)); }
void KvVariant::SetUI8(uint64_t v) noexcept { Install(it_ui8, Holding(&Value::ui8, v)); }
void KvVariant::SetR4(float v) noexcept { Install(it_r4, Holding(&Value::r4, v)); }
void KvVariant::SetR8(double v) noexcept { Install(it_r8, Holding(&Value::r8, v)); }
void KvVariant::SetDuration(const CDateTimeSpan& value) {
  Install(it_duration, Holding(&Value::duration, new CDateTimeSpan(value)));
}
void KvVariant::SetYearMonth(const CDateTime& value) {
  Install(it_yearMonth, Holding(&Value::date, new CDateTime(value)));
}
void KvVariant::SetMonthDay(const CDateTime& value) {
  Install(it_monthDay, Holding(&Value::date, new CDateTime(value)));
}
void KvVariant::SetYear(uint16_t v) noexcept { Install(it_year, Holding(&Value::ui2, v)); }
void KvVariant::SetMonth(uint8_t v) noexcept { Install(it_month, Holding(&Value::ui1, v)); }
void KvVariant::SetDay(uint8_t v) noexcept { Install(it_day, Holding(&Value::ui1, v)); }
void KvVariant::SetDate(const CDateTime& value) {
  Install(it_date, Holding(&Value::date, new CDateTime(value)));
}
void KvVariant::SetDateTime(const CDateTime& value) {
  Install(it_datetime, Holding(&Value::date, new CDateTime(value)));
}
void KvVariant::SetTime(const CDateTime& value) {
  Install(it_time, Holding(&Value::date, new CDateTime(value)));
}
void KvVariant::SetChar(wchar_t v) noexcept { Install(it_char, Holding(&Value::c, v)); }
void KvVariant::SetString(std::wstring value) {
  Install(it_string, Holding(&Value::string, new std::wstring(std::move(value))));
}
void KvVariant::SetBoolean(bool v) noexcept {
  Install(it_boolean, Holding(&Value::ui1, static_cast<uint8_t>(v)));
}
void KvVariant::SetDecimal(const CDecimal& value) {
  Install(it_decimal, Holding(&Value::decimal, new CDecimal(value)));
}
void KvVariant::SetInteger(const CBigInteger& value) {
  Install(it_integer, Holding(&Value::integer, new CBigInteger(value)));
}

// The object getters: a kind of the getter's family, a value present.
template <class T>
const T& KvVariant::Held(T* held, bool family, const char* getter) const {
  if (m_nil || !family || held == nullptr) ThrowNoValue(getter, m_nil, m_type);
  return *held;
}

template <class T>
T KvVariant::Give(T* held, bool family, const char* getter) const {
  Held(held, family, getter);
  if (!m_handOver || m_borrowed) return *held;
  m_handOver = false;
  return std::move(*held);
}

CBinaryData KvVariant::GetHexBinary() const {
  return Give(m_value.binary, IsBinary(m_type), "GetHexBinary");
}
CBinaryData KvVariant::GetBase64Binary() const {
  return Give(m_value.binary, IsBinary(m_type), "GetBase64Binary");
}
CDateTimeSpan KvVariant::GetDuration() const {
  return Held(m_value.duration, m_type == it_duration, "GetDuration");
}
CDateTime KvVariant::GetDate() const { return Held(m_value.date, IsDate(m_type), "GetDate"); }
CDateTime KvVariant::GetDateTime() const {
  return Held(m_value.date, IsDate(m_type), "GetDateTime");
}
CDateTime KvVariant::GetTime() const { return Held(m_value.date, IsDate(m_type), "GetTime"); }
CDateTime KvVariant::GetYearMonth() const {
  return Held(m_value.date, IsDate(m_type), "GetYearMonth");
}
CDateTime KvVariant::GetMonthDay() const {
  return Held(m_value.date, IsDate(m_type), "GetMonthDay");
}
std::wstring KvVariant::GetString() const {
  return Give(m_value.string, m_type == it_string, "GetString");
}
CDecimal KvVariant::GetDecimal() const {
  return Give(m_value.decimal, m_type == it_decimal, "GetDecimal");
}
CBigInteger KvVariant::GetInteger() const {
  return Give(m_value.integer, m_type == it_integer, "GetInteger");
}

std::wstring KvVariant::ToString(const wchar_t* format) const {
  if (m_type <= it_none || m_type > kLastNamedType) ThrowInvalidTypeToString(m_type);
  if (m_nil) ThrowNoValue("ToString", true, m_type);
  // Not nil, so a heap kind holds its object: setters always allocate one.
  switch (m_type) {
    case it_hexBinary:
      return CConversions::hexBinaryToString(*m_value.binary);
    case it_base64Binary:
      return CConversions::base64BinaryToString(*m_value.binary);
    case it_i1:
      return CConversions::i1ToString(GetI1());
    case it_i2:
      return CConversions::i2ToString(GetI2());
    case it_i4:
      return CConversions::i4ToString(GetI4());
    case it_i8:
      return CConversions::i8ToString(GetI8());
    case it_ui1:
      return CConversions::ui1ToString(GetUI1());
    case it_ui2:
      return CConversions::ui2ToString(GetUI2());
    case it_ui4:
      return CConversions::ui4ToString(GetUI4());
    case it_ui8:
      return CConversions::ui8ToString(GetUI8());
    case it_r4:
      return CConversions::r4ToString(GetR4(), format ? format : L"");
    case it_r8:
      return CConversions::r8ToString(GetR8(), format ? format : L"");
    case it_duration:
      return CConversions::durationToString(*m_value.duration);
    case it_yearMonth:
    case it_monthDay:
    case it_date:
    case it_datetime:
    case it_time:
      return CConversions::dateToString(*m_value.date);
    case it_year:
      return CConversions::yearToString(GetYear());
    case it_month:
      return CConversions::monthToString(GetMonth());
    case it_day:
      return CConversions::dayToString(GetDay());
    case it_char:
      return CConversions::charToString(GetChar());
    case it_string:
      return *m_value.string;
    case it_boolean:
      return CConversions::booleanToString(GetBoolean());
    case it_decimal:
      return CConversions::decimalToString(*m_value.decimal, format ? format : L"");
    case it_integer:
      return CConversions::integerToString(*m_value.integer);
    default:
      break;
  }
  ThrowInvalidTypeToString(m_type);
}

void KvVariant::FromString(const std::wstring& text, ItemType kind,
                           CWhitespaceUtils::WhitespaceRule rule) {
  // Each case parses completely before a setter touches the carrier.
  switch (kind) {
    case it_hexBinary:
      return SetHexBinary(CConversions::hexBinaryFromString(text, rule));
    case it_base64Binary:
      return SetBase64Binary(CConversions::base64BinaryFromString(text, rule));
    case it_i1:
      return SetI1(CConversions::i1FromString(text, rule));
    case it_i2:
      return SetI2(CConversions::i2FromString(text, rule));
    case it_i4:
      return SetI4(CConversions::i4FromString(text, rule));
    case it_i8:
      return SetI8(CConversions::i8FromString(text, rule));
    case it_ui1:
      return SetUI1(CConversions::ui1FromString(text, rule));
    case it_ui2:
      return SetUI2(CConversions::ui2FromString(text, rule));
    case it_ui4:
      return SetUI4(CConversions::ui4FromString(text, rule));
    case it_ui8:
      return SetUI8(CConversions::ui8FromString(text, rule));
    case it_r4:
      return SetR4(CConversions::r4FromString(text, rule));
    case it_r8:
      return SetR8(CConversions::r8FromString(text, rule));
    case it_duration:
      return SetDuration(CConversions::durationFromString(text, rule));
    case it_yearMonth:
      return SetYearMonth(CConversions::yearMonthFromString(text, rule));
    case it_monthDay:
      return SetMonthDay(CConversions::monthDayFromString(text, rule));
    case it_year:
      return SetYear(CConversions::yearFromString(text, rule));
    case it_month:
      return SetMonth(CConversions::monthFromString(text, rule));
    case it_day:
      return SetDay(CConversions::dayFromString(text, rule));
    case it_date:
      return SetDate(CConversions::dateFromString(text, rule));
    case it_datetime:
      return SetDateTime(CConversions::datetimeFromString(text, rule));
    case it_time:
      return SetTime(CConversions::timeFromString(text, rule));
    case it_char:
      return SetChar(CConversions::charFromString(text, rule));
    case it_string:
      return SetString(CConversions::stringFromString(text, rule));
    case it_boolean:
      return SetBoolean(CConversions::booleanFromString(text, rule));
    // The parsed numbers are built in place instead of being copied (their
    // digits are heap arrays).
    case it_decimal:
      return Install(
          it_decimal,
          Holding(&Value::decimal, new CDecimal(CConversions::decimalFromString(text, rule))));
    case it_integer:
      return Install(
          it_integer,
          Holding(&Value::integer, new CBigInteger(CConversions::integerFromString(text, rule))));
    default:
      break;
  }
  ThrowInvalidTypeToString(kind);
}

// KvValueView.

KvValueView::~KvValueView() = default;

template <class T>
void KvVariant::Borrow(ItemType kind, T* KvVariant::Value::*member, const T& value) noexcept {
  Install(kind, Holding(member, const_cast<T*>(&value)));
  m_borrowed = true;
}

void KvValueView::SetHexBinary(const CBinaryData& value) noexcept {
  m_value.Borrow(it_hexBinary, &KvVariant::Value::binary, value);
}
void KvValueView::SetBase64Binary(const CBinaryData& value) noexcept {
  m_value.Borrow(it_base64Binary, &KvVariant::Value::binary, value);
}
void KvValueView::SetDuration(const CDateTimeSpan& value) noexcept {
  m_value.Borrow(it_duration, &KvVariant::Value::duration, value);
}
void KvValueView::SetYearMonth(const CDateTime& value) noexcept {
  m_value.Borrow(it_yearMonth, &KvVariant::Value::date, value);
}
void KvValueView::SetMonthDay(const CDateTime& value) noexcept {
  m_value.Borrow(it_monthDay, &KvVariant::Value::date, value);
}
void KvValueView::SetDate(const CDateTime& value) noexcept {
  m_value.Borrow(it_date, &KvVariant::Value::date, value);
}
void KvValueView::SetDateTime(const CDateTime& value) noexcept {
  m_value.Borrow(it_datetime, &KvVariant::Value::date, value);
}
void KvValueView::SetTime(const CDateTime& value) noexcept {
  m_value.Borrow(it_time, &KvVariant::Value::date, value);
}
void KvValueView::SetString(const std::wstring& value) noexcept {
  m_value.Borrow(it_string, &KvVariant::Value::string, value);
}
void KvValueView::SetDecimal(const CDecimal& value) noexcept {
  m_value.Borrow(it_decimal, &KvVariant::Value::decimal, value);
}
void KvValueView::SetInteger(const CBigInteger& value) noexcept {
  m_value.Borrow(it_integer, &KvVariant::Value::integer, value);
}

namespace detail {

void ThrowInvalidType(ItemType kind) {
  throw CKvException(FormatString(kVariantInvalidType, static_cast<int>(kind)));
}

VariantReference::~VariantReference() = default;

void VariantAccess::SetReference(KvVariant& variant, ItemType kind,
                                 std::unique_ptr<VariantReference> reference) noexcept {
  variant.Install(kind, Holding(&KvVariant::Value::reference, reference.release()));
}

void VariantAccess::BorrowInstalled(KvValueView& view, ItemType kind,
                                    VariantReference* reference) noexcept {
  view.m_value.Install(kind, Holding(&KvVariant::Value::reference, reference));
  view.m_value.m_borrowed = true;
}

const VariantReference* VariantAccess::GetReference(const KvVariant& variant, ItemType kind,
                                                    const char* getter) {
  if (variant.m_nil || variant.m_type != kind) ThrowNoValue(getter, variant.m_nil, variant.m_type);
  return variant.m_value.reference;
}

const std::wstring* VariantAccess::HeldString(const KvVariant& variant) noexcept {
  return !variant.m_nil && variant.m_type == it_string ? variant.m_value.string : nullptr;
}

const CDecimal* VariantAccess::HeldDecimal(const KvVariant& variant) noexcept {
  return !variant.m_nil && variant.m_type == it_decimal ? variant.m_value.decimal : nullptr;
}

const CBigInteger* VariantAccess::HeldInteger(const KvVariant& variant) noexcept {
  return !variant.m_nil && variant.m_type == it_integer ? variant.m_value.integer : nullptr;
}

const CDateTime* VariantAccess::HeldDate(const KvVariant& variant) noexcept {
  return !variant.m_nil && IsDate(variant.m_type) ? variant.m_value.date : nullptr;
}

const CDateTimeSpan* VariantAccess::HeldDuration(const KvVariant& variant) noexcept {
  return !variant.m_nil && variant.m_type == it_duration ? variant.m_value.duration : nullptr;
}

bool PutShortText(ItemType kind, int64_t value, ShortText& out) {
  switch (kind) {
    case it_i1:
    case it_i2:
    case it_i4:
    case it_i8:
      PutSignedText(value, out);
      return true;
    case it_ui1:
    case it_ui2:
    case it_ui4:
    case it_ui8:
    case it_year:
      PutUnsignedText(static_cast<uint64_t>(value), out);
      return true;
    case it_month:
      PutMonthText(static_cast<uint8_t>(value), out);
      return true;
    case it_day:
      PutDayText(static_cast<uint8_t>(value), out);
      return true;
    case it_boolean: {
      const std::wstring_view text = value != 0 ? L"true" : L"false";
      return out.PutFilled(text.size(), [&](wchar_t* p) { text.copy(p, text.size()); });
    }
    default:
      return false;
  }
}

bool PutShortValueText(const KvVariant& value, ShortText& out) {
  const ItemType kind = value.GetTypeAsEnum();
  switch (kind) {
    case it_i1:
      return PutShortText(kind, value.GetI1(), out);
    case it_i2:
      return PutShortText(kind, value.GetI2(), out);
    case it_i4:
      return PutShortText(kind, value.GetI4(), out);
    case it_i8:
      return PutShortText(kind, value.GetI8(), out);
    case it_ui1:
      return PutShortText(kind, value.GetUI1(), out);
    case it_ui2:
      return PutShortText(kind, value.GetUI2(), out);
    case it_ui4:
      return PutShortText(kind, value.GetUI4(), out);
    case it_ui8:
      return PutShortText(kind, static_cast<int64_t>(value.GetUI8()), out);
    case it_year:
      return PutShortText(kind, value.GetYear(), out);
    case it_month:
      return PutShortText(kind, value.GetMonth(), out);
    case it_day:
      return PutShortText(kind, value.GetDay(), out);
    case it_boolean:
      return PutShortText(kind, value.GetBoolean(), out);
    default:
      return false;
  }
}

bool PutUnformattedText(const KvVariant& value, ShortText& out) {
  if (value.IsNil()) return false;
  switch (value.GetTypeAsEnum()) {
    case it_r4:
      return PutRealText(value.GetR4(), out);
    case it_r8:
      return PutRealText(value.GetR8(), out);
    case it_duration: {
      const CDateTimeSpan* duration = VariantAccess::HeldDuration(value);
      return duration != nullptr && PutText(*duration, out);
    }
    case it_decimal: {
      const CDecimal* decimal = VariantAccess::HeldDecimal(value);
      return decimal != nullptr && PutText(*decimal, out);
    }
    case it_integer: {
      const CBigInteger* integer = VariantAccess::HeldInteger(value);
      return integer != nullptr && PutText(*integer, out);
    }
    case it_yearMonth:
    case it_monthDay:
    case it_date:
    case it_datetime:
    case it_time: {
      const CDateTime* date = VariantAccess::HeldDate(value);
      return date != nullptr && PutText(*date, out);
    }
    default:
      return PutShortValueText(value, out);
  }
}

void AppendVariantText(const KvVariant& value, const wchar_t* format, std::wstring& out) {
  // Only the real numbers and decimals follow a format.
  const ItemType kind = value.GetTypeAsEnum();
  const bool formatted = format != nullptr && format[0] != L'\0' &&
                         (kind == it_r4 || kind == it_r8 || kind == it_decimal);
  if (ShortText printed; !formatted && PutUnformattedText(value, printed)) {
    out.append(printed.View());
    return;
  }
  if (const CDecimal* decimal = VariantAccess::HeldDecimal(value); decimal && !formatted) {
    return AppendText(*decimal, out);
  }
  if (const CBigInteger* integer = VariantAccess::HeldInteger(value)) {
    return AppendText(*integer, out);
  }
  if (const CDateTime* date = VariantAccess::HeldDate(value)) return AppendText(*date, out);
  out += value.ToString(format);
}

bool VariantAccess::RefillTaking(KvVariant& variant, std::wstring& text, ItemType kind,
                                 CWhitespaceUtils::WhitespaceRule rule) {
  if (kind != it_string || variant.m_nil || variant.m_borrowed || variant.m_type != kind ||
      variant.m_value.raw == 0) {
    Refill(variant, text, kind, rule);
    return false;
  }
  std::wstring scratch;
  const std::wstring_view ruled = ApplyRuleView(rule, text, scratch);
  const bool whole = ruled.data() == text.data() && ruled.size() == text.size();
  if (whole) {
    variant.m_value.string->swap(text);
    text.clear();  // what the carrier held before, if anything
  } else {
    variant.m_value.string->assign(ruled);
  }
  variant.m_handOver = false;
  return whole;
}

void VariantAccess::GiveBack(KvVariant& variant, std::wstring& text) noexcept {
  if (!variant.m_nil && variant.m_type == it_string && variant.m_value.raw != 0) {
    variant.m_value.string->swap(text);
  }
}

void VariantAccess::HandOverOnNextGet(KvVariant& variant) noexcept { variant.m_handOver = true; }

void VariantAccess::Refill(KvVariant& variant, const std::wstring& text, ItemType kind,
                           CWhitespaceUtils::WhitespaceRule rule) {
  // A borrowed value belongs to its owner: the carrier gets one of its own.
  if (variant.m_nil || variant.m_borrowed || variant.m_type != kind || variant.m_value.raw == 0) {
    return variant.FromString(text, kind, rule);
  }
  // As in FromString, the value is parsed whole before the carrier changes.
  switch (kind) {
    case it_hexBinary:
      *variant.m_value.binary = CConversions::hexBinaryFromString(text, rule);
      break;
    case it_base64Binary:
      *variant.m_value.binary = CConversions::base64BinaryFromString(text, rule);
      break;
    case it_duration:
      *variant.m_value.duration = CConversions::durationFromString(text, rule);
      break;
    case it_yearMonth:
      *variant.m_value.date = CConversions::yearMonthFromString(text, rule);
      break;
    case it_monthDay:
      *variant.m_value.date = CConversions::monthDayFromString(text, rule);
      break;
    case it_string:
      *variant.m_value.string = CConversions::stringFromString(text, rule);
      break;
    case it_decimal:
      *variant.m_value.decimal = CConversions::decimalFromString(text, rule);
      break;
    case it_integer:
      *variant.m_value.integer = CConversions::integerFromString(text, rule);
      break;
    case it_date:
      *variant.m_value.date = CConversions::dateFromString(text, rule);
      break;
    case it_datetime:
      *variant.m_value.date = CConversions::datetimeFromString(text, rule);
      break;
    case it_time:
      *variant.m_value.date = CConversions::timeFromString(text, rule);
      break;
    default:
      return variant.FromString(text, kind, rule);
  }
  variant.m_handOver = false;
}

}  // namespace detail

}  // namespace Korvel
