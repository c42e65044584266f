// SPDX-License-Identifier: MIT
// The hash of text that documents bring (names, prefixes, values), keyed with
// the process secret. With a hash anyone can compute, a document could be
// written whose thousands of names all fall into one bucket, and each lookup
// would then walk them all: loading it would take quadratic time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/random.h"

namespace Korvel::detail {

class KeyedHash {
 public:
  KeyedHash() noexcept : KeyedHash(platform::ProcessSecret()) {}
  explicit KeyedHash(uint64_t secret) noexcept : m_a(secret), m_b(Mix(secret ^ kOdd2)) {}

  uint64_t operator()(std::string_view bytes) const noexcept {
    return Bytes(bytes.data(), bytes.size());
  }
  uint64_t operator()(std::wstring_view text) const noexcept {
    return Bytes(text.data(), text.size() * sizeof(wchar_t));
  }

  // Sixteen bytes a step through a 64 x 64 -> 128 bit product, both factors
  // masked with the key, so that no chosen input cancels the key out. Inline:
  // names and short values are hashed once each on the way into a tree.
  uint64_t Bytes(const void* data, size_t size) const noexcept {
    const auto* p = static_cast<const unsigned char*>(data);
    uint64_t state = m_b ^ (size * kOdd1);
    size_t n = size;
    for (; n > 16; p += 16, n -= 16) state = Fold(Load8(p) ^ m_a, Load8(p + 8) ^ state);
    uint64_t first = 0;
    uint64_t last = 0;
    if (n >= 8) {
      first = Load8(p);
      last = Load8(p + n - 8);  // may overlap the first word
    } else if (n >= 4) {
      first = Load4(p);
      last = Load4(p + n - 4);
    } else if (n > 0) {
      first = uint64_t{p[0]} << 16 | uint64_t{p[n / 2]} << 8 | p[n - 1];
    }
    return Fold(Fold(first ^ m_a, last ^ state) ^ m_b, size ^ m_a);
  }

 private:
  static constexpr uint64_t kOdd1 = 0x9E3779B97F4A7C15u;
  static constexpr uint64_t kOdd2 = 0xD6E8FEB86659FD93u;

  static uint64_t Load8(const unsigned char* p) noexcept {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
  }
  static uint64_t Load4(const unsigned char* p) noexcept {
    uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
  }
  // The halves of the full product folded together (g++ and clang both have
  // the 128-bit type; __extension__ tells -pedantic so).
  __extension__ using Product = unsigned __int128;
  static uint64_t Fold(uint64_t a, uint64_t b) noexcept {
    const Product product = static_cast<Product>(a) * b;
    return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
  }
  static uint64_t Mix(uint64_t x) noexcept {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
  }

  uint64_t m_a;
  uint64_t m_b;
};

// For the standard containers keyed by byte strings.
struct KeyedTextHash {
  KeyedHash hash;
  size_t operator()(std::string_view bytes) const noexcept { return hash(bytes); }
};

}  // namespace Korvel::detail
