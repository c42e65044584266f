// SPDX-License-Identifier: MIT
#include "values/binary_stream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/file.h"
#include "test_support.h"

using namespace Korvel;
using namespace Korvel::detail::platform;
using Korvel::testing::OpenDescriptors;

namespace {

class FileBinaryStream : public ::testing::Test {
 protected:
  void TearDown() override { ClearInjectedFileFailures(); }
  void Write(CFileBinaryStream& stream, const std::string& bytes) {
    stream.Write(reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<uint32_t>(bytes.size()));
  }
  const Korvel::testing::TempDir m_temp;
  const std::wstring m_path = m_temp.WidePath("out.xml");
};

TEST_F(FileBinaryStream, Utf16EncodingsStartWithTheByteOrderMarkAndReplaceTheFile) {
  const std::pair<XmlEncoding, const char*> rows[] = {{XmlEncoding_None, ""},
                                                      {XmlEncoding_UTF8, ""},
                                                      {XmlEncoding_UTF16, "\xFF\xFE"},
                                                      {XmlEncoding_UTF16Undeclared, "\xFF\xFE"}};
  m_temp.Write("out.xml", std::string(100, 'x'));
  for (const auto& [encoding, prefix] : rows) {
    for (const std::string& body : {std::string("<a/>"), std::string()}) {
      SCOPED_TRACE(std::to_string(encoding) + " with " + std::to_string(body.size()));
      CFileBinaryStream stream(m_path, encoding);
      Write(stream, body);
      stream.WriteToFile();
      EXPECT_EQ(m_temp.Read("out.xml"), prefix + body);
    }
  }
}

TEST_F(FileBinaryStream, FailuresNameTheFileAndCloseIt) {
  const int before = OpenDescriptors();
  const std::wstring missing = m_temp.WidePath("no/such/dir.xml");
  KORVEL_EXPECT_THROW_MESSAGE(
      CFileBinaryStream(missing, XmlEncoding_UTF8).WriteToFile(), CKvException,
      L"Failed to write data to the file [" + missing + L"] error [0x00000002]");
  for (XmlEncoding encoding : {XmlEncoding_UTF8, XmlEncoding_UTF16}) {
    SCOPED_TRACE(encoding);
    CFileBinaryStream stream(m_path, encoding);
    Write(stream, "data");
    InjectFileFailure(FileOp::Write, ENOSPC);
    KORVEL_EXPECT_THROW_MESSAGE(
        stream.WriteToFile(), CKvException,
        L"Failed to write data to the file [" + m_path + L"] error [0x0000001C]");
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
