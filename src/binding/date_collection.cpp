// SPDX-License-Identifier: MIT
// The collections of CDateTime values: CdatetimeBaseCol and its five kinds,
// which differ only in the date kind they accept and the reader of their text.
#include <korvel/typed_collections.h>

#include <korvel/conversions.h>
#include <korvel/errors.h>

#include "binding/messages.h"
#include "binding/typed_kinds.h"

namespace Korvel {

namespace {

struct DateKind {
  CDateTime::DTType type;
  const wchar_t* message;
};

// The date kind each collection holds, and the message refusing any other.
DateKind DateKindOf(ItemType itemType) {
  switch (itemType) {
    case it_yearMonth:
      return {CDateTime::dt_gYearMonth, detail::kDatesMustBeYearMonth};
    case it_monthDay:
      return {CDateTime::dt_gMonthDay, detail::kDatesMustBeMonthDay};
    case it_date:
      return {CDateTime::dt_date, detail::kDatesMustBeDate};
    case it_time:
      return {CDateTime::dt_time, detail::kDatesMustBeTime};
    default:
      return {CDateTime::dt_dateTime, detail::kDatesMustBeDateTime};
  }
}

void RequireKind(ItemType itemType, const CDateTime& value) {
  const DateKind kind = DateKindOf(itemType);
  if (value.GetType() != kind.type) throw CKvInvalidParamException(kind.message);
}

}  // namespace

CdatetimeBaseCol::CdatetimeBaseCol(
    ItemType itemType, const wchar_t* elementName, const wchar_t* namespaceUri, int32_t minOccurs,
    int32_t maxOccurs, const wchar_t* pattern, int32_t minLength, int32_t maxLength,
    const wchar_t* minInclusive, const wchar_t* maxInclusive, const wchar_t* minExclusive,
    const wchar_t* maxExclusive, int32_t length, int32_t totalDigits, int32_t fractionDigits,
    CWhitespaceUtils::WhitespaceRule whiteSpaceRule, const wchar_t* valueFormat)
    : CTypedCollectionBase<CDateTime>(itemType, elementName, namespaceUri, minOccurs, maxOccurs,
                                      pattern, minLength, maxLength, minInclusive, maxInclusive,
                                      minExclusive, maxExclusive, length, totalDigits,
                                      fractionDigits, whiteSpaceRule, valueFormat) {}

CdatetimeBaseCol::CdatetimeBaseCol(const CdatetimeBaseCol& other) = default;
CdatetimeBaseCol& CdatetimeBaseCol::operator=(const CdatetimeBaseCol& other) = default;
CdatetimeBaseCol::~CdatetimeBaseCol() = default;

void CdatetimeBaseCol::Add(const CDateTime& value) { AddAt(GetCount(), value); }

void CdatetimeBaseCol::AddAt(int32_t index, const CDateTime& value) {
  RequireKind(GetItemType(), value);
  CheckFacets(value);
  BaseAddAt(index, value);
}

void CdatetimeBaseCol::BaseAddAt(int32_t index, const CDateTime& value) { InsertAt(index, value); }

std::wstring CdatetimeBaseCol::ItemToString(const CDateTime& value) const {
  return CConversions::dateToString(value);
}

std::wstring CdatetimeBaseCol::ItemText(const CDateTime& value) const {
  return ItemToString(value);
}

// Whatever their kind, dates are handed to writers as dateTime values.
ItemType CdatetimeBaseCol::WrittenItemType() const { return it_datetime; }

template <ItemType K>
CDateCollection<K>::CDateCollection(const wchar_t* elementName, const wchar_t* namespaceUri,
                                    int32_t minOccurs, int32_t maxOccurs, const wchar_t* pattern,
                                    int32_t minLength, int32_t maxLength,
                                    const wchar_t* minInclusive, const wchar_t* maxInclusive,
                                    const wchar_t* minExclusive, const wchar_t* maxExclusive,
                                    int32_t length, int32_t totalDigits, int32_t fractionDigits,
                                    CWhitespaceUtils::WhitespaceRule whiteSpaceRule,
                                    const wchar_t* valueFormat)
    : CdatetimeBaseCol(K, elementName, namespaceUri, minOccurs, maxOccurs, pattern, minLength,
                       maxLength, minInclusive, maxInclusive, minExclusive, maxExclusive, length,
                       totalDigits, fractionDigits, whiteSpaceRule, valueFormat) {}

template <ItemType K>
CDateCollection<K>::CDateCollection(const CDateCollection& other) = default;

template <ItemType K>
CDateCollection<K>& CDateCollection<K>::operator=(const CDateCollection& other) = default;

template <ItemType K>
CDateCollection<K>::~CDateCollection() = default;

template <ItemType K>
void CDateCollection<K>::AddFromString(const std::wstring& text) {
  const CWhitespaceUtils::WhitespaceRule rule = GetWhitespaceRule();
  const CDateTime value = detail::KindText<K>::Parse(text, rule);
  if (GetRestrictions().GetPattern().empty()) return Add(value);
  // The pattern constrains the text as it stands in the document, after the
  // whitespace rule, not the text this collection would write for the value.
  RequireKind(GetItemType(), value);
  const std::wstring lexical = CWhitespaceUtils::ApplyRule(rule, text);
  CheckFacets(value, &lexical);
  BaseAddAt(GetCount(), value);
}

template class CDateCollection<it_yearMonth>;
template class CDateCollection<it_monthDay>;
template class CDateCollection<it_date>;
template class CDateCollection<it_datetime>;
template class CDateCollection<it_time>;

}  // namespace Korvel
