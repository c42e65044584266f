// SPDX-License-Identifier: MIT
// The messages of the facet checks, thrown out of line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <korvel/errors.h>

namespace Korvel::detail {

// "Invalid Regular Expression: <pattern> Error: '<engine message>'" (both UTF-8).
[[noreturn]] void ThrowInvalidRegularExpression(const std::string& pattern,
                                                const std::string& error);
// "Pattern matching gave up on a value of <length> bytes: <engine message>":
// the matcher's backstop, never taken as a verdict.
[[noreturn]] void ThrowPatternTooComplex(const std::string& error, size_t length);
// "<full message of cause>\nInvalid Value for <name> [<value>]."
[[noreturn]] void ThrowPatternCheckFailed(const CKvException& cause, const std::wstring& name,
                                          const std::wstring& value);

// The facet violations, by the way the value is shown.
[[noreturn]] void ThrowFacetViolation(const std::wstring& name, std::int32_t value);
[[noreturn]] void ThrowFacetViolation(const std::wstring& name, std::uint32_t value);
[[noreturn]] void ThrowFacetViolation(const std::wstring& name, double value);
[[noreturn]] void ThrowFacetViolation(const std::wstring& name, const std::wstring& text);

// "Unknown type [<kind name>]."
[[noreturn]] void ThrowUnknownType(const std::wstring& kindName);

}  // namespace Korvel::detail
