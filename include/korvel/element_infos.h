// SPDX-License-Identifier: MIT
// The concrete child-element descriptions: CElementInfo + the owner's content
// model (Seq, Choice, All) + the kind of value (Cls, AbsCls, Enum, Prim,
// Untpd; none for the generic collection) + its cardinality (Mnd, Opt, Col). How a child is written
// depends on kind and cardinality only, and lives in the four kind bases;
// each concrete class adds how its content model reads it.
#pragma once

#include <memory>

#include <korvel/class_factory.h>
#include <korvel/export.h>
#include <korvel/metadata.h>

namespace Korvel::detail {
struct UntypedScope;
}  // namespace Korvel::detail

namespace KorvelData {

// Kind bases. Writing: an optional value (nothing written when it is absent).

// A primitive child.
class KORVEL_API CPrimElementInfo : public CElementInfo {
 public:
  ~CPrimElementInfo() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;

 protected:
  CPrimElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                   Korvel::ItemType primitiveType, const wchar_t* formatOverride,
                   Korvel::CWhitespaceUtils::WhitespaceRule whitespaceRule,
                   const Korvel::CPrimitiveRestrictions& restrictions, const wchar_t* defaultValue);
};

// An enumerated child, held as it_i4.
class KORVEL_API CEnumElementInfo : public CElementInfo {
 public:
  ~CEnumElementInfo() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;

 protected:
  CEnumElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                   EnumToStringFunc enumToString, StringToEnumFunc stringToEnum,
                   const wchar_t* defaultValue);
};

// A child generated class: an element of its own, or an inline model group
// (ChildElementType pseudo element) whose children and attributes land in the
// owner's element.
class KORVEL_API CClsElementInfo : public CElementInfo {
 public:
  ~CClsElementInfo() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  void PseudoChildAttributeToXml(const Korvel::CSerializationContext& context,
                                 const Korvel::CXmlGeneratedClass* owner,
                                 Korvel::CXmlWriter* writer) const override;
  bool MayStartAt(const Korvel::CSerializationContext& context,
                  const Korvel::CXmlElement* element) const override;

  XmlElementType GetChildElementType() const noexcept { return m_childElementType; }
  int GetFactoryClassId() const noexcept { return m_factoryClassId; }
  bool GetRequiresContent() const noexcept { return m_requiresContent; }

 protected:
  CClsElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                  XmlElementType childElementType, Korvel::ClassFactory classFactory,
                  int factoryClassId, bool requiresContent);
  bool IsPseudoChild() const noexcept { return m_childElementType != XmlElementType_Element; }
  // A new object from the class factory.
  CSmartPtr<Korvel::CXmlObjectBase> CreateObject() const;
  // The property's object, created and stored first when the property is empty.
  CSmartPtr<Korvel::CXmlObjectBase> ExistingObject(Korvel::CXmlGeneratedClass* owner,
                                                   const Korvel::CXmlElement& element) const;
  // Reads the child element at *current into object and moves *current on.
  void ReadChild(const Korvel::CSerializationContext& context, Korvel::CXmlObjectBase* object,
                 Korvel::CXmlElement** current, bool isOptional) const;
  // Reads an inline group into object from *current; returns the new position.
  Korvel::CXmlElement* ReadInline(const Korvel::CSerializationContext& context,
                                  Korvel::CXmlObjectBase* object, Korvel::CXmlElement* parent,
                                  Korvel::CXmlElement* current) const;
  // Optional class members of sequences and all groups: the object is created
  // only when its content is there. True when something was read.
  bool ReadOptional(const Korvel::CSerializationContext& context, Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlElement* parent, Korvel::CXmlElement** current) const;

 private:
  XmlElementType m_childElementType;
  Korvel::ClassFactory m_classFactory;
  int m_factoryClassId;
  bool m_requiresContent;
};

// A child whose concrete class the element factory picks from the element
// itself (substitution groups, xsi:type): abstract and derivable types.
class KORVEL_API CAbsClsElementInfo : public CElementInfo {
 public:
  ~CAbsClsElementInfo() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  void PseudoChildAttributeToXml(const Korvel::CSerializationContext& context,
                                 const Korvel::CXmlGeneratedClass* owner,
                                 Korvel::CXmlWriter* writer) const override;
  // The head's element, or one the element factory knows (a substitute).
  bool MayStartAt(const Korvel::CSerializationContext& context,
                  const Korvel::CXmlElement* element) const override;

