// SPDX-License-Identifier: MIT
// The table of XSD pattern verdicts in tests/data/patterns/xsd_patterns.tsv.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace Korvel::testing {

struct PatternRow {
  std::string pattern;  // UTF-8
  std::wstring value;
  char verdict;     // '1' matches, '0' does not, '!' the pattern is refused
  std::string why;  // why libxml2 differs, if it does
};

inline std::wstring DecodeTableValue(const std::string& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 3, "\\u{") == 0) {
      const size_t end = text.find('}', i);
      out += static_cast<wchar_t>(std::stoul(text.substr(i + 3, end - i - 3), nullptr, 16));
      i = end + 1;
      continue;
    }
    // UTF-8 in the file: one code point per sequence.
    const auto b = static_cast<unsigned char>(text[i]);
    const size_t extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    uint32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) c = (c << 6) | (text[i + k] & 0x3F);
    out += static_cast<wchar_t>(c);
    i += extra + 1;
  }
  return out;
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
