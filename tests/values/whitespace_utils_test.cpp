// SPDX-License-Identifier: MIT
#include <korvel/whitespace_utils.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "test_support.h"
#include "values/whitespace_rules.h"

using namespace Korvel;
using Rule = CWhitespaceUtils::WhitespaceRule;

namespace {

// The rules as the XSD text states them, written independently of the library:
// preserve normalises line ends, replace then maps each whitespace character
// to a space, collapse squeezes the replaced text.
std::wstring ReferencePreserve(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool pair = text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n';
    out += text[i] == L'\r' ? L'\n' : text[i];
    i += pair;
  }
  return out;
}

std::wstring ReferenceReplace(const std::wstring& text) {
  std::wstring out = ReferencePreserve(text);
  for (wchar_t& c : out) c = c == L'\t' || c == L'\n' ? L' ' : c;
  return out;
}

std::wstring ReferenceCollapse(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : ReferenceReplace(text)) {
    if (c != L' ' || (!out.empty() && out.back() != L' ')) out += c;
  }
  if (!out.empty() && out.back() == L' ') out.pop_back();
  return out;
}

}  // namespace

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

// The parsers read the rule's result in place whenever it is a piece of the
// input; the copying path must agree with the plain rules on any text.
TEST(WhitespaceUtils, ViewsAgreeWithTheRulesOnRandomTexts) {
  std::mt19937 random(20240509);
  const wchar_t alphabet[] = {L'a', L'b', L' ', L' ', L'\t', L'\r', L'\n', L'\v', L'\x00A0'};
  for (int round = 0; round < 20000; ++round) {
    std::wstring text;
    for (size_t n = random() % 12; n > 0; --n) text += alphabet[random() % std::size(alphabet)];
    const std::wstring expected[] = {text, ReferencePreserve(text), ReferenceReplace(text),
                                     ReferenceCollapse(text)};
    for (int rule = 0; rule < 4; ++rule) {
      std::wstring scratch;
      std::wstring_view view = detail::ApplyRuleView(static_cast<Rule>(rule), text, scratch);
      ASSERT_EQ(std::wstring(view), expected[rule]) << ::testing::PrintToString(text) << rule;
      ASSERT_EQ(CWhitespaceUtils::ApplyRule(static_cast<Rule>(rule), text), expected[rule]);
    }
  }
}

TEST(WhitespaceUtils, UsualTextsAreNotCopied) {
  const std::wstring text = L"  12 ";
  std::wstring scratch;
  std::wstring_view view = detail::ApplyRuleView(CWhitespaceUtils::ws_collapse, text, scratch);
  EXPECT_EQ(view, L"12");
  EXPECT_EQ(view.data(), text.data() + 2);
  EXPECT_TRUE(scratch.empty());

  const std::wstring inner = L"a b";
  view = detail::ApplyRuleView(CWhitespaceUtils::ws_collapse, inner, scratch);
  EXPECT_EQ(view.data(), inner.data());

  detail::RuledText whole(inner, CWhitespaceUtils::ws_replace);
  EXPECT_EQ(&whole.Str(), &inner);
  detail::RuledText trimmed(text, CWhitespaceUtils::ws_collapse);
  EXPECT_EQ(trimmed.Str(), L"12");
}
