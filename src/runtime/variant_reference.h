// SPDX-License-Identifier: MIT
// The counted object references a KvVariant holds (it_xmlObject and
// it_xmlCollection), and the access the object classes need to store them.
//
// The carrier only copies and drops a reference; taking one needs the object's
// class, which the carrier does not know. So a reference is a small holder
// whose virtual operations do the counting: the carrier links without the
// object classes, and only the code that stores or reads a reference
// (KvVariant::SetXmlObject and its siblings, defined with CXmlObjectBase)
// instantiates CountedReference for them:
//
//   void KvVariant::SetXmlObject(CXmlObjectBase* object) {
//     detail::VariantAccess::SetReference(*this, it_xmlObject, detail::MakeReference(object));
//   }
//   CSmartPtr<CXmlObjectBase> KvVariant::GetXmlObject() const {
//     return detail::ReferencedObject<CXmlObjectBase>(
//         detail::VariantAccess::GetReference(*this, it_xmlObject, "GetXmlObject"));
//   }
#pragma once

#include <memory>
#include <new>
#include <string>

#include <korvel/item_type.h>
#include <korvel/smart_ptr.h>
#include <korvel/variant.h>

namespace Korvel::detail {

class VariantReference {
 public:
  VariantReference(const VariantReference&) = delete;
  VariantReference& operator=(const VariantReference&) = delete;
  // Gives the reference back.
  virtual ~VariantReference();
  // A holder of one more reference to the same object.
  virtual std::unique_ptr<VariantReference> Clone() const = 0;
  // The object, as the T* its holder was made for; null for none.
  virtual void* Target() const noexcept = 0;

 protected:
  VariantReference() = default;
};

// T has AddRef and Release, as CXmlObjectBase has.
template <class T>
class CountedReference final : public VariantReference {
 public:
  explicit CountedReference(T* object) : m_object(object) {}
  std::unique_ptr<VariantReference> Clone() const override {
    return std::make_unique<CountedReference>(m_object.Get());
  }
  void* Target() const noexcept override { return m_object.Get(); }

 private:
  CSmartPtr<T> m_object;
};

// A KvValueView's holder: points at the object without a reference of its
// own; a copy of the carrier takes a counted one.
template <class T>
class BorrowedReference final : public VariantReference {
 public:
  explicit BorrowedReference(T* object) noexcept : m_object(object) {}
  std::unique_ptr<VariantReference> Clone() const override {
    return std::make_unique<CountedReference<T>>(m_object);
  }
  void* Target() const noexcept override { return m_object; }

