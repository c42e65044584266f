// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

#include <korvel/fi_vocabulary.h>

namespace {

constexpr int kNames = 200;

std::wstring LocalName(int i) { return L"elementName" + std::to_wstring(i); }
const std::wstring kNamespace = L"http://example.com/schemas/order";

// The writer's lookup of an element's qualified name, as done for every start tag.
void BM_VocabularyFindElementName(benchmark::State& state) {
  Korvel::CFIVocabulary vocabulary;
  std::vector<std::wstring> names;
  for (int i = 0; i < kNames; ++i) {
    names.push_back(LocalName(i));
    vocabulary.AddElement(L"o", kNamespace, names.back());
  }
  const std::wstring prefix = L"o";
  size_t i = 0;
  for (auto _ : state) {
    uint32_t index = 0;
    benchmark::DoNotOptimize(
        vocabulary.FindElementNameIndex(prefix, kNamespace, names[i++ % kNames], index));
    benchmark::DoNotOptimize(index);
  }
}
BENCHMARK(BM_VocabularyFindElementName);

// Reference: a hash lookup of a key built beforehand (no key construction).
void BM_ReferenceHashFindPrebuiltKey(benchmark::State& state) {
  std::unordered_map<std::wstring, uint32_t> map;
  std::vector<std::wstring> keys;
  for (int i = 0; i < kNames; ++i) {
    keys.push_back(LocalName(i) + L'\x0001' + kNamespace + L'\x0001' + L"o");
    map.emplace(keys.back(), i + 1);
  }
  size_t i = 0;
  for (auto _ : state) {
    auto it = map.find(keys[i++ % kNames]);
    benchmark::DoNotOptimize(it);
  }
}
BENCHMARK(BM_ReferenceHashFindPrebuiltKey);

// A short attribute value, looked up before the writer decides to index it.
void BM_VocabularyFindAttributeValue(benchmark::State& state) {
  Korvel::CFIVocabulary vocabulary;
  std::vector<std::wstring> values;
  for (int i = 0; i < kNames; ++i) {
    values.push_back(std::to_wstring(i * 7));
    vocabulary.AddAttributeValue(values.back());
  }
  size_t i = 0;
  for (auto _ : state) {
    uint32_t index = 0;
    benchmark::DoNotOptimize(vocabulary.FindAttributeValueIndex(values[i++ % kNames], index));
  }
}
BENCHMARK(BM_VocabularyFindAttributeValue);

}  // namespace
