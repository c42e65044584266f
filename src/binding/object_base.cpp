// SPDX-License-Identifier: MIT
// CXmlObjectBase: reference counting, the element name, the trampolines to
// protected virtuals, the collection event helpers and the setter checks.
#include <korvel/object_base.h>

#include <korvel/collection.h>
#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "binding/messages.h"
#include "binding/metadata_support.h"
#include "binding/namespace_wildcard.h"

namespace Korvel {

namespace {

std::wstring_view ViewOf(const wchar_t* text) {
  return text ? std::wstring_view(text) : std::wstring_view();
}

// Whether name, a C string, spells text; read no further than either ends,
// without taking its length first: every object made for reading is named.
bool Spells(const wchar_t* name, const std::wstring& text) noexcept {
  for (const wchar_t c : text) {
    if (*name++ != c) return false;
  }
  return *name == L'\0';
}

[[noreturn]] void ThrowPropertyIsNull(const wchar_t* propertyName) {
  throw CKvInvalidParamException(
      FormatString(detail::kPropertyIsMandatory, propertyName ? propertyName : L""));
}

[[noreturn]] void ThrowElementNameDiffers(const wchar_t* requiredName, const std::wstring& name) {
  throw CKvInvalidParamException(
      FormatString(detail::kElementNameDiffers, requiredName, name.c_str()));
}

void Notify(IEventSink* sink, CXmlCollectionBase* collection, IEventSink::MsgType msg, void* data) {
  sink->OnEvent(collection->GetBase(), msg, data);
}

}  // namespace

IEventSink::~IEventSink() = default;

CXmlObjectBase::CXmlObjectBase() = default;

CXmlObjectBase::CXmlObjectBase(const CXmlObjectBase& other) : IEventSink(other) { *this = other; }

CXmlObjectBase& CXmlObjectBase::operator=(const CXmlObjectBase& other) {
  if (this == &other) return *this;
  if (other.m_ownsName) {
    OwnName(*other.m_elementName);
  } else {
    ShareName(other.m_elementName);
  }
  return *this;
}

CXmlObjectBase::~CXmlObjectBase() { ShareName(nullptr); }

void CXmlObjectBase::ShareName(const std::wstring* shared) noexcept {
  if (m_ownsName) delete m_elementName;
  m_ownsName = false;
  m_elementName = shared;
}

void CXmlObjectBase::OwnName(std::wstring_view text) {
  if (m_ownsName) {
    const_cast<std::wstring*>(m_elementName)->assign(text);
  } else {
    m_elementName = new std::wstring(text);
    m_ownsName = true;
  }
}

int32_t CXmlObjectBase::AddRef() { return m_refCount.fetch_add(1, std::memory_order_relaxed) + 1; }

int32_t CXmlObjectBase::Release() {
  // Acquire-release, so that the deleting thread sees every other thread's writes.
  const int32_t count = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (count == 0) delete this;
  return count;
}

const CXmlObjectBase* CXmlObjectBase::GetBase() const {
  return const_cast<CXmlObjectBase*>(this)->GetBase();
}

void CXmlObjectBase::OnEvent(CXmlObjectBase*, MsgType, void*) {}

void CXmlObjectBase::AttributesToXml_Int(CXmlWriter*, const CSerializationContext&) const {}

std::wstring CXmlObjectBase::GetElementName() const { return *m_elementName; }

const std::wstring& CXmlObjectBase::NoName() noexcept {
  static const std::wstring none;
  return none;
}

void CXmlObjectBase::SetElementName(const wchar_t* name) {
  // A shared name stays when the text is the same: readers set the name of
  // every object they fill.
  if (name != nullptr && Spells(name, *m_elementName)) return;
  const std::wstring_view text = ViewOf(name);
  if (text.empty()) {
    ShareName(&NoName());
  } else {
    OwnName(text);
  }
}

void CXmlObjectBase::SetElementName(const wchar_t* name, const std::wstring& shared) {
  // Mostly the shared name's own text, known without a comparison.
  if (name == shared.c_str() || (name != nullptr && Spells(name, shared))) {
    ShareName(&shared);
  } else {
    SetElementName(name);
  }
}

void CXmlObjectBase::SetElementName(const wchar_t* name, const std::wstring* shared, size_t count) {
  if (name != nullptr) {
    for (size_t i = 0; i < count; ++i) {
      if (Spells(name, shared[i])) {
        ShareName(&shared[i]);
        return;
      }
    }
  }
  SetElementName(name);
}

void CXmlObjectBase::SetElementName(CXmlObjectBase* object, const wchar_t* name) {
  object->SetElementName(name);
}

std::wstring CXmlObjectBase::GetElementName(const CXmlObjectBase* object) {
  return object->GetElementName();
}

void CXmlObjectBase::AttributesToXml_Int(const CXmlObjectBase* object, CXmlWriter* writer,
                                         const CSerializationContext& context) {
  object->AttributesToXml_Int(writer, context);
}

void CXmlObjectBase::ToXml_Int(const CXmlObjectBase* object, CXmlWriter* writer, bool isRoot,
                               const wchar_t* namespaceUri, const CSerializationContext& context,
                               bool isOptional) {
  object->ToXml_Int(writer, isRoot, namespaceUri, context, isOptional);
}

CXmlElement* CXmlObjectBase::FromXml_Int(CXmlObjectBase* object, CXmlElement* element,
                                         CXmlElement* current,
                                         const CSerializationContext& context) {
  return object->FromXml_Int(element, current, context, false);
}

CXmlElement* CXmlObjectBase::FromXmlNew_Int(CXmlObjectBase* object, CXmlElement* element,
                                            CXmlElement* current,
                                            const CSerializationContext& context) {
  object->m_madeForRead = true;
  return object->FromXml_Int(element, current, context, false);
}

void CXmlObjectBase::FireOnCollectionChangeEvent(IEventSink* sink, CXmlCollectionBase* collection) {
  Notify(sink, collection, MsgType_CollectionChange, nullptr);
}

void CXmlObjectBase::FireOnCollectionAddEvent(IEventSink* sink, CXmlCollectionBase* collection,
                                              void* item) {
  Notify(sink, collection, MsgType_CollectionAdd, item);
}

void CXmlObjectBase::FireOnCollectionAddCompleteEvent(IEventSink* sink,
                                                      CXmlCollectionBase* collection, void* item) {
  Notify(sink, collection, MsgType_CollectionAddComplete, item);
}

void CXmlObjectBase::FireOnCollectionRemoveEvent(IEventSink* sink, CXmlCollectionBase* collection,
                                                 int32_t index) {
  Notify(sink, collection, MsgType_CollectionRemove, index == -1 ? nullptr : &index);
}

void CXmlObjectBase::FireOnCollectionRemoveCompleteEvent(IEventSink* sink,
                                                         CXmlCollectionBase* collection,
                                                         int32_t index) {
  Notify(sink, collection, MsgType_CollectionRemoveComplete, index == -1 ? nullptr : &index);
}

void CXmlObjectBase::Throw_IfPropertyIsNull(CXmlObjectBase* value, const wchar_t* propertyName) {
  if (value == nullptr) ThrowPropertyIsNull(propertyName);
}

void CXmlObjectBase::Throw_IfElementNameDiffers(CXmlObjectBase* value,
                                                const wchar_t* requiredName) {
  if (value == nullptr) return;
  const std::wstring& name = *value->GetBase()->m_elementName;
  if (name != ViewOf(requiredName))
    ThrowElementNameDiffers(requiredName ? requiredName : L"", name);
}

void CXmlObjectBase::TestNamespace(const wchar_t* ns, const wchar_t* constraint,
                                   const wchar_t* targetNamespace) {
  detail::TestNamespace(ViewOf(ns), ViewOf(constraint), ViewOf(targetNamespace));
}

bool CXmlObjectBase::IsNamespaceValid(const wchar_t* ns, const wchar_t* constraint,
                                      const wchar_t* targetNamespace) {
  return detail::IsNamespaceValid(ViewOf(ns), ViewOf(constraint), ViewOf(targetNamespace));
}

bool CXmlObjectBase::DoesElementNameMatch(const CSerializationContext& context,
                                          const CXmlElement* element, const wchar_t* name,
                                          const wchar_t* ns) {
  return DoesElementNameMatch(context, element, ViewOf(name), ViewOf(ns));
}

bool CXmlObjectBase::DoesElementNameMatch(const CSerializationContext& context,
                                          const CXmlElement* element, std::wstring_view name,
                                          std::wstring_view ns) {
  if (element == nullptr || !detail::SameName(element->GetLocalName(), name)) return false;
  return context.GetIgnoreNamespaces() || detail::SameName(element->GetNamespaceURI(), ns);
}

}  // namespace Korvel
