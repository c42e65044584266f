// SPDX-License-Identifier: MIT
// Sequence members: a mandatory member that does not match reports the missing
// child (or, below an inline group, lets the group rewind); an optional one is
// satisfied either way.
#include <korvel/element_infos.h>

#include <korvel/collection.h>
#include <korvel/generated_class.h>
#include <korvel/serialization_context.h>
#include <korvel/untyped.h>
#include <korvel/xml_document.h>

#include "binding/metadata_support.h"

namespace KorvelData {

using namespace Korvel;

// Primitive and enumeration.

CElementInfoSeqPrimMnd::CElementInfoSeqPrimMnd(const wchar_t* name, const wchar_t* ns,
                                               int propertyIndex, bool isNillable,
                                               ItemType primitiveType,
                                               const wchar_t* formatOverride,
                                               CWhitespaceUtils::WhitespaceRule whitespaceRule,
                                               const CPrimitiveRestrictions& restrictions,
                                               const wchar_t* defaultValue)
    : CPrimElementInfo(name, ns, propertyIndex, isNillable, primitiveType, formatOverride,
                       whitespaceRule, restrictions, defaultValue) {}
CElementInfoSeqPrimMnd::~CElementInfoSeqPrimMnd() = default;

bool CElementInfoSeqPrimMnd::ElementToXml(const CSerializationContext& context,
                                          const CXmlGeneratedClass* owner,
                                          CXmlWriter* writer) const {
  const bool written = CPrimElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoSeqPrimMnd::ElementFromXml(const CSerializationContext& context,
                                            CXmlGeneratedClass* owner, CXmlElement* parent,
                                            CXmlElement** current, const wchar_t*,
                                            XmlElementType ownerType) const {
  switch (SeekMandatory(context, parent, current, ownerType, true)) {
    case Seek::found:
      ElementFromXmlPrim(context, owner, current);
      return true;
    case Seek::tolerated:
      return true;
    case Seek::absent:
      break;
  }
  return false;
}

CElementInfoSeqPrimOpt::CElementInfoSeqPrimOpt(const wchar_t* name, const wchar_t* ns,
                                               int propertyIndex, bool isNillable,
                                               ItemType primitiveType,
                                               const wchar_t* formatOverride,
                                               CWhitespaceUtils::WhitespaceRule whitespaceRule,
                                               const CPrimitiveRestrictions& restrictions,
                                               const wchar_t* defaultValue)
    : CPrimElementInfo(name, ns, propertyIndex, isNillable, primitiveType, formatOverride,
                       whitespaceRule, restrictions, defaultValue) {}
CElementInfoSeqPrimOpt::~CElementInfoSeqPrimOpt() = default;

bool CElementInfoSeqPrimOpt::ElementFromXml(const CSerializationContext& context,
                                            CXmlGeneratedClass* owner, CXmlElement*,
                                            CXmlElement** current, const wchar_t*,
                                            XmlElementType) const {
  ReadSimpleIfHere(context, owner, current);
  return true;
}

CElementInfoSeqEnumMnd::CElementInfoSeqEnumMnd(const wchar_t* name, const wchar_t* ns,
                                               int propertyIndex, bool isNillable,
                                               EnumToStringFunc enumToString,
                                               StringToEnumFunc stringToEnum,
                                               const wchar_t* defaultValue)
    : CEnumElementInfo(name, ns, propertyIndex, isNillable, enumToString, stringToEnum,
                       defaultValue) {}
CElementInfoSeqEnumMnd::~CElementInfoSeqEnumMnd() = default;

bool CElementInfoSeqEnumMnd::ElementToXml(const CSerializationContext& context,
                                          const CXmlGeneratedClass* owner,
                                          CXmlWriter* writer) const {
  const bool written = CEnumElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoSeqEnumMnd::ElementFromXml(const CSerializationContext& context,
                                            CXmlGeneratedClass* owner, CXmlElement* parent,
                                            CXmlElement** current, const wchar_t*,
                                            XmlElementType ownerType) const {
  switch (SeekMandatory(context, parent, current, ownerType, true)) {
    case Seek::found:
      ElementFromXmlEnum(context, owner, current, GetStringToEnum());
      return true;
    case Seek::tolerated:
      return true;
    case Seek::absent:
      break;
  }
  return false;
}

CElementInfoSeqEnumOpt::CElementInfoSeqEnumOpt(const wchar_t* name, const wchar_t* ns,
                                               int propertyIndex, bool isNillable,
                                               EnumToStringFunc enumToString,
                                               StringToEnumFunc stringToEnum,
                                               const wchar_t* defaultValue)
    : CEnumElementInfo(name, ns, propertyIndex, isNillable, enumToString, stringToEnum,
                       defaultValue) {}
CElementInfoSeqEnumOpt::~CElementInfoSeqEnumOpt() = default;

bool CElementInfoSeqEnumOpt::ElementFromXml(const CSerializationContext& context,
                                            CXmlGeneratedClass* owner, CXmlElement*,
                                            CXmlElement** current, const wchar_t*,
                                            XmlElementType) const {
  ReadSimpleIfHere(context, owner, current);
  return true;
}

// Class.

CElementInfoSeqClsMnd::CElementInfoSeqClsMnd(const wchar_t* name, const wchar_t* ns,
                                             int propertyIndex, XmlElementType childElementType,
                                             ClassFactory classFactory, int factoryClassId,
                                             bool requiresContent)
    : CClsElementInfo(name, ns, propertyIndex, childElementType, classFactory, factoryClassId,
                      requiresContent) {}
CElementInfoSeqClsMnd::~CElementInfoSeqClsMnd() = default;

bool CElementInfoSeqClsMnd::ElementToXml(const CSerializationContext& context,
                                         const CXmlGeneratedClass* owner,
                                         CXmlWriter* writer) const {
  const bool written = CClsElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoSeqClsMnd::ElementFromXml(const CSerializationContext& context,
                                           CXmlGeneratedClass* owner, CXmlElement* parent,
                                           CXmlElement** current, const wchar_t*,
                                           XmlElementType ownerType) const {
  const bool ownerIsElement = ownerType == XmlElementType_Element;
  if (!IsPseudoChild()) {
    switch (SeekMandatory(context, parent, current, ownerType, false)) {
      case Seek::found:
        ReadChild(context, ExistingObject(owner, **current), current, false);
        return true;
      case Seek::tolerated:
        return true;
      case Seek::absent:
        break;
    }
    return false;
  }
  CSmartPtr<CXmlObjectBase> object = ExistingObject(owner, *parent);
  CXmlElement* const at = *current;
  CXmlElement* rest = ReadInline(context, object, parent, at);
  const bool consumed = rest != at;
  if (!GetRequiresContent()) {
    if (at != nullptr && !consumed && context.GetIgnoreUnknownElements() && ownerIsElement) {
      return false;
    }
    *current = rest;
    return true;
  }
  if (at == nullptr || !consumed) {
    if (ownerIsElement) ThrowRequiredChildMissing(parent);
    return false;
  }
  *current = rest;
  return true;
}

CElementInfoSeqClsOpt::CElementInfoSeqClsOpt(const wchar_t* name, const wchar_t* ns,
                                             int propertyIndex, XmlElementType childElementType,
                                             ClassFactory classFactory, int factoryClassId)
    : CClsElementInfo(name, ns, propertyIndex, childElementType, classFactory, factoryClassId,
                      false) {}
CElementInfoSeqClsOpt::~CElementInfoSeqClsOpt() = default;

bool CElementInfoSeqClsOpt::ElementFromXml(const CSerializationContext& context,
                                           CXmlGeneratedClass* owner, CXmlElement* parent,
                                           CXmlElement** current, const wchar_t*,
                                           XmlElementType) const {
  ReadOptional(context, owner, parent, current);
  return true;
}

// Abstract class.

CElementInfoSeqAbsClsMnd::CElementInfoSeqAbsClsMnd(const wchar_t* name, const wchar_t* ns,
                                                   int propertyIndex,
                                                   XmlElementType childElementType,
                                                   ElementFactory elementFactory)
    : CAbsClsElementInfo(name, ns, propertyIndex, childElementType, elementFactory) {}
CElementInfoSeqAbsClsMnd::~CElementInfoSeqAbsClsMnd() = default;

bool CElementInfoSeqAbsClsMnd::ElementToXml(const CSerializationContext& context,
                                            const CXmlGeneratedClass* owner,
                                            CXmlWriter* writer) const {
  const bool written = CAbsClsElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoSeqAbsClsMnd::ElementFromXml(const CSerializationContext& context,
                                              CXmlGeneratedClass* owner, CXmlElement* parent,
                                              CXmlElement** current, const wchar_t*,
                                              XmlElementType ownerType) const {
  CSmartPtr<CXmlObjectBase> object = CreateFor(context, *current);
  if (!object) {
    if (ownerType != XmlElementType_Element) return false;
    ThrowNoSubstitution(parent);
  }
  ReadAndStore(context, owner, object, current);
  return true;
}

CElementInfoSeqAbsClsOpt::CElementInfoSeqAbsClsOpt(const wchar_t* name, const wchar_t* ns,
                                                   int propertyIndex,
                                                   XmlElementType childElementType,
                                                   ElementFactory elementFactory)
    : CAbsClsElementInfo(name, ns, propertyIndex, childElementType, elementFactory) {}
CElementInfoSeqAbsClsOpt::~CElementInfoSeqAbsClsOpt() = default;

bool CElementInfoSeqAbsClsOpt::ElementFromXml(const CSerializationContext& context,
                                              CXmlGeneratedClass* owner, CXmlElement*,
                                              CXmlElement** current, const wchar_t*,
                                              XmlElementType) const {
  if (CSmartPtr<CXmlObjectBase> object = CreateFor(context, *current)) {
    ReadAndStore(context, owner, object, current);
  }
  return true;
}

// Collections.

CElementInfoSeqCol::CElementInfoSeqCol(const wchar_t* name, const wchar_t* ns, int propertyIndex)
    : CColElementInfo(name, ns, propertyIndex, XmlElementType_Element, false) {}
CElementInfoSeqCol::CElementInfoSeqCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                       XmlElementType childElementType, bool classItems)
    : CColElementInfo(name, ns, propertyIndex, childElementType, classItems) {}
CElementInfoSeqCol::~CElementInfoSeqCol() = default;

bool CElementInfoSeqCol::ElementFromXml(const CSerializationContext& context,
                                        CXmlGeneratedClass* owner, CXmlElement* parent,
                                        CXmlElement** current, const wchar_t*,
                                        XmlElementType ownerType) const {
  CSmartPtr<CXmlCollectionBase> collection;
  *current = ReadItems(context, owner, parent, *current, collection);
  return collection == nullptr ||
         detail::CountHolds(context, *collection, ownerType == XmlElementType_Element);
}

CElementInfoSeqClsCol::CElementInfoSeqClsCol(const wchar_t* name, const wchar_t* ns,
                                             int propertyIndex, XmlElementType childElementType)
    : CElementInfoSeqCol(name, ns, propertyIndex, childElementType, true) {}
CElementInfoSeqClsCol::~CElementInfoSeqClsCol() = default;
CElementInfoSeqAbsClsCol::CElementInfoSeqAbsClsCol(const wchar_t* name, const wchar_t* ns,
                                                   int propertyIndex,
                                                   XmlElementType childElementType)
    : CElementInfoSeqCol(name, ns, propertyIndex, childElementType, true) {}
CElementInfoSeqAbsClsCol::~CElementInfoSeqAbsClsCol() = default;
bool CElementInfoSeqAbsClsCol::ReadsOwnNameOnly() const { return false; }
CElementInfoSeqPrimCol::~CElementInfoSeqPrimCol() = default;
CElementInfoSeqEnumCol::~CElementInfoSeqEnumCol() = default;

// Untyped.

CElementInfoSeqUntpdMnd::CElementInfoSeqUntpdMnd(const wchar_t* name, const wchar_t* ns,
                                                 int propertyIndex,
                                                 const wchar_t* namespaceConstraint,
                                                 const wchar_t* targetNamespace)
    : CUntpdElementInfo(name, ns, propertyIndex, namespaceConstraint, targetNamespace) {}
CElementInfoSeqUntpdMnd::~CElementInfoSeqUntpdMnd() = default;

bool CElementInfoSeqUntpdMnd::ElementToXml(const CSerializationContext& context,
                                           const CXmlGeneratedClass* owner,
                                           CXmlWriter* writer) const {
  const bool written = CUntpdElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoSeqUntpdMnd::ElementFromXml(const CSerializationContext& context,
                                             CXmlGeneratedClass* owner, CXmlElement* parent,
                                             CXmlElement** current, const wchar_t*,
                                             XmlElementType ownerType) const {
  if (*current == nullptr) ThrowRequiredChildMissing(parent);
  if (ReadMandatory(context, owner, parent, current)) return true;
  if (ownerType != XmlElementType_Element) return false;
  ThrowNothingFromNamespace(parent);
}

CElementInfoSeqUntpdOpt::CElementInfoSeqUntpdOpt(const wchar_t* name, const wchar_t* ns,
                                                 int propertyIndex,
                                                 const wchar_t* namespaceConstraint,
                                                 const wchar_t* targetNamespace)
    : CUntpdElementInfo(name, ns, propertyIndex, namespaceConstraint, targetNamespace) {}
CElementInfoSeqUntpdOpt::~CElementInfoSeqUntpdOpt() = default;

bool CElementInfoSeqUntpdOpt::ElementFromXml(const CSerializationContext& context,
                                             CXmlGeneratedClass* owner, CXmlElement* parent,
                                             CXmlElement** current, const wchar_t*,
                                             XmlElementType) const {
  ReadOptional(context, owner, parent, current);
  return true;
}

CElementInfoSeqUntpdCol::~CElementInfoSeqUntpdCol() = default;

namespace {

// Whether a named member after self in the owner's sequence declares element.
// Wildcard members declare no names, so they never bound a run.
bool DeclaredLater(const CSerializationContext& context, const CXmlGeneratedClass& owner,
                   const CElementInfo* self, const CXmlElement& element) {
  CElementInfo* const* member = owner.GetClassElementInfo();
  if (member == nullptr) return false;
  while (*member && *member != self) ++member;
  if (!*member) return false;
  for (++member; *member; ++member) {
    if (dynamic_cast<const CUntpdElementInfo*>(*member) ||
        dynamic_cast<const CElementInfoSeqUntpdCol*>(*member)) {
      continue;
    }
    if (element.GetLocalName() == (*member)->GetElementName() &&
        (context.GetIgnoreNamespaces() ||
         element.GetNamespaceURI() == (*member)->GetElementNamespace())) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool CElementInfoSeqUntpdCol::ElementFromXml(const CSerializationContext& context,
                                             CXmlGeneratedClass* owner, CXmlElement* parent,
                                             CXmlElement** current, const wchar_t* ownerNamespace,
                                             XmlElementType ownerType) const {
  if (GetElementName() != detail::kAnyElement) {
    return CElementInfoSeqCol::ElementFromXml(context, owner, parent, current, ownerNamespace,
                                              ownerType);
  }
  const CXmlElement* stop = *current;
  while (stop && !DeclaredLater(context, *owner, this, *stop)) stop = stop->GetNextSiblingElement();
  // One not made yet is made only for a run that may start here.
  CSmartPtr<CXmlObjectBase> object = CSmartPtr<CXmlObjectBase>(PeekCollection(owner));
  const bool made = !object;
  if (made) {
    if (*current == stop) return true;
    object = ReadObject(owner);
  }
  auto* elements = dynamic_cast<CElementCol*>(object.Get());
  if (elements == nullptr) {
    return CElementInfoSeqCol::ElementFromXml(context, owner, parent, current, ownerNamespace,
                                              ownerType);
  }
  CXmlElement* const start = *current;
  *current = elements->FromXmlUpTo_Int(parent, *current, stop, context);
  const bool holds = detail::CountHolds(context, *elements, ownerType == XmlElementType_Element);
  if (made) {
    CSmartPtr<CXmlCollectionBase> collection(elements);
    ReleaseIfEmpty(owner, *start, collection);
  }
  return holds;
}

CXmlElement* CElementInfoSeqUntpdCol::ReadRun(const CSerializationContext& context,
                                              CXmlObjectBase* collection, CXmlElement* parent,
                                              CXmlElement* current) const {
  return ReadUntypedRun(context, collection, parent, current);
}

}  // namespace KorvelData
