// SPDX-License-Identifier: MIT
#include <korvel/conversions.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <limits>
#include <random>
#include <string>

#include "test_support.h"

using namespace Korvel;

namespace {

constexpr auto kNone = CWhitespaceUtils::ws_none;
constexpr double kInf = std::numeric_limits<double>::infinity();

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

TEST(RealConversions, R4NarrowsTheDouble) {
  const float fmax = std::numeric_limits<float>::max();
  EXPECT_EQ(CConversions::r4FromString(L"3.4028234663852886e38", kNone), fmax);
  // Just under halfway to 2^128 still rounds to the largest float; halfway is infinite.
  EXPECT_EQ(CConversions::r4FromString(L"0x1.fffffefffffffp127", kNone), fmax);
  EXPECT_EQ(CConversions::r4FromString(L"0x1.ffffffp127", kNone),
            std::numeric_limits<float>::infinity());
  EXPECT_EQ(CConversions::r4FromString(L"-1e39", kNone), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(CConversions::r4FromString(L"1e-50", kNone), 0.0f);
  EXPECT_EQ(CConversions::r4FromString(L"0.1", kNone), 0.1f);
  EXPECT_TRUE(std::isnan(CConversions::r4FromString(L"NaN", kNone)));
}

// Finite values at large are the round-trip test's below.
TEST(RealConversions, DefaultTextForms) {
  EXPECT_EQ(CConversions::r4ToString(1.0f), L"1");
  EXPECT_EQ(CConversions::r4ToString(0.1f), L"0.1");
  EXPECT_EQ(CConversions::r4ToString(16777217.0f), L"16777216");
  EXPECT_EQ(CConversions::r4ToString(3e-10f), L"3e-10");
  EXPECT_EQ(CConversions::r4ToString(std::nanf("")), L"NaN");
  EXPECT_EQ(CConversions::r4ToString(-std::numeric_limits<float>::infinity()), L"-INF");
  EXPECT_EQ(CConversions::r8ToString(0.1), L"0.1");
  EXPECT_EQ(CConversions::r8ToString(0.1 + 0.2), L"0.30000000000000004");
  EXPECT_EQ(CConversions::r8ToString(1e22), L"1e+22");
  EXPECT_EQ(CConversions::r8ToString(-0.0), L"-0");
  EXPECT_EQ(CConversions::r8ToString(kInf), L"INF");
  EXPECT_EQ(CConversions::r8ToString(-kInf), L"-INF");
  EXPECT_EQ(CConversions::r8ToString(-std::nan("")), L"NaN");
  // Our own output reads back as the same special values.
  EXPECT_EQ(CConversions::r8FromString(CConversions::r8ToString(-kInf), kNone), -kInf);
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
