// SPDX-License-Identifier: MIT
// Choice members: each is offered the current child in turn and answers
// whether it took it; a mismatch is never an error here.
#include <korvel/element_infos.h>

#include <optional>

#include <korvel/collection.h>
#include <korvel/generated_class.h>
#include <korvel/serialization_context.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>

#include "binding/metadata_support.h"
#include "binding/variant_object.h"

namespace KorvelData {

using namespace Korvel;

CElementInfoChoicePrimOpt::CElementInfoChoicePrimOpt(
    const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
    ItemType primitiveType, const wchar_t* formatOverride,
    CWhitespaceUtils::WhitespaceRule whitespaceRule, const CPrimitiveRestrictions& restrictions,
    const wchar_t* defaultValue)
    : CPrimElementInfo(name, ns, propertyIndex, isNillable, primitiveType, formatOverride,
                       whitespaceRule, restrictions, defaultValue) {}
CElementInfoChoicePrimOpt::~CElementInfoChoicePrimOpt() = default;

bool CElementInfoChoicePrimOpt::ElementFromXml(const CSerializationContext& context,
                                               CXmlGeneratedClass* owner, CXmlElement*,
                                               CXmlElement** current, const wchar_t*,
                                               XmlElementType) const {
  return ReadSimpleIfHere(context, owner, current);
}

CElementInfoChoiceEnumOpt::CElementInfoChoiceEnumOpt(const wchar_t* name, const wchar_t* ns,
                                                     int propertyIndex, bool isNillable,
                                                     EnumToStringFunc enumToString,
                                                     StringToEnumFunc stringToEnum,
                                                     const wchar_t* defaultValue)
    : CEnumElementInfo(name, ns, propertyIndex, isNillable, enumToString, stringToEnum,
                       defaultValue) {}
CElementInfoChoiceEnumOpt::~CElementInfoChoiceEnumOpt() = default;

bool CElementInfoChoiceEnumOpt::ElementFromXml(const CSerializationContext& context,
                                               CXmlGeneratedClass* owner, CXmlElement*,
                                               CXmlElement** current, const wchar_t*,
                                               XmlElementType) const {
  return ReadSimpleIfHere(context, owner, current);
}

CElementInfoChoiceClsOpt::CElementInfoChoiceClsOpt(const wchar_t* name, const wchar_t* ns,
                                                   int propertyIndex,
                                                   XmlElementType childElementType,
                                                   ClassFactory classFactory, int factoryClassId)
    : CClsElementInfo(name, ns, propertyIndex, childElementType, classFactory, factoryClassId,
                      false) {}
CElementInfoChoiceClsOpt::~CElementInfoChoiceClsOpt() = default;

bool CElementInfoChoiceClsOpt::ElementToXml(const CSerializationContext& context,
                                            const CXmlGeneratedClass* owner,
                                            CXmlWriter* writer) const {
  // The chosen child may have empty content of its own.
  return ElementToXmlCls(context, owner, writer, true);
}

bool CElementInfoChoiceClsOpt::ElementFromXml(const CSerializationContext& context,
                                              CXmlGeneratedClass* owner, CXmlElement* parent,
                                              CXmlElement** current, const wchar_t*,
                                              XmlElementType) const {
  if (*current == nullptr) return false;
  if (!IsPseudoChild()) {
    if (!IsThisElement(context, *current)) return false;
    CSmartPtr<CXmlObjectBase> object = CreateObject();
    CXmlElement* child = *current;
    ReadChild(context, object, current, true);
    StoreObject(owner, object, *child);
    return true;
  }
  return ReadOptional(context, owner, parent, current);
}

CElementInfoChoiceAbsClsOpt::CElementInfoChoiceAbsClsOpt(const wchar_t* name, const wchar_t* ns,
                                                         int propertyIndex,
                                                         XmlElementType childElementType,
                                                         ElementFactory elementFactory)
    : CAbsClsElementInfo(name, ns, propertyIndex, childElementType, elementFactory) {}
CElementInfoChoiceAbsClsOpt::~CElementInfoChoiceAbsClsOpt() = default;

bool CElementInfoChoiceAbsClsOpt::ElementFromXml(const CSerializationContext& context,
                                                 CXmlGeneratedClass* owner, CXmlElement*,
                                                 CXmlElement** current, const wchar_t*,
                                                 XmlElementType) const {
  if (*current == nullptr) return false;
  CSmartPtr<CXmlObjectBase> object = CreateFor(context, *current);
  if (!object && !IsThisElement(context, *current)) return false;
  // Stored at once, also when no class fits: the choice then holds nothing.
  StoreObject(owner, object, **current);
  if (!object) return false;
  ReadAndStore(context, owner, object, current);
  return true;
}

CElementInfoChoiceCol::CElementInfoChoiceCol(const wchar_t* name, const wchar_t* ns,
                                             int propertyIndex)
    : CColElementInfo(name, ns, propertyIndex, XmlElementType_Element, false) {}
CElementInfoChoiceCol::CElementInfoChoiceCol(const wchar_t* name, const wchar_t* ns,
                                             int propertyIndex, XmlElementType childElementType,
                                             bool classItems)
    : CColElementInfo(name, ns, propertyIndex, childElementType, classItems) {}
CElementInfoChoiceCol::~CElementInfoChoiceCol() = default;

bool CElementInfoChoiceCol::ElementToXml(const CSerializationContext& context,
                                         const CXmlGeneratedClass* owner,
                                         CXmlWriter* writer) const {
  std::optional<KvValueView> view;
  const CMemberView member = SeeMember(owner, view);
  return WriteChosen(context, member.object, member.collection, writer);
}

bool CElementInfoChoiceCol::ElementFromXml(const CSerializationContext& context,
                                           CXmlGeneratedClass* owner, CXmlElement* parent,
                                           CXmlElement** current, const wchar_t*,
                                           XmlElementType ownerType) const {
  CSmartPtr<CXmlCollectionBase> collection;
  CXmlElement* rest = ReadItems(context, owner, parent, *current, collection);
  if (collection == nullptr || rest == *current ||
      !detail::CountHolds(context, *collection, ownerType == XmlElementType_Element)) {
    return false;
  }
  *current = rest;
  return true;
}

bool CElementInfoChoiceCol::IsOptionalChoiceMember(const CXmlGeneratedClass* owner) const {
  // Made if need be: its bounds tell.
  CSmartPtr<CXmlObjectBase> object = ReadObject(owner);
  const auto* collection = dynamic_cast<const CXmlCollectionBase*>(object.Get());
  return collection != nullptr && collection->GetMinOccurs() == 0;
}

CElementInfoChoiceClsCol::CElementInfoChoiceClsCol(const wchar_t* name, const wchar_t* ns,
                                                   int propertyIndex,
                                                   XmlElementType childElementType)
    : CElementInfoChoiceCol(name, ns, propertyIndex, childElementType, true) {}
CElementInfoChoiceClsCol::~CElementInfoChoiceClsCol() = default;
CElementInfoChoiceAbsClsCol::CElementInfoChoiceAbsClsCol(const wchar_t* name, const wchar_t* ns,
                                                         int propertyIndex,
                                                         XmlElementType childElementType)
    : CElementInfoChoiceCol(name, ns, propertyIndex, childElementType, true) {}
CElementInfoChoiceAbsClsCol::~CElementInfoChoiceAbsClsCol() = default;
bool CElementInfoChoiceAbsClsCol::ReadsOwnNameOnly() const { return false; }
CElementInfoChoicePrimCol::~CElementInfoChoicePrimCol() = default;
CElementInfoChoiceEnumCol::~CElementInfoChoiceEnumCol() = default;

// Untyped.

CElementInfoChoiceUntpdOpt::CElementInfoChoiceUntpdOpt(const wchar_t* name, const wchar_t* ns,
                                                       int propertyIndex,
                                                       const wchar_t* namespaceConstraint,
                                                       const wchar_t* targetNamespace)
    : CUntpdElementInfo(name, ns, propertyIndex, namespaceConstraint, targetNamespace) {}
CElementInfoChoiceUntpdOpt::~CElementInfoChoiceUntpdOpt() = default;

bool CElementInfoChoiceUntpdOpt::ElementFromXml(const CSerializationContext& context,
                                                CXmlGeneratedClass* owner, CXmlElement* parent,
                                                CXmlElement** current, const wchar_t*,
                                                XmlElementType) const {
  return ReadOptional(context, owner, parent, current);
}

CElementInfoChoiceUntpdCol::~CElementInfoChoiceUntpdCol() = default;

CXmlElement* CElementInfoChoiceUntpdCol::ReadRun(const CSerializationContext& context,
                                                 CXmlObjectBase* collection, CXmlElement* parent,
                                                 CXmlElement* current) const {
  return ReadUntypedRun(context, collection, parent, current);
}

}  // namespace KorvelData
