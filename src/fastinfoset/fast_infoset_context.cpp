// SPDX-License-Identifier: MIT
// CFastInfosetContext: Fast Infoset options with their defaults and suggested encodings.
#include <korvel/fast_infoset_context.h>

#include <utility>

namespace Korvel {

namespace {

using Encoding = CFastInfosetContext::EncodedCharacterString;

constexpr Encoding Algorithm(uint32_t index) { return {Encoding::KIND_ENCODING_ALGORITHM, index}; }
constexpr Encoding Alphabet(uint32_t index) { return {Encoding::KIND_RESTRICTED_ALPHABET, index}; }

// Built-in encoding algorithms and restricted alphabets (ITU-T Rec. X.891, 8.2 and 10).
constexpr Encoding kHexadecimal = Algorithm(1);
constexpr Encoding kBase64 = Algorithm(2);
constexpr Encoding kShort = Algorithm(3);
constexpr Encoding kInt = Algorithm(4);
constexpr Encoding kLong = Algorithm(5);
constexpr Encoding kBoolean = Algorithm(6);
constexpr Encoding kFloat = Algorithm(7);
constexpr Encoding kDouble = Algorithm(8);
constexpr Encoding kNumericAlphabet = Alphabet(1);
constexpr Encoding kDateAndTimeAlphabet = Alphabet(2);
constexpr Encoding kDefaultEncoding{};

struct Suggestion {
  uint32_t itemType;
  Encoding encoding;
};

const Suggestion kSuggestions[] = {
    {1, kHexadecimal},           // hexBinary
    {2, kBase64},                // base64Binary
    {3, kShort},                 // byte
    {4, kShort},                 // short
    {7, kShort},                 // unsignedByte
    {5, kInt},                   // int
    {8, kInt},                   // unsignedShort
    {6, kLong},                  // long
    {9, kLong},                  // unsignedInt
    {10, kLong},                 // unsignedLong
    {11, kFloat},                // float
    {12, kDouble},               // double
    {13, kDefaultEncoding},      // duration
    {14, kDateAndTimeAlphabet},  // gYearMonth
    {15, kDateAndTimeAlphabet},  // gMonthDay
    {16, kDateAndTimeAlphabet},  // gYear
    {17, kDateAndTimeAlphabet},  // gMonth
    {18, kDateAndTimeAlphabet},  // gDay
    {19, kDateAndTimeAlphabet},  // date
    {20, kDateAndTimeAlphabet},  // dateTime
    {21, kDateAndTimeAlphabet},  // time
    {24, kBoolean},              // boolean
    {25, kNumericAlphabet},      // decimal
    {26, kNumericAlphabet},      // integer
};

}  // namespace

CFastInfosetContext::CFastInfosetContext() = default;
CFastInfosetContext::CFastInfosetContext(const CFastInfosetContext& other) = default;
CFastInfosetContext::CFastInfosetContext(CFastInfosetContext&& other) noexcept = default;
CFastInfosetContext& CFastInfosetContext::operator=(const CFastInfosetContext& other) = default;
CFastInfosetContext& CFastInfosetContext::operator=(CFastInfosetContext&& other) noexcept = default;
CFastInfosetContext::~CFastInfosetContext() = default;

void CFastInfosetContext::SetAttributeMaxAddLength(uint32_t length) {
  m_attributeMaxAddLength = length;
}

void CFastInfosetContext::SetElementMaxAddLength(uint32_t length) {
  m_elementMaxAddLength = length;
}

void CFastInfosetContext::SetEncoding(uint32_t itemType, EncodedCharacterString encoding) {
  if (itemType < kItemTypeCount) m_encodings[itemType] = encoding;
}

bool CFastInfosetContext::GetUseGeneratedVocabulary() const { return m_useGeneratedVocabulary; }
void CFastInfosetContext::SetUseGeneratedVocabulary(bool use) { m_useGeneratedVocabulary = use; }

CFIVocabulary* CFastInfosetContext::GetVocabulary() { return &m_vocabulary; }
const CFIVocabulary* CFastInfosetContext::GetVocabulary() const { return &m_vocabulary; }

std::wstring CFastInfosetContext::GetExternalVocabularyURI() const {
  return m_externalVocabularyURI;
}
void CFastInfosetContext::SetExternalVocabularyURI(std::wstring uri) {
  m_externalVocabularyURI = std::move(uri);
}

void CFastInfosetContext::SetSuggestedValues() {
  for (const Suggestion& suggestion : kSuggestions)
    m_encodings[suggestion.itemType] = suggestion.encoding;
}

}  // namespace Korvel
