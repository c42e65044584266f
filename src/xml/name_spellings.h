// SPDX-License-Identifier: MIT
// The spellings a parser reports (names, short texts), mapped to what a
// document holds for them: one lookup per element, attribute or value, so it is
// kept lean.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/keyed_hash.h"

namespace Korvel::detail {

// Open addressing over a power-of-two table, half full at most: a hit costs a
// hash, one probe or two and a comparison, without the bucket division and
// node chasing of a standard map.
template <class Value>
class SpellingTable {
 public:
  SpellingTable() : m_slots(kInitialSlots) {}

  // Keyed (see KeyedHash): whoever writes a document cannot make its
  // spellings collide. Tables hash alike within a process.
  uint64_t Hash(std::string_view spelling) const noexcept { return m_hash(spelling); }
  // Null when the spelling has not been added.
  Value* Find(std::string_view spelling, uint64_t hash) const noexcept {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = m_slots[i];
      if (!slot.value) return nullptr;
      if (slot.hash == hash && Same(slot.spelling, spelling)) return slot.value;
    }
  }
  // The table's own copy of the spelling, valid as long as the table.
  std::string_view Add(std::string_view spelling, uint64_t hash, Value* value) {
    if (2 * (m_count + 1) > m_slots.size()) Grow();
    const std::string& held = m_spellings.emplace_back(spelling);
    const size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    while (m_slots[i].value) i = (i + 1) & mask;
    m_slots[i] = Slot{hash, held, value};
    ++m_count;
    return held;
  }
  size_t Size() const noexcept { return m_count; }
  // Equality without a call: spellings are short, names with their
  // namespace a few words. The last word may overlap the ones before.
  static bool Same(std::string_view a, std::string_view b) noexcept {
    const size_t n = a.size();
    if (n != b.size()) return false;
    const char* x = a.data();
    const char* y = b.data();
    if (n >= 8) {
      for (size_t i = 0; i + 8 < n; i += 8) {
        if (Load8(x + i) != Load8(y + i)) return false;
      }
      return Load8(x + n - 8) == Load8(y + n - 8);
    }
    if (n >= 4) return Load4(x) == Load4(y) && Load4(x + n - 4) == Load4(y + n - 4);
    for (size_t i = 0; i < n; ++i) {
      if (x[i] != y[i]) return false;
    }
    return true;
  }

 private:
  static constexpr size_t kInitialSlots = 64;

  static uint64_t Load8(const char* p) noexcept {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
  }
  static uint32_t Load4(const char* p) noexcept {
    uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
  }
  struct Slot {
    uint64_t hash = 0;
    std::string_view spelling;  // views m_spellings
    Value* value = nullptr;
  };

  void Grow() {
    std::vector<Slot> slots(m_slots.size() * 2);
    const size_t mask = slots.size() - 1;
    for (const Slot& slot : m_slots) {
      if (!slot.value) continue;
      size_t i = slot.hash & mask;
      while (slots[i].value) i = (i + 1) & mask;
      slots[i] = slot;
    }
    m_slots = std::move(slots);
  }

  KeyedHash m_hash;
  std::vector<Slot> m_slots;
  size_t m_count = 0;
  std::deque<std::string> m_spellings;
};

}  // namespace Korvel::detail
