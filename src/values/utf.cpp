// SPDX-License-Identifier: MIT
// UTF-8 and UTF-16LE conversions of wide text, with vectorised ASCII runs.
#include "values/utf.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "values/binary_record.h"

static_assert(sizeof(wchar_t) == 4, "wide text holds one code point per wchar_t");

namespace Korvel::detail {

namespace {

constexpr size_t kMalformed = std::numeric_limits<size_t>::max();

// --- ASCII runs -----------------------------------------------------------
// Most text the library converts is markup and ASCII content, so runs of ASCII
// are moved sixteen characters at a time.

#if defined(__SSE2__)
// True when none of the sixteen wide characters at s is above U+007F.
inline bool AllAscii16(const wchar_t* s, __m128i (&v)[4]) noexcept {
  const auto* p = reinterpret_cast<const __m128i*>(s);
  v[0] = _mm_loadu_si128(p);
  v[1] = _mm_loadu_si128(p + 1);
  v[2] = _mm_loadu_si128(p + 2);
  v[3] = _mm_loadu_si128(p + 3);
  const __m128i any = _mm_or_si128(_mm_or_si128(v[0], v[1]), _mm_or_si128(v[2], v[3]));
  // wchar_t is signed: masking with ~0x7F also catches negative values.
  const __m128i high = _mm_and_si128(any, _mm_set1_epi32(~0x7F));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(high, _mm_setzero_si128())) == 0xFFFF;
}
#endif

size_t AsciiPrefixLength(const wchar_t* s, size_t n) noexcept {
  size_t i = 0;
#if defined(__SSE2__)
  __m128i v[4];
  while (i + 16 <= n && AllAscii16(s + i, v)) i += 16;
#endif
  while (i < n && CodeOf(s[i]) < 0x80) ++i;
  return i;
}

// Copies the leading ASCII run of s to d as bytes; returns its length.
size_t NarrowAsciiPrefix(const wchar_t* s, size_t n, char* d) noexcept {
  size_t i = 0;
#if defined(__SSE2__)
  __m128i v[4];
  while (i + 16 <= n && AllAscii16(s + i, v)) {
    // Values below 0x80 pass both saturating packs unchanged.
    const __m128i lo = _mm_packs_epi32(v[0], v[1]);
    const __m128i hi = _mm_packs_epi32(v[2], v[3]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(lo, hi));
    i += 16;
  }
#endif
  for (; i < n && CodeOf(s[i]) < 0x80; ++i) d[i] = static_cast<char>(s[i]);
  return i;
}

// Widens the next sixteen bytes of s into d when they are all ASCII; returns
// 16, or 0 when they are not (or fewer remain).
inline size_t WidenAsciiBlock(const unsigned char* s, size_t n, wchar_t* d) noexcept {
#if defined(__SSE2__)
  if (n < 16) return 0;
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  if (_mm_movemask_epi8(b) != 0) return 0;
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = _mm_unpacklo_epi8(b, zero);
  const __m128i hi = _mm_unpackhi_epi8(b, zero);
  auto* out = reinterpret_cast<__m128i*>(d);
  _mm_storeu_si128(out, _mm_unpacklo_epi16(lo, zero));
  _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(lo, zero));
  _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(hi, zero));
  _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(hi, zero));
  return 16;
#else
  if (n < 16) return 0;
  for (size_t i = 0; i < 16; ++i) {
    if (s[i] >= 0x80) return 0;
  }
  for (size_t i = 0; i < 16; ++i) d[i] = static_cast<wchar_t>(s[i]);
  return 16;
#endif
}

// --- UTF-8 ----------------------------------------------------------------

// Characters encoded per step of the appending conversion: the target grows by
// four bytes per character of a step, so steps bound the over-allocation.
constexpr size_t kEncodeStep = 16384;

// Stores the four bytes of word, lowest first; callers advance by the number
// that counts and have room for all four.
inline void StoreBytes(char* d, uint32_t word) noexcept {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap32(word);
#endif
  std::memcpy(d, &word, 4);
}

