// SPDX-License-Identifier: MIT
// CXmlDocument: loading from every source, the filter, the builder, navigation
// and namespace scopes; and the vectors in tests/data/xml/*.txt: documents given
// as bytes (each character of the field one byte, so UTF-8 is spelt out byte by
// byte) with the tree they load as (see tree_text.h), the text writer's scripts
// with the text they write, and calls on a namespace alias map with its answers.
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

#include <korvel/binary_data.h>
#include <korvel/class_factory.h>
#include <korvel/errors.h>
#include <korvel/namespace_alias_map.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

#include "platform/async_read.h"
#include "platform/file.h"
#include "test_support.h"
#include "tree_text.h"
#include "values/compression.h"
#include "values/utf.h"
#include "vector_file.h"
#include "xml/byte_text_stream.h"
#include "xml/expat_reader.h"
#include "xml/text_element.h"
#include "xml/xml_tree_builder.h"

namespace Korvel {
namespace {

using detail::XmlTreeBuilder;

std::vector<std::wstring> ChildPaths(const CXmlElement* parent) {
  std::vector<std::wstring> paths;
  for (const CXmlElement* e = parent->GetFirstElement(); e; e = e->GetNextSiblingElement()) {
    paths.push_back(e->GetXPath());
  }
  return paths;
}

// A reader that consumes the tree gives back the siblings before each element
// it finishes, with their texts and attribute values; the paths of those after
// them still count them by name, and their own strings stay. Enough of them
// for the hundreds of blocks given back at one level to be forgotten.
TEST(XmlDocument, SiblingsGivenBackByAReadKeepTheirPlaceInPaths) {
  constexpr int kCount = 20000;
  // Longer than the values a reader shares, so that each has its own string.
  const auto value = [](int i) { return std::string(70, 'x') + std::to_string(i); };
  std::string text = "<r>";
  for (int i = 0; i < kCount; ++i) {
    const std::string name = i % 2 ? "b" : "a";
    text += "<" + name + " k='" + value(i) + "'><v>" + value(-i) + "</v></" + name + ">";
  }
  CXmlDocument document;
  document.LoadXml((text + "</r>").c_str());
  XmlTreeBuilder::ConsumeByRead(document);
  const CXmlElement* root = document.GetDocumentElement();
  const CXmlElement* first = root->GetFirstElement();
  int index = 0;
  for (const CXmlElement* e = first; e; e = e->GetNextSiblingElement(), ++index) {
    ASSERT_EQ((*e->GetAttributes().begin())->GetValue(), detail::Utf8ToWide(value(index)));
    XmlTreeBuilder::ReleaseReadContent(*e);
    ASSERT_EQ(e->GetFirstElement()->GetText(), detail::Utf8ToWide(value(-index)));
    const std::wstring name = index % 2 ? L"b" : L"a";
    ASSERT_EQ(e->GetFirstElement()->GetXPath(),
              L"/r/" + name + L"[" + std::to_wstring(index / 2 + 1) + L"]/v");
  }
  EXPECT_EQ(index, kCount);
  EXPECT_NE(root->GetFirstElement(), first);  // the first ones are gone
}

TEST(XmlDocument, LoadingAgainLeavesOnlyTheNewDocument) {
  CXmlDocument document;
  document.LoadXml("<p:first xmlns:p='urn:p'><x/></p:first>");
  document.LoadXml(L"<second/>");
  const CXmlElement* root = document.GetDocumentElement();
  EXPECT_EQ(root->GetLocalName(), L"second");
  EXPECT_EQ(root->GetFirstElement(), nullptr);
  EXPECT_EQ(document.LookupNamespaceFromAlias(L"p"), L"");
  EXPECT_EQ(root->GetDocument(), &document);
  EXPECT_EQ(root->GetParentElm(), nullptr);
}

bool IsItem(CXmlElement* element) { return element->GetLocalName() == L"item"; }
bool IsOddItem(CXmlElement* element) {
  return element->GetLocalName() == L"item" && element->GetText().back() % 2 == 1;
}
bool Everything(CXmlElement*) { return true; }

TEST(XmlDocumentFilter, RemovesMatchingElementsWithTheirSubtrees) {
  CXmlDocument document(&IsItem);
  document.LoadXml("<list><item><deep/></item><keep>1</keep><item/><keep>2</keep><item/></list>");
  EXPECT_EQ(testing::TreeText(document), L"{}list ({}keep [1]) ({}keep [2])");
  EXPECT_EQ(ChildPaths(document.GetDocumentElement()),
            (std::vector<std::wstring>{L"/list/keep[1]", L"/list/keep[2]"}));
  // The document element stays, whatever the filter says.
  CXmlDocument emptied(&Everything);
  emptied.LoadXml("<root><a/><b/></root>");
  ASSERT_NE(emptied.GetDocumentElement(), nullptr);
  EXPECT_EQ(emptied.GetDocumentElement()->GetFirstElement(), nullptr);
}

TEST(XmlDocumentFilter, RemovalBetweenKeptSiblingsKeepsTheListIntact) {
  CXmlDocument document(&IsOddItem);
  std::string xml = "<list>";
  for (int i = 0; i < 10; ++i) xml += "<item>" + std::to_string(i) + "</item>";
  xml += "<tail/></list>";
  document.LoadXml(xml.c_str());
  EXPECT_EQ(testing::TreeText(document),
            L"{}list ({}item [0]) ({}item [2]) ({}item [4]) ({}item [6]) ({}item [8]) ({}tail)");
}

bool Throws(CXmlElement* element) {
  if (element->GetLocalName() == L"bad") throw CKvException(L"filter says no");
  return false;
}

TEST(XmlDocumentFilter, AnExceptionFromTheFilterReachesTheCaller) {
  CXmlDocument document(&Throws);
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml("<r><ok/><bad/><never/></r>"), CKvException,
                              L"filter says no");
  document.LoadXml("<r><ok/></r>");
  EXPECT_EQ(document.GetDocumentElement()->GetFirstElement()->GetLocalName(), L"ok");
}

TEST(XmlDocumentBuilder, ElementsBuiltPieceByPiece) {
  CXmlDocument document;
  CXmlElement* root = XmlTreeBuilder::AddDocElement(document, L"urn:r", L"r");
  XmlTreeBuilder::AddNamespaceDeclaration(document, L"n", L"urn:n");
  CXmlElement* child = XmlTreeBuilder::CreateNewChildElement(root);
  EXPECT_EQ(child->GetLocalName(), L"");
  XmlTreeBuilder::SetElementName(child, L"c");
  XmlTreeBuilder::SetNamespace(child, L"urn:n");
  XmlTreeBuilder::AddElementAttribute(child, L"a", L"1", nullptr);
  CXmlElement* second = XmlTreeBuilder::AddChildElement(document, L"urn:n", L"c");
  XmlTreeBuilder::EndElement(document);
  XmlTreeBuilder::EndElement(document);
  XmlTreeBuilder::EndElement(document);  // nothing open: ignored
  EXPECT_EQ(ChildPaths(root), (std::vector<std::wstring>{L"/r/n:c[1]", L"/r/n:c[2]"}));
  EXPECT_EQ(child->GetAttribute(L"a", L""), L"1");

  EXPECT_EQ(XmlTreeBuilder::RemoveLastChildElement(root), second);
  // Still readable, no longer in the tree.
  EXPECT_EQ(second->GetLocalName(), L"c");
  EXPECT_EQ(ChildPaths(root), (std::vector<std::wstring>{L"/r/n:c"}));
  EXPECT_EQ(XmlTreeBuilder::RemoveLastChildElement(root), child);
  EXPECT_EQ(XmlTreeBuilder::RemoveLastChildElement(root), nullptr);
  EXPECT_EQ(root->GetFirstElement(), nullptr);
}

TEST(XmlDocumentSize, ManyElementsTextsAndValuesSurviveGrowthAndRecycling) {
  // Enough nodes and strings to fill every block size, with every third item
  // removed on the way so that its memory is reused by the items after it.
  constexpr int kItems = 60000;
  auto removed = [](int i) { return std::to_string(i).back() % 3 == 0; };
  std::string xml = "<list>";
  for (int i = 0; i < kItems; ++i) {
    const std::string n = std::to_string(i);
    xml += "<item id='id" + n + "'>text " + n + "</item>";
  }
  xml += "</list>";
  CXmlDocument document([](CXmlElement* e) { return e->GetText().back() % 3 == 0; });
  // Twice: the second load starts from the memory the first one gave back.
  for (int load = 0; load < 2; ++load) {
    document.LoadXmlStream(reinterpret_cast<const unsigned char*>(xml.data()),
                           static_cast<uint32_t>(xml.size()));
    int i = 0;
    for (const CXmlElement* e = document.GetDocumentElement()->GetFirstElement(); e;
         e = e->GetNextSiblingElement(), ++i) {
      while (removed(i)) ++i;
      ASSERT_EQ(e->GetText(), L"text " + std::to_wstring(i));
      ASSERT_EQ(e->GetAttribute(L"id", L""), L"id" + std::to_wstring(i));
    }
    while (i < kItems && removed(i)) ++i;
    EXPECT_EQ(i, kItems);
  }
}

TEST(XmlDocumentDepth, HundredThousandLevelsLoadAnswerAndTearDown) {
  constexpr int kDepth = 100000;
  std::string xml;
  xml.reserve(kDepth * 8);
  for (int i = 0; i < kDepth; ++i) xml += "<e>";
  xml += "bottom";
  for (int i = 0; i < kDepth; ++i) xml += "</e>";

  auto document = std::make_unique<CXmlDocument>();
  document->LoadXmlStream(reinterpret_cast<const unsigned char*>(xml.data()),
                          static_cast<uint32_t>(xml.size()));
  const CXmlElement* bottom = document->GetDocumentElement();
  int depth = 1;
  while (bottom->GetFirstElement()) {
    bottom = bottom->GetFirstElement();
    ++depth;
  }
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(bottom->GetText(), L"bottom");
  std::wstring expected;
  for (int i = 0; i < kDepth; ++i) expected += L"/e";
  EXPECT_EQ(bottom->GetXPath(), expected);
  document.reset();

  // The same depth removed in one piece by the filter.
  CXmlDocument filtered(
      [](CXmlElement* e) { return e->GetParentElm() && !e->GetParentElm()->GetParentElm(); });
  filtered.LoadXmlStream(reinterpret_cast<const unsigned char*>(xml.data()),
                         static_cast<uint32_t>(xml.size()));
  EXPECT_EQ(filtered.GetDocumentElement()->GetFirstElement(), nullptr);
}

// Past a few hundred levels the depths share their node memory: elements
// there keep their attributes and texts, and the filter still removes a
// subtree that starts there.
TEST(XmlDocumentDepth, DeepLevelsKeepTheirNodes) {
  constexpr int kDepth = 1000;
  constexpr int kRemoved = 700;
  std::string xml;
  for (int i = 0; i < kDepth; ++i) xml += "<e i='" + std::to_string(i) + "'>t" + std::to_string(i);
  for (int i = kDepth - 1; i >= 0; --i) xml += "<s/>u" + std::to_string(i) + "</e>";

  CXmlDocument document([](CXmlElement* e) { return e->GetAttribute(L"i", L"") == L"700"; });
  document.LoadXmlStream(reinterpret_cast<const unsigned char*>(xml.data()),
                         static_cast<uint32_t>(xml.size()));
  const CXmlElement* e = document.GetDocumentElement();
  for (int depth = 0; depth < kRemoved; ++depth, e = e->GetFirstElement()) {
    const std::wstring i = std::to_wstring(depth);
    ASSERT_EQ(e->GetLocalName(), L"e");
    ASSERT_EQ(e->GetAttribute(L"i", L""), i);
    ASSERT_EQ(e->GetText(), L"t" + i + L"u" + i);
  }
  // The removed element's parent has its last child only.
  ASSERT_EQ(e->GetLocalName(), L"s");
  EXPECT_EQ(e->GetNextSiblingElement(), nullptr);
  EXPECT_EQ(e->GetXPath().size(), 2 * kRemoved + 2);
}

std::wstring Texts(const CXmlElementRange& range) {
  std::wstring texts;
  for (const CXmlElement& element : range) texts += element.GetText() + L",";
  return texts;
}

TEST(ElementNavigation, LookupsByQualifiedName) {
  CXmlDocument document;
  document.LoadXml(
      "<r xmlns:p='urn:p' id='7' note='' p:id='p7'><i>a</i><p:i>pa</p:i><n/><i>b</i>"
      "<i xmlns='urn:q'>qa</i><i>c</i></r>");
  const CXmlElement* root = document.GetDocumentElement();

  // Attributes: absent (null) differs from empty; declarations are not attributes.
  EXPECT_EQ(root->FindAttribute(L"note")->GetValue(), L"");
  EXPECT_EQ(root->FindAttribute(L"id", L"urn:p")->GetValue(), L"p7");
  EXPECT_EQ(root->FindAttribute(L"id")->GetValue(), L"7");
  for (const wchar_t* absent : {L"missing", L"p", L"i"}) {
    EXPECT_EQ(root->FindAttribute(absent), nullptr) << absent;
  }
  EXPECT_EQ(root->FindAttribute(L"note", L"urn:p"), nullptr);

  // Children and siblings: the local name alone matches nothing in another namespace.
  const CXmlElement* i = root->FindChildElement(L"i");
  EXPECT_EQ(i->GetText(), L"a");
  EXPECT_EQ(i->FindNextSiblingElement(L"i")->GetText(), L"b");
  EXPECT_EQ(i->FindNextSiblingElement(L"i", L"urn:p")->GetText(), L"pa");
  EXPECT_EQ(root->FindChildElement(L"i", L"urn:q")->FindNextSiblingElement(L"i", L"urn:q"),
            nullptr);
  EXPECT_EQ(root->FindChildElement(L"i", L"urn:none"), nullptr);
  EXPECT_EQ(i->FindChildElement(L"i"), nullptr);

  EXPECT_EQ(Texts(root->GetChildElements()), L"a,pa,,b,qa,c,");
  EXPECT_EQ(Texts(root->GetChildElements(L"i")), L"a,b,c,");
  EXPECT_EQ(Texts(root->GetChildElements(L"i", L"urn:q")), L"qa,");
  EXPECT_TRUE(root->GetChildElements(L"absent").empty());
  EXPECT_TRUE(i->GetChildElements().empty());

  // A forward range the standard algorithms take.
  const CXmlElementRange items = root->GetChildElements(L"i");
  auto c = std::find_if(items.begin(), items.end(),
                        [](const CXmlElement& e) { return e.GetText() == L"c"; });
  EXPECT_EQ(std::distance(items.begin(), c), 2);
  EXPECT_EQ(++c, items.end());
}

// Namespace scope per element, and xsi:type values resolved in it by the class
// factory.
struct Factory : CClassfactoryBase {
  using CClassfactoryBase::GetElementType, CClassfactoryBase::GetElementTypeNamespaceUri;
};

TEST(NamespaceScope, ResolvesXsiTypeInTheElementsScope) {
  CXmlDocument document;
  document.LoadXml(
      "<r xmlns='urn:d' xmlns:p='urn:p1' xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance'>"
      "<a xmlns:p='urn:p2' xsi:type='p:T'><b xsi:type='p:T'/></a>"
      "<c xsi:type='p:T'/>"
      "<n xmlns='urn:n'><m xsi:type='T'/></n>"
      "<u xmlns=''><v xsi:type='T'/></u>"
      "<w xsi:type='T'/>"
      "</r>");
  ASSERT_EQ(document.LookupNamespaceFromAlias(L"p"), L"urn:p2");  // document-wide: the last one
  const CXmlElement* r = document.GetDocumentElement();
  const CXmlElement* a = r->GetFirstElement();
  const CXmlElement* c = a->GetNextSiblingElement();
  const CXmlElement* n = c->GetNextSiblingElement();
  const CXmlElement* u = n->GetNextSiblingElement();
  const struct {
    const CXmlElement* element;
    const wchar_t* typeNamespace;
    const wchar_t* defaultNamespace;
  } rows[] = {
      {a, L"urn:p2", L"urn:d"},                     // redeclared prefix on the element
      {a->GetFirstElement(), L"urn:p2", L"urn:d"},  // ... and below it
      {c, L"urn:p1", L"urn:d"},                     // the outer binding again after it
      {n->GetFirstElement(), L"urn:n", L"urn:n"},   // unprefixed: nested default namespace
      {u->GetFirstElement(), L"", L""},             // default namespace undeclared
      {u->GetNextSiblingElement(), L"urn:d", L"urn:d"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.element->GetXPath());
    EXPECT_EQ(Factory::GetElementTypeNamespaceUri(const_cast<CXmlElement*>(row.element)),
              row.typeNamespace);
    EXPECT_EQ(row.element->GetDefaultNamespaceInScope(), row.defaultNamespace);
  }
  // Declarations belong to the element that makes them.
  EXPECT_EQ(*a->FindNamespaceDeclaration(L"p"), L"urn:p2");
  EXPECT_EQ(a->GetFirstElement()->FindNamespaceDeclaration(L"p"), nullptr);
  EXPECT_EQ(*u->FindNamespaceDeclaration(L""), L"");
  EXPECT_EQ(c->LookupNamespaceInScope(L"q"), nullptr);
  EXPECT_EQ(*c->LookupNamespaceInScope(L"xml"), L"http://www.w3.org/XML/1998/namespace");
}

// Many elements declaring a prefix: each keeps its own declaration, the
// others have none.
TEST(NamespaceScope, ManyDeclaringElements) {
  std::string xml = "<r>";
  for (int i = 0; i < 3000; ++i) {
    xml += i % 2 ? "<e/>" : "<e xmlns:p='urn:" + std::to_string(i) + "'><c/></e>";
  }
  CXmlDocument document;
  document.LoadXml(xml + "</r>");
  int i = 0;
  for (const CXmlElement* e = document.GetDocumentElement()->GetFirstElement(); e;
       e = e->GetNextSiblingElement(), ++i) {
    SCOPED_TRACE(i);
    const std::wstring* uri = e->FindNamespaceDeclaration(L"p");
    if (i % 2) {
      EXPECT_EQ(uri, nullptr);
    } else {
      ASSERT_NE(uri, nullptr);
      EXPECT_EQ(*uri, L"urn:" + std::to_wstring(i));
      EXPECT_EQ(e->GetFirstElement()->LookupNamespaceInScope(L"p"), uri);
      EXPECT_EQ(e->GetFirstElement()->FindNamespaceDeclaration(L"p"), nullptr);
    }
  }
  EXPECT_EQ(i, 3000);
}

// An element removed by the filter gives its memory to the next one, never
// its declarations.
TEST(NamespaceScope, FilteredElementsLeaveNoScopeBehind) {
  CXmlDocument document([](CXmlElement* element) { return element->GetLocalName() == L"x"; });
  document.LoadXml("<r><x xmlns='urn:x' xmlns:p='urn:p'/><y/></r>");
  const CXmlElement* y = document.GetDocumentElement()->GetFirstElement();
  ASSERT_EQ(y->GetLocalName(), L"y");
  EXPECT_EQ(y->LookupNamespaceInScope(L"p"), nullptr);
  EXPECT_EQ(y->GetDefaultNamespaceInScope(), L"");
}

TEST(ClassFactory, ReadsXsiType) {
  // xsi:type (empty: none), then the type name and namespace read from it.
  const std::tuple<std::wstring, const wchar_t*, const wchar_t*> rows[] = {
      {L"", L"", L"urn:e"},
      {L"p:T", L"T", L"urn:p"},
      {L"T", L"T", L"urn:d"},    // unprefixed: the default namespace in scope
      {L"q:T", L"T", L"urn:e"},  // unbound prefix
  };
  for (const auto& [xsiType, type, ns] : rows) {
    SCOPED_TRACE(::testing::Message() << xsiType);
    CXmlDocument document;
    document.LoadXml((L"<e:r xmlns:e='urn:e' xmlns:p='urn:p' xmlns='urn:d' "
                      L"xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance'" +
                      (xsiType.empty() ? L"" : L" xsi:type='" + xsiType + L"'") + L"/>")
                         .c_str());
    EXPECT_EQ(Factory::GetElementType(document.GetDocumentElement()), type);
    EXPECT_EQ(Factory::GetElementTypeNamespaceUri(document.GetDocumentElement()), ns);
  }
}

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}
uint32_t Length(const std::string& s) { return static_cast<uint32_t>(s.size()); }

