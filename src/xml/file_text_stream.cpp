// SPDX-License-Identifier: MIT
// The file text stream: one write in flight while the writer fills the buffer.
#include <korvel/text_stream.h>

#include <cerrno>
#include <utility>

#include "platform/async_file.h"
#include "runtime/io_errors.h"
#include "values/utf.h"
#include "xml/text_encoder.h"
#include "xml/writer_messages.h"

namespace Korvel {

namespace detail {

namespace {

// Writes are at least this large (but for the last): a system call and a
// hand-over per 4 KiB cost more than the write itself.
constexpr uint32_t kMinWrite = 64u << 10;
// Past this much gathered output the writer waits for the disk.
constexpr uint32_t kMaxGathered = 1u << 20;

}  // namespace

// The open file of a stream and the bytes on their way to it.
class FileTextSink {
 public:
  FileTextSink(const std::wstring& path, XmlEncoding encoding);
  // The file's destructor waits for the write in flight before m_pending goes.
  ~FileTextSink() { m_file.reset(); }

  // Encodes and clears the buffer; writes once enough is gathered, or all of
  // it when last.
  void Flush(CStringBuffer& buffer, XmlEncoding encoding, bool last);
  // Writes what is left, waits for it and closes the file.
  void Close();
  uint64_t BytesWritten() const noexcept { return m_offset; }

 private:
  void StartGatheredWrite();
  void WaitForWrite();
  [[noreturn]] void Fail(int error);

  std::unique_ptr<platform::AsyncFile> m_file;
  CBinaryData m_pending;   // the bytes of the write in flight
  CBinaryData m_gathered;  // bytes flushed while it runs
  uint64_t m_offset = 0;   // where the next write goes
  // A high surrogate that ended the last flushed text, waiting for its pair.
  wchar_t m_heldSurrogate = 0;
};

FileTextSink::FileTextSink(const std::wstring& path, XmlEncoding encoding)
    : m_file(std::make_unique<platform::AsyncFile>()) {
  int error = m_file->CreateForWrite(path);
  if (error != 0) ThrowFileError(kFileWriteDataFailed, path.c_str(), error);
  error = m_file->EnableOverlap();
  if (error != 0) ThrowFileError(kFileOverlapFailed, path.c_str(), error);
  if (encoding == XmlEncoding_UTF16 || encoding == XmlEncoding_UTF16Undeclared) {
    m_pending.SetBuffer(kUtf16LeByteOrderMark, sizeof kUtf16LeByteOrderMark);
    error = m_file->StartWrite(m_pending.GetData(), m_pending.GetLength(), 0);
    if (error != 0) {
      m_file.reset();  // closes it before the exception leaves
      ThrowFileError(kFileWriteDataFailed, path.c_str(), error);
    }
  }
}

void FileTextSink::Flush(CStringBuffer& buffer, XmlEncoding encoding, bool last) {
  if (!m_file) ThrowFileError(kFileWriteFailed, EBADF);
  CBinaryData bytes =
      EncodeText(buffer, encoding, m_heldSurrogate, last ? nullptr : &m_heldSurrogate);
  if (last) m_heldSurrogate = 0;
  buffer.Clear();
  if (m_gathered.GetLength() == 0) {
    m_gathered = std::move(bytes);
  } else {
    m_gathered.Append(bytes);
  }
  if (!last && m_gathered.GetLength() < kMinWrite) return;
  // Waiting for every write would tie the writer to the disk's pace; while
  // the write in flight runs, the writer goes on.
  if (!m_file->IsDone() && m_gathered.GetLength() < kMaxGathered) return;
  StartGatheredWrite();
}

void FileTextSink::StartGatheredWrite() {
  WaitForWrite();
  // The previous write is complete, so its bytes may go.
  m_pending = std::move(m_gathered);
  m_gathered = CBinaryData();
  if (m_pending.GetLength() == 0) return;
  const int error = m_file->StartWrite(m_pending.GetData(), m_pending.GetLength(), m_offset);
  if (error != 0) Fail(error);
}

void FileTextSink::WaitForWrite() {
  size_t written = 0;
  const int error = m_file->Wait(written);
  if (error != 0) Fail(error);
  m_offset += written;
}

void FileTextSink::Fail(int error) {
  m_file.reset();
  m_pending.Clear();
  m_gathered.Clear();
  ThrowFileError(kFileWriteFailed, error);
}

void FileTextSink::Close() {
  if (!m_file) ThrowFileError(kFileWriteFailed, EBADF);
  StartGatheredWrite();
  WaitForWrite();
  const int error = m_file->Close();
  m_file.reset();
  m_pending.Clear();
  if (error != 0) ThrowFileError(kFileWriteFailed, error);
}

}  // namespace detail

CFileTextStream::CFileTextStream(std::wstring path, XmlEncoding encoding)
    : CTextStream(encoding), m_path(std::move(path)) {}

CFileTextStream::~CFileTextStream() = default;

uint64_t CFileTextStream::GetBytesWritten() const noexcept {
  return m_sink ? m_sink->BytesWritten() : m_written;
}

void CFileTextStream::Open() {
  CTextStream::Open();
  m_sink.reset();
  m_written = 0;
  m_sink = std::make_unique<detail::FileTextSink>(m_path, m_encoding);
}

void CFileTextStream::Flush() {
  if (m_buffer.GetLength() == 0) return;
  Write(false);
}

void CFileTextStream::Write(bool last) {
  if (!m_sink) detail::ThrowFileError(detail::kFileWriteFailed, EBADF);
  try {
    m_sink->Flush(m_buffer, m_encoding, last);
    if (last) m_sink->Close();
  } catch (...) {
    // Nothing more is written, so nothing is kept for a later flush to fail on.
    m_written = m_sink->BytesWritten();
    m_sink.reset();
    m_buffer.Clear();
    throw;
  }
}

void CFileTextStream::Close() {
  if (!m_sink && m_buffer.GetLength() == 0) return;
  Write(true);
  m_written = m_sink->BytesWritten();
  m_sink.reset();
}

}  // namespace Korvel
