// SPDX-License-Identifier: MIT
// XSD pattern verdicts, verdicts that no budget may turn into a guess, and the
// shared cache of compiled patterns; the syntax refused as not XSD is in
// tests/data/values/pattern_refusals.txt.
#include "values/pattern.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "values/pattern_table.h"
#include "values/regex.h"
#include "values/utf.h"
#include "values/xsd_regex.h"

namespace Korvel::detail {
namespace {

bool Matches(const std::string& pattern, const std::wstring& value) {
  return MatchesXsdPattern(pattern, value);
}

TEST(PatternMatch, TableOfVerdicts) {
  const auto rows = testing::LoadPatternTable();
  EXPECT_GE(rows.size(), 60u);
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message()
                 << row.pattern << " / " << ::testing::PrintToString(row.value));
    if (row.verdict == '!') {
      EXPECT_THROW(Matches(row.pattern, row.value), CKvException);
    } else {
      EXPECT_EQ(Matches(row.pattern, row.value), row.verdict == '1');
    }
  }
}

TEST(PatternMatch, InvalidUnicodeNeverCrashes) {
  for (const std::wstring& pattern :
       {std::wstring(1, L'\xD800'), std::wstring(1, static_cast<wchar_t>(0x110000))}) {
    const std::string bytes = PatternToUtf8(pattern);
    std::wstring shown;  // each byte as one character
    for (unsigned char c : bytes) shown += static_cast<wchar_t>(c);
    KORVEL_EXPECT_THROW_MESSAGE(
        MatchesXsdPattern(bytes, L"x"), CKvException,
        L"Invalid Regular Expression: " + shown + L" Error: 'the pattern is not UTF-8'");
  }
  // A value that is not Unicode text matches nothing, not even ".*".
  EXPECT_FALSE(Matches(".*", std::wstring(1, L'\xDC00')));
  EXPECT_FALSE(Matches(".*", std::wstring(1, static_cast<wchar_t>(0x110000))));
  // A pair made in UTF-16 is one character.
  EXPECT_TRUE(Matches(".", std::wstring{L'\xD83D', L'\xDE00'}));
}

// The automaton follows every path at once: nested repeats give the right
// verdict on long values, never a refusal for lack of steps.
TEST(PatternMatch, NestedRepeatsDecideOnLongValues) {
  const std::wstring as(5000, L'a');
  EXPECT_TRUE(Matches("(a+)+b|a*c", as + L"c"));
  EXPECT_FALSE(Matches("(a+)+b|a*c", as + L"d"));
  EXPECT_TRUE(Matches("((a|aa)+)+d|[ac]+", as + L"c"));
  EXPECT_TRUE(Matches("(a|aa)+", as));
  EXPECT_FALSE(Matches("(\\w+\\s?)+", as + L"!"));
  EXPECT_TRUE(Matches("(.{0,50}x){1,50}", std::wstring(50, L'x')));
  EXPECT_TRUE(Matches("(a|b)*", std::wstring(200000, L'a')));
  EXPECT_FALSE(Matches("(a|b)*", std::wstring(200000, L'a') + L"c"));
  // Many live states (every count of a counted repeat, in each copy) grow
  // the workspace instead of ending the match.
  EXPECT_TRUE(Matches("(a{1,300}b?){1,8}c", std::wstring(2000, L'a') + L"c"));
  EXPECT_FALSE(Matches("(a{1,300}b?){1,8}c", std::wstring(2401, L'a') + L"c"));
}

TEST(PatternCache, CompilesOnceAndStartsOverWhenFull) {
  PatternCache cache(2);
  const auto first = cache.Get("a+");
  EXPECT_EQ(cache.Get("a+"), first);
  ASSERT_NE(first->regex, nullptr);
  const auto broken = cache.Get("(");
  EXPECT_EQ(broken->regex, nullptr);
  EXPECT_EQ(broken->error, "missing closing parenthesis at offset 1");
  EXPECT_EQ(cache.Get("("), broken);
  EXPECT_EQ(cache.Size(), 2u);
  cache.Get("b+");
  EXPECT_EQ(cache.Size(), 1u);
  // An entry dropped from the cache lives on with whoever holds it.
  EXPECT_TRUE(first->regex->MatchesWhole("aaa"));
  EXPECT_FALSE(first->regex->MatchesWhole(std::string_view()));
  EXPECT_NE(cache.Get("a+"), first);

  PatternCache uncached(0);
  EXPECT_TRUE(MatchesXsdPattern("\\d+", L"42", uncached));
  EXPECT_EQ(uncached.Size(), 0u);
}

TEST(PatternCache, ChecksRunConcurrently) {
  // A small cache, so threads also meet it being emptied under them.
  PatternCache cache(3);
  const std::tuple<const char*, const wchar_t*, bool> rows[] = {
      {"\\d{3}-[A-Z]{2}", L"123-AB", true},  {"\\d{3}-[A-Z]{2}", L"123-ab", false},
      {"\\i\\c*", L"name", true},            {"\\i\\c*", L"9name", false},
      {"(a+)+b", L"aaaaaaaaaaaaaaaaaaaac", false}, {"[a-z-[aeiou]]+", L"xyz", true},
      {"x|y|z", L"y", true},
  };
  std::atomic<int> wrong{0};
  std::atomic<int> errors{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        const auto& [pattern, value, matches] = rows[(i + t) % std::size(rows)];
        try {
          if (MatchesXsdPattern(pattern, value, cache) != matches) ++wrong;
          MatchesXsdPattern("(", L"", cache);
          ++wrong;
        } catch (const CKvException&) {
          ++errors;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(errors.load(), 6 * 300);
}

}  // namespace
}  // namespace Korvel::detail
