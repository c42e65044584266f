// SPDX-License-Identifier: MIT
// A text stream that encodes its text to bytes as the writer flushes it.
#pragma once

#include <korvel/binary_data.h>
#include <korvel/text_stream.h>

namespace Korvel::detail {

// What the byte entry points (ToXmlStream, ToJsonStream) write into: each chunk
// the writer hands over is encoded at once and the wide text dropped, so a
// large document never exists as wide text and is encoded while it is in the
// cache. An encoding the encoder does not take is kept as text and refused by
// TakeBytes, after the writer's own errors, as an unbuffered stream would.
class ByteTextStream : public CTextStream {
 public:
  explicit ByteTextStream(XmlEncoding encoding) : CTextStream(encoding) {}

  void Open() override;
  void Flush() override;

  // The bytes of everything written; the stream is empty afterwards.
  CBinaryData TakeBytes();

 private:
  CBinaryData m_bytes;
  wchar_t m_held = 0;  // a high surrogate waiting for its pair
};

}  // namespace Korvel::detail
