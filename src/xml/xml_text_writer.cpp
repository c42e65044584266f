// SPDX-License-Identifier: MIT
// The XML text writer: markup, escaping, namespace declarations and layout.
#include <korvel/xml_text_writer.h>

#include <cstdint>
#include <typeinfo>

#include "fastinfoset/fi_text_element.h"
#include "json/json_text_element.h"
#include "xml/plain_ascii.h"
#include "xml/same_text.h"
#include "xml/text_element.h"
#include "xml/text_output.h"
#include "xml/writer_messages.h"

namespace Korvel {

namespace {

// The characters written as they are, in content and in attribute values.
// The others are written as references where a parser would otherwise change
// them: line ends are normalised everywhere, and tabs and line ends in
// attribute values. Everything at or above U+0080 passes unchanged.
using ContentEscapes = detail::PlainAscii<0, L'&', L'<', L'>', L'\n', L'\r'>;
using AttributeEscapes = detail::PlainAscii<0, L'&', L'<', L'>', L'\n', L'\r', L'\t', L'"'>;

// What the one-append paths copy as it is: the above less every control
// character, refused with one comparison where naming the escaped ones costs
// one each. The rare control character that needs no escape takes the
// escaping path, which copies it all the same.
using ContentPlain = detail::PlainAscii<0x20, L'&', L'<', L'>'>;
using AttributePlain = detail::PlainAscii<0x20, L'&', L'<', L'>', L'"'>;

// The escaped characters as a bit per character, all of them below 64, so
// that the test is a shift rather than a lookup. Without a branch: the test
// runs on every character of the document.
bool IsEscaped(uint32_t c, uint64_t mode) { return (c < 64) & ((mode >> (c & 63)) & 1); }
constexpr uint64_t kInContent = ContentEscapes::RefusedBits();
constexpr uint64_t kInAttribute = AttributeEscapes::RefusedBits();

constexpr std::wstring_view kCdataStart = L"<![CDATA[";
constexpr std::wstring_view kCdataEnd = L"]]>";

// What an escaped character is written as: its reference, or the line end
// for a line end in content.
std::string_view EscapeOf(uint32_t c, bool attribute, std::string_view lineEnd) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\n':
      return attribute ? std::string_view("&#xA;") : lineEnd;
    case '\r':
      return "&#xD;";
    default:  // a tab in an attribute value
      return "&#x9;";
  }
}

// Text that is exactly one CDATA section, closed at its end and nowhere before.
bool IsOneCdataSection(std::wstring_view text) {
  if (text.size() < kCdataStart.size() + kCdataEnd.size()) return false;
  if (text.substr(0, kCdataStart.size()) != kCdataStart) return false;
  return text.find(kCdataEnd, kCdataStart.size()) == text.size() - kCdataEnd.size();
}

// The names and values of the xsi attributes, made once.
struct XsiStrings {
  const std::wstring uri = CXmlWriter::XSI_NAMESPACE;
  const std::wstring type = L"type";
  const std::wstring nil = L"nil";
  const std::wstring yes = L"true";
};
const XsiStrings& Xsi() {
  static const XsiStrings strings;
  return strings;
}

bool EndsWith(std::wstring_view text, std::string_view asciiEnd) {
  if (text.size() < asciiEnd.size()) return false;
  text.remove_prefix(text.size() - asciiEnd.size());
  for (size_t i = 0; i < asciiEnd.size(); ++i) {
    if (text[i] != static_cast<wchar_t>(asciiEnd[i])) return false;
  }
  return true;
}

// before, the name with its prefix (when it has one) and after.
void PutName(detail::TextOutput& out, std::string_view before, const std::wstring* prefix,
             std::wstring_view name, std::string_view after) {
  if (prefix != nullptr) {
    out.PutBetween(before, *prefix, ":");
    out.PutBetween({}, name, after);
  } else {
    out.PutBetween(before, name, after);
  }
}

// The prefix in the element's scope of a name in the namespace URI: known
// from the element's own name when it is in the same namespace, else looked up.
const std::wstring* PrefixInScope(const CXmlWriter::CXmlWriterContext& element,
                                  const std::wstring& namespaceUri) {
  const std::wstring* prefix = element.GetNamePrefixInScope();
  if (prefix != nullptr && detail::SameText(namespaceUri, element.GetNamespaceUri())) return prefix;
  return element.FindPrefix(namespaceUri);
}

}  // namespace

