// SPDX-License-Identifier: MIT
#include <korvel/text_stream.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <string>

#include <korvel/xml_text_writer.h>

#include "platform/file.h"
#include "test_support.h"
#include "xml/output_switches.h"

using namespace Korvel;
using Korvel::detail::platform::ClearInjectedFileFailures;
using Korvel::detail::platform::FileOp;
using Korvel::detail::platform::InjectFileFailure;
using Korvel::testing::OpenDescriptors;
using Korvel::testing::Threads;

namespace {

std::string Bytes(const CBinaryData& data) {
  return std::string(reinterpret_cast<const char*>(data.GetData()), data.GetLength());
}

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
  std::wstring Path(const std::string& name) const { return m_temp.WidePath(name); }
  std::string Contents(const std::string& name) const { return m_temp.Read(name); }

  Korvel::testing::TempDir m_temp;
};

TEST_F(FileTextStream, FileHoldsTheByteOrderMarkAndTheSameBytesAsMemory) {
  struct Row {
    XmlEncoding encoding;
    std::string byteOrderMark;
  };
  const Row rows[] = {{XmlEncoding_UTF8, ""},
                      {XmlEncoding_UTF16, "\xFF\xFE"},
                      {XmlEncoding_UTF16Undeclared, "\xFF\xFE"}};
  for (const Row& row : rows) {
    for (const bool formatted : {true, false}) {
      SCOPED_TRACE(::testing::Message() << row.encoding << (formatted ? " formatted" : ""));
      CTextStream memory(row.encoding);
      CXmlTextWriter memoryWriter(memory);
      memoryWriter.SetFormatted(formatted);
      memoryWriter.Open();
      WriteSample(memoryWriter, 4000);
      memoryWriter.Close();
      // Several writes, whatever the encoding.
      ASSERT_GT(memory.GetBuffer().GetLength(), 3 * 65536u);

      CFileTextStream file(Path("out.xml"), row.encoding);
      CXmlTextWriter fileWriter(file);
      fileWriter.SetFormatted(formatted);
      fileWriter.Open();
      WriteSample(fileWriter, 4000);
      // Handed to the file while produced: the text never piles up in memory.
      EXPECT_LT(file.GetBuffer().GetLength(), 4096u);
      fileWriter.Close();

      const std::string expected = row.byteOrderMark + Bytes(memory.GetBytes());
      EXPECT_EQ(Contents("out.xml"), expected);
      EXPECT_EQ(file.GetBytesWritten(), expected.size());
    }
  }
}

TEST_F(FileTextStream, SurrogatePairSplitByAFlushStaysOneCharacter) {
  CFileTextStream file(Path("pair.xml"), XmlEncoding_UTF8);
  file.Open();
  file.GetBuffer().Append(std::wstring(4095, L'a') + static_cast<wchar_t>(0xD83D));
  file.Flush();
  file.GetBuffer().Append(static_cast<wchar_t>(0xDE00));
  file.Close();
  EXPECT_EQ(Contents("pair.xml"), std::string(4095, 'a') + "\xF0\x9F\x98\x80");

  // A high surrogate left at the end is replaced.
  file.Open();
  file.GetBuffer().Append(static_cast<wchar_t>(0xD83D));
  file.Flush();
  file.Close();
  EXPECT_EQ(Contents("pair.xml"), "\xEF\xBF\xBD");
}

TEST_F(FileTextStream, ReplacesAnExistingFile) {
  std::ofstream(m_temp.Path("old.xml")) << std::string(10000, 'x');
  CFileTextStream file(Path("old.xml"), XmlEncoding_UTF8);
  file.Open();
  file.GetBuffer().Append(L"<r/>");
  file.Close();
  EXPECT_EQ(Contents("old.xml"), "<r/>");
  // Closing twice is harmless.
  file.Close();
}

