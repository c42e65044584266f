// SPDX-License-Identifier: MIT
// Throw helpers and node tests shared by the class descriptions and the serialiser.
#include "binding/metadata_support.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cwctype>

#include <korvel/collection.h>
#include <korvel/generated_class.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "binding/messages.h"
#include "runtime/variant_reference.h"
#include "values/character_classes.h"
#include "values/restriction_check.h"

namespace Korvel::detail {

namespace {

bool EqualsIgnoringCase(const std::wstring& value, const wchar_t* lower) {
  size_t i = 0;
  for (; i < value.size() && lower[i] != L'\0'; ++i) {
    if (static_cast<wchar_t>(std::towlower(static_cast<wint_t>(value[i]))) != lower[i]) {
      return false;
    }
  }
  return i == value.size() && lower[i] == L'\0';
}

}  // namespace

void ThrowValidation(const wchar_t* message, const std::wstring& path) {
  throw CKvValidationException(message, path);
}

void ThrowValidation(const wchar_t* format, const std::wstring& argument,
                     const std::wstring& path) {
  throw CKvValidationException(FormatString(format, argument.c_str()), path);
}

void ThrowUnprocessedElement(const CXmlElement& element, const CXmlElement& child) {
  throw CKvValidationException(FormatString(kUnprocessedElement, element.GetLocalName().c_str(),
                                            child.GetLocalName().c_str()),
                               element.GetXPath());
}

void ThrowFailedToProcess(const CXmlElement& element, const CKvException& inner) {
  throw CKvValidationException(kFailedToProcessElement, element.GetXPath(), inner);
}

void ThrowFailedToGet(const std::wstring& name, const CKvException& inner) {
  throw CKvValidationException(FormatString(kFailedToGetProperty, name.c_str()), std::wstring(),
                               inner);
}

void ThrowIfNilHasContent(const CXmlElement& element) {
  const std::wstring& text = element.GetText();
  if (element.GetFirstElement() || !std::all_of(text.begin(), text.end(), IsXmlSpace)) {
    ThrowValidation(kNilWithContent, element.GetXPath());
  }
}

bool CountHolds(const CSerializationContext& context, const CXmlCollectionBase& collection,
                bool ownerIsElement) {
  if (!ownerIsElement) return collection.IsValidCount(context);
  collection.ValidateCount(context);
  return true;
}

bool HasFacets(const CPrimitiveRestrictions& r) {
  return !r.GetPattern().empty() || r.GetMinLength() >= 0 || r.GetMaxLength() >= 0 ||
         r.GetLength() >= 0 || !r.GetMinInclusive().empty() || !r.GetMaxInclusive().empty() ||
         !r.GetMinExclusive().empty() || !r.GetMaxExclusive().empty() || r.GetTotalDigits() >= 0 ||
         r.GetFractionDigits() >= 0;
}

namespace {

// Whether kind is held on the heap by a carrier, and so by the member views
// pointed at.
bool IsHeldKind(ItemType kind) noexcept {
  switch (kind) {
    case it_hexBinary:
    case it_base64Binary:
    case it_duration:
    case it_yearMonth:
    case it_monthDay:
    case it_date:
    case it_datetime:
    case it_time:
    case it_string:
    case it_decimal:
    case it_integer:
      return true;
    default:
      return false;
  }
}

// The simple member as a carrier would hold it: seen in place, or a copy of
// the scalar.
void ShowMember(const KorvelData::CMemberView& member, KvValueView& view) noexcept {
  const KorvelData::CMemberView::Simple& simple = member.simple;
  if (IsHeldKind(member.kind)) return VariantAccess::ShowHeld(view, member.kind, simple.held);
  switch (member.kind) {
    case it_i1:
      return view.SetI1(static_cast<int8_t>(simple.integer));
    case it_i2:
      return view.SetI2(static_cast<int16_t>(simple.integer));
    case it_i4:
      return view.SetI4(static_cast<int32_t>(simple.integer));
    case it_i8:
      return view.SetI8(simple.integer);
    case it_ui1:
      return view.SetUI1(static_cast<uint8_t>(simple.integer));
    case it_ui2:
      return view.SetUI2(static_cast<uint16_t>(simple.integer));
    case it_ui4:
      return view.SetUI4(static_cast<uint32_t>(simple.integer));
    case it_ui8:
      return view.SetUI8(simple.natural);
    case it_r4:
      return view.SetR4(simple.r4);
    case it_r8:
      return view.SetR8(simple.r8);
    case it_year:
      return view.SetYear(static_cast<uint16_t>(simple.integer));
    case it_month:
      return view.SetMonth(static_cast<uint8_t>(simple.integer));
    case it_day:
      return view.SetDay(static_cast<uint8_t>(simple.integer));
    case it_char:
      return view.SetChar(static_cast<wchar_t>(simple.integer));
    case it_boolean:
      return view.SetBoolean(simple.integer != 0);
    default:
      return view.SetInvalid();
  }
}

}  // namespace

const KvVariant& SimpleValue::AsVariant() {
  if (m_variant == nullptr) {
    KvValueView& view = m_view.emplace();
    ShowMember(*m_member, view);
    m_variant = &view.AsVariant();
  }
  return *m_variant;
}

int32_t SimpleValue::GetI4() {
  if (m_variant == nullptr && m_member->kind == it_i4) {
    return static_cast<int32_t>(m_member->simple.integer);
  }
  return AsVariant().GetI4();
}

const std::wstring& WrittenText(SimpleValue& value, const wchar_t* format) {
  if (const std::wstring* held = value.HeldString()) return *held;
  return PrintedText(value, format).Str();
}

void CheckRestrictions(const std::wstring& name, SimpleValue& value, ItemType kind,
                       const CPrimitiveRestrictions& restrictions, const std::wstring* lexical) {
  const std::wstring* held = kind == it_string ? value.HeldString() : nullptr;
  if (held != nullptr) return CheckStringRestrictions(name, *held, restrictions, lexical);
  CheckRestrictions(name, value.AsVariant(), kind, restrictions, lexical);
}

const std::wstring& WrittenText(const KvVariant& value, const wchar_t* format) {
  if (const std::wstring* held = VariantAccess::HeldString(value)) return *held;
  thread_local std::wstring buffer;
  buffer.clear();
  AppendVariantText(value, format, buffer);
  return buffer;
}

const std::wstring& EnumText(const wchar_t* text) {
  thread_local std::wstring buffer;
  if (text == nullptr) {
    buffer.clear();
  } else {
    buffer.assign(text);
  }
  return buffer;
}

PrintedText::PrintedText(SimpleValue& value, const wchar_t* format) {
  const KorvelData::CMemberView* member = value.Member();
  if (const std::wstring* held = value.HeldString()) {
    Take(*held);
  } else if (member != nullptr && format == nullptr && PrintMember(*member)) {
    m_view = m_printed.View();
  } else {
    Take(value.AsVariant(), format);
  }
}

void PrintedText::Take(const std::wstring& text) noexcept {
  m_string = &text;
  m_view = text;
}

void PrintedText::Take(const KvVariant& value, const wchar_t* format) {
  // The kind picks the one accessor that may find the value.
  const ItemType kind = value.GetTypeAsEnum();
  if (const std::wstring* held = kind == it_string ? VariantAccess::HeldString(value) : nullptr) {
    Take(*held);
  } else if (format == nullptr && PutUnformattedText(value, m_printed)) {
    m_view = m_printed.View();
  } else {
    Take(WrittenText(value, format));
  }
}

bool PrintedText::PrintMember(const KorvelData::CMemberView& member) {
  switch (member.kind) {
    case it_r4:
      return PutRealText(member.simple.r4, m_printed);
    case it_r8:
      return PutRealText(member.simple.r8, m_printed);
    default:
      if (!IsHeldKind(member.kind)) {
        return PutShortText(member.kind, member.simple.integer, m_printed);
      }
      return PrintHeld(member.kind, member.simple.held);
  }
}

bool PrintedText::PrintHeld(ItemType kind, const void* value) {
  switch (kind) {
    case it_decimal:
      return PutText(*static_cast<const CDecimal*>(value), m_printed);
    case it_integer:
      return PutText(*static_cast<const CBigInteger*>(value), m_printed);
    case it_duration:
      return PutText(*static_cast<const CDateTimeSpan*>(value), m_printed);
    case it_yearMonth:
    case it_monthDay:
    case it_date:
    case it_datetime:
    case it_time:
      return PutText(*static_cast<const CDateTime*>(value), m_printed);
    default:
      return false;
  }
}

const std::wstring& PrintedText::Str() const {
  if (m_string != nullptr) return *m_string;
  thread_local std::wstring copy;
  return copy.assign(m_view);
}

int NilValue(const std::wstring& value) {
  if (value == L"1" || EqualsIgnoringCase(value, L"true")) return 1;
  if (value == L"0" || EqualsIgnoringCase(value, L"false")) return 0;
  return -1;
}

}  // namespace Korvel::detail
