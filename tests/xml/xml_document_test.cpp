// SPDX-License-Identifier: MIT
#include <korvel/xml_document.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <korvel/errors.h>
#include <korvel/serialization_context.h>

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

std::vector<std::wstring> ChildNames(const CXmlElement* parent) {
  std::vector<std::wstring> names;
  for (const CXmlElement* e = parent->GetFirstElement(); e; e = e->GetNextSiblingElement()) {
    names.push_back(e->GetLocalName() + L"=" + e->GetText());
  }
  return names;
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
  EXPECT_EQ(ChildNames(document.GetDocumentElement()),
            (std::vector<std::wstring>{L"keep=1", L"keep=2"}));
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
  EXPECT_EQ(
      ChildNames(document.GetDocumentElement()),
      (std::vector<std::wstring>{L"item=0", L"item=2", L"item=4", L"item=6", L"item=8", L"tail="}));
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
}

}  // namespace
}  // namespace Korvel