using testing::TreeText;

TEST(XmlReader, ByteStreamsInUtf16AndCompressed) {
  // Long enough to shrink when compressed.
  const std::string body(200, 'x');
  const std::string utf8 = "<a x='1'>t\xc3\xa9" + body + "</a>";
  CXmlDocument expected;
  expected.LoadXml(utf8.c_str());

  std::string utf16 =
      "\xff\xfe" + detail::WideToUtf16Le(L"<a x='1'>t\u00e9" + detail::Utf8ToWide(body) + L"</a>");
  CBinaryData gzip(Bytes(utf8), Length(utf8)), zlib = gzip;
  detail::CompressData(gzip, ct_gzip);
  detail::CompressData(zlib, ct_zlib);
  for (const CBinaryData& bytes : {testing::DataOf(utf8), testing::DataOf(utf16), gzip, zlib}) {
    SCOPED_TRACE(testing::BytesOf(bytes).substr(0, 2));
    CXmlDocument document;
    document.LoadXmlStream(bytes.GetData(), bytes.GetLength());
    EXPECT_EQ(TreeText(document), TreeText(expected));
  }
}

TEST(XmlReader, EmptyInputIsRefused) {
  CXmlDocument document;
  document.LoadXml("<a/>");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(""), CKvException, L"XML String is empty!");
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(static_cast<const char*>(nullptr)), CKvException,
                              L"XML String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(L""), CKvException, L"XML String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXmlStream(Bytes("<a/>"), 0), CKvException,
                              L"XML Stream is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXmlStream(nullptr, 4), CKvException,
                              L"XML Stream is empty!");
}

