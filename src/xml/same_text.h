// SPDX-License-Identifier: MIT
// Comparing the strings that a writer compares for nearly every element:
// namespace URIs and prefixes.
#pragma once

#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Korvel::detail {

// Whether a and b hold the same characters. The same string, which a child
// sharing its parent's namespace passes, is known without reading it. The
// others are compared in line, four characters a step with the last four
// overlapping those before and one test at the end: a call to the library's
// comparison, with its dispatch on the length, costs more than the
// comparison of a namespace URI of a few dozen characters.
inline bool SameText(std::wstring_view a, std::wstring_view b) noexcept {
  const size_t n = a.size();
  if (n != b.size()) return false;
  if (a.data() == b.data()) return true;
#if defined(__SSE2__)
  if (n >= 4) {
    const auto load = [](const wchar_t* p) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    __m128i same = _mm_cmpeq_epi32(load(a.data() + n - 4), load(b.data() + n - 4));
    for (size_t i = 0; i + 4 < n; i += 4) {
      same = _mm_and_si128(same, _mm_cmpeq_epi32(load(a.data() + i), load(b.data() + i)));
    }
    return _mm_movemask_epi8(same) == 0xFFFF;
  }
#endif
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace Korvel::detail
