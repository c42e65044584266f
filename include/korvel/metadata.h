// SPDX-License-Identifier: MIT
// KorvelData: the static descriptions a generated class gives of itself: the
// class (CParentElementInfo), each child-element property (CElementInfo, made
// concrete in element_infos.h) and each attribute property (CAttributeInfo and
// its enumeration, primitive and wildcard forms).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>

#include <korvel/collection.h>
#include <korvel/export.h>
#include <korvel/item_type.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/smart_ptr.h>
#include <korvel/whitespace_utils.h>

namespace Korvel {
class CBigInteger;
class CBinaryData;
class CDateTime;
class CDateTimeSpan;
class CDecimal;
class CSerializationContext;
class CXmlAttribute;
class CXmlCollectionBase;
class CXmlElement;
class CXmlGeneratedClass;
class CXmlObjectBase;
class CXmlWriter;
struct KvVariant;
class KvValueView;
}  // namespace Korvel

namespace Korvel::detail {
class SimpleValue;
}  // namespace Korvel::detail

namespace KorvelData {

// The content model of a class.
enum XmlElementGroupType : int32_t {
  XmlElementGroupType_Sequence = 0,  // children in the order of the descriptions
  XmlElementGroupType_Choice = 1,    // exactly one of the children
  XmlElementGroupType_All = 2,       // each child at most once, in any order
};

// Whether a class has a tag of its own.
enum XmlElementType : int32_t {
  XmlElementType_Element = 0,  // writes and reads its own start and end tag
  // An anonymous model group: its children live in the parent's element. Other
  // non-zero values are pseudo elements too.
  XmlElementType_PseudoElement = 1,
};

// A member as writing sees it: where the owner keeps it, without a carrier
// or a reference of its own.
// An object or collection: both null for none; collection is set (and object
// with it) when the member is a collection.
// A simple value: its kind (it_none for an optional value that is not set)
// and the value, pointed at (kinds held on the heap by a KvVariant) or, for
// a scalar, copied. The setters are named as KvValueView's, and those of the
// pointed-at kinds take the member itself, which must outlive the view.
struct CMemberView {
  const Korvel::CXmlObjectBase* object = nullptr;
  const Korvel::CXmlCollectionBase* collection = nullptr;
  Korvel::ItemType kind = Korvel::it_none;
  union Simple {
    const void* held;
    int64_t integer;   // every integer kind but ui8, year, month, day, boolean, char
    uint64_t natural;  // ui8
    float r4;
    double r8;
  } simple{};

  // For the generated views: `return member.Set(m_member.Get());`.
  bool Set(const Korvel::CXmlObjectBase* member) noexcept {
    object = member;
    return true;
  }
  bool Set(const Korvel::CXmlCollectionBase* member) noexcept {
    collection = member;
    object = member;
    return true;
  }

