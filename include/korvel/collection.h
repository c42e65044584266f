// SPDX-License-Identifier: MIT
// The bases of every collection: CXmlCollectionBase (occurrence bounds, event
// listeners), CXmlCollection (a list of counted objects) and CXmlTypeCollection
// (the base of the typed primitive collections).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <korvel/export.h>
#include <korvel/item_type.h>
#include <korvel/object_base.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/smart_ptr.h>
#include <korvel/whitespace_utils.h>

namespace Korvel {

namespace detail {

// An immutable value shared by reference count, in one pointer rather than a
// std::shared_ptr's two: collections, of which a bound document has many,
// share their names and facets this way. T need be complete only where
// values are made and released.
template <class T>
class SharedConst {
 public:
  SharedConst() noexcept = default;
  SharedConst(const SharedConst& other) noexcept : m_block(other.m_block) {
    if (m_block) m_block->count.fetch_add(1, std::memory_order_relaxed);
  }
  SharedConst(SharedConst&& other) noexcept : m_block(std::exchange(other.m_block, nullptr)) {}
  SharedConst& operator=(SharedConst other) noexcept {
    std::swap(m_block, other.m_block);
    return *this;
  }
  ~SharedConst() {
    if (m_block && m_block->count.fetch_sub(1, std::memory_order_acq_rel) == 1) delete m_block;
  }

  static SharedConst Make(T value) {
    SharedConst made;
    made.m_block = new Block{std::move(value), {1}};
    return made;
  }

  explicit operator bool() const noexcept { return m_block != nullptr; }
  const T* operator->() const noexcept { return &m_block->value; }
  const T& operator*() const noexcept { return m_block->value; }

 private:
  struct Block {
    const T value;
    std::atomic<int32_t> count;
  };
  Block* m_block = nullptr;
};

}  // namespace detail

// The element name (inherited) and namespace of the items, their occurrence
// bounds, and the sinks told about every change, in order of registration.
class KORVEL_API CXmlCollectionBase : public CXmlObjectBase {
 public:
  ~CXmlCollectionBase() override;

  // The collection itself. Defined here so that a collection being destroyed
  // can still name itself to its listeners.
  CXmlObjectBase* GetBase() override;
  using CXmlObjectBase::GetBase;

  int32_t GetMinOccurs() const noexcept { return m_minOccurs; }
  // -1 for unbounded.
  int32_t GetMaxOccurs() const noexcept { return m_maxOccurs; }
  // The namespace URI of the items' elements.
  std::wstring GetNamespace() const override;

  // Listeners are not owned; a sink added twice hears every event twice.
  void AddEventListener(IEventSink* sink);
  // Removes every registration of sink.
  void RemoveEventListener(IEventSink* sink);

  virtual int32_t GetCount() const = 0;
  // Whether every item is written under one element name (the items of a
  // substitution group need not be); a JSON writer makes them one array.
  virtual bool HasUniformItemNames() const;
  virtual void Clear() = 0;
  virtual void Remove(int32_t index) = 0;
  // Throws CKvValidationException when the count is above maxOccurs (tested
  // first) or below minOccurs, unless the context ignores collection counts.
  virtual void ValidateCount(const CSerializationContext& context) const;
  // ValidateCount's tests, answering false instead of throwing.
  virtual bool IsValidCount(const CSerializationContext& context) const;

 protected:
  // Empty name and namespace, no lower and no upper bound.
  CXmlCollectionBase();
  CXmlCollectionBase(const wchar_t* elementName, const wchar_t* namespaceUri, int32_t minOccurs,
                     int32_t maxOccurs);
  // For collections of values, which can be copied: the name, namespace and
  // bounds are copied; listeners registered with one object stay with it.
  CXmlCollectionBase(const CXmlCollectionBase& other);
  CXmlCollectionBase& operator=(const CXmlCollectionBase& other);

  // A collection is never the root of a document: throws CKvException.
  std::wstring GetTargetNamespace() const override;
  // GetNamespace's text, without a copy.
  const std::wstring& NamespaceUri() const noexcept;

  // A copy of the listeners, in order of registration.
  std::vector<IEventSink*> Listeners() const;
  // Tell every listener, in order of registration.
  void FireOnCollectionChange();
  void FireOnCollectionAdd(void* item);
  void FireOnCollectionAddComplete(void* item);
  // An index of -1 is sent as null data.
  void FireOnCollectionRemove(int32_t index);
  void FireOnCollectionRemoveComplete(int32_t index);

 private:
  struct SharedNames;
  // The items' element name and namespace when they have a namespace (null
  // otherwise). Copies share it, as they share the facets of a typed
  // collection, and take their element name from it: a collection copied
  // from a prototype costs no allocation for either.
  detail::SharedConst<SharedNames> m_names;
  // Null until the first listener: few collections have any.
  std::unique_ptr<std::vector<IEventSink*>> m_listeners;
  int32_t m_minOccurs = 0;
  int32_t m_maxOccurs = -1;
};

// An ordered list of counted objects: the collection holds one reference to
// each item. The item operations are for the typed collections that wrap them.
// Every insertion tells listeners Add, AddComplete, Change; every removal
// Remove, RemoveComplete, Change (removal data is always null here).
class KORVEL_API CXmlCollection : public CXmlCollectionBase {
 public:
  // The list owns its nodes alone.
  CXmlCollection(const CXmlCollection&) = delete;
  CXmlCollection& operator=(const CXmlCollection&) = delete;
  // Removes the items one by one from the front, as Clear does.
  ~CXmlCollection() override;

