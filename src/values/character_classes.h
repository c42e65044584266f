// SPDX-License-Identifier: MIT
// The character classes the value parsers share.
#pragma once

namespace Korvel::detail {

constexpr bool IsDigit(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }

// XML whitespace: space, tab, line feed, carriage return.
constexpr bool IsXmlSpace(wchar_t c) noexcept {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

// The C locale's isspace: XML whitespace plus vertical tab and form feed.
constexpr bool IsCSpace(wchar_t c) noexcept { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace Korvel::detail