// Encodes the character at s[i] (a pair's low half may be at i + 1 < avail)
// and advances i and d; false when it is malformed. The common case, a BMP
// character, is encoded without branches: random mixes of one-, two- and
// three-byte characters would otherwise mispredict at every other character.
inline bool EncodeOne(const wchar_t* s, size_t& i, size_t avail, char*& d) noexcept {
  uint32_t c = CodeOf(s[i]);
  if (__builtin_expect(c < 0xD800 || c - 0xE000u < 0x2000u, 1)) {
    const uint32_t two = (0xC0 | c >> 6) | (0x80 | (c & 0x3F)) << 8;
    const uint32_t three =
        (0xE0 | c >> 12) | (0x80 | ((c >> 6) & 0x3F)) << 8 | (0x80 | (c & 0x3F)) << 16;
    // Masks rather than conditionals, which the compiler turns back into jumps.
    const uint32_t multi = 0u - static_cast<uint32_t>(c >= 0x80);
    const uint32_t long3 = 0u - static_cast<uint32_t>(c >= 0x800);
    StoreBytes(d, (c & ~multi) | (two & multi & ~long3) | (three & long3));
    d += 1 + (multi & 1) + (long3 & 1);
    ++i;
    return true;
  }
  if (IsHighSurrogate(c) && i + 1 < avail && IsLowSurrogate(CodeOf(s[i + 1]))) {
    c = 0x10000 + ((c - 0xD800) << 10) + (CodeOf(s[i + 1]) - 0xDC00);
    i += 2;
  } else if (c - 0x10000u <= 0xFFFFFu) {
    ++i;
  } else {
    return false;
  }
  StoreBytes(d, (0xF0 | c >> 18) | (0x80 | ((c >> 12) & 0x3F)) << 8 |
                    (0x80 | ((c >> 6) & 0x3F)) << 16 | (0x80 | (c & 0x3F)) << 24);
  d += 4;
  return true;
}

// EncodeOne, or the next four characters when they are ASCII and before end:
// text beyond ASCII is mostly ASCII between a few other characters, each of
// which would otherwise make the rest go a character at a time.
inline bool EncodeAsciiFourOrOne(const wchar_t* s, size_t& i, size_t end, size_t avail,
                                 char*& d) noexcept {
  if (i + 4 <= end &&
      (CodeOf(s[i]) | CodeOf(s[i + 1]) | CodeOf(s[i + 2]) | CodeOf(s[i + 3])) < 0x80) {
    for (int k = 0; k < 4; ++k) d[k] = static_cast<char>(s[i + k]);
    i += 4;
    d += 4;
    return true;
  }
  return EncodeOne(s, i, avail, d);
}

// Encodes count characters of s (avail of them readable, so that a pair may
// straddle the end) into d, which has room for four bytes per character.
// Returns the end of the output, or null when the text is malformed; consumed
// is count, or count + 1 when the last character was a pair.
char* EncodeUtf8Step(const wchar_t* s, size_t count, size_t avail, char* d,
                     size_t& consumed) noexcept {
  size_t i = 0;
#if defined(__SSE2__)
  __m128i v[4];
  while (i + 16 <= count) {
    if (AllAscii16(s + i, v)) {
      const __m128i lo = _mm_packs_epi32(v[0], v[1]);
      const __m128i hi = _mm_packs_epi32(v[2], v[3]);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(lo, hi));
      i += 16;
      d += 16;
      continue;
    }
    for (const size_t end = i + 16; i < end;) {
      if (!EncodeAsciiFourOrOne(s, i, end, avail, d)) return nullptr;
    }
  }
#endif
  while (i < count) {
    if (!EncodeAsciiFourOrOne(s, i, count, avail, d)) return nullptr;
  }
  consumed = i;
  return d;
}

inline bool IsContinuation(unsigned char b) noexcept { return (b & 0xC0) == 0x80; }

