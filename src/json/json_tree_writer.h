// SPDX-License-Identifier: MIT
// XmlTreeWriter: builds a document tree straight from what the JSON mapping
// describes, so that reading JSON into objects needs no XML text in between.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

#include "xml/name_spellings.h"
#include "xml/xml_document_data.h"

namespace Korvel::detail {

// Takes names as the mapping gives them (qualified, no namespace) and does
// what a namespace-aware XML parser would: "xmlns" attributes bind prefixes
// for the element and its descendants, names are resolved against them. As
// attributes follow their element, an element is added to the tree when its
// start tag is complete. Errors that XML parsing would report (an undeclared
// prefix, a repeated attribute, a second root) throw CKvValidationException.
class XmlTreeWriter final : public CXmlWriter {
 public:
  // The document, empty, must outlive the writer.
  explicit XmlTreeWriter(CXmlDocument& document);
  ~XmlTreeWriter() override;

  // Fails while an element is open.
  void Close() override;
  // Declarations travel as xmlns attributes.
  void AddNamespaceAlias(const std::wstring& prefix, const std::wstring& namespaceUri) override;
  void SetDefaultNamespace(const std::wstring& namespaceUri) override;
  void WriteComment(const std::wstring& text) override;
  void WriteProcessingInstruction(const std::wstring& text) override;
  void WriteInLineSchema(const std::wstring& text) override;
  void StartElement(const std::wstring& name, const std::wstring& namespaceUri) override;
  void WriteText(const std::wstring& text, ItemType itemType, bool isDefaultValue) override;
  void EndElement() override;
  void WriteAttribute(const std::wstring& name, const std::wstring& namespaceUri,
                      const std::wstring& value, ItemType itemType) override;
  void WriteXsiType(const std::wstring& typeNamespaceUri, const std::wstring& typeName,
                    ItemType itemType) override;
  void WriteNil() override;

 private:
  struct Binding {
    std::wstring prefix;  // empty for the default namespace
    std::wstring uri;
  };
  // A qualified name as last resolved, valid while the bindings are those of
  // its generation.
  struct CachedName {
    std::wstring spelling;
    const XmlName* name = nullptr;
    uint64_t generation = 0;
    bool element = false;
  };
  static constexpr size_t kCachedNames = 64;

  void CompleteStartTag();
  // The interned name of an element or attribute, resolved against the
  // bindings in scope.
  const XmlName* NameOf(const std::wstring& qualifiedName, bool element);
  // The namespace of a prefix in scope; the empty prefix gives the default
  // namespace for elements.
  const std::wstring& Resolve(std::wstring_view prefix, std::wstring_view qualifiedName) const;
  // An attribute value as the tree holds it: shared when short values repeat.
  const std::wstring* Hold(const CXmlElement& owner, const std::wstring& value);
  // The document's single copy of a short value, or null when the value is
  // not to be shared (see SharingPolicy).
  const std::wstring* Shared(std::wstring_view text);
  static const std::wstring& EmptyString();

  CXmlDocument& m_document;
  std::vector<Binding> m_bindings;
  // Changes whenever m_bindings does.
  uint64_t m_generation = 1;
  // Per open element: the bindings in force outside it.
  std::vector<size_t> m_scopes;
  std::vector<CXmlElement*> m_open;
  SharingPolicy m_sharing;
  // The shared values by their spelling, the bytes of the wide text: a
  // repeat costs a cheap hash and a comparison.
  SpellingTable<const std::wstring> m_sharedTexts;
  // The element whose start tag is being written.
  bool m_startTagOpen = false;
  bool m_nil = false;
  std::wstring m_name;
  // Its attributes are the first m_attributeCount; the others keep their
  // storage for the next elements.
  std::vector<std::pair<std::wstring, std::wstring>> m_attributes;
  size_t m_attributeCount = 0;
  // Elements repeat their names: each is resolved and interned once per
  // binding generation, and found again by a cheap hash of its spelling.
  std::array<CachedName, kCachedNames> m_names;
};

}  // namespace Korvel::detail
