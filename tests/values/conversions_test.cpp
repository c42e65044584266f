// SPDX-License-Identifier: MIT
// Reading every kind is in tests/data/values/conversions.txt; these are the
// writers that take a format, the whitespace rule each kind applies by default,
// and the whitespace rules themselves.
#include <korvel/conversions.h>
#include <korvel/whitespace_utils.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>

#include "test_support.h"
#include "values/whitespace_rules.h"

using namespace Korvel;
using Rule = CWhitespaceUtils::WhitespaceRule;

TEST(Conversions, DecimalToStringTakesItsPlacesFromTheFormat) {
  const CDecimal price(L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price), L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price, L""), L"148.955");
  EXPECT_EQ(CConversions::decimalToString(price, L"2"), L"148.96");
  EXPECT_EQ(CConversions::decimalToString(price, L" +4 places"), L"148.9550");
  EXPECT_EQ(CConversions::decimalToString(price, L"places"), L"149.");
  EXPECT_THROW(CConversions::decimalToString(price, L"-1"), CKvInvalidParamException);
  EXPECT_THROW(CConversions::decimalToString(price, L"99999999999"), CKvInvalidParamException);
  EXPECT_EQ(CConversions::booleanToString(false), L"false");
  EXPECT_EQ(CConversions::charToString(L'\0'), L"");
}

// Without a rule each kind applies its own: collapse, but for the string kinds,
// which keep their spaces and only normalise line ends.
TEST(ConversionDefaults, EachKindAppliesItsOwnWhitespaceRule) {
  using C = CConversions;
  EXPECT_EQ(C::i4FromString(L"\t-42 \r\n"), -42);
  EXPECT_EQ(C::r8FromString(L"\n1.5e3 "), 1500.0);
  EXPECT_TRUE(C::booleanFromString(L"  true\n"));
  EXPECT_EQ(C::decimalFromString(L" 12.50\t").ToString(2), L"12.50");
  EXPECT_EQ(C::integerFromString(L"\n-12345678901234567890 ").ToString(), L"-12345678901234567890");
  EXPECT_EQ(C::datetimeFromString(L" 2004-05-07T10:20:30Z\n").ToString(), L"2004-05-07T10:20:30Z");
  EXPECT_EQ(C::durationFromString(L" P1D ").ToString(), L"P1D");
  EXPECT_EQ(Korvel::testing::BytesOf(C::base64BinaryFromString(L" AQID\n")), "\x01\x02\x03");
  EXPECT_EQ(C::stringFromString(L" a\r\nb\t "), L" a\nb\t ");
  EXPECT_EQ(C::charFromString(L" "), L' ');
  // An explicit rule still wins.
  EXPECT_THROW(C::i4FromString(L"42 ", CWhitespaceUtils::ws_none), CKvInvalidValueException);
}

TEST(WhitespaceUtils, IsWhiteSpaceIsExactlyTheFourXmlCharacters) {
  for (wchar_t c = 0; c < 0x3100; ++c) {
    bool expected = c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20;
    EXPECT_EQ(CWhitespaceUtils::IsWhiteSpace(c), expected) << static_cast<int>(c);
  }
  EXPECT_FALSE(CWhitespaceUtils::IsWhiteSpace(L'\xFEFF'));
}

// The rules on typical texts are rows of tests/data/values/conversions.txt.
TEST(WhitespaceUtils, UnknownRules) {
  for (int rule : {-1, 4, 1000}) {
    KORVEL_EXPECT_THROW_MESSAGE(CWhitespaceUtils::ApplyRule(static_cast<Rule>(rule), L"x"),
                                CKvException, L"Unknown WhitespaceRule");
  }
}

TEST(WhitespaceUtils, PreserveOverALengthStopsThere) {
  const wchar_t text[] = L"a\r\nb\rc";
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 2), L"a\n");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 6), L"a\nb\nc");
  // An embedded U+0000 is a character like any other within the length.
  const wchar_t withNul[] = L"a\0\rb";
  EXPECT_EQ(CWhitespaceUtils::Preserve(withNul, 4), std::wstring(L"a\0\nb", 4));
  EXPECT_EQ(CWhitespaceUtils::Preserve(nullptr, 5), L"");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 0), L"");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, -1), L"");
}

namespace {

constexpr auto kNone = CWhitespaceUtils::ws_none;

uint64_t Bits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The C library, which the tests run in the C locale: a value when the whole
// text is one number.
bool ReferenceParse(const std::wstring& text, double& value) {
  wchar_t* end = nullptr;
  value = std::wcstod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size();
}

std::wstring ReferencePrint(double value, const wchar_t* format) {
  wchar_t buffer[512];
  std::swprintf(buffer, 512, format, value);
  return buffer;
}

}  // namespace

// Random number-like texts: the whole-text reading must match wcstod bit for bit.
TEST(RealConversions, AgreeWithWcstodOnRandomTexts) {
  std::mt19937 random(7);
  const wchar_t alphabet[] = L"0123456789012345678901234567890123456789..eE+-xXpPaAfFnNiI \t";
  const size_t size = std::wcslen(alphabet);
  for (int round = 0; round < 20000; ++round) {
    std::wstring text;
    for (size_t n = 1 + random() % 14; n > 0; --n) text += alphabet[random() % size];
    double expected = 0;
    if (ReferenceParse(text, expected)) {
      const double value = CConversions::r8FromString(text, kNone);
      ASSERT_TRUE(std::isnan(expected) ? std::isnan(value) : Bits(value) == Bits(expected))
          << ::testing::PrintToString(text) << " gives " << value << ", not " << expected;
    } else {
      ASSERT_THROW(CConversions::r8FromString(text, kNone), CKvInvalidValueException)
          << ::testing::PrintToString(text);
    }
  }
}

// The default text reads back exactly and is no longer than the shortest
// "%.<n>g" text that does.
template <class Real>
void ExpectShortestRoundTrip(Real value,
                             Real (*parse)(const std::wstring&, CWhitespaceUtils::WhitespaceRule),
                             const std::wstring& text) {
  ASSERT_EQ(parse(text, kNone), value) << text;
  for (int precision = 1; precision <= 17; ++precision) {
    wchar_t format[16];
    std::swprintf(format, 16, L"%%.%dg", precision);
    const std::wstring printed = ReferencePrint(value, format);
    if (parse(printed, kNone) != value) continue;
    ASSERT_LE(text.size(), printed.size()) << text << " " << printed;
    return;
  }
}

// The default forms of chosen values are rows of tests/data/values/reals.txt.
TEST(RealConversions, DefaultFormsAreShortestRoundTrips) {
  std::mt19937_64 random(11);
  for (int round = 0; round < 5000; ++round) {
    uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    ExpectShortestRoundTrip(value, &CConversions::r8FromString, CConversions::r8ToString(value));
    float narrow;
    uint32_t narrowBits = static_cast<uint32_t>(bits >> 32);
    std::memcpy(&narrow, &narrowBits, sizeof narrow);
    if (!std::isfinite(narrow)) continue;
    ExpectShortestRoundTrip(narrow, &CConversions::r4FromString, CConversions::r4ToString(narrow));
  }
}

TEST(RealConversions, CallerFormats) {
  // Longer than any fixed buffer: the whole text comes back.
  std::wstring wide = CConversions::r8ToString(1e300, L"%.100f");
  EXPECT_EQ(wide.size(), 301u + 1 + 100);
  EXPECT_EQ(wide, ReferencePrint(1e300, L"%.100f"));
}
