// SPDX-License-Identifier: MIT
// CXmlElement's lookups of attributes and child elements by qualified name.
#include <korvel/xml_document.h>

#include <string_view>

namespace Korvel {

namespace {

template <class Node>
bool HasName(const Node& node, std::wstring_view localName,
             std::wstring_view namespaceUri) noexcept {
  return node.GetLocalName() == localName && node.GetNamespaceURI() == namespaceUri;
}

const CXmlElement* FirstNamed(const CXmlElement* element, std::wstring_view localName,
                              std::wstring_view namespaceUri) noexcept {
  while (element && !HasName(*element, localName, namespaceUri)) {
    element = element->GetNextSiblingElement();
  }
  return element;
}

}  // namespace

const CXmlAttribute* CXmlElement::FindAttribute(std::wstring_view localName,
                                                std::wstring_view namespaceUri) const noexcept {
  for (const CXmlAttribute* attribute : m_attributes) {
    if (HasName(*attribute, localName, namespaceUri)) return attribute;
  }
  return nullptr;
}

const CXmlElement* CXmlElement::FindChildElement(std::wstring_view localName,
                                                 std::wstring_view namespaceUri) const noexcept {
  return FirstNamed(m_firstChild, localName, namespaceUri);
}

const CXmlElement* CXmlElement::FindNextSiblingElement(
    std::wstring_view localName, std::wstring_view namespaceUri) const noexcept {
  return FirstNamed(m_nextSibling, localName, namespaceUri);
}

CXmlElementRange CXmlElement::GetChildElements() const noexcept {
  return CXmlElementRange(m_firstChild, nullptr);
}

CXmlElementRange CXmlElement::GetChildElements(std::wstring_view localName,
                                               std::wstring_view namespaceUri) const noexcept {
  // The strings are compared once, to find the first match; its interned name
  // then identifies the others by address.
  const CXmlElement* first = FirstNamed(m_firstChild, localName, namespaceUri);
  return CXmlElementRange(first, first ? first->m_name : nullptr);
}

}  // namespace Korvel
