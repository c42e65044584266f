// SPDX-License-Identifier: MIT
#include <korvel/errors.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

using namespace Korvel;

namespace {

TEST(FormatString, WideAndNarrowStrings) {
  EXPECT_EQ(FormatString(L"[%s]", L"wide"), L"[wide]");
  EXPECT_EQ(FormatString(L"[%ls]", L"wide"), L"[wide]");
  EXPECT_EQ(FormatString(L"[%S]", "narrow"), L"[narrow]");
  EXPECT_EQ(FormatString(L"[%hs]", "narrow"), L"[narrow]");
  EXPECT_EQ(FormatString(L"%s and %S", L"w", "n"), L"w and n");
  // Narrow text is UTF-8; a stray byte stands for itself rather than vanishing.
  EXPECT_EQ(FormatString(L"%S", "caf\xC3\xA9 \xE2\x82\xAC"), L"caf\u00e9 \u20ac");
  EXPECT_EQ(FormatString(L"%S",
                         "a\xFF"
                         "b"),
            L"a\u00ffb");
  EXPECT_EQ(FormatString(L"%s", L"\U0001F600"), L"\U0001F600");
}

TEST(FormatString, NullStringsPrintNull) {
  EXPECT_EQ(FormatString(L"[%s]", static_cast<const wchar_t*>(nullptr)), L"[(null)]");
  EXPECT_EQ(FormatString(L"[%S]", static_cast<const char*>(nullptr)), L"[(null)]");
  EXPECT_EQ(FormatString(L"[%8s]", static_cast<const wchar_t*>(nullptr)), L"[  (null)]");
  EXPECT_EQ(FormatString(nullptr), L"");
}

TEST(FormatString, LongArgumentsAreNeverCut) {
  std::wstring big(10000, L'x');
  EXPECT_EQ(FormatString(L"%s", big.c_str()), big);
  std::string narrow(100000, 'n');
  EXPECT_EQ(FormatString(L"<%S>", narrow.c_str()).size(), narrow.size() + 2);
  std::wstring huge(1 << 20, L'y');
  std::wstring result = FormatString(L"%s|%s", huge.c_str(), huge.c_str());
  EXPECT_EQ(result.size(), 2 * huge.size() + 1);
  EXPECT_EQ(FormatString(L"%300d", 7).size(), 300u);
  // The widest double in fixed notation has 309 integral digits.
  EXPECT_EQ(FormatString(L"%.2f", 1.7976931348623157e308).size(), 309u + 3u);
  EXPECT_EQ(FormatString(L"%.500f", 1.0).size(), 502u);
}

struct NumberCase {
  const wchar_t* format;
  int64_t value;
  const wchar_t* expected;
};

TEST(FormatString, IntegerConversions) {
  const NumberCase cases[] = {
      {L"%d", -42, L"-42"},
      {L"%u", 4294967295LL, L"4294967295"},
      {L"%x", 255, L"ff"},
      {L"%X", 255, L"FF"},
      {L"%08X", 0xBEEF, L"0000BEEF"},
      {L"[0x%08x]", 2, L"[0x00000002]"},
      {L"%5d|", 42, L"   42|"},
      {L"%-5d|", 42, L"42   |"},
      {L"%+d", 5, L"+5"},
      {L"%02u", 5, L"05"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.format)));
    EXPECT_EQ(FormatString(c.format, static_cast<int32_t>(c.value)), c.expected);
  }
}

TEST(FormatString, SixtyFourBitAndLongPrefixes) {
  EXPECT_EQ(FormatString(L"%I64d", INT64_MIN), L"-9223372036854775808");
  EXPECT_EQ(FormatString(L"%I64u", UINT64_MAX), L"18446744073709551615");
  EXPECT_EQ(FormatString(L"%lld", int64_t{1} << 40), L"1099511627776");
  EXPECT_EQ(FormatString(L"%I64X", uint64_t{0xFFFFFFFFFULL}), L"FFFFFFFFF");
  // long is 32 bits in these formats: the argument is read as 32 bits.
  EXPECT_EQ(FormatString(L"%ld %lu", int32_t{-7}, uint32_t{4000000000u}), L"-7 4000000000");
  // Mixed sizes keep the argument list aligned.
  EXPECT_EQ(FormatString(L"%d %I64d %s %d", 1, int64_t{2}, L"three", 4), L"1 2 three 4");
}

TEST(FormatString, CharactersFloatsAndPercent) {
  EXPECT_EQ(FormatString(L"%c", L'\u00e9'), L"\u00e9");
  EXPECT_EQ(FormatString(L"%lc%C", L'a', 'b'), L"ab");
  EXPECT_EQ(FormatString(L"%3c|", L'z'), L"  z|");
  EXPECT_EQ(FormatString(L"%.7g", 0.1f), L"0.1");
  EXPECT_EQ(FormatString(L"%.17g", 0.1), L"0.10000000000000001");
  EXPECT_EQ(FormatString(L"%e", 1.5), L"1.500000e+00");
  EXPECT_EQ(FormatString(L"%*.*f", 8, 2, 3.14159), L"    3.14");
  EXPECT_EQ(FormatString(L"100%%"), L"100%");
  EXPECT_EQ(FormatString(L"%.3s", L"abcdef"), L"abc");
  EXPECT_EQ(FormatString(L"%-6s|", L"ab"), L"ab    |");
}

TEST(FormatString, MalformedFormatsDoNotConsumeOrCrash) {
  EXPECT_EQ(FormatString(L"trailing %"), L"trailing %");
  EXPECT_EQ(FormatString(L"%k then %d", 3), L"%k then 3");
  // %n would write through an argument; it is text like any unknown conversion.
  int written = -1;
  EXPECT_EQ(FormatString(L"ab%n", &written), L"ab%n");
  EXPECT_EQ(written, -1);
}

// Numbers go into XML, so a locale with a decimal comma must not reach them.
TEST(FormatString, IgnoresTheApplicationsLocale) {
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
      << "the de_DE.UTF-8 locale is missing: make deps generates it";
  const std::wstring fixed = FormatString(L"%.2f %e %g", 3.5, 1.25, 0.5);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(fixed, L"3.50 1.250000e+00 0.5");
}

}  // namespace
