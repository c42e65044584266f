// SPDX-License-Identifier: MIT
// The vocabulary indexes the Fast Infoset writer has found, kept where it finds
// them again cheaply.
#pragma once

#include <cstddef>
#include <cstdint>
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
    Key(std::wstring_view a, std::wstring_view b = {}, std::wstring_view c = {}) noexcept;
    std::wstring_view parts[3];
    uint64_t hash;
  };

  IndexCache() : m_slots(kInitialSlots) {}

  bool Find(const Key& key, uint32_t& index) const noexcept;
  void Add(const Key& key, uint32_t index);

 private:
  static constexpr size_t kInitialSlots = 64;

  struct Slot {
    uint64_t hash = 0;
    uint32_t index = 0;  // 0 while the slot is free: indexes start at 1
    uint32_t sizes[3] = {};
    std::wstring text;  // the parts, one after the other
  };

  static bool Matches(const Slot& slot, const Key& key) noexcept;
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
