// SPDX-License-Identifier: MIT
// XSD pattern verdicts cross-checked against libxml2's schema validator: the
// patterns of tests/data/patterns/xsd_patterns.tsv become a generated schema,
// their values an instance document, and `xmllint --schema` says which values
// it accepts and which patterns it refuses.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include <korvel/errors.h>

#include "test_support.h"
#include "values/pattern.h"
#include "values/pattern_table.h"
#include "values/utf.h"

namespace Korvel::detail {
namespace {

using testing::PatternRow;

// Escapes for an attribute value or for element content: every ASCII
// character but letters and digits as a character reference, which also
// survives attribute and line-end normalisation.
std::string XmlText(const std::wstring& text) {
  std::string out;
  for (char c : WideToUtf8(text)) {
    const bool plain = (c & 0x80) || std::isalnum(static_cast<unsigned char>(c));
    out += plain ? std::string(1, c) : "&#" + std::to_string(c) + ";";
  }
  return out;
}

std::string Xmllint(const testing::TempDir& dir, const std::string& schema,
                    const std::string& instance) {
  dir.Write("patterns.xsd", schema);
  dir.Write("values.xml", instance);
  const std::string command = "xmllint --noout --schema '" + dir.Path("patterns.xsd") + "' '" +
                              dir.Path("values.xml") + "' 2> '" + dir.Path("errors.txt") + "'";
  (void)std::system(command.c_str());
  return dir.Read("errors.txt");
}

std::string PatternElement(const std::string& name, const std::string& pattern) {
  return "<xs:element name='" + name +
         "'><xs:simpleType><xs:restriction base='xs:string'><xs:pattern value=\"" +
         XmlText(Utf8ToWide(pattern)) + "\"/></xs:restriction></xs:simpleType></xs:element>\n";
}

// The instance lines whose values libxml2 rejects; one schema declares an
// element per row, so a single run checks every pattern we accept.
std::set<size_t> LinesRejectedByLibxml2(const testing::TempDir& dir,
                                        const std::vector<const PatternRow*>& rows) {
  std::string xsd =
      "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>\n"
      "<xs:element name='r'><xs:complexType><xs:choice maxOccurs='unbounded'>\n";
  std::string xml = "<r>\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    xsd += PatternElement("p" + std::to_string(i), rows[i]->pattern);
    xml += "<p" + std::to_string(i) + ">" + XmlText(rows[i]->value) + "</p" +
           std::to_string(i) + ">\n";
  }
  xsd += "</xs:choice></xs:complexType></xs:element>\n</xs:schema>\n";
  xml += "</r>\n";
  const std::string report = Xmllint(dir, xsd, xml);
  EXPECT_EQ(report.find("failed to compile"), std::string::npos) << report;
  std::set<size_t> rejected;
  const std::string prefix = dir.Path("values.xml") + ":";
  for (size_t at = report.find(prefix); at != std::string::npos; at = report.find(prefix, at + 1)) {
    const size_t eol = report.find('\n', at);
    if (report.substr(at, eol - at).find("[facet 'pattern']") != std::string::npos) {
      rejected.insert(std::stoul(report.substr(at + prefix.size())));
    }
  }
  return rejected;
}

bool Libxml2Refuses(const testing::TempDir& dir, const std::string& pattern) {
  const std::string xsd = "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>\n" +
                          PatternElement("r", pattern) + "</xs:schema>\n";
  const std::string report = Xmllint(dir, xsd, "<r>x</r>");
  return report.find("failed to compile") != std::string::npos ||
         report.find("Internal error") != std::string::npos;
}

TEST(PatternCrossCheck, VerdictsAgreeWithLibxml2SchemaValidation) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    FAIL() << "xmllint (libxml2-utils) is not installed: make deps installs it";
  }
  const std::vector<PatternRow> table = testing::LoadPatternTable();
  std::vector<const PatternRow*> accepted;
  for (const PatternRow& row : table) {
    if (row.verdict != '!') accepted.push_back(&row);
  }
  testing::TempDir dir;
  const std::set<size_t> rejected = LinesRejectedByLibxml2(dir, accepted);
  size_t agreed = 0;
  for (size_t i = 0; i < accepted.size(); ++i) {
    const PatternRow& row = *accepted[i];
    SCOPED_TRACE(::testing::Message()
                 << row.pattern << " / " << ::testing::PrintToString(row.value));
    const bool ours = MatchesXsdPattern(row.pattern, row.value);
    const bool theirs = rejected.count(i + 2) == 0;  // the values start on line 2
    agreed += ours == theirs;
    EXPECT_EQ(ours == theirs, row.why.empty()) << "documented difference: " << row.why;
  }
  for (const PatternRow& row : table) {
    if (row.verdict != '!') continue;
    SCOPED_TRACE(row.pattern);
    const bool theirs = Libxml2Refuses(dir, row.pattern);
    agreed += theirs;
    EXPECT_EQ(theirs, row.why.empty()) << "documented difference: " << row.why;
  }
  std::cout << "[ xmllint  ] " << agreed << " of " << table.size()
            << " verdicts agree with libxml2; the others differ as documented\n";
}

}  // namespace
}  // namespace Korvel::detail
