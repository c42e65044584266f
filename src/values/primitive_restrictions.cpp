// SPDX-License-Identifier: MIT
// CPrimitiveRestrictions: the XSD facets of one primitive property.
#include <korvel/primitive_restrictions.h>

#include <utility>

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

CPrimitiveRestrictions::CPrimitiveRestrictions(const CPrimitiveRestrictions& other) = default;
CPrimitiveRestrictions::CPrimitiveRestrictions(CPrimitiveRestrictions&& other) noexcept = default;
CPrimitiveRestrictions& CPrimitiveRestrictions::operator=(const CPrimitiveRestrictions& other) =
    default;
CPrimitiveRestrictions& CPrimitiveRestrictions::operator=(CPrimitiveRestrictions&& other) noexcept =
    default;
CPrimitiveRestrictions::~CPrimitiveRestrictions() = default;

}  // namespace Korvel
