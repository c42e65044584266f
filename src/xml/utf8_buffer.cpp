// SPDX-License-Identifier: MIT
// Utf8Buffer: the text that needs more than the direct encoding.
#include "xml/utf8_buffer.h"

#include <cstdint>

#include "values/utf.h"

namespace Korvel::detail {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;
constexpr size_t kReplacementSize = 3;  // its UTF-8 bytes

}  // namespace

void Utf8Buffer::Clear() noexcept {
  m_bytes.Clear();
  m_replacedHigh = 0;
}

CBinaryData Utf8Buffer::Take() {
  m_replacedHigh = 0;
  return m_bytes.Take();
}

void Utf8Buffer::PutLong(std::wstring_view text) {
  while (!text.empty()) {
    const std::wstring_view step = text.substr(0, kStep);
    text.remove_prefix(step.size());
    if (char* end = PutUtf8(step, m_bytes.Room(4 * step.size()))) {
      m_bytes.Advance(end);
    } else {
      PutCheckedStep(step);
    }
  }
}

// Character by character, for text with a surrogate or an out-of-range value.
void Utf8Buffer::PutCheckedStep(std::wstring_view text) {
  size_t i = 0;
  if (m_replacedHigh != 0 && m_bytes.Size() == m_replacedEnd && IsLowSurrogate(text[0])) {
    char* back = m_bytes.Room(4) - kReplacementSize;
    m_bytes.Advance(back);
    PutCodePoint(JoinPair(m_replacedHigh, text[0]));
    i = 1;
  }
  m_replacedHigh = 0;
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      PutCodePoint(JoinPair(c, text[++i]));
    } else if (IsSurrogate(c) || CodeOf(c) > 0x10FFFF) {
      PutCodePoint(kReplacement);
      // Its pair may start the next text.
      if (i + 1 == text.size() && IsHighSurrogate(c)) {
        m_replacedHigh = c;
        m_replacedEnd = m_bytes.Size();
      }
    } else {
      PutCodePoint(c);
    }
  }
}

void Utf8Buffer::PutCodePoint(wchar_t c) {
  m_bytes.Advance(PutUtf8(std::wstring_view(&c, 1), m_bytes.Room(4)));
}

}  // namespace Korvel::detail
