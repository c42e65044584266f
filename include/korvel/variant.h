// SPDX-License-Identifier: MIT
// KvVariant: one primitive value, tagged with its kind, on its way between the
// class metadata and the generated property accessors.
#pragma once

#include <cstdint>
#include <string>

#include <korvel/binary_data.h>
#include <korvel/date_time.h>
#include <korvel/decimal.h>
#include <korvel/export.h>
#include <korvel/item_type.h>
#include <korvel/smart_ptr.h>
#include <korvel/whitespace_utils.h>

namespace Korvel {

class CXmlObjectBase;
class CXmlCollectionBase;

namespace detail {
class VariantReference;
struct VariantAccess;
}  // namespace detail

// Three states: empty (it_none, IsValid false), nil (a kind but no value) and
// holding a value of its kind. Scalars are held inline; the other kinds are
// owned heap objects, copied deeply with the carrier, except binary values,
// whose copies share one byte buffer, and the object kinds, whose copies share
// the object and hold one reference each. The carrier converts nothing itself:
// text goes through CConversions.
struct KORVEL_API KvVariant {
 public:
  // In line: writers make a view per value they write.
  KvVariant() noexcept : m_nil(false), m_type(it_none), m_value{} {}
  KvVariant(const KvVariant& other);
  // Takes other's value and leaves other empty.
  KvVariant(KvVariant&& other) noexcept;
  // A nil source gives a nil copy of the same kind.
  KvVariant& operator=(const KvVariant& other);
  KvVariant& operator=(KvVariant&& other) noexcept;
  virtual ~KvVariant();

  // Frees the value and returns to empty. An empty carrier, even a nil one,
  // is left as it is.
  void Clear() noexcept;
  // Back to empty, whatever the state (a nil carrier stops being nil).
  void SetInvalid() noexcept;
  // Keeps the kind, drops the value.
  void SetNil() noexcept;
  bool IsNil() const noexcept { return m_nil; }
  // True unless empty: a nil carrier is valid, even of kind it_none.
  bool IsValid() const noexcept { return m_type != it_none || m_nil; }
  ItemType GetTypeAsEnum() const noexcept { return m_type; }
  // The kind's name ("i4", "dateTime" ...); CKvException "Invalid Type %d"
  // for it_none and the object kinds.
  std::wstring GetType() const;

  // Each setter replaces the whole state (nil included) with a value of its
  // kind; when it throws (out of memory) the carrier is unchanged.
  void SetHexBinary(const CBinaryData& value);
  void SetBase64Binary(const CBinaryData& value);
  void SetI1(int8_t value) noexcept;
  void SetI2(int16_t value) noexcept;
  void SetI4(int32_t value) noexcept;
  void SetI8(int64_t value) noexcept;
  void SetUI1(uint8_t value) noexcept;
  void SetUI2(uint16_t value) noexcept;
  void SetUI4(uint32_t value) noexcept;
  void SetUI8(uint64_t value) noexcept;
  void SetR4(float value) noexcept;
  void SetR8(double value) noexcept;
  void SetDuration(const CDateTimeSpan& value);
  // The five date setters store the value as it is: its own date kind is
  // neither checked nor changed.
  void SetYearMonth(const CDateTime& value);
  void SetMonthDay(const CDateTime& value);
  void SetYear(uint16_t value) noexcept;
  void SetMonth(uint8_t value) noexcept;
  void SetDay(uint8_t value) noexcept;
  void SetDate(const CDateTime& value);
  void SetDateTime(const CDateTime& value);
  void SetTime(const CDateTime& value);
  void SetChar(wchar_t value) noexcept;
  // Keeps the argument's characters: the parameter is left empty.
  void SetString(std::wstring value);
  void SetBoolean(bool value) noexcept;
  void SetDecimal(const CDecimal& value);
  void SetInteger(const CBigInteger& value);
  // Hold one reference to the object (none for null, which is stored as such).
  // Defined with the object classes.
  void SetXmlObject(CXmlObjectBase* object);
  void SetXmlCollection(CXmlCollectionBase* collection);

  // The scalar getters read their slot as it is: they check neither the kind
  // nor the nil flag, and give 0 on an empty or nil carrier.
  int8_t GetI1() const noexcept { return m_value.i1; }
  int16_t GetI2() const noexcept { return m_value.i2; }
  int32_t GetI4() const noexcept { return m_value.i4; }
  int64_t GetI8() const noexcept { return m_value.i8; }
  uint8_t GetUI1() const noexcept { return m_value.ui1; }
  uint16_t GetUI2() const noexcept { return m_value.ui2; }
  uint32_t GetUI4() const noexcept { return m_value.ui4; }
  uint64_t GetUI8() const noexcept { return m_value.ui8; }
  float GetR4() const noexcept { return m_value.r4; }
  double GetR8() const noexcept { return m_value.r8; }
  wchar_t GetChar() const noexcept { return m_value.c; }
  bool GetBoolean() const noexcept { return m_value.ui1 != 0; }
  uint16_t GetYear() const noexcept { return m_value.ui2; }
  uint8_t GetMonth() const noexcept { return m_value.ui1; }
  uint8_t GetDay() const noexcept { return m_value.ui1; }

  // The object getters need a value of their family (either binary kind for
  // the binary getters, any of the five date kinds for the date getters) and
  // throw CKvInvalidStateException on any other kind, on a nil carrier and on
  // an empty one. Binary values share the held buffer; the others are copies.
  CBinaryData GetHexBinary() const;
  CBinaryData GetBase64Binary() const;
  CDateTimeSpan GetDuration() const;
  CDateTime GetDate() const;
  CDateTime GetDateTime() const;
  CDateTime GetTime() const;
  CDateTime GetYearMonth() const;
  CDateTime GetMonthDay() const;
  std::wstring GetString() const;
  CDecimal GetDecimal() const;
  CBigInteger GetInteger() const;
  // A new reference (null when null was stored); defined with the object classes.
  CSmartPtr<CXmlObjectBase> GetXmlObject() const;
  CSmartPtr<CXmlCollectionBase> GetXmlCollection() const;

