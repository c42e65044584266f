// SPDX-License-Identifier: MIT
// Encoding buffered text chunk by chunk into one exactly allocated byte buffer.
#include "xml/text_encoder.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/memory.h"
#include "values/binary_record.h"
#include "values/utf.h"
#include "xml/writer_messages.h"

namespace Korvel::detail {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// At least the number of UTF-8 bytes the text becomes: a surrogate counts 3,
// the size of its replacement, so a pair (4 bytes) is over-counted by 2.
// Branch-free, so that the compiler can vectorise it.
size_t Utf8Bound(std::wstring_view text) noexcept {
  size_t size = 0;
  for (const wchar_t c : text) {
    const uint32_t u = CodeOf(c);
    size += 1 + (u >= 0x80) + (u >= 0x800) + (u - 0x10000u <= 0xFFFFFu);
  }
  return size;
}

// The text with pairs joined and everything that no encoding can carry
// replaced; only reached when the strict conversion refused a chunk.
std::wstring Sanitize(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      out += JoinPair(c, text[++i]);
    } else if (IsSurrogate(c) || CodeOf(c) > 0x10FFFF) {
      out += kReplacement;
    } else {
      out += c;
    }
  }
  return out;
}

// Appends the bytes of wide text to a pre-sized destination through a reused
// scratch string (the conversions of values/utf.h append to strings).
class ByteWriter {
 public:
  ByteWriter(bool utf8, unsigned char* out) : m_utf8(utf8), m_out(out) {}

  void Put(std::wstring_view text) {
    if (text.empty()) return;
    m_scratch.clear();
    if (!Convert(text)) {
      m_scratch.clear();
      Convert(Sanitize(text));
    }
    std::memcpy(m_out + m_size, m_scratch.data(), m_scratch.size());
    m_size += m_scratch.size();
  }
  void Put(wchar_t c) { Put(std::wstring_view(&c, 1)); }
  size_t Size() const noexcept { return m_size; }

 private:
  bool Convert(std::wstring_view text) {
    return m_utf8 ? WideToUtf8(text, m_scratch) : WideToUtf16Le(text, m_scratch);
  }

  const bool m_utf8;
  unsigned char* const m_out;
  size_t m_size = 0;
  std::string m_scratch;
};

}  // namespace

bool IsByteEncoding(XmlEncoding encoding) noexcept {
  return encoding == XmlEncoding_UTF8 || encoding == XmlEncoding_UTF16 ||
         encoding == XmlEncoding_UTF16Undeclared;
}

namespace {

// The bytes the buffer's text may take at most, with a held surrogate.
size_t EncodedBound(const CStringBuffer& text, bool utf8, wchar_t held) noexcept {
  size_t bound = held != 0 ? 4 : 0;
  for (size_t i = 0; i < text.GetChunkCount(); ++i) {
    const std::wstring_view chunk = text.GetChunk(i);
    bound += utf8 ? Utf8Bound(chunk) : Utf16LeUnitsSize(chunk);
  }
  return bound;
}

// Encodes the buffer's text to out, which has room for EncodedBound bytes, and
// returns how many it took.
size_t EncodeChunks(const CStringBuffer& text, bool utf8, unsigned char* out, wchar_t held,
                    wchar_t* holdBack) {
  ByteWriter writer(utf8, out);
  for (size_t i = 0; i < text.GetChunkCount(); ++i) {
    std::wstring_view chunk = text.GetChunk(i);
    if (held != 0 && !chunk.empty()) {
      if (IsLowSurrogate(chunk.front())) {
        writer.Put(JoinPair(held, chunk.front()));
        chunk.remove_prefix(1);
      } else {
        writer.Put(kReplacement);
      }
      held = 0;
    }
    // A high surrogate at the end of a chunk waits for the next one.
    if (!chunk.empty() && IsHighSurrogate(chunk.back())) {
      held = chunk.back();
      chunk.remove_suffix(1);
    }
    writer.Put(chunk);
  }
  if (held != 0) {
    if (holdBack != nullptr) {
      *holdBack = held;
    } else {
      writer.Put(kReplacement);
    }
  }
  return writer.Size();
}

}  // namespace

CBinaryData EncodeText(const CStringBuffer& text, XmlEncoding encoding, wchar_t held,
                       wchar_t* holdBack) {
  if (!IsByteEncoding(encoding)) ThrowWriterError(kUnknownEncoding);
  const bool utf8 = encoding == XmlEncoding_UTF8;
  const size_t bound = EncodedBound(text, utf8, held);
  if (holdBack != nullptr) *holdBack = 0;
  if (bound == 0) return CBinaryData();

  unsigned char* bytes = nullptr;
  CBinaryData out = BinaryDataAccess::Allocate(bound, bytes);
  // Large output is written once, front to back, into fresh memory.
  platform::AdviseHugePages(bytes, bound);
  const size_t size = EncodeChunks(text, utf8, bytes, held, holdBack);
  if (size == 0) return CBinaryData();
  BinaryDataAccess::Truncate(out, static_cast<uint32_t>(size));
  return out;
}

void AppendEncodedText(const CStringBuffer& text, XmlEncoding encoding, CBinaryData& out,
                       wchar_t held, wchar_t* holdBack) {
  if (!IsByteEncoding(encoding)) ThrowWriterError(kUnknownEncoding);
  const bool utf8 = encoding == XmlEncoding_UTF8;
  // Writers flush a few thousand characters at a time: those get room for the
  // most any character takes (four bytes in either encoding) without a
  // counting pass. Long text is counted, so that it is not refused for a size
  // it never reaches.
  constexpr size_t kCountedFrom = size_t{1} << 20;
  const size_t bound = text.GetLength() < kCountedFrom
                           ? 4 * (text.GetLength() + (held != 0 ? 1 : 0))
                           : EncodedBound(text, utf8, held);
  if (holdBack != nullptr) *holdBack = 0;
  if (bound == 0) return;
  const uint32_t before = out.GetLength();
  unsigned char* bytes = BinaryDataAccess::Extend(out, bound);
  const size_t size = EncodeChunks(text, utf8, bytes, held, holdBack);
  BinaryDataAccess::Truncate(out, static_cast<uint32_t>(before + size));
}

}  // namespace Korvel::detail
