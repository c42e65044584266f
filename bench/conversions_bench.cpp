// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cwchar>
#include <string>

#include <korvel/conversions.h>

namespace {

using Korvel::CConversions;
using Korvel::CWhitespaceUtils;

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

// Element text as documents carry it: mostly bare, some indented.
const std::wstring kIntegers[] = {L"42", L"  -1024\n", L"2147483647", L"7"};
const std::wstring kDecimals[] = {L"148.95", L" 0.5 ", L"-12345.678", L"1000"};
const std::wstring kBooleans[] = {L"true", L" false ", L"1", L"FALSE"};
const double kDoubles[] = {0.1, 148.95, -1.0 / 3.0, 6.02214076e23};

void BM_I4FromString(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CConversions::i4FromString(kIntegers[i++ & 3], kCollapse));
  }
}
BENCHMARK(BM_I4FromString);

// Reference: the C library's parser on the same texts, without rules or checks.
void BM_ReferenceWcstol(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::wcstol(kIntegers[i++ & 3].c_str(), nullptr, 10));
  }
}
BENCHMARK(BM_ReferenceWcstol);

void BM_R8ToString(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(CConversions::r8ToString(kDoubles[i++ & 3]));
}
BENCHMARK(BM_R8ToString);

// Reference: "%.16g" through the C library into a string.
void BM_ReferenceSwprintfG16(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) {
    wchar_t buffer[48];
    int n = std::swprintf(buffer, 48, L"%.16g", kDoubles[i++ & 3]);
    benchmark::DoNotOptimize(std::wstring(buffer, n));
  }
}
BENCHMARK(BM_ReferenceSwprintfG16);

void BM_R8FromString(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CConversions::r8FromString(kDecimals[i++ & 3], kCollapse));
  }
}
BENCHMARK(BM_R8FromString);

void BM_ReferenceWcstod(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::wcstod(kDecimals[i++ & 3].c_str(), nullptr));
  }
}
BENCHMARK(BM_ReferenceWcstod);

void BM_DecimalFromString(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CConversions::decimalFromString(kDecimals[i++ & 3], kCollapse));
  }
}
BENCHMARK(BM_DecimalFromString);

void BM_BooleanFromString(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CConversions::booleanFromString(kBooleans[i++ & 3], kCollapse));
  }
}
BENCHMARK(BM_BooleanFromString);

// Reference for the rule itself: the public Collapse, which returns a copy.
void BM_ReferenceCollapseCopy(benchmark::State& state) {
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(CWhitespaceUtils::Collapse(kBooleans[i++ & 3]));
}
BENCHMARK(BM_ReferenceCollapseCopy);

}  // namespace
