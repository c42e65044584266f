// SPDX-License-Identifier: MIT
// The table of XSD pattern verdicts in tests/data/patterns/xsd_patterns.tsv.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "values/utf.h"

namespace Korvel::testing {

struct PatternRow {
  std::string pattern;  // UTF-8
  std::wstring value;
  char verdict;     // '1' matches, '0' does not, '!' the pattern is refused
  std::string why;  // why libxml2 differs, if it does
};

inline std::wstring DecodeTableValue(const std::string& text) {
  std::wstring out;
  size_t start = 0;
  for (size_t at; (at = text.find("\\u{", start)) != std::string::npos;) {
    const size_t end = text.find('}', at);
    out += detail::Utf8ToWide(text.substr(start, at - start));
    out += static_cast<wchar_t>(std::stoul(text.substr(at + 3, end - at - 3), nullptr, 16));
    start = end + 1;
  }
  return out + detail::Utf8ToWide(text.substr(start));
}

inline std::vector<PatternRow> LoadPatternTable() {
  std::vector<PatternRow> rows;
  std::ifstream in("patterns/xsd_patterns.tsv");
  EXPECT_TRUE(in) << "patterns/xsd_patterns.tsv not found";
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("#", 0) == 0) continue;
    std::vector<std::string> fields;
    for (size_t start = 0;;) {
      const size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    if (fields.size() < 3 || fields[2].size() != 1) {
      ADD_FAILURE() << "malformed row: " << line;
      continue;
    }
    rows.push_back({fields[0], DecodeTableValue(fields[1]), fields[2][0],
                    fields.size() > 3 ? fields[3] : ""});
  }
  return rows;
}

}  // namespace Korvel::testing
