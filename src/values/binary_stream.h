// SPDX-License-Identifier: MIT
// CBinaryStream collects the bytes a writer produces; CFileBinaryStream also
// writes them to a file in one piece.
#pragma once

#include <cstdint>
#include <string>

#include <korvel/binary_data.h>
#include <korvel/instance_monitor.h>
#include <korvel/xml_encoding.h>

namespace Korvel {

class CBinaryStream : public CInstanceMonitor {
 public:
  CBinaryStream();
  CBinaryStream(const CBinaryStream&) = delete;
  CBinaryStream& operator=(const CBinaryStream&) = delete;
  ~CBinaryStream() override;

  void Write(const unsigned char* data, uint32_t length) { m_data.Append(data, length); }
  CBinaryData& GetData() noexcept { return m_data; }
  const CBinaryData& GetData() const noexcept { return m_data; }

 private:
  CBinaryData m_data;
};

class CFileBinaryStream : public CBinaryStream {
 public:
  CFileBinaryStream(std::wstring fileName, XmlEncoding encoding);
  ~CFileBinaryStream() override;

  // Creates the file (replacing an existing one), writes FF FE first for the
  // UTF-16 encodings and then the collected bytes. Throws CKvException "Failed
  // to write data to the file [%s] error [0x%08X]" with the system's error
  // code; the file is closed on every path.
  void WriteToFile() const;

  const std::wstring& GetFileName() const noexcept { return m_fileName; }
  XmlEncoding GetEncoding() const noexcept { return m_encoding; }

 private:
  std::wstring m_fileName;
  XmlEncoding m_encoding;
};

}  // namespace Korvel
