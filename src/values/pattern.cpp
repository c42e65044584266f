// SPDX-License-Identifier: MIT
// The XSD pattern facet: the shared cache of compiled patterns and the
// whole-value match.
#include "values/pattern.h"

#include <cstdint>
#include <memory>
#include <mutex>

#include "values/restriction_check.h"
#include "values/restriction_errors.h"
#include "values/utf.h"
#include "values/xsd_regex.h"

namespace Korvel::detail {

namespace {

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x200000) {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += '\xFF';  // never part of UTF-8
  }
}

}  // namespace

std::string PatternToUtf8(std::wstring_view pattern) {
  std::string out;
  if (WideToUtf8(pattern, out)) return out;
  out.clear();
  for (size_t i = 0; i < pattern.size(); ++i) {
    auto c = static_cast<uint32_t>(pattern[i]);
    // A surrogate pair is the character it encodes, as in the strict form.
    if (c - 0xD800u < 0x400u && i + 1 < pattern.size()) {
      const auto low = static_cast<uint32_t>(pattern[i + 1]);
      if (low - 0xDC00u < 0x400u) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    AppendUtf8(out, c);
  }
  return out;
}

PatternCache::PatternCache(size_t capacity) : m_capacity(capacity) {}

std::shared_ptr<const CompiledPattern> PatternCache::Get(const std::string& pattern) {
  {
    std::shared_lock<std::shared_mutex> lock(m_mutex);
    const auto found = m_entries.find(pattern);
    if (found != m_entries.end()) return found->second;
  }
  // Compiled without the lock, so one new pattern does not stall every other
  // check; two threads meeting the same new pattern both compile it and the
  // first one stored wins.
  auto compiled = std::make_shared<CompiledPattern>();
  std::string expression;
  if (TranslateXsdRegex(pattern, expression, compiled->error)) {
    compiled->regex = Regex::Compile(expression, compiled->error);
    if (compiled->regex) compiled->simple = SimplePattern::Parse(pattern);
  }
  if (m_capacity == 0) return compiled;
  std::unique_lock<std::shared_mutex> lock(m_mutex);
  const auto found = m_entries.find(pattern);
  if (found != m_entries.end()) return found->second;
  if (m_entries.size() >= m_capacity) m_entries.clear();
  return m_entries.emplace(pattern, std::move(compiled)).first->second;
}

size_t PatternCache::Size() const {
  std::shared_lock<std::shared_mutex> lock(m_mutex);
  return m_entries.size();
}

PatternCache& SharedPatternCache() {
  static PatternCache cache;
  return cache;
}

bool MatchesXsdPattern(const std::string& pattern, std::wstring_view value) {
  return MatchesXsdPattern(pattern, value, SharedPatternCache());
}

namespace {

bool MatchesCompiled(const CompiledPattern& compiled, const std::string& pattern,
                     std::wstring_view value) {
  if (!compiled.regex) ThrowInvalidRegularExpression(pattern, compiled.error);
  if (compiled.simple) {
    if (const std::optional<bool> verdict = compiled.simple->Decide(value)) return *verdict;
  }
  // Reused: a facet is checked value after value, mostly on short ones. The
  // room an unusually long value took is given back on the next check.
  constexpr size_t kKeptCapacity = 64 << 10;
  thread_local std::string subject;
  if (subject.capacity() > kKeptCapacity) std::string().swap(subject);
  subject.clear();
  if (!WideToUtf8(value, subject)) return false;
  return compiled.regex->MatchesWhole(subject);
}

}  // namespace

bool MatchesXsdPattern(const std::string& pattern, std::wstring_view value, PatternCache& cache) {
  return MatchesCompiled(*cache.Get(pattern), pattern, value);
}

bool MatchesFacetPattern(const CPrimitiveRestrictions& restrictions, std::wstring_view value) {
  const FacetPattern* kept = RestrictionsAccess::Pattern(restrictions);
  if (kept == nullptr) {
    auto pattern = std::make_unique<FacetPattern>();
    pattern->utf8 = PatternToUtf8(restrictions.GetPattern());
    pattern->compiled = SharedPatternCache().Get(pattern->utf8);
    if (RestrictionsAccess::KeepPattern(restrictions, pattern.get())) pattern.release();
    kept = RestrictionsAccess::Pattern(restrictions);
  }
  return MatchesCompiled(*kept->compiled, kept->utf8, value);
}

}  // namespace Korvel::detail
