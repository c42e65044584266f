// SPDX-License-Identifier: MIT
// Vector tables in data files, read by one table-driven test per folder.
//
// A row is an operation, its arguments and the expected result, separated by
// tabs; "!" starts an expected exception message. Escapes: \t \n \r \\ \0
// \uXXXX \UXXXXXXXX. Lines starting with "#" are comments.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <korvel/errors.h>

#include "values/utf.h"

namespace Korvel::testing {

using VectorArgs = std::vector<std::wstring>;
using VectorOperations = std::map<std::wstring, std::function<std::wstring(const VectorArgs&)>>;

inline std::wstring Unescape(const std::wstring& field) {
  std::wstring out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != L'\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const wchar_t c = field[++i];
    if (c == L'u' || c == L'U') {
      const size_t digits = c == L'u' ? 4 : 8;
      out += static_cast<wchar_t>(std::stoul(field.substr(i + 1, digits), nullptr, 16));
      i += digits;
    } else {
      out += c == L't' ? L'\t' : c == L'n' ? L'\n' : c == L'r' ? L'\r' : c == L'0' ? L'\0' : c;
    }
  }
  return out;
}

// The fields of text between separators, at least count of them (the rest empty).
inline VectorArgs Split(const std::wstring& text, wchar_t separator, size_t count = 0) {
  VectorArgs fields;
  for (size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
    end = text.find(separator, start);
    fields.push_back(text.substr(start, end - start));
  }
  if (fields.size() < count) fields.resize(count);
  return fields;
}

// Runs every row of the file; each operation returns its result as text.
inline void RunVectorFile(const std::string& path, const VectorOperations& operations) {
  std::ifstream in(path);
  ASSERT_TRUE(in) << path;
  std::string line;
  int number = 0, rows = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    VectorArgs fields = Split(detail::Utf8ToWide(line), L'\t');
    for (std::wstring& field : fields) field = Unescape(field);
    SCOPED_TRACE(path + ":" + std::to_string(number));
    ASSERT_GE(fields.size(), 2u);
    const auto operation = operations.find(fields[0]);
    ASSERT_NE(operation, operations.end());
    const VectorArgs args(fields.begin() + 1, fields.end() - 1);
    std::wstring result;
    try {
      result = operation->second(args);
    } catch (const CKvException& e) {
      result = L"!" + e.GetMessageW();
    }
    EXPECT_EQ(result, fields.back());
    ++rows;
  }
  EXPECT_GT(rows, 0);
}

// The .txt files of a folder under tests/data, for TEST_P.
inline std::vector<std::string> VectorFiles(const std::string& folder) {
  std::vector<std::string> paths;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(KORVEL_TEST_DATA_DIR) + "/" + folder)) {
    if (entry.path().extension() == ".txt") paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

inline std::string VectorFileName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = std::filesystem::path(info.param).stem().string();
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

}  // namespace Korvel::testing
