// SPDX-License-Identifier: MIT
// The kind bases of the element descriptions: how a primitive, enumerated,
// class-valued or collection child is written, and the reading steps the
// content models share.
#include <korvel/element_infos.h>

#include <optional>

#include <korvel/collection.h>
#include <korvel/errors.h>
#include <korvel/generated_class.h>
#include <korvel/json_text_writer.h>
#include <korvel/serialization_context.h>
#include <korvel/untyped.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>

#include "binding/messages.h"
#include "binding/metadata_support.h"
#include "binding/namespace_wildcard.h"
#include "binding/untyped_support.h"
#include "binding/variant_object.h"

namespace KorvelData {

using namespace Korvel;

// Primitive.

CPrimElementInfo::CPrimElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                   bool isNillable, ItemType primitiveType,
                                   const wchar_t* formatOverride,
                                   CWhitespaceUtils::WhitespaceRule whitespaceRule,
                                   const CPrimitiveRestrictions& restrictions,
                                   const wchar_t* defaultValue)
    : CElementInfo(name, ns, propertyIndex, isNillable, primitiveType, formatOverride,
                   whitespaceRule, restrictions, defaultValue) {}

CPrimElementInfo::~CPrimElementInfo() = default;

bool CPrimElementInfo::ElementToXml(const CSerializationContext& context,
                                    const CXmlGeneratedClass* owner, CXmlWriter* writer) const {
  return ElementToXmlPrim(context, owner, writer);
}

// Enumeration.

CEnumElementInfo::CEnumElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                   bool isNillable, EnumToStringFunc enumToString,
                                   StringToEnumFunc stringToEnum, const wchar_t* defaultValue)
    : CElementInfo(name, ns, propertyIndex, isNillable, enumToString, stringToEnum, defaultValue) {}

CEnumElementInfo::~CEnumElementInfo() = default;

bool CEnumElementInfo::ElementToXml(const CSerializationContext& context,
                                    const CXmlGeneratedClass* owner, CXmlWriter* writer) const {
  return ElementToXmlEnum(context, owner, writer, GetEnumToString());
}

// Class.

CClsElementInfo::CClsElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                 XmlElementType childElementType, ClassFactory classFactory,
                                 int factoryClassId, bool requiresContent)
    : CElementInfo(name, ns, propertyIndex),
      m_childElementType(childElementType),
      m_classFactory(classFactory),
      m_factoryClassId(factoryClassId),
      m_requiresContent(requiresContent) {
  SetMayWriteGroupAttributes(childElementType == XmlElementType_PseudoElement);
}

CClsElementInfo::~CClsElementInfo() = default;

bool CClsElementInfo::ElementToXml(const CSerializationContext& context,
                                   const CXmlGeneratedClass* owner, CXmlWriter* writer) const {
  return ElementToXmlCls(context, owner, writer, false);
}

void CClsElementInfo::PseudoChildAttributeToXml(const CSerializationContext& context,
                                                const CXmlGeneratedClass* owner,
                                                CXmlWriter* writer) const {
  if (m_childElementType != XmlElementType_PseudoElement) return;
  std::optional<KvValueView> view;
  if (const CXmlObjectBase* object = SeeMember(owner, view).object) {
    AttributesToXml_Int(object, writer, context);
  }
}

bool CClsElementInfo::MayStartAt(const CSerializationContext& context,
                                 const CXmlElement* element) const {
  // An inline group's content has no name of its own to recognise.
  return IsPseudoChild() || IsThisElement(context, element);
}

CSmartPtr<CXmlObjectBase> CClsElementInfo::CreateObject() const {
  return MadeForRead(m_classFactory(m_factoryClassId, GetElementName().c_str()));
}

CSmartPtr<CXmlObjectBase> CClsElementInfo::ExistingObject(CXmlGeneratedClass* owner,
                                                          const CXmlElement& element) const {
  // Seen where the owner keeps it, without a carrier and its counted holder;
  // the owner is the reader's to change, and so is the object.
  std::optional<KvValueView> view;
  CSmartPtr<CXmlObjectBase> object = const_cast<CXmlObjectBase*>(SeeMember(owner, view).object);
  if (!object) {
    object = CreateObject();
    StoreObject(owner, object, element);
  }
  return object;
}

