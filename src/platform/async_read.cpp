// SPDX-License-Identifier: MIT
// AsyncReader over POSIX asynchronous I/O (aio_read, aio_suspend).
#include "platform/async_read.h"

#include <aio.h>

#include <cstring>
#include <memory>

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

// A short read before the end of the file (which regular files do not give,
// but pipes and some file systems may) is continued with a further request
// for the rest, so that a caller can take a short count for the end.
struct AsyncReader::Request {
  int descriptor = -1;
  // Held apart: glibc's aiocb ends in a zero-length array, which may not be a
  // member of another struct.
  std::unique_ptr<aiocb> owned = std::make_unique<aiocb>();
  aiocb& control = *owned;
  bool inFlight = false;
  char* buffer = nullptr;
  size_t count = 0;
  uint64_t offset = 0;
  size_t got = 0;
  size_t lastTransfer = 0;

  ErrorCode Submit() {
    control = aiocb{};
    control.aio_fildes = descriptor;
    control.aio_buf = buffer + got;
    control.aio_nbytes = count - got;
    control.aio_offset = static_cast<off_t>(offset + got);
    control.aio_sigevent.sigev_notify = SIGEV_NONE;
    if (::aio_read(&control) != 0) return errno;
    inFlight = true;
    return 0;
  }

  // Blocks until the request has finished and collects its result.
  ErrorCode Complete() {
    const aiocb* const list[] = {&control};
    int status;
    while ((status = ::aio_error(&control)) == EINPROGRESS) {
      // EINTR (a signal) and EAGAIN (no timeout is set) just mean: wait again.
      ::aio_suspend(list, 1, nullptr);
    }
    const ssize_t transferred = ::aio_return(&control);
    inFlight = false;
    if (status != 0) return status;
    lastTransfer = static_cast<size_t>(transferred);
    got += lastTransfer;
    return 0;
  }
};

AsyncReader::AsyncReader(const File& file) : m_request(std::make_unique<Request>()) {
  m_request->descriptor = file.Descriptor();
}

AsyncReader::~AsyncReader() {
  if (!m_request->inFlight) return;
  ::aio_cancel(m_request->descriptor, &m_request->control);
  m_request->Complete();
}

ErrorCode AsyncReader::Start(void* buffer, size_t count, uint64_t offset) {
  Request& request = *m_request;
  if (request.inFlight) return EBUSY;
  ErrorCode injected;
  if (TakeInjected(AsyncReadStep::Start, injected)) return injected;
  request.buffer = static_cast<char*>(buffer);
  request.count = count;
  request.offset = offset;
  request.got = 0;
  return request.Submit();
}

ErrorCode AsyncReader::Wait(size_t& got) {
  got = 0;
  Request& request = *m_request;
  if (!request.inFlight) return EINVAL;
  ErrorCode injected = 0;
  const bool failing = TakeInjected(AsyncReadStep::Wait, injected);
  for (;;) {
    if (ErrorCode error = request.Complete()) return failing ? injected : error;
    if (request.lastTransfer == 0 || request.got == request.count) break;
    if (ErrorCode error = request.Submit()) return failing ? injected : error;
  }
  if (failing) return injected;
  got = request.got;
  return got == 0 ? kEndOfFile : 0;
}

}  // namespace Korvel::detail::platform
