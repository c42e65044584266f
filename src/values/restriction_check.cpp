// SPDX-License-Identifier: MIT
// The facet check: one validator per value kind, sharing the order in which
// bounds, lengths, digits and the pattern are tested.
#include "values/restriction_check.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include <korvel/conversions.h>
#include <korvel/date_time.h>
#include <korvel/date_time_span.h>
#include <korvel/errors.h>

#include "runtime/messages.h"
#include "runtime/variant_reference.h"
#include "values/big_integer_access.h"
#include "values/decimal_access.h"
#include "values/pattern.h"
#include "values/restriction_errors.h"

namespace Korvel::detail {

namespace {

constexpr CWhitespaceUtils::WhitespaceRule kBoundRule = CWhitespaceUtils::ws_collapse;

// In the order in which the bounds are tested.
enum class Bound { kMinInclusive, kMaxInclusive, kMinExclusive, kMaxExclusive };

using BoundTexts = std::array<const std::wstring*, 4>;
BoundTexts BoundTextsOf(const CPrimitiveRestrictions& r) {
  return {&r.GetMinInclusive(), &r.GetMaxInclusive(), &r.GetMinExclusive(), &r.GetMaxExclusive()};
}

bool HasBounds(const CPrimitiveRestrictions& r) {
  const BoundTexts texts = BoundTextsOf(r);
  return std::any_of(texts.begin(), texts.end(), [](const auto* text) { return !text->empty(); });
}

// The bounds that are set, parsed by one parse function.
template <class T, class Parse>
struct ParsedBounds final : ParsedBoundsBase {
  explicit ParsedBounds(Parse by) : ParsedBoundsBase(&kTag), parse(by) {}
  static constexpr char kTag = 0;  // its address tells the kinds apart
  const Parse parse;
  std::optional<T> limits[4];
};

// The bounds of r as parse reads them, parsed by the first check and kept by
// r for the later ones, which then parse nothing. Null when a bound does not
// parse (the check then parses as it goes and fails where it always did) and
// when r keeps bounds parsed otherwise, as the same facets checked as two
// kinds would be.
template <class T, class Parse>
const ParsedBounds<T, Parse>* ParsedBoundsOf(const CPrimitiveRestrictions& r, Parse parse) {
  using Bounds = ParsedBounds<T, Parse>;
  const ParsedBoundsBase* kept = RestrictionsAccess::Bounds(r);
  if (kept == nullptr) {
    auto parsed = std::make_unique<Bounds>(parse);
    const BoundTexts texts = BoundTextsOf(r);
    try {
      for (int i = 0; i < 4; ++i) {
        if (!texts[i]->empty()) parsed->limits[i] = parse(*texts[i], kBoundRule);
      }
    } catch (const CKvException&) {
      return nullptr;
    }
    if (RestrictionsAccess::KeepBounds(r, parsed.get())) parsed.release();
    kept = RestrictionsAccess::Bounds(r);
  }
  if (kept->kind != &Bounds::kTag) return nullptr;
  const auto* bounds = static_cast<const Bounds*>(kept);
  return bounds->parse == parse ? bounds : nullptr;
}

// Calls breaks(bound, parsed limit) for each bound that is set, in order, and
// tells whether one of them is broken. Bounds are parsed only when set.
template <class Parse, class Breaks>
bool AnyBoundBroken(const CPrimitiveRestrictions& r, Parse parse, Breaks breaks) {
  if (!HasBounds(r)) return false;
  using T = decltype(parse(std::wstring(), kBoundRule));
  if (const auto* bounds = ParsedBoundsOf<T>(r, parse)) {
    for (int i = 0; i < 4; ++i) {
      if (bounds->limits[i] && breaks(static_cast<Bound>(i), *bounds->limits[i])) return true;
    }
    return false;
  }
  const BoundTexts texts = BoundTextsOf(r);
  for (int i = 0; i < 4; ++i) {
    if (!texts[i]->empty() && breaks(static_cast<Bound>(i), parse(*texts[i], kBoundRule))) {
      return true;
    }
  }
  return false;
}

// For numbers. Written as "not within", so that a NaN on either side breaks
// every bound.
template <class T>
bool Breaks(Bound bound, const T& value, const T& limit) {
  switch (bound) {
    case Bound::kMinInclusive:
      return !(value >= limit);
    case Bound::kMaxInclusive:
      return !(value <= limit);
    case Bound::kMinExclusive:
      return !(value > limit);
    case Bound::kMaxExclusive:
      return !(value < limit);
  }
  return false;
}

// For dates and durations, whose order is partial: a value that cannot be
// ordered against the limit breaks nothing.
bool Breaks(Bound bound, CDateTime::DTCompareResult order) {
  switch (bound) {
    case Bound::kMinInclusive:
      return order == CDateTime::dtcr_less;
    case Bound::kMaxInclusive:
      return order == CDateTime::dtcr_greater;
    case Bound::kMinExclusive:
      return order == CDateTime::dtcr_less || order == CDateTime::dtcr_equal;
    case Bound::kMaxExclusive:
      return order == CDateTime::dtcr_greater || order == CDateTime::dtcr_equal;
  }
  return false;
}

template <class T, class Parse>
bool AnyNumericBoundBroken(const CPrimitiveRestrictions& r, const T& value, Parse parse) {
  return AnyBoundBroken(r, parse,
                        [&](Bound bound, const T& limit) { return Breaks(bound, value, limit); });
}

template <class T, class Parse>
bool AnyOrderBoundBroken(const CPrimitiveRestrictions& r, const T& value, Parse parse) {
  return AnyBoundBroken(r, parse, [&](Bound bound, const auto& limit) {
    return Breaks(bound, value.CompareTo(limit));
  });
}

bool LengthBroken(const CPrimitiveRestrictions& r, size_t count) {
  const auto breaks = [count](int32_t facet, bool (*fails)(size_t, size_t)) {
    return facet >= 0 && fails(count, static_cast<size_t>(facet));
  };
  return breaks(r.GetMinLength(), [](size_t n, size_t limit) { return n < limit; }) ||
         breaks(r.GetMaxLength(), [](size_t n, size_t limit) { return n > limit; }) ||
         breaks(r.GetLength(), [](size_t n, size_t limit) { return n != limit; });
}

bool TooManyDigits(int32_t facet, size_t digits) {
  return facet >= 0 && digits > static_cast<size_t>(facet);
}

// Characters: a surrogate pair (text that came through UTF-16) is one.
size_t CharacterCount(const std::wstring& text) {
  size_t pairs = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (static_cast<uint32_t>(text[i]) - 0xD800u < 0x400u &&
        static_cast<uint32_t>(text[i + 1]) - 0xDC00u < 0x400u) {
      ++pairs;
      ++i;
    }
  }
  return text.size() - pairs;
}

// --- validators, one per family of kinds -----------------------------------

// The integer kinds: bounds, then totalDigits on the digits of the text form
// (a leading "-" is no digit). report throws with the value shown as the
// kind's message wants.
template <class T, class Print, class Report>
void CheckTotalDigits(const CPrimitiveRestrictions& r, const T& value, Print print, Report report) {
  if (r.GetTotalDigits() < 0) return;
  const std::wstring text = print(value);
  const size_t digits = text.size() - (!text.empty() && text[0] == L'-' ? 1 : 0);
  if (TooManyDigits(r.GetTotalDigits(), digits)) report();
}

template <class T, class Parse, class Print, class Report>
void CheckInteger(const CPrimitiveRestrictions& r, T value, Parse parse, Print print,
                  Report report) {
  if (AnyNumericBoundBroken(r, value, parse)) report();
  CheckTotalDigits(r, value, print, report);
}

// Big integers and their bounds are nearly always small: compared as int64_t
// when both fit, a check builds no CBigInteger per bound.
constexpr size_t kSmallDigits = 18;

std::optional<int64_t> SmallInteger(const CBigInteger& value) {
  const CBigInteger::Digits& digits = BigIntegerAccess::DigitsOf(value);
  if (digits.size() > kSmallDigits) return std::nullopt;
  int64_t magnitude = 0;
  for (size_t i = digits.size(); i-- > 0;) magnitude = magnitude * 10 + digits[i];
  return BigIntegerAccess::SignOf(value) < 0 ? -magnitude : magnitude;
}

// Only the plain form: anything else (blanks included) takes the full parse.
std::optional<int64_t> SmallIntegerText(const std::wstring& text) {
  size_t i = !text.empty() && (text[0] == L'-' || text[0] == L'+') ? 1 : 0;
  const size_t count = text.size() - i;
  if (count == 0 || count > kSmallDigits) return std::nullopt;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
    magnitude = magnitude * 10 + (text[i] - L'0');
  }
  return text[0] == L'-' ? -magnitude : magnitude;
}

