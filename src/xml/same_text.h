// SPDX-License-Identifier: MIT
// Comparing the strings that a writer compares for nearly every element:
// namespace URIs and prefixes.
#pragma once

#include <cstddef>
#include <cwchar>
#include <string_view>

namespace Korvel::detail {

// Whether a and b hold the same characters. The same string, which a child
// sharing its parent's namespace passes, is known without reading it; a
// prefix, two or three characters, is compared without a call.
inline bool SameText(std::wstring_view a, std::wstring_view b) noexcept {
  const size_t n = a.size();
  if (n != b.size()) return false;
  if (a.data() == b.data()) return true;
  constexpr size_t kShort = 4;
  if (n > kShort) return std::wmemcmp(a.data(), b.data(), n) == 0;
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace Korvel::detail
