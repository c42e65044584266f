// SPDX-License-Identifier: MIT
// The typed primitive collections: a repeated element of one XSD primitive kind
// held as plain values (Ci4Col, CstringCol, CdateCol ...), checked against the
// element's facets on every insertion and written as one element per value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <korvel/big_integer.h>
#include <korvel/binary_data.h>
#include <korvel/collection.h>
#include <korvel/date_time.h>
#include <korvel/date_time_span.h>
#include <korvel/decimal.h>
#include <korvel/export.h>
#include <korvel/instance_monitor.h>
#include <korvel/item_type.h>
#include <korvel/whitespace_utils.h>

namespace Korvel {

namespace detail {
// What a collection of T can tell about a value without running the full
// facet check; defined with the collections.
template <class T>
class FacetPrecheck;
// Room on the stack for a value's text; defined with the value printers.
class ShortText;

template <class T, class P = T>
struct TypedItemOf {
  using Value = T;  // what the collection stores and Item returns
  using Param = P;  // how Add and AddAt take it
};
}  // namespace detail

// The value type of each kind that has a typed collection.
// clang-format off
template <ItemType K>
struct TypedItem;
template <> struct TypedItem<it_hexBinary> : detail::TypedItemOf<CBinaryData, const CBinaryData&> {};
template <> struct TypedItem<it_base64Binary> : detail::TypedItemOf<CBinaryData, const CBinaryData&> {};
template <> struct TypedItem<it_i1> : detail::TypedItemOf<int8_t> {};
template <> struct TypedItem<it_i2> : detail::TypedItemOf<int16_t> {};
template <> struct TypedItem<it_i4> : detail::TypedItemOf<int32_t> {};
template <> struct TypedItem<it_i8> : detail::TypedItemOf<int64_t> {};
template <> struct TypedItem<it_ui1> : detail::TypedItemOf<uint8_t> {};
template <> struct TypedItem<it_ui2> : detail::TypedItemOf<uint16_t> {};
template <> struct TypedItem<it_ui4> : detail::TypedItemOf<uint32_t> {};
template <> struct TypedItem<it_ui8> : detail::TypedItemOf<uint64_t> {};
template <> struct TypedItem<it_r4> : detail::TypedItemOf<float> {};
template <> struct TypedItem<it_r8> : detail::TypedItemOf<double> {};
template <> struct TypedItem<it_duration> : detail::TypedItemOf<CDateTimeSpan, const CDateTimeSpan&> {};
template <> struct TypedItem<it_yearMonth> : detail::TypedItemOf<CDateTime, const CDateTime&> {};
template <> struct TypedItem<it_monthDay> : detail::TypedItemOf<CDateTime, const CDateTime&> {};
template <> struct TypedItem<it_date> : detail::TypedItemOf<CDateTime, const CDateTime&> {};
template <> struct TypedItem<it_datetime> : detail::TypedItemOf<CDateTime, const CDateTime&> {};
template <> struct TypedItem<it_time> : detail::TypedItemOf<CDateTime, const CDateTime&> {};
template <> struct TypedItem<it_year> : detail::TypedItemOf<uint16_t> {};
template <> struct TypedItem<it_month> : detail::TypedItemOf<uint8_t> {};
template <> struct TypedItem<it_day> : detail::TypedItemOf<uint8_t> {};
template <> struct TypedItem<it_string> : detail::TypedItemOf<std::wstring> {};
// Stored packed, one bit per value; iteration yields bool.
template <> struct TypedItem<it_boolean> : detail::TypedItemOf<bool> {};
template <> struct TypedItem<it_decimal> : detail::TypedItemOf<CDecimal, const CDecimal&> {};
template <> struct TypedItem<it_integer> : detail::TypedItemOf<CBigInteger, const CBigInteger&> {};
// clang-format on

// What every typed collection shares: the values, their removal, reading one
// back, iteration and writing each value as an element. Insertion is the
// subclasses' (they decide which checks run first) through InsertChecked.
//
// Every change tells listeners: an insertion Add, AddComplete (data: the value
// inserted) and Change; a removal Remove, RemoveComplete (data: the 32-bit
// index) and Change. Listeners hear of a change only once it is certain: a
// bad index, a value its facets refuse or a date of another kind leaves both
// the values and the listeners untouched.
//
// Copies take the values, the element description and the facets, but not
// the listeners, which registered with one object; an assignment keeps the
// target's listeners and tells them Change once.
template <class T>
class KORVEL_API CTypedCollectionBase : public CXmlTypeCollection, private CInstanceMonitor {
 public:
  using value_type = T;
  using const_iterator = typename std::vector<T>::const_iterator;

