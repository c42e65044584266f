// SPDX-License-Identifier: MIT
// The catalogue binding generated from catalog.xsd on a catalogue of about
// 50 MB written by tools/gen_catalog.py, measured as the purchase order is:
// reading into objects (load and bind) against expat with empty callbacks,
// peak memory against the input, and writing the objects against appending
// the same bytes token by token.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/binary_data.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "bench_support.h"
#include "catalog.h"

namespace {

using namespace KorvelBench;

using namespace Korvel;

const std::string& Document() {
  static const std::string document = [] {
    std::ifstream in(KORVEL_CATALOG_DOCUMENT, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }();
  return document;
}

CSmartPtr<Catalog::CCatalogType> ReadCatalog(const std::string& xml) {
  CSmartPtr<Catalog::CCatalogType> catalog = new Catalog::CCatalogType();
  catalog->FromXmlStream(reinterpret_cast<const unsigned char*>(xml.data()), xml.size(),
                         CSerializationContext());
  return catalog;
}

std::string Written(const Catalog::CCatalogType& catalog) {
  const CBinaryData out =
      catalog.ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, CSerializationContext(), ct_none);
  return std::string(reinterpret_cast<const char*>(out.GetData()), out.GetLength());
}

// The objects' written text cut into the tokens the order's reference
// appends: indentation with "<" or "</", each name, " name=\"" before each
// attribute value, the value, each text, and ">" with its line end.
struct Tokens {
  std::string text;
  std::vector<std::string_view> pieces;
};

std::vector<size_t> TokenStarts(const std::string& text) {
  std::vector<size_t> starts{0};
  auto cut = [&starts](size_t at) {
    if (at > starts.back()) starts.push_back(at);
  };
  bool inTag = false, inValue = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inValue) {
      if (c == '"') cut(i), inValue = false;
    } else if (inTag) {
      if (c == '"') {
        cut(i + 1), inValue = true;
      } else if (c == ' ' || c == '>' || (c == '/' && text[i - 1] != '<')) {
        if (std::strchr("<?/", text[i - 1]) == nullptr && text[i - 1] != '"') cut(i);
        if (c == '>') inTag = false;
      }
      if (c == '>' && i + 1 < text.size() && text[i + 1] != '\n') cut(i + 1);
    } else if (c == '<') {
      // Indentation and "<" are one token; text ends before it.
      if (text.find_first_not_of("\t ", starts.back()) < i) cut(i);
      inTag = true;
      cut(i + (i + 1 < text.size() && text[i + 1] == '/' ? 2 : 1));
    } else if (c == '\n') {
      cut(i + 1);
    }
  }
  return starts;
}

const Tokens& WrittenTokens() {
  static const Tokens tokens = [] {
    Tokens t;
    t.text = Written(*ReadCatalog(Document()));
    std::vector<size_t> starts = TokenStarts(t.text);
    starts.push_back(t.text.size());
    for (size_t i = 0; i + 1 < starts.size(); ++i) {
      if (starts[i + 1] > starts[i]) {
        t.pieces.emplace_back(t.text.data() + starts[i], starts[i + 1] - starts[i]);
      }
    }
    return t;
  }();
  return tokens;
}

// As the order's benchmark does: destroys the objects read and settles the
// allocator's books on the freed memory, so that a read pays for its own work.
void DestroyUntimed(CSmartPtr<Catalog::CCatalogType>& catalog) {
  catalog = nullptr;
  void* large = std::malloc(64 << 10);
  benchmark::DoNotOptimize(large);
  std::free(large);
}

double g_expatBytesPerSecond = 0;
double g_referenceBytesPerSecond = 0;

void BM_Catalog_ExpatEmptyCallbacks(benchmark::State& state) {
  const std::string& xml = Document();
  double seconds = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    const bool ok = ParseWithEmptyCallbacks(xml);
    seconds += CpuSeconds() - start;
    if (!ok) state.SkipWithError("parse failed");
  }
  g_expatBytesPerSecond = static_cast<double>(xml.size() * state.iterations()) / seconds;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
}
BENCHMARK(BM_Catalog_ExpatEmptyCallbacks)->Unit(benchmark::kMillisecond)->Iterations(3);

// The share of the document: load and destroy it, binding nothing.
void BM_Catalog_LoadOnly(benchmark::State& state) {
  MeasureLoadOnly(state, Document(), g_expatBytesPerSecond);
}
BENCHMARK(BM_Catalog_LoadOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

// Load and bind: the document is parsed, the objects filled and checked, the
// document destroyed.
void BM_Catalog_ReadIntoObjects(benchmark::State& state) {
  const std::string& xml = Document();
  const CSerializationContext context;
  CSmartPtr<Catalog::CCatalogType> catalog;
  const auto read = [&] {
    catalog = new Catalog::CCatalogType();
    const double start = CpuSeconds();
    catalog->FromXmlStream(reinterpret_cast<const unsigned char*>(xml.data()), xml.size(), context);
    const double seconds = CpuSeconds() - start;
    if (catalog->GetCategory().GetCount() == 0) state.SkipWithError("categories lost");
    return seconds;
  };
  MeasureReads(state, xml.size(), g_expatBytesPerSecond, read, [&] { DestroyUntimed(catalog); });
}
BENCHMARK(BM_Catalog_ReadIntoObjects)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Catalog_TokenAppendReference(benchmark::State& state) {
  const Tokens& tokens = WrittenTokens();
  size_t bytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    std::string out;
    for (std::string_view piece : tokens.pieces) out += piece;
    seconds += CpuSeconds() - start;
    bytes = out.size();
    if (out != tokens.text) state.SkipWithError("the tokens differ from the text");
    benchmark::DoNotOptimize(out.data());
  }
  g_referenceBytesPerSecond = static_cast<double>(bytes * state.iterations()) / seconds;
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}
BENCHMARK(BM_Catalog_TokenAppendReference)->Unit(benchmark::kMillisecond)->Iterations(3);

// The objects written as formatted UTF-8, facets checked.
void BM_Catalog_WriteObjects(benchmark::State& state) {
  const CSerializationContext context;
  CSmartPtr<Catalog::CCatalogType> catalog = ReadCatalog(Document());
  if (Written(*catalog) != WrittenTokens().text) {
    state.SkipWithError("the written catalogue differs from the reference");
    return;
  }
  size_t bytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    const CBinaryData out =
        catalog->ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, context, ct_none);
    seconds += CpuSeconds() - start;
    bytes = out.GetLength();
  }
  const double rate = static_cast<double>(bytes * state.iterations()) / seconds;
  if (g_referenceBytesPerSecond > 0)
    state.counters["vs_reference"] = rate / g_referenceBytesPerSecond;
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}
BENCHMARK(BM_Catalog_WriteObjects)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
