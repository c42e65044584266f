// SPDX-License-Identifier: MIT
// CElementInfo: what every child-element description shares, and the routines
// that write one child and read one simple child.
#include <korvel/metadata.h>

#include <cstdint>
#include <optional>
#include <string>

#include <korvel/collection.h>
#include <korvel/errors.h>
#include <korvel/generated_class.h>
#include <korvel/serialization_context.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

#include "binding/messages.h"
#include "binding/metadata_support.h"
#include "binding/namespace_wildcard.h"
#include "binding/variant_object.h"
#include "runtime/variant_reference.h"
#include "values/restriction_check.h"
#include "xml/text_element.h"
#include "xml/xml_tree_builder.h"

namespace KorvelData {

using namespace Korvel;

namespace {

std::wstring OrEmpty(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

// The bytes of an all-ASCII name; empty for any other.
std::string AsciiSpelling(const std::wstring& name) {
  std::string bytes;
  for (const wchar_t c : name) {
    if (static_cast<uint32_t>(c) >= 0x80) return std::string();
    bytes += static_cast<char>(c);
  }
  return bytes;
}

const wchar_t* FormatOrNull(const std::wstring& format) {
  return format.empty() ? nullptr : format.c_str();
}

// Judges the attributes of a simple child: whether xsi:nil makes it nil.
bool IsNilSimpleChild(const CSerializationContext& context, const CXmlElement& child,
                      bool isNillable) {
  bool nil = false;
  for (CXmlAttribute* attribute : child.GetAttributes()) {
    if (attribute->IsNilAttribute()) {
      const int nilValue = detail::NilValue(attribute->GetValue());
      if (nilValue == 0) continue;
      if (!isNillable) detail::ThrowValidation(detail::kNilOnNonNillable, child.GetXPath());
      if (nilValue < 0) {
        detail::ThrowValidation(detail::kUnexpectedNilValue, attribute->GetValue(),
                                attribute->GetXPath());
      }
      nil = true;
    } else if (!attribute->IsNamespaceAttribute() && !context.GetIgnoreUnknownAttributes()) {
      detail::ThrowValidation(detail::kUnexpectedAttribute, attribute->GetXPath());
    }
  }
  return nil;
}

// Runs set, a property setter reading element, wrapping its failures with
// the element's path.
template <class Set>
void SetWrapped(const CXmlElement& element, Set set) {
  try {
    set();
  } catch (const CKvException& e) {
    throw CKvValidationException(detail::kFailedToSetProperty, element.GetXPath(), e);
  }
}

}  // namespace

CElementInfo::CElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex)
    : m_elementName(OrEmpty(name)),
      m_asciiName(AsciiSpelling(m_elementName)),
      m_elementNamespace(OrEmpty(ns)),
      m_propertyIndex(propertyIndex) {}

CElementInfo::CElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           bool isNillable, EnumToStringFunc enumToString,
                           StringToEnumFunc stringToEnum, const wchar_t* defaultValue)
    : m_elementName(OrEmpty(name)),
      m_asciiName(AsciiSpelling(m_elementName)),
      m_elementNamespace(OrEmpty(ns)),
      m_propertyIndex(propertyIndex),
      m_defaultValue(OrEmpty(defaultValue)),
      m_isNillable(isNillable),
      m_enumToString(enumToString),
      m_stringToEnum(stringToEnum),
      m_mayWriteGroupAttributes(false) {}

CElementInfo::CElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           bool isNillable, ItemType primitiveType, const wchar_t* formatOverride,
                           CWhitespaceUtils::WhitespaceRule whitespaceRule,
                           const CPrimitiveRestrictions& restrictions, const wchar_t* defaultValue)
    : m_elementName(OrEmpty(name)),
      m_asciiName(AsciiSpelling(m_elementName)),
      m_elementNamespace(OrEmpty(ns)),
      m_propertyIndex(propertyIndex),
      m_restrictions(restrictions),
      m_primitiveType(primitiveType),
      m_formatOverride(OrEmpty(formatOverride)),
      m_whitespaceRule(whitespaceRule),
      m_defaultValue(OrEmpty(defaultValue)),
      m_isNillable(isNillable),
      m_hasRestrictions(true),
      m_hasFacets(detail::HasFacets(restrictions)),
      m_mayWriteGroupAttributes(false) {}

