// SPDX-License-Identifier: MIT
// Classes generated at build time from structure.xsd: model groups as pseudo
// elements, named groups, extensions, substitution groups and xsi:type read
// into the classes the document names and write back as they were read.
#include <gtest/gtest.h>

#include "compiler/rows.h"
#include "structure.h"

namespace {

using namespace Korvel;
using namespace Structure;

TEST(GeneratedStructure, ReadsTheClassesTheDocumentNamesAndWritesThemBack) {
  CSerializationContext context;
  CSmartPtr<CRootType> root = KorvelTest::Load<CRootType>("structure.xml", context);
  EXPECT_EQ(root->GetId(), L"r1");
  EXPECT_EQ(root->GetStamp().GetBy(), L"me");
  ASSERT_EQ(root->GetStamp2().GetCount(), 2);  // the named group, repeated
  EXPECT_TRUE(root->GetStamp2().GetAt(1)->GetAt().has_value());
  // Substitutes of the abstract head, by element name.
  ASSERT_EQ(root->GetShape().GetCount(), 2);
  EXPECT_NE(dynamic_cast<CCircleType*>(root->GetShape().GetAt(0).Get()), nullptr);
  auto* square = dynamic_cast<CSquareType*>(root->GetShape().GetAt(1).Get());
  ASSERT_NE(square, nullptr);
  EXPECT_EQ(square->GetChoice().GetDiagonal(), 2.0);
  EXPECT_NE(dynamic_cast<CImageType*>(root->GetMedia()), nullptr);
  // xsi:type, prefixed or not, down to a type derived twice.
  ASSERT_EQ(root->GetVehicle().GetCount(), 3);
  auto* car = dynamic_cast<CCarType*>(root->GetVehicle().GetAt(0).Get());
  ASSERT_NE(car, nullptr);
  ASSERT_NE(car->GetSequence(), nullptr);  // the optional nested sequence
  EXPECT_EQ(car->GetSequence()->GetLoad(), 9);
  auto* bus = dynamic_cast<CBusType*>(root->GetVehicle().GetAt(1).Get());
  ASSERT_NE(bus, nullptr);
  EXPECT_EQ(bus->GetChoice().GetCount(), 3);
  EXPECT_NE(dynamic_cast<CTruckType*>(root->GetVehicle().GetAt(2).Get()), nullptr);
  ASSERT_NE(root->GetPair(), nullptr);
  EXPECT_EQ(root->GetPair()->GetSequence(), nullptr);
  EXPECT_EQ(root->GetPair()->GetSequence2().GetCount(), 2);
  ASSERT_NE(root->GetBox(), nullptr);
  EXPECT_NE(dynamic_cast<CCarType*>(root->GetBox()->GetContent()), nullptr);
  EXPECT_EQ(root->GetLot()->GetSequence().GetCount(), 2);
  EXPECT_NE(root->GetTag(), nullptr);  // an empty choice that may be empty

  CSmartPtr<CRootType> copy = KorvelTest::ExpectRoundTrip(*root, context);
  const std::wstring text = root->ToXml(false, false, EOL_LF, context);
  // JSON makes one array only of items of one name, not of groups or substitutes.
  CSmartPtr<CRootType> fromJson = new CRootType();
  fromJson->FromJson(root->ToJson(false, EOL_LF, context).c_str(), context);
  EXPECT_EQ(fromJson->ToXml(false, false, EOL_LF, context), text);
  // A substitute's name tells its class; a base-typed element needs xsi:type.
  EXPECT_EQ(text.find(L"SquareType"), std::wstring::npos) << text;
  EXPECT_NE(text.find(L"type=\"AA:TruckType\""), std::wstring::npos) << text;

  // A choice none of whose members may be empty may not be either.
  std::wstring noPair = text;
  const size_t pair = noPair.find(L"<AA:pair>");
  noPair.replace(pair, noPair.find(L"</AA:pair>") + 10 - pair, L"<AA:pair/>");
  EXPECT_THROW(copy->FromXml(noPair.c_str(), context), CKvValidationException);

  // An abstract type without xsi:type, and a type outside the element's, are refused.
  for (const wchar_t* vehicle :
       {L"<AA:vehicle>", L"<AA:vehicle xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" "
                         L"i:type=\"AA:MediaType\">"}) {
    SCOPED_TRACE(vehicle);
    std::wstring bad = text;
    const size_t start = bad.find(L"<AA:vehicle");
    bad.replace(start, bad.find(L'>', start) + 1 - start, vehicle);
    EXPECT_THROW(copy->FromXml(bad.c_str(), context), CKvValidationException);
  }
}

}  // namespace
