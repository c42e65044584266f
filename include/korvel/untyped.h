// SPDX-License-Identifier: MIT
// Untyped content, for schema wildcards and anyType: CElement and CAttribute,
// their collections CElementCol and CAttributeCol, and CKvIterator over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include <korvel/collection.h>
#include <korvel/export.h>
#include <korvel/instance_monitor.h>
#include <korvel/object_base.h>
#include <korvel/smart_ptr.h>

namespace KorvelData {
class CUntpdElementInfo;
}  // namespace KorvelData

namespace Korvel {

class CAttribute;
class CAttributeCol;
class CElement;
class CElementCol;
class CXmlTextWriter;

namespace detail {
struct UntypedScope;
}  // namespace detail

// Walks the items of a CAttributeCol (T = CAttribute) or a CElementCol
// (T = CElement) from the first to the last. An iterator stays valid while its
// item is in the collection.
template <class T>
class KORVEL_API CKvIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = T;
  using difference_type = std::ptrdiff_t;
  using pointer = T*;
  using reference = T&;

  // The end of every collection.
  CKvIterator() noexcept = default;

  T& operator*() const;
  T* operator->() const { return &**this; }
  CKvIterator& operator++();
  CKvIterator operator++(int) {
    CKvIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CKvIterator& other) const noexcept { return m_node == other.m_node; }
  bool operator!=(const CKvIterator& other) const noexcept { return m_node != other.m_node; }

 private:
  friend class CAttributeCol;
  friend class CElementCol;
  // node is a node of the collection's list; null is the end.
  explicit CKvIterator(const void* node) noexcept : m_node(node) {}

  const void* m_node = nullptr;
};

extern template class KORVEL_API CKvIterator<CAttribute>;
extern template class KORVEL_API CKvIterator<CElement>;

// One attribute: local name, value and namespace URI. Attributes are made by
// CAttributeCol::Add and Clone, and written by their collection.
class KORVEL_API CAttribute : public CXmlObjectBase, public CInstanceMonitor {
 public:
  ~CAttribute() override;

  CXmlObjectBase* GetBase() override;
  using CXmlObjectBase::GetBase;

  std::wstring GetName() const;
  std::wstring GetValue() const;
  std::wstring GetNamespace() const override;
  // Not checked against any wildcard; null stores an empty string.
  void SetName(const wchar_t* name);
  void SetValue(const wchar_t* value);
  void SetNamespace(const wchar_t* namespaceUri);

  CSmartPtr<CAttribute> Clone() const;

 protected:
  // Null strings are stored as empty ones.
  CAttribute(const wchar_t* name, const wchar_t* value, const wchar_t* namespaceUri);

  // The attribute's namespace URI.
  std::wstring GetTargetNamespace() const override;
  // Writes the attribute onto the element open in writer, as a string.
  void ToXml_Int(CXmlWriter* writer, bool isRoot, const wchar_t* namespaceUri,
                 const CSerializationContext& context, bool isOptional) const override;
  // Attributes are read by their collection: throws CKvException.
  CXmlElement* FromXml_Int(CXmlElement* element, CXmlElement* current,
                           const CSerializationContext& context, bool isOptional) override;
  using CXmlObjectBase::FromXml_Int;
  using CXmlObjectBase::ToXml_Int;

 private:
  friend class CAttributeCol;
  friend class CElement;

  std::wstring m_name;
  std::wstring m_value;
  std::wstring m_namespaceUri;
};

// The attributes of an untyped element, an attribute wildcard or the extra
// root attributes of a context. Attributes added with a namespace (their own
// or the collection's) must pass the wildcard: a space-separated restriction
// list ("##any", "##other", "##local", "##targetNamespace", URIs) interpreted
// against the target namespace. Bounds: none.
class KORVEL_API CAttributeCol : public CXmlCollection, public CInstanceMonitor {
 public:
  using iterator = CKvIterator<CAttribute>;
  using const_iterator = CKvIterator<CAttribute>;

  // namespaceUri is given to attributes added without one. When it is empty
  // and the restriction starts with a URI, that URI is used instead.
  CAttributeCol(const wchar_t* namespaceUri, const wchar_t* restriction,
                const wchar_t* targetNamespace);
  ~CAttributeCol() override;

