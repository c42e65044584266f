// SPDX-License-Identifier: MIT
// The JSON tests' data files: one case a line, "input ==> expected", with
// "#" comment lines. In both columns \n stands for a line feed, \\ for a
// backslash and \x{HEX} for any character; other backslashes are literal.
#pragma once

#include <fstream>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "values/utf.h"

namespace Korvel::testing {

inline std::wstring UnescapeRow(const std::string& text) {
  const std::wstring in = detail::Utf8ToWide(text);
  std::wstring out;
  for (size_t i = 0; i < in.size(); ++i) {
    const wchar_t next = i + 1 < in.size() ? in[i + 1] : 0;
    if (in[i] == L'\\' && (next == L'n' || next == L'\\')) {
      out += next == L'n' ? L'\n' : L'\\';
      ++i;
    } else if (in[i] == L'\\' && next == L'x' && i + 2 < in.size() && in[i + 2] == L'{') {
      const size_t close = in.find(L'}', i);
      out += static_cast<wchar_t>(std::stoul(in.substr(i + 3, close - i - 3), nullptr, 16));
      i = close;
    } else {
      out += in[i];
    }
  }
  return out;
}

// Calls row for each case of the file (relative to the test data directory)
// and returns how many there were.
inline int ForEachRow(const char* file,
                      const std::function<void(const std::wstring&, const std::wstring&)>& row) {
  std::ifstream in(file);
  EXPECT_TRUE(in) << file;
  int rows = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t arrow = line.find(" ==> ");
    EXPECT_NE(arrow, std::string::npos) << line;
    if (arrow == std::string::npos) continue;
    SCOPED_TRACE(line);
    row(UnescapeRow(line.substr(0, arrow)), UnescapeRow(line.substr(arrow + 5)));
    ++rows;
  }
  return rows;
}

}  // namespace Korvel::testing