void CClsElementInfo::ReadChild(const CSerializationContext& context, CXmlObjectBase* object,
                                CXmlElement** current, bool isOptional) const {
  CXmlElement* child = *current;
  FromXml_Int(object, child, child->GetFirstElement(), context, isOptional);
  *current = child->GetNextSiblingElement();
}

CXmlElement* CClsElementInfo::ReadInline(const CSerializationContext& context,
                                         CXmlObjectBase* object, CXmlElement* parent,
                                         CXmlElement* current) const {
  return FromXml_Int(object, parent, current, context, false);
}

bool CClsElementInfo::ReadOptional(const CSerializationContext& context, CXmlGeneratedClass* owner,
                                   CXmlElement* parent, CXmlElement** current) const {
  if (!IsPseudoChild()) {
    if (!IsThisElement(context, *current)) return false;
    CSmartPtr<CXmlObjectBase> object = CreateObject();
    CXmlElement* child = *current;
    ReadChild(context, object, current, false);
    StoreObject(owner, object, *child);
    return true;
  }
  if (*current == nullptr) return false;
  CSmartPtr<CXmlObjectBase> object = CreateObject();
  CXmlElement* rest = ReadInline(context, object, parent, *current);
  if (rest == *current) return false;
  StoreObject(owner, object, *parent);
  *current = rest;
  return true;
}

// Abstract class.

CAbsClsElementInfo::CAbsClsElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                       XmlElementType childElementType,
                                       ElementFactory elementFactory)
    : CElementInfo(name, ns, propertyIndex),
      m_childElementType(childElementType),
      m_elementFactory(elementFactory) {
  SetMayWriteGroupAttributes(childElementType == XmlElementType_PseudoElement);
}

CAbsClsElementInfo::~CAbsClsElementInfo() = default;

bool CAbsClsElementInfo::ElementToXml(const CSerializationContext& context,
                                      const CXmlGeneratedClass* owner, CXmlWriter* writer) const {
  return ElementToXmlCls(context, owner, writer, false);
}

void CAbsClsElementInfo::PseudoChildAttributeToXml(const CSerializationContext& context,
                                                   const CXmlGeneratedClass* owner,
                                                   CXmlWriter* writer) const {
  if (m_childElementType != XmlElementType_PseudoElement) return;
  std::optional<KvValueView> view;
  if (const CXmlObjectBase* object = SeeMember(owner, view).object) {
    AttributesToXml_Int(object, writer, context);
  }
}

CSmartPtr<CXmlObjectBase> CAbsClsElementInfo::CreateFor(const CSerializationContext&,
                                                        CXmlElement* current) const {
  // A member of the head's substitution group has a name of its own: the
  // factory, which knows the group, judges every element.
  return current ? MadeForRead(m_elementFactory(current)) : nullptr;
}

bool CAbsClsElementInfo::MayStartAt(const CSerializationContext& context,
                                    const CXmlElement* element) const {
  return IsThisElement(context, element) ||
         (element != nullptr && m_elementFactory(const_cast<CXmlElement*>(element)));
}

void CAbsClsElementInfo::ReadAndStore(const CSerializationContext& context,
                                      CXmlGeneratedClass* owner, CXmlObjectBase* object,
                                      CXmlElement** current) const {
  CXmlElement* child = *current;
  FromXml_Int(object, child, child->GetFirstElement(), context, false);
  StoreObject(owner, object, *child);
  *current = child->GetNextSiblingElement();
}

void CAbsClsElementInfo::ThrowNoSubstitution(const CXmlElement* parent) const {
  detail::ThrowValidation(detail::kNoSubstitution, GetElementName(),
                          parent ? parent->GetXPath() : std::wstring());
}

// Untyped.

CUntpdElementInfo::CUntpdElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                     const wchar_t* namespaceConstraint,
                                     const wchar_t* targetNamespace)
    : CElementInfo(name, ns, propertyIndex),
      m_namespaceConstraint(namespaceConstraint ? namespaceConstraint : L""),
      m_targetNamespace(targetNamespace ? targetNamespace : L""),
      m_scope(Korvel::detail::MakeUntypedScope(m_namespaceConstraint, m_targetNamespace, L"")) {
  SetMayWriteGroupAttributes(false);
}

CUntpdElementInfo::~CUntpdElementInfo() = default;

