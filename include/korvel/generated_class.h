// SPDX-License-Identifier: MIT
// CXmlGeneratedClass, the base of every class a schema compiler generates: it
// writes and reads the object from the class's metadata alone. INillable marks
// classes whose element may be nil.
#pragma once

#include <optional>

#include <korvel/critical_section.h>
#include <korvel/export.h>
#include <korvel/metadata.h>
#include <korvel/object_base.h>

namespace Korvel {

// Implemented by generated classes whose element is nillable.
class KORVEL_API INillable {
 public:
  virtual bool IsNil() const = 0;
  virtual void SetNil(bool nil) = 0;

 protected:
  INillable() = default;
  INillable(const INillable&) = default;
  INillable& operator=(const INillable&) = default;
  ~INillable();
};

// The metadata-driven serialiser. A generated class implements the five
// operations of its contract below (plus GetBase, GetNamespace and
// GetTargetNamespace) and builds its metadata once, under m_csInit.
class KORVEL_API CXmlGeneratedClass : public CXmlObjectBase {
 public:
  CXmlGeneratedClass();
  CXmlGeneratedClass(const CXmlGeneratedClass& other);
  CXmlGeneratedClass& operator=(const CXmlGeneratedClass& other);
  ~CXmlGeneratedClass() override;

  // The generated-class contract. get true stores property propertyIndex into
  // value; false sets the property from value.
  virtual void AccessProperty(int propertyIndex, bool get, KvVariant& value) = 0;
  virtual KorvelData::CParentElementInfo* GetClassInfo() const = 0;
  // Null-terminated, in schema order.
  virtual KorvelData::CElementInfo** GetClassElementInfo() const = 0;
  // Null-terminated.
  virtual KorvelData::CAttributeInfo** GetClassAttributeInfo() const = 0;
  // Resets every property to its initial state; runs before each read.
  virtual void Init() = 0;
  // Optional, for writing: points value at property propertyIndex where the
  // object keeps it, and returns true. The default returns false, and the
  // property is then copied through AccessProperty. A subclass that changes
  // what AccessProperty gives for a property answers false for it here.
  virtual bool ViewProperty(int propertyIndex, KvValueView& value) const;
  // Optional, for reading: stores object (null for none) in the object or
  // collection property propertyIndex as AccessProperty would, and returns
  // true. The default returns false, and the object then reaches
  // AccessProperty in a KvVariant. A subclass that changes what
  // AccessProperty sets for a property answers false for it here.
  virtual bool StoreObjectProperty(int propertyIndex, CXmlObjectBase* object);
  // Optional, for writing, as ViewProperty without a carrier: points member
  // at property propertyIndex (an object, a collection or a simple value) and
  // returns true. Writers ask it first, then ViewProperty, then
  // AccessProperty. The default returns false; the same rule holds for
  // subclasses, for every kind of property.
  virtual bool ViewMember(int propertyIndex, KorvelData::CMemberView& member) const;

 protected:
  using CXmlObjectBase::AttributesToXml_Int;
  using CXmlObjectBase::FromXml_Int;
  using CXmlObjectBase::ToXml_Int;

  void ToXml_Int(CXmlWriter* writer, bool isRoot, const wchar_t* ns,
                 const CSerializationContext& context, bool isOptional) const override;
  void AttributesToXml_Int(CXmlWriter* writer, const CSerializationContext& context) const override;
  CXmlElement* FromXml_Int(CXmlElement* element, CXmlElement* current,
                           const CSerializationContext& context, bool isOptional) override;

