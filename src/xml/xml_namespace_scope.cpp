// SPDX-License-Identifier: MIT
// CXmlElement's namespace scope: the prefixes bound on an element and its
// ancestors, from the declarations its document recorded for them.
#include <korvel/xml_document.h>

#include <korvel/xml_writer.h>

#include "xml/xml_document_data.h"

namespace Korvel {

using detail::NamespaceDeclarations;
using detail::XmlTreeBuilder;

namespace {

const std::wstring* Find(const NamespaceDeclarations& declarations,
                         std::wstring_view prefix) noexcept {
  for (const detail::NamespaceDeclaration& declaration : declarations) {
    if (declaration.prefix == prefix) return &declaration.namespaceUri;
  }
  return nullptr;
}

}  // namespace

const std::wstring* CXmlElement::FindNamespaceDeclaration(std::wstring_view prefix) const noexcept {
  const NamespaceDeclarations* declarations = XmlTreeBuilder::DeclarationsOf(*this);
  return declarations ? Find(*declarations, prefix) : nullptr;
}

const std::wstring* CXmlElement::LookupNamespaceInScope(std::wstring_view prefix) const noexcept {
  for (const CXmlElement* element = this; element; element = element->m_parent) {
    if (const std::wstring* uri = element->FindNamespaceDeclaration(prefix)) return uri;
  }
  if (prefix == L"xml") {
    static const std::wstring kXmlNamespace = CXmlWriter::XML_NAMESPACE;
    return &kXmlNamespace;
  }
  return nullptr;
}

const std::wstring& CXmlElement::GetDefaultNamespaceInScope() const noexcept {
  const std::wstring* uri = LookupNamespaceInScope(std::wstring_view());
  return uri ? *uri : detail::EmptyText();
}

}  // namespace Korvel
