// SPDX-License-Identifier: MIT
// The XML text writer on a ~100 MB purchase-order document, against appending
// the same bytes token by token to a fresh std::string.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <korvel/text_stream.h>
#include <korvel/xml_text_writer.h>

namespace {

using namespace Korvel;

constexpr size_t kTargetBytes = 100u << 20;
constexpr size_t kPool = 1024;

// One token in both forms: wide for the writer, narrow (and, for text,
// already escaped) for the reference.
struct Token {
  std::wstring wide;
  std::string narrow;
};

Token Make(const std::string& text) { return {std::wstring(text.begin(), text.end()), text}; }

std::vector<Token> Pool(const std::string& stem, size_t step) {
  std::vector<Token> pool;
  for (size_t i = 0; i < kPool; ++i) pool.push_back(Make(stem + std::to_string(i * step)));
  return pool;
}

struct Vocabulary {
  Token ns = Make("http://www.example.com/PO1");
  Token orders = Make("purchaseOrders"), order = Make("purchaseOrder"), shipTo = Make("shipTo"),
        billTo = Make("billTo"), name = Make("name"), street = Make("street"), city = Make("city"),
        state = Make("state"), zip = Make("zip"), comment = Make("comment"), items = Make("items"),
        item = Make("item"), productName = Make("productName"), quantity = Make("quantity"),
        usPrice = Make("USPrice"), shipDate = Make("shipDate"), orderDate = Make("orderDate"),
        id = Make("id"), country = Make("country"), partNum = Make("partNum"), us = Make("US");
  std::vector<Token> names = Pool("Alice Smith ", 1), streets = Pool("Maple Street ", 7),
                     cities = Pool("Mill Valley ", 3), zips = Pool("9", 37), ids = Pool("", 7919),
                     products = Pool("Lawnmower model ", 11), prices = Pool("1", 13),
                     dates = Pool("1999-10-", 1);
  // Text with a character to escape: the reference gets it escaped already.
  Token note{L"Hurry, my lawn is going wild & green!", "Hurry, my lawn is going wild &amp; green!"};
};

const Vocabulary& Words() {
  static const Vocabulary words;
  return words;
}

// The reference: the bytes of the formatted document appended to a string,
// token by token, with only the state a hand-written serialiser would keep.
class Reference {
 public:
  std::string out;

  void Start(const Token& name) {
    CloseTag("\n");
    out.append(m_depth, '\t');
    out += '<';
    out += name.narrow;
    m_open = true;
    m_children = false;
    ++m_depth;
  }
  void Attr(const Token& name, const Token& value) {
    out += ' ';
    out += name.narrow;
    out += "=\"";
    out += value.narrow;
    out += '"';
  }
  void Text(const Token& text) {
    CloseTag("");
    out += text.narrow;
  }
  void End(const Token& name) {
    --m_depth;
    if (m_open) {
      out += "/>\n";
    } else {
      if (m_children) out.append(m_depth, '\t');
      out += "</";
      out += name.narrow;
      out += ">\n";
    }
    m_open = false;
    m_children = true;
  }

 private:
  void CloseTag(const char* lineEnd) {
    if (!m_open) return;
    out += '>';
    out += lineEnd;
    m_open = false;
  }
  size_t m_depth = 0;
  bool m_open = false;
  bool m_children = false;
};

// Drives either sink with the same document; returns the number of orders.
template <class Sink>
struct Document {
  Sink& sink;
  const Vocabulary& w = Words();

  void Leaf(const Token& name, const Token& text) {
    Start(name);
    sink.Text(text);
    End(name);
  }
  void Start(const Token& name) { sink.Start(name); }
  void End(const Token& name) { sink.End(name); }

  void Address(const Token& element, size_t i) {
    Start(element);
    sink.Attr(w.country, w.us);
    Leaf(w.name, w.names[i % kPool]);
    Leaf(w.street, w.streets[i % kPool]);
    Leaf(w.city, w.cities[i % kPool]);
    Leaf(w.state, w.us);
    Leaf(w.zip, w.zips[i % kPool]);
    End(element);
  }

  void Order(size_t i) {
    Start(w.order);
    sink.Attr(w.orderDate, w.dates[(i * 31) % kPool]);
    sink.Attr(w.id, w.ids[i % kPool]);
    Address(w.shipTo, i);
    Address(w.billTo, i + 17);
    if (i % 3 == 0) Leaf(w.comment, w.note);
    Start(w.items);
    for (size_t k = 0; k < 1 + i % 4; ++k) {
      const size_t j = i * 4 + k;
      Start(w.item);
      sink.Attr(w.partNum, w.ids[j % kPool]);
      Leaf(w.productName, w.products[j % kPool]);
      Leaf(w.quantity, w.zips[j % 10]);
      Leaf(w.usPrice, w.prices[j % kPool]);
      if (k % 2 == 1) Leaf(w.shipDate, w.dates[j % kPool]);
      End(w.item);
    }
    End(w.items);
    End(w.order);
  }
};

// The writer behind the same interface as the reference.
class WriterSink {
 public:
  explicit WriterSink(CXmlTextWriter& writer) : m_writer(writer) {}
  void Start(const Token& name) { m_writer.StartElement(name.wide, Words().ns.wide); }
  void Attr(const Token& name, const Token& value) {
    m_writer.WriteAttribute(name.wide, m_none, value.wide, it_string);
  }
  void Text(const Token& text) { m_writer.WriteText(text.wide, it_string, false); }
  void End(const Token&) { m_writer.EndElement(); }

