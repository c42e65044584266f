// SPDX-License-Identifier: MIT
// Patterns of fixed length over ASCII, such as \d{3}-[A-Z]{2}: codes and part
// numbers, checked on every value read or written. Matched position by
// position, without the automaton and without converting the value to UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace Korvel::detail {

class FixedPattern {
 public:
  // The pattern as one set of ASCII characters per position, or nothing when
  // it uses more than literals, \d, escaped characters, positive classes of
  // those and exact counts {n}: the general matcher decides all the rest.
  static std::optional<FixedPattern> Parse(std::string_view pattern);

  // Whether the matcher can decide for value: true when every character is
  // ASCII (a non-ASCII \d, for one, is left to the general matcher).
  static bool Decides(std::wstring_view value) noexcept;
  bool Matches(std::wstring_view value) const noexcept;

 private:
  // Bit c of the pair is set when position admits character c.
  using AsciiSet = std::array<uint64_t, 2>;

  std::vector<AsciiSet> m_positions;
};

}  // namespace Korvel::detail