  // Appends a new attribute whose namespace passes the wildcard, or throws
  // CKvInvalidNamespaceException.
  CSmartPtr<CAttribute> Add(const wchar_t* name, const wchar_t* value, const wchar_t* namespaceUri);
  // In the collection's namespace.
  CSmartPtr<CAttribute> Add(const wchar_t* name, const wchar_t* value);
  // In the collection's namespace, with an empty value.
  CSmartPtr<CAttribute> Add(const wchar_t* name);
  // Appends an existing attribute as it is, without the wildcard test.
  void Add(CAttribute* attribute);
  // A null existing puts the attribute first (AddAfter) or last (AddBefore);
  // an existing attribute that is not in the collection throws
  // CKvInvalidParamException.
  void AddAfter(CAttribute* existing, CAttribute* attribute);
  void AddBefore(CAttribute* existing, CAttribute* attribute);
  // CKvInvalidParamException "Index %d is out of range, use 0 - %d".
  CSmartPtr<CAttribute> Item(int32_t index) const;

  iterator begin() const noexcept { return iterator(GetFirstNode()); }
  iterator end() const noexcept { return iterator(); }

  // The same wildcard with a clone of every attribute.
  CSmartPtr<CAttributeCol> Clone() const;

  const std::wstring& GetNamespaceRestriction() const noexcept;
  // The namespace given to attributes added without one.
  std::wstring GetNamespace() const override;

 protected:
  // The collection's namespace.
  std::wstring GetTargetNamespace() const override;
  // Every attribute onto the element open in writer, in order.
  void ToXml_Int(CXmlWriter* writer, bool isRoot, const wchar_t* namespaceUri,
                 const CSerializationContext& context, bool isOptional) const override;
  // Appends every attribute of element (namespace declarations aside); one
  // outside the wildcard throws CKvInvalidNamespaceException with the
  // element's path. Returns current.
  CXmlElement* FromXml_Int(CXmlElement* element, CXmlElement* current,
                           const CSerializationContext& context, bool isOptional) override;
  using CXmlObjectBase::FromXml_Int;
  using CXmlObjectBase::ToXml_Int;

 private:
  friend class CElement;

  explicit CAttributeCol(std::shared_ptr<const detail::UntypedScope> scope);

  // The wildcard and the namespace, shared with the collection's clones.
  std::shared_ptr<const detail::UntypedScope> m_scope;
};

// One element of untyped content: local name (also its element name as a bound
// object), namespace URI, attributes, child elements and text. Mixed content
// (text between child elements) is kept as one string and written after the
// children; for an element with children, whitespace at either end of that
// string is layout and is dropped when reading, so that formatted output never
// accumulates in it. Trees of any depth are read, written, cloned and
// destroyed without nested calls per level.
//
// The element keeps the wildcard it was made for (restriction and target
// namespace): its own namespace must pass it when it is built and when it is
// read. An element with a default namespace is written with its own namespace
// scope: by a separate XML text writer, declaring xmlns on itself (other
// writers write it like any element).
//
// FromXml and the other reading entry points read the document element itself
// into this object (an element outside the wildcard throws
// CKvInvalidNamespaceException), so that ToXml followed by FromXml gives the
// same element. An element read gets its own scope back when it declares a
// default namespace, nested ones included; the element read itself also gets
// it when the default namespace in scope there is its own namespace.
class KORVEL_API CElement : public CXmlObjectBase, public CInstanceMonitor {
 public:
  // No namespace, any wildcard.
  explicit CElement(const wchar_t* name);
  // The namespace is also the restriction; a wildcard keyword ("##any",
  // "##other", "##local", "##targetNamespace") is refused with
  // CKvInvalidNamespaceException "Invalid Namespace [%s].".
  CElement(const wchar_t* name, const wchar_t* namespaceUri);
  // A null name, restriction or target namespace, or a namespace outside the
  // wildcard, throws CKvInvalidNamespaceException.
  CElement(const wchar_t* name, const wchar_t* namespaceUri, const wchar_t* restriction,
           const wchar_t* targetNamespace);
  // The untyped tree of a bound object, by way of its XML text;
  // defaultNamespace (may be null) is declared on the element when written.
  CElement(const CXmlObjectBase* object, const wchar_t* defaultNamespace);
  // A copy shares the attribute and child collections, as a copy of their
  // smart pointers would.
  CElement(const CElement& other);
  CElement& operator=(const CElement& other);
  ~CElement() override;