 private:
  CXmlTextWriter& m_writer;
  const std::wstring m_none;
};

// The number of orders that makes the document about kTargetBytes long.
size_t OrderCount() {
  static const size_t count = [] {
    Reference probe;
    Document<Reference> doc{probe};
    for (size_t i = 0; i < 1000; ++i) doc.Order(i);
    return kTargetBytes / (probe.out.size() / 1000);
  }();
  return count;
}

std::string WriteReference() {
  const Vocabulary& w = Words();
  Reference ref;
  Document<Reference> doc{ref};
  ref.out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  ref.Start(w.orders);
  ref.out += " xmlns=\"";
  ref.out += w.ns.narrow;
  ref.out += '"';
  for (size_t i = 0, n = OrderCount(); i < n; ++i) doc.Order(i);
  ref.End(w.orders);
  return std::move(ref.out);
}

void WriteDocument(CTextStream& stream) {
  CXmlTextWriter writer(stream);
  writer.Open();
  writer.WriteXmlDeclaration();
  writer.SetDefaultNamespace(Words().ns.wide);
  WriterSink sink(writer);
  Document<WriterSink> doc{sink};
  sink.Start(Words().orders);
  for (size_t i = 0, n = OrderCount(); i < n; ++i) doc.Order(i);
  sink.End(Words().orders);
  writer.Close();
}

// Resident memory of the process: the wide chunks live in their own mappings,
// which heap statistics would miss.
size_t ResidentBytes() {
  long size = 0;
  long pages = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &size, &pages) != 2) pages = 0;
    std::fclose(f);
  }
  return static_cast<size_t>(pages) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

double g_referenceBytesPerSecond = 0;

void ReportRatio(benchmark::State& state, size_t bytes, double seconds) {
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
  if (g_referenceBytesPerSecond > 0) {
    state.counters["vs_reference"] =
        static_cast<double>(bytes * state.iterations()) / seconds / g_referenceBytesPerSecond;
  }
}

void BM_PurchaseOrders_Reference(benchmark::State& state) {
  size_t bytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::string out = WriteReference();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
  g_referenceBytesPerSecond = static_cast<double>(bytes * state.iterations()) / seconds;
}
BENCHMARK(BM_PurchaseOrders_Reference)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->MeasureProcessCPUTime();

void BM_PurchaseOrders_TextWriterGetBytes(benchmark::State& state) {
  // The writer must produce exactly the reference's bytes.
  {
    CTextStream check(XmlEncoding_UTF8);
    WriteDocument(check);
    const CBinaryData bytes = check.GetBytes();
    if (std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetLength()) !=
        WriteReference()) {
      state.SkipWithError("the writer's output differs from the reference");
      return;
    }
  }
  size_t bytes = 0;
  size_t peak = 0;
  double seconds = 0;
  for (auto _ : state) {
    const size_t before = ResidentBytes();
    const auto start = std::chrono::steady_clock::now();
    CTextStream stream(XmlEncoding_UTF8);
    WriteDocument(stream);
    const CBinaryData out = stream.GetBytes();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Both the wide text and the bytes are alive here: the high-water mark.
    peak = ResidentBytes() - before;
    bytes = out.GetLength();
  }
  ReportRatio(state, bytes, seconds);
  state.counters["peak_rss_per_output_byte"] = static_cast<double>(peak) / bytes;
}
BENCHMARK(BM_PurchaseOrders_TextWriterGetBytes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->MeasureProcessCPUTime();

void BM_PurchaseOrders_TextWriterAsyncFile(benchmark::State& state) {
  AsyncToXmlFile(true);
  // Under $TMPDIR (default /tmp), as the standard library finds it.
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "korvel_bench_purchase_orders.xml";
  const std::wstring path = file.wstring();
  size_t bytes = 0;
  size_t peak = 0;
  double seconds = 0;
  for (auto _ : state) {
    const size_t before = ResidentBytes();
    const auto start = std::chrono::steady_clock::now();
    CFileTextStream stream(path, XmlEncoding_UTF8);
    WriteDocument(stream);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    peak = ResidentBytes() - before;
    bytes = stream.GetBytesWritten();
  }
  AsyncToXmlFile(false);
  std::filesystem::remove(file);
  ReportRatio(state, bytes, seconds);
  state.counters["rss_growth_per_output_byte"] = static_cast<double>(peak) / bytes;
}
BENCHMARK(BM_PurchaseOrders_TextWriterAsyncFile)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->MeasureProcessCPUTime();

}  // namespace