  XmlElementType GetChildElementType() const noexcept { return m_childElementType; }

 protected:
  CAbsClsElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                     XmlElementType childElementType, Korvel::ElementFactory elementFactory);
  // The factory's object for the element at *current (the head's element or
  // a substitute), or null when it knows no class for it.
  CSmartPtr<Korvel::CXmlObjectBase> CreateFor(const Korvel::CSerializationContext& context,
                                              Korvel::CXmlElement* current) const;
  // Reads the child at *current into object, stores it and moves *current on.
  void ReadAndStore(const Korvel::CSerializationContext& context, Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlObjectBase* object, Korvel::CXmlElement** current) const;
  [[noreturn]] void ThrowNoSubstitution(const Korvel::CXmlElement* parent) const;

 private:
  XmlElementType m_childElementType;
  Korvel::ElementFactory m_elementFactory;
};

// Untyped content held in a CElement: an element without a type, or xs:any
// when the name is "AnyElement" (any name then matches).
class KORVEL_API CUntpdElementInfo : public CElementInfo {
 public:
  ~CUntpdElementInfo() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool MayStartAt(const Korvel::CSerializationContext& context,
                  const Korvel::CXmlElement* element) const override;

  const std::wstring& GetNamespaceConstraint() const noexcept { return m_namespaceConstraint; }
  const std::wstring& GetTargetNamespace() const noexcept { return m_targetNamespace; }

 protected:
  CUntpdElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                    const wchar_t* namespaceConstraint, const wchar_t* targetNamespace);
  // Reads *current into element when the names fit (the element checks its
  // own wildcard); returns the new position, *current when nothing was read.
  Korvel::CXmlElement* ReadInto(const Korvel::CSerializationContext& context,
                                Korvel::CXmlObjectBase* element, Korvel::CXmlElement* parent,
                                Korvel::CXmlElement* current) const;
  // The mandatory forms: into the property's element. True when consumed.
  bool ReadMandatory(const Korvel::CSerializationContext& context,
                     Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                     Korvel::CXmlElement** current) const;
  // The optional forms: into a new element, stored when consumed.
  bool ReadOptional(const Korvel::CSerializationContext& context, Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlElement* parent, Korvel::CXmlElement** current) const;
  // A new element for reading current, or null when current's namespace is
  // outside the wildcard.
  CSmartPtr<Korvel::CXmlObjectBase> NewElementFor(const Korvel::CXmlElement* current) const;
  [[noreturn]] void ThrowNothingFromNamespace(const Korvel::CXmlElement* parent) const;

 private:
  std::wstring m_namespaceConstraint;
  std::wstring m_targetNamespace;
  // The same wildcard, shared by every element the description reads.
  std::shared_ptr<const Korvel::detail::UntypedScope> m_scope;
};

// A collection property (generated object collections and the typed ones):
// the collection reads every consecutive element it accepts. Written after
// a count check.
class KORVEL_API CColElementInfo : public CElementInfo {
 public:
  ~CColElementInfo() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  void PseudoChildAttributeToXml(const Korvel::CSerializationContext& context,
                                 const Korvel::CXmlGeneratedClass* owner,
                                 Korvel::CXmlWriter* writer) const override;
  bool MayStartAt(const Korvel::CSerializationContext& context,
                  const Korvel::CXmlElement* element) const override;
  // ElementToXml with the collection member at hand (null for none), as
  // CElementInfo::SimpleToXml is for simple members; the choice member's
  // when chosen, which skips an empty collection, a member not chosen.
  bool CollectionToXml(const Korvel::CSerializationContext& context,
                       const Korvel::CXmlCollectionBase* collection, Korvel::CXmlWriter* writer,
                       bool chosen = false) const;

