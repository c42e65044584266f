// SPDX-License-Identifier: MIT
// The metadata-driven serialiser on run-time class shapes: what it writes,
// what it reads back, and the message and path of every reading error.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <korvel/collection.h>
#include <korvel/decimal.h>
#include <korvel/element_infos.h>
#include <korvel/errors.h>
#include <korvel/generated_class.h>
#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/typed_collections.h>
#include <korvel/untyped.h>
#include <korvel/variant.h>
#include <korvel/xml_document.h>
#include <korvel/xml_writer.h>

#include "binding/flex_class.h"
#include "po_binding.h"
#include "test_support.h"
#include "vector_file.h"

namespace Korvel::testing {

namespace {

constexpr auto kPreserve = CWhitespaceUtils::ws_preserve;
constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;
const CPrimitiveRestrictions kNone;
const CPrimitiveRestrictions kBelow100(nullptr, -1, -1, nullptr, nullptr, nullptr, L"100", -1, -1,
                                       -1);

// A primitive member without pattern type or default: Info(name, ns, index,
// nillable (elements) or optional (attributes), type, nullptr, rule, facets, nullptr).
template <class Info>
Info* Prim(const wchar_t* name, const wchar_t* ns, int index, bool flag, ItemType type,
           CWhitespaceUtils::WhitespaceRule rule = kCollapse,
           const CPrimitiveRestrictions& facets = kNone) {
  return new Info(name, ns, index, flag, type, nullptr, rule, facets, nullptr);
}

// addr: street (mandatory), zip (optional, nillable, below 100), kind
// (optional enumeration, nillable); attributes id (required int) and use
// (optional enumeration, default "home").
const Shape kAddress(
    XmlElementGroupType_Sequence, L"addr", L"urn:t",
    {Prim<CElementInfoSeqPrimMnd>(L"street", L"urn:t", 0, false, it_string, kPreserve),
     Prim<CElementInfoSeqPrimOpt>(L"zip", L"urn:t", 1, true, it_i4, kCollapse, kBelow100),
     new CElementInfoSeqEnumOpt(L"kind", L"urn:t", 2, true, KindToString, StringToKind, nullptr)},
    {Prim<CAttributeInfoPrimitive>(L"id", L"", 3, false, it_i4, kCollapse, kBelow100),
     new CAttributeInfoEnum(L"use", L"", 4, true, KindToString, StringToKind, L"home")});
const int kAddressId = RegisterFlex(kAddress);

// order: ship (mandatory child, always present), note (optional text in no
// namespace), bill (optional child), total (mandatory decimal).
Shape MakeOrder() {
  Shape shape(XmlElementGroupType_Sequence, L"order", L"urn:t",
              {new CElementInfoSeqClsMnd(L"ship", L"urn:t", 0, XmlElementType_Element, CreateFlex,
                                         kAddressId, true),
               Prim<CElementInfoSeqPrimOpt>(L"note", L"", 1, false, it_string, kPreserve),
               new CElementInfoSeqClsOpt(L"bill", L"urn:t", 2, XmlElementType_Element, CreateFlex,
                                         kAddressId),
               Prim<CElementInfoSeqPrimMnd>(L"total", L"urn:t", 3, false, it_decimal)});
  shape.init = [](CFlex& order) {
    order.properties[0].SetXmlObject(CreateFlex(kAddressId, L"ship"));
  };
  return shape;
}
const Shape kOrder = MakeOrder();

class GeneratedClass : public ::testing::Test {
 protected:
  GeneratedClass() {
    context.SetDefaultNamespaceURI(L"urn:t");
    context.GetNamespaceAliases().Add(L"xsi", CXmlWriter::XSI_NAMESPACE);
  }
  CSmartPtr<CFlex> Read(const Shape& shape, const wchar_t* xml) {
    CSmartPtr<CFlex> object = new CFlex(shape, L"");
    object->FromXml(xml, context);
    return object;
  }
  std::wstring Failure(const Shape& shape, const wchar_t* xml) {
    return ValidationFailure([&] { Read(shape, xml); });
  }
  std::wstring Write(const CFlex& object) { return object.ToXml(false, false, EOL_LF, context); }

