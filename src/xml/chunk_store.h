// SPDX-License-Identifier: MIT
// The memory behind the chunks of a CStringBuffer.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <korvel/text_stream.h>

#include "platform/memory.h"

namespace Korvel::detail {

// Hands out chunks of CStringBuffer::CHUNK_SIZE characters. The first few are
// allocated one by one, so a small document costs a few small allocations;
// a large one continues in blocks of huge-page size, which the system can
// fill with a fraction of the page faults.
class ChunkStore {
 public:
  ChunkStore() = default;
  ChunkStore(const ChunkStore&) = delete;
  ChunkStore& operator=(const ChunkStore&) = delete;
  ~ChunkStore();

  // Uninitialised room for one chunk, valid until released.
  wchar_t* Allocate();
  // Releases every chunk; with keepFirst, the first one stays valid.
  void Release(bool keepFirst) noexcept;

 private:
  static constexpr size_t kSeparateChunks = 32;
  // A chunk's slot in a block: CHUNK_SIZE characters rounded up to 16 KiB.
  static constexpr size_t kSlot = CStringBuffer::CHUNK_SIZE + 1;
  static constexpr size_t kSlotsPerBlock = platform::kHugePageSize / (kSlot * sizeof(wchar_t));

  std::vector<std::unique_ptr<wchar_t[]>> m_separate;
  std::vector<wchar_t*> m_blocks;
  size_t m_usedInBlock = kSlotsPerBlock;  // slots handed out from the last block
};

}  // namespace Korvel::detail
