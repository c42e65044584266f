// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <korvel/errors.h>

namespace {

void BM_FormatStringMessage(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Korvel::FormatString(
        L"Invalid Value for %s [%s]. Must be between %d and %d.", L"short", L"70000", -32768,
        32767));
  }
}
BENCHMARK(BM_FormatStringMessage);

}  // namespace
