// SPDX-License-Identifier: MIT
// Untyped elements with a default namespace of their own, nested in a tree,
// read back with their own scope.
#include <korvel/serialization_context.h>
#include <korvel/untyped.h>

#include "test_support.h"

namespace Korvel::testing {
namespace {

std::wstring Xml(const CXmlObjectBase& object, bool formatted, EOLType eol) {
  return object.ToXml(false, formatted, eol, CSerializationContext::GetDefaultContext());
}

// Scopes nested in a plain tree and in each other, with an unqualified
// element leaving one.
CSmartPtr<CElement> ScopedTree() {
  CSmartPtr<CElement> inner(new CElement(L"i", L"urn:i"));
  CSmartPtr<CElement> scoped(new CElement(L"s", L"urn:p"));
  CSmartPtr<CElementCol> children = scoped->GetChildElements();
  children->Add(L"t", L"urn:p")->SetText(L"text");
  children->Add(L"q", L"urn:q");
  children->Add(L"f", L"");
  children->Add(CSmartPtr<CElement>(new CElement(inner.Get(), L"urn:i")));
  CSmartPtr<CElement> root(new CElement(L"a"));
  root->GetChildElements()->Add(L"b", L"urn:q");
  root->GetChildElements()->Add(CSmartPtr<CElement>(new CElement(scoped.Get(), L"urn:p")));
  return root;
}

TEST(ElementScope, NestedDefaultNamespacesRoundTripInEveryLayout) {
  const CSmartPtr<CElement> tree = ScopedTree();
  const struct {
    bool formatted;
    EOLType eol;
  } layouts[] = {{false, EOL_LF}, {true, EOL_LF}, {true, EOL_CRLF}};
  for (const auto& layout : layouts) {
    SCOPED_TRACE(::testing::Message() << "formatted " << layout.formatted << " eol " << layout.eol);
    const std::wstring first = Xml(*tree, layout.formatted, layout.eol);
    CSmartPtr<CElement> once(new CElement(L"x"));
    once->FromXml(first.c_str());
    EXPECT_EQ(Xml(*once, layout.formatted, layout.eol), first);
    const CSmartPtr<CElement> scoped = once->GetChildElements()->Item(1);
    EXPECT_EQ(scoped->GetDefaultNamespace(), L"urn:p");
    EXPECT_EQ(scoped->GetChildElements()->Item(2)->GetDefaultNamespace(), L"");
    EXPECT_EQ(scoped->GetChildElements()->Item(3)->GetDefaultNamespace(), L"urn:i");
  }
  EXPECT_EQ(Xml(*tree, false, EOL_LF),
            L"<a><AA:b xmlns:AA=\"urn:q\"/><s xmlns=\"urn:p\"><t>text</t>"
            L"<AA:q xmlns:AA=\"urn:q\"/><f xmlns=\"\"/><i xmlns=\"urn:i\"/></s></a>");
}

}  // namespace
}  // namespace Korvel::testing
