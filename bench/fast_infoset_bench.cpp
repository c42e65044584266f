// SPDX-License-Identifier: MIT
// Fast Infoset against XML text on a ~100 MB purchase-order document: the
// size of the encoded document, writing it from the same writer calls, and
// loading it into a CXmlDocument. Ratios are reported against XML text.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <korvel/binary_data.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/fast_infoset_writer.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

namespace {

using namespace Korvel;

constexpr size_t kTargetXmlBytes = 100u << 20;
constexpr size_t kPool = 1024;

std::vector<std::wstring> Pool(const std::wstring& stem, size_t step) {
  std::vector<std::wstring> pool;
  for (size_t i = 0; i < kPool; ++i) pool.push_back(stem + std::to_wstring(i * step));
  return pool;
}

struct Words {
  const std::wstring ns = L"http://www.example.com/PO1", none;
  const std::wstring orders = L"purchaseOrders", order = L"purchaseOrder", shipTo = L"shipTo",
                     billTo = L"billTo", name = L"name", street = L"street", city = L"city",
                     state = L"state", zip = L"zip", comment = L"comment", items = L"items",
                     item = L"item", productName = L"productName", quantity = L"quantity",
                     usPrice = L"USPrice", shipDate = L"shipDate", orderDate = L"orderDate",
                     id = L"id", country = L"country", partNum = L"partNum", us = L"US",
                     note = L"Hurry, my lawn is going wild & green!";
  const std::vector<std::wstring> names = Pool(L"Alice Smith ", 1),
                                  streets = Pool(L"Maple Street ", 7),
                                  cities = Pool(L"Mill Valley ", 3), zips = Pool(L"9", 37),
                                  ids = Pool(L"", 7919), products = Pool(L"Lawnmower model ", 11),
                                  prices = Pool(L"1", 13), dates = Pool(L"1999-10-", 1);
};

const Words& W() {
  static const Words words;
  return words;
}

// The writer calls a generated purchase-order class would make, with the
// item types of its properties.
struct Orders {
  CXmlWriter& w;
  const Words& s = W();

  void Leaf(const std::wstring& name, const std::wstring& text, ItemType type) {
    w.StartElement(name, s.ns);
    w.WriteText(text, type, false);
    w.EndElement();
  }
  void Address(const std::wstring& element, size_t i) {
    w.StartElement(element, s.ns);
    w.WriteAttribute(s.country, s.none, s.us, it_string);
    Leaf(s.name, s.names[i % kPool], it_string);
    Leaf(s.street, s.streets[i % kPool], it_string);
    Leaf(s.city, s.cities[i % kPool], it_string);
    Leaf(s.state, s.us, it_string);
    Leaf(s.zip, s.zips[i % kPool], it_decimal);
    w.EndElement();
  }
  void Order(size_t i) {
    w.StartElement(s.order, s.ns);
    w.WriteAttribute(s.orderDate, s.none, s.dates[(i * 31) % kPool], it_date);
    w.WriteAttribute(s.id, s.none, s.ids[i % kPool], it_i4);
    Address(s.shipTo, i);
    Address(s.billTo, i + 17);
    if (i % 3 == 0) Leaf(s.comment, s.note, it_string);
    w.StartElement(s.items, s.ns);
    for (size_t k = 0; k < 1 + i % 4; ++k) {
      const size_t j = i * 4 + k;
      w.StartElement(s.item, s.ns);
      w.WriteAttribute(s.partNum, s.none, s.ids[j % kPool], it_string);
      Leaf(s.productName, s.products[j % kPool], it_string);
      Leaf(s.quantity, s.zips[j % 10], it_i4);
      Leaf(s.usPrice, s.prices[j % kPool], it_decimal);
      if (k % 2 == 1) Leaf(s.shipDate, s.dates[j % kPool], it_date);
      w.EndElement();
    }
    w.EndElement();
    w.EndElement();
  }
  void Document(size_t count) {
    w.SetDefaultNamespace(s.ns);
    w.StartElement(s.orders, s.ns);
    for (size_t i = 0; i < count; ++i) Order(i);
    w.EndElement();
  }
};

CFastInfosetContext& Options() {
  static CFastInfosetContext options = [] {
    CFastInfosetContext o;
    o.SetSuggestedValues();
    return o;
  }();
  return options;
}

CBinaryData WriteXml(size_t count) {
  CTextStream stream(XmlEncoding_UTF8);
  CXmlTextWriter writer(stream);
  writer.SetFormatted(false);
  writer.Open();
  writer.WriteXmlDeclaration();
  Orders{writer}.Document(count);
  writer.Close();
  return stream.GetBytes();
}

CBinaryData WriteFi(size_t count) {
  CBinaryData out;
  CFastInfosetWriter writer(out, Options());
  writer.WriteHeader(FInfoDecl_None);
  Orders{writer}.Document(count);
  writer.Close();
  return out;
}

size_t OrderCount() {
  static const size_t count = kTargetXmlBytes / (WriteXml(1000).GetLength() / 1000);
  return count;
}

const CBinaryData& XmlBytes() {
  static const CBinaryData bytes = WriteXml(OrderCount());
  return bytes;
}
const CBinaryData& FiBytes() {
  static const CBinaryData bytes = WriteFi(OrderCount());
  return bytes;
}

void BM_PurchaseOrders_WriteXmlText(benchmark::State& state) {
  for (auto _ : state) {
    CBinaryData out = WriteXml(OrderCount());
    benchmark::DoNotOptimize(out.GetData());
  }
  state.SetBytesProcessed(static_cast<int64_t>(XmlBytes().GetLength() * state.iterations()));
}

void BM_PurchaseOrders_WriteFastInfoset(benchmark::State& state) {
  for (auto _ : state) {
    CBinaryData out = WriteFi(OrderCount());
    benchmark::DoNotOptimize(out.GetData());
  }
  state.counters["size_vs_xml"] =
      static_cast<double>(FiBytes().GetLength()) / static_cast<double>(XmlBytes().GetLength());
}

void Load(benchmark::State& state, const CBinaryData& bytes) {
  for (auto _ : state) {
    CXmlDocument document;
    document.LoadXmlStream(bytes.GetData(), bytes.GetLength());
    benchmark::DoNotOptimize(document.GetDocumentElement());
  }
}

void BM_PurchaseOrders_LoadXmlText(benchmark::State& state) { Load(state, XmlBytes()); }
void BM_PurchaseOrders_LoadFastInfoset(benchmark::State& state) { Load(state, FiBytes()); }

BENCHMARK(BM_PurchaseOrders_WriteXmlText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PurchaseOrders_WriteFastInfoset)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PurchaseOrders_LoadXmlText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PurchaseOrders_LoadFastInfoset)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
