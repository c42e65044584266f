// SPDX-License-Identifier: MIT
// A quick test that a value of a typed collection is within its facets, so
// that the common case does not parse the bounds' text on every insertion.
#pragma once

#include <memory>
#include <string>
#include <type_traits>

#include <korvel/errors.h>
#include <korvel/item_type.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/typed_collections.h>
#include <korvel/variant.h>

#include "values/restriction_check.h"

namespace Korvel::detail {

// Passes(value) true means that the full facet check would accept value;
// false means only that the full check has to decide (and give the message).
// Built for the facets the full check of the kind reads: none at all for any
// kind, only bounds for the numbers (and totalDigits unset for integers),
// bounds and digit facets for decimals, lengths for strings.
template <class T>
class FacetPrecheck {
 public:
  // Null when the full check has to run for every value: facets it cannot
  // judge, or a bound that does not parse (the full check reports that).
  static std::shared_ptr<const FacetPrecheck> Make(ItemType kind, const CPrimitiveRestrictions& r) {
    // The pattern applies to the text of every kind, which only the full check sees.
    if (!r.GetPattern().empty()) return nullptr;
    auto precheck = std::make_shared<FacetPrecheck>();
    if (kind == it_boolean || IsUnrestricted(r)) return precheck;
    if constexpr (kIsNumber) {
      const bool onlyBounds = r.GetTotalDigits() < 0 || kind == it_r4 || kind == it_r8 ||
                              kind == it_year || kind == it_month || kind == it_day;
      if (!onlyBounds) return nullptr;
      if (!ParseBounds(kind, r, *precheck)) return nullptr;
      return precheck;
    }
    if constexpr (std::is_same_v<T, std::wstring>) {
      // A string's facets are its lengths.
      if (kind != it_string) return nullptr;
      precheck->m_lengths = {r.GetMinLength(), r.GetMaxLength(), r.GetLength()};
      return precheck;
    }
    if constexpr (std::is_same_v<T, CDecimal>) {
      // The digit facets are counted without parsing anything; the bounds are
      // parsed here once.
      if (!ParseBounds(kind, r, *precheck)) return nullptr;
      precheck->m_totalDigits = r.GetTotalDigits();
      precheck->m_fractionDigits = r.GetFractionDigits();
      return precheck;
    }
    return nullptr;
  }

  bool Passes(const T& value) const noexcept {
    if constexpr (kIsNumber) {
      return WithinBounds(value);
    } else if constexpr (std::is_same_v<T, CDecimal>) {
      if (!WithinBounds(value)) return false;
      if (m_totalDigits < 0 && m_fractionDigits < 0) return true;
      const DecimalDigitCount digits = CountDecimalDigits(value);
      return (m_totalDigits < 0 || digits.total <= static_cast<size_t>(m_totalDigits)) &&
             (m_fractionDigits < 0 || digits.fraction <= static_cast<size_t>(m_fractionDigits));
    } else if constexpr (std::is_same_v<T, std::wstring>) {
      // A surrogate pair counts as one character: such text is left to the full check.
      for (wchar_t c : value) {
        if (c >= 0xD800 && c <= 0xDFFF) return false;
      }
      const auto within = [&](int32_t facet, bool (*holds)(size_t, size_t)) {
        return facet < 0 || holds(value.size(), static_cast<size_t>(facet));
      };
      return within(m_lengths.min, [](size_t n, size_t limit) { return n >= limit; }) &&
             within(m_lengths.max, [](size_t n, size_t limit) { return n <= limit; }) &&
             within(m_lengths.exact, [](size_t n, size_t limit) { return n == limit; });
    } else {
      static_cast<void>(value);
      return true;
    }
  }

 private:
  static constexpr bool kIsNumber = std::is_arithmetic_v<T> && !std::is_same_v<T, bool>;
  static constexpr bool kHasBounds = kIsNumber || std::is_same_v<T, CDecimal>;
  struct Nothing {};
  using Limit = std::conditional_t<kHasBounds, T, Nothing>;

  // Parses the bounds that are set; false when one does not parse.
  static bool ParseBounds(ItemType kind, const CPrimitiveRestrictions& r, FacetPrecheck& precheck) {
    const std::wstring* const texts[] = {&r.GetMinInclusive(), &r.GetMaxInclusive(),
                                         &r.GetMinExclusive(), &r.GetMaxExclusive()};
    try {
      for (int i = 0; i < 4; ++i) {
        precheck.m_set[i] = !texts[i]->empty();
        if (precheck.m_set[i]) precheck.m_limit[i] = ParseBound(kind, *texts[i]);
      }
    } catch (const CKvException&) {
      return false;
    }
    return true;
  }

  // Written as "within", so that a NaN on either side fails.
  bool WithinBounds(const T& value) const noexcept {
    if constexpr (kHasBounds) {
      return (!m_set[0] || value >= m_limit[0]) && (!m_set[1] || value <= m_limit[1]) &&
             (!m_set[2] || value > m_limit[2]) && (!m_set[3] || value < m_limit[3]);
    } else {
      static_cast<void>(value);
      return true;
    }
  }

  static bool IsUnrestricted(const CPrimitiveRestrictions& r) {
    return r.GetPattern().empty() && r.GetMinLength() < 0 && r.GetMaxLength() < 0 &&
           r.GetLength() < 0 && r.GetMinInclusive().empty() && r.GetMaxInclusive().empty() &&
           r.GetMinExclusive().empty() && r.GetMaxExclusive().empty() && r.GetTotalDigits() < 0 &&
           r.GetFractionDigits() < 0;
  }

  // As the full check parses a bound: the kind's reader under ws_collapse.
  static Limit ParseBound(ItemType kind, const std::wstring& text) {
    KvVariant parsed;
    parsed.FromString(text, kind, CWhitespaceUtils::ws_collapse);
    if constexpr (std::is_same_v<T, int8_t>) return parsed.GetI1();
    if constexpr (std::is_same_v<T, int16_t>) return parsed.GetI2();
    if constexpr (std::is_same_v<T, int32_t>) return parsed.GetI4();
    if constexpr (std::is_same_v<T, int64_t>) return parsed.GetI8();
    if constexpr (std::is_same_v<T, uint8_t>) return parsed.GetUI1();
    if constexpr (std::is_same_v<T, uint16_t>) return parsed.GetUI2();
    if constexpr (std::is_same_v<T, uint32_t>) return parsed.GetUI4();
    if constexpr (std::is_same_v<T, uint64_t>) return parsed.GetUI8();
    if constexpr (std::is_same_v<T, float>) return parsed.GetR4();
    if constexpr (std::is_same_v<T, double>) return parsed.GetR8();
    if constexpr (std::is_same_v<T, CDecimal>) return parsed.GetDecimal();
    return Limit{};
  }

  struct Lengths {
    int32_t min = -1, max = -1, exact = -1;
  };
  Lengths m_lengths;           // strings only
  int32_t m_totalDigits = -1;  // decimals only
  int32_t m_fractionDigits = -1;
  bool m_set[4] = {false, false, false, false};
  Limit m_limit[4] = {};
};

}  // namespace Korvel::detail
