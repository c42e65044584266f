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
    : CElementCol(detail::MakeUntypedScope(detail::OrEmpty(restriction),
                                           detail::OrEmpty(targetNamespace),
                                           detail::OrEmpty(namespaceUri)),
                  minOccurs, maxOccurs) {
  // An empty namespace only means that none was chosen for new elements.
  if (!m_scope->namespaceUri.empty()) {
    detail::TestNamespace(m_scope->namespaceUri, Restriction(), TargetNamespace());
  }
}

CElementCol::CElementCol(std::shared_ptr<const detail::UntypedScope> scope, int32_t minOccurs,
                         int32_t maxOccurs)
    : CXmlCollection(L"", nullptr, minOccurs, maxOccurs),
      CInstanceMonitor(L"CElementCol"),
      m_scope(std::move(scope)) {}

CElementCol::~CElementCol() = default;

std::wstring CElementCol::GetNamespace() const { return TargetNamespace(); }
std::wstring CElementCol::GetTargetNamespace() const { return TargetNamespace(); }
const std::wstring& CElementCol::GetNamespaceRestriction() const noexcept { return Restriction(); }
const std::wstring& CElementCol::Restriction() const noexcept { return m_scope->restriction; }
const std::wstring& CElementCol::TargetNamespace() const noexcept {
  return m_scope->targetNamespace;
}

bool CElementCol::IsFull() const noexcept {
  return GetMaxOccurs() != -1 && GetCount() >= GetMaxOccurs();
}

CSmartPtr<CElement> CElementCol::Add(const wchar_t* name, const wchar_t* namespaceUri) {
  detail::TestNamespace(detail::OrEmpty(namespaceUri), Restriction(), TargetNamespace());
  CSmartPtr<CElement> element(
      new CElement(name, namespaceUri, Restriction().c_str(), TargetNamespace().c_str()));
  AppendItem(element);
  return element;
}

CSmartPtr<CElement> CElementCol::Add(const wchar_t* name) {
  // A wildcard keyword is never a namespace: without a namespace of its own
  // the collection adds unqualified elements, where the wildcard admits them.
  if (m_scope->namespaceUri.empty() &&
      !detail::IsNamespaceValid(L"", Restriction(), TargetNamespace())) {
    throw CKvInvalidStateException(detail::kCollectionHasNoNamespace);
  }
  return Add(name, m_scope->namespaceUri.c_str());
}

void CElementCol::Add(CElement* element) {
  if (element == nullptr) ThrowNullItem();
  detail::TestNamespace(element->m_namespaceUri, Restriction(), TargetNamespace());
  AppendItem(element);
}

void CElementCol::AddAfter(CElement* existing, CElement* element) {
  if (element == nullptr) ThrowNullItem();
  detail::TestNamespace(element->m_namespaceUri, Restriction(), TargetNamespace());
  AddAfterItem(existing, element);
}

void CElementCol::AddBefore(CElement* existing, CElement* element) {
  if (element == nullptr) ThrowNullItem();
  detail::TestNamespace(element->m_namespaceUri, Restriction(), TargetNamespace());
  AddBeforeItem(existing, element);
}

CSmartPtr<CElement> CElementCol::Item(int32_t index) const {
  return static_cast<CElement*>(GetNodeAtIndex(index)->item.Get());
}

CSmartPtr<CElementCol> CElementCol::CloneSettings() const {
  return new CElementCol(m_scope, GetMinOccurs(), GetMaxOccurs());
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
  while (current != nullptr && current != stop && !IsFull() &&
         detail::IsNamespaceValid(current->GetNamespaceURI(), Restriction(), TargetNamespace())) {
    CSmartPtr<CElement> element(new CElement(current->GetLocalName().c_str(),
                                             current->GetNamespaceURI().c_str(), m_scope));
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
  const std::shared_ptr<const detail::UntypedScope> any =
      detail::AnyScopeOf(m_scope, m_scope->namespaceUri);
  while (current != nullptr && !IsFull() && current->GetLocalName() == wantedName &&
         current->GetNamespaceURI() == wantedNamespace) {
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