CElementInfo::CElementInfo(const CElementInfo& other) = default;
CElementInfo& CElementInfo::operator=(const CElementInfo& other) = default;
CElementInfo::~CElementInfo() = default;

bool CElementInfo::Validate(const CSerializationContext&, const CXmlGeneratedClass*, bool,
                            bool) const {
  throw CKvException(detail::kNotImplemented);
}

void CElementInfo::PseudoChildAttributeToXml(const CSerializationContext&,
                                             const CXmlGeneratedClass*, CXmlWriter*) const {}

bool CElementInfo::MayStartAt(const CSerializationContext& context,
                              const CXmlElement* element) const {
  return IsThisElement(context, element);
}

bool CElementInfo::IsOptionalChoiceMember(const CXmlGeneratedClass*) const { return false; }

void CElementInfo::CheckRestriction(const KvVariant& value, const std::wstring* lexical) const {
  if (!m_hasRestrictions) throw CKvException(detail::kCannotCheckRestriction + value.GetType());
  // A char has no facets to break.
  if (!m_hasFacets || m_primitiveType == it_char || value.GetTypeAsEnum() == it_char) return;
  detail::CheckRestrictions(m_elementName, value, m_primitiveType, m_restrictions, lexical);
}

std::wstring CElementInfo::GetAnyDefaultNamespace(const wchar_t* constraint,
                                                  const wchar_t* anyNamespace,
                                                  const wchar_t* targetNamespace) {
  return detail::GetAnyDefaultNamespace(OrEmpty(constraint), OrEmpty(anyNamespace),
                                        OrEmpty(targetNamespace));
}

void CElementInfo::InvokePropertyGet(CXmlGeneratedClass* owner, KvVariant& value) const {
  ReadProperty(owner, value);
}

void CElementInfo::ReadProperty(const CXmlGeneratedClass* owner, KvVariant& value) const {
  detail::GetWrapped(m_elementName, [&] { owner->ReadProperty(m_propertyIndex, value); });
}

CSmartPtr<CXmlCollectionBase> CElementInfo::PeekCollection(const CXmlGeneratedClass* owner) const {
  return detail::GetWrapped(m_elementName, [&] { return owner->PeekCollection(m_propertyIndex); });
}

const KvVariant& CElementInfo::ViewProperty(const CXmlGeneratedClass* owner,
                                            KvValueView& view) const {
  return detail::GetWrapped(m_elementName, [&]() -> const KvVariant& {
    return owner->ViewOrReadProperty(m_propertyIndex, view);
  });
}

const KvVariant* CElementInfo::ViewSimple(const CXmlGeneratedClass* owner, CMemberView& member,
                                          std::optional<KvValueView>& view) const {
  return detail::GetWrapped(m_elementName,
                            [&] { return owner->SeeProperty(m_propertyIndex, member, view); });
}

void CElementInfo::InvokePropertySet(CXmlGeneratedClass* owner, KvVariant& value,
                                     const CXmlElement& element) const {
  SetWrapped(element, [&] { owner->AccessProperty(m_propertyIndex, false, value); });
}

CSmartPtr<CXmlObjectBase> CElementInfo::ReadObject(const CXmlGeneratedClass* owner) const {
  KvVariant value;
  ReadProperty(owner, value);
  if (value.IsNil()) return nullptr;
  return detail::VariantObject(value);
}

const CXmlObjectBase* CElementInfo::ViewObject(const CXmlGeneratedClass* owner,
                                               KvValueView& view) const {
  const KvVariant& value = ViewProperty(owner, view);
  if (value.IsNil()) return nullptr;
  return detail::VariantObjectPointer(value);
}

