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

TEST(FastInfosetContext, Defaults) {
  static_assert(sizeof(Encoding) == 8);
  CFastInfosetContext context;
  EXPECT_EQ(context.GetDefaultStringEncoding(), 0);
  EXPECT_EQ(context.GetAttributeMaxAddLength(), 6u);
  EXPECT_EQ(context.GetElementMaxAddLength(), 6u);
  EXPECT_FALSE(context.GetUseGeneratedVocabulary());
  EXPECT_EQ(context.GetExternalVocabularyURI(), L"");
  for (uint32_t type = 0; type < kItemTypes; ++type) EXPECT_EQ(context.GetEncoding(type), kDefault);
  ASSERT_NE(context.GetVocabulary(), nullptr);
  EXPECT_EQ(context.GetVocabulary()->GetPrefixNamesTable().size(), 1u);
  EXPECT_EQ(context.GetVocabulary()->GetElementNamesTable().size(), 0u);
}

TEST(FastInfosetContext, SettersStoreTheirOwnOptionOnly) {
  CFastInfosetContext context;
  context.SetAttributeMaxAddLength(0);
  context.SetElementMaxAddLength(4000000000u);
  context.SetUseGeneratedVocabulary(true);
  context.SetExternalVocabularyURI(L"urn:vocabulary");
  context.SetEncoding(0, Alphabet(2));
  context.SetEncoding(28, Algorithm(10));
  EXPECT_EQ(context.GetAttributeMaxAddLength(), 0u);
  EXPECT_EQ(context.GetElementMaxAddLength(), 4000000000u);
  EXPECT_TRUE(context.GetUseGeneratedVocabulary());
  EXPECT_EQ(context.GetExternalVocabularyURI(), L"urn:vocabulary");
  EXPECT_EQ(context.GetEncoding(0), Alphabet(2));
  EXPECT_EQ(context.GetEncoding(28), Algorithm(10));
  for (uint32_t type = 1; type < 28; ++type) EXPECT_EQ(context.GetEncoding(type), kDefault);
}

TEST(FastInfosetContext, ItemTypesOutsideTheTableHaveNoSlot) {
  CFastInfosetContext context;
  context.SetEncoding(29, Algorithm(1));
  context.SetEncoding(0xFFFFFFFFu, Algorithm(1));
  EXPECT_EQ(context.GetEncoding(29), kDefault);
  EXPECT_EQ(context.GetEncoding(0xFFFFFFFFu), kDefault);
  for (uint32_t type = 0; type < kItemTypes; ++type) EXPECT_EQ(context.GetEncoding(type), kDefault);
}

TEST(FastInfosetContext, SuggestedValues) {
  const Encoding expected[kItemTypes] = {
      Alphabet(2),   // 0 none: a custom value, left alone
      Algorithm(1),  // 1 hexBinary
      Algorithm(2),  // 2 base64Binary
      Algorithm(3),  // 3 byte
      Algorithm(3),  // 4 short
      Algorithm(4),  // 5 int
      Algorithm(5),  // 6 long
      Algorithm(3),  // 7 unsignedByte
      Algorithm(4),  // 8 unsignedShort
      Algorithm(5),  // 9 unsignedInt
      Algorithm(5),  // 10 unsignedLong
      Algorithm(7),  // 11 float
      Algorithm(8),  // 12 double
      kDefault,      // 13 duration: reset from a custom value
      Alphabet(2),   // 14 gYearMonth
      Alphabet(2),   // 15 gMonthDay
      Alphabet(2),   // 16 gYear
      Alphabet(2),   // 17 gMonth
      Alphabet(2),   // 18 gDay
      Alphabet(2),   // 19 date
      Alphabet(2),   // 20 dateTime
      Alphabet(2),   // 21 time
      kDefault,      // 22
      Algorithm(9),  // 23: a custom value, left alone
      Algorithm(6),  // 24 boolean
      Alphabet(1),   // 25 decimal
      Alphabet(1),   // 26 integer
      kDefault,      // 27
      kDefault,      // 28
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
