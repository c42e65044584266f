// SPDX-License-Identifier: MIT
// Classes generated at build time from shapes.xsd: choice and all groups,
// enumerations, optional objects and attribute defaults read and write as the
// schema says.
#include <gtest/gtest.h>

#include "compiler/rows.h"
#include "shapes.h"

namespace {

using namespace Korvel;

class GeneratedShapes : public ::testing::Test {
 protected:
  CSerializationContext context;
  CSmartPtr<Shapes::CShapes> shapes = KorvelTest::Load<Shapes::CShapes>("shapes.xml", context);
};

TEST_F(GeneratedShapes, ReadsEveryShape) {
  Shapes::CShapeCol& list = shapes->GetShape();
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetAt(0)->GetCircle().value_or(0), 1.5);
  EXPECT_EQ(list.GetAt(0)->GetSquare(), nullptr);
  EXPECT_EQ(list.GetAt(0)->GetColour(), Shapes::Colour::Red);  // the attribute's default
  ASSERT_NE(list.GetAt(1)->GetSquare(), nullptr);
  EXPECT_EQ(list.GetAt(1)->GetSquare()->GetSide(), 2.0);
  EXPECT_EQ(list.GetAt(1)->GetColour(), Shapes::Colour::DarkBlue);
  EXPECT_EQ(list.GetAt(2)->GetLabel(), Shapes::Label::B);
  EXPECT_EQ(list.GetAt(2)->GetColour(), Shapes::Colour::Empty);
  ASSERT_NE(shapes->GetBox(), nullptr);
  EXPECT_EQ(shapes->GetBox()->GetNote(), L" spaced ");  // xs:string keeps its spaces
  EXPECT_EQ(shapes->GetBox()->GetFill().ToString(), L"12.5");
  EXPECT_EQ(shapes->GetBox()->GetOpen(), true);
  ASSERT_NE(shapes->GetBox()->GetPrice(), nullptr);
  EXPECT_EQ(shapes->GetBox()->GetPrice()->GetValue().ToString(), L"9.95");
  EXPECT_EQ(shapes->GetBox()->GetPrice()->GetCurrency(), L"EUR");
  EXPECT_EQ(shapes->GetBox()->GetWeight(), std::nullopt);  // nil
  EXPECT_TRUE(shapes->GetBox()->GetLid().IsNil());
  EXPECT_FALSE(shapes->GetBox()->GetPrice()->IsNil());
  EXPECT_EQ(shapes->GetBox()->GetCode(), L"2024-01-31");  // a union is collapsed text
  EXPECT_NE(shapes->GetMarker(), nullptr);
  EXPECT_EQ(shapes->GetVersion(), 3);
  Shapes::CLabelled* caption = shapes->GetCaption();
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->GetTag(), L"t1");  // declared by the base type
  EXPECT_EQ(caption->GetKind(), Shapes::Colour::Red);
  EXPECT_EQ(caption->GetText(), L"hello");
  EXPECT_EQ(caption->GetLang(), L"en");
  ASSERT_EQ(shapes->GetNote().GetCount(), 2);
  EXPECT_EQ(shapes->GetNote().Item(1), L"b c");  // xs:token collapses
  ASSERT_EQ(shapes->GetDay().GetCount(), 1);
  EXPECT_EQ(shapes->GetDay().Item(0).ToString(), L"2024-01-02");
}

TEST_F(GeneratedShapes, WritesWhatItReads) {
  CSmartPtr<Shapes::CShapes> copy = KorvelTest::ExpectRoundTrip(*shapes, context);
  const std::wstring text = shapes->ToXml(false, false, EOL_LF, context);
  // The all group writes in schema order, whatever order it was read in.
  const size_t fill = text.find(L"fill>12.5<"), note = text.find(L"note> spaced <");
  EXPECT_TRUE(fill != std::wstring::npos && note != std::wstring::npos && fill < note) << text;
  // weight and lid are written nil, lid with its attribute.
  const size_t weight = text.find(L":nil=\"true\"/>", text.find(L"weight "));
  EXPECT_LT(weight, text.find(L"lid currency=\"USD\" ")) << text;
  EXPECT_NE(text.find(L":nil=\"true\"/>", weight + 1), std::wstring::npos) << text;
  EXPECT_TRUE(copy->GetBox()->GetLid().IsNil());
}

// Rows of tests/data/compiler/shapes_refusals.txt.
TEST_F(GeneratedShapes, RefusesValuesOutsideTheSchema) {
  KorvelTest::ExpectRefusals<Shapes::CShapes>("shapes_refusals.txt", context);
  EXPECT_THROW(Shapes::ColourToString(3), CKvInvalidValueException);
  EXPECT_EQ(Shapes::StringToColour(L"  dark-blue "), 1);  // a token enumeration collapses
}

}  // namespace