  // The kind's lexical form. format (null reads as "") goes to the r4, r8 and
  // decimal conversions only. The date kinds print the date kind the value
  // holds. CKvException "Invalid Type %d to convert to string" for it_none
  // and the object kinds; CKvInvalidStateException for a nil carrier.
  std::wstring ToString(const wchar_t* format = nullptr) const;
  // Parses text as kind under the rule and stores the result. The carrier is
  // untouched when parsing fails. CKvException "Invalid Type %d to convert to
  // string" for a kind outside it_hexBinary to it_integer.
  void FromString(const std::wstring& text, ItemType kind, CWhitespaceUtils::WhitespaceRule rule);

 private:
  friend struct detail::VariantAccess;
  friend class KvValueView;

  // Eight bytes: a scalar, or a pointer to what the carrier owns.
  union Value {
    uint64_t raw;  // zero for "no value"
    int8_t i1;
    int16_t i2;
    int32_t i4;
    int64_t i8;
    uint8_t ui1;
    uint16_t ui2;
    uint32_t ui4;
    uint64_t ui8;
    float r4;
    double r8;
    wchar_t c;
    CBinaryData* binary;
    CDateTimeSpan* duration;
    CDateTime* date;
    std::wstring* string;
    CDecimal* decimal;
    CBigInteger* integer;
    detail::VariantReference* reference;  // it_xmlObject and it_xmlCollection
  };

  // Clears, then takes kind and value as a non-nil value.
  void Install(ItemType kind, Value value) noexcept;
  // Install, pointing member at value without owning it.
  template <class T>
  void Borrow(ItemType kind, T* Value::*member, const T& value) noexcept;
  // What an object getter returns: needs a value of the getter's family.
  template <class T>
  const T& Held(T* held, bool family, const char* getter) const;
  // What a getter of a heap kind returns: a copy, or the value itself when
  // the carrier hands it over.
  template <class T>
  T Give(T* held, bool family, const char* getter) const;

  bool m_nil;
  // Set by the reader on a carrier it drops right after the property setter
  // has read it: that one read moves the value out instead of copying it.
  mutable bool m_handOver = false;
  // The heap value belongs to someone else (a KvValueView's carrier): Clear
  // forgets it instead of freeing it, and a copy owns a copy.
  bool m_borrowed = false;
  ItemType m_type;
  Value m_value;
};

// A property's value seen where its object keeps it, for code that only reads
// it (the writers): filled as a KvVariant is, but the values held on the heap
// (binary, duration, dates, string, decimal, integer) are pointed at instead
// of copied. Valid while the object and the value stay as they are.
class KORVEL_API KvValueView {
 public:
  KvValueView() noexcept = default;
  KvValueView(const KvValueView&) = delete;
  KvValueView& operator=(const KvValueView&) = delete;
  virtual ~KvValueView();

  void SetInvalid() noexcept { m_value.SetInvalid(); }
  void SetNil() noexcept { m_value.SetNil(); }
  void SetHexBinary(const CBinaryData& value) noexcept;
  void SetBase64Binary(const CBinaryData& value) noexcept;
  void SetI1(int8_t value) noexcept { m_value.SetI1(value); }
  void SetI2(int16_t value) noexcept { m_value.SetI2(value); }
  void SetI4(int32_t value) noexcept { m_value.SetI4(value); }
  void SetI8(int64_t value) noexcept { m_value.SetI8(value); }
  void SetUI1(uint8_t value) noexcept { m_value.SetUI1(value); }
  void SetUI2(uint16_t value) noexcept { m_value.SetUI2(value); }
  void SetUI4(uint32_t value) noexcept { m_value.SetUI4(value); }
  void SetUI8(uint64_t value) noexcept { m_value.SetUI8(value); }
  void SetR4(float value) noexcept { m_value.SetR4(value); }
  void SetR8(double value) noexcept { m_value.SetR8(value); }
  void SetDuration(const CDateTimeSpan& value) noexcept;
  void SetYearMonth(const CDateTime& value) noexcept;
  void SetMonthDay(const CDateTime& value) noexcept;
  void SetYear(uint16_t value) noexcept { m_value.SetYear(value); }
  void SetMonth(uint8_t value) noexcept { m_value.SetMonth(value); }
  void SetDay(uint8_t value) noexcept { m_value.SetDay(value); }
  void SetDate(const CDateTime& value) noexcept;
  void SetDateTime(const CDateTime& value) noexcept;
  void SetTime(const CDateTime& value) noexcept;
  void SetChar(wchar_t value) noexcept { m_value.SetChar(value); }
  void SetString(const std::wstring& value) noexcept;
  void SetBoolean(bool value) noexcept { m_value.SetBoolean(value); }
  void SetDecimal(const CDecimal& value) noexcept;
  void SetInteger(const CBigInteger& value) noexcept;
  // The object members, pointed at without taking a reference. Defined with
  // the object classes.
  void SetXmlObject(CXmlObjectBase* object) noexcept;
  void SetXmlCollection(CXmlCollectionBase* collection) noexcept;

  // The value seen, as a carrier: its getters and ToString work as usual,
  // and a copy of it owns a copy of the value.
  const KvVariant& AsVariant() const noexcept { return m_value; }

 private:
  friend struct detail::VariantAccess;

  KvVariant m_value;
  // Room for the holder through which the carrier points at an object.
  alignas(void*) unsigned char m_reference[2 * sizeof(void*)];
};

}  // namespace Korvel
