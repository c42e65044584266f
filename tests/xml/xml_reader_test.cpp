// SPDX-License-Identifier: MIT
#include "xml/expat_reader.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include <korvel/binary_data.h>
#include <korvel/errors.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "platform/async_read.h"
#include "platform/file.h"
#include "test_support.h"
#include "tree_text.h"
#include "values/compression.h"
#include "values/utf.h"

namespace Korvel {
namespace {

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}
uint32_t Length(const std::string& s) { return static_cast<uint32_t>(s.size()); }

using testing::TreeText;

TEST(XmlReader, ByteStreamsInUtf16AndCompressed) {
  // Long enough to shrink when compressed.
  const std::string body(200, 'x');
  const std::string utf8 = "<a x='1'>t\xc3\xa9" + body + "</a>";
  CXmlDocument expected;
  expected.LoadXml(utf8.c_str());

  std::string utf16 =
      "\xff\xfe" + detail::WideToUtf16Le(L"<a x='1'>t\u00e9" + detail::Utf8ToWide(body) + L"</a>");
  CBinaryData gzip(Bytes(utf8), Length(utf8)), zlib = gzip;
  detail::CompressData(gzip, ct_gzip);
  detail::CompressData(zlib, ct_zlib);
  for (const CBinaryData& bytes : {testing::DataOf(utf8), testing::DataOf(utf16), gzip, zlib}) {
    SCOPED_TRACE(testing::BytesOf(bytes).substr(0, 2));
    CXmlDocument document;
    document.LoadXmlStream(bytes.GetData(), bytes.GetLength());
    EXPECT_EQ(TreeText(document), TreeText(expected));
  }
}

TEST(XmlReader, EmptyInputIsRefused) {
  CXmlDocument document;
  document.LoadXml("<a/>");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(""), CKvException, L"XML String is empty!");
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(static_cast<const char*>(nullptr)), CKvException,
                              L"XML String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(L""), CKvException, L"XML String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXmlStream(Bytes("<a/>"), 0), CKvException,
                              L"XML Stream is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXmlStream(nullptr, 4), CKvException,
                              L"XML Stream is empty!");
}

TEST(XmlReader, WideTextIsReadAsItsCharactersWhateverItsDeclarationNames) {
  // Such text is typically bytes decoded by the caller, declaration and all.
  for (const wchar_t* encoding : {L"UTF-8", L"ISO-8859-1", L"UTF-16"}) {
    SCOPED_TRACE(::testing::Message() << encoding);
    CXmlDocument document;
    document.LoadXml(
        (std::wstring(L"<?xml version='1.0' encoding='") + encoding + L"'?><a>\u00e9\U0001F600</a>")
            .c_str());
    EXPECT_EQ(document.GetDocumentElement()->GetText(), L"\u00e9\U0001F600");
  }
}

TEST(XmlReader, EntityExpansionBombFailsWithTheParsersMessage) {
  std::string xml = "<?xml version='1.0'?>\n<!DOCTYPE lolz [\n<!ENTITY lol0 'lol'>\n";
  for (int i = 1; i <= 9; ++i) {
    xml += "<!ENTITY lol" + std::to_string(i) + " '";
    for (int j = 0; j < 10; ++j) xml += "&lol" + std::to_string(i - 1) + ";";
    xml += "'>\n";
  }
  xml += "]>\n<lolz>&lol9;</lolz>";
  CXmlDocument document;
  KORVEL_EXPECT_THROW_MESSAGE(
      document.LoadXml(xml.c_str()), CKvException,
      L"limit on input amplification factor (from DTD and entities) breached at line 14");
}

// Names a file that must never be opened: its text would show in the tree.
class ExternalEntities : public ::testing::Test {
 protected:
  void SetUp() override {
    m_temp.Write("secret.txt", "SECRET");
    m_temp.Write("defs.dtd", "<!ENTITY leak 'SECRET'>");
  }
  std::string Url(const char* name) const { return "file://" + m_temp.Path(name); }

  const testing::TempDir m_temp;
};

TEST_F(ExternalEntities, AreNeverLoaded) {
  const std::string inEntity =
      "<!DOCTYPE r [<!ENTITY ext SYSTEM '" + Url("secret.txt") + "'>]><r>[&ext;]</r>";
  const std::string inDtd = "<!DOCTYPE r SYSTEM '" + Url("defs.dtd") + "'><r>[&leak;]</r>";
  const std::string inParameter =
      "<!DOCTYPE r [<!ENTITY % p SYSTEM '" + Url("defs.dtd") + "'> %p;]><r>[&leak;]</r>";
  for (const std::string& xml : {inEntity, inDtd, inParameter}) {
    SCOPED_TRACE(xml);
    CXmlDocument document;
    document.LoadXml(xml.c_str());
    EXPECT_EQ(document.GetDocumentElement()->GetText(), L"[]");
  }
}

