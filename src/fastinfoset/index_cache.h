// SPDX-License-Identifier: MIT
// The vocabulary indexes the Fast Infoset writer has found, kept where it finds
// them again cheaply.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Korvel::detail::fi {

inline uint64_t Load64(const wchar_t* p) noexcept {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Whether the first text.size() code units at kept are text's. Names and the
// values looked up are short: compared four units a step, the last step
// overlapping the one before where the size is not a multiple of four, with a
// single branch at the end rather than one per unit or a call.
inline bool SameUnits(const wchar_t* kept, std::wstring_view text) noexcept {
  const size_t n = text.size();
  const wchar_t* t = text.data();
  if (n < 2) return n == 0 || kept[0] == t[0];
  if (n < 4) return ((Load64(kept) ^ Load64(t)) | (Load64(kept + n - 2) ^ Load64(t + n - 2))) == 0;
  const auto differ = [&](size_t i) {
    return (Load64(kept + i) ^ Load64(t + i)) | (Load64(kept + i + 2) ^ Load64(t + i + 2));
  };
  uint64_t any = differ(0) | differ(n - 4);
  for (size_t i = 4; i + 4 < n; i += 4) any |= differ(i);
  return any == 0;
}

// Names and many values repeat on every element: looked up here they cost a
// sampled hash of their parts and one comparison, where the vocabulary builds
// a key and hashes all of it with the standard hash. The vocabulary only ever
// adds entries, so an index once found stays right. Keys have kParts parts: a
// qualified name is local name, namespace and prefix, a value one text.
template <size_t kParts>
class IndexCache {
 public:
  using Parts = std::array<std::wstring_view, kParts>;
  struct Key {
    Key(std::wstring_view text) noexcept : Key(Parts{text}) {}
    Key(std::wstring_view localName, std::wstring_view namespaceUri,
        std::wstring_view prefix) noexcept
        : Key(Parts{localName, namespaceUri, prefix}) {}
    explicit Key(const Parts& parts) noexcept : parts(parts), hash(Hash(parts)) {}
    Parts parts;
    uint64_t hash;
  };

  IndexCache() : m_slots(kInitialSlots) {}

  // Inline, as the writer calls it for every element and short value.
  bool Find(const Key& key, uint32_t& index) const noexcept {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = key.hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = m_slots[i];
      if (slot.index == 0) return false;
      if (slot.hash == key.hash && Matches(&m_texts[slot.text], key.parts)) {
        index = slot.index;
        return true;
      }
    }
  }

  void Add(const Key& key, uint32_t index) {
    // Slots locate texts in 32 bits: beyond that the cache takes no more keys.
    if (m_texts.size() > std::numeric_limits<uint32_t>::max()) return;
    if (2 * (m_count + 1) > m_slots.size()) Grow();
    Slot& slot = m_slots[FreeSlot(m_slots, key.hash)];
    slot.hash = key.hash;
    slot.index = index;
    slot.text = static_cast<uint32_t>(m_texts.size());
    for (const std::wstring_view part : key.parts) {
      m_texts.push_back(static_cast<wchar_t>(part.size()));
    }
    for (const std::wstring_view part : key.parts) m_texts.append(part);
    ++m_count;
  }

 private:
  static constexpr size_t kInitialSlots = 64;

  // Small, so that the slots of a few hundred keys stay in the nearest cache
  // while the writer streams through a document: the keys' text lies apart.
  struct Slot {
    uint64_t hash = 0;
    uint32_t index = 0;  // 0 while the slot is free: indexes start at 1
    uint32_t text = 0;   // where the key's text starts in m_texts
  };

  // Samples two code units at the start, a third and two thirds in, and at
  // the end of each part: all of a part of up to eight, which is most names
  // and the short values that are entered, with independent multiplies. A
  // long part's other units only decide between keys that share a hash.
  static uint64_t Hash(const Parts& parts) noexcept {
    uint64_t hash = HashPart(parts[0]);
    uint64_t sizes = parts[0].size();
    for (size_t i = 1; i < kParts; ++i) {
      hash ^= Rotate(HashPart(parts[i]), static_cast<int>(21 * i));
      sizes |= static_cast<uint64_t>(parts[i].size()) << (21 * i);
    }
    hash ^= sizes * kMix[4];
    // The table takes the low bits, which the multiplications fill least.
    hash ^= hash >> 32;
    return hash ^ (hash >> 17);
  }
  static uint64_t HashPart(std::wstring_view part) noexcept {
    const wchar_t* p = part.data();
    const size_t n = part.size();
    if (n < 2) return n == 1 ? static_cast<uint32_t>(p[0]) * kMix[0] : 0;
    const size_t last = n - 2;
    return Load64(p) * kMix[0] ^ Load64(p + last / 3) * kMix[1] ^
           Load64(p + 2 * last / 3) * kMix[2] ^ Load64(p + last) * kMix[3];
  }
  static uint64_t Rotate(uint64_t x, int bits) noexcept { return x << bits | x >> (64 - bits); }
  // A key's text is the sizes of its parts, then their units one after the
  // other.
  static bool Matches(const wchar_t* text, const Parts& parts) noexcept {
    for (size_t i = 0; i < kParts; ++i) {
      if (static_cast<size_t>(text[i]) != parts[i].size()) return false;
    }
    text += kParts;
    for (const std::wstring_view part : parts) {
      if (!SameUnits(text, part)) return false;
      text += part.size();
    }
    return true;
  }
  static size_t FreeSlot(const std::vector<Slot>& slots, uint64_t hash) noexcept {
    const size_t mask = slots.size() - 1;
    size_t i = hash & mask;
    while (slots[i].index != 0) i = (i + 1) & mask;
    return i;
  }

  static constexpr uint64_t kMix[5] = {0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu,
                                       0x165667B19E3779F9u, 0xD6E8FEB86659FD93u,
                                       0xFF51AFD7ED558CCDu};

  void Grow() {
    std::vector<Slot> slots(m_slots.size() * 2);
    for (const Slot& slot : m_slots) {
      if (slot.index != 0) slots[FreeSlot(slots, slot.hash)] = slot;
    }
    m_slots = std::move(slots);
  }

  std::vector<Slot> m_slots;  // open addressing, at most half full
  std::wstring m_texts;       // the keys' texts, one after the other
  size_t m_count = 0;
};

