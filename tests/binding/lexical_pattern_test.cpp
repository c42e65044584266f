// SPDX-License-Identifier: MIT
// The pattern facet of a typed collection judges the text as it stood in the
// document (after the whitespace rule) when values are read, the canonical
// text when they are added as values.
#include <korvel/typed_collections.h>

#include <gtest/gtest.h>

#include <korvel/smart_ptr.h>

#include "test_support.h"

namespace Korvel {
namespace {

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

// Reads text as the document reader hands it over.
template <class Col>
struct Reading : Col {
  using Col::Col;
  using Col::AddFromString;
};

TEST(LexicalPattern, ReadTextIsMatchedAsWrittenInTheDocument) {
  const CSmartPtr<Reading<Ci4Col>> ints = new Reading<Ci4Col>(L"n", L"", 0, -1, L"\\d{3}", -1, -1, nullptr, nullptr,
                                            nullptr, nullptr, -1, -1, -1, kCollapse, nullptr);
  ints->AddFromString(L" 007 ");
  EXPECT_EQ(ints->GetCount(), 1);
  KORVEL_EXPECT_THROW_MESSAGE(ints->AddFromString(L"7"), CKvException, L"Invalid Value for n [7].");
  KORVEL_EXPECT_THROW_MESSAGE(ints->Add(7), CKvException, L"Invalid Value for n [7].");
  const CSmartPtr<Reading<CbooleanCol>> flags = new Reading<CbooleanCol>(
      L"b", L"", 0, -1, L"true|false", -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1, -1,
      kCollapse, nullptr);
  flags->AddFromString(L"true");
  KORVEL_EXPECT_THROW_MESSAGE(flags->AddFromString(L"1"), CKvException, L"Invalid Value for b [1].");
  EXPECT_EQ(flags->GetCount(), 1);
}

}  // namespace
}  // namespace Korvel
