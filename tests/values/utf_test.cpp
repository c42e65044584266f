// SPDX-License-Identifier: MIT
#include "values/utf.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "values/binary_record.h"

using namespace Korvel;
using namespace Korvel::detail;

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

// Text long enough for the sixteen-character runs, with s placed at offset.
std::wstring At(size_t offset, const std::wstring& s) { return std::wstring(offset, L'a') + s; }
std::string At(size_t offset, const std::string& s) { return std::string(offset, 'a') + s; }

TEST(Utf8, ValidTextConvertsBothWays) {
  const std::tuple<const char*, std::wstring, std::string> cases[] = {
      {"empty", L"", ""},
      {"ascii", L"<a b=\"c\">text</a>", "<a b=\"c\">text</a>"},
      {"two bytes", L"\u00e9\u07ff", Bytes({0xC3, 0xA9, 0xDF, 0xBF})},
      {"three bytes", L"\u0800\u20ac\uffff",
       Bytes({0xE0, 0xA0, 0x80, 0xE2, 0x82, 0xAC, 0xEF, 0xBF, 0xBF})},
      {"four bytes", L"\U00010000\U0010FFFF",
       Bytes({0xF0, 0x90, 0x80, 0x80, 0xF4, 0x8F, 0xBF, 0xBF})},
      {"nul", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
      {"byte-order mark", L"\ufeffx", Bytes({0xEF, 0xBB, 0xBF, 'x'})},
  };
  for (const auto& [name, wideText, utf8Text] : cases) {
    // Each sequence also at the edges of the vectorised runs.
    for (size_t offset : {0, 1, 15, 16, 17, 31, 33}) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(offset));
      const std::wstring wide = At(offset, wideText);
      const std::string utf8 = At(offset, utf8Text);
      EXPECT_EQ(WideToUtf8(wide), utf8);
      EXPECT_EQ(Utf8ToWide(utf8), wide);
      CBinaryData data = WideToUtf8Data(wide);
      EXPECT_EQ(std::string(ByteView(data)), utf8);
      EXPECT_EQ(BinaryDataAccess::Capacity(data), utf8.size()) << "conversion results are exact";
    }
  }
  EXPECT_EQ(WideToUtf8(L"x\xD83D\xDE00y"), Bytes({'x', 0xF0, 0x9F, 0x98, 0x80, 'y'}))
      << "a surrogate pair in wide text is one code point";
}

// Long non-ASCII text is encoded in steps; pairs and malformed characters at
// every position around a step's end.
TEST(Utf8, LongTextAcrossConversionSteps) {
  for (size_t at = 16379; at < 16388; ++at) {
    SCOPED_TRACE(at);
    std::wstring text = L"\u00e9" + std::wstring(at - 1, L'a') + L"\xD83D\xDE00\u4e2d";
    std::string expected = Bytes({0xC3, 0xA9}) + std::string(at - 1, 'a') +
                           Bytes({0xF0, 0x9F, 0x98, 0x80, 0xE4, 0xB8, 0xAD});
    EXPECT_EQ(WideToUtf8(text), expected);
    EXPECT_EQ(std::string(ByteView(WideToUtf8Data(text))), expected);
    EXPECT_EQ(Utf8ToWide(expected), text.substr(0, at) + L"\U0001F600\u4e2d");
    text[at] = L'\xDC00';
    EXPECT_EQ(WideToUtf8(text), "");
  }
}

TEST(Utf8, MalformedWideTextGivesNothing) {
  const std::pair<const char*, std::wstring> cases[] = {
      {"lone high surrogate", L"ab\xD800"},
      {"lone high before text", L"\xD800x"},
      {"lone low surrogate", L"\xDC00"},
      {"two high surrogates", L"\xD800\xD800"},
      {"reversed pair", L"\xDC00\xD800"},
      {"beyond U+10FFFF", std::wstring(1, static_cast<wchar_t>(0x110000))},
      {"negative", std::wstring(1, static_cast<wchar_t>(-1))},
  };
  for (const auto& [name, text] : cases) {
    for (size_t offset : {0, 16, 40}) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(offset));
      const std::wstring wide = At(offset, text) + L"\u00e9tail";
      EXPECT_EQ(WideToUtf8(wide), "");
      EXPECT_EQ(WideToUtf8Data(wide).GetData(), nullptr);
      std::string out = "kept";
      EXPECT_FALSE(WideToUtf8(wide, out));
      EXPECT_EQ(out, "kept");
      CBinaryData data(reinterpret_cast<const unsigned char*>("kept"), 4);
      EXPECT_FALSE(WideToUtf8(wide, data));
      EXPECT_EQ(std::string(ByteView(data)), "kept");
    }
  }
}