  CXmlObjectBase* GetBase() override;
  using CXmlObjectBase::GetBase;

  std::wstring GetName() const;
  std::wstring GetText() const;
  std::wstring GetNamespace() const override;
  // Empty unless the element has its own namespace scope.
  std::wstring GetDefaultNamespace() const;
  // Not checked against the wildcard; null stores an empty string.
  void SetName(const wchar_t* name);
  void SetText(const wchar_t* text);
  void SetNamespace(const wchar_t* namespaceUri);

  CSmartPtr<CAttributeCol> GetAttributes() const;
  CSmartPtr<CElementCol> GetChildElements() const;

  // A deep copy: attributes and child elements are cloned.
  CSmartPtr<CElement> Clone() const;

  // Replaces the content with the document element of the XML text, read
  // under the default context.
  void FromXml(const wchar_t* xml);
  using CXmlObjectBase::FromXml;

  // Checks the tree against another wildcard without storing it: the
  // element's namespace, its attributes' and, recursively, its children's.
  // Throws CKvInvalidNamespaceException at the first that fails.
  void SetNamespaceRestrictions(const wchar_t* restriction, const wchar_t* targetNamespace) const;

 protected:
  // Checks and stores the name and the wildcard; the collections are made
  // when first asked for (most elements of a tree have no attributes or no
  // children).
  void Init(const wchar_t* name, const wchar_t* namespaceUri, const wchar_t* restriction,
            const wchar_t* targetNamespace);
  // Replaces name, namespace, text, attributes and children with those of element.
  void CopyXmlElement(const CXmlElement* element);

  // Called after each setter; they do nothing here.
  virtual void FireOnChangeName();
  virtual void FireOnChangeNamespace();
  virtual void FireOnChangeText();

  // The element's namespace URI.
  std::wstring GetTargetNamespace() const override;
  // Writes the element; namespaceUri is not used, the element has its own.
  void ToXml_Int(CXmlWriter* writer, bool isRoot, const wchar_t* namespaceUri,
                 const CSerializationContext& context, bool isOptional) const override;
  // Reads root itself; one outside the wildcard throws.
  void RootFromXml_Int(CXmlElement* root, const CSerializationContext& context) override;
  // Reads current (not a child of it) when its namespace passes the wildcard
  // and returns current's next sibling; otherwise returns current unread.
  CXmlElement* FromXml_Int(CXmlElement* element, CXmlElement* current,
                           const CSerializationContext& context, bool isOptional) override;
  using CXmlObjectBase::FromXml_Int;
  using CXmlObjectBase::ToXml_Int;

 private:
  friend class CElementCol;
  friend class KorvelData::CUntpdElementInfo;

  // An element read under a wildcard that other elements share; the caller
  // has checked the namespace against it.
  CElement(const wchar_t* name, const wchar_t* namespaceUri,
           std::shared_ptr<const detail::UntypedScope> wildcard);
  // "##any" with the element's target namespace and its namespace for new
  // items, under which the elements below it are read and its collections
  // are made; shared, as far as the namespaces allow.
  std::shared_ptr<const detail::UntypedScope> ChildScope() const;
  const std::wstring& Restriction() const noexcept;
  const std::wstring& TargetNamespace() const noexcept;

  CSmartPtr<CElement> CloneNode() const;  // with an empty child collection
  // The collections, made on first use in the element's namespace.
  CAttributeCol& Attributes() const;
  CElementCol& Children() const;
  void CheckOwnNamespaces(std::wstring_view restriction, std::wstring_view targetNamespace) const;
  void ReadNode(const CXmlElement* source, const CSerializationContext& context);
  void WriteContent(CXmlWriter& writer, const CSerializationContext& context) const;
  void WriteInOwnScope(CXmlTextWriter& writer) const;

