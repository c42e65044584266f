// SPDX-License-Identifier: MIT
// The JSON text writer: members, arrays of repeated elements, namespaces and
// escaping.
#include <korvel/json_text_writer.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "json/json_bytes.h"
#include "json/json_text_element.h"
#include "json/messages.h"
#include "xml/text_element.h"
#include "xml/text_output.h"
#include "xml/writer_messages.h"

namespace Korvel {

namespace detail {

// What the writer puts around a value, in the order it is written; absent
// parts are 0, empty or null.
struct JsonMember {
  char separator;          // '{' opening an object, ',' after a member, '[' opening an array
  int32_t level;           // of the indentation before the member; -1 for none
  std::string_view open;   // the key's quote, "\"@" for an attribute; empty for no key
  std::wstring_view prefix;
  std::wstring_view name;
  // The caller's view, which the member reads in place: copied into the
  // member, the view would be loaded whole from the two halves just stored.
  const std::wstring_view* value = nullptr;
  ItemType type = it_string;
  char close = 0;          // '}' or ']' after the indentation
  bool lineEnd = true;     // before the indentation
  std::string_view asciiName = {};  // the name's bytes, when the caller has them
};

}  // namespace detail

namespace {

using Context = CXmlWriter::CXmlWriterContext;

// The root element has depth 0 and sits one level inside the outer object.
int32_t LevelOf(const Context& element) noexcept { return element.GetDepth() + 1; }

const std::wstring& XsiNamespace() {
  static const std::wstring uri(CXmlWriter::XSI_NAMESPACE);
  return uri;
}

// A value written without quotes (see PutJsonValue), for the piece-by-piece path.
bool IsBareValue(std::wstring_view text, ItemType type) noexcept {
  auto ignore = [](wchar_t) {};
  return detail::IsJsonBareType(type) &&
         (detail::ScanJsonNumber(text, ignore) ||
          (type == it_boolean && (text == L"true" || text == L"false")));
}

constexpr auto kKeyQuote = std::string_view("\"");
// Composed members reserve this much beyond their parts: leads are copied 16
// bytes at a time.
constexpr size_t kLeadSpare = 16;
// Longer values go piece by piece, so that they are not given room for four
// bytes per character all at once.
constexpr size_t kComposedValueLimit = 4096;

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

// The member as one append, when the output is UTF-8, its names ASCII and its
// value short and free of escapes; false, with nothing written, otherwise.
// Inlined into the commonest events, which leave out whole parts of it.
[[gnu::always_inline]] inline bool PutMember(detail::TextOutput& out, std::string_view lead,
                                             const detail::JsonMember& member) {
  // The separator, a prefix's colon, "\": " and the closing bracket.
  size_t room = kLeadSpare + lead.size() + member.open.size() + member.prefix.size() +
                member.name.size() + 6;
  if (member.value) {
    if (member.value->size() > kComposedValueLimit) return false;
    room += 4 * member.value->size() + 2;
  }
  return out.PutComposed(room, [&](char* d) -> char* {
    if (member.separator != 0) *d++ = member.separator;
    // Most leads are a few bytes: a copy of fixed size, then only the rest.
    std::memcpy(d, lead.data(), kLeadSpare);
    if (lead.size() > kLeadSpare) std::memcpy(d, lead.data(), lead.size());
    d += lead.size();
    if (!member.open.empty()) {
      for (const char c : member.open) *d++ = c;
      if (!member.prefix.empty()) {
        if ((d = detail::PutJsonName(member.prefix, d)) == nullptr) return nullptr;
        *d++ = ':';
      }
      if (!member.asciiName.empty()) {
        d = detail::CopyShort(member.asciiName, d);
      } else if ((d = detail::PutJsonName(member.name, d)) == nullptr) {
        return nullptr;
      }
      *d++ = '"';
      *d++ = ':';
      *d++ = ' ';
    }
    if (member.value) {
      if ((d = detail::PutJsonValue(*member.value, member.type, d)) == nullptr) return nullptr;
    }
    if (member.close != 0) *d++ = member.close;
    return d;
  });
}

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
  m_leadLevels = -1;
}

void CJsonTextWriter::SetIndentChars(const std::wstring& indent) {
  m_indentChars = indent;
  m_out->SetIndent(indent);
  m_asciiLayout = std::all_of(indent.begin(), indent.end(),
                              [](wchar_t c) { return static_cast<uint32_t>(c) < 0x80; });
  m_leadLevels = -1;
}

// --- Composing ------------------------------------------------------------
// Nearly every member is ASCII around an ASCII value: its separator, line
// break, key and value go into the output as one append.

inline std::string_view CJsonTextWriter::Lead(int32_t level, bool lineEnd) {
  if (!m_formatted || level < 0) {
    level = 0;
    lineEnd = false;
  }
  if (level > m_leadLevels) GrowLead(std::max(2 * level, 16));
  const size_t indent = static_cast<size_t>(level) * m_indentChars.size();
  if (lineEnd) return std::string_view(m_leadBytes.data(), m_lineEnd.size() + indent);
  return std::string_view(m_leadBytes.data() + m_lineEnd.size(), indent);
}

void CJsonTextWriter::GrowLead(int32_t levels) {
  m_leadBytes.assign(m_lineEnd);
  for (int32_t i = 0; i < levels; ++i) {
    for (const wchar_t c : m_indentChars) m_leadBytes += static_cast<char>(c);
  }
  m_leadBytes.append(kLeadSpare, '\0');
  m_leadLevels = levels;
}

inline bool CJsonTextWriter::Compose(const detail::JsonMember& member) {
  return !m_escapeNonAscii && m_asciiLayout &&
         PutMember(*m_out, Lead(member.level, member.lineEnd), member);
}

void CJsonTextWriter::WritePieces(const detail::JsonMember& member) {
  if (member.separator != 0) m_out->Put(member.separator);
  if (member.level >= 0 && m_formatted) {
    if (member.lineEnd) {
      m_out->PutBreak(static_cast<size_t>(member.level));
    } else {
      WriteIndent(member.level);
    }
  }
  if (!member.open.empty()) WriteKey(member.open, member.prefix, member.name);
  if (member.value) WriteValue(*member.value, member.type);
  if (member.close != 0) m_out->Put(member.close);
}

inline void CJsonTextWriter::Write(const detail::JsonMember& member) {
  if (!Compose(member)) WritePieces(member);
}

// --- Events ---------------------------------------------------------------

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
  char separator = 0;
  if (parent != nullptr) {
    CloseFinishedArray(*parent, false);
    if (m_valueWritten) detail::ThrowJsonError(detail::kJsonMixedContent, name);
    WritePendingNil(*parent);
    parent->AddChild();
    // Items after the first share the array's member name.
    writeName = parent->GetWriterState() != ARRAY_OPEN;
    separator = TakeSeparator(*parent);
  } else if (m_rootWritten) {
    separator = ',';
  }
  const bool lineEnds = parent != nullptr || m_rootWritten;
  Context& element = PushElement(name, namespaceUri);
  if (!writeName) element.SetDepth(element.GetDepth() + 1);
  m_rootWritten = true;
  m_awaitingValue = true;
  m_valueWritten = false;
  m_nilPending = false;
  const std::string_view open = writeName ? kKeyQuote : std::string_view();
  detail::JsonMember key{separator, LevelOf(element), open, {}, name};
  key.lineEnd = lineEnds;
  const bool full = m_roundTrip == JsonRoundTrip_Full;
  const std::wstring& uri = element.GetNamespaceUri();
  const std::wstring* prefix = nullptr;
  bool declare = false;
  if (full && !element.IsUnprefixed(uri)) {
    prefix = element.FindPrefix(uri);
    declare = prefix == nullptr;
    if (declare) prefix = &element.AllocatePrefix(uri);
    key.prefix = *prefix;
  }
  Write(key);
  if (!full) {
    m_out->FlushIfFull();
    return;
  }
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
  const std::wstring_view view = text;
  if (m_awaitingValue) {
    if (m_valueWritten) detail::ThrowJsonError(detail::kJsonSecondText, element.GetName());
    OpenArrayIfPending(element);
    Write({0, -1, {}, {}, {}, &view, itemType});
    m_valueWritten = true;
  } else {
    const std::wstring_view key = m_roundTrip == JsonRoundTrip_None ? L"" : L"#text";
    Write({',', LevelOf(element) + 1, kKeyQuote, {}, key, &view, itemType});
  }
  m_out->FlushIfFull();
}