  // For the generated views: `member.SetString(m_member); return true;`.
  void SetInvalid() noexcept { kind = Korvel::it_none; }
  void SetHexBinary(const Korvel::CBinaryData& value) noexcept {
    Hold(Korvel::it_hexBinary, &value);
  }
  void SetBase64Binary(const Korvel::CBinaryData& value) noexcept {
    Hold(Korvel::it_base64Binary, &value);
  }
  void SetI1(int8_t value) noexcept { Count(Korvel::it_i1, value); }
  void SetI2(int16_t value) noexcept { Count(Korvel::it_i2, value); }
  void SetI4(int32_t value) noexcept { Count(Korvel::it_i4, value); }
  void SetI8(int64_t value) noexcept { Count(Korvel::it_i8, value); }
  void SetUI1(uint8_t value) noexcept { Count(Korvel::it_ui1, value); }
  void SetUI2(uint16_t value) noexcept { Count(Korvel::it_ui2, value); }
  void SetUI4(uint32_t value) noexcept { Count(Korvel::it_ui4, value); }
  void SetUI8(uint64_t value) noexcept {
    kind = Korvel::it_ui8;
    simple.natural = value;
  }
  void SetR4(float value) noexcept {
    kind = Korvel::it_r4;
    simple.r4 = value;
  }
  void SetR8(double value) noexcept {
    kind = Korvel::it_r8;
    simple.r8 = value;
  }
  void SetDuration(const Korvel::CDateTimeSpan& value) noexcept {
    Hold(Korvel::it_duration, &value);
  }
  void SetYearMonth(const Korvel::CDateTime& value) noexcept { Hold(Korvel::it_yearMonth, &value); }
  void SetMonthDay(const Korvel::CDateTime& value) noexcept { Hold(Korvel::it_monthDay, &value); }
  void SetYear(uint16_t value) noexcept { Count(Korvel::it_year, value); }
  void SetMonth(uint8_t value) noexcept { Count(Korvel::it_month, value); }
  void SetDay(uint8_t value) noexcept { Count(Korvel::it_day, value); }
  void SetDate(const Korvel::CDateTime& value) noexcept { Hold(Korvel::it_date, &value); }
  void SetDateTime(const Korvel::CDateTime& value) noexcept { Hold(Korvel::it_datetime, &value); }
  void SetTime(const Korvel::CDateTime& value) noexcept { Hold(Korvel::it_time, &value); }
  void SetChar(wchar_t value) noexcept { Count(Korvel::it_char, value); }
  void SetString(const std::wstring& value) noexcept { Hold(Korvel::it_string, &value); }
  void SetBoolean(bool value) noexcept { Count(Korvel::it_boolean, value); }
  void SetDecimal(const Korvel::CDecimal& value) noexcept { Hold(Korvel::it_decimal, &value); }
  void SetInteger(const Korvel::CBigInteger& value) noexcept { Hold(Korvel::it_integer, &value); }

 private:
  void Hold(Korvel::ItemType held, const void* value) noexcept {
    kind = held;
    simple.held = value;
  }
  void Count(Korvel::ItemType counted, int64_t value) noexcept {
    kind = counted;
    simple.integer = value;
  }
};

// Enumerator to text and back, as generated for each enumeration.
using EnumToStringFunc = const wchar_t* (*)(int value);
using StringToEnumFunc = int (*)(const wchar_t* text);

class CElementInfo;

// The description of one generated class.
class KORVEL_API CParentElementInfo {
 public:
  // A null primitiveFormatOverride reads as empty.
  CParentElementInfo(XmlElementGroupType groupType, XmlElementType elementType,
                     const wchar_t* elementName, const wchar_t* elementNamespace,
                     bool failIfAttributeUnknown, bool hasBaseClasses,
                     int primitiveValuePropertyIndex, Korvel::ItemType primitiveDataType,
                     const wchar_t* primitiveFormatOverride,
                     bool outputPrimitiveClassAsTextProperty);
  CParentElementInfo(const CParentElementInfo& other);
  CParentElementInfo& operator=(const CParentElementInfo& other);
  virtual ~CParentElementInfo();

  XmlElementGroupType GetElementGroupType() const noexcept { return m_elementGroupType; }
  XmlElementType GetElementType() const noexcept { return m_elementType; }
  const std::wstring& GetElementName() const noexcept { return m_elementName; }
  const std::wstring& GetElementNamespace() const noexcept { return m_elementNamespace; }
  // Reading refuses attributes that no description accepts.
  bool GetFromXmlFailIfAttributeUnknown() const noexcept { return m_failIfAttributeUnknown; }
  // The class derives from another generated class: it may need xsi:type.
  bool GetHasBaseClasses() const noexcept { return m_hasBaseClasses; }
  // The property holding the element's simple content, or -1.
  int GetPrimitiveValuePropertyIndex() const noexcept { return m_primitiveValuePropertyIndex; }
  Korvel::ItemType GetPrimitiveDataType() const noexcept { return m_primitiveDataType; }
  const std::wstring& GetPrimitiveFormatOverride() const noexcept {
    return m_primitiveFormatOverride;
  }
  // The simple content is kept as raw text instead of being parsed.
  bool GetOutputPrimitiveClassAsTextProperty() const noexcept {
    return m_outputPrimitiveClassAsTextProperty;
  }
  // True when the class has simple content.
  bool HasSimpleContent() const noexcept {
    return m_primitiveValuePropertyIndex != -1 && m_primitiveDataType != Korvel::it_none;
  }

