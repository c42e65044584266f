// SPDX-License-Identifier: MIT
// Regular expressions in PCRE syntax over UTF-8 text: the one place that talks
// to PCRE2, matching whole subjects in bounded time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace Korvel::detail {

// A compiled expression, immutable once built, so one object may be matched
// on several threads at once.
class Regex {
 public:
  // Compiles expression in UTF mode, anchored at the start of the subject.
  // Returns null on a syntax error (invalid UTF-8 included) and leaves the
  // engine's own message in error.
  static std::unique_ptr<const Regex> Compile(std::string_view expression, std::string& error);

  Regex(const Regex&) = delete;
  Regex& operator=(const Regex&) = delete;
  ~Regex();

  // True when the first match from the start of subject (as a backtracking
  // matcher finds it) ends at the end of subject. Malformed UTF-8 never
  // matches. When backtracking runs past its budget, an automaton that tries
  // all paths at once decides instead; a subject too complex for both within
  // their budgets does not match, so no check runs away.
  bool MatchesWhole(std::string_view subject) const;

 private:
  struct Code;

  explicit Regex(std::unique_ptr<Code> code) noexcept;

  std::unique_ptr<Code> m_code;
};

}  // namespace Korvel::detail
