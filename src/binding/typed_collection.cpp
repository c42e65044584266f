// SPDX-License-Identifier: MIT
// The typed primitive collections: one implementation for every kind, told
// apart by the kind table in typed_kinds.h.
#include <korvel/typed_collections.h>

#include <type_traits>
#include <utility>

#include <korvel/errors.h>
#include <korvel/xml_writer.h>

#include "binding/facet_precheck.h"
#include "binding/messages.h"
#include "binding/typed_kinds.h"
#include "values/restriction_check.h"
#include "values/whitespace_rules.h"
#include "xml/text_element.h"

namespace Korvel {

namespace {

[[noreturn]] void ThrowIndexOutOfRange(int32_t index, size_t count) {
  throw CKvInvalidParamException(
      FormatString(detail::kIndexOutOfRange, index, static_cast<int32_t>(count) - 1));
}

[[noreturn]] void ThrowInsertIndexOutOfRange() {
  throw CKvInvalidParamException(detail::kInsertIndexOutOfRange);
}

}  // namespace

// --- CTypedCollectionBase ----------------------------------------------------

template <class T>
CTypedCollectionBase<T>::CTypedCollectionBase(
    ItemType itemType, const wchar_t* elementName, const wchar_t* namespaceUri, int32_t minOccurs,
    int32_t maxOccurs, const wchar_t* pattern, int32_t minLength, int32_t maxLength,
    const wchar_t* minInclusive, const wchar_t* maxInclusive, const wchar_t* minExclusive,
    const wchar_t* maxExclusive, int32_t length, int32_t totalDigits, int32_t fractionDigits,
    CWhitespaceUtils::WhitespaceRule whiteSpaceRule, const wchar_t* valueFormat)
    : CXmlTypeCollection(itemType, elementName, namespaceUri, minOccurs, maxOccurs, pattern,
                         minLength, maxLength, minInclusive, maxInclusive, minExclusive,
                         maxExclusive, length, totalDigits, fractionDigits, whiteSpaceRule,
                         valueFormat),
      m_precheck(detail::FacetPrecheck<T>::Make(itemType, GetRestrictions())) {}

// The precheck depends only on the facets, which are copied with it.
template <class T>
CTypedCollectionBase<T>::CTypedCollectionBase(const CTypedCollectionBase& other)
    : CXmlTypeCollection(other),
      CInstanceMonitor(other),
      m_items(other.begin(), other.end()),
      m_precheck(other.m_precheck) {}

template <class T>
CTypedCollectionBase<T>& CTypedCollectionBase<T>::operator=(const CTypedCollectionBase& other) {
  if (this == &other) return *this;
  std::vector<T> items(other.begin(), other.end());  // the only step that can fail
  CXmlTypeCollection::operator=(other);
  m_items.swap(items);
  m_front = 0;
  m_precheck = other.m_precheck;
  FireOnCollectionChange();
  return *this;
}

template <class T>
CTypedCollectionBase<T>::~CTypedCollectionBase() = default;

template <class T>
int32_t CTypedCollectionBase<T>::GetCount() const {
  return static_cast<int32_t>(m_items.size() - m_front);
}

template <class T>
void CTypedCollectionBase<T>::Clear() {
  while (GetCount() > 0) Remove(0);
}

template <class T>
void CTypedCollectionBase<T>::Remove(int32_t index) {
  const size_t count = m_items.size() - m_front;
  if (index < 0 || static_cast<size_t>(index) >= count) ThrowIndexOutOfRange(index, count);
  FireOnCollectionRemove(index);
  if (count == 1) {
    m_items.clear();
    m_front = 0;
  } else if (index == 0) {
    m_items[m_front++] = T();  // frees what the value held
    if (m_front >= count - 1) {
      m_items.erase(m_items.begin(), m_items.begin() + m_front);
      m_front = 0;
    }
  } else {
    m_items.erase(m_items.begin() + m_front + index);
  }
  FireOnCollectionRemoveComplete(index);
  FireOnCollectionChange();
}

template <class T>
T CTypedCollectionBase<T>::Item(int32_t index) const {
  const size_t count = m_items.size() - m_front;
  if (index < 0 || static_cast<size_t>(index) >= count) ThrowIndexOutOfRange(index, count);
  return m_items[m_front + index];
}

template <class T>
void CTypedCollectionBase<T>::InsertChecked(int32_t index, const T& value) {
  Insert(index, value, true);
}

template <class T>
void CTypedCollectionBase<T>::InsertChecked(int32_t index, T&& value) {
  Insert(index, std::move(value), true);
}

template <class T>
void CTypedCollectionBase<T>::InsertAt(int32_t index, const T& value) {
  Insert(index, value, false);
}

template <class T>
void CTypedCollectionBase<T>::InsertAt(int32_t index, T&& value) {
  Insert(index, std::move(value), false);
}

template <class T>
template <class V>
void CTypedCollectionBase<T>::Insert(int32_t index, V&& value, bool checkFacets) {
  if (index < 0 || static_cast<size_t>(index) > m_items.size() - m_front) {
    ThrowInsertIndexOutOfRange();
  }
  if (checkFacets) CheckFacets(value);
  FireOnCollectionAdd(const_cast<T*>(&value));
  // Most collections of a document hold a value or two: room for two at once
  // spares the first regrowth.
  if (m_items.capacity() == 0) m_items.reserve(2);
  const auto inserted = m_items.insert(m_items.begin() + m_front + index, std::forward<V>(value));
  if constexpr (std::is_same_v<T, bool>) {
    bool copy = *inserted;  // packed values have no address of their own
    FireOnCollectionAddComplete(&copy);
  } else {
    FireOnCollectionAddComplete(&*inserted);
  }
  FireOnCollectionChange();
}

template <class T>
void CTypedCollectionBase<T>::CheckFacets(const T& value, const std::wstring* lexical) const {
  if (!lexical && m_precheck && m_precheck->Passes(value)) return;
  // A value given as a value is judged by the text this collection writes
  // for it (its value format included), not by a canonical form.
  std::wstring written;
  if (!lexical && !GetRestrictions().GetPattern().empty()) {
    written = ItemText(value);
    lexical = &written;
  }
  // Shown to the check where it is, not copied.
  KvValueView carrier;
  detail::SetVariant(carrier, value);
  detail::CheckRestrictions(this->ElementNameOf(this), carrier.AsVariant(), GetItemType(),
                            GetRestrictions(), lexical);
}

template <class T>
ItemType CTypedCollectionBase<T>::WrittenItemType() const {
  return GetItemType();
}

template <class T>
void CTypedCollectionBase<T>::ToXml_Int(CXmlWriter* writer, bool, const wchar_t*,
                                        const CSerializationContext& context, bool) const {
  ValidateCount(context);
  const std::wstring& name = CXmlObjectBase::ElementNameOf(this);
  const std::wstring& ns = this->NamespaceUri();
  const ItemType itemType = WrittenItemType();
  // A value read from text was judged by that text; the pattern also holds
  // for the text written, which may differ ("+5" is written "5").
  const bool patterned = !GetRestrictions().GetPattern().empty();
  for (auto it = begin(); it != end(); ++it) {
    const T& value = *it;
    // A pattern judges a string: only a value without one is written from the stack.
    if (detail::ShortText printed; !patterned && PutItemText(value, printed)) {
      detail::WriteTextElement(*writer, name, ns,
                               detail::ElementText{printed.View(), nullptr, true}, itemType, false);
      continue;
    }
    const std::wstring text = ItemText(value);
    if (patterned) CheckFacets(value, &text);
    detail::WriteTextElement(*writer, name, ns, text, itemType, false);
  }
}

template <class T>
bool CTypedCollectionBase<T>::PutItemText(const T&, detail::ShortText&) const {
  return false;
}

// --- CTypedCollection ----------------------------------------------------------

template <ItemType K>
CTypedCollection<K>::CTypedCollection(const wchar_t* elementName, const wchar_t* namespaceUri,
                                      int32_t minOccurs, int32_t maxOccurs, const wchar_t* pattern,
                                      int32_t minLength, int32_t maxLength,
                                      const wchar_t* minInclusive, const wchar_t* maxInclusive,
                                      const wchar_t* minExclusive, const wchar_t* maxExclusive,
                                      int32_t length, int32_t totalDigits, int32_t fractionDigits,
                                      CWhitespaceUtils::WhitespaceRule whiteSpaceRule,
                                      const wchar_t* valueFormat)
    : CTypedCollectionBase<value_type>(K, elementName, namespaceUri, minOccurs, maxOccurs, pattern,
                                       minLength, maxLength, minInclusive, maxInclusive,
                                       minExclusive, maxExclusive, length, totalDigits,
                                       fractionDigits, whiteSpaceRule, valueFormat) {}

template <ItemType K>
CTypedCollection<K>::CTypedCollection(const CTypedCollection& other) = default;

template <ItemType K>
CTypedCollection<K>& CTypedCollection<K>::operator=(const CTypedCollection& other) = default;

template <ItemType K>
CTypedCollection<K>::~CTypedCollection() = default;

template <ItemType K>
void CTypedCollection<K>::Add(Param value) {
  this->InsertChecked(this->GetCount(), value);
}

template <ItemType K>
void CTypedCollection<K>::AddAt(int32_t index, Param value) {
  this->InsertChecked(index, value);
}

template <ItemType K>
void CTypedCollection<K>::CheckValue(const value_type& value) const {
  this->CheckFacets(value);
}

template <ItemType K>
void CTypedCollection<K>::AddFromString(const std::wstring& text) {
  const CWhitespaceUtils::WhitespaceRule rule = this->GetWhitespaceRule();
  value_type value = detail::KindText<K>::Parse(text, rule);
  if (this->GetRestrictions().GetPattern().empty()) {
    return this->InsertChecked(this->GetCount(), std::move(value));
  }
  // The pattern constrains the text as it stands in the document, after the
  // whitespace rule, not the value's canonical form.
  detail::RuledText lexical(text, rule);
  this->CheckFacets(value, &lexical.Str());
  this->InsertAt(this->GetCount(), std::move(value));
}

template <ItemType K>
std::wstring CTypedCollection<K>::ItemText(const value_type& value) const {
  return detail::KindText<K>::Print(value, this->GetValueFormat());
}

template <ItemType K>
bool CTypedCollection<K>::PutItemText(const value_type& value, detail::ShortText& out) const {
  return detail::PutKindText<K>(value, this->GetValueFormat(), out);
}

// --- explicit instantiations ---------------------------------------------------

template class CTypedCollectionBase<CBinaryData>;
template class CTypedCollectionBase<int8_t>;
template class CTypedCollectionBase<int16_t>;
template class CTypedCollectionBase<int32_t>;
template class CTypedCollectionBase<int64_t>;
template class CTypedCollectionBase<uint8_t>;
template class CTypedCollectionBase<uint16_t>;
template class CTypedCollectionBase<uint32_t>;
template class CTypedCollectionBase<uint64_t>;
template class CTypedCollectionBase<float>;
template class CTypedCollectionBase<double>;
template class CTypedCollectionBase<CDateTimeSpan>;
template class CTypedCollectionBase<CDateTime>;
template class CTypedCollectionBase<std::wstring>;
template class CTypedCollectionBase<bool>;
template class CTypedCollectionBase<CDecimal>;
template class CTypedCollectionBase<CBigInteger>;
template class CTypedCollection<it_hexBinary>;
template class CTypedCollection<it_base64Binary>;
template class CTypedCollection<it_i1>;
template class CTypedCollection<it_i2>;
template class CTypedCollection<it_i4>;
template class CTypedCollection<it_i8>;
template class CTypedCollection<it_ui1>;
template class CTypedCollection<it_ui2>;
template class CTypedCollection<it_ui4>;
template class CTypedCollection<it_ui8>;
template class CTypedCollection<it_r4>;
template class CTypedCollection<it_r8>;
template class CTypedCollection<it_duration>;
template class CTypedCollection<it_year>;
template class CTypedCollection<it_month>;
template class CTypedCollection<it_day>;
template class CTypedCollection<it_string>;
template class CTypedCollection<it_boolean>;
template class CTypedCollection<it_decimal>;
template class CTypedCollection<it_integer>;

}  // namespace Korvel
