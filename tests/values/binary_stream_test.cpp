// SPDX-License-Identifier: MIT
#include "values/binary_stream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "platform/file.h"
#include "test_support.h"

using namespace Korvel;
using Korvel::detail::platform::ClearInjectedFileFailures;
using Korvel::detail::platform::FileOp;
using Korvel::detail::platform::InjectFileFailure;
using Korvel::testing::OpenDescriptors;

namespace {

class FileBinaryStream : public ::testing::Test {
 protected:
  void TearDown() override { ClearInjectedFileFailures(); }
  std::wstring Path(const std::wstring& name) const { return m_temp.WidePath("") + name; }
  std::string Contents(const std::wstring& name) const {
    return m_temp.Read(std::string(name.begin(), name.end()));
  }

  Korvel::testing::TempDir m_temp;
};

TEST_F(FileBinaryStream, Utf16EncodingsStartWithTheByteOrderMark) {
  struct Row {
    XmlEncoding encoding;
    const char* prefix;
  };
  const Row rows[] = {{XmlEncoding_None, ""},
                      {XmlEncoding_UTF8, ""},
                      {XmlEncoding_UTF16, "\xFF\xFE"},
                      {XmlEncoding_UTF16Undeclared, "\xFF\xFE"}};
  for (const Row& row : rows) {
    for (const std::string& body : {std::string("<a/>"), std::string()}) {
      SCOPED_TRACE(std::to_string(row.encoding) + " with " + std::to_string(body.size()));
      CFileBinaryStream stream(Path(L"out.xml"), row.encoding);
      stream.Write(reinterpret_cast<const unsigned char*>(body.data()),
                   static_cast<uint32_t>(body.size()));
      stream.WriteToFile();
      EXPECT_EQ(Contents(L"out.xml"), row.prefix + body);
    }
  }
}

TEST_F(FileBinaryStream, ReplacesAnExistingFile) {
  std::ofstream(m_temp.Path("out.xml")) << std::string(100, 'x');
  CFileBinaryStream stream(Path(L"out.xml"), XmlEncoding_UTF8);
  stream.GetData().SetBuffer(reinterpret_cast<const unsigned char*>("new"), 3);
  stream.WriteToFile();
  EXPECT_EQ(Contents(L"out.xml"), "new");
}

TEST_F(FileBinaryStream, FailuresNameTheFileAndCloseIt) {
  const int before = OpenDescriptors();
  const std::wstring missing = Path(L"no/such/dir.xml");
  KORVEL_EXPECT_THROW_MESSAGE(
      CFileBinaryStream(missing, XmlEncoding_UTF8).WriteToFile(), CKvException,
      L"Failed to write data to the file [" + missing + L"] error [0x00000002]");

  for (XmlEncoding encoding : {XmlEncoding_UTF8, XmlEncoding_UTF16}) {
    SCOPED_TRACE(encoding);
    CFileBinaryStream stream(Path(L"full.xml"), encoding);
    stream.Write(reinterpret_cast<const unsigned char*>("data"), 4);
    InjectFileFailure(FileOp::Write, ENOSPC);
    KORVEL_EXPECT_THROW_MESSAGE(
        stream.WriteToFile(), CKvException,
        L"Failed to write data to the file [" + Path(L"full.xml") + L"] error [0x0000001C]");
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