 private:
  XmlElementGroupType m_elementGroupType;
  XmlElementType m_elementType;
  std::wstring m_elementName;
  std::wstring m_elementNamespace;
  bool m_failIfAttributeUnknown;
  bool m_hasBaseClasses;
  int m_primitiveValuePropertyIndex;
  Korvel::ItemType m_primitiveDataType;
  std::wstring m_primitiveFormatOverride;
  bool m_outputPrimitiveClassAsTextProperty;

  // Answers that writing would otherwise work out again for every object of
  // the class; a copy starts afresh.
  friend class Korvel::CXmlGeneratedClass;
  template <class T>
  struct Memo {
    Memo() = default;
    Memo(const Memo&) noexcept {}
    Memo& operator=(const Memo&) noexcept { return *this; }
    std::atomic<T> value{};
  };
  // The last description arrays found to hold no description that may write
  // the attributes of an in-line group (most classes), and to hold one.
  mutable Memo<CElementInfo* const*> m_noGroupAttributes;
  mutable Memo<CElementInfo* const*> m_groupAttributes;
  // The last type of object of the class found not to be nillable: most
  // classes never are, and their objects are spared the cast.
  mutable Memo<const std::type_info*> m_plainType;
};

// The description of one child-element property. The concrete descriptions
// (element_infos.h) combine the owner's content model, the kind of the value
// and its cardinality; this base holds what they share and the read and write
// routines for one child.
class KORVEL_API CElementInfo {
 public:
  CElementInfo(const CElementInfo& other);
  CElementInfo& operator=(const CElementInfo& other);
  virtual ~CElementInfo();

  // Writes the property; true when something was written.
  virtual bool ElementToXml(const Korvel::CSerializationContext& context,
                            const Korvel::CXmlGeneratedClass* owner,
                            Korvel::CXmlWriter* writer) const = 0;
  // Reads the property at *current and moves *current past what it consumed;
  // true when the description is satisfied at this position.
  virtual bool ElementFromXml(const Korvel::CSerializationContext& context,
                              Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement* parent,
                              Korvel::CXmlElement** current, const wchar_t* ownerNamespace,
                              XmlElementType ownerType) const = 0;
  // Judges an all-group member after the group was read; only the all-group
  // descriptions implement it.
  virtual bool Validate(const Korvel::CSerializationContext& context,
                        const Korvel::CXmlGeneratedClass* owner, bool found,
                        bool ownerIsElement) const;
  // Writes the attributes of an inline model-group child onto the owner's
  // element; nothing here.
  virtual void PseudoChildAttributeToXml(const Korvel::CSerializationContext& context,
                                         const Korvel::CXmlGeneratedClass* owner,
                                         Korvel::CXmlWriter* writer) const;
  // Whether PseudoChildAttributeToXml may write anything; owners skip the call
  // otherwise, as every element asks each of its descriptions. Descriptions of
  // simple and untyped values, and of children with a tag of their own, answer
  // false; any other true. A subclass of those that overrides
  // PseudoChildAttributeToXml calls SetMayWriteGroupAttributes(true).
  bool MayWriteGroupAttributes() const noexcept { return m_mayWriteGroupAttributes; }
  // Whether element may be where this description's content starts: its own
  // element here; descriptions of inline groups and wildcards answer true for
  // any element. The sequence reader uses it to skip unknown elements.
  virtual bool MayStartAt(const Korvel::CSerializationContext& context,
                          const Korvel::CXmlElement* element) const;
  // True for choice members that let the choice be empty: collections whose
  // minimum is 0.
  virtual bool IsOptionalChoiceMember(const Korvel::CXmlGeneratedClass* owner) const;

  const std::wstring& GetElementName() const noexcept { return m_elementName; }
  const std::wstring& GetElementNamespace() const noexcept { return m_elementNamespace; }
  int GetPropertyIndex() const noexcept { return m_propertyIndex; }

  // Checks value against the description's facets; throws CKvException when the
  // description has none. char values have no facets and always pass. The
  // pattern judges lexical (the text read or written) when given, else the
  // value's canonical text.
  void CheckRestriction(const Korvel::KvVariant& value,
                        const std::wstring* lexical = nullptr) const;

