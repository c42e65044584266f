// SPDX-License-Identifier: MIT
// Regular expressions on PCRE2: JIT-compiled backtracking with a budget, and
// PCRE2's automaton matcher where backtracking would run away.
#include "values/regex.h"

#include <cstdint>
#include <new>
#include <vector>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace Korvel::detail {

namespace {

// Backtracking decides whenever it finishes within its budget: it finds the
// very match the classic engine found, so verdicts stay as they always were.
// Past the budget the expression has nested repeats that fail on this subject
// (the exponential case); the automaton then follows all paths in one pass.
// The budgets keep either stage well under a millisecond for a short value.
constexpr uint32_t kJitMatchLimit = 100000;         // about 0.15 ms of JIT backtracking
constexpr uint32_t kInterpreterMatchLimit = 10000;  // about the same time without the JIT
// The automaton's paths live in this many ints. Paths multiply with nested
// repeats, and the time spent on each character grows faster than their
// number, so this size is what bounds a runaway value: about a millisecond
// before the automaton gives up (and the value does not match).
constexpr size_t kAutomatonWorkspace = 1000;

struct CodeFree {
  void operator()(pcre2_code* code) const noexcept { pcre2_code_free(code); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* context) const noexcept {
    pcre2_match_context_free(context);
  }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const noexcept { pcre2_match_data_free(data); }
};

using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;

std::string ErrorText(int code) {
  PCRE2_UCHAR buffer[256];
  const int length = pcre2_get_error_message(code, buffer, sizeof buffer);
  if (length < 0) return "error " + std::to_string(code);
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

// Running out of budget, as opposed to a verdict.
bool IsLimit(int rc) noexcept {
  return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
         rc == PCRE2_ERROR_HEAPLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT ||
         rc == PCRE2_ERROR_NOMEMORY;
}

}  // namespace

struct Regex::Code {
  std::unique_ptr<pcre2_code, CodeFree> code;
  // Read only while matching, so shared by all threads.
  std::unique_ptr<pcre2_match_context, MatchContextFree> budget;
};

Regex::Regex(std::unique_ptr<Code> code) noexcept : m_code(std::move(code)) {}

Regex::~Regex() = default;

std::unique_ptr<const Regex> Regex::Compile(std::string_view expression, std::string& error) {
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  std::unique_ptr<pcre2_code, CodeFree> code(
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expression.data()), expression.size(),
                    PCRE2_UTF | PCRE2_ANCHORED, &errorCode, &errorOffset, nullptr));
  if (!code) {
    if (errorCode == PCRE2_ERROR_NOMEMORY) throw std::bad_alloc();
    error = ErrorText(errorCode);
    return nullptr;
  }
  // Without the JIT (a platform it does not support, or a pattern it cannot
  // take) the interpreter runs the same search, only slower.
  const bool jit = pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE) == 0;
  std::unique_ptr<pcre2_match_context, MatchContextFree> budget(
      pcre2_match_context_create(nullptr));
  if (!budget) throw std::bad_alloc();
  pcre2_set_match_limit(budget.get(), jit ? kJitMatchLimit : kInterpreterMatchLimit);
  auto compiled = std::make_unique<Code>();
  compiled->code = std::move(code);
  compiled->budget = std::move(budget);
  return std::unique_ptr<const Regex>(new Regex(std::move(compiled)));
}

bool Regex::MatchesWhole(std::string_view subject) const {
  // One pair: the whole match is all the check needs. Kept per thread, as a
  // facet is matched once per value written or read.
  thread_local MatchData data;
  if (!data) data.reset(pcre2_match_data_create(1, nullptr));
  if (!data) throw std::bad_alloc();
  // An empty view may carry no pointer at all.
  const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.empty() ? "" : subject.data());
  int rc =
      pcre2_match(m_code->code.get(), text, subject.size(), 0, 0, data.get(), m_code->budget.get());
  if (IsLimit(rc)) {
    std::vector<int> workspace(kAutomatonWorkspace);
    // The automaton reports the longest match first; every match starts at 0.
    rc = pcre2_dfa_match(m_code->code.get(), text, subject.size(), 0, 0, data.get(), nullptr,
                         workspace.data(), workspace.size());
  }
  // Zero: more matches (or groups) than pairs, but the first pair is filled.
  if (rc < 0) return false;
  const PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(data.get());
  return offsets[0] == 0 && offsets[1] == subject.size();
}

}  // namespace Korvel::detail
