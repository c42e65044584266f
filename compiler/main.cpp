// SPDX-License-Identifier: MIT
// korvel-xsd: reads XML Schema files and writes the C++ binding classes.
#include <cstring>
#include <fstream>
#include <iostream>

#include "emitter.h"
#include "names.h"
#include "schema_reader.h"

namespace {

constexpr const char* kUsage =
    "usage: korvel-xsd [-o DIR] [-n NAMESPACE] [-b BASENAME] SCHEMA.xsd...\n"
    "Writes DIR/BASENAME.h and DIR/BASENAME.cpp, the binding of the schemas and of\n"
    "everything they include or import. BASENAME defaults to the first schema's\n"
    "file name without extension, NAMESPACE to it in Pascal case, DIR to \".\".\n"
    "Another target namespace gets BASENAME_<word>.h and .cpp and the C++ namespace\n"
    "<Word>, after the last word of its URI; BASENAME.cpp compiles them all.\n";

bool WriteFile(const std::string& path, const std::string& text) {
  // An unchanged file keeps its time stamp, so builds do not recompile it.
  std::ifstream old(path, std::ios::binary);
  if (old && std::string((std::istreambuf_iterator<char>(old)), {}) == text) return true;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = ".", ns, base;
  std::vector<std::string> schemas;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "-o" || arg == "-n" || arg == "-b") && i + 1 < argc) {
      (arg == "-o" ? dir : arg == "-n" ? ns : base) = argv[++i];
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      std::cerr << "korvel-xsd: unknown option " << arg << "\n" << kUsage;
      return 2;
    } else {
      schemas.push_back(arg);
    }
  }
  if (schemas.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  if (base.empty()) {
    const std::string& first = schemas.front();
    const size_t slash = first.rfind('/');
    base = first.substr(slash == std::string::npos ? 0 : slash + 1);
    base = base.substr(0, base.rfind('.'));
  }
  if (ns.empty()) ns = KorvelXsd::PascalCase(std::wstring(base.begin(), base.end()));
  try {
    KorvelXsd::SchemaSet set;
    for (const std::string& schema : schemas) KorvelXsd::ReadSchemas(schema, set);
    for (const KorvelXsd::GeneratedFile& file : KorvelXsd::Emit(set, {ns, base})) {
      if (!WriteFile(dir + "/" + file.name, file.text)) {
        std::cerr << "korvel-xsd: cannot write " << dir << "/" << file.name << "\n";
        return 1;
      }
    }
  } catch (const KorvelXsd::Refusal& refusal) {
    std::cerr << "korvel-xsd: " << refusal.what() << "\n";
    return 1;
  }
  return 0;
}
