// SPDX-License-Identifier: MIT
// Loading a large purchase-order document: the reader against expat alone on
// the same bytes, the memory the loaded tree takes, and the two file paths.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <korvel/xml_document.h>

#include "bench_support.h"

namespace {

using namespace KorvelBench;

constexpr size_t kDocumentSize = 100u << 20;

// Purchase orders as the library's writer lays them out (tab indentation, one
// element per line), until the document reaches about size bytes.
std::string PurchaseOrders(size_t size) {
  static const char* const kProducts[] = {"Lawnmower", "Baby Monitor", "Sturdy Shelves",
                                          "Garden Hose, 25 ft", "Caf\xc3\xa9 table"};
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<po:purchaseOrders xmlns:po=\"http://www.example.com/PO1\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
  xml.reserve(size + 4096);
  auto address = [&xml](const char* tag, int n) {
    xml += "\t\t<";
    xml += tag;
    xml += " country=\"US\">\n\t\t\t<name>Alice Smith ";
    xml += std::to_string(n);
    xml += "</name>\n\t\t\t<street>";
    xml += std::to_string(100 + n % 900);
    xml +=
        " Maple Street</street>\n\t\t\t<city>Mill Valley</city>\n\t\t\t<state>CA</state>\n"
        "\t\t\t<zip>";
    xml += std::to_string(90000 + n % 10000);
    xml += "</zip>\n\t\t</";
    xml += tag;
    xml += ">\n";
  };
  for (int n = 0; xml.size() < size; ++n) {
    xml += "\t<po:purchaseOrder orderDate=\"1999-10-";
    xml += std::to_string(10 + n % 20);
    xml += "\">\n";
    address("shipTo", n);
    address("billTo", n + 1);
    xml += "\t\t<comment>Hurry, my lawn is going wild!</comment>\n\t\t<items>\n";
    for (int i = 0; i < 3; ++i) {
      xml += "\t\t\t<item partNum=\"";
      xml += std::to_string(100 + (n + i) % 900);
      xml += "-AA\">\n\t\t\t\t<productName>";
      xml += kProducts[(n + i) % 5];
      xml += "</productName>\n\t\t\t\t<quantity>";
      xml += std::to_string(1 + i);
      xml += "</quantity>\n\t\t\t\t<USPrice>";
      xml += std::to_string(10 + (n * 7 + i) % 190);
      xml += ".95</USPrice>\n\t\t\t\t<shipDate>1999-05-21</shipDate>\n\t\t\t</item>\n";
    }
    xml += "\t\t</items>\n\t</po:purchaseOrder>\n";
  }
  xml += "</po:purchaseOrders>\n";
  return xml;
}

const std::string& Document() {
  static const std::string document = PurchaseOrders(kDocumentSize);
  return document;
}

// The document written to a temporary file, removed at exit.
class DocumentFile {
 public:
  static const std::wstring& Path() {
    static const DocumentFile file;
    return file.m_path;
  }

 private:
  DocumentFile()
      : m_file(std::filesystem::temp_directory_path() /
               ("korvel_po_bench_" + std::to_string(::getpid()) + ".xml")),
        m_path(m_file.wstring()) {
    std::ofstream(m_file, std::ios::binary)
        .write(Document().data(), static_cast<std::streamsize>(Document().size()));
  }
  ~DocumentFile() {
    std::error_code ignored;
    std::filesystem::remove(m_file, ignored);
  }

  std::filesystem::path m_file;
  std::wstring m_path;
};

// The reference: expat with namespace processing and empty callbacks, fed the
// same way the reader feeds it.
void BM_ExpatEmptyCallbacks(benchmark::State& state) {
  const std::string& xml = Document();
  for (auto _ : state) {
    if (!ParseWithEmptyCallbacks(xml)) state.SkipWithError("parse failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
}
BENCHMARK(BM_ExpatEmptyCallbacks)->Unit(benchmark::kMillisecond)->MinTime(2.0);

std::unique_ptr<Korvel::CXmlDocument> Load(const std::string& xml) {
  auto document = std::make_unique<Korvel::CXmlDocument>();
  document->LoadXmlStream(reinterpret_cast<const unsigned char*>(xml.data()),
                          static_cast<uint32_t>(xml.size()));
  return document;
}

// The whole load into a tree; tearing the tree down is timed separately.
// The first load of the process is not timed with the others: it also grows
// the heap, and on a virtual machine whose page faults are dear that costs more
// than the parse. It gives the memory figures instead (resident memory of the
// loaded tree and peak during the load, relative to the input) and its own time.
void BM_LoadXmlStream(benchmark::State& state) {
  const std::string& xml = Document();
  const auto input = static_cast<double>(xml.size());
  // Memory the heap keeps from earlier benchmarks would hide part of the tree.
  malloc_trim(0);
  ResetPeak();
  const size_t before = ResidentBytes();
  const double start = CpuSeconds();
  auto first = Load(xml);
  state.counters["first_load_cpu_ms"] = 1000 * (CpuSeconds() - start);
  state.counters["tree_per_input_byte"] = static_cast<double>(ResidentBytes() - before) / input;
  state.counters["peak_per_input_byte"] = static_cast<double>(PeakResidentBytes() - before) / input;
  first.reset();

  double teardown = 0;
  for (auto _ : state) {
    auto document = Load(xml);
    state.PauseTiming();
    const auto teardownStart = std::chrono::steady_clock::now();
    document.reset();
    teardown +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - teardownStart).count();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
  state.counters["teardown_ms"] = 1000 * teardown / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LoadXmlStream)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One purchase order of 1.2 KB (the list stops growing once it passes 256
// bytes), loaded and destroyed again and again as a service reads its
// messages: the fixed cost of a load (parser, tables, tree) shows here.
// Against expat alone on the same bytes, which by default also draws a hash
// key from the system for every document.
const std::string& SmallDocument() {
  static const std::string document = PurchaseOrders(256);
  return document;
}

void BM_ExpatSmallDocument(benchmark::State& state) {
  for (auto _ : state) {
    if (!ParseWithEmptyCallbacks(SmallDocument())) state.SkipWithError("parse failed");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExpatSmallDocument);

void BM_LoadSmallDocument(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Load(SmallDocument()));
  state.SetItemsProcessed(state.iterations());
  state.counters["bytes"] = static_cast<double>(SmallDocument().size());
}
BENCHMARK(BM_LoadSmallDocument);

void LoadFile(benchmark::State& state, bool async) {
  const std::wstring& path = DocumentFile::Path();
  Korvel::AsyncFromXmlFile(async);
  for (auto _ : state) {
    Korvel::CXmlDocument document;
    document.Load(path.c_str());
    state.PauseTiming();
    document.LoadXml("<a/>");  // the teardown is not what is measured
    state.ResumeTiming();
  }
  Korvel::AsyncFromXmlFile(false);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Document().size()));
}

void BM_LoadFileSync(benchmark::State& state) { LoadFile(state, false); }
void BM_LoadFileAsync(benchmark::State& state) { LoadFile(state, true); }
BENCHMARK(BM_LoadFileSync)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadFileAsync)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