 protected:
  // childElementType is that of class-valued items; a pseudo-element item
  // class writes its attributes on the owner's element.
  CColElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                  XmlElementType childElementType, bool classItems);
  // How the collection reads its run of elements; untyped collections with a
  // fixed name override it.
  virtual Korvel::CXmlElement* ReadRun(const Korvel::CSerializationContext& context,
                                       Korvel::CXmlObjectBase* collection,
                                       Korvel::CXmlElement* parent,
                                       Korvel::CXmlElement* current) const;
  // Writes the items of object, the property's value (null for none), which
  // is collection when it is one: as one array in JSON when they are elements
  // of one name.
  bool WriteItems(const Korvel::CSerializationContext& context,
                  const Korvel::CXmlObjectBase* object,
                  const Korvel::CXmlCollectionBase* collection, Korvel::CXmlWriter* writer) const;
  // WriteItems after the count check; or, for a choice member, unless the
  // collection is empty.
  bool WriteChosen(const Korvel::CSerializationContext& context,
                   const Korvel::CXmlObjectBase* object,
                   const Korvel::CXmlCollectionBase* collection, Korvel::CXmlWriter* writer) const;
  bool WriteCounted(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlObjectBase* object,
                    const Korvel::CXmlCollectionBase* collection, Korvel::CXmlWriter* writer) const;
  // ReadRun of untyped collections: by name unless the name is "AnyElement".
  Korvel::CXmlElement* ReadUntypedRun(const Korvel::CSerializationContext& context,
                                      Korvel::CXmlObjectBase* collection,
                                      Korvel::CXmlElement* parent,
                                      Korvel::CXmlElement* current) const;
  // Whether the run holds only elements of the description's own name, so
  // that it cannot start at any other element: not so for in-line groups,
  // wildcard content and substitution groups.
  virtual bool ReadsOwnNameOnly() const;
  // Reads the consecutive elements the collection accepts; returns the new
  // position. A collection not made yet is made for a run that may start at
  // current, and let go again (null) when the run was empty. collection is
  // the collection the property holds afterwards (null for none, or for an
  // object that is no collection).
  Korvel::CXmlElement* ReadItems(const Korvel::CSerializationContext& context,
                                 Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                                 Korvel::CXmlElement* current,
                                 CSmartPtr<Korvel::CXmlCollectionBase>& collection) const;
  // Stores null for a collection that ReadItems made and that read nothing,
  // and nulls collection (element: where the run was to start, for errors).
  void ReleaseIfEmpty(Korvel::CXmlGeneratedClass* owner, const Korvel::CXmlElement& element,
                      CSmartPtr<Korvel::CXmlCollectionBase>& collection) const;

 private:
  XmlElementType m_childElementType;
  bool m_classItems;
};

// Sequence members.

class KORVEL_API CElementInfoSeqPrimMnd : public CPrimElementInfo {
 public:
  CElementInfoSeqPrimMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                         Korvel::ItemType primitiveType, const wchar_t* formatOverride,
                         Korvel::CWhitespaceUtils::WhitespaceRule whitespaceRule,
                         const Korvel::CPrimitiveRestrictions& restrictions,
                         const wchar_t* defaultValue);
  ~CElementInfoSeqPrimMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

class KORVEL_API CElementInfoSeqPrimOpt : public CPrimElementInfo {
 public:
  CElementInfoSeqPrimOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                         Korvel::ItemType primitiveType, const wchar_t* formatOverride,
                         Korvel::CWhitespaceUtils::WhitespaceRule whitespaceRule,
                         const Korvel::CPrimitiveRestrictions& restrictions,
                         const wchar_t* defaultValue);
  ~CElementInfoSeqPrimOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

class KORVEL_API CElementInfoSeqEnumMnd : public CEnumElementInfo {
 public:
  CElementInfoSeqEnumMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                         EnumToStringFunc enumToString, StringToEnumFunc stringToEnum,
                         const wchar_t* defaultValue);
  ~CElementInfoSeqEnumMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

class KORVEL_API CElementInfoSeqEnumOpt : public CEnumElementInfo {
 public:
  CElementInfoSeqEnumOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                         EnumToStringFunc enumToString, StringToEnumFunc stringToEnum,
                         const wchar_t* defaultValue);
  ~CElementInfoSeqEnumOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

// The child object already exists in the property and is read into.
class KORVEL_API CElementInfoSeqClsMnd : public CClsElementInfo {
 public:
  CElementInfoSeqClsMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                        XmlElementType childElementType, Korvel::ClassFactory classFactory,
                        int factoryClassId, bool requiresContent);
  ~CElementInfoSeqClsMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

// The child object is created only when its element is present.
class KORVEL_API CElementInfoSeqClsOpt : public CClsElementInfo {
 public:
  CElementInfoSeqClsOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                        XmlElementType childElementType, Korvel::ClassFactory classFactory,
                        int factoryClassId);
  ~CElementInfoSeqClsOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

