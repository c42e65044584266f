// SPDX-License-Identifier: MIT
// Hostile input at growing sizes: time per byte must stay flat (linear cost)
// for huge tokens, decompression bombs and nested pattern repeats.
#include <benchmark/benchmark.h>

#include <string>

#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "bench_support.h"
#include "values/compression.h"
#include "values/pattern.h"

namespace {

void Load(Korvel::CXmlDocument& doc, const std::string& bytes) {
  doc.LoadXmlStream(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// One attribute value of range(0) MiB.
void BM_HugeAttribute(benchmark::State& state) {
  const std::string xml = "<r a='" + std::string(size_t(state.range(0)) << 20, 'v') + "'/>";
  Korvel::CXmlDocument doc;
  for (auto _ : state) Load(doc, xml);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(xml.size()));
}
BENCHMARK(BM_HugeAttribute)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

// One text node of range(0) MiB, gzip-compressed: inflated in pieces into the parser.
void BM_HugeCompressedText(benchmark::State& state) {
  const std::string xml = "<r>" + std::string(size_t(state.range(0)) << 20, 't') + "</r>";
  Korvel::CBinaryData packed(reinterpret_cast<const unsigned char*>(xml.data()),
                             static_cast<uint32_t>(xml.size()));
  Korvel::detail::CompressData(packed, Korvel::ct_gzip);
  const std::string bytes(reinterpret_cast<const char*>(packed.GetData()), packed.GetLength());
  Korvel::CSerializationContext context;  // this text shrinks 1000 times, past the default
  context.SetMaxInflatedSize(uint64_t{1} << 30);
  Korvel::CXmlDocument doc(context);
  for (auto _ : state) Load(doc, bytes);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(xml.size()));
}
BENCHMARK(BM_HugeCompressedText)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

// range(0) elements nested one in the other: the tree's peak memory per
// level, which must stay flat however deep the document goes.
void BM_DeepNesting(benchmark::State& state) {
  const auto depth = static_cast<size_t>(state.range(0));
  std::string xml;
  xml.reserve(depth * 7);
  for (size_t i = 0; i < depth; ++i) xml += "<e>";
  for (size_t i = 0; i < depth; ++i) xml += "</e>";
  const size_t before = KorvelBench::StartPeak();
  for (auto _ : state) {
    Korvel::CXmlDocument doc;
    Load(doc, xml);
  }
  const size_t grown = KorvelBench::StatusKilobytes("VmHWM:") - before;
  state.counters["peak_per_level"] = static_cast<double>(grown * 1024) / static_cast<double>(depth);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(xml.size()));
}
BENCHMARK(BM_DeepNesting)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Nested repeats that make a backtracking matcher exponential: range(0) a's.
void BM_PatternNestedRepeats(benchmark::State& state) {
  const std::wstring value = std::wstring(size_t(state.range(0)), L'a') + L"c";
  for (auto _ : state) {
    benchmark::DoNotOptimize(Korvel::detail::MatchesXsdPattern("(a+)+b|a*c", value));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(value.size()));
}
BENCHMARK(BM_PatternNestedRepeats)->Arg(100)->Arg(1000)->Arg(10000);

}  // namespace
