// SPDX-License-Identifier: MIT
#include <korvel/xml_document.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace Korvel {
namespace {

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

}  // namespace
}  // namespace Korvel
