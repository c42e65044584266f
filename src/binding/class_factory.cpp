// SPDX-License-Identifier: MIT
// CClassfactoryBase: reading an element's xsi:type.
#include <korvel/class_factory.h>

#include <korvel/xml_document.h>

namespace Korvel {

namespace {

constexpr wchar_t kXsiNamespace[] = L"http://www.w3.org/2001/XMLSchema-instance";

const std::wstring& XsiType(const CXmlElement* element) {
  return element->GetAttribute(L"type", kXsiNamespace);
}

}  // namespace

CClassfactoryBase::~CClassfactoryBase() = default;

std::wstring CClassfactoryBase::GetElementType(CXmlElement* element) {
  const std::wstring& type = XsiType(element);
  const size_t colon = type.find(L':');
  return colon == std::wstring::npos ? type : type.substr(colon + 1);
}

std::wstring CClassfactoryBase::GetElementTypeNamespaceUri(CXmlElement* element) {
  const std::wstring& type = XsiType(element);
  const size_t colon = type.find(L':');
  // Resolved in the element's own scope, as XML resolves qualified names; an
  // unprefixed name is in the default namespace there.
  if (colon == std::wstring::npos) {
    return type.empty() ? element->GetNamespaceURI() : element->GetDefaultNamespaceInScope();
  }
  // A prefix not bound there leaves the element's own namespace.
  const std::wstring* ns = element->LookupNamespaceInScope(std::wstring_view(type).substr(0, colon));
  return ns && !ns->empty() ? *ns : element->GetNamespaceURI();
}

}  // namespace Korvel
