// SPDX-License-Identifier: MIT
// A second parser (xmllint) must accept what the text writer produces.

#include <cstdlib>
#include <string>

#include <korvel/text_stream.h>
#include <korvel/xml_text_writer.h>

#include "test_support.h"

using namespace Korvel;

namespace {

constexpr wchar_t kXsi[] = L"http://www.w3.org/2001/XMLSchema-instance";

// A document that uses every operation of the writer where it may stand.
void WriteRichDocument(CXmlTextWriter& writer, int orders) {
  writer.WriteXmlDeclaration();
  writer.WriteProcessingInstruction(L"<?xml-stylesheet type=\"text/xsl\" href=\"a&amp;b.xsl\"?>");
  writer.WriteComment(L"made by a test: a < b & \"c\"");
  writer.AddNamespaceAlias(L"po", L"urn:po");
  writer.AddNamespaceAlias(L"xsi", kXsi);
  writer.SetDefaultNamespace(L"urn:default");
  writer.StartElement(L"orders", L"urn:default");
  writer.WriteAttribute(L"lang", L"http://www.w3.org/XML/1998/namespace", L"en", it_string);
  writer.WriteAttribute(L"note", L"", L"a\"b'c<d>e&f\tg\nh\ri", it_string);
  writer.WriteInLineSchema(L"xsi:noNamespaceSchemaLocation=\"orders.xsd\"");
  for (int i = 0; i < orders; ++i) {
    writer.StartElement(L"order", L"urn:po");
    writer.WriteXsiType(L"urn:types", L"OrderType", it_none);
    writer.WriteAttribute(L"id", L"urn:attrs", std::to_wstring(i), it_i4);
    writer.StartElement(L"text", L"urn:default");
    writer.WriteText(L"x < y && \"z\"\r\nnext line \u00e9\u4e2d\U0001F600", it_string, false);
    writer.EndElement();
    writer.StartElement(L"raw", L"urn:new");
    writer.WriteText(L"<![CDATA[<not> & markup]]>", it_string, false);
    writer.EndElement();
    writer.StartElement(L"missing", L"");
    writer.WriteNil();
    writer.EndElement();
    writer.WriteComment(L"between");
    writer.StartElement(L"empty", L"urn:po");
    writer.WriteText(L"", it_string, false);
    writer.EndElement();
    writer.EndElement();
  }
  writer.EndElement();
  writer.Close();
}

class WellFormed : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
      FAIL() << "xmllint is not installed: make deps installs it";
    }
  }
  // xmllint's complaints about the file, empty when it is well-formed.
  std::string Lint(const std::string& name) {
    const std::string path = m_temp.Path(name);
    if (std::system(("xmllint --noout '" + path + "' 2>'" + path + ".log'").c_str()) == 0)
      return "";
    return m_temp.Read(name + ".log") + " (in " + name + ")";
  }

  const Korvel::testing::TempDir m_temp;
};

TEST_F(WellFormed, DocumentsInEveryLayoutAndEncoding) {
  m_temp.Write("broken.xml", "<a><b></a>");
  ASSERT_NE(Lint("broken.xml"), "") << "the check itself must catch a broken document";
  struct Row {
    const char* name;
    XmlEncoding encoding;
    bool formatted;
    EOLType eol;
    int orders;
  };
  const Row rows[] = {
      {"formatted-utf8.xml", XmlEncoding_UTF8, true, EOL_LF, 3},
      {"compact-utf8.xml", XmlEncoding_UTF8, false, EOL_LF, 3},
      {"crlf-utf8.xml", XmlEncoding_UTF8, true, EOL_CRLF, 3},
      {"formatted-utf16.xml", XmlEncoding_UTF16, true, EOL_LF, 3},
      {"undeclared-utf16.xml", XmlEncoding_UTF16Undeclared, false, EOL_CRLF, 3},
      {"large.xml", XmlEncoding_UTF8, true, EOL_LF, 1000},  // many flushes
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CFileTextStream stream(m_temp.WidePath(row.name), row.encoding);
    CXmlTextWriter writer(stream);
    writer.Open();
    writer.SetFormatted(row.formatted);
    writer.SetEOLType(row.eol);
    WriteRichDocument(writer, row.orders);
    EXPECT_GT(stream.GetBytesWritten(), row.orders * 250u);
    EXPECT_EQ(Lint(row.name), "");
  }
}

}  // namespace
