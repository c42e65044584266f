// SPDX-License-Identifier: MIT
#include <korvel/fi_vocabulary.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Korvel {
namespace {

using QName = CFIVocabulary::CQNameParts;

constexpr wchar_t kXmlNamespace[] = L"http://www.w3.org/XML/1998/namespace";

std::vector<std::wstring> Strings(const CFIVocabulary::CFIStringTable& table) {
  return {table.begin(), table.end()};
}

std::vector<QName> QNames(const CFIVocabulary::CFIQNameTable& table) {
  return {table.begin(), table.end()};
}

// Index of a value in a map, or 0 when absent.
template <class Find>
uint32_t IndexOf(Find find) {
  uint32_t index = 0;
  return find(index) ? index : 0;
}

TEST(FIVocabulary, StartsWithTheBuiltInContentOnly) {
  CFIVocabulary vocabulary;
  EXPECT_EQ(IndexOf([&](uint32_t& i) { return vocabulary.FindPrefixNameIndex(L"xml", i); }), 1u);
  EXPECT_EQ(
      IndexOf([&](uint32_t& i) { return vocabulary.FindNamespaceNameIndex(kXmlNamespace, i); }),
      1u);
  EXPECT_EQ(Strings(vocabulary.GetPrefixNamesTable()), std::vector<std::wstring>{L"xml"});
  EXPECT_EQ(Strings(vocabulary.GetNamespaceNamesTable()), std::vector<std::wstring>{kXmlNamespace});
  EXPECT_EQ(vocabulary.GetRestrictedAlphabets(),
            (std::vector<std::wstring>{L"0123456789-+.e ", L"0123456789-:TZ "}));

  uint32_t index = 99;
  EXPECT_FALSE(vocabulary.FindLocalNameIndex(L"xml", index));
  EXPECT_FALSE(vocabulary.FindLocalNameIndex(L"", index));
  EXPECT_FALSE(vocabulary.FindAttributeValueIndex(L"", index));
  EXPECT_FALSE(vocabulary.FindElementValueIndex(L"", index));
  EXPECT_FALSE(vocabulary.FindElementNameIndex(L"", L"", L"", index));
  EXPECT_FALSE(vocabulary.FindAttributeNameIndex(L"xml", kXmlNamespace, L"lang", index));
  EXPECT_EQ(index, 99u) << "a miss leaves the out index alone";
  EXPECT_EQ(vocabulary.GetElementNamesTable().size(), 0u);
  EXPECT_EQ(vocabulary.GetAttributeNamesTable().size(), 0u);
  EXPECT_EQ(vocabulary.GetAttributeValuesTable().size(), 0u);
  EXPECT_EQ(vocabulary.GetCharacterChunksTable().size(), 0u);
  EXPECT_EQ(vocabulary.GetLocalNamesTable().size(), 0u);
}

TEST(FIVocabulary, AddElementIndexesItsPartsOnce) {
  CFIVocabulary vocabulary;
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    vocabulary.AddElement(L"", L"urn:n", L"a");
    EXPECT_EQ(IndexOf([&](uint32_t& i) { return vocabulary.FindNamespaceNameIndex(L"urn:n", i); }),
              2u);
    EXPECT_EQ(IndexOf([&](uint32_t& i) { return vocabulary.FindLocalNameIndex(L"a", i); }), 1u);
    EXPECT_EQ(IndexOf([&](uint32_t& i) {
                return vocabulary.FindElementNameIndex(L"", L"urn:n", L"a", i);
              }),
              1u);
    EXPECT_EQ(QNames(vocabulary.GetElementNamesTable()), std::vector<QName>{QName(0, 2, 1)});
    EXPECT_EQ(Strings(vocabulary.GetNamespaceNamesTable()),
              (std::vector<std::wstring>{kXmlNamespace, L"urn:n"}));
    EXPECT_EQ(Strings(vocabulary.GetLocalNamesTable()), std::vector<std::wstring>{L"a"});
    EXPECT_EQ(vocabulary.GetPrefixNamesTable().size(), 1u) << "an empty prefix is not entered";
  }
}

