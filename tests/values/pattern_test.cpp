// SPDX-License-Identifier: MIT
// XSD pattern translation, compilation errors, whole-value matching in bounded
// time and the shared cache of compiled patterns.
#include "values/pattern.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "test_support.h"

namespace Korvel::detail {
namespace {

// An escaped backslash protects the letter after it, but a third backslash
// starts an escape of its own; the placeholder of the replacement series
// (\001) comes back as "\\"; other blocks and properties pass through for
// PCRE to accept or refuse.
TEST(PatternTranslation, RewritesOnlyTheEscapesPcreLacks) {
  struct Row {
    const char* xsd;
    const char* pcre;
  } rows[] = {
      {"", "^()$"},
      {"\\d{3}", "^(\\d{3})$"},
      {"\\i\\c*", "^(([^\\W\\d]|:)(\\w|\\.|-|:)*)$"},
      {"\\I\\C", "^(([\\W\\d])([^\\w\\.\\-\\:]))$"},
      {"\\p{IsBasicLatin}", "^([\\000-\\177])$"},
      {"\\p{IsLatin-1Supplement}", "^([\\200-\\377])$"},
      {"\\p{IsLatinExtended-A}", "^([\\400-\\577])$"},
      {"\\p{IsLatinExtended-B}", "^([\\600-\\1117])$"},
      {"\\p{IsGreek}\\p{Lu}", "^(\\p{IsGreek}\\p{Lu})$"},
      {"\\\\i", "^(\\\\i)$"},
      {"\\\\\\\\c", "^(\\\\\\\\c)$"},
      {"\\\\\\i", "^(\\\\([^\\W\\d]|:))$"},
      {"a\\", "^(a\\)$"},
      {"a\001b", "^(a\\\\b)$"},
      {"\\p{IsBasicLatin", "^(\\p{IsBasicLatin)$"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.xsd);
    EXPECT_EQ(TranslateXsdPattern(row.xsd), row.pcre);
  }
}

TEST(PatternToUtf8, KeepsWhatUtf8CannotCarryForTheEngineToRefuse) {
  EXPECT_EQ(PatternToUtf8(L"a\u00e9\U0001F600"), "a\xC3\xA9\xF0\x9F\x98\x80");
  // A pair is the character it encodes, also next to a lone surrogate.
  const std::wstring mixed = {L'\xD83D', L'\xDE00', L'\xD800'};
  EXPECT_EQ(PatternToUtf8(mixed), "\xF0\x9F\x98\x80\xED\xA0\x80");
  EXPECT_EQ(PatternToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xF4\x90\x80\x80");
  EXPECT_EQ(PatternToUtf8(std::wstring(1, static_cast<wchar_t>(-1))), "\xFF");
}

bool Matches(const char* pattern, const std::wstring& value) {
  return MatchesXsdPattern(pattern, value);
}

// Each pattern with values it matches and values it does not. $ may match
// before a final line feed, but the match must still reach the end; a dot is
// one code point, also beyond the BMP; U+0000 in a value is matched in full.
TEST(PatternMatch, WholeValueOnly) {
  const std::wstring nul(L"a\0b", 3);
  struct Row {
    const char* pattern;
    std::vector<std::wstring> matching, other;
  } rows[] = {
      {"\\d{3}", {L"123"}, {L"1234", L"12", L"x123", L"123\n"}},
      {"\\d{3}\\s", {L"123\n"}, {}},
      {"\\i\\c*", {L"_abc:1", L":a.b-c"}, {L"1abc"}},
      {"\\I\\C", {L"1 "}, {L"a "}},
      {"\\\\i", {L"\\i"}, {L"_"}},
      {"\\p{IsBasicLatin}+", {L"abc~\x7f"}, {L"ab\u00e9"}},
      {"\\p{IsLatin-1Supplement}", {L"\u00e9"}, {L"e"}},
      {"\\p{IsLatinExtended-A}", {L"\u0100"}, {L"\u0180"}},
      {".", {L"\u00e9", L"\U0001F600"}, {}},
      {"..", {}, {L"\U0001F600"}},
      {"[a-z]+|\\d+", {L"abc"}, {L"abc1"}},
      {"", {L""}, {L"a"}},
      {"a", {}, {nul}},
      {"a\\x00b", {nul}, {}},
  };
  for (const Row& row : rows) {
    for (const bool matches : {true, false}) {
      for (const std::wstring& value : matches ? row.matching : row.other) {
        SCOPED_TRACE(::testing::Message()
                     << row.pattern << " / " << ::testing::PrintToString(value));
        EXPECT_EQ(Matches(row.pattern, value), matches);
      }
    }
  }
}

// The message for a pattern the engine refuses, the pattern's bytes shown
// one character each.
std::wstring InvalidPattern(const std::string& pattern, const wchar_t* error) {
  std::wstring shown;
  for (unsigned char c : pattern) shown += static_cast<wchar_t>(c);
  return L"Invalid Regular Expression: " + shown + L" Error: '" + error + L"'";
}

// The translated range of IsLatinExtended-B has never compiled.
TEST(PatternMatch, InvalidPatternsRaiseTheEnginesMessage) {
  const std::pair<const char*, const wchar_t*> rows[] = {
      {"(ab", L"missing closing parenthesis"},
      {"a{2,1}", L"numbers out of order in {} quantifier"},
      {"*", L"quantifier does not follow a repeatable item"},
      {"\\p{IsLatinExtended-B}", L"range out of order in character class"},
      {"\\p{IsGreek}", L"unknown property after \\P or \\p"},
  };
  for (const auto& [pattern, error] : rows) {
    KORVEL_EXPECT_THROW_MESSAGE(Matches(pattern, L"x"), CKvException,
                                InvalidPattern(pattern, error));
    // The failure is remembered, and raised again the same way.
    KORVEL_EXPECT_THROW_MESSAGE(Matches(pattern, L"y"), CKvException,
                                InvalidPattern(pattern, error));
  }
}

TEST(PatternMatch, InvalidUnicodeNeverCrashes) {
  // A pattern that is not UTF-8 is refused by the engine's check.
  const std::string surrogate = PatternToUtf8(std::wstring(1, L'\xD800'));
  KORVEL_EXPECT_THROW_MESSAGE(
      MatchesXsdPattern(surrogate, L"x"), CKvException,
      InvalidPattern(surrogate, L"UTF-8 error: code points 0xd800-0xdfff are not defined"));
  KORVEL_EXPECT_THROW_MESSAGE(MatchesXsdPattern("\xFF", L"x"), CKvException,
                              InvalidPattern("\xFF", L"UTF-8 error: illegal byte (0xfe or 0xff)"));
  // A value that is not Unicode text matches nothing, not even ".*".
  EXPECT_FALSE(Matches(".*", std::wstring(1, L'\xDC00')));
  EXPECT_FALSE(Matches(".*", std::wstring(1, static_cast<wchar_t>(0x110000))));
  // A pair made in UTF-16 is one character.
  EXPECT_TRUE(Matches(".", std::wstring{L'\xD83D', L'\xDE00'}));
}

TEST(PatternMatch, NestedRepeatsDoNotRunAway) {
  const std::wstring as(40, L'a');
  // Exponential for plain backtracking; each of these finishes at once.
  EXPECT_FALSE(Matches("(a+)+b", as + L"c"));
  EXPECT_FALSE(Matches("(a+)+", as + L"c"));
  EXPECT_FALSE(Matches("(a|aa)+", as + L"c"));
  EXPECT_FALSE(Matches("(\\w+\\s?)+", as + L"!"));
  // Backtracking gives up in the first alternative; the automaton still finds
  // the second one.
  EXPECT_TRUE(Matches("(a+)+b|a*c", as + L"c"));
  EXPECT_TRUE(Matches("((a|aa)+)+d|[ac]+", as + L"c"));
  // Long values that match are found directly.
  EXPECT_TRUE(Matches("(\\w+\\s?)+", std::wstring(400, L'w')));
  EXPECT_TRUE(Matches("(a|b)*", std::wstring(100000, L'a')));
  EXPECT_FALSE(Matches("(a|b)*", std::wstring(100000, L'a') + L"c"));
  // Too complex for both budgets: refused, in bounded time.
  EXPECT_FALSE(Matches("(a+)+", std::wstring(5000, L'a') + L"c"));
}

TEST(PatternCache, CompilesOnceAndStartsOverWhenFull) {
  PatternCache cache(2);
  const auto first = cache.Get("a+");
  EXPECT_EQ(cache.Get("a+"), first);
  ASSERT_NE(first->regex, nullptr);
  const auto broken = cache.Get("(");
  EXPECT_EQ(broken->regex, nullptr);
  EXPECT_EQ(broken->error, "missing closing parenthesis");
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
  KORVEL_EXPECT_THROW_MESSAGE(MatchesXsdPattern("(", L"", uncached), CKvException,
                              InvalidPattern("(", L"missing closing parenthesis"));
}

TEST(PatternCache, ChecksRunConcurrently) {
  // A small cache, so threads also meet it being emptied under them.
  PatternCache cache(3);
  const std::tuple<const char*, const wchar_t*, bool> rows[] = {
      {"\\d{3}-[A-Z]{2}", L"123-AB", true},
      {"\\d{3}-[A-Z]{2}", L"123-ab", false},
      {"\\i\\c*", L"name", true},
      {"\\i\\c*", L"9name", false},
      {"(a+)+b", L"aaaaaaaaaaaaaaaaaaaac", false},
      {"[\\200-\\377]+", L"\u00e9\u00e8", true},
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
