// SPDX-License-Identifier: MIT
// The parts of a JSON member written straight into UTF-8 bytes, each in one
// pass over its wide text: a name, a bare value and the characters of a string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <korvel/item_type.h>

#include "xml/plain_ascii.h"

namespace Korvel::detail {

// Each Put... writes at d, which has room for four bytes per character, and
// returns the end of what it wrote, or null where the text needs the writer's
// general path (d's content is then unspecified).

// A string's characters that JSON copies as they are.
using JsonPlainChars = PlainAscii<0x20, L'"', L'\\'>;

// An XML name, which holds nothing a JSON string escapes: all ASCII, or null.
inline char* PutJsonName(std::wstring_view name, char* d) noexcept {
  return PlainName::Narrow(name, d) ? d + name.size() : nullptr;
}

// The characters of a string between its quotes, in UTF-8; null at anything
// escaped (quote, backslash, control character) and at a surrogate or a value
// beyond U+10FFFF, which the general path pairs or replaces. Plain ASCII, most
// text, is narrowed here; the rest is encoded out of line, which keeps the
// members' one append small.
char* PutJsonEncodedChars(std::wstring_view text, char* d) noexcept;
inline char* PutJsonStringChars(std::wstring_view text, char* d) noexcept {
  if (JsonPlainChars::Narrow(text, d)) return d + text.size();
  return PutJsonEncodedChars(text, d);
}

// Whether text is a number in the JSON grammar (no sign but '-', no leading
// zeros, digits on both sides of a point, an exponent with digits), handing
// each character to out as it is checked.
template <class Out>
inline bool ScanJsonNumber(std::wstring_view text, Out& out) noexcept {
  const wchar_t* s = text.data();
  const wchar_t* const end = s + text.size();
  const auto isDigit = [](wchar_t c) { return static_cast<uint32_t>(c) - L'0' < 10u; };
  if (s != end && *s == L'-') out(*s++);
  if (s == end) return false;
  if (*s == L'0') {
    out(*s++);
  } else {
    if (!isDigit(*s)) return false;
    do out(*s++);
    while (s != end && isDigit(*s));
  }
  if (s != end && *s == L'.') {
    out(*s++);
    if (s == end || !isDigit(*s)) return false;
    do out(*s++);
    while (s != end && isDigit(*s));
  }
  if (s != end && (*s == L'e' || *s == L'E')) {
    out(*s++);
    if (s != end && (*s == L'+' || *s == L'-')) out(*s++);
    if (s == end || !isDigit(*s)) return false;
    do out(*s++);
    while (s != end && isDigit(*s));
  }
  return s == end;
}

// A number checked as it is copied; null for anything else, which is then
// written as a string.
inline char* PutJsonNumber(std::wstring_view text, char* d) noexcept {
  struct Copy {
    char* d;
    void operator()(wchar_t c) noexcept { *d++ = static_cast<char>(c); }
  } copy{d};
  return ScanJsonNumber(text, copy) ? copy.d : nullptr;
}

// The item types whose values JSON carries bare, as numbers or true/false.
inline bool IsJsonBareType(ItemType type) noexcept {
  return (type >= it_i1 && type <= it_r8) || type == it_boolean || type == it_decimal ||
         type == it_integer;
}

// A value: bare when its type allows and its text is a JSON number (or
// true/false for a boolean), otherwise a string in quotes.
inline char* PutJsonValue(std::wstring_view text, ItemType type, char* d) noexcept {
  if (IsJsonBareType(type)) {
    if (char* end = PutJsonNumber(text, d)) return end;
    if (type == it_boolean && (text == L"true" || text == L"false")) return PutJsonName(text, d);
  }
  *d++ = '"';
  d = PutJsonStringChars(text, d);
  if (d == nullptr) return nullptr;
  *d++ = '"';
  return d;
}

}  // namespace Korvel::detail