// The unprefixed names met last, by the address of their local name's text:
// the binding hands the writer the same strings (those of the class metadata
// and of the objects written) over and over, and the writer keeps an
// element's pending attributes in the same strings from element to element.
// An entry keeps a copy of what it matched, so that a string changed in
// place, or another at the same address, only misses: a hit costs a hash of
// the address and a comparison of a few characters instead of a hash of the
// text and a probe.
class RecentNames {
 public:
  // lasting tells that the strings are ones that stay as they are for as long
  // as the writer lives (the class metadata's): once an entry has been
  // checked against them, its address alone finds it.
  bool Find(std::wstring_view localName, std::wstring_view namespaceUri, uint32_t& index,
            bool lasting = false) noexcept {
    Entry* set = SetOf(localName.data());
    for (size_t way = 0; way < kWays; ++way) {
      Entry& entry = set[way];
      if (entry.localData != localName.data()) continue;
      if (!(lasting && entry.lasting)) {
        if (entry.localSize != localName.size() || !SameUnits(entry.localName, localName) ||
            entry.namespaceUri.size() != namespaceUri.size() ||
            !SameUnits(entry.namespaceUri.data(), namespaceUri)) {
          return false;
        }
        entry.lasting = lasting;
      }
      index = entry.index;
      return true;
    }
    return false;
  }
  // Replaces the entry of the same address, or else the one of its set met
  // least recently. A local name too long to be kept in the entry is not
  // remembered: such names are rare, and the caches behind find them too.
  void Remember(std::wstring_view localName, std::wstring_view namespaceUri, uint32_t index) {
    if (localName.size() > kLongestName) return;
    Entry* set = SetOf(localName.data());
    if (set[0].localData != localName.data()) std::swap(set[0], set[1]);
    Entry& entry = set[0];
    entry.localData = localName.data();
    entry.lasting = false;
    entry.localSize = static_cast<uint32_t>(localName.size());
    localName.copy(entry.localName, localName.size());
    entry.namespaceUri.assign(namespaceUri);
    entry.index = index;
  }

 private:
  // Two ways, so that two names of one set do not push each other out; sets
  // enough that a document's names rarely share one.
  static constexpr size_t kWays = 2;
  static constexpr unsigned kSetBits = 5;
  static constexpr size_t kLongestName = 24;

  // The local name is kept in the entry itself: a lookup that reads it reads
  // no other block, where most of its time went waiting for a copy's.
  struct Entry {
    const wchar_t* localData = nullptr;
    uint32_t index = 0;
    uint32_t localSize = 0;
    bool lasting = false;  // checked against strings that stay as they are
    wchar_t localName[kLongestName] = {};
    std::wstring namespaceUri;
  };

  Entry* SetOf(const wchar_t* address) noexcept { return &m_entries[SetIndex(address) * kWays]; }
  // The high bits of a multiplicative hash: addresses of strings differ in
  // their middle bits, which the multiplication carries up.
  static size_t SetIndex(const wchar_t* address) noexcept {
    const uint64_t bits = reinterpret_cast<uintptr_t>(address);
    return static_cast<size_t>((bits * 0x9E3779B97F4A7C15u) >> (64 - kSetBits));
  }

  std::array<Entry, kWays << kSetBits> m_entries;
};

// The writer's caches, one per vocabulary map it looks up.
struct IndexCaches {
  RecentNames recentElementNames;
  RecentNames recentAttributeNames;
  IndexCache<3> elementNames;
  IndexCache<3> attributeNames;
  IndexCache<1> characterChunks;
  IndexCache<1> attributeValues;
};

}  // namespace Korvel::detail::fi
