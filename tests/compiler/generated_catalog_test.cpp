// SPDX-License-Identifier: MIT
// The catalogue binding generated at build time from catalog.xsd and
// catalog-ext.xsd: every valid document reads, writes and reads back to the
// same objects in every form, and every defect of tests/data/catalog/defects.txt
// (a valid document with one edit) fails with its exact message and path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>

#include <korvel/binary_data.h>
#include <korvel/errors.h>
#include <korvel/json_context.h>
#include <korvel/serialization_context.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>

#include "canonical_tree.h"
#include "catalog.h"
#include "compiler/rows.h"
#include "test_support.h"

namespace {

using namespace Korvel;
using Catalog::CCatalogType;

const std::filesystem::path kDir = std::filesystem::path(KORVEL_TEST_DATA_DIR) / "catalog";

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The objects' written text, canonical: what "the same objects" is judged by.
std::wstring Text(const CCatalogType& catalog) {
  const CBinaryData bytes =
      catalog.ToXmlStream(true, false, XmlEncoding_UTF8, EOL_LF, CSerializationContext(), ct_none);
  CXmlDocument document;
  document.LoadXmlStream(bytes.GetData(), bytes.GetLength());
  return Korvel::testing::CanonicalTree(document.GetDocumentElement());
}

// The forms a catalogue is written in and read back from. Partial JSON
// carries neither namespaces nor xsi:type, and the element factories match
// names with their namespace: only a catalogue without abstract members
// (supplier addresses, items, media) reads back from it.
enum Form { kXml, kXmlFormatted, kJsonPartial, kJsonFull, kFastInfoset, kFastInfosetGzip };
const char* const kFormNames[] = {"xml",       "xml-formatted", "json-partial",
                                  "json-full", "fast-infoset",  "fast-infoset-gzip"};

CBinaryData Write(const CCatalogType& c, Form form, const CSerializationContext& context) {
  if (form == kJsonPartial || form == kJsonFull) {
    return c.ToJsonStream(false, XmlEncoding_UTF8, EOL_LF, context, ct_none);
  }
  if (form == kFastInfoset || form == kFastInfosetGzip) {
    return c.ToFastInfosetStream(FInfoDecl_None, context,
                                 form == kFastInfosetGzip ? ct_gzip : ct_none);
  }
  return c.ToXmlStream(true, form == kXmlFormatted, XmlEncoding_UTF8, EOL_LF, context, ct_none);
}

TEST(GeneratedCatalog, EveryValidDocumentRoundTripsInEveryForm) {
  std::vector<std::filesystem::path> documents;
  for (const auto& entry : std::filesystem::directory_iterator(kDir)) {
    if (entry.path().filename().string().rfind("valid-", 0) == 0) documents.push_back(entry.path());
  }
  std::sort(documents.begin(), documents.end());
  ASSERT_EQ(documents.size(), 8u);
  const Korvel::testing::TempDir out;
  std::string jsonFiles;
  for (const std::filesystem::path& document : documents) {
    CSmartPtr<CCatalogType> original = new CCatalogType();
    original->FromXmlFile(document.wstring().c_str(), CSerializationContext());
    for (Form form :
         {kXml, kXmlFormatted, kJsonPartial, kJsonFull, kFastInfoset, kFastInfosetGzip}) {
      SCOPED_TRACE(document.filename().string() + " as " + kFormNames[form]);
      CSerializationContext context;
      context.GetJsonContext().SetSupportRoundtrip(form == kJsonPartial ? JsonRoundTrip_Partial
                                                                        : JsonRoundTrip_Full);
      try {
        const CBinaryData written = Write(*original, form, context);
        CSmartPtr<CCatalogType> copy = new CCatalogType();
        if (form == kJsonPartial || form == kJsonFull) {
          const std::string file = document.stem().string() + kFormNames[form];
          out.Write(file, Korvel::testing::BytesOf(written));
          jsonFiles += " '" + out.Path(file) + "'";
          if (form == kJsonPartial && document.filename() != "valid-minimal.xml") continue;
          copy->FromJsonStream(written, context);
        } else {
          copy->FromXmlStream(written, context);
        }
        EXPECT_EQ(Text(*copy), Text(*original));
      } catch (const CKvException& e) {
        ADD_FAILURE() << e.what();
      }
    }
  }
  // Every JSON output is JSON to a strict reader.
  const int status = std::system(("python3 -c 'import json, sys\nfor p in sys.argv[1:]: "
                                  "json.load(open(p, encoding=\"utf-8\"))'" +
                                  jsonFiles)
                                     .c_str());
  ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 127) << "python3 is missing";
  EXPECT_EQ(status, 0);
}

