// SPDX-License-Identifier: MIT
// Turning the text of a CStringBuffer into the bytes of an XmlEncoding.
#pragma once

#include <korvel/binary_data.h>
#include <korvel/text_stream.h>
#include <korvel/xml_encoding.h>

namespace Korvel::detail {

// The buffer's text as UTF-8 (XmlEncoding_UTF8) or UTF-16LE (both UTF-16
// encodings), chunk by chunk, without joining the chunks first. Any other
// encoding throws "Unknown Encoding, select UTF-8 (contact our support team)".
//
// Wide text may hold surrogate pairs (text that came through UTF-16); a pair
// is joined into its code point even when a chunk boundary splits it. An
// unpaired surrogate or a value beyond U+10FFFF becomes U+FFFD.
//
// For text sent out in pieces: held is a high surrogate that ended the previous
// piece (0 for none) and goes before this text; when holdBack is given, a high
// surrogate that ends this text is stored there instead of being encoded (0
// when there is none), so that its pair can join it from the next piece.
CBinaryData EncodeText(const CStringBuffer& text, XmlEncoding encoding, wchar_t held = 0,
                       wchar_t* holdBack = nullptr);
// The same appended to out, whose capacity grows geometrically.
void AppendEncodedText(const CStringBuffer& text, XmlEncoding encoding, CBinaryData& out,
                       wchar_t held = 0, wchar_t* holdBack = nullptr);
// Whether EncodeText takes the encoding.
bool IsByteEncoding(XmlEncoding encoding) noexcept;

}  // namespace Korvel::detail