// Decodes the multi-byte sequence that starts s (avail bytes left); returns its
// length, or 0 when it is malformed, truncated, overlong, a surrogate or beyond
// U+10FFFF.
size_t DecodeUtf8Sequence(const unsigned char* s, size_t avail, uint32_t& cp) noexcept {
  const uint32_t b0 = s[0];
  if (b0 < 0xC2) return 0;  // a stray continuation byte or an overlong two-byte form
  if (b0 < 0xE0) {
    if (avail < 2 || !IsContinuation(s[1])) return 0;
    cp = ((b0 & 0x1F) << 6) | (s[1] & 0x3Fu);
    return 2;
  }
  if (b0 < 0xF0) {
    if (avail < 3 || !IsContinuation(s[1]) || !IsContinuation(s[2])) return 0;
    cp = ((b0 & 0x0F) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
    return cp < 0x800 || IsSurrogate(cp) ? 0 : 3;
  }
  if (b0 < 0xF5) {
    if (avail < 4 || !IsContinuation(s[1]) || !IsContinuation(s[2]) || !IsContinuation(s[3])) {
      return 0;
    }
    cp = ((b0 & 0x07) << 18) | ((s[1] & 0x3Fu) << 12) | ((s[2] & 0x3Fu) << 6) | (s[3] & 0x3Fu);
    return cp < 0x10000 || cp > 0x10FFFF ? 0 : 4;
  }
  return 0;
}

// --- UTF-16LE -------------------------------------------------------------

// Exact UTF-16LE length of s, or kMalformed.
size_t Utf16Size(const wchar_t* s, size_t n) noexcept {
  size_t size = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t c = CodeOf(s[i]);
    if (c < 0x10000 && !IsSurrogate(c)) {
      size += 2;
    } else if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(CodeOf(s[i + 1]))) {
      ++i;
      size += 4;  // already a pair of units
    } else if (c >= 0x10000 && c <= 0x10FFFF) {
      size += 4;
    } else {
      return kMalformed;
    }
  }
  return size;
}

inline unsigned char* PutUnit(uint32_t unit, unsigned char* d) noexcept {
  d[0] = static_cast<unsigned char>(unit);
  d[1] = static_cast<unsigned char>(unit >> 8);
  return d + 2;
}

// Writes every value below U+10000 as one unit (surrogates included), a code
// point up to U+10FFFF as a pair, anything else as U+FFFD.
unsigned char* PutUtf16Le(const wchar_t* s, size_t n, unsigned char* d) noexcept {
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = CodeOf(s[i]);
    if (c < 0x10000) {
      d = PutUnit(c, d);
    } else if (c <= 0x10FFFF) {
      c -= 0x10000;
      d = PutUnit(0xD800 | (c >> 10), d);
      d = PutUnit(0xDC00 | (c & 0x3FF), d);
    } else {
      d = PutUnit(0xFFFD, d);
    }
  }
  return d;
}

// --- Appending targets ------------------------------------------------------
// Resize(m) makes the appended region m elements long (keeping what it already
// holds) and returns its start; Cancel() restores the target.

template <class String>
class StringSink {
 public:
  explicit StringSink(String& s) : m_s(s), m_base(s.size()) {}
  typename String::value_type* Resize(size_t m) {
    m_s.resize(m_base + m);
    return m_s.data() + m_base;
  }
  void Cancel() { m_s.resize(m_base); }

 private:
  String& m_s;
  size_t m_base;
};

class BinarySink {
 public:
  explicit BinarySink(CBinaryData& d) : m_d(d), m_base(d.GetLength()) {}
  char* Resize(size_t m) {
    const uint32_t current = m_d.GetLength();
    if (m > std::numeric_limits<uint32_t>::max() - m_base) {
      BinaryDataAccess::Extend(m_d, m);  // throws the length error
    } else if (m_base + m > current) {
      BinaryDataAccess::Extend(m_d, m_base + m - current);
    } else if (m_base + m < current) {
      BinaryDataAccess::Truncate(m_d, static_cast<uint32_t>(m_base + m));
    }
    return reinterpret_cast<char*>(BinaryDataAccess::MutableData(m_d)) + m_base;
  }
  void Cancel() { BinaryDataAccess::Truncate(m_d, m_base); }

