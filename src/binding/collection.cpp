// SPDX-License-Identifier: MIT
// CXmlCollection: a doubly linked list of counted objects, with its events.
#include <korvel/collection.h>

#include <functional>

#include <korvel/errors.h>

#include "binding/messages.h"
#include "binding/metadata_support.h"

namespace Korvel {

namespace {

[[noreturn]] void ThrowNotInCollection() {
  throw CKvInvalidParamException(detail::kObjectNotInCollection);
}

[[noreturn]] void ThrowIndexOutOfRange(int32_t index, int32_t count) {
  throw CKvInvalidParamException(FormatString(detail::kIndexOutOfRange, index, count - 1));
}

// Asks for what a walk will touch after node: the whole next item, whose
// node the step before asked for, and the node after it. A document's items
// lie far apart in memory, and each would otherwise stall the walk in turn;
// nothing is read here that the step before did not ask for.
template <class Node>
void PrefetchAfter(const Node* node) {
  const Node* next = node->next;
  if (next == nullptr) return;
  __builtin_prefetch(next->next);
  detail::PrefetchObject(next->item.Get());
}

}  // namespace

CXmlCollection::CXmlCollection() = default;

CXmlCollection::CXmlCollection(const wchar_t* elementName, const wchar_t* namespaceUri,
                               int32_t minOccurs, int32_t maxOccurs)
    : CXmlCollectionBase(elementName, namespaceUri, minOccurs, maxOccurs) {}

CXmlCollection::~CXmlCollection() {
  // Not through the virtual Clear: a subclass is already gone here.
  while (m_first) RemoveNode(m_first);
}

int32_t CXmlCollection::GetCount() const { return m_count; }

bool CXmlCollection::HasUniformItemNames() const {
  for (const CNode* node = m_first; node && node->next; node = node->next) {
    if (ElementNameOf(node->item) != ElementNameOf(node->next->item)) return false;
  }
  return true;
}

void CXmlCollection::Clear() {
  while (m_count > 0) Remove(0);
}

void CXmlCollection::Remove(int32_t index) { RemoveNode(GetNodeAtIndex(index)); }

void CXmlCollection::AppendItem(CXmlObjectBase* item) {
  FireOnCollectionAdd(item);
  InsertAfter(m_last, item);
}

void CXmlCollection::PrependItem(CXmlObjectBase* item) {
  FireOnCollectionAdd(item);
  InsertAfter(nullptr, item);
}

void CXmlCollection::AddAfterItem(CXmlObjectBase* existing, CXmlObjectBase* item) {
  FireOnCollectionAdd(item);
  InsertAfter(existing ? GetNodeForItem(existing) : nullptr, item);
}

void CXmlCollection::AddBeforeItem(CXmlObjectBase* existing, CXmlObjectBase* item) {
  FireOnCollectionAdd(item);
  InsertAfter(existing ? GetNodeForItem(existing)->previous : m_last, item);
}

void CXmlCollection::AddItemAt(int32_t index, CXmlObjectBase* item) {
  if (index < 0 || index > m_count) {
    throw CKvInvalidParamException(detail::kInsertIndexOutOfRange);
  }
  FireOnCollectionAdd(item);
  InsertAfter(index == m_count ? m_last : GetNodeAtIndex(index)->previous, item);
}

CXmlCollection::CNode* CXmlCollection::MakeNode(CXmlObjectBase* item) {
  for (int i = 0; i < kOwnNodes; ++i) {
    if ((m_ownNodesInUse & (1u << i)) == 0) {
      m_ownNodesInUse |= static_cast<uint8_t>(1u << i);
      m_ownNodes[i].item = item;
      return &m_ownNodes[i];
    }
  }
  return new CNode{item};
}

void CXmlCollection::ReleaseNode(CNode* node) noexcept {
  // Only pointers into one array may be subtracted; std::less orders any two.
  const std::less<const CNode*> before;
  if (before(node, m_ownNodes) || !before(node, m_ownNodes + kOwnNodes)) {
    delete node;  // releases the collection's reference to the item
    return;
  }
  *node = CNode{};  // releases it here
  m_ownNodesInUse &= static_cast<uint8_t>(~(1u << (node - m_ownNodes)));
}

void CXmlCollection::InsertAfter(CNode* previous, CXmlObjectBase* item) {
  CNode* node = MakeNode(item);
  node->previous = previous;
  node->next = previous ? previous->next : m_first;
  (node->next ? node->next->previous : m_last) = node;
  (previous ? previous->next : m_first) = node;
  ++m_count;
  FireOnCollectionAddComplete(item);
  FireOnCollectionChange();
}

CXmlCollection::CNode* CXmlCollection::GetNodeAtIndex(int32_t index) const {
  if (index < 0 || index >= m_count) ThrowIndexOutOfRange(index, m_count);
  CNode* node = m_first;
  for (int32_t i = 0; i < index; ++i) node = node->next;
  return node;
}

CXmlCollection::CNode* CXmlCollection::GetNodeForItem(CXmlObjectBase* item) const {
  const CXmlObjectBase* wanted = item ? item->GetBase() : nullptr;
  for (CNode* node = m_first; node; node = node->next) {
    if (node->item && node->item->GetBase() == wanted) return node;
  }
  ThrowNotInCollection();
}

void CXmlCollection::RemoveNode(CNode* node) {
  FireOnCollectionRemove(-1);
  (node->previous ? node->previous->next : m_first) = node->next;
  (node->next ? node->next->previous : m_last) = node->previous;
  --m_count;
  ReleaseNode(node);
  FireOnCollectionRemoveComplete(-1);
  FireOnCollectionChange();
}

void CXmlCollection::AttributesToXml_Int(CXmlWriter* writer,
                                         const CSerializationContext& context) const {
  for (CNode* node = m_first; node; node = node->next) {
    PrefetchAfter(node);
    if (node->item) AttributesToXml_Int(node->item->GetBase(), writer, context);
  }
}

void CXmlCollection::ItemsToXml_Int(CXmlWriter* writer, const wchar_t* ns,
                                    const CSerializationContext& context) const {
  for (const CNode* node = m_first; node; node = node->next) {
    PrefetchAfter(node);
    ToXml_Int(node->item, writer, false, ns, context, false);
  }
}

}  // namespace Korvel
