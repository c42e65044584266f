// SPDX-License-Identifier: MIT
// CSerializationContext: the options every read and write of bound objects takes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <korvel/export.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/json_context.h>
#include <korvel/namespace_alias_map.h>
#include <korvel/smart_ptr.h>

namespace Korvel {

class CAttributeCol;

// Only SchemaType_NoNamespaces changes anything; every other value behaves like
// SchemaType_Default.
enum SchemaType : int32_t {
  SchemaType_Default = 0,       // names are matched with their namespaces
  SchemaType_NoNamespaces = 2,  // names are matched on their local part only
};

// How tolerant reading is, what is written around the root element and how text
// is laid out; it owns the Fast Infoset and JSON options. Reading and writing
// only read it, apart from creating the sub-contexts on first use.
class KORVEL_API CSerializationContext {
 public:
  CSerializationContext();
  // Copies have their own sub-contexts and alias map; they share the extra
  // root attributes (copying creates that collection if need be).
  CSerializationContext(const CSerializationContext& other);
  CSerializationContext& operator=(const CSerializationContext& other);
  virtual ~CSerializationContext();

  // The process-wide context used by callers that pass none; built with the
  // defaults on first use.
  static CSerializationContext& GetDefaultContext();

  // Reading: skip attributes the class does not declare. Default false.
  bool GetIgnoreUnknownAttributes() const;
  void SetIgnoreUnknownAttributes(bool ignore);
  // Reading: skip unexpected child elements. Default false. Cannot be set together
  // with IgnoreMissingMandatoryElements (CKvInvalidStateException).
  bool GetIgnoreUnknownElements() const;
  void SetIgnoreUnknownElements(bool ignore);
  // Reading: accept a missing mandatory child element. Default false. Cannot be
  // set together with IgnoreUnknownElements (CKvInvalidStateException).
  bool GetIgnoreMissingMandatoryElements() const;
  void SetIgnoreMissingMandatoryElements(bool ignore);
  // Reading: accept a choice with no matching child. Default false.
  bool GetIgnoreMissingChoice() const;
  void SetIgnoreMissingChoice(bool ignore);
  // Do not report collections with too few or too many items. Default false.
  bool GetIgnoreInvalidCollectionCounts() const;
  void SetIgnoreInvalidCollectionCounts(bool ignore);
  // Reading: check the facets of every primitive value read. Default true.
  bool GetCheckFacetsOnRead() const;
  void SetCheckFacetsOnRead(bool check);
  // Match names on their local part only. Default false. The getter is also true
  // when the schema type is SchemaType_NoNamespaces.
  bool GetIgnoreNamespaces() const;
  void SetIgnoreNamespaces(bool ignore);
  // Writing: leave out an optional attribute whose value is its default. Default false.
  bool GetNoOptionalAttributeDefaultOutput() const;
  void SetNoOptionalAttributeDefaultOutput(bool noOutput);
  // Writing: write the text of elements whose value is their default. Default false.
  bool GetWriteDefaultElementValues() const;
  void SetWriteDefaultElementValues(bool write);
  // Writing: add xsi:type to elements holding an object of a derived class. Default true.
  bool GetWriteTypeAttribute() const;
  void SetWriteTypeAttribute(bool write);
  // Reading text XML: when false, CDATA sections are kept as such. Default true.
  bool GetStripCDATA() const;
  void SetStripCDATA(bool strip);

  // Reading gzip or zlib input: the most bytes it may inflate to before the
  // load fails. Default 0, which allows 50 times the compressed size and at
  // least 32 MiB: markup rarely shrinks by more than that, while a
  // decompression bomb (around 1000 times) is stopped early. Set a larger
  // limit for unusually repetitive documents.
  uint64_t GetMaxInflatedSize() const;
  void SetMaxInflatedSize(uint64_t bytes);

  // Default SchemaType_Default.
  SchemaType GetSchemaType() const;
  void SetSchemaType(SchemaType schemaType);

  // Writing: declared as the default namespace on the root element. Default
  // empty; an empty string (or null) clears it.
  std::wstring GetDefaultNamespaceURI() const;
  void SetDefaultNamespaceURI(const wchar_t* uri);

  // Writing: schema text put inside the root element. Default empty; null clears it.
  std::wstring GetInLineSchema() const;
  void SetInLineSchema(const wchar_t* schema);

  // Writing text XML: one level of indentation, made of spaces and tabs only.
  // Default one tab; null sets it empty. Any other character is refused with
  // CKvInvalidParamException and the old value kept.
  std::wstring GetIndentChars() const;
  void SetIndentChars(const wchar_t* indent);

  // Writing: prefixes declared on the root element, to be filled by the caller.
  CNamespaceAliasMap& GetNamespaceAliases();
  const CNamespaceAliasMap& GetNamespaceAliases() const;

  // Writing: processing instructions put before the root element, in order; each
  // entry is the whole text written for one of them.
  std::vector<std::wstring>& GetProcessingInstructions();
  const std::vector<std::wstring>& GetProcessingInstructions() const;

  // Writing: attributes added to the root element, in any namespace. Created
  // on first use (also through a const context) and shared with every copy.
  // Like the sub-contexts, it must exist before threads share the context.
  CSmartPtr<CAttributeCol> GetAdditionalRootAttributes() const;

  // The sub-contexts, created with their defaults on first use (also through a
  // const context, which is why these are const).
  CFastInfosetContext& GetFIContext() const;
  CJsonContext& GetJsonContext() const;

 private:
  mutable std::unique_ptr<CFastInfosetContext> m_fiContext;
  mutable std::unique_ptr<CJsonContext> m_jsonContext;
  std::wstring m_defaultNamespaceURI;
  bool m_writeTypeAttribute = true;
  CNamespaceAliasMap m_namespaceAliases;
  mutable CSmartPtr<CAttributeCol> m_additionalRootAttributes;
  std::vector<std::wstring> m_processingInstructions;
  std::wstring m_inLineSchema;
  bool m_ignoreInvalidCollectionCounts = false;
  bool m_ignoreMissingChoice = false;
  bool m_ignoreMissingMandatoryElements = false;
  bool m_ignoreUnknownElements = false;
  bool m_ignoreUnknownAttributes = false;
  bool m_ignoreNamespaces = false;
  SchemaType m_schemaType = SchemaType_Default;
  bool m_noOptionalAttributeDefaultOutput = false;
  bool m_writeDefaultElementValues = false;
  bool m_stripCDATA = true;
  bool m_checkFacetsOnRead = true;
  uint64_t m_maxInflatedSize = 0;
  std::wstring m_indentChars = L"\t";
};

}  // namespace Korvel
