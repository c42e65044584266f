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
  m_attributeCount = 0;
}

void XmlTreeWriter::WriteAttribute(const std::wstring& name, const std::wstring&,
                                   const std::wstring& value, ItemType) {
  if (!m_startTagOpen) ThrowWriterError(kAttributesBeforeElements);
  for (size_t i = 0; i < m_attributeCount; ++i) {
    if (m_attributes[i].first == name) {
      ThrowJsonValidationError(FormatString(kJsonRepeatedAttribute, name.c_str()), std::wstring());
    }
  }
  if (m_attributeCount == m_attributes.size()) m_attributes.emplace_back();
  auto& [heldName, heldValue] = m_attributes[m_attributeCount++];
  heldName.assign(name);
  heldValue.assign(value);
}

void XmlTreeWriter::WriteNil() {
  if (!m_startTagOpen) ThrowWriterError(kAttributesBeforeElements);
  m_nil = true;
}

void XmlTreeWriter::WriteText(const std::wstring& text, ItemType, bool) {
  CompleteStartTag();
  if (m_open.empty()) ThrowWriterError(kNoElementOpen);
  CXmlElement* element = m_open.back();
  // An element's whole text, as values usually are, may be a shared one.
  if (element->GetText().empty()) {
    if (const std::wstring* shared = Shared(text)) {
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
  if (m_bindings.size() != m_scopes.back()) {
    m_bindings.resize(m_scopes.back());
    ++m_generation;
  }
  m_scopes.pop_back();
}

void XmlTreeWriter::CompleteStartTag() {
  if (!m_startTagOpen) return;
  m_startTagOpen = false;
  m_scopes.push_back(m_bindings.size());
  for (size_t i = 0; i < m_attributeCount; ++i) {
    const auto& [name, value] = m_attributes[i];
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
    ++m_generation;
    XmlTreeBuilder::AddNamespaceDeclaration(m_document, m_bindings.back().prefix, value);
  }
  CXmlElement* element = XmlTreeBuilder::OpenElement(m_document, NameOf(m_name, true));
  m_open.push_back(element);
  for (size_t i = 0; i < m_attributeCount; ++i) {
    const auto& [name, value] = m_attributes[i];
    const auto [prefix, local] = Split(name);
    if (prefix == kXmlns || (prefix.empty() && local == kXmlns)) continue;
    XmlTreeBuilder::AppendAttribute(element, NameOf(name, false), Hold(*element, value));
  }
  if (m_nil) {
    static const std::wstring kTrue = L"true";
    XmlTreeBuilder::AppendAttribute(element,
                                    XmlTreeBuilder::InternName(m_document, XSI_NAMESPACE, L"nil"),
                                    Hold(*element, kTrue));
  }
}

const XmlName* XmlTreeWriter::NameOf(const std::wstring& qualifiedName, bool element) {
  const size_t size = qualifiedName.size();
  const size_t hash = size == 0 ? 0
                                : size * 31 + static_cast<size_t>(qualifiedName[0]) * 7 +
                                      static_cast<size_t>(qualifiedName[size / 2]) * 3 +
                                      static_cast<size_t>(qualifiedName[size - 1]);
  CachedName& cached = m_names[(hash * 2 + element) % kCachedNames];
  if (cached.generation == m_generation && cached.element == element &&
      cached.spelling == qualifiedName) {
    return cached.name;
  }
  const auto [prefix, local] = Split(qualifiedName);
  // The default namespace does not apply to attributes.
  const std::wstring& uri =
      element || !prefix.empty() ? Resolve(prefix, qualifiedName) : EmptyString();
  const XmlName* name = XmlTreeBuilder::InternName(m_document, uri, local);
  cached.spelling.assign(qualifiedName);
  cached.name = name;
  cached.generation = m_generation;
  cached.element = element;
  return name;
}

const std::wstring* XmlTreeWriter::Hold(const CXmlElement& owner, const std::wstring& value) {
  if (value.empty()) return &EmptyText();
  if (const std::wstring* shared = Shared(value)) return shared;
  return XmlTreeBuilder::NewString(owner, value);
}

const std::wstring* XmlTreeWriter::Shared(std::wstring_view text) {
  // Shared values hold no carriage return.
  if (!m_sharing.Wants(text.size()) || text.find(L'\r') != std::wstring_view::npos) return nullptr;
  const std::string_view spelling(reinterpret_cast<const char*>(text.data()),
                                  text.size() * sizeof(wchar_t));
  const uint64_t hash = m_sharedTexts.Hash(spelling);
  if (const std::wstring* found = m_sharedTexts.Find(spelling, hash)) {
    m_sharing.Hit();
    return found;
  }
  if (!m_sharing.Admit(m_sharedTexts.Size())) return nullptr;
  const std::wstring* held = XmlTreeBuilder::InternLayoutText(m_document, text);
  m_sharedTexts.Add(spelling, hash, held);
  return held;
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
