// SPDX-License-Identifier: MIT
// The XSD pattern facet: a cache of compiled patterns shared by all threads,
// and the whole-value match.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include <korvel/primitive_restrictions.h>

#include "values/regex.h"
#include "values/simple_pattern.h"

namespace Korvel::detail {

// The facet text as UTF-8. A character UTF-8 cannot carry (a lone surrogate, a
// value beyond U+10FFFF) is still written out, as the byte sequence it would
// have or as 0xFF, so that compiling fails with the engine's UTF-8 message
// instead of the pattern silently changing.
std::string PatternToUtf8(std::wstring_view pattern);

// A compiled pattern, or why it did not compile.
struct CompiledPattern {
  std::unique_ptr<const Regex> regex;   // null when compiling failed
  std::string error;                    // the translator's or the engine's message
  std::optional<SimplePattern> simple;  // the quick form of a compiled pattern of sets and counts
};

// Compiled patterns by their XSD text, shared by every thread. Schemas have a
// bounded number of patterns, so the cache simply starts over when it holds
// capacity of them; a capacity of 0 compiles on every lookup.
class PatternCache {
 public:
  static constexpr size_t kDefaultCapacity = 4096;

  explicit PatternCache(size_t capacity = kDefaultCapacity);
  PatternCache(const PatternCache&) = delete;
  PatternCache& operator=(const PatternCache&) = delete;

  // Translates and compiles pattern on first use. A failure is cached as well.
  std::shared_ptr<const CompiledPattern> Get(const std::string& pattern);

  size_t Size() const;

 private:
  const size_t m_capacity;
  mutable std::shared_mutex m_mutex;
  std::unordered_map<std::string, std::shared_ptr<const CompiledPattern>> m_entries;
};

// The cache every check uses.
PatternCache& SharedPatternCache();

// True when the whole value matches the XSD pattern (UTF-8). Throws
// CKvException "Invalid Regular Expression: ..." for a pattern that does not
// compile, or when the matcher gives up (ThrowPatternTooComplex). A value that
// is not valid Unicode text (a lone surrogate) does not match.
bool MatchesXsdPattern(const std::string& pattern, std::wstring_view value);
bool MatchesXsdPattern(const std::string& pattern, std::wstring_view value, PatternCache& cache);

// The pattern facet of one CPrimitiveRestrictions, compiled by its first check
// and kept by the restrictions: facets are checked value after value, and
// this spares the key and the shared lookup of every later check.
struct FacetPattern {
  std::string utf8;
  std::shared_ptr<const CompiledPattern> compiled;
};

// MatchesXsdPattern for the pattern of restrictions (not empty).
bool MatchesFacetPattern(const CPrimitiveRestrictions& restrictions, std::wstring_view value);

}  // namespace Korvel::detail
