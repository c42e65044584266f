// SPDX-License-Identifier: MIT
// The XML text writer: markup, escaping, namespace declarations and layout.
#include <korvel/xml_text_writer.h>

#include <array>
#include <cstdint>

#include "xml/writer_messages.h"

namespace Korvel {

namespace {

// Characters that escaping replaces or drops, per mode. Everything at or
// above U+0080 passes unchanged, so only ASCII needs a table entry.
constexpr uint8_t kInContent = 1;
constexpr uint8_t kInAttribute = 2;

constexpr std::array<uint8_t, 128> MakeEscapeTable() {
  std::array<uint8_t, 128> table{};
  table['&'] = table['<'] = table['>'] = kInContent | kInAttribute;
  // Written as references where a parser would otherwise change them: line
  // ends are normalised everywhere, and tabs and line ends in attribute values.
  table['\n'] = table['\r'] = kInContent | kInAttribute;
  table['\t'] = kInAttribute;
  table['"'] = kInAttribute;
  return table;
}
constexpr std::array<uint8_t, 128> kEscapeTable = MakeEscapeTable();

constexpr std::wstring_view kCdataStart = L"<![CDATA[";
constexpr std::wstring_view kCdataEnd = L"]]>";

// Text that is exactly one CDATA section, closed at its end and nowhere before.
bool IsOneCdataSection(std::wstring_view text) {
  if (text.size() < kCdataStart.size() + kCdataEnd.size()) return false;
  if (text.substr(0, kCdataStart.size()) != kCdataStart) return false;
  return text.find(kCdataEnd, kCdataStart.size()) == text.size() - kCdataEnd.size();
}

const std::wstring& XsiNamespace() {
  static const std::wstring uri(CXmlWriter::XSI_NAMESPACE);
  return uri;
}

bool EndsWith(std::wstring_view text, std::wstring_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

CXmlTextWriter::CXmlTextWriter(CTextStream& stream)
    : CXmlWriter(L"CXmlTextWriter"), m_stream(stream), m_out(stream.GetBuffer()) {}

CXmlTextWriter::~CXmlTextWriter() = default;

void CXmlTextWriter::Open() { m_stream.Open(); }

void CXmlTextWriter::Close() {
  m_stream.Close();
  CXmlWriter::Close();
}

void CXmlTextWriter::SetEOLType(EOLType type) {
  switch (type) {
    case EOL_CRLF:
      m_lineEnd = L"\r\n";
      break;
    case EOL_LF:
      m_lineEnd = L"\n";
      break;
    default:
      detail::ThrowWriterError(detail::kInvalidEolType);
  }
  m_eolType = type;
}

void CXmlTextWriter::WriteXmlDeclaration() {
  Write(L"<?xml version=\"1.0\"");
  switch (m_stream.GetEncoding()) {
    case XmlEncoding_UTF8:
      Write(L" encoding=\"UTF-8\"");
      break;
    case XmlEncoding_UTF16:
      Write(L" encoding=\"UTF-16\"");
      break;
    default:
      break;
  }
  Write(L"?>");
  Write(m_lineEnd);
  FlushIfFull();
}

void CXmlTextWriter::WriteRaw(std::wstring_view markup) {
  CloseStartTagForChild();
  if (m_formatted) {
    if (const CXmlWriterContext* parent = GetCurrentElement()) WriteIndent(parent->GetDepth() + 1);
  }
  Write(markup);
  if (m_formatted && !EndsWith(markup, m_lineEnd)) Write(m_lineEnd);
  FlushIfFull();
}

void CXmlTextWriter::WriteComment(const std::wstring& text) {
  Write(L"<!--");
  WriteEscaped(text, false);
  Write(L"-->");
  Write(m_lineEnd);
  FlushIfFull();
}

void CXmlTextWriter::WriteProcessingInstruction(const std::wstring& text) {
  Write(text);
  Write(m_lineEnd);
  Write(m_lineEnd);
  FlushIfFull();
}

void CXmlTextWriter::WriteInLineSchema(const std::wstring& text) {
  // The schema is markup of its own: it goes after the start tag, never inside it.
  if (CXmlWriterContext* element = GetCurrentElement(); element && element->IsStartTagOpen()) {
    Write(L'>');
    element->SetStartTagOpen(false);
    element->AddChild();
  }
  Write(m_lineEnd);
  Write(text);
  Write(m_lineEnd);
  FlushIfFull();
}

void CXmlTextWriter::StartElement(const std::wstring& name, const std::wstring& namespaceUri) {
  CloseStartTagForChild();
  CXmlWriterContext& element = PushElement(name, namespaceUri);
  if (m_formatted) WriteIndent(element.GetDepth());
  Write(L'<');
  const std::wstring& uri = element.GetNamespaceUri();
  if (element.IsUnprefixed(uri)) {
    Write(element.GetName());
    // An unqualified element inside a default namespace leaves it, or a reader
    // would put it in that namespace (the root undeclares the document's).
    if (uri.empty() && !element.GetDefaultNamespace().empty()) {
      element.SetDefaultNamespace(uri);
      Write(L" xmlns=\"\"");
    }
  } else {
    const std::wstring* prefix = element.FindPrefix(uri);
    const bool declare = prefix == nullptr;
    if (declare) prefix = &element.AllocatePrefix(uri);
    Write(*prefix);
    Write(L':');
    Write(element.GetName());
    if (declare) WriteNamespaceDeclaration(*prefix, uri);
  }
  if (element.GetParent() == nullptr) {
    // The document's scope is declared once, on the root element.
    // A root in no namespace has just undeclared it instead.
    const std::wstring& defaultNamespace = GetDocumentDefaultNamespace();
    if (!defaultNamespace.empty() && element.GetDefaultNamespace() == defaultNamespace) {
      Write(L" xmlns=\"");
      Write(defaultNamespace);
      Write(L'"');
    }
    for (const auto& [aliasUri, aliasPrefix] : GetDocumentAliases()) {
      if (aliasUri != XML_NAMESPACE) WriteNamespaceDeclaration(aliasPrefix, aliasUri);
    }
  }
  FlushIfFull();
}

void CXmlTextWriter::WriteText(const std::wstring& text, ItemType, bool isDefaultValue) {
  CXmlWriterContext& element = RequireCurrentElement();
  if (text.empty() || (isDefaultValue && !m_writeDefaultElementValues)) return;
  if (element.IsStartTagOpen()) {
    Write(L'>');
    element.SetStartTagOpen(false);
  }
  // The caller may hand over one complete CDATA section, written as it is.
  if (IsOneCdataSection(text)) {
    Write(text);
  } else {
    WriteEscaped(text, false);
  }
  FlushIfFull();
}

void CXmlTextWriter::EndElement() {
  CXmlWriterContext& element = RequireCurrentElement();
  if (element.IsStartTagOpen()) {
    Write(L"/>");
  } else {
    if (m_formatted && element.GetChildCount() > 0) WriteIndent(element.GetDepth());
    Write(L"</");
    const std::wstring& uri = element.GetNamespaceUri();
    if (!element.IsUnprefixed(uri)) {
      if (const std::wstring* prefix = element.FindPrefix(uri)) {
        Write(*prefix);
        Write(L':');
      }
    }
    Write(element.GetName());
    Write(L'>');
  }
  if (m_formatted) Write(m_lineEnd);
  PopElement();
  FlushIfFull();
}

void CXmlTextWriter::WriteAttribute(const std::wstring& name, const std::wstring& namespaceUri,
                                    const std::wstring& value, ItemType) {
  CXmlWriterContext& element = RequireOpenStartTag();
  Write(L' ');
  // The default namespace never applies to attributes.
  if (!namespaceUri.empty()) {
    const std::wstring* prefix = element.FindPrefix(namespaceUri);
    if (prefix == nullptr) {
      prefix = &element.AllocatePrefix(namespaceUri);
      Write(L"xmlns:");
      Write(*prefix);
      Write(L"=\"");
      Write(namespaceUri);
      Write(L"\" ");
    }
    Write(*prefix);
    Write(L':');
  }
  Write(name);
  Write(L"=\"");
  WriteEscaped(value, true);
  Write(L'"');
  FlushIfFull();
}

void CXmlTextWriter::WriteXsiType(const std::wstring& typeNamespaceUri,
                                  const std::wstring& typeName, ItemType itemType) {
  CXmlWriterContext& element = RequireOpenStartTag();
  if (element.IsUnprefixed(typeNamespaceUri)) {
    WriteAttribute(L"type", XsiNamespace(), typeName, itemType);
    return;
  }
  const std::wstring* prefix = element.FindPrefix(typeNamespaceUri);
  if (prefix == nullptr) {
    prefix = &element.AllocatePrefix(typeNamespaceUri);
    WriteNamespaceDeclaration(*prefix, typeNamespaceUri);
    Write(L' ');
  }
  std::wstring value;
  value.reserve(prefix->size() + 1 + typeName.size());
  value.append(*prefix).append(1, L':').append(typeName);
  WriteAttribute(L"type", XsiNamespace(), value, itemType);
}

void CXmlTextWriter::WriteNil() {
  RequireOpenStartTag();
  WriteAttribute(L"nil", XsiNamespace(), L"true", it_boolean);
}

void CXmlTextWriter::WriteEscaped(std::wstring_view text, bool attribute) {
  const uint8_t mode = attribute ? kInAttribute : kInContent;
  const wchar_t* run = text.data();
  const wchar_t* const end = run + text.size();
  for (const wchar_t* p = run; p != end; ++p) {
    const auto c = static_cast<uint32_t>(*p);
    if (c >= kEscapeTable.size() || (kEscapeTable[c] & mode) == 0) continue;
    m_out.Append(run, static_cast<size_t>(p - run));
    run = p + 1;
    switch (c) {
      case '&':
        Write(L"&amp;");
        break;
      case '<':
        Write(L"&lt;");
        break;
      case '>':
        Write(L"&gt;");
        break;
      case '"':
        Write(L"&quot;");
        break;
      case '\n':
        Write(attribute ? std::wstring_view(L"&#xA;") : std::wstring_view(m_lineEnd));
        break;
      case '\r':
        Write(L"&#xD;");
        break;
      default:  // a tab in an attribute value
        Write(L"&#x9;");
        break;
    }
  }
  m_out.Append(run, static_cast<size_t>(end - run));
}

void CXmlTextWriter::WriteIndent(int32_t depth) {
  if (depth <= 0) return;
  const size_t length = static_cast<size_t>(depth) * m_indentChars.size();
  while (m_indentRun.size() < length) m_indentRun += m_indentChars;
  Write(std::wstring_view(m_indentRun).substr(0, length));
}

void CXmlTextWriter::WriteNamespaceDeclaration(const std::wstring& prefix,
                                               const std::wstring& namespaceUri) {
  Write(L" xmlns:");
  Write(prefix);
  Write(L"=\"");
  Write(namespaceUri);
  Write(L'"');
}

void CXmlTextWriter::CloseStartTagForChild() {
  CXmlWriterContext* parent = GetCurrentElement();
  if (parent == nullptr) return;
  parent->AddChild();
  if (parent->IsStartTagOpen()) {
    Write(L'>');
    parent->SetStartTagOpen(false);
    if (m_formatted) Write(m_lineEnd);
  }
}

CXmlWriter::CXmlWriterContext& CXmlTextWriter::RequireOpenStartTag() {
  CXmlWriterContext* element = GetCurrentElement();
  if (element == nullptr || !element->IsStartTagOpen()) {
    detail::ThrowWriterError(detail::kAttributesBeforeElements);
  }
  return *element;
}

}  // namespace Korvel
