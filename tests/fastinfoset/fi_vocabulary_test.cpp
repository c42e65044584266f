// SPDX-License-Identifier: MIT
#include <korvel/fi_vocabulary.h>

#include <korvel/fast_infoset_context.h>

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fastinfoset/fi_test_support.h"

namespace Korvel {

// Found by argument-dependent lookup, so that failures print the two fields.
void PrintTo(const CFastInfosetContext::EncodedCharacterString& e, std::ostream* os) {
  *os << "{" << e.kind << ", " << e.index << "}";
}

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

using Encoding = CFastInfosetContext::EncodedCharacterString;

constexpr Encoding kDefault{};
constexpr Encoding Algorithm(uint32_t index) { return {Encoding::KIND_ENCODING_ALGORITHM, index}; }
constexpr Encoding Alphabet(uint32_t index) { return {Encoding::KIND_RESTRICTED_ALPHABET, index}; }

TEST(FastInfosetContext, TheEncodingTableBounds) {
  CFastInfosetContext context;
  // The first and last slots are the table's; item types beyond it have none.
  context.SetEncoding(0, Alphabet(2));
  context.SetEncoding(28, Algorithm(10));
  context.SetEncoding(29, Algorithm(1));
  context.SetEncoding(0xFFFFFFFFu, Algorithm(1));
  EXPECT_EQ(context.GetEncoding(0), Alphabet(2));
  EXPECT_EQ(context.GetEncoding(28), Algorithm(10));
  EXPECT_EQ(context.GetEncoding(29), kDefault);
  EXPECT_EQ(context.GetEncoding(0xFFFFFFFFu), kDefault);
  for (uint32_t type = 1; type < 28; ++type) EXPECT_EQ(context.GetEncoding(type), kDefault);
}

// Rows of tests/data/fastinfoset/suggested.txt: item type, preset encoding, and
// the encoding after SetSuggestedValues, as kind:index (0:0 is none).
TEST(FastInfosetContext, SuggestedValuesSetEveryKnownTypeAndKeepTheRest) {
  const auto parse = [](const std::wstring& text) {
    return Encoding{static_cast<uint32_t>(std::stoul(text)),
                    static_cast<uint32_t>(std::stoul(text.substr(text.find(L':') + 1)))};
  };
  testing::RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/fastinfoset/suggested.txt",
                         {{L"suggested", [&](const testing::VectorArgs& a) {
                             CFastInfosetContext context;
                             context.SetEncoding(std::stoul(a[0]), parse(a[1]));
                             context.SetAttributeMaxAddLength(10);
                             context.SetElementMaxAddLength(20);
                             context.SetSuggestedValues();
                             EXPECT_EQ(context.GetAttributeMaxAddLength(), 10u);
                             EXPECT_EQ(context.GetElementMaxAddLength(), 20u);
                             const Encoding e = context.GetEncoding(std::stoul(a[0]));
                             return std::to_wstring(e.kind) + L":" + std::to_wstring(e.index);
                           }}});
}

TEST(FastInfosetContext, CopiesOwnTheirVocabulary) {
  CFastInfosetContext original;
  original.SetSuggestedValues();
  original.SetUseGeneratedVocabulary(true);
  original.SetExternalVocabularyURI(L"urn:v");
  original.GetVocabulary()->AddElement(L"", L"urn:n", L"a");

  CFastInfosetContext copy(original);
  CFastInfosetContext assigned;
  assigned = original;
  ASSERT_NE(copy.GetVocabulary(), original.GetVocabulary());
  copy.GetVocabulary()->AddElement(L"", L"urn:n", L"b");
  assigned.GetVocabulary()->AddAttributeValue(L"v");
  original.SetEncoding(25, kDefault);
  original.SetExternalVocabularyURI(L"urn:changed");

  for (const CFastInfosetContext* context : {&copy, &assigned}) {
    EXPECT_EQ(context->GetEncoding(25), Alphabet(1));
    EXPECT_TRUE(context->GetUseGeneratedVocabulary());
    EXPECT_EQ(context->GetExternalVocabularyURI(), L"urn:v");
  }
  EXPECT_EQ(original.GetVocabulary()->GetElementNamesTable().size(), 1u);
  EXPECT_EQ(original.GetVocabulary()->GetAttributeValuesTable().size(), 0u);
  EXPECT_EQ(copy.GetVocabulary()->GetElementNamesTable().size(), 2u);
  EXPECT_EQ(assigned.GetVocabulary()->GetElementNamesTable().size(), 1u);
  uint32_t index = 0;  // the lookup maps are copies too
  EXPECT_FALSE(original.GetVocabulary()->FindLocalNameIndex(L"b", index));
  EXPECT_FALSE(original.GetVocabulary()->FindAttributeValueIndex(L"v", index));
  EXPECT_TRUE(copy.GetVocabulary()->FindLocalNameIndex(L"b", index));

  CFastInfosetContext moved;
  moved = std::move(copy);
  EXPECT_EQ(moved.GetVocabulary()->GetElementNamesTable().size(), 2u);
  EXPECT_EQ(moved.GetEncoding(5), Algorithm(4));
}

}  // namespace
}  // namespace Korvel
