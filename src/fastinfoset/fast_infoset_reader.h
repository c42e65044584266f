// SPDX-License-Identifier: MIT
// CFastInfosetReader: decodes a Fast Infoset document (ITU-T Rec. X.891) into a
// CXmlDocument, and recognises such documents among the byte inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <korvel/instance_monitor.h>

namespace Korvel {

class CFIVocabulary;
class IFastInfosetItemSink;
class CFastInfosetContext;
class CXmlDocument;
class CXmlElement;

namespace detail {
struct XmlName;
}

// Reads elements, attributes, namespace attributes and character chunks (as
// literals, table indexes, restricted alphabets or encoding algorithms) and
// reads over what carries no part of the element tree: additional data,
// notations, unparsed entities, processing instructions, comments, document
// type declarations and unexpanded entity references. An initial vocabulary
// in the document is loaded; an external vocabulary must be the one the
// options use, under the same URI. Every failure throws CKvException; the tree
// keeps what was built before it.
class CFastInfosetReader : public CInstanceMonitor {
 public:
  // When the bytes are a Fast Infoset document (the identification, possibly
  // after one of the declarations the writer puts in front), decodes them into
  // the document, with the options of the document's context, and returns
  // true. Anything else is left alone and gives false.
  static bool TryRead(CXmlDocument& document, const unsigned char* data, size_t length);
  // The offset just after the identification, or 0 when there is none.
  static size_t FindContent(const unsigned char* data, size_t length);

  CFastInfosetReader(CXmlDocument& document, const CFastInfosetContext& options);
  ~CFastInfosetReader() override;

  // Decodes the document that follows the identification.
  void Read(const unsigned char* content, size_t length);
  // Also reports the items read to sink, which must outlive the reading.
  void SetItemSink(IFastInfosetItemSink* sink) noexcept { m_sink = sink; }

 private:
  enum class StringTable { kPrefixes, kNamespaceNames, kLocalNames };

  uint8_t Take();
  const unsigned char* TakeOctets(size_t count);
  uint32_t Take32();
  uint32_t IndexBit2(uint8_t first);
  uint32_t IndexBit3(uint8_t first);
  uint32_t IndexBit4(uint8_t first);
  size_t LengthBit2(uint8_t first);
  size_t LengthBit5(uint8_t first);
  size_t LengthBit7(uint8_t first);
  uint32_t SequenceLength();

  void ReadOptionalComponents();
  void ReadInitialVocabulary();
  void SelectExternalVocabulary(const std::wstring& uri);
  void ReadDocumentChildren();
  void ReadElementTree(uint8_t first);
  // Reads an element's start; true when its attribute list also ended it.
  bool ReadElementStart(uint8_t first);
  void ReadNamespaceAttributes();
  // The coding and index of the name go to the item sink.
  const detail::XmlName* ReadElementName(uint8_t octet, int32_t& coding, uint32_t& index);
  // The document's shared string for a table entry, or null when the entry is
  // not shared (empty or long).
  const std::wstring* SharedEntry(std::vector<const std::wstring*>& shared,
                                  const std::wstring& entry, uint32_t index);
  void ReadAttribute(CXmlElement* element, uint8_t first);
  void ReadCharacterChunk(CXmlElement* element, uint8_t first);
  void CloseElement();
  void CountReferenced(size_t characters);

  // Identifying strings: an index into the table, or a literal entered into it.
  const std::wstring& ReadIdentifyingString(StringTable table, uint32_t& index);
  void ReadLiteralQName(uint8_t octet, bool element);
  const detail::XmlName* ResolveName(uint32_t index, bool element);
  // Encoded character strings into out.
  void ReadEncodedStringBit3(uint8_t first, std::wstring& out);
  void ReadEncodedStringBit5(uint8_t first, std::wstring& out);
  void DecodeOctets(int form, uint32_t index, const unsigned char* octets, size_t length,
                    std::wstring& out);
  void DecodeUtf8(const unsigned char* octets, size_t length, std::wstring& out);
  void DecodeAlphabet(uint32_t index, const unsigned char* octets, size_t length,
                      std::wstring& out);

  void SkipIdentifyingString();
  void SkipNonIdentifyingStringBit1();
  void SkipOctetStringBit2();
  void SkipProcessingInstruction();
  void SkipDocumentTypeDeclaration(uint8_t first);
  void SkipUnexpandedEntityReference(uint8_t first);

  CXmlDocument& m_document;
  const CFastInfosetContext& m_options;
  std::unique_ptr<CFIVocabulary> m_vocabulary;
  const unsigned char* m_position = nullptr;
  const unsigned char* m_end = nullptr;
  // The document's names for the entries of the element- and attribute-name
  // tables, resolved on first use.
  std::vector<const detail::XmlName*> m_elementNames;
  std::vector<const detail::XmlName*> m_attributeNames;
  // The literal just read and a decoded value.
  std::wstring m_literal;
  std::wstring m_value;
  // The document's shared string of each indexed attribute value and
  // character chunk met so far, by table index.
  std::vector<const std::wstring*> m_sharedValues;
  std::vector<const std::wstring*> m_sharedChunks;
  bool m_documentEnded = false;
  IFastInfosetItemSink* m_sink = nullptr;
  // Characters the document may still copy out of its value tables.
  size_t m_referenceBudget = 0;
};

}  // namespace Korvel
