// SPDX-License-Identifier: MIT
// Base64 and hex encoders and decoders; whole groups are handled in one step
// and the character-by-character path is kept for skipped characters and tails.
#include "values/binary_text.h"

#include <array>
#include <cstdlib>
#include <cwchar>

#include <korvel/errors.h>

#include "values/binary_record.h"

namespace Korvel::detail {

namespace {

constexpr wchar_t kInvalidHexLength[] = L"Invalid length in hex string";
constexpr wchar_t kInvalidHexChar[] = L"Invalid char in hex string [%c]";

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Decoder table over the low 7 bits of a character: the 6-bit value, or one of
// two markers, both at least 64 so that one comparison tells a group apart.
constexpr uint8_t kSkip = 0x80;
constexpr uint8_t kInvalid = 0xFF;
constexpr std::array<uint8_t, 128> kBase64Values = [] {
  std::array<uint8_t, 128> table{};
  for (uint8_t& value : table) value = kInvalid;
  for (uint8_t i = 0; i < 64; ++i) table[static_cast<uint8_t>(kBase64Alphabet[i])] = i;
  for (char c : {'\t', '\n', '\r', ' ', '='}) table[static_cast<uint8_t>(c)] = kSkip;
  return table;
}();

constexpr std::array<uint8_t, 128> kHexValues = [] {
  std::array<uint8_t, 128> table{};
  for (uint8_t& value : table) value = kInvalid;
  for (uint8_t i = 0; i < 16; ++i) {
    table[static_cast<uint8_t>(kHexDigits[i])] = i;
    table[static_cast<uint8_t>("0123456789abcdef"[i])] = i;
  }
  return table;
}();

[[noreturn]] void ThrowInvalidHexLength() { throw CKvException(kInvalidHexLength); }

[[noreturn]] void ThrowInvalidHexChar(wchar_t c) {
  throw CKvException(FormatString(kInvalidHexChar, c));
}

// Lenient decoding folds every character into ASCII by its low 7 bits;
// strict decoding takes a character beyond ASCII as the invalid one it is.
template <bool kStrict>
inline uint8_t Base64Value(wchar_t c) noexcept {
  const auto code = static_cast<uint32_t>(c);
  if (kStrict && code >= 128) return kInvalid;
  return kBase64Values[code & 0x7F];
}

inline uint8_t HexValue(wchar_t c) noexcept {
  const auto code = static_cast<uint32_t>(c);
  return code < 128 ? kHexValues[code] : kInvalid;
}

}  // namespace

std::wstring Base64Encode(const unsigned char* data, size_t length) {
  std::wstring out(4 * ((length + 2) / 3), L'=');
  wchar_t* d = out.data();
  size_t i = 0;
  for (; i + 3 <= length; i += 3, d += 4) {
    const uint32_t v = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8 | data[i + 2];
    d[0] = kBase64Alphabet[v >> 18];
    d[1] = kBase64Alphabet[(v >> 12) & 0x3F];
    d[2] = kBase64Alphabet[(v >> 6) & 0x3F];
    d[3] = kBase64Alphabet[v & 0x3F];
  }
  if (i < length) {
    const uint32_t v = uint32_t{data[i]} << 16 | (i + 1 < length ? uint32_t{data[i + 1]} << 8 : 0);
    d[0] = kBase64Alphabet[v >> 18];
    d[1] = kBase64Alphabet[(v >> 12) & 0x3F];
    if (i + 1 < length) d[2] = kBase64Alphabet[(v >> 6) & 0x3F];
  }
  return out;
}

namespace {

template <bool kStrict>
bool Decode(std::wstring_view text, CBinaryData& out) {
  if (text.empty()) {
    out.Clear();
    return true;
  }
  // Six bits per character at most, so never more than 3 bytes per 4 characters.
  MallocBytes bytes = AllocateBytes(text.size() / 4 * 3 + 3);
  unsigned char* d = bytes.get();
  const wchar_t* p = text.data();
  const wchar_t* const end = p + text.size();
  uint32_t bits = 0;  // collected, not yet a byte
  uint32_t count = 0;
  while (p != end) {
    if (count == 0) {
      // Byte-aligned: whole groups of four characters give three bytes.
      while (end - p >= 4) {
        const uint32_t a = Base64Value<kStrict>(p[0]), b = Base64Value<kStrict>(p[1]);
        const uint32_t c = Base64Value<kStrict>(p[2]), e = Base64Value<kStrict>(p[3]);
        if ((a | b | c | e) >= 64) break;
        const uint32_t v = a << 18 | b << 12 | c << 6 | e;
        d[0] = static_cast<unsigned char>(v >> 16);
        d[1] = static_cast<unsigned char>(v >> 8);
        d[2] = static_cast<unsigned char>(v);
        d += 3;
        p += 4;
      }
      if (p == end) break;
    }
    const uint8_t value = Base64Value<kStrict>(*p++);
    if (value < 64) {
      bits = bits << 6 | value;
      count += 6;
      if (count >= 8) {
        count -= 8;
        *d++ = static_cast<unsigned char>(bits >> count);
        bits &= (1u << count) - 1;
      }
    } else if (value != kSkip) {
      return false;
    }
  }
  const auto length = static_cast<size_t>(d - bytes.get());
  // Give back what the estimate over-reserved; a failed shrink keeps the block.
  if (void* shrunk = std::realloc(bytes.get(), length != 0 ? length : 1)) {
    bytes.release();
    bytes.reset(static_cast<unsigned char*>(shrunk));
  }
  out = BinaryDataAccess::Adopt(std::move(bytes), CheckedLength(length));
  return true;
}

}  // namespace

bool Base64Decode(std::wstring_view text, CBinaryData& out) { return Decode<false>(text, out); }

bool Base64DecodeStrict(std::wstring_view text, CBinaryData& out) {
  return Decode<true>(text, out);
}

std::wstring HexEncode(const unsigned char* data, size_t length) {
  std::wstring out(2 * length, L'\0');
  wchar_t* d = out.data();
  for (size_t i = 0; i < length; ++i, d += 2) {
    d[0] = kHexDigits[data[i] >> 4];
    d[1] = kHexDigits[data[i] & 0x0F];
  }
  return out;
}

uint32_t HexDecode(const wchar_t* text, unsigned char** out) {
  *out = nullptr;
  if (text == nullptr) return 0;
  const size_t chars = std::wcslen(text);
  if (chars % 2 != 0) ThrowInvalidHexLength();
  if (chars == 0) return 0;
  const uint32_t length = CheckedLength(chars / 2);
  MallocBytes bytes = AllocateBytes(length);
  unsigned char* d = bytes.get();
  for (uint32_t i = 0; i < length; ++i, text += 2) {
    const uint8_t high = HexValue(text[0]);
    const uint8_t low = HexValue(text[1]);
    if ((high | low) > 0x0F) ThrowInvalidHexChar(high > 0x0F ? text[0] : text[1]);
    d[i] = static_cast<unsigned char>(high << 4 | low);
  }
  *out = bytes.release();
  return length;
}

}  // namespace Korvel::detail
