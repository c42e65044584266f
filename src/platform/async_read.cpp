// SPDX-License-Identifier: MIT
// AsyncReader over the kernel's read-ahead: Start asks the kernel to bring the
// range into the page cache (posix_fadvise WILLNEED starts that I/O and returns
// at once), Wait copies it out with pread, by then usually from memory. No
// thread is involved, and nothing writes into the caller's buffer outside Wait.
#include "platform/async_read.h"

#include <fcntl.h>

namespace Korvel::detail::platform {

namespace {

struct InjectedFailure {
  bool armed = false;
  ErrorCode error = 0;
};

thread_local InjectedFailure t_injected[2];

bool TakeInjected(AsyncReadStep step, ErrorCode& error) {
  InjectedFailure& slot = t_injected[static_cast<int>(step)];
  if (!slot.armed) return false;
  slot.armed = false;
  error = slot.error;
  return true;
}

}  // namespace

void InjectAsyncReadFailure(AsyncReadStep step, ErrorCode error) {
  t_injected[static_cast<int>(step)] = {true, error};
}

void ClearInjectedAsyncReadFailures() {
  for (InjectedFailure& slot : t_injected) slot = {};
}

ErrorCode AsyncReader::Start(void* buffer, size_t count, uint64_t offset) {
  if (m_inFlight) return EBUSY;
  ErrorCode injected;
  if (TakeInjected(AsyncReadStep::Start, injected)) return injected;
  // Only advice: where the kernel cannot read ahead (a pipe, say), Wait reads
  // the range itself and reports what goes wrong.
  ::posix_fadvise(m_file.Descriptor(), static_cast<off_t>(offset), static_cast<off_t>(count),
                  POSIX_FADV_WILLNEED);
  m_inFlight = true;
  m_buffer = buffer;
  m_count = count;
  m_offset = offset;
  return 0;
}

ErrorCode AsyncReader::Wait(size_t& got) {
  got = 0;
  if (!m_inFlight) return EINVAL;
  m_inFlight = false;
  ErrorCode injected;
  if (TakeInjected(AsyncReadStep::Wait, injected)) return injected;
  // ReadAt reads on until count bytes have come or the file has ended.
  size_t read = 0;
  if (ErrorCode error = m_file.ReadAt(m_buffer, m_count, m_offset, read)) return error;
  got = read;
  return got == 0 ? kEndOfFile : 0;
}

}  // namespace Korvel::detail::platform
