// SPDX-License-Identifier: MIT
// korvel stats FILE: what a document holds and its size in each encoding.
#include <cstdio>

#include <korvel/binary_data.h>
#include <korvel/xml_document.h>

#include "command.h"
#include "formats.h"
#include "tree_writer.h"

namespace korvel_cli {

namespace {

constexpr char kHelp[] =
    "usage: korvel stats [OPTIONS] FILE\n"
    "\n"
    "Reads a document (XML text, JSON or Fast Infoset, possibly gzip-compressed;\n"
    "'-' for standard input) and prints its element and attribute counts, its\n"
    "depth, the characters of its text and its namespaces, then its size in each\n"
    "encoding as the library writes it (untyped, from the document tree), plain\n"
    "and gzip-compressed: what to look at before choosing an encoding.\n"
    "\n"
    "Options:\n"
    "  --from FORMAT           read the file as xml, json or fi, whatever its name\n"
    "  --json-roundtrip LEVEL  JSON both ways: full (default), partial or none\n"
    "\n"
    "Exit status: 0 ok, 1 a document or file error, 2 a usage error.\n";

void PrintCount(const char* label, uint64_t value) {
  std::printf("%-18s %llu\n", label, static_cast<unsigned long long>(value));
}

void PrintSize(const char* label, const Korvel::CBinaryData& bytes) {
  const Korvel::CBinaryData compressed = Korvel::Compress(bytes, Korvel::ct_gzip);
  std::printf("  %-22s %12u %12u\n", label, bytes.GetLength(), compressed.GetLength());
}

int Run(const Arguments& arguments) {
  const std::vector<std::string>& operands = arguments.Operands();
  if (operands.size() != 1) throw UsageError("needs one file");
  const Location input = Locate(operands[0]);
  std::optional<Format> from = input.format;
  if (arguments.Has("from")) from = ParseFormat(arguments.Value("from", {}), "from");
  InputOptions inputOptions;
  inputOptions.Apply(arguments);
  OutputOptions outputOptions;
  outputOptions.Apply(arguments);

  const std::string bytes = ReadInput(input, arguments.Quiet());
  const Format format = from ? *from : SniffFormat(bytes);
  Korvel::CXmlDocument document(inputOptions.context);
  LoadDocument(document, bytes, format, inputOptions);
  TreeWriter tree(document);
  const TreeCounts& counts = tree.Counts();
  std::printf("%-18s %s, %zu bytes\n", "read as", FormatName(format), bytes.size());
  PrintCount("elements", counts.elements);
  PrintCount("attributes", counts.attributes);
  PrintCount("depth", counts.depth);
  PrintCount("text characters", counts.textCharacters);
  PrintCount("namespaces", counts.namespaces);
  std::printf("\n  %-22s %12s %12s\n", "size in bytes", "plain", "gzip");
  PrintSize("XML, formatted", Encode(tree, Format::kXml, outputOptions, nullptr));
  outputOptions.formatted = false;
  PrintSize("XML, compact", Encode(tree, Format::kXml, outputOptions, nullptr));
  tree.SetJsonLayout(true);
  PrintSize("JSON, compact", Encode(tree, Format::kJson, outputOptions, nullptr));
  tree.SetJsonLayout(false);
  PrintSize("Fast Infoset", Encode(tree, Format::kFastInfoset, outputOptions, nullptr));
  return kExitOk;
}

}  // namespace

const Subcommand& StatsCommand() {
  static const Subcommand command{"stats",
                                  "count a document's items and size it in each encoding",
                                  kHelp,
                                  {{"from", true}, {"json-roundtrip", true}},
                                  Run};
  return command;
}

}  // namespace korvel_cli