bool CUntpdElementInfo::ElementToXml(const CSerializationContext& context,
                                     const CXmlGeneratedClass* owner, CXmlWriter* writer) const {
  return ElementToXmlCls(context, owner, writer, false);
}

bool CUntpdElementInfo::MayStartAt(const CSerializationContext&, const CXmlElement* element) const {
  return GetElementName() == detail::kAnyElement ||
         (element != nullptr && element->GetLocalName() == GetElementName());
}

CXmlElement* CUntpdElementInfo::ReadInto(const CSerializationContext& context,
                                         CXmlObjectBase* element, CXmlElement* parent,
                                         CXmlElement* current) const {
  if (!MayStartAt(context, current)) return current;
  return FromXml_Int(element, parent, current, context, false);
}

bool CUntpdElementInfo::ReadMandatory(const CSerializationContext& context,
                                      CXmlGeneratedClass* owner, CXmlElement* parent,
                                      CXmlElement** current) const {
  CSmartPtr<CXmlObjectBase> element = ReadObject(owner);
  if (!element) {
    element = NewElementFor(*current);
    if (!element) return false;
    StoreObject(owner, element, *parent);
  }
  CXmlElement* rest = ReadInto(context, element, parent, *current);
  if (rest == *current) return false;
  *current = rest;
  return true;
}

bool CUntpdElementInfo::ReadOptional(const CSerializationContext& context,
                                     CXmlGeneratedClass* owner, CXmlElement* parent,
                                     CXmlElement** current) const {
  if (*current == nullptr) return false;
  CSmartPtr<CXmlObjectBase> element = NewElementFor(*current);
  if (!element) return false;
  CXmlElement* rest = ReadInto(context, element, parent, *current);
  if (rest == *current) return false;
  StoreObject(owner, element, **current);
  *current = rest;
  return true;
}

CSmartPtr<CXmlObjectBase> CUntpdElementInfo::NewElementFor(const CXmlElement* current) const {
  // Made in the namespace of the element it is to read (reading replaces
  // name and namespace anyway), so that the wildcard accepts it.
  if (current == nullptr || !detail::IsNamespaceValid(current->GetNamespaceURI(),
                                                      m_namespaceConstraint, m_targetNamespace)) {
    return nullptr;
  }
  return new CElement(GetElementName().c_str(), current->GetNamespaceURI().c_str(), m_scope);
}

void CUntpdElementInfo::ThrowNothingFromNamespace(const CXmlElement* parent) const {
  detail::ThrowValidation(detail::kRequiredFromNamespace, GetElementNamespace(),
                          parent ? parent->GetXPath() : std::wstring());
}

// Collection.

CColElementInfo::CColElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                 XmlElementType childElementType, bool classItems)
    : CElementInfo(name, ns, propertyIndex),
      m_childElementType(childElementType),
      m_classItems(classItems) {
  SetMayWriteGroupAttributes(classItems && childElementType == XmlElementType_PseudoElement);
}

CColElementInfo::~CColElementInfo() = default;

bool CColElementInfo::ElementToXml(const CSerializationContext& context,
                                   const CXmlGeneratedClass* owner, CXmlWriter* writer) const {
  std::optional<KvValueView> view;
  const CMemberView member = SeeMember(owner, view);
  return WriteCounted(context, member.object, member.collection, writer);
}

bool CColElementInfo::CollectionToXml(const CSerializationContext& context,
                                      const CXmlCollectionBase* collection, CXmlWriter* writer,
                                      bool chosen) const {
  return chosen ? WriteChosen(context, collection, collection, writer)
                : WriteCounted(context, collection, collection, writer);
}

bool CColElementInfo::WriteChosen(const CSerializationContext& context,
                                  const CXmlObjectBase* object,
                                  const CXmlCollectionBase* collection, CXmlWriter* writer) const {
  // An empty collection is a member not chosen: the next member may be.
  if (collection == nullptr || collection->GetCount() <= 0) return false;
  return WriteItems(context, object, collection, writer);
}

bool CColElementInfo::WriteCounted(const CSerializationContext& context,
                                   const CXmlObjectBase* object,
                                   const CXmlCollectionBase* collection, CXmlWriter* writer) const {
  if (collection != nullptr && !context.GetIgnoreInvalidCollectionCounts()) {
    collection->ValidateCount(context);
  }
  return WriteItems(context, object, collection, writer);
}

