// SPDX-License-Identifier: MIT
// Narrowing the wide text that a writer copies as it is, such as names and
// most values, into bytes four characters at a time; copying short markup.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Korvel::detail {

// The characters a format copies as they are: those from kLeast up to 0x7F
// that are not among kRefused, the markup it escapes. wchar_t is signed, so a
// negative value is refused with everything beyond ASCII.
template <int32_t kLeast, wchar_t... kRefused>
struct PlainAscii {
  static bool Admits(wchar_t c) noexcept {
    const auto v = static_cast<int32_t>(c);
    return v >= kLeast && v < 0x80 && ((c != kRefused) && ...);
  }

  // The refused characters as a bit per character, for sets of characters
  // below 64.
  static constexpr uint64_t RefusedBits() noexcept {
    static_assert(((kRefused < 64) && ...), "one bit per character below 64");
    return ((uint64_t{1} << kRefused) | ... | 0);
  }

#if defined(__SSE2__)
  // The four characters at s narrowed to d whatever they are; the lanes of
  // those not admitted are set in the result.
  static __m128i NarrowFour(const wchar_t* s, char* d) noexcept {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i refused = _mm_or_si128(_mm_cmpgt_epi32(v, _mm_set1_epi32(0x7F)),
                                   _mm_cmplt_epi32(v, _mm_set1_epi32(kLeast)));
    ((refused = _mm_or_si128(refused, _mm_cmpeq_epi32(v, _mm_set1_epi32(kRefused)))), ...);
    // Values below 0x80 pass both saturating packs unchanged.
    const __m128i words = _mm_packs_epi32(v, v);
    const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(d, &bytes, 4);
    return refused;
  }
#endif

  // text narrowed to d when all of it is admitted; false otherwise, d's
  // content then unspecified. Most names and values are a few characters:
  // the last four overlap those before where the length is not a multiple of
  // four. Four characters go at a time, all of them narrowed before the one
  // test at the end: most text is admitted.
  static bool Narrow(std::wstring_view text, char* d) noexcept {
    const size_t n = text.size();
    if (n < 4) {
      for (size_t i = 0; i < n; ++i) {
        if (!Admits(text[i])) return false;
        d[i] = static_cast<char>(text[i]);
      }
      return true;
    }
#if defined(__SSE2__)
    __m128i refused = NarrowFour(text.data() + n - 4, d + n - 4);
    for (size_t i = 0; i + 4 < n; i += 4) {
      refused = _mm_or_si128(refused, NarrowFour(text.data() + i, d + i));
    }
    return _mm_movemask_epi8(refused) == 0;
#else
    for (size_t i = 0; i < n; ++i) {
      if (!Admits(text[i])) return false;
      d[i] = static_cast<char>(text[i]);
    }
    return true;
#endif
  }
};

// Names, which no format escapes.
using PlainName = PlainAscii<0>;

template <class Word>
void CopyWord(const char* s, char* d) noexcept {
  Word word;
  std::memcpy(&word, s, sizeof word);
  std::memcpy(d, &word, sizeof word);
}

// Copies bytes to d and returns their end. Markup and names are a few bytes:
// copied as two words that may overlap, which costs less than a call or a
// loop.
inline char* CopyShort(std::string_view bytes, char* d) noexcept {
  const char* s = bytes.data();
  const size_t n = bytes.size();
  if (n >= 8 && n <= 16) {
    CopyWord<uint64_t>(s, d);
    CopyWord<uint64_t>(s + n - 8, d + n - 8);
  } else if (n >= 4 && n < 8) {
    CopyWord<uint32_t>(s, d);
    CopyWord<uint32_t>(s + n - 4, d + n - 4);
  } else if (n > 16) {
    std::memcpy(d, s, n);
  } else if (n >= 2) {
    CopyWord<uint16_t>(s, d);
    CopyWord<uint16_t>(s + n - 2, d + n - 2);
  } else if (n == 1) {
    *d = *s;
  }
  return d + n;
}

}  // namespace Korvel::detail