// The document fed to expat in pieces of every small size: names, references,
// multi-byte characters, CDATA markers and line ends split anywhere must give
// the tree that one piece gives.
class XmlReaderPieces : public ::testing::TestWithParam<size_t> {};

TEST_P(XmlReaderPieces, GiveTheSameTreeAsOnePiece) {
  const std::string xml =
      "<?xml version='1.0'?>\r\n<p:root xmlns:p='urn:p' xmlns='urn:d' a='x&amp;y'>\r\n"
      "  <item n='\xe2\x82\xac'>caf\xc3\xa9 \xf0\x9f\x98\x80&#13;&lt;</item>\r"
      "  <![CDATA[ <raw> ]]><p:item/>tail</p:root>";
  CSerializationContext context;
  context.SetStripCDATA(false);
  CXmlDocument whole(context);
  whole.LoadXml(xml.c_str());
  const std::wstring expected = TreeText(whole);
  ASSERT_NE(expected.find(L"caf\u00e9 \U0001F600\r<"), std::wstring::npos) << expected;

  CXmlDocument pieces(context);
  CExpatReader reader(pieces);
  reader.SetFeedSize(GetParam());
  reader.Initialize();
  reader.Parse(xml.data(), xml.size(), true);
  EXPECT_EQ(TreeText(pieces), expected);

  CXmlDocument widePieces(context);
  CExpatReader wideReader(widePieces);
  wideReader.SetFeedSize(GetParam());
  wideReader.Initialize();
  wideReader.ParseWide(detail::Utf8ToWide(xml));
  EXPECT_EQ(TreeText(widePieces), expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, XmlReaderPieces, ::testing::Values(1, 2, 3, 4, 5, 7, 13, 64));

// Non-ASCII and beyond the BMP in names, attribute values and text.
const std::wstring kWide =
    L"<caf\u00e9 xmlns='urn:\u00fc' k\u00f6r='\U0001D11E'>\u6f22 \U0001F600"
    L"<\u00e9l>\u00e0 &#x1F600;</\u00e9l></caf\u00e9>";

TEST(Utf8Loaders, StringAndPathFormsAgreeWithWideForms) {
  CXmlDocument wide, narrow;
  wide.LoadXml(kWide.c_str());
  const std::wstring expected = testing::TreeText(wide);
  ASSERT_NE(expected.find(L"\U0001D11E"), std::wstring::npos);
  const std::string utf8 = detail::WideToUtf8(kWide);
  const std::string padded = "\xEF\xBB\xBF" + utf8 + "<trailing>";
  // With a byte-order mark; a view whose length, not a terminator, ends the text.
  for (const std::string_view text :
       {std::string_view(utf8), std::string_view(padded).substr(0, utf8.size() + 3)}) {
    narrow.LoadXml(text);
    EXPECT_EQ(testing::TreeText(narrow), expected);
  }

  testing::TempDir dir;
  const std::string name = dir.Path("\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80.xml");
  std::ofstream(name, std::ios::binary) << utf8;
  const std::wstring wideName = detail::Utf8ToWide(name);
  wide.Load(wideName.c_str());
  ASSERT_EQ(testing::TreeText(wide), expected);
  narrow.Load(std::filesystem::path(name));
  EXPECT_EQ(testing::TreeText(narrow), expected);
  narrow.Load(wideName);  // std::wstring, which a path would convert by the locale
  EXPECT_EQ(testing::TreeText(narrow), expected);
}

TEST(Utf8Loaders, MalformedArgumentsAreRejected) {
  CXmlDocument document;
  // Checked before parsing: the well-formed start of the text builds nothing.
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(std::string("<a><b>\xC3\xA9\x80</b></a>")),
                              CKvInvalidParamException, L"Invalid UTF-8 in the text at byte 8.");
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(std::filesystem::path("d/\xE9t\xE9.xml")),
                              CKvInvalidParamException,
                              L"Invalid UTF-8 in the file name at byte 2.");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(std::string_view()), CKvException,
                              L"XML String is empty!");
  // The text is UTF-8 whatever a declaration says.
  document.LoadXml(std::string("<?xml version='1.0' encoding='ISO-8859-1'?><a>\xC3\xA9</a>"));
  EXPECT_EQ(document.GetDocumentElement()->GetText(), L"\u00e9");
}

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