TEST(FIVocabulary, QualifiedNamesShareTheirPartsButNotTheirTables) {
  CFIVocabulary vocabulary;
  vocabulary.AddElement(L"p", L"urn:n", L"a");
  vocabulary.AddElement(L"", L"", L"a");  // same local name, no namespace
  vocabulary.AddAttribute(L"xml", kXmlNamespace, L"lang");
  vocabulary.AddAttribute(L"p", L"urn:n", L"a");  // also an element name
  vocabulary.AddElement(L"q", L"urn:n", L"b");

  EXPECT_EQ(QNames(vocabulary.GetElementNamesTable()),
            (std::vector<QName>{QName(2, 2, 1), QName(0, 0, 1), QName(3, 2, 3)}));
  EXPECT_EQ(QNames(vocabulary.GetAttributeNamesTable()),
            (std::vector<QName>{QName(1, 1, 2), QName(2, 2, 1)}));
  EXPECT_EQ(Strings(vocabulary.GetLocalNamesTable()),
            (std::vector<std::wstring>{L"a", L"lang", L"b"}));
  EXPECT_EQ(Strings(vocabulary.GetPrefixNamesTable()),
            (std::vector<std::wstring>{L"xml", L"p", L"q"}));

  // Each part of the key counts: moving a string between parts is another name.
  struct Row {
    const wchar_t* prefix;
    const wchar_t* namespaceName;
    const wchar_t* localName;
    uint32_t element;
    uint32_t attribute;
  };
  const Row rows[] = {
      {L"p", L"urn:n", L"a", 1, 2}, {L"", L"", L"a", 2, 0},
      {L"q", L"urn:n", L"b", 3, 0}, {L"xml", kXmlNamespace, L"lang", 0, 1},
      {L"", L"urn:n", L"a", 0, 0},  {L"q", L"urn:n", L"a", 0, 0},
      {L"", L"a", L"", 0, 0},       {L"a", L"", L"", 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::wstring(row.prefix) + L"|" + row.namespaceName + L"|" + row.localName);
    EXPECT_EQ(IndexOf([&](uint32_t& i) {
                return vocabulary.FindElementNameIndex(row.prefix, row.namespaceName, row.localName,
                                                       i);
              }),
              row.element);
    EXPECT_EQ(IndexOf([&](uint32_t& i) {
                return vocabulary.FindAttributeNameIndex(row.prefix, row.namespaceName,
                                                         row.localName, i);
              }),
              row.attribute);
  }
}

TEST(FIVocabulary, ValuesKeepTheirFirstIndexButEveryAdditionIsAppended) {
  CFIVocabulary vocabulary;
  vocabulary.AddAttributeValue(L"x");
  vocabulary.AddAttributeValue(L"x");
  vocabulary.AddAttributeValue(L"y");
  EXPECT_EQ(IndexOf([&](uint32_t& i) { return vocabulary.FindAttributeValueIndex(L"x", i); }), 1u);
  EXPECT_EQ(IndexOf([&](uint32_t& i) { return vocabulary.FindAttributeValueIndex(L"y", i); }), 2u);
  EXPECT_EQ(Strings(vocabulary.GetAttributeValuesTable()),
            (std::vector<std::wstring>{L"x", L"x", L"y"}));

  vocabulary.AddElementValue(L"text");
  vocabulary.AddPrefixName(L"xml");
  vocabulary.AddNamespaceName(L"urn:z");
  vocabulary.AddLocalName(L"");
  EXPECT_EQ(IndexOf([&](uint32_t& i) { return vocabulary.FindElementValueIndex(L"text", i); }), 1u);
  EXPECT_FALSE(
      IndexOf([&](uint32_t& i) { return vocabulary.FindAttributeValueIndex(L"text", i); }));
  EXPECT_EQ(Strings(vocabulary.GetCharacterChunksTable()), std::vector<std::wstring>{L"text"});
  EXPECT_EQ(IndexOf([&](uint32_t& i) { return vocabulary.FindPrefixNameIndex(L"xml", i); }), 1u);
  EXPECT_EQ(Strings(vocabulary.GetPrefixNamesTable()), (std::vector<std::wstring>{L"xml", L"xml"}));
  EXPECT_EQ(IndexOf([&](uint32_t& i) { return vocabulary.FindNamespaceNameIndex(L"urn:z", i); }),
            2u);
  EXPECT_EQ(IndexOf([&](uint32_t& i) { return vocabulary.FindLocalNameIndex(L"", i); }), 1u);
}

