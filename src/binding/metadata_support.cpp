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

PrintedText::PrintedText(const KvVariant& value, const wchar_t* format) {
  // The kind picks the one accessor that may find the value.
  const ItemType kind = value.GetTypeAsEnum();
  if (const std::wstring* held = kind == it_string ? VariantAccess::HeldString(value) : nullptr) {
    m_string = held;
    m_view = *held;
  } else if (format == nullptr && Print(value, kind)) {
    m_view = m_printed.View();
  } else {
    m_string = &WrittenText(value, format);
    m_view = *m_string;
  }
}

bool PrintedText::Print(const KvVariant& value, ItemType kind) {
  if (PutShortValueText(value, m_printed)) return true;
  if (kind == it_decimal) {
    const CDecimal* decimal = VariantAccess::HeldDecimal(value);
    return decimal != nullptr && PutText(*decimal, m_printed);
  }
  if (kind == it_integer) {
    const CBigInteger* integer = VariantAccess::HeldInteger(value);
    return integer != nullptr && PutText(*integer, m_printed);
  }
  const CDateTime* date = VariantAccess::HeldDate(value);
  return date != nullptr && PutText(*date, m_printed);
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