// The generic collection of a sequence; the typed forms below only name the
// kind of their items.
class KORVEL_API CElementInfoSeqCol : public CColElementInfo {
 public:
  CElementInfoSeqCol(const wchar_t* name, const wchar_t* ns, int propertyIndex);
  ~CElementInfoSeqCol() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;

 protected:
  CElementInfoSeqCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                     XmlElementType childElementType, bool classItems);
};

class KORVEL_API CElementInfoSeqClsCol : public CElementInfoSeqCol {
 public:
  CElementInfoSeqClsCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                        XmlElementType childElementType);
  ~CElementInfoSeqClsCol() override;
};

class KORVEL_API CElementInfoSeqAbsClsMnd : public CAbsClsElementInfo {
 public:
  CElementInfoSeqAbsClsMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           XmlElementType childElementType, Korvel::ElementFactory elementFactory);
  ~CElementInfoSeqAbsClsMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

class KORVEL_API CElementInfoSeqAbsClsOpt : public CAbsClsElementInfo {
 public:
  CElementInfoSeqAbsClsOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           XmlElementType childElementType, Korvel::ElementFactory elementFactory);
  ~CElementInfoSeqAbsClsOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

class KORVEL_API CElementInfoSeqAbsClsCol : public CElementInfoSeqCol {
 public:
  CElementInfoSeqAbsClsCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           XmlElementType childElementType);
  ~CElementInfoSeqAbsClsCol() override;

 protected:
  bool ReadsOwnNameOnly() const override;
};

class KORVEL_API CElementInfoSeqUntpdMnd : public CUntpdElementInfo {
 public:
  CElementInfoSeqUntpdMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                          const wchar_t* namespaceConstraint, const wchar_t* targetNamespace);
  ~CElementInfoSeqUntpdMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

class KORVEL_API CElementInfoSeqUntpdOpt : public CUntpdElementInfo {
 public:
  CElementInfoSeqUntpdOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                          const wchar_t* namespaceConstraint, const wchar_t* targetNamespace);
  ~CElementInfoSeqUntpdOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

// Untyped items in a CElementCol, matched by name unless the name is "AnyElement".
class KORVEL_API CElementInfoSeqUntpdCol : public CElementInfoSeqCol {
 public:
  using CElementInfoSeqCol::CElementInfoSeqCol;
  ~CElementInfoSeqUntpdCol() override;
  // An "AnyElement" run ends before the first element that a later named
  // member of the sequence declares.
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;

 protected:
  Korvel::CXmlElement* ReadRun(const Korvel::CSerializationContext& context,
                               Korvel::CXmlObjectBase* collection, Korvel::CXmlElement* parent,
                               Korvel::CXmlElement* current) const override;
};

class KORVEL_API CElementInfoSeqPrimCol : public CElementInfoSeqCol {
 public:
  using CElementInfoSeqCol::CElementInfoSeqCol;
  ~CElementInfoSeqPrimCol() override;
};

class KORVEL_API CElementInfoSeqEnumCol : public CElementInfoSeqCol {
 public:
  using CElementInfoSeqCol::CElementInfoSeqCol;
  ~CElementInfoSeqEnumCol() override;
};

// Choice members: offered the current child in turn; never mandatory, and
// never an error for a mismatch.

class KORVEL_API CElementInfoChoicePrimOpt : public CPrimElementInfo {
 public:
  CElementInfoChoicePrimOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                            bool isNillable, Korvel::ItemType primitiveType,
                            const wchar_t* formatOverride,
                            Korvel::CWhitespaceUtils::WhitespaceRule whitespaceRule,
                            const Korvel::CPrimitiveRestrictions& restrictions,
                            const wchar_t* defaultValue);
  ~CElementInfoChoicePrimOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

class KORVEL_API CElementInfoChoiceEnumOpt : public CEnumElementInfo {
 public:
  CElementInfoChoiceEnumOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                            bool isNillable, EnumToStringFunc enumToString,
                            StringToEnumFunc stringToEnum, const wchar_t* defaultValue);
  ~CElementInfoChoiceEnumOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

// The chosen child is told that its own content may be empty.
class KORVEL_API CElementInfoChoiceClsOpt : public CClsElementInfo {
 public:
  CElementInfoChoiceClsOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           XmlElementType childElementType, Korvel::ClassFactory classFactory,
                           int factoryClassId);
  ~CElementInfoChoiceClsOpt() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

