// SPDX-License-Identifier: MIT
// All-group members: each takes its element wherever it stands, at most once;
// Validate then judges the members that were not found.
#include <korvel/element_infos.h>

#include <korvel/collection.h>
#include <korvel/errors.h>
#include <korvel/generated_class.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "binding/messages.h"
#include "binding/metadata_support.h"

namespace KorvelData {

using namespace Korvel;

namespace {

// A mandatory member that is missing: an inline group is then taken as
// absent as a whole; an element reports the member.
bool ValidateMandatory(const CElementInfo& info, bool found, bool ownerIsElement) {
  if (found) return true;
  if (!ownerIsElement) return false;
  throw CKvValidationException(
      FormatString(detail::kMandatoryElementMissing, info.GetElementName().c_str()),
      std::wstring());
}

}  // namespace

CElementInfoAllPrimMnd::CElementInfoAllPrimMnd(const wchar_t* name, const wchar_t* ns,
                                               int propertyIndex, bool isNillable,
                                               ItemType primitiveType,
                                               const wchar_t* formatOverride,
                                               CWhitespaceUtils::WhitespaceRule whitespaceRule,
                                               const CPrimitiveRestrictions& restrictions,
                                               const wchar_t* defaultValue)
    : CPrimElementInfo(name, ns, propertyIndex, isNillable, primitiveType, formatOverride,
                       whitespaceRule, restrictions, defaultValue) {}
CElementInfoAllPrimMnd::~CElementInfoAllPrimMnd() = default;

bool CElementInfoAllPrimMnd::ElementToXml(const CSerializationContext& context,
                                          const CXmlGeneratedClass* owner,
                                          CXmlWriter* writer) const {
  const bool written = CPrimElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoAllPrimMnd::ElementFromXml(const CSerializationContext& context,
                                            CXmlGeneratedClass* owner, CXmlElement*,
                                            CXmlElement** current, const wchar_t*,
                                            XmlElementType) const {
  return ReadSimpleIfHere(context, owner, current);
}

bool CElementInfoAllPrimMnd::Validate(const CSerializationContext&, const CXmlGeneratedClass*,
                                      bool found, bool ownerIsElement) const {
  return ValidateMandatory(*this, found, ownerIsElement);
}

CElementInfoAllPrimOpt::CElementInfoAllPrimOpt(const wchar_t* name, const wchar_t* ns,
                                               int propertyIndex, bool isNillable,
                                               ItemType primitiveType,
                                               const wchar_t* formatOverride,
                                               CWhitespaceUtils::WhitespaceRule whitespaceRule,
                                               const CPrimitiveRestrictions& restrictions,
                                               const wchar_t* defaultValue)
    : CPrimElementInfo(name, ns, propertyIndex, isNillable, primitiveType, formatOverride,
                       whitespaceRule, restrictions, defaultValue) {}
CElementInfoAllPrimOpt::~CElementInfoAllPrimOpt() = default;

bool CElementInfoAllPrimOpt::ElementFromXml(const CSerializationContext& context,
                                            CXmlGeneratedClass* owner, CXmlElement*,
                                            CXmlElement** current, const wchar_t*,
                                            XmlElementType) const {
  return ReadSimpleIfHere(context, owner, current);
}

bool CElementInfoAllPrimOpt::Validate(const CSerializationContext&, const CXmlGeneratedClass*, bool,
                                      bool) const {
  return true;
}

CElementInfoAllEnumMnd::CElementInfoAllEnumMnd(const wchar_t* name, const wchar_t* ns,
                                               int propertyIndex, bool isNillable,
                                               EnumToStringFunc enumToString,
                                               StringToEnumFunc stringToEnum,
                                               const wchar_t* defaultValue)
    : CEnumElementInfo(name, ns, propertyIndex, isNillable, enumToString, stringToEnum,
                       defaultValue) {}
CElementInfoAllEnumMnd::~CElementInfoAllEnumMnd() = default;

bool CElementInfoAllEnumMnd::ElementToXml(const CSerializationContext& context,
                                          const CXmlGeneratedClass* owner,
                                          CXmlWriter* writer) const {
  const bool written = CEnumElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoAllEnumMnd::ElementFromXml(const CSerializationContext& context,
                                            CXmlGeneratedClass* owner, CXmlElement*,
                                            CXmlElement** current, const wchar_t*,
                                            XmlElementType) const {
  return ReadSimpleIfHere(context, owner, current);
}

bool CElementInfoAllEnumMnd::Validate(const CSerializationContext&, const CXmlGeneratedClass*,
                                      bool found, bool ownerIsElement) const {
  return ValidateMandatory(*this, found, ownerIsElement);
}

CElementInfoAllEnumOpt::CElementInfoAllEnumOpt(const wchar_t* name, const wchar_t* ns,
                                               int propertyIndex, bool isNillable,
                                               EnumToStringFunc enumToString,
                                               StringToEnumFunc stringToEnum,
                                               const wchar_t* defaultValue)
    : CEnumElementInfo(name, ns, propertyIndex, isNillable, enumToString, stringToEnum,
                       defaultValue) {}
CElementInfoAllEnumOpt::~CElementInfoAllEnumOpt() = default;

bool CElementInfoAllEnumOpt::ElementFromXml(const CSerializationContext& context,
                                            CXmlGeneratedClass* owner, CXmlElement*,
                                            CXmlElement** current, const wchar_t*,
                                            XmlElementType) const {
  return ReadSimpleIfHere(context, owner, current);
}

bool CElementInfoAllEnumOpt::Validate(const CSerializationContext&, const CXmlGeneratedClass*, bool,
                                      bool) const {
  return true;
}

CElementInfoAllClsMnd::CElementInfoAllClsMnd(const wchar_t* name, const wchar_t* ns,
                                             int propertyIndex, XmlElementType childElementType,
                                             ClassFactory classFactory, int factoryClassId,
                                             bool requiresContent)
    : CClsElementInfo(name, ns, propertyIndex, childElementType, classFactory, factoryClassId,
                      requiresContent) {}
CElementInfoAllClsMnd::~CElementInfoAllClsMnd() = default;

bool CElementInfoAllClsMnd::ElementToXml(const CSerializationContext& context,
                                         const CXmlGeneratedClass* owner,
                                         CXmlWriter* writer) const {
  const bool written = CClsElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoAllClsMnd::ElementFromXml(const CSerializationContext& context,
                                           CXmlGeneratedClass* owner, CXmlElement* parent,
                                           CXmlElement** current, const wchar_t*,
                                           XmlElementType) const {
  if (!IsPseudoChild()) {
    if (!IsThisElement(context, *current)) return false;
    ReadChild(context, ExistingObject(owner, **current), current, false);
    return true;
  }
  if (*current == nullptr) return false;
  CXmlElement* rest = ReadInline(context, ExistingObject(owner, *parent), parent, *current);
  if (rest == *current) return false;
  *current = rest;
  return true;
}

bool CElementInfoAllClsMnd::Validate(const CSerializationContext&, const CXmlGeneratedClass*,
                                     bool found, bool ownerIsElement) const {
  // A child element whose content may be empty is not missing.
  if (!found && !IsPseudoChild() && !GetRequiresContent()) return true;
  return ValidateMandatory(*this, found, ownerIsElement);
}

CElementInfoAllClsOpt::CElementInfoAllClsOpt(const wchar_t* name, const wchar_t* ns,
                                             int propertyIndex, XmlElementType childElementType,
                                             ClassFactory classFactory, int factoryClassId)
    : CClsElementInfo(name, ns, propertyIndex, childElementType, classFactory, factoryClassId,
                      false) {}
CElementInfoAllClsOpt::~CElementInfoAllClsOpt() = default;

bool CElementInfoAllClsOpt::ElementFromXml(const CSerializationContext& context,
                                           CXmlGeneratedClass* owner, CXmlElement* parent,
                                           CXmlElement** current, const wchar_t*,
                                           XmlElementType) const {
  return ReadOptional(context, owner, parent, current);
}

bool CElementInfoAllClsOpt::Validate(const CSerializationContext&, const CXmlGeneratedClass*, bool,
                                     bool) const {
  return true;
}

CElementInfoAllAbsClsMnd::CElementInfoAllAbsClsMnd(const wchar_t* name, const wchar_t* ns,
                                                   int propertyIndex,
                                                   XmlElementType childElementType,
                                                   ElementFactory elementFactory, int)
    : CAbsClsElementInfo(name, ns, propertyIndex, childElementType, elementFactory) {}
CElementInfoAllAbsClsMnd::~CElementInfoAllAbsClsMnd() = default;

bool CElementInfoAllAbsClsMnd::ElementToXml(const CSerializationContext& context,
                                            const CXmlGeneratedClass* owner,
                                            CXmlWriter* writer) const {
  const bool written = CAbsClsElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoAllAbsClsMnd::ElementFromXml(const CSerializationContext& context,
                                              CXmlGeneratedClass* owner, CXmlElement*,
                                              CXmlElement** current, const wchar_t*,
                                              XmlElementType) const {
  CSmartPtr<CXmlObjectBase> object = CreateFor(context, *current);
  if (!object) return false;
  ReadAndStore(context, owner, object, current);
  return true;
}

bool CElementInfoAllAbsClsMnd::Validate(const CSerializationContext&, const CXmlGeneratedClass*,
                                        bool found, bool ownerIsElement) const {
  return ValidateMandatory(*this, found, ownerIsElement);
}

CElementInfoAllAbsClsOpt::CElementInfoAllAbsClsOpt(const wchar_t* name, const wchar_t* ns,
                                                   int propertyIndex,
                                                   XmlElementType childElementType,
                                                   ElementFactory elementFactory)
    : CAbsClsElementInfo(name, ns, propertyIndex, childElementType, elementFactory) {}
CElementInfoAllAbsClsOpt::~CElementInfoAllAbsClsOpt() = default;

bool CElementInfoAllAbsClsOpt::ElementFromXml(const CSerializationContext& context,
                                              CXmlGeneratedClass* owner, CXmlElement*,
                                              CXmlElement** current, const wchar_t*,
                                              XmlElementType) const {
  CSmartPtr<CXmlObjectBase> object = CreateFor(context, *current);
  if (!object) return false;
  ReadAndStore(context, owner, object, current);
  return true;
}

bool CElementInfoAllAbsClsOpt::Validate(const CSerializationContext&, const CXmlGeneratedClass*,
                                        bool, bool) const {
  return true;
}

CElementInfoAllCol::CElementInfoAllCol(const wchar_t* name, const wchar_t* ns, int propertyIndex)
    : CColElementInfo(name, ns, propertyIndex, XmlElementType_Element, false) {}
CElementInfoAllCol::CElementInfoAllCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                                       XmlElementType childElementType, bool classItems)
    : CColElementInfo(name, ns, propertyIndex, childElementType, classItems) {}
CElementInfoAllCol::~CElementInfoAllCol() = default;

bool CElementInfoAllCol::ElementFromXml(const CSerializationContext& context,
                                        CXmlGeneratedClass* owner, CXmlElement* parent,
                                        CXmlElement** current, const wchar_t*,
                                        XmlElementType) const {
  // Never marked found, so the collection goes on taking its elements
  // wherever they stand.
  CSmartPtr<CXmlCollectionBase> collection;
  *current = ReadItems(context, owner, parent, *current, collection);
  return false;
}

bool CElementInfoAllCol::Validate(const CSerializationContext& context,
                                  const CXmlGeneratedClass* owner, bool,
                                  bool ownerIsElement) const {
  const CSmartPtr<CXmlCollectionBase> collection = PeekCollection(owner);
  return !collection || detail::CountHolds(context, *collection, ownerIsElement);
}

CElementInfoAllClsCol::CElementInfoAllClsCol(const wchar_t* name, const wchar_t* ns,
                                             int propertyIndex, XmlElementType childElementType)
    : CElementInfoAllCol(name, ns, propertyIndex, childElementType, true) {}
CElementInfoAllClsCol::~CElementInfoAllClsCol() = default;
CElementInfoAllAbsClsCol::CElementInfoAllAbsClsCol(const wchar_t* name, const wchar_t* ns,
                                                   int propertyIndex,
                                                   XmlElementType childElementType)
    : CElementInfoAllCol(name, ns, propertyIndex, childElementType, true) {}
CElementInfoAllAbsClsCol::~CElementInfoAllAbsClsCol() = default;
bool CElementInfoAllAbsClsCol::ReadsOwnNameOnly() const { return false; }
CElementInfoAllPrimCol::~CElementInfoAllPrimCol() = default;
CElementInfoAllEnumCol::~CElementInfoAllEnumCol() = default;

// Untyped.

CElementInfoAllUntpdMnd::CElementInfoAllUntpdMnd(const wchar_t* name, const wchar_t* ns,
                                                 int propertyIndex,
                                                 const wchar_t* namespaceConstraint,
                                                 const wchar_t* targetNamespace)
    : CUntpdElementInfo(name, ns, propertyIndex, namespaceConstraint, targetNamespace) {}
CElementInfoAllUntpdMnd::~CElementInfoAllUntpdMnd() = default;

bool CElementInfoAllUntpdMnd::ElementToXml(const CSerializationContext& context,
                                           const CXmlGeneratedClass* owner,
                                           CXmlWriter* writer) const {
  const bool written = CUntpdElementInfo::ElementToXml(context, owner, writer);
  RequireWritten(written);
  return written;
}

bool CElementInfoAllUntpdMnd::ElementFromXml(const CSerializationContext& context,
                                             CXmlGeneratedClass* owner, CXmlElement* parent,
                                             CXmlElement** current, const wchar_t*,
                                             XmlElementType) const {
  return *current != nullptr && ReadMandatory(context, owner, parent, current);
}

bool CElementInfoAllUntpdMnd::Validate(const CSerializationContext&, const CXmlGeneratedClass*,
                                       bool found, bool ownerIsElement) const {
  return ValidateMandatory(*this, found, ownerIsElement);
}

CElementInfoAllUntpdOpt::CElementInfoAllUntpdOpt(const wchar_t* name, const wchar_t* ns,
                                                 int propertyIndex,
                                                 const wchar_t* namespaceConstraint,
                                                 const wchar_t* targetNamespace)
    : CUntpdElementInfo(name, ns, propertyIndex, namespaceConstraint, targetNamespace) {}
CElementInfoAllUntpdOpt::~CElementInfoAllUntpdOpt() = default;

bool CElementInfoAllUntpdOpt::ElementFromXml(const CSerializationContext& context,
                                             CXmlGeneratedClass* owner, CXmlElement* parent,
                                             CXmlElement** current, const wchar_t*,
                                             XmlElementType) const {
  return ReadOptional(context, owner, parent, current);
}

bool CElementInfoAllUntpdOpt::Validate(const CSerializationContext&, const CXmlGeneratedClass*,
                                       bool, bool) const {
  return true;
}

CElementInfoAllUntpdCol::~CElementInfoAllUntpdCol() = default;

CXmlElement* CElementInfoAllUntpdCol::ReadRun(const CSerializationContext& context,
                                              CXmlObjectBase* collection, CXmlElement* parent,
                                              CXmlElement* current) const {
  return ReadUntypedRun(context, collection, parent, current);
}

}  // namespace KorvelData