// The bounds in the order they are tested, each read once; false when one
// that is set is not a plain small integer.
struct SmallBoundSet {
  bool set[4] = {false, false, false, false};
  int64_t limit[4] = {0, 0, 0, 0};
};

std::optional<int64_t> SmallLimit(const std::wstring& text, CWhitespaceUtils::WhitespaceRule) {
  return SmallIntegerText(text);
}

bool ReadSmallBounds(const CPrimitiveRestrictions& r, SmallBoundSet& bounds) {
  if (!HasBounds(r)) return true;
  if (const auto* parsed = ParsedBoundsOf<std::optional<int64_t>>(r, &SmallLimit)) {
    for (int i = 0; i < 4; ++i) {
      if (!parsed->limits[i]) continue;
      if (!*parsed->limits[i]) return false;
      bounds.set[i] = true;
      bounds.limit[i] = **parsed->limits[i];
    }
    return true;
  }
  const BoundTexts texts = BoundTextsOf(r);
  for (int i = 0; i < 4; ++i) {
    if (texts[i]->empty()) continue;
    const std::optional<int64_t> limit = SmallIntegerText(*texts[i]);
    if (!limit) return false;
    bounds.set[i] = true;
    bounds.limit[i] = *limit;
  }
  return true;
}

template <class T, class Parse>
void CheckReal(const std::wstring& name, const CPrimitiveRestrictions& r, T value, Parse parse) {
  if (AnyNumericBoundBroken(r, value, parse)) ThrowFacetViolation(name, static_cast<double>(value));
}

