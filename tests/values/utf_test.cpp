// SPDX-License-Identifier: MIT
#include "values/utf.h"

#include <gtest/gtest.h>

#include <string>

#include "values/binary_record.h"

using namespace Korvel;
using namespace Korvel::detail;

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
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
