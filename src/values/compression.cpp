// SPDX-License-Identifier: MIT
// Whole-buffer deflate and inflate over zlib.
#include "values/compression.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

#include <korvel/errors.h>

#include "runtime/io_errors.h"
#include "values/binary_record.h"

namespace Korvel::detail {

namespace {

// Fastest level: output is mostly markup, which shrinks well at any level.
constexpr int kCompressionLevel = 1;
constexpr int kGzipWindowBits = 15 + 16;       // largest window, gzip wrapper
constexpr int kDetectingWindowBits = 15 + 32;  // largest window, gzip or zlib header
constexpr int kMemoryLevel = 8;
constexpr uInt kInflateChunk = 65536;
constexpr size_t kLargestStreamingChunk = size_t{16} << 20;

// Whether inflate could get past the first two bytes: the gzip magic, or a
// zlib header (deflate method, window up to 32 KiB, check bits). Plain input,
// by far the common case, is turned away without setting up a stream.
bool StartsLikeAStream(const unsigned char* b, size_t length) {
  if (b == nullptr || length < 2) return false;
  if (b[0] == 0x1F && b[1] == 0x8B) return true;
  return (b[0] & 0x0F) == Z_DEFLATED && (b[0] >> 4) <= 7 && ((b[0] << 8) | b[1]) % 31 == 0;
}

// Ends an inflate stream on every path out.
class InflateStream {
 public:
  InflateStream() = default;
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
  ~InflateStream() {
    if (m_open) inflateEnd(&m_z);
  }
  bool Open() { return m_open = inflateInit2(&m_z, kDetectingWindowBits) == Z_OK; }
  z_stream& Z() { return m_z; }

 private:
  z_stream m_z{};
  bool m_open = false;
};

}  // namespace

void CompressData(CBinaryData& data, CompressionType type) {
  if (type != ct_gzip && type != ct_zlib) return;
  const uint32_t length = data.GetLength();
  if (length == 0) return;
  MallocBytes input(data.ReleaseData());

  z_stream z{};
  int code = type == ct_gzip ? deflateInit2(&z, kCompressionLevel, Z_DEFLATED, kGzipWindowBits,
                                            kMemoryLevel, Z_DEFAULT_STRATEGY)
                             : deflateInit(&z, kCompressionLevel);
  if (code != Z_OK) ThrowCompressFailed(code);
  // Room for the worst case, so that short or incompressible input is
  // compressed too (a few bytes larger) rather than refused.
  const uLong bound = deflateBound(&z, length);
  if (bound > std::numeric_limits<uint32_t>::max()) {
    deflateEnd(&z);
    ThrowCompressFailed(Z_BUF_ERROR);
  }
  MallocBytes output = AllocateBytes(static_cast<uint32_t>(bound));
  z.next_in = input.get();
  z.avail_in = length;
  z.next_out = output.get();
  z.avail_out = static_cast<uInt>(bound);
  deflate(&z, Z_NO_FLUSH);
  code = deflate(&z, Z_FINISH);
  const auto produced = static_cast<uint32_t>(z.total_out);
  deflateEnd(&z);
  if (code != Z_STREAM_END) ThrowCompressFailed(code);

  input.reset();
  if (void* shrunk = std::realloc(output.get(), produced)) {
    output.release();
    output.reset(static_cast<unsigned char*>(shrunk));
  }
  data = BinaryDataAccess::Adopt(std::move(output), produced);
}

bool TryInflate(const unsigned char* bytes, uint32_t length, CBinaryData& out) {
  if (bytes == nullptr || !StartsLikeAStream(bytes, length)) return false;
  InflateStream stream;
  if (!stream.Open()) return false;
  z_stream& z = stream.Z();
  z.next_in = const_cast<Bytef*>(bytes);  // zlib's input pointer is not const, but only read
  z.avail_in = length;
  CBinaryData inflated;
  int code;
  try {
    // Inflates straight into the result, a chunk at a time.
    do {
      z.next_out = BinaryDataAccess::Extend(inflated, kInflateChunk);
      z.avail_out = kInflateChunk;
      code = inflate(&z, Z_NO_FLUSH);
      BinaryDataAccess::Truncate(inflated, inflated.GetLength() - z.avail_out);
    } while (code == Z_OK);
  } catch (const std::length_error&) {
    return false;  // inflates beyond what a CBinaryData holds: the input stays as it is
  }
  if (code != Z_STREAM_END) return false;
  out = std::move(inflated);
  return true;
}

bool InflateIfCompressed(CBinaryData& data) {
  CBinaryData inflated;
  if (!TryInflate(data.GetData(), data.GetLength(), inflated)) return false;
  data = std::move(inflated);
  return true;
}

bool StartsLikeCompressedStream(const unsigned char* bytes, size_t length) noexcept {
  return StartsLikeAStream(bytes, length);
}

void InflateStreaming(const unsigned char* bytes, size_t length, uint64_t limit,
                      const InflatedSink& sink) {
  InflateStream stream;
  if (!stream.Open()) throw std::bad_alloc();
  z_stream& z = stream.Z();
  z.next_in = const_cast<Bytef*>(bytes);  // zlib's input pointer is not const, but only read
  uint64_t total = 0;
  size_t chunk = kInflateChunk;
  // Grown with the chunk: a small document never pays for the largest one.
  std::unique_ptr<unsigned char[]> buffer;
  size_t capacity = 0;
  int code = Z_OK;
  while (code != Z_STREAM_END) {
    if (capacity < chunk) {
      buffer.reset();
      buffer.reset(new unsigned char[chunk]);
      capacity = chunk;
    }
    // zlib counts in uInt; a larger input is handed over in parts.
    if (z.avail_in == 0 && length > 0) {
      z.avail_in = static_cast<uInt>(std::min<size_t>(length, 1u << 30));
      length -= z.avail_in;
    }
    z.next_out = buffer.get();
    z.avail_out = static_cast<uInt>(chunk);
    code = inflate(&z, Z_NO_FLUSH);
    if (code == Z_NEED_DICT || code == Z_DATA_ERROR || code == Z_MEM_ERROR) {
      if (code == Z_MEM_ERROR) throw std::bad_alloc();
      ThrowCompressedCorrupt(z.msg);
    }
    const size_t produced = chunk - z.avail_out;
    // Z_BUF_ERROR: no progress possible, which with input used up means the end is missing.
    if (code == Z_BUF_ERROR || (produced == 0 && code != Z_STREAM_END && z.avail_in == 0 && length == 0)) {
      ThrowCompressedTruncated();
    }
    total += produced;
    if (total > limit) ThrowInflatedTooLarge(limit);
    const bool last = code == Z_STREAM_END;
    if (last && (z.avail_in != 0 || length != 0)) ThrowCompressedTrailing();
    if (produced != 0 || last) sink(buffer.get(), produced, last);
    chunk = std::min(chunk * 2, kLargestStreamingChunk);
  }
}

}  // namespace Korvel::detail

namespace Korvel {

CBinaryData Compress(CBinaryData data, CompressionType type) {
  detail::CompressData(data, type);
  return data;
}

}  // namespace Korvel
