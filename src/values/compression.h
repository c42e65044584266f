// SPDX-License-Identifier: MIT
// Deflating a whole byte buffer in gzip or zlib framing, and the transparent
// inflation that every byte input goes through before it is parsed.
#pragma once

#include <cstdint>

#include <korvel/binary_data.h>

namespace Korvel::detail {

// Replaces data by its deflated form (level 1) in the framing of type; ct_none
// and unknown types leave it, as does an empty value. Input that does not
// shrink is compressed all the same. Should zlib fail, throws CKvException
// "Failed to compress data. [Error Code: %d]" with zlib's code, and data is
// left empty.
void CompressData(CBinaryData& data, CompressionType type);

// When bytes begin with one complete gzip or zlib stream, stores what it
// inflates to in out (an empty value for an empty stream) and returns true.
// Anything else (plain input, corrupt or truncated streams) returns false and
// leaves out untouched; nothing is thrown for bad input.
bool TryInflate(const unsigned char* bytes, uint32_t length, CBinaryData& out);

// TryInflate in place: data is replaced only by a completely inflated stream.
bool InflateIfCompressed(CBinaryData& data);

}  // namespace Korvel::detail
