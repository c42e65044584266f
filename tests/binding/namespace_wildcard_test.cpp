// SPDX-License-Identifier: MIT
#include "binding/namespace_wildcard.h"

#include <korvel/errors.h>

#include "test_support.h"

namespace Korvel::detail {
namespace {

TEST(NamespaceWildcard, TokensAndLists) {
  struct Row {
    const wchar_t* constraint;
    const wchar_t* ns;
    bool valid;
  };
  // Target namespace "urn:t" throughout.
  const Row rows[] = {
      {L"##any", L"urn:x", true},
      {L"##any", L"", true},
      {L"##other", L"urn:x", true},
      {L"##other", L"urn:t", false},
      {L"##other", L"", false},  // never unqualified content
      {L"##local", L"", true},
      {L"##local", L"urn:t", false},
      {L"##targetNamespace", L"urn:t", true},
      {L"##targetNamespace", L"urn:x", false},
      {L"##local ##targetNamespace", L"", true},
      {L"##local ##targetNamespace", L"urn:t", true},
      {L"##local ##targetNamespace", L"urn:x", false},
      {L"urn:a urn:b", L"urn:b", true},
      {L"urn:a urn:b", L"urn:c", false},
      {L"urn:a urn:b", L"", true},  // a URI list admits unqualified content
      {L"urn:a", L"urn:t", false},
      {L"##targetNamespace urn:a", L"urn:a", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.constraint << " / " << row.ns);
    EXPECT_EQ(IsNamespaceValid(row.ns, row.constraint, L"urn:t"), row.valid);
    if (row.valid) {
      TestNamespace(row.ns, row.constraint, L"urn:t");
    } else {
      KORVEL_EXPECT_THROW_MESSAGE(TestNamespace(row.ns, row.constraint, L"urn:t"),
                                  CKvInvalidNamespaceException,
                                  FormatString(L"Invalid namespace [%s]. The namespace must be one "
                                               L"of [%s] where the target namespace is [%s].",
                                               row.ns, row.constraint, L"urn:t"));
    }
  }
}

TEST(NamespaceWildcard, DefaultNamespaceOfWrittenContent) {
  struct Row {
    const wchar_t* constraint;
    const wchar_t* anyNamespace;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"##any", L"urn:any", L"urn:any"},
      {L"##other", L"urn:any", L""},
      {L"##other", L"", L"DefaultNamespace"},
      {L"##local", L"urn:any", L""},
      {L"##targetNamespace", L"urn:any", L"urn:t"},
      {L"##targetNamespace ##local", L"urn:any", L"urn:t"},
      {L"##other ##local", L"", L"DefaultNamespace"},
      {L"urn:a urn:b", L"urn:any", L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.constraint);
    EXPECT_EQ(GetAnyDefaultNamespace(row.constraint, row.anyNamespace, L"urn:t"), row.expected);
  }
}

}  // namespace
}  // namespace Korvel::detail
