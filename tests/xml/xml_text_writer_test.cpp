// SPDX-License-Identifier: MIT
#include <korvel/xml_text_writer.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "test_support.h"

using namespace Korvel;

namespace {

constexpr wchar_t kXsi[] = L"http://www.w3.org/2001/XMLSchema-instance";

class TextWriter : public ::testing::Test {
 protected:
  TextWriter() : m_writer(m_stream) { m_writer.Open(); }

  std::wstring Text() { return m_stream.GetAllText(); }
  // An element with only text content.
  void Leaf(const std::wstring& name, const std::wstring& text, const std::wstring& ns = L"") {
    m_writer.StartElement(name, ns);
    m_writer.WriteText(text, it_string, false);
    m_writer.EndElement();
  }
  void Empty(const std::wstring& name, const std::wstring& ns = L"") {
    m_writer.StartElement(name, ns);
    m_writer.EndElement();
  }

  CTextStream m_stream{XmlEncoding_UTF8};
  CXmlTextWriter m_writer;
};

TEST_F(TextWriter, FormattedDocumentLayout) {
  m_writer.WriteXmlDeclaration();
  m_writer.AddNamespaceAlias(L"po", L"urn:po");
  m_writer.StartElement(L"order", L"urn:po");
  m_writer.WriteAttribute(L"id", L"", L"7", it_i4);
  Leaf(L"item", L"a&b", L"urn:po");
  Empty(L"empty");
  m_writer.StartElement(L"group", L"");
  Leaf(L"x", L"1");
  m_writer.EndElement();
  m_writer.EndElement();
  m_writer.Close();
  EXPECT_EQ(Text(),
            L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            L"<po:order xmlns:po=\"urn:po\" id=\"7\">\n"
            L"\t<po:item>a&amp;b</po:item>\n"
            L"\t<empty/>\n"
            L"\t<group>\n"
            L"\t\t<x>1</x>\n"
            L"\t</group>\n"
            L"</po:order>\n");
}

TEST_F(TextWriter, UnformattedLayoutCdataAndSelfClosing) {
  m_writer.SetFormatted(false);
  m_writer.WriteXmlDeclaration();
  m_writer.StartElement(L"a", L"");
  Leaf(L"b", L"1");
  m_writer.WriteComment(L"note");
  Empty(L"c");
  // CDATA passes only as the whole text, one section.
  Leaf(L"d", L"<![CDATA[x<y&z]]>");
  Leaf(L"e", L"<![CDATA[x]]>t<![CDATA[y]]>");
  Leaf(L"f", L"<![CDATA");
  // Empty and default texts self-close, unless default values are to be written.
  Leaf(L"g", L"");
  m_writer.StartElement(L"h", L"");
  m_writer.WriteText(L"5", it_i4, true);
  m_writer.EndElement();
  m_writer.SetWriteDefaultElementValues(true);
  m_writer.StartElement(L"i", L"");
  m_writer.WriteText(L"5", it_i4, true);
  m_writer.EndElement();
  m_writer.EndElement();
  EXPECT_EQ(Text(),
            L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            L"<a><b>1</b><!--note-->\n<c/><d><![CDATA[x<y&z]]></d>"
            L"<e>&lt;![CDATA[x]]&gt;t&lt;![CDATA[y]]&gt;</e>"
            L"<f>&lt;![CDATA</f><g/><h/><i>5</i></a>");
}

TEST_F(TextWriter, CrlfLineEndsCustomIndentAndInvalidEolTypes) {
  m_writer.SetEOLType(EOL_CRLF);
  for (int invalid : {2, -1}) {
    KORVEL_EXPECT_THROW_MESSAGE(m_writer.SetEOLType(static_cast<EOLType>(invalid)), CKvException,
                                L"Invalid EOL type.");
  }
  EXPECT_EQ(m_writer.GetEOLType(), EOL_CRLF);
  m_writer.SetIndentChars(L"  ");
  m_writer.StartElement(L"a", L"");
  m_writer.StartElement(L"b", L"");
  Leaf(L"c", L"x\ny");
  m_writer.EndElement();
  m_writer.EndElement();
  EXPECT_EQ(Text(), L"<a>\r\n  <b>\r\n    <c>x\r\ny</c>\r\n  </b>\r\n</a>\r\n");
}

TEST_F(TextWriter, EscapingInContentAndAttributes) {
  const std::tuple<EOLType, const wchar_t*, const wchar_t*, const wchar_t*> rows[] = {
      {EOL_LF, L"a\"b'c<d>e&f\tg", L"a\"b'c&lt;d&gt;e&amp;f\tg",
       L"a&quot;b'c&lt;d&gt;e&amp;f&#x9;g"},
      {EOL_LF, L"x\ny", L"x\ny", L"x&#xA;y"},
      {EOL_CRLF, L"x\ny", L"x\r\ny", L"x&#xA;y"},
      // A carriage return can only come back from a character reference.
      {EOL_CRLF, L"x\r\ny\r", L"x&#xD;\r\ny&#xD;", L"x&#xD;&#xA;y&#xD;"},
      {EOL_LF, L"\r\r", L"&#xD;&#xD;", L"&#xD;&#xD;"},
      {EOL_LF, L"&&<<", L"&amp;&amp;&lt;&lt;", L"&amp;&amp;&lt;&lt;"},
      {EOL_LF, L"\u00e9\u4e2d\U0001F600>", L"\u00e9\u4e2d\U0001F600&gt;",
       L"\u00e9\u4e2d\U0001F600&gt;"},
  };
  for (const auto& [eol, input, content, attribute] : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(input)));
    CTextStream stream;
    CXmlTextWriter writer(stream);
    writer.SetFormatted(false);
    writer.SetEOLType(eol);
    writer.StartElement(L"e", L"");
    writer.WriteAttribute(L"a", L"", input, it_string);
    writer.WriteText(input, it_string, false);
    writer.EndElement();
    EXPECT_EQ(stream.GetAllText(),
              std::wstring(L"<e a=\"") + attribute + L"\">" + content + L"</e>");
  }
}

