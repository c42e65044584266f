// SPDX-License-Identifier: MIT
// The messages of the facet checks, thrown out of line.
#include "values/restriction_errors.h"

namespace Korvel::detail {

namespace {

// The pattern and the engine's message arrive as UTF-8, hence %S.
constexpr wchar_t kInvalidRegularExpression[] = L"Invalid Regular Expression: %S Error: '%S'";
constexpr wchar_t kPatternTooComplex[] = L"Pattern matching gave up on a value of %zu bytes: %S";
constexpr wchar_t kPatternCheckFailed[] = L"%s\nInvalid Value for %s [%s].";
constexpr wchar_t kInvalidValueSigned[] = L"Invalid Value for %s [%d]";
// Unsigned 32-bit values are shown as the number they are, not wrapped negative.
constexpr wchar_t kInvalidValueUnsigned[] = L"Invalid Value for %s [%u]";
constexpr wchar_t kInvalidValueReal[] = L"Invalid Value for %s [%f]";
constexpr wchar_t kInvalidValueText[] = L"Invalid Value for %s [%s].";
constexpr wchar_t kUnknownType[] = L"Unknown type [%s].";

}  // namespace

void ThrowInvalidRegularExpression(const std::string& pattern, const std::string& error) {
  throw CKvException(FormatString(kInvalidRegularExpression, pattern.c_str(), error.c_str()));
}

void ThrowPatternTooComplex(const std::string& error, size_t length) {
  throw CKvException(FormatString(kPatternTooComplex, length, error.c_str()));
}

void ThrowPatternCheckFailed(const CKvException& cause, const std::wstring& name,
                             const std::wstring& value) {
  throw CKvException(FormatString(kPatternCheckFailed, cause.GetFullMessage().c_str(), name.c_str(),
                                  value.c_str()));
}

void ThrowFacetViolation(const std::wstring& name, std::int32_t value) {
  throw CKvException(FormatString(kInvalidValueSigned, name.c_str(), value));
}

void ThrowFacetViolation(const std::wstring& name, std::uint32_t value) {
  throw CKvException(FormatString(kInvalidValueUnsigned, name.c_str(), value));
}

void ThrowFacetViolation(const std::wstring& name, double value) {
  throw CKvException(FormatString(kInvalidValueReal, name.c_str(), value));
}

void ThrowFacetViolation(const std::wstring& name, const std::wstring& text) {
  throw CKvException(FormatString(kInvalidValueText, name.c_str(), text.c_str()));
}

void ThrowUnknownType(const std::wstring& kindName) {
  throw CKvInvalidValueException(FormatString(kUnknownType, kindName.c_str()));
}

}  // namespace Korvel::detail
