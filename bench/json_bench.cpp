// SPDX-License-Identifier: MIT
// JSON against XML text on the same purchase-order document (about 100 MB as
// XML; KORVEL_BENCH_MB changes it): writing through CJsonTextWriter against
// CXmlTextWriter driven with the same calls; loading the JSON (conversion to
// XML text then the XML load, or straight into a tree) against loading the
// XML; and both directions through the entry points of a bound object. The
// vs_xml counters are the JSON speed as a fraction of the XML speed.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <korvel/json_text_writer.h>
#include <korvel/object_base.h>
#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

#include "json/json_to_xml.h"

namespace {

using namespace Korvel;

constexpr size_t kPool = 1024;

size_t TargetBytes() {
  const char* mb = std::getenv("KORVEL_BENCH_MB");
  return (mb ? std::strtoul(mb, nullptr, 10) : 100u) << 20;
}

std::vector<std::wstring> Pool(const std::wstring& stem, size_t step) {
  std::vector<std::wstring> pool;
  for (size_t i = 0; i < kPool; ++i) pool.push_back(stem + std::to_wstring(i * step));
  return pool;
}

struct Vocabulary {
  std::wstring ns = L"http://www.example.com/PO1", none;
  std::vector<std::wstring> names = Pool(L"Alice Smith ", 1), streets = Pool(L"Maple Street ", 7),
                            cities = Pool(L"Mill Valley ", 3), zips = Pool(L"9", 37),
                            ids = Pool(L"", 7919), products = Pool(L"Lawnmower model ", 11),
                            prices = Pool(L"1", 13), dates = Pool(L"1999-10-", 1);
};

const Vocabulary& Words() {
  static const Vocabulary words;
  return words;
}

// The calls the serializer makes for a purchase order, collections marked.
struct Orders {
  CXmlWriter& w;
  const Vocabulary& v = Words();