  ~CTypedCollectionBase() override;

  int32_t GetCount() const override;
  // Removes item 0 until none is left, each removal with its events.
  void Clear() override;
  // CKvInvalidParamException "Index %d is out of range, use 0 - %d" (the last
  // valid index) outside 0 to count - 1.
  void Remove(int32_t index) override;
  // A copy of the value at index; fails as Remove does.
  T Item(int32_t index) const;

  const_iterator begin() const noexcept { return m_items.begin() + m_front; }
  const_iterator end() const noexcept { return m_items.end(); }

 protected:
  CTypedCollectionBase(ItemType itemType, const wchar_t* elementName, const wchar_t* namespaceUri,
                       int32_t minOccurs, int32_t maxOccurs, const wchar_t* pattern,
                       int32_t minLength, int32_t maxLength, const wchar_t* minInclusive,
                       const wchar_t* maxInclusive, const wchar_t* minExclusive,
                       const wchar_t* maxExclusive, int32_t length, int32_t totalDigits,
                       int32_t fractionDigits, CWhitespaceUtils::WhitespaceRule whiteSpaceRule,
                       const wchar_t* valueFormat);
  CTypedCollectionBase(const CTypedCollectionBase& other);
  CTypedCollectionBase& operator=(const CTypedCollectionBase& other);

  // Validates the count against the occurrence bounds, then writes one element
  // per value, in the collection's own name and namespace.
  void ToXml_Int(CXmlWriter* writer, bool isRoot, const wchar_t* namespaceUri,
                 const CSerializationContext& context, bool isOptional) const override;
  using CXmlObjectBase::ToXml_Int;

  // The text of one value as an element's content.
  virtual std::wstring ItemText(const T& value) const = 0;
  // ItemText's text put into out, for a kind that prints without a string of
  // its own; false (the default) leaves the text to ItemText.
  virtual bool PutItemText(const T& value, detail::ShortText& out) const;
  // The ItemType handed to the writer with each value.
  virtual ItemType WrittenItemType() const;

  // Checks index (CKvInvalidParamException "Index out of range" outside 0 to
  // count), then the facets, then inserts with the events.
  void InsertChecked(int32_t index, const T& value);
  void InsertChecked(int32_t index, T&& value);
  // The facet check alone: throws the facets' message naming the element. The
  // pattern is matched against lexical (the text as read) when given, else
  // against the value's canonical text.
  void CheckFacets(const T& value, const std::wstring* lexical = nullptr) const;
  // The index check and the insertion with its events, without the facets.
  void InsertAt(int32_t index, const T& value);
  void InsertAt(int32_t index, T&& value);

 private:
  template <class V>
  void Insert(int32_t index, V&& value, bool checkFacets);

  // The values are m_items from m_front on: removing the first value (as
  // Clear does, one at a time) moves nothing until the dead front is as long
  // as the rest.
  std::vector<T> m_items;
  size_t m_front = 0;
  // Facets are fixed for the life of the collection, so the common bounds
  // are parsed once; null when they cannot be (the full check then runs).
  std::shared_ptr<const detail::FacetPrecheck<T>> m_precheck;
};

// The collection of one kind that is not a date: Ci4Col, CstringCol ...
template <ItemType K>
class KORVEL_API CTypedCollection : public CTypedCollectionBase<typename TypedItem<K>::Value> {
 public:
  using value_type = typename TypedItem<K>::Value;
  using Param = typename TypedItem<K>::Param;