// In line: every element starts with it.
inline bool CXmlTextWriter::CloseStartTagForChild() {
  CXmlWriterContext* parent = GetCurrentElement();
  if (parent == nullptr) return false;
  parent->AddChild();
  if (!parent->IsStartTagOpen()) return false;
  m_out->Put('>');
  parent->SetStartTagOpen(false);
  return true;
}

CXmlTextWriter::CXmlTextWriter(CTextStream& stream)
    : CXmlWriter(L"CXmlTextWriter"),
      m_stream(stream),
      m_out(std::make_unique<detail::TextOutput>(stream)) {}

CXmlTextWriter::~CXmlTextWriter() = default;

void CXmlTextWriter::Open() { m_stream.Open(); }

void CXmlTextWriter::Close() {
  m_stream.Close();
  CXmlWriter::Close();
}

void CXmlTextWriter::SetEOLType(EOLType type) {
  switch (type) {
    case EOL_CRLF:
      m_lineEnd = "\r\n";
      break;
    case EOL_LF:
      m_lineEnd = "\n";
      break;
    default:
      detail::ThrowWriterError(detail::kInvalidEolType);
  }
  m_eolType = type;
  m_out->SetLineEnd(m_lineEnd);
}

void CXmlTextWriter::SetIndentChars(const std::wstring& indent) {
  m_indentChars = indent;
  m_out->SetIndent(indent);
}

void CXmlTextWriter::WriteXmlDeclaration() {
  m_out->Put("<?xml version=\"1.0\"");
  switch (m_stream.GetEncoding()) {
    case XmlEncoding_UTF8:
      m_out->Put(" encoding=\"UTF-8\"");
      break;
    case XmlEncoding_UTF16:
      m_out->Put(" encoding=\"UTF-16\"");
      break;
    default:
      break;
  }
  m_out->Put("?>");
  m_out->Put(m_lineEnd);
  m_out->FlushIfFull();
}

void CXmlTextWriter::WriteRaw(std::wstring_view markup) {
  const bool closed = CloseStartTagForChild();
  if (m_formatted) {
    if (const CXmlWriterContext* parent = GetCurrentElement()) {
      WriteBreakOrIndent(closed, parent->GetDepth() + 1);
    }
  }
  m_out->Put(markup);
  if (m_formatted && !EndsWith(markup, m_lineEnd)) m_out->Put(m_lineEnd);
  m_out->FlushIfFull();
}

void CXmlTextWriter::WriteComment(const std::wstring& text) {
  m_out->Put("<!--");
  WriteEscaped(text, false);
  m_out->Put("-->");
  m_out->Put(m_lineEnd);
  m_out->FlushIfFull();
}

void CXmlTextWriter::WriteProcessingInstruction(const std::wstring& text) {
  m_out->Put(text);
  m_out->Put(m_lineEnd);
  m_out->Put(m_lineEnd);
  m_out->FlushIfFull();
}

void CXmlTextWriter::WriteInLineSchema(const std::wstring& text) {
  // The schema is markup of its own: it goes after the start tag, never inside it.
  if (CXmlWriterContext* element = GetCurrentElement(); element && element->IsStartTagOpen()) {
    m_out->Put('>');
    element->SetStartTagOpen(false);
    element->AddChild();
  }
  m_out->Put(m_lineEnd);
  m_out->Put(text);
  m_out->Put(m_lineEnd);
  m_out->FlushIfFull();
}