// A collection in a choice: written without the count check; the choice may
// be empty when its minOccurs is 0.
class KORVEL_API CElementInfoChoiceCol : public CColElementInfo {
 public:
  CElementInfoChoiceCol(const wchar_t* name, const wchar_t* ns, int propertyIndex);
  ~CElementInfoChoiceCol() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool IsOptionalChoiceMember(const Korvel::CXmlGeneratedClass* owner) const override;

 protected:
  CElementInfoChoiceCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                        XmlElementType childElementType, bool classItems);
};

class KORVEL_API CElementInfoChoiceClsCol : public CElementInfoChoiceCol {
 public:
  CElementInfoChoiceClsCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           XmlElementType childElementType);
  ~CElementInfoChoiceClsCol() override;
};

class KORVEL_API CElementInfoChoiceAbsClsOpt : public CAbsClsElementInfo {
 public:
  CElementInfoChoiceAbsClsOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                              XmlElementType childElementType,
                              Korvel::ElementFactory elementFactory);
  ~CElementInfoChoiceAbsClsOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

class KORVEL_API CElementInfoChoiceAbsClsCol : public CElementInfoChoiceCol {
 public:
  CElementInfoChoiceAbsClsCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                              XmlElementType childElementType);
  ~CElementInfoChoiceAbsClsCol() override;

 protected:
  bool ReadsOwnNameOnly() const override;
};

class KORVEL_API CElementInfoChoiceUntpdOpt : public CUntpdElementInfo {
 public:
  CElementInfoChoiceUntpdOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                             const wchar_t* namespaceConstraint, const wchar_t* targetNamespace);
  ~CElementInfoChoiceUntpdOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
};

// Untyped items in a CElementCol, matched by name unless the name is "AnyElement".
class KORVEL_API CElementInfoChoiceUntpdCol : public CElementInfoChoiceCol {
 public:
  using CElementInfoChoiceCol::CElementInfoChoiceCol;
  ~CElementInfoChoiceUntpdCol() override;

 protected:
  Korvel::CXmlElement* ReadRun(const Korvel::CSerializationContext& context,
                               Korvel::CXmlObjectBase* collection, Korvel::CXmlElement* parent,
                               Korvel::CXmlElement* current) const override;
};

class KORVEL_API CElementInfoChoicePrimCol : public CElementInfoChoiceCol {
 public:
  using CElementInfoChoiceCol::CElementInfoChoiceCol;
  ~CElementInfoChoicePrimCol() override;
};

class KORVEL_API CElementInfoChoiceEnumCol : public CElementInfoChoiceCol {
 public:
  using CElementInfoChoiceCol::CElementInfoChoiceCol;
  ~CElementInfoChoiceEnumCol() override;
};

// All-group members: offered every child not yet taken; missing ones are
// judged by Validate once the group has been read.

class KORVEL_API CElementInfoAllPrimMnd : public CPrimElementInfo {
 public:
  CElementInfoAllPrimMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                         Korvel::ItemType primitiveType, const wchar_t* formatOverride,
                         Korvel::CWhitespaceUtils::WhitespaceRule whitespaceRule,
                         const Korvel::CPrimitiveRestrictions& restrictions,
                         const wchar_t* defaultValue);
  ~CElementInfoAllPrimMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

class KORVEL_API CElementInfoAllPrimOpt : public CPrimElementInfo {
 public:
  CElementInfoAllPrimOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                         Korvel::ItemType primitiveType, const wchar_t* formatOverride,
                         Korvel::CWhitespaceUtils::WhitespaceRule whitespaceRule,
                         const Korvel::CPrimitiveRestrictions& restrictions,
                         const wchar_t* defaultValue);
  ~CElementInfoAllPrimOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

class KORVEL_API CElementInfoAllEnumMnd : public CEnumElementInfo {
 public:
  CElementInfoAllEnumMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                         EnumToStringFunc enumToString, StringToEnumFunc stringToEnum,
                         const wchar_t* defaultValue);
  ~CElementInfoAllEnumMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

class KORVEL_API CElementInfoAllEnumOpt : public CEnumElementInfo {
 public:
  CElementInfoAllEnumOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
                         EnumToStringFunc enumToString, StringToEnumFunc stringToEnum,
                         const wchar_t* defaultValue);
  ~CElementInfoAllEnumOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

