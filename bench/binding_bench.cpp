// SPDX-License-Identifier: MIT
// The purchase-order binding on one order of about 100 MB: reading into
// objects (load and bind) against expat with empty callbacks, writing the
// objects against appending the same bytes token by token, and JSON and Fast
// Infoset written and read against XML text, all in one run.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <korvel/binary_data.h>
#include <korvel/fi_declaration.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "bench_support.h"
#include "po_binding.h"

namespace {

using namespace KorvelBench;

using namespace Korvel;

constexpr size_t kDocumentSize = 100u << 20;

// The values of one item, as text.
struct ItemText {
  std::string partNum, productName, quantity, price, shipDate;
};

ItemText MakeItem(size_t i) {
  static const char* const kProducts[] = {"Lawnmower", "Baby Monitor", "Sturdy Shelves",
                                          "Garden Hose, 25 ft", "Caf\xc3\xa9 table"};
  ItemText item;
  item.partNum = std::to_string(100 + i % 900) + "-AA";
  item.productName = kProducts[i % 5];
  item.quantity = std::to_string(1 + i % 98);
  item.price = std::to_string(10 + (i * 7) % 190) + ".95";
  if (i % 2) item.shipDate = "1999-05-" + std::to_string(10 + i % 19);
  return item;
}

// The order in the layout the writer gives it (tab indentation, LF), built by
// appending tokens: also the writing reference.
class OrderText {
 public:
  explicit OrderText(const std::vector<ItemText>& items) : m_items(items) {}

  std::string Build() const {
    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<purchaseOrder orderDate=\"1999-10-20\">\n";
    Address(out, "shipTo", "Alice Smith", "123 Maple Street", "Mill Valley", "CA", "90952");
    Address(out, "billTo", "Robert Smith", "8 Oak Avenue", "Old Town", "PA", "95819");
    out += "\t<comment>Hurry, my lawn is going wild!</comment>\n\t<items>\n";
    for (const ItemText& item : m_items) {
      out += "\t\t<item partNum=\"";
      out += item.partNum;
      out += "\">\n";
      Leaf(out, "productName", item.productName);
      Leaf(out, "quantity", item.quantity);
      Leaf(out, "USPrice", item.price);
      if (!item.shipDate.empty()) Leaf(out, "shipDate", item.shipDate);
      out += "\t\t</item>\n";
    }
    out += "\t</items>\n</purchaseOrder>\n";
    return out;
  }

