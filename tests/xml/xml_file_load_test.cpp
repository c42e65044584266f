// SPDX-License-Identifier: MIT
#include <korvel/xml_document.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include <korvel/binary_data.h>

#include "platform/async_read.h"
#include "platform/file.h"
#include "test_support.h"
#include "tree_text.h"
#include "values/compression.h"

namespace Korvel {
namespace {

namespace fs = std::filesystem;
using detail::platform::AsyncReadStep;
using detail::platform::FileOp;

using testing::TreeText;

std::wstring Hex(int error) { return FormatString(L"0x%08x", error); }

// Generated documents of a given size, whose content crosses every chunk
// boundary with multi-byte characters, attributes and line ends.
std::string DocumentOfSize(size_t size) {
  const std::string head = "<?xml version='1.0' encoding='UTF-8'?>\r\n<list>";
  const std::string tail = "</list>";
  std::string xml = head;
  for (int i = 0; xml.size() + tail.size() + 64 < size; ++i) {
    xml += "<item n='" + std::to_string(i) + "'>\xc3\xa9\xe2\x82\xac#" + std::to_string(i) +
           "</item>\r\n";
  }
  xml += "<pad>";
  xml.append(size - xml.size() - tail.size() - 6, 'p');
  xml += "</pad>" + tail;
  return xml;
}

class XmlFileLoad : public ::testing::Test {
 protected:
  void TearDown() override {
    AsyncFromXmlFile(false);
    detail::platform::ClearInjectedFileFailures();
    detail::platform::ClearInjectedAsyncReadFailures();
  }
  std::wstring Write(const char* name, const std::string& bytes) {
    m_temp.Write(name, bytes);
    return m_temp.WidePath(name);
  }

  // The tree both paths must give, from the same bytes held in memory.
  static std::wstring Expected(const std::string& xml) {
    CXmlDocument document;
    document.LoadXml(xml.c_str());
    return TreeText(document);
  }

  const testing::TempDir m_temp;
};

TEST_F(XmlFileLoad, BothPathsReadFilesAroundTheChunkSize) {
  for (size_t size : {size_t{100}, size_t{131071}, size_t{131072}, size_t{131073}, size_t{262144},
                      size_t{400000}}) {
    SCOPED_TRACE(size);
    const std::string xml = DocumentOfSize(size);
    ASSERT_EQ(xml.size(), size);
    const std::wstring path = Write("doc.xml", xml);
    const std::wstring expected = Expected(xml);
    for (bool async : {false, true}) {
      SCOPED_TRACE(async ? "asynchronous" : "synchronous");
      AsyncFromXmlFile(async);
      CXmlDocument document;
      document.Load(path.c_str());
      EXPECT_EQ(TreeText(document), expected);
    }
  }
}

TEST_F(XmlFileLoad, CompressedFilesAreInflatedOnlyOnTheSynchronousPath) {
  const std::string xml = "<a>compressed" + std::string(200, '!') + "</a>";
  CBinaryData gzip(reinterpret_cast<const unsigned char*>(xml.data()),
                   static_cast<uint32_t>(xml.size()));
  detail::CompressData(gzip, ct_gzip);
  const std::wstring path = Write("doc.xml.gz", testing::BytesOf(gzip));

  CXmlDocument document;
  document.Load(path.c_str());
  EXPECT_EQ(document.GetDocumentElement()->GetText(), L"compressed" + std::wstring(200, L'!'));

  AsyncFromXmlFile(true);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException,
                              L"not well-formed (invalid token) at line 1");
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
}

TEST_F(XmlFileLoad, AnEmptyFile) {
  const std::wstring path = Write("empty.xml", std::string());
  CXmlDocument document;
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException,
                              L"no element found at line 1");
  AsyncFromXmlFile(true);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException,
                              L"Failed to read the contents of the file [" + path + L"] Error [" +
                                  Hex(detail::platform::kEndOfFile) + L"]");
}