  void Leaf(const wchar_t* name, const std::wstring& text, ItemType type = it_string) {
    w.StartElement(name, v.ns);
    w.WriteText(text, type, false);
    w.EndElement();
  }
  void Address(const wchar_t* element, size_t i) {
    w.StartElement(element, v.ns);
    w.WriteAttribute(L"country", v.none, L"US", it_string);
    Leaf(L"name", v.names[i % kPool]);
    Leaf(L"street", v.streets[i % kPool]);
    Leaf(L"city", v.cities[i % kPool]);
    Leaf(L"state", L"CA");
    Leaf(L"zip", v.zips[i % kPool], it_decimal);
    w.EndElement();
  }
  void Order(size_t i) {
    w.StartElement(L"purchaseOrder", v.ns);
    w.WriteAttribute(L"orderDate", v.none, v.dates[(i * 31) % kPool], it_date);
    w.WriteAttribute(L"id", v.none, v.ids[i % kPool], it_i4);
    Address(L"shipTo", i);
    Address(L"billTo", i + 17);
    if (i % 3 == 0) Leaf(L"comment", L"Hurry, my lawn is going \"wild\" & green!");
    w.StartElement(L"items", v.ns);
    w.GetCurrentElement()->SetWriterState(CJsonTextWriter::ARRAY_PENDING);
    for (size_t k = 0; k < 1 + i % 4; ++k) {
      const size_t j = i * 4 + k;
      w.StartElement(L"item", v.ns);
      w.WriteAttribute(L"partNum", v.none, v.ids[j % kPool], it_string);
      Leaf(L"productName", v.products[j % kPool]);
      Leaf(L"quantity", v.zips[j % 10], it_i4);
      Leaf(L"USPrice", v.prices[j % kPool], it_decimal);
      if (k % 2 == 1) Leaf(L"shipDate", v.dates[j % kPool], it_date);
      w.EndElement();
    }
    w.GetCurrentElement()->SetWriterState(CJsonTextWriter::ARRAY_FINISHED);
    w.EndElement();
    w.EndElement();
  }
  void All(size_t count) {
    w.SetDefaultNamespace(v.ns);
    w.StartElement(L"purchaseOrders", v.ns);
    w.GetCurrentElement()->SetWriterState(CJsonTextWriter::ARRAY_PENDING);
    for (size_t i = 0; i < count; ++i) Order(i);
    w.GetCurrentElement()->SetWriterState(CJsonTextWriter::ARRAY_FINISHED);
    w.EndElement();
  }
};

CBinaryData WriteXml(size_t orders) {
  CTextStream stream(XmlEncoding_UTF8);
  CXmlTextWriter writer(stream);
  writer.Open();
  writer.WriteXmlDeclaration();
  Orders{writer}.All(orders);
  writer.Close();
  return stream.GetBytes();
}

CBinaryData WriteJson(size_t orders) {
  CTextStream stream(XmlEncoding_UTF8);
  CJsonTextWriter writer(stream);
  writer.Open();
  writer.WriteDocumentStart();
  Orders{writer}.All(orders);
  writer.WriteDocumentEnd();
  writer.Close();
  return stream.GetBytes();
}

size_t OrderCount() {
  static const size_t count = TargetBytes() / (WriteXml(1000).GetLength() / 1000);
  return count;
}

const CBinaryData& XmlBytes() {
  static const CBinaryData bytes = WriteXml(OrderCount());
  return bytes;
}

const CBinaryData& JsonBytes() {
  static const CBinaryData bytes = WriteJson(OrderCount());
  return bytes;
}

// Seconds per run of the XML variants, for the ratios of the JSON ones.
double g_xmlWrite = 0;
double g_xmlRead = 0;

// CPU time of this thread: the machines these run on are shared, and wall
// time there mostly measures the neighbours.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double Time(benchmark::State& state, const std::function<size_t()>& run) {
  double seconds = 0;
  size_t bytes = 0;
  for (auto _ : state) {
    const double start = ThreadSeconds();
    bytes = run();
    seconds += ThreadSeconds() - start;
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
  return seconds / static_cast<double>(state.iterations());
}

void BM_PurchaseOrders_WriteXml(benchmark::State& state) {
  const size_t orders = OrderCount();
  g_xmlWrite = Time(state, [&] { return WriteXml(orders).GetLength(); });
}
BENCHMARK(BM_PurchaseOrders_WriteXml)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PurchaseOrders_WriteJson(benchmark::State& state) {
  const size_t orders = OrderCount();
  const double seconds = Time(state, [&] { return WriteJson(orders).GetLength(); });
  if (g_xmlWrite > 0) state.counters["vs_xml"] = g_xmlWrite / seconds;
}
BENCHMARK(BM_PurchaseOrders_WriteJson)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PurchaseOrders_LoadXml(benchmark::State& state) {
  const CBinaryData& xml = XmlBytes();
  g_xmlRead = Time(state, [&] {
    CXmlDocument document;
    document.LoadXmlStream(xml.GetData(), xml.GetLength());
    return static_cast<size_t>(xml.GetLength());
  });
}
BENCHMARK(BM_PurchaseOrders_LoadXml)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PurchaseOrders_LoadJson(benchmark::State& state) {
  const CBinaryData& json = JsonBytes();
  const double seconds = Time(state, [&] {
    CXmlDocument document;
    const CBinaryData xml = document.LoadJsonStream(json.GetData(), json.GetLength());
    document.LoadXmlStream(xml.GetData(), xml.GetLength());
    return static_cast<size_t>(json.GetLength());
  });
  if (g_xmlRead > 0) state.counters["vs_xml"] = g_xmlRead / seconds;
}
BENCHMARK(BM_PurchaseOrders_LoadJson)->Unit(benchmark::kMillisecond)->Iterations(3);

// What reading JSON into objects uses: the tree built without XML text.
void BM_PurchaseOrders_LoadJsonTree(benchmark::State& state) {
  const CBinaryData& json = JsonBytes();
  const double seconds = Time(state, [&] {
    CXmlDocument document;
    detail::LoadJsonTree(document, detail::JsonInput(json.GetData(), json.GetLength()),
                         CJsonContext());
    return static_cast<size_t>(json.GetLength());
  });
  if (g_xmlRead > 0) state.counters["vs_xml"] = g_xmlRead / seconds;
}
BENCHMARK(BM_PurchaseOrders_LoadJsonTree)->Unit(benchmark::kMillisecond)->Iterations(3);

// A bound object standing in for a generated purchase-order binding until
// there is one: it writes the orders as above and reads every attribute and
// leaf text of the tree into strings, as a binding stores its properties.
class CPurchaseOrders : public CXmlObjectBase {
 public:
  explicit CPurchaseOrders(size_t count) : m_count(count) { SetElementName(L"purchaseOrders"); }
  CXmlObjectBase* GetBase() override { return this; }
  std::wstring GetNamespace() const override { return Words().ns; }
  size_t ValueCount() const { return m_values.size(); }

