// SPDX-License-Identifier: MIT
// CFastInfosetWriter: elements, attributes and character chunks as the octets
// of ITU-T Rec. X.891, with names and short values replaced by table indexes.
#include <korvel/fast_infoset_writer.h>

#include <cstring>

#include <korvel/binary_data.h>
#include <korvel/errors.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/fi_vocabulary.h>

#include "fastinfoset/document_header.h"
#include "fastinfoset/encoding_algorithms.h"
#include "fastinfoset/fi_text_element.h"
#include "fastinfoset/index_cache.h"
#include "fastinfoset/messages.h"
#include "fastinfoset/octet_forms.h"
#include "values/utf.h"
#include "xml/plain_ascii.h"
#include "xml/writer_messages.h"

namespace Korvel {

namespace {

using namespace detail::fi;
using Encoding = CFastInfosetContext::EncodedCharacterString;

enum IdentifyingTable { kPrefixes, kNamespaceNames, kLocalNames };

// The element's start tag had attributes, so their list owes a terminator. A
// bit above the low byte of the writer state, which the serializer uses for the
// array state of collections.
constexpr int32_t kHasAttributes = 1 << 8;

void PutAscii(Octets& out, const char* text) { out.Append(std::string_view(text)); }

void PutBytes(Octets& out, const std::string& bytes) { out.Append(bytes); }

// Text as UTF-8 into out (cleared first). As in the text writers, a value no
// UTF-8 holds (an unpaired surrogate, beyond U+10FFFF) becomes U+FFFD: a
// length of zero octets has no encoding.
void ToUtf8(std::wstring_view text, std::string& out) {
  out.clear();
  if (!detail::WideToUtf8(text, out)) out = detail::WideToUtf8Replacing(text);
}

// The UTF-8 octets of text after their length, which putLength writes from
// lead. ASCII text, nearly all, is its own UTF-8: its length is known before
// it is narrowed, straight behind its length. Other text of up to
// kEncodedInPlace characters is encoded past the longest length form, then
// moved behind its length; longer text, which would reserve four octets a
// character, and malformed text go through a scratch copy (which replaces
// what UTF-8 cannot hold).
template <class PutLength>
void PutUtf8Octets(Octets& out, std::string& scratch, std::wstring_view text, uint32_t lead,
                   PutLength putLength) {
  constexpr size_t kLongestCharacter = 4;
  constexpr size_t kEncodedInPlace = size_t{1} << 16;
  const size_t n = text.size();
  char* const d = putLength(out.Room(kLongestForm + n), lead, n);
  if (detail::PlainName::Narrow(text, d)) {
    out.Advance(d + n);
    return;
  }
  if (n <= kEncodedInPlace) {
    char* const start = out.Room(kLongestForm + kLongestCharacter * n);
    char* const encoded = start + kLongestForm;
    if (const char* const end = detail::PutUtf8(text, encoded)) {
      const size_t length = static_cast<size_t>(end - encoded);
      char* const at = putLength(start, lead, length);
      std::memmove(at, encoded, length);
      out.Advance(at + length);
      return;
    }
  }
  ToUtf8(text, scratch);
  out.Advance(putLength(out.Room(kLongestForm), lead, scratch.size()));
  PutBytes(out, scratch);
}

// The pending attributes keep their strings from one element to the next,
// whose attributes mostly have the same names: a name is copied only when it
// differs, which costs less to find than a copy.
void KeepName(std::wstring& kept, const std::wstring& name) {
  if (kept.size() != name.size() || !SameUnits(kept.data(), name)) kept = name;
}

// The index of key from the cache, or else from the vocabulary through
// lookup(index), then cached.
template <size_t kParts, class Lookup>
bool FindIndex(IndexCache<kParts>& cache, const typename IndexCache<kParts>::Key& key,
               uint32_t& index, Lookup lookup) {
  if (cache.Find(key, index)) return true;
  if (!lookup(index)) return false;
  cache.Add(key, index);
  return true;
}

}  // namespace

CFastInfosetWriter::CFastInfosetWriter(CBinaryData& output, const CFastInfosetContext& options)
    : CXmlWriter(L"CFastInfosetWriter"),
      m_output(output),
      m_options(options),
      m_vocabulary(options.GetUseGeneratedVocabulary() ? new CFIVocabulary(*options.GetVocabulary())
                                                       : new CFIVocabulary()),
      m_indexes(std::make_unique<IndexCaches>()),
      m_octets(std::make_unique<detail::ByteBuffer>()) {}

CFastInfosetWriter::~CFastInfosetWriter() = default;

void CFastInfosetWriter::WriteHeader(FInfoDecl declaration) {
  m_headerWritten = true;
  if (declaration > FInfoDecl_None && declaration <= FInfoDecl_Version11StandaloneNo) {
    PutAscii(*m_octets, kDeclarations[declaration]);
  }
  m_octets->Append(kIdentification, sizeof kIdentification);
  if (!m_options.GetUseGeneratedVocabulary()) {
    Put(*m_octets, 0);
    return;
  }
  // The generated vocabulary is announced by its URI only: a reader needs the
  // same vocabulary configured to decode the document.
  Put(*m_octets, kHasInitialVocabulary);
  Put(*m_octets, kHasExternalVocabulary);
  Put(*m_octets, 0);
  std::wstring uri = m_options.GetExternalVocabularyURI();
  if (uri.empty()) uri = DEFAULT_VOCABULARY_URI;
  std::string utf8;
  ToUtf8(uri, utf8);
  Put(*m_octets, PutLengthBit2, 0, utf8.size());
  PutBytes(*m_octets, utf8);
}

void CFastInfosetWriter::EnsureHeader() {
  if (!m_headerWritten) WriteHeader(FInfoDecl_None);
}

void CFastInfosetWriter::Close() {
  CXmlWriter::Close();
  if (m_closed) return;  // the document is out already
  m_closed = true;
  EnsureHeader();
  Terminate();  // the document's children
  ResolveTerminator();
  if (m_output.GetLength() == 0) {
    m_output = m_octets->Take();  // the usual case: no copy
  } else {
    m_output.Append(reinterpret_cast<const unsigned char*>(m_octets->Data()),
                    static_cast<uint32_t>(m_octets->Size()));
    m_octets->Clear();
  }
}

// A terminator is four bits: two in a row share one octet (0xFF), a single one
// is padded (0xF0) when anything else follows.
void CFastInfosetWriter::Terminate() {
  if (m_pendingTerminator) {
    Put(*m_octets, kDoubleTerminator);
    m_pendingTerminator = false;
  } else {
    m_pendingTerminator = true;
  }
}

void CFastInfosetWriter::ResolveTerminator() {
  if (!m_pendingTerminator) return;
  Put(*m_octets, kTerminator);
  m_pendingTerminator = false;
}

void CFastInfosetWriter::SetDefaultNamespace(const std::wstring& namespaceUri) {
  CXmlWriter::SetDefaultNamespace(namespaceUri);
  if (m_pendingElement) m_defaultChanged = true;
}

void CFastInfosetWriter::AddNamespaceAlias(const std::wstring& prefix,
                                           const std::wstring& namespaceUri) {
  CXmlWriter::AddNamespaceAlias(prefix, namespaceUri);
  if (m_pendingElement && !namespaceUri.empty()) Declare(prefix, namespaceUri);
}

void CFastInfosetWriter::WriteComment(const std::wstring&) {}
void CFastInfosetWriter::WriteProcessingInstruction(const std::wstring&) {}
void CFastInfosetWriter::WriteInLineSchema(const std::wstring&) {}

void CFastInfosetWriter::Declare(const std::wstring& prefix, const std::wstring& namespaceUri) {
  if (m_declarationCount == m_declarations.size()) m_declarations.emplace_back();
  Declaration& declaration = m_declarations[m_declarationCount++];
  declaration.prefix = prefix;
  declaration.namespaceUri = namespaceUri;
}

const std::wstring& CFastInfosetWriter::PrefixFor(CXmlWriterContext& element,
                                                  const std::wstring& namespaceUri) {
  if (const std::wstring* prefix = element.FindPrefix(namespaceUri)) return *prefix;
  const std::wstring& prefix = element.AllocatePrefix(namespaceUri);
  Declare(prefix, namespaceUri);
  return prefix;
}

void CFastInfosetWriter::StartElement(const std::wstring& name, const std::wstring& namespaceUri) {
  EnsureHeader();
  if (CXmlWriterContext* parent = GetCurrentElement()) {
    FinishStartTag(*parent);
    parent->AddChild();
  }
  CXmlWriterContext& element = PushElement(name, namespaceUri);
  m_pendingElement = true;
  m_defaultChanged = false;
  m_attributeCount = 0;
  m_declarationCount = 0;
  m_elementPrefix.clear();
  if (namespaceUri.empty()) {
    // A name in no namespace below a default namespace needs xmlns="".
    if (!element.GetDefaultNamespace().empty()) {
      element.SetDefaultNamespace(namespaceUri);
      m_defaultChanged = true;
    }
  } else if (namespaceUri != element.GetDefaultNamespace()) {
    m_elementPrefix = PrefixFor(element, namespaceUri);
  }
}

CXmlWriter::CXmlWriterContext& CFastInfosetWriter::RequireOpenStartTag() {
  CXmlWriterContext* element = GetCurrentElement();
  if (element == nullptr || !element->IsStartTagOpen()) {
    detail::ThrowWriterError(detail::kAttributesBeforeElements);
  }
  return *element;
}

void CFastInfosetWriter::WriteAttribute(const std::wstring& name, const std::wstring& namespaceUri,
                                        const std::wstring& value, ItemType itemType) {
  CXmlWriterContext& element = RequireOpenStartTag();
  if (m_attributeCount == m_attributes.size()) m_attributes.emplace_back();
  PendingAttribute& attribute = m_attributes[m_attributeCount++];
  KeepName(attribute.name, name);
  KeepName(attribute.namespaceUri, namespaceUri);
  attribute.value = value;
  attribute.itemType = itemType;
  // The default namespace never applies to attributes.
  if (namespaceUri.empty()) {
    attribute.prefix.clear();
  } else {
    attribute.prefix = PrefixFor(element, namespaceUri);
  }
}

void CFastInfosetWriter::WriteXsiType(const std::wstring& typeNamespaceUri,
                                      const std::wstring& typeName, ItemType itemType) {
  CXmlWriterContext& element = RequireOpenStartTag();
  if (element.IsUnprefixed(typeNamespaceUri)) {
    WriteAttribute(L"type", XSI_NAMESPACE, typeName, itemType);
    return;
  }
  std::wstring value = PrefixFor(element, typeNamespaceUri);
  value.append(1, L':').append(typeName);
  WriteAttribute(L"type", XSI_NAMESPACE, value, itemType);
}

void CFastInfosetWriter::WriteNil() {
  RequireOpenStartTag();
  WriteAttribute(L"nil", XSI_NAMESPACE, L"true", it_boolean);
}

void CFastInfosetWriter::WriteText(const std::wstring& text, ItemType itemType,
                                   bool isDefaultValue) {
  CXmlWriterContext& element = RequireCurrentElement();
  if (isDefaultValue && !m_writeDefaultElementValues) return;
  FinishStartTag(element);
  if (text.empty()) return;
  ResolveTerminator();
  PutCharacterChunk(text, itemType);
}

void CFastInfosetWriter::EndElement() {
  CXmlWriterContext& element = RequireCurrentElement();
  FinishStartTag(element);
  Terminate();
  PopElement();
}

void CFastInfosetWriter::FinishStartTag(CXmlWriterContext& element) {
  if (m_pendingElement) WriteElementHeader(element);
  if (!element.IsStartTagOpen()) return;
  if (element.GetWriterState() & kHasAttributes) Terminate();
  element.SetStartTagOpen(false);
}

void CFastInfosetWriter::WriteElementHeader(CXmlWriterContext& element) {
  m_pendingElement = false;
  ResolveTerminator();
  uint32_t lead = m_attributeCount > 0 ? 0x40 : 0x00;

  const CXmlWriterContext* parent = element.GetParent();
  const std::wstring& defaultNamespace = element.GetDefaultNamespace();
  const bool declareDefault =
      parent == nullptr ? !defaultNamespace.empty()
                        : m_defaultChanged && defaultNamespace != parent->GetDefaultNamespace();
  size_t documentAliases = 0;
  if (parent == nullptr) {
    for (const auto& alias : GetDocumentAliases()) documentAliases += alias.first != XML_NAMESPACE;
  }
  if (declareDefault || documentAliases > 0 || m_declarationCount > 0) {
    Put(*m_octets, lead | kNamespaceAttributes);
    lead = 0;
    if (declareDefault) PutNamespaceAttribute(std::wstring(), defaultNamespace);
    if (documentAliases > 0) {
      for (const auto& [uri, prefix] : GetDocumentAliases()) {
        if (uri != XML_NAMESPACE) PutNamespaceAttribute(prefix, uri);
      }
    }
    for (size_t i = 0; i < m_declarationCount; ++i) {
      PutNamespaceAttribute(m_declarations[i].prefix, m_declarations[i].namespaceUri);
    }
    Put(*m_octets, kTerminator);
  }

  PutElementName(lead, m_elementPrefix, element.GetNamespaceUri(), element.GetName());
  uint32_t index = 0;
  RecentNames& recent = m_indexes->recentAttributeNames;
  for (size_t i = 0; i < m_attributeCount; ++i) {
    const PendingAttribute& attribute = m_attributes[i];
    const bool unprefixed = attribute.prefix.empty();
    const auto attributeName = [&](uint32_t& i) {
      return m_vocabulary->FindAttributeNameIndex(attribute.prefix, attribute.namespaceUri,
                                                  attribute.name, i);
    };
    if (unprefixed && recent.Find(attribute.name, attribute.namespaceUri, index)) {
      Put(*m_octets, PutIndexBit2, 0x00, index);
    } else if (FindIndex(m_indexes->attributeNames,
                         {attribute.name, attribute.namespaceUri, attribute.prefix}, index,
                         attributeName)) {
      if (unprefixed) recent.Remember(attribute.name, attribute.namespaceUri, index);
      Put(*m_octets, PutIndexBit2, 0x00, index);
    } else {
      PutLiteralName(0x78, attribute.prefix, attribute.namespaceUri, attribute.name);
      m_vocabulary->AddAttribute(attribute.prefix, attribute.namespaceUri, attribute.name);
    }
    PutAttributeValue(attribute.value, attribute.itemType);
  }
  if (m_attributeCount > 0) element.SetWriterState(kHasAttributes);
}

void CFastInfosetWriter::PutElementName(uint32_t lead, const std::wstring& prefix,
                                        const std::wstring& namespaceUri,
                                        const std::wstring& localName) {
  if (!prefix.empty() || !PutRecentElementName(lead, namespaceUri, localName)) {
    PutElementNameLookedUp(lead, prefix, namespaceUri, localName);
  }
}

// In line: an element's name is nearly always one of the names met last.
inline bool CFastInfosetWriter::PutRecentElementName(uint32_t lead,
                                                     const std::wstring& namespaceUri,
                                                     const std::wstring& localName, bool lasting) {
  uint32_t index = 0;
  if (!m_indexes->recentElementNames.Find(localName, namespaceUri, index, lasting)) return false;
  Put(*m_octets, PutIndexBit3, lead, index);
  return true;
}

// Apart, so that the common case above stays small.
void CFastInfosetWriter::PutElementNameLookedUp(uint32_t lead, const std::wstring& prefix,
                                                const std::wstring& namespaceUri,
                                                const std::wstring& localName) {
  uint32_t index = 0;
  const auto elementName = [&](uint32_t& i) {
    return m_vocabulary->FindElementNameIndex(prefix, namespaceUri, localName, i);
  };
  if (FindIndex(m_indexes->elementNames, {localName, namespaceUri, prefix}, index, elementName)) {
    if (prefix.empty()) m_indexes->recentElementNames.Remember(localName, namespaceUri, index);
    Put(*m_octets, PutIndexBit3, lead, index);
  } else {
    PutLiteralName(lead | 0x3C, prefix, namespaceUri, localName);
    m_vocabulary->AddElement(prefix, namespaceUri, localName);
  }
}

// The steps of StartElement, WriteText and EndElement that such an element
// takes: it has no attributes, its scope is its parent's, and it is never
// pushed.
inline bool CFastInfosetWriter::WriteTextElement(const std::wstring& name,
                                                 const std::wstring& namespaceUri,
                                                 std::wstring_view text, ItemType itemType,
                                                 bool isDefaultValue, bool lastingNames) {
  CXmlWriterContext* parent = GetCurrentElement();
  // Any other namespace needs a prefix, no namespace below a default one xmlns="".
  if (parent == nullptr || namespaceUri != parent->GetDefaultNamespace()) return false;
  FinishStartTag(*parent);
  parent->AddChild();
  ResolveTerminator();
  if (!PutRecentElementName(0x00, namespaceUri, name, lastingNames)) {
    PutElementNameLookedUp(0x00, std::wstring(), namespaceUri, name);
  }
  if (!text.empty() && (!isDefaultValue || m_writeDefaultElementValues)) {
    PutCharacterChunk(text, itemType);
  }
  Terminate();
  return true;
}

// '110011', then whether a prefix and a namespace name follow.
void CFastInfosetWriter::PutNamespaceAttribute(const std::wstring& prefix,
                                               const std::wstring& namespaceUri) {
  Put(*m_octets, kNamespaceAttribute | (prefix.empty() ? 0 : 2) | (namespaceUri.empty() ? 0 : 1));
  if (!prefix.empty()) PutIdentifyingString(prefix, kPrefixes);
  if (!namespaceUri.empty()) PutIdentifyingString(namespaceUri, kNamespaceNames);
}

// lead holds the bits of a literal name up to the prefix and namespace bits.
void CFastInfosetWriter::PutLiteralName(uint32_t lead, const std::wstring& prefix,
                                        const std::wstring& namespaceUri,
                                        const std::wstring& localName) {
  // A prefix implies a namespace; a name without one is written unprefixed.
  const bool hasNamespace = !namespaceUri.empty();
  const bool hasPrefix = hasNamespace && !prefix.empty();
  Put(*m_octets, lead | (hasPrefix ? 2 : 0) | (hasNamespace ? 1 : 0));
  if (hasPrefix) PutIdentifyingString(prefix, kPrefixes);
  if (hasNamespace) PutIdentifyingString(namespaceUri, kNamespaceNames);
  PutIdentifyingString(localName, kLocalNames);
}

void CFastInfosetWriter::PutIdentifyingString(const std::wstring& value, int table) {
  CFIVocabulary& vocabulary = *m_vocabulary;
  uint32_t index = 0;
  bool found = false;
  switch (table) {
    case kPrefixes:
      found = vocabulary.FindPrefixNameIndex(value, index);
      break;
    case kNamespaceNames:
      found = vocabulary.FindNamespaceNameIndex(value, index);
      break;
    default:
      found = vocabulary.FindLocalNameIndex(value, index);
      break;
  }
  if (found) {
    Put(*m_octets, PutIndexBit2, 0x80, index);
    return;
  }
  ToUtf8(value, m_valueOctets);
  Put(*m_octets, PutLengthBit2, 0x00, m_valueOctets.size());
  PutBytes(*m_octets, m_valueOctets);
  switch (table) {
    case kPrefixes:
      vocabulary.AddPrefixName(value);
      break;
    case kNamespaceNames:
      vocabulary.AddNamespaceName(value);
      break;
    default:
      vocabulary.AddLocalName(value);
      break;
  }
}

// Most values take the default encoding: that is decided here, in line.
inline CFastInfosetWriter::ValueForm CFastInfosetWriter::PrepareValue(std::wstring_view text,
                                                                      ItemType itemType, bool chunk,
                                                                      uint32_t& index) {
  const Encoding encoding = m_options.GetEncoding(static_cast<uint32_t>(itemType));
  index = encoding.index;
  if (encoding.kind == Encoding::KIND_DEFAULT) return Utf8Form();
  return PrepareEncodedValue(encoding.kind, index, text, chunk);
}

inline CFastInfosetWriter::ValueForm CFastInfosetWriter::Utf8Form() const {
  if (m_options.GetDefaultStringEncoding() != 0) {
    detail::ThrowFiError(detail::kFiUnsupportedUtf16Bit5);
  }
  return ValueForm::kUtf8;  // encoded where it goes, by PutEncodedStringBit3 or 5
}

void CFastInfosetWriter::PutAttributeValue(const std::wstring& value, ItemType itemType) {
  if (value.empty()) {
    Put(*m_octets, 0xFF);  // index 0: the empty string
    return;
  }
  uint32_t encodingIndex = 0;
  const ValueForm form = PrepareValue(value, itemType, false, encodingIndex);
  // Values in an encoding algorithm are never entered in a table.
  bool add = false;
  if (form != ValueForm::kAlgorithm && value.size() < m_options.GetAttributeMaxAddLength()) {
    uint32_t index = 0;
    const auto attributeValue = [&](uint32_t& i) {
      return m_vocabulary->FindAttributeValueIndex(value, i);
    };
    if (FindIndex(m_indexes->attributeValues, {value}, index, attributeValue)) {
      Put(*m_octets, PutIndexBit2, 0x80, index);
      return;
    }
    add = m_vocabulary->m_attributeValuesMap.size() < CFIVocabulary::MAX_TABLE_ENTRIES;
    if (add) m_vocabulary->AddAttributeValue(value);
  }
  PutEncodedStringBit3(add ? 0x40 : 0x00, form, encodingIndex, value);
}

void CFastInfosetWriter::PutCharacterChunk(std::wstring_view text, ItemType itemType) {
  uint32_t encodingIndex = 0;
  const ValueForm form = PrepareValue(text, itemType, true, encodingIndex);
  bool add = false;
  if (form != ValueForm::kAlgorithm && text.size() < m_options.GetElementMaxAddLength()) {
    uint32_t index = 0;
    // The vocabulary is asked only about what the cache has not seen.
    const auto characterChunk = [&](uint32_t& i) {
      return m_vocabulary->FindElementValueIndex(std::wstring(text), i);
    };
    if (FindIndex(m_indexes->characterChunks, {text}, index, characterChunk)) {
      Put(*m_octets, PutIndexBit4, 0xA0, index);
      return;
    }
    add = m_vocabulary->m_characterChunksMap.size() < CFIVocabulary::MAX_TABLE_ENTRIES;
    if (add) m_vocabulary->AddElementValue(std::wstring(text));
  }
  PutEncodedStringBit5(add ? 0x90 : 0x80, form, encodingIndex, text);
}

// Bits 3 and 4 say how the value is encoded; an alphabet or algorithm index
// (minus one) takes the next eight bits; the octets' length starts on the
// fifth bit.
inline void CFastInfosetWriter::PutEncodedStringBit3(uint32_t lead, ValueForm form, uint32_t index,
                                                     std::wstring_view text) {
  if (form == ValueForm::kUtf8) {
    PutUtf8Octets(*m_octets, m_valueOctets, text, lead, PutLengthBit5);
    return;
  }
  const uint32_t discriminant = form == ValueForm::kAlphabet ? 0x20 : 0x30;
  char* d = m_octets->Room(1 + kLongestForm);
  d = PutOctet(d, lead | discriminant | ((index - 1) >> 4));
  m_octets->Advance(PutLengthBit5(d, ((index - 1) & 0x0F) << 4, m_valueOctets.size()));
  PutBytes(*m_octets, m_valueOctets);
}

// The same from the fifth bit, the length starting on the seventh.
inline void CFastInfosetWriter::PutEncodedStringBit5(uint32_t lead, ValueForm form, uint32_t index,
                                                     std::wstring_view text) {
  if (form == ValueForm::kUtf8) {
    PutUtf8Octets(*m_octets, m_valueOctets, text, lead, PutLengthBit7);
    return;
  }
  const uint32_t discriminant = form == ValueForm::kAlphabet ? 0x08 : 0x0C;
  char* d = m_octets->Room(1 + kLongestForm);
  d = PutOctet(d, lead | discriminant | ((index - 1) >> 6));
  m_octets->Advance(PutLengthBit7(d, ((index - 1) & 0x3F) << 2, m_valueOctets.size()));
  PutBytes(*m_octets, m_valueOctets);
}

CFastInfosetWriter::ValueForm CFastInfosetWriter::PrepareEncodedValue(uint32_t kind, uint32_t index,
                                                                      std::wstring_view text,
                                                                      bool chunk) {
  switch (kind) {
    case Encoding::KIND_RESTRICTED_ALPHABET: {
      const std::vector<std::wstring>& alphabets = m_vocabulary->m_restrictedAlphabets;
      if (index < 1 || index > alphabets.size()) {
        detail::ThrowFiError(detail::kFiInvalidAlphabetValue, index);
      }
      if (PackAlphabet(alphabets[index - 1], text)) return ValueForm::kAlphabet;
      break;
    }
    case Encoding::KIND_ENCODING_ALGORITHM:
      if (index < 1 || index > kLastBuiltInAlgorithm) {
        detail::ThrowFiError(detail::kFiInvalidAlgorithmValue, index);
      }
      // A value the algorithm cannot hold (a fraction of a second in a date,
      // an unsigned value above the signed range) is written as text instead.
      try {
        EncodeAlgorithm(index, std::wstring(text).c_str(), m_valueOctets);
        if (!m_valueOctets.empty()) return ValueForm::kAlgorithm;
      } catch (const CKvException&) {
      }
      break;
    default:
      detail::ThrowFiError(chunk ? detail::kFiUnknownEncodingBit7 : detail::kFiUnknownEncodingBit5);
  }
  return Utf8Form();
}

// Each character becomes its position in the alphabet in k bits, k the
// smallest width with room for every position and the all-ones end mark; only
// widths 4 and 8 are written. False when a character is not in the alphabet.
bool CFastInfosetWriter::PackAlphabet(const std::wstring& alphabet, std::wstring_view text) {
  const size_t size = alphabet.size();
  if (size < 2 || size > CFIVocabulary::MAX_TABLE_ENTRIES) {
    detail::ThrowFiError(detail::kFiWriteAlphabetSize);
  }
  unsigned bits = 1;
  while ((size_t{1} << bits) <= size) ++bits;
  if (bits != 4 && bits != 8) detail::ThrowFiError(detail::kFiUnsupportedAlphabetWidth);
  m_valueOctets.clear();
  bool highHalf = true;
  for (const wchar_t c : text) {
    const size_t position = alphabet.find(c);
    if (position == std::wstring::npos) return false;
    if (bits == 8) {
      m_valueOctets.push_back(static_cast<char>(position));
    } else if (highHalf) {
      m_valueOctets.push_back(static_cast<char>((position << 4) | 0x0F));
      highHalf = false;
    } else {
      m_valueOctets.back() = static_cast<char>((m_valueOctets.back() & 0xF0) | position);
      highHalf = true;
    }
  }
  return !m_valueOctets.empty();
}

namespace detail {

struct FastInfosetWriterAccess {
  static bool WriteTextElement(CFastInfosetWriter& writer, const std::wstring& name,
                               const std::wstring& namespaceUri, std::wstring_view text,
                               ItemType itemType, bool isDefaultValue, bool lastingNames) {
    return writer.WriteTextElement(name, namespaceUri, text, itemType, isDefaultValue,
                                   lastingNames);
  }
};

bool WriteFastInfosetTextElementTo(CFastInfosetWriter& writer, const std::wstring& name,
                                   const std::wstring& namespaceUri, std::wstring_view text,
                                   ItemType itemType, bool isDefaultValue, bool lastingNames) {
  return FastInfosetWriterAccess::WriteTextElement(writer, name, namespaceUri, text, itemType,
                                                   isDefaultValue, lastingNames);
}

}  // namespace detail

}  // namespace Korvel
