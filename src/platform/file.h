// SPDX-License-Identifier: MIT
// Files on POSIX descriptors. Every operation returns 0 or the errno value, which
// callers quote in their "[0x%08x]" messages; the descriptor is closed by the
// destructor, so no error path can leak it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Korvel::detail::platform {

using ErrorCode = int;

class File {
 public:
  File() noexcept = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  ~File();

  // An existing file, shared for reading, with a sequential-access hint.
  ErrorCode OpenForRead(const std::wstring& path);
  // Creates the file or truncates an existing one.
  ErrorCode CreateForWrite(const std::wstring& path);

  ErrorCode Size(uint64_t& size) const;
  // Reads until count bytes arrived or the file ended; got says how many.
  ErrorCode Read(void* buffer, size_t count, size_t& got);
  ErrorCode ReadAt(void* buffer, size_t count, uint64_t offset, size_t& got);
  ErrorCode WriteAll(const void* data, size_t count);
  ErrorCode Close();

  bool IsOpen() const noexcept { return m_fd >= 0; }
  int Descriptor() const noexcept { return m_fd; }

 private:
  int m_fd = -1;
};

// UTF-8 form of a wide path, as the file system takes it.
std::string NarrowPath(const std::wstring& path);

// Failure injection for tests: the next matching operation on this thread fails
// with the given errno value (after opening, for Size/Read/Write, so that the
// handle's cleanup is exercised). Overlap is the start of the helper behind an
// AsyncFile; an AsyncFile takes Read and Write failures on the thread that
// starts the operation and reports them when it is waited for.
enum class FileOp { Open, Size, Read, Write, Overlap };
void InjectFileFailure(FileOp op, ErrorCode error);
void ClearInjectedFileFailures();
// Consumes a failure injected for op on this thread; true when there was one.
bool TakeInjectedFileFailure(FileOp op, ErrorCode& error);

}  // namespace Korvel::detail::platform