void CXmlTextWriter::StartElement(const std::wstring& name, const std::wstring& namespaceUri) {
  const bool closed = CloseStartTagForChild();
  CXmlWriterContext& element = PushElement(name, namespaceUri);
  const std::wstring& uri = element.GetNamespaceUri();
  if (element.IsUnprefixed(uri)) {
    m_out->PutTagLine(m_formatted && closed, m_formatted ? element.GetDepth() : 0, "<", nullptr,
                      element.GetName(), {});
    // An unqualified element inside a default namespace leaves it, or a reader
    // would put it in that namespace (the root undeclares the document's).
    if (uri.empty() && !element.GetDefaultNamespace().empty()) {
      element.SetDefaultNamespace(uri);
      m_out->Put(" xmlns=\"\"");
    }
  } else {
    // The element shares its parent's scope until it declares something.
    const CXmlWriterContext* parent = element.GetParent();
    const std::wstring* prefix =
        parent != nullptr ? PrefixInScope(*parent, uri) : element.FindPrefix(uri);
    const bool declare = prefix == nullptr;
    if (declare) prefix = &element.AllocatePrefix(uri);
    element.SetNamePrefix(prefix);
    m_out->PutTagLine(m_formatted && closed, m_formatted ? element.GetDepth() : 0, "<", prefix,
                      element.GetName(), {});
    if (declare) WriteNamespaceDeclaration(*prefix, uri);
  }
  if (element.GetParent() == nullptr) {
    // The document's scope is declared once, on the root element.
    // A root in no namespace has just undeclared it instead.
    const std::wstring& defaultNamespace = GetDocumentDefaultNamespace();
    if (!defaultNamespace.empty() && element.GetDefaultNamespace() == defaultNamespace) {
      m_out->Put(" xmlns=\"");
      m_out->Put(defaultNamespace);
      m_out->Put('"');
    }
    for (const auto& [aliasUri, aliasPrefix] : GetDocumentAliases()) {
      if (aliasUri != XML_NAMESPACE) WriteNamespaceDeclaration(aliasPrefix, aliasUri);
    }
  }
  m_out->FlushIfFull();
}

void CXmlTextWriter::WriteText(const std::wstring& text, ItemType, bool isDefaultValue) {
  CXmlWriterContext& element = RequireCurrentElement();
  if (text.empty() || (isDefaultValue && !m_writeDefaultElementValues)) return;
  if (element.IsStartTagOpen()) {
    m_out->Put('>');
    element.SetStartTagOpen(false);
  }
  // The caller may hand over one complete CDATA section, written as it is.
  if (IsOneCdataSection(text)) {
    m_out->Put(text);
  } else {
    WriteEscaped(text, false);
  }
  m_out->FlushIfFull();
}

void CXmlTextWriter::WriteTextElement(const detail::TextElement& element) {
  const std::wstring& name = element.name;
  const std::wstring& namespaceUri = element.namespaceUri;
  // The element would share its parent's scope: it needs no xmlns="" when
  // that scope has no default namespace to leave, and no declaration when
  // the scope maps its namespace to a prefix already.
  CXmlWriterContext* parent = GetCurrentElement();
  if (parent == nullptr) return detail::WriteTextElementInPieces(*this, element);
  const std::wstring* prefix = nullptr;
  if (parent->IsUnprefixed(namespaceUri)) {
    if (namespaceUri.empty() && !parent->GetDefaultNamespace().empty()) {
      return detail::WriteTextElementInPieces(*this, element);
    }
  } else {
    prefix = PrefixInScope(*parent, namespaceUri);
    if (prefix == nullptr) return detail::WriteTextElementInPieces(*this, element);
  }
  const std::wstring_view text = element.text.view;
  const std::string_view asciiName = element.asciiName;
  const bool closed = CloseStartTagForChild();
  const int32_t depth = parent->GetDepth() + 1;
  const bool empty = text.empty() || (element.isDefaultValue && !m_writeDefaultElementValues);
  // Most such elements are short text with nothing to escape; markup in the
  // text goes as its references, a control character that needs none as it
  // is, and only a CDATA section is left to the pieces.
  const size_t levels = m_formatted ? static_cast<size_t>(depth) : 0;
  const std::wstring_view prefixText = prefix ? std::wstring_view(*prefix) : std::wstring_view();
  const auto escape = [this](uint32_t c, char* d) {
    if (!IsEscaped(c, kInContent)) {
      *d = static_cast<char>(c);
      return d + 1;
    }
    return detail::CopyShort(EscapeOf(c, false, m_lineEnd), d);
  };
  // The name as its bytes when the caller has them, else as it is.
  const auto putWhole = [&](auto spelledName) {
    return m_out->PutTextElement<ContentPlain>(m_formatted && closed, levels, prefixText,
                                               spelledName, text, element.text.printed, m_formatted,
                                               escape);
  };
  if (!empty && (text.front() != L'<' || !IsOneCdataSection(text)) &&
      (asciiName.empty() ? putWhole(std::wstring_view(name)) : putWhole(asciiName))) {
    m_out->FlushIfFull();
    return;
  }
  if (m_formatted) WriteBreakOrIndent(closed, depth);
  if (empty) {
    PutName(*m_out, "<", prefix, name, "/>");
  } else {
    PutName(*m_out, "<", prefix, name, ">");
    if (IsOneCdataSection(text)) {
      m_out->Put(text);
    } else {
      WriteEscaped(text, false);
    }
    PutName(*m_out, "</", prefix, name, ">");
  }
  if (m_formatted) m_out->Put(m_lineEnd);
  m_out->FlushIfFull();
}

