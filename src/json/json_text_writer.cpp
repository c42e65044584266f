// SPDX-License-Identifier: MIT
// The JSON text writer: members, arrays of repeated elements, namespaces and
// escaping.
#include <korvel/json_text_writer.h>

#include <array>
#include <cstdint>
#include <typeinfo>

#include "json/json_text_element.h"
#include "json/messages.h"
#include "xml/text_output.h"
#include "xml/writer_messages.h"

namespace Korvel {

namespace {

using Context = CXmlWriter::CXmlWriterContext;

// The root element has depth 0 and sits one level inside the outer object.
int32_t LevelOf(const Context& element) noexcept { return element.GetDepth() + 1; }

const std::wstring& XsiNamespace() {
  static const std::wstring uri(CXmlWriter::XSI_NAMESPACE);
  return uri;
}

bool IsDigit(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }

// The JSON number grammar: no sign but '-', no leading zeros, digits on both
// sides of a point, an exponent with digits.
bool IsJsonNumber(std::wstring_view text) noexcept {
  size_t i = 0;
  const size_t n = text.size();
  if (i < n && text[i] == L'-') ++i;
  if (i == n || !IsDigit(text[i])) return false;
  if (text[i] == L'0') {
    ++i;
  } else {
    while (i < n && IsDigit(text[i])) ++i;
  }
  if (i < n && text[i] == L'.') {
    if (++i == n || !IsDigit(text[i])) return false;
    while (i < n && IsDigit(text[i])) ++i;
  }
  if (i < n && (text[i] == L'e' || text[i] == L'E')) {
    if (++i < n && (text[i] == L'+' || text[i] == L'-')) ++i;
    if (i == n || !IsDigit(text[i])) return false;
    while (i < n && IsDigit(text[i])) ++i;
  }
  return i == n;
}

bool IsBareType(ItemType type) noexcept {
  return (type >= it_i1 && type <= it_r8) || type == it_boolean || type == it_decimal ||
         type == it_integer;
}

// A value written without quotes: a number or boolean JSON can carry as such.
bool IsBareValue(std::wstring_view text, ItemType type) noexcept {
  return IsBareType(type) &&
         (IsJsonNumber(text) || (type == it_boolean && (text == L"true" || text == L"false")));
}

// ASCII characters that a string must escape.
constexpr std::array<bool, 128> MakeEscapeTable() {
  std::array<bool, 128> table{};
  for (int c = 0; c < 0x20; ++c) table[c] = true;
  table['"'] = table['\\'] = true;
  return table;
}
constexpr std::array<bool, 128> kEscape = MakeEscapeTable();
// For ASCII runs, which stop at anything beyond ASCII first.
constexpr auto kEscapedInString = [](uint32_t c) { return kEscape[c]; };
constexpr auto kNeverEscaped = [](uint32_t) { return false; };

constexpr char kHex[] = "0123456789ABCDEF";

}  // namespace

CJsonTextWriter::CJsonTextWriter(CTextStream& stream)
    : CXmlWriter(L"CJsonTextWriter"),
      m_stream(stream),
      m_out(std::make_unique<detail::TextOutput>(stream)) {}

CJsonTextWriter::~CJsonTextWriter() = default;

void CJsonTextWriter::Open() { m_stream.Open(); }

void CJsonTextWriter::Close() {
  m_stream.Close();
  CXmlWriter::Close();
}

void CJsonTextWriter::SetEOLType(EOLType type) {
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

void CJsonTextWriter::SetIndentChars(const std::wstring& indent) {
  m_indentChars = indent;
  m_out->SetIndent(indent);
}

inline void CJsonTextWriter::WriteLineEnd() {
  if (m_formatted) m_out->Put(m_lineEnd);
}

void CJsonTextWriter::WriteDocumentStart() {
  m_out->Put('{');
  WriteLineEnd();
}

void CJsonTextWriter::WriteDocumentEnd() {
  WriteLineEnd();
  m_out->Put('}');
  m_out->FlushIfFull();
}

// A comment would make the output something other than JSON.
void CJsonTextWriter::WriteComment(const std::wstring&) {}
void CJsonTextWriter::WriteProcessingInstruction(const std::wstring&) {}
void CJsonTextWriter::WriteInLineSchema(const std::wstring&) {}

void CJsonTextWriter::StartElement(const std::wstring& name, const std::wstring& namespaceUri) {
  Context* parent = GetCurrentElement();
  bool writeName = true;
  if (parent != nullptr) {
    CloseFinishedArray(*parent, false);
    if (m_valueWritten) detail::ThrowJsonError(detail::kJsonMixedContent, name);
    WritePendingNil(*parent);
    parent->AddChild();
    // Items after the first share the array's member name.
    writeName = parent->GetWriterState() != ARRAY_OPEN;
    Separator(*parent);
  } else if (m_rootWritten) {
    m_out->Put(',');
  }
  const bool lineEnds = parent != nullptr || m_rootWritten;
  Context& element = PushElement(name, namespaceUri);
  if (parent != nullptr && parent->GetWriterState() == ARRAY_OPEN) {
    element.SetDepth(element.GetDepth() + 1);
  }
  m_rootWritten = true;
  m_awaitingValue = true;
  m_valueWritten = false;
  m_nilPending = false;
  if (m_formatted) {
    if (lineEnds) {
      m_out->PutBreak(static_cast<size_t>(LevelOf(element)));
    } else {
      WriteIndent(LevelOf(element));
    }
  }

  if (m_roundTrip != JsonRoundTrip_Full) {
    if (writeName) WriteKey({}, name);
    m_out->FlushIfFull();
    return;
  }
  const std::wstring& uri = element.GetNamespaceUri();
  const std::wstring* prefix = nullptr;
  bool declare = false;
  if (!element.IsUnprefixed(uri)) {
    prefix = element.FindPrefix(uri);
    declare = prefix == nullptr;
    if (declare) prefix = &element.AllocatePrefix(uri);
  }
  if (writeName) WriteKey(prefix ? std::wstring_view(*prefix) : std::wstring_view(), name);
  if (declare) Declare(element, *prefix, uri);
  if (parent == nullptr) {
    // The document's scope is declared once, on the root element.
    if (!GetDocumentDefaultNamespace().empty()) {
      Declare(element, {}, GetDocumentDefaultNamespace());
    }
    for (const auto& [aliasUri, aliasPrefix] : GetDocumentAliases()) {
      if (aliasUri != XML_NAMESPACE) Declare(element, aliasPrefix, aliasUri);
    }
  } else if (uri.empty() && !element.GetDefaultNamespace().empty()) {
    // Without this, the element would read back in the default namespace.
    element.SetDefaultNamespace(uri);
    Declare(element, {}, uri);
  }
  m_out->FlushIfFull();
}

void CJsonTextWriter::WriteText(const std::wstring& text, ItemType itemType, bool) {
  Context& element = RequireCurrentElement();
  CloseFinishedArray(element, false);
  if (m_awaitingValue) {
    if (m_valueWritten) detail::ThrowJsonError(detail::kJsonSecondText, element.GetName());
    OpenArrayIfPending(element);
    WriteValue(text, itemType);
    m_valueWritten = true;
  } else {
    m_out->Put(',');
    WriteBreak(LevelOf(element) + 1);
    WriteKey({}, m_roundTrip == JsonRoundTrip_None ? L"" : L"#text");
    WriteValue(text, itemType);
  }
  m_out->FlushIfFull();
}

bool CJsonTextWriter::WriteTextElement(const std::wstring& name, const std::wstring& namespaceUri,
                                       const std::wstring& text, ItemType itemType) {
  // The element would share its parent's scope: at the full level it needs
  // no prefix when that scope leaves it unprefixed, and no "@xmlns": "" when
  // the scope has no default namespace to leave.
  Context* parent = GetCurrentElement();
  if (parent == nullptr || (m_roundTrip == JsonRoundTrip_Full &&
                            (!parent->IsUnprefixed(namespaceUri) ||
                             (namespaceUri.empty() && !parent->GetDefaultNamespace().empty())))) {
    return false;
  }
  CloseFinishedArray(*parent, false);
  if (m_valueWritten) detail::ThrowJsonError(detail::kJsonMixedContent, name);
  WritePendingNil(*parent);
  parent->AddChild();
  const int32_t state = parent->GetWriterState();
  const char separator = TakeSeparator(*parent);
  // The level the element's own context would have (see StartElement and
  // OpenArrayIfPending).
  int32_t level = LevelOf(*parent) + (state == ARRAY_OPEN ? 2 : 1);
  if (state != ARRAY_OPEN && state != ARRAY_PENDING &&
      PutAsciiMember(separator, level, "\"", name, text, itemType)) {
    m_out->FlushIfFull();
    return true;
  }
  m_out->Put(separator);
  WriteBreak(level);
  if (state != ARRAY_OPEN) WriteKey({}, name);
  if (state == ARRAY_PENDING) {
    parent->SetWriterState(ARRAY_OPEN);
    m_openArrays.push_back(parent);
    m_out->Put('[');
    WriteBreak(++level);
  }
  WriteValue(text, itemType);
  m_out->FlushIfFull();
  return true;
}

void CJsonTextWriter::EndElement() {
  Context& element = RequireCurrentElement();
  CloseFinishedArray(element, true);
  if (m_awaitingValue) {
    if (!m_valueWritten) {
      OpenArrayIfPending(element);
      m_out->Put(m_nilPending ? "null" : "{}");
    }
  } else {
    WriteBreak(LevelOf(element));
    m_out->Put('}');
  }
  PopElement();
  m_awaitingValue = false;
  m_valueWritten = false;
  m_nilPending = false;
  m_out->FlushIfFull();
}

void CJsonTextWriter::WriteAttribute(const std::wstring& name, const std::wstring& namespaceUri,
                                     const std::wstring& value, ItemType itemType) {
  Context& element = RequireCurrentElement();
  if (m_valueWritten || element.GetChildCount() > 0) {
    detail::ThrowWriterError(detail::kAttributesBeforeElements);
  }
  WritePendingNil(element);
  std::wstring_view prefix;
  if (m_roundTrip == JsonRoundTrip_Full && !namespaceUri.empty()) {
    prefix = PrefixFor(element, namespaceUri);
  }
  const char separator = TakeSeparator(element);
  const std::string_view opening = m_roundTrip != JsonRoundTrip_None ? "\"@" : "\"";
  if (prefix.empty() &&
      PutAsciiMember(separator, LevelOf(element) + 1, opening, name, value, itemType)) {
    m_out->FlushIfFull();
    return;
  }
  m_out->Put(separator);
  WriteBreak(LevelOf(element) + 1);
  if (prefix.empty() && !m_escapeNonAscii) {
    m_out->PutBetween(opening, name, "\": ");
  } else {
    m_out->Put(opening);
    if (!prefix.empty()) {
      WriteName(prefix);
      m_out->Put(':');
    }
    WriteName(name);
    m_out->Put("\": ");
  }
  WriteValue(value, itemType);
  m_out->FlushIfFull();
}

void CJsonTextWriter::WriteXsiType(const std::wstring& typeNamespaceUri,
                                   const std::wstring& typeName, ItemType itemType) {
  if (m_roundTrip != JsonRoundTrip_Full) return;
  Context& element = RequireCurrentElement();
  if (element.IsUnprefixed(typeNamespaceUri)) {
    WriteAttribute(L"type", XsiNamespace(), typeName, itemType);
    return;
  }
  std::wstring value = PrefixFor(element, typeNamespaceUri);
  value.append(1, L':').append(typeName);
  WriteAttribute(L"type", XsiNamespace(), value, itemType);
}

void CJsonTextWriter::WriteNil() {
  Context& element = RequireCurrentElement();
  if (m_awaitingValue) {
    if (!m_valueWritten) m_nilPending = true;
    return;
  }
  // After the element's attributes its object is open: the nil is one more member.
  if (!m_valueWritten && element.GetChildCount() == 0) WriteNilMember(element);
}

// Attributes after WriteNil need an object, in which the nil becomes a
// member of its own.
inline void CJsonTextWriter::WritePendingNil(Context& element) {
  if (!m_nilPending) return;
  m_nilPending = false;
  WriteNilMember(element);
}

// The full level writes xsi:nil as any namespaced attribute. The partial
// level writes no namespaces, so "@xsi:nil" is its one prefixed member, which
// the mapping takes for the nil at that level.
void CJsonTextWriter::WriteNilMember(Context& element) {
  if (m_roundTrip == JsonRoundTrip_Full) {
    WriteAttribute(L"nil", XsiNamespace(), L"true", it_boolean);
  } else if (m_roundTrip == JsonRoundTrip_Partial) {
    Separator(element);
    WriteBreak(LevelOf(element) + 1);
    m_out->Put("\"@xsi:nil\": true");
  }
}

inline char CJsonTextWriter::TakeSeparator(Context& element) {
  if (!m_awaitingValue) return ',';
  OpenArrayIfPending(element);
  m_awaitingValue = false;
  return '{';
}

inline void CJsonTextWriter::Separator(Context& element) { m_out->Put(TakeSeparator(element)); }

inline void CJsonTextWriter::OpenArrayIfPending(Context& element) {
  Context* parent = element.GetParent();
  if (parent == nullptr || parent->GetWriterState() != ARRAY_PENDING) return;
  parent->SetWriterState(ARRAY_OPEN);
  m_openArrays.push_back(parent);
  m_out->Put('[');
  // The first item was started at the level of the array's name; its
  // content goes one level deeper, like the items after it.
  element.SetDepth(element.GetDepth() + 1);
  WriteBreak(LevelOf(element));
}

// Closes the element's array once the serializer has finished it (or has
// marked the next collection pending, or has cleared the mark), and, when the
// element ends, whatever array it still has open.
inline void CJsonTextWriter::CloseFinishedArray(Context& element, bool ending) {
  const int32_t state = element.GetWriterState();
  if (state == ARRAY_FINISHED || ending) element.SetWriterState(ARRAY_NONE);
  // A collection marked but given no item never wrote its "[".
  const bool open = !m_openArrays.empty() && m_openArrays.back() == &element;
  if (!open || (state == ARRAY_OPEN && !ending)) return;
  m_openArrays.pop_back();
  WriteBreak(LevelOf(element) + 1);
  m_out->Put(']');
}

void CJsonTextWriter::Declare(Context& element, std::wstring_view prefix, const std::wstring& uri) {
  Separator(element);
  WriteBreak(LevelOf(element) + 1);
  m_out->Put("\"@xmlns");
  if (!prefix.empty()) {
    m_out->Put(':');
    WriteName(prefix);
  }
  m_out->Put("\": ");
  m_out->Put('"');
  WriteString(uri);
  m_out->Put('"');
}

const std::wstring& CJsonTextWriter::PrefixFor(Context& element, const std::wstring& namespaceUri) {
  if (const std::wstring* prefix = element.FindPrefix(namespaceUri)) return *prefix;
  const std::wstring& prefix = element.AllocatePrefix(namespaceUri);
  Declare(element, prefix, namespaceUri);
  return prefix;
}

// Element names are XML names, which hold nothing a JSON string escapes
// (unless everything beyond ASCII is to be escaped).
inline void CJsonTextWriter::WriteKey(std::wstring_view prefix, std::wstring_view name) {
  if (prefix.empty() && !m_escapeNonAscii) return m_out->PutBetween("\"", name, "\": ");
  m_out->Put('"');
  if (!prefix.empty()) {
    WriteName(prefix);
    m_out->Put(':');
  }
  WriteName(name);
  m_out->Put("\": ");
}

inline void CJsonTextWriter::WriteName(std::wstring_view name) {
  if (m_escapeNonAscii) {
    WriteString(name);
  } else {
    m_out->Put(name);
  }
}

// Most members: the line break, key and value as one append.
bool CJsonTextWriter::PutAsciiMember(char separator, int32_t level, std::string_view open,
                                     std::wstring_view name, const std::wstring& text,
                                     ItemType itemType) {
  if (m_escapeNonAscii) return false;
  const auto levels = static_cast<size_t>(level);
  return IsBareValue(text, itemType) ? m_out->PutAsciiMember(separator, m_formatted, levels, open,
                                                             name, text, kNeverEscaped, false)
                                     : m_out->PutAsciiMember(separator, m_formatted, levels, open,
                                                             name, text, kEscapedInString, true);
}

void CJsonTextWriter::WriteValue(const std::wstring& text, ItemType itemType) {
  if (IsBareValue(text, itemType)) {
    m_out->PutAsciiRun(text, kNeverEscaped);  // all ASCII, as checked
    return;
  }
  // Most strings have nothing to escape: one append.
  if (m_out->PutWrappedAscii('"', text, kEscapedInString, '"')) return;
  m_out->Put('"');
  WriteString(text);
  m_out->Put('"');
}

void CJsonTextWriter::WriteString(std::wstring_view text) {
  const auto escaped = [this](uint32_t c) {
    return c < kEscape.size() ? kEscape[c] : m_escapeNonAscii;
  };
  m_out->PutEscaped(text, escaped, [this](uint32_t c) {
    switch (c) {
      case '"':
        m_out->Put("\\\"");
        break;
      case '\\':
        m_out->Put("\\\\");
        break;
      case '\b':
        m_out->Put("\\b");
        break;
      case '\f':
        m_out->Put("\\f");
        break;
      case '\n':
        m_out->Put("\\n");
        break;
      case '\r':
        m_out->Put("\\r");
        break;
      case '\t':
        m_out->Put("\\t");
        break;
      default: {
        const auto unit = [this](uint32_t u) {
          const char escape[6] = {
              '\\',         'u', kHex[(u >> 12) & 0xF], kHex[(u >> 8) & 0xF], kHex[(u >> 4) & 0xF],
              kHex[u & 0xF]};
          m_out->Put(std::string_view(escape, 6));
        };
        if (c >= 0x10000 && c <= 0x10FFFF) {
          unit(0xD800 + ((c - 0x10000) >> 10));
          unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
          unit(c);
        }
      }
    }
  });
}

inline void CJsonTextWriter::WriteIndent(int32_t level) {
  if (level > 0) m_out->PutIndent(static_cast<size_t>(level));
}

// A line end and the indentation of level (which is at least 1), when formatted.
inline void CJsonTextWriter::WriteBreak(int32_t level) {
  if (m_formatted) m_out->PutBreak(static_cast<size_t>(level));
}

namespace detail {

struct JsonWriterAccess {
  static bool WriteTextElement(CJsonTextWriter& writer, const std::wstring& name,
                               const std::wstring& namespaceUri, const std::wstring& text,
                               ItemType itemType) {
    return writer.WriteTextElement(name, namespaceUri, text, itemType);
  }
};

bool WriteJsonTextElement(CXmlWriter& writer, const std::wstring& name,
                          const std::wstring& namespaceUri, const std::wstring& text,
                          ItemType itemType) {
  // The library's one type_info object for the class, compared by address:
  // should a writer's differ, it is only written in three steps.
  return &typeid(writer) == &typeid(CJsonTextWriter) &&
         JsonWriterAccess::WriteTextElement(static_cast<CJsonTextWriter&>(writer), name,
                                            namespaceUri, text, itemType);
}

}  // namespace detail

}  // namespace Korvel
