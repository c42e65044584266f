// SPDX-License-Identifier: MIT
// The parts of a JSON member written straight into UTF-8 bytes, each in one
// pass over its wide text: a name, a bare value and the characters of a string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <korvel/item_type.h>

namespace Korvel::detail {

// Each Put... writes at d, which has room for four bytes per character, and
// returns the end of what it wrote, or null where the text needs the writer's
// general path (d's content is then unspecified).

// Most names and values are a few characters: they are checked and narrowed
// four at a time, the last four overlapping those before where the length
// is not a multiple of four.

// Narrows the four characters at s to d when none is beyond ASCII or, with
// inString, one that a JSON string escapes.
template <bool inString>
inline bool PutPlainFour(const wchar_t* s, char* d) noexcept {
#if defined(__SSE2__)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  // Signed compares: wchar_t is signed, and a negative value counts as below
  // 0x20 or, for names, beyond ASCII.
  __m128i refused = _mm_or_si128(_mm_cmpgt_epi32(v, _mm_set1_epi32(0x7F)),
                                 _mm_cmplt_epi32(v, _mm_set1_epi32(inString ? 0x20 : 0)));
  if constexpr (inString) {
    refused = _mm_or_si128(refused, _mm_or_si128(_mm_cmpeq_epi32(v, _mm_set1_epi32('"')),
                                                 _mm_cmpeq_epi32(v, _mm_set1_epi32('\\'))));
  }
  if (_mm_movemask_epi8(refused) != 0) return false;
  // Values below 0x80 pass both saturating packs unchanged.
  const __m128i words = _mm_packs_epi32(v, v);
  const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
  std::memcpy(d, &bytes, 4);
  return true;
#else
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<uint32_t>(s[i]);
    if (c >= 0x80 || (inString && (c < 0x20 || c == '"' || c == '\\'))) return false;
  }
  for (int i = 0; i < 4; ++i) d[i] = static_cast<char>(s[i]);
  return true;
#endif
}

// text narrowed to d, when all of it passes PutPlainFour<inString>; it has
// at least four characters.
template <bool inString>
inline bool PutPlainText(std::wstring_view text, char* d) noexcept {
  const size_t n = text.size();
  size_t i = 0;
  for (; i + 4 < n; i += 4) {
    if (!PutPlainFour<inString>(text.data() + i, d + i)) return false;
  }
  return PutPlainFour<inString>(text.data() + n - 4, d + n - 4);
}

// An XML name, which holds nothing a JSON string escapes: all ASCII, or null.
inline char* PutJsonName(std::wstring_view name, char* d) noexcept {
  const size_t n = name.size();
  if (n >= 4) return PutPlainText<false>(name, d) ? d + n : nullptr;
  for (size_t i = 0; i < n; ++i) {
    if (static_cast<uint32_t>(name[i]) >= 0x80) return nullptr;
    d[i] = static_cast<char>(name[i]);
  }
  return d + n;
}

// The characters of a string between its quotes, in UTF-8; null at anything
// escaped (quote, backslash, control character) and at a surrogate or a value
// beyond U+10FFFF, which the general path pairs or replaces.
inline char* PutJsonStringChars(std::wstring_view text, char* d) noexcept {
  if (text.size() >= 4 && PutPlainText<true>(text, d)) return d + text.size();
  for (const wchar_t wide : text) {
    const auto c = static_cast<uint32_t>(wide);
    if (c < 0x80) {
      if (c < 0x20 || c == '"' || c == '\\') return nullptr;
      *d++ = static_cast<char>(c);
    } else if (c < 0x800) {
      *d++ = static_cast<char>(0xC0 | (c >> 6));
      *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      if (c - 0xD800u < 0x800u) return nullptr;
      *d++ = static_cast<char>(0xE0 | (c >> 12));
      *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
      *d++ = static_cast<char>(0xF0 | (c >> 18));
      *d++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      return nullptr;
    }
  }
  return d;
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
