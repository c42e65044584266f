// SPDX-License-Identifier: MIT
// The names a parser reports, as it spells them, mapped to a document's
// interned names: one lookup per element and attribute, so it is kept lean.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/xml_document.h>

namespace Korvel::detail {

// Open addressing over a power-of-two table, half full at most: a hit costs a
// hash, one probe or two and a comparison, without the bucket division and
// node chasing of a standard map. A document has few distinct names.
class NameSpellings {
 public:
  NameSpellings();

  static uint64_t Hash(std::string_view spelling) noexcept;
  // Null when the spelling has not been added.
  const XmlName* Find(std::string_view spelling, uint64_t hash) const noexcept;
  void Add(std::string_view spelling, uint64_t hash, const XmlName* name);

 private:
  struct Slot {
    uint64_t hash = 0;
    std::string_view spelling;  // views m_spellings
    const XmlName* name = nullptr;
  };
  void Grow();

  std::vector<Slot> m_slots;
  size_t m_count = 0;
  std::deque<std::string> m_spellings;
};

}  // namespace Korvel::detail
