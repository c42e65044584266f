// SPDX-License-Identifier: MIT
// Conversions between the command line's UTF-8 and the library's wide strings.
#pragma once

#include <string>
#include <string_view>

namespace korvel_cli {

// Malformed bytes become U+FFFD.
std::wstring Widen(std::string_view utf8);
// A value beyond U+10FFFF or a surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view text);

}  // namespace korvel_cli
