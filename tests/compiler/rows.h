// SPDX-License-Identifier: MIT
// Tables and fixtures for the compiler tests, which link only the public library.
#pragma once

#include <gtest/gtest.h>

#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/smart_ptr.h>
#include <korvel/xml_encoding.h>

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

inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A generated root read from a document under tests/data/compiler.
template <typename T>
CSmartPtr<T> Load(const std::string& name, const Korvel::CSerializationContext& context) {
  CSmartPtr<T> object = new T();
  object->FromXmlFile(Wide(std::string(KORVEL_TEST_DATA_DIR) + "/compiler/" + name).c_str(),
                      context);
  return object;
}

// Writes the object, reads the text into a new one and expects that to write
// the same text; returns the copy.
template <typename T>
CSmartPtr<T> ExpectRoundTrip(const T& object, const Korvel::CSerializationContext& context,
                                     bool formatted = false) {
  const std::wstring text = object.ToXml(false, formatted, Korvel::EOL_LF, context);
  CSmartPtr<T> copy = new T();
  copy->FromXml(text.c_str(), context);
  EXPECT_EQ(copy->ToXml(false, formatted, Korvel::EOL_LF, context), text);
  return copy;
}

// Each row of the table is a full message and a document that a new T must
// refuse with it.
template <typename T>
void ExpectRefusals(const std::string& table, const Korvel::CSerializationContext& context) {
  for (const std::vector<std::string>& row : Rows(table)) {
    SCOPED_TRACE(row[1]);
    CSmartPtr<T> copy = new T();
    try {
      copy->FromXml(Wide(row[1]).c_str(), context);
      ADD_FAILURE() << "no refusal";
    } catch (const Korvel::CKvException& e) {
      EXPECT_EQ(e.GetFullMessage(), Wide(row[0]));
    }
  }
}

}  // namespace KorvelTest
