// SPDX-License-Identifier: MIT
// korvel: converts, checks and inspects XML, JSON and Fast Infoset documents
// through the library's untyped reader, document and writers.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "command.h"

namespace {

using namespace korvel_cli;

const Subcommand* const kSubcommands[] = {&ConvertCommand(), &CheckCommand(), &DumpCommand(),
                                          &StatsCommand()};

void PrintOverview(std::FILE* out) {
  std::fputs(
      "usage: korvel COMMAND [OPTIONS] ARGUMENTS...\n"
      "\n"
      "Converts and inspects XML text, JSON and Fast Infoset documents, each possibly\n"
      "gzip-compressed, without a binding: documents go through the library's own\n"
      "reader, document tree and writers, untyped.\n"
      "\n"
      "Commands:\n",
      out);
  for (const Subcommand* command : kSubcommands) {
    std::fprintf(out, "  %-8s %s\n", command->name, command->summary);
  }
  std::fputs(
      "\n"
      "`korvel COMMAND --help` describes a command. Exit status: 0 ok, 1 a document\n"
      "or file error, 2 a usage error.\n",
      out);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) {
    PrintOverview(stderr);
    return kExitUsage;
  }
  if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    PrintOverview(stdout);
    return kExitOk;
  }
  const Subcommand* command = nullptr;
  for (const Subcommand* candidate : kSubcommands) {
    if (words[0] == candidate->name) command = candidate;
  }
  if (!command) {
    std::fprintf(stderr, "korvel: unknown command '%s'; try 'korvel --help'\n", words[0].c_str());
    return kExitUsage;
  }
  try {
    const Arguments arguments({words.begin() + 1, words.end()}, command->options);
    if (arguments.Has("help")) {
      std::fputs(command->help, stdout);
      return kExitOk;
    }
    return command->run(arguments);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "korvel %s: %s; try 'korvel %s --help'\n", command->name, e.what(),
                 command->name);
    return kExitUsage;
  } catch (const std::exception& e) {
    // The library's exceptions carry their whole chain of messages in what().
    std::fprintf(stderr, "korvel %s: %s\n", command->name, e.what());
    return kExitDocumentError;
  }
}
