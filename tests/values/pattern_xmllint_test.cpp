// SPDX-License-Identifier: MIT
// XSD pattern verdicts cross-checked against libxml2's schema validator: the
// patterns become a small generated schema, the values an instance document,
// and `xmllint --schema` says which values it accepts.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include <korvel/errors.h>

#include "values/pattern.h"
#include "values/utf.h"

namespace Korvel::detail {
namespace {

namespace fs = std::filesystem;

// Why a verdict of ours differs from the schema validator's. Nothing but the
// escapes listed in the translation is adapted, so PCRE's own reading of the
// remaining syntax shows through.
constexpr const char* kAsciiDigit = "\\d is ASCII in PCRE, any Unicode decimal digit in XSD";
constexpr const char* kAsciiWord =
    "\\w (and \\i, \\c built on it) is [A-Za-z0-9_] in PCRE, in XSD every character but "
    "punctuation, separators and controls (so _ is out and + is in)";
constexpr const char* kDotCr =
    ". excludes only the line feed in PCRE, also the carriage return in XSD";
constexpr const char* kAnchors = "^ and $ are anchors in PCRE, plain characters in XSD";
constexpr const char* kBlockB = "the translated range of IsLatinExtended-B does not compile";
constexpr const char* kOtherBlocks = "PCRE knows no \\p{Is...} block beyond the four translated";

struct Case {
  const wchar_t* value;
  const char* why = nullptr;  // set when our verdict is known to differ
};

struct PatternCases {
  const wchar_t* pattern;
  std::vector<Case> cases;
};

const std::vector<PatternCases>& Table() {
  static const std::vector<PatternCases> table = {
      {L"\\d{3}-[A-Z]{2}",
       {{L"123-AB"},
        {L"123-ab"},
        {L"12-AB"},
        {L"1234-AB"},
        {L"\u0661\u0662\u0663-AB", kAsciiDigit}}},
      {L"[A-Za-z]+", {{L"abc"}, {L""}, {L"ab1"}, {L"ab c"}}},
      {L"\\i\\c*", {{L"_abc:1"}, {L"1abc"}, {L"a.b-c"}, {L"a b"}, {L"\u00e9t\u00e9", kAsciiWord}}},
      {L"\\I\\C*", {{L"1"}, {L"a"}, {L"-"}}},
      {L"\\c+", {{L"x\u00e9", kAsciiWord}, {L"a:b"}, {L"a/b"}}},
      {L"\\w+", {{L"abc"}, {L"a_b", kAsciiWord}, {L"a+b", kAsciiWord}, {L"a b"}}},
      {L"\\W", {{L" "}, {L"a"}, {L"."}}},
      {L"\\s*x\\s*", {{L" \tx\n"}, {L"x"}, {L"y"}}},
      {L"\\S+", {{L"abc"}, {L"a b"}}},
      {L"\\D+", {{L"abc"}, {L"a1"}, {L"\u0661", kAsciiDigit}}},
      {L".+", {{L"abc"}, {L"a\nb"}, {L"a\rb", kDotCr}, {L"\U0001F600"}}},
      {L".", {{L"\u00e9"}, {L"\U0001F600"}, {L"ab"}}},
      {L"a|b|c", {{L"a"}, {L"ab"}, {L""}}},
      {L"(ab)*c?", {{L"ababc"}, {L"aba"}, {L""}, {L"c"}}},
      {L"(a|ab)(c|bcd)(d*)", {{L"abcd"}, {L"abc"}, {L"acdd"}}},
      {L"[^0-9]+", {{L"abc"}, {L"a1"}}},
      {L"[\\-a]+", {{L"a-a"}, {L"a+a"}}},
      {L"a{2,3}", {{L"a"}, {L"aa"}, {L"aaa"}, {L"aaaa"}}},
      {L"a{0}b", {{L"b"}, {L"ab"}}},
      {L"\\d+(\\.\\d{1,2})?", {{L"12.34"}, {L"12.345"}, {L"12."}, {L"7"}}},
      {L"(\\+|-)?\\d+", {{L"+5"}, {L"-5"}, {L"5-"}}},
      {L"\\.\\*\\?\\{\\}\\(\\)\\[\\]\\|\\\\", {{L".*?{}()[]|\\"}, {L"x"}}},
      {L"\\\\i", {{L"\\i"}, {L"_"}}},
      {L"a\\nb\\tc", {{L"a\nb\tc"}, {L"anbtc"}}},
      {L"\\p{Lu}\\p{Ll}*", {{L"Hello"}, {L"hello"}, {L"\u00c9mile"}}},
      {L"\\P{L}+", {{L"123"}, {L"a1"}}},
      {L"[\\p{Lu}\\d]+", {{L"A1"}, {L"a"}}},
      {L"\\p{IsBasicLatin}+", {{L"abc~"}, {L"\u00e9"}}},
      {L"\\p{IsLatin-1Supplement}+", {{L"\u00e9\u00e8"}, {L"e"}}},
      {L"\\p{IsLatinExtended-A}", {{L"\u0100"}, {L"a"}, {L"\u0180"}}},
      {L"\\p{IsLatinExtended-B}", {{L"\u0180", kBlockB}, {L"a"}}},
      {L"\\p{IsGreek}+", {{L"\u03b1\u03b2", kOtherBlocks}, {L"a"}}},
      {L"a$b", {{L"a$b", kAnchors}, {L"ab"}}},
      {L"\\d{3}\\s?", {{L"123\n"}, {L"123"}}},
      {L"a*", {{L"aaa\n"}, {L"aaa"}}},
      {L"(a+)+b", {{L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaac"}, {L"aaab"}}},
  };
  return table;
}

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

// The instance lines holding values libxml2 rejects. One schema declares an
// element per pattern, so a single run of xmllint checks the whole table.
std::set<size_t> LinesRejectedByLibxml2(const fs::path& dir,
                                        const std::vector<PatternCases>& table) {
  const fs::path schema = dir / "patterns.xsd";
  const fs::path instance = dir / "values.xml";
  const fs::path errors = dir / "errors.txt";
  std::ofstream xsd(schema);
  std::ofstream xml(instance);
  xsd << "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>\n"
         "<xs:element name='r'><xs:complexType><xs:choice maxOccurs='unbounded'>\n";
  xml << "<r>\n";
  for (size_t p = 0; p < table.size(); ++p) {
    xsd << "<xs:element name='p" << p << "'><xs:simpleType><xs:restriction base='xs:string'>"
        << "<xs:pattern value=\"" << XmlText(table[p].pattern)
        << "\"/></xs:restriction></xs:simpleType></xs:element>\n";
    for (const Case& c : table[p].cases) {
      xml << "<p" << p << ">" << XmlText(c.value) << "</p" << p << ">\n";
    }
  }
  xsd << "</xs:choice></xs:complexType></xs:element>\n</xs:schema>\n";
  xml << "</r>\n";
  xsd.close();
  xml.close();
  const std::string command = "xmllint --noout --schema '" + schema.string() + "' '" +
                              instance.string() + "' 2> '" + errors.string() + "'";
  std::system(command.c_str());
  std::set<size_t> rejected;
  const std::string prefix = instance.string() + ":";
  std::ifstream report(errors);
  for (std::string line; std::getline(report, line);) {
    EXPECT_EQ(line.find("failed to compile"), std::string::npos) << line;
    if (line.rfind(prefix, 0) == 0 && line.find("[facet 'pattern']") != std::string::npos) {
      rejected.insert(std::stoul(line.substr(prefix.size())));
    }
  }
  return rejected;
}

TEST(PatternCrossCheck, VerdictsAgreeWithLibxml2SchemaValidation) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    FAIL() << "xmllint (libxml2-utils) is not installed: make deps installs it";
  }
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path dir = fs::temp_directory_path() / ("korvel_pattern_" + std::to_string(stamp));
  fs::create_directories(dir);
  const std::set<size_t> rejected = LinesRejectedByLibxml2(dir, Table());
  fs::remove_all(dir);
  size_t line = 1;  // the root's line; the values follow one per line
  size_t agreed = 0;
  for (const PatternCases& row : Table()) {
    const std::string pattern = PatternToUtf8(row.pattern);
    for (const Case& c : row.cases) {
      ++line;
      SCOPED_TRACE(::testing::Message()
                   << ::testing::PrintToString(std::wstring(row.pattern)) << " / "
                   << ::testing::PrintToString(std::wstring(c.value)));
      bool ours = false;  // a pattern that does not compile accepts nothing
      try {
        ours = MatchesXsdPattern(pattern, c.value);
      } catch (const CKvException&) {
      }
      const bool theirs = rejected.count(line) == 0;
      agreed += ours == theirs;
      EXPECT_EQ(ours == theirs, c.why == nullptr)
          << "documented difference: " << (c.why ? c.why : "none");
    }
  }
  const size_t total = line - 1;
  std::cout << "[ xmllint  ] " << agreed << " of " << total
            << " verdicts agree with libxml2; the others differ as documented\n";
  RecordProperty("agreed", static_cast<int>(agreed));
  RecordProperty("total", static_cast<int>(total));
}

}  // namespace
}  // namespace Korvel::detail
