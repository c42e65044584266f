// SPDX-License-Identifier: MIT
// A growing byte buffer that text writers append UTF-8 to directly.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include <korvel/binary_data.h>

#include "values/utf.h"
#include "xml/byte_buffer.h"

namespace Korvel::detail {

// The bytes of a document in UTF-8 as a writer produces it: markup is copied
// as it is, wide text encoded in place, so the document never exists as wide
// text. Wide text keeps the rules of the wide-buffer path: a surrogate pair is
// joined, even when its halves come in two pieces, and an unpaired surrogate or
// a value beyond U+10FFFF becomes U+FFFD.
class Utf8Buffer {
 public:
  Utf8Buffer() = default;
  Utf8Buffer(const Utf8Buffer&) = delete;
  Utf8Buffer& operator=(const Utf8Buffer&) = delete;

  // ASCII only.
  void PutAscii(std::string_view text) {
    if (m_held != 0) ReleaseHeld();
    m_bytes.Append(text);
  }
  void PutAscii(char c) {
    if (m_held != 0) ReleaseHeld();
    m_bytes.Append(static_cast<uint8_t>(c));
  }
  void Put(std::wstring_view text) {
    // Short well-formed text, nearly all of it, is encoded where it goes.
    if (m_held == 0 && text.size() <= kStep) {
      if (char* end = PutUtf8(text, m_bytes.Room(4 * text.size()))) {
        m_bytes.Advance(end);
        return;
      }
    }
    PutLong(text);
  }

  size_t Size() const noexcept { return m_bytes.Size(); }
  // Forgets the bytes, keeping the memory.
  void Clear() noexcept;
  // The bytes, ending a surrogate still held with U+FFFD; the buffer is empty
  // afterwards.
  CBinaryData Take();

 private:
  // Wide text is encoded in steps of this many characters, so that a long text
  // is not given room for four bytes per character all at once.
  static constexpr size_t kStep = 16384;

  void PutLong(std::wstring_view text);
  void PutCheckedStep(std::wstring_view text);
  void PutCodePoint(wchar_t c);
  void ReleaseHeld();

  ByteBuffer m_bytes;
  wchar_t m_held = 0;  // a high surrogate that ended the last text, waiting for its pair
};

}  // namespace Korvel::detail
