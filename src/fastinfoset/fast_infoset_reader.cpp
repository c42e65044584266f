// SPDX-License-Identifier: MIT
// CFastInfosetReader: the items of a Fast Infoset document into the document
// tree, iteratively so that deep nesting cannot exhaust the stack.
#include "fastinfoset/fast_infoset_reader.h"

#include <algorithm>
#include <cstring>

#include <korvel/errors.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/fast_infoset_items.h>
#include <korvel/fast_infoset_writer.h>
#include <korvel/fi_vocabulary.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "fastinfoset/document_header.h"
#include "fastinfoset/encoding_algorithms.h"
#include "fastinfoset/messages.h"
#include "values/utf.h"
#include "xml/messages.h"
#include "xml/xml_document_data.h"

namespace Korvel {

using Builder = detail::XmlTreeBuilder;

namespace {

using namespace detail::fi;
using detail::ThrowFiError;

enum Form { kUtf8 = 0, kUtf16 = 1, kAlphabet = 2, kAlgorithm = 3 };

// Built-in restricted alphabets take indexes 1 and 2; those a document adds
// start at 16 (3 to 15 are reserved).
constexpr size_t kFirstAddedAlphabet = 16;

// What documents may copy out of their value tables: 100 characters per octet
// of the document, and 8 Mi characters whatever its size.
constexpr size_t kReferenceAmplification = 100;
constexpr size_t kMinReferenceBudget = size_t{8} << 20;

constexpr wchar_t kElementNameTable[] = L"element name";
constexpr wchar_t kAttributeNameTable[] = L"attribute name";
constexpr wchar_t kAttributeValueTable[] = L"attribute value";
constexpr wchar_t kCharacterChunkTable[] = L"character chunk";
constexpr wchar_t kPrefixTable[] = L"prefix";
constexpr wchar_t kNamespaceNameTable[] = L"namespace name";
constexpr wchar_t kLocalNameTable[] = L"local name";

[[noreturn]] void ThrowIndexOutOfRange(uint32_t index, const wchar_t* table) {
  ThrowFiError(detail::kFiIndexOutOfRange, index, table);
}

// Text that AppendTextExcludingCR would take as it is.
bool IsPlainText(std::wstring_view text) noexcept {
  return text.find_first_of(std::wstring_view(L"\r\0", 2)) == std::wstring_view::npos;
}

const std::wstring& Entry(const CFIVocabulary::CFIStringTable& table, uint32_t index,
                          const wchar_t* name) {
  if (index == 0 || index > table.size()) ThrowIndexOutOfRange(index, name);
  return table[index - 1];
}

bool StartsWith(const unsigned char* data, size_t length, const unsigned char* prefix,
                size_t prefixLength) {
  return length >= prefixLength && std::memcmp(data, prefix, prefixLength) == 0;
}

}  // namespace

// --- Detection -----------------------------------------------------------------

size_t CFastInfosetReader::FindContent(const unsigned char* data, size_t length) {
  for (const char* declaration : kDeclarations) {
    const size_t textLength = std::strlen(declaration);
    const size_t contentStart = textLength + sizeof kIdentification;
    // Only what follows the identification makes a document.
    if (length <= contentStart) continue;
    if (StartsWith(data, length, reinterpret_cast<const unsigned char*>(declaration), textLength) &&
        StartsWith(data + textLength, length - textLength, kIdentification,
                   sizeof kIdentification)) {
      return contentStart;
    }
  }
  return 0;
}

bool CFastInfosetReader::TryRead(CXmlDocument& document, const unsigned char* data, size_t length) {
  const size_t content = FindContent(data, length);
  if (content == 0) return false;
  CFastInfosetReader reader(document, detail::XmlTreeBuilder::GetContext(document).GetFIContext());
  reader.Read(data + content, length - content);
  return true;
}

// --- Octets and the integer forms ------------------------------------------------

CFastInfosetReader::CFastInfosetReader(CXmlDocument& document, const CFastInfosetContext& options)
    : CInstanceMonitor(L"CFastInfosetReader"),
      m_document(document),
      m_options(options),
      m_vocabulary(new CFIVocabulary()) {}

CFastInfosetReader::~CFastInfosetReader() = default;

uint8_t CFastInfosetReader::Take() {
  if (m_position == m_end) ThrowFiError(detail::kFiUnexpectedEnd);
  return *m_position++;
}

const unsigned char* CFastInfosetReader::TakeOctets(size_t count) {
  if (static_cast<size_t>(m_end - m_position) < count) ThrowFiError(detail::kFiUnexpectedEnd);
  const unsigned char* octets = m_position;
  m_position += count;
  return octets;
}

uint32_t CFastInfosetReader::Take32() {
  const unsigned char* p = TakeOctets(4);
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint32_t CFastInfosetReader::IndexBit2(uint8_t first) {
  if ((first & 0x40) == 0) return (first & 0x3Fu) + 1;
  if ((first & 0x60) == 0x40) return (((first & 0x1Fu) << 8) | Take()) + 65;
  if ((first & 0x70) == 0x60) {
    const uint32_t high = ((first & 0x0Fu) << 16) | (uint32_t{Take()} << 8);
    return (high | Take()) + 8257;
  }
  ThrowFiError(detail::kFiIntegerBit2);
}

uint32_t CFastInfosetReader::IndexBit3(uint8_t first) {
  if ((first & 0x20) == 0) return (first & 0x1Fu) + 1;
  if ((first & 0x38) == 0x20) return (((first & 0x07u) << 8) | Take()) + 33;
  if ((first & 0x38) == 0x28) {
    const uint32_t high = ((first & 0x07u) << 16) | (uint32_t{Take()} << 8);
    return (high | Take()) + 2081;
  }
  if ((first & 0x3C) == 0x30) {
    const uint32_t high = ((Take() & 0x0Fu) << 16) | (uint32_t{Take()} << 8);
    return (high | Take()) + 526369;
  }
  ThrowFiError(detail::kFiIntegerBit3);
}

uint32_t CFastInfosetReader::IndexBit4(uint8_t first) {
  if ((first & 0x10) == 0) return (first & 0x0Fu) + 1;
  if ((first & 0x1C) == 0x10) return (((first & 0x03u) << 8) | Take()) + 17;
  if ((first & 0x1C) == 0x14) {
    const uint32_t high = ((first & 0x03u) << 16) | (uint32_t{Take()} << 8);
    return (high | Take()) + 1041;
  }
  if ((first & 0x1E) == 0x18) {
    const uint32_t high = ((Take() & 0x0Fu) << 16) | (uint32_t{Take()} << 8);
    return (high | Take()) + 263185;
  }
  ThrowFiError(detail::kFiIntegerBit4);
}

size_t CFastInfosetReader::LengthBit2(uint8_t first) {
  if ((first & 0x40) == 0) return (first & 0x3Fu) + 1;
  if ((first & 0x7F) == 0x40) return size_t{Take()} + 65;
  if ((first & 0x7F) == 0x60) return size_t{Take32()} + 321;
  ThrowFiError(detail::kFiOctetStringBit2);
}

size_t CFastInfosetReader::LengthBit5(uint8_t first) {
  if ((first & 0x08) == 0) return (first & 0x07u) + 1;
  if ((first & 0x0F) == 0x08) return size_t{Take()} + 9;
  if ((first & 0x0F) == 0x0C) return size_t{Take32()} + 265;
  ThrowFiError(detail::kFiOctetStringBit5);
}

size_t CFastInfosetReader::LengthBit7(uint8_t first) {
  if ((first & 0x02) == 0) return (first & 0x01u) + 1;
  if ((first & 0x03) == 0x02) return size_t{Take()} + 3;
  return size_t{Take32()} + 259;
}

uint32_t CFastInfosetReader::SequenceLength() {
  const uint8_t first = Take();
  if ((first & 0x80) == 0) return first + 1u;
  if ((first & 0xF0) != 0x80) ThrowFiError(detail::kFiIntegerBit2);
  const uint32_t high = ((first & 0x0Fu) << 16) | (uint32_t{Take()} << 8);
  return (high | Take()) + 129;
}

// --- Document ----------------------------------------------------------------------

void CFastInfosetReader::Read(const unsigned char* content, size_t length) {
  m_position = content;
  m_end = content + length;
  m_referenceBudget = std::max(kMinReferenceBudget, kReferenceAmplification * length);
  ReadOptionalComponents();
  ReadDocumentChildren();
  if (!m_document.GetDocumentElement()) ThrowFiError(detail::kInvalidXmlDocument);
}

void CFastInfosetReader::ReadOptionalComponents() {
  const uint8_t flags = Take();
  if (flags & kHasAdditionalData) {
    for (uint32_t n = SequenceLength(); n > 0; --n) {
      SkipOctetStringBit2();  // the data's URI
      SkipOctetStringBit2();  // the data
    }
  }
  if (flags & kHasInitialVocabulary) ReadInitialVocabulary();
  if (flags & kHasNotations) {
    for (uint8_t item = Take(); item != kTerminator; item = Take()) {
      if ((item & 0xFC) != 0xC0) ThrowFiError(detail::kFiInvalidDocumentItem);
      SkipIdentifyingString();                   // name
      if (item & 0x02) SkipIdentifyingString();  // system identifier
      if (item & 0x01) SkipIdentifyingString();  // public identifier
    }
  }
  if (flags & kHasUnparsedEntities) {
    for (uint8_t item = Take(); item != kTerminator; item = Take()) {
      if ((item & 0xFE) != 0xD0) ThrowFiError(detail::kFiInvalidDocumentItem);
      SkipIdentifyingString();                   // name
      SkipIdentifyingString();                   // system identifier
      if (item & 0x01) SkipIdentifyingString();  // public identifier
      SkipIdentifyingString();                   // notation name
    }
  }
  if (flags & kHasCharacterEncodingScheme) SkipOctetStringBit2();
  if (flags & kHasStandalone) Take();
  if (flags & kHasVersion) SkipNonIdentifyingStringBit1();
}

void CFastInfosetReader::ReadInitialVocabulary() {
  const uint8_t first = Take();
  const uint8_t second = Take();
  // The external vocabulary comes first; the parts given in the document are
  // added to it.
  if (first & kHasExternalVocabulary) {
    const size_t length = LengthBit2(Take());
    std::wstring uri;
    DecodeUtf8(TakeOctets(length), length, uri);
    SelectExternalVocabulary(uri);
  }
  CFIVocabulary& vocabulary = *m_vocabulary;
  if (first & 0x08) {  // restricted alphabets
    std::vector<std::wstring>& alphabets = vocabulary.m_restrictedAlphabets;
    if (alphabets.size() < kFirstAddedAlphabet - 1) alphabets.resize(kFirstAddedAlphabet - 1);
    for (uint32_t n = SequenceLength(); n > 0; --n) {
      const size_t length = LengthBit2(Take());
      std::wstring alphabet;
      DecodeUtf8(TakeOctets(length), length, alphabet);
      if (alphabets.size() < CFIVocabulary::MAX_TABLE_ENTRIES) alphabets.push_back(alphabet);
    }
  }
  if (first & 0x04) {  // encoding algorithms: only the built-in ones are known
    for (uint32_t n = SequenceLength(); n > 0; --n) SkipOctetStringBit2();
  }
  const struct {
    bool present;
    StringTable table;
  } nameLists[] = {{(first & 0x02) != 0, StringTable::kPrefixes},
                   {(first & 0x01) != 0, StringTable::kNamespaceNames},
                   {(second & 0x80) != 0, StringTable::kLocalNames}};
  for (const auto& list : nameLists) {
    if (!list.present) continue;
    for (uint32_t n = SequenceLength(); n > 0; --n) {
      const uint8_t octet = Take();
      if (octet & 0x80) ThrowFiError(detail::kFiOctetStringBit2);
      m_position--;  // a literal identifying string: padding bit 0, then the octets
      uint32_t index = 0;
      ReadIdentifyingString(list.table, index);
    }
  }
  for (const uint8_t otherList : {0x40, 0x20}) {  // other NCNames, other URIs
    if (!(second & otherList)) continue;
    for (uint32_t n = SequenceLength(); n > 0; --n) SkipOctetStringBit2();
  }
  if (second & 0x10) {  // attribute values
    for (uint32_t n = SequenceLength(); n > 0; --n) {
      ReadEncodedStringBit3(Take(), m_value);
      CFIVocabulary::AddValueToVector(m_value, vocabulary.m_attributeValuesTable);
    }
  }
  if (second & 0x08) {  // content character chunks
    for (uint32_t n = SequenceLength(); n > 0; --n) {
      ReadEncodedStringBit3(Take(), m_value);
      CFIVocabulary::AddValueToVector(m_value, vocabulary.m_characterChunksTable);
    }
  }
  if (second & 0x04) {  // other strings
    for (uint32_t n = SequenceLength(); n > 0; --n) ReadEncodedStringBit3(Take(), m_value);
  }
  for (const bool element : {true, false}) {  // element, then attribute name surrogates
    if (!(second & (element ? 0x02 : 0x01))) continue;
    for (uint32_t n = SequenceLength(); n > 0; --n) {
      const uint8_t parts = Take();
      const uint32_t prefix = parts & 0x02 ? IndexBit2(Take()) : 0;
      const uint32_t namespaceName = parts & 0x01 ? IndexBit2(Take()) : 0;
      const uint32_t localName = IndexBit2(Take());
      CFIVocabulary::AddQNameToVector(
          prefix, namespaceName, localName,
          element ? vocabulary.m_elementNamesTable : vocabulary.m_attributeNamesTable);
    }
  }
}

void CFastInfosetReader::SelectExternalVocabulary(const std::wstring& uri) {
  std::wstring known = m_options.GetExternalVocabularyURI();
  if (known.empty()) known = CFastInfosetWriter::DEFAULT_VOCABULARY_URI;
  if (!m_options.GetUseGeneratedVocabulary() || uri != known) {
    ThrowFiError(detail::kFiUnknownVocabulary, uri.c_str());
  }
  m_vocabulary.reset(new CFIVocabulary(*m_options.GetVocabulary()));
}

void CFastInfosetReader::ReadDocumentChildren() {
  while (!m_documentEnded) {
    const uint8_t octet = Take();
    if (octet < 0x80) {
      if (m_document.GetDocumentElement()) ThrowFiError(detail::kFiSecondDocumentElement);
      ReadElementTree(octet);
    } else if (octet == kTerminator || octet == kDoubleTerminator) {
      m_documentEnded = true;
    } else if (octet == kProcessingInstruction) {
      SkipProcessingInstruction();
    } else if (octet == kComment) {
      SkipNonIdentifyingStringBit1();
    } else if ((octet & 0xFC) == 0xC4) {
      SkipDocumentTypeDeclaration(octet);
    } else {
      ThrowFiError(detail::kFiInvalidDocumentItem);
    }
  }
}

// --- Elements ------------------------------------------------------------------------

void CFastInfosetReader::ReadElementTree(uint8_t first) {
  if (ReadElementStart(first)) {
    CloseElement();
    return;
  }
  size_t open = 1;  // elements of this subtree not yet ended
  while (open > 0) {
    const uint8_t octet = Take();
    if (octet < 0x80) {
      if (ReadElementStart(octet)) {
        CloseElement();
      } else {
        ++open;
      }
    } else if (octet < 0xC0) {
      ReadCharacterChunk(Builder::InnermostOpenElement(m_document), octet);
    } else if (octet == kTerminator) {
      CloseElement();
      --open;
    } else if (octet == kDoubleTerminator) {
      // Two ends: this element's and its parent's, or the document's when the
      // element was the document element.
      CloseElement();
      if (--open == 0) {
        m_documentEnded = true;
        return;
      }
      CloseElement();
      --open;
    } else if (octet == kProcessingInstruction) {
      SkipProcessingInstruction();
    } else if (octet == kComment) {
      SkipNonIdentifyingStringBit1();
    } else if ((octet & 0xFC) == 0xC8) {
      SkipUnexpandedEntityReference(octet);
    } else {
      ThrowFiError(detail::kFiInvalidElementType);
    }
  }
}

void CFastInfosetReader::CloseElement() {
  // The element filter is not applied: the tree is built as the document is.
  Builder::CloseElementUnfiltered(m_document);
  if (m_sink) m_sink->OnElementEnd();
}

bool CFastInfosetReader::ReadElementStart(uint8_t first) {
  const bool hasAttributes = (first & 0x40) != 0;
  uint8_t nameOctet = first;
  if ((first & 0x3F) == kNamespaceAttributes) {
    ReadNamespaceAttributes();
    nameOctet = Take();
  }
  int32_t coding = FiCoding_Literal;
  uint32_t index = 0;
  const detail::XmlName* name = ReadElementName(nameOctet, coding, index);
  CXmlElement* element = Builder::OpenElement(m_document, name);
  if (m_sink) {
    m_sink->OnElementStart(name->namespaceUri, name->localName, static_cast<FiCoding>(coding),
                           index);
  }
  if (!hasAttributes) return false;
  for (;;) {
    const uint8_t octet = Take();
    if (octet < 0x80) {
      ReadAttribute(element, octet);
    } else if (octet == kTerminator) {
      return false;
    } else if (octet == kDoubleTerminator) {
      return true;
    } else {
      ThrowFiError(detail::kFiInvalidAttributeList);
    }
  }
}

void CFastInfosetReader::ReadNamespaceAttributes() {
  for (uint8_t octet = Take(); octet != kTerminator; octet = Take()) {
    if ((octet & 0xFC) != kNamespaceAttribute) ThrowFiError(detail::kFiInvalidNamespaceAttribute);
    uint32_t index = 0;
    std::wstring prefix;
    if (octet & 0x02) prefix = ReadIdentifyingString(StringTable::kPrefixes, index);
    std::wstring namespaceName;
    if (octet & 0x01) namespaceName = ReadIdentifyingString(StringTable::kNamespaceNames, index);
    Builder::AddNamespaceDeclaration(m_document, prefix, namespaceName);
    if (m_sink) m_sink->OnNamespace(prefix, namespaceName);
  }
}

namespace {

// A literal entered in its table has the table's last index; a full table
// takes nothing more.
void NoteLiteral(size_t sizeBefore, size_t sizeAfter, int32_t& coding, uint32_t& index) {
  const bool added = sizeAfter > sizeBefore;
  coding = added ? FiCoding_Added : FiCoding_Literal;
  index = added ? static_cast<uint32_t>(sizeAfter) : 0;
}

}  // namespace

// Indexed values repeat by construction: each table entry becomes one string
// of the document, shared by the elements and attributes that refer to it.
// Entries too long for the document's table of shared texts are copied.
const std::wstring* CFastInfosetReader::SharedEntry(std::vector<const std::wstring*>& shared,
                                                    const std::wstring& entry, uint32_t index) {
  if (entry.empty() || entry.size() > detail::TextTable::kLongest) return nullptr;
  if (index >= shared.size()) shared.resize(index + 1, nullptr);
  if (!shared[index]) shared[index] = Builder::InternLayoutText(m_document, entry);
  return shared[index];
}

const detail::XmlName* CFastInfosetReader::ReadElementName(uint8_t octet, int32_t& coding,
                                                           uint32_t& index) {
  if ((octet & 0x3C) == 0x3C) {
    const size_t before = m_vocabulary->m_elementNamesTable.size();
    ReadLiteralQName(octet, true);
    NoteLiteral(before, m_vocabulary->m_elementNamesTable.size(), coding, index);
    return m_elementNames.back();
  }
  coding = FiCoding_Indexed;
  index = IndexBit3(octet);
  return ResolveName(index, true);
}

void CFastInfosetReader::ReadAttribute(CXmlElement* element, uint8_t first) {
  const detail::XmlName* name;
  int32_t nameCoding = FiCoding_Indexed;
  uint32_t nameIndex = 0;
  if ((first & 0x7C) == 0x78) {
    const size_t before = m_vocabulary->m_attributeNamesTable.size();
    ReadLiteralQName(first, false);
    NoteLiteral(before, m_vocabulary->m_attributeNamesTable.size(), nameCoding, nameIndex);
    name = m_attributeNames.back();
  } else {
    nameIndex = IndexBit2(first);
    name = ResolveName(nameIndex, false);
  }
  std::wstring* value = Builder::NewString(*element);
  // Attached at once, so that the document owns it whatever happens next.
  CXmlAttribute* attribute = Builder::AppendAttribute(element, name, value);
  int32_t valueCoding = FiCoding_Literal;
  uint32_t valueIndex = 0;
  CFIVocabulary::CFIStringTable& values = m_vocabulary->m_attributeValuesTable;
  const uint8_t octet = Take();
  if (octet == 0xFF) {
    // index 0: the empty string
  } else if (octet & 0x80) {
    if ((octet & 0x70) == 0x70) ThrowFiError(detail::kFiInteger0Bit2);
    valueCoding = FiCoding_Indexed;
    valueIndex = IndexBit2(octet);
    const std::wstring& entry = Entry(values, valueIndex, kAttributeValueTable);
    CountReferenced(entry.size());
    if (const std::wstring* shared = SharedEntry(m_sharedValues, entry, valueIndex)) {
      Builder::ShareAttributeValue(attribute, shared);
    } else {
      *value = entry;
    }
  } else {
    ReadEncodedStringBit3(octet, *value);
    if (octet & 0x40) {
      const size_t before = values.size();
      CFIVocabulary::AddValueToVector(*value, values);
      NoteLiteral(before, values.size(), valueCoding, valueIndex);
    }
  }
  if (m_sink) {
    m_sink->OnAttribute(name->namespaceUri, name->localName, static_cast<FiCoding>(nameCoding),
                        nameIndex, attribute->GetValue(), static_cast<FiCoding>(valueCoding),
                        valueIndex);
  }
}

void CFastInfosetReader::ReadCharacterChunk(CXmlElement* element, uint8_t first) {
  CFIVocabulary::CFIStringTable& chunks = m_vocabulary->m_characterChunksTable;
  if (first & 0x20) {
    const uint32_t index = IndexBit4(first);
    const std::wstring& text = Entry(chunks, index, kCharacterChunkTable);
    CountReferenced(text.size());
    // The element's whole text, as it usually is, is the shared entry itself.
    const std::wstring* shared = element->GetText().empty() && IsPlainText(text)
                                     ? SharedEntry(m_sharedChunks, text, index)
                                     : nullptr;
    if (shared) {
      Builder::SetText(element, shared);
    } else {
      CXmlDocument::AppendTextExcludingCR(element, text.data(), text.size());
    }
    if (m_sink) m_sink->OnCharacters(text, FiCoding_Indexed, index);
    return;
  }
  ReadEncodedStringBit5(first, m_value);
  int32_t coding = FiCoding_Literal;
  uint32_t index = 0;
  if (first & 0x10) {
    const size_t before = chunks.size();
    CFIVocabulary::AddValueToVector(m_value, chunks);
    NoteLiteral(before, chunks.size(), coding, index);
  }
  CXmlDocument::AppendTextExcludingCR(element, m_value.data(), m_value.size());
  if (m_sink) m_sink->OnCharacters(m_value, static_cast<FiCoding>(coding), index);
}

// A value entered once may be referred to by an index of one or two octets any
// number of times: the characters a document copies out of its tables are
// limited in proportion to its size, so that a small document cannot demand
// any amount of memory.
void CFastInfosetReader::CountReferenced(size_t characters) {
  if (characters > m_referenceBudget) ThrowFiError(detail::kFiTooManyReferences);
  m_referenceBudget -= characters;
}

// --- Names ----------------------------------------------------------------------------

const std::wstring& CFastInfosetReader::ReadIdentifyingString(StringTable table, uint32_t& index) {
  CFIVocabulary& vocabulary = *m_vocabulary;
  CFIVocabulary::CFIStringTable& strings =
      table == StringTable::kPrefixes         ? vocabulary.m_prefixNamesTable
      : table == StringTable::kNamespaceNames ? vocabulary.m_namespaceNamesTable
                                              : vocabulary.m_localNamesTable;
  const uint8_t first = Take();
  if (first & 0x80) {
    const wchar_t* name = table == StringTable::kPrefixes         ? kPrefixTable
                          : table == StringTable::kNamespaceNames ? kNamespaceNameTable
                                                                  : kLocalNameTable;
    index = IndexBit2(first);
    return Entry(strings, index, name);
  }
  const size_t length = LengthBit2(first);
  DecodeUtf8(TakeOctets(length), length, m_literal);
  // A full table takes no more entries: the index then names nothing.
  index = static_cast<uint32_t>(strings.size()) + 1;
  CFIVocabulary::AddValueToVector(m_literal, strings);
  if (strings.size() == index) return strings[index - 1];
  return m_literal;
}

// '1111' (element, from the third bit) or '11110' (attribute, from the second),
// then whether a prefix and a namespace name come before the local name.
void CFastInfosetReader::ReadLiteralQName(uint8_t octet, bool element) {
  const bool hasPrefix = (octet & 0x02) != 0;
  const bool hasNamespace = (octet & 0x01) != 0;
  if (hasPrefix && !hasNamespace) ThrowFiError(detail::kFiPrefixWithoutNamespace);
  CFIVocabulary& vocabulary = *m_vocabulary;
  std::wstring prefix;
  std::wstring namespaceName;
  uint32_t prefixIndex = 0;
  uint32_t namespaceIndex = 0;
  uint32_t localIndex = 0;
  if (hasPrefix) prefix = ReadIdentifyingString(StringTable::kPrefixes, prefixIndex);
  if (hasNamespace) {
    namespaceName = ReadIdentifyingString(StringTable::kNamespaceNames, namespaceIndex);
  }
  const std::wstring& localName = ReadIdentifyingString(StringTable::kLocalNames, localIndex);
  if (hasPrefix) Builder::AddDocumentAlias(m_document, prefix, namespaceName);

  const detail::XmlName* name = Builder::InternName(m_document, namespaceName, localName);
  CFIVocabulary::CFIQNameTable& names =
      element ? vocabulary.m_elementNamesTable : vocabulary.m_attributeNamesTable;
  std::vector<const detail::XmlName*>& cache = element ? m_elementNames : m_attributeNames;
  if (names.size() < CFIVocabulary::MAX_TABLE_ENTRIES) {
    CFIVocabulary::AddQNameToVector(prefixIndex, namespaceIndex, localIndex, names);
    cache.resize(names.size(), nullptr);
  } else {
    cache.push_back(nullptr);  // no index will name it; the slot only returns it
  }
  cache.back() = name;
}

const detail::XmlName* CFastInfosetReader::ResolveName(uint32_t index, bool element) {
  CFIVocabulary::CFIQNameTable& names =
      element ? m_vocabulary->m_elementNamesTable : m_vocabulary->m_attributeNamesTable;
  if (index > names.size()) {
    ThrowIndexOutOfRange(index, element ? kElementNameTable : kAttributeNameTable);
  }
  std::vector<const detail::XmlName*>& cache = element ? m_elementNames : m_attributeNames;
  if (cache.size() < names.size()) cache.resize(names.size(), nullptr);
  const detail::XmlName*& cached = cache[index - 1];
  if (!cached) {
    const CFIVocabulary::CQNameParts& parts = names[index - 1];
    static const std::wstring kNone;
    const std::wstring& namespaceName = parts.namespaceNameIndex == 0
                                            ? kNone
                                            : Entry(m_vocabulary->m_namespaceNamesTable,
                                                    parts.namespaceNameIndex, kNamespaceNameTable);
    const std::wstring& localName =
        Entry(m_vocabulary->m_localNamesTable, parts.localNameIndex, kLocalNameTable);
    cached = Builder::InternName(m_document, namespaceName, localName);
  }
  return cached;
}

// --- Values -----------------------------------------------------------------------------

// Bits 3 and 4 give the form; an alphabet or algorithm index takes the next
// eight bits; the length starts on the fifth bit.
void CFastInfosetReader::ReadEncodedStringBit3(uint8_t first, std::wstring& out) {
  const int form = (first >> 4) & 0x03;
  uint32_t index = 0;
  uint8_t lengthOctet = first;
  if (form == kAlphabet || form == kAlgorithm) {
    lengthOctet = Take();
    index = (((first & 0x0Fu) << 4) | (lengthOctet >> 4)) + 1;
  }
  const size_t length = LengthBit5(lengthOctet);
  DecodeOctets(form, index, TakeOctets(length), length, out);
}

// Bits 5 and 6 give the form; the length starts on the seventh bit.
void CFastInfosetReader::ReadEncodedStringBit5(uint8_t first, std::wstring& out) {
  const int form = (first >> 2) & 0x03;
  uint32_t index = 0;
  uint8_t lengthOctet = first;
  if (form == kAlphabet || form == kAlgorithm) {
    lengthOctet = Take();
    index = (((first & 0x03u) << 6) | (lengthOctet >> 2)) + 1;
  }
  const size_t length = LengthBit7(lengthOctet);
  DecodeOctets(form, index, TakeOctets(length), length, out);
}

void CFastInfosetReader::DecodeOctets(int form, uint32_t index, const unsigned char* octets,
                                      size_t length, std::wstring& out) {
  switch (form) {
    case kUtf8:
      DecodeUtf8(octets, length, out);
      break;
    case kUtf16: {
      std::string littleEndian(length, '\0');
      if (length % 2 != 0) ThrowFiError(detail::kFiInvalidUtf16);
      for (size_t i = 0; i < length; i += 2) {
        littleEndian[i] = static_cast<char>(octets[i + 1]);
        littleEndian[i + 1] = static_cast<char>(octets[i]);
      }
      out.clear();
      if (!detail::Utf16LeToWide(littleEndian, out)) ThrowFiError(detail::kFiInvalidUtf16);
      break;
    }
    case kAlphabet:
      DecodeAlphabet(index, octets, length, out);
      break;
    default:
      if (index > kLastBuiltInAlgorithm) ThrowFiError(detail::kFiUnknownAlgorithm, index);
      out = DecodeAlgorithm(index, octets, length);
      break;
  }
}

void CFastInfosetReader::DecodeUtf8(const unsigned char* octets, size_t length, std::wstring& out) {
  out.clear();
  if (!detail::Utf8ToWide(detail::ByteView(octets, length), out)) {
    ThrowFiError(detail::kFiInvalidUtf8);
  }
}

// k bits per character, k the smallest width with room for every position and
// the all-ones value, which ends the string.
void CFastInfosetReader::DecodeAlphabet(uint32_t index, const unsigned char* octets, size_t length,
                                        std::wstring& out) {
  const std::vector<std::wstring>& alphabets = m_vocabulary->m_restrictedAlphabets;
  if (index > alphabets.size()) ThrowFiError(detail::kFiUnknownAlphabet, index);
  const std::wstring& alphabet = alphabets[index - 1];
  const size_t size = alphabet.size();
  if (size < 2 || size > CFIVocabulary::MAX_TABLE_ENTRIES) {
    ThrowFiError(detail::kFiReadAlphabetSize);
  }
  unsigned bits = 1;
  while ((size_t{1} << bits) <= size) ++bits;
  const uint32_t end = (uint32_t{1} << bits) - 1;
  out.clear();
  const size_t totalBits = length * 8;
  for (size_t bit = 0; bit + bits <= totalBits; bit += bits) {
    uint32_t value = 0;
    for (unsigned i = 0; i < bits; ++i) {
      const size_t at = bit + i;
      value = (value << 1) | ((octets[at / 8] >> (7 - at % 8)) & 1u);
    }
    if (value == end) break;
    if (value >= size) ThrowFiError(detail::kFiCharacterOutsideAlphabet, value);
    out.push_back(alphabet[value]);
  }
}

// --- What is read over -------------------------------------------------------------------

void CFastInfosetReader::SkipIdentifyingString() {
  const uint8_t first = Take();
  if (first & 0x80) {
    IndexBit2(first);
  } else {
    TakeOctets(LengthBit2(first));
  }
}

void CFastInfosetReader::SkipOctetStringBit2() { TakeOctets(LengthBit2(Take())); }

void CFastInfosetReader::SkipNonIdentifyingStringBit1() {
  const uint8_t first = Take();
  if (first & 0x80) {
    if (first != 0xFF) IndexBit2(first);
  } else {
    ReadEncodedStringBit3(first, m_value);
  }
}

void CFastInfosetReader::SkipProcessingInstruction() {
  SkipIdentifyingString();  // target
  SkipNonIdentifyingStringBit1();
}

// Its identifiers, then processing instructions up to its own terminator. A
// double terminator also ends the document.
void CFastInfosetReader::SkipDocumentTypeDeclaration(uint8_t first) {
  if (first & 0x02) SkipIdentifyingString();  // system identifier
  if (first & 0x01) SkipIdentifyingString();  // public identifier
  for (;;) {
    const uint8_t octet = Take();
    if (octet == kTerminator) return;
    if (octet == kDoubleTerminator) {
      m_documentEnded = true;
      return;
    }
    if (octet != kProcessingInstruction) ThrowFiError(detail::kFiInvalidDocumentItem);
    SkipProcessingInstruction();
  }
}

void CFastInfosetReader::SkipUnexpandedEntityReference(uint8_t first) {
  SkipIdentifyingString();                    // name
  if (first & 0x02) SkipIdentifyingString();  // system identifier
  if (first & 0x01) SkipIdentifyingString();  // public identifier
}

}  // namespace Korvel
