// SPDX-License-Identifier: MIT
// The XSD whitespace rules: preserve, replace and collapse.
#include <korvel/whitespace_utils.h>

#include <algorithm>

#include "values/character_classes.h"
#include "values/conversion_errors.h"
#include "values/whitespace_rules.h"

namespace Korvel {

namespace {

using Rule = CWhitespaceUtils::WhitespaceRule;

constexpr auto IsSpace = detail::IsXmlSpace;

// CR LF and a lone CR become LF; the runs between CRs are copied whole.
void PreserveInto(std::wstring_view text, std::wstring& out) {
  out.clear();
  out.reserve(text.size());
  size_t start = 0;
  for (size_t cr = text.find(L'\r'); cr != std::wstring_view::npos; cr = text.find(L'\r', start)) {
    out.append(text.substr(start, cr - start));
    out += L'\n';
    start = cr + 1;
    if (start < text.size() && text[start] == L'\n') ++start;
  }
  out.append(text.substr(start));
}

// Tab, LF, CR LF and a lone CR each become one space.
void ReplaceInto(std::wstring_view text, std::wstring& out) {
  out.clear();
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'\r') {
      out += L' ';
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      out += c == L'\t' || c == L'\n' ? L' ' : c;
    }
  }
}

// text is already trimmed: it starts and ends with a non-whitespace character.
void CollapseInto(std::wstring_view text, std::wstring& out) {
  out.clear();
  out.reserve(text.size());
  bool pendingSpace = false;
  for (wchar_t c : text) {
    if (IsSpace(c)) {
      pendingSpace = true;
    } else {
      if (pendingSpace) out += L' ';
      pendingSpace = false;
      out += c;
    }
  }
}

bool NeedsPreserve(std::wstring_view text) noexcept {
  return text.find(L'\r') != std::wstring_view::npos;
}

bool NeedsReplace(std::wstring_view text) noexcept {
  return std::any_of(text.begin(), text.end(),
                     [](wchar_t c) { return c == L'\t' || c == L'\n' || c == L'\r'; });
}

// The trimmed text needs a copy only when a run inside it is not a single
// space. The words between are passed over a character at a comparison.
bool NeedsCollapse(std::wstring_view trimmed) noexcept {
  const wchar_t* const end = trimmed.data() + trimmed.size();
  for (const wchar_t* c = trimmed.data();; ++c) {
    c = std::find_if(c, end, [](wchar_t x) { return x <= L' '; });
    if (c == end) return false;
    // A space is never last in trimmed text: the one after it is there.
    if (IsSpace(*c) && (*c != L' ' || IsSpace(c[1]))) return true;
  }
}

// Most values hold no character at or below the space: nothing for a rule
// to change, found in one pass of a single comparison.
bool HasNoSpace(std::wstring_view text) noexcept {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c > L' '; });
}

std::wstring_view Trim(std::wstring_view text) noexcept {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

namespace detail {

std::wstring_view ApplyRuleView(Rule rule, std::wstring_view text, std::wstring& scratch) {
  // Text read as it stands needs no look at all.
  if (rule == CWhitespaceUtils::ws_none) return text;
  const bool known = rule >= CWhitespaceUtils::ws_none && rule <= CWhitespaceUtils::ws_collapse;
  if (known && HasNoSpace(text)) return text;
  switch (rule) {
    case CWhitespaceUtils::ws_none:
      return text;
    case CWhitespaceUtils::ws_preserve:
      if (!NeedsPreserve(text)) return text;
      PreserveInto(text, scratch);
      return scratch;
    case CWhitespaceUtils::ws_replace:
      if (!NeedsReplace(text)) return text;
      ReplaceInto(text, scratch);
      return scratch;
    case CWhitespaceUtils::ws_collapse: {
      std::wstring_view trimmed = Trim(text);
      if (!NeedsCollapse(trimmed)) return trimmed;
      CollapseInto(trimmed, scratch);
      return scratch;
    }
  }
  ThrowUnknownWhitespaceRule();
}

}  // namespace detail

std::wstring CWhitespaceUtils::Preserve(const std::wstring& text) {
  if (!NeedsPreserve(text)) return text;
  std::wstring out;
  PreserveInto(text, out);
  return out;
}

std::wstring CWhitespaceUtils::Preserve(const wchar_t* text, int length) {
  if (!text || length <= 0) return {};
  std::wstring out;
  PreserveInto(std::wstring_view(text, static_cast<size_t>(length)), out);
  return out;
}

std::wstring CWhitespaceUtils::Replace(const std::wstring& text) {
  if (!NeedsReplace(text)) return text;
  std::wstring out;
  ReplaceInto(text, out);
  return out;
}

std::wstring CWhitespaceUtils::Collapse(const std::wstring& text) {
  std::wstring scratch;
  return std::wstring(detail::ApplyRuleView(ws_collapse, text, scratch));
}

std::wstring CWhitespaceUtils::ApplyRule(WhitespaceRule rule, const std::wstring& text) {
  std::wstring scratch;
  std::wstring_view result = detail::ApplyRuleView(rule, text, scratch);
  if (result.data() == scratch.data()) return scratch;
  return std::wstring(result);
}

std::wstring CWhitespaceUtils::ApplyRule(WhitespaceRule rule, std::wstring&& text) {
  std::wstring scratch;
  const std::wstring_view result = detail::ApplyRuleView(rule, text, scratch);
  if (result.data() == scratch.data()) return scratch;
  // Untouched, or trimmed at the ends only: the text's storage is kept.
  const size_t start = static_cast<size_t>(result.data() - text.data());
  const size_t length = result.size();
  text.erase(start + length);
  text.erase(0, start);
  return std::move(text);
}

}  // namespace Korvel
