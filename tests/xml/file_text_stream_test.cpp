// SPDX-License-Identifier: MIT
#include <korvel/text_stream.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <korvel/xml_text_writer.h>

#include "platform/file.h"
#include "test_support.h"
#include "values/utf.h"
#include "xml/output_switches.h"
#include "xml/text_encoder.h"

using namespace Korvel;
using namespace Korvel::detail::platform;
using Korvel::testing::OpenDescriptors;
using Korvel::testing::Threads;

namespace {

// A document of a few chunks with markup, escapes and text beyond ASCII, the
// same on every writer it is written to.
void WriteSample(CXmlTextWriter& writer, int items) {
  writer.WriteXmlDeclaration();
  writer.AddNamespaceAlias(L"po", L"urn:po");
  writer.StartElement(L"orders", L"urn:po");
  for (int i = 0; i < items; ++i) {
    writer.StartElement(L"item", L"urn:po");
    writer.WriteAttribute(L"n", L"", std::to_wstring(i), it_i4);
    writer.StartElement(L"name", L"urn:other");
    writer.WriteText(L"Caf\u00e9 & \u4e2d\U0001F600 <" + std::to_wstring(i) + L">", it_string,
                     false);
    writer.EndElement();
    writer.EndElement();
  }
  writer.EndElement();
}

class FileTextStream : public ::testing::Test {
 protected:
  void TearDown() override { ClearInjectedFileFailures(); }

