// SPDX-License-Identifier: MIT
// CXmlElement and CXmlAttribute: accessors, paths and the reader-side operations.
#include <korvel/xml_document.h>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/xml_document_data.h"

namespace Korvel {

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

// --- CXmlAttribute ---------------------------------------------------------------

CXmlAttribute::CXmlAttribute(const CXmlElement* owner, const detail::XmlName* name,
                             const std::wstring* value) noexcept
    : CInstanceMonitor(L"CXmlAttribute"), m_owner(owner), m_name(name), m_value(value) {}

CXmlAttribute::~CXmlAttribute() = default;

std::wstring CXmlAttribute::GetXPath() const {
  std::wstring path = m_owner->GetXPath();
  path += L"/@";
  m_name->document->AppendQualifiedName(path, *m_name);
  return path;
}

bool CXmlAttribute::IsNamespaceAttribute() const noexcept {
  if (!InSchemaNamespace(m_name->namespaceUri)) return false;
  const std::wstring& name = m_name->localName;
  return name == L"xmlns" || name == L"type" || name == L"schemaLocation" ||
         name == L"noNamespaceSchemaLocation";
}

bool CXmlAttribute::IsNilAttribute() const noexcept {
  return InSchemaNamespace(m_name->namespaceUri) && m_name->localName == L"nil";
}

// --- CXmlElement -----------------------------------------------------------------

CXmlElement::CXmlElement(CXmlElement* parent, const detail::XmlName* name) noexcept
    : CInstanceMonitor(L"CXmlElement"),
      m_parent(parent),
      m_text(&detail::EmptyText()),
      m_name(name) {}

CXmlElement::~CXmlElement() = default;

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
    (*step)->AppendNameWithPredicate(path);
  }
  return path;
}

void CXmlElement::AppendNameWithPredicate(std::wstring& path) const {
  const CXmlDocument* document = m_name->document;
  document->AppendQualifiedName(path, *m_name);
  if (!m_parent) return;
  size_t sameName = 0;
  size_t position = 0;
  for (const CXmlElement* sibling = m_parent->m_firstChild; sibling;
       sibling = sibling->m_nextSibling) {
    if (sibling == this || document->HaveSameQualifiedName(sibling->m_name, m_name)) {
      ++sameName;
      if (sibling == this) position = sameName;
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
  std::wstring& own = MutableText();
  ReserveForAppend(own, length);
  own.append(text, length);
}

// The text the element may change: shared texts are copied first.
std::wstring& CXmlElement::MutableText() {
  CXmlDocument& document = *m_name->document;
  if (m_text == &detail::EmptyText() || document.m_data->layoutTexts.Holds(m_text)) {
    std::wstring* own = document.NewString();
    try {
      own->assign(*m_text);
    } catch (...) {
      document.ReleaseString(own);
      throw;
    }
    m_text = own;
  }
  return *const_cast<std::wstring*>(m_text);
}

CXmlElement* CXmlElement::CreateNewChildElement() {
  CXmlDocument& document = *m_name->document;
  CXmlElement* child = document.NewElement(this, document.m_data->names.Empty());
  CXmlDocument::LinkLastChild(this, child);
  return child;
}

CXmlElement* CXmlElement::RemoveLastChildElement() {
  CXmlElement* child = m_lastChild;
  if (child) CXmlDocument::UnlinkChild(this, child, nullptr);
  return child;
}

void CXmlElement::SetElementName(const wchar_t* localName) {
  m_name = m_name->document->InternName(m_name->namespaceUri, View(localName));
}

void CXmlElement::SetNamespace(const wchar_t* namespaceUri) {
  m_name = m_name->document->InternName(View(namespaceUri), m_name->localName);
}

void CXmlElement::AddAttribute(const wchar_t* localName, const wchar_t* value,
                               const wchar_t* namespaceUri) {
  CXmlDocument::AddElementAttribute(this, localName, value, namespaceUri);
}

}  // namespace Korvel