// The value a carrier holds, seen where it is held when it is of the kind
// checked; otherwise copied by the getter, which throws for another kind.
template <class T>
class HeldValue {
 public:
  template <class Get>
  HeldValue(const T* held, Get get) : m_held(held) {
    if (!m_held) m_held = &m_copy.emplace(get());
  }
  HeldValue(const HeldValue&) = delete;
  HeldValue& operator=(const HeldValue&) = delete;
  const T& operator*() const noexcept { return *m_held; }

 private:
  std::optional<T> m_copy;
  const T* m_held;
};

template <class Parse>
void CheckDate(const std::wstring& name, const CPrimitiveRestrictions& r, const KvVariant& value,
               Parse parse) {
  const HeldValue<CDateTime> held(VariantAccess::HeldDate(value), [&] { return value.GetDate(); });
  const CDateTime& date = *held;
  if (AnyOrderBoundBroken(r, date, parse)) {
    ThrowFacetViolation(name, CConversions::dateToString(date));
  }
}

template <class T, class Parse>
void CheckDateField(const std::wstring& name, const CPrimitiveRestrictions& r, T value,
                    Parse parse) {
  if (AnyNumericBoundBroken(r, value, parse)) {
    ThrowFacetViolation(name, static_cast<int32_t>(value));
  }
}

void CheckDuration(const std::wstring& name, const CPrimitiveRestrictions& r,
                   const KvVariant& value) {
  const CDateTimeSpan span = value.GetDuration();
  if (AnyOrderBoundBroken(r, span, &CConversions::durationFromString)) {
    ThrowFacetViolation(name, CConversions::durationToString(span));
  }
}

void CheckBinary(const std::wstring& name, const CPrimitiveRestrictions& r, const CBinaryData& data,
                 std::wstring (*print)(const CBinaryData&)) {
  if (LengthBroken(r, data.GetLength())) ThrowFacetViolation(name, print(data));
}

