// SPDX-License-Identifier: MIT
// Chunks allocated one by one, then carved from huge-page blocks.
#include "xml/chunk_store.h"

namespace Korvel::detail {

ChunkStore::~ChunkStore() { Release(false); }

wchar_t* ChunkStore::Allocate() {
  if (m_separate.size() >= kSeparateChunks) {
    if (m_usedInBlock == kSlotsPerBlock) {
      m_blocks.push_back(nullptr);  // room first, so that a mapped block cannot leak
      if (void* block = platform::MapLargeBlock(platform::kHugePageSize)) {
        m_blocks.back() = static_cast<wchar_t*>(block);
        m_usedInBlock = 0;
      } else {
        m_blocks.pop_back();
      }
    }
    // Without a block (the system refused one) chunks go on one by one.
    if (m_usedInBlock < kSlotsPerBlock) return m_blocks.back() + kSlot * m_usedInBlock++;
  }
  std::unique_ptr<wchar_t[]> chunk(new wchar_t[CStringBuffer::CHUNK_SIZE]);
  m_separate.push_back(std::move(chunk));
  return m_separate.back().get();
}

void ChunkStore::Release(bool keepFirst) noexcept {
  for (wchar_t* block : m_blocks) platform::UnmapLargeBlock(block, platform::kHugePageSize);
  m_blocks.clear();
  m_usedInBlock = kSlotsPerBlock;
  m_separate.resize(keepFirst && !m_separate.empty() ? 1 : 0);
}

}  // namespace Korvel::detail
