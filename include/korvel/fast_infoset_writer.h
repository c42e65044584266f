// SPDX-License-Identifier: MIT
// CFastInfosetWriter: the writer that encodes what serialisers describe as a
// Fast Infoset document (ITU-T Rec. X.891).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/export.h>
#include <korvel/fi_declaration.h>
#include <korvel/fwd.h>
#include <korvel/xml_writer.h>

namespace Korvel {

namespace detail {
class ByteBuffer;
namespace fi {
struct IndexCaches;
}  // namespace fi
struct FastInfosetWriterAccess;
}  // namespace detail

// Encodes one document. Names, prefixes, namespace names and short values go
// through a vocabulary so that repeats are written as indexes; values are
// encoded as the options give for their item type (UTF-8, a restricted
// alphabet or an encoding algorithm), falling back to UTF-8 for a value the
// chosen encoding cannot hold. Every prefix used is declared on the element
// that introduces it. Comments, processing instructions and in-line schemas
// are not written.
class KORVEL_API CFastInfosetWriter : public CXmlWriter {
 public:
  // The URI announced for the generated vocabulary when the options name none.
  static constexpr wchar_t DEFAULT_VOCABULARY_URI[] =
      L"urn:korvel:fastinfoset:generated-vocabulary";

  // Close appends the document to output. Both must outlive the writer. The
  // vocabulary is a copy of the options' generated vocabulary when they use
  // it, else the built-in content only.
  CFastInfosetWriter(CBinaryData& output, const CFastInfosetContext& options);
  ~CFastInfosetWriter() override;

  // The declaration, the identification and the optional components (the
  // generated vocabulary's URI). Written with FInfoDecl_None by the first
  // element when not called before it.
  void WriteHeader(FInfoDecl declaration);
  // Ends the document and appends it to the output, once. Throws CKvException
  // "An Element has not been closed." while an element is open.
  void Close() override;
  // While an element's start is being written these are also declared on it.
  void SetDefaultNamespace(const std::wstring& namespaceUri) override;
  void AddNamespaceAlias(const std::wstring& prefix, const std::wstring& namespaceUri) override;
  void WriteComment(const std::wstring& text) override;
  void WriteProcessingInstruction(const std::wstring& text) override;
  void WriteInLineSchema(const std::wstring& text) override;
  void StartElement(const std::wstring& name, const std::wstring& namespaceUri) override;
  // Nothing for an empty text, or for a default value unless default values
  // are to be written.
  void WriteText(const std::wstring& text, ItemType itemType, bool isDefaultValue) override;
  void EndElement() override;
  // Throws CKvException "Attributes must be added before elements" once the
  // element has content.
  void WriteAttribute(const std::wstring& name, const std::wstring& namespaceUri,
                      const std::wstring& value, ItemType itemType) override;
  void WriteXsiType(const std::wstring& typeNamespaceUri, const std::wstring& typeName,
                    ItemType itemType) override;
  void WriteNil() override;

  // Whether text equal to the schema default is written; false by default.
  void SetWriteDefaultElementValues(bool write) noexcept { m_writeDefaultElementValues = write; }
  bool GetWriteDefaultElementValues() const noexcept { return m_writeDefaultElementValues; }

 private:
  friend struct detail::FastInfosetWriterAccess;

  struct PendingAttribute {
    std::wstring name;
    std::wstring namespaceUri;
    std::wstring prefix;
    std::wstring value;
    ItemType itemType;
  };
  struct Declaration {
    std::wstring prefix;
    std::wstring namespaceUri;
  };
  enum class ValueForm { kUtf8, kAlphabet, kAlgorithm };

  void EnsureHeader();
  void ResolveTerminator();
  void Terminate();
  void Declare(const std::wstring& prefix, const std::wstring& namespaceUri);
  const std::wstring& PrefixFor(CXmlWriterContext& element, const std::wstring& namespaceUri);
  CXmlWriterContext& RequireOpenStartTag();
  void FinishStartTag(CXmlWriterContext& element);
  void WriteElementHeader(CXmlWriterContext& element);
  // The element's name, an index where the vocabulary has it; lead holds the
  // bits before it.
  void PutElementName(uint32_t lead, const std::wstring& prefix, const std::wstring& namespaceUri,
                      const std::wstring& localName);
  // The same for an unprefixed name among those met last; false, with
  // nothing written, for another. lasting: the strings stay as they are for
  // as long as the writer lives.
  bool PutRecentElementName(uint32_t lead, const std::wstring& namespaceUri,
                            const std::wstring& localName, bool lasting = false);
  void PutElementNameLookedUp(uint32_t lead, const std::wstring& prefix,
                              const std::wstring& namespaceUri, const std::wstring& localName);
  // StartElement, WriteText and EndElement of an element that holds only
  // text, in one step; false, with nothing written, for the root or where the
  // element declares a namespace. lastingNames: name and namespaceUri stay as
  // they are for as long as the writer lives.
  bool WriteTextElement(const std::wstring& name, const std::wstring& namespaceUri,
                        std::wstring_view text, ItemType itemType, bool isDefaultValue,
                        bool lastingNames);
  void PutNamespaceAttribute(const std::wstring& prefix, const std::wstring& namespaceUri);
  void PutIdentifyingString(const std::wstring& value, int table);
  void PutLiteralName(uint32_t lead, const std::wstring& prefix, const std::wstring& namespaceUri,
                      const std::wstring& localName);
  void PutAttributeValue(const std::wstring& value, ItemType itemType);
  void PutCharacterChunk(std::wstring_view text, ItemType itemType);
  // Says how the value is encoded; leaves the octets of an alphabet or an
  // algorithm in m_valueOctets (UTF-8 is written straight from the text).
  ValueForm PrepareValue(std::wstring_view text, ItemType itemType, bool chunk, uint32_t& index);
  ValueForm PrepareEncodedValue(uint32_t kind, uint32_t index, std::wstring_view text, bool chunk);
  ValueForm Utf8Form() const;
  bool PackAlphabet(const std::wstring& alphabet, std::wstring_view text);
  void PutEncodedStringBit3(uint32_t lead, ValueForm form, uint32_t index, std::wstring_view text);
  void PutEncodedStringBit5(uint32_t lead, ValueForm form, uint32_t index, std::wstring_view text);

  CBinaryData& m_output;
  const CFastInfosetContext& m_options;
  std::unique_ptr<CFIVocabulary> m_vocabulary;
  std::unique_ptr<detail::fi::IndexCaches> m_indexes;  // in front of the vocabulary's maps
  // The document, appended to m_output by Close.
  std::unique_ptr<detail::ByteBuffer> m_octets;
  std::string m_valueOctets;
  bool m_headerWritten = false;
  bool m_closed = false;
  bool m_pendingElement = false;
  bool m_pendingTerminator = false;
  bool m_defaultChanged = false;
  bool m_writeDefaultElementValues = false;
  // The pending element's prefix, attributes and declarations; the vectors
  // keep their strings from one element to the next.
  std::wstring m_elementPrefix;
  std::vector<PendingAttribute> m_attributes;
  size_t m_attributeCount = 0;
  std::vector<Declaration> m_declarations;
  size_t m_declarationCount = 0;
};

}  // namespace Korvel
