// SPDX-License-Identifier: MIT
#include <korvel/fi_vocabulary.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "fastinfoset/fi_test_support.h"

namespace Korvel {
namespace {

using QName = CFIVocabulary::CQNameParts;
using CFI = CFIVocabulary;

std::vector<QName> QNames(const CFI::CFIQNameTable& table) { return {table.begin(), table.end()}; }

// Index of a value in one of the maps, or 0 when absent.
template <class Find, class... Parts>
uint32_t IndexOf(const CFI& vocabulary, Find find, const Parts&... parts) {
  uint32_t index = 0;
  return (vocabulary.*find)(parts..., index) ? index : 0;
}

// The answers of the queries among calls on one vocabulary, as
// tests/data/fastinfoset/vocabulary.txt describes them.
std::wstring VocabularyCalls(const testing::VectorArgs& calls) {
  using Find = bool (CFI::*)(const std::wstring&, uint32_t&) const;
  static const std::map<std::wstring, std::pair<void (CFI::*)(std::wstring), Find>> kStrings = {
      {L"attribute-value", {&CFI::AddAttributeValue, &CFI::FindAttributeValueIndex}},
      {L"element-value", {&CFI::AddElementValue, &CFI::FindElementValueIndex}},
      {L"prefix", {&CFI::AddPrefixName, &CFI::FindPrefixNameIndex}},
      {L"namespace", {&CFI::AddNamespaceName, &CFI::FindNamespaceNameIndex}},
      {L"local", {&CFI::AddLocalName, &CFI::FindLocalNameIndex}}};
  static const std::map<std::wstring, const CFI::CFIStringTable& (CFI::*)() const> kTables = {
      {L"attribute-values", &CFI::GetAttributeValuesTable},
      {L"element-values", &CFI::GetCharacterChunksTable},
      {L"prefixes", &CFI::GetPrefixNamesTable},
      {L"namespaces", &CFI::GetNamespaceNamesTable},
      {L"locals", &CFI::GetLocalNamesTable}};
  CFIVocabulary v;
  std::wstring out;
  for (const std::wstring& call : calls) {
    const testing::VectorArgs c = testing::Split(call, L'|', 4);
    const size_t dash = c[0].find(L'-');
    const std::wstring verb = c[0].substr(0, dash), object = c[0].substr(dash + 1);
    if (c[0] == L"element") v.AddElement(c[1], c[2], c[3]);
    if (c[0] == L"attribute") v.AddAttribute(c[1], c[2], c[3]);
    if (verb == L"add") (v.*kStrings.at(object).first)(c[1]);
    if (c[0] == L"find-element")
      out += std::to_wstring(IndexOf(v, &CFI::FindElementNameIndex, c[1], c[2], c[3])) + L"|";
    if (c[0] == L"find-attribute")
      out += std::to_wstring(IndexOf(v, &CFI::FindAttributeNameIndex, c[1], c[2], c[3])) + L"|";
    if (verb == L"find" && kStrings.count(object))
      out += std::to_wstring(IndexOf(v, kStrings.at(object).second, c[1])) + L"|";
    if (kTables.count(c[0])) {
      for (const std::wstring& text : (v.*kTables.at(c[0]))()) out += text + L",";
      out += L"|";
    }
    if (c[0] == L"elements" || c[0] == L"attributes") {
      for (const QName& n :
           c[0] == L"elements" ? v.GetElementNamesTable() : v.GetAttributeNamesTable()) {
        out += std::to_wstring(n.prefixIndex) + L"." + std::to_wstring(n.namespaceNameIndex) +
               L"." + std::to_wstring(n.localNameIndex) + L",";
      }
      out += L"|";
    }
  }
  return out;
}

TEST(FIVocabulary, IndexesAndTablesOfQualifiedNamesAndValues) {
  testing::RunVectors("vocabulary.txt", {{L"vocabulary", VocabularyCalls}});
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
