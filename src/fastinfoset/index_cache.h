// SPDX-License-Identifier: MIT
// The vocabulary indexes the Fast Infoset writer has found, kept where it finds
// them again cheaply.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
  uint64_t any = differ(n - 4);
  for (size_t i = 0; i + 4 < n; i += 4) any |= differ(i);
  return any == 0;
}

// Names and many values repeat on every element: looked up here they cost a
// sampled hash of their parts and one comparison, where the vocabulary builds
// a key and hashes all of it with the standard hash. The vocabulary only ever adds entries,
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

  // Samples two code units at the start, a third and two thirds in, and at
  // the end of each part: all of a part of up to eight, which is most names
  // and the short values that are entered, with independent multiplies. A
  // long part's other units only decide between keys that share a hash.
  static uint64_t Hash(const std::wstring_view (&parts)[3]) noexcept {
    uint64_t hash = HashPart(parts[0]) ^ Rotate(HashPart(parts[1]), 21) ^
                    Rotate(HashPart(parts[2]), 42) ^
                    (parts[0].size() | parts[1].size() << 21 | parts[2].size() << 42) * kMix[4];
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
  static bool Matches(const Slot& slot, const Key& key) noexcept {
    const wchar_t* text = slot.text.data();
    for (size_t i = 0; i < 3; ++i) {
      const std::wstring_view part = key.parts[i];
      if (slot.sizes[i] != part.size() || !SameUnits(text, part)) return false;
      text += part.size();
    }
    return true;
  }

  static constexpr uint64_t kMix[5] = {0x9E3779B97F4A7C15u, 0xC2B2AE3D27D4EB4Fu,
                                       0x165667B19E3779F9u, 0xD6E8FEB86659FD93u,
                                       0xFF51AFD7ED558CCDu};

  void Grow();

  std::vector<Slot> m_slots;  // open addressing, at most half full
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
  bool Find(std::wstring_view localName, std::wstring_view namespaceUri,
            uint32_t& index) const noexcept {
    const Entry* set = SetOf(localName.data());
    for (size_t way = 0; way < kWays; ++way) {
      const Entry& entry = set[way];
      if (entry.localData != localName.data()) continue;
      if (!Same(entry.localName, localName) || !Same(entry.namespaceUri, namespaceUri)) {
        return false;
      }
      index = entry.index;
      return true;
    }
    return false;
  }
  // Replaces the entry of the same address, or else the one of its set met
  // least recently.
  void Remember(std::wstring_view localName, std::wstring_view namespaceUri, uint32_t index) {
    Entry* set = SetOf(localName.data());
    if (set[0].localData != localName.data()) std::swap(set[0], set[1]);
    Entry& entry = set[0];
    entry.localData = localName.data();
    entry.localName.assign(localName);
    entry.namespaceUri.assign(namespaceUri);
    entry.index = index;
  }

 private:
  // Two ways, so that two names of one set do not push each other out; sets
  // enough that a document's names rarely share one.
  static constexpr size_t kWays = 2;
  static constexpr unsigned kSetBits = 5;

  struct Entry {
    const wchar_t* localData = nullptr;
    std::wstring localName;
    std::wstring namespaceUri;
    uint32_t index = 0;
  };

  Entry* SetOf(const wchar_t* address) noexcept {
    return &m_entries[SetIndex(address) * kWays];
  }
  const Entry* SetOf(const wchar_t* address) const noexcept {
    return &m_entries[SetIndex(address) * kWays];
  }
  // The high bits of a multiplicative hash: addresses of strings differ in
  // their middle bits, which the multiplication carries up.
  static size_t SetIndex(const wchar_t* address) noexcept {
    const uint64_t bits = reinterpret_cast<uintptr_t>(address);
    return static_cast<size_t>((bits * 0x9E3779B97F4A7C15u) >> (64 - kSetBits));
  }
  static bool Same(const std::wstring& kept, std::wstring_view text) noexcept {
    return kept.size() == text.size() && SameUnits(kept.data(), text);
  }

  std::array<Entry, kWays << kSetBits> m_entries;
};

// The writer's caches, one per vocabulary map it looks up.
struct IndexCaches {
  RecentNames recentElementNames;
  RecentNames recentAttributeNames;
  IndexCache elementNames;
  IndexCache attributeNames;
  IndexCache characterChunks;
  IndexCache attributeValues;
};

}  // namespace Korvel::detail::fi
