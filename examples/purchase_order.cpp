// SPDX-License-Identifier: MIT
// A purchase order end to end with the pieces a generated binding is built
// from: typed values parsed from their XSD forms, exact totals, the XML text
// writer, the document reader with XPath locations, and a validation failure
// reported the way a binding reports it.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include <korvel/korvel.h>

using namespace Korvel;

namespace {

struct Item {
  const wchar_t* partNum;
  const wchar_t* productName;
  const wchar_t* quantity;  // XSD positiveInteger, as it arrives in a document
  const wchar_t* usPrice;   // XSD decimal
  const wchar_t* shipDate;  // XSD date, optional
};

const Item kItems[] = {
    {L"872-AA", L"Lawnmower", L"1", L"148.95", L"1999-05-21"},
    {L"926-AA", L"Baby Monitor", L" 2 ", L"39.98", nullptr},
    {L"455-BX", L"Garden hose & \u201cnozzle\u201d", L"3", L"19.99", L"1999-06-02"},
};

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

// Writes the order into stream (UTF-8) and adds up its total.
void WritePurchaseOrder(CTextStream& stream, CDecimal& total) {
  CXmlTextWriter writer(stream);
  writer.SetFormatted(true);
  writer.SetEOLType(EOL_LF);
  writer.Open();
  writer.WriteXmlDeclaration();
  writer.StartElement(L"purchaseOrder", L"");
  writer.WriteAttribute(L"orderDate", L"", L"1999-10-20", it_date);
  writer.StartElement(L"items", L"");
  for (const Item& item : kItems) {
    int32_t quantity = CConversions::i4FromString(item.quantity, kCollapse);
    CDecimal price = CConversions::decimalFromString(item.usPrice, kCollapse);
    total += price * CDecimal(quantity);

    writer.StartElement(L"item", L"");
    writer.WriteAttribute(L"partNum", L"", item.partNum, it_string);
    writer.StartElement(L"productName", L"");
    writer.WriteText(item.productName, it_string, false);
    writer.EndElement();
    writer.StartElement(L"quantity", L"");
    writer.WriteText(CConversions::i4ToString(quantity), it_i4, false);
    writer.EndElement();
    writer.StartElement(L"USPrice", L"");
    writer.WriteText(price.ToString(2), it_decimal, false);
    writer.EndElement();
    if (item.shipDate) {
      CDateTime shipDate = CConversions::dateFromString(item.shipDate, kCollapse);
      writer.StartElement(L"shipDate", L"");
      writer.WriteText(CConversions::dateToString(shipDate), it_date, false);
      writer.EndElement();
    }
    writer.EndElement();
  }
  writer.EndElement();
  writer.EndElement();
  writer.Close();
}

void ReadBack(const CBinaryData& utf8) {
  CXmlDocument document;
  document.LoadXmlStream(utf8.GetData(), utf8.GetLength());
  const CXmlElement* root = document.GetDocumentElement();
  std::printf("document element <%ls> ordered on %ls\n", root->GetLocalName().c_str(),
              root->GetAttribute(L"orderDate", L"").c_str());
  for (const CXmlElement* item = root->GetFirstElement()->GetFirstElement(); item;
       item = item->GetNextSiblingElement()) {
    const CXmlElement* name = item->GetFirstElement();
    std::printf("  %ls, at %ls\n", name->GetText().c_str(), name->GetXPath().c_str());
  }
}

void ShowValidationFailure() {
  const wchar_t* badQuantity = L"two";
  try {
    try {
      CConversions::i4FromString(badQuantity, kCollapse);
    } catch (const CKvException& e) {
      throw CKvValidationException(L"Failed to process the element.",
                                   L"/purchaseOrder/items/item[2]/quantity", e);
    }
  } catch (const CKvException& e) {
    std::printf("reading quantity \"%ls\" fails:\n%ls\n", badQuantity,
                e.GetFullMessage().c_str());
  }
}

}  // namespace

int main() {
  std::setlocale(LC_ALL, "C.UTF-8");  // so %ls prints non-ASCII text
  try {
    CDecimal total;
    CTextStream stream(XmlEncoding_UTF8);
    WritePurchaseOrder(stream, total);
    std::printf("%ls\n", stream.GetAllText().c_str());
    std::printf("order total: %ls\n\n", total.ToString(2).c_str());

    CBinaryData utf8 = stream.GetBytes();
    ReadBack(utf8);
    std::printf("\nUTF-8 form: %u bytes; as base64: %.40ls...\n\n", utf8.GetLength(),
                utf8.GetAsBase64().c_str());

    ShowValidationFailure();
  } catch (const CKvException& e) {
    std::printf("unexpected failure: %ls\n", e.GetFullMessage().c_str());
    return 1;
  }
  return 0;
}
