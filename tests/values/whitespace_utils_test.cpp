// SPDX-License-Identifier: MIT
#include <korvel/whitespace_utils.h>

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "values/whitespace_rules.h"

using namespace Korvel;
using Rule = CWhitespaceUtils::WhitespaceRule;

TEST(WhitespaceUtils, IsWhiteSpaceIsExactlyTheFourXmlCharacters) {
  for (wchar_t c = 0; c < 0x3100; ++c) {
    bool expected = c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20;
    EXPECT_EQ(CWhitespaceUtils::IsWhiteSpace(c), expected) << static_cast<int>(c);
  }
  EXPECT_FALSE(CWhitespaceUtils::IsWhiteSpace(L'\xFEFF'));
}

TEST(WhitespaceUtils, RulesOnTypicalTexts) {
  struct Row {
    const wchar_t* text;
    const wchar_t* preserve;
    const wchar_t* replace;
    const wchar_t* collapse;
  };
  const Row rows[] = {
      {L"", L"", L"", L""},
      {L"plain", L"plain", L"plain", L"plain"},
      {L"\t a \r\n b \n", L"\t a \n b \n", L"  a   b  ", L"a b"},
      {L"a\r\nb", L"a\nb", L"a b", L"a b"},
      {L"a\rb", L"a\nb", L"a b", L"a b"},
      {L"a\r\rb", L"a\n\nb", L"a  b", L"a b"},
      {L"a\n\rb", L"a\n\nb", L"a  b", L"a b"},
      {L"\r", L"\n", L" ", L""},
      {L"\r\n\t ", L"\n\t ", L"   ", L""},
      {L"  12 ", L"  12 ", L"  12 ", L"12"},
      {L"x\x00A0y", L"x\x00A0y", L"x\x00A0y", L"x\x00A0y"},  // no-break space is ordinary
      {L"a\vb\fc", L"a\vb\fc", L"a\vb\fc", L"a\vb\fc"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(row.text)));
    std::wstring text = row.text;
    EXPECT_EQ(CWhitespaceUtils::Preserve(text), row.preserve);
    EXPECT_EQ(CWhitespaceUtils::Replace(text), row.replace);
    EXPECT_EQ(CWhitespaceUtils::Collapse(text), row.collapse);
    // The parsers' path, which reads the result in place when it can.
    const wchar_t* const expected[] = {row.text, row.preserve, row.replace, row.collapse};
    for (int rule = 0; rule < 4; ++rule) {
      std::wstring scratch;
      EXPECT_EQ(detail::ApplyRuleView(static_cast<Rule>(rule), text, scratch), expected[rule]);
    }
  }
  for (int rule : {-1, 4, 1000}) {
    KORVEL_EXPECT_THROW_MESSAGE(CWhitespaceUtils::ApplyRule(static_cast<Rule>(rule), L"x"),
                                CKvException, L"Unknown WhitespaceRule");
  }
}

TEST(WhitespaceUtils, PreserveOverALengthStopsThere) {
  const wchar_t text[] = L"a\r\nb\rc";
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 2), L"a\n");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 6), L"a\nb\nc");
  // An embedded U+0000 is a character like any other within the length.
  const wchar_t withNul[] = L"a\0\rb";
  EXPECT_EQ(CWhitespaceUtils::Preserve(withNul, 4), std::wstring(L"a\0\nb", 4));
  EXPECT_EQ(CWhitespaceUtils::Preserve(nullptr, 5), L"");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 0), L"");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, -1), L"");
}
