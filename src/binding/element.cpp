// SPDX-License-Identifier: MIT
// CElement: construction, accessors, cloning and the namespace checks.
#include <korvel/untyped.h>

#include <algorithm>
#include <utility>
#include <vector>

#include <korvel/errors.h>

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

// Whether holder is the only reference to object.
bool IsOnlyHolder(CXmlObjectBase* object) {
  const bool only = object->AddRef() == 2;
  object->Release();
  return only;
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

CElement::CElement(const CElement& other)
    : CXmlObjectBase(other),
      CInstanceMonitor(other),
      m_name(other.m_name),
      m_text(other.m_text),
      m_namespaceUri(other.m_namespaceUri),
      m_wildcard(other.m_wildcard),
      m_attributes(other.m_attributes),
      m_childElements(other.m_childElements),
      m_defaultNamespace(other.m_defaultNamespace) {
  SetElementName(m_name.c_str(), m_name);
}

CElement& CElement::operator=(const CElement& other) {
  if (this == &other) return *this;
  CXmlObjectBase::operator=(other);
  m_name = other.m_name;
  m_text = other.m_text;
  m_namespaceUri = other.m_namespaceUri;
  m_wildcard = other.m_wildcard;
  m_attributes = other.m_attributes;
  m_childElements = other.m_childElements;
  m_defaultNamespace = other.m_defaultNamespace;
  SetElementName(m_name.c_str(), m_name);
  return *this;
}

// A deep tree is taken apart here a level at a time rather than by nested
// releases, which would need stack in proportion to its depth. Elements that
// are held elsewhere as well keep their children.
CElement::~CElement() {
  std::vector<CSmartPtr<CElement>> orphans;
  const auto adopt = [&orphans](const CSmartPtr<CElementCol>& children) {
    if (!children || !IsOnlyHolder(children)) return;
    while (auto* node = children->GetFirstNode()) {
      orphans.emplace_back(static_cast<CElement*>(node->item.Get()));
      children->RemoveNode(node);
    }
  };
  adopt(m_childElements);
  while (!orphans.empty()) {
    CSmartPtr<CElement> element = std::move(orphans.back());
    orphans.pop_back();
    if (IsOnlyHolder(element)) adopt(element->m_childElements);
  }
}

void CElement::Init(const wchar_t* name, const wchar_t* namespaceUri, const wchar_t* restriction,
                    const wchar_t* targetNamespace) {
  if (name == nullptr) ThrowInvalidNamespace(detail::kElementNameRequired);
  if (restriction == nullptr) ThrowInvalidNamespace(detail::kRestrictionRequired);
  if (targetNamespace == nullptr) ThrowInvalidNamespace(detail::kTargetNamespaceRequired);
  const wchar_t* ns = detail::OrEmpty(namespaceUri);
  detail::TestNamespace(ns, restriction, targetNamespace);
  m_name = name;
  // The element name is the local name, kept once.
  SetElementName(m_name.c_str(), m_name);
  m_namespaceUri = ns;
  m_wildcard = detail::MakeUntypedScope(restriction, targetNamespace, L"");
  m_attributes = nullptr;
  m_childElements = nullptr;
}

CElement::CElement(const wchar_t* name, const wchar_t* namespaceUri,
                   std::shared_ptr<const detail::UntypedScope> wildcard)
    : CInstanceMonitor(L"CElement"),
      m_name(name),
      m_namespaceUri(namespaceUri),
      m_wildcard(std::move(wildcard)) {
  SetElementName(m_name.c_str(), m_name);
}

std::shared_ptr<const detail::UntypedScope> CElement::ChildScope() const {
  return detail::AnyScopeOf(m_wildcard, m_namespaceUri);
}

const std::wstring& CElement::Restriction() const noexcept { return m_wildcard->restriction; }
const std::wstring& CElement::TargetNamespace() const noexcept {
  return m_wildcard->targetNamespace;
}

CAttributeCol& CElement::Attributes() const {
  if (!m_attributes) m_attributes = new CAttributeCol(ChildScope());
  return *m_attributes;
}

CElementCol& CElement::Children() const {
  if (!m_childElements) m_childElements = new CElementCol(ChildScope(), 0, -1);
  return *m_childElements;
}

CXmlObjectBase* CElement::GetBase() { return this; }

std::wstring CElement::GetName() const { return m_name; }
std::wstring CElement::GetText() const { return m_text; }
std::wstring CElement::GetNamespace() const { return m_namespaceUri; }
std::wstring CElement::GetTargetNamespace() const { return m_namespaceUri; }
std::wstring CElement::GetDefaultNamespace() const { return m_defaultNamespace; }

void CElement::SetName(const wchar_t* name) {
  m_name = detail::OrEmpty(name);
  SetElementName(m_name.c_str(), m_name);
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

CSmartPtr<CAttributeCol> CElement::GetAttributes() const { return &Attributes(); }
CSmartPtr<CElementCol> CElement::GetChildElements() const { return &Children(); }

CSmartPtr<CElement> CElement::CloneNode() const {
  // Built field by field: a clone is made whatever the setters did to the
  // element since its namespace was checked.
  CSmartPtr<CElement> copy(new CElement(L""));
  copy->SetName(m_name.c_str());
  copy->m_text = m_text;
  copy->m_namespaceUri = m_namespaceUri;
  copy->m_wildcard = m_wildcard;
  if (m_attributes) copy->m_attributes = m_attributes->Clone();
  if (m_childElements) copy->m_childElements = m_childElements->CloneSettings();
  copy->m_defaultNamespace = m_defaultNamespace;
  return copy;
}

// Iterative, as reading and writing are.
CSmartPtr<CElement> CElement::Clone() const {
  CSmartPtr<CElement> root = CloneNode();
  std::vector<std::pair<const CElement*, CElement*>> pending{{this, root.Get()}};
  while (!pending.empty()) {
    const auto [source, target] = pending.back();
    pending.pop_back();
    if (!source->m_childElements) continue;
    for (const CElement& child : *source->m_childElements) {
      CSmartPtr<CElement> copy = child.CloneNode();
      target->m_childElements->AppendItem(copy);
      pending.emplace_back(&child, copy.Get());
    }
  }
  return root;
}

void CElement::CheckOwnNamespaces(std::wstring_view restriction,
                                  std::wstring_view targetNamespace) const {
  if (!detail::IsNamespaceValid(m_namespaceUri, restriction, targetNamespace)) {
    try {
      detail::TestNamespace(m_namespaceUri, restriction, targetNamespace);
    } catch (const CKvInvalidNamespaceException& inner) {
      throw CKvInvalidNamespaceException(
          FormatString(detail::kTreeAgainstRestriction, m_namespaceUri.c_str(), m_name.c_str(),
                       std::wstring(restriction).c_str()),
          std::wstring(), inner);
    }
  }
  if (!m_attributes) return;
  for (const CAttribute& attribute : *m_attributes) {
    detail::TestNamespace(attribute.m_namespaceUri, restriction, targetNamespace);
  }
}

// Each element before its children, in document order.
void CElement::SetNamespaceRestrictions(const wchar_t* restriction,
                                        const wchar_t* targetNamespace) const {
  const std::wstring_view r = detail::OrEmpty(restriction);
  const std::wstring_view t = detail::OrEmpty(targetNamespace);
  std::vector<const CElement*> pending{this};
  while (!pending.empty()) {
    const CElement* element = pending.back();
    pending.pop_back();
    element->CheckOwnNamespaces(r, t);
    const size_t first = pending.size();
    if (element->m_childElements) {
      for (const CElement& child : *element->m_childElements) pending.push_back(&child);
    }
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
  }
}

}  // namespace Korvel
