// SPDX-License-Identifier: MIT
// Values an attacker or a careless producer sends: lexical forms XSD rejects,
// decimals that must print so that they read back the same, and the pattern
// facet applied to the lexical form of every kind.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <korvel/binary_data.h>
#include <korvel/conversions.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/variant.h>

#include "test_support.h"
#include "values/pattern_table.h"
#include "values/restriction_check.h"

namespace Korvel {
namespace {

constexpr auto kNone = CWhitespaceUtils::ws_none;

void Read(const std::string& kind, const std::wstring& text) {
  using C = CConversions;
  if (kind == "date") {
    C::dateFromString(text, kNone);
  } else if (kind == "time") {
    C::timeFromString(text, kNone);
  } else if (kind == "datetime") {
    C::datetimeFromString(text, kNone);
  } else if (kind == "duration") {
    C::durationFromString(text, kNone);
  } else if (kind == "base64") {
    C::base64BinaryFromString(text, kNone);
  } else {
    FAIL() << "unknown kind " << kind;
  }
}

TEST(HostileValues, LexicalFormsXsdRejectsFailWithTheirMessages) {
  std::ifstream in("values/hostile_values.tsv");
  ASSERT_TRUE(in);
  int rows = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab1 = line.find('\t');
    const size_t tab2 = line.find('\t', tab1 + 1);
    const std::string kind = line.substr(0, tab1);
    const std::wstring text = testing::DecodeTableValue(line.substr(tab1 + 1, tab2 - tab1 - 1));
    const std::wstring message = testing::DecodeTableValue(line.substr(tab2 + 1));
    SCOPED_TRACE(line);
    ++rows;
    KORVEL_EXPECT_THROW_MESSAGE(Read(kind, text), CKvException, message);
  }
  EXPECT_GE(rows, 25);
  // The variant reads base64 the same way; direct use stays tolerant, folding
  // a character beyond ASCII by its low bits as documented.
  KvVariant variant;
  KORVEL_EXPECT_THROW_MESSAGE(variant.FromString(L"QU\u00A0JD", it_base64Binary, kNone),
                              CKvException,
                              L"The value [QU\u00A0JD] can not be converted to a base64Binary");
  CBinaryData lenient;
  lenient.SetAsBase64(L"QU\u00CAD");  // U+00CA folds into J
  EXPECT_EQ(testing::BytesOf(lenient), "ABC");
  // What XSD allows still reads.
  EXPECT_EQ(CConversions::base64BinaryFromString(L" SGVs\nbG8= ", kNone).GetLength(), 5u);
  EXPECT_EQ(CConversions::durationFromString(L"PT0.5S", kNone).GetMilliSeconds(), 500);
  EXPECT_EQ(CConversions::timeFromString(L"12:00:00-14:00", kNone).ToString(),
            L"12:00:00-14:00");
}

// The pattern sees the text as it stood in the document (or as written) when
// the caller has it, the canonical form otherwise.
TEST(HostileValues, PatternConstrainsTheLexicalFormOfEveryKind) {
  struct Row {
    ItemType kind;
    const wchar_t* text;  // read into the value, and the lexical form
    const wchar_t* pattern;
    bool lexicalMatches;
    bool canonicalMatches;
  } rows[] = {
      {it_i4, L"007", L"\\d{3}", true, false},
      {it_boolean, L"1", L"true|false", false, true},
      {it_decimal, L"1.50", L"\\d+\\.\\d{2}", true, false},
      {it_r8, L"1e3", L"\\d+e\\d+", true, false},
      {it_date, L"2004-05-01Z", L"[^Z]*", false, false},
      {it_duration, L"PT1H0M", L"PT\\d+H\\d+M", true, false},
      {it_hexBinary, L"0a0b", L"[0-9a-f]*", true, false},
      {it_string, L"abc", L"[a-c]+", true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(row.text)));
    KvVariant value;
    value.FromString(row.text, row.kind, kNone);
    const CPrimitiveRestrictions facets(row.pattern, -1, -1, L"", L"", L"", L"", -1, -1, -1);
    const std::wstring lexical = row.text;
    const auto check = [&](const std::wstring* text) {
      detail::CheckRestrictions(L"Prop", value, row.kind, facets, text);
    };
    if (row.lexicalMatches) {
      EXPECT_NO_THROW(check(&lexical));
    } else {
      KORVEL_EXPECT_THROW_MESSAGE(check(&lexical), CKvException,
                                  L"Invalid Value for Prop [" + lexical + L"].");
    }
    if (row.canonicalMatches) {
      EXPECT_NO_THROW(check(nullptr));
    } else {
      KORVEL_EXPECT_THROW_MESSAGE(check(nullptr), CKvException,
                                  L"Invalid Value for Prop [" + value.ToString() + L"].");
    }
  }
}

}  // namespace
}  // namespace Korvel
