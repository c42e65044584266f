// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <string>

#include <korvel/variant.h>

namespace {

using Korvel::KvVariant;

// A property value in transit: a typical string copied into a second carrier
// and dropped again.
void BM_VariantStringCopyClear(benchmark::State& state) {
  KvVariant source;
  source.SetString(L"Ordered item: blue widget");
  KvVariant target;
  for (auto _ : state) {
    target = source;
    benchmark::DoNotOptimize(target);
    target.Clear();
  }
}
BENCHMARK(BM_VariantStringCopyClear);

// Reference: the same string copied and freed as a plain std::wstring.
void BM_ReferenceWstringCopyClear(benchmark::State& state) {
  const std::wstring source = L"Ordered item: blue widget";
  std::wstring target;
  for (auto _ : state) {
    target = std::wstring(source);
    benchmark::DoNotOptimize(target);
    target = std::wstring();
  }
}
BENCHMARK(BM_ReferenceWstringCopyClear);

void BM_VariantI4FromString(benchmark::State& state) {
  const std::wstring text = L"  1024 ";
  KvVariant v;
  for (auto _ : state) {
    v.FromString(text, Korvel::it_i4, Korvel::CWhitespaceUtils::ws_collapse);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_VariantI4FromString);

}  // namespace
