// SPDX-License-Identifier: MIT
// CXmlCollectionBase: occurrence bounds, count validation and event listeners.
#include <korvel/collection.h>

#include <algorithm>

#include <korvel/errors.h>
#include <korvel/serialization_context.h>

#include "binding/messages.h"

namespace Korvel {

namespace {

[[noreturn]] void ThrowCountOutOfBounds(const wchar_t* format, const std::wstring& elementName,
                                        int32_t bound) {
  throw CKvValidationException(FormatString(format, elementName.c_str(), bound), std::wstring());
}

}  // namespace

struct CXmlCollectionBase::SharedNames {
  std::wstring elementName;
  std::wstring namespaceUri;
};

CXmlCollectionBase::CXmlCollectionBase() = default;

CXmlCollectionBase::CXmlCollectionBase(const wchar_t* elementName, const wchar_t* namespaceUri,
                                       int32_t minOccurs, int32_t maxOccurs)
    : m_minOccurs(minOccurs), m_maxOccurs(maxOccurs) {
  if (namespaceUri && *namespaceUri) {
    m_names = detail::SharedConst<SharedNames>::Make(
        SharedNames{elementName ? elementName : L"", namespaceUri});
    SetElementName(elementName, m_names->elementName);
  } else {
    SetElementName(elementName);
  }
}

// The base's copy shares the element name where the source's is shared,
// which is in m_names when the source has a namespace.
CXmlCollectionBase::CXmlCollectionBase(const CXmlCollectionBase& other)
    : CXmlObjectBase(other),
      m_names(other.m_names),
      m_minOccurs(other.m_minOccurs),
      m_maxOccurs(other.m_maxOccurs) {}

CXmlCollectionBase& CXmlCollectionBase::operator=(const CXmlCollectionBase& other) {
  CXmlObjectBase::operator=(other);
  m_names = other.m_names;
  m_minOccurs = other.m_minOccurs;
  m_maxOccurs = other.m_maxOccurs;
  return *this;
}

CXmlCollectionBase::~CXmlCollectionBase() = default;

CXmlObjectBase* CXmlCollectionBase::GetBase() { return this; }

std::wstring CXmlCollectionBase::GetNamespace() const { return NamespaceUri(); }

const std::wstring& CXmlCollectionBase::NamespaceUri() const noexcept {
  static const std::wstring none;
  return m_names ? m_names->namespaceUri : none;
}

bool CXmlCollectionBase::HasUniformItemNames() const { return true; }

std::wstring CXmlCollectionBase::GetTargetNamespace() const {
  throw CKvException(detail::kCollectionHasNoTargetNamespace);
}

void CXmlCollectionBase::AddEventListener(IEventSink* sink) {
  if (!m_listeners) m_listeners = std::make_unique<std::vector<IEventSink*>>();
  m_listeners->push_back(sink);
}

void CXmlCollectionBase::RemoveEventListener(IEventSink* sink) {
  if (!m_listeners) return;
  m_listeners->erase(std::remove(m_listeners->begin(), m_listeners->end(), sink),
                     m_listeners->end());
}

void CXmlCollectionBase::ValidateCount(const CSerializationContext& context) const {
  if (context.GetIgnoreInvalidCollectionCounts()) return;
  const int32_t count = GetCount();
  if (m_maxOccurs != -1 && count > m_maxOccurs) {
    ThrowCountOutOfBounds(detail::kTooManyItems, GetElementName(), m_maxOccurs);
  }
  if (count < m_minOccurs)
    ThrowCountOutOfBounds(detail::kTooFewItems, GetElementName(), m_minOccurs);
}

bool CXmlCollectionBase::IsValidCount(const CSerializationContext& context) const {
  if (context.GetIgnoreInvalidCollectionCounts()) return true;
  const int32_t count = GetCount();
  return (m_maxOccurs == -1 || count <= m_maxOccurs) && count >= m_minOccurs;
}

// Listeners are called on a copy of the list, so that one may add or remove
// listeners while it is being told.
std::vector<IEventSink*> CXmlCollectionBase::Listeners() const {
  return m_listeners ? *m_listeners : std::vector<IEventSink*>();
}

void CXmlCollectionBase::FireOnCollectionChange() {
  for (IEventSink* sink : Listeners()) {
    FireOnCollectionChangeEvent(sink, this);
  }
}

void CXmlCollectionBase::FireOnCollectionAdd(void* item) {
  for (IEventSink* sink : Listeners()) {
    FireOnCollectionAddEvent(sink, this, item);
  }
}

void CXmlCollectionBase::FireOnCollectionAddComplete(void* item) {
  for (IEventSink* sink : Listeners()) {
    FireOnCollectionAddCompleteEvent(sink, this, item);
  }
}

void CXmlCollectionBase::FireOnCollectionRemove(int32_t index) {
  for (IEventSink* sink : Listeners()) {
    FireOnCollectionRemoveEvent(sink, this, index);
  }
}

void CXmlCollectionBase::FireOnCollectionRemoveComplete(int32_t index) {
  for (IEventSink* sink : Listeners()) {
    FireOnCollectionRemoveCompleteEvent(sink, this, index);
  }
}

}  // namespace Korvel
