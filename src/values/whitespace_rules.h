// SPDX-License-Identifier: MIT
// The whitespace rules over string views, copying only when a rule changes the
// text inside: the parsers' hot path, where "  12 " collapses to a substring.
#pragma once

#include <string>
#include <string_view>

#include <korvel/whitespace_utils.h>

namespace Korvel::detail {

// The text after the rule: a view into text when the result is a substring of
// it, otherwise a view of scratch, which then holds the result. Throws as
// CWhitespaceUtils::ApplyRule for an unknown rule.
std::wstring_view ApplyRuleView(CWhitespaceUtils::WhitespaceRule rule, std::wstring_view text,
                                std::wstring& scratch);

// A text after a rule, for parsers that need it as a string (the C-string
// parsers of dates, the decimal parser): the caller's string itself when the
// rule left it whole, so only a changed text is ever copied.
class RuledText {
 public:
  RuledText(const std::wstring& text, CWhitespaceUtils::WhitespaceRule rule)
      : m_original(text), m_view(ApplyRuleView(rule, text, m_scratch)) {}
  RuledText(const RuledText&) = delete;
  RuledText& operator=(const RuledText&) = delete;

  std::wstring_view View() const noexcept { return m_view; }
  const std::wstring& Str() {
    if (m_view.data() == m_original.data() && m_view.size() == m_original.size()) {
      return m_original;
    }
    if (m_view.data() != m_scratch.data()) m_scratch.assign(m_view);
    return m_scratch;
  }

 private:
  const std::wstring& m_original;
  std::wstring m_scratch;
  std::wstring_view m_view;
};

}  // namespace Korvel::detail
