// SPDX-License-Identifier: MIT
// Patterns over ASCII made of character sets and counts, such as
// [A-Z]{2,4}-\d{4,8} or \d{8}|\d{12,14}: codes and part numbers, checked on
// every value read or written. Matched over the value's characters as they
// are, without the automaton and without converting the value to UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace Korvel::detail {

class SimplePattern {
 public:
  // The pattern as branches (split at |) of sets of ASCII characters, each
  // with its count ({n}, {m,n}, {m,}, ?, * or +), or nothing when it uses
  // more than literals, \d, escaped characters and positive classes of those:
  // the general matcher decides all the rest.
  static std::optional<SimplePattern> Parse(std::string_view pattern);

  // Whether value matches, when the matcher can decide: when every character
  // is ASCII (a non-ASCII \d, for one, is left to the general matcher) and
  // the value is short, or when its length alone rules out a pattern of
  // fixed counts. Nothing otherwise.
  std::optional<bool> Decide(std::wstring_view value) const noexcept;

 private:
  // Bit c of the pair is set when the item admits character c.
  using AsciiSet = std::array<uint64_t, 2>;
  struct Item {
    AsciiSet set;
    uint8_t least;
    uint8_t most;
  };
  using Branch = std::vector<Item>;

  static bool MatchesBranch(const Branch& branch, std::wstring_view value) noexcept;
  std::optional<bool> DecideFixed(std::wstring_view value) const noexcept;

  std::vector<Branch> m_branches;
  // For one branch of fixed counts (a code such as \d{3}-[A-Z]{2}): the set
  // of each position, so that a match is one test per character.
  std::vector<AsciiSet> m_positions;
  bool m_fixed = false;
};

}  // namespace Korvel::detail