 private:
  CBinaryData& m_d;
  uint32_t m_base;
};

template <class Sink>
bool AppendUtf8(std::wstring_view text, Sink& sink) {
  const wchar_t* s = text.data();
  const size_t n = text.size();
  if (n == 0) return true;
  // Sized for all-ASCII text first, so that the common case needs no more.
  char* d = sink.Resize(n);
  size_t i = NarrowAsciiPrefix(s, n, d);
  if (i == n) return true;
  size_t written = i;
  while (i < n) {
    const size_t count = std::min(n - i, kEncodeStep);
    char* const base = sink.Resize(written + 4 * count);
    size_t consumed = 0;
    const char* end = EncodeUtf8Step(s + i, count, n - i, base + written, consumed);
    if (end == nullptr) {
      sink.Cancel();
      return false;
    }
    written = static_cast<size_t>(end - base);
    i += consumed;
  }
  sink.Resize(written);
  return true;
}

template <class Sink>
bool AppendUtf16Le(std::wstring_view text, Sink& sink) {
  const size_t size = Utf16Size(text.data(), text.size());
  if (size == kMalformed) return false;
  if (size == 0) return true;
  PutUtf16Le(text.data(), text.size(), reinterpret_cast<unsigned char*>(sink.Resize(size)));
  return true;
}

}  // namespace

bool WideToUtf8(std::wstring_view text, std::string& out) {
  StringSink<std::string> sink(out);
  return AppendUtf8(text, sink);
}

bool WideToUtf8(std::wstring_view text, CBinaryData& out) {
  BinarySink sink(out);
  return AppendUtf8(text, sink);
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  WideToUtf8(text, out);
  return out;
}

CBinaryData WideToUtf8Data(std::wstring_view text) {
  const wchar_t* s = text.data();
  const size_t n = text.size();
  unsigned char* bytes = nullptr;
  if (AsciiPrefixLength(s, n) == n) {
    if (n == 0) return CBinaryData();
    CBinaryData out = BinaryDataAccess::Allocate(n, bytes);
    NarrowAsciiPrefix(s, n, reinterpret_cast<char*>(bytes));
    return out;
  }
  // Other text is sized by encoding it.
  std::string utf8;
  if (!WideToUtf8(text, utf8)) return CBinaryData();
  CBinaryData out = BinaryDataAccess::Allocate(utf8.size(), bytes);
  std::memcpy(bytes, utf8.data(), utf8.size());
  return out;
}

char* PutUtf8(std::wstring_view text, char* d) noexcept {
  const size_t n = text.size();
  const size_t ascii = NarrowAsciiPrefix(text.data(), n, d);
  if (ascii == n) return d + n;
  size_t consumed = 0;
  return EncodeUtf8Step(text.data() + ascii, n - ascii, n - ascii, d + ascii, consumed);
}

std::string WideToUtf8Replacing(std::wstring_view text) {
  std::string out;
  if (WideToUtf8(text, out)) return out;
  // Rare: only text quoting malformed input gets here.
  const size_t n = text.size();
  out.reserve(n + 8);
  for (size_t i = 0; i < n;) {
    char bytes[4];
    char* d = bytes;
    if (!EncodeOne(text.data(), i, n, d)) {
      constexpr wchar_t kReplacement[] = L"\uFFFD";
      size_t at = 0;
      EncodeOne(kReplacement, at, 1, d);
      ++i;
    }
    out.append(bytes, static_cast<size_t>(d - bytes));
  }
  return out;
}

size_t Utf8ValidPrefixLength(std::string_view bytes) noexcept {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
#if defined(__SSE2__)
    if (n - i >= 16 &&
        _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i))) == 0) {
      i += 16;
      continue;
    }
#endif
    if (s[i] < 0x80) {
      ++i;
      continue;
    }
    uint32_t cp = 0;
    const size_t length = DecodeUtf8Sequence(s + i, n - i, cp);
    if (length == 0) return i;
    i += length;
  }
  return n;
}

