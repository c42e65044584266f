// SPDX-License-Identifier: MIT
// Deflating a whole byte buffer in gzip or zlib framing, and the transparent
// inflation that every byte input goes through before it is parsed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

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

// Whether bytes begin with a gzip or zlib header (checked on the first two
// bytes only), and so must be read as one compressed stream.
bool StartsLikeCompressedStream(const unsigned char* bytes, size_t length) noexcept;

// Receives inflated bytes a piece at a time; last is set on the final call.
using InflatedSink = std::function<void(const unsigned char* data, size_t length, bool last)>;

// Inflates the one gzip or zlib stream in bytes into sink, in pieces that
// grow from 64 KiB to 16 MiB (so a consumer that rescans an unfinished token
// does linear work overall), without ever holding the whole output. Throws
// CKvException when the output passes limit bytes ("The inflated input
// exceeds the limit of %I64u bytes"), for a stream that ends early ("The
// compressed input is truncated"), for bytes after its end ("The compressed
// input has data after its end") and for corrupt data ("The compressed input
// is corrupt: <zlib's message>"). Whatever sink throws passes through.
void InflateStreaming(const unsigned char* bytes, size_t length, uint64_t limit,
                      const InflatedSink& sink);

}  // namespace Korvel::detail
