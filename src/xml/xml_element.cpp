// SPDX-License-Identifier: MIT
// CXmlElement and CXmlAttribute: accessors, paths and the reader-side operations.
#include <korvel/xml_document.h>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/xml_document_data.h"

namespace Korvel {

using detail::XmlName;
using detail::XmlTreeBuilder;

namespace {

constexpr std::wstring_view kInstanceNamespace = L"http://www.w3.org/2001/XMLSchema-instance";
constexpr std::wstring_view kXmlnsNamespace = L"http://www.w3.org/2000/xmlns/";

std::wstring_view View(const wchar_t* text) noexcept {
  return text ? std::wstring_view(text) : std::wstring_view();
}

bool InSchemaNamespace(const std::wstring& namespaceUri) noexcept {
  return namespaceUri == kInstanceNamespace || namespaceUri == kXmlnsNamespace;
}

// Text delivered in many small pieces is accumulated in amortised linear time.
void ReserveForAppend(std::wstring& text, size_t extra) {
  const size_t needed = text.size() + extra;
  if (!text.empty() && needed > text.capacity()) {
    text.reserve(std::max(needed, 2 * text.capacity()));
  }
}

}  // namespace

// --- CXmlAttributeList -----------------------------------------------------------

CXmlAttributeList::const_iterator CXmlAttributeList::begin() const noexcept {
  return m_block ? m_block->Items() : nullptr;
}

size_t CXmlAttributeList::size() const noexcept { return m_block ? m_block->size : 0; }

// --- CXmlAttribute ---------------------------------------------------------------

CXmlAttribute::~CXmlAttribute() = default;

const std::wstring& CXmlAttribute::GetLocalName() const noexcept { return m_name->localName; }

const std::wstring& CXmlAttribute::GetNamespaceURI() const noexcept { return m_name->namespaceUri; }

std::wstring CXmlAttribute::GetXPath() const {
  std::wstring path = m_owner->GetXPath();
  path += L"/@";
  XmlTreeBuilder::AppendQualifiedName(path, *m_name);
  return path;
}

bool CXmlAttribute::IsNamespaceAttribute() const noexcept {
  if (!InSchemaNamespace(m_name->namespaceUri)) return false;
  const std::wstring_view name = m_name->localName;
  return name == L"xmlns" || name == L"type" || name == L"schemaLocation" ||
         name == L"noNamespaceSchemaLocation";
}

bool CXmlAttribute::IsNilAttribute() const noexcept {
  return InSchemaNamespace(m_name->namespaceUri) && std::wstring_view(m_name->localName) == L"nil";
}

// --- CXmlElement -----------------------------------------------------------------

CXmlElement::~CXmlElement() = default;

const CXmlDocument* CXmlElement::GetDocument() const noexcept { return m_name->document; }

const std::wstring& CXmlElement::GetLocalName() const noexcept { return m_name->localName; }

const std::wstring& CXmlElement::GetNamespaceURI() const noexcept { return m_name->namespaceUri; }

const std::wstring& CXmlElement::GetAttribute(const wchar_t* localName,
                                              const wchar_t* namespaceUri) const {
  const std::wstring_view local = View(localName);
  const std::wstring_view uri = View(namespaceUri);
  for (const CXmlAttribute* attribute : m_attributes) {
    if (attribute->GetLocalName() == local && attribute->GetNamespaceURI() == uri) {
      return attribute->GetValue();
    }
  }
  return detail::EmptyText();
}

std::wstring CXmlElement::GetXPath() const {
  // The ancestors are collected first rather than recursed through: documents
  // may be nested far deeper than the stack could follow.
  std::vector<const CXmlElement*> chain;
  for (const CXmlElement* element = this; element; element = element->m_parent) {
    chain.push_back(element);
  }
  std::wstring path;
  for (auto step = chain.rbegin(); step != chain.rend(); ++step) {
    path += L'/';
    XmlTreeBuilder::AppendNameWithPredicate(path, **step);
  }
  return path;
}

void XmlTreeBuilder::AppendNameWithPredicate(std::wstring& path, const CXmlElement& element) {
  AppendQualifiedName(path, *element.m_name);
  if (!element.m_parent) return;
  size_t sameName = 0;
  size_t position = 0;
  // Siblings a read has given back still count.
  const auto& released = DocumentOf(element).m_data->releasedChildren;
  if (const auto found = released.find(element.m_parent); found != released.end()) {
    for (const ReleasedChildren& children : found->second) {
      if (HaveSameQualifiedName(children.name, element.m_name)) sameName += children.count;
    }
  }
  for (const CXmlElement* sibling = element.m_parent->m_firstChild; sibling;
       sibling = sibling->m_nextSibling) {
    if (sibling == &element || HaveSameQualifiedName(sibling->m_name, element.m_name)) {
      ++sameName;
      if (sibling == &element) position = sameName;
    }
  }
  // An element unlinked from its parent has no position to show.
  if (sameName > 1 && position > 0) {
    path += L'[';
    path += std::to_wstring(position);
    path += L']';
  }
}

void CXmlElement::AppendText(const wchar_t* text) { AppendText(text, View(text).size()); }

void CXmlElement::AppendText(const wchar_t* text, size_t length) {
  if (!text || length == 0) return;
  std::wstring& own = XmlTreeBuilder::MutableText(this);
  ReserveForAppend(own, length);
  own.append(text, length);
}

// The text the element may change: shared texts are copied first.
std::wstring& XmlTreeBuilder::MutableText(CXmlElement* element) {
  CXmlDocument& document = DocumentOf(*element);
  const std::wstring*& text = element->m_text;
  if (text == &detail::EmptyText() || document.m_data->layoutTexts.Holds(text)) {
    text = NewString(*element, *text);
  }
  return *const_cast<std::wstring*>(text);
}

CXmlElement* CXmlElement::CreateNewChildElement() {
  CXmlElement* child = XmlTreeBuilder::NewElement(
      *m_name->document, this, XmlTreeBuilder::InternName(*m_name->document, {}, {}),
      XmlTreeBuilder::DepthOf(*this) + 1);
  XmlTreeBuilder::LinkLastChild(this, child);
  return child;
}

CXmlElement* CXmlElement::RemoveLastChildElement() {
  CXmlElement* child = m_lastChild;
  if (child) XmlTreeBuilder::UnlinkChild(this, child, nullptr);
  return child;
}

void CXmlElement::SetElementName(const wchar_t* localName) {
  m_name = XmlTreeBuilder::InternName(*m_name->document, m_name->namespaceUri, View(localName));
}

void CXmlElement::SetNamespace(const wchar_t* namespaceUri) {
  m_name = XmlTreeBuilder::InternName(*m_name->document, View(namespaceUri), m_name->localName);
}

void CXmlElement::AddAttribute(const wchar_t* localName, const wchar_t* value,
                               const wchar_t* namespaceUri) {
  XmlTreeBuilder::AddElementAttribute(this, localName, value, namespaceUri);
}

}  // namespace Korvel