TEST_F(TextWriter, SiblingsDeclareTheirOwnPrefixesAndChildrenReuseThem) {
  m_writer.SetFormatted(false);
  m_writer.StartElement(L"root", L"");
  m_writer.StartElement(L"a", L"urn:x");
  m_writer.StartElement(L"b", L"urn:x");
  m_writer.WriteAttribute(L"at", L"urn:x", L"1", it_string);
  m_writer.EndElement();
  Empty(L"c", L"urn:y");
  m_writer.EndElement();
  m_writer.StartElement(L"d", L"urn:x");
  m_writer.WriteAttribute(L"at", L"urn:z", L"2", it_string);
  m_writer.EndElement();
  m_writer.EndElement();
  EXPECT_EQ(Text(),
            L"<root><AA:a xmlns:AA=\"urn:x\"><AA:b AA:at=\"1\"/>"
            L"<AB:c xmlns:AB=\"urn:y\"/></AA:a>"
            L"<AA:d xmlns:AA=\"urn:x\" xmlns:AB=\"urn:z\" AB:at=\"2\"/></root>");
}

TEST_F(TextWriter, RootDeclaresTheDocumentScopeInUriOrder) {
  m_writer.SetFormatted(false);
  m_writer.AddNamespaceAlias(L"z", L"urn:a");
  m_writer.AddNamespaceAlias(L"a", L"urn:b");
  m_writer.AddNamespaceAlias(L"m", L"http://x");
  m_writer.AddNamespaceAlias(L"old", L"urn:b");  // replaces "a"
  m_writer.SetDefaultNamespace(L"urn:d");
  m_writer.StartElement(L"r", L"urn:d");
  m_writer.WriteAttribute(L"lang", L"http://www.w3.org/XML/1998/namespace", L"en", it_string);
  Leaf(L"p", L"1", L"urn:b");
  Leaf(L"q", L"2", L"urn:d");
  Leaf(L"s", L"3", L"urn:new");
  m_writer.EndElement();
  EXPECT_EQ(Text(),
            L"<r xmlns=\"urn:d\" xmlns:m=\"http://x\" xmlns:z=\"urn:a\" xmlns:old=\"urn:b\" "
            L"xml:lang=\"en\"><old:p>1</old:p><q>2</q>"
            L"<AA:s xmlns:AA=\"urn:new\">3</AA:s></r>");
}

