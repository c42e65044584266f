// SPDX-License-Identifier: MIT
#include <korvel/text_stream.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "xml/text_encoder.h"

using namespace Korvel;

namespace {

constexpr size_t kChunk = CStringBuffer::CHUNK_SIZE;

std::string Bytes(const CBinaryData& data) {
  return std::string(reinterpret_cast<const char*>(data.GetData()), data.GetLength());
}

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

TEST(StringBuffer, ClearKeepsOneChunkOfRoom) {
  CStringBuffer buffer;
  EXPECT_EQ(buffer.GetAllText(), L"");
  buffer.Append(Pattern(2 * kChunk));
  buffer.Clear();
  EXPECT_EQ(buffer.GetLength(), 0u);
  EXPECT_EQ(buffer.GetAllText(), L"");
  buffer.Append(L"abc");
  EXPECT_EQ(buffer.GetAllText(), L"abc");
  buffer.Clear();
  buffer.Append(L"de");
  buffer.Append(std::wstring_view());
  EXPECT_EQ(buffer.GetLength(), 2u);
  EXPECT_EQ(buffer.GetAllText(), L"de");
}

TEST(TextStream, GetBytesEncodesEveryChunk) {
  const std::wstring text = Pattern(kChunk - 2) + L"\u00e9\u4e2d\U0001F600" + Pattern(100);
  struct Row {
    XmlEncoding encoding;
    std::string expected;
  };
  std::string utf8;
  for (size_t i = 0; i < kChunk - 2; ++i) utf8 += static_cast<char>('a' + i % 26);
  utf8 += "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
  for (size_t i = 0; i < 100; ++i) utf8 += static_cast<char>('a' + i % 26);
  std::string utf16;
  for (char c : utf8.substr(0, kChunk - 2)) utf16 += std::string{c, '\0'};
  utf16 += std::string("\xE9\x00\x2D\x4E\x3D\xD8\x00\xDE", 8);
  for (size_t i = 0; i < 100; ++i) utf16 += std::string{static_cast<char>('a' + i % 26), '\0'};
  const Row rows[] = {
      {XmlEncoding_UTF8, utf8}, {XmlEncoding_UTF16, utf16}, {XmlEncoding_UTF16Undeclared, utf16}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.encoding);
    CTextStream stream(row.encoding);
    stream.GetBuffer().Append(text);
    ASSERT_EQ(stream.GetBuffer().GetChunkCount(), 2u);
    EXPECT_EQ(Bytes(stream.GetBytes()), row.expected);
    EXPECT_EQ(stream.GetAllText(), text);
    // Joined or not, the bytes are the same.
    EXPECT_EQ(Bytes(stream.GetBytes()), row.expected);
  }
}

TEST(TextStream, NoEncodingHasNoBytes) {
  for (int encoding : {0, 4, -1}) {
    SCOPED_TRACE(encoding);
    CTextStream stream(static_cast<XmlEncoding>(encoding));
    stream.GetBuffer().Append(L"abc");
    KORVEL_EXPECT_THROW_MESSAGE(stream.GetBytes(), CKvException,
                                L"Unknown Encoding, select UTF-8 (contact our support team)");
    EXPECT_EQ(stream.GetAllText(), L"abc");
  }
  CTextStream empty(XmlEncoding_UTF8);
  EXPECT_EQ(empty.GetBytes().GetLength(), 0u);
}

TEST(TextStream, OpenClearsCloseAndFlushKeep) {
  CTextStream stream(XmlEncoding_UTF8);
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
  struct Row {
    const char* name;
    std::wstring text;
    std::string utf8;
    std::string utf16;
  };
  const std::string pad8(kChunk - 1, 'a');
  std::string pad16;
  for (size_t i = 0; i < kChunk - 1; ++i) pad16 += std::string("a\0", 2);
  const std::string emoji8 = "\xF0\x9F\x98\x80";
  const std::string emoji16("\x3D\xD8\x00\xDE", 4);
  const std::string fffd8 = "\xEF\xBF\xBD";
  const std::string fffd16 = "\xFD\xFF";
  const Row rows[] = {
      {"pair inside a chunk", {L'x', high, low}, "x" + emoji8, std::string("x\0", 2) + emoji16},
      {"pair split by the chunk boundary", std::wstring(kChunk - 1, L'a') + high + low,
       pad8 + emoji8, pad16 + emoji16},
      {"lone high at the end", {L'x', high}, "x" + fffd8, std::string("x\0", 2) + fffd16},
      {"lone high at a chunk end", std::wstring(kChunk - 1, L'a') + high + L'b', pad8 + fffd8 + "b",
       pad16 + fffd16 + std::string("b\0", 2)},
      {"lone low", {low, L'y'}, fffd8 + "y", fffd16 + std::string("y\0", 2)},
      {"reversed pair", {low, high}, fffd8 + fffd8, fffd16 + fffd16},
      {"beyond U+10FFFF", {static_cast<wchar_t>(0x110000)}, fffd8, fffd16},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CStringBuffer buffer;
    buffer.Append(row.text);
    EXPECT_EQ(Bytes(detail::EncodeText(buffer, XmlEncoding_UTF8)), row.utf8);
    EXPECT_EQ(Bytes(detail::EncodeText(buffer, XmlEncoding_UTF16)), row.utf16);
  }
}

TEST(TextEncoder, HighSurrogateWaitsForTheNextPiece) {
  const wchar_t high = static_cast<wchar_t>(0xD83D);
  const wchar_t low = static_cast<wchar_t>(0xDE00);
  CStringBuffer first;
  first.Append(L'a');
  first.Append(high);
  wchar_t held = 0;
  EXPECT_EQ(Bytes(detail::EncodeText(first, XmlEncoding_UTF8, 0, &held)), "a");
  EXPECT_EQ(held, high);

  CStringBuffer second;
  second.Append(low);
  second.Append(L'b');
  wchar_t heldAgain = 1;
  EXPECT_EQ(Bytes(detail::EncodeText(second, XmlEncoding_UTF8, held, &heldAgain)),
            "\xF0\x9F\x98\x80"
            "b");
  EXPECT_EQ(heldAgain, 0);

  // Held with nothing to pair it, at the end of the output, it is replaced.
  CStringBuffer empty;
  EXPECT_EQ(Bytes(detail::EncodeText(empty, XmlEncoding_UTF16, high)), "\xFD\xFF");
  CStringBuffer other;
  other.Append(L'c');
  EXPECT_EQ(Bytes(detail::EncodeText(other, XmlEncoding_UTF8, high)),
            "\xEF\xBF\xBD"
            "c");
}

}  // namespace