CMemberView CElementInfo::SeeMember(const CXmlGeneratedClass* owner,
                                    std::optional<KvValueView>& view) const {
  CMemberView member;
  if (detail::GetWrapped(m_elementName,
                         [&] { return owner->ViewMember(m_propertyIndex, member); })) {
    return member;
  }
  member.object = ViewObject(owner, view.emplace());
  if (member.object) member.collection = detail::VariantCollectionPointer(view->AsVariant());
  return member;
}

void CElementInfo::StoreObject(CXmlGeneratedClass* owner, CXmlObjectBase* object,
                               const CXmlElement& element, bool asCollection) const {
  SetWrapped(element, [&] {
    if (owner->StoreObjectProperty(m_propertyIndex, object)) return;
    KvVariant value;
    if (asCollection) {
      value.SetXmlCollection(dynamic_cast<CXmlCollectionBase*>(object));
    } else {
      value.SetXmlObject(object);
    }
    owner->AccessProperty(m_propertyIndex, false, value);
  });
}

CXmlCollectionBase* CElementInfo::MakeCollection(const CXmlGeneratedClass* owner) const {
  return detail::GetWrapped(m_elementName, [&] { return owner->MakeCollection(m_propertyIndex); });
}

bool CElementInfo::IsThisElement(const CSerializationContext& context,
                                 const CXmlElement* element) const {
  return element != nullptr && detail::MatchesName(detail::XmlTreeBuilder::NameOf(*element), this,
                                                   m_elementName, m_elementNamespace, &context);
}

// Writing.

bool CElementInfo::ElementToXmlCls(const CSerializationContext& context,
                                   const CXmlGeneratedClass* owner, CXmlWriter* writer,
                                   bool isOptional) const {
  std::optional<KvValueView> view;
  return WriteObject(context, SeeMember(owner, view).object, writer, isOptional);
}

bool CElementInfo::ElementToXmlCol(const CSerializationContext& context,
                                   const CXmlGeneratedClass* owner, CXmlWriter* writer) const {
  std::optional<KvValueView> view;
  return WriteCollection(context, SeeMember(owner, view).collection, writer);
}

bool CElementInfo::WriteObject(const CSerializationContext& context, const CXmlObjectBase* object,
                               CXmlWriter* writer, bool isOptional) const {
  if (!object) return false;
  ToXml_Int(object, writer, false, m_elementNamespace.c_str(), context, isOptional);
  return true;
}

bool CElementInfo::WriteCollection(const CSerializationContext& context,
                                   const CXmlCollectionBase* collection, CXmlWriter* writer) const {
  if (collection == nullptr || collection->GetCount() <= 0) return false;
  // The array state tells a JSON writer that the items form one array. It
  // is the low byte of the writer state; other writers keep flags above it.
  constexpr int32_t kArrayStateMask = 0xFF;
  constexpr int32_t kArrayPending = 1;
  constexpr int32_t kArrayFinished = 3;
  CXmlWriter::CXmlWriterContext* open = writer->GetCurrentElement();
  auto setArrayState = [open](int32_t state) {
    if (open) open->SetWriterState((open->GetWriterState() & ~kArrayStateMask) | state);
  };
  setArrayState(kArrayPending);
  ToXml_Int(collection, writer, false, m_elementNamespace.c_str(), context, false);
  setArrayState(kArrayFinished);
  return true;
}

bool CElementInfo::ElementToXmlPrim(const CSerializationContext&, const CXmlGeneratedClass* owner,
                                    CXmlWriter* writer) const {
  detail::SimpleValue value(
      [&](auto& member, auto& view) { return ViewSimple(owner, member, view); });
  return WritePrim(value, writer);
}

bool CElementInfo::ElementToXmlEnum(const CSerializationContext&, const CXmlGeneratedClass* owner,
                                    CXmlWriter* writer, EnumToStringFunc enumToString) const {
  detail::SimpleValue value(
      [&](auto& member, auto& view) { return ViewSimple(owner, member, view); });
  return WriteEnum(value, writer, enumToString);
}

bool CElementInfo::SimpleToXml(const CSerializationContext&, const CMemberView& member,
                               CXmlWriter* writer, bool mandatory) const {
  detail::SimpleValue value(member);
  const bool written = m_enumToString != nullptr ? WriteEnum(value, writer, m_enumToString)
                                                 : WritePrim(value, writer);
  if (mandatory) RequireWritten(written);
  return written;
}

