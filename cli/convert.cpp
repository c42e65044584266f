// SPDX-License-Identifier: MIT
// korvel convert IN OUT: one document from any format into any other.
#include <korvel/xml_document.h>

#include "command.h"
#include "formats.h"
#include "progress.h"
#include "tree_writer.h"

namespace korvel_cli {

namespace {

constexpr char kHelp[] =
    "usage: korvel convert [OPTIONS] IN OUT\n"
    "\n"
    "Converts a document between XML text, JSON and Fast Infoset, each possibly\n"
    "gzip-compressed. Formats come from the file names (.xml, .json, .fi, each\n"
    "maybe followed by .gz) or from --from and --to; input without either is told\n"
    "by its content (compressed XML and Fast Infoset whatever their names, but\n"
    "compressed JSON only as .json.gz or with --from json). '-' reads standard\n"
    "input or writes standard output (XML unless --to says).\n"
    "\n"
    "The document goes through the library's reader, document tree and writer,\n"
    "untyped, so the output shows what the library keeps: elements, attributes,\n"
    "their namespaces and the document's prefixes, and text. Comments, processing\n"
    "instructions, the document type and CDATA markers are dropped; text beside\n"
    "child elements is kept whole, before the children (after them in JSON);\n"
    "whitespace between elements is layout. JSON writes a run of same-named\n"
    "elements as one array.\n"
    "\n"
    "Options:\n"
    "  --from FORMAT           input format: json, or xml or fi (which the reader\n"
    "                          tells apart by their content)\n"
    "  --to FORMAT             output format: xml, json or fi\n"
    "  --gzip                  compress the output (implied by a .gz name)\n"
    "  --quiet                 no progress bar (shown on a terminal for inputs over 4 MiB)\n"
    "XML output:\n"
    "  --encoding ENCODING     utf-8 (default) or utf-16\n"
    "  --no-declaration        leave out <?xml ...?>\n"
    "XML and JSON output:\n"
    "  --compact               no line ends or indentation (formatted by default)\n"
    "  --eol lf|crlf           line ends (default lf)\n"
    "  --indent tab|N          indentation per level: a tab (default) or N spaces\n"
    "JSON, both ways:\n"
    "  --json-roundtrip LEVEL  full (default: prefixes, namespace declarations),\n"
    "                          partial (\"@\" attributes, \"#text\", no namespaces) or\n"
    "                          none (plain members)\n"
    "  --json-root NAME        reading: wrap the JSON in an element of this name\n"
    "Fast Infoset output:\n"
    "  --fi-vocabulary-uri URI announce an external vocabulary under this URI\n"
    "  --fi-max-add N          values of N characters or more are not added to the\n"
    "                          vocabulary tables (default 6)\n"
    "\n"
    "Exit status: 0 converted, 1 a document or file error, 2 a usage error.\n";

int Run(const Arguments& arguments) {
  const std::vector<std::string>& operands = arguments.Operands();
  if (operands.size() != 2) throw UsageError("needs an input and an output file");
  const Location input = Locate(operands[0]);
  Location output = Locate(operands[1]);
  if (arguments.Has("gzip")) output.gzip = true;
  std::optional<Format> to = output.format;
  if (arguments.Has("to")) to = ParseFormat(arguments.Value("to", {}), "to");
  if (!to && output.IsStandardStream()) to = Format::kXml;
  if (!to) {
    throw UsageError("cannot tell the format of " + output.Name(true) +
                     " from its name; give --to");
  }
  std::optional<Format> from = input.format;
  if (arguments.Has("from")) from = ParseFormat(arguments.Value("from", {}), "from");
  InputOptions inputOptions;
  inputOptions.Apply(arguments);
  OutputOptions outputOptions;
  outputOptions.Apply(arguments);

  std::string bytes = ReadInput(input, arguments.Quiet());
  const size_t inputSize = bytes.size();
  Korvel::CXmlDocument document(inputOptions.context);
  LoadDocument(document, bytes, from ? *from : SniffFormat(bytes), inputOptions);
  std::string().swap(bytes);  // the tree holds it all now
  TreeWriter tree(document);
  tree.SetJsonLayout(*to == Format::kJson);
  Progress progress("writing", tree.Counts().elements, inputSize, arguments.Quiet());
  WriteDocument(tree, output, *to, outputOptions, &progress);
  return kExitOk;
}

}  // namespace

const Subcommand& ConvertCommand() {
  static const Subcommand command{"convert",
                                  "convert a document between XML, JSON and Fast Infoset",
                                  kHelp,
                                  {{"from", true},
                                   {"to", true},
                                   {"gzip", false},
                                   {"encoding", true},
                                   {"no-declaration", false},
                                   {"compact", false},
                                   {"eol", true},
                                   {"indent", true},
                                   {"json-roundtrip", true},
                                   {"json-root", true},
                                   {"fi-vocabulary-uri", true},
                                   {"fi-max-add", true}},
                                  Run};
  return command;
}

}  // namespace korvel_cli
