// SPDX-License-Identifier: MIT
// Option parsing shared by the subcommands.
#include "command.h"

#include <algorithm>

namespace korvel_cli {

namespace {

const OptionSpec kCommonOptions[] = {{"help", false}, {"quiet", false}};

const OptionSpec* FindOption(const std::string& name, const std::vector<OptionSpec>& options) {
  for (const OptionSpec& option : kCommonOptions) {
    if (name == option.name) return &option;
  }
  const auto found =
      std::find_if(options.begin(), options.end(),
                   [&name](const OptionSpec& option) { return name == option.name; });
  return found == options.end() ? nullptr : &*found;
}

}  // namespace

Arguments::Arguments(const std::vector<std::string>& words,
                     const std::vector<OptionSpec>& options) {
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      m_operands.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word[1] != '-') throw UsageError("unknown option '" + word + "'");
    const size_t equals = word.find('=');
    const std::string name = word.substr(2, equals == std::string::npos ? equals : equals - 2);
    const OptionSpec* option = FindOption(name, options);
    if (!option) throw UsageError("unknown option '--" + name + "'");
    std::string value;
    if (equals != std::string::npos) {
      if (!option->takesValue) throw UsageError("option '--" + name + "' takes no value");
      value = word.substr(equals + 1);
    } else if (option->takesValue) {
      if (i + 1 == words.size()) throw UsageError("option '--" + name + "' needs a value");
      value = words[++i];
    }
    m_values[name] = value;
  }
}

const std::string& Arguments::Value(const std::string& name, const std::string& fallback) const {
  const auto found = m_values.find(name);
  return found == m_values.end() ? fallback : found->second;
}

}  // namespace korvel_cli
