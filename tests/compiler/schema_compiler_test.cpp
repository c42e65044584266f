// SPDX-License-Identifier: MIT
// The schema compiler's reader and planner: refusals point at the construct's
// file and line, imports may be mutual, built-ins map to their kinds and names
// stay unique.
#include <gtest/gtest.h>

#include "class_plan.h"
#include "names.h"
#include "schema_reader.h"
#include "test_support.h"

namespace KorvelXsd {
namespace {

using Korvel::testing::TempDir;

// The schema element takes line 1; body starts on line 2.
std::string Schema(const std::string& body, const std::string& extra = "") {
  return "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema' " + extra + ">\n" + body +
         "\n</xs:schema>\n";
}

BindingPlan Plan(const TempDir& dir, const std::string& file) {
  SchemaSet set;
  ReadSchemas(dir.Path(file), set);
  return PlanBinding(set);
}

TEST(SchemaCompiler, RefusesWhatItCannotExpressWithFileAndLine) {
  const struct {
    const char* body;
    const char* message;
  } kRows[] = {
      {"<xs:complexType name='T'>\n<xs:sequence><xs:any/></xs:sequence></xs:complexType>",
       "3: xs:any is not supported yet"},
      {"<xs:complexType name='T'><xs:sequence>\n<xs:choice><xs:element name='a' type='xs:int'/>"
       "</xs:choice></xs:sequence></xs:complexType>",
       "3: a nested xs:choice is not supported yet"},
      {"<xs:complexType name='T'><xs:anyAttribute/></xs:complexType>",
       "2: xs:anyAttribute is not supported yet"},
      {"<xs:complexType name='B'/><xs:element name='b' type='B'/>\n<xs:complexType name='T'>"
       "<xs:complexContent><xs:extension base='B'/></xs:complexContent></xs:complexType>",
       "3: extension of B, which elements are declared with (xsi:type), is not supported yet"},
      {"<xs:complexType name='B'/>\n<xs:complexType name='T'><xs:complexContent>"
       "<xs:restriction base='B'/></xs:complexContent></xs:complexType>",
       "3: complexContent restriction of B is not supported yet"},
      {"<xs:simpleType name='E'><xs:restriction base='xs:string'><xs:enumeration value='x'/>"
       "</xs:restriction></xs:simpleType><xs:complexType name='T'><xs:sequence>\n"
       "<xs:element name='a' type='E' maxOccurs='3'/></xs:sequence></xs:complexType>",
       "3: repeated elements of an enumeration are not supported yet"},
      {"\n<xs:simpleType name='L'><xs:list itemType='xs:int'/></xs:simpleType>\n"
       "<xs:complexType name='T'><xs:attribute name='e' type='L'/></xs:complexType>",
       "3: xs:list types are not supported yet"},
      {"<xs:complexType name='T'><xs:sequence>\n<xs:element name='a' type='xs:int' "
       "nillable='true' minOccurs='0'/></xs:sequence></xs:complexType>",
       "3: optional nillable elements of a simple type are not supported yet"},
      {"<xs:complexType name='T'><xs:sequence>\n<xs:element name='a'/></xs:sequence>"
       "</xs:complexType>",
       "3: elements of xs:anyType (untyped content) are not supported yet"},
      {"<xs:complexType name='T'><xs:attribute name='a' type='Missing'/></xs:complexType>",
       "2: the type Missing is not declared"},
      {"<xs:complexType name='T'>\n\n<xs:attribute name='a' type='q:x'/></xs:complexType>",
       "4: the prefix q is not declared"},
      {"<xs:redefine schemaLocation='x.xsd'/>", "2: xs:redefine is not supported"},
      {"\n<xs:complexType name='Node'><xs:sequence><xs:element name='next' type='Node'/>"
       "</xs:sequence></xs:complexType>",
       "3: the type Node must contain itself (a mandatory element cycle)"},
      {"<xs:complexType name='T' mixed='true'/>", "2: mixed content is not supported yet"},
      {"<xs:element name='h' type='xs:int'/><xs:element name='m' type='xs:int' "
       "substitutionGroup='h'/>\n<xs:complexType name='T'><xs:sequence><xs:element ref='h'/>"
       "</xs:sequence></xs:complexType>",
       "3: the substitution group of h is not supported yet"},
      {"<xs:complexType name='T'><xs:sequence>\n<!-- a comment <xs:element> -->\n"
       "<xs:element name='a' type='xs:int' maxOccurs='x'/></xs:sequence></xs:complexType>",
       "4: maxOccurs=\"x\" is not a valid number"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.body);
    TempDir dir;
    dir.Write("s.xsd", Schema(row.body));
    try {
      Plan(dir, "s.xsd");
      ADD_FAILURE() << "no refusal";
    } catch (const Refusal& refusal) {
      EXPECT_EQ(refusal.what(), dir.Path("s.xsd") + ":" + row.message);
    }
  }
}

TEST(SchemaCompiler, SchemasThatImportEachOtherAreReadOnce) {
  TempDir dir;
  dir.Write("a.xsd",
            Schema("<xs:import namespace='urn:b' schemaLocation='b.xsd'/>\n"
                   "<xs:include schemaLocation='sub/../a.xsd'/>\n"
                   "<xs:include schemaLocation='common.xsd'/>\n"
                   "<xs:element name='order' type='a:Order'/>\n"
                   "<xs:complexType name='Order'><xs:sequence>"
                   "<xs:element name='party' type='b:Party'/>"
                   "<xs:element name='note' type='a:Note'/></xs:sequence></xs:complexType>",
                   "xmlns:a='urn:a' xmlns:b='urn:b' targetNamespace='urn:a' "
                   "elementFormDefault='qualified'"));
  // Without a namespace of its own, the included file takes urn:a.
  dir.Write("common.xsd", Schema("<xs:simpleType name='Note'><xs:restriction base='xs:token'>"
                                 "<xs:maxLength value='9'/></xs:restriction></xs:simpleType>"));
  dir.Write("b.xsd", Schema("<xs:import namespace='urn:a' schemaLocation='./a.xsd'/>\n"
                            "<xs:complexType name='Party'><xs:sequence>"
                            "<xs:element name='name' type='xs:string'/>"
                            "<xs:element ref='a:order' minOccurs='0'/></xs:sequence>"
                            "</xs:complexType>",
                            "xmlns:a='urn:a' targetNamespace='urn:b'"));
  const BindingPlan plan = Plan(dir, "a.xsd");
  ASSERT_EQ(plan.classes.size(), 2u);
  dir.Write("c.xsd", Schema("<xs:include schemaLocation='b.xsd'/>", "targetNamespace='urn:c'"));
  try {
    Plan(dir, "c.xsd");
    ADD_FAILURE() << "no refusal";
  } catch (const Refusal& refusal) {
    EXPECT_EQ(refusal.what(), dir.Path("b.xsd") + ":1: an included schema has another target "
                                                   "namespace than the including one");
  }
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

TEST(SchemaCompiler, BuiltinsMapToTheirKindAndWhitespaceRule) {
  const struct {
    const char* type;
    const char* itemType;
    const char* whitespace;
    const wchar_t* minInclusive;
  } kRows[] = {
      {"string", "it_string", "ws_none", L""},
      {"normalizedString", "it_string", "ws_replace", L""},
      {"token", "it_string", "ws_collapse", L""},
      {"anyURI", "it_string", "ws_collapse", L""},
      {"boolean", "it_boolean", "ws_collapse", L""},
      {"decimal", "it_decimal", "ws_collapse", L""},
      {"nonNegativeInteger", "it_integer", "ws_collapse", L"0"},
      {"positiveInteger", "it_integer", "ws_collapse", L"1"},
      {"long", "it_i8", "ws_collapse", L""},
      {"unsignedByte", "it_ui1", "ws_collapse", L""},
      {"double", "it_r8", "ws_collapse", L""},
      {"duration", "it_duration", "ws_collapse", L""},
      {"dateTime", "it_datetime", "ws_collapse", L""},
      {"gYearMonth", "it_yearMonth", "ws_collapse", L""},
      {"gDay", "it_day", "ws_collapse", L""},
      {"base64Binary", "it_base64Binary", "ws_collapse", L""},
  };
  std::string attributes;
  for (const auto& row : kRows) {
    attributes += "<xs:attribute name='a-" + std::string(row.type) + "' type='xs:" + row.type + "'/>";
  }
  TempDir dir;
  dir.Write("s.xsd", Schema("<xs:complexType name='T'>" + attributes + "</xs:complexType>"));
  const BindingPlan plan = Plan(dir, "s.xsd");
  const std::vector<PropertyPlan>& properties = plan.classes[0]->properties;
  ASSERT_EQ(properties.size(), std::size(kRows));
  for (size_t i = 0; i < std::size(kRows); ++i) {
    SCOPED_TRACE(kRows[i].type);
    EXPECT_STREQ(properties[i].simple.builtin->itemType, kRows[i].itemType);
    EXPECT_STREQ(properties[i].simple.whitespace, kRows[i].whitespace);
    EXPECT_EQ(properties[i].simple.facets.minInclusive, kRows[i].minInclusive);
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
  const BindingPlan plan = Plan(dir, "s.xsd");
  std::vector<std::string> names;
  for (const PropertyPlan& p : plan.classes[0]->properties) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"AB", "AB2", "Namespace2", "T", "AB3"}));
  EXPECT_EQ(plan.classes[1]->name, "CT2");
}

}  // namespace
}  // namespace KorvelXsd