  // Writing the property from its member, as a generated class that walks
  // its own members does (CXmlGeneratedClass::MembersToXml): what
  // ElementToXml of a sequence member of the description's kind writes, and
  // the same failures; mandatory for a member that must be written. The
  // simple value of a primitive or an enumeration description:
  bool SimpleToXml(const Korvel::CSerializationContext& context, const CMemberView& member,
                   Korvel::CXmlWriter* writer, bool mandatory) const;
  // An object (null for none) of a class or abstract-class description;
  // mayBeEmpty for a class member of a choice, whose object may have empty
  // content of its own:
  bool ObjectToXml(const Korvel::CSerializationContext& context,
                   const Korvel::CXmlObjectBase* object, Korvel::CXmlWriter* writer,
                   bool mandatory, bool mayBeEmpty = false) const;

  // The namespace given to wildcard content written without one.
  static std::wstring GetAnyDefaultNamespace(const wchar_t* constraint, const wchar_t* anyNamespace,
                                             const wchar_t* targetNamespace);

 protected:
  void SetMayWriteGroupAttributes(bool may) noexcept { m_mayWriteGroupAttributes = may; }
  // A class, collection or untyped description.
  CElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex);
  // An enumeration description.
  CElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
               EnumToStringFunc enumToString, StringToEnumFunc stringToEnum,
               const wchar_t* defaultValue);
  // A primitive description.
  CElementInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isNillable,
               Korvel::ItemType primitiveType, const wchar_t* formatOverride,
               Korvel::CWhitespaceUtils::WhitespaceRule whitespaceRule,
               const Korvel::CPrimitiveRestrictions& restrictions, const wchar_t* defaultValue);

  // The property through the owner's accessor; failures of the accessor are
  // wrapped with the property's name (get) or the element's path (set).
  void InvokePropertyGet(Korvel::CXmlGeneratedClass* owner, Korvel::KvVariant& value) const;
  void ReadProperty(const Korvel::CXmlGeneratedClass* owner, Korvel::KvVariant& value) const;
  // The property for writing: seen in place when the owner offers it, else
  // copied into view's carrier; failures wrapped as ReadProperty's.
  const Korvel::KvVariant& ViewProperty(const Korvel::CXmlGeneratedClass* owner,
                                        Korvel::KvValueView& view) const;
  // A simple property for writing: the member itself when the owner's
  // ViewMember shows it (null returned, view left empty), else ViewProperty's
  // carrier, in view made only then.
  const Korvel::KvVariant* ViewSimple(const Korvel::CXmlGeneratedClass* owner, CMemberView& member,
                                      std::optional<Korvel::KvValueView>& view) const;
  void InvokePropertySet(Korvel::CXmlGeneratedClass* owner, Korvel::KvVariant& value,
                         const Korvel::CXmlElement& element) const;
  // The object or collection the property holds (null when none).
  CSmartPtr<Korvel::CXmlObjectBase> ReadObject(const Korvel::CXmlGeneratedClass* owner) const;
  // The collection the property holds, null when none or not made yet (then
  // it is empty and has no lower bound); failures wrapped as ReadProperty's.
  CSmartPtr<Korvel::CXmlCollectionBase> PeekCollection(
      const Korvel::CXmlGeneratedClass* owner) const;
  // The same for writing, without a reference of its own: valid while view
  // lives and the owner stays as it is.
  const Korvel::CXmlObjectBase* ViewObject(const Korvel::CXmlGeneratedClass* owner,
                                           Korvel::KvValueView& view) const;
  // The object or collection member for writing: through the owner's
  // ViewMember, or else through ViewObject into view, made only then. Valid
  // while view lives and the owner stays as it is; failures wrapped as
  // ReadProperty's.
  CMemberView SeeMember(const Korvel::CXmlGeneratedClass* owner,
                        std::optional<Korvel::KvValueView>& view) const;
  // Stores object in the property: through the owner's StoreObjectProperty,
  // else through its accessor as it_xmlObject (it_xmlCollection when
  // asCollection); failures wrapped as InvokePropertySet's.
  void StoreObject(Korvel::CXmlGeneratedClass* owner, Korvel::CXmlObjectBase* object,
                   const Korvel::CXmlElement& element, bool asCollection = false) const;
  // The collection the property holds, made first when its getter makes it
  // on first use; null when the owner makes none so (AccessProperty may).
  Korvel::CXmlCollectionBase* MakeCollection(const Korvel::CXmlGeneratedClass* owner) const;
  EnumToStringFunc GetEnumToString() const noexcept { return m_enumToString; }
  StringToEnumFunc GetStringToEnum() const noexcept { return m_stringToEnum; }

  // Element's local name is ElementName and, unless the context ignores
  // namespaces, its namespace is ElementNamespace. False for null.
  bool IsThisElement(const Korvel::CSerializationContext& context,
                     const Korvel::CXmlElement* element) const;

  // Writing one child.
  bool ElementToXmlCls(const Korvel::CSerializationContext& context,
                       const Korvel::CXmlGeneratedClass* owner, Korvel::CXmlWriter* writer,
                       bool isOptional) const;
  bool ElementToXmlCol(const Korvel::CSerializationContext& context,
                       const Korvel::CXmlGeneratedClass* owner, Korvel::CXmlWriter* writer) const;
  bool ElementToXmlPrim(const Korvel::CSerializationContext& context,
                        const Korvel::CXmlGeneratedClass* owner, Korvel::CXmlWriter* writer) const;
  bool ElementToXmlEnum(const Korvel::CSerializationContext& context,
                        const Korvel::CXmlGeneratedClass* owner, Korvel::CXmlWriter* writer,
                        EnumToStringFunc enumToString) const;
  // Their steps once the property's object is at hand (null for none).
  bool WriteObject(const Korvel::CSerializationContext& context,
                   const Korvel::CXmlObjectBase* object, Korvel::CXmlWriter* writer,
                   bool isOptional) const;
  bool WriteCollection(const Korvel::CSerializationContext& context,
                       const Korvel::CXmlCollectionBase* collection,
                       Korvel::CXmlWriter* writer) const;
  // Throws "The Property [%s] is mandatory, it may not be NULL" unless written.
  void RequireWritten(bool written) const;

  // Reading one simple child at *current (which must match); moves *current on.
  void ElementFromXmlPrim(const Korvel::CSerializationContext& context,
                          Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement** current) const;
  void ElementFromXmlEnum(const Korvel::CSerializationContext& context,
                          Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement** current,
                          StringToEnumFunc stringToEnum) const;
  // Reads the simple child at *current when it matches: ElementFromXmlPrim or
  // ElementFromXmlEnum by the description's kind.
  bool ReadSimpleIfHere(const Korvel::CSerializationContext& context,
                        Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement** current) const;
  // The skipping rule of mandatory sequence members. found: *current now
  // matches (after skipping unknown elements where the context allows it);
  // tolerated: nothing matched but the context accepts missing mandatory
  // elements; absent: nothing matched below a pseudo-element owner. An element
  // owner with nothing matching gets "Failed to find the required child element
  // [%s]." with parent's path. skipInPseudo allows skipping below a pseudo owner.
  enum class Seek { found, tolerated, absent };
  Seek SeekMandatory(const Korvel::CSerializationContext& context, Korvel::CXmlElement* parent,
                     Korvel::CXmlElement** current, XmlElementType ownerType,
                     bool skipInPseudo) const;
  [[noreturn]] void ThrowRequiredChildMissing(const Korvel::CXmlElement* parent) const;

  // Trampolines to the protected virtuals of objects.
  static Korvel::CXmlElement* FromXml_Int(Korvel::CXmlObjectBase* object,
                                          Korvel::CXmlElement* element,
                                          Korvel::CXmlElement* current,
                                          const Korvel::CSerializationContext& context,
                                          bool isOptional);
  static void AttributesToXml_Int(const Korvel::CXmlObjectBase* object, Korvel::CXmlWriter* writer,
                                  const Korvel::CSerializationContext& context);
  // Marks a factory's new object as made for the read about to start, which
  // then skips resetting it (CXmlObjectBase::FromXmlNew_Int); returns it.
  static CSmartPtr<Korvel::CXmlObjectBase> MadeForRead(
      CSmartPtr<Korvel::CXmlObjectBase> object) noexcept;
  static void ToXml_Int(const Korvel::CXmlObjectBase* object, Korvel::CXmlWriter* writer,
                        bool isRoot, const wchar_t* ns,
                        const Korvel::CSerializationContext& context, bool isOptional);

  bool IsNillable() const noexcept { return m_isNillable; }
  const std::wstring& GetDefaultValue() const noexcept { return m_defaultValue; }

 private:
  std::wstring m_elementName;
  // The name's bytes when it is all ASCII (else empty), copied by the text
  // writer instead of narrowing the name on every element.
  std::string m_asciiName;
  std::wstring m_elementNamespace;
  int m_propertyIndex;
  Korvel::CPrimitiveRestrictions m_restrictions;
  Korvel::ItemType m_primitiveType = Korvel::it_none;
  std::wstring m_formatOverride;
  Korvel::CWhitespaceUtils::WhitespaceRule m_whitespaceRule = Korvel::CWhitespaceUtils::ws_none;
  std::wstring m_defaultValue;
  bool m_isNillable = false;
  EnumToStringFunc m_enumToString = nullptr;
  StringToEnumFunc m_stringToEnum = nullptr;
  bool m_hasRestrictions = false;
  bool m_hasFacets = false;  // some facet is set: values are worth checking
  bool m_mayWriteGroupAttributes = true;

  // The steps of ElementToXmlPrim and ElementToXmlEnum once the value is seen.
  bool WritePrim(Korvel::detail::SimpleValue& value, Korvel::CXmlWriter* writer) const;
  bool WriteEnum(Korvel::detail::SimpleValue& value, Korvel::CXmlWriter* writer,
                 EnumToStringFunc enumToString) const;
  // Reads the simple child at *current: an enumeration through stringToEnum,
  // a primitive value when that is null.
  void ReadSimpleChild(const Korvel::CSerializationContext& context,
                       Korvel::CXmlGeneratedClass* owner, Korvel::CXmlElement** current,
                       StringToEnumFunc stringToEnum) const;
};

