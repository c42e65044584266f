// SPDX-License-Identifier: MIT
// CWhitespaceUtils: the XSD whitespace rules applied to text before it is parsed.
#pragma once

#include <cstdint>
#include <string>

#include <korvel/export.h>

namespace Korvel {

// Static functions only. XML whitespace is exactly tab, line feed, carriage
// return and space; other Unicode spaces are ordinary characters here.
class KORVEL_API CWhitespaceUtils {
 public:
  // The numbers are part of the metadata that generated code passes in.
  enum WhitespaceRule : int32_t {
    ws_none = 0,      // the text as it is
    ws_preserve = 1,  // line ends normalised to line feeds
    ws_replace = 2,   // each tab, line feed and line end becomes one space
    ws_collapse = 3,  // replace, then runs become one space, trimmed at both ends
  };

  CWhitespaceUtils() = delete;

  // True for U+0009, U+000A, U+000D and U+0020 only.
  static bool IsWhiteSpace(wchar_t c) noexcept {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
  }

  // CR LF and a lone CR become LF.
  static std::wstring Preserve(const std::wstring& text);
  // The same over length characters; null or a length of 0 or less gives "".
  static std::wstring Preserve(const wchar_t* text, int length);
  // Tab, LF, CR LF (as a pair) and a lone CR each become one space.
  static std::wstring Replace(const std::wstring& text);
  // Runs of whitespace become one space; none is left at either end.
  static std::wstring Collapse(const std::wstring& text);
  // Throws CKvException "Unknown WhitespaceRule" for a rule outside the enumeration.
  static std::wstring ApplyRule(WhitespaceRule rule, const std::wstring& text);
  // The same, keeping text's own storage when the rule leaves it whole.
  static std::wstring ApplyRule(WhitespaceRule rule, std::wstring&& text);
};

}  // namespace Korvel
