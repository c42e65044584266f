// SPDX-License-Identifier: MIT
// ByteTextStream: encoding chunk by chunk into one growing byte buffer.
#include "xml/byte_text_stream.h"

#include <utility>

#include "xml/text_encoder.h"

namespace Korvel::detail {

void ByteTextStream::Open() {
  CTextStream::Open();
  m_bytes.Clear();
  m_held = 0;
}

void ByteTextStream::Flush() {
  if (!IsByteEncoding(m_encoding) || m_buffer.GetLength() == 0) return;
  AppendEncodedText(m_buffer, m_encoding, m_bytes, m_held, &m_held);
  m_buffer.Clear();
}

CBinaryData ByteTextStream::TakeBytes() {
  AppendEncodedText(m_buffer, m_encoding, m_bytes, m_held, nullptr);
  m_buffer.Clear();
  m_held = 0;
  return std::move(m_bytes);
}

}  // namespace Korvel::detail
