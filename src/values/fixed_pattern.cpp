// SPDX-License-Identifier: MIT
// FixedPattern: a small parser for the fixed-length subset of XSD patterns.
#include "values/fixed_pattern.h"

#include <algorithm>
#include <cstddef>

namespace Korvel::detail {

namespace {

using AsciiSet = std::array<uint64_t, 2>;

// Longer patterns are rare and gain little.
constexpr size_t kMostPositions = 64;

void Add(AsciiSet& set, unsigned char c) noexcept { set[c >> 6] |= uint64_t{1} << (c & 63); }

// Characters that stand for themselves in XSD and in the general matcher alike.
bool IsPlain(char c) noexcept {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         c == ':' || c == '/' || c == ',' || c == '@' || c == '#' || c == ' ' || c == '=';
}

bool IsSingleEscape(char c) noexcept {
  return std::string_view("\\|.-^?*+{}()[]").find(c) != std::string_view::npos;
}

// The escape after a backslash at pattern[i]: \d, \n, \r, \t or an escaped
// metacharacter; false for anything else.
bool AddEscape(std::string_view pattern, size_t& i, AsciiSet& set) {
  if (++i >= pattern.size()) return false;
  const char c = pattern[i++];
  if (c == 'd') {
    for (char digit = '0'; digit <= '9'; ++digit) Add(set, static_cast<unsigned char>(digit));
  } else if (c == 'n' || c == 'r' || c == 't') {
    Add(set, c == 'n' ? '\n' : c == 'r' ? '\r' : '\t');
  } else if (IsSingleEscape(c)) {
    Add(set, static_cast<unsigned char>(c));
  } else {
    return false;
  }
  return true;
}

// A positive class of plain characters, ranges between them and escapes.
bool AddClass(std::string_view pattern, size_t& i, AsciiSet& set) {
  ++i;  // the '['
  bool empty = true;
  while (i < pattern.size() && pattern[i] != ']') {
    if (pattern[i] == '\\') {
      if (!AddEscape(pattern, i, set)) return false;
    } else if (IsPlain(pattern[i])) {
      const char low = pattern[i++];
      char high = low;
      if (i + 1 < pattern.size() && pattern[i] == '-' && IsPlain(pattern[i + 1])) {
        high = pattern[i + 1];
        i += 2;
      }
      if (high < low) return false;
      for (int c = low; c <= high; ++c) Add(set, static_cast<unsigned char>(c));
    } else {
      return false;
    }
    empty = false;
  }
  if (i >= pattern.size() || empty) return false;
  ++i;  // the ']'
  return true;
}

// An exact count {n} at pattern[i], if there is one.
bool ReadCount(std::string_view pattern, size_t& i, size_t& count) {
  count = 1;
  if (i >= pattern.size() || pattern[i] != '{') return true;
  size_t n = 0;
  size_t digits = 0;
  for (++i; i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9'; ++i, ++digits) {
    n = n * 10 + static_cast<size_t>(pattern[i] - '0');
    if (n > kMostPositions) return false;
  }
  if (digits == 0 || i >= pattern.size() || pattern[i] != '}') return false;
  ++i;
  count = n;
  return true;
}

}  // namespace

std::optional<FixedPattern> FixedPattern::Parse(std::string_view pattern) {
  FixedPattern fixed;
  for (size_t i = 0; i < pattern.size();) {
    AsciiSet set{};
    if (pattern[i] == '\\') {
      if (!AddEscape(pattern, i, set)) return std::nullopt;
    } else if (pattern[i] == '[') {
      if (!AddClass(pattern, i, set)) return std::nullopt;
    } else if (IsPlain(pattern[i]) || pattern[i] == '-') {  // a hyphen is plain outside a class
      Add(set, static_cast<unsigned char>(pattern[i++]));
    } else {
      return std::nullopt;
    }
    size_t count = 0;
    if (!ReadCount(pattern, i, count)) return std::nullopt;
    if (fixed.m_positions.size() + count > kMostPositions) return std::nullopt;
    fixed.m_positions.insert(fixed.m_positions.end(), count, set);
  }
  return fixed;
}

bool FixedPattern::Decides(std::wstring_view value) noexcept {
  return std::all_of(value.begin(), value.end(),
                     [](wchar_t c) { return static_cast<uint32_t>(c) < 0x80; });
}

bool FixedPattern::Matches(std::wstring_view value) const noexcept {
  if (value.size() != m_positions.size()) return false;
  for (size_t i = 0; i < value.size(); ++i) {
    const auto c = static_cast<uint32_t>(value[i]);
    if (!(m_positions[i][c >> 6] >> (c & 63) & 1)) return false;
  }
  return true;
}

}  // namespace Korvel::detail