TEST_F(XmlFileLoad, FilesThatCannotBeOpened) {
  const std::wstring missing = m_temp.WidePath("missing.xml");
  const std::wstring directory = m_temp.WidePath(".");
  for (bool async : {false, true}) {
    SCOPED_TRACE(async);
    AsyncFromXmlFile(async);
    CXmlDocument document;
    KORVEL_EXPECT_THROW_MESSAGE(
        document.Load(missing.c_str()), CKvException,
        L"Failed to open the file [" + missing + L"] Error [" + Hex(ENOENT) + L"]");
    KORVEL_EXPECT_THROW_MESSAGE(
        document.Load(directory.c_str()), CKvException,
        L"Failed to open the file [" + directory + L"] Error [" + Hex(EISDIR) + L"]");
  }
}

TEST_F(XmlFileLoad, SynchronousFailuresNameTheFileAndTheCode) {
  const std::wstring path = Write("doc.xml", "<a/>");
  CXmlDocument document;
  detail::platform::InjectFileFailure(FileOp::Size, EIO);
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to get the size of the file [" + path + L"] Error [" + Hex(EIO) + L"]");
  detail::platform::InjectFileFailure(FileOp::Read, EIO);
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to read the contents of the file [" + path + L"] Error [" + Hex(EIO) + L"]");
  document.Load(path.c_str());
  EXPECT_EQ(document.GetDocumentElement()->GetLocalName(), L"a");
}

TEST_F(XmlFileLoad, SynchronousPathRefusesFilesBeyondFourGibibytes) {
  const std::wstring path = Write("huge.xml", "<a/>");
  std::error_code error;
  fs::resize_file(m_temp.Path("huge.xml"), (uint64_t{1} << 32) + 1, error);
  if (error) GTEST_SKIP() << "no sparse file: " << error.message();
  CXmlDocument document;
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to get the size of the file [" + path + L"] Error [" + Hex(EFBIG) + L"]");
}

TEST_F(XmlFileLoad, AsynchronousReadFailures) {
  const std::string xml = DocumentOfSize(300000);
  const std::wstring path = Write("doc.xml", xml);
  AsyncFromXmlFile(true);
  CXmlDocument document;

  detail::platform::InjectAsyncReadFailure(AsyncReadStep::Start, EAGAIN);
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to read the contents of the file. Error [" + Hex(EAGAIN) + L"]");
  detail::platform::InjectAsyncReadFailure(AsyncReadStep::Wait, EIO);
  KORVEL_EXPECT_THROW_MESSAGE(
      document.Load(path.c_str()), CKvException,
      L"Failed to read the contents of the file [" + path + L"] Error [" + Hex(EIO) + L"]");

  // A failure in the middle of the file empties what was built so far.
  document.Load(path.c_str());
  ASSERT_NE(document.GetDocumentElement(), nullptr);
  class Injector {
   public:
    // The first chunk has been read when the parser sees the first element.
    static bool Arm(CXmlElement*) {
      detail::platform::InjectAsyncReadFailure(AsyncReadStep::Wait, EIO);
      return false;
    }
  };
  CXmlDocument filtered(&Injector::Arm);
  KORVEL_EXPECT_THROW_MESSAGE(
      filtered.Load(path.c_str()), CKvException,
      L"Failed to read the contents of the file. Error [" + Hex(EIO) + L"]");
  EXPECT_EQ(filtered.GetDocumentElement(), nullptr);
}

TEST_F(XmlFileLoad, AsynchronousParseErrorsEmptyTheDocument) {
  std::string xml = DocumentOfSize(300000);
  xml.replace(xml.size() - 7, 7, "</lost>");
  const std::wstring path = Write("doc.xml", xml);
  const size_t lines = static_cast<size_t>(std::count(xml.begin(), xml.end(), '\n')) + 1;

  CXmlDocument document;
  const std::wstring message = L"mismatched tag at line " + std::to_wstring(lines);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException, message);
  EXPECT_NE(document.GetDocumentElement(), nullptr);
  AsyncFromXmlFile(true);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(path.c_str()), CKvException, message);
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
}

}  // namespace
}  // namespace Korvel
