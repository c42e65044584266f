// SPDX-License-Identifier: MIT
// XmlTreeWriter: namespace resolution and tree building for the JSON mapping.
#include "json/json_tree_writer.h"

#include <korvel/errors.h>

#include "json/messages.h"
#include "xml/writer_messages.h"
#include "xml/xml_tree_builder.h"

namespace Korvel::detail {

namespace {

constexpr std::wstring_view kXmlns = L"xmlns";

// The prefix of a qualified name (empty without one) and its local part.
std::pair<std::wstring_view, std::wstring_view> Split(std::wstring_view name) {
  const size_t colon = name.find(L':');
  if (colon == std::wstring_view::npos) return {{}, name};
  return {name.substr(0, colon), name.substr(colon + 1)};
}

}  // namespace

XmlTreeWriter::XmlTreeWriter(CXmlDocument& document)
    : CXmlWriter(L"XmlTreeWriter"), m_document(document) {
  m_bindings.push_back({L"xml", XML_NAMESPACE});
}

XmlTreeWriter::~XmlTreeWriter() = default;

void XmlTreeWriter::Close() {
  if (m_startTagOpen || !m_open.empty()) ThrowWriterError(kElementNotClosed);
}

void XmlTreeWriter::AddNamespaceAlias(const std::wstring&, const std::wstring&) {}
void XmlTreeWriter::SetDefaultNamespace(const std::wstring&) {}
void XmlTreeWriter::WriteComment(const std::wstring&) {}
void XmlTreeWriter::WriteProcessingInstruction(const std::wstring&) {}
void XmlTreeWriter::WriteInLineSchema(const std::wstring&) {}
void XmlTreeWriter::WriteXsiType(const std::wstring&, const std::wstring&, ItemType) {}

void XmlTreeWriter::StartElement(const std::wstring& name, const std::wstring&) {
  CompleteStartTag();
  if (m_open.empty() && m_document.GetDocumentElement() != nullptr) {
    ThrowJsonValidationError(FormatString(kJsonSecondRoot, name.c_str()), std::wstring());
  }
  m_startTagOpen = true;
  m_nil = false;
  m_name = name;
  m_attributes.clear();
}

void XmlTreeWriter::WriteAttribute(const std::wstring& name, const std::wstring&,
                                   const std::wstring& value, ItemType) {
  if (!m_startTagOpen) ThrowWriterError(kAttributesBeforeElements);
  for (const auto& attribute : m_attributes) {
    if (attribute.first == name) {
      ThrowJsonValidationError(FormatString(kJsonRepeatedAttribute, name.c_str()), std::wstring());
    }
  }
  m_attributes.emplace_back(name, value);
}

void XmlTreeWriter::WriteNil() {
  if (!m_startTagOpen) ThrowWriterError(kAttributesBeforeElements);
  m_nil = true;
}

void XmlTreeWriter::WriteText(const std::wstring& text, ItemType, bool) {
  CompleteStartTag();
  if (m_open.empty()) ThrowWriterError(kNoElementOpen);
  CXmlElement* element = m_open.back();
  // An element's whole text, as values usually are, may be a shared one
  // (shared values hold no carriage return).
  if (element->GetText().empty() && text.find(L'\r') == std::wstring::npos) {
    if (const std::wstring* shared = XmlTreeBuilder::ShareText(m_document, text, m_sharing)) {
      XmlTreeBuilder::SetText(element, shared);
      return;
    }
  }
  // JSON escapes carriage returns, so they are text, not line ends to normalise.
  XmlTreeBuilder::AppendText(element, text.c_str(), text.size());
}

void XmlTreeWriter::EndElement() {
  CompleteStartTag();
  if (m_open.empty()) ThrowWriterError(kNoElementOpen);
  XmlTreeBuilder::EndElement(m_document);
  m_open.pop_back();
  m_bindings.resize(m_scopes.back());
  m_scopes.pop_back();
}

void XmlTreeWriter::CompleteStartTag() {
  if (!m_startTagOpen) return;
  m_startTagOpen = false;
  m_scopes.push_back(m_bindings.size());
  for (const auto& [name, value] : m_attributes) {
    const auto [prefix, local] = Split(name);
    if (prefix.empty() && local == kXmlns) {
      m_bindings.push_back({std::wstring(), value});
    } else if (prefix == kXmlns) {
      // A prefix cannot be undeclared in XML 1.0.
      if (value.empty()) {
        ThrowJsonValidationError(FormatString(kJsonUndeclaredPrefix, name.c_str()), {});
      }
      m_bindings.push_back({std::wstring(local), value});
    } else {
      continue;
    }
    XmlTreeBuilder::AddNamespaceDeclaration(m_document, m_bindings.back().prefix, value);
  }
  const auto [prefix, local] = Split(m_name);
  m_local.assign(local);
  const std::wstring& uri = Resolve(prefix, m_name);
  CXmlElement* element =
      m_open.empty() ? XmlTreeBuilder::AddDocElement(m_document, uri.c_str(), m_local.c_str())
                     : XmlTreeBuilder::AddChildElement(m_document, uri.c_str(), m_local.c_str());
  m_open.push_back(element);
  for (const auto& [name, value] : m_attributes) {
    const auto [attributePrefix, attributeLocal] = Split(name);
    if (attributePrefix == kXmlns || (attributePrefix.empty() && attributeLocal == kXmlns)) {
      continue;
    }
    // The default namespace does not apply to attributes.
    const std::wstring* attributeUri = &EmptyString();
    if (!attributePrefix.empty()) attributeUri = &Resolve(attributePrefix, name);
    m_local.assign(attributeLocal);
    XmlTreeBuilder::AddElementAttribute(element, m_local.c_str(), value.c_str(),
                                        attributeUri->c_str());
  }
  if (m_nil) XmlTreeBuilder::AddElementAttribute(element, L"nil", L"true", XSI_NAMESPACE);
}

const std::wstring& XmlTreeWriter::Resolve(std::wstring_view prefix,
                                           std::wstring_view qualifiedName) const {
  for (auto it = m_bindings.rbegin(); it != m_bindings.rend(); ++it) {
    if (it->prefix == prefix) return it->uri;
  }
  if (prefix.empty()) return EmptyString();
  const std::wstring name(qualifiedName);
  ThrowJsonValidationError(FormatString(kJsonUndeclaredPrefix, name.c_str()), std::wstring());
}

const std::wstring& XmlTreeWriter::EmptyString() {
  static const std::wstring empty;
  return empty;
}

}  // namespace Korvel::detail
