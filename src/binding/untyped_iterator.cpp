// SPDX-License-Identifier: MIT
// CKvIterator: walking the node list of an untyped collection.
#include <korvel/untyped.h>

namespace Korvel {

namespace {

// Names the collection's node type, which only collections may see.
struct NodeAccess : CXmlCollection {
  using CXmlCollection::CNode;
};
using Node = NodeAccess::CNode;

}  // namespace

template <class T>
T& CKvIterator<T>::operator*() const {
  return *static_cast<T*>(static_cast<const Node*>(m_node)->item.Get());
}

template <class T>
CKvIterator<T>& CKvIterator<T>::operator++() {
  m_node = static_cast<const Node*>(m_node)->next;
  return *this;
}

template class CKvIterator<CAttribute>;
template class CKvIterator<CElement>;

}  // namespace Korvel
