// SPDX-License-Identifier: MIT
// The purchase-order binding generated at build time reads and writes the
// sample exactly as the hand-written binding does.
#include <gtest/gtest.h>

#include "compiler/rows.h"
#include "po_binding.h"
#include "po_generated.h"

namespace {

using namespace Korvel;

using KorvelTest::Wide;

TEST(GeneratedPoBinding, ReadsAndWritesTheSampleAsTheHandWrittenBinding) {
  CSerializationContext context;
  CSmartPtr<PoGen::CPurchaseOrderType> order = new PoGen::CPurchaseOrderType();
  order->FromXmlFile(Wide(KORVEL_PO_SAMPLE).c_str(), context);
  CSmartPtr<Po::CPurchaseOrderType> model = new Po::CPurchaseOrderType();
  model->FromXmlFile(Wide(KORVEL_PO_SAMPLE).c_str(), context);
  EXPECT_EQ(order->ToXml(true, true, EOL_LF, context), model->ToXml(true, true, EOL_LF, context));
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
