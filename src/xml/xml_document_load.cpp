// SPDX-License-Identifier: MIT
// The load operations of CXmlDocument: strings, byte streams, and files read
// whole or in overlapped chunks.
#include <korvel/xml_document.h>

#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include <korvel/binary_data.h>
#include <korvel/errors.h>

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

// Chunk of the asynchronous file path; two buffers of it are used in turn.
constexpr size_t kChunkSize = 0x20000;

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
  CExpatReader reader(*this);
  reader.Initialize();
  reader.Parse(text, std::strlen(text), true);
}

void CXmlDocument::LoadXml(const wchar_t* text) {
  Cleanup();
  if (!text || *text == L'\0') ThrowEmptyString();
  CExpatReader reader(*this);
  reader.Initialize();
  reader.ParseWide(text);
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
  CBinaryData inflated;
  if (length <= std::numeric_limits<uint32_t>::max() &&
      detail::TryInflate(data, static_cast<uint32_t>(length), inflated)) {
    data = inflated.GetData();
    length = inflated.GetLength();
  }
  // Binary encodings of the tree are recognised here, before the text parser
  // sees the bytes.
  if (CFastInfosetReader::TryRead(*this, data, length)) return;
  ParseXmlText(data, length);
}

void CXmlDocument::ParseXmlText(const unsigned char* data, size_t length) {
  CExpatReader reader(*this);
  reader.Initialize();
  reader.Parse(data, length, true);
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
// path does not inflate. A Fast Infoset file is read whole instead.
void CXmlDocument::LoadFileAsync(const wchar_t* fileName) {
  platform::File file;
  if (platform::ErrorCode error = file.OpenForRead(PathOf(fileName))) {
    detail::ThrowFileError(detail::kFileOpenFailed, fileName, error);
  }
  std::unique_ptr<unsigned char[]> current = AllocateBytes(kChunkSize);
  std::unique_ptr<unsigned char[]> spare = AllocateBytes(kChunkSize);
  platform::AsyncReader reader(file);

  if (platform::ErrorCode error = reader.Start(current.get(), kChunkSize, 0)) {
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
    while (got == kChunkSize) {
      if (platform::ErrorCode error = reader.Start(spare.get(), kChunkSize, offset)) {
        detail::ThrowFileError(detail::kChunkReadFailed, error);
      }
      parser.Parse(current.get(), got, false);
      size_t next = 0;
      const platform::ErrorCode error = reader.Wait(next);
      if (error != 0 && error != platform::kEndOfFile)
        detail::ThrowFileError(detail::kChunkReadFailed, error);
      std::swap(current, spare);
      got = next;
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