class KORVEL_API CElementInfoAllClsMnd : public CClsElementInfo {
 public:
  CElementInfoAllClsMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                        XmlElementType childElementType, Korvel::ClassFactory classFactory,
                        int factoryClassId, bool requiresContent);
  ~CElementInfoAllClsMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

class KORVEL_API CElementInfoAllClsOpt : public CClsElementInfo {
 public:
  CElementInfoAllClsOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                        XmlElementType childElementType, Korvel::ClassFactory classFactory,
                        int factoryClassId);
  ~CElementInfoAllClsOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

// A collection in an all group reads what it accepts and is never marked found.
class KORVEL_API CElementInfoAllCol : public CColElementInfo {
 public:
  CElementInfoAllCol(const wchar_t* name, const wchar_t* ns, int propertyIndex);
  ~CElementInfoAllCol() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  // The count, judged once the whole group is read since the items may stand
  // anywhere in it: outside the bounds an element owner fails, a pseudo
  // element answers false (the group is taken as absent).
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;

 protected:
  CElementInfoAllCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                     XmlElementType childElementType, bool classItems);
};

class KORVEL_API CElementInfoAllClsCol : public CElementInfoAllCol {
 public:
  CElementInfoAllClsCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                        XmlElementType childElementType);
  ~CElementInfoAllClsCol() override;
};

class KORVEL_API CElementInfoAllAbsClsMnd : public CAbsClsElementInfo {
 public:
  CElementInfoAllAbsClsMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           XmlElementType childElementType, Korvel::ElementFactory elementFactory,
                           int unused);
  ~CElementInfoAllAbsClsMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

class KORVEL_API CElementInfoAllAbsClsOpt : public CAbsClsElementInfo {
 public:
  CElementInfoAllAbsClsOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           XmlElementType childElementType, Korvel::ElementFactory elementFactory);
  ~CElementInfoAllAbsClsOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

class KORVEL_API CElementInfoAllAbsClsCol : public CElementInfoAllCol {
 public:
  CElementInfoAllAbsClsCol(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                           XmlElementType childElementType);
  ~CElementInfoAllAbsClsCol() override;

 protected:
  bool ReadsOwnNameOnly() const override;
};

class KORVEL_API CElementInfoAllUntpdMnd : public CUntpdElementInfo {
 public:
  CElementInfoAllUntpdMnd(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                          const wchar_t* namespaceConstraint, const wchar_t* targetNamespace);
  ~CElementInfoAllUntpdMnd() override;
  bool ElementToXml(const Korvel::CSerializationContext& context,
                    const Korvel::CXmlGeneratedClass* owner,
                    Korvel::CXmlWriter* writer) const override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

class KORVEL_API CElementInfoAllUntpdOpt : public CUntpdElementInfo {
 public:
  CElementInfoAllUntpdOpt(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                          const wchar_t* namespaceConstraint, const wchar_t* targetNamespace);
  ~CElementInfoAllUntpdOpt() override;
  bool ElementFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                      Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                      XmlElementType ownerType) const override;
  bool Validate(const Korvel::CSerializationContext& context,
                const Korvel::CXmlGeneratedClass* owner, bool found,
                bool ownerIsElement) const override;
};

// Untyped items in a CElementCol, matched by name unless the name is "AnyElement".
class KORVEL_API CElementInfoAllUntpdCol : public CElementInfoAllCol {
 public:
  using CElementInfoAllCol::CElementInfoAllCol;
  ~CElementInfoAllUntpdCol() override;

 protected:
  Korvel::CXmlElement* ReadRun(const Korvel::CSerializationContext& context,
                               Korvel::CXmlObjectBase* collection, Korvel::CXmlElement* parent,
                               Korvel::CXmlElement* current) const override;
};

class KORVEL_API CElementInfoAllPrimCol : public CElementInfoAllCol {
 public:
  using CElementInfoAllCol::CElementInfoAllCol;
  ~CElementInfoAllPrimCol() override;
};

class KORVEL_API CElementInfoAllEnumCol : public CElementInfoAllCol {
 public:
  using CElementInfoAllCol::CElementInfoAllCol;
  ~CElementInfoAllEnumCol() override;
};

}  // namespace KorvelData