TEST(XmlReader, WideTextIsReadAsItsCharactersWhateverItsDeclarationNames) {
  // Such text is typically bytes decoded by the caller, declaration and all.
  for (const wchar_t* encoding : {L"UTF-8", L"ISO-8859-1", L"UTF-16"}) {
    SCOPED_TRACE(::testing::Message() << encoding);
    CXmlDocument document;
    document.LoadXml(
        (std::wstring(L"<?xml version='1.0' encoding='") + encoding + L"'?><a>\u00e9\U0001F600</a>")
            .c_str());
    EXPECT_EQ(document.GetDocumentElement()->GetText(), L"\u00e9\U0001F600");
  }
}

TEST(XmlReader, EntityExpansionBombFailsWithTheParsersMessage) {
  std::string xml = "<?xml version='1.0'?>\n<!DOCTYPE lolz [\n<!ENTITY lol0 'lol'>\n";
  for (int i = 1; i <= 9; ++i) {
    xml += "<!ENTITY lol" + std::to_string(i) + " '";
    for (int j = 0; j < 10; ++j) xml += "&lol" + std::to_string(i - 1) + ";";
    xml += "'>\n";
  }
  xml += "]>\n<lolz>&lol9;</lolz>";
  CXmlDocument document;
  KORVEL_EXPECT_THROW_MESSAGE(
      document.LoadXml(xml.c_str()), CKvException,
      L"limit on input amplification factor (from DTD and entities) breached at line 14");
}