  const Korvel::testing::TempDir m_temp;
  const std::wstring m_path = m_temp.WidePath("out.xml");
  const int m_descriptors = OpenDescriptors();
  const int m_threads = Threads();
};

TEST_F(FileTextStream, FileHoldsTheByteOrderMarkAndTheSameBytesAsMemory) {
  const std::pair<XmlEncoding, std::string> rows[] = {{XmlEncoding_UTF8, ""},
                                                      {XmlEncoding_UTF16, "\xFF\xFE"},
                                                      {XmlEncoding_UTF16Undeclared, "\xFF\xFE"}};
  for (const auto& [encoding, byteOrderMark] : rows) {
    for (const bool formatted : {true, false}) {
      SCOPED_TRACE(::testing::Message() << encoding << (formatted ? " formatted" : ""));
      CTextStream memory(encoding);
      CXmlTextWriter memoryWriter(memory);
      memoryWriter.SetFormatted(formatted);
      memoryWriter.Open();
      WriteSample(memoryWriter, 4000);
      memoryWriter.Close();
      // Several writes, whatever the encoding.
      ASSERT_GT(memory.GetBuffer().GetLength(), 3 * 65536u);

      CFileTextStream file(m_path, encoding);
      CXmlTextWriter fileWriter(file);
      fileWriter.SetFormatted(formatted);
      fileWriter.Open();
      WriteSample(fileWriter, 4000);
      // Handed to the file while produced: the text never piles up in memory.
      EXPECT_LT(file.GetBuffer().GetLength(), 4096u);
      fileWriter.Close();

      const std::string expected = byteOrderMark + Korvel::testing::BytesOf(memory.GetBytes());
      EXPECT_EQ(m_temp.Read("out.xml"), expected);
      EXPECT_EQ(file.GetBytesWritten(), expected.size());
    }
  }
}

// A high surrogate at the end of a flush waits for the next piece: a pair
// stays one character, anything else (or the end) makes it U+FFFD.
TEST_F(FileTextStream, SurrogateSplitByAFlush) {
  const wchar_t high = static_cast<wchar_t>(0xD83D);
  const std::tuple<XmlEncoding, std::wstring, std::wstring, std::string> rows[] = {
      {XmlEncoding_UTF8, std::wstring(4095, L'a') + high, {static_cast<wchar_t>(0xDE00)},
       std::string(4095, 'a') + "\xF0\x9F\x98\x80"},
      {XmlEncoding_UTF8, {L'a', high}, L"c", "a\xEF\xBF\xBD" "c"},
      {XmlEncoding_UTF8, {high}, L"", "\xEF\xBF\xBD"},
      {XmlEncoding_UTF16, {high}, L"", std::string("\xFF\xFE\xFD\xFF", 4)},
  };
  m_temp.Write("out.xml", std::string(10000, 'x'));  // replaced
  for (const auto& [encoding, before, after, expected] : rows) {
    SCOPED_TRACE(::testing::PrintToString(after));
    CFileTextStream file(m_path, encoding);
    file.Open();
    file.GetBuffer().Append(before);
    file.Flush();
    file.GetBuffer().Append(after);
    file.Close();
    EXPECT_EQ(m_temp.Read("out.xml"), expected);
    file.Close();  // closing twice is harmless
  }
}

TEST_F(FileTextStream, OpenFailuresCarryTheSystemErrorAndLeakNothing) {
  const std::wstring missing = m_temp.WidePath("missing/out.xml");
  CFileTextStream file(missing, XmlEncoding_UTF8);
  KORVEL_EXPECT_THROW_MESSAGE(
      file.Open(), CKvException,
      L"Failed to write data to the file [" + missing + L"] error [0x00000002]");
  file.Close();  // nothing was buffered, so closing is quiet

  CFileTextStream overlapped(m_path, XmlEncoding_UTF16);
  InjectFileFailure(FileOp::Overlap, EAGAIN);
  KORVEL_EXPECT_THROW_MESSAGE(
      overlapped.Open(), CKvException,
      L"Failed to create event for file overlap [" + m_path + L"] error [0x0000000B]");
  EXPECT_EQ(OpenDescriptors(), m_descriptors);
  EXPECT_EQ(Threads(), m_threads);
}

TEST_F(FileTextStream, FailedWriteClosesTheFileAndStopsTheStream) {
  CFileTextStream file(m_path, XmlEncoding_UTF8);
  CXmlTextWriter writer(file);
  writer.Open();
  EXPECT_EQ(Threads(), m_threads + 1);
  InjectFileFailure(FileOp::Write, ENOSPC);
  // The first write fails; the writer learns it when it starts the next one.
  try {
    WriteSample(writer, 3000);
    ADD_FAILURE() << "no exception";
  } catch (const CKvException& e) {
    EXPECT_EQ(e.GetMessageW(), L"Failed to write data to the file. Error [0x0000001C]");
  }
  EXPECT_EQ(OpenDescriptors(), m_descriptors);
  EXPECT_EQ(Threads(), m_threads);
  file.Close();
}

TEST_F(FileTextStream, FlushFailures) {
  struct Row {
    XmlEncoding encoding;
    int injected;  // errno of the first write, 0 for none
    bool open;
    const wchar_t* message;
  };
  const Row rows[] = {
      // The failed byte-order mark is reported by the first flush.
      {XmlEncoding_UTF16, EIO, true, L"Failed to write data to the file. Error [0x00000005]"},
      {XmlEncoding_None, 0, true, L"Unknown Encoding, select UTF-8 (contact our support team)"},
      {XmlEncoding_UTF8, 0, false, L"Failed to write data to the file. Error [0x00000009]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.encoding);
    CFileTextStream file(m_path, row.encoding);
    if (row.injected != 0) InjectFileFailure(FileOp::Write, row.injected);
    if (row.open) {
      file.Open();
    } else {
      file.Flush();  // nothing buffered
    }
    file.GetBuffer().Append(L"<r/>");
    if (row.open) {
      KORVEL_EXPECT_THROW_MESSAGE(file.Close(), CKvException, row.message);
      EXPECT_EQ(m_temp.Read("out.xml"), "");
    } else {
      KORVEL_EXPECT_THROW_MESSAGE(file.Flush(), CKvException, row.message);
    }
  }
}

TEST_F(FileTextStream, DestroyingWithAWriteInFlightWaitsAndCloses) {
  {
    CFileTextStream file(m_path, XmlEncoding_UTF8);
    file.Open();
    file.GetBuffer().Append(std::wstring(100000, L'z'));
    file.Flush();
  }
  EXPECT_EQ(OpenDescriptors(), m_descriptors);
  EXPECT_EQ(Threads(), m_threads);
  EXPECT_EQ(m_temp.Read("out.xml"), std::string(100000, 'z'));
}

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
