// SPDX-License-Identifier: MIT
// The namespace wildcard test shared by element and attribute wildcards, the
// untyped attribute collection and the object base.
#pragma once

#include <string>
#include <string_view>

namespace Korvel::detail {

// Whether ns passes constraint, a list of tokens separated by single spaces:
// "##any"; "##other" (any namespace but target, and never none); "##local" (no
// namespace); "##targetNamespace" (target); a URI (that namespace, or none, so
// that unqualified content passes a list of URIs).
bool IsNamespaceValid(std::wstring_view ns, std::wstring_view constraint, std::wstring_view target);
// IsNamespaceValid, throwing CKvInvalidNamespaceException (empty path) where it is false.
void TestNamespace(std::wstring_view ns, std::wstring_view constraint, std::wstring_view target);

// The namespace given to wildcard content written without one of its own.
std::wstring GetAnyDefaultNamespace(std::wstring_view constraint, std::wstring_view anyNamespace,
                                    std::wstring_view target);

}  // namespace Korvel::detail