// The pattern constrains the lexical form: the text as read or as written.
void CheckPattern(const std::wstring& name, const CPrimitiveRestrictions& r,
                  const std::wstring& text) {
  bool matches = false;
  try {
    matches = MatchesFacetPattern(r, text);
  } catch (const CKvException& cause) {
    ThrowPatternCheckFailed(cause, name, text);
  }
  if (!matches) ThrowFacetViolation(name, text);
}

void CheckString(const std::wstring& name, const CPrimitiveRestrictions& r,
                 const std::wstring& text) {
  if (r.GetMinLength() < 0 && r.GetMaxLength() < 0 && r.GetLength() < 0) return;
  // The count lies between half the size (all surrogate pairs) and the size;
  // the facets are bounds, so it is counted only when those two disagree.
  const size_t most = text.size();
  const size_t least = (most + 1) / 2;
  if (!LengthBroken(r, most) && !LengthBroken(r, least)) return;
  if (LengthBroken(r, CharacterCount(text))) ThrowFacetViolation(name, text);
}

void CheckDecimal(const std::wstring& name, const CPrimitiveRestrictions& r,
                  const KvVariant& value) {
  const HeldValue<CDecimal> held(VariantAccess::HeldDecimal(value),
                                 [&] { return value.GetDecimal(); });
  const CDecimal& number = *held;
  const auto report = [&] { ThrowFacetViolation(name, CConversions::decimalToString(number)); };
  if (AnyNumericBoundBroken(r, number, &CConversions::decimalFromString)) report();
  if (r.GetTotalDigits() < 0 && r.GetFractionDigits() < 0) return;
  const DecimalDigitCount digits = CountDecimalDigits(number);
  if (TooManyDigits(r.GetTotalDigits(), digits.total)) report();
  if (TooManyDigits(r.GetFractionDigits(), digits.fraction)) report();
}

void CheckBigInteger(const std::wstring& name, const CPrimitiveRestrictions& r,
                     const KvVariant& value) {
  const HeldValue<CBigInteger> held(VariantAccess::HeldInteger(value),
                                    [&] { return value.GetInteger(); });
  const CBigInteger& number = *held;
  const auto report = [&] { ThrowFacetViolation(name, CConversions::integerToString(number)); };
  const std::optional<int64_t> small = SmallInteger(number);
  SmallBoundSet bounds;
  if (!small || !ReadSmallBounds(r, bounds)) {
    return CheckInteger(r, number, &CConversions::integerFromString, &CConversions::integerToString,
                        report);
  }
  for (int i = 0; i < 4; ++i) {
    if (bounds.set[i] && Breaks(static_cast<Bound>(i), *small, bounds.limit[i])) report();
  }
  CheckTotalDigits(r, number, &CConversions::integerToString, report);
}

// The kinds shown with %d in messages.
template <class T, class Parse, class Print>
void CheckSmallInteger(const std::wstring& name, const CPrimitiveRestrictions& r, T value,
                       Parse parse, Print print) {
  CheckInteger(r, value, parse, print,
               [&] { ThrowFacetViolation(name, static_cast<int32_t>(value)); });
}

void CheckValueFacets(const std::wstring& name, const KvVariant& value, ItemType kind,
                      const CPrimitiveRestrictions& r);

}  // namespace

void RestrictionsAccess::ForgetParsed(const CPrimitiveRestrictions& r) noexcept {
  delete r.m_parsedBounds.exchange(nullptr, std::memory_order_acq_rel);
  delete r.m_compiledPattern.exchange(nullptr, std::memory_order_acq_rel);
}

DecimalDigitCount CountDecimalDigits(const CDecimal& value) noexcept {
  const size_t integerDigits = BigIntegerAccess::DigitsOf(DecimalAccess::IntegerPart(value)).size();
  const size_t fractionDigits = BigIntegerAccess::SignOf(DecimalAccess::FractionPart(value)) == 0
                                    ? 0
                                    : DecimalAccess::Divider(value);
  return {integerDigits + fractionDigits, fractionDigits};
}