// Names files that must never be opened: their text would show in the tree.
TEST(ExternalEntities, AreNeverLoaded) {
  const testing::TempDir temp;
  temp.Write("secret.txt", "SECRET");
  temp.Write("defs.dtd", "<!ENTITY leak 'SECRET'>");
  const auto url = [&](const char* name) { return "file://" + temp.Path(name); };
  const std::string inEntity =
      "<!DOCTYPE r [<!ENTITY ext SYSTEM '" + url("secret.txt") + "'>]><r>[&ext;]</r>";
  const std::string inDtd = "<!DOCTYPE r SYSTEM '" + url("defs.dtd") + "'><r>[&leak;]</r>";
  const std::string inParameter =
      "<!DOCTYPE r [<!ENTITY % p SYSTEM '" + url("defs.dtd") + "'> %p;]><r>[&leak;]</r>";
  for (const std::string& xml : {inEntity, inDtd, inParameter}) {
    SCOPED_TRACE(xml);
    CXmlDocument document;
    document.LoadXml(xml.c_str());
    EXPECT_EQ(document.GetDocumentElement()->GetText(), L"[]");
  }
}

// Values long enough to be converted in place keep every character.
TEST(XmlReader, LongValuesReadWhole) {
  std::string text;
  std::wstring expected;
  for (int i = 0; i < 1000; ++i) {
    text += "caf\xc3\xa9 \xf0\x9f\x98\x80";
    expected += L"caf\u00e9 \U0001F600";
  }
  CXmlDocument document;
  document.LoadXml(("<r a='" + text + "'>" + text + "</r>").c_str());
  EXPECT_EQ(document.GetDocumentElement()->GetText(), expected);
  EXPECT_EQ(document.GetDocumentElement()->GetAttribute(L"a", L""), expected);
}

