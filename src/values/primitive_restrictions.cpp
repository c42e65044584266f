// SPDX-License-Identifier: MIT
// CPrimitiveRestrictions: the XSD facets of one primitive property.
#include <korvel/primitive_restrictions.h>

#include <utility>

#include "values/restriction_check.h"

namespace Korvel {

namespace {

std::wstring TextOrEmpty(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

}  // namespace

CPrimitiveRestrictions::CPrimitiveRestrictions()
    : m_minLength(-1), m_maxLength(-1), m_length(-1), m_totalDigits(-1), m_fractionDigits(-1) {}

CPrimitiveRestrictions::CPrimitiveRestrictions(const wchar_t* pattern, int32_t minLength,
                                               int32_t maxLength, const wchar_t* minInclusive,
                                               const wchar_t* maxInclusive,
                                               const wchar_t* minExclusive,
                                               const wchar_t* maxExclusive, int32_t length,
                                               int32_t totalDigits, int32_t fractionDigits)
    : m_pattern(TextOrEmpty(pattern)),
      m_minLength(minLength),
      m_maxLength(maxLength),
      m_minInclusive(TextOrEmpty(minInclusive)),
      m_maxInclusive(TextOrEmpty(maxInclusive)),
      m_minExclusive(TextOrEmpty(minExclusive)),
      m_maxExclusive(TextOrEmpty(maxExclusive)),
      m_length(length),
      m_totalDigits(totalDigits),
      m_fractionDigits(fractionDigits) {}

// The parsed bounds and the compiled pattern stay with the object that made
// them: a copy makes its own on first use.
CPrimitiveRestrictions::CPrimitiveRestrictions(const CPrimitiveRestrictions& other)
    : m_pattern(other.m_pattern),
      m_minLength(other.m_minLength),
      m_maxLength(other.m_maxLength),
      m_minInclusive(other.m_minInclusive),
      m_maxInclusive(other.m_maxInclusive),
      m_minExclusive(other.m_minExclusive),
      m_maxExclusive(other.m_maxExclusive),
      m_length(other.m_length),
      m_totalDigits(other.m_totalDigits),
      m_fractionDigits(other.m_fractionDigits) {}

CPrimitiveRestrictions::CPrimitiveRestrictions(CPrimitiveRestrictions&& other) noexcept
    : CPrimitiveRestrictions() {
  *this = std::move(other);
}

CPrimitiveRestrictions& CPrimitiveRestrictions::operator=(const CPrimitiveRestrictions& other) {
  if (this != &other) *this = CPrimitiveRestrictions(other);
  return *this;
}

CPrimitiveRestrictions& CPrimitiveRestrictions::operator=(CPrimitiveRestrictions&& other) noexcept {
  m_pattern = std::move(other.m_pattern);
  m_minLength = other.m_minLength;
  m_maxLength = other.m_maxLength;
  m_minInclusive = std::move(other.m_minInclusive);
  m_maxInclusive = std::move(other.m_maxInclusive);
  m_minExclusive = std::move(other.m_minExclusive);
  m_maxExclusive = std::move(other.m_maxExclusive);
  m_length = other.m_length;
  m_totalDigits = other.m_totalDigits;
  m_fractionDigits = other.m_fractionDigits;
  detail::RestrictionsAccess::ForgetParsed(*this);
  detail::RestrictionsAccess::ForgetParsed(other);
  return *this;
}

CPrimitiveRestrictions::~CPrimitiveRestrictions() {
  detail::RestrictionsAccess::ForgetParsed(*this);
}

}  // namespace Korvel