TEST_F(TextWriter, ARootWithoutAliasGetsAGeneratedPrefixDeclaredFirst) {
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> rows[] = {
      {L"p", L"urn:p", L"<AA:r xmlns:AA=\"urn:r\" xmlns:p=\"urn:p\"/>"},
      // Generated prefixes skip aliases in use.
      {L"AA", L"urn:taken", L"<AB:r xmlns:AB=\"urn:r\" xmlns:AA=\"urn:taken\"/>"},
  };
  for (const auto& [alias, uri, expected] : rows) {
    CTextStream stream;
    CXmlTextWriter writer(stream);
    writer.SetFormatted(false);
    writer.AddNamespaceAlias(alias, uri);
    writer.StartElement(L"r", L"urn:r");
    writer.EndElement();
    EXPECT_EQ(stream.GetAllText(), expected);
  }
}

TEST_F(TextWriter, XsiTypeAndNil) {
  m_writer.SetFormatted(false);
  m_writer.AddNamespaceAlias(L"xsi", kXsi);
  m_writer.SetDefaultNamespace(L"urn:d");
  m_writer.StartElement(L"r", L"urn:d");
  m_writer.StartElement(L"a", L"urn:d");
  m_writer.WriteXsiType(L"urn:d", L"Local", it_none);
  m_writer.EndElement();
  m_writer.StartElement(L"b", L"urn:d");
  m_writer.WriteXsiType(L"urn:t", L"T", it_none);
  m_writer.WriteNil();
  m_writer.EndElement();
  m_writer.EndElement();
  EXPECT_EQ(Text(),
            L"<r xmlns=\"urn:d\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
            L"<a xsi:type=\"Local\"/>"
            L"<b xmlns:AA=\"urn:t\"  xsi:type=\"AA:T\" xsi:nil=\"true\"/></r>");
}

TEST_F(TextWriter, XsiNamespaceGetsAGeneratedPrefixWithoutAlias) {
  m_writer.SetFormatted(false);
  m_writer.StartElement(L"r", L"");
  m_writer.WriteXsiType(L"urn:t", L"T", it_none);
  m_writer.EndElement();
  EXPECT_EQ(Text(),
            L"<r xmlns:AA=\"urn:t\"  xmlns:AB=\"http://www.w3.org/2001/XMLSchema-instance\" "
            L"AB:type=\"AA:T\"/>");
}

TEST_F(TextWriter, AttributesAfterContentAreRefused) {
  const std::wstring late = L"Attributes must be added before elements";
  m_writer.StartElement(L"r", L"");
  m_writer.WriteText(L"", it_string, false);  // nothing written: the start tag stays open
  m_writer.WriteAttribute(L"ok", L"", L"1", it_string);
  m_writer.StartElement(L"c", L"");
  m_writer.WriteText(L"t", it_string, false);
  KORVEL_EXPECT_THROW_MESSAGE(m_writer.WriteAttribute(L"a", L"", L"1", it_string), CKvException,
                              late);
  KORVEL_EXPECT_THROW_MESSAGE(m_writer.WriteNil(), CKvException, late);
  m_writer.EndElement();
  KORVEL_EXPECT_THROW_MESSAGE(m_writer.WriteXsiType(L"", L"T", it_none), CKvException, late);
  KORVEL_EXPECT_THROW_MESSAGE(m_writer.WriteAttribute(L"a", L"", L"1", it_string), CKvException,
                              late);
  m_writer.EndElement();
  KORVEL_EXPECT_THROW_MESSAGE(m_writer.WriteAttribute(L"a", L"", L"1", it_string), CKvException,
                              late);
  EXPECT_EQ(Text(), L"<r ok=\"1\">\n\t<c>t</c>\n</r>\n");
}

TEST_F(TextWriter, UnbalancedElementsAreRefused) {
  KORVEL_EXPECT_THROW_MESSAGE(m_writer.EndElement(), CKvException, L"No element is open.");
  KORVEL_EXPECT_THROW_MESSAGE(m_writer.WriteText(L"t", it_string, false), CKvException,
                              L"No element is open.");
  EXPECT_EQ(Text(), L"");
  m_writer.StartElement(L"r", L"");
  Empty(L"c");
  KORVEL_EXPECT_THROW_MESSAGE(m_writer.Close(), CKvException, L"An Element has not been closed.");
  m_writer.EndElement();
  m_writer.Close();
}