void CJsonTextWriter::WriteTextElement(const detail::TextElement& element) {
  const std::wstring& name = element.name;
  const std::wstring& namespaceUri = element.namespaceUri;
  // The element would share its parent's scope: at the full level it needs
  // no prefix when that scope leaves it unprefixed, and no "@xmlns": "" when
  // the scope has no default namespace to leave.
  Context* parent = GetCurrentElement();
  if (parent == nullptr || (m_roundTrip == JsonRoundTrip_Full &&
                            (!parent->IsUnprefixed(namespaceUri) ||
                             (namespaceUri.empty() && !parent->GetDefaultNamespace().empty())))) {
    return detail::WriteTextElementInPieces(*this, element);
  }
  const std::wstring_view& text = element.text.view;
  const ItemType itemType = element.itemType;
  const std::string_view asciiName = element.asciiName;
  CloseFinishedArray(*parent, false);
  if (m_valueWritten) detail::ThrowJsonError(detail::kJsonMixedContent, name);
  WritePendingNil(*parent);
  parent->AddChild();
  const int32_t state = parent->GetWriterState();
  const char separator = TakeSeparator(*parent);
  // The level the element's own context would have (see StartElement and
  // OpenArrayIfPending).
  const int32_t level = LevelOf(*parent) + (state == ARRAY_OPEN ? 2 : 1);
  if (state == ARRAY_PENDING) {
    // The array's name, then its first item.
    Write({separator, level, kKeyQuote, {}, name, nullptr, it_string, 0, true, asciiName});
    parent->SetWriterState(ARRAY_OPEN);
    m_openArrays.push_back(parent);
    Write({'[', level + 1, {}, {}, {}, &text, itemType});
  } else {
    // Items after the first share the array's name.
    const std::string_view open = state == ARRAY_OPEN ? std::string_view() : kKeyQuote;
    Write({separator, level, open, {}, name, &text, itemType, 0, true, asciiName});
  }
  m_out->FlushIfFull();
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
    Write({0, LevelOf(element), {}, {}, {}, nullptr, it_string, '}'});
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
  const std::string_view open = m_roundTrip != JsonRoundTrip_None ? "\"@" : kKeyQuote;
  const std::wstring_view view = value;
  Write({separator, LevelOf(element) + 1, open, prefix, name, &view, itemType});
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
  // The first item was started at the level of the array's name; its
  // content goes one level deeper, like the items after it.
  element.SetDepth(element.GetDepth() + 1);
  Write({'[', LevelOf(element), {}, {}, {}});
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
  Write({0, LevelOf(element) + 1, {}, {}, {}, nullptr, it_string, ']'});
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

// --- Piece by piece ---------------------------------------------------------
// For wide output, text beyond ASCII to escape, escapes and long values.

// Element names are XML names, which hold nothing a JSON string escapes
// (unless everything beyond ASCII is to be escaped).
void CJsonTextWriter::WriteKey(std::string_view open, std::wstring_view prefix,
                               std::wstring_view name) {
  if (prefix.empty() && !m_escapeNonAscii) return m_out->PutBetween(open, name, "\": ");
  m_out->Put(open);
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

void CJsonTextWriter::WriteValue(std::wstring_view text, ItemType itemType) {
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

char* PutJsonEncodedChars(std::wstring_view text, char* d) noexcept {
  for (const wchar_t wide : text) {
    const auto c = static_cast<uint32_t>(wide);
    if (c < 0x80) {
      if (c < 0x20 || c == '"' || c == '\\') return nullptr;
      *d++ = static_cast<char>(c);
    } else if (c < 0x800) {
      *d++ = static_cast<char>(0xC0 | (c >> 6));
      *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      if (c - 0xD800u < 0x800u) return nullptr;
      *d++ = static_cast<char>(0xE0 | (c >> 12));
      *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
      *d++ = static_cast<char>(0xF0 | (c >> 18));
      *d++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      return nullptr;
    }
  }
  return d;
}


struct JsonWriterAccess {
  static void WriteTextElement(CJsonTextWriter& writer, const TextElement& element) {
    writer.WriteTextElement(element);
  }
};

void WriteJsonTextElement(CJsonTextWriter& writer, const TextElement& element) {
  JsonWriterAccess::WriteTextElement(writer, element);
}

}  // namespace detail

}  // namespace Korvel
