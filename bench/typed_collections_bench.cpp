// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include <korvel/typed_collections.h>

namespace {

using namespace Korvel;

// Values are cleared every kBatch insertions, so that the collection stays the
// size of a long repeated element; the clearing is part of the measured time.
constexpr int32_t kBatch = 4096;

// An i4 with minInclusive and maxInclusive, as a schema's range type gives it.
void BM_TypedAddI4WithRange(benchmark::State& state) {
  Ci4Col col(L"quantity", L"urn:po", 0, -1, nullptr, -1, -1, L"0", L"1000000", nullptr, nullptr,
             -1, -1, -1, CWhitespaceUtils::ws_collapse, nullptr);
  int32_t value = 0;
  for (auto _ : state) {
    col.Add(value);
    if (++value == kBatch) {
      value = 0;
      col.Clear();
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TypedAddI4WithRange);

// The reading path of a decimal element with totalDigits and fractionDigits.
class ReadableDecimals : public CdecimalCol {
 public:
  using CdecimalCol::CdecimalCol;
  using CdecimalCol::AddFromString;
};

void BM_TypedAddFromStringDecimalDigits(benchmark::State& state) {
  ReadableDecimals col(L"price", L"urn:po", 0, -1, nullptr, -1, -1, nullptr, nullptr, nullptr,
                       nullptr, -1, 9, 2, CWhitespaceUtils::ws_collapse, nullptr);
  const std::wstring texts[] = {L"12345.67", L"-0.5", L"999999.99", L"42"};
  int32_t count = 0;
  for (auto _ : state) {
    col.AddFromString(texts[count & 3]);
    if (++count == kBatch) {
      count = 0;
      col.Clear();
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TypedAddFromStringDecimalDigits);

}  // namespace