TEST(Utf8, MalformedBytesGiveNothing) {
  const std::pair<const char*, std::string> cases[] = {
      {"stray continuation", Bytes({0x80})},
      {"overlong two bytes", Bytes({0xC0, 0xAF})},
      {"overlong C1", Bytes({0xC1, 0xBF})},
      {"overlong three bytes", Bytes({0xE0, 0x80, 0xAF})},
      {"overlong four bytes", Bytes({0xF0, 0x8F, 0xBF, 0xBF})},
      {"surrogate", Bytes({0xED, 0xA0, 0x80})},
      {"beyond U+10FFFF", Bytes({0xF4, 0x90, 0x80, 0x80})},
      {"F5 lead", Bytes({0xF5, 0x80, 0x80, 0x80})},
      {"FF", Bytes({0xFF})},
      {"truncated two", Bytes({0xC3})},
      {"truncated three", Bytes({0xE2, 0x82})},
      {"truncated four", Bytes({0xF0, 0x9F, 0x98})},
      {"bad continuation", Bytes({0xE2, 0x28, 0xA1})},
      {"ASCII where continuation due", Bytes({0xC3, 'a'})},
  };
  for (const auto& [name, bytes] : cases) {
    for (size_t offset : {0, 16, 40}) {
      SCOPED_TRACE(std::string(name) + " at " + std::to_string(offset));
      EXPECT_EQ(Utf8ToWide(At(offset, bytes)), L"");
      EXPECT_EQ(Utf8ToWide(At(offset, bytes) + "tail"), L"");
      std::wstring out = L"kept";
      EXPECT_FALSE(Utf8ToWide(At(offset, bytes), out));
      EXPECT_EQ(out, L"kept");
    }
  }
}

TEST(Utf8, AppendingFormsAddToWhatIsThere) {
  std::string narrow = "<";
  ASSERT_TRUE(WideToUtf8(L"\u00e9", narrow));
  ASSERT_TRUE(WideToUtf8(L"", narrow));
  EXPECT_EQ(narrow, Bytes({'<', 0xC3, 0xA9}));
  std::wstring wide = L"<";
  ASSERT_TRUE(Utf8ToWide(Bytes({0xC3, 0xA9}), wide));
  EXPECT_EQ(wide, L"<\u00e9");

  CBinaryData data;
  ASSERT_TRUE(WideToUtf8(L"", data));
  EXPECT_EQ(data.GetData(), nullptr) << "no record of length 0";
  ASSERT_TRUE(WideToUtf8(L"ab", data));
  const CBinaryData shared = data;
  ASSERT_TRUE(WideToUtf8(L"\u20ac", data));
  EXPECT_EQ(std::string(ByteView(data)), Bytes({'a', 'b', 0xE2, 0x82, 0xAC}));
  EXPECT_EQ(std::string(ByteView(shared)), "ab") << "appending separated the shared copy";
}

TEST(Utf16Le, ValidTextConvertsBothWaysAndMalformedInputGivesNothing) {
  const std::wstring wide = L"A\u00e9\u20ac\U0001F600";
  const std::string bytes = Bytes({0x41, 0, 0xE9, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE});
  EXPECT_EQ(WideToUtf16Le(wide), bytes);
  EXPECT_EQ(Utf16LeToWide(bytes), wide);
  EXPECT_EQ(WideToUtf16Le(L"\xD83D\xDE00"), Bytes({0x3D, 0xD8, 0x00, 0xDE}))
      << "a pair in wide text passes as it is";
  CBinaryData data;
  ASSERT_TRUE(WideToUtf16Le(wide, data));
  EXPECT_EQ(std::string(ByteView(data)), bytes);

  for (const std::wstring& bad :
       {std::wstring(L"a\xD800"), std::wstring(L"\xDC00"), std::wstring(L"\xD800\xD800"),
        std::wstring(1, wchar_t(0x110000))}) {
    SCOPED_TRACE(::testing::PrintToString(bad));
    std::string out = "kept";
    EXPECT_FALSE(WideToUtf16Le(bad, out));
    EXPECT_EQ(out, "kept");
    EXPECT_EQ(WideToUtf16Le(bad), "");
  }
  for (const std::string& bad : {Bytes({'a'}), Bytes({'a', 0, 'b'}), Bytes({0x00, 0xD8}),
                                 Bytes({0x00, 0xDC, 0x00, 0xD8}), Bytes({0x00, 0xD8, 'a', 0})}) {
    SCOPED_TRACE(::testing::PrintToString(bad));
    std::wstring out = L"kept";
    EXPECT_FALSE(Utf16LeToWide(bad, out));
    EXPECT_EQ(out, L"kept");
    EXPECT_EQ(Utf16LeToWide(bad), L"");
  }
}

}  // namespace
