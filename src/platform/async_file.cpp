// SPDX-License-Identifier: MIT
// Overlapped file writes on POSIX: positioned writes carried out by one helper
// thread per open file, handed over through a condition variable. (Reads
// overlap through the kernel's read-ahead instead; see async_read.h.)
#include "platform/async_file.h"

#include <unistd.h>
#include <cerrno>

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace Korvel::detail::platform {

namespace {

ErrorCode WriteAllAt(int fd, const char* data, size_t count, uint64_t offset, size_t& done) {
  done = 0;
  while (done < count) {
    const ssize_t n = ::pwrite(fd, data + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

}  // namespace

struct AsyncFile::Helper {
  explicit Helper(int descriptor) : fd(descriptor) {}

  void Run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      requested.wait(lock, [this] { return pending || stop; });
      if (!pending) return;
      // The request's fields belong to this thread until finished is set.
      lock.unlock();
      size_t done = 0;
      const ErrorCode error = WriteAllAt(fd, data, count, offset, done);
      lock.lock();
      result = error;
      transferred = done;
      pending = false;
      finished = true;
      completed.notify_one();
    }
  }

  const int fd;
  std::mutex mutex;
  std::condition_variable requested;  // the helper waits here for work or stop
  std::condition_variable completed;  // the caller waits here for the result
  bool pending = false;               // a request has been handed over
  bool finished = false;              // its result is ready
  bool stop = false;
  const char* data = nullptr;
  size_t count = 0;
  uint64_t offset = 0;
  ErrorCode result = 0;
  size_t transferred = 0;
  std::thread thread;
};

AsyncFile::AsyncFile() noexcept = default;

AsyncFile::~AsyncFile() { Close(); }

ErrorCode AsyncFile::CreateForWrite(const std::wstring& path) {
  Close();
  return m_file.CreateForWrite(path);
}

ErrorCode AsyncFile::EnableOverlap() {
  if (!m_file.IsOpen()) return EBADF;
  if (m_helper) return 0;
  ErrorCode injected;
  if (TakeInjectedFileFailure(FileOp::Overlap, injected)) return injected;
  auto helper = std::make_unique<Helper>(m_file.Descriptor());
  try {
    helper->thread = std::thread(&Helper::Run, helper.get());
  } catch (const std::system_error& e) {
    return e.code().value() != 0 ? e.code().value() : EAGAIN;
  }
  m_helper = std::move(helper);
  return 0;
}

ErrorCode AsyncFile::StartWrite(const void* data, size_t count, uint64_t offset) {
  if (!m_file.IsOpen()) return EBADF;
  if (!m_helper) return EINVAL;
  if (m_inFlight) return EBUSY;
  ErrorCode injected;
  if (TakeInjectedFileFailure(FileOp::Write, injected)) {
    m_injected = injected;
    m_inFlight = true;
    return 0;
  }
  {
    std::lock_guard<std::mutex> lock(m_helper->mutex);
    m_helper->data = static_cast<const char*>(data);
    m_helper->count = count;
    m_helper->offset = offset;
    m_helper->pending = true;
    m_helper->finished = false;
  }
  m_helper->requested.notify_one();
  m_inFlight = true;
  return 0;
}

ErrorCode AsyncFile::Wait(size_t& transferred) {
  transferred = 0;
  if (!m_inFlight) return 0;
  m_inFlight = false;
  if (m_injected != 0) {
    const ErrorCode error = m_injected;
    m_injected = 0;
    return error;
  }
  std::unique_lock<std::mutex> lock(m_helper->mutex);
  m_helper->completed.wait(lock, [this] { return m_helper->finished; });
  m_helper->finished = false;
  transferred = m_helper->transferred;
  return m_helper->result;
}

bool AsyncFile::IsDone() const {
  if (!m_inFlight || m_injected != 0) return true;
  std::lock_guard<std::mutex> lock(m_helper->mutex);
  return m_helper->finished;
}

ErrorCode AsyncFile::StopHelper() noexcept {
  if (!m_helper) return 0;
  size_t ignored;
  const ErrorCode error = Wait(ignored);
  {
    std::lock_guard<std::mutex> lock(m_helper->mutex);
    m_helper->stop = true;
  }
  m_helper->requested.notify_one();
  m_helper->thread.join();
  m_helper.reset();
  return error;
}

ErrorCode AsyncFile::Close() {
  ErrorCode error = StopHelper();
  m_inFlight = false;
  m_injected = 0;
  const ErrorCode closeError = m_file.Close();
  return error != 0 ? error : closeError;
}

}  // namespace Korvel::detail::platform