TEST_F(FileTextStream, MissingDirectoryFailsWithTheSystemErrorAndLeaksNothing) {
  const int descriptors = OpenDescriptors();
  const int threads = Threads();
  const std::wstring path = Path("missing/out.xml");
  CFileTextStream file(path, XmlEncoding_UTF8);
  KORVEL_EXPECT_THROW_MESSAGE(
      file.Open(), CKvException,
      L"Failed to write data to the file [" + path + L"] error [0x00000002]");
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(Threads(), threads);
  // Nothing was buffered, so there is nothing to write and closing is quiet.
  file.Close();
}

TEST_F(FileTextStream, OverlapFailureClosesTheFile) {
  const int descriptors = OpenDescriptors();
  const std::wstring path = Path("out.xml");
  CFileTextStream file(path, XmlEncoding_UTF16);
  InjectFileFailure(FileOp::Overlap, EAGAIN);
  KORVEL_EXPECT_THROW_MESSAGE(
      file.Open(), CKvException,
      L"Failed to create event for file overlap [" + path + L"] error [0x0000000B]");
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(FileTextStream, FailedWriteClosesTheFileAndStopsTheStream) {
  const int descriptors = OpenDescriptors();
  const int threads = Threads();
  CFileTextStream file(Path("out.xml"), XmlEncoding_UTF8);
  CXmlTextWriter writer(file);
  writer.Open();
  EXPECT_EQ(Threads(), threads + 1);
  InjectFileFailure(FileOp::Write, ENOSPC);
  // The first write fails; the writer learns it when it starts the next one.
  try {
    WriteSample(writer, 3000);
    ADD_FAILURE() << "no exception";
  } catch (const CKvException& e) {
    EXPECT_EQ(e.GetMessageW(), L"Failed to write data to the file. Error [0x0000001C]");
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(Threads(), threads);
  file.Close();
}

TEST_F(FileTextStream, FailedByteOrderMarkIsReportedByTheFirstFlush) {
  CFileTextStream file(Path("out.xml"), XmlEncoding_UTF16);
  InjectFileFailure(FileOp::Write, EIO);
  file.Open();
  file.GetBuffer().Append(L"<r/>");
  KORVEL_EXPECT_THROW_MESSAGE(file.Close(), CKvException,
                              L"Failed to write data to the file. Error [0x00000005]");
}

TEST_F(FileTextStream, NoEncodingFailsWhenTextIsFlushed) {
  CFileTextStream file(Path("none.xml"), XmlEncoding_None);
  file.Open();
  file.GetBuffer().Append(L"<r/>");
  KORVEL_EXPECT_THROW_MESSAGE(file.Close(), CKvException,
                              L"Unknown Encoding, select UTF-8 (contact our support team)");
  EXPECT_EQ(Contents("none.xml"), "");
}

TEST_F(FileTextStream, FlushWithoutOpenIsRefused) {
  CFileTextStream file(Path("never.xml"), XmlEncoding_UTF8);
  file.Flush();  // nothing buffered
  file.GetBuffer().Append(L"x");
  KORVEL_EXPECT_THROW_MESSAGE(file.Flush(), CKvException,
                              L"Failed to write data to the file. Error [0x00000009]");
}

TEST_F(FileTextStream, DestroyingWithAWriteInFlightWaitsAndCloses) {
  const int descriptors = OpenDescriptors();
  const int threads = Threads();
  {
    CFileTextStream file(Path("out.xml"), XmlEncoding_UTF8);
    file.Open();
    file.GetBuffer().Append(std::wstring(100000, L'z'));
    file.Flush();
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(Threads(), threads);
  EXPECT_EQ(Contents("out.xml"), std::string(100000, 'z'));
}

TEST(AsyncToXmlFileSwitch, IsOffUntilSet) {
  EXPECT_FALSE(detail::AsyncToXmlFileEnabled());
  AsyncToXmlFile(true);
  EXPECT_TRUE(detail::AsyncToXmlFileEnabled());
  AsyncToXmlFile(false);
  EXPECT_FALSE(detail::AsyncToXmlFileEnabled());
}

}  // namespace
