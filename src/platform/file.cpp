// SPDX-License-Identifier: MIT
// POSIX implementation of the file seam.
#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include <utility>

#include "values/utf.h"

namespace Korvel::detail::platform {

namespace {

struct InjectedFailure {
  bool armed = false;
  ErrorCode error = 0;
};

// One slot per operation, per thread, so tests on other threads are unaffected.
thread_local InjectedFailure t_injected[static_cast<int>(FileOp::Overlap) + 1];

ErrorCode Open(int& fd, const std::wstring& path, int flags) {
  ErrorCode injected;
  if (TakeInjectedFileFailure(FileOp::Open, injected)) return injected;
  std::string narrow = NarrowPath(path);
  do {
    fd = ::open(narrow.c_str(), flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? errno : 0;
}

}  // namespace

bool TakeInjectedFileFailure(FileOp op, ErrorCode& error) {
  InjectedFailure& slot = t_injected[static_cast<int>(op)];
  if (!slot.armed) return false;
  slot.armed = false;
  error = slot.error;
  return true;
}

void InjectFileFailure(FileOp op, ErrorCode error) {
  t_injected[static_cast<int>(op)] = {true, error};
}

void ClearInjectedFileFailures() {
  for (InjectedFailure& slot : t_injected) slot = {};
}

File::File(File&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

File::~File() { Close(); }

ErrorCode File::OpenForRead(const std::wstring& path) {
  Close();
  ErrorCode error = Open(m_fd, path, O_RDONLY);
  if (error == 0) {
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // A directory opens for reading but cannot be read as a file.
    struct stat st;
    if (::fstat(m_fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      Close();
      return EISDIR;
    }
  }
  return error;
}

ErrorCode File::CreateForWrite(const std::wstring& path) {
  Close();
  return Open(m_fd, path, O_WRONLY | O_CREAT | O_TRUNC);
}

ErrorCode File::Size(uint64_t& size) const {
  ErrorCode injected;
  if (TakeInjectedFileFailure(FileOp::Size, injected)) return injected;
  struct stat st;
  if (::fstat(m_fd, &st) != 0) return errno;
  size = static_cast<uint64_t>(st.st_size);
  return 0;
}

ErrorCode File::Read(void* buffer, size_t count, size_t& got) {
  got = 0;
  ErrorCode injected;
  if (TakeInjectedFileFailure(FileOp::Read, injected)) return injected;
  auto* out = static_cast<char*>(buffer);
  while (got < count) {
    ssize_t n = ::read(m_fd, out + got, count - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return 0;
}

ErrorCode File::ReadAt(void* buffer, size_t count, uint64_t offset, size_t& got) {
  got = 0;
  ErrorCode injected;
  if (TakeInjectedFileFailure(FileOp::Read, injected)) return injected;
  auto* out = static_cast<char*>(buffer);
  while (got < count) {
    ssize_t n = ::pread(m_fd, out + got, count - got, static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return 0;
}

ErrorCode File::WriteAll(const void* data, size_t count) {
  ErrorCode injected;
  if (TakeInjectedFileFailure(FileOp::Write, injected)) return injected;
  const auto* in = static_cast<const char*>(data);
  while (count > 0) {
    ssize_t n = ::write(m_fd, in, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    in += n;
    count -= static_cast<size_t>(n);
  }
  return 0;
}

ErrorCode File::Close() {
  if (m_fd < 0) return 0;
  int fd = std::exchange(m_fd, -1);
  // The descriptor is gone after close even when it reports an error.
  return ::close(fd) == 0 ? 0 : errno;
}

std::string NarrowPath(const std::wstring& path) { return WideToUtf8Lenient(path); }

}  // namespace Korvel::detail::platform
