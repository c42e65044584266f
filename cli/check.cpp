// SPDX-License-Identifier: MIT
// korvel check FILE...: whether documents are well-formed.
#include <cstdio>
#include <exception>

#include <korvel/xml_document.h>

#include "command.h"
#include "formats.h"

namespace korvel_cli {

namespace {

constexpr char kHelp[] =
    "usage: korvel check [OPTIONS] FILE...\n"
    "\n"
    "Reads each file (XML text, JSON or Fast Infoset, possibly gzip-compressed;\n"
    "'-' for standard input) with the library's reader and reports whether it is\n"
    "well-formed: 'FILE: ok' on standard output, or 'FILE: ' and the reader's\n"
    "message on standard error, with the line and position, or the JSON path, of\n"
    "the error. Nothing is checked against a schema.\n"
    "\n"
    "Options:\n"
    "  --from FORMAT           read every file as xml, json or fi, whatever its name\n"
    "  --json-roundtrip LEVEL  how JSON maps to XML: full (default), partial or none\n"
    "  --quiet                 no 'ok' lines\n"
    "\n"
    "Exit status: 0 every file is well-formed, 1 one or more are not (or cannot be\n"
    "read), 2 a usage error.\n";

int Run(const Arguments& arguments) {
  const std::vector<std::string>& operands = arguments.Operands();
  if (operands.empty()) throw UsageError("needs at least one file");
  std::optional<Format> from;
  if (arguments.Has("from")) from = ParseFormat(arguments.Value("from", {}), "from");
  InputOptions options;
  options.Apply(arguments);
  int status = kExitOk;
  for (const std::string& operand : operands) {
    const Location input = Locate(operand);
    const std::string name = input.IsStandardStream() ? "-" : operand;
    try {
      const std::string bytes = ReadInput(input, arguments.Quiet());
      const Format format = from ? *from : input.format ? *input.format : SniffFormat(bytes);
      Korvel::CXmlDocument document(options.context);
      LoadDocument(document, bytes, format, options);
      if (!arguments.Quiet()) std::printf("%s: ok\n", name.c_str());
    } catch (const std::exception& e) {
      std::fflush(stdout);
      std::fprintf(stderr, "%s: %s\n", name.c_str(), e.what());
      status = kExitDocumentError;
    }
  }
  return status;
}

}  // namespace

const Subcommand& CheckCommand() {
  static const Subcommand command{"check",
                                  "check that documents are well-formed",
                                  kHelp,
                                  {{"from", true}, {"json-roundtrip", true}},
                                  Run};
  return command;
}

}  // namespace korvel_cli