TEST_F(TextWriter, DeclarationFollowsTheStreamEncoding) {
  const std::pair<XmlEncoding, const wchar_t*> rows[] = {
      {XmlEncoding_None, L"<?xml version=\"1.0\"?>\r\n"},
      {XmlEncoding_UTF8, L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"},
      {XmlEncoding_UTF16, L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"},
      {XmlEncoding_UTF16Undeclared, L"<?xml version=\"1.0\"?>\r\n"},
  };
  for (const auto& [encoding, expected] : rows) {
    SCOPED_TRACE(encoding);
    CTextStream stream(encoding);
    CXmlTextWriter writer(stream);
    writer.SetEOLType(EOL_CRLF);
    writer.WriteXmlDeclaration();
    EXPECT_EQ(stream.GetAllText(), expected);
  }
}

TEST_F(TextWriter, CommentsProcessingInstructionsAndInLineSchema) {
  m_writer.WriteComment(L"a<b & \"c\"\nd");  // escaped as content
  m_writer.WriteProcessingInstruction(L"<?xml-stylesheet href=\"a.xsl\"?>");
  m_writer.StartElement(L"r", L"");
  m_writer.WriteAttribute(L"a", L"", L"1", it_string);
  m_writer.WriteInLineSchema(L"b=\"2\"");
  Leaf(L"c", L"3");
  m_writer.EndElement();
  EXPECT_EQ(Text(),
            L"<!--a&lt;b &amp; \"c\"\nd-->\n"
            L"<?xml-stylesheet href=\"a.xsl\"?>\n\n"
            L"<r a=\"1\">\nb=\"2\"\n\t<c>3</c>\n</r>\n");
}

TEST_F(TextWriter, NoNamespaceBelowADefaultNamespaceUndeclaresIt) {
  m_writer.SetFormatted(false);
  m_writer.SetDefaultNamespace(L"urn:d");
  m_writer.StartElement(L"r", L"urn:d");
  m_writer.StartElement(L"a", L"");
  Leaf(L"b", L"");
  m_writer.EndElement();
  Empty(L"c");  // the undeclaration ended with a
  m_writer.EndElement();
  EXPECT_EQ(Text(), L"<r xmlns=\"urn:d\"><a xmlns=\"\"><b/></a><c xmlns=\"\"/></r>");
}

TEST_F(TextWriter, OpenClearsTheStreamAndTheWriterServesOneDocument) {
  m_writer.WriteComment(L"stale");
  m_writer.Open();
  Empty(L"r");
  m_writer.Close();
  EXPECT_EQ(Text(), L"<r/>\n");
}

TEST_F(TextWriter, ControlCharactersAndLoneSurrogatesNeverBreakTheWriter) {
  m_writer.SetFormatted(false);
  std::wstring odd(L"a\0\x1", 3);
  for (int c : {0xD800, int{'b'}, 0xDC00, 0x110000, -1}) odd += static_cast<wchar_t>(c);
  m_writer.StartElement(L"r", L"");
  m_writer.WriteAttribute(L"a", L"", odd, it_string);
  m_writer.WriteText(odd, it_string, false);
  m_writer.EndElement();
  EXPECT_EQ(Text(), L"<r a=\"" + odd + L"\">" + odd + L"</r>");
  // Bytes replace what no encoding can carry.
  const std::string utf8 = Korvel::testing::BytesOf(m_stream.GetBytes());
  const std::string fffd = "\xEF\xBF\xBD";
  const std::string field = std::string("a\0\x01", 3) + fffd + "b" + fffd + fffd + fffd;
  EXPECT_EQ(utf8, "<r a=\"" + field + "\">" + field + "</r>");
}

TEST_F(TextWriter, DeepDocumentsAreWrittenAndDestroyedWithoutRecursion) {
  {
    CTextStream stream;
    CXmlTextWriter writer(stream);
    writer.SetFormatted(false);
    for (int i = 0; i < 200000; ++i) writer.StartElement(L"e", L"urn:x");
    EXPECT_EQ(writer.GetCurrentElement()->GetDepth(), 200000 - 1);
    // Destroyed with every element still open.
  }
  constexpr int kDepth = 20000;
  CTextStream stream;
  CXmlTextWriter writer(stream);
  writer.SetFormatted(false);
  for (int i = 0; i < kDepth; ++i) writer.StartElement(L"e", L"");
  for (int i = 0; i < kDepth; ++i) writer.EndElement();
  writer.Close();
  const std::wstring& text = stream.GetAllText();
  EXPECT_EQ(text.size(), size_t{kDepth} * 7 - 3);
  EXPECT_EQ(text.substr(text.size() - 12), L"</e></e></e>");
}

}  // namespace
