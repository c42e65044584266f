// SPDX-License-Identifier: MIT
// Values an attacker or a careless producer sends: the pattern facet applied to
// the lexical form of every kind.
#include <gtest/gtest.h>

#include <string>

#include <korvel/primitive_restrictions.h>
#include <korvel/variant.h>

#include "test_support.h"
#include "values/restriction_check.h"

namespace Korvel {
namespace {

constexpr auto kNone = CWhitespaceUtils::ws_none;

// Lexical forms XSD rejects, and some it allows, are rows of
// tests/data/values/hostile_values.txt; direct use of base64 stays tolerant
// (rows of binary_text.txt).

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