  // The element's name, namespace and occurrence bounds, the ten facets of
  // CPrimitiveRestrictions, the whitespace rule applied when reading and the
  // format of r4, r8 and decimal values (null or empty: the default).
  CTypedCollection(const wchar_t* elementName, const wchar_t* namespaceUri, int32_t minOccurs,
                   int32_t maxOccurs, const wchar_t* pattern, int32_t minLength, int32_t maxLength,
                   const wchar_t* minInclusive, const wchar_t* maxInclusive,
                   const wchar_t* minExclusive, const wchar_t* maxExclusive, int32_t length,
                   int32_t totalDigits, int32_t fractionDigits,
                   CWhitespaceUtils::WhitespaceRule whiteSpaceRule, const wchar_t* valueFormat);
  CTypedCollection(const CTypedCollection& other);
  CTypedCollection& operator=(const CTypedCollection& other);
  ~CTypedCollection() override;

  // Appends.
  void Add(Param value);
  // Inserts before the value at index; index == count appends. A bad index
  // throws CKvInvalidParamException "Index out of range"; a value outside the
  // facets throws their message naming the element. Nothing changes then.
  void AddAt(int32_t index, Param value);
  // The facet check of Add alone: throws as Add does for a value outside the
  // facets, and keeps nothing.
  void CheckValue(const value_type& value) const;

 protected:
  // Parses text as the kind, under the collection's whitespace rule, and appends it.
  void AddFromString(const std::wstring& text) override;
  std::wstring ItemText(const value_type& value) const override;
  bool PutItemText(const value_type& value, detail::ShortText& out) const override;
};

// The base of the five collections of CDateTime values. A value must hold the
// collection's own date kind; the five write their values with ItemType
// it_datetime.
class KORVEL_API CdatetimeBaseCol : public CTypedCollectionBase<CDateTime> {
 public:
  CdatetimeBaseCol(const CdatetimeBaseCol& other);
  CdatetimeBaseCol& operator=(const CdatetimeBaseCol& other);
  ~CdatetimeBaseCol() override;

  // Appends through the virtual AddAt.
  void Add(const CDateTime& value);
  // A date of another kind than the collection's throws
  // CKvInvalidParamException "Dates added to this collection must be of type
  // dt_..."; then the facets and the index are checked (in this order, the
  // reverse of the other collections). Nothing changes on failure.
  virtual void AddAt(int32_t index, const CDateTime& value);

 protected:
  // itemType is one of it_yearMonth, it_monthDay, it_date, it_datetime, it_time.
  CdatetimeBaseCol(ItemType itemType, const wchar_t* elementName, const wchar_t* namespaceUri,
                   int32_t minOccurs, int32_t maxOccurs, const wchar_t* pattern, int32_t minLength,
                   int32_t maxLength, const wchar_t* minInclusive, const wchar_t* maxInclusive,
                   const wchar_t* minExclusive, const wchar_t* maxExclusive, int32_t length,
                   int32_t totalDigits, int32_t fractionDigits,
                   CWhitespaceUtils::WhitespaceRule whiteSpaceRule, const wchar_t* valueFormat);

  // The index check and the insertion, without the kind and facet checks.
  void BaseAddAt(int32_t index, const CDateTime& value);
  // The date text form of the kind the value holds.
  virtual std::wstring ItemToString(const CDateTime& value) const;
  std::wstring ItemText(const CDateTime& value) const override;
  ItemType WrittenItemType() const override;
};

// One date kind: CdateCol, CdatetimeCol, CtimeCol, CyearMonthCol, CmonthDayCol.
template <ItemType K>
class KORVEL_API CDateCollection : public CdatetimeBaseCol {
 public:
  using Param = const CDateTime&;

  // The arguments of CTypedCollection's constructor.
  CDateCollection(const wchar_t* elementName, const wchar_t* namespaceUri, int32_t minOccurs,
                  int32_t maxOccurs, const wchar_t* pattern, int32_t minLength, int32_t maxLength,
                  const wchar_t* minInclusive, const wchar_t* maxInclusive,
                  const wchar_t* minExclusive, const wchar_t* maxExclusive, int32_t length,
                  int32_t totalDigits, int32_t fractionDigits,
                  CWhitespaceUtils::WhitespaceRule whiteSpaceRule, const wchar_t* valueFormat);
  CDateCollection(const CDateCollection& other);
  CDateCollection& operator=(const CDateCollection& other);
  ~CDateCollection() override;

