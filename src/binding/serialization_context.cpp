// SPDX-License-Identifier: MIT
// CSerializationContext: option storage, the refusals of contradictory options,
// deep copies of the sub-contexts and the process-wide default.
#include <korvel/serialization_context.h>

#include <utility>

#include <korvel/errors.h>
#include <korvel/untyped.h>

#include "binding/messages.h"

namespace Korvel {

namespace {

[[noreturn]] void ThrowInvalidState(const wchar_t* message) {
  throw CKvInvalidStateException(message);
}

[[noreturn]] void ThrowInvalidIndentChars() {
  throw CKvInvalidParamException(detail::kInvalidIndentChars);
}

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

template <class T>
std::unique_ptr<T> CopyOf(const std::unique_ptr<T>& source) {
  return source ? std::make_unique<T>(*source) : nullptr;
}

}  // namespace

CSerializationContext::CSerializationContext() = default;

CSerializationContext::CSerializationContext(const CSerializationContext& other)
    : m_fiContext(CopyOf(other.m_fiContext)),
      m_jsonContext(CopyOf(other.m_jsonContext)),
      m_defaultNamespaceURI(other.m_defaultNamespaceURI),
      m_writeTypeAttribute(other.m_writeTypeAttribute),
      m_namespaceAliases(other.m_namespaceAliases),
      m_additionalRootAttributes(other.GetAdditionalRootAttributes()),
      m_processingInstructions(other.m_processingInstructions),
      m_inLineSchema(other.m_inLineSchema),
      m_ignoreInvalidCollectionCounts(other.m_ignoreInvalidCollectionCounts),
      m_ignoreMissingChoice(other.m_ignoreMissingChoice),
      m_ignoreMissingMandatoryElements(other.m_ignoreMissingMandatoryElements),
      m_ignoreUnknownElements(other.m_ignoreUnknownElements),
      m_ignoreUnknownAttributes(other.m_ignoreUnknownAttributes),
      m_ignoreNamespaces(other.m_ignoreNamespaces),
      m_schemaType(other.m_schemaType),
      m_noOptionalAttributeDefaultOutput(other.m_noOptionalAttributeDefaultOutput),
      m_writeDefaultElementValues(other.m_writeDefaultElementValues),
      m_stripCDATA(other.m_stripCDATA),
      m_checkFacetsOnRead(other.m_checkFacetsOnRead),
      m_maxInflatedSize(other.m_maxInflatedSize),
      m_indentChars(other.m_indentChars) {}

CSerializationContext& CSerializationContext::operator=(const CSerializationContext& other) {
  // Copy into a temporary and take it over, so that a failed allocation leaves
  // this context as it was.
  if (this != &other) {
    CSerializationContext copy(other);
    m_fiContext = std::move(copy.m_fiContext);
    m_jsonContext = std::move(copy.m_jsonContext);
    m_defaultNamespaceURI.swap(copy.m_defaultNamespaceURI);
    m_writeTypeAttribute = copy.m_writeTypeAttribute;
    m_namespaceAliases = std::move(copy.m_namespaceAliases);
    m_additionalRootAttributes = std::move(copy.m_additionalRootAttributes);
    m_processingInstructions.swap(copy.m_processingInstructions);
    m_inLineSchema.swap(copy.m_inLineSchema);
    m_ignoreInvalidCollectionCounts = copy.m_ignoreInvalidCollectionCounts;
    m_ignoreMissingChoice = copy.m_ignoreMissingChoice;
    m_ignoreMissingMandatoryElements = copy.m_ignoreMissingMandatoryElements;
    m_ignoreUnknownElements = copy.m_ignoreUnknownElements;
    m_ignoreUnknownAttributes = copy.m_ignoreUnknownAttributes;
    m_ignoreNamespaces = copy.m_ignoreNamespaces;
    m_schemaType = copy.m_schemaType;
    m_noOptionalAttributeDefaultOutput = copy.m_noOptionalAttributeDefaultOutput;
    m_writeDefaultElementValues = copy.m_writeDefaultElementValues;
    m_stripCDATA = copy.m_stripCDATA;
    m_checkFacetsOnRead = copy.m_checkFacetsOnRead;
    m_maxInflatedSize = copy.m_maxInflatedSize;
    m_indentChars.swap(copy.m_indentChars);
  }
  return *this;
}

CSerializationContext::~CSerializationContext() = default;

CSerializationContext& CSerializationContext::GetDefaultContext() {
  // Built on first use, so it exists before any caller's static initialisers need it.
  static CSerializationContext defaultContext;
  return defaultContext;
}

bool CSerializationContext::GetIgnoreUnknownAttributes() const { return m_ignoreUnknownAttributes; }
void CSerializationContext::SetIgnoreUnknownAttributes(bool ignore) {
  m_ignoreUnknownAttributes = ignore;
}

// Both at once would let a misspelt mandatory element vanish without a word:
// skipped as unknown, then excused as missing.
bool CSerializationContext::GetIgnoreUnknownElements() const { return m_ignoreUnknownElements; }
void CSerializationContext::SetIgnoreUnknownElements(bool ignore) {
  if (ignore && m_ignoreMissingMandatoryElements)
    ThrowInvalidState(detail::kCannotIgnoreUnknownElements);
  m_ignoreUnknownElements = ignore;
}

bool CSerializationContext::GetIgnoreMissingMandatoryElements() const {
  return m_ignoreMissingMandatoryElements;
}
void CSerializationContext::SetIgnoreMissingMandatoryElements(bool ignore) {
  if (ignore && m_ignoreUnknownElements)
    ThrowInvalidState(detail::kCannotIgnoreMissingMandatoryElements);
  m_ignoreMissingMandatoryElements = ignore;
}

bool CSerializationContext::GetIgnoreMissingChoice() const { return m_ignoreMissingChoice; }
void CSerializationContext::SetIgnoreMissingChoice(bool ignore) { m_ignoreMissingChoice = ignore; }

bool CSerializationContext::GetIgnoreInvalidCollectionCounts() const {
  return m_ignoreInvalidCollectionCounts;
}
void CSerializationContext::SetIgnoreInvalidCollectionCounts(bool ignore) {
  m_ignoreInvalidCollectionCounts = ignore;
}

bool CSerializationContext::GetIgnoreNamespaces() const {
  return m_ignoreNamespaces || m_schemaType == SchemaType_NoNamespaces;
}
void CSerializationContext::SetIgnoreNamespaces(bool ignore) { m_ignoreNamespaces = ignore; }

bool CSerializationContext::GetNoOptionalAttributeDefaultOutput() const {
  return m_noOptionalAttributeDefaultOutput;
}
void CSerializationContext::SetNoOptionalAttributeDefaultOutput(bool noOutput) {
  m_noOptionalAttributeDefaultOutput = noOutput;
}

bool CSerializationContext::GetWriteDefaultElementValues() const {
  return m_writeDefaultElementValues;
}
void CSerializationContext::SetWriteDefaultElementValues(bool write) {
  m_writeDefaultElementValues = write;
}

bool CSerializationContext::GetWriteTypeAttribute() const { return m_writeTypeAttribute; }
void CSerializationContext::SetWriteTypeAttribute(bool write) { m_writeTypeAttribute = write; }

bool CSerializationContext::GetStripCDATA() const { return m_stripCDATA; }
void CSerializationContext::SetStripCDATA(bool strip) { m_stripCDATA = strip; }

bool CSerializationContext::GetCheckFacetsOnRead() const { return m_checkFacetsOnRead; }
void CSerializationContext::SetCheckFacetsOnRead(bool check) { m_checkFacetsOnRead = check; }
uint64_t CSerializationContext::GetMaxInflatedSize() const { return m_maxInflatedSize; }
void CSerializationContext::SetMaxInflatedSize(uint64_t bytes) { m_maxInflatedSize = bytes; }

SchemaType CSerializationContext::GetSchemaType() const { return m_schemaType; }
void CSerializationContext::SetSchemaType(SchemaType schemaType) { m_schemaType = schemaType; }

std::wstring CSerializationContext::GetDefaultNamespaceURI() const { return m_defaultNamespaceURI; }
void CSerializationContext::SetDefaultNamespaceURI(const wchar_t* uri) {
  m_defaultNamespaceURI = OrEmpty(uri);
}

std::wstring CSerializationContext::GetInLineSchema() const { return m_inLineSchema; }
void CSerializationContext::SetInLineSchema(const wchar_t* schema) {
  m_inLineSchema = OrEmpty(schema);
}

std::wstring CSerializationContext::GetIndentChars() const { return m_indentChars; }
void CSerializationContext::SetIndentChars(const wchar_t* indent) {
  indent = OrEmpty(indent);
  for (const wchar_t* c = indent; *c; ++c)
    if (*c != L' ' && *c != L'\t') ThrowInvalidIndentChars();
  m_indentChars = indent;
}

CNamespaceAliasMap& CSerializationContext::GetNamespaceAliases() { return m_namespaceAliases; }
const CNamespaceAliasMap& CSerializationContext::GetNamespaceAliases() const {
  return m_namespaceAliases;
}

std::vector<std::wstring>& CSerializationContext::GetProcessingInstructions() {
  return m_processingInstructions;
}
const std::vector<std::wstring>& CSerializationContext::GetProcessingInstructions() const {
  return m_processingInstructions;
}

CSmartPtr<CAttributeCol> CSerializationContext::GetAdditionalRootAttributes() const {
  if (!m_additionalRootAttributes) m_additionalRootAttributes = new CAttributeCol(L"", L"##any", L"");
  return m_additionalRootAttributes;
}

CFastInfosetContext& CSerializationContext::GetFIContext() const {
  if (!m_fiContext) m_fiContext = std::make_unique<CFastInfosetContext>();
  return *m_fiContext;
}

CJsonContext& CSerializationContext::GetJsonContext() const {
  if (!m_jsonContext) m_jsonContext = std::make_unique<CJsonContext>();
  return *m_jsonContext;
}

}  // namespace Korvel