void CheckRestrictions(const std::wstring& name, const KvVariant& value, ItemType kind,
                       const CPrimitiveRestrictions& r, const std::wstring* lexical) {
  if (kind == it_char) ThrowUnknownType(L"char");
  if (kind != it_boolean && (kind <= it_none || kind > it_integer)) ThrowInvalidType(kind);
  if (value.IsNil()) return;
  CheckValueFacets(name, value, kind, r);
  if (r.GetPattern().empty()) return;
  if (lexical) return CheckPattern(name, r, *lexical);
  if (kind != it_string) return CheckPattern(name, r, value.ToString());
  // A string is matched where it is held (not through a conditional, whose
  // value would be a copy); GetString names the wrong kind.
  if (const std::wstring* held = VariantAccess::HeldString(value)) {
    return CheckPattern(name, r, *held);
  }
  CheckPattern(name, r, value.GetString());
}

void CheckStringRestrictions(const std::wstring& name, const std::wstring& text,
                             const CPrimitiveRestrictions& r, const std::wstring* lexical) {
  CheckString(name, r, text);
  if (!r.GetPattern().empty()) CheckPattern(name, r, lexical ? *lexical : text);
}

namespace {

void CheckValueFacets(const std::wstring& name, const KvVariant& value, ItemType kind,
                      const CPrimitiveRestrictions& r) {
  using C = CConversions;
  switch (kind) {
    case it_hexBinary:
      return CheckBinary(name, r, value.GetHexBinary(), &C::hexBinaryToString);
    case it_base64Binary:
      return CheckBinary(name, r, value.GetBase64Binary(), &C::base64BinaryToString);
    case it_i1:
      return CheckSmallInteger(name, r, value.GetI1(), &C::i1FromString, &C::i1ToString);
    case it_i2:
      return CheckSmallInteger(name, r, value.GetI2(), &C::i2FromString, &C::i2ToString);
    case it_i4:
      return CheckSmallInteger(name, r, value.GetI4(), &C::i4FromString, &C::i4ToString);
    case it_ui1:
      return CheckSmallInteger(name, r, value.GetUI1(), &C::ui1FromString, &C::ui1ToString);
    case it_ui2:
      return CheckSmallInteger(name, r, value.GetUI2(), &C::ui2FromString, &C::ui2ToString);
    case it_ui4: {
      const uint32_t number = value.GetUI4();
      return CheckInteger(r, number, &C::ui4FromString, &C::ui4ToString,
                          [&] { ThrowFacetViolation(name, number); });
    }
    case it_i8: {
      const int64_t number = value.GetI8();
      return CheckInteger(r, number, &C::i8FromString, &C::i8ToString,
                          [&] { ThrowFacetViolation(name, C::i8ToString(number)); });
    }
    case it_ui8: {
      const uint64_t number = value.GetUI8();
      return CheckInteger(r, number, &C::ui8FromString, &C::ui8ToString,
                          [&] { ThrowFacetViolation(name, C::ui8ToString(number)); });
    }
    case it_r4:
      return CheckReal(name, r, value.GetR4(), &C::r4FromString);
    case it_r8:
      return CheckReal(name, r, value.GetR8(), &C::r8FromString);
    case it_duration:
      return CheckDuration(name, r, value);
    case it_yearMonth:
      return CheckDate(name, r, value, &C::yearMonthFromString);
    case it_monthDay:
      return CheckDate(name, r, value, &C::monthDayFromString);
    case it_date:
      return CheckDate(name, r, value, &C::dateFromString);
    case it_datetime:
      return CheckDate(name, r, value, &C::datetimeFromString);
    case it_time:
      return CheckDate(name, r, value, &C::timeFromString);
    case it_year:
      return CheckDateField(name, r, value.GetYear(), &C::yearFromString);
    case it_month:
      return CheckDateField(name, r, value.GetMonth(), &C::monthFromString);
    case it_day:
      return CheckDateField(name, r, value.GetDay(), &C::dayFromString);
    case it_string: {
      const HeldValue<std::wstring> held(VariantAccess::HeldString(value),
                                         [&] { return value.GetString(); });
      return CheckString(name, r, *held);
    }
    case it_decimal:
      return CheckDecimal(name, r, value);
    case it_integer:
      return CheckBigInteger(name, r, value);
    default:
      return;  // booleans have no facet but the pattern
  }
}

}  // namespace

}  // namespace Korvel::detail
