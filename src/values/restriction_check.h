// SPDX-License-Identifier: MIT
// The facet check that the metadata and the typed collections run on every
// primitive value they write or read.
#pragma once

#include <cstddef>
#include <string>

#include <korvel/decimal.h>
#include <korvel/item_type.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/variant.h>

namespace Korvel::detail {

// Returns when value, of kind kind, satisfies every facet set in restrictions;
// otherwise throws for the first facet that fails, naming the property name:
// the bounds (minInclusive, maxInclusive, minExclusive, maxExclusive, parsed
// with the kind's conversion under ws_collapse), then the length and digit
// facets, then the pattern. A malformed bound raises its conversion's message.
// The pattern applies to every kind, booleans included, and is matched
// against the lexical form: lexical when given (the text as it stands in the
// document after the whitespace rule, or the text written), otherwise the
// string itself or the value's canonical text.
// it_char is refused with "Unknown type [char].";
// it_none, the object kinds and unknown numbers with "Invalid Type %d". A nil
// value holds nothing to check.
void CheckRestrictions(const std::wstring& name, const KvVariant& value, ItemType kind,
                       const CPrimitiveRestrictions& restrictions,
                       const std::wstring* lexical = nullptr);
// The same for a string (kind it_string) that is not nil, seen as its text.
void CheckStringRestrictions(const std::wstring& name, const std::wstring& text,
                             const CPrimitiveRestrictions& restrictions,
                             const std::wstring* lexical = nullptr);

// The digits of a decimal as totalDigits and fractionDigits count them: those
// of the integer part without leading zeros (none for zero), and the places of
// a fraction that is not zero.
struct DecimalDigitCount {
  size_t total;
  size_t fraction;
};
DecimalDigitCount CountDecimalDigits(const CDecimal& value) noexcept;

// Bounds parsed by a check, kept by their restrictions for the checks after
// it; kind tells which parse made them.
struct ParsedBoundsBase {
  explicit ParsedBoundsBase(const void* parsedAs) noexcept : kind(parsedAs) {}
  ParsedBoundsBase(const ParsedBoundsBase&) = delete;
  ParsedBoundsBase& operator=(const ParsedBoundsBase&) = delete;
  virtual ~ParsedBoundsBase() = default;
  const void* const kind;
};

struct RestrictionsAccess {
  static const ParsedBoundsBase* Bounds(const CPrimitiveRestrictions& r) noexcept {
    return r.m_parsedBounds.load(std::memory_order_acquire);
  }
  // Keeps bounds unless a concurrent check kept its own first; true when they
  // were kept, the restrictions then owning them.
  static bool KeepBounds(const CPrimitiveRestrictions& r, const ParsedBoundsBase* bounds) noexcept {
    const ParsedBoundsBase* none = nullptr;
    return r.m_parsedBounds.compare_exchange_strong(none, bounds, std::memory_order_acq_rel);
  }
  static const FacetPattern* Pattern(const CPrimitiveRestrictions& r) noexcept {
    return r.m_compiledPattern.load(std::memory_order_acquire);
  }
  // As KeepBounds, for the compiled pattern.
  static bool KeepPattern(const CPrimitiveRestrictions& r, const FacetPattern* pattern) noexcept {
    const FacetPattern* none = nullptr;
    return r.m_compiledPattern.compare_exchange_strong(none, pattern, std::memory_order_acq_rel);
  }
  // Drops the parsed bounds and the compiled pattern.
  static void ForgetParsed(const CPrimitiveRestrictions& r) noexcept;
};

}  // namespace Korvel::detail