TEST(FIVocabulary, NewQNamePartsIndexTheirTablePositions) {
  // Duplicate additions put table and map out of step; a qualified name refers to
  // its parts by table position, which is what a reader resolves.
  CFIVocabulary vocabulary;
  vocabulary.AddPrefixName(L"p");
  vocabulary.AddPrefixName(L"p");  // table: xml p p; map: p = 2
  vocabulary.AddElement(L"q", L"urn:n", L"a");
  EXPECT_EQ(QNames(vocabulary.GetElementNamesTable()), std::vector<QName>{QName(4, 2, 1)});
  EXPECT_EQ(vocabulary.GetPrefixNamesTable()[3], L"q");
  vocabulary.AddElement(L"p", L"urn:n", L"b");  // known prefix: its map index
  EXPECT_EQ(vocabulary.GetElementNamesTable()[1], QName(2, 2, 2));
}

TEST(FIVocabulary, CopiesAreIndependent) {
  CFIVocabulary original;
  original.AddElement(L"", L"urn:n", L"a");
  CFIVocabulary assigned;
  assigned = original;
  assigned.AddElement(L"", L"urn:n", L"b");
  original.AddAttributeValue(L"v");
  EXPECT_EQ(original.GetElementNamesTable().size(), 1u);
  EXPECT_EQ(assigned.GetElementNamesTable().size(), 2u);
  EXPECT_EQ(assigned.GetAttributeValuesTable().size(), 0u);
  uint32_t index = 0;
  EXPECT_FALSE(original.FindLocalNameIndex(L"b", index));
  EXPECT_FALSE(assigned.FindAttributeValueIndex(L"v", index));
}

// Distinct two-character names, short enough to need no allocation of their own.
std::wstring ShortName(uint32_t i) {
  return {static_cast<wchar_t>(L'a' + (i >> 10)), static_cast<wchar_t>(L'a' + (i & 1023))};
}

TEST(FIVocabulary, FullTablesTakeNoMoreEntries) {
  constexpr uint32_t kLimit = CFIVocabulary::MAX_TABLE_ENTRIES;
  static_assert(kLimit == 1048576);
  CFIVocabulary vocabulary;
  for (uint32_t i = 0; i < kLimit; ++i) vocabulary.AddLocalName(ShortName(i));
  EXPECT_EQ(
      IndexOf([&](uint32_t& i) { return vocabulary.FindLocalNameIndex(ShortName(kLimit - 1), i); }),
      kLimit);

  vocabulary.AddLocalName(L"one too many");
  EXPECT_FALSE(
      IndexOf([&](uint32_t& i) { return vocabulary.FindLocalNameIndex(L"one too many", i); }));
  EXPECT_EQ(vocabulary.GetLocalNamesTable().size(), kLimit);

  // A name whose new local name cannot be indexed is not entered at all, while one
  // made of known parts still is.
  vocabulary.AddElement(L"p", L"urn:n", L"new");
  EXPECT_EQ(vocabulary.GetElementNamesTable().size(), 0u);
  EXPECT_EQ(vocabulary.GetPrefixNamesTable().size(), 1u);
  EXPECT_EQ(vocabulary.GetNamespaceNamesTable().size(), 1u);
  vocabulary.AddElement(L"", L"", ShortName(6));
  EXPECT_EQ(QNames(vocabulary.GetElementNamesTable()), std::vector<QName>{QName(0, 0, 7)});
}

}  // namespace
}  // namespace Korvel
