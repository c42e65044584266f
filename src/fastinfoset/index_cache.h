// SPDX-License-Identifier: MIT
// The vocabulary indexes the Fast Infoset writer has found, kept where it finds
// them again cheaply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace Korvel::detail::fi {

// Names and many values repeat on every element: looked up here they cost a
// hash of their parts and one comparison, where the vocabulary builds a key
// and hashes it with the standard hash. The vocabulary only ever adds entries,
// so an index once found stays right.
class IndexCache {
 public:
  // Up to three parts: a qualified name is local name, namespace and prefix.
  struct Key {
    Key(std::wstring_view a, std::wstring_view b = {}, std::wstring_view c = {}) noexcept
        : parts{a, b, c}, hash(Hash(parts)) {}
    std::wstring_view parts[3];
    uint64_t hash;
  };

  IndexCache() : m_slots(kInitialSlots) {}

  // Inline, as the writer calls it for every element and short value.
  bool Find(const Key& key, uint32_t& index) const noexcept {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = key.hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = m_slots[i];
      if (slot.index == 0) return false;
      if (slot.hash == key.hash && Matches(slot, key)) {
        index = slot.index;
        return true;
      }
    }
  }
  void Add(const Key& key, uint32_t index);

 private:
  static constexpr size_t kInitialSlots = 64;

  struct Slot {
    uint64_t hash = 0;
    uint32_t index = 0;  // 0 while the slot is free: indexes start at 1
    uint32_t sizes[3] = {};
    std::wstring text;  // the parts, one after the other
  };

  // Four code units per multiply on the dependency chain, the lengths of the
  // parts mixed in at the end so that ("ab", "c") and ("a", "bc") differ.
  static uint64_t Hash(const std::wstring_view (&parts)[3]) noexcept {
    constexpr uint64_t k1 = 0x9E3779B97F4A7C15u;
    constexpr uint64_t k2 = 0xC2B2AE3D27D4EB4Fu;
    uint64_t hash = 0;
    for (const std::wstring_view part : parts) {
      const wchar_t* p = part.data();
      size_t n = part.size();
      for (; n >= 4; n -= 4, p += 4) {
        const uint64_t a = Load64(p) * k1;
        const uint64_t b = Load64(p + 2) * k2;
        hash = (hash ^ a ^ ((b << 31) | (b >> 33))) * k1;
      }
      for (; n > 0; --n, ++p) hash = (hash ^ static_cast<uint32_t>(*p)) * k2;
    }
    hash = (hash ^ (parts[0].size() | parts[1].size() << 21 | parts[2].size() << 42)) * k1;
    // The table takes the low bits, which the multiplications fill least.
    return hash ^ (hash >> 32);
  }
  static uint64_t Load64(const wchar_t* p) noexcept {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
  }
  static bool Matches(const Slot& slot, const Key& key) noexcept {
    const wchar_t* text = slot.text.data();
    for (size_t i = 0; i < 3; ++i) {
      const std::wstring_view part = key.parts[i];
      if (slot.sizes[i] != part.size()) return false;
      for (const wchar_t c : part) {
        if (*text++ != c) return false;
      }
    }
    return true;
  }
  void Grow();

  std::vector<Slot> m_slots;  // open addressing, at most half full
  size_t m_count = 0;
};

// The writer's caches, one per vocabulary map it looks up.
struct IndexCaches {
  IndexCache elementNames;
  IndexCache attributeNames;
  IndexCache characterChunks;
  IndexCache attributeValues;
};

}  // namespace Korvel::detail::fi
