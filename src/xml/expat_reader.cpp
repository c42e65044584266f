// SPDX-License-Identifier: MIT
// CExpatReader over expat's UTF-8 interface.
#include "xml/expat_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include <korvel/errors.h>

#include "platform/random.h"
#include "values/utf.h"
#include "xml/messages.h"
#include "xml/xml_document_data.h"

namespace Korvel {

using Builder = detail::XmlTreeBuilder;

namespace {

// The pieces in-memory bytes go to expat in: it copies each into a buffer of
// its own, which at this size stays in the cache instead of becoming a second
// copy of a large document.
constexpr size_t kFeedSize = 256 * 1024;
constexpr size_t kLargestFeedSize = std::numeric_limits<int>::max();
constexpr char kNameSeparator = '|';
constexpr char kPrefixSeparator = ':';
constexpr std::string_view kXmlPrefix = "xml";
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";
constexpr std::string_view kDeclaration = "xmlns";
constexpr std::string_view kCdataStart = "<![CDATA[";
constexpr std::string_view kCdataEnd = "]]>";
// In bytes; the room for converting aside stays within 16 KiB.
constexpr size_t kLongestConvertedAside = 4096;

// Whitespace between elements: the same few strings over and over in any
// indented document, so each is held once.
bool IsLayout(std::string_view text) noexcept {
  if (text.size() > detail::TextTable::kLongest) return false;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') return false;
  }
  return true;
}

// The characters of well-formed UTF-8: every byte but the continuation bytes.
size_t CharacterCount(std::string_view utf8) noexcept {
  return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// A bounded piece of the remaining input, as the int expat takes.
int PieceLength(size_t remaining, size_t feedSize) noexcept {
  return static_cast<int>(std::min(remaining, feedSize));
}

// What follows "xmlns" in a declaration's name: nothing for the default
// namespace, ":<prefix>" for a prefix; false for any other attribute.
bool IsDeclaration(const char* attributeName, std::string_view& rest) noexcept {
  if (attributeName[0] != 'x' || std::strncmp(attributeName, kDeclaration.data(), 5) != 0 ||
      (attributeName[5] != '\0' && attributeName[5] != kPrefixSeparator)) {
    return false;
  }
  rest = attributeName + 5;
  return true;
}

// A prefix or local name that reads alike with or without expat's namespace
// processing: no colon, and a plain start (a cautious test: names starting
// otherwise are read with that processing).
bool IsPlainPart(std::string_view part) noexcept {
  if (part.empty() || part.find(kPrefixSeparator) != std::string_view::npos) return false;
  const char start = part[0];
  return (start >= 'a' && start <= 'z') || (start >= 'A' && start <= 'Z') || start == '_';
}

// A name without a colon, or with one between a prefix and a plain local name.
bool HasPlainPrefix(std::string_view name, size_t colon) noexcept {
  return colon == std::string_view::npos || (colon > 0 && IsPlainPart(name.substr(colon + 1)));
}

// Prefixes starting "xml" in any case are reserved; "xml" itself is bound
// from the start, never declared.
bool IsReservedPrefix(std::string_view prefix) noexcept {
  return prefix.size() >= 3 && (prefix[0] | 0x20) == 'x' && (prefix[1] | 0x20) == 'm' &&
         (prefix[2] | 0x20) == 'l';
}

}  // namespace

template <auto Handler, class... Args>
void XMLCALL CExpatReader::Callback(void* userData, Args... args) noexcept {
  auto* reader = static_cast<CExpatReader*>(userData);
  // expat may still deliver a callback or two for the token it stopped in.
  if (reader->m_callbackError) return;
  ++reader->m_events;
  try {
    (reader->*Handler)(args...);
  } catch (...) {
    // Exceptions must not unwind through the C library's frames.
    reader->m_callbackError = std::current_exception();
    XML_StopParser(reader->m_parser, XML_FALSE);
  }
}

CExpatReader::CExpatReader(CXmlDocument& document, Prefixes prefixes)
    : CInstanceMonitor(L"CExpatReader"),
      m_document(document),
      m_resolvesPrefixes(prefixes == Prefixes::kResolvedHere),
      m_feedSize(kFeedSize) {
  if (m_resolvesPrefixes) {
    Prefix& xml = m_prefixes[std::string(kXmlPrefix)];
    xml.binding = ++m_bindings;
    xml.uri = detail::Utf8ToWide(kXmlNamespace);
  }
}

bool CExpatReader::ResolvesPrefixes(const CXmlDocument& document) noexcept {
  return !document.m_filter && document.m_schemaType != SchemaType_NoNamespaces;
}

void CExpatReader::Reset(CXmlDocument& document) { document.CXmlDocument::Cleanup(); }

CExpatReader::~CExpatReader() {
  if (m_parser) XML_ParserFree(m_parser);
}

void CExpatReader::Initialize() {
  m_parser = m_resolvesPrefixes ||
                     detail::XmlTreeBuilder::GetSchemaType(m_document) == SchemaType_NoNamespaces
                 ? XML_ParserCreate(nullptr)
                 : XML_ParserCreateNS(nullptr, kNameSeparator);
  if (!m_parser) throw std::bad_alloc();
  // expat would otherwise draw a key of its own from the system for every
  // document: a system call that is a third of loading a few hundred bytes.
  XML_SetHashSalt(m_parser, static_cast<unsigned long>(detail::platform::ProcessSecret()));
  XML_SetUserData(m_parser, this);
  XML_SetElementHandler(m_parser,
                        &Callback<&CExpatReader::OnStartElement, const XML_Char*, const XML_Char**>,
                        &Callback<&CExpatReader::OnEndElement, const XML_Char*>);
  XML_SetStartNamespaceDeclHandler(
      m_parser, &Callback<&CExpatReader::OnStartNamespace, const XML_Char*, const XML_Char*>);
  XML_SetCharacterDataHandler(m_parser,
                              &Callback<&CExpatReader::OnCharacterData, const XML_Char*, int>);
  if (!detail::XmlTreeBuilder::GetContext(m_document).GetStripCDATA()) {
    XML_SetCdataSectionHandler(m_parser, &Callback<&CExpatReader::OnStartCdata>,
                               &Callback<&CExpatReader::OnEndCdata>);
  }
  if (m_resolvesPrefixes) {
    XML_SetProcessingInstructionHandler(
        m_parser,
        &Callback<&CExpatReader::OnProcessingInstruction, const XML_Char*, const XML_Char*>);
    XML_SetStartDoctypeDeclHandler(
        m_parser, &Callback<&CExpatReader::OnStartDoctype, const XML_Char*, const XML_Char*,
                            const XML_Char*, int>);
  }
}

void CExpatReader::AssumeUtf8() {
  if (XML_SetEncoding(m_parser, "UTF-8") != XML_STATUS_OK) ThrowParseError();
}

// --- Feeding ---------------------------------------------------------------------
// expat rescans an unfinished token from its start with every piece, so a
// piece that completes nothing (a huge attribute value, comment or tag) is
// followed by one twice its size: a token of any size costs linear time, and
// pieces return to their size once events flow again. A feed size set by a
// test stays fixed, so that the boundaries move through every construct.

size_t CExpatReader::NextFeedSize(size_t feedSize, uint64_t eventsBefore) const noexcept {
  if (!m_growingPieces) return feedSize;
  return m_events != eventsBefore ? m_feedSize : std::min(feedSize * 2, kLargestFeedSize);
}

void CExpatReader::Parse(const void* data, size_t length, bool isFinal) {
  const auto* bytes = static_cast<const char*>(data);
  size_t feedSize = m_feedSize;
  do {
    const int piece = PieceLength(length, feedSize);
    const uint64_t eventsBefore = m_events;
    bytes += piece;
    length -= static_cast<size_t>(piece);
    Check(XML_Parse(m_parser, bytes - piece, piece, isFinal && length == 0));
    feedSize = NextFeedSize(feedSize, eventsBefore);
  } while (length > 0);
}

void CExpatReader::ParseWide(std::wstring_view text) {
  // Wide text is read as the characters it holds: an encoding its declaration
  // names (UTF-8, say, when the text was decoded from bytes) does not apply.
  if (XML_SetEncoding(m_parser, "UTF-16LE") != XML_STATUS_OK) ThrowParseError();
  // No UTF-16 text holds a code point beyond U+10FFFF, so neither may the
  // document: the text before it is parsed (an earlier error wins), then the
  // character is refused as the parser refuses any character XML forbids.
  const auto bad = std::find_if(text.begin(), text.end(),
                                [](wchar_t c) { return static_cast<uint32_t>(c) > 0x10FFFF; });
  const auto good = static_cast<size_t>(bad - text.begin());
  ParseWidePieces(text.substr(0, good), bad == text.end());
  if (bad != text.end()) ThrowInvalidCharacter(text.substr(0, good));
}

void CExpatReader::ParseWidePieces(std::wstring_view text, bool isFinal) {
  // At most four bytes per character (a pair of UTF-16 units), so a piece of
  // text fits the feed size.
  size_t feedSize = m_feedSize;
  bool first = true;
  do {
    const std::wstring_view piece = text.substr(0, std::max<size_t>(feedSize / 4, 1));
    const uint64_t eventsBefore = m_events;
    text.remove_prefix(piece.size());
    const size_t markSize = first ? sizeof detail::kUtf16LeByteOrderMark : 0;
    const size_t size = markSize + detail::Utf16LeUnitsSize(piece);
    auto* buffer = static_cast<unsigned char*>(GetBuffer(size));
    if (first) std::memcpy(buffer, detail::kUtf16LeByteOrderMark, markSize);
    detail::PutUtf16LeUnits(piece, buffer + markSize);
    Check(XML_ParseBuffer(m_parser, static_cast<int>(size), isFinal && text.empty()));
    feedSize = NextFeedSize(feedSize, eventsBefore);
    first = false;
  } while (!text.empty());
}

void CExpatReader::ThrowInvalidCharacter(std::wstring_view before) {
  if (m_resolvesPrefixes) throw GiveUp{};
  AttachOpenText();
  // Lines end at LF, at CR LF and at a lone CR.
  int line = 1;
  for (size_t i = 0; i < before.size(); ++i) {
    const bool crlf = before[i] == L'\r' && i + 1 < before.size() && before[i + 1] == L'\n';
    if ((before[i] == L'\n' || before[i] == L'\r') && !crlf) ++line;
  }
  const std::wstring message = detail::Utf8ToWide(XML_ErrorString(XML_ERROR_INVALID_TOKEN));
  throw CKvException(FormatString(detail::kParseFailed, message.c_str(), line));
}

void* CExpatReader::GetBuffer(size_t length) {
  void* buffer = XML_GetBuffer(m_parser, static_cast<int>(length));
  if (!buffer) ThrowParseError();
  return buffer;
}

void CExpatReader::Check(XML_Status status) {
  if (status != XML_STATUS_ERROR) return;
  if (m_callbackError) {
    AttachOpenText();
    std::rethrow_exception(std::exchange(m_callbackError, nullptr));
  }
  ThrowParseError();
}

void CExpatReader::ThrowParseError() {
  if (m_resolvesPrefixes) throw GiveUp{};
  AttachOpenText();
  const XML_LChar* text = XML_ErrorString(XML_GetErrorCode(m_parser));
  const std::wstring message = detail::Utf8ToWide(text ? text : "");
  const auto line = static_cast<int>(XML_GetCurrentLineNumber(m_parser));
  throw CKvException(FormatString(detail::kParseFailed, message.c_str(), line));
}

// --- Callbacks -------------------------------------------------------------------

void CExpatReader::OnStartElement(const XML_Char* name, const XML_Char** attributes) {
  const size_t declarations = m_resolvesPrefixes && attributes[0] ? DeclarePrefixes(attributes) : 0;
  ReadName* elementName = ElementNameOf(name);
  CXmlElement* element = Builder::OpenElement(m_document, elementName->name);
  // Filled member by member, as OpenElement explains.
  OpenText& open = m_open.emplace_back();
  open.name = elementName;
  open.start = m_text.size();
  if (!attributes[0]) return;
  size_t count = 0;
  while (attributes[2 * count]) ++count;
  if (count == declarations) return;
  Builder::ReserveAttributes(element, count - declarations);
  ReadName** guess = &elementName->nextAttribute;
  size_t prefixed = 0;
  for (size_t i = 0; i < count; ++i) {
    std::string_view declared;
    if (declarations && IsDeclaration(attributes[2 * i], declared)) continue;
    ReadName* attributeName = AttributeNameOf(attributes[2 * i], *guess);
    guess = &attributeName->nextAttribute;
    prefixed += attributeName->prefix != nullptr;
    const std::wstring* value = HeldText(*element, attributes[2 * i + 1], attributeName->sharing);
    Builder::AppendAttribute(element, attributeName->name, value);
  }
  if (prefixed > 1) CheckDistinctAttributes(*element);
}

void CExpatReader::OnEndElement(const XML_Char*) {
  AttachText(Builder::InnermostOpenElement(m_document));
  m_document.EndElement();
  // The bindings the element's declarations hid are back in scope.
  while (!m_hidden.empty() && m_hidden.back().depth == m_open.size()) {
    Hidden& hidden = m_hidden.back();
    hidden.prefix->binding = hidden.binding;
    hidden.prefix->uri = std::move(hidden.uri);
    m_hidden.pop_back();
  }
}

// The elements still open when a load fails keep the text read so far, so the
// tree left behind is the document up to the error.
void CExpatReader::AttachOpenText() noexcept {
  try {
    for (size_t depth = m_open.size(); depth > 0; --depth) {
      AttachText(Builder::OpenElementAt(m_document, depth - 1));
    }
  } catch (...) {
    // Out of memory on the way out: the load's own error is the one to report.
  }
}

// Gives the element the text gathered since it started, and forgets it.
void CExpatReader::AttachText(CXmlElement* element) {
  // Member by member, as they were stored (see OnStartElement).
  const size_t start = m_open.back().start;
  ReadName& name = *m_open.back().name;
  m_open.pop_back();
  // What starts next is the element's next sibling.
  m_guesses = name.next;
  if (m_text.size() == start) return;
  // expat has already turned line ends into line feeds: a carriage return
  // that arrives came from a character reference and is kept.
  const std::string_view utf8(m_text.data() + start, m_text.size() - start);
  Builder::SetText(element,
                   IsLayout(utf8) ? LayoutText(utf8) : HeldText(*element, utf8, name.sharing));
  m_text.resize(start);
}

void CExpatReader::OnCharacterData(const XML_Char* text, int length) {
  if (length > 0 && !m_open.empty()) m_text.insert(m_text.end(), text, text + length);
}

void CExpatReader::OnStartNamespace(const XML_Char* prefix, const XML_Char* uri) {
  Declare(prefix ? prefix : "", uri ? uri : "");
}

void CExpatReader::Declare(std::string_view prefix, std::string_view uri) {
  m_prefix.clear();
  m_uri.clear();
  detail::Utf8ToWide(prefix, m_prefix);
  detail::Utf8ToWide(uri, m_uri);
  Builder::AddNamespaceDeclaration(m_document, m_prefix, m_uri);
}

// --- Prefixes resolved here --------------------------------------------------------
// Only what namespace processing reads the same way is resolved here; the
// rest gives up: a document type declaration (its attribute defaults and
// declarations are read by other rules), names with other colons, reserved
// prefixes and namespaces, namespaces holding the separator that processing
// refuses, undeclared prefixes, two attributes that turn out alike,
// processing instruction targets with colons, and any parse error.

size_t CExpatReader::DeclarePrefixes(const XML_Char** attributes) {
  size_t declarations = 0;
  for (; *attributes; attributes += 2) {
    std::string_view rest;
    if (!IsDeclaration(*attributes, rest)) continue;
    const std::string_view prefix = rest.empty() ? rest : rest.substr(1);
    const std::string_view uri = attributes[1];
    const bool plain = rest.empty() || (IsPlainPart(prefix) && !IsReservedPrefix(prefix));
    // Undeclaring a prefix (the default namespace may be) is no declaration.
    if (!plain || (!rest.empty() && uri.empty()) || uri == kXmlNamespace ||
        uri == kXmlnsNamespace || uri.find(kNameSeparator) != std::string_view::npos) {
      throw GiveUp{};
    }
    Declare(prefix, uri);
    Bind(prefix, uri);
    ++declarations;
  }
  return declarations;
}

void CExpatReader::Bind(std::string_view prefix, std::string_view uri) {
  Prefix& bound = m_prefixes[std::string(prefix)];
  m_hidden.push_back(Hidden{&bound, bound.binding, std::move(bound.uri), m_open.size()});
  bound.binding = ++m_bindings;
  bound.uri = detail::Utf8ToWide(uri);
}

void CExpatReader::CheckDistinctAttributes(const CXmlElement& element) const {
  const CXmlAttributeList& attributes = element.GetAttributes();
  for (auto a = attributes.begin(); a != attributes.end(); ++a) {
    for (auto b = attributes.begin(); b != a; ++b) {
      if (&Builder::NameOf(**a) == &Builder::NameOf(**b)) throw GiveUp{};
    }
  }
}

void CExpatReader::OnProcessingInstruction(const XML_Char* target, const XML_Char*) {
  if (std::strchr(target, kPrefixSeparator)) throw GiveUp{};
}

void CExpatReader::OnStartDoctype(const XML_Char*, const XML_Char*, const XML_Char*, int) {
  throw GiveUp{};
}

void CExpatReader::OnStartCdata() {
  if (!m_open.empty()) m_text.insert(m_text.end(), kCdataStart.begin(), kCdataStart.end());
}

void CExpatReader::OnEndCdata() {
  if (!m_open.empty()) m_text.insert(m_text.end(), kCdataEnd.begin(), kCdataEnd.end());
}

// The same few layout texts recur throughout an indented document: each is
// found by its UTF-8 spelling, without a conversion or a lookup by wide text.
const std::wstring* CExpatReader::LayoutText(std::string_view utf8) {
  const uint64_t hash = m_layoutTexts.Hash(utf8);
  if (const std::wstring* found = m_layoutTexts.Find(utf8, hash)) return found;
  m_layout.assign(utf8.begin(), utf8.end());
  const std::wstring* held = Builder::InternLayoutText(m_document, m_layout);
  m_layoutTexts.Add(utf8, hash, held);
  return held;
}

// Short values repeat in data documents, so each distinct one is held once
// (see SharingPolicy), and a repeat is found by its UTF-8 form: it costs
// neither a conversion nor an allocation. A value is shared while the values
// of the whole document repeat, or those of its name: a few names whose
// values never repeat do not stop the sharing of the others.
const std::wstring* CExpatReader::SharedText(std::string_view utf8, detail::SharingPolicy& byName) {
  if (!m_sharing.Wants(utf8.size()) && !byName.Wants(utf8.size())) return nullptr;
  const uint64_t hash = m_sharedTexts.Hash(utf8);
  if (const std::wstring* found = m_sharedTexts.Find(utf8, hash)) {
    m_sharing.Hit();
    byName.Hit();
    return found;
  }
  const bool admittedByName = byName.Admit(m_sharedTexts.Size());
  if (!m_sharing.Admit(m_sharedTexts.Size()) && !admittedByName) return nullptr;
  m_shared.clear();
  detail::Utf8ToWide(utf8, m_shared);
  const std::wstring* held = Builder::InternLayoutText(m_document, m_shared);
  m_sharedTexts.Add(utf8, hash, held);
  return held;
}

// A value of its own is made at its size. A short one is converted aside
// first; a long one (the layout around thousands of children, say) in place,
// its characters counted first, so that no second copy of it is held.
const std::wstring* CExpatReader::HeldText(const CXmlElement& owner, std::string_view utf8,
                                           detail::SharingPolicy& sharing) {
  if (utf8.empty()) return &detail::EmptyText();
  if (const std::wstring* shared = SharedText(utf8, sharing)) return shared;
  // expat delivers well-formed UTF-8 only.
  if (utf8.size() > kLongestConvertedAside) {
    std::wstring* text = Builder::NewString(owner);
    text->resize(CharacterCount(utf8));
    detail::PutWide(utf8, text->data());
    return text;
  }
  if (m_wide.size() < utf8.size()) m_wide.resize(utf8.size());
  const wchar_t* end = detail::PutWide(utf8, m_wide.data());
  return Builder::NewString(owner,
                            {m_wide.data(), end ? static_cast<size_t>(end - m_wide.data()) : 0});
}

// --- Names -----------------------------------------------------------------------

// Elements mostly start in the order they did before (the members of a
// sequence, an item after an item), and attributes come in the order they
// did on the element before, so the names that followed last time are tried
// first: a right guess costs a comparison instead of a hash and a lookup.
// An element is guessed from its previous sibling, or from its parent when it
// is the first child: what started just before it may lie deep in the
// sibling's subtree, where anything may follow.
CExpatReader::ReadName* CExpatReader::ElementNameOf(const XML_Char* expatName) {
  const std::string_view spelling(expatName);
  ReadName** guesses = m_guesses;
  ReadName* name = nullptr;
  for (size_t i = 0; i < ReadName::kGuesses && guesses[i]; ++i) {
    if (Spellings::Same(guesses[i]->spelling, spelling) && guesses[i]->IsCurrent()) {
      name = guesses[i];
      break;
    }
  }
  if (!name) {
    name = NameOf(spelling, NameKind::kElement);
    std::copy_backward(guesses, guesses + ReadName::kGuesses - 1, guesses + ReadName::kGuesses);
    guesses[0] = name;
  }
  m_guesses = name->firstChild;
  return name;
}

CExpatReader::ReadName* CExpatReader::AttributeNameOf(const XML_Char* expatName,
                                                       ReadName*& guess) {
  const std::string_view spelling(expatName);
  if (!guess || !Spellings::Same(guess->spelling, spelling) || !guess->IsCurrent()) {
    guess = NameOf(spelling, NameKind::kAttribute);
  }
  return guess;
}

CExpatReader::ReadName* CExpatReader::NameOf(std::string_view spelling, NameKind kind) {
  Spellings& names = kind == NameKind::kElement ? m_elementNames : m_attributeNames;
  const uint64_t hash = names.Hash(spelling);
  ReadName* name = names.Find(spelling, hash);
  if (!name) {
    name = &m_readNames.emplace_back(ReadName{nullptr});
    name->spelling = names.Add(spelling, hash, name);
  } else if (name->IsCurrent()) {
    return name;
  }
  Resolve(*name, kind);
  return name;
}

void CExpatReader::Resolve(ReadName& name, NameKind kind) {
  const std::string_view spelling = name.spelling;
  // A prefix declared again for the namespace it had (xmlns="" on every
  // record, say) leaves the names under it as they were.
  if (name.prefix && name.name && name.prefix->binding != 0 &&
      name.prefix->uri == name.name->namespaceUri) {
    name.binding = name.prefix->binding;
    return;
  }
  // Converted into the reader's scratch strings and interned from there: a
  // name new to the document is copied once, into the document's table.
  std::wstring_view namespaceUri;
  m_localName.clear();
  if (m_resolvesPrefixes) {
    // An element without a prefix is in the default namespace, if any; an
    // attribute without one is in none.
    const size_t colon = spelling.find(kPrefixSeparator);
    if (!HasPlainPrefix(spelling, colon)) throw GiveUp{};
    const bool prefixed = colon != std::string_view::npos;
    name.prefix = nullptr;
    if (prefixed || kind == NameKind::kElement) {
      const Prefix& prefix = m_prefixes[std::string(spelling.substr(0, prefixed ? colon : 0))];
      if (prefixed && prefix.binding == 0) throw GiveUp{};
      name.prefix = &prefix;
      name.binding = prefix.binding;
      namespaceUri = prefix.uri;
    }
    detail::Utf8ToWide(prefixed ? spelling.substr(colon + 1) : spelling, m_localName);
  } else {
    // The namespace URI is what comes before the separator; without one
    // (always so without namespace processing) the whole name is local.
    const size_t separator = spelling.find(kNameSeparator);
    if (separator == std::string_view::npos) {
      detail::Utf8ToWide(spelling, m_localName);
    } else {
      m_namespaceUri.clear();
      detail::Utf8ToWide(spelling.substr(0, separator), m_namespaceUri);
      namespaceUri = m_namespaceUri;
      detail::Utf8ToWide(spelling.substr(separator + 1), m_localName);
    }
  }
  name.name = Builder::InternName(m_document, namespaceUri, m_localName);
}

}  // namespace Korvel
