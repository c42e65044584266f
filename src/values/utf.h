// SPDX-License-Identifier: MIT
// Conversions between wide text (one code point per wchar_t) and the byte forms
// the library reads and writes: UTF-8 and UTF-16LE.
//
// Every conversion is all or nothing: on malformed input (an unpaired
// surrogate, an overlong, truncated or stray UTF-8 sequence, a code point above
// U+10FFFF or in the surrogate range) the returning forms give an empty result
// and the appending forms return false and leave their target as it was.
// A high surrogate followed by a low one in wide text counts as the code point
// they encode, as text that came through UTF-16 may hold such pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <korvel/binary_data.h>

namespace Korvel::detail {

// The byte-order mark of UTF-16LE, which the library's UTF-16 output and the
// wide text it hands to the parser start with.
inline constexpr unsigned char kUtf16LeByteOrderMark[2] = {0xFF, 0xFE};

// Code units of wide text: surrogates, which only UTF-16 may pair, and the
// code point of a high and a low surrogate.
inline uint32_t CodeOf(wchar_t c) noexcept { return static_cast<uint32_t>(c); }
inline bool IsSurrogate(uint32_t c) noexcept { return c - 0xD800u < 0x800u; }
inline bool IsHighSurrogate(uint32_t c) noexcept { return c - 0xD800u < 0x400u; }
inline bool IsLowSurrogate(uint32_t c) noexcept { return c - 0xDC00u < 0x400u; }
inline bool IsSurrogate(wchar_t c) noexcept { return IsSurrogate(CodeOf(c)); }
inline bool IsHighSurrogate(wchar_t c) noexcept { return IsHighSurrogate(CodeOf(c)); }
inline bool IsLowSurrogate(wchar_t c) noexcept { return IsLowSurrogate(CodeOf(c)); }
inline wchar_t JoinPair(wchar_t high, wchar_t low) noexcept {
  return static_cast<wchar_t>(0x10000 + ((CodeOf(high) - 0xD800) << 10) + (CodeOf(low) - 0xDC00));
}

// Wide text to UTF-8 (no byte-order mark).
bool WideToUtf8(std::wstring_view text, std::string& out);
bool WideToUtf8(std::wstring_view text, CBinaryData& out);
std::string WideToUtf8(std::wstring_view text);
// A value of exactly the UTF-8 length of text; empty on malformed input.
CBinaryData WideToUtf8Data(std::wstring_view text);

// Wide text to UTF-8 for messages: never fails, a character the strict form
// rejects (a lone surrogate, a value beyond U+10FFFF) becoming U+FFFD.
std::string WideToUtf8Replacing(std::wstring_view text);

// The length of the longest well-formed UTF-8 prefix of bytes: its size when
// all of it is well-formed, otherwise the offset of the first byte that does
// not begin a complete character.
size_t Utf8ValidPrefixLength(std::string_view bytes) noexcept;

// Wide text to UTF-8 into d, which has room for four bytes per character:
// the end of the output, or null when the text is malformed (d's content is
// then unspecified). For writers that append into a buffer of their own.
char* PutUtf8(std::wstring_view text, char* d) noexcept;

// UTF-8 to wide text. A byte-order mark is not special: it becomes U+FEFF.
bool Utf8ToWide(std::string_view bytes, std::wstring& out);
std::wstring Utf8ToWide(std::string_view bytes);
// UTF-8 to wide text into d, which has room for one character per byte: the
// end of the output, or null when the bytes are malformed (d's content is then
// unspecified). For readers that size their strings themselves.
wchar_t* PutWide(std::string_view bytes, wchar_t* d) noexcept;

// Wide text to UTF-16LE (no byte-order mark); a code point above U+FFFF becomes
// a surrogate pair.
bool WideToUtf16Le(std::wstring_view text, std::string& out);
bool WideToUtf16Le(std::wstring_view text, CBinaryData& out);
std::string WideToUtf16Le(std::wstring_view text);

// UTF-16LE to wide text; an odd number of bytes is a truncated unit.
bool Utf16LeToWide(std::string_view bytes, std::wstring& out);
std::wstring Utf16LeToWide(std::string_view bytes);

// Bytes as the character views the conversions take.
inline std::string_view ByteView(const unsigned char* data, size_t length) noexcept {
  return {reinterpret_cast<const char*>(data), length};
}
inline std::string_view ByteView(const CBinaryData& data) noexcept {
  return ByteView(data.GetData(), data.GetLength());
}

// Lenient forms, for text that must come through whatever it holds (file
// names, messages): a wide value that no UTF-8 text holds (a surrogate, or
// above U+10FFFF up to 0x1FFFFF) still gets the bytes of its bit pattern,
// anything larger becomes U+FFFD; a byte that starts no valid UTF-8 sequence
// stands for the character of its value. Utf8ToWideLenient stops after
// maxCharacters characters.
std::string WideToUtf8Lenient(std::wstring_view text);
void Utf8ToWideLenient(std::string_view bytes, std::wstring& out, size_t maxCharacters);

// The lenient UTF-16LE form in which CBinaryData stores wide text: as the
// platform with 16-bit wchar_t would hold it, a lone surrogate stays a code
// unit of its own; a value beyond U+10FFFF, which no UTF-16 text holds, becomes
// U+FFFD. Size in bytes, and the writer (which returns the end of its output).
size_t Utf16LeUnitsSize(std::wstring_view text) noexcept;
unsigned char* PutUtf16LeUnits(std::wstring_view text, unsigned char* out) noexcept;

}  // namespace Korvel::detail