bool CColElementInfo::WriteItems(const CSerializationContext& context, const CXmlObjectBase* object,
                                 const CXmlCollectionBase* collection, CXmlWriter* writer) const {
  // Groups write several elements each, and substitutes names of their own:
  // no one array holds them.
  if (m_classItems && m_childElementType != XmlElementType_Element) {
    return WriteObject(context, object, writer, false);
  }
  // Only a JSON writer makes one array of the items, which needs one name
  // for all of them; other writers give every item its own element either
  // way, and are spared the pass over the whole list. So is a JSON writer
  // when only the description's own name reads back (an item named otherwise
  // would not read from XML text either).
  if (collection != nullptr && collection->GetCount() > 1 && !ReadsOwnNameOnly() &&
      dynamic_cast<const CJsonTextWriter*>(writer) != nullptr &&
      !collection->HasUniformItemNames()) {
    return WriteObject(context, object, writer, false);
  }
  return WriteCollection(context, collection, writer);
}

void CColElementInfo::PseudoChildAttributeToXml(const CSerializationContext& context,
                                                const CXmlGeneratedClass* owner,
                                                CXmlWriter* writer) const {
  if (!m_classItems || m_childElementType != XmlElementType_PseudoElement) return;
  std::optional<KvValueView> view;
  if (const CXmlObjectBase* collection = SeeMember(owner, view).object) {
    AttributesToXml_Int(collection, writer, context);
  }
}

bool CColElementInfo::MayStartAt(const CSerializationContext& context,
                                 const CXmlElement* element) const {
  return (m_classItems && m_childElementType != XmlElementType_Element) ||
         IsThisElement(context, element);
}

CXmlElement* CColElementInfo::ReadRun(const CSerializationContext& context,
                                      CXmlObjectBase* collection, CXmlElement* parent,
                                      CXmlElement* current) const {
  return FromXml_Int(collection, parent, current, context, false);
}

CXmlElement* CColElementInfo::ReadItems(const CSerializationContext& context,
                                        CXmlGeneratedClass* owner, CXmlElement* parent,
                                        CXmlElement* current,
                                        CSmartPtr<CXmlCollectionBase>& collection) const {
  collection = PeekCollection(owner);
  if (collection) return ReadRun(context, collection, parent, current);
  if (current == nullptr || (ReadsOwnNameOnly() && !IsThisElement(context, current))) {
    return current;
  }
  // Made by the getter: asked directly when the owner offers it, else through
  // the accessor, whose carrier tells a collection without a cast.
  collection = MakeCollection(owner);
  CXmlObjectBase* object = collection.Get();
  CSmartPtr<CXmlObjectBase> accessed;  // what the accessor gave, which may be no collection
  if (!object) {
    KvVariant value;
    ReadProperty(owner, value);
    if (value.IsNil()) return current;
    accessed = detail::VariantObject(value);
    if (!accessed) return current;
    object = accessed;
    collection = detail::VariantCollectionPointer(value);
  }
  CXmlElement* rest = ReadRun(context, object, parent, current);
  ReleaseIfEmpty(owner, *current, collection);
  return rest;
}

bool CColElementInfo::ReadsOwnNameOnly() const {
  return (!m_classItems || m_childElementType == XmlElementType_Element) &&
         GetElementName() != detail::kAnyElement;
}

void CColElementInfo::ReleaseIfEmpty(CXmlGeneratedClass* owner, const CXmlElement& element,
                                     CSmartPtr<CXmlCollectionBase>& collection) const {
  if (!collection || collection->GetCount() > 0) return;
  StoreObject(owner, nullptr, element, true);
  collection = nullptr;
}

CXmlElement* CColElementInfo::ReadUntypedRun(const CSerializationContext& context,
                                             CXmlObjectBase* collection, CXmlElement* parent,
                                             CXmlElement* current) const {
  auto* elements = dynamic_cast<CElementCol*>(collection);
  if (elements == nullptr || GetElementName() == detail::kAnyElement) {
    return CColElementInfo::ReadRun(context, collection, parent, current);
  }
  return elements->FromXmlLockElementName_Int(
      GetElementName().c_str(), GetElementNamespace().c_str(), parent, current, context);
}

}  // namespace KorvelData
