// SPDX-License-Identifier: MIT
// The file text stream: one write in flight while the writer fills the buffer.
#include <korvel/text_stream.h>

#include <cerrno>
#include <utility>

#include "platform/async_file.h"
#include "runtime/file_errors.h"
#include "xml/text_encoder.h"
#include "xml/writer_messages.h"

namespace Korvel {

namespace {

constexpr unsigned char kUtf16LeByteOrderMark[] = {0xFF, 0xFE};
// Writes are at least this large (but for the last): a system call and a
// hand-over per 4 KiB cost more than the write itself.
constexpr uint32_t kMinWrite = 64u << 10;
// Past this much gathered output the writer waits for the disk.
constexpr uint32_t kMaxGathered = 1u << 20;

}  // namespace

CFileTextStream::CFileTextStream(std::wstring path, XmlEncoding encoding)
    : CTextStream(encoding), m_path(std::move(path)) {}

// The file's destructor waits for the write in flight before m_pending goes.
CFileTextStream::~CFileTextStream() { m_file.reset(); }

void CFileTextStream::Open() {
  CTextStream::Open();
  m_file.reset();
  m_pending.Clear();
  m_gathered.Clear();
  m_offset = 0;
  m_heldSurrogate = 0;

  auto file = std::make_unique<detail::platform::AsyncFile>();
  int error = file->CreateForWrite(m_path);
  if (error != 0) detail::ThrowFileError(detail::kFileWriteDataFailed, m_path.c_str(), error);
  error = file->EnableOverlap();
  if (error != 0) detail::ThrowFileError(detail::kFileOverlapFailed, m_path.c_str(), error);
  if (m_encoding == XmlEncoding_UTF16 || m_encoding == XmlEncoding_UTF16Undeclared) {
    m_pending.SetBuffer(kUtf16LeByteOrderMark, sizeof kUtf16LeByteOrderMark);
    error = file->StartWrite(m_pending.GetData(), m_pending.GetLength(), 0);
    if (error != 0) {
      file.reset();  // closes it before the exception leaves
      m_pending.Clear();
      detail::ThrowFileError(detail::kFileWriteDataFailed, m_path.c_str(), error);
    }
  }
  m_file = std::move(file);
}

void CFileTextStream::Flush() { FlushText(false); }

void CFileTextStream::FlushText(bool last) {
  if (m_buffer.GetLength() == 0 && !(last && m_heldSurrogate != 0)) return;
  if (!m_file) detail::ThrowFileError(detail::kFileWriteFailed, EBADF);
  CBinaryData bytes =
      detail::EncodeText(m_buffer, m_encoding, m_heldSurrogate, last ? nullptr : &m_heldSurrogate);
  m_buffer.Clear();
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

void CFileTextStream::StartGatheredWrite() {
  WaitForWrite();
  // The previous write is complete, so its bytes may go.
  m_pending = std::move(m_gathered);
  m_gathered = CBinaryData();
  if (m_pending.GetLength() == 0) return;
  const int error = m_file->StartWrite(m_pending.GetData(), m_pending.GetLength(), m_offset);
  if (error != 0) FailWrite(error);
}

void CFileTextStream::WaitForWrite() {
  size_t written = 0;
  const int error = m_file->Wait(written);
  if (error != 0) FailWrite(error);
  m_offset += written;
}

void CFileTextStream::FailWrite(int error) {
  m_file.reset();
  m_pending.Clear();
  m_gathered.Clear();
  // Nothing more is written, so nothing is kept for a later flush to fail on.
  m_buffer.Clear();
  detail::ThrowFileError(detail::kFileWriteFailed, error);
}

void CFileTextStream::Close() {
  if (!m_file && m_buffer.GetLength() == 0) return;
  FlushText(true);
  StartGatheredWrite();
  WaitForWrite();
  const int error = m_file->Close();
  m_file.reset();
  m_pending.Clear();
  if (error != 0) detail::ThrowFileError(detail::kFileWriteFailed, error);
}

}  // namespace Korvel
