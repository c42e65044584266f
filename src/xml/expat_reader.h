// SPDX-License-Identifier: MIT
// CExpatReader: the glue that feeds XML text to expat and turns its callbacks
// into the builder operations of a CXmlDocument.
#pragma once

#include <expat.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <korvel/instance_monitor.h>
#include <korvel/xml_document.h>

#include "runtime/keyed_hash.h"
#include "xml/name_spellings.h"
#include "xml/xml_document_data.h"

namespace Korvel {

// One reader per load. Comments, processing instructions and the document type
// declaration are dropped, and no external entity or DTD is ever loaded (no
// handler for them is registered). Internal entities are expanded under
// expat's protection against amplification attacks.
class CExpatReader : public CInstanceMonitor {
 public:
  // Who turns prefixes into namespaces: expat's namespace processing, or this
  // reader over expat without it, which parses about a tenth faster.
  enum class Prefixes { kByExpat, kResolvedHere };

  explicit CExpatReader(CXmlDocument& document, Prefixes prefixes = Prefixes::kByExpat);
  CExpatReader(const CExpatReader&) = delete;
  CExpatReader& operator=(const CExpatReader&) = delete;
  ~CExpatReader() override;

  // Loads a document held whole in memory, which feed(reader) gives to an
  // initialized reader. Its prefixes are resolved here first (unless the
  // document has an element filter, which must see each element once); a
  // document that namespace processing might read otherwise, or that has an
  // error, is read again with it, so its tree and messages are that
  // processing's own.
  template <class Feed>
  static void LoadWhole(CXmlDocument& document, const Feed& feed) {
    if (ResolvesPrefixes(document) && TryResolvingPrefixes(document, feed)) return;
    CExpatReader reader(document);
    reader.Initialize();
    feed(reader);
  }
  // The first attempt of LoadWhole: false, the document emptied, when the
  // document must be read with expat's namespace processing.
  template <class Feed>
  static bool TryResolvingPrefixes(CXmlDocument& document, const Feed& feed) {
    try {
      CExpatReader reader(document, Prefixes::kResolvedHere);
      reader.Initialize();
      feed(reader);
      return true;
    } catch (const GiveUp&) {
      Reset(document);
      return false;
    }
  }

  // Creates the parser: without namespace processing for SchemaType_NoNamespaces
  // or when prefixes are resolved here, otherwise with it, names arriving as
  // "<namespace URI>|<local name>". The encoding is left to expat to detect.
  void Initialize();
  // Reads the input as UTF-8 whatever its declaration says; call it after
  // Initialize and before the first Parse.
  void AssumeUtf8();

  // Parses length bytes, the last of the document when isFinal. Throws
  // CKvException "<expat's message> at line <n>" on a parse error, and passes on
  // whatever a builder operation or the element filter throws.
  void Parse(const void* data, size_t length, bool isFinal);
  // Parses wide text as UTF-16LE behind a byte-order mark, converted piece by
  // piece into expat's own buffer; the text is the whole document. A code
  // point beyond U+10FFFF is refused as an invalid token.
  void ParseWide(std::wstring_view text);

  // How many bytes go to expat at a time, fixed (by default pieces grow while
  // a token spans them); tests make it small to move the boundaries between
  // pieces through every construct.
  void SetFeedSize(size_t bytes) noexcept {
    m_feedSize = bytes ? bytes : 1;
    m_growingPieces = false;
  }

 private:
  // Thrown, resolving prefixes here, at the first sign that expat's namespace
  // processing might read the document otherwise, and for any parse error.
  struct GiveUp {};
  static bool ResolvesPrefixes(const CXmlDocument& document) noexcept;
  static void Reset(CXmlDocument& document);

  template <auto Handler, class... Args>
  static void XMLCALL Callback(void* userData, Args... args) noexcept;

  void OnStartElement(const XML_Char* name, const XML_Char** attributes);
  void OnEndElement(const XML_Char* name);
  void OnCharacterData(const XML_Char* text, int length);
  void OnStartNamespace(const XML_Char* prefix, const XML_Char* uri);
  void OnStartCdata();
  void OnEndCdata();
  void OnProcessingInstruction(const XML_Char* target, const XML_Char* data);
  void OnStartDoctype(const XML_Char* name, const XML_Char* systemId, const XML_Char* publicId,
                      int hasInternalSubset);

  // A prefix resolved here: its binding in scope (0 for none; each declaration
  // is a new one) and the namespace it is bound to.
  struct Prefix {
    uint64_t binding = 0;
    std::wstring uri;
  };
  // A binding that a declaration hid, restored when the element at depth ends.
  struct Hidden {
    Prefix* prefix;
    uint64_t binding;
    std::wstring uri;
    size_t depth;
  };

