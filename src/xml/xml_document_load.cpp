// SPDX-License-Identifier: MIT
// The load operations of CXmlDocument: strings, byte streams, and files read
// whole or in overlapped chunks.
#include <korvel/xml_document.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <korvel/binary_data.h>
#include <korvel/errors.h>
#include <korvel/serialization_context.h>

#include "fastinfoset/fast_infoset_reader.h"
#include "platform/async_read.h"
#include "platform/file.h"
#include "runtime/io_errors.h"
#include "values/compression.h"
#include "xml/expat_reader.h"
#include "xml/messages.h"

namespace Korvel {

namespace {

namespace platform = detail::platform;

// Chunks of the asynchronous file path; two buffers are used in turn. The
// chunk doubles with each read up to the largest: expat rescans an unfinished
// token with every chunk, so a huge token costs linear time only when the
// chunks grow with it.
constexpr size_t kChunkSize = 0x20000;
constexpr size_t kLargestChunkSize = size_t{16} << 20;
// The default inflation limit: this many times the compressed size, and at
// least the minimum.
constexpr uint64_t kInflateRatio = 50;
constexpr uint64_t kMinimumInflateLimit = uint64_t{32} << 20;

std::atomic<bool> g_asyncFromXmlFile{false};

[[noreturn]] void ThrowEmptyString() { throw CKvException(detail::kXmlStringEmpty); }
[[noreturn]] void ThrowEmptyStream() { throw CKvException(detail::kXmlStreamEmpty); }
[[noreturn]] void ThrowInvalidDocument() { throw CKvException(detail::kInvalidXmlDocument); }

std::wstring PathOf(const wchar_t* fileName) { return fileName ? fileName : L""; }

// new[] without zeroing: the bytes are about to be overwritten by a read.
std::unique_ptr<unsigned char[]> AllocateBytes(size_t size) {
  return std::unique_ptr<unsigned char[]>(new unsigned char[size ? size : 1]);
}

}  // namespace

void AsyncFromXmlFile(bool enable) { g_asyncFromXmlFile.store(enable, std::memory_order_relaxed); }

void CXmlDocument::LoadXml(const char* text) {
  Cleanup();
  if (!text || *text == '\0') ThrowEmptyString();
  const size_t length = std::strlen(text);
  CExpatReader::LoadWhole(*this, [&](CExpatReader& reader) { reader.Parse(text, length, true); });
}

void CXmlDocument::LoadXml(const wchar_t* text) {
  Cleanup();
  if (!text || *text == L'\0') ThrowEmptyString();
  const std::wstring_view whole(text);
  CExpatReader::LoadWhole(*this, [&](CExpatReader& reader) { reader.ParseWide(whole); });
}

void CXmlDocument::LoadXmlStream(const unsigned char* data, size_t length) {
  Cleanup();
  if (!data || length == 0) ThrowEmptyStream();
  Parse(data, length);
}

void CXmlDocument::Load(const wchar_t* fileName) {
  Cleanup();
  if (g_asyncFromXmlFile.load(std::memory_order_relaxed)) {
    LoadFileAsync(fileName);
  } else {
    LoadFileSync(fileName);
  }
}

void CXmlDocument::Parse(const unsigned char* data, size_t length) {
  if (detail::StartsLikeCompressedStream(data, length)) return ParseCompressed(data, length);
  // Binary encodings of the tree are recognised here, before the text parser
  // sees the bytes.
  if (CFastInfosetReader::TryRead(*this, data, length)) return;
  ParseXmlText(data, length);
}

// Inflated a piece at a time: the whole output never sits in memory, and a
// bomb stops at the limit instead of after inflating. The first piece tells
// the encoding: text goes to the parser piece by piece, while a binary
// encoding of the tree is collected (within the same limit) and decoded whole.
void CXmlDocument::ParseCompressed(const unsigned char* data, size_t length) {
  uint64_t limit = m_context->GetMaxInflatedSize();
  if (limit == 0) limit = std::max<uint64_t>(kMinimumInflateLimit, kInflateRatio * length);
  std::optional<CExpatReader> text;
  std::vector<unsigned char> binary;
  bool first = true;
  detail::InflateStreaming(data, length, limit,
                           [&](const unsigned char* piece, size_t size, bool last) {
                             if (std::exchange(first, false) &&
                                 CFastInfosetReader::FindContent(piece, size) == 0) {
                               text.emplace(*this);
                               text->Initialize();
                             }
                             if (text) return text->Parse(piece, size, last);
                             binary.insert(binary.end(), piece, piece + size);
                           });
  if (text) return;
  if (CFastInfosetReader::TryRead(*this, binary.data(), binary.size())) return;
  ParseXmlText(binary.data(), binary.size());
}

void CXmlDocument::ParseXmlText(const unsigned char* data, size_t length) {
  CExpatReader::LoadWhole(*this, [&](CExpatReader& reader) { reader.Parse(data, length, true); });
}

void CXmlDocument::LoadFileSync(const wchar_t* fileName) {
  platform::File file;
  if (platform::ErrorCode error = file.OpenForRead(PathOf(fileName))) {
    detail::ThrowFileError(detail::kFileOpenFailed, fileName, error);
  }
  uint64_t size = 0;
  if (platform::ErrorCode error = file.Size(size)) {
    detail::ThrowFileError(detail::kFileSizeFailed, fileName, error);
  }
  if (size > std::numeric_limits<uint32_t>::max()) {
    detail::ThrowFileError(detail::kFileSizeFailed, fileName, platform::kFileTooLarge);
  }
  std::unique_ptr<unsigned char[]> content = AllocateBytes(size);
  size_t got = 0;
  if (platform::ErrorCode error = file.Read(content.get(), size, got)) {
    detail::ThrowFileError(detail::kFileReadFailed, fileName, error);
  }
  // The file shrank since its size was taken.
  if (got != size) detail::ThrowFileError(detail::kFileReadFailed, fileName, platform::kEndOfFile);
  file.Close();
  Parse(content.get(), static_cast<uint32_t>(size));
}

// One read is in flight while the chunk before it is parsed. The file is read
// up to its end, whatever its size, and handed to the parser as it is: this
// path does not inflate. A Fast Infoset file is read whole instead. As with
// inflated pieces, the text is not held whole to be read a second time, so
// expat's namespace processing reads it from the start.
void CXmlDocument::LoadFileAsync(const wchar_t* fileName) {
  platform::File file;
  if (platform::ErrorCode error = file.OpenForRead(PathOf(fileName))) {
    detail::ThrowFileError(detail::kFileOpenFailed, fileName, error);
  }
  std::unique_ptr<unsigned char[]> current = AllocateBytes(kChunkSize);
  std::unique_ptr<unsigned char[]> spare;
  size_t asked = kChunkSize;  // the size of the read that filled current
  size_t spareSize = 0;
  platform::AsyncReader reader(file);

  if (platform::ErrorCode error = reader.Start(current.get(), asked, 0)) {
    detail::ThrowFileError(detail::kChunkReadFailed, error);
  }
  size_t got = 0;
  // An empty file ends here, with the end-of-file code.
  if (platform::ErrorCode error = reader.Wait(got)) {
    detail::ThrowFileError(detail::kFileReadFailed, fileName, error);
  }
  if (CFastInfosetReader::FindContent(current.get(), got) != 0) {
    file.Close();
    LoadFileSync(fileName);
    return;
  }
  uint64_t offset = got;
  try {
    CExpatReader parser(*this);
    parser.Initialize();
    // A chunk shorter than asked for is the last; a full one may be followed
    // by nothing, which the next read reports as the end of the file.
    while (got == asked) {
      const size_t next = std::min(asked * 2, kLargestChunkSize);
      if (spareSize < next) {
        spare = AllocateBytes(next);
        spareSize = next;
      }
      if (platform::ErrorCode error = reader.Start(spare.get(), next, offset)) {
        detail::ThrowFileError(detail::kChunkReadFailed, error);
      }
      parser.Parse(current.get(), got, false);
      size_t read = 0;
      const platform::ErrorCode error = reader.Wait(read);
      if (error != 0 && error != platform::kEndOfFile)
        detail::ThrowFileError(detail::kChunkReadFailed, error);
      std::swap(current, spare);
      spareSize = asked;  // the buffer current had
      asked = next;
      got = read;
      offset += got;
    }
    parser.Parse(current.get(), got, true);
    if (!m_documentElement) ThrowInvalidDocument();
  } catch (...) {
    Cleanup();
    throw;
  }
}

}  // namespace Korvel
