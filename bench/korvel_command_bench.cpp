// SPDX-License-Identifier: MIT
// The korvel command against the same conversion done in code through the
// library, on a ~100 MB purchase-order document: XML text to Fast Infoset and
// back, and to JSON and back. Each command run includes starting the process.
// The in-code side loads with CXmlDocument::Load (JSON through LoadJsonFile)
// and walks the tree into the writer as a program of one's own would; the
// command's TreeWriter is that walk.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <korvel/binary_data.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/fast_infoset_writer.h>
#include <korvel/json_text_writer.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

#include "tree_writer.h"

namespace {

using namespace Korvel;

constexpr size_t kDocumentSize = 100u << 20;

// Purchase orders laid out as the library's writer lays them out.
std::string PurchaseOrders(size_t size) {
  static const char* const kProducts[] = {"Lawnmower", "Baby Monitor", "Sturdy Shelves",
                                          "Garden Hose, 25 ft", "Caf\xc3\xa9 table"};
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<po:purchaseOrders xmlns:po=\"http://www.example.com/PO1\">\n";
  xml.reserve(size + 4096);
  for (int n = 0; xml.size() < size; ++n) {
    const std::string number = std::to_string(n);
    xml += "\t<po:purchaseOrder orderDate=\"1999-10-" + std::to_string(10 + n % 20) + "\">\n";
    for (const char* tag : {"shipTo", "billTo"}) {
      xml += std::string("\t\t<") + tag + " country=\"US\">\n\t\t\t<name>Alice Smith " + number +
             "</name>\n\t\t\t<street>" + std::to_string(100 + n % 900) +
             " Maple Street</street>\n\t\t\t<city>Mill Valley</city>\n\t\t\t<state>CA</state>\n"
             "\t\t\t<zip>" +
             std::to_string(90000 + n % 10000) + "</zip>\n\t\t</" + tag + ">\n";
    }
    xml += "\t\t<comment>Hurry, my lawn is going wild!</comment>\n\t\t<items>\n";
    for (int i = 0; i < 3; ++i) {
      xml += "\t\t\t<item partNum=\"" + std::to_string(100 + (n + i) % 900) +
             "-AA\">\n\t\t\t\t<productName>" + kProducts[(n + i) % 5] +
             "</productName>\n\t\t\t\t<quantity>" + std::to_string(1 + i) +
             "</quantity>\n\t\t\t\t<USPrice>" + std::to_string(10 + (n * 7 + i) % 190) +
             ".95</USPrice>\n\t\t\t\t<shipDate>1999-05-21</shipDate>\n\t\t\t</item>\n";
    }
    xml += "\t\t</items>\n\t</po:purchaseOrder>\n";
  }
  xml += "</po:purchaseOrders>\n";
  return xml;
}

// The document in each encoding, in a temporary folder removed at exit.
class Files {
 public:
  static const Files& Get() {
    static const Files files;
    return files;
  }
  std::string Path(const char* name) const { return (m_dir / name).string(); }

 private:
  Files()
      : m_dir(std::filesystem::temp_directory_path() /
              ("korvel_command_bench_" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(m_dir);
    const std::string xml = PurchaseOrders(kDocumentSize);
    std::ofstream(Path("po.xml"), std::ios::binary)
        .write(xml.data(), static_cast<std::streamsize>(xml.size()));
    Command("po.xml po.fi");
    Command("po.xml po.json");
  }
  ~Files() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }

 public:
  void Command(const std::string& operands) const {
    const std::string command =
        std::string(KORVEL_COMMAND) + " convert --quiet " + Prefixed(operands);
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::abort();
  }

 private:
  // "a b" -> "DIR/a DIR/b"
  std::string Prefixed(const std::string& operands) const {
    const size_t space = operands.find(' ');
    return Path(operands.substr(0, space).c_str()) + " " + Path(operands.substr(space + 1).c_str());
  }

  std::filesystem::path m_dir;
};

std::wstring Wide(const std::string& path) { return std::wstring(path.begin(), path.end()); }

void Load(CXmlDocument& document, const std::string& path) {
  if (path.size() > 5 && path.substr(path.size() - 5) == ".json") {
    const CBinaryData xml = document.LoadJsonFile(Wide(path).c_str());
    document.LoadXmlStream(xml.GetData(), xml.GetLength());
  } else {
    document.Load(Wide(path).c_str());
  }
}

void InCode(const char* from, const char* to) {
  const Files& files = Files::Get();
  CXmlDocument document;
  Load(document, files.Path(from));
  korvel_cli::TreeWriter tree(document);
  const std::string out = files.Path(to);
  const std::string_view name(to);
  if (name.substr(name.size() - 3) == ".fi") {
    CFastInfosetContext options;
    CBinaryData octets;
    CFastInfosetWriter writer(octets, options);
    writer.WriteHeader(FInfoDecl_None);
    tree.Write(writer, nullptr);
    writer.Close();
    std::ofstream(out, std::ios::binary)
        .write(reinterpret_cast<const char*>(octets.GetData()), octets.GetLength());
    return;
  }
  CFileTextStream stream(Wide(out), XmlEncoding_UTF8);
  if (name.substr(name.size() - 5) == ".json") {
    tree.SetJsonLayout(true);
    CJsonTextWriter writer(stream);
    writer.Open();
    writer.WriteDocumentStart();
    tree.Write(writer, nullptr);
    writer.WriteDocumentEnd();
    writer.Close();
  } else {
    CXmlTextWriter writer(stream);
    writer.Open();
    writer.WriteXmlDeclaration();
    tree.Write(writer, nullptr);
    writer.Close();
  }
}

double ChildrenCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Wall time, as the command's CPU time is not the benchmark's own; the
// command's CPU time per run is reported beside it.
void BM_Command(benchmark::State& state, const char* operands) {
  Files::Get();
  const double before = ChildrenCpuSeconds();
  for (auto _ : state) Files::Get().Command(operands);
  state.counters["command_cpu_s"] =
      benchmark::Counter((ChildrenCpuSeconds() - before) / static_cast<double>(state.iterations()));
}

void BM_InCode(benchmark::State& state, const char* from, const char* to) {
  Files::Get();
  for (auto _ : state) InCode(from, to);
}

BENCHMARK_CAPTURE(BM_InCode, xml_to_fi, "po.xml", "out.fi")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Command, xml_to_fi, "po.xml out.fi")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_InCode, fi_to_xml, "po.fi", "out.xml")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Command, fi_to_xml, "po.fi out.xml")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_InCode, xml_to_json, "po.xml", "out.json")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Command, xml_to_json, "po.xml out.json")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_InCode, json_to_xml, "po.json", "out.xml")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Command, json_to_xml, "po.json out.xml")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

}  // namespace
