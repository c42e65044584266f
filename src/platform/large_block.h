// SPDX-License-Identifier: MIT
// Memory for big, long-lived pools in whole huge pages where the system offers
// them: a tree of hundreds of megabytes then costs a few hundred page faults
// instead of a hundred thousand, and far fewer TLB misses when it is walked.
#pragma once

#include <cstddef>

namespace Korvel::detail::platform {

// The size and alignment of a huge page on the platforms that have them.
inline constexpr size_t kLargeBlockSize = size_t{2} << 20;

// size bytes, a multiple of kLargeBlockSize, aligned to it; throws std::bad_alloc.
void* AllocateLargeBlock(size_t size);
void FreeLargeBlock(void* block, size_t size) noexcept;

}  // namespace Korvel::detail::platform
