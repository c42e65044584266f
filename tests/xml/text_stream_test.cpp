// SPDX-License-Identifier: MIT
#include <korvel/text_stream.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "test_support.h"
#include "values/utf.h"
#include "xml/text_encoder.h"

using namespace Korvel;

namespace {

constexpr size_t kChunk = CStringBuffer::CHUNK_SIZE;

using Korvel::testing::BytesOf;

std::wstring Pattern(size_t n) {
  std::wstring text(n, L'\0');
  for (size_t i = 0; i < n; ++i) text[i] = static_cast<wchar_t>(L'a' + i % 26);
  return text;
}

TEST(StringBuffer, AppendingFillsChunksWithoutMovingWrittenText) {
  CStringBuffer buffer;
  buffer.Append(Pattern(kChunk - 1));
  const wchar_t* first = buffer.GetChunk(0).data();
  buffer.Append(L'#');
  EXPECT_EQ(buffer.GetChunkCount(), 1u);
  buffer.Append(L"xy", 2);
  ASSERT_EQ(buffer.GetChunkCount(), 2u);
  EXPECT_EQ(buffer.GetChunk(0).data(), first);
  EXPECT_EQ(buffer.GetChunk(0).size(), kChunk);
  EXPECT_EQ(buffer.GetChunk(1), L"xy");

  // One large append spreads over as many chunks as it needs.
  const std::wstring big = Pattern(3 * kChunk + 5);
  buffer.Append(big);
  EXPECT_EQ(buffer.GetChunkCount(), 5u);
  EXPECT_EQ(buffer.GetChunk(0).data(), first);
  EXPECT_EQ(buffer.GetLength(), kChunk + 2 + big.size());

  const std::wstring expected = Pattern(kChunk - 1) + L"#xy" + big;
  EXPECT_EQ(buffer.GetAllText(), expected);
  EXPECT_EQ(buffer.GetChunkCount(), 1u);
  EXPECT_EQ(buffer.GetAllText().size(), expected.size());
  // The joined text stays; later text goes into a new chunk after it.
  buffer.Append(L"!");
  EXPECT_EQ(buffer.GetChunkCount(), 2u);
  EXPECT_EQ(buffer.GetAllText(), expected + L"!");
}

TEST(StringBuffer, LargeTextStaysInPlaceAcrossAllocationStrategies) {
  // Past the first chunks, storage comes from large blocks; nothing written
  // moves, whichever way its chunk was allocated.
  CStringBuffer buffer;
  const std::wstring piece = Pattern(1000);
  std::vector<const wchar_t*> starts;
  std::wstring expected;
  for (int i = 0; i < 600; ++i) {
    buffer.Append(piece);
    expected += piece;
    while (starts.size() < buffer.GetChunkCount()) {
      starts.push_back(buffer.GetChunk(starts.size()).data());
    }
  }
  ASSERT_GT(buffer.GetChunkCount(), 140u);
  for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(buffer.GetChunk(i).data(), starts[i]);
  EXPECT_EQ(buffer.GetAllText(), expected);
  buffer.Clear();
  buffer.Append(expected);
  buffer.Append(L'!');
  EXPECT_EQ(buffer.GetLength(), expected.size() + 1);
  EXPECT_EQ(buffer.GetAllText(), expected + L"!");
}

// The strict converters, tested on their own, are the reference here.
TEST(TextStream, GetBytesEncodesEveryChunk) {
  const std::wstring text = Pattern(kChunk - 2) + L"\u00e9\u4e2d\U0001F600" + Pattern(100);
  const std::string utf16 = detail::WideToUtf16Le(text);
  const std::pair<XmlEncoding, std::string> rows[] = {{XmlEncoding_UTF8, detail::WideToUtf8(text)},
                                                      {XmlEncoding_UTF16, utf16},
                                                      {XmlEncoding_UTF16Undeclared, utf16}};
  for (const auto& [encoding, expected] : rows) {
    SCOPED_TRACE(encoding);
    ASSERT_FALSE(expected.empty());
    CTextStream stream(encoding);
    stream.GetBuffer().Append(text);
    ASSERT_EQ(stream.GetBuffer().GetChunkCount(), 2u);
    EXPECT_EQ(BytesOf(stream.GetBytes()), expected);
    EXPECT_EQ(stream.GetAllText(), text);
    // Joined or not, the bytes are the same.
    EXPECT_EQ(BytesOf(stream.GetBytes()), expected);
  }
}

TEST(TextStream, NoEncodingHasNoBytesAndOnlyOpenClears) {
  for (int encoding : {0, 4, -1}) {
    SCOPED_TRACE(encoding);
    CTextStream stream(static_cast<XmlEncoding>(encoding));
    stream.GetBuffer().Append(L"abc");
    KORVEL_EXPECT_THROW_MESSAGE(stream.GetBytes(), CKvException,
                                L"Unknown Encoding, select UTF-8 (contact our support team)");
    EXPECT_EQ(stream.GetAllText(), L"abc");
  }
  CTextStream stream(XmlEncoding_UTF8);
  EXPECT_EQ(stream.GetBytes().GetLength(), 0u);
  stream.GetBuffer().Append(L"abc");
  stream.Flush();
  stream.Close();
  EXPECT_EQ(stream.GetAllText(), L"abc");
  stream.Open();
  EXPECT_EQ(stream.GetAllText(), L"");
}

TEST(TextEncoder, SurrogatePairsJoinAcrossChunksAndLoneOnesAreReplaced) {
  const wchar_t high = static_cast<wchar_t>(0xD83D);
  const wchar_t low = static_cast<wchar_t>(0xDE00);
  const std::wstring pad(kChunk - 1, L'a');
  // What the text becomes: a pair is one character, anything else U+FFFD.
  const std::tuple<const char*, std::wstring, std::wstring> rows[] = {
      {"pair inside a chunk", {L'x', high, low}, L"x\U0001F600"},
      {"pair split by the chunk boundary", pad + high + low, pad + L"\U0001F600"},
      {"lone high at the end", {L'x', high}, L"x\uFFFD"},
      {"lone high at a chunk end", pad + high + L'b', pad + L"\uFFFDb"},
      {"lone low", {low, L'y'}, L"\uFFFDy"},
      {"reversed pair", {low, high}, L"\uFFFD\uFFFD"},
      {"beyond U+10FFFF", {static_cast<wchar_t>(0x110000)}, L"\uFFFD"},
  };
  for (const auto& [name, text, clean] : rows) {
    SCOPED_TRACE(name);
    CStringBuffer buffer;
    buffer.Append(text);
    EXPECT_EQ(BytesOf(detail::EncodeText(buffer, XmlEncoding_UTF8)), detail::WideToUtf8(clean));
    EXPECT_EQ(BytesOf(detail::EncodeText(buffer, XmlEncoding_UTF16)), detail::WideToUtf16Le(clean));
  }
}

}  // namespace
