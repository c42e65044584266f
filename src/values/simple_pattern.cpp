// SPDX-License-Identifier: MIT
// SimplePattern: a small parser for the subset of XSD patterns made of
// character sets and counts, and its matcher.
#include "values/simple_pattern.h"

#include <algorithm>
#include <cstddef>

namespace Korvel::detail {

namespace {

using AsciiSet = std::array<uint64_t, 2>;

// Counts beyond this, and values longer than the reach of one word of
// positions, are rare and gain little.
constexpr size_t kLargestCount = 64;
constexpr size_t kLongestValue = 63;
constexpr uint8_t kUnbounded = 255;

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

bool ReadNumber(std::string_view pattern, size_t& i, size_t& n) {
  n = 0;
  size_t digits = 0;
  for (; i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9'; ++i, ++digits) {
    n = n * 10 + static_cast<size_t>(pattern[i] - '0');
    if (n > kLargestCount) return false;
  }
  return digits > 0;
}

// The count after an item at pattern[i]: once, ?, *, +, {n}, {m,} or {m,n}.
bool ReadCount(std::string_view pattern, size_t& i, uint8_t& least, uint8_t& most) {
  least = most = 1;
  if (i >= pattern.size()) return true;
  switch (pattern[i]) {
    case '?':
      least = 0;
      return ++i, true;
    case '*':
      least = 0, most = kUnbounded;
      return ++i, true;
    case '+':
      most = kUnbounded;
      return ++i, true;
    case '{':
      break;
    default:
      return true;
  }
  size_t low = 0;
  if (!ReadNumber(pattern, ++i, low) || i >= pattern.size()) return false;
  size_t high = low;
  if (pattern[i] == ',') {
    if (++i < pattern.size() && pattern[i] == '}') {
      high = kUnbounded;
    } else if (!ReadNumber(pattern, i, high) || high < low) {
      return false;
    }
  }
  if (i >= pattern.size() || pattern[i] != '}') return false;
  ++i;
  least = static_cast<uint8_t>(low);
  most = static_cast<uint8_t>(high);
  return true;
}

}  // namespace

std::optional<SimplePattern> SimplePattern::Parse(std::string_view pattern) {
  SimplePattern simple;
  simple.m_branches.emplace_back();
  for (size_t i = 0; i < pattern.size();) {
    if (pattern[i] == '|') {
      simple.m_branches.emplace_back();
      ++i;
      continue;
    }
    Item item{};
    if (pattern[i] == '\\') {
      if (!AddEscape(pattern, i, item.set)) return std::nullopt;
    } else if (pattern[i] == '[') {
      if (!AddClass(pattern, i, item.set)) return std::nullopt;
    } else if (IsPlain(pattern[i]) || pattern[i] == '-') {  // a hyphen is plain outside a class
      Add(item.set, static_cast<unsigned char>(pattern[i++]));
    } else {
      return std::nullopt;
    }
    if (!ReadCount(pattern, i, item.least, item.most)) return std::nullopt;
    simple.m_branches.back().push_back(item);
  }
  const Branch& only = simple.m_branches.front();
  simple.m_fixed = simple.m_branches.size() == 1 &&
                   std::all_of(only.begin(), only.end(),
                               [](const Item& item) { return item.least == item.most; });
  if (simple.m_fixed) {
    for (const Item& item : only) {
      simple.m_positions.insert(simple.m_positions.end(), item.least, item.set);
    }
  }
  return simple;
}

std::optional<bool> SimplePattern::Decide(std::wstring_view value) const noexcept {
  if (m_fixed) return DecideFixed(value);
  const bool decides = value.size() <= kLongestValue &&
                       std::all_of(value.begin(), value.end(),
                                   [](wchar_t c) { return static_cast<uint32_t>(c) < 0x80; });
  if (!decides) return std::nullopt;
  return std::any_of(m_branches.begin(), m_branches.end(),
                     [&](const Branch& branch) { return MatchesBranch(branch, value); });
}

// One character per position. Only ASCII values are decided, as by the
// general form: beyond ASCII lie digits of other scripts, and the halves of a
// surrogate pair, which count as one character.
std::optional<bool> SimplePattern::DecideFixed(std::wstring_view value) const noexcept {
  bool matches = value.size() == m_positions.size();
  for (size_t i = 0; i < value.size(); ++i) {
    const auto c = static_cast<uint32_t>(value[i]);
    if (c >= 0x80) return std::nullopt;
    matches = matches && (m_positions[i][c >> 6] >> (c & 63) & 1) != 0;
  }
  return matches;
}

// Bit p of reach is set when the items so far can match the first p
// characters; each item moves every such position on by each count it
// allows, so no choice is ever taken back.
bool SimplePattern::MatchesBranch(const Branch& branch, std::wstring_view value) noexcept {
  const size_t size = value.size();
  uint64_t reach = 1;
  for (const Item& item : branch) {
    uint64_t next = 0;
    // Only the reachable positions: one for a pattern of fixed counts.
    for (uint64_t left = reach; left != 0; left &= left - 1) {
      const auto p = static_cast<size_t>(__builtin_ctzll(left));
      size_t run = 0;
      while (p + run < size && run < item.most) {
        const auto c = static_cast<uint32_t>(value[p + run]);
        if (!(item.set[c >> 6] >> (c & 63) & 1)) break;
        ++run;
      }
      for (size_t count = item.least; count <= run; ++count) next |= uint64_t{1} << (p + count);
    }
    reach = next;
    if (reach == 0) return false;
  }
  return (reach >> size & 1) != 0;
}

}  // namespace Korvel::detail
