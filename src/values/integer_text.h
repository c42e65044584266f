// SPDX-License-Identifier: MIT
// Reading and writing base-10 integers as the C library's wide-string
// functions do, over string views and without locale or errno.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Korvel::detail {

enum class IntegerParse {
  ok,
  invalid,     // no digits, or characters left after them
  outOfRange,  // the digits do not fit; reported before any leftover characters
};

// wcstol's reading in base 10 for a signed type of the range [min, max]:
// leading C-locale whitespace (tab, LF, VT, FF, CR, space), one optional sign,
// digits, then the end of the text.
IntegerParse ParseSigned(std::wstring_view text, int64_t min, int64_t max, int64_t& value) noexcept;

// wcstoul's reading for an unsigned type whose largest value is max (2^N - 1):
// as ParseSigned, and a "-" negates the magnitude modulo 2^N. The magnitude
// itself must not exceed max.
IntegerParse ParseUnsigned(std::wstring_view text, uint64_t max, uint64_t& value) noexcept;

// Plain decimal digits with a "-" for negative values.
std::wstring SignedToText(int64_t value);
std::wstring UnsignedToText(uint64_t value);

}  // namespace Korvel::detail