// The description of one attribute property.
class KORVEL_API CAttributeInfo {
 public:
  // A null defaultValue reads as empty.
  CAttributeInfo(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isOptional,
                 const wchar_t* defaultValue);
  CAttributeInfo(const CAttributeInfo& other);
  CAttributeInfo& operator=(const CAttributeInfo& other);
  virtual ~CAttributeInfo();

  virtual void AttributeToXml(const Korvel::CSerializationContext& context,
                              const Korvel::CXmlGeneratedClass* owner,
                              Korvel::CXmlWriter* writer) const = 0;
  // True when the description accepts the attribute (and stored it).
  virtual bool AttributeFromXml(const Korvel::CSerializationContext& context,
                                Korvel::CXmlGeneratedClass* owner,
                                Korvel::CXmlAttribute* attribute) const = 0;
  // After all attributes were offered: found tells whether this one was.
  virtual void Validate(const Korvel::CSerializationContext& context, bool found) const = 0;
  // When the attribute was absent: gives the property the default value, if
  // the description has one. Nothing here.
  virtual void DefaultFromXml(const Korvel::CSerializationContext& context,
                              Korvel::CXmlGeneratedClass* owner) const;

  // AttributeToXml from the member itself, as a generated class that walks
  // its own members does (CXmlGeneratedClass::AttributeMembersToXml); for
  // the enumeration and primitive descriptions only.
  void SimpleToXml(const Korvel::CSerializationContext& context, const CMemberView& member,
                   Korvel::CXmlWriter* writer) const;