wchar_t* PutWide(std::string_view bytes, wchar_t* d) noexcept {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    const size_t ascii = WidenAsciiBlock(s + i, n - i, d);
    if (ascii != 0) {
      i += ascii;
      d += ascii;
      continue;
    }
    // Character by character up to the next block.
    for (const size_t stop = std::min(n, i + 16); i < stop;) {
      const uint32_t b0 = s[i];
      if (b0 < 0x80) {
        *d++ = static_cast<wchar_t>(b0);
        ++i;
        continue;
      }
      uint32_t cp = 0;
      const size_t length = DecodeUtf8Sequence(s + i, n - i, cp);
      if (length == 0) return nullptr;
      *d++ = static_cast<wchar_t>(cp);
      i += length;
    }
  }
  return d;
}

bool Utf8ToWide(std::string_view bytes, std::wstring& out) {
  if (bytes.empty()) return true;
  StringSink<std::wstring> sink(out);
  // No text has more code points than UTF-8 bytes.
  wchar_t* const start = sink.Resize(bytes.size());
  const wchar_t* end = PutWide(bytes, start);
  if (!end) {
    sink.Cancel();
    return false;
  }
  sink.Resize(static_cast<size_t>(end - start));
  return true;
}

std::wstring Utf8ToWide(std::string_view bytes) {
  std::wstring out;
  Utf8ToWide(bytes, out);
  return out;
}

bool WideToUtf16Le(std::wstring_view text, std::string& out) {
  StringSink<std::string> sink(out);
  return AppendUtf16Le(text, sink);
}

bool WideToUtf16Le(std::wstring_view text, CBinaryData& out) {
  BinarySink sink(out);
  return AppendUtf16Le(text, sink);
}

std::string WideToUtf16Le(std::wstring_view text) {
  std::string out;
  WideToUtf16Le(text, out);
  return out;
}

bool Utf16LeToWide(std::string_view bytes, std::wstring& out) {
  if (bytes.size() % 2 != 0) return false;
  const size_t units = bytes.size() / 2;
  if (units == 0) return true;
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  StringSink<std::wstring> sink(out);
  wchar_t* const start = sink.Resize(units);
  wchar_t* d = start;
  for (size_t i = 0; i < units; ++i) {
    uint32_t c = s[2 * i] | (static_cast<uint32_t>(s[2 * i + 1]) << 8);
    if (IsSurrogate(c)) {
      const uint32_t next =
          i + 1 < units ? s[2 * i + 2] | (static_cast<uint32_t>(s[2 * i + 3]) << 8) : 0;
      if (!IsHighSurrogate(c) || !IsLowSurrogate(next)) {
        sink.Cancel();
        return false;
      }
      c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
      ++i;
    }
    *d++ = static_cast<wchar_t>(c);
  }
  sink.Resize(static_cast<size_t>(d - start));
  return true;
}

std::wstring Utf16LeToWide(std::string_view bytes) {
  std::wstring out;
  Utf16LeToWide(bytes, out);
  return out;
}

std::string WideToUtf8Lenient(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    uint32_t c = CodeOf(wc);
    if (c >= 0x200000) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void Utf8ToWideLenient(std::string_view bytes, std::wstring& out, size_t maxCharacters) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n && maxCharacters > 0; --maxCharacters) {
    uint32_t cp = s[i];
    const size_t length = cp < 0x80 ? 1 : DecodeUtf8Sequence(s + i, n - i, cp);
    out += static_cast<wchar_t>(length == 0 ? s[i] : cp);
    i += length == 0 ? 1 : length;
  }
}

size_t Utf16LeUnitsSize(std::wstring_view text) noexcept {
  size_t size = 0;
  for (wchar_t c : text) size += CodeOf(c) - 0x10000u <= 0xFFFFFu ? 4 : 2;
  return size;
}

unsigned char* PutUtf16LeUnits(std::wstring_view text, unsigned char* out) noexcept {
  return PutUtf16Le(text.data(), text.size(), out);
}

}  // namespace Korvel::detail
