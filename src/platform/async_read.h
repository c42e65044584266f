// SPDX-License-Identifier: MIT
// Reading a file with one read in flight, carried out by the system while the
// calling thread works on the data of the previous one.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "platform/file.h"

namespace Korvel::detail::platform {

// Error codes for conditions that have no errno value of their own, quoted in
// the readers' "[0x%08x]" messages.
inline constexpr ErrorCode kEndOfFile = ENODATA;   // a read found no byte left
inline constexpr ErrorCode kFileTooLarge = EFBIG;  // beyond a 32-bit size

// The system reads the range of the read in flight while the caller works;
// the bytes land in the caller's buffer during Wait, never behind its back, so
// a reader abandoned with a read in flight leaves nothing to clean up. Every
// operation returns 0 or an errno value.
class AsyncReader {
 public:
  explicit AsyncReader(File& file) noexcept : m_file(file) {}
  AsyncReader(const AsyncReader&) = delete;
  AsyncReader& operator=(const AsyncReader&) = delete;

  // Starts reading count bytes at offset for buffer and returns at once.
  // EBUSY while another read is in flight.
  ErrorCode Start(void* buffer, size_t count, uint64_t offset);
  // Completes the read in flight into its buffer. got is count unless the file
  // ended first; kEndOfFile when not a single byte was left. EINVAL when
  // nothing is in flight.
  ErrorCode Wait(size_t& got);

 private:
  File& m_file;
  bool m_inFlight = false;
  void* m_buffer = nullptr;
  size_t m_count = 0;
  uint64_t m_offset = 0;
};

// Failure injection for tests: the next Start or Wait on this thread fails with
// the given errno value (a failed Wait ends the read in flight).
enum class AsyncReadStep { Start, Wait };
void InjectAsyncReadFailure(AsyncReadStep step, ErrorCode error);
void ClearInjectedAsyncReadFailures();

}  // namespace Korvel::detail::platform