  int32_t GetCount() const override;
  bool HasUniformItemNames() const override;
  // Removes the first item until none is left.
  void Clear() override;
  // CKvInvalidParamException "Index %d is out of range, use 0 - %d".
  void Remove(int32_t index) override;

 protected:
  struct CNode {
    CSmartPtr<CXmlObjectBase> item;
    CNode* next = nullptr;
    CNode* previous = nullptr;
  };

  CXmlCollection();
  CXmlCollection(const wchar_t* elementName, const wchar_t* namespaceUri, int32_t minOccurs,
                 int32_t maxOccurs);

  void AppendItem(CXmlObjectBase* item);
  void PrependItem(CXmlObjectBase* item);
  // A null existing prepends (AddAfterItem) or appends (AddBeforeItem); an
  // existing item not in the collection throws CKvInvalidParamException.
  void AddAfterItem(CXmlObjectBase* existing, CXmlObjectBase* item);
  void AddBeforeItem(CXmlObjectBase* existing, CXmlObjectBase* item);
  // index == count appends; outside 0 to count: CKvInvalidParamException.
  void AddItemAt(int32_t index, CXmlObjectBase* item);

  // The node at index, counting from the front; as Remove for a bad index.
  CNode* GetNodeAtIndex(int32_t index) const;
  // The first node holding the same object (compared through GetBase()).
  CNode* GetNodeForItem(CXmlObjectBase* item) const;
  void RemoveNode(CNode* node);
  CNode* GetFirstNode() const noexcept { return m_first; }
  CNode* GetLastNode() const noexcept { return m_last; }

  // The attributes of every item, in order.
  void AttributesToXml_Int(CXmlWriter* writer, const CSerializationContext& context) const override;
  using CXmlObjectBase::AttributesToXml_Int;
  // Writes every item in order, each as an element of namespace ns: the
  // ToXml_Int of a collection of generated classes.
  void ItemsToXml_Int(CXmlWriter* writer, const wchar_t* ns,
                      const CSerializationContext& context) const;

 private:
  // Links a new node for item after previous (null: at the front), with its events.
  void InsertAfter(CNode* previous, CXmlObjectBase* item);
  // A node for item: one of the collection's own while one is free, else
  // one of its own allocation; ReleaseNode gives either back.
  CNode* MakeNode(CXmlObjectBase* item);
  void ReleaseNode(CNode* node) noexcept;

  CNode* m_first = nullptr;
  CNode* m_last = nullptr;
  int32_t m_count = 0;
  // Most collections hold an item or two: their nodes live here, beside the
  // list, so that a walk does not miss the cache on each of them in turn.
  static constexpr int kOwnNodes = 2;
  uint8_t m_ownNodesInUse = 0;  // bit i: m_ownNodes[i] is linked
  CNode m_ownNodes[kOwnNodes];
};

// The base of the typed primitive collections: the items' kind, facets, value
// format and whitespace rule; each typed collection holds the values itself.
class KORVEL_API CXmlTypeCollection : public CXmlCollectionBase {
 public:
  ~CXmlTypeCollection() override;

  ItemType GetItemType() const noexcept { return m_itemType; }
  const CPrimitiveRestrictions& GetRestrictions() const noexcept;
  const std::wstring& GetValueFormat() const noexcept;
  CWhitespaceUtils::WhitespaceRule GetWhitespaceRule() const noexcept { return m_whitespaceRule; }

 protected:
  // The facets in the order of the CPrimitiveRestrictions constructor; a null
  // valueFormat is stored as empty.
  CXmlTypeCollection(ItemType itemType, const wchar_t* elementName, const wchar_t* namespaceUri,
                     int32_t minOccurs, int32_t maxOccurs, const wchar_t* pattern,
                     int32_t minLength, int32_t maxLength, const wchar_t* minInclusive,
                     const wchar_t* maxInclusive, const wchar_t* minExclusive,
                     const wchar_t* maxExclusive, int32_t length, int32_t totalDigits,
                     int32_t fractionDigits, CWhitespaceUtils::WhitespaceRule whiteSpaceRule,
                     const wchar_t* valueFormat);
  CXmlTypeCollection(const CXmlTypeCollection& other);
  CXmlTypeCollection& operator=(const CXmlTypeCollection& other);

  // Reads the run of matching elements from firstElement on, one value each;
  // returns the first element that is not one of them (or null). The count is
  // the caller's to validate.
  CXmlElement* FromXml_Int(CXmlElement* parentElement, CXmlElement* firstElement,
                           const CSerializationContext& context, bool isOptional) override;
  using CXmlObjectBase::FromXml_Int;
  // Parses one value and appends it.
  virtual void AddFromString(const std::wstring& text) = 0;

 private:
  struct Settings;
  // The facets and the value format; null when neither is set, as for most
  // collections. Both are fixed, so copies share them.
  detail::SharedConst<Settings> m_settings;
  ItemType m_itemType;
  CWhitespaceUtils::WhitespaceRule m_whitespaceRule;
};

}  // namespace Korvel