 private:
  T* m_object;
};

// No holder for a null pointer: the carrier stores null as such.
template <class T>
std::unique_ptr<VariantReference> MakeReference(T* object) {
  if (!object) return nullptr;
  return std::make_unique<CountedReference<T>>(object);
}

// The object of a holder made for T (MakeReference<T> or a view's
// BorrowedReference<T>), without taking a reference; null for none.
template <class T>
T* ReferencedPointer(const VariantReference* reference) noexcept {
  return reference ? static_cast<T*>(reference->Target()) : nullptr;
}

// A new reference to the object of a holder made for T; null for none.
template <class T>
CSmartPtr<T> ReferencedObject(const VariantReference* reference) {
  return ReferencedPointer<T>(reference);
}

struct VariantAccess {
  // Replaces the carrier's state with kind (it_xmlObject or it_xmlCollection)
  // holding reference, which may be null.
  static void SetReference(KvVariant& variant, ItemType kind,
                           std::unique_ptr<VariantReference> reference) noexcept;
  // The holder a carrier of kind holds (null when null was stored). Throws
  // CKvInvalidStateException, naming getter, when the carrier is of another
  // kind or nil.
  static const VariantReference* GetReference(const KvVariant& variant, ItemType kind,
                                              const char* getter);
  // The text of a string carrier that is not nil, or null: what ToString
  // would copy, for writers that only read it.
  static const std::wstring* HeldString(const KvVariant& variant) noexcept;
  // Likewise the value of a decimal, an integer, any of the five date kinds,
  // or a duration.
  static const CDecimal* HeldDecimal(const KvVariant& variant) noexcept;
  static const CBigInteger* HeldInteger(const KvVariant& variant) noexcept;
  static const CDateTime* HeldDate(const KvVariant& variant) noexcept;
  static const CDateTimeSpan* HeldDuration(const KvVariant& variant) noexcept;
  // For a carrier about to be dropped: the next getter of a heap kind (string,
  // integer, decimal, binary) moves the value out rather than copying it, and
  // the carrier then holds an emptied value. Other kinds ignore it.
  static void HandOverOnNextGet(KvVariant& variant) noexcept;
  // The carrier of a view, for a getter that copies the value into it instead.
  static KvVariant& Carrier(KvValueView& view) noexcept { return view.m_value; }
  // Points view's carrier, as kind (it_xmlObject or it_xmlCollection), at
  // object through a BorrowedReference<T> kept in the view itself.
  template <class T>
  static void BorrowReference(KvValueView& view, ItemType kind, T* object) noexcept {
    static_assert(sizeof(BorrowedReference<T>) <= sizeof(view.m_reference) &&
                  alignof(BorrowedReference<T>) <= alignof(void*));
    VariantReference* reference =
        object ? new (view.m_reference) BorrowedReference<T>(object) : nullptr;
    BorrowInstalled(view, kind, reference);
  }
  static void BorrowInstalled(KvValueView& view, ItemType kind,
                              VariantReference* reference) noexcept;
  // Points view, just made, at value of kind (one of the kinds held on the
  // heap) as KvValueView's setters do, in line: for writers that show a value
  // they see in place to a check that takes a carrier.
  static void ShowHeld(KvValueView& view, ItemType kind, const void* value) noexcept {
    KvVariant& carrier = view.m_value;
    KvVariant::Value& held = carrier.m_value;
    switch (kind) {
      case it_hexBinary:
      case it_base64Binary:
        held.binary = const_cast<CBinaryData*>(static_cast<const CBinaryData*>(value));
        break;
      case it_duration:
        held.duration = const_cast<CDateTimeSpan*>(static_cast<const CDateTimeSpan*>(value));
        break;
      case it_string:
        held.string = const_cast<std::wstring*>(static_cast<const std::wstring*>(value));
        break;
      case it_decimal:
        held.decimal = const_cast<CDecimal*>(static_cast<const CDecimal*>(value));
        break;
      case it_integer:
        held.integer = const_cast<CBigInteger*>(static_cast<const CBigInteger*>(value));
        break;
      default:  // the five date kinds
        held.date = const_cast<CDateTime*>(static_cast<const CDateTime*>(value));
        break;
    }
    carrier.m_type = kind;
    carrier.m_borrowed = true;
  }
  // FromString for a carrier that readers fill value after value: a string,
  // number or date goes into the object the carrier already holds for that
  // kind, which costs no allocation of its own.
  static void Refill(KvVariant& variant, const std::wstring& text, ItemType kind,
                     CWhitespaceUtils::WhitespaceRule rule);
  // Refill with text its reader is done with: a string the rule leaves whole
  // is swapped into the carrier instead of copied, leaving text empty. True
  // when it was; GiveBack then undoes it, for a read that fails after it.
  static bool RefillTaking(KvVariant& variant, std::wstring& text, ItemType kind,
                           CWhitespaceUtils::WhitespaceRule rule);
  static void GiveBack(KvVariant& variant, std::wstring& text) noexcept;
};

class ShortText;

// ToString's text of an integer kind, a year, month or day, or a boolean,
// put into out; false, with nothing put, for the other kinds.
bool PutShortValueText(const KvVariant& value, ShortText& out);
// The same for a value of kind given as an int64_t (a ui8 value as its bits).
bool PutShortText(ItemType kind, int64_t value, ShortText& out);
// ToString's text without a format, put into out; false, with nothing put,
// for a nil value, for the kinds that are not numbers, booleans, dates or
// durations, and for a text longer than out holds.
bool PutUnformattedText(const KvVariant& value, ShortText& out);

// ToString's text, appended to out: numbers and dates are printed into it,
// so that a buffer reused across values spares an allocation per value.
void AppendVariantText(const KvVariant& value, const wchar_t* format, std::wstring& out);

// The value as text: the held string itself, or ToString's text in scratch
// (replacing what scratch held).
inline const std::wstring& VariantText(const KvVariant& value, const wchar_t* format,
                                       std::wstring& scratch) {
  if (const std::wstring* held = VariantAccess::HeldString(value)) return *held;
  scratch.clear();
  AppendVariantText(value, format, scratch);
  return scratch;
}

}  // namespace Korvel::detail
