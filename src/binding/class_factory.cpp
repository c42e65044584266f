// SPDX-License-Identifier: MIT
// CClassfactoryBase: reading an element's xsi:type.
#include <korvel/class_factory.h>

#include <korvel/xml_document.h>

namespace Korvel {

namespace {

constexpr std::wstring_view kXsiNamespace = L"http://www.w3.org/2001/XMLSchema-instance";

const std::wstring& XsiType(const CXmlElement* element) {
  for (const CXmlAttribute* attribute : element->GetAttributes()) {
    if (std::wstring_view(attribute->GetLocalName()) == L"type" &&
        attribute->GetNamespaceURI() == kXsiNamespace) {
      return attribute->GetValue();
    }
  }
  static const std::wstring none;
  return none;
}

std::wstring_view LocalPart(const std::wstring& type) {
  const size_t colon = type.find(L':');
  return colon == std::wstring::npos ? std::wstring_view(type)
                                     : std::wstring_view(type).substr(colon + 1);
}

// The namespace of a non-empty xsi:type, resolved in the element's own scope
// as XML resolves qualified names: an unprefixed name is in the default
// namespace there, and a prefix not bound there leaves the element's own.
const std::wstring& NamespaceOf(const CXmlElement* element, const std::wstring& type) {
  const size_t colon = type.find(L':');
  if (colon == std::wstring::npos) return element->GetDefaultNamespaceInScope();
  const std::wstring* ns =
      element->LookupNamespaceInScope(std::wstring_view(type).substr(0, colon));
  return ns && !ns->empty() ? *ns : element->GetNamespaceURI();
}

}  // namespace

CClassfactoryBase::~CClassfactoryBase() = default;

std::wstring CClassfactoryBase::GetElementType(CXmlElement* element) {
  return std::wstring(LocalPart(XsiType(element)));
}

std::wstring CClassfactoryBase::GetElementTypeNamespaceUri(CXmlElement* element) {
  const std::wstring& type = XsiType(element);
  return type.empty() ? element->GetNamespaceURI() : NamespaceOf(element, type);
}

CClassfactoryBase::ElementTypeName CClassfactoryBase::GetElementTypeName(CXmlElement* element) {
  const std::wstring& type = XsiType(element);
  if (type.empty()) return {};
  return {LocalPart(type), NamespaceOf(element, type)};
}

}  // namespace Korvel
