// SPDX-License-Identifier: MIT
// ByteTextStream: UTF-8 appended directly, other encodings chunk by chunk.
#include "xml/byte_text_stream.h"

#include <utility>

#include "xml/text_encoder.h"

namespace Korvel::detail {

void ByteTextStream::Open() {
  CTextStream::Open();
  m_utf8.Clear();
  m_bytes.Clear();
  m_held = 0;
}

Utf8Buffer* ByteTextStream::GetUtf8Buffer() noexcept {
  return m_encoding == XmlEncoding_UTF8 ? &m_utf8 : nullptr;
}

void ByteTextStream::Flush() {
  if (!IsByteEncoding(m_encoding) || m_buffer.GetLength() == 0) return;
  if (m_encoding == XmlEncoding_UTF8) {
    for (size_t i = 0; i < m_buffer.GetChunkCount(); ++i) m_utf8.Put(m_buffer.GetChunk(i));
  } else {
    AppendEncodedText(m_buffer, m_encoding, m_bytes, m_held, &m_held);
  }
  m_buffer.Clear();
}

CBinaryData ByteTextStream::TakeBytes() {
  if (m_encoding == XmlEncoding_UTF8) {
    Flush();
    return m_utf8.Take();
  }
  AppendEncodedText(m_buffer, m_encoding, m_bytes, m_held, nullptr);
  m_buffer.Clear();
  m_held = 0;
  return std::move(m_bytes);
}

}  // namespace Korvel::detail