bool CElementInfo::ObjectToXml(const CSerializationContext& context, const CXmlObjectBase* object,
                               CXmlWriter* writer, bool mandatory, bool mayBeEmpty) const {
  const bool written = WriteObject(context, object, writer, mayBeEmpty);
  if (mandatory) RequireWritten(written);
  return written;
}

bool CElementInfo::WritePrim(detail::SimpleValue& value, CXmlWriter* writer) const {
  if (value.IsNil()) {
    writer->StartElement(m_elementName, m_elementNamespace);
    writer->WriteNil();
    writer->EndElement();
    return true;
  }
  if (!value.IsValid()) return false;
  const detail::PrintedText text(value, FormatOrNull(m_formatOverride));
  const bool isDefault = !m_defaultValue.empty() && detail::SameName(text.View(), m_defaultValue);
  // The pattern judges the text as written, format override included; the
  // other facets judge the value. Most elements have no facet to check.
  if (!isDefault && (m_hasFacets || !m_hasRestrictions)) {
    CheckRestriction(value.AsVariant(),
                     m_restrictions.GetPattern().empty() ? nullptr : &text.Str());
  }
  detail::WriteTextElement(*writer, m_elementName, m_elementNamespace, text.ForWriter(),
                           value.Kind(), isDefault, m_asciiName);
  return true;
}

bool CElementInfo::WriteEnum(detail::SimpleValue& value, CXmlWriter* writer,
                             EnumToStringFunc enumToString) const {
  if (value.IsNil()) {
    writer->StartElement(m_elementName, m_elementNamespace);
    writer->WriteNil();
    writer->EndElement();
    return true;
  }
  if (!value.IsValid()) return false;
  // The enumerator's literal as it stands: a writer that needs a string gets a copy.
  const wchar_t* literal = enumToString(value.GetI4());
  const std::wstring_view text = literal != nullptr ? literal : L"";
  const bool isDefault = !m_defaultValue.empty() && detail::SameName(text, m_defaultValue);
  detail::WriteTextElement(*writer, m_elementName, m_elementNamespace, detail::ElementText{text},
                           it_string, isDefault, m_asciiName);
  return true;
}

void CElementInfo::RequireWritten(bool written) const {
  if (!written) {
    throw CKvInvalidParamException(
        FormatString(detail::kMandatoryPropertyNull, m_elementName.c_str()));
  }
}

// Reading.

void CElementInfo::ElementFromXmlPrim(const CSerializationContext& context,
                                      CXmlGeneratedClass* owner, CXmlElement** current) const {
  ReadSimpleChild(context, owner, current, nullptr);
}

void CElementInfo::ElementFromXmlEnum(const CSerializationContext& context,
                                      CXmlGeneratedClass* owner, CXmlElement** current,
                                      StringToEnumFunc stringToEnum) const {
  ReadSimpleChild(context, owner, current, stringToEnum);
}

bool CElementInfo::ReadSimpleIfHere(const CSerializationContext& context, CXmlGeneratedClass* owner,
                                    CXmlElement** current) const {
  if (!IsThisElement(context, *current)) return false;
  ReadSimpleChild(context, owner, current, m_stringToEnum);
  return true;
}