  // A name as the reader knows it: the document's interned name, and whether
  // the values under it (the texts of its elements, the values of its
  // attributes) repeat enough to be held once.
  struct ReadName {
    const detail::XmlName* name;
    detail::SharingPolicy sharing{detail::SharingPolicy::kNameTrial,
                                  detail::SharingPolicy::kNameMost};
    std::string_view spelling{};  // as expat spells it
    // The names of the elements that followed a sibling of this name lately,
    // and of the first children of an element of this name, the latest
    // first: optional members make several likely.
    static constexpr size_t kGuesses = 4;
    ReadName* next[kGuesses] = {};
    ReadName* firstChild[kGuesses] = {};
    // The name of the attribute that came after one of this name last time,
    // or, for an element's name, of its first attribute.
    ReadName* nextAttribute = nullptr;
    // Resolving prefixes here, the prefix the name was resolved under and its
    // binding then: the name holds while that binding does.
    const Prefix* prefix = nullptr;
    uint64_t binding = 0;
    bool IsCurrent() const noexcept { return !prefix || prefix->binding == binding; }
  };
  // An open element's name and where its text starts in m_text.
  struct OpenText {
    ReadName* name;
    size_t start;
  };

  // The document's single copy of a short text or attribute value, or null
  // when the value is not shared.
  const std::wstring* SharedText(std::string_view utf8, detail::SharingPolicy& byName);
  // The document's single copy of whitespace between elements.
  const std::wstring* LayoutText(std::string_view utf8);
  // A text or attribute value of owner's as the tree holds it.
  const std::wstring* HeldText(const CXmlElement& owner, std::string_view utf8,
                               detail::SharingPolicy& sharing);
  // The name of the element starting now.
  ReadName* ElementNameOf(const XML_Char* expatName);
  // The name of an attribute, guess being the name that came in its place
  // last time; the guess becomes the name.
  ReadName* AttributeNameOf(const XML_Char* expatName, ReadName*& guess);
  enum class NameKind { kElement, kAttribute };
  ReadName* NameOf(std::string_view spelling, NameKind kind);
  // Interns the name a spelling stands for now.
  void Resolve(ReadName& name, NameKind kind);
  // Resolving here: the element's namespace declarations, made in scope
  // before its name is read; returns how many of its attributes they are.
  size_t DeclarePrefixes(const XML_Char** attributes);
  void Declare(std::string_view prefix, std::string_view uri);
  void Bind(std::string_view prefix, std::string_view uri);
  // Gives up unless the element's prefixed attributes name distinct attributes.
  void CheckDistinctAttributes(const CXmlElement& element) const;
  void ParseWidePieces(std::wstring_view text, bool isFinal);
  // The size of the piece after one of feedSize that began at eventsBefore.
  size_t NextFeedSize(size_t feedSize, uint64_t eventsBefore) const noexcept;
  void* GetBuffer(size_t length);
  // Passes on an error of the last call into expat.
  void Check(XML_Status status);
  void AttachText(CXmlElement* element);
  void AttachOpenText() noexcept;
  [[noreturn]] void ThrowParseError();
  [[noreturn]] void ThrowInvalidCharacter(std::wstring_view before);

  CXmlDocument& m_document;
  const bool m_resolvesPrefixes;
  XML_Parser m_parser = nullptr;
  // What a callback threw; expat is stopped and the exception rethrown once
  // control is back on this side of the C library.
  std::exception_ptr m_callbackError;
  size_t m_feedSize;
  bool m_growingPieces = true;
  // Callbacks so far: a piece that brings none ends no token.
  uint64_t m_events = 0;

  // Names as expat spells them; resolving here, an element's name and an
  // attribute's of the same spelling differ.
  using Spellings = detail::SpellingTable<ReadName>;
  Spellings m_elementNames;
  Spellings m_attributeNames;
  std::deque<ReadName> m_readNames;
  // What holds the document element as its first child, so that every
  // element has names to be guessed from.
  ReadName m_documentStart{nullptr};
  // The guesses for the element starting next: the first children of the
  // element started last, or the siblings after the one ended last.
  ReadName** m_guesses = m_documentStart.firstChild;

  // Character data of the open elements in UTF-8, innermost last; each element
  // converts its own stretch once, when it ends. A vector, whose appending is
  // inline: it takes a piece for every run of text and every line end.
  std::vector<char> m_text;
  std::vector<OpenText> m_open;

  // Short values held once, by their UTF-8 spelling.
  detail::SharingPolicy m_sharing;
  detail::SpellingTable<const std::wstring> m_sharedTexts;
  std::wstring m_shared;
  // Room for converting a text before its string is made at its size.
  std::vector<wchar_t> m_wide;

  detail::SpellingTable<const std::wstring> m_layoutTexts;
  std::wstring m_layout;
  std::wstring m_prefix;
  std::wstring m_uri;
  std::wstring m_localName;
  std::wstring m_namespaceUri;

  // Resolving here: the prefixes by spelling (the empty one for the default
  // namespace), the bindings hidden by those in scope, the bindings so far.
  std::unordered_map<std::string, Prefix, detail::KeyedTextHash> m_prefixes;
  std::vector<Hidden> m_hidden;
  uint64_t m_bindings = 0;
};

}  // namespace Korvel