  void ProcessAttributesFromXml(const CSerializationContext& context, CXmlElement* element,
                                bool failIfUnknown);
  // Any element description accepts element.
  bool IsElementInList(const CSerializationContext& context, CXmlElement* element) const;
  // Any of descriptions (null-terminated, or null) may start at element.
  static bool IsElementInList(const CSerializationContext& context,
                              KorvelData::CElementInfo* const* descriptions,
                              const CXmlElement* element);
  // The choice may legally be empty. By default only a collection member
  // whose minimum is 0 makes it so; a single-valued member is absent whenever
  // another is chosen, so its description cannot tell. A class whose choice
  // may be empty for another reason (a member with minOccurs 0, or an in-line
  // group that may be empty) overrides this to return true.
  virtual bool DoesElementContainOptionalElements() const;
  // AccessProperty with get true, from a const object.
  void ReadProperty(int index, KvVariant& value) const;
  // The collection of property index as it stands, without making it: a
  // class that makes a collection on first use answers null until then. Only
  // a collection of the elements of its own name with no lower bound may be
  // made so, since an absent one reads and writes as empty. By default, what
  // ReadProperty gives.
  virtual CSmartPtr<CXmlCollectionBase> PeekCollection(int index) const;
  // For reading: the collection of property index (element items or an
  // attribute wildcard) that its getter makes on first use, made now; null by
  // default, and AccessProperty then makes it. A subclass that changes what
  // AccessProperty gives for a property answers null for it here.
  virtual CXmlCollectionBase* MakeCollection(int index) const;
  // The property as the writers read it: through ViewProperty, or copied by
  // ReadProperty into view's carrier.
  const KvVariant& ViewOrReadProperty(int index, KvValueView& view) const;
  // The same, first through ViewMember: null when member shows the property
  // (view is left empty), else the carrier of view, made only then. In line:
  // writers see every simple member through it.
  const KvVariant* SeeProperty(int index, KorvelData::CMemberView& member,
                               std::optional<KvValueView>& view) const {
    return ViewMember(index, member) ? nullptr : ViewOrReadInto(index, view);
  }
  // ViewOrReadProperty into view, made now.
  const KvVariant* ViewOrReadInto(int index, std::optional<KvValueView>& view) const;
  // Whether the element's name leaves the object's class open, so that an
  // xsi:type attribute names it: by default, for a class with base classes
  // written under another name than its type's. A class that is the declared
  // type of a global element answers false for that element's name.
  virtual bool NeedsTypeAttribute() const;
  // Writes the elements of a sequence or a choice from the members
  // themselves, as the class's element descriptions would in their order
  // (see CElementInfo::SimpleToXml), and returns whether any was written;
  // nullopt leaves them to the descriptions' walk, as this default does.
  // Generated classes leave them so for objects of a class derived from
  // theirs, which may show their members otherwise.
  virtual std::optional<bool> MembersToXml(CXmlWriter* writer,
                                           const CSerializationContext& context) const;
  // The same for the class's attributes (see CAttributeInfo::SimpleToXml)
  // and those its in-line groups write on its element: true when written.
  virtual bool AttributeMembersToXml(CXmlWriter* writer,
                                     const CSerializationContext& context) const;
  // The object as INillable, or null. By default a cast finds out (the
  // class's description remembers the last type for which it failed); a
  // nillable class answers itself.
  virtual const INillable* GetNillable() const;

  // Deletes the metadata of a class and nulls the three references; nulls allowed.
  static void CleanMetaData(KorvelData::CParentElementInfo*& classInfo,
                            KorvelData::CElementInfo**& elementInfo,
                            KorvelData::CAttributeInfo**& attributeInfo);

  // Held by generated classes while they build or release their metadata.
  static CKVCriticalSection m_csInit;

 private:
  friend class KorvelData::CElementInfo;
  friend class KorvelData::CAttributeInfo;

  void WriteContent(CXmlWriter* writer, const CSerializationContext& context,
                    const KorvelData::CParentElementInfo& info, bool isOptional) const;
  // The class's element descriptions when one of them may write an in-line
  // group's attributes, else null; info is the class's description.
  KorvelData::CElementInfo** ElementsWithGroupAttributes(
      const KorvelData::CParentElementInfo& info) const;
  void WriteRootOptions(CXmlWriter* writer, const CSerializationContext& context) const;
  void ProcessAttributesToXml(const CSerializationContext& context,
                              KorvelData::CElementInfo** elements,
                              KorvelData::CAttributeInfo** attributes, CXmlWriter* writer) const;
  void ProcessElementChoiceToXml(const CSerializationContext& context,
                                 KorvelData::CElementInfo** elements, CXmlWriter* writer,
                                 bool isOptional) const;
  void ProcessElementSeqToXml(const CSerializationContext& context,
                              KorvelData::CElementInfo** elements, CXmlWriter* writer) const;
  void ProcessElementAllToXml(const CSerializationContext& context,
                              KorvelData::CElementInfo** elements, CXmlWriter* writer) const;

  CXmlElement* ReadContent(CXmlElement* element, CXmlElement* current,
                           const CSerializationContext& context, bool isOptional);
  CXmlElement* ProcessElementSeqFromXml(const CSerializationContext& context, CXmlElement* element,
                                        CXmlElement* current, KorvelData::XmlElementType ownerType);
  CXmlElement* ProcessElementChoiceFromXml(const CSerializationContext& context,
                                           CXmlElement* element, CXmlElement* current,
                                           KorvelData::XmlElementType ownerType, bool isOptional);
  CXmlElement* ProcessElementAllFromXml(const CSerializationContext& context, CXmlElement* element,
                                        CXmlElement* current, KorvelData::XmlElementType ownerType);
  void ReadSimpleContent(const CSerializationContext& context, CXmlElement* element);
  int GetClassElementInfoCount() const;
};

}  // namespace Korvel
