// SPDX-License-Identifier: MIT
// The Unicode blocks that XSD patterns name with \p{Is...}.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace Korvel::detail {

struct CodePointRange {
  uint32_t first;
  uint32_t last;
};

// Appends the ranges of the block called name (without the "Is"); false when
// XSD knows no such block. The surrogate blocks are known but add nothing:
// text never holds a lone surrogate.
bool FindUnicodeBlock(std::string_view name, std::vector<CodePointRange>& ranges);

}  // namespace Korvel::detail