// The document fed to expat in pieces of every small size: names, references,
// multi-byte characters, CDATA markers and line ends split anywhere must give
// the tree that one piece gives.
class XmlReaderPieces : public ::testing::TestWithParam<size_t> {};

TEST_P(XmlReaderPieces, GiveTheSameTreeAsOnePiece) {
  const std::string xml =
      "<?xml version='1.0'?>\r\n<p:root xmlns:p='urn:p' xmlns='urn:d' a='x&amp;y'>\r\n"
      "  <item n='\xe2\x82\xac'>caf\xc3\xa9 \xf0\x9f\x98\x80&#13;&lt;</item>\r"
      "  <![CDATA[ <raw> ]]><p:item/>tail</p:root>";
  CSerializationContext context;
  context.SetStripCDATA(false);
  CXmlDocument whole(context);
  whole.LoadXml(xml.c_str());
  const std::wstring expected = TreeText(whole);
  ASSERT_NE(expected.find(L"caf\u00e9 \U0001F600\r<"), std::wstring::npos) << expected;

  for (const bool wide : {false, true}) {
    CXmlDocument pieces(context);
    CExpatReader reader(pieces);
    reader.SetFeedSize(GetParam());
    reader.Initialize();
    wide ? reader.ParseWide(detail::Utf8ToWide(xml)) : reader.Parse(xml.data(), xml.size(), true);
    EXPECT_EQ(TreeText(pieces), expected) << "wide " << wide;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, XmlReaderPieces, ::testing::Values(1, 2, 3, 4, 5, 7, 13, 64));

// Non-ASCII and beyond the BMP in names, attribute values and text.
const std::wstring kWide =
    L"<caf\u00e9 xmlns='urn:\u00fc' k\u00f6r='\U0001D11E'>\u6f22 \U0001F600"
    L"<\u00e9l>\u00e0 &#x1F600;</\u00e9l></caf\u00e9>";

TEST(Utf8Loaders, StringAndPathFormsAgreeWithWideForms) {
  CXmlDocument wide, narrow;
  wide.LoadXml(kWide.c_str());
  const std::wstring expected = testing::TreeText(wide);
  ASSERT_NE(expected.find(L"\U0001D11E"), std::wstring::npos);
  const std::string utf8 = detail::WideToUtf8(kWide);
  const std::string padded = "\xEF\xBB\xBF" + utf8 + "<trailing>";
  // With a byte-order mark; a view whose length, not a terminator, ends the text.
  for (const std::string_view text :
       {std::string_view(utf8), std::string_view(padded).substr(0, utf8.size() + 3)}) {
    narrow.LoadXml(text);
    EXPECT_EQ(testing::TreeText(narrow), expected);
  }

  testing::TempDir dir;
  const std::string name = dir.Path("\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80.xml");
  std::ofstream(name, std::ios::binary) << utf8;
  const std::wstring wideName = detail::Utf8ToWide(name);
  wide.Load(wideName.c_str());
  ASSERT_EQ(testing::TreeText(wide), expected);
  narrow.Load(std::filesystem::path(name));
  EXPECT_EQ(testing::TreeText(narrow), expected);
  narrow.Load(wideName);  // std::wstring, which a path would convert by the locale
  EXPECT_EQ(testing::TreeText(narrow), expected);
}

TEST(Utf8Loaders, MalformedArgumentsAreRejected) {
  CXmlDocument document;
  // Checked before parsing: the well-formed start of the text builds nothing.
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(std::string("<a><b>\xC3\xA9\x80</b></a>")),
                              CKvInvalidParamException, L"Invalid UTF-8 in the text at byte 8.");
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(std::filesystem::path("d/\xE9t\xE9.xml")),
                              CKvInvalidParamException,
                              L"Invalid UTF-8 in the file name at byte 2.");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(std::string_view()), CKvException,
                              L"XML String is empty!");
  // The text is UTF-8 whatever a declaration says.
  document.LoadXml(std::string("<?xml version='1.0' encoding='ISO-8859-1'?><a>\xC3\xA9</a>"));
  EXPECT_EQ(document.GetDocumentElement()->GetText(), L"\u00e9");
}

namespace fs = std::filesystem;
using detail::platform::AsyncReadStep;
using detail::platform::FileOp;

std::wstring Hex(int error) { return FormatString(L"0x%08x", error); }

// Generated documents of a given size, whose content crosses every chunk
// boundary with multi-byte characters, attributes and line ends.
std::string DocumentOfSize(size_t size) {
  const std::string head = "<?xml version='1.0' encoding='UTF-8'?>\r\n<list>";
  const std::string tail = "</list>";
  std::string xml = head;
  for (int i = 0; xml.size() + tail.size() + 64 < size; ++i) {
    xml += "<item n='" + std::to_string(i) + "'>\xc3\xa9\xe2\x82\xac#" + std::to_string(i) +
           "</item>\r\n";
  }
  xml += "<pad>";
  xml.append(size - xml.size() - tail.size() - 6, 'p');
  xml += "</pad>" + tail;
  return xml;
}

class XmlFileLoad : public ::testing::Test {
 protected:
  void TearDown() override {
    AsyncFromXmlFile(false);
    detail::platform::ClearInjectedFileFailures();
    detail::platform::ClearInjectedAsyncReadFailures();
  }
  std::wstring Write(const char* name, const std::string& bytes) {
    m_temp.Write(name, bytes);
    return m_temp.WidePath(name);
  }

  // The tree both paths must give, from the same bytes held in memory.
  static std::wstring Expected(const std::string& xml) {
    CXmlDocument document;
    document.LoadXml(xml.c_str());
    return TreeText(document);
  }

  const testing::TempDir m_temp;
};

TEST_F(XmlFileLoad, BothPathsReadFilesAroundTheChunkSize) {
  for (size_t size : {size_t{100}, size_t{131071}, size_t{131072}, size_t{131073}, size_t{262144},
                      size_t{400000}}) {
    SCOPED_TRACE(size);
    const std::string xml = DocumentOfSize(size);
    ASSERT_EQ(xml.size(), size);
    const std::wstring path = Write("doc.xml", xml);
    const std::wstring expected = Expected(xml);
    for (bool async : {false, true}) {
      SCOPED_TRACE(async ? "asynchronous" : "synchronous");
      AsyncFromXmlFile(async);
      CXmlDocument document;
      document.Load(path.c_str());
      EXPECT_EQ(TreeText(document), expected);
    }
  }
}

