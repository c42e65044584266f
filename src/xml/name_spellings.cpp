// SPDX-License-Identifier: MIT
// NameSpellings: open addressing with linear probing.
#include "xml/name_spellings.h"

#include <functional>
#include <utility>

namespace Korvel::detail {

namespace {
constexpr size_t kInitialSlots = 64;
}  // namespace

NameSpellings::NameSpellings() : m_slots(kInitialSlots) {}

uint64_t NameSpellings::Hash(std::string_view spelling) noexcept {
  return std::hash<std::string_view>()(spelling);
}

const XmlName* NameSpellings::Find(std::string_view spelling, uint64_t hash) const noexcept {
  const size_t mask = m_slots.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = m_slots[i];
    if (!slot.name) return nullptr;
    if (slot.hash == hash && slot.spelling == spelling) return slot.name;
  }
}

void NameSpellings::Add(std::string_view spelling, uint64_t hash, const XmlName* name) {
  if (2 * (m_count + 1) > m_slots.size()) Grow();
  const std::string& held = m_spellings.emplace_back(spelling);
  const size_t mask = m_slots.size() - 1;
  size_t i = hash & mask;
  while (m_slots[i].name) i = (i + 1) & mask;
  m_slots[i] = Slot{hash, held, name};
  ++m_count;
}

void NameSpellings::Grow() {
  std::vector<Slot> slots(m_slots.size() * 2);
  const size_t mask = slots.size() - 1;
  for (const Slot& slot : m_slots) {
    if (!slot.name) continue;
    size_t i = slot.hash & mask;
    while (slots[i].name) i = (i + 1) & mask;
    slots[i] = slot;
  }
  m_slots = std::move(slots);
}

}  // namespace Korvel::detail
