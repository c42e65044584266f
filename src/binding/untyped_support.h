// SPDX-License-Identifier: MIT
// Helpers shared by the untyped content classes.
#pragma once

#include <string>
#include <string_view>

namespace Korvel {
class CXmlAttribute;
}  // namespace Korvel

namespace Korvel::detail {

inline const wchar_t* OrEmpty(const wchar_t* text) noexcept { return text ? text : L""; }

// xmlns and xmlns:prefix attributes, which some readers report as attributes.
// They declare prefixes for the markup and are not data.
bool IsNamespaceDeclaration(const CXmlAttribute& attribute) noexcept;
// xmlns itself: the declaration of the default namespace.
bool IsDefaultNamespaceDeclaration(const CXmlAttribute& attribute) noexcept;

// The text without the XML whitespace at either end.
std::wstring_view TrimXmlWhitespace(std::wstring_view text) noexcept;

}  // namespace Korvel::detail