 protected:
  std::wstring GetTargetNamespace() const override { return Words().ns; }
  void ToXml_Int(CXmlWriter* writer, bool, const wchar_t*, const CSerializationContext&,
                 bool) const override {
    Orders{*writer}.All(m_count);
  }
  CXmlElement* FromXml_Int(CXmlElement* root, CXmlElement*, const CSerializationContext&,
                           bool) override {
    m_values.clear();
    for (const CXmlElement* e = root; e;) {
      for (const CXmlAttribute* a : e->GetAttributes()) m_values.push_back(a->GetValue());
      if (e->GetFirstElement()) {
        e = e->GetFirstElement();
        continue;
      }
      m_values.push_back(e->GetText());
      while (e != root && !e->GetNextSiblingElement()) e = e->GetParentElm();
      e = e == root ? nullptr : e->GetNextSiblingElement();
    }
    return nullptr;
  }

 private:
  size_t m_count;
  std::vector<std::wstring> m_values;
};

double g_objectToXml = 0;
double g_objectFromXml = 0;

void BM_PurchaseOrders_ObjectToXmlStream(benchmark::State& state) {
  const CPurchaseOrders orders(OrderCount());
  const CSerializationContext context;
  g_objectToXml = Time(state, [&] {
    return orders.ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, context, ct_none).GetLength();
  });
}
BENCHMARK(BM_PurchaseOrders_ObjectToXmlStream)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PurchaseOrders_ObjectToJsonStream(benchmark::State& state) {
  const CPurchaseOrders orders(OrderCount());
  const CSerializationContext context;
  const double seconds = Time(state, [&] {
    return orders.ToJsonStream(true, XmlEncoding_UTF8, EOL_LF, context, ct_none).GetLength();
  });
  if (g_objectToXml > 0) state.counters["vs_xml"] = g_objectToXml / seconds;
}
BENCHMARK(BM_PurchaseOrders_ObjectToJsonStream)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PurchaseOrders_ObjectFromXmlStream(benchmark::State& state) {
  const CBinaryData& xml = XmlBytes();
  CPurchaseOrders orders(0);
  const CSerializationContext context;
  g_objectFromXml = Time(state, [&] {
    orders.FromXmlStream(xml, context);
    return static_cast<size_t>(xml.GetLength());
  });
  state.counters["values"] = static_cast<double>(orders.ValueCount());
}
BENCHMARK(BM_PurchaseOrders_ObjectFromXmlStream)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PurchaseOrders_ObjectFromJsonStream(benchmark::State& state) {
  const CBinaryData& json = JsonBytes();
  CPurchaseOrders orders(0);
  const CSerializationContext context;
  const double seconds = Time(state, [&] {
    orders.FromJsonStream(json, context);
    return static_cast<size_t>(json.GetLength());
  });
  state.counters["values"] = static_cast<double>(orders.ValueCount());
  if (g_objectFromXml > 0) state.counters["vs_xml"] = g_objectFromXml / seconds;
}
BENCHMARK(BM_PurchaseOrders_ObjectFromJsonStream)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
