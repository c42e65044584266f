// SPDX-License-Identifier: MIT
// IndexCache: adding keys and growing the table.
#include "fastinfoset/index_cache.h"

#include <utility>

namespace Korvel::detail::fi {

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
