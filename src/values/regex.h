// SPDX-License-Identifier: MIT
// Regular expressions in PCRE syntax over UTF-8 text: the one place that talks
// to PCRE2, deciding whole-value matches in time linear in the value.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace Korvel::detail {

// A compiled expression, immutable once built, so one object may be matched
// on several threads at once.
class Regex {
 public:
  // Compiles expression in UTF mode, anchored at both ends of the subject.
  // Returns null on a syntax error (invalid UTF-8 included) and leaves the
  // engine's own message in error.
  static std::unique_ptr<const Regex> Compile(std::string_view expression, std::string& error);

  Regex(const Regex&) = delete;
  Regex& operator=(const Regex&) = delete;
  ~Regex();

  // True when the whole subject matches. The automaton matcher follows every
  // path at once, so the cost is linear in the subject for a given
  // expression; its workspace starts at a size taken from the expression and
  // grows as needed up to a backstop, past which (or on malformed UTF-8) this
  // throws CKvException instead of guessing a verdict.
  bool MatchesWhole(std::string_view subject) const;

 private:
  struct Code;

  explicit Regex(std::unique_ptr<Code> code) noexcept;

  std::unique_ptr<Code> m_code;
};

}  // namespace Korvel::detail