  const std::wstring& GetAttributeName() const noexcept { return m_attributeName; }
  const std::wstring& GetAttributeNamespace() const noexcept { return m_attributeNamespace; }
  int GetPropertyIndex() const noexcept { return m_propertyIndex; }
  bool GetIsOptional() const noexcept { return m_isOptional; }
  const std::wstring& GetDefaultValue() const noexcept { return m_defaultValue; }

  static void TestNamespace(const std::wstring& ns, const std::wstring& constraint,
                            const std::wstring& targetNamespace);
  static bool IsNamespaceValid(const std::wstring& ns, const std::wstring& constraint,
                               const std::wstring& targetNamespace);

 protected:
  void InvokePropertyGet(Korvel::CXmlGeneratedClass* owner, Korvel::KvVariant& value) const;
  void ReadProperty(const Korvel::CXmlGeneratedClass* owner, Korvel::KvVariant& value) const;
  // As CElementInfo::ViewProperty and ViewSimple.
  const Korvel::KvVariant& ViewProperty(const Korvel::CXmlGeneratedClass* owner,
                                        Korvel::KvValueView& view) const;
  const Korvel::KvVariant* ViewSimple(const Korvel::CXmlGeneratedClass* owner, CMemberView& member,
                                      std::optional<Korvel::KvValueView>& view) const;
  void InvokePropertySet(Korvel::CXmlGeneratedClass* owner, Korvel::KvVariant& value,
                         const Korvel::CXmlAttribute& attribute) const;
  // The wildcard's collection, null when none or not made yet (then empty);
  // failures wrapped as ReadProperty's.
  CSmartPtr<Korvel::CXmlCollectionBase> PeekCollection(
      const Korvel::CXmlGeneratedClass* owner) const;
  // The wildcard's collection that its getter makes on first use, made now;
  // null when the owner does not offer it so. Failures wrapped as ReadProperty's.
  Korvel::CXmlCollectionBase* MakeCollection(const Korvel::CXmlGeneratedClass* owner) const;
  // Local name is AttributeName and, unless the context ignores namespaces,
  // namespace is AttributeNamespace. False for null.
  bool IsThisAttribute(const Korvel::CSerializationContext& context,
                       const Korvel::CXmlAttribute* attribute) const;
  // Whether an optional attribute holding text is left out as its default.
  bool SkipsAsDefault(const Korvel::CSerializationContext& context, const std::wstring& text) const;
  // The shared Validate of the enumeration and primitive descriptions.
  void RequireFound(bool found) const;
  // The step of AttributeToXml once the value is seen; only the enumeration
  // and primitive descriptions have one (here it throws).
  virtual void WriteValue(const Korvel::CSerializationContext& context,
                          Korvel::detail::SimpleValue& value, Korvel::CXmlWriter* writer) const;

