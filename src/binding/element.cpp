// SPDX-License-Identifier: MIT
// CElement: construction, accessors, cloning and the namespace checks.
#include <korvel/errors.h>
#include <korvel/untyped.h>

#include "binding/messages.h"
#include "binding/namespace_wildcard.h"
#include "binding/untyped_support.h"

namespace Korvel {

namespace {

bool IsWildcardKeyword(std::wstring_view ns) {
  return ns == L"##any" || ns == L"##other" || ns == L"##local" || ns == L"##targetNamespace";
}

[[noreturn]] void ThrowInvalidNamespace(const wchar_t* message) {
  throw CKvInvalidNamespaceException(message, std::wstring());
}

}  // namespace

CElement::CElement(const wchar_t* name) : CInstanceMonitor(L"CElement") {
  Init(name, L"", L"##any", L"");
}

CElement::CElement(const wchar_t* name, const wchar_t* namespaceUri)
    : CInstanceMonitor(L"CElement") {
  const wchar_t* ns = detail::OrEmpty(namespaceUri);
  if (IsWildcardKeyword(ns)) {
    ThrowInvalidNamespace(FormatString(detail::kNamespaceIsWildcardKeyword, ns).c_str());
  }
  Init(name, ns, ns, L"");
}

CElement::CElement(const wchar_t* name, const wchar_t* namespaceUri, const wchar_t* restriction,
                   const wchar_t* targetNamespace)
    : CInstanceMonitor(L"CElement") {
  Init(name, namespaceUri, restriction, targetNamespace);
}

CElement::~CElement() = default;

void CElement::Init(const wchar_t* name, const wchar_t* namespaceUri, const wchar_t* restriction,
                    const wchar_t* targetNamespace) {
  if (name == nullptr) ThrowInvalidNamespace(detail::kElementNameRequired);
  if (restriction == nullptr) ThrowInvalidNamespace(detail::kRestrictionRequired);
  if (targetNamespace == nullptr) ThrowInvalidNamespace(detail::kTargetNamespaceRequired);
  const wchar_t* ns = detail::OrEmpty(namespaceUri);
  detail::TestNamespace(ns, restriction, targetNamespace);
  m_name = name;
  SetElementName(name);
  m_namespaceUri = ns;
  m_restriction = restriction;
  m_targetNamespace = targetNamespace;
  m_attributes = new CAttributeCol(ns, L"##any", targetNamespace);
  m_childElements = new CElementCol(ns, L"##any", targetNamespace);
}

CXmlObjectBase* CElement::GetBase() { return this; }

std::wstring CElement::GetName() const { return m_name; }
std::wstring CElement::GetText() const { return m_text; }
std::wstring CElement::GetNamespace() const { return m_namespaceUri; }
std::wstring CElement::GetTargetNamespace() const { return m_namespaceUri; }
std::wstring CElement::GetDefaultNamespace() const { return m_defaultNamespace; }

void CElement::SetName(const wchar_t* name) {
  m_name = detail::OrEmpty(name);
  SetElementName(m_name.c_str());
  FireOnChangeName();
}

void CElement::SetText(const wchar_t* text) {
  m_text = detail::OrEmpty(text);
  FireOnChangeText();
}

void CElement::SetNamespace(const wchar_t* namespaceUri) {
  m_namespaceUri = detail::OrEmpty(namespaceUri);
  FireOnChangeNamespace();
}

void CElement::FireOnChangeName() {}
void CElement::FireOnChangeNamespace() {}
void CElement::FireOnChangeText() {}

CSmartPtr<CAttributeCol> CElement::GetAttributes() const { return m_attributes; }
CSmartPtr<CElementCol> CElement::GetChildElements() const { return m_childElements; }

CSmartPtr<CElement> CElement::Clone() const {
  // Built field by field: a clone is made whatever the setters did to the
  // element since its namespace was checked.
  CSmartPtr<CElement> copy(new CElement(L""));
  copy->SetName(m_name.c_str());
  copy->m_text = m_text;
  copy->m_namespaceUri = m_namespaceUri;
  copy->m_restriction = m_restriction;
  copy->m_targetNamespace = m_targetNamespace;
  copy->m_attributes = m_attributes->Clone();
  copy->m_childElements = m_childElements->Clone();
  copy->m_defaultNamespace = m_defaultNamespace;
  return copy;
}

void CElement::SetNamespaceRestrictions(const wchar_t* restriction,
                                        const wchar_t* targetNamespace) const {
  const std::wstring_view r = detail::OrEmpty(restriction);
  const std::wstring_view t = detail::OrEmpty(targetNamespace);
  if (!detail::IsNamespaceValid(m_namespaceUri, r, t)) {
    try {
      detail::TestNamespace(m_namespaceUri, r, t);
    } catch (const CKvInvalidNamespaceException& inner) {
      throw CKvInvalidNamespaceException(
          FormatString(detail::kTreeAgainstRestriction, m_namespaceUri.c_str(), m_name.c_str(),
                       std::wstring(r).c_str()),
          std::wstring(), inner);
    }
  }
  for (const CAttribute& attribute : *m_attributes) {
    detail::TestNamespace(attribute.m_namespaceUri, r, t);
  }
  for (const CElement& child : *m_childElements) {
    child.SetNamespaceRestrictions(restriction, targetNamespace);
  }
}

}  // namespace Korvel
