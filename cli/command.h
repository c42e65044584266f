// SPDX-License-Identifier: MIT
// What every subcommand shares: exit statuses, the usage error, the parsed
// arguments and the table entry through which main finds a subcommand.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvel_cli {

enum ExitStatus : int {
  kExitOk = 0,
  kExitDocumentError = 1,  // a document or file could not be read, checked or written
  kExitUsage = 2,          // bad subcommand, option or operand count
};

// A mistake on the command line: reported with a pointer to --help, exit 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that cannot be opened, read or written: exit 1.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OptionSpec {
  const char* name;  // without the leading "--"
  bool takesValue;
};

// Options as --name, --name VALUE or --name=VALUE, anywhere among the operands;
// "-" is an operand (standard input or output) and "--" ends the options.
class Arguments {
 public:
  // Throws UsageError for an unknown option or a missing value. --help and
  // --quiet are known to every subcommand.
  Arguments(const std::vector<std::string>& words, const std::vector<OptionSpec>& options);

  bool Has(const std::string& name) const { return m_values.count(name) != 0; }
  // The value given, or fallback.
  const std::string& Value(const std::string& name, const std::string& fallback) const;
  const std::vector<std::string>& Operands() const noexcept { return m_operands; }
  bool Quiet() const { return Has("quiet"); }

 private:
  std::map<std::string, std::string> m_values;
  std::vector<std::string> m_operands;
};

struct Subcommand {
  const char* name;
  const char* summary;  // one line for the overall help
  const char* help;     // the whole text of `korvel NAME --help`
  std::vector<OptionSpec> options;
  int (*run)(const Arguments& arguments);
};

const Subcommand& ConvertCommand();
const Subcommand& CheckCommand();
const Subcommand& DumpCommand();
const Subcommand& StatsCommand();

}  // namespace korvel_cli
