// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <regex>
#include <string>

#include <korvel/errors.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/variant.h>

#include "values/pattern.h"
#include "values/restriction_check.h"

namespace {

using Korvel::CPrimitiveRestrictions;
using Korvel::KvVariant;

const wchar_t kSku[] = L"\\d{3}-[A-Z]{2}";  // an XSD stock-keeping unit

CPrimitiveRestrictions PatternOnly(const wchar_t* pattern) {
  return CPrimitiveRestrictions(pattern, -1, -1, L"", L"", L"", L"", -1, -1, -1);
}

KvVariant StringValue(const wchar_t* text) {
  KvVariant value;
  value.SetString(text);
  return value;
}

// The whole check a reader runs on a string property, compiled pattern cached.
void BM_FacetPatternSku(benchmark::State& state) {
  const CPrimitiveRestrictions facets = PatternOnly(kSku);
  const KvVariant value = StringValue(L"123-AB");
  for (auto _ : state) Korvel::detail::CheckRestrictions(L"sku", value, Korvel::it_string, facets);
}
BENCHMARK(BM_FacetPatternSku);

// The same match compiling the pattern every time, as with no cache.
void BM_FacetPatternSkuUncached(benchmark::State& state) {
  Korvel::detail::PatternCache uncached(0);
  const std::string pattern = Korvel::detail::PatternToUtf8(kSku);
  const std::wstring value = L"123-AB";
  for (auto _ : state) {
    benchmark::DoNotOptimize(Korvel::detail::MatchesXsdPattern(pattern, value, uncached));
  }
}
BENCHMARK(BM_FacetPatternSkuUncached);

// Reference in the same run: the standard library's matcher, compiled once.
void BM_ReferenceStdRegexSku(benchmark::State& state) {
  const std::wregex sku(L"\\d{3}-[A-Z]{2}");
  const std::wstring value = L"123-AB";
  for (auto _ : state) benchmark::DoNotOptimize(std::regex_match(value, sku));
}
BENCHMARK(BM_ReferenceStdRegexSku);

// A price against totalDigits 10 and fractionDigits 2.
void BM_FacetDecimalDigits(benchmark::State& state) {
  const CPrimitiveRestrictions facets(L"", -1, -1, L"", L"", L"", L"", -1, 10, 2);
  KvVariant value;
  value.SetDecimal(Korvel::CDecimal(L"148.95"));
  for (auto _ : state)
    Korvel::detail::CheckRestrictions(L"price", value, Korvel::it_decimal, facets);
}
BENCHMARK(BM_FacetDecimalDigits);

// Reference: taking the decimal out of the carrier, which every check does.
void BM_ReferenceDecimalCopy(benchmark::State& state) {
  KvVariant value;
  value.SetDecimal(Korvel::CDecimal(L"148.95"));
  for (auto _ : state) benchmark::DoNotOptimize(value.GetDecimal());
}
BENCHMARK(BM_ReferenceDecimalCopy);

// A price between two bounds, parsed from their text on every check.
void BM_FacetDecimalBounds(benchmark::State& state) {
  const CPrimitiveRestrictions facets(L"", -1, -1, L"0", L"100000", L"", L"", -1, 10, 2);
  KvVariant value;
  value.SetDecimal(Korvel::CDecimal(L"148.95"));
  for (auto _ : state)
    Korvel::detail::CheckRestrictions(L"price", value, Korvel::it_decimal, facets);
}
BENCHMARK(BM_FacetDecimalBounds);

// Nested repeats against a value that fails at its last character: exponential
// for a plain backtracking matcher.
void RunawayCheck(benchmark::State& state, const wchar_t* pattern) {
  const CPrimitiveRestrictions facets = PatternOnly(pattern);
  const KvVariant value = StringValue((std::wstring(state.range(0), L'a') + L"c").c_str());
  for (auto _ : state) {
    try {
      Korvel::detail::CheckRestrictions(L"v", value, Korvel::it_string, facets);
    } catch (const Korvel::CKvException&) {
      // the expected verdict
    }
  }
}

void BM_FacetPatternRunaway(benchmark::State& state) { RunawayCheck(state, L"(a+)+b"); }
BENCHMARK(BM_FacetPatternRunaway)->Arg(40)->Unit(benchmark::kMicrosecond);

// Without the trailing b nothing rules the value out early.
void BM_FacetPatternRunawayNoLiteral(benchmark::State& state) { RunawayCheck(state, L"(a+)+"); }
BENCHMARK(BM_FacetPatternRunawayNoLiteral)
    ->Arg(40)
    ->Arg(400)
    ->Arg(4000)
    ->Unit(benchmark::kMicrosecond);

void BM_FacetPatternRunawayWords(benchmark::State& state) { RunawayCheck(state, L"(\\w+\\s?)+!"); }
BENCHMARK(BM_FacetPatternRunawayWords)->Arg(40)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace
