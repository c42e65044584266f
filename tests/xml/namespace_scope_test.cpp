// SPDX-License-Identifier: MIT
// Namespace scope per element, and xsi:type values resolved in it.
#include <korvel/class_factory.h>
#include <korvel/xml_document.h>

#include "test_support.h"

namespace Korvel {
namespace {

struct Factory : CClassfactoryBase {
  using CClassfactoryBase::GetElementTypeNamespaceUri;
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

}  // namespace
}  // namespace Korvel
