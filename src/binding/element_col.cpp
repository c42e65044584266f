// SPDX-License-Identifier: MIT
// CElementCol: the child elements of untyped content and element wildcards.
#include <korvel/untyped.h>

#include <korvel/errors.h>
#include <korvel/xml_document.h>

#include "binding/messages.h"
#include "binding/namespace_wildcard.h"
#include "binding/untyped_support.h"

namespace Korvel {

namespace {

[[noreturn]] void ThrowNullItem() { throw CKvInvalidParamException(detail::kNullItem); }

}  // namespace

CElementCol::CElementCol(const wchar_t* namespaceUri, const wchar_t* restriction,
                         const wchar_t* targetNamespace, int32_t minOccurs, int32_t maxOccurs)
    : CXmlCollection(L"", namespaceUri, minOccurs, maxOccurs),
      CInstanceMonitor(L"CElementCol"),
      m_restriction(detail::OrEmpty(restriction)),
      m_newElementNamespace(detail::OrEmpty(namespaceUri)),
      m_targetNamespace(detail::OrEmpty(targetNamespace)) {
  // An empty namespace only means that none was chosen for new elements.
  if (!m_newElementNamespace.empty()) {
    detail::TestNamespace(m_newElementNamespace, m_restriction, m_targetNamespace);
  }
}

CElementCol::~CElementCol() = default;

std::wstring CElementCol::GetNamespace() const { return m_targetNamespace; }
std::wstring CElementCol::GetTargetNamespace() const { return m_targetNamespace; }

bool CElementCol::IsFull() const noexcept {
  return GetMaxOccurs() != -1 && GetCount() >= GetMaxOccurs();
}

CSmartPtr<CElement> CElementCol::Add(const wchar_t* name, const wchar_t* namespaceUri) {
  detail::TestNamespace(detail::OrEmpty(namespaceUri), m_restriction, m_targetNamespace);
  CSmartPtr<CElement> element(
      new CElement(name, namespaceUri, m_restriction.c_str(), m_targetNamespace.c_str()));
  AppendItem(element);
  return element;
}

CSmartPtr<CElement> CElementCol::Add(const wchar_t* name) {
  // A wildcard keyword is never a namespace: without a namespace of its own
  // the collection adds unqualified elements, where the wildcard admits them.
  if (m_newElementNamespace.empty() &&
      !detail::IsNamespaceValid(L"", m_restriction, m_targetNamespace)) {
    throw CKvInvalidStateException(detail::kCollectionHasNoNamespace);
  }
  return Add(name, m_newElementNamespace.c_str());
}

void CElementCol::Add(CElement* element) {
  if (element == nullptr) ThrowNullItem();
  detail::TestNamespace(element->m_namespaceUri, m_restriction, m_targetNamespace);
  AppendItem(element);
}

void CElementCol::AddAfter(CElement* existing, CElement* element) {
  if (element == nullptr) ThrowNullItem();
  detail::TestNamespace(element->m_namespaceUri, m_restriction, m_targetNamespace);
  AddAfterItem(existing, element);
}

void CElementCol::AddBefore(CElement* existing, CElement* element) {
  if (element == nullptr) ThrowNullItem();
  detail::TestNamespace(element->m_namespaceUri, m_restriction, m_targetNamespace);
  AddBeforeItem(existing, element);
}

CSmartPtr<CElement> CElementCol::Item(int32_t index) const {
  return static_cast<CElement*>(GetNodeAtIndex(index)->item.Get());
}

CSmartPtr<CElementCol> CElementCol::CloneSettings() const {
  return new CElementCol(m_newElementNamespace.c_str(), m_restriction.c_str(),
                         m_targetNamespace.c_str(), GetMinOccurs(), GetMaxOccurs());
}

CSmartPtr<CElementCol> CElementCol::Clone() const {
  CSmartPtr<CElementCol> copy = CloneSettings();
  for (const CElement& element : *this) copy->AppendItem(element.Clone());
  return copy;
}

void CElementCol::ToXml_Int(CXmlWriter* writer, bool, const wchar_t* namespaceUri,
                            const CSerializationContext& context, bool) const {
  ValidateCount(context);
  for (const CElement& element : *this) {
    CXmlObjectBase::ToXml_Int(&element, writer, false, namespaceUri, context, false);
  }
}

CXmlElement* CElementCol::FromXml_Int(CXmlElement* parentElement, CXmlElement* firstElement,
                                      const CSerializationContext& context, bool) {
  return FromXmlUpTo_Int(parentElement, firstElement, nullptr, context);
}

CXmlElement* CElementCol::FromXmlUpTo_Int(CXmlElement* parentElement, CXmlElement* firstElement,
                                          const CXmlElement* stop,
                                          const CSerializationContext& context) {
  CXmlElement* current = firstElement;
  // The elements read share the collection's wildcard.
  std::shared_ptr<const CElement::Wildcard> wildcard;
  while (current != nullptr && current != stop && !IsFull() &&
         detail::IsNamespaceValid(current->GetNamespaceURI(), m_restriction, m_targetNamespace)) {
    if (!wildcard) wildcard = CElement::MakeWildcard(m_restriction, m_targetNamespace);
    CSmartPtr<CElement> element(new CElement(current->GetLocalName().c_str(),
                                             current->GetNamespaceURI().c_str(), wildcard));
    CXmlElement* next = CXmlObjectBase::FromXml_Int(element, parentElement, current, context);
    if (next == current) break;
    AppendItem(element);
    current = next;
  }
  return current;
}

CXmlElement* CElementCol::FromXmlLockElementName_Int(const wchar_t* name,
                                                     const wchar_t* namespaceUri,
                                                     CXmlElement* parentElement,
                                                     CXmlElement* firstElement,
                                                     const CSerializationContext& context) {
  const std::wstring_view wantedName = detail::OrEmpty(name);
  const std::wstring_view wantedNamespace = detail::OrEmpty(namespaceUri);
  CXmlElement* current = firstElement;
  std::shared_ptr<const CElement::Wildcard> any;
  while (current != nullptr && !IsFull() && current->GetLocalName() == wantedName &&
         current->GetNamespaceURI() == wantedNamespace) {
    if (!any) any = CElement::MakeWildcard(L"##any", m_targetNamespace);
    CSmartPtr<CElement> element(new CElement(current->GetLocalName().c_str(),
                                             current->GetNamespaceURI().c_str(), any));
    CXmlElement* next = CXmlObjectBase::FromXml_Int(element, parentElement, current, context);
    if (next == current) break;
    AppendItem(element);
    current = next;
  }
  return current;
}

}  // namespace Korvel
