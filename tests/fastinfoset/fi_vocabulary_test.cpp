// SPDX-License-Identifier: MIT
#include <korvel/fi_vocabulary.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Korvel {
namespace {

using QName = CFIVocabulary::CQNameParts;
using Names = std::vector<std::wstring>;
using CFI = CFIVocabulary;

constexpr wchar_t kXmlNamespace[] = L"http://www.w3.org/XML/1998/namespace";

Names Strings(const CFI::CFIStringTable& table) { return {table.begin(), table.end()}; }
std::vector<QName> QNames(const CFI::CFIQNameTable& table) { return {table.begin(), table.end()}; }

// Index of a value in one of the maps, or 0 when absent.
template <class Find, class... Parts>
uint32_t IndexOf(const CFI& vocabulary, Find find, const Parts&... parts) {
  uint32_t index = 0;
  return (vocabulary.*find)(parts..., index) ? index : 0;
}

TEST(FIVocabulary, AddElementIndexesItsPartsOnce) {
  CFIVocabulary v;
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    v.AddElement(L"", L"urn:n", L"a");
    EXPECT_EQ(IndexOf(v, &CFI::FindNamespaceNameIndex, L"urn:n"), 2u);
    EXPECT_EQ(IndexOf(v, &CFI::FindLocalNameIndex, L"a"), 1u);
    EXPECT_EQ(IndexOf(v, &CFI::FindElementNameIndex, L"", L"urn:n", L"a"), 1u);
    EXPECT_EQ(QNames(v.GetElementNamesTable()), std::vector<QName>{QName(0, 2, 1)});
    EXPECT_EQ(Strings(v.GetNamespaceNamesTable()), (Names{kXmlNamespace, L"urn:n"}));
    EXPECT_EQ(Strings(v.GetLocalNamesTable()), Names{L"a"});
    EXPECT_EQ(v.GetPrefixNamesTable().size(), 1u) << "an empty prefix is not entered";
  }
}

TEST(FIVocabulary, QualifiedNamesShareTheirPartsButNotTheirTables) {
  CFIVocabulary v;
  v.AddElement(L"p", L"urn:n", L"a");
  v.AddElement(L"", L"", L"a");  // same local name, no namespace
  v.AddAttribute(L"xml", kXmlNamespace, L"lang");
  v.AddAttribute(L"p", L"urn:n", L"a");  // also an element name
  v.AddElement(L"q", L"urn:n", L"b");

  EXPECT_EQ(QNames(v.GetElementNamesTable()),
            (std::vector<QName>{QName(2, 2, 1), QName(0, 0, 1), QName(3, 2, 3)}));
  EXPECT_EQ(QNames(v.GetAttributeNamesTable()),
            (std::vector<QName>{QName(1, 1, 2), QName(2, 2, 1)}));
  EXPECT_EQ(Strings(v.GetLocalNamesTable()), (Names{L"a", L"lang", L"b"}));
  EXPECT_EQ(Strings(v.GetPrefixNamesTable()), (Names{L"xml", L"p", L"q"}));

  // Each part of the key counts: moving a string between parts is another name.
  struct Row {
    std::wstring prefix, namespaceName, localName;
    uint32_t element, attribute;
  };
  const Row rows[] = {
      {L"p", L"urn:n", L"a", 1, 2}, {L"", L"", L"a", 2, 0},
      {L"q", L"urn:n", L"b", 3, 0}, {L"xml", kXmlNamespace, L"lang", 0, 1},
      {L"", L"urn:n", L"a", 0, 0},  {L"q", L"urn:n", L"a", 0, 0},
      {L"", L"a", L"", 0, 0},       {L"a", L"", L"", 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.prefix + L"|" + r.namespaceName + L"|" + r.localName);
    EXPECT_EQ(IndexOf(v, &CFI::FindElementNameIndex, r.prefix, r.namespaceName, r.localName),
              r.element);
    EXPECT_EQ(IndexOf(v, &CFI::FindAttributeNameIndex, r.prefix, r.namespaceName, r.localName),
              r.attribute);
  }
}

