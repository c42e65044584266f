// SPDX-License-Identifier: MIT
// The purchase-order binding through every entry point: each form gives back
// exactly the order that went in.

#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>

#include "po_binding.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

class PoBinding : public ::testing::Test {
 protected:
  PoBinding() {
    order = new Po::CPurchaseOrderType();
    const std::string sample = KORVEL_PO_SAMPLE;
    order->FromXmlFile(std::wstring(sample.begin(), sample.end()).c_str(), context);
    text = order->ToXml(true, true, EOL_LF, context);
  }
  // The order read by read writes the same text as the original.
  template <class Read>
  void ExpectSameOrder(Read read) {
    CSmartPtr<Po::CPurchaseOrderType> copy = new Po::CPurchaseOrderType();
    read(*copy);
    EXPECT_EQ(copy->ToXml(true, true, EOL_LF, context), text);
  }

  CSerializationContext context;
  CSmartPtr<Po::CPurchaseOrderType> order;
  std::wstring text;
};

TEST_F(PoBinding, TheSampleIsReadCompletely) {
  ASSERT_EQ(order->GetItems().GetItem().GetCount(), 2);
  EXPECT_EQ(order->GetBillTo().GetCity(), L"Old Town");
  EXPECT_EQ(order->GetItems().GetItem().GetAt(0)->GetComment().value_or(L""),
            L"Confirm this is electric");
  EXPECT_EQ(order->GetItems().GetItem().GetAt(1)->GetShipDate()->ToString(), L"1999-05-21");
  EXPECT_EQ(order->GetOrderDate()->ToString(), L"1999-10-20");
}

TEST_F(PoBinding, RoundTripsThroughEveryEntryPoint) {
  ExpectSameOrder([&](Po::CPurchaseOrderType& o) { o.FromXml(text.c_str(), context); });
  const std::wstring plain = order->ToXml(false, false, EOL_CRLF, context);
  ExpectSameOrder([&](Po::CPurchaseOrderType& o) { o.FromXml(plain.c_str(), context); });
  for (XmlEncoding encoding : {XmlEncoding_UTF8, XmlEncoding_UTF16}) {
    for (CompressionType compression : {ct_none, ct_gzip, ct_zlib}) {
      SCOPED_TRACE(::testing::Message() << encoding << " " << compression);
      const CBinaryData bytes =
          order->ToXmlStream(true, true, encoding, EOL_LF, context, compression);
      ExpectSameOrder([&](Po::CPurchaseOrderType& o) { o.FromXmlStream(bytes, context); });
      if (encoding == XmlEncoding_UTF8 && compression == ct_none) {
        const std::string narrow = BytesOf(bytes);
        ExpectSameOrder([&](Po::CPurchaseOrderType& o) { o.FromXml(narrow.c_str(), context); });
      }
    }
  }
  // Any writer serves: Fast Infoset comes back as the same order.
  const CBinaryData binary = order->ToFastInfosetStream(FInfoDecl_None, context, ct_gzip);
  ExpectSameOrder([&](Po::CPurchaseOrderType& o) { o.FromXmlStream(binary, context); });
  TempDir dir;
  for (bool async : {false, true}) {
    for (CompressionType compression : {ct_none, ct_gzip}) {
      SCOPED_TRACE(::testing::Message() << async << " " << compression);
      AsyncToXmlFile(async);
      // Chunked reading takes only uncompressed files.
      AsyncFromXmlFile(async && compression == ct_none);
      const std::wstring path = dir.WidePath("po.xml");
      order->ToXmlFile(path.c_str(), true, true, XmlEncoding_UTF16, EOL_LF, context, compression);
      ExpectSameOrder([&](Po::CPurchaseOrderType& o) { o.FromXmlFile(path.c_str(), context); });
    }
  }
  AsyncToXmlFile(false);
  AsyncFromXmlFile(false);
}

TEST_F(PoBinding, FacetsAreCheckedBothWays) {
  std::wstring broken = text;
  broken.replace(broken.find(L"926-AA"), 6, L"926-aa");
  CSmartPtr<Po::CPurchaseOrderType> copy = new Po::CPurchaseOrderType();
  KORVEL_EXPECT_THROW_MESSAGE(copy->FromXml(broken.c_str(), context), CKvValidationException,
                              L"Failed to set the property value [926-aa].\n"
                              L"Path: /purchaseOrder/items/item[2]/@partNum");
  order->GetItems().GetItem().GetAt(0)->SetQuantity(CBigInteger(0));
  KORVEL_EXPECT_THROW_MESSAGE(order->ToXml(false, false, EOL_LF, context), CKvValidationException,
                              L"Failed to convert the element [purchaseOrder] to XML");
  context.SetCheckFacetsOnRead(false);
  copy->FromXml(broken.c_str(), context);
  EXPECT_EQ(copy->GetItems().GetItem().GetAt(1)->GetPartNum(), L"926-aa");
}

}  // namespace
}  // namespace Korvel::testing