  static void ToXml_Int(const Korvel::CXmlObjectBase* object, Korvel::CXmlWriter* writer,
                        bool isRoot, const wchar_t* ns,
                        const Korvel::CSerializationContext& context);
  static std::wstring GetTargetNamespace(const Korvel::CXmlObjectBase* object);

 private:
  std::wstring m_attributeName;
  std::wstring m_attributeNamespace;
  int m_propertyIndex;
  bool m_isOptional;
  std::wstring m_defaultValue;
};

// xs:anyAttribute: the property is a CAttributeCol that collects every
// attribute whose namespace the constraint allows.
class KORVEL_API CAttributeInfoAny : public CAttributeInfo {
 public:
  CAttributeInfoAny(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isOptional,
                    const wchar_t* namespaceConstraint, const wchar_t* targetNamespace,
                    const wchar_t* defaultValue);
  CAttributeInfoAny(const CAttributeInfoAny& other);
  CAttributeInfoAny& operator=(const CAttributeInfoAny& other);
  ~CAttributeInfoAny() override;

  void AttributeToXml(const Korvel::CSerializationContext& context,
                      const Korvel::CXmlGeneratedClass* owner,
                      Korvel::CXmlWriter* writer) const override;
  bool AttributeFromXml(const Korvel::CSerializationContext& context,
                        Korvel::CXmlGeneratedClass* owner,
                        Korvel::CXmlAttribute* attribute) const override;
  // Nothing to check.
  void Validate(const Korvel::CSerializationContext& context, bool found) const override;

  const std::wstring& GetNamespaceConstraint() const noexcept { return m_namespaceConstraint; }
  const std::wstring& GetTargetNamespace() const noexcept { return m_targetNamespace; }

 private:
  std::wstring m_namespaceConstraint;
  std::wstring m_targetNamespace;
};