void CXmlTextWriter::EndElement() {
  CXmlWriterContext& element = RequireCurrentElement();
  // The line end goes with the tag's last markup. Views of the literals, so
  // that their lengths are known when compiled.
  using namespace std::string_view_literals;
  const std::string_view close = !m_formatted ? ">"sv : m_eolType == EOL_LF ? ">\n"sv : ">\r\n"sv;
  if (element.IsStartTagOpen()) {
    m_out->Put('/');
    m_out->Put(close);
  } else {
    const bool indented = m_formatted && element.GetChildCount() > 0;
    m_out->PutTagLine(false, indented ? element.GetDepth() : 0, "</", element.GetNamePrefix(),
                      element.GetName(), close);
  }
  PopElement();
  m_out->FlushIfFull();
}

void CXmlTextWriter::WriteAttribute(const std::wstring& name, const std::wstring& namespaceUri,
                                    const std::wstring& value, ItemType) {
  CXmlWriterContext& element = RequireOpenStartTag();
  // The default namespace never applies to attributes.
  const std::wstring* prefix = nullptr;
  if (!namespaceUri.empty()) {
    prefix = PrefixInScope(element, namespaceUri);
    if (prefix == nullptr) {
      prefix = &element.AllocatePrefix(namespaceUri);
      WriteNamespaceDeclaration(*prefix, namespaceUri);
    }
  }
  if (m_out->PutAsciiAttribute<AttributePlain>(prefix, name, value)) {
    m_out->FlushIfFull();
    return;
  }
  m_out->Put(' ');
  if (prefix != nullptr) {
    m_out->Put(*prefix);
    m_out->Put(':');
  }
  m_out->Put(name);
  m_out->Put("=\"");
  WriteEscaped(value, true);
  m_out->Put('"');
  m_out->FlushIfFull();
}

void CXmlTextWriter::WriteXsiType(const std::wstring& typeNamespaceUri,
                                  const std::wstring& typeName, ItemType itemType) {
  CXmlWriterContext& element = RequireOpenStartTag();
  const XsiStrings& xsi = Xsi();
  if (element.IsUnprefixed(typeNamespaceUri)) {
    WriteAttribute(xsi.type, xsi.uri, typeName, itemType);
    return;
  }
  const std::wstring* prefix = PrefixInScope(element, typeNamespaceUri);
  if (prefix == nullptr) {
    prefix = &element.AllocatePrefix(typeNamespaceUri);
    WriteNamespaceDeclaration(*prefix, typeNamespaceUri);
    m_out->Put(' ');
  }
  m_qualifiedType.assign(*prefix).append(1, L':').append(typeName);
  WriteAttribute(xsi.type, xsi.uri, m_qualifiedType, itemType);
}

void CXmlTextWriter::WriteNil() {
  RequireOpenStartTag();
  const XsiStrings& xsi = Xsi();
  WriteAttribute(xsi.nil, xsi.uri, xsi.yes, it_boolean);
}

void CXmlTextWriter::WriteEscaped(std::wstring_view text, bool attribute) {
  // Most text has nothing to escape.
  if (attribute ? m_out->PutPlain<AttributePlain>(text) : m_out->PutPlain<ContentPlain>(text)) {
    return;
  }
  const uint64_t mode = attribute ? kInAttribute : kInContent;
  const auto escaped = [mode](uint32_t c) { return IsEscaped(c, mode); };
  m_out->PutEscaped(text, escaped, [this, attribute](uint32_t c) {
    m_out->Put(EscapeOf(c, attribute, m_lineEnd));
  });
}

