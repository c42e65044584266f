// SPDX-License-Identifier: MIT
#include <korvel/fast_infoset_context.h>

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

namespace Korvel {

// Found by argument-dependent lookup, so that failures print the two fields.
void PrintTo(const CFastInfosetContext::EncodedCharacterString& e, std::ostream* os) {
  *os << "{" << e.kind << ", " << e.index << "}";
}

namespace {

using Encoding = CFastInfosetContext::EncodedCharacterString;

constexpr uint32_t kItemTypes = 29;
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

TEST(FastInfosetContext, SuggestedValuesSetEveryKnownTypeAndKeepTheRest) {
  const Encoding expected[kItemTypes] = {
      Alphabet(2),  // 0: a custom value, left alone
      Algorithm(1), Algorithm(2), Algorithm(3), Algorithm(3), Algorithm(4),  // 1-5
      Algorithm(5), Algorithm(3), Algorithm(4), Algorithm(5), Algorithm(5),  // 6-10
      Algorithm(7), Algorithm(8),                                            // 11-12 float, double
      kDefault,  // 13 duration: a custom value reset
      Alphabet(2),  Alphabet(2),  Alphabet(2),  Alphabet(2),  Alphabet(2),  // 14-18 the g* kinds
      Alphabet(2),  Alphabet(2),  Alphabet(2),                              // 19-21 date, time
      kDefault,     Algorithm(9),  // 22, and 23 a custom value left alone
      Algorithm(6), Alphabet(1),  Alphabet(1),  kDefault,     kDefault,  // 24-28
  };
  CFastInfosetContext context;
  context.SetEncoding(0, Alphabet(2));
  context.SetEncoding(13, Algorithm(1));
  context.SetEncoding(23, Algorithm(9));
  context.SetAttributeMaxAddLength(10);
  context.SetElementMaxAddLength(20);
  context.SetSuggestedValues();
  for (uint32_t type = 0; type < kItemTypes; ++type) {
    SCOPED_TRACE(type);
    EXPECT_EQ(context.GetEncoding(type), expected[type]);
  }
  EXPECT_EQ(context.GetAttributeMaxAddLength(), 10u);
  EXPECT_EQ(context.GetElementMaxAddLength(), 20u);
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

  CFastInfosetContext moved;
  moved = std::move(copy);
  EXPECT_EQ(moved.GetVocabulary()->GetElementNamesTable().size(), 2u);
  EXPECT_EQ(moved.GetEncoding(5), Algorithm(4));
}

}  // namespace
}  // namespace Korvel
