// SPDX-License-Identifier: MIT
#include <korvel/conversions.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>

#include "test_support.h"

using namespace Korvel;

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