  CSerializationContext context;
};

// The start tag a written root begins with, up to its own attributes.
std::wstring Root(const std::wstring& name) {
  return L"<" + name + L" xmlns=\"urn:t\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"";
}

TEST_F(GeneratedClass, WritesInSchemaOrderAndReadsBackTheSameText) {
  const std::wstring xml = Root(L"order") +
                           L"><ship id=\"7\" use=\"work\"><street> a\tb\r\n </street>"
                           L"<zip xsi:nil=\"true\"/><kind>work</kind></ship>"
                           L"<note xmlns=\"\">x &amp; &lt;![CDATA[y]]&gt;</note>"
                           L"<bill id=\"8\"><street/><kind xsi:nil=\"true\"/></bill>"
                           L"<total>12.5</total></order>";
  CSmartPtr<CFlex> order = Read(kOrder, xml.c_str());
  CFlex* ship = order->Child(0);
  ASSERT_NE(ship, nullptr);
  // Preserved text keeps its carriage return, which only a reference brings.
  EXPECT_EQ(ship->properties[0].GetString(), L" a\tb\n ");
  EXPECT_TRUE(ship->properties[1].IsNil());
  EXPECT_EQ(ship->properties[2].GetI4(), 1);
  EXPECT_EQ(order->properties[1].GetString(), L"x & <![CDATA[y]]>");
  // The absent attribute takes its default.
  EXPECT_EQ(order->Child(2)->properties[4].GetI4(), 0);
  EXPECT_EQ(Write(*order), Root(L"order") +
                               L"><ship id=\"7\" use=\"work\"><street> a\tb\n </street>"
                               L"<zip xsi:nil=\"true\"/><kind>work</kind></ship>"
                               L"<note xmlns=\"\">x &amp; &lt;![CDATA[y]]&gt;</note>"
                               L"<bill id=\"8\" use=\"home\"><street/><kind xsi:nil=\"true\"/>"
                               L"</bill><total>12.5</total></order>");

  ship->properties[0].SetString(L"r\rs");
  const std::wstring written = Write(*order);
  EXPECT_NE(written.find(L"<street>r&#xD;s</street>"), std::wstring::npos);
  EXPECT_EQ(Read(kOrder, written.c_str())->Child(0)->properties[0].GetString(), L"r\rs");
}

TEST_F(GeneratedClass, ContextSwitchesRelaxReading) {
  // Unknown elements are skipped wherever they stand; optional ones after them are read.
  context.SetIgnoreUnknownElements(true);
  CSmartPtr<CFlex> order =
      Read(kOrder,
           L"<order xmlns=\"urn:t\"><x/><ship id=\"1\"><y/><street>s<q/></street>"
           L"<z/><kind>work</kind></ship><x/><note xmlns=\"\">n</note>"
           L"<total>1</total><x/></order>");
  EXPECT_EQ(order->Child(0)->properties[0].GetString(), L"s");
  EXPECT_EQ(order->Child(0)->properties[2].GetI4(), 1);
  EXPECT_EQ(order->properties[1].GetString(), L"n");
  context.SetIgnoreUnknownElements(false);

  context.SetIgnoreMissingMandatoryElements(true);
  order = Read(kOrder, L"<order xmlns=\"urn:t\"/>");
  EXPECT_FALSE(order->properties[3].IsValid());
  context.SetIgnoreMissingMandatoryElements(false);

  context.SetIgnoreUnknownAttributes(true);
  context.SetCheckFacetsOnRead(false);
  order = Read(kOrder,
               L"<order xmlns=\"urn:t\" a=\"1\"><ship id=\"500\" b=\"2\"><street c=\"3\"/>"
               L"</ship><total>1</total></order>");
  EXPECT_EQ(order->Child(0)->properties[3].GetI4(), 500);
  // Writing still checks.
  EXPECT_EQ(ValidationFailure([&] { Write(*order); }),
            L"Failed to convert the element [order] to XML\n"
            L"Failed to convert the element [ship] to XML\n"
            L"Failed to convert attributes to XML\nInvalid Value for id [500]");
}

TEST_F(GeneratedClass, WritingErrors) {
  CSmartPtr<CFlex> order = new CFlex(kOrder, L"order");
  order->Child(0)->properties[3].SetI4(1);
  order->Child(0)->properties[0].SetString(L"s");
  EXPECT_EQ(ValidationFailure([&] { Write(*order); }),
            L"Failed to convert the element [order] to XML\n"
            L"The Property [total] is mandatory, it may not be NULL");
  order->properties[3].SetDecimal(CDecimal(1));
  order->failingProperty = 3;
  EXPECT_EQ(ValidationFailure([&] { Write(*order); }),
            L"Failed to convert the element [order] to XML\n"
            L"Failed to get the property value for [total].\naccessor failed");
  order->failingProperty = -1;
  order->properties[0].SetXmlObject(nullptr);
  EXPECT_EQ(ValidationFailure([&] { Write(*order); }),
            L"Failed to convert the element [order] to XML\n"
            L"The Property [ship] is mandatory, it may not be NULL");
}

TEST_F(GeneratedClass, RootOptionsShowInTheText) {
  CSmartPtr<CFlex> order = new CFlex(kOrder, L"order");
  order->Child(0)->properties[3].SetI4(1);
  order->Child(0)->properties[0].SetString(L"s");
  order->properties[3].SetDecimal(CDecimal(2));
  context.GetProcessingInstructions().push_back(L"<?pi x?>");
  context.GetNamespaceAliases().Add(L"e", L"urn:e");
  context.SetInLineSchema(L"<schema/>");
  EXPECT_EQ(order->ToXml(false, false, EOL_LF, context),
            L"<?pi x?>\n\n<order xmlns=\"urn:t\" "
            L"xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:e=\"urn:e\">\n"
            L"<schema/>\n"
            L"<ship id=\"1\"><street>s</street></ship><total>2</total></order>");
}

// A choice of a (int), b (enumeration) and c (an addr).
const Shape kChoice(XmlElementGroupType_Choice, L"pick", L"urn:t",
                    {Prim<CElementInfoChoicePrimOpt>(L"a", L"urn:t", 0, false, it_i4),
                     new CElementInfoChoiceEnumOpt(L"b", L"urn:t", 1, false, KindToString,
                                                   StringToKind, nullptr),
                     new CElementInfoChoiceClsOpt(L"c", L"urn:t", 2, XmlElementType_Element,
                                                  CreateFlex, kAddressId)});

// An all group: x (mandatory int), y (optional text), z (mandatory enumeration).
const Shape kAll(XmlElementGroupType_All, L"bag", L"urn:t",
                 {Prim<CElementInfoAllPrimMnd>(L"x", L"urn:t", 0, false, it_i4),
                  Prim<CElementInfoAllPrimOpt>(L"y", L"urn:t", 1, false, it_string, kPreserve),
                  new CElementInfoAllEnumMnd(L"z", L"urn:t", 2, false, KindToString, StringToKind,
                                             nullptr)});

TEST_F(GeneratedClass, ChoiceAndAllGroups) {
  CSmartPtr<CFlex> pick = Read(kChoice, L"<pick xmlns=\"urn:t\"><c id=\"3\"><street/></c></pick>");
  ASSERT_NE(pick->Child(2), nullptr);
  EXPECT_EQ(Write(*pick), Root(L"pick") + L"><c id=\"3\" use=\"home\"><street/></c></pick>");
  // Single-valued members, each absent while another is chosen, leave the
  // choice mandatory.
  EXPECT_EQ(Failure(kChoice, L"<pick xmlns=\"urn:t\"/>"),
            L"No child elements within the element [pick] were populated. The element "
            L"represents a choice, so one and only one element should be populated. The element "
            L"contained no sutable child elements\nPath: /pick");

  CSmartPtr<CFlex> bag = Read(kAll, L"<bag xmlns=\"urn:t\"><z>work</z><y>t</y><x>4</x></bag>");
  EXPECT_EQ(bag->properties[0].GetI4(), 4);
  EXPECT_EQ(bag->properties[2].GetI4(), 1);
  EXPECT_EQ(Write(*bag), Root(L"bag") + L"><x>4</x><y>t</y><z>work</z></bag>");
}

// price: attribute cur, decimal simple content; nillable.
const Shape kPrice(XmlElementGroupType_Sequence, L"price", L"urn:t", {},
                   {Prim<CAttributeInfoPrimitive>(L"cur", L"", 0, true, it_string)}, 1, it_decimal);
const Shape kRawPrice(XmlElementGroupType_Sequence, L"price", L"urn:t", {}, {}, 1, it_decimal,
                      true);
// A class derived from addr, written under addr's element.
const Shape kDerived(XmlElementGroupType_Sequence, L"DerivedAddr", L"urn:d",
                     {Prim<CElementInfoSeqPrimMnd>(L"street", L"urn:t", 0, false, it_string,
                                                   kPreserve)},
                     {}, -1, it_none, false, true);

TEST_F(GeneratedClass, SimpleContentNilAndTypeAttributes) {
  CSmartPtr<CNillableFlex> price = new CNillableFlex(kPrice, L"price");
  price->FromXml(L"<price xmlns=\"urn:t\" cur=\"EUR\">3.5</price>", context);
  EXPECT_EQ(Write(*price), Root(L"price") + L" cur=\"EUR\">3.5</price>");
  const std::wstring nil =
      L"<price xmlns=\"urn:t\" xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" "
      L"i:nil=\"true\">";
  // XSD leaves a nil element no content.
  KORVEL_EXPECT_THROW_MESSAGE(price->FromXml((nil + L"junk</price>").c_str(), context),
                              CKvValidationException,
                              L"An element marked nil must be empty.\nPath: /price");
  price->FromXml((nil + L"\n</price>").c_str(), context);
  EXPECT_TRUE(price->IsNil());
  EXPECT_EQ(Write(*price), Root(L"price") + L" xsi:nil=\"true\"/>");
  price->SetNil(false);
  EXPECT_EQ(Write(*price), Root(L"price") + L"/>");  // an unset value: empty

  CSmartPtr<CFlex> raw = Read(kRawPrice, L"<price xmlns=\"urn:t\"> 3.50 </price>");
  EXPECT_EQ(raw->properties[1].GetString(), L" 3.50 ");

  CSmartPtr<CFlex> derived = new CFlex(kDerived, L"addr");
  derived->properties[0].SetString(L"s");
  // As root it is in its own namespace; the type still names the class.
  EXPECT_EQ(Write(*derived),
            L"<AA:addr xmlns:AA=\"urn:d\" xmlns=\"urn:t\" xmlns:xsi=\"http://"
            L"www.w3.org/2001/XMLSchema-instance\" xsi:type=\"AA:DerivedAddr\">"
            L"<street>s</street></AA:addr>");
  context.SetWriteTypeAttribute(false);
  EXPECT_EQ(Write(*derived).find(L"type"), std::wstring::npos);
}

// holder: one abstract child "shape", whose class the element factory picks
// from xsi:type ("none" names no class); it knows no other element.
CSmartPtr<CXmlObjectBase> PickShape(CXmlElement* element) {
  if (element->GetLocalName() != L"shape" ||
      element->GetAttribute(L"type", CXmlWriter::XSI_NAMESPACE) == L"none") {
    return nullptr;
  }
  return CreateFlex(kAddressId, L"shape");
}
const Shape kHolder(XmlElementGroupType_Sequence, L"holder", L"urn:t",
                    {new CElementInfoSeqAbsClsMnd(L"shape", L"urn:t", 0, XmlElementType_Element,
                                                  PickShape),
                     Prim<CElementInfoSeqPrimOpt>(L"tail", L"urn:t", 1, false, it_i4)});

TEST_F(GeneratedClass, AbstractChildrenComeFromTheElementFactory) {
  constexpr wchar_t kXsi[] = L" xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\"";
  CSmartPtr<CFlex> holder =
      Read(kHolder, (std::wstring(L"<holder xmlns=\"urn:t\"") + kXsi +
                     L"><shape i:type=\"a\" id=\"1\"><street>s</street></shape></holder>")
                        .c_str());
  ASSERT_NE(holder->Child(0), nullptr);
  EXPECT_EQ(holder->Child(0)->properties[0].GetString(), L"s");
}

// line: first, then an inline choice of a or b (mandatory content), then last.
const Shape kGroup(XmlElementGroupType_Choice, L"grp", L"urn:t",
                   {Prim<CElementInfoChoicePrimOpt>(L"a", L"urn:t", 0, false, it_i4),
                    Prim<CElementInfoChoicePrimOpt>(L"b", L"urn:t", 1, false, it_i4)},
                   {}, -1, it_none, false, false, XmlElementType_PseudoElement);
const int kGroupId = RegisterFlex(kGroup);
Shape MakeLine() {
  Shape shape(XmlElementGroupType_Sequence, L"line", L"urn:t",
              {Prim<CElementInfoSeqPrimMnd>(L"first", L"urn:t", 0, false, it_i4),
               new CElementInfoSeqClsMnd(L"grp", L"urn:t", 1, XmlElementType_PseudoElement,
                                         CreateFlex, kGroupId, true),
               Prim<CElementInfoSeqPrimOpt>(L"last", L"urn:t", 2, false, it_i4)});
  shape.init = [](CFlex& line) { line.properties[1].SetXmlObject(CreateFlex(kGroupId, L"grp")); };
  return shape;
}
const Shape kLine = MakeLine();

TEST_F(GeneratedClass, InlineGroupsLiveInTheOwnersElement) {
  const std::wstring xml = Root(L"line") + L"><first>1</first><b>2</b><last>3</last></line>";
  CSmartPtr<CFlex> line = Read(kLine, xml.c_str());
  EXPECT_EQ(line->Child(1)->properties[1].GetI4(), 2);
  EXPECT_EQ(line->properties[2].GetI4(), 3);
  EXPECT_EQ(Write(*line), xml);
}

// defaults: element d (int, default 5); attributes e (enumeration, default
// "home"), p (int) and s (string, default "dflt"), all optional and in urn:a.
const Shape kDefaults(
    XmlElementGroupType_Sequence, L"defaults", L"urn:t",
    {new CElementInfoSeqPrimOpt(L"d", L"urn:t", 0, false, it_i4, nullptr, kCollapse, kNone, L"5")},
    {new CAttributeInfoEnum(L"e", L"urn:a", 1, true, KindToString, StringToKind, L"home"),
     Prim<CAttributeInfoPrimitive>(L"p", L"urn:a", 2, true, it_i4),
     new CAttributeInfoPrimitive(L"s", L"urn:a", 3, true, it_string, nullptr, kCollapse, kNone,
                                 L"dflt")});

TEST_F(GeneratedClass, DefaultsAndForeignAttributes) {
  CSmartPtr<CFlex> object;
  // Every object read gets the default, however often it is given.
  for (int read = 0; read < 2; ++read) {
    object = Read(kDefaults, L"<defaults xmlns=\"urn:t\"><d/></defaults>");
    EXPECT_EQ(object->properties[3].GetString(), L"dflt");
  }
  EXPECT_EQ(object->properties[0].GetI4(), 5);
  EXPECT_EQ(object->properties[1].GetI4(), 0);
  // The default text is left out unless asked for, and so is a default attribute.
  context.GetNamespaceAliases().Add(L"a", L"urn:a");
  context.SetNoOptionalAttributeDefaultOutput(true);
  const std::wstring root = Root(L"defaults") + L" xmlns:a=\"urn:a\"";
  EXPECT_EQ(Write(*object), root + L"><d/></defaults>");
  context.SetWriteDefaultElementValues(true);
  context.SetNoOptionalAttributeDefaultOutput(false);
  EXPECT_EQ(Write(*object), root + L" a:e=\"home\" a:s=\"dflt\"><d>5</d></defaults>");

  // Names in a foreign namespace: the enumeration takes them when namespaces
  // are ignored, the primitive never does.
  context.SetIgnoreNamespaces(true);
  object = Read(kDefaults, L"<defaults xmlns=\"urn:t\" xmlns:b=\"urn:b\" b:e=\"work\"/>");
  EXPECT_EQ(object->properties[1].GetI4(), 1);
  EXPECT_EQ(Failure(kDefaults, L"<defaults xmlns=\"urn:t\" xmlns:b=\"urn:b\" b:p=\"1\"/>"),
            L"Unexpected Attribute found.\nPath: /defaults/@b:p");
}

// Reads of one document by descriptions that come and go: a description made
// where an earlier one was (the allocator mostly hands the same address back)
// matches only its own names, and namespaces ignored in one read do not carry
// over to the next.
TEST_F(GeneratedClass, NamesMatchAnewInEveryReadOfADocument) {
  CXmlDocument document;
  document.LoadXml(L"<one xmlns=\"urn:t\" p=\"1\"><a xmlns=\"urn:u\">2</a></one>");
  const CXmlElement* root = document.GetDocumentElement();
  // one: a mandatory int element, then an optional int attribute.
  const auto shape = [](const wchar_t* element, const wchar_t* ns, const wchar_t* attribute) {
    return std::make_unique<Shape>(
        XmlElementGroupType_Sequence, L"one", L"urn:t",
        std::vector<CElementInfo*>{Prim<CElementInfoSeqPrimMnd>(element, ns, 0, false, it_i4)},
        std::vector<CAttributeInfo*>{
            Prim<CAttributeInfoPrimitive>(attribute, L"", 1, true, it_i4)});
  };
  const auto read = [&](const Shape& with) {
    CSmartPtr<CFlex> object = new CFlex(with, L"");
    object->FromXmlElement(root, context);
    return std::make_pair(object->properties[0].GetI4(), object->properties[1].GetI4());
  };
  auto matching = shape(L"a", L"urn:u", L"p");
  EXPECT_EQ(read(*matching), std::make_pair(2, 1));
  matching.reset();
  const auto other = shape(L"b", L"urn:u", L"q");
  EXPECT_EQ(ValidationFailure([&] { read(*other); }),
            L"Unexpected Attribute found.\nPath: /one/@p");

  const auto elsewhere = shape(L"a", L"urn:t", L"p");
  context.SetIgnoreNamespaces(true);
  EXPECT_EQ(read(*elsewhere).first, 2);
  context.SetIgnoreNamespaces(false);
  EXPECT_NE(ValidationFailure([&] { read(*elsewhere); }), L"");
}

// Long strings (too long to be shared) move from the document into the
// objects: each keeps its own, and a value its facets refuse is reported
// whole.
TEST_F(GeneratedClass, LongStringsReadWholeAndFailWhole) {
  const CPrimitiveRestrictions atMost100(nullptr, -1, 100, nullptr, nullptr, nullptr, nullptr, -1,
                                         -1, -1);
  const auto text = [&](const wchar_t* name, int index, CWhitespaceUtils::WhitespaceRule rule) {
    return new CElementInfoSeqPrimMnd(name, L"urn:t", index, false, it_string, nullptr, rule,
                                      atMost100, nullptr);
  };
  const auto attribute = [&](const wchar_t* name, int index) {
    return new CAttributeInfoPrimitive(name, L"", index, true, it_string, nullptr, kCollapse,
                                       atMost100, nullptr);
  };
  // The first string a document gives fills the reader's carrier; b is first.
  const Shape texts(XmlElementGroupType_Sequence, L"texts", L"urn:t",
                    {text(L"s", 0, kPreserve), text(L"t", 1, kCollapse)},
                    {attribute(L"b", 2), attribute(L"a", 3)});
  const auto xml = [](const std::wstring& a, const std::wstring& s, const std::wstring& t) {
    return L"<texts xmlns=\"urn:t\" b=\"b\" a=\"" + a + L"\"><s>" + s + L"</s><t>" + t +
           L"</t></texts>";
  };
  const std::wstring long1(90, L'x'), long2 = std::wstring(89, L'y') + L"\u00e9";
  CSmartPtr<CFlex> object = Read(texts, xml(long2, long1, L"  " + long1 + L"  ").c_str());
  EXPECT_EQ(object->properties[0].GetString(), long1);
  EXPECT_EQ(object->properties[1].GetString(), long1);  // collapsed, so copied
  EXPECT_EQ(object->properties[3].GetString(), long2);

  const std::wstring tooLong(101, L'z');
  EXPECT_EQ(Failure(texts, xml(tooLong, long1, long1).c_str()),
            L"Failed to set the property value [" + tooLong + L"].\nPath: /texts/@a\n" +
                L"Invalid Value for a [" + tooLong + L"].");
  EXPECT_EQ(
      Failure(texts, xml(long1, tooLong, long1).c_str()),
      L"Failed to process the element.\nPath: /texts/s\nInvalid Value for s [" + tooLong + L"].");
}

// open: attribute id, then any attribute in a namespace other than urn:t;
// bare has no collection for the wildcard.
Shape MakeOpen(bool withCollection) {
  Shape shape(XmlElementGroupType_Sequence, L"open", L"urn:t", {},
              {Prim<CAttributeInfoPrimitive>(L"id", L"", 0, true, it_i4),
               new CAttributeInfoAny(L"any", L"", 1, true, L"##other", L"urn:t", nullptr)});
  if (withCollection) {
    shape.init = [](CFlex& open) {
      open.properties[1].SetXmlCollection(new CAttributeCol(L"", L"##other", L"urn:t"));
    };
  }
  return shape;
}
const Shape kOpen = MakeOpen(true);
const Shape kBare = MakeOpen(false);

TEST_F(GeneratedClass, AttributeWildcardsAndExtraRootAttributes) {
  context.GetNamespaceAliases().Add(L"x", L"urn:x");
  const std::wstring xml = Root(L"open") + L" xmlns:x=\"urn:x\" id=\"1\" x:a=\"2\"/>";
  CSmartPtr<CFlex> open = Read(kOpen, xml.c_str());
  auto* any = dynamic_cast<CAttributeCol*>(open->properties[1].GetXmlCollection().Get());
  ASSERT_NE(any, nullptr);
  EXPECT_EQ(any->GetCount(), 1);
  EXPECT_EQ(Write(*open), xml);
  context.GetAdditionalRootAttributes()->Add(L"extra", L"4", L"urn:x");
  // Before the object's own attributes.
  EXPECT_NE(Write(*open).find(L" x:extra=\"4\" id=\"1\" x:a=\"2\"/>"), std::wstring::npos);
}

// wild: any element from another namespace, then an optional untyped note.
const Shape kWild(XmlElementGroupType_Sequence, L"w", L"urn:t",
                  {new CElementInfoSeqUntpdMnd(L"AnyElement", L"##other", 0, L"##other", L"urn:t"),
                   new CElementInfoSeqUntpdOpt(L"note", L"urn:t", 1, L"##any", L"urn:t")});

TEST_F(GeneratedClass, UntypedContent) {
  CSmartPtr<CFlex> wild =
      Read(kWild, L"<w xmlns=\"urn:t\"><x:a xmlns:x=\"urn:x\" k=\"v\">t</x:a><note>n</note></w>");
  auto* any = dynamic_cast<CElement*>(wild->properties[0].GetXmlObject().Get());
  auto* note = dynamic_cast<CElement*>(wild->properties[1].GetXmlObject().Get());
  ASSERT_TRUE(any && note);
  EXPECT_EQ(any->GetName() + L"|" + any->GetNamespace() + L"|" + any->GetText(), L"a|urn:x|t");
  EXPECT_EQ(note->GetText(), L"n");
  CSmartPtr<CFlex> again = Read(kWild, Write(*wild).c_str());
  EXPECT_EQ(Write(*again), Write(*wild));
}

// tail: any elements, then a declared b that the wildcard run must leave.
Shape MakeTail() {
  Shape shape(XmlElementGroupType_Sequence, L"t", L"urn:t",
              {new CElementInfoSeqUntpdCol(L"AnyElement", L"##any", 0),
               Prim<CElementInfoSeqPrimMnd>(L"b", L"urn:t", 1, false, it_i4)});
  shape.init = [](CFlex& flex) {
    flex.properties[0].SetXmlCollection(new CElementCol(L"", L"##any", L"urn:t"));
  };
  return shape;
}
const Shape kTail = MakeTail();

TEST_F(GeneratedClass, WildcardRunLeavesWhatALaterMemberDeclares) {
  const wchar_t* xml = L"<t xmlns=\"urn:t\"><x/><o:y xmlns:o=\"urn:o\"/><b>7</b></t>";
  CSmartPtr<CFlex> tail = Read(kTail, xml);
  auto* any = dynamic_cast<CElementCol*>(tail->properties[0].GetXmlCollection().Get());
  ASSERT_NE(any, nullptr);
  EXPECT_EQ(any->GetCount(), 2);
  EXPECT_EQ(tail->properties[1].ToString(nullptr), L"7");
  EXPECT_EQ(Write(*Read(kTail, Write(*tail).c_str())), Write(*tail));
}

// Rows of tests/data/binding/read_errors.txt: a shape, a document and the
// full message.
TEST_F(GeneratedClass, ReadingErrorsNameTheOffendingNode) {
  const std::map<std::wstring, const Shape*> shapes = {
      {L"order", &kOrder}, {L"pick", &kChoice}, {L"bag", &kAll},   {L"holder", &kHolder},
      {L"line", &kLine},   {L"open", &kOpen},   {L"bare", &kBare}, {L"w", &kWild}};
  VectorOperations operations;
  for (const auto& [name, shape] : shapes) {
    operations[name] = [this, shape = shape](const VectorArgs& a) {
      return Failure(*shape, a[0].c_str());
    };
  }
  RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/binding/read_errors.txt", operations);
}

TEST(ElementInfo, CheckRestrictionNeedsFacetsAndPassesChars) {
  const CElementInfoSeqEnumMnd noFacets(L"e", L"", 0, false, KindToString, StringToKind, nullptr);
  KvVariant value;
  value.SetI4(1);
  KORVEL_EXPECT_THROW_MESSAGE(noFacets.CheckRestriction(value), CKvException,
                              L"Cannot CheckRestriction for type: i4");
  const CElementInfoSeqPrimMnd character(
      L"c", L"", 0, false, it_char, nullptr, kCollapse,
      CPrimitiveRestrictions(L"x", 2, 3, nullptr, nullptr, nullptr, nullptr, -1, -1, -1), nullptr);
  value.SetChar(L'y');
  character.CheckRestriction(value);
}

// The purchase-order binding through every entry point: each form gives back
// exactly the order that went in.
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

// A subclass that keeps members of its own behind AccessProperty (an object
// and a simple value), and so declines the direct views and store, is read
// into and written from what AccessProperty keeps; the other members keep
// their way.
struct CForwardedOrder : Po::CPurchaseOrderType {
  static constexpr int kShipTo = 0, kComment = 2;  // the first and third properties
  CSmartPtr<Po::CUSAddress> forward = new Po::CUSAddress(L"shipTo");
  std::wstring comment;
  void AccessProperty(int index, bool get, KvVariant& value) override {
    if (index == kComment)
      return get ? value.SetString(comment) : void(comment = value.GetString());
    if (index != kShipTo) return Po::CPurchaseOrderType::AccessProperty(index, get, value);
    if (get) return value.SetXmlObject(forward);
    forward = dynamic_cast<Po::CUSAddress*>(value.GetXmlObject().Get());
  }
  bool StoreObjectProperty(int index, CXmlObjectBase* object) override {
    return index != kShipTo && Po::CPurchaseOrderType::StoreObjectProperty(index, object);
  }
  bool ViewProperty(int index, KvValueView& value) const override {
    return index != kShipTo && index != kComment &&
           Po::CPurchaseOrderType::ViewProperty(index, value);
  }
  bool ViewMember(int index, KorvelData::CMemberView& member) const override {
    return index != kShipTo && index != kComment &&
           Po::CPurchaseOrderType::ViewMember(index, member);
  }
};

TEST_F(PoBinding, AccessPropertyDecidesWhatTheViewsDecline) {
  CSmartPtr<CForwardedOrder> forwarded = new CForwardedOrder();
  forwarded->FromXml(text.c_str(), context);
  ASSERT_NE(forwarded->forward.Get(), nullptr);
  EXPECT_EQ(forwarded->forward->GetCity(), L"Mill Valley");
  EXPECT_EQ(forwarded->comment, L"Hurry, my lawn is going wild!");
  EXPECT_FALSE(forwarded->GetComment());
  forwarded->forward->SetCity(L"Elsewhere");
  forwarded->comment = L"Kept aside";
  const std::wstring written = forwarded->ToXml(true, true, EOL_LF, context);
  EXPECT_NE(written.find(L"<city>Elsewhere</city>"), std::wstring::npos) << written;
  EXPECT_EQ(written.find(L"Mill Valley"), std::wstring::npos) << written;
  EXPECT_NE(written.find(L"<comment>Kept aside</comment>"), std::wstring::npos) << written;
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
  // Far into a long order, past the memory of the items read before it.
  const size_t first = broken.find(L"<item "), second = broken.find(L"<item ", first + 1);
  const std::wstring item = broken.substr(first, second - first);
  for (int i = 0; i < 3000; ++i) broken.insert(second, item);
  KORVEL_EXPECT_THROW_MESSAGE(copy->FromXml(broken.c_str(), context), CKvValidationException,
                              L"Failed to set the property value [926-aa].\n"
                              L"Path: /purchaseOrder/items/item[3002]/@partNum");
  context.SetCheckFacetsOnRead(false);
  copy->FromXml(broken.c_str(), context);
  EXPECT_EQ(copy->GetItems().GetItem().GetAt(3001)->GetPartNum(), L"926-aa");
}

// The element descriptions that the catalogue cannot use (collections in all
// groups, the generic collections) and those no other shape above reaches,
// each read, written and failed: the rows are in tests/data/binding/descriptions.txt.

const wchar_t* const kT = L"urn:t";

// leaf: one mandatory int v; the item of every class-valued member below.
const Shape kLeaf(XmlElementGroupType_Sequence, L"leaf", kT,
                  {new CElementInfoSeqPrimMnd(L"v", kT, 0, false, it_i4, nullptr, kCollapse,
                                              CPrimitiveRestrictions(), nullptr)});
const int kLeafId = RegisterFlex(kLeaf);

// The substitution groups of the abstract members: the head x and its member
// x2; any other element is no member of the group.
template <const wchar_t* kHead>
CSmartPtr<CXmlObjectBase> Substitute(CXmlElement* element) {
  const std::wstring& name = element->GetLocalName();
  if (name != kHead && name != kHead + std::wstring(L"2")) return nullptr;
  return new CFlex(kLeaf, name.c_str());
}
constexpr wchar_t kAm[] = L"am";
constexpr wchar_t kAo[] = L"ao";

CSmartPtr<CXmlCollectionBase> Ints(int32_t minOccurs, int32_t maxOccurs) {
  return new Ci4Col(L"n", kT, minOccurs, maxOccurs, nullptr, -1, -1, nullptr, nullptr, nullptr,
                    nullptr, -1, -1, -1, kCollapse, nullptr);
}
// An enumeration's collection: the values as their text.
CSmartPtr<CXmlCollectionBase> Kinds(int32_t minOccurs, int32_t maxOccurs) {
  return new CstringCol(L"k", kT, minOccurs, maxOccurs, L"home|work", -1, -1, nullptr, nullptr,
                        nullptr, nullptr, -1, -1, -1, kCollapse, nullptr);
}
CSmartPtr<CXmlCollectionBase> Leaves(std::vector<std::wstring> names, int32_t minOccurs,
                                     int32_t maxOccurs) {
  return new CFlexCol(kLeaf, std::move(names), kT, minOccurs, maxOccurs);
}

// The members every collection shape has, at properties 0 to 5: ints n,
// kinds k, leaves c, the substitution group s (s, s2), the wildcard ##other
// and the generic collection g of leaves.
void InitCollections(CFlex& flex, int32_t minOccurs) {
  flex.properties[0].SetXmlCollection(Ints(minOccurs, 3));
  flex.properties[1].SetXmlCollection(Kinds(minOccurs, -1));
  flex.properties[2].SetXmlCollection(Leaves({L"c"}, minOccurs, -1));
  flex.properties[3].SetXmlCollection(Leaves({L"s", L"s2"}, 1, 2));
  flex.properties[4].SetXmlCollection(new CElementCol(L"", L"##other", kT, minOccurs));
  flex.properties[5].SetXmlCollection(Leaves({L"g"}, minOccurs, -1));
}

// The collections in a group; a choice's each need an item, so the choice
// needs a member.
template <class Prim, class Enum, class Cls, class AbsCls, class Untpd, class Generic>
Shape CollectionShape(XmlElementGroupType group, const wchar_t* name,
                      std::vector<CElementInfo*> more = {}) {
  std::vector<CElementInfo*> members = {new Prim(L"n", kT, 0),
                                        new Enum(L"k", kT, 1),
                                        new Cls(L"c", kT, 2, XmlElementType_Element),
                                        new AbsCls(L"s", kT, 3, XmlElementType_Element),
                                        new Untpd(L"AnyElement", L"##other", 4),
                                        new Generic(L"g", kT, 5)};
  members.insert(members.end(), more.begin(), more.end());
  Shape shape(group, name, kT, std::move(members));
  const int32_t minOccurs = group == XmlElementGroupType_Choice ? 1 : 0;
  shape.init = [minOccurs](CFlex& flex) { InitCollections(flex, minOccurs); };
  return shape;
}
const Shape kAllCollections =
    CollectionShape<CElementInfoAllPrimCol, CElementInfoAllEnumCol, CElementInfoAllClsCol,
                    CElementInfoAllAbsClsCol, CElementInfoAllUntpdCol, CElementInfoAllCol>(
        XmlElementGroupType_All, L"allcol");
const Shape kChoiceCollections =
    CollectionShape<CElementInfoChoicePrimCol, CElementInfoChoiceEnumCol, CElementInfoChoiceClsCol,
                    CElementInfoChoiceAbsClsCol, CElementInfoChoiceUntpdCol, CElementInfoChoiceCol>(
        XmlElementGroupType_Choice, L"pickcol");
// The sequence ends with an optional abstract ao.
const Shape kSequenceCollections =
    CollectionShape<CElementInfoSeqPrimCol, CElementInfoSeqEnumCol, CElementInfoSeqClsCol,
                    CElementInfoSeqAbsClsCol, CElementInfoSeqUntpdCol, CElementInfoSeqCol>(
        XmlElementGroupType_Sequence, L"seqcol",
        {new CElementInfoSeqAbsClsOpt(L"ao", kT, 6, XmlElementType_Element, Substitute<kAo>)});

// A choice of an abstract ao and an untyped u, single-valued and so optional.
const Shape kChoiceSingles(XmlElementGroupType_Choice, L"pickone", kT,
                           {new CElementInfoChoiceAbsClsOpt(L"ao", kT, 0, XmlElementType_Element,
                                                            Substitute<kAo>),
                            new CElementInfoChoiceUntpdOpt(L"u", kT, 1, L"##any", kT)});

// The single-valued members of an all group: m and am mandatory classes
// (am abstract), o and ao optional ones, e an optional enumeration, u a
// mandatory and uo an optional untyped element.
Shape MakeAllSingles() {
  Shape shape(
      XmlElementGroupType_All, L"allone", kT,
      {new CElementInfoAllClsMnd(L"m", kT, 0, XmlElementType_Element, CreateFlex, kLeafId, true),
       new CElementInfoAllClsOpt(L"o", kT, 1, XmlElementType_Element, CreateFlex, kLeafId),
       new CElementInfoAllAbsClsMnd(L"am", kT, 2, XmlElementType_Element, Substitute<kAm>, 0),
       new CElementInfoAllAbsClsOpt(L"ao", kT, 3, XmlElementType_Element, Substitute<kAo>),
       new CElementInfoAllEnumOpt(L"e", kT, 4, false, KindToString, StringToKind, L"work"),
       new CElementInfoAllUntpdMnd(L"u", kT, 5, L"##any", kT),
       new CElementInfoAllUntpdOpt(L"uo", kT, 6, L"##any", kT)});
  shape.init = [](CFlex& flex) { flex.properties[0].SetXmlObject(CreateFlex(kLeafId, L"m")); };
  return shape;
}
const Shape kAllSingles = MakeAllSingles();

// Rows: "rw" reads the document and answers the text written from the
// objects, which must read back to the same text; "write" reads leniently (no
// facets or counts checked) and answers what strict writing gives; "drop"
// reads, empties a property and writes. A failure answers "!" and the full
// message.
TEST(ElementDescriptions, ReadWriteAndFail) {
  const std::map<std::wstring, const Shape*> shapes = {{L"allcol", &kAllCollections},
                                                       {L"pickcol", &kChoiceCollections},
                                                       {L"pickone", &kChoiceSingles},
                                                       {L"seqcol", &kSequenceCollections},
                                                       {L"allone", &kAllSingles}};
  CSerializationContext strict;
  strict.SetDefaultNamespaceURI(kT);
  CSerializationContext lenient = strict;
  lenient.SetCheckFacetsOnRead(false);
  lenient.SetIgnoreInvalidCollectionCounts(true);
  lenient.SetIgnoreMissingChoice(true);
  const std::wstring declaration = L" xmlns=\"urn:t\"";

  auto run = [&](const VectorArgs& a, const CSerializationContext& reading, int drop) {
    const Shape& shape = *shapes.at(a[0]);
    CSmartPtr<CFlex> object = new CFlex(shape, L"");
    std::wstring written;
    const std::wstring failure = ValidationFailure([&] {
      object->FromXml(a[1].c_str(), reading);
      object->properties.erase(drop);
      written = object->ToXml(false, false, EOL_LF, strict);
      CSmartPtr<CFlex> again = new CFlex(shape, L"");
      again->FromXml(written.c_str(), strict);
      EXPECT_EQ(again->ToXml(false, false, EOL_LF, strict), written);
    });
    if (failure != L"no exception") return L"!" + failure;
    // The root's namespace declaration is in every row's document.
    const size_t at = written.find(declaration);
    if (at != std::wstring::npos) written.erase(at, declaration.size());
    return written;
  };
  VectorOperations operations;
  operations[L"rw"] = [&](const VectorArgs& a) { return run(a, strict, -1); };
  operations[L"write"] = [&](const VectorArgs& a) { return run(a, lenient, -1); };
  operations[L"drop"] = [&](const VectorArgs& a) { return run(a, strict, std::stoi(a[2])); };
  RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/binding/descriptions.txt", operations);
}

}  // namespace
}  // namespace Korvel::testing
