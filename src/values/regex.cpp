// SPDX-License-Identifier: MIT
// Regular expressions on PCRE2's automaton matcher (pcre2_dfa_match), which
// keeps every live path in a workspace instead of backtracking.
#include "values/regex.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "values/restriction_errors.h"

namespace Korvel::detail {

namespace {

// The automaton keeps two lists of live states (three ints each); a state is a
// position in the compiled code plus a repeat count, so the compiled size
// bounds how many can be live at once. Counted repeats and lookaheads can
// need more, so the workspace doubles when the matcher asks for it.
constexpr size_t kMinimumWorkspace = 1024;
constexpr size_t kWorkspacePerCodeByte = 6;
// The backstop: 64 MiB of states. No expression a schema holds gets near it.
constexpr size_t kMaximumWorkspace = size_t{16} << 20;
// What a thread keeps between matches: 256 KiB.
constexpr size_t kKeptWorkspace = size_t{64} << 10;

struct CodeFree {
  void operator()(pcre2_code* code) const noexcept { pcre2_code_free(code); }
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

}  // namespace

struct Regex::Code {
  std::unique_ptr<pcre2_code, CodeFree> code;
  size_t workspace = kMinimumWorkspace;  // the size to start matching with
};

Regex::Regex(std::unique_ptr<Code> code) noexcept : m_code(std::move(code)) {}

Regex::~Regex() = default;

std::unique_ptr<const Regex> Regex::Compile(std::string_view expression, std::string& error) {
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  // The automaton's shortest-match mode would stop at an earlier end, so the
  // end is part of the expression itself.
  const std::string whole = "(?:" + std::string(expression) + ")\\z";
  std::unique_ptr<pcre2_code, CodeFree> code(
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(whole.data()), whole.size(),
                    PCRE2_UTF | PCRE2_ANCHORED, &errorCode, &errorOffset, nullptr));
  if (!code) {
    if (errorCode == PCRE2_ERROR_NOMEMORY) throw std::bad_alloc();
    error = ErrorText(errorCode);
    return nullptr;
  }
  size_t size = 0;
  pcre2_pattern_info(code.get(), PCRE2_INFO_SIZE, &size);
  auto compiled = std::make_unique<Code>();
  compiled->code = std::move(code);
  if (size < kMaximumWorkspace / kWorkspacePerCodeByte) {
    compiled->workspace = std::max(kMinimumWorkspace, size * kWorkspacePerCodeByte);
  } else {
    compiled->workspace = kMaximumWorkspace;
  }
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
  // Both ends are anchored, so any match is the whole subject and the
  // shortest one found settles it.
  // The workspace is kept per thread as well: allocating it for every value
  // cost more than matching a short one. One grown for an unusual value is
  // given back afterwards.
  thread_local std::vector<int> workspace;
  struct Trim {
    ~Trim() {
      if (workspace.size() > kKeptWorkspace) std::vector<int>().swap(workspace);
    }
  } trim;
  for (size_t size = m_code->workspace;; size *= 2) {
    if (workspace.size() < size) workspace.resize(size);
    const int rc = pcre2_dfa_match(m_code->code.get(), text, subject.size(), 0,
                                   PCRE2_DFA_SHORTEST, data.get(), nullptr, workspace.data(),
                                   size);
    if (rc >= 0) return true;
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc == PCRE2_ERROR_NOMEMORY) throw std::bad_alloc();
    if (rc != PCRE2_ERROR_DFA_WSSIZE || size >= kMaximumWorkspace) {
      ThrowPatternTooComplex(ErrorText(rc), subject.size());
    }
  }
}

}  // namespace Korvel::detail