// Rows of tests/data/catalog/defects.txt: read (or write, after a read that
// leaves facets unchecked and lets choices be empty), the document, the text to find in it and its
// replacement, the full message.
TEST(GeneratedCatalog, DefectsGiveTheirMessageAndPath) {
  CSerializationContext lenient;
  lenient.SetCheckFacetsOnRead(false);
  lenient.SetIgnoreMissingChoice(true);
  for (const std::vector<std::string>& row : KorvelTest::Rows("../catalog/defects.txt")) {
    ASSERT_EQ(row.size(), 5u);
    SCOPED_TRACE(row[1] + ": " + row[3]);
    std::string text = FileText(kDir / row[1]);
    const size_t at = text.find(row[2]);
    ASSERT_NE(at, std::string::npos) << row[2];
    text.replace(at, row[2].size(), row[3]);
    CSmartPtr<CCatalogType> catalog = new CCatalogType();
    std::string message = "no failure";
    try {
      if (row[0] == "write") {
        catalog->FromXml(std::string_view(text), lenient);
        catalog->ToXml(true, true, EOL_LF, CSerializationContext());
      } else {
        catalog->FromXml(std::string_view(text), CSerializationContext());
      }
    } catch (const CKvException& e) {
      message = e.what();
    }
    EXPECT_EQ(message, row[4]);
  }
}

// Categories hold categories: a document may nest them as deep as it likes,
// and a read must refuse it with an error rather than run out of stack.
TEST(GeneratedCatalog, ObjectsNestedBeyondTheLimitAreRefusedNotOverflowed) {
  const std::string minimal = FileText(kDir / "valid-minimal.xml");
  const std::string home = "<category code=\"home\">\n    <name>Home</name>\n  </category>";
  const size_t at = minimal.find(home);
  ASSERT_NE(at, std::string::npos);
  const auto nested = [&](int depth) {
    std::string categories;
    for (int i = 0; i < depth; ++i) categories += "<category code=\"c\"><name>N</name>";
    for (int i = 0; i < depth; ++i) categories += "</category>";
    return std::string(minimal).replace(at, home.size(), categories);
  };
  // The catalogue, 1,022 categories and the innermost one's name are 1,024
  // objects, one inside the other: read, written and read again alike.
  CSmartPtr<CCatalogType> catalog = new CCatalogType();
  catalog->FromXml(std::string_view(nested(1022)), CSerializationContext());
  CSmartPtr<CCatalogType> again = new CCatalogType();
  again->FromXml(catalog->ToXml(true, false, EOL_LF, CSerializationContext()).c_str(),
                 CSerializationContext());
  EXPECT_EQ(Text(*again), Text(*catalog));

  // One more, and the read stops at the object that would be the 1,025th:
  // the name of the 1,023rd category, which comes before the category in it.
  std::string expected =
      "The element nests objects more than 1024 levels deep, which is more than a read "
      "allows.\nPath: /catalog";
  for (int i = 0; i < 1023; ++i) expected += "/category";
  expected += "/name";
  for (const int depth : {1023, 100000}) {
    SCOPED_TRACE(depth);
    CSmartPtr<CCatalogType> deep = new CCatalogType();
    std::string message = "no failure";
    try {
      deep->FromXml(std::string_view(nested(depth)), CSerializationContext());
    } catch (const CKvValidationException& e) {
      message = e.what();
    }
    EXPECT_EQ(message, expected);
  }
}

TEST(GeneratedCatalog, SubstitutesAndXsiTypesPickTheirClasses) {
  CSerializationContext context;
  CSmartPtr<CCatalogType> catalog = new CCatalogType();
  catalog->FromXmlFile((kDir / "valid-substitution-single-valued.xml").wstring().c_str(), context);
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
  const std::wstring text = catalog->ToXml(false, false, EOL_LF, context);
  EXPECT_NE(text.find(L"<AB:model3d"), std::wstring::npos) << text;
  EXPECT_NE(text.find(L"type=\"AA:CourierShippingType\""), std::wstring::npos) << text;
  EXPECT_EQ(text.find(L"ProductType"), std::wstring::npos) << text;
}

