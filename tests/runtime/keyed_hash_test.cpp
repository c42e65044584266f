// SPDX-License-Identifier: MIT
// The keyed hash of document text: names found to collide under one key must
// not collide under another, or a document could be written to flood a table.
#include "runtime/keyed_hash.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Korvel::detail {
namespace {

// Names of the given length that fall into slot 0 of a 1024-slot table under
// hash, as an attacker who knew the hash would search for them.
std::vector<std::string> CollidingNames(const KeyedHash& hash, size_t length, size_t count) {
  std::vector<std::string> names;
  for (uint64_t i = 0; names.size() < count; ++i) {
    // i in letters, distinct for every i at any of the lengths used.
    std::string name(length, 'a');
    for (uint64_t rest = i, at = 0; rest != 0 && at < length; rest /= 26, ++at) {
      name[at] = static_cast<char>('a' + rest % 26);
    }
    if ((hash(name) & 1023) == 0) names.push_back(name);
  }
  return names;
}

TEST(KeyedHash, CollisionsFoundUnderOneKeyDoNotCarryOverToAnother) {
  const KeyedHash known(0x0123456789ABCDEFu);
  const KeyedHash other(0xFEDCBA9876543210u);
  // Short names, names of one and two words, and longer ones that take the loop.
  for (const size_t length : {3, 7, 12, 16, 40}) {
    SCOPED_TRACE(length);
    const std::vector<std::string> names = CollidingNames(known, length, 64);
    std::vector<int> slots(1024);
    int worst = 0;
    for (const std::string& name : names) worst = std::max(worst, ++slots[other(name) & 1023]);
    // 64 names in 1024 slots: a few share one by chance, not dozens.
    EXPECT_LE(worst, 4);
  }
}

TEST(KeyedHash, WideTextHashesItsCodeUnits) {
  const KeyedHash hash(42);
  EXPECT_NE(hash(std::wstring_view(L"ab")), hash(std::wstring_view(L"ba")));
  EXPECT_EQ(hash(std::wstring_view(L"\u00e9t\u00e9")), hash(std::wstring_view(L"\u00e9t\u00e9")));
  // Every length up to two words and beyond differs from its neighbours.
  std::string text;
  for (int n = 0; n < 40; ++n, text += 'x') EXPECT_NE(hash(text), hash(text + 'x')) << n;
}

}  // namespace
}  // namespace Korvel::detail
