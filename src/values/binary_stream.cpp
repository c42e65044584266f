// SPDX-License-Identifier: MIT
// Byte streams, and the one-piece file write used when a whole document is
// produced (and perhaps compressed) before it goes to disk.
#include "values/binary_stream.h"

#include <utility>

#include <korvel/errors.h>

#include "platform/file.h"
#include "runtime/io_errors.h"
#include "values/utf.h"

namespace Korvel {

CBinaryStream::CBinaryStream() : CInstanceMonitor(L"CBinaryStream") {}

CBinaryStream::~CBinaryStream() = default;

CFileBinaryStream::CFileBinaryStream(std::wstring fileName, XmlEncoding encoding)
    : m_fileName(std::move(fileName)), m_encoding(encoding) {}

CFileBinaryStream::~CFileBinaryStream() = default;

void CFileBinaryStream::WriteToFile() const {
  detail::platform::File file;
  int error = file.CreateForWrite(m_fileName);
  if (error == 0 &&
      (m_encoding == XmlEncoding_UTF16 || m_encoding == XmlEncoding_UTF16Undeclared)) {
    error = file.WriteAll(detail::kUtf16LeByteOrderMark, sizeof detail::kUtf16LeByteOrderMark);
  }
  const CBinaryData& data = GetData();
  if (error == 0 && data.GetLength() != 0) error = file.WriteAll(data.GetData(), data.GetLength());
  // Closing can report a write that failed late; either way the handle is gone
  // before the exception leaves.
  const int closeError = file.Close();
  if (error == 0) error = closeError;
  if (error != 0) detail::ThrowFileError(detail::kFileWriteDataFailed, m_fileName.c_str(), error);
}

}  // namespace Korvel
