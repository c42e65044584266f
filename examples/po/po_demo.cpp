// SPDX-License-Identifier: MIT
// The purchase-order binding at work: read the sample order, change it, check
// it, write it back as formatted XML, and see how a broken facet is reported.
#include <clocale>
#include <cstdio>
#include <string>

#include <korvel/conversions.h>
#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_encoding.h>

#include <po_binding.h>  // generated from po.xsd at build time

using namespace Korvel;

namespace {

void Print(const std::wstring& text) { std::printf("%ls\n", text.c_str()); }

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  const std::string sample = argc > 1 ? argv[1] : KORVEL_PO_SAMPLE;
  const std::wstring path(sample.begin(), sample.end());
  CSerializationContext context;
  try {
    CSmartPtr<Po::CPurchaseOrderType> order = new Po::CPurchaseOrderType();
    order->FromXmlFile(path.c_str(), context);
    std::printf("Read %d items for %ls.\n", order->GetItems().GetItem().GetCount(),
                order->GetShipTo().GetName().c_str());

    // Change it: a second mower, a new line, a later order date.
    order->GetItems().GetItem().GetAt(0)->SetQuantity(CBigInteger(2));
    CSmartPtr<Po::CItem> hose = order->GetItems().GetItem().AddNew();
    hose->SetPartNum(L"455-BX");
    hose->SetProductName(L"Garden hose & \u201cnozzle\u201d");
    hose->SetQuantity(CBigInteger(3));
    hose->SetUSPrice(CConversions::decimalFromString(L"19.99", CWhitespaceUtils::ws_collapse));
    order->SetOrderDate(CDateTime(1999, 10, 21));

    // Writing checks every facet; reading it back checks them again.
    const std::wstring xml = order->ToXml(true, true, EOL_LF, context);
    CSmartPtr<Po::CPurchaseOrderType> copy = new Po::CPurchaseOrderType();
    copy->FromXml(xml.c_str(), context);
    Print(xml);
    std::printf("Round trip %s.\n\n",
                copy->ToXml(true, true, EOL_LF, context) == xml ? "exact" : "DIFFERS");

    // A quantity of 100 breaks maxExclusive: reading names the element.
    std::wstring broken = xml;
    broken.replace(broken.find(L"<quantity>3<"), 12, L"<quantity>100<");
    try {
      copy->FromXml(broken.c_str(), context);
    } catch (const CKvValidationException& e) {
      std::printf("Reading a quantity of 100 fails:\n");
      Print(e.GetFullMessage());
    }
    // A part number that is no SKU fails on writing.
    hose->SetPartNum(L"455-bx");
    try {
      order->ToXml(false, false, EOL_LF, context);
    } catch (const CKvValidationException& e) {
      std::printf("\nWriting part number 455-bx fails:\n");
      Print(e.GetFullMessage());
    }
  } catch (const CKvException& e) {
    Print(e.GetFullMessage());
    return 1;
  }
  return 0;
}
