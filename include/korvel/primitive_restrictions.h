// SPDX-License-Identifier: MIT
// CPrimitiveRestrictions: the XSD facets of one primitive property.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include <korvel/export.h>

namespace Korvel {

namespace detail {
struct FacetPattern;
struct ParsedBoundsBase;
struct RestrictionsAccess;
}  // namespace detail

// Generated code describes each primitive attribute, element and typed
// collection with one of these; the metadata checks every value against it when
// the value is written and when it is read. An empty string or a negative
// number means that the facet is absent. The bounds stay text, in the lexical
// form of the property's kind, and are parsed when a check runs, so a malformed
// bound raises its conversion's message then, not here.
class KORVEL_API CPrimitiveRestrictions {
 public:
  // No facet at all.
  CPrimitiveRestrictions();
  // A null string reads as empty (no facet).
  CPrimitiveRestrictions(const wchar_t* pattern, int32_t minLength, int32_t maxLength,
                         const wchar_t* minInclusive, const wchar_t* maxInclusive,
                         const wchar_t* minExclusive, const wchar_t* maxExclusive, int32_t length,
                         int32_t totalDigits, int32_t fractionDigits);
  CPrimitiveRestrictions(const CPrimitiveRestrictions& other);
  CPrimitiveRestrictions(CPrimitiveRestrictions&& other) noexcept;
  CPrimitiveRestrictions& operator=(const CPrimitiveRestrictions& other);
  CPrimitiveRestrictions& operator=(CPrimitiveRestrictions&& other) noexcept;
  virtual ~CPrimitiveRestrictions();

  // An XSD regular expression the whole value must match (string kind only).
  const std::wstring& GetPattern() const noexcept { return m_pattern; }
  // In characters for strings, in bytes for binary values.
  int32_t GetMinLength() const noexcept { return m_minLength; }
  int32_t GetMaxLength() const noexcept { return m_maxLength; }
  int32_t GetLength() const noexcept { return m_length; }
  const std::wstring& GetMinInclusive() const noexcept { return m_minInclusive; }
  const std::wstring& GetMaxInclusive() const noexcept { return m_maxInclusive; }
  const std::wstring& GetMinExclusive() const noexcept { return m_minExclusive; }
  const std::wstring& GetMaxExclusive() const noexcept { return m_maxExclusive; }
  int32_t GetTotalDigits() const noexcept { return m_totalDigits; }
  int32_t GetFractionDigits() const noexcept { return m_fractionDigits; }

 private:
  friend struct detail::RestrictionsAccess;

  std::wstring m_pattern;
  int32_t m_minLength;
  int32_t m_maxLength;
  std::wstring m_minInclusive;
  std::wstring m_maxInclusive;
  std::wstring m_minExclusive;
  std::wstring m_maxExclusive;
  int32_t m_length;
  int32_t m_totalDigits;
  int32_t m_fractionDigits;
  // The bounds as parsed by the first check that parsed them all, kept so that
  // later checks compare without parsing; owned, never copied.
  mutable std::atomic<const detail::ParsedBoundsBase*> m_parsedBounds{nullptr};
  // The pattern as compiled by the first check, kept in the same way.
  mutable std::atomic<const detail::FacetPattern*> m_compiledPattern{nullptr};
};

}  // namespace Korvel
