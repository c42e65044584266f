// SPDX-License-Identifier: MIT
// The purchase-order binding generated at build time reads and writes the
// sample exactly as the hand-written binding does.
#include <gtest/gtest.h>

#include <korvel/serialization_context.h>

#include "po_binding.h"
#include "po_generated.h"
#include "test_support.h"

namespace {

using namespace Korvel;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TEST(GeneratedPoBinding, ReadsAndWritesTheSampleAsTheHandWrittenBinding) {
  CSerializationContext context;
  CSmartPtr<PoGen::CPurchaseOrderType> order = new PoGen::CPurchaseOrderType();
  order->FromXmlFile(Wide(KORVEL_PO_SAMPLE).c_str(), context);
  CSmartPtr<Po::CPurchaseOrderType> model = new Po::CPurchaseOrderType();
  model->FromXmlFile(Wide(KORVEL_PO_SAMPLE).c_str(), context);
  const std::wstring text = order->ToXml(true, true, EOL_LF, context);
  EXPECT_EQ(text, model->ToXml(true, true, EOL_LF, context));

  ASSERT_EQ(order->GetItems().GetItem().GetCount(), 2);
  EXPECT_EQ(order->GetBillTo().GetCity(), L"Old Town");
  EXPECT_EQ(order->GetShipTo().GetCountry(), L"US");
  EXPECT_EQ(order->GetItems().GetItem().GetAt(1)->GetShipDate()->ToString(), L"1999-05-21");

  CSmartPtr<PoGen::CPurchaseOrderType> copy = new PoGen::CPurchaseOrderType();
  copy->FromXml(text.c_str(), context);
  EXPECT_EQ(copy->ToXml(true, true, EOL_LF, context), text);
}

TEST(GeneratedPoBinding, ChecksTheSchemaFacets) {
  CSerializationContext context;
  CSmartPtr<PoGen::CPurchaseOrderType> order = new PoGen::CPurchaseOrderType();
  order->FromXmlFile(Wide(KORVEL_PO_SAMPLE).c_str(), context);
  CSmartPtr<PoGen::CItem> item = order->GetItems().GetItem().GetAt(0);
  for (int32_t quantity : {100, 0}) {
    SCOPED_TRACE(quantity);
    item->SetQuantity(CBigInteger(quantity));
    EXPECT_THROW(order->ToXml(true, true, EOL_LF, context), CKvException);
  }
  item->SetQuantity(CBigInteger(int32_t{99}));
  item->SetPartNum(L"12-AB");
  EXPECT_THROW(order->ToXml(true, true, EOL_LF, context), CKvException);
}

}  // namespace
