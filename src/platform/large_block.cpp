// SPDX-License-Identifier: MIT
// Large blocks as anonymous mappings, aligned and advised for huge pages.
#include "platform/large_block.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace Korvel::detail::platform {

void* AllocateLargeBlock(size_t size) {
  // Mapped with room to spare, then trimmed to an aligned block: the kernel
  // only backs aligned 2 MiB ranges with huge pages.
  const size_t mapped = size + kLargeBlockSize;
  void* memory =
      ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<uintptr_t>(memory);
  const uintptr_t aligned = (start + kLargeBlockSize - 1) & ~(uintptr_t{kLargeBlockSize} - 1);
  if (aligned > start) ::munmap(memory, aligned - start);
  const uintptr_t end = start + mapped;
  if (end > aligned + size) ::munmap(reinterpret_cast<void*>(aligned + size), end - aligned - size);
  // Only advice: without huge pages the block is ordinary memory.
  ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

void FreeLargeBlock(void* block, size_t size) noexcept { ::munmap(block, size); }

}  // namespace Korvel::detail::platform