void CXmlTextWriter::WriteIndent(int32_t depth) {
  if (depth > 0) m_out->PutIndent(static_cast<size_t>(depth));
}

void CXmlTextWriter::WriteNamespaceDeclaration(const std::wstring& prefix,
                                               const std::wstring& namespaceUri) {
  m_out->PutBetween(" xmlns:", prefix, "=\"");
  m_out->PutBetween({}, namespaceUri, "\"");
}

// After a start tag just closed, the line end is still owed: it goes with the
// indentation as one append.
void CXmlTextWriter::WriteBreakOrIndent(bool lineEndOwed, int32_t depth) {
  if (lineEndOwed) {
    m_out->PutBreak(static_cast<size_t>(depth));
  } else {
    WriteIndent(depth);
  }
}

CXmlWriter::CXmlWriterContext& CXmlTextWriter::RequireOpenStartTag() {
  CXmlWriterContext* element = GetCurrentElement();
  if (element == nullptr || !element->IsStartTagOpen()) {
    detail::ThrowWriterError(detail::kAttributesBeforeElements);
  }
  return *element;
}

namespace detail {

struct TextWriterAccess {
  static void WriteTextElement(CXmlTextWriter& writer, const TextElement& element) {
    writer.WriteTextElement(element);
  }
};

namespace {

// WriteTextElement for the writers other than the text writers. The Fast
// Infoset writer (of that class itself) writes the element in one step too;
// the others take it in pieces. Apart, so that the text writers' ways in save
// no registers for it.
[[gnu::noinline]] void WriteTextElementOtherwise(CXmlWriter& writer, const TextElement& element) {
  if (WriteFastInfosetTextElement(writer, element.name, element.namespaceUri, element.text.view,
                                  element.itemType, element.isDefaultValue,
                                  !element.asciiName.empty())) {
    return;
  }
  WriteTextElementInPieces(writer, element);
}

}  // namespace

void WriteTextElement(CXmlWriter& writer, const TextElement& element) {
  // The type checks, here and for the JSON and Fast Infoset writers, compare
  // the addresses of the library's one type_info object per class: a writer
  // of a derived class, whose overrides must run, goes the long way.
  const std::type_info& type = typeid(writer);
  if (&type == &typeid(CXmlTextWriter)) {
    return TextWriterAccess::WriteTextElement(static_cast<CXmlTextWriter&>(writer), element);
  }
  if (&type == &typeid(CJsonTextWriter)) {
    return WriteJsonTextElement(static_cast<CJsonTextWriter&>(writer), element);
  }
  WriteTextElementOtherwise(writer, element);
}

void WriteTextElementInPieces(CXmlWriter& writer, const TextElement& element) {
  thread_local std::wstring copy;
  const ElementText& text = element.text;
  const std::wstring& string = text.string ? *text.string : copy.assign(text.view);
  writer.StartElement(element.name, element.namespaceUri);
  writer.WriteText(string, element.itemType, element.isDefaultValue);
  writer.EndElement();
}

// Cleared however StartElement ends.
struct KeptNames {
  explicit KeptNames(CXmlWriter& writer) noexcept : writer(writer) { writer.m_keepNames = true; }
  KeptNames(const KeptNames&) = delete;
  KeptNames& operator=(const KeptNames&) = delete;
  ~KeptNames() { writer.m_keepNames = false; }
  CXmlWriter& writer;
};

void StartElementKeepingNames(CXmlWriter& writer, const std::wstring& name,
                              const std::wstring& namespaceUri) {
  // Only writers whose StartElement hands its own arguments to PushElement:
  // an override could pass strings of its own.
  const std::type_info& type = typeid(writer);
  if (&type == &typeid(CXmlTextWriter) || &type == &typeid(CJsonTextWriter) ||
      &type == &typeid(CFastInfosetWriter)) {
    const KeptNames keep(writer);
    writer.StartElement(name, namespaceUri);
  } else {
    writer.StartElement(name, namespaceUri);
  }
}

}  // namespace detail

}  // namespace Korvel
