// SPDX-License-Identifier: MIT
// A file being written with at most one write in flight, so that the calling
// thread can prepare the next chunk while the previous one goes to disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file.h"

namespace Korvel::detail::platform {

// The operation in flight is carried out by a helper thread that exists only
// between EnableOverlap and Close (or destruction), so nothing outlives the
// call that uses the file. Every operation returns 0 or an errno value; the
// caller keeps the buffer of the operation in flight alive and untouched until
// Wait returns.
class AsyncFile {
 public:
  AsyncFile() noexcept;
  AsyncFile(const AsyncFile&) = delete;
  AsyncFile& operator=(const AsyncFile&) = delete;
  // Waits for the operation in flight, stops the helper and closes the file.
  ~AsyncFile();

  // Creates the file or truncates an existing one.
  ErrorCode CreateForWrite(const std::wstring& path);
  // Starts the helper; needed before the first Start call.
  ErrorCode EnableOverlap();

  // Starts writing count bytes at offset. EBUSY while another write is in
  // flight. A failure of the transfer itself is reported by Wait.
  ErrorCode StartWrite(const void* data, size_t count, uint64_t offset);
  // Waits for the write in flight; transferred is the number of bytes
  // written (all of them on success).
  // Without an operation in flight it returns 0 at once with transferred 0.
  ErrorCode Wait(size_t& transferred);
  bool IsBusy() const noexcept { return m_inFlight; }
  // True when Wait would return at once.
  bool IsDone() const;

  // Waits for the operation in flight, stops the helper and closes the file;
  // returns the first error among the three. The file is closed either way.
  ErrorCode Close();
  bool IsOpen() const noexcept { return m_file.IsOpen(); }

 private:
  struct Helper;
  ErrorCode StopHelper() noexcept;

  File m_file;
  std::unique_ptr<Helper> m_helper;
  bool m_inFlight = false;
  // A failure injected by a test when the operation started; Wait reports it.
  ErrorCode m_injected = 0;
};

}  // namespace Korvel::detail::platform