void CElementInfo::ReadSimpleChild(const CSerializationContext& context, CXmlGeneratedClass* owner,
                                   CXmlElement** current, StringToEnumFunc stringToEnum) const {
  CXmlElement& child = **current;
  // Most simple elements have no attribute at all.
  const bool nil = detail::XmlTreeBuilder::BlockOf(&child) != nullptr &&
                   IsNilSimpleChild(context, child, m_isNillable);
  // Elements inside a simple value are unexpected, as at the end of a sequence.
  if (const CXmlElement* inner = child.GetFirstElement();
      inner && !context.GetIgnoreUnknownElements()) {
    detail::ThrowUnprocessedElement(child, *inner);
  }

  KvVariant own;
  KvVariant* value = &own;
  if (nil) {
    detail::ThrowIfNilHasContent(child);
    own.SetNil();
  } else {
    const std::wstring& text =
        child.GetText().empty() && !m_defaultValue.empty() ? m_defaultValue : child.GetText();
    std::wstring* held = nullptr;
    bool taken = false;
    try {
      if (stringToEnum) {
        own.SetI4(stringToEnum(text.c_str()));
      } else {
        // Text whose whitespace is preserved is taken exactly as it was read.
        const auto rule = m_whitespaceRule == CWhitespaceUtils::ws_preserve
                              ? CWhitespaceUtils::ws_none
                              : m_whitespaceRule;
        value = &detail::XmlTreeBuilder::ReadCarrier(child, m_primitiveType);
        // A string the tree is done with moves into the value instead of being copied.
        if (m_primitiveType == it_string && &text == &child.GetText()) {
          held = detail::XmlTreeBuilder::TakeableText(child);
        }
        if (held) {
          taken = detail::VariantAccess::RefillTaking(*value, *held, m_primitiveType, rule);
        } else {
          detail::VariantAccess::Refill(*value, text, m_primitiveType, rule);
        }
        // A string's facets judge its value, never the text taken from the tree.
        if (context.GetCheckFacetsOnRead()) {
          detail::WithReadLexical(
              m_restrictions, m_primitiveType, rule, text,
              [&](const std::wstring* lexical) { CheckRestriction(*value, lexical); });
        }
      }
    } catch (const CKvException& e) {
      if (taken) detail::VariantAccess::GiveBack(*value, *held);
      detail::ThrowFailedToProcess(child, e);
    }
    // Read once by the setter, then emptied.
    detail::VariantAccess::HandOverOnNextGet(*value);
  }
  InvokePropertySet(owner, *value, child);
  *current = child.GetNextSiblingElement();
}

CElementInfo::Seek CElementInfo::SeekMandatory(const CSerializationContext& context,
                                               CXmlElement* parent, CXmlElement** current,
                                               XmlElementType ownerType, bool skipInPseudo) const {
  if (IsThisElement(context, *current)) return Seek::found;
  const bool skipping = context.GetIgnoreUnknownElements();
  if (ownerType != XmlElementType_Element) {
    if (!skipInPseudo) return Seek::absent;
    while (skipping && *current != nullptr) {
      *current = (*current)->GetNextSiblingElement();
      if (IsThisElement(context, *current)) return Seek::found;
    }
    return Seek::absent;
  }
  for (;;) {
    if (context.GetIgnoreMissingMandatoryElements()) return Seek::tolerated;
    if (!skipping || *current == nullptr) break;
    *current = (*current)->GetNextSiblingElement();
    if (IsThisElement(context, *current)) return Seek::found;
  }
  ThrowRequiredChildMissing(parent);
}

void CElementInfo::ThrowRequiredChildMissing(const CXmlElement* parent) const {
  detail::ThrowValidation(detail::kRequiredChildMissing, m_elementName,
                          parent ? parent->GetXPath() : std::wstring());
}

// Trampolines.

CXmlElement* CElementInfo::FromXml_Int(CXmlObjectBase* object, CXmlElement* element,
                                       CXmlElement* current, const CSerializationContext& context,
                                       bool isOptional) {
  return object->FromXml_Int(element, current, context, isOptional);
}

CSmartPtr<CXmlObjectBase> CElementInfo::MadeForRead(CSmartPtr<CXmlObjectBase> object) noexcept {
  if (object) object->m_madeForRead = true;
  return object;
}

void CElementInfo::AttributesToXml_Int(const CXmlObjectBase* object, CXmlWriter* writer,
                                       const CSerializationContext& context) {
  object->AttributesToXml_Int(writer, context);
}

void CElementInfo::ToXml_Int(const CXmlObjectBase* object, CXmlWriter* writer, bool isRoot,
                             const wchar_t* ns, const CSerializationContext& context,
                             bool isOptional) {
  object->ToXml_Int(writer, isRoot, ns, context, isOptional);
}

}  // namespace KorvelData
