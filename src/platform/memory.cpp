// SPDX-License-Identifier: MIT
// Large blocks on anonymous mappings, with the huge-page hint.
#include "platform/memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace Korvel::detail::platform {

namespace {

void Advise(void* data, size_t size) noexcept {
#ifdef MADV_HUGEPAGE
  ::madvise(data, size, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace

void* MapLargeBlock(size_t size) noexcept {
  // Mapped one huge page larger, then trimmed to an aligned block.
  const size_t mapped = size + kHugePageSize;
  void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (start + kHugePageSize - 1) & ~(uintptr_t{kHugePageSize} - 1);
  if (aligned != start) ::munmap(raw, aligned - start);
  const size_t tail = mapped - (aligned - start) - size;
  if (tail != 0) ::munmap(reinterpret_cast<void*>(aligned + size), tail);
  void* block = reinterpret_cast<void*>(aligned);
  Advise(block, size);
  return block;
}

void UnmapLargeBlock(void* block, size_t size) noexcept {
  if (block != nullptr) ::munmap(block, size);
}

void AdviseHugePages(void* data, size_t size) noexcept {
  const auto start = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (start + kHugePageSize - 1) & ~(uintptr_t{kHugePageSize} - 1);
  const uintptr_t last = (start + size) & ~(uintptr_t{kHugePageSize} - 1);
  if (last <= first) return;
  // The advice covers every page of the range, not only its whole huge pages:
  // advising part of a mapping splits it, and malloc can then no longer grow
  // the block with mremap but copies it into a new one.
  constexpr uintptr_t kPage = 4096;
  const uintptr_t from = start & ~(kPage - 1);
  const uintptr_t to = (start + size + kPage - 1) & ~(kPage - 1);
  Advise(reinterpret_cast<void*>(from), to - from);
}

void PrefaultForWrite(void* data, size_t size) noexcept {
#ifdef MADV_POPULATE_WRITE
  constexpr uintptr_t kPage = 4096;
  const auto start = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (start + kPage - 1) & ~(kPage - 1);
  const uintptr_t last = (start + size) & ~(kPage - 1);
  // Older kernels refuse the advice; the pages then fault in as written.
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace Korvel::detail::platform