TEST_F(XmlFileLoad, CompressedFilesAreInflatedOnlyOnTheSynchronousPath) {
  const std::string xml = "<a>compressed" + std::string(200, '!') + "</a>";
  CBinaryData gzip(reinterpret_cast<const unsigned char*>(xml.data()),
                   static_cast<uint32_t>(xml.size()));
  detail::CompressData(gzip, ct_gzip);
  const std::wstring path = Write("doc.xml.gz", testing::BytesOf(gzip));

  CXmlDocument document;
  document.Load(path.c_str());
  EXPECT_EQ(document.GetDocumentElement()->GetText(), L"compressed" + std::wstring(200, L'!'));

  AsyncFromXmlFile(true);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException,
                              L"not well-formed (invalid token) at line 1");
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
}

TEST_F(XmlFileLoad, AnEmptyFile) {
  const std::wstring path = Write("empty.xml", std::string());
  CXmlDocument document;
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException,
                              L"no element found at line 1");
  AsyncFromXmlFile(true);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException,
                              L"Failed to read the contents of the file [" + path + L"] Error [" +
                                  Hex(detail::platform::kEndOfFile) + L"]");
}

TEST_F(XmlFileLoad, FilesThatCannotBeOpened) {
  const std::wstring missing = m_temp.WidePath("missing.xml");
  const std::wstring directory = m_temp.WidePath(".");
  for (bool async : {false, true}) {
    SCOPED_TRACE(async);
    AsyncFromXmlFile(async);
    CXmlDocument document;
    KORVEL_EXPECT_THROW_MESSAGE(
        document.Load(missing.c_str()), CKvException,
        L"Failed to open the file [" + missing + L"] Error [" + Hex(ENOENT) + L"]");
    KORVEL_EXPECT_THROW_MESSAGE(
        document.Load(directory.c_str()), CKvException,
        L"Failed to open the file [" + directory + L"] Error [" + Hex(EISDIR) + L"]");
  }
}

TEST_F(XmlFileLoad, SynchronousFailuresNameTheFileAndTheCode) {
  const std::wstring path = Write("doc.xml", "<a/>");
  CXmlDocument document;
  detail::platform::InjectFileFailure(FileOp::Size, EIO);
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to get the size of the file [" + path + L"] Error [" + Hex(EIO) + L"]");
  detail::platform::InjectFileFailure(FileOp::Read, EIO);
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to read the contents of the file [" + path + L"] Error [" + Hex(EIO) + L"]");
  document.Load(path.c_str());
  EXPECT_EQ(document.GetDocumentElement()->GetLocalName(), L"a");
}

TEST_F(XmlFileLoad, SynchronousPathRefusesFilesBeyondFourGibibytes) {
  const std::wstring path = Write("huge.xml", "<a/>");
  std::error_code error;
  fs::resize_file(m_temp.Path("huge.xml"), (uint64_t{1} << 32) + 1, error);
  if (error) GTEST_SKIP() << "no sparse file: " << error.message();
  CXmlDocument document;
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to get the size of the file [" + path + L"] Error [" + Hex(EFBIG) + L"]");
}

TEST_F(XmlFileLoad, AsynchronousReadFailures) {
  const std::string xml = DocumentOfSize(300000);
  const std::wstring path = Write("doc.xml", xml);
  AsyncFromXmlFile(true);
  CXmlDocument document;

  detail::platform::InjectAsyncReadFailure(AsyncReadStep::Start, EAGAIN);
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to read the contents of the file. Error [" + Hex(EAGAIN) + L"]");
  detail::platform::InjectAsyncReadFailure(AsyncReadStep::Wait, EIO);
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to read the contents of the file [" + path + L"] Error [" + Hex(EIO) + L"]");

  // A failure in the middle of the file empties what was built so far.
  document.Load(path.c_str());
  ASSERT_NE(document.GetDocumentElement(), nullptr);
  class Injector {
   public:
    // The first chunk has been read when the parser sees the first element.
    static bool Arm(CXmlElement*) {
      detail::platform::InjectAsyncReadFailure(AsyncReadStep::Wait, EIO);
      return false;
    }
  };
  CXmlDocument filtered(&Injector::Arm);
  KORVEL_EXPECT_THROW_MESSAGE(
      filtered.Load(path.c_str()), CKvException,
      L"Failed to read the contents of the file. Error [" + Hex(EIO) + L"]");
  EXPECT_EQ(filtered.GetDocumentElement(), nullptr);
}

TEST_F(XmlFileLoad, AsynchronousParseErrorsEmptyTheDocument) {
  std::string xml = DocumentOfSize(300000);
  xml.replace(xml.size() - 7, 7, "</lost>");
  const std::wstring path = Write("doc.xml", xml);
  const size_t lines = static_cast<size_t>(std::count(xml.begin(), xml.end(), '\n')) + 1;

  CXmlDocument document;
  const std::wstring message = L"mismatched tag at line " + std::to_wstring(lines);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException, message);
  EXPECT_NE(document.GetDocumentElement(), nullptr);
  AsyncFromXmlFile(true);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException, message);
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
}

using Args = testing::VectorArgs;

