// SPDX-License-Identifier: MIT
// Classes generated at build time from leaves.xsd: untyped content and
// wildcards, attribute wildcards, mixed content, repeated enumerations, lists,
// nil beside absence, fixed element values and simple content with facets.
#include <gtest/gtest.h>

#include "compiler/rows.h"
#include "leaves.h"

namespace {

using namespace Korvel;

class GeneratedLeaves : public ::testing::Test {
 protected:
  CSerializationContext context;
  CSmartPtr<Leaves::CLeaves> leaves = KorvelTest::Load<Leaves::CLeaves>("leaves.xml", context);
};

TEST_F(GeneratedLeaves, ReadsEveryLeafKind) {
  ASSERT_EQ(leaves->GetSize().GetCount(), 2);
  EXPECT_EQ(leaves->GetSize().Item(1), Leaves::Size::Large);
  EXPECT_TRUE(leaves->IsWhenNil());
  EXPECT_EQ(leaves->GetCount(), 7);  // empty: the fixed value
  EXPECT_EQ(leaves->GetPrice()->GetValue().ToString(), L"12.5");
  EXPECT_NE(dynamic_cast<Leaves::CTaxedPrice*>(leaves->GetPrice()), nullptr);  // xsi:type
  EXPECT_EQ(leaves->GetTaxed()->GetValue().ToString(), L"3");  // extends Price's attributes
  EXPECT_EQ(leaves->GetTaxed()->GetCurrency(), L"CHF");
  EXPECT_EQ(leaves->GetTaxed()->GetTax()->ToString(), L"0.19");
  EXPECT_EQ(leaves->GetSmall()->GetCurrency(), L"EUR");  // restricts Price's value
  EXPECT_EQ(leaves->GetName()->GetValue(), L"two words");  // collapsed by its type
  EXPECT_EQ(leaves->GetSized()->GetValue(), Leaves::Size::Large);
  EXPECT_EQ(leaves->GetText()->GetText(), L"Light  dark");
  EXPECT_EQ(leaves->GetText()->GetAnyElement().Item(0)->GetName(), L"b");
  EXPECT_EQ(leaves->GetPick()->GetAnyElement()->GetName(), L"plain");
  EXPECT_EQ(leaves->GetPick()->GetAnyAttribute().GetCount(), 2);
  EXPECT_EQ(leaves->GetNotes(), nullptr);
  EXPECT_EQ(leaves->GetRules()->GetChildElements()->Item(0)->GetText(), L"any markup");
  EXPECT_EQ(leaves->GetTag().GetCount(), 2);
  ASSERT_EQ(leaves->GetReading().GetCount(), 2);
  EXPECT_EQ(leaves->GetReading().GetAt(0)->GetValue().ToString(), L"1.5");
  EXPECT_TRUE(leaves->GetReading().GetAt(1)->IsNil());
  ASSERT_EQ(leaves->GetUnit().GetCount(), 2);
  EXPECT_EQ(leaves->GetUnit().GetAt(0)->GetValue(), L"kg");  // empty: the default
  EXPECT_EQ(leaves->GetUnit().GetAt(1)->GetValue(), L"g");
  EXPECT_EQ(leaves->GetAnyElement().Item(0)->GetNamespace(), L"urn:foreign");
  EXPECT_EQ(leaves->GetAnyAttribute().Item(0)->GetValue(), L"feed");
  EXPECT_EQ(leaves->GetSizes(), L"small large");
  EXPECT_EQ(leaves->GetCode(), L"AB-1");
  EXPECT_EQ(leaves->GetForm(), Leaves::Size::Small);  // fixed
  EXPECT_EQ(leaves->GetLabel(), L"AB-12");
}

TEST_F(GeneratedLeaves, WritesWhatItReads) {
  // Formatting adds layout around the mixed text, which reading drops again.
  KorvelTest::ExpectRoundTrip(*leaves, context, true);
  CSmartPtr<Leaves::CLeaves> copy = KorvelTest::ExpectRoundTrip(*leaves, context);
  const std::wstring text = leaves->ToXml(false, false, EOL_LF, context);
  // Mixed text follows the child elements.
  EXPECT_LT(text.find(L">and</"), text.find(L">Light  dark</")) << text;
  EXPECT_NE(text.find(L":origin=\"feed\""), std::wstring::npos) << text;
  // Absent is not nil.
  copy->SetWhen(std::nullopt);
  EXPECT_EQ(copy->ToXml(false, false, EOL_LF, context).find(L"<when"), std::wstring::npos);
}

// Rows of tests/data/compiler/leaves_refusals.txt.
TEST_F(GeneratedLeaves, RefusesValuesOutsideTheSchema) {
  KorvelTest::ExpectRefusals<Leaves::CLeaves>("leaves_refusals.txt", context);
}

}  // namespace
