// SPDX-License-Identifier: MIT
// Memory for buffers of hundreds of megabytes that live for one call, placed
// so that the system may back it with huge pages: a page fault per 2 MiB
// instead of per 4 KiB, which is most of the cost of filling fresh memory.
#pragma once

#include <cstddef>

namespace Korvel::detail::platform {

inline constexpr size_t kHugePageSize = size_t{2} << 20;

// size bytes (a multiple of kHugePageSize) aligned to kHugePageSize, zero
// until written; null when the system refuses.
void* MapLargeBlock(size_t size) noexcept;
void UnmapLargeBlock(void* block, size_t size) noexcept;

// Asks for huge pages for [data, data + size) when it covers at least one
// whole huge page, typically memory just allocated and not yet written; the
// advice is given for the whole range, so that a block keeps one mapping.
// Only a hint.
void AdviseHugePages(void* data, size_t size) noexcept;

// Maps in the whole pages of [data, data + size) at once, ahead of writing
// them: one call instead of a page fault per page. Only a hint.
void PrefaultForWrite(void* data, size_t size) noexcept;

}  // namespace Korvel::detail::platform