  std::wstring m_name;
  std::wstring m_text;
  std::wstring m_namespaceUri;
  // The restriction and target namespace, shared by the elements of a tree read.
  std::shared_ptr<const detail::UntypedScope> m_wildcard;
  // Null until first used.
  mutable CSmartPtr<CAttributeCol> m_attributes;
  mutable CSmartPtr<CElementCol> m_childElements;
  std::wstring m_defaultNamespace;
};

// The elements of an untyped element's content or of an element wildcard.
// Elements added or read must pass the wildcard (restriction and target
// namespace, as for CAttributeCol); reading also stops at maxOccurs.
class KORVEL_API CElementCol : public CXmlCollection, public CInstanceMonitor {
 public:
  using iterator = CKvIterator<CElement>;
  using const_iterator = CKvIterator<CElement>;

  // namespaceUri is given to elements added by name alone; a non-empty one
  // must pass the wildcard (else CKvInvalidNamespaceException). maxOccurs -1
  // is unbounded.
  CElementCol(const wchar_t* namespaceUri, const wchar_t* restriction,
              const wchar_t* targetNamespace, int32_t minOccurs = 0, int32_t maxOccurs = -1);
  ~CElementCol() override;

  // Appends a new element whose namespace passes the wildcard, or throws
  // CKvInvalidNamespaceException.
  CSmartPtr<CElement> Add(const wchar_t* name, const wchar_t* namespaceUri);
  // In the collection's namespace for new elements; without one, in no
  // namespace when the wildcard admits that, otherwise CKvInvalidStateException
  // "A Namespace has not been set for this Collection".
  CSmartPtr<CElement> Add(const wchar_t* name);
  // Appends an existing element whose namespace passes the wildcard.
  void Add(CElement* element);
  // As CAttributeCol's.
  void AddAfter(CElement* existing, CElement* element);
  void AddBefore(CElement* existing, CElement* element);
  CSmartPtr<CElement> Item(int32_t index) const;

  iterator begin() const noexcept { return iterator(GetFirstNode()); }
  iterator end() const noexcept { return iterator(); }

  // The same settings with a clone of every element.
  CSmartPtr<CElementCol> Clone() const;

  // The target namespace.
  std::wstring GetNamespace() const override;
  const std::wstring& GetNamespaceRestriction() const noexcept;

  // For element descriptions with a fixed name and untyped content: reads the
  // run of siblings from firstElement on whose local name is name and whose
  // namespace URI is exactly namespaceUri (up to maxOccurs); returns the first
  // element after them, or null.
  virtual CXmlElement* FromXmlLockElementName_Int(const wchar_t* name, const wchar_t* namespaceUri,
                                                  CXmlElement* parentElement,
                                                  CXmlElement* firstElement,
                                                  const CSerializationContext& context);
  // As the wildcard read below, but ends before stop (null: no bound), so a
  // wildcard run in a sequence leaves the element a later member declares.
  CXmlElement* FromXmlUpTo_Int(CXmlElement* parentElement, CXmlElement* firstElement,
                               const CXmlElement* stop, const CSerializationContext& context);

 protected:
  // The target namespace.
  std::wstring GetTargetNamespace() const override;
  // Validates the count, then writes every element in order.
  void ToXml_Int(CXmlWriter* writer, bool isRoot, const wchar_t* namespaceUri,
                 const CSerializationContext& context, bool isOptional) const override;
  // Reads siblings from firstElement on while they pass the wildcard, up to
  // maxOccurs; returns the first one not read, or null. The count is the
  // caller's to validate.
  CXmlElement* FromXml_Int(CXmlElement* parentElement, CXmlElement* firstElement,
                           const CSerializationContext& context, bool isOptional) override;
  using CXmlObjectBase::FromXml_Int;
  using CXmlObjectBase::ToXml_Int;

 private:
  friend class CElement;

  CElementCol(std::shared_ptr<const detail::UntypedScope> scope, int32_t minOccurs,
              int32_t maxOccurs);

  bool IsFull() const noexcept;
  // An empty collection with the same settings.
  CSmartPtr<CElementCol> CloneSettings() const;
  const std::wstring& Restriction() const noexcept;
  const std::wstring& TargetNamespace() const noexcept;

  // The wildcard and the namespace for new elements, shared with the
  // collection's clones and the elements it reads.
  std::shared_ptr<const detail::UntypedScope> m_scope;
};

}  // namespace Korvel
