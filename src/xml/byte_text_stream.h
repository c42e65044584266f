// SPDX-License-Identifier: MIT
// A text stream that turns its text into bytes as the writer produces it.
#pragma once

#include <korvel/binary_data.h>
#include <korvel/text_stream.h>

#include "xml/utf8_buffer.h"

namespace Korvel::detail {

// What the byte entry points (ToXmlStream, ToJsonStream) write into, so that a
// large document never exists as wide text. In UTF-8 the text writers append
// their bytes straight to the stream's Utf8Buffer. Other encodings take the
// wide buffer, and each chunk the writer flushes is encoded at once, while it
// is in the cache. An encoding the encoder does not take is kept as text and
// refused by TakeBytes, after the writer's own errors, as an unbuffered stream
// would.
class ByteTextStream : public CTextStream {
 public:
  explicit ByteTextStream(XmlEncoding encoding) : CTextStream(encoding) {}

  void Open() override;
  void Flush() override;

  // Where writers put UTF-8 directly; null for the other encodings. Wide text
  // that reaches the buffer all the same goes after it at the next flush.
  Utf8Buffer* GetUtf8Buffer() noexcept;

  // The bytes of everything written; the stream is empty afterwards.
  CBinaryData TakeBytes();

 private:
  Utf8Buffer m_utf8;
  CBinaryData m_bytes;
  wchar_t m_held = 0;  // a high surrogate waiting for its pair
};

}  // namespace Korvel::detail
