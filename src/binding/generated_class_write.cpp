// SPDX-License-Identifier: MIT
// CXmlGeneratedClass, writing: the root options, the element, its attributes,
// its content by content model and its simple content.
#include <korvel/generated_class.h>

#include <atomic>
#include <cstddef>
#include <cwchar>
#include <typeinfo>

#include <korvel/collection.h>
#include <korvel/errors.h>
#include <korvel/namespace_alias_map.h>
#include <korvel/serialization_context.h>
#include <korvel/untyped.h>
#include <korvel/variant.h>
#include <korvel/xml_writer.h>

#include "binding/messages.h"
#include "binding/metadata_support.h"
#include "binding/variant_object.h"
#include "runtime/variant_reference.h"

namespace Korvel {

using namespace KorvelData;

namespace {

// Whether text spells s (which holds no null): one pass, where comparing
// with the string would first measure text.
bool Spells(const wchar_t* text, const std::wstring& s) noexcept {
  return std::wcsncmp(text, s.c_str(), s.size() + 1) == 0;
}

// The namespace as a string for the writer. A child nearly always shares its
// parent's namespace, whose string then serves instead of a copy.
const std::wstring& NamespaceString(const CXmlWriter& writer, const wchar_t* ns,
                                    std::wstring& copy) {
  if (ns == nullptr) return copy;
  const CXmlWriter::CXmlWriterContext* parent = writer.GetCurrentElement();
  if (parent != nullptr && Spells(ns, parent->GetNamespaceUri())) return parent->GetNamespaceUri();
  return copy = ns;
}

}  // namespace

CKVCriticalSection CXmlGeneratedClass::m_csInit;

INillable::~INillable() = default;

CXmlGeneratedClass::CXmlGeneratedClass() = default;
CXmlGeneratedClass::CXmlGeneratedClass(const CXmlGeneratedClass& other) = default;
CXmlGeneratedClass& CXmlGeneratedClass::operator=(const CXmlGeneratedClass& other) = default;
CXmlGeneratedClass::~CXmlGeneratedClass() = default;

void CXmlGeneratedClass::ReadProperty(int index, KvVariant& value) const {
  // The accessor is not const because it also sets; get leaves the object unchanged.
  const_cast<CXmlGeneratedClass*>(this)->AccessProperty(index, true, value);
}

CSmartPtr<CXmlCollectionBase> CXmlGeneratedClass::PeekCollection(int index) const {
  KvVariant value;
  ReadProperty(index, value);
  if (value.IsNil()) return nullptr;
  return dynamic_cast<CXmlCollectionBase*>(detail::VariantObject(value).Get());
}

bool CXmlGeneratedClass::ViewProperty(int, KvValueView&) const { return false; }

bool CXmlGeneratedClass::ViewMember(int, CMemberView&) const { return false; }

std::optional<bool> CXmlGeneratedClass::MembersToXml(CXmlWriter*,
                                                     const CSerializationContext&) const {
  return std::nullopt;
}

bool CXmlGeneratedClass::AttributeMembersToXml(CXmlWriter*, const CSerializationContext&) const {
  return false;
}

const KvVariant& CXmlGeneratedClass::ViewOrReadProperty(int index, KvValueView& view) const {
  if (!ViewProperty(index, view)) ReadProperty(index, detail::VariantAccess::Carrier(view));
  return view.AsVariant();
}

const KvVariant* CXmlGeneratedClass::ViewOrReadInto(int index,
                                                    std::optional<KvValueView>& view) const {
  return &ViewOrReadProperty(index, view.emplace());
}

void CXmlGeneratedClass::ToXml_Int(CXmlWriter* writer, bool isRoot, const wchar_t* ns,
                                   const CSerializationContext& context, bool isOptional) const {
  detail::PrefetchObject(this);
  try {
    const CParentElementInfo* info = GetClassInfo();
    const bool isElement = info->GetElementType() == XmlElementType_Element;
    if (isElement && isRoot) WriteRootOptions(writer, context);
    // The element refers to its name and namespace until it ends.
    std::wstring copy;
    if (isElement) {
      detail::StartElementKeepingNames(*writer, ElementNameOf(this),
                                       NamespaceString(*writer, ns, copy));
      if (isRoot) {
        ToXml_Int(context.GetAdditionalRootAttributes().Get(), writer, false, ns, context,
                  isOptional);
      }
      AttributesToXml_Int(writer, context);
      if (isRoot) {
        const std::wstring schema = context.GetInLineSchema();
        if (!schema.empty()) writer->WriteInLineSchema(schema);
      }
    }
    WriteContent(writer, context, *info, isOptional);
    if (isElement) writer->EndElement();
  } catch (const CKvException& e) {
    throw CKvValidationException(
        FormatString(detail::kFailedToConvertElement, GetElementName().c_str()), std::wstring(), e);
  }
}

void CXmlGeneratedClass::WriteRootOptions(CXmlWriter* writer,
                                          const CSerializationContext& context) const {
  for (const std::wstring& instruction : context.GetProcessingInstructions()) {
    writer->WriteProcessingInstruction(instruction);
  }
  const CNamespaceAliasMap& aliases = context.GetNamespaceAliases();
  for (int32_t i = 0; i < aliases.GetNamespaceCount(); ++i) {
    const std::wstring uri = aliases.GetNamespaceAt(i);
    writer->AddNamespaceAlias(aliases.GetAliasFromNamespace(uri.c_str()), uri);
  }
  const std::wstring defaultNamespace = context.GetDefaultNamespaceURI();
  if (!defaultNamespace.empty()) writer->SetDefaultNamespace(defaultNamespace);
}

void CXmlGeneratedClass::WriteContent(CXmlWriter* writer, const CSerializationContext& context,
                                      const CParentElementInfo& classInfo, bool isOptional) const {
  const CParentElementInfo* info = &classInfo;
  const INillable* nillable = GetNillable();
  if (nillable && nillable->IsNil()) {
    // A nil element has neither children nor text.
    writer->WriteNil();
    return;
  }
  CElementInfo** elements = GetClassElementInfo();
  switch (info->GetElementGroupType()) {
    case XmlElementGroupType_Sequence:
      if (!MembersToXml(writer, context).has_value()) {
        ProcessElementSeqToXml(context, elements, writer);
      }
      break;
    case XmlElementGroupType_Choice:
      ProcessElementChoiceToXml(context, elements, writer, isOptional);
      break;
    case XmlElementGroupType_All:
      ProcessElementAllToXml(context, elements, writer);
      break;
    default:
      throw CKvException(detail::kUnknownXmlGroupType);
  }
  if (!info->HasSimpleContent()) return;
  detail::SimpleValue value([&](auto& member, auto& view) {
    return SeeProperty(info->GetPrimitiveValuePropertyIndex(), member, view);
  });
  if (value.IsNil()) {
    writer->WriteNil();
  } else if (value.IsValid()) {
    // An unset value leaves the element empty.
    const std::wstring& format = info->GetPrimitiveFormatOverride();
    writer->WriteText(detail::WrittenText(value, format.empty() ? nullptr : format.c_str()),
                      value.Kind(), false);
  }
}

void CXmlGeneratedClass::AttributesToXml_Int(CXmlWriter* writer,
                                             const CSerializationContext& context) const {
  try {
    const CParentElementInfo* info = GetClassInfo();
    if (context.GetWriteTypeAttribute() && NeedsTypeAttribute()) {
      writer->WriteXsiType(info->GetElementNamespace(), info->GetElementName(), it_string);
    }
    ProcessAttributesToXml(context, ElementsWithGroupAttributes(*info), GetClassAttributeInfo(),
                           writer);
  } catch (const CKvException& e) {
    throw CKvException(detail::kFailedToConvertAttributes, e);
  }
}

const INillable* CXmlGeneratedClass::GetNillable() const {
  auto& plain = GetClassInfo()->m_plainType.value;
  const std::type_info* type = &typeid(*this);
  if (plain.load(std::memory_order_relaxed) == type) return nullptr;
  const auto* nillable = dynamic_cast<const INillable*>(this);
  if (nillable == nullptr) plain.store(type, std::memory_order_relaxed);
  return nillable;
}

CElementInfo** CXmlGeneratedClass::ElementsWithGroupAttributes(
    const CParentElementInfo& info) const {
  CElementInfo** elements = GetClassElementInfo();
  if (elements == nullptr) return nullptr;
  auto& none = info.m_noGroupAttributes.value;
  auto& some = info.m_groupAttributes.value;
  if (none.load(std::memory_order_relaxed) == elements) return nullptr;
  if (some.load(std::memory_order_relaxed) == elements) return elements;
  for (CElementInfo** e = elements; *e; ++e) {
    if ((*e)->MayWriteGroupAttributes()) {
      some.store(elements, std::memory_order_relaxed);
      return elements;
    }
  }
  none.store(elements, std::memory_order_relaxed);
  return nullptr;
}

bool CXmlGeneratedClass::NeedsTypeAttribute() const {
  const CParentElementInfo* info = GetClassInfo();
  return info->GetHasBaseClasses() && info->GetElementName() != ElementNameOf(this);
}

void CXmlGeneratedClass::ProcessAttributesToXml(const CSerializationContext& context,
                                                CElementInfo** elements,
                                                CAttributeInfo** attributes,
                                                CXmlWriter* writer) const {
  if (AttributeMembersToXml(writer, context)) return;
  if (attributes) {
    for (CAttributeInfo** a = attributes; *a; ++a) (*a)->AttributeToXml(context, this, writer);
  }
  if (elements) {
    for (CElementInfo** e = elements; *e; ++e) {
      if ((*e)->MayWriteGroupAttributes()) (*e)->PseudoChildAttributeToXml(context, this, writer);
    }
  }
}

void CXmlGeneratedClass::ProcessElementSeqToXml(const CSerializationContext& context,
                                                CElementInfo** elements, CXmlWriter* writer) const {
  if (!elements) return;
  for (CElementInfo** e = elements; *e; ++e) (*e)->ElementToXml(context, this, writer);
}

void CXmlGeneratedClass::ProcessElementAllToXml(const CSerializationContext& context,
                                                CElementInfo** elements, CXmlWriter* writer) const {
  ProcessElementSeqToXml(context, elements, writer);
}

void CXmlGeneratedClass::ProcessElementChoiceToXml(const CSerializationContext& context,
                                                   CElementInfo** elements, CXmlWriter* writer,
                                                   bool isOptional) const {
  if (const std::optional<bool> chosen = MembersToXml(writer, context)) {
    if (*chosen) return;
  } else if (elements) {
    for (CElementInfo** e = elements; *e; ++e) {
      if ((*e)->ElementToXml(context, this, writer)) return;
    }
  }
  if (DoesElementContainOptionalElements() || isOptional || context.GetIgnoreMissingChoice()) {
    return;
  }
  throw CKvValidationException(detail::kChoiceNoneSet, std::wstring());
}

bool CXmlGeneratedClass::DoesElementContainOptionalElements() const {
  CElementInfo** elements = GetClassElementInfo();
  if (!elements) return false;
  for (CElementInfo** e = elements; *e; ++e) {
    if ((*e)->IsOptionalChoiceMember(this)) return true;
  }
  return false;
}

int CXmlGeneratedClass::GetClassElementInfoCount() const {
  int count = 0;
  if (CElementInfo** elements = GetClassElementInfo()) {
    while (elements[count]) ++count;
  }
  return count;
}

void CXmlGeneratedClass::CleanMetaData(CParentElementInfo*& classInfo, CElementInfo**& elementInfo,
                                       CAttributeInfo**& attributeInfo) {
  delete classInfo;
  classInfo = nullptr;
  if (elementInfo) {
    for (CElementInfo** e = elementInfo; *e; ++e) delete *e;
    delete[] elementInfo;
    elementInfo = nullptr;
  }
  if (attributeInfo) {
    for (CAttributeInfo** a = attributeInfo; *a; ++a) delete *a;
    delete[] attributeInfo;
    attributeInfo = nullptr;
  }
}

}  // namespace Korvel