// An attribute of an enumerated type, held as it_i4.
class KORVEL_API CAttributeInfoEnum : public CAttributeInfo {
 public:
  CAttributeInfoEnum(const wchar_t* name, const wchar_t* ns, int propertyIndex, bool isOptional,
                     EnumToStringFunc enumToString, StringToEnumFunc stringToEnum,
                     const wchar_t* defaultValue);
  CAttributeInfoEnum(const CAttributeInfoEnum& other);
  CAttributeInfoEnum& operator=(const CAttributeInfoEnum& other);
  ~CAttributeInfoEnum() override;

  void AttributeToXml(const Korvel::CSerializationContext& context,
                      const Korvel::CXmlGeneratedClass* owner,
                      Korvel::CXmlWriter* writer) const override;
  bool AttributeFromXml(const Korvel::CSerializationContext& context,
                        Korvel::CXmlGeneratedClass* owner,
                        Korvel::CXmlAttribute* attribute) const override;
  void Validate(const Korvel::CSerializationContext& context, bool found) const override;
  void DefaultFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner) const override;

 protected:
  void WriteValue(const Korvel::CSerializationContext& context, Korvel::detail::SimpleValue& value,
                  Korvel::CXmlWriter* writer) const override;

 private:
  StringToEnumFunc m_stringToEnum;
  EnumToStringFunc m_enumToString;
  // The default value's enumerator, converted once; a default that does not
  // convert is converted (and refused) when it is needed, as before.
  int m_defaultEnumerator = 0;
  bool m_hasDefaultEnumerator = false;
};

// An attribute of a primitive type, with its facets.
class KORVEL_API CAttributeInfoPrimitive : public CAttributeInfo {
 public:
  CAttributeInfoPrimitive(const wchar_t* name, const wchar_t* ns, int propertyIndex,
                          bool isOptional, Korvel::ItemType primitiveType,
                          const wchar_t* formatOverride,
                          Korvel::CWhitespaceUtils::WhitespaceRule whitespaceRule,
                          const Korvel::CPrimitiveRestrictions& restrictions,
                          const wchar_t* defaultValue);
  CAttributeInfoPrimitive(const CAttributeInfoPrimitive& other);
  CAttributeInfoPrimitive& operator=(const CAttributeInfoPrimitive& other);
  ~CAttributeInfoPrimitive() override;

  void AttributeToXml(const Korvel::CSerializationContext& context,
                      const Korvel::CXmlGeneratedClass* owner,
                      Korvel::CXmlWriter* writer) const override;
  bool AttributeFromXml(const Korvel::CSerializationContext& context,
                        Korvel::CXmlGeneratedClass* owner,
                        Korvel::CXmlAttribute* attribute) const override;
  void Validate(const Korvel::CSerializationContext& context, bool found) const override;
  void DefaultFromXml(const Korvel::CSerializationContext& context,
                      Korvel::CXmlGeneratedClass* owner) const override;

 protected:
  void WriteValue(const Korvel::CSerializationContext& context, Korvel::detail::SimpleValue& value,
                  Korvel::CXmlWriter* writer) const override;

 private:
  // Parses text into the property, checking the facets when the context asks;
  // path names the node for errors.
  void StoreText(const Korvel::CSerializationContext& context, Korvel::CXmlGeneratedClass* owner,
                 const std::wstring& text, const Korvel::CXmlAttribute* attribute) const;
  // Parses text into value, checking the facets when checkFacets. own, when
  // given, is text as the reader's document holds it, which a string value may
  // take instead of copying; it is whole again if the parse fails.
  void Parse(Korvel::KvVariant& value, const std::wstring& text, bool checkFacets,
             std::wstring* own = nullptr) const;

  Korvel::CPrimitiveRestrictions m_restrictions;
  Korvel::ItemType m_primitiveType;
  std::wstring m_formatOverride;
  Korvel::CWhitespaceUtils::WhitespaceRule m_whitespaceRule;
  bool m_hasFacets;  // some facet is set: values are worth checking
  // The default value parsed and checked once; null when there is none or it
  // does not read, and DefaultFromXml then reports why where it matters.
  std::shared_ptr<const Korvel::KvVariant> m_parsedDefault;
};

}  // namespace KorvelData