// A collection member made on first use stays with its owner across reads,
// and one that a read leaves empty writes as one never made.
TEST(GeneratedCatalog, CollectionsMadeOnFirstUseStayWithTheirOwner) {
  const CSerializationContext context;
  CSmartPtr<CCatalogType> catalog = new CCatalogType();
  const Catalog::CPromotionCol& promotions = catalog->GetPromotion();
  catalog->FromXmlFile((kDir / "valid-substitution-single-valued.xml").wstring().c_str(), context);
  EXPECT_EQ(promotions.GetCount(), 1);
  catalog->FromXmlFile((kDir / "valid-minimal.xml").wstring().c_str(), context);
  EXPECT_EQ(promotions.GetCount(), 0);
  CSmartPtr<CCatalogType> fresh = new CCatalogType();
  fresh->FromXmlFile((kDir / "valid-minimal.xml").wstring().c_str(), context);
  EXPECT_EQ(catalog->ToXml(true, true, EOL_LF, context), fresh->ToXml(true, true, EOL_LF, context));
}

// A subclass that declines the direct store of a member and passes the set
// on to the generated accessor still gets the member stored.
struct CObservedAddress : Catalog::CAddressType {
  CObservedAddress() : CAddressType(L"address") {}
  void AccessProperty(int index, bool get, KvVariant& value) override {
    sets += !get && index == Property_Geo;
    CAddressType::AccessProperty(index, get, value);
  }
  bool StoreObjectProperty(int index, CXmlObjectBase* object) override {
    return index != Property_Geo && CAddressType::StoreObjectProperty(index, object);
  }
  int sets = 0;
};

TEST(GeneratedCatalog, AStoreDeclinedIsTheAccessorsToMake) {
  CSmartPtr<CObservedAddress> address = new CObservedAddress();
  address->FromXml(
      L"<address xmlns='http://example.com/ns/catalog'><street>1 Main Street</street>"
      L"<city>Ulm</city><country>DE</country>"
      L"<geo><longitude>9.99</longitude><latitude>48.4</latitude></geo></address>",
      CSerializationContext());
  EXPECT_EQ(address->sets, 1);
  ASSERT_NE(address->GetGeo(), nullptr);
  EXPECT_EQ(address->GetGeo()->GetLatitude(), 48.4);
}

TEST(GeneratedCatalog, AMandatoryMemberLeftNullFailsTheWrite) {
  CSmartPtr<CCatalogType> catalog = new CCatalogType();
  catalog->FromXmlFile((kDir / "valid-all-constructs.xml").wstring().c_str(),
                       CSerializationContext());
  auto* product = dynamic_cast<Catalog::CProductType*>(
      catalog->GetCategory().GetAt(0)->GetCategory().GetAt(0)->GetItem().GetAt(0).Get());
  ASSERT_NE(product, nullptr);
  product->SetShipping(nullptr);
  std::string message = "no failure";
  try {
    catalog->ToXml(true, true, EOL_LF, CSerializationContext());
  } catch (const CKvException& e) {
    message = e.what();
  }
  EXPECT_EQ(
      message,
      "Failed to convert the element [catalog] to XML\nFailed to convert the element "
      "[category] to XML\nFailed to convert the element [category] to XML\nFailed to convert "
      "the element [product] to XML\nThe Property [shipping] is mandatory, it may not be NULL");
}

// A subclass that shows a member otherwise is written as its accessor gives
// the member, not as the generated class keeps it.
struct CRenamedCity : Catalog::CAddressType {
  CRenamedCity() : CAddressType(L"address") {}
  bool ViewMember(int index, KorvelData::CMemberView& member) const override {
    return index != Property_City && CAddressType::ViewMember(index, member);
  }
  void AccessProperty(int index, bool get, KvVariant& value) override {
    CAddressType::AccessProperty(index, get, value);
    if (get && index == Property_City) value.SetString(L"Neu-Ulm");
  }
};

TEST(GeneratedCatalog, ASubclassShowingAMemberOtherwiseWritesWhatItShows) {
  CSmartPtr<CRenamedCity> address = new CRenamedCity();
  address->FromXml(
      L"<address xmlns='http://example.com/ns/catalog'><street>1 Main Street</street>"
      L"<city>Ulm</city><country>DE</country></address>",
      CSerializationContext());
  const std::wstring text = address->ToXml(false, false, EOL_LF, CSerializationContext());
  EXPECT_NE(text.find(L":city>Neu-Ulm</"), std::wstring::npos) << text;
}

}  // namespace
