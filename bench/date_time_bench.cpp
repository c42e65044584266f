// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cwchar>
#include <string>

#include <korvel/date_time.h>

namespace {

using Korvel::CDateTime;
using Korvel::CDateTimeSpan;

constexpr wchar_t kDateTime[] = L"2004-04-12T13:20:15.123456789+05:30";

void BM_DateTimeParse(benchmark::State& state) {
  CDateTime value;
  for (auto _ : state) {
    value.ParseXSDDateTime(kDateTime);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DateTimeParse);

void BM_DateTimeToString(benchmark::State& state) {
  const CDateTime value(kDateTime);
  for (auto _ : state) {
    benchmark::DoNotOptimize(value.ToString());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DateTimeToString);

// What the C library does with the same text, for scale.
void BM_ReferenceSwscanf(benchmark::State& state) {
  int y, mo, d, h, mi, s, frac, zh, zm;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::swscanf(kDateTime, L"%4d-%2d-%2dT%2d:%2d:%2d.%9d%3d:%2d", &y, &mo,
                                          &d, &h, &mi, &s, &frac, &zh, &zm));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReferenceSwscanf);

void BM_ReferenceSwprintf(benchmark::State& state) {
  wchar_t buffer[64];
  for (auto _ : state) {
    const int n = std::swprintf(buffer, 64, L"%04d-%02d-%02dT%02d:%02d:%02d.%09d%+03d:%02d", 2004,
                                4, 12, 13, 20, 15, 123456789, 5, 30);
    benchmark::DoNotOptimize(std::wstring(buffer, static_cast<size_t>(n)));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReferenceSwprintf);

void BM_DateTimeCompareZoned(benchmark::State& state) {
  const CDateTime a(kDateTime);
  const CDateTime b(L"2004-04-12T08:00:00Z");
  for (auto _ : state) {
    benchmark::DoNotOptimize(a.CompareTo(b));
  }
}
BENCHMARK(BM_DateTimeCompareZoned);

void BM_DurationParse(benchmark::State& state) {
  CDateTimeSpan span;
  for (auto _ : state) {
    span.ParseXSDDuration(L"-P1Y2M3DT4H5M6.789S");
    benchmark::DoNotOptimize(span);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DurationParse);

void BM_DurationToString(benchmark::State& state) {
  CDateTimeSpan span;
  span.ParseXSDDuration(L"-P1Y2M3DT4H5M6.789S");
  for (auto _ : state) {
    benchmark::DoNotOptimize(span.ToString());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DurationToString);

void BM_DurationCompare(benchmark::State& state) {
  CDateTimeSpan a;
  CDateTimeSpan b;
  a.ParseXSDDuration(L"P1Y2M3DT4H5M6.789S");
  b.ParseXSDDuration(L"P425DT4H5M6.789S");
  for (auto _ : state) {
    benchmark::DoNotOptimize(a.CompareTo(b));
  }
}
BENCHMARK(BM_DurationCompare);

}  // namespace
