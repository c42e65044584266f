// SPDX-License-Identifier: MIT
#include "binding/namespace_wildcard.h"

#include <korvel/errors.h>

#include "test_support.h"

namespace Korvel::detail {
namespace {

TEST(NamespaceWildcard, TokensAndLists) {
  // Target namespace "urn:t" throughout.
  const std::tuple<const wchar_t*, const wchar_t*, bool> rows[] = {
      {L"##any", L"urn:x", true},
      {L"##any", L"", true},
      {L"##other", L"urn:x", true},
      {L"##other", L"urn:t", false},
      {L"##other", L"", false},
      {L"##local", L"", true},
      {L"##local", L"urn:t", false},
      {L"##targetNamespace", L"urn:t", true},
      {L"##targetNamespace", L"", false},
      {L"##local ##targetNamespace", L"", true},
      {L"##local ##targetNamespace", L"urn:t", true},
      {L"##local ##targetNamespace", L"urn:x", false},
      {L"urn:a urn:b", L"urn:b", true},
      {L"urn:a urn:b", L"urn:c", false},
      {L"urn:a urn:b", L"", true},  // a URI list admits unqualified content
  };
  for (const auto& [constraint, ns, valid] : rows) {
    SCOPED_TRACE(::testing::Message() << constraint << " / " << ns);
    EXPECT_EQ(IsNamespaceValid(ns, constraint, L"urn:t"), valid);
    if (valid) continue;
    KORVEL_EXPECT_THROW_MESSAGE(TestNamespace(ns, constraint, L"urn:t"),
                                CKvInvalidNamespaceException,
                                FormatString(L"Invalid namespace [%s]. The namespace must be one "
                                             L"of [%s] where the target namespace is [urn:t].",
                                             ns, constraint));
  }
}

TEST(NamespaceWildcard, DefaultNamespaceOfWrittenContent) {
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> rows[] = {
      {L"##any", L"urn:any", L"urn:any"},
      {L"##other", L"urn:any", L""},
      {L"##other", L"", L"DefaultNamespace"},
      {L"##local", L"urn:any", L""},
      {L"##targetNamespace ##local", L"urn:any", L"urn:t"},
      {L"urn:a urn:b", L"urn:any", L""},
  };
  for (const auto& [constraint, anyNamespace, expected] : rows) {
    SCOPED_TRACE(::testing::Message() << constraint);
    EXPECT_EQ(GetAnyDefaultNamespace(constraint, anyNamespace, L"urn:t"), expected);
  }
}

}  // namespace
}  // namespace Korvel::detail