 private:
  static void Leaf(std::string& out, const char* name, const std::string& text) {
    out += "\t\t\t<";
    out += name;
    out += '>';
    out += text;
    out += "</";
    out += name;
    out += ">\n";
  }
  static void Address(std::string& out, const char* tag, const char* name, const char* street,
                      const char* city, const char* state, const char* zip) {
    out += "\t<";
    out += tag;
    out += " country=\"US\">\n";
    for (const auto& [leaf, text] : {std::pair{"name", name},
                                     {"street", street},
                                     {"city", city},
                                     {"state", state},
                                     {"zip", zip}}) {
      out += "\t\t<";
      out += leaf;
      out += '>';
      out += text;
      out += "</";
      out += leaf;
      out += ">\n";
    }
    out += "\t</";
    out += tag;
    out += ">\n";
  }
  const std::vector<ItemText>& m_items;
};

const std::vector<ItemText>& Items() {
  static const std::vector<ItemText> items = [] {
    std::vector<ItemText> list;
    size_t size = 0;
    for (size_t i = 0; size < kDocumentSize; ++i) {
      list.push_back(MakeItem(i));
      size += 130 + list.back().productName.size() + (list.back().shipDate.empty() ? 0 : 34);
    }
    return list;
  }();
  return items;
}

const std::string& Document() {
  static const std::string document = OrderText(Items()).Build();
  return document;
}

// Destroys the objects read and settles the allocator's books on the freed
// memory, so that a read pays for its own work: malloc merges the millions of
// small blocks freed on the next large request, which would otherwise be made
// by the next timed read. The memory stays with the process (a trim would
// have the next read fault it in again), as in a program that reads on.
void DestroyUntimed(CSmartPtr<Po::CPurchaseOrderType>& order) {
  order = nullptr;
  void* large = std::malloc(64 << 10);
  benchmark::DoNotOptimize(large);
  std::free(large);
}

double g_expatBytesPerSecond = 0;
double g_referenceBytesPerSecond = 0;
// Objects per second of the XML text entry points, the reference of the other
// encodings (which differ in size, so bytes per second would not compare).
double g_xmlReadsPerSecond = 0;
double g_xmlWritesPerSecond = 0;

void BM_Order_ExpatEmptyCallbacks(benchmark::State& state) {
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
BENCHMARK(BM_Order_ExpatEmptyCallbacks)->Unit(benchmark::kMillisecond)->Iterations(3);

// The share of the document: load and destroy it, binding nothing.
void BM_Order_LoadOnly(benchmark::State& state) {
  MeasureLoadOnly(state, Document(), g_expatBytesPerSecond);
}
BENCHMARK(BM_Order_LoadOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

// Load and bind: the document is parsed, the objects filled and checked, the
// document destroyed.
void BM_Order_ReadIntoObjects(benchmark::State& state) {
  const std::string& xml = Document();
  const CSerializationContext context;
  CSmartPtr<Po::CPurchaseOrderType> order;
  const auto read = [&] {
    order = new Po::CPurchaseOrderType();
    const double start = CpuSeconds();
    order->FromXmlStream(reinterpret_cast<const unsigned char*>(xml.data()), xml.size(), context);
    const double seconds = CpuSeconds() - start;
    if (order->GetItems().GetItem().GetCount() != static_cast<int32_t>(Items().size())) {
      state.SkipWithError("items lost");
    }
    return seconds;
  };
  const double seconds =
      MeasureReads(state, xml.size(), g_expatBytesPerSecond, read, [&] { DestroyUntimed(order); });
  g_xmlReadsPerSecond = static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK(BM_Order_ReadIntoObjects)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Order_TokenAppendReference(benchmark::State& state) {
  size_t bytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    std::string out = OrderText(Items()).Build();
    seconds += CpuSeconds() - start;
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  g_referenceBytesPerSecond = static_cast<double>(bytes * state.iterations()) / seconds;
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}
BENCHMARK(BM_Order_TokenAppendReference)->Unit(benchmark::kMillisecond)->Iterations(3);

const CSerializationContext& Context() {
  static const CSerializationContext context;
  return context;
}

// The order read once from the XML text, the source of every other encoding.
Po::CPurchaseOrderType& Order() {
  static const CSmartPtr<Po::CPurchaseOrderType> order = [] {
    CSmartPtr<Po::CPurchaseOrderType> o = new Po::CPurchaseOrderType();
    o->FromXmlStream(reinterpret_cast<const unsigned char*>(Document().data()), Document().size(),
                     Context());
    return o;
  }();
  return *order;
}

// The objects written as formatted UTF-8, facets checked.
void BM_Order_WriteObjects(benchmark::State& state) {
  const CSerializationContext& context = Context();
  const Po::CPurchaseOrderType* order = &Order();
  {
    const CBinaryData check =
        order->ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, context, ct_none);
    if (std::string(reinterpret_cast<const char*>(check.GetData()), check.GetLength()) !=
        Document()) {
      state.SkipWithError("the written order differs from the reference");
      return;
    }
  }
  size_t bytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    const CBinaryData out =
        order->ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, context, ct_none);
    seconds += CpuSeconds() - start;
    bytes = out.GetLength();
  }
  const double rate = static_cast<double>(bytes * state.iterations()) / seconds;
  g_xmlWritesPerSecond = static_cast<double>(state.iterations()) / seconds;
  if (g_referenceBytesPerSecond > 0)
    state.counters["vs_reference"] = rate / g_referenceBytesPerSecond;
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}
BENCHMARK(BM_Order_WriteObjects)->Unit(benchmark::kMillisecond)->Iterations(3);

// --- JSON and Fast Infoset against XML text ------------------------------------

const CBinaryData& JsonBytes() {
  static const CBinaryData bytes =
      Order().ToJsonStream(true, XmlEncoding_UTF8, EOL_LF, Context(), ct_none);
  return bytes;
}

const CBinaryData& FastInfosetBytes() {
  static const CBinaryData bytes = Order().ToFastInfosetStream(FInfoDecl_None, Context(), ct_none);
  return bytes;
}

// Times write() over the iterations; the counter is the speed in objects per
// second against the XML text entry point's.
template <class Write>
void WriteAgainstXml(benchmark::State& state, Write write) {
  size_t bytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    const CBinaryData out = write();
    seconds += CpuSeconds() - start;
    bytes = out.GetLength();
  }
  if (g_xmlWritesPerSecond > 0) {
    state.counters["vs_xml_write"] =
        static_cast<double>(state.iterations()) / seconds / g_xmlWritesPerSecond;
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}

template <class Read>
void ReadAgainstXml(benchmark::State& state, const CBinaryData& input, Read read) {
  double seconds = 0;
  for (auto _ : state) {
    CSmartPtr<Po::CPurchaseOrderType> order = new Po::CPurchaseOrderType();
    const double start = CpuSeconds();
    read(*order, input);
    seconds += CpuSeconds() - start;
    if (order->GetItems().GetItem().GetCount() != static_cast<int32_t>(Items().size())) {
      state.SkipWithError("items lost");
    }
    state.PauseTiming();
    DestroyUntimed(order);
    state.ResumeTiming();
  }
  if (g_xmlReadsPerSecond > 0) {
    state.counters["vs_xml_read"] =
        static_cast<double>(state.iterations()) / seconds / g_xmlReadsPerSecond;
  }
  state.SetBytesProcessed(static_cast<int64_t>(input.GetLength() * state.iterations()));
}

void BM_Order_WriteJson(benchmark::State& state) {
  Order();
  WriteAgainstXml(state, [] {
    return Order().ToJsonStream(true, XmlEncoding_UTF8, EOL_LF, Context(), ct_none);
  });
}
BENCHMARK(BM_Order_WriteJson)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Order_ReadJson(benchmark::State& state) {
  ReadAgainstXml(state, JsonBytes(), [](Po::CPurchaseOrderType& order, const CBinaryData& json) {
    order.FromJsonStream(json, Context());
  });
}
BENCHMARK(BM_Order_ReadJson)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Order_WriteFastInfoset(benchmark::State& state) {
  Order();
  WriteAgainstXml(state,
                  [] { return Order().ToFastInfosetStream(FInfoDecl_None, Context(), ct_none); });
  state.counters["size_vs_xml"] =
      static_cast<double>(FastInfosetBytes().GetLength()) / static_cast<double>(Document().size());
}
BENCHMARK(BM_Order_WriteFastInfoset)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Order_ReadFastInfoset(benchmark::State& state) {
  ReadAgainstXml(state, FastInfosetBytes(),
                 [](Po::CPurchaseOrderType& order, const CBinaryData& fi) {
                   order.FromXmlStream(fi, Context());
                 });
}
BENCHMARK(BM_Order_ReadFastInfoset)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
