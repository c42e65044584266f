// SPDX-License-Identifier: MIT
#include <korvel/xml_document.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace Korvel {
namespace {

constexpr char kOrder[] =
    "<order xmlns:p='urn:p' xmlns:q='urn:q' id='7' note='' p:id='p7'>"
    "<item>a</item><p:item>pa</p:item><note/><item>b</item>"
    "<q:item>qa</q:item><item>c</item>"
    "</order>";

class ElementNavigation : public ::testing::Test {
 protected:
  void SetUp() override {
    m_document.LoadXml(kOrder);
    m_root = m_document.GetDocumentElement();
  }

  static std::vector<std::wstring> Texts(const CXmlElementRange& range) {
    std::vector<std::wstring> texts;
    for (const CXmlElement& element : range) texts.push_back(element.GetText());
    return texts;
  }

  CXmlDocument m_document;
  const CXmlElement* m_root = nullptr;
};

TEST_F(ElementNavigation, FindAttributeTellsAbsentFromEmpty) {
  struct Case {
    const wchar_t* localName;
    const wchar_t* namespaceUri;
    const wchar_t* value;  // null: absent
  };
  const Case cases[] = {
      {L"id", L"", L"7"},
      {L"note", L"", L""},
      {L"id", L"urn:p", L"p7"},
      {L"id", L"urn:q", nullptr},
      {L"missing", L"", nullptr},
      {L"note", L"urn:p", nullptr},
      // Namespace declarations are not attributes of the tree.
      {L"p", L"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::wstring(c.localName) + L" in {" + c.namespaceUri + L"}");
    const CXmlAttribute* attribute = m_root->FindAttribute(c.localName, c.namespaceUri);
    if (c.value == nullptr) {
      EXPECT_EQ(attribute, nullptr);
    } else {
      ASSERT_NE(attribute, nullptr);
      EXPECT_EQ(attribute->GetValue(), c.value);
      EXPECT_EQ(attribute->GetOwnerElement(), m_root);
    }
  }
  EXPECT_EQ(m_root->FindAttribute(L"id"), m_root->FindAttribute(L"id", L""));
}

TEST_F(ElementNavigation, FindChildAndNextSiblingByQualifiedName) {
  const CXmlElement* first = m_root->FindChildElement(L"item");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetText(), L"a");
  const CXmlElement* second = first->FindNextSiblingElement(L"item");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetText(), L"b");
  const CXmlElement* third = second->FindNextSiblingElement(L"item");
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->GetText(), L"c");
  EXPECT_EQ(third->FindNextSiblingElement(L"item"), nullptr);

  const CXmlElement* qualified = m_root->FindChildElement(L"item", L"urn:q");
  ASSERT_NE(qualified, nullptr);
  EXPECT_EQ(qualified->GetText(), L"qa");
  EXPECT_EQ(first->FindNextSiblingElement(L"item", L"urn:p")->GetText(), L"pa");
  EXPECT_EQ(qualified->FindNextSiblingElement(L"item", L"urn:q"), nullptr);
  EXPECT_EQ(m_root->FindChildElement(L"item", L"urn:none"), nullptr);
  EXPECT_EQ(m_root->FindChildElement(L"ite"), nullptr);
  EXPECT_EQ(first->FindChildElement(L"item"), nullptr);  // no children at all
}

TEST_F(ElementNavigation, RangeForVisitsChildrenInOrderAllOrByName) {
  EXPECT_EQ(Texts(m_root->GetChildElements()),
            (std::vector<std::wstring>{L"a", L"pa", L"", L"b", L"qa", L"c"}));
  EXPECT_EQ(Texts(m_root->GetChildElements(L"item")),
            (std::vector<std::wstring>{L"a", L"b", L"c"}));
  EXPECT_EQ(Texts(m_root->GetChildElements(L"item", L"urn:p")), (std::vector<std::wstring>{L"pa"}));
  EXPECT_TRUE(m_root->GetChildElements(L"absent").empty());
  EXPECT_TRUE(m_root->FindChildElement(L"note")->GetChildElements().empty());

  // A forward range the standard algorithms take.
  const CXmlElementRange items = m_root->GetChildElements(L"item");
  EXPECT_EQ(std::distance(items.begin(), items.end()), 3);
  const auto b = std::find_if(items.begin(), items.end(),
                              [](const CXmlElement& e) { return e.GetText() == L"b"; });
  ASSERT_NE(b, items.end());
  auto after = b;
  EXPECT_EQ((after++)->GetText(), L"b");
  EXPECT_EQ(after->GetText(), L"c");
  EXPECT_EQ(++after, items.end());
}

}  // namespace
}  // namespace Korvel