std::string Bytes(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The paths of every element and attribute, in document order.
void AppendPaths(const CXmlElement* e, std::wstring& out) {
  out += (out.empty() ? L"" : L" ") + e->GetXPath();
  for (const CXmlAttribute* a : e->GetAttributes()) out += L" " + a->GetXPath();
  for (const CXmlElement* c = e->GetFirstElement(); c; c = c->GetNextSiblingElement()) {
    AppendPaths(c, out);
  }
}

// Options: "nons" reads without namespace processing, "cdata" keeps CDATA markup.
CSerializationContext ContextFor(const std::wstring& options) {
  CSerializationContext context;
  context.SetSchemaType(options.find(L"nons") != std::wstring::npos ? SchemaType_NoNamespaces
                                                                    : SchemaType_Default);
  context.SetStripCDATA(options.find(L"cdata") == std::wstring::npos);
  return context;
}

// The tree, its paths and each element's namespace declarations.
void AppendSnapshot(const CXmlElement* e, std::wstring& out) {
  out += L" " + e->GetXPath();
  if (const auto* declarations = XmlTreeBuilder::DeclarationsOf(*e)) {
    for (const auto& d : *declarations) out += L" xmlns:" + d.prefix + L"=" + d.namespaceUri;
  }
  for (const CXmlElement* c = e->GetFirstElement(); c; c = c->GetNextSiblingElement()) {
    AppendSnapshot(c, out);
  }
}

// The message of a failed load as the vector files show it before the tree.
template <class Load>
std::wstring ErrorOf(const Load& load) {
  try {
    load();
  } catch (const CKvException& e) {
    return L"!" + e.GetMessageW() + L" => ";
  }
  return L"";
}

std::wstring Snapshot(const CXmlDocument& document, const std::wstring& error) {
  std::wstring out = error + TreeText(document);
  if (document.GetDocumentElement()) AppendSnapshot(document.GetDocumentElement(), out);
  return out;
}

struct Loaded {
  Loaded(const std::wstring& options, const std::wstring& xml)
      : context(ContextFor(options)), document(context) {
    const std::string bytes = Bytes(xml);
    error = ErrorOf([&] {
      document.LoadXmlStream(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    });
    // Whatever reader took the document, expat's namespace processing alone
    // gives the same tree, declarations and error.
    CXmlDocument reference(context);
    const std::wstring referenceError = ErrorOf([&] {
      CExpatReader reader(reference);
      reader.Initialize();
      reader.Parse(bytes.data(), bytes.size(), true);
    });
    EXPECT_EQ(Snapshot(document, error), Snapshot(reference, referenceError)) << bytes;
  }
  std::wstring Tree() const {
    const CXmlElement* root = document.GetDocumentElement();
    return error + testing::TreeText(root);
  }

  CSerializationContext context;
  CXmlDocument document;
  std::wstring error;
};

// One writer call, "name|argument|...": the calls the script tests need.
void Call(CXmlTextWriter& w, const std::wstring& command) {
  const Args c = testing::Split(command, L'|', 5);
  const std::wstring& name = c[0];
  if (name == L"flat") w.SetFormatted(false);
  if (name == L"eol") w.SetEOLType(static_cast<EOLType>(std::stoi(c[1])));
  if (name == L"indent") w.SetIndentChars(c[1]);
  if (name == L"defaults") w.SetWriteDefaultElementValues(true);
  if (name == L"decl") w.WriteXmlDeclaration();
  if (name == L"alias") w.AddNamespaceAlias(c[1], c[2]);
  if (name == L"default") w.SetDefaultNamespace(c[1]);
  if (name == L"start") w.StartElement(c[1], c[2]);
  if (name == L"attr") w.WriteAttribute(c[1], c[2], c[3], it_string);
  if (name == L"text") w.WriteText(c[1], it_string, false);
  if (name == L"default-i4") w.WriteText(c[1], it_i4, true);
  if (name == L"end") w.EndElement();
  // An element holding only text, written in one step where the writer can.
  if (name == L"leaf") detail::WriteTextElement(w, c[1], c[2], c[3], it_string, false);
  if (name == L"default-leaf") detail::WriteTextElement(w, c[1], c[2], c[3], it_i4, true);
  if (name == L"comment") w.WriteComment(c[1]);
  if (name == L"pi") w.WriteProcessingInstruction(c[1]);
  if (name == L"schema") w.WriteInLineSchema(c[1]);
  if (name == L"xsitype") w.WriteXsiType(c[1], c[2], it_none);
  if (name == L"nil") w.WriteNil();
  if (name == L"open") w.Open();
  if (name == L"close") w.Close();
}

// The answers of the queries among calls on one CNamespaceAliasMap.
std::wstring AliasMapCalls(const Args& calls) {
  CNamespaceAliasMap map;
  std::wstring out;
  for (const std::wstring& call : calls) {
    const Args c = testing::Split(call, L'|', 3);
    const auto text = [&](int i) { return c[i] == L"~" ? nullptr : c[i].c_str(); };
    const auto answer = [&](const std::wstring& text) { out += text + L"|"; };
    const auto yes = [&](bool b) { answer(b ? L"yes" : L"no"); };
    if (c[0] == L"add") map.Add(text(1), text(2));
    if (c[0] == L"remove") map.RemoveNamespace(text(1));
    if (c[0] == L"count") answer(std::to_wstring(map.GetNamespaceCount()));
    if (c[0] == L"at") answer(map.GetNamespaceAt(std::stoi(c[1])));
    if (c[0] == L"alias-of") answer(map.GetAliasFromNamespace(text(1)));
    if (c[0] == L"has-alias") yes(map.DoesAliasExist(text(1)));
    if (c[0] == L"has-namespace") yes(map.DoesNamespaceExist(text(1)));
    if (c[0] == L"all") {
      for (int32_t i = 0; i < map.GetNamespaceCount(); ++i) out += map.GetNamespaceAt(i) + L",";
      answer(L"");
    }
    if (c[0] != L"namespace-of") continue;
    try {
      answer(map.GetNamespaceFromAlias(text(1)));
    } catch (const CKvException& e) {
      answer((typeid(e) == typeid(CKvException) ? L"!" : L"!subclass: ") + e.GetMessageW());
    }
  }
  return out;
}

const testing::VectorOperations& Operations() {
  static const testing::VectorOperations operations = {
      // options, document: the tree, after the message when the load fails.
      {L"tree", [](const Args& a) { return Loaded(a[0], a[1]).Tree(); }},
      // document: whether its prefixes were resolved without expat's namespace
      // processing, and its tree after the message when the load fails.
      {L"resolving",
       [](const Args& a) {
         const std::string bytes = Bytes(a[0]);
         CXmlDocument document;
         const bool resolved = CExpatReader::TryResolvingPrefixes(
             document, [&](CExpatReader& r) { r.Parse(bytes.data(), bytes.size(), true); });
         return (resolved ? L"resolved " : L"gives up ") + Loaded(L"", a[0]).Tree();
       }},
      // options, document: every path.
      {L"paths",
       [](const Args& a) {
         Loaded loaded(a[0], a[1]);
         std::wstring out = loaded.error;
         AppendPaths(loaded.document.GetDocumentElement(), out);
         return out;
       }},
      // document, prefix: the namespace the document declared for it.
      {L"namespace",
       [](const Args& a) {
         return Loaded(L"", a[0]).document.LookupNamespaceFromAlias(a[1].c_str());
       }},
      // document, namespace: the smallest prefix declared for it.
      {L"prefix",
       [](const Args& a) {
         return Loaded(L"", a[0]).document.LookupAliasFromNamespace(a[1].c_str());
       }},
      // document, local name, namespace: the document element's attribute.
      {L"attribute",
       [](const Args& a) {
         return Loaded(L"", a[0]).document.GetDocumentElement()->GetAttribute(a[1].c_str(),
                                                                              a[2].c_str());
       }},
      // namespace, local name: the kind of an attribute built with that name.
      {L"attribute-kind",
       [](const Args& a) {
         CXmlDocument document;
         CXmlElement* root = XmlTreeBuilder::AddDocElement(document, L"", L"r");
         XmlTreeBuilder::AddElementAttribute(root, a[1].c_str(), L"v", a[0].c_str());
         const CXmlAttribute* attribute = root->GetAttributes()[0];
         return std::wstring(attribute->IsNamespaceAttribute() ? L"namespace" : L"") +
                (attribute->IsNilAttribute() ? L"nil" : L"");
       }},
      // text, length (- for none): "<" and the text appended without carriage returns.
      {L"append-without-cr",
       [](const Args& a) {
         CXmlDocument document;
         CXmlElement* root = XmlTreeBuilder::AddDocElement(document, nullptr, L"r");
         XmlTreeBuilder::AppendTextExcludingCR(root, L"<");
         XmlTreeBuilder::AppendTextExcludingCR(
             root, a[0].c_str(), a[1] == L"-" ? std::wstring::npos : std::stoul(a[1]));
         return root->GetText();
       }},
      {L"aliases", AliasMapCalls},
      // stream encoding, calls...: the text written, then {!message} for each
      // call that was refused.
      {L"write",
       [](const Args& a) {
         CTextStream stream(static_cast<XmlEncoding>(std::stoi(a[0])));
         CXmlTextWriter writer(stream);
         std::wstring refused;
         for (size_t i = 1; i < a.size(); ++i) {
           try {
             Call(writer, a[i]);
           } catch (const CKvException& e) {
             refused += L"{!" + e.GetMessageW() + L"}";
           }
         }
         return stream.GetAllText() + refused;
       }},
      // calls: written as ToXmlStream writes UTF-8, straight into bytes; the text of the bytes.
      {L"bytes",
       [](const Args& a) {
         detail::ByteTextStream stream(XmlEncoding_UTF8);
         CXmlTextWriter writer(stream);
         for (const std::wstring& call : a) Call(writer, call);
         return detail::Utf8ToWide(testing::BytesOf(stream.TakeBytes()));
       }},
  };
  return operations;
}

// Every XML document of the test data agrees with expat's namespace processing.
TEST(XmlReader, TestDocumentsReadAsNamespaceProcessingReadsThem) {
  size_t documents = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(KORVEL_TEST_DATA_DIR)) {
    if (entry.path().extension() != ".xml") continue;
    SCOPED_TRACE(entry.path().string());
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string xml{std::istreambuf_iterator<char>(in), {}};
    const auto* bytes = reinterpret_cast<const unsigned char*>(xml.data());
    if (detail::StartsLikeCompressedStream(bytes, xml.size())) continue;
    Loaded(L"", std::wstring(xml.begin(), xml.end()));
    ++documents;
  }
  EXPECT_GT(documents, 20u);
}

class XmlVectors : public ::testing::TestWithParam<std::string> {};

TEST_P(XmlVectors, EveryRowGivesItsResult) { testing::RunVectorFile(GetParam(), Operations()); }

INSTANTIATE_TEST_SUITE_P(Files, XmlVectors, ::testing::ValuesIn(testing::VectorFiles("xml")),
                         testing::VectorFileName);

// Repeated short values are held once: changing one element's text leaves its
// twins alone, and a document of values that never repeat (sharing gives up
// after a trial) reads every value all the same.
TEST(XmlDocumentSharedTexts, RepeatsAreCopiedOnWriteAndUniqueValuesReadBack) {
  CXmlDocument document;
  document.LoadXml("<r><a k='v'>x</a><a k='v'>x</a></r>");
  CXmlElement* first = document.GetDocumentElement()->GetFirstElement();
  const CXmlElement* second = first->GetNextSiblingElement();
  XmlTreeBuilder::AppendText(first, L"y", 1);
  EXPECT_EQ(first->GetText(), L"xy");
  EXPECT_EQ(second->GetText(), L"x");
  EXPECT_EQ(second->GetAttribute(L"k", L""), L"v");

  std::string xml = "<r>";
  for (int i = 0; i < 5000; ++i) {
    const std::string value = std::to_string(i * 7919 % 5000) + (i % 3 ? "" : "\xc3\xa9");
    xml += "<v n='" + value + "n'>" + value + "</v>";
  }
  document.LoadXml(xml + "</r>");
  int i = 0;
  for (const CXmlElement* v = document.GetDocumentElement()->GetFirstElement(); v;
       v = v->GetNextSiblingElement(), ++i) {
    const std::wstring value = std::to_wstring(i * 7919 % 5000) + (i % 3 ? L"" : L"\u00e9");
    ASSERT_EQ(v->GetText(), value);
    ASSERT_EQ(v->GetAttribute(L"n", L""), value + L"n");
  }
  EXPECT_EQ(i, 5000);

  // The repeats of <c> stay shared among values that never repeat (<u>);
  // values that come round again only after more than a name's trial (<q>,
  // a hundred in turn) are shared while the document's values repeat.
  for (const int cycle : {0, 100}) {
    SCOPED_TRACE(cycle);
    const std::string name = cycle ? "q" : "u";
    xml = "<r>";
    for (i = 0; i < 3000; ++i) {
      const std::string value = std::to_string(cycle ? i % cycle : i);
      xml += "<" + name + ">" + value + "</" + name + "><c>EUR</c>";
    }
    document.LoadXml(xml + "</r>");
    const CXmlElement* root = document.GetDocumentElement();
    const std::wstring& eur = root->FindChildElement(L"c")->GetText();
    for (const CXmlElement& c : root->GetChildElements(L"c")) ASSERT_EQ(&c.GetText(), &eur);
    std::vector<const std::wstring*> values;
    for (const CXmlElement& e : root->GetChildElements(cycle ? L"q" : L"u")) {
      ASSERT_EQ(e.GetText(), std::to_wstring(cycle ? values.size() % cycle : values.size()));
      values.push_back(&e.GetText());
    }
    EXPECT_EQ(values[2900] == values[0], cycle != 0);
  }
}

}  // namespace
}  // namespace Korvel