TEST(FIVocabulary, ValuesKeepTheirFirstIndexButEveryAdditionIsAppended) {
  CFIVocabulary v;
  v.AddAttributeValue(L"x");
  v.AddAttributeValue(L"x");
  v.AddAttributeValue(L"y");
  EXPECT_EQ(IndexOf(v, &CFI::FindAttributeValueIndex, L"x"), 1u);
  EXPECT_EQ(IndexOf(v, &CFI::FindAttributeValueIndex, L"y"), 2u);
  EXPECT_EQ(Strings(v.GetAttributeValuesTable()), (Names{L"x", L"x", L"y"}));

  v.AddElementValue(L"text");
  v.AddPrefixName(L"xml");
  v.AddNamespaceName(L"urn:z");
  v.AddLocalName(L"");
  EXPECT_EQ(IndexOf(v, &CFI::FindElementValueIndex, L"text"), 1u);
  EXPECT_EQ(IndexOf(v, &CFI::FindAttributeValueIndex, L"text"), 0u);
  EXPECT_EQ(Strings(v.GetCharacterChunksTable()), Names{L"text"});
  EXPECT_EQ(IndexOf(v, &CFI::FindPrefixNameIndex, L"xml"), 1u);
  EXPECT_EQ(Strings(v.GetPrefixNamesTable()), (Names{L"xml", L"xml"}));
  EXPECT_EQ(IndexOf(v, &CFI::FindNamespaceNameIndex, L"urn:z"), 2u);
  EXPECT_EQ(IndexOf(v, &CFI::FindLocalNameIndex, L""), 1u);
}

TEST(FIVocabulary, NewQNamePartsIndexTheirTablePositions) {
  // Duplicate additions put table and map out of step; a qualified name refers to
  // its parts by table position, which is what a reader resolves.
  CFIVocabulary v;
  v.AddPrefixName(L"p");
  v.AddPrefixName(L"p");  // table: xml p p; map: p = 2
  v.AddElement(L"q", L"urn:n", L"a");
  EXPECT_EQ(QNames(v.GetElementNamesTable()), std::vector<QName>{QName(4, 2, 1)});
  EXPECT_EQ(v.GetPrefixNamesTable()[3], L"q");
  v.AddElement(L"p", L"urn:n", L"b");  // known prefix: its map index
  EXPECT_EQ(v.GetElementNamesTable()[1], QName(2, 2, 2));
}

// Distinct two-character names, short enough to need no allocation of their own.
std::wstring ShortName(uint32_t i) {
  return {static_cast<wchar_t>(L'a' + (i >> 10)), static_cast<wchar_t>(L'a' + (i & 1023))};
}

TEST(FIVocabulary, FullTablesTakeNoMoreEntries) {
  constexpr uint32_t kLimit = CFIVocabulary::MAX_TABLE_ENTRIES;
  static_assert(kLimit == 1048576);
  CFIVocabulary v;
  for (uint32_t i = 0; i < kLimit; ++i) v.AddLocalName(ShortName(i));
  EXPECT_EQ(IndexOf(v, &CFI::FindLocalNameIndex, ShortName(kLimit - 1)), kLimit);
  v.AddLocalName(L"one too many");
  EXPECT_EQ(IndexOf(v, &CFI::FindLocalNameIndex, L"one too many"), 0u);
  EXPECT_EQ(v.GetLocalNamesTable().size(), kLimit);

  // A name whose new local name cannot be indexed is not entered at all, while one
  // made of known parts still is.
  v.AddElement(L"p", L"urn:n", L"new");
  EXPECT_EQ(v.GetElementNamesTable().size(), 0u);
  EXPECT_EQ(v.GetPrefixNamesTable().size(), 1u);
  EXPECT_EQ(v.GetNamespaceNamesTable().size(), 1u);
  v.AddElement(L"", L"", ShortName(6));
  EXPECT_EQ(QNames(v.GetElementNamesTable()), std::vector<QName>{QName(0, 0, 7)});
}

}  // namespace
}  // namespace Korvel
