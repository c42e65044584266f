// SPDX-License-Identifier: MIT
// JSON bytes as reader input: inflation, encoding detection, the check of
// UTF-8 and the decoding of UTF-16, with the line and position of a malformed
// sequence.
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include <korvel/errors.h>

#include "json/json_to_xml.h"
#include "json/messages.h"
#include "values/compression.h"
#include "values/utf.h"

namespace Korvel::detail {

namespace {

enum class Encoding { kUtf8, kUtf16Le, kUtf16Be };

// Counts lines and columns as the reader does, for the characters before a
// malformed sequence.
struct Location {
  int32_t line = 1;
  int32_t position = 0;
  void Add(char32_t c) noexcept {
    if (c == U'\n') {
      ++line;
      position = 0;
    } else {
      ++position;
    }
  }
  [[noreturn]] void Fail(const wchar_t* format) const {
    ThrowJsonValidationError(FormatString(format, line, position + 1), std::wstring());
  }
};

// Only called once the fast check has refused the bytes.
[[noreturn]] void FailUtf8(std::string_view bytes) {
  Location at;
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    size_t length = 1;
    char32_t c = b;
    char32_t least = 0;
    if (b >= 0x80) {
      if ((b & 0xE0) == 0xC0) {
        length = 2, c = b & 0x1F, least = 0x80;
      } else if ((b & 0xF0) == 0xE0) {
        length = 3, c = b & 0x0F, least = 0x800;
      } else if ((b & 0xF8) == 0xF0) {
        length = 4, c = b & 0x07, least = 0x10000;
      } else {
        at.Fail(kJsonInvalidUtf8);
      }
      if (bytes.size() - i < length) at.Fail(kJsonInvalidUtf8);
      for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80) at.Fail(kJsonInvalidUtf8);
        c = (c << 6) | (next & 0x3F);
      }
      if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) at.Fail(kJsonInvalidUtf8);
    }
    at.Add(c);
    i += length;
  }
  at.Fail(kJsonInvalidUtf8);
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
  Location at;
  std::wstring out;
  out.reserve(bytes.size() / 2);
  const auto unit = [&](size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c > 0xDBFF || i + 3 >= bytes.size()) at.Fail(kJsonInvalidUtf16);
      const char32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) at.Fail(kJsonInvalidUtf16);
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    out += static_cast<wchar_t>(c);
    at.Add(c);
  }
  if (i != bytes.size()) at.Fail(kJsonInvalidUtf16);  // half a code unit at the end
  return out;
}

Encoding Detect(std::string_view& bytes) {
  const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    bytes.remove_prefix(3);
    return Encoding::kUtf8;
  }
  if (bytes.size() >= 2) {
    if (at(0) == 0xFF && at(1) == 0xFE) {
      bytes.remove_prefix(2);
      return Encoding::kUtf16Le;
    }
    if (at(0) == 0xFE && at(1) == 0xFF) {
      bytes.remove_prefix(2);
      return Encoding::kUtf16Be;
    }
    // JSON starts with an ASCII character, so UTF-16 without a byte-order
    // mark shows a zero byte beside the first one.
    if (at(0) != 0 && at(1) == 0) return Encoding::kUtf16Le;
    if (at(0) == 0 && at(1) != 0) return Encoding::kUtf16Be;
  }
  return Encoding::kUtf8;
}

}  // namespace

JsonInput::JsonInput(std::unique_ptr<unsigned char[]> bytes, size_t length)
    : m_owned(std::move(bytes)) {
  Decode(m_owned.get(), length);
}

void JsonInput::Decode(const unsigned char* data, size_t length) {
  if (length <= std::numeric_limits<uint32_t>::max() &&
      TryInflate(data, static_cast<uint32_t>(length), m_inflated)) {
    data = m_inflated.GetData();
    length = m_inflated.GetLength();
  }
  std::string_view bytes = ByteView(data, length);
  switch (Detect(bytes)) {
    case Encoding::kUtf16Le:
      m_decoded = DecodeUtf16(bytes, false);
      m_wide = m_decoded;
      return;
    case Encoding::kUtf16Be:
      m_decoded = DecodeUtf16(bytes, true);
      m_wide = m_decoded;
      return;
    case Encoding::kUtf8:
      break;
  }
  // Checked here, in one fast pass, so that the reader can take every lead
  // byte at its word.
  if (Utf8ValidPrefixLength(bytes) != bytes.size()) FailUtf8(bytes);
  m_utf8 = bytes;
  m_isUtf8 = true;
}

}  // namespace Korvel::detail
