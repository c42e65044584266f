// SPDX-License-Identifier: MIT
// Objects through JSON at the partial and full levels and through Fast
// Infoset plain and gzip: the purchase order, and nil elements that carry
// attributes, come back as the same objects; every JSON text passes a strict
// JSON reader.
#include <functional>

#include <korvel/serialization_context.h>

#include "binding/flex_class.h"
#include "po_binding.h"
#include "strict_json.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

enum class Form { kJsonPartial, kJsonFull, kFastInfoset, kFastInfosetGzip };
constexpr Form kForms[] = {Form::kJsonPartial, Form::kJsonFull, Form::kFastInfoset,
                           Form::kFastInfosetGzip};
constexpr const char* kFormNames[] = {"JSON partial", "JSON full", "Fast Infoset",
                                      "Fast Infoset gzip"};

bool IsJson(Form form) { return form == Form::kJsonPartial || form == Form::kJsonFull; }

// Writes from in the form and reads it into to. JSON texts are kept for the
// strict reader; the full level is written formatted, the partial compact.
void RoundTrip(Form form, const CXmlObjectBase& from, CXmlObjectBase& to,
               std::vector<std::wstring>& jsonTexts) {
  CSerializationContext context;
  if (IsJson(form)) {
    const bool full = form == Form::kJsonFull;
    context.GetJsonContext().SetSupportRoundtrip(full ? JsonRoundTrip_Full : JsonRoundTrip_Partial);
    jsonTexts.push_back(from.ToJson(full, EOL_LF, context));
    to.FromJson(jsonTexts.back().c_str(), context);
    return;
  }
  const CBinaryData bytes = from.ToFastInfosetStream(
      FInfoDecl_None, context, form == Form::kFastInfosetGzip ? ct_gzip : ct_none);
  to.FromXmlStream(bytes, context);
}

std::wstring Xml(const CXmlObjectBase& object) {
  return object.ToXml(true, false, EOL_LF, CSerializationContext());
}

// Text that escapes, leaves the BMP and looks like markup. Fast Infoset
// drops carriage returns as the XML reader drops literal ones, so only JSON
// gets one.
std::wstring Awkward(Form form) {
  return std::wstring(IsJson(form) ? L"line\r\n" : L"line\n") +
         L"\t\"quoted\" \\ \u00e9 \U0001D11E <&> ]]> <![CDATA[x]]>";
}

TEST(RoundTripForms, PurchaseOrder) {
  std::vector<std::wstring> jsonTexts;
  for (Form form : kForms) {
    SCOPED_TRACE(kFormNames[static_cast<int>(form)]);
    CSmartPtr<Po::CPurchaseOrderType> order = new Po::CPurchaseOrderType();
    const std::string sample = KORVEL_PO_SAMPLE;
    order->FromXmlFile(std::wstring(sample.begin(), sample.end()).c_str(), CSerializationContext());
    order->SetComment(Awkward(form));
    order->GetShipTo().SetName(L"");
    order->GetItems().GetItem().GetAt(1)->SetComment(L"   ");
    CSmartPtr<Po::CPurchaseOrderType> copy = new Po::CPurchaseOrderType();
    RoundTrip(form, *order, *copy, jsonTexts);
    EXPECT_EQ(Xml(*copy), Xml(*order));
  }
  ExpectStrictJson(jsonTexts);
}

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

// price: attribute cur, decimal simple content; nillable. holder: an
// optional price and an optional note.
const Shape kPrice(XmlElementGroupType_Sequence, L"price", L"urn:t", {},
                   {new CAttributeInfoPrimitive(L"cur", L"", 0, true, it_string, nullptr, kCollapse,
                                                CPrimitiveRestrictions(), nullptr)},
                   1, it_decimal);
CSmartPtr<CXmlObjectBase> CreatePrice(int, const wchar_t* name) {
  return new CNillableFlex(kPrice, name);
}
const Shape kHolder(
    XmlElementGroupType_Sequence, L"holder", L"urn:t",
    {new CElementInfoSeqClsOpt(L"price", L"urn:t", 0, XmlElementType_Element, CreatePrice, 0),
     new CElementInfoSeqPrimOpt(L"note", L"urn:t", 1, false, it_string, nullptr,
                                CWhitespaceUtils::ws_preserve, CPrimitiveRestrictions(), nullptr)});

CSmartPtr<CNillableFlex> NilPrice(const wchar_t* currency) {
  CSmartPtr<CNillableFlex> price = new CNillableFlex(kPrice, L"price");
  if (currency) price->properties[0].SetString(currency);
  price->SetNil(true);
  return price;
}

TEST(RoundTripForms, NilElementsKeepTheirAttributesAndTheirNil) {
  std::vector<std::wstring> jsonTexts;
  for (Form form : kForms) {
    SCOPED_TRACE(kFormNames[static_cast<int>(form)]);
    // As the root, with and without an attribute.
    for (const wchar_t* currency : {L"EUR", static_cast<const wchar_t*>(nullptr)}) {
      CSmartPtr<CNillableFlex> price = NilPrice(currency);
      CSmartPtr<CNillableFlex> copy = new CNillableFlex(kPrice, L"price");
      RoundTrip(form, *price, *copy, jsonTexts);
      EXPECT_TRUE(copy->IsNil());
      EXPECT_EQ(Xml(*copy), Xml(*price));
    }
    // As a child, beside text.
    const CSmartPtr<CFlex> holder = new CFlex(kHolder, L"holder");
    holder->properties[0].SetXmlObject(NilPrice(L"USD").Get());
    holder->properties[1].SetString(Awkward(form));
    const CSmartPtr<CFlex> copy = new CFlex(kHolder, L"holder");
    RoundTrip(form, *holder, *copy, jsonTexts);
    EXPECT_EQ(Xml(*copy), Xml(*holder));
  }
  ExpectStrictJson(jsonTexts);
}

}  // namespace
}  // namespace Korvel::testing
