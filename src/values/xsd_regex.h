// SPDX-License-Identifier: MIT
// The XSD regular-expression language, parsed and rewritten as an equivalent
// PCRE2 expression that matches one whole value.
#pragma once

#include <string>
#include <string_view>

namespace Korvel::detail {

// Translates an XSD pattern (UTF-8) into PCRE2 syntax, to be compiled in UTF
// mode and matched anchored at both ends. Everything XSD gives a meaning of
// its own is spelt out: \d, \w, \i, \c and their negations over Unicode, the
// \p{Is...} blocks, class subtraction, '.' excluding CR and LF, '^' and '$' as
// plain characters. Syntax that is not XSD (PCRE's groups and flags, lazy or
// possessive quantifiers, escapes such as \b or \x41, POSIX classes, a hyphen
// between ranges) is refused: the result is false and error says what and
// where, counting characters from 0.
bool TranslateXsdRegex(std::string_view pattern, std::string& pcre, std::string& error);

}  // namespace Korvel::detail
