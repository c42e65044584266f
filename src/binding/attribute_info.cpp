// SPDX-License-Identifier: MIT
// The class description and the attribute descriptions: how one attribute
// property is written and read.
#include <korvel/metadata.h>

#include <korvel/collection.h>
#include <korvel/errors.h>
#include <korvel/generated_class.h>
#include <korvel/serialization_context.h>
#include <korvel/untyped.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

#include "binding/messages.h"
#include "binding/metadata_support.h"
#include "binding/namespace_wildcard.h"
#include "binding/variant_object.h"
#include "runtime/variant_reference.h"
#include "values/restriction_check.h"
#include "xml/xml_tree_builder.h"

namespace KorvelData {

using namespace Korvel;

namespace {

std::wstring OrEmpty(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

}  // namespace

// CParentElementInfo.

CParentElementInfo::CParentElementInfo(XmlElementGroupType groupType, XmlElementType elementType,
                                       const wchar_t* elementName, const wchar_t* elementNamespace,
                                       bool failIfAttributeUnknown, bool hasBaseClasses,
                                       int primitiveValuePropertyIndex, ItemType primitiveDataType,
                                       const wchar_t* primitiveFormatOverride,
                                       bool outputPrimitiveClassAsTextProperty)
    : m_elementGroupType(groupType),
      m_elementType(elementType),
      m_elementName(OrEmpty(elementName)),
      m_elementNamespace(OrEmpty(elementNamespace)),
      m_failIfAttributeUnknown(failIfAttributeUnknown),
      m_hasBaseClasses(hasBaseClasses),
      m_primitiveValuePropertyIndex(primitiveValuePropertyIndex),
      m_primitiveDataType(primitiveDataType),
      m_primitiveFormatOverride(OrEmpty(primitiveFormatOverride)),
      m_outputPrimitiveClassAsTextProperty(outputPrimitiveClassAsTextProperty) {}

CParentElementInfo::CParentElementInfo(const CParentElementInfo& other) = default;
CParentElementInfo& CParentElementInfo::operator=(const CParentElementInfo& other) = default;
CParentElementInfo::~CParentElementInfo() = default;

// CAttributeInfo.

CAttributeInfo::CAttributeInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                               bool isOptional, const wchar_t* defaultValue)
    : m_attributeName(OrEmpty(name)),
      m_attributeNamespace(OrEmpty(ns)),
      m_propertyIndex(propertyIndex),
      m_isOptional(isOptional),
      m_defaultValue(OrEmpty(defaultValue)) {}

CAttributeInfo::CAttributeInfo(const CAttributeInfo& other) = default;
CAttributeInfo& CAttributeInfo::operator=(const CAttributeInfo& other) = default;
CAttributeInfo::~CAttributeInfo() = default;

void CAttributeInfo::DefaultFromXml(const CSerializationContext&, CXmlGeneratedClass*) const {}

void CAttributeInfo::TestNamespace(const std::wstring& ns, const std::wstring& constraint,
                                   const std::wstring& targetNamespace) {
  detail::TestNamespace(ns, constraint, targetNamespace);
}

bool CAttributeInfo::IsNamespaceValid(const std::wstring& ns, const std::wstring& constraint,
                                      const std::wstring& targetNamespace) {
  return detail::IsNamespaceValid(ns, constraint, targetNamespace);
}

void CAttributeInfo::InvokePropertyGet(CXmlGeneratedClass* owner, KvVariant& value) const {
  ReadProperty(owner, value);
}

void CAttributeInfo::ReadProperty(const CXmlGeneratedClass* owner, KvVariant& value) const {
  detail::GetWrapped(m_attributeName, [&] { owner->ReadProperty(m_propertyIndex, value); });
}

CSmartPtr<CXmlCollectionBase> CAttributeInfo::PeekCollection(
    const CXmlGeneratedClass* owner) const {
  return detail::GetWrapped(m_attributeName,
                            [&] { return owner->PeekCollection(m_propertyIndex); });
}

CXmlCollectionBase* CAttributeInfo::MakeCollection(const CXmlGeneratedClass* owner) const {
  return detail::GetWrapped(m_attributeName,
                            [&] { return owner->MakeCollection(m_propertyIndex); });
}

const KvVariant& CAttributeInfo::ViewProperty(const CXmlGeneratedClass* owner,
                                              KvValueView& view) const {
  return detail::GetWrapped(m_attributeName, [&]() -> const KvVariant& {
    return owner->ViewOrReadProperty(m_propertyIndex, view);
  });
}

const KvVariant* CAttributeInfo::ViewSimple(const CXmlGeneratedClass* owner, CMemberView& member,
                                            std::optional<KvValueView>& view) const {
  return detail::GetWrapped(m_attributeName,
                            [&] { return owner->SeeProperty(m_propertyIndex, member, view); });
}

void CAttributeInfo::InvokePropertySet(CXmlGeneratedClass* owner, KvVariant& value,
                                       const CXmlAttribute& attribute) const {
  try {
    owner->AccessProperty(m_propertyIndex, false, value);
  } catch (const CKvException& e) {
    throw CKvValidationException(
        FormatString(detail::kFailedToSetAttributeProperty, attribute.GetValue().c_str()),
        attribute.GetXPath(), e);
  }
}

bool CAttributeInfo::IsThisAttribute(const CSerializationContext& context,
                                     const CXmlAttribute* attribute) const {
  return attribute != nullptr &&
         detail::MatchesName(detail::XmlTreeBuilder::NameOf(*attribute), this, m_attributeName,
                             m_attributeNamespace, &context);
}

bool CAttributeInfo::SkipsAsDefault(const CSerializationContext& context,
                                    const std::wstring& text) const {
  return m_isOptional && !m_defaultValue.empty() && context.GetNoOptionalAttributeDefaultOutput() &&
         text == m_defaultValue;
}

void CAttributeInfo::RequireFound(bool found) const {
  if (!found && !m_isOptional) {
    throw CKvValidationException(
        FormatString(detail::kRequiredAttributeMissing, m_attributeName.c_str()), std::wstring());
  }
}

void CAttributeInfo::ToXml_Int(const CXmlObjectBase* object, CXmlWriter* writer, bool isRoot,
                               const wchar_t* ns, const CSerializationContext& context) {
  object->ToXml_Int(writer, isRoot, ns, context, false);
}

std::wstring CAttributeInfo::GetTargetNamespace(const CXmlObjectBase* object) {
  return object->GetTargetNamespace();
}

void CAttributeInfo::SimpleToXml(const CSerializationContext& context, const CMemberView& member,
                                 CXmlWriter* writer) const {
  detail::SimpleValue value(member);
  WriteValue(context, value, writer);
}

void CAttributeInfo::WriteValue(const CSerializationContext&, detail::SimpleValue&,
                                CXmlWriter*) const {
  throw CKvException(detail::kNotImplemented);
}

// CAttributeInfoAny.

CAttributeInfoAny::CAttributeInfoAny(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                     bool isOptional, const wchar_t* namespaceConstraint,
                                     const wchar_t* targetNamespace, const wchar_t* defaultValue)
    : CAttributeInfo(name, ns, propertyIndex, isOptional, defaultValue),
      m_namespaceConstraint(OrEmpty(namespaceConstraint)),
      m_targetNamespace(OrEmpty(targetNamespace)) {}

CAttributeInfoAny::CAttributeInfoAny(const CAttributeInfoAny& other) = default;
CAttributeInfoAny& CAttributeInfoAny::operator=(const CAttributeInfoAny& other) = default;
CAttributeInfoAny::~CAttributeInfoAny() = default;

void CAttributeInfoAny::AttributeToXml(const CSerializationContext& context,
                                       const CXmlGeneratedClass* owner, CXmlWriter* writer) const {
  // A collection made on first use is not made to write nothing.
  const CSmartPtr<CXmlCollectionBase> attributes = PeekCollection(owner);
  if (!attributes || attributes->GetCount() == 0) return;
  // The wildcard collection writes every attribute it holds.
  ToXml_Int(attributes, writer, false, CAttributeInfo::GetTargetNamespace(owner).c_str(), context);
}

bool CAttributeInfoAny::AttributeFromXml(const CSerializationContext&, CXmlGeneratedClass* owner,
                                         CXmlAttribute* attribute) const {
  if (!IsNamespaceValid(attribute->GetNamespaceURI(), m_namespaceConstraint, m_targetNamespace)) {
    return false;
  }
  // Made by the getter: asked directly when the owner offers it, else through the accessor.
  CSmartPtr<CXmlObjectBase> object = MakeCollection(owner);
  if (!object) {
    KvVariant value;
    ReadProperty(owner, value);
    if (!value.IsNil()) object = detail::VariantObject(value);
  }
  auto* attributes = dynamic_cast<CAttributeCol*>(object.Get());
  if (attributes == nullptr) throw CKvException(detail::kNotAnAttributeCol);
  attributes->Add(attribute->GetLocalName().c_str(), attribute->GetValue().c_str(),
                  attribute->GetNamespaceURI().c_str());
  return true;
}

void CAttributeInfoAny::Validate(const CSerializationContext&, bool) const {}

// CAttributeInfoEnum.

CAttributeInfoEnum::CAttributeInfoEnum(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                       bool isOptional, EnumToStringFunc enumToString,
                                       StringToEnumFunc stringToEnum, const wchar_t* defaultValue)
    : CAttributeInfo(name, ns, propertyIndex, isOptional, defaultValue),
      m_stringToEnum(stringToEnum),
      m_enumToString(enumToString) {
  if (GetDefaultValue().empty() || !stringToEnum) return;
  try {
    m_defaultEnumerator = stringToEnum(GetDefaultValue().c_str());
    m_hasDefaultEnumerator = true;
  } catch (const CKvException&) {
    // Left to DefaultFromXml, which reports it where it matters.
  }
}

CAttributeInfoEnum::CAttributeInfoEnum(const CAttributeInfoEnum& other) = default;
CAttributeInfoEnum& CAttributeInfoEnum::operator=(const CAttributeInfoEnum& other) = default;
CAttributeInfoEnum::~CAttributeInfoEnum() = default;

void CAttributeInfoEnum::AttributeToXml(const CSerializationContext& context,
                                        const CXmlGeneratedClass* owner, CXmlWriter* writer) const {
  detail::SimpleValue value(
      [&](auto& member, auto& view) { return ViewSimple(owner, member, view); });
  CAttributeInfoEnum::WriteValue(context, value, writer);
}

void CAttributeInfoEnum::WriteValue(const CSerializationContext& context,
                                    detail::SimpleValue& value, CXmlWriter* writer) const {
  if (GetIsOptional() && !value.IsValid()) return;
  const std::wstring& text = detail::EnumText(m_enumToString(value.GetI4()));
  if (SkipsAsDefault(context, text)) return;
  writer->WriteAttribute(GetAttributeName(), GetAttributeNamespace(), text, it_string);
}

bool CAttributeInfoEnum::AttributeFromXml(const CSerializationContext& context,
                                          CXmlGeneratedClass* owner,
                                          CXmlAttribute* attribute) const {
  if (!IsThisAttribute(context, attribute)) return false;
  KvVariant value;
  try {
    value.SetI4(m_stringToEnum(attribute->GetValue().c_str()));
  } catch (const CKvException& e) {
    throw CKvValidationException(
        FormatString(detail::kFailedToSetAttributeProperty, attribute->GetValue().c_str()),
        attribute->GetXPath(), e);
  }
  InvokePropertySet(owner, value, *attribute);
  return true;
}

void CAttributeInfoEnum::Validate(const CSerializationContext&, bool found) const {
  RequireFound(found);
}

void CAttributeInfoEnum::DefaultFromXml(const CSerializationContext&,
                                        CXmlGeneratedClass* owner) const {
  if (GetDefaultValue().empty()) return;
  KvVariant value;
  value.SetI4(m_hasDefaultEnumerator ? m_defaultEnumerator
                                     : m_stringToEnum(GetDefaultValue().c_str()));
  owner->AccessProperty(GetPropertyIndex(), false, value);
}

// CAttributeInfoPrimitive.

CAttributeInfoPrimitive::CAttributeInfoPrimitive(const wchar_t* name, const wchar_t* ns,
                                                 int propertyIndex, bool isOptional,
                                                 ItemType primitiveType,
                                                 const wchar_t* formatOverride,
                                                 CWhitespaceUtils::WhitespaceRule whitespaceRule,
                                                 const CPrimitiveRestrictions& restrictions,
                                                 const wchar_t* defaultValue)
    : CAttributeInfo(name, ns, propertyIndex, isOptional, defaultValue),
      m_restrictions(restrictions),
      m_primitiveType(primitiveType),
      m_formatOverride(OrEmpty(formatOverride)),
      m_whitespaceRule(whitespaceRule),
      m_hasFacets(detail::HasFacets(restrictions) && primitiveType != it_char) {
  if (GetDefaultValue().empty()) return;
  try {
    auto parsed = std::make_shared<KvVariant>();
    Parse(*parsed, GetDefaultValue(), true);
    m_parsedDefault = std::move(parsed);
  } catch (const CKvException&) {
    // Left to DefaultFromXml, which reports it where it matters.
  }
}

CAttributeInfoPrimitive::CAttributeInfoPrimitive(const CAttributeInfoPrimitive& other) = default;
CAttributeInfoPrimitive& CAttributeInfoPrimitive::operator=(const CAttributeInfoPrimitive& other) =
    default;
CAttributeInfoPrimitive::~CAttributeInfoPrimitive() = default;

void CAttributeInfoPrimitive::AttributeToXml(const CSerializationContext& context,
                                             const CXmlGeneratedClass* owner,
                                             CXmlWriter* writer) const {
  detail::SimpleValue value(
      [&](auto& member, auto& view) { return ViewSimple(owner, member, view); });
  CAttributeInfoPrimitive::WriteValue(context, value, writer);
}

void CAttributeInfoPrimitive::WriteValue(const CSerializationContext& context,
                                         detail::SimpleValue& value, CXmlWriter* writer) const {
  if (GetIsOptional() && !value.IsValid()) return;
  const std::wstring& text =
      detail::WrittenText(value, m_formatOverride.empty() ? nullptr : m_formatOverride.c_str());
  if (SkipsAsDefault(context, text)) return;
  if (m_hasFacets) {
    // The pattern judges the text as written, format override included.
    detail::CheckRestrictions(GetAttributeName(), value, m_primitiveType, m_restrictions, &text);
  }
  writer->WriteAttribute(GetAttributeName(), GetAttributeNamespace(), text, value.Kind());
}

bool CAttributeInfoPrimitive::AttributeFromXml(const CSerializationContext& context,
                                               CXmlGeneratedClass* owner,
                                               CXmlAttribute* attribute) const {
  // Unlike the other descriptions, always namespace-exact.
  if (!detail::MatchesName(detail::XmlTreeBuilder::NameOf(*attribute), this, GetAttributeName(),
                           GetAttributeNamespace(), nullptr)) {
    return false;
  }
  StoreText(context, owner, attribute->GetValue(), attribute);
  return true;
}

void CAttributeInfoPrimitive::Validate(const CSerializationContext&, bool found) const {
  RequireFound(found);
}

void CAttributeInfoPrimitive::DefaultFromXml(const CSerializationContext& context,
                                             CXmlGeneratedClass* owner) const {
  if (GetDefaultValue().empty()) return;
  if (!m_parsedDefault) return StoreText(context, owner, GetDefaultValue(), nullptr);
  KvVariant value(*m_parsedDefault);
  detail::VariantAccess::HandOverOnNextGet(value);
  owner->AccessProperty(GetPropertyIndex(), false, value);
}

void CAttributeInfoPrimitive::Parse(KvVariant& value, const std::wstring& text, bool checkFacets,
                                    std::wstring* own) const {
  const auto rule = m_whitespaceRule == CWhitespaceUtils::ws_preserve ? CWhitespaceUtils::ws_none
                                                                      : m_whitespaceRule;
  bool taken = false;
  if (own) {
    taken = detail::VariantAccess::RefillTaking(value, *own, m_primitiveType, rule);
  } else {
    detail::VariantAccess::Refill(value, text, m_primitiveType, rule);
  }
  if (!m_hasFacets || !checkFacets) return;
  try {
    // A string's facets judge its value, never the text taken from the tree.
    detail::WithReadLexical(m_restrictions, m_primitiveType, rule, text,
                            [&](const std::wstring* lexical) {
                              detail::CheckRestrictions(GetAttributeName(), value, m_primitiveType,
                                                        m_restrictions, lexical);
                            });
  } catch (...) {
    if (taken) detail::VariantAccess::GiveBack(value, *own);
    throw;
  }
}

void CAttributeInfoPrimitive::StoreText(const CSerializationContext& context,
                                        CXmlGeneratedClass* owner, const std::wstring& text,
                                        const CXmlAttribute* attribute) const {
  KvVariant own;
  KvVariant& value = attribute ? detail::XmlTreeBuilder::ReadCarrier(*attribute->GetOwnerElement(),
                                                                     m_primitiveType)
                               : own;
  try {
    std::wstring* own = attribute && m_primitiveType == it_string && &text == &attribute->GetValue()
                            ? detail::XmlTreeBuilder::TakeableValue(*attribute)
                            : nullptr;
    Parse(value, text, context.GetCheckFacetsOnRead(), own);
  } catch (const CKvException& e) {
    if (attribute == nullptr) throw;
    throw CKvValidationException(FormatString(detail::kFailedToSetAttributeProperty, text.c_str()),
                                 attribute->GetXPath(), e);
  }
  // Read once by the setter, then emptied.
  detail::VariantAccess::HandOverOnNextGet(value);
  if (attribute) {
    InvokePropertySet(owner, value, *attribute);
  } else {
    owner->AccessProperty(GetPropertyIndex(), false, value);
  }
}

}  // namespace KorvelData
