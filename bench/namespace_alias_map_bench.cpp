// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include <korvel/namespace_alias_map.h>

namespace {

std::wstring Uri(int i) { return L"http://example.com/schemas/ns" + std::to_wstring(i); }

// What the serialiser does for every document: every (alias, URI) pair by position.
void BM_AliasMapWalkByPosition(benchmark::State& state) {
  Korvel::CNamespaceAliasMap map;
  for (int i = 0; i < state.range(0); ++i)
    map.Add((L"p" + std::to_wstring(i)).c_str(), Uri(i).c_str());
  for (auto _ : state) {
    for (int32_t i = 0; i < map.GetNamespaceCount(); ++i) {
      std::wstring uri = map.GetNamespaceAt(i);
      benchmark::DoNotOptimize(map.GetAliasFromNamespace(uri.c_str()));
    }
  }
}
BENCHMARK(BM_AliasMapWalkByPosition)->Arg(4)->Arg(32);

// Reference: the same pairs copied out of a std::map by iteration.
void BM_ReferenceStdMapWalk(benchmark::State& state) {
  std::map<std::wstring, std::wstring> map;
  for (int i = 0; i < state.range(0); ++i) map[Uri(i)] = L"p" + std::to_wstring(i);
  for (auto _ : state) {
    for (const auto& [uri, alias] : map) {
      std::wstring copy = uri;
      benchmark::DoNotOptimize(copy);
      std::wstring aliasCopy = alias;
      benchmark::DoNotOptimize(aliasCopy);
    }
  }
}
BENCHMARK(BM_ReferenceStdMapWalk)->Arg(4)->Arg(32);

}  // namespace
