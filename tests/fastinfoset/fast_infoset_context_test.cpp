// SPDX-License-Identifier: MIT
#include <korvel/fast_infoset_context.h>

#include <ostream>
#include <string>
#include <utility>

#include "vector_file.h"

namespace Korvel {

// Found by argument-dependent lookup, so that failures print the two fields.
void PrintTo(const CFastInfosetContext::EncodedCharacterString& e, std::ostream* os) {
  *os << "{" << e.kind << ", " << e.index << "}";
}

namespace {

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
