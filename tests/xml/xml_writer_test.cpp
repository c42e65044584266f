// SPDX-License-Identifier: MIT
#include <korvel/xml_writer.h>

#include <korvel/text_stream.h>
#include <korvel/xml_text_writer.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "test_support.h"

using namespace Korvel;
using Context = CXmlWriter::CXmlWriterContext;

namespace {

TEST(WriterContext, ChildSharesItsParentsScopeUntilItChangesIt) {
  const CXmlWriter::NamespaceMap documentAliases{{L"urn:p", L"p"}};
  auto* root = new Context(L"r", L"urn:d", L"urn:d", documentAliases);
  EXPECT_FALSE(root->SharesParentScope());
  EXPECT_EQ(root->GetDepth(), 0);

  auto* child = new Context(L"c", L"urn:p", root);
  auto* grandchild = new Context(L"g", L"", child);
  EXPECT_TRUE(child->SharesParentScope());
  EXPECT_EQ(&child->GetAliases(), &root->GetAliases());
  EXPECT_EQ(grandchild->GetDepth(), 2);
  EXPECT_EQ(grandchild->GetParent(), child);

  // The child copies on its first change; the root keeps what it had.
  EXPECT_EQ(child->AllocatePrefix(L"urn:x"), L"AA");
  EXPECT_FALSE(child->SharesParentScope());
  EXPECT_EQ(root->FindPrefix(L"urn:x"), nullptr);
  ASSERT_NE(child->FindPrefix(L"urn:p"), nullptr);
  EXPECT_EQ(*child->FindPrefix(L"urn:p"), L"p");
  EXPECT_EQ(child->GetDefaultNamespace(), L"urn:d");
  // A grandchild created before the change still reads the scope it was given.
  EXPECT_EQ(grandchild->FindPrefix(L"urn:x"), nullptr);

  auto* other = new Context(L"o", L"", child);
  grandchild->DetachParent();
  delete grandchild;
  ASSERT_NE(other->FindPrefix(L"urn:x"), nullptr);
  other->SetDefaultNamespace(L"urn:o");
  EXPECT_TRUE(other->IsUnprefixed(L"urn:o"));
  EXPECT_TRUE(other->IsUnprefixed(L""));
  EXPECT_FALSE(other->IsUnprefixed(L"urn:d"));
  EXPECT_EQ(child->GetDefaultNamespace(), L"urn:d");
  // Deleting the innermost context deletes its ancestors too (checked by the
  // sanitizer build).
  delete other;
}

TEST(WriterContext, PrefixAllocationSkipsPrefixesInScope) {
  CXmlWriter::NamespaceMap aliases{{L"urn:1", L"AA"}, {L"urn:2", L"AC"}};
  Context root(L"r", L"", L"", aliases);
  EXPECT_EQ(root.AllocatePrefix(L"urn:a"), L"AB");
  EXPECT_EQ(root.AllocatePrefix(L"urn:b"), L"AD");
  // Re-allocating for a mapped URI replaces its prefix.
  EXPECT_EQ(root.AllocatePrefix(L"urn:1"), L"AE");
  EXPECT_EQ(root.AllocatePrefix(L"urn:c"), L"AA");
}

TEST(WriterContext, PrefixSequenceRunsThroughTheAlphabetAndBeyond) {
  Context root(L"r", L"", L"", {});
  std::vector<std::wstring> prefixes;
  for (int i = 0; i < 26 * 26 + 2; ++i) {
    prefixes.push_back(root.AllocatePrefix(L"urn:" + std::to_wstring(i)));
  }
  EXPECT_EQ(prefixes[0], L"AA");
  EXPECT_EQ(prefixes[1], L"AB");
  EXPECT_EQ(prefixes[25], L"AZ");
  EXPECT_EQ(prefixes[26], L"BA");
  EXPECT_EQ(prefixes[26 * 26 - 1], L"ZZ");
  EXPECT_EQ(prefixes[26 * 26], L"AAA");
  EXPECT_EQ(prefixes[26 * 26 + 1], L"AAB");
}

// A writer that records the contexts it is handed, to check the base's stack.
class StackWriter : public CXmlWriter {
 public:
  StackWriter() : CXmlWriter(L"StackWriter") {}
  void WriteComment(const std::wstring&) override {}
  void WriteProcessingInstruction(const std::wstring&) override {}
  void WriteInLineSchema(const std::wstring&) override {}
  void StartElement(const std::wstring& name, const std::wstring& ns) override {
    PushElement(name, ns);
  }
  void WriteText(const std::wstring&, ItemType, bool) override {}
  void EndElement() override { PopElement(); }
  void WriteAttribute(const std::wstring&, const std::wstring&, const std::wstring&,
                      ItemType) override {}
  void WriteXsiType(const std::wstring&, const std::wstring&, ItemType) override {}
  void WriteNil() override {}
};

TEST(XmlWriter, DocumentScopeBeforeTheRootAndElementScopeInside) {
  StackWriter writer;
  EXPECT_EQ(writer.GetDocumentAliases().size(), 1u);
  EXPECT_EQ(writer.GetDocumentAliases().at(CXmlWriter::XML_NAMESPACE), L"xml");
  writer.AddNamespaceAlias(L"a", L"urn:a");
  writer.SetDefaultNamespace(L"urn:d");
  writer.StartElement(L"r", L"urn:d");
  Context* root = writer.GetCurrentElement();
  EXPECT_EQ(root->GetDefaultNamespace(), L"urn:d");
  ASSERT_NE(root->FindPrefix(L"urn:a"), nullptr);

  writer.StartElement(L"c", L"");
  writer.SetDefaultNamespace(L"urn:inner");
  writer.AddNamespaceAlias(L"b", L"urn:b");
  Context* child = writer.GetCurrentElement();
  EXPECT_EQ(child->GetDefaultNamespace(), L"urn:inner");
  EXPECT_EQ(root->GetDefaultNamespace(), L"urn:d");
  EXPECT_EQ(root->FindPrefix(L"urn:b"), nullptr);
  // Inside an element nothing reaches the document's scope.
  EXPECT_EQ(writer.GetDocumentDefaultNamespace(), L"urn:d");
  EXPECT_EQ(writer.GetDocumentAliases().count(L"urn:b"), 0u);

  writer.EndElement();
  EXPECT_EQ(writer.GetCurrentElement(), root);
  EXPECT_EQ(root->GetChildCount(), 0);  // counting children is the writers' business
  writer.StartElement(L"d", L"");
  // A reused context starts afresh, sharing its new parent's scope.
  Context* next = writer.GetCurrentElement();
  EXPECT_TRUE(next->SharesParentScope());
  EXPECT_EQ(next->GetDefaultNamespace(), L"urn:d");
  EXPECT_EQ(next->GetName(), L"d");
  EXPECT_EQ(next->GetWriterState(), 0);
  EXPECT_TRUE(next->IsStartTagOpen());
  writer.EndElement();
  KORVEL_EXPECT_THROW_MESSAGE(writer.Close(), CKvException, L"An Element has not been closed.");
  writer.EndElement();
  writer.Close();
  KORVEL_EXPECT_THROW_MESSAGE(writer.EndElement(), CKvException, L"No element is open.");
}

// The writer's scripts are in tests/data/xml/text_writer.txt; these need bytes
// or sizes no script shows.
class TextWriter : public ::testing::Test {
 protected:
  TextWriter() : m_writer(m_stream) { m_writer.Open(); }

  std::wstring Text() { return m_stream.GetAllText(); }

  CTextStream m_stream{XmlEncoding_UTF8};
  CXmlTextWriter m_writer;
};

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

// A second parser (xmllint) must accept what the text writer produces.
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
