// SPDX-License-Identifier: MIT
// Reading a file with one read in flight, carried out by the system while the
// calling thread works on the data of the previous one.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/file.h"

namespace Korvel::detail::platform {

// Error codes for conditions that have no errno value of their own, quoted in
// the readers' "[0x%08x]" messages.
inline constexpr ErrorCode kEndOfFile = ENODATA;   // a read found no byte left
inline constexpr ErrorCode kFileTooLarge = EFBIG;  // beyond a 32-bit size

// The file and the buffer of the read in flight must outlive the reader, and
// the buffer must stay untouched until Wait returns. Every operation returns 0
// or an errno value.
class AsyncReader {
 public:
  explicit AsyncReader(const File& file);
  AsyncReader(const AsyncReader&) = delete;
  AsyncReader& operator=(const AsyncReader&) = delete;
  // A read still in flight is cancelled and waited for, so that nothing is
  // written into its buffer once the reader is gone.
  ~AsyncReader();

  // Starts reading count bytes at offset into buffer and returns at once.
  // EBUSY while another read is in flight.
  ErrorCode Start(void* buffer, size_t count, uint64_t offset);
  // Waits for the read in flight. got is count unless the file ended first;
  // kEndOfFile when not a single byte was left. EINVAL when nothing is in flight.
  ErrorCode Wait(size_t& got);

 private:
  struct Request;
  std::unique_ptr<Request> m_request;
};

// Failure injection for tests: the next Start or Wait on this thread fails with
// the given errno value (a Wait after the read it waits for has completed).
enum class AsyncReadStep { Start, Wait };
void InjectAsyncReadFailure(AsyncReadStep step, ErrorCode error);
void ClearInjectedAsyncReadFailures();

}  // namespace Korvel::detail::platform
