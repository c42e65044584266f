// SPDX-License-Identifier: MIT
// The text streams that text writers write into: the chunked accumulator
// CStringBuffer, the in-memory CTextStream and the file-backed CFileTextStream,
// and the process-wide switch AsyncToXmlFile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/binary_data.h>
#include <korvel/export.h>
#include <korvel/instance_monitor.h>
#include <korvel/xml_encoding.h>

namespace Korvel {

namespace detail {
class ChunkStore;
class FileTextSink;
}  // namespace detail

// Text appended in chunks of CHUNK_SIZE characters: growing never moves what is
// already written, and the whole text is joined once, when it is asked for.
class KORVEL_API CStringBuffer : public CInstanceMonitor {
 public:
  static constexpr size_t CHUNK_SIZE = 4095;

  CStringBuffer();
  CStringBuffer(const CStringBuffer&) = delete;
  CStringBuffer& operator=(const CStringBuffer&) = delete;
  ~CStringBuffer() override;

  void Append(wchar_t c) {
    if (m_next == m_end) StartChunk();
    *m_next++ = c;
    ++m_length;
  }
  void Append(const wchar_t* text, size_t count) {
    if (count <= static_cast<size_t>(m_end - m_next)) {
      if (count != 0) std::memcpy(m_next, text, count * sizeof(wchar_t));
      m_next += count;
      m_length += count;
    } else {
      AppendAcrossChunks(text, count);
    }
  }
  void Append(std::wstring_view text) { Append(text.data(), text.size()); }

  // Characters appended since the last Clear.
  size_t GetLength() const noexcept { return m_length; }
  // The whole text. The chunks are joined into one string, which then takes
  // their place. The reference stays valid until the buffer next changes.
  const std::wstring& GetAllText();
  // Forgets the text; one chunk is kept for what comes next.
  void Clear();

  // The text as it is stored, piece by piece, without joining it.
  size_t GetChunkCount() const noexcept { return (m_joined.empty() ? 0 : 1) + m_chunks.size(); }
  std::wstring_view GetChunk(size_t index) const noexcept;

 private:
  void StartChunk();
  void AppendAcrossChunks(const wchar_t* text, size_t count);
  std::wstring_view ChunkText(size_t index) const noexcept;

  // Text joined by GetAllText; what is appended later follows it in chunks.
  std::wstring m_joined;
  // CHUNK_SIZE characters each, left uninitialised until written; all but the
  // last are full. The store owns their memory.
  std::vector<wchar_t*> m_chunks;
  std::unique_ptr<detail::ChunkStore> m_store;
  wchar_t* m_next = nullptr;  // where the next character goes in the last chunk
  wchar_t* m_end = nullptr;   // end of the last chunk
  size_t m_length = 0;
};

// An in-memory text stream: the text is read back whole with GetAllText or as
// bytes in the stream's encoding with GetBytes.
class KORVEL_API CTextStream : public CInstanceMonitor {
 public:
  explicit CTextStream(XmlEncoding encoding = XmlEncoding_None);
  CTextStream(const CTextStream&) = delete;
  CTextStream& operator=(const CTextStream&) = delete;
  ~CTextStream() override;

  // Clears the buffer.
  virtual void Open();
  // Nothing to do for text kept in memory.
  virtual void Close();
  virtual void Flush();

  const std::wstring& GetAllText() { return m_buffer.GetAllText(); }
  // The text in the stream's encoding, without a byte-order mark. Throws
  // CKvException "Unknown Encoding, select UTF-8 (contact our support team)"
  // for XmlEncoding_None. An unpaired surrogate or a value beyond U+10FFFF
  // becomes U+FFFD, so that the bytes are always well-formed.
  CBinaryData GetBytes() const;

  XmlEncoding GetEncoding() const noexcept { return m_encoding; }
  // Where writers append their text.
  CStringBuffer& GetBuffer() noexcept { return m_buffer; }
  const CStringBuffer& GetBuffer() const noexcept { return m_buffer; }

 protected:
  CStringBuffer m_buffer;
  XmlEncoding m_encoding;
};

// A text stream that sends its text to a file while it is being produced: each
// Flush encodes the buffered text, and once 64 KiB of bytes are gathered they
// are written while the writer goes on filling the buffer. At most one write
// is in flight; bytes flushed meanwhile go out with the next write, so a slow
// disk gets fewer, larger writes (the writer waits once 1 MiB is gathered).
// Failures throw CKvException with the system's error code: "Failed to write
// data to the file [%s] error [0x%08X]" when the file cannot be created,
// "Failed to create event for file overlap [%s] error [0x%08X]", and "Failed
// to write data to the file. Error [0x%08X]" for a write that fails; the file
// is closed then and the stream writes nothing more.
class KORVEL_API CFileTextStream : public CTextStream {
 public:
  // Touches no file yet.
  CFileTextStream(std::wstring path, XmlEncoding encoding);
  // Closes the file if it is still open, after the write in flight.
  ~CFileTextStream() override;

  // Clears the buffer and creates the file, replacing an existing one; the
  // UTF-16 encodings start it with the byte-order mark FF FE.
  void Open() override;
  // Flushes, waits for the last write and closes the file.
  void Close() override;
  // Waits for the write in flight and starts writing the buffered text.
  void Flush() override;

  const std::wstring& GetPath() const noexcept { return m_path; }
  // Bytes the completed writes have put into the file.
  uint64_t GetBytesWritten() const noexcept;

 private:
  // Hands the buffered text to the file; last also closes it.
  void Write(bool last);

  std::wstring m_path;
  uint64_t m_written = 0;  // what the last file took, once it is closed
  // The open file and the bytes on their way to it; null while closed.
  std::unique_ptr<detail::FileTextSink> m_sink;
};

// Whether the file entry points write documents through a CFileTextStream
// while producing them (true) or produce them in memory and write them in one
// piece (false, the default). Meant to be set before serialisation starts.
KORVEL_API void AsyncToXmlFile(bool async);

}  // namespace Korvel
