// SPDX-License-Identifier: MIT
#include <korvel/xml_document.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <korvel/class_factory.h>
#include <korvel/errors.h>

#include "tree_text.h"
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

// --- Element filter ------------------------------------------------------------------

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
  try {
    document.LoadXml("<r><ok/><bad/><never/></r>");
    ADD_FAILURE() << "no exception";
  } catch (const CKvException& e) {
    EXPECT_EQ(e.GetMessageW(), L"filter says no");
  }
  document.LoadXml("<r><ok/></r>");
  EXPECT_EQ(document.GetDocumentElement()->GetFirstElement()->GetLocalName(), L"ok");
}

// --- Builder operations ------------------------------------------------------------

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

// --- Size ----------------------------------------------------------------------------

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

// --- Depth ---------------------------------------------------------------------------

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
      {a, L"urn:p2", L"urn:d"},                  // redeclared prefix on the element
      {a->GetFirstElement(), L"urn:p2", L"urn:d"},  // ... and below it
      {c, L"urn:p1", L"urn:d"},                  // the outer binding again after it
      {n->GetFirstElement(), L"urn:n", L"urn:n"},   // unprefixed: nested default namespace
      {u->GetFirstElement(), L"", L""},          // default namespace undeclared
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

}  // namespace
}  // namespace Korvel
