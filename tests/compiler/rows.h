// SPDX-License-Identifier: MIT
// Tables for the compiler tests, which link only the public library.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace KorvelTest {

// The rows of a table in tests/data/compiler: tab-separated fields, a
// backslash and "n" a line break, "#" lines comments.
inline std::vector<std::vector<std::string>> Rows(const std::string& name) {
  std::ifstream in(std::string(KORVEL_TEST_DATA_DIR) + "/compiler/" + name);
  EXPECT_TRUE(in) << name;
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    for (size_t at; (at = line.find("\\n")) != std::string::npos;) line.replace(at, 2, "\n");
    rows.emplace_back();
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) rows.back().push_back(field);
  }
  EXPECT_FALSE(rows.empty()) << name;
  return rows;
}

}  // namespace KorvelTest
