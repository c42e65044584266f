// SPDX-License-Identifier: MIT
// CXmlTypeCollection: what the typed primitive collections share, and reading
// their run of elements.
#include <korvel/collection.h>

#include <korvel/xml_document.h>

#include "binding/metadata_support.h"
#include "xml/xml_tree_builder.h"

namespace Korvel {

struct CXmlTypeCollection::Settings {
  CPrimitiveRestrictions restrictions;  // empty when the collection has no facets
  std::wstring valueFormat;
};

CXmlTypeCollection::CXmlTypeCollection(
    ItemType itemType, const wchar_t* elementName, const wchar_t* namespaceUri, int32_t minOccurs,
    int32_t maxOccurs, const wchar_t* pattern, int32_t minLength, int32_t maxLength,
    const wchar_t* minInclusive, const wchar_t* maxInclusive, const wchar_t* minExclusive,
    const wchar_t* maxExclusive, int32_t length, int32_t totalDigits, int32_t fractionDigits,
    CWhitespaceUtils::WhitespaceRule whiteSpaceRule, const wchar_t* valueFormat)
    : CXmlCollectionBase(elementName, namespaceUri, minOccurs, maxOccurs),
      m_itemType(itemType),
      m_whitespaceRule(whiteSpaceRule) {
  CPrimitiveRestrictions restrictions(pattern, minLength, maxLength, minInclusive, maxInclusive,
                                      minExclusive, maxExclusive, length, totalDigits,
                                      fractionDigits);
  const bool hasFacets = detail::HasFacets(restrictions);
  if (hasFacets || (valueFormat && *valueFormat)) {
    m_settings = detail::SharedConst<Settings>::Make(
        Settings{hasFacets ? std::move(restrictions) : CPrimitiveRestrictions(),
                 valueFormat ? valueFormat : L""});
  }
}

CXmlTypeCollection::CXmlTypeCollection(const CXmlTypeCollection& other) = default;
CXmlTypeCollection& CXmlTypeCollection::operator=(const CXmlTypeCollection& other) = default;
CXmlTypeCollection::~CXmlTypeCollection() = default;

const CPrimitiveRestrictions& CXmlTypeCollection::GetRestrictions() const noexcept {
  static const CPrimitiveRestrictions none;
  return m_settings ? m_settings->restrictions : none;
}

const std::wstring& CXmlTypeCollection::GetValueFormat() const noexcept {
  static const std::wstring none;
  return m_settings ? m_settings->valueFormat : none;
}

CXmlElement* CXmlTypeCollection::FromXml_Int(CXmlElement*, CXmlElement* firstElement,
                                             const CSerializationContext& context, bool) {
  const std::wstring& name = ElementNameOf(this);
  const std::wstring& ns = NamespaceUri();
  // Names are held once per document: an item named as the one before it
  // matches without a comparison.
  const detail::XmlName* matched = nullptr;
  CXmlElement* element = firstElement;
  for (; element; element = element->GetNextSiblingElement()) {
    const detail::XmlName* itemName = &detail::XmlTreeBuilder::NameOf(*element);
    if (itemName != matched) {
      if (!DoesElementNameMatch(context, element, name, ns)) break;
      matched = itemName;
    }
    AddFromString(element->GetText());
  }
  return element;
}

}  // namespace Korvel
