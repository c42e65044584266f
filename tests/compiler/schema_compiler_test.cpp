// SPDX-License-Identifier: MIT
// The schema compiler's reader and planner: refusals point at the construct's
// file and line, imports may be mutual, built-ins map to their kinds and names
// stay unique.
#include <gtest/gtest.h>

#include "class_plan.h"
#include "compiler/rows.h"
#include "emitter.h"
#include "names.h"
#include "schema_reader.h"
#include "test_support.h"

namespace KorvelXsd {
namespace {

using Korvel::testing::TempDir;
using KorvelTest::Rows;

// The schema element takes line 1; body starts on line 2.
std::string Schema(const std::string& body, const std::string& extra = "") {
  return "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema' " + extra + ">\n" + body +
         "\n</xs:schema>\n";
}

BindingPlan Plan(const std::string& path) {
  SchemaSet set;
  ReadSchemas(path, set);
  return PlanBinding(set);
}

// What the call is refused with, or "no refusal".
template <class Call>
std::string RefusalOf(Call call) {
  try {
    call();
  } catch (const Refusal& refusal) {
    return refusal.what();
  }
  return "no refusal";
}

// Rows of tests/data/compiler/refusals.txt.
TEST(SchemaCompiler, RefusesWhatItCannotExpressWithFileAndLine) {
  for (const std::vector<std::string>& row : Rows("refusals.txt")) {
    SCOPED_TRACE(row[1]);
    TempDir dir;
    dir.Write("s.xsd", Schema(row[1]));
    EXPECT_EQ(RefusalOf([&] { Plan(dir.Path("s.xsd")); }), dir.Path("s.xsd") + ":" + row[0]);
  }
}

// The schemas of tests/data/compiler/imports.
TEST(SchemaCompiler, SchemasThatImportEachOtherAreReadOnce) {
  const std::string dir = std::string(KORVEL_TEST_DATA_DIR) + "/compiler/imports/";
  const BindingPlan plan = Plan(dir + "a.xsd");
  ASSERT_EQ(plan.classes.size(), 2u);
  EXPECT_EQ(
      RefusalOf([&] { Plan(dir + "c.xsd"); }),
      dir + "b.xsd:1: an included schema has another target namespace than the including one");
  const ClassPlan& order = *plan.classes[0];
  EXPECT_EQ(order.name, "COrder");
  EXPECT_EQ(order.defaultElementName, L"order");
  ASSERT_EQ(order.properties.size(), 2u);
  EXPECT_EQ(order.properties[0].xmlNamespace, L"urn:a");
  EXPECT_EQ(order.properties[0].itemClass, plan.classes[1].get());
  EXPECT_EQ(order.properties[1].simple.facets.maxLength, 9);
  EXPECT_STREQ(order.properties[1].simple.whitespace, "ws_collapse");
  const ClassPlan& party = *plan.classes[1];
  EXPECT_EQ(party.xmlNamespace, L"urn:b");
  // b.xsd has no elementFormDefault: its local element is unqualified.
  EXPECT_EQ(party.properties[0].xmlNamespace, L"");
  EXPECT_EQ(party.properties[1].xmlNamespace, L"urn:a");
  EXPECT_EQ(party.properties[1].itemClass, &order);
  EXPECT_TRUE(party.properties[1].optional);
}

// Each file set's header needs the classes it derives from complete first:
// two namespaces that derive from each other's classes cannot both have that.
TEST(SchemaCompiler, RefusesNamespacesThatDeriveFromEachOther) {
  TempDir dir;
  const std::string derived =
      "<xs:complexType name='D'><xs:complexContent><xs:extension base='%:B'/>"
      "</xs:complexContent></xs:complexType>\n<xs:complexType name='B'/>";
  auto side = [&](const char* mine, const char* other) {
    std::string body = "<xs:import namespace='urn:" + std::string(other) + "' schemaLocation='" +
                       other + ".xsd'/>\n" + derived;
    body.replace(body.find('%'), 1, other);
    return Schema(body, std::string("targetNamespace='urn:") + mine + "' xmlns:" + other +
                            "='urn:" + other + "'");
  };
  dir.Write("a.xsd", side("a", "b"));
  dir.Write("b.xsd", side("b", "a"));
  SchemaSet set;
  ReadSchemas(dir.Path("a.xsd"), set);
  const std::string refusal = RefusalOf([&] { Emit(set, {"A", "a"}); });
  EXPECT_NE(refusal.find(".xsd:3: classes of two namespaces that derive"), std::string::npos)
      << refusal;
}

// Rows of tests/data/compiler/builtins.txt.
TEST(SchemaCompiler, BuiltinsMapToTheirKindAndWhitespaceRule) {
  const std::vector<std::vector<std::string>> rows = Rows("builtins.txt");
  std::string attributes;
  for (const auto& row : rows) {
    attributes += "<xs:attribute name='a-" + row[0] + "' type='xs:" + row[0] + "'/>";
  }
  TempDir dir;
  dir.Write("s.xsd", Schema("<xs:complexType name='T'>" + attributes + "</xs:complexType>"));
  const BindingPlan plan = Plan(dir.Path("s.xsd"));
  const std::vector<PropertyPlan>& properties = plan.classes[0]->properties;
  ASSERT_EQ(properties.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i][0]);
    EXPECT_EQ(properties[i].simple.builtin->itemType, rows[i][1]);
    EXPECT_EQ(properties[i].simple.whitespace, rows[i][2]);
    const std::wstring& minInclusive = properties[i].simple.facets.minInclusive;
    EXPECT_EQ(std::string(minInclusive.begin(), minInclusive.end()),
              rows[i][3] == "-" ? "" : rows[i][3]);
  }
  EXPECT_EQ(properties[0].name, "AString");
}

TEST(SchemaCompiler, NamesAreValidIdentifiersWithoutCollisions) {
  EXPECT_EQ(PascalCase(L"purchase-order.v2"), "PurchaseOrderV2");
  EXPECT_EQ(PascalCase(L"2nd"), "N2nd");
  EXPECT_EQ(PascalCase(L"pr\u00e9nom"), "PrU00E9Nom");
  EXPECT_EQ(CamelCase("USPrice"), "usPrice");
  EXPECT_EQ(CamelCase("ID"), "id");
  TempDir dir;
  // Element and attribute share a name; "a-b" and "a_b" map alike; a
  // property may not hide the base class's GetNamespace; the anonymous type
  // of element T meets the named type T.
  dir.Write("s.xsd", Schema("<xs:complexType name='T'><xs:sequence>"
                            "<xs:element name='a-b' type='xs:int'/>"
                            "<xs:element name='a_b' type='xs:int'/>"
                            "<xs:element name='namespace' type='xs:int'/>"
                            "<xs:element name='T'><xs:complexType/></xs:element>"
                            "</xs:sequence><xs:attribute name='a-b' type='xs:int'/>"
                            "</xs:complexType>"));
  const BindingPlan plan = Plan(dir.Path("s.xsd"));
  std::vector<std::string> names;
  for (const PropertyPlan& p : plan.classes[0]->properties) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"AB", "AB2", "Namespace2", "T", "AB3"}));
  EXPECT_EQ(plan.classes[1]->name, "CT2");
}

}  // namespace
}  // namespace KorvelXsd
