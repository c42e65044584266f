// SPDX-License-Identifier: MIT
// The catalogue binding generated at build time from catalog.xsd and
// catalog-ext.xsd: every valid document reads into the classes its elements
// and xsi:type attributes name, and what is written reads back the same.
#include <gtest/gtest.h>

#include <korvel/serialization_context.h>

#include "catalog.h"
#include "test_support.h"

namespace {

using namespace Korvel;

std::wstring Write(const CXmlObjectBase& object, bool formatted,
                   const CSerializationContext& context) {
  return object.ToXml(false, formatted, EOL_LF, context);
}

TEST(GeneratedCatalog, EveryValidDocumentReadsBackAsItWasWritten) {
  const std::string dir = std::string(KORVEL_TEST_DATA_DIR) + "/catalog/";
  CSerializationContext context;
  for (const char* name :
       {"valid-all-constructs", "valid-minimal", "valid-nil-and-defaults",
        "valid-prefixed-namespaces", "valid-substitution-single-valued",
        "valid-wildcards-foreign-namespaces", "valid-xsitype-substitution"}) {
    SCOPED_TRACE(name);
    const std::string path = dir + name + ".xml";
    CSmartPtr<Catalog::CCatalogType> catalog = new Catalog::CCatalogType();
    ASSERT_NO_THROW(catalog->FromXmlFile(std::wstring(path.begin(), path.end()).c_str(), context));
    for (bool formatted : {false, true}) {
      const std::wstring text = Write(*catalog, formatted, context);
      CSmartPtr<Catalog::CCatalogType> copy = new Catalog::CCatalogType();
      ASSERT_NO_THROW(copy->FromXml(text.c_str(), context)) << text;
      EXPECT_EQ(Write(*copy, formatted, context), text);
    }
  }
}

TEST(GeneratedCatalog, SubstitutesAndXsiTypesPickTheirClasses) {
  const std::string path =
      std::string(KORVEL_TEST_DATA_DIR) + "/catalog/valid-substitution-single-valued.xml";
  CSerializationContext context;
  CSmartPtr<Catalog::CCatalogType> catalog = new Catalog::CCatalogType();
  catalog->FromXmlFile(std::wstring(path.begin(), path.end()).c_str(), context);
  // ext:model3d stands for cat:media in an all group, and is written in its own namespace.
  Catalog::CSupplierType& supplier = *catalog->GetSupplier().GetAt(0);
  EXPECT_NE(dynamic_cast<Ext::CModel3DType*>(supplier.GetMedia()), nullptr);
  Catalog::CCategoryType& category = *catalog->GetCategory().GetAt(0);
  EXPECT_NE(dynamic_cast<Catalog::CImageType*>(category.GetMedia()), nullptr);
  auto* product = dynamic_cast<Catalog::CProductType*>(category.GetItem().GetAt(0).Get());
  ASSERT_NE(product, nullptr);
  EXPECT_NE(dynamic_cast<Catalog::CCourierShippingType*>(product->GetShipping()), nullptr);
  EXPECT_NE(dynamic_cast<Catalog::CVideoType*>(catalog->GetPromotion().GetAt(0)->GetMedia()),
            nullptr);
  const std::wstring text = Write(*catalog, false, context);
  EXPECT_NE(text.find(L"<AB:model3d"), std::wstring::npos) << text;
  EXPECT_NE(text.find(L"type=\"AA:CourierShippingType\""), std::wstring::npos) << text;
  EXPECT_EQ(text.find(L"ProductType"), std::wstring::npos) << text;
}

}  // namespace
