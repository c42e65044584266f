// SPDX-License-Identifier: MIT
// IndexCache: hashing the parts of a key, and open addressing over its slots.
#include "fastinfoset/index_cache.h"

#include <cstring>
#include <utility>

namespace Korvel::detail::fi {

namespace {

inline uint64_t Load64(const wchar_t* p) noexcept {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Four code units per multiply on the dependency chain; each part's length is
// mixed in, so that ("ab", "c") and ("a", "bc") differ.
uint64_t HashParts(const std::wstring_view (&parts)[3]) noexcept {
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
    hash = (hash ^ part.size()) * k1;
  }
  // The table takes the low bits, which the multiplications fill least.
  return hash ^ (hash >> 32);
}

}  // namespace

IndexCache::Key::Key(std::wstring_view a, std::wstring_view b, std::wstring_view c) noexcept
    : parts{a, b, c}, hash(HashParts(parts)) {}

bool IndexCache::Matches(const Slot& slot, const Key& key) noexcept {
  if (slot.hash != key.hash) return false;
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

bool IndexCache::Find(const Key& key, uint32_t& index) const noexcept {
  const size_t mask = m_slots.size() - 1;
  for (size_t i = key.hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = m_slots[i];
    if (slot.index == 0) return false;
    if (Matches(slot, key)) {
      index = slot.index;
      return true;
    }
  }
}

void IndexCache::Add(const Key& key, uint32_t index) {
  if (2 * (m_count + 1) > m_slots.size()) Grow();
  const size_t mask = m_slots.size() - 1;
  size_t i = key.hash & mask;
  while (m_slots[i].index != 0) i = (i + 1) & mask;
  Slot& slot = m_slots[i];
  slot.hash = key.hash;
  slot.index = index;
  for (size_t p = 0; p < 3; ++p) {
    slot.sizes[p] = static_cast<uint32_t>(key.parts[p].size());
    slot.text.append(key.parts[p]);
  }
  ++m_count;
}

void IndexCache::Grow() {
  std::vector<Slot> slots(m_slots.size() * 2);
  const size_t mask = slots.size() - 1;
  for (Slot& slot : m_slots) {
    if (slot.index == 0) continue;
    size_t i = slot.hash & mask;
    while (slots[i].index != 0) i = (i + 1) & mask;
    slots[i] = std::move(slot);
  }
  m_slots = std::move(slots);
}

}  // namespace Korvel::detail::fi
