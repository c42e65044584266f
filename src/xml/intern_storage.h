// SPDX-License-Identifier: MIT
// The storage behind a document's tables of names and shared texts: made for
// every document, small ones included, so nothing is allocated before the
// first entry and nothing per entry but what the entry itself holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Korvel::detail {

// Items made in chunks that double in size: an item stays where it was made,
// and whether an address is one of them takes a comparison or two per chunk.
template <class T>
class StableChunks {
 public:
  // A value-initialised item.
  T& Add() {
    if (m_chunks.empty() || m_used == ChunkSize(m_chunks.size() - 1)) {
      m_chunks.reserve(m_chunks.size() + 1);
      m_chunks.push_back(std::make_unique<T[]>(ChunkSize(m_chunks.size())));
      m_used = 0;
    }
    return m_chunks.back()[m_used++];
  }
  // Takes back the item Add made last, for an entry that could not be indexed.
  void DropLast() noexcept { m_chunks.back()[--m_used] = T(); }
  bool Holds(const T* item) const noexcept {
    const std::less<const T*> before;
    // The newest chunk is the largest: most items are there.
    for (size_t chunk = m_chunks.size(); chunk-- > 0;) {
      const T* first = m_chunks[chunk].get();
      if (!before(item, first) && before(item, first + ChunkSize(chunk))) return true;
    }
    return false;
  }
  void Clear() noexcept {
    m_chunks.clear();
    m_used = 0;
  }

 private:
  static constexpr size_t kFirstChunk = 16;
  static size_t ChunkSize(size_t chunk) noexcept { return kFirstChunk << chunk; }

  std::vector<std::unique_ptr<T[]>> m_chunks;
  size_t m_used = 0;  // items made in the newest chunk
};

// Items found by hash and content: open addressing over a power-of-two table,
// half full at most.
template <class T>
class HashIndex {
 public:
  // The item of this hash that same accepts, or null.
  template <class Same>
  T* Find(uint64_t hash, Same&& same) const noexcept {
    if (m_slots.empty()) return nullptr;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = m_slots[i];
      if (!slot.item || (slot.hash == hash && same(*slot.item))) return slot.item;
    }
  }
  // Adds an item Find did not find; throws std::bad_alloc.
  void Add(uint64_t hash, T* item) {
    if (2 * (m_count + 1) > m_slots.size()) Grow();
    Place(m_slots, Slot{hash, item});
    ++m_count;
  }
  void Clear() noexcept {
    m_slots.clear();
    m_count = 0;
  }

 private:
  struct Slot {
    uint64_t hash = 0;
    T* item = nullptr;
  };
  static void Place(std::vector<Slot>& slots, const Slot& slot) noexcept {
    const size_t mask = slots.size() - 1;
    size_t i = slot.hash & mask;
    while (slots[i].item) i = (i + 1) & mask;
    slots[i] = slot;
  }
  void Grow() {
    std::vector<Slot> slots(m_slots.empty() ? 32 : 2 * m_slots.size());
    for (const Slot& slot : m_slots) {
      if (slot.item) Place(slots, slot);
    }
    m_slots = std::move(slots);
  }

  std::vector<Slot> m_slots;
  size_t m_count = 0;
};

}  // namespace Korvel::detail
