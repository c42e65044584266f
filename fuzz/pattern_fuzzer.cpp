// SPDX-License-Identifier: MIT
// XSD patterns: the first byte splits the input into a pattern and a value
// (UTF-8). Whatever the translator accepts must compile and decide every
// value (a refusal only for the documented backstop), and a pattern spelling
// the value literally, every character escaped or bracketed, must match it.
#include <cstdlib>
#include <string>

#include <korvel/errors.h>

#include "values/pattern.h"
#include "values/regex.h"
#include "values/utf.h"
#include "values/xsd_regex.h"

namespace {

// The value as a pattern: letters and digits as they are, the rest escaped
// or put in a class of its own.
std::string Literal(const std::wstring& value) {
  std::wstring pattern;
  for (wchar_t c : value) {
    if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) {
      pattern += c;
    } else if (std::wstring_view(L"\\|.-^?*+{}()[]").find(c) != std::wstring_view::npos) {
      pattern += L'\\';
      pattern += c;
    } else if (c == L'\n') {
      pattern += L"\\n";
    } else {
      pattern += L'[';
      pattern += c;
      pattern += L']';
    }
  }
  return Korvel::detail::WideToUtf8(pattern);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Korvel;
  if (size == 0) return 0;
  const size_t split = 1 + data[0] % (size);
  const std::string pattern(reinterpret_cast<const char*>(data + 1), split - 1);
  const std::string valueBytes(reinterpret_cast<const char*>(data + split), size - split);
  std::wstring value;
  if (!detail::Utf8ToWide(valueBytes, value)) value.clear();

  std::string expression;
  std::string error;
  if (detail::TranslateXsdRegex(pattern, expression, error)) {
    std::string engineError;
    if (!detail::Regex::Compile(expression, engineError) &&
        engineError != "regular expression is too large") {
      std::abort();  // the translation is not valid PCRE2
    }
  }
  detail::PatternCache cache(0);
  try {
    detail::MatchesXsdPattern(pattern, value, cache);
  } catch (const CKvException&) {
  }
  // Characters XML cannot carry aside, the literal spelling always matches.
  for (wchar_t c : value) {
    if (c == L'\r' || c == L'\0') return 0;
  }
  try {
    if (!detail::MatchesXsdPattern(Literal(value), value, cache)) std::abort();
  } catch (const CKvException&) {
    std::abort();
  }
  return 0;
}