 protected:
  // Parses text with the kind's date reader, which accepts any date kind, so a
  // text of another kind fails in AddAt with the kind message.
  void AddFromString(const std::wstring& text) override;
};

using ChexBinaryCol = CTypedCollection<it_hexBinary>;
using Cbase64BinaryCol = CTypedCollection<it_base64Binary>;
using Ci1Col = CTypedCollection<it_i1>;
using Ci2Col = CTypedCollection<it_i2>;
using Ci4Col = CTypedCollection<it_i4>;
using Ci8Col = CTypedCollection<it_i8>;
using Cui1Col = CTypedCollection<it_ui1>;
using Cui2Col = CTypedCollection<it_ui2>;
using Cui4Col = CTypedCollection<it_ui4>;
using Cui8Col = CTypedCollection<it_ui8>;
using Cr4Col = CTypedCollection<it_r4>;
using Cr8Col = CTypedCollection<it_r8>;
using CdurationCol = CTypedCollection<it_duration>;
using CyearMonthCol = CDateCollection<it_yearMonth>;
using CmonthDayCol = CDateCollection<it_monthDay>;
using CyearCol = CTypedCollection<it_year>;
using CmonthCol = CTypedCollection<it_month>;
using CdayCol = CTypedCollection<it_day>;
using CdateCol = CDateCollection<it_date>;
using CdatetimeCol = CDateCollection<it_datetime>;
using CtimeCol = CDateCollection<it_time>;
using CstringCol = CTypedCollection<it_string>;
using CbooleanCol = CTypedCollection<it_boolean>;
using CdecimalCol = CTypedCollection<it_decimal>;
using CintegerCol = CTypedCollection<it_integer>;

// Instantiated once, in the library.
extern template class CTypedCollectionBase<CBinaryData>;
extern template class CTypedCollectionBase<int8_t>;
extern template class CTypedCollectionBase<int16_t>;
extern template class CTypedCollectionBase<int32_t>;
extern template class CTypedCollectionBase<int64_t>;
extern template class CTypedCollectionBase<uint8_t>;
extern template class CTypedCollectionBase<uint16_t>;
extern template class CTypedCollectionBase<uint32_t>;
extern template class CTypedCollectionBase<uint64_t>;
extern template class CTypedCollectionBase<float>;
extern template class CTypedCollectionBase<double>;
extern template class CTypedCollectionBase<CDateTimeSpan>;
extern template class CTypedCollectionBase<CDateTime>;
extern template class CTypedCollectionBase<std::wstring>;
extern template class CTypedCollectionBase<bool>;
extern template class CTypedCollectionBase<CDecimal>;
extern template class CTypedCollectionBase<CBigInteger>;
extern template class CTypedCollection<it_hexBinary>;
extern template class CTypedCollection<it_base64Binary>;
extern template class CTypedCollection<it_i1>;
extern template class CTypedCollection<it_i2>;
extern template class CTypedCollection<it_i4>;
extern template class CTypedCollection<it_i8>;
extern template class CTypedCollection<it_ui1>;
extern template class CTypedCollection<it_ui2>;
extern template class CTypedCollection<it_ui4>;
extern template class CTypedCollection<it_ui8>;
extern template class CTypedCollection<it_r4>;
extern template class CTypedCollection<it_r8>;
extern template class CTypedCollection<it_duration>;
extern template class CTypedCollection<it_year>;
extern template class CTypedCollection<it_month>;
extern template class CTypedCollection<it_day>;
extern template class CTypedCollection<it_string>;
extern template class CTypedCollection<it_boolean>;
extern template class CTypedCollection<it_decimal>;
extern template class CTypedCollection<it_integer>;
extern template class CDateCollection<it_yearMonth>;
extern template class CDateCollection<it_monthDay>;
extern template class CDateCollection<it_date>;
extern template class CDateCollection<it_datetime>;
extern template class CDateCollection<it_time>;

}  // namespace Korvel
