// SPDX-License-Identifier: MIT
#include "fastinfoset/fast_infoset_reader.h"

#include <gtest/gtest.h>

#include <string>

#include <korvel/serialization_context.h>

#include "fastinfoset/fi_test_support.h"
#include "test_support.h"
#include "values/compression.h"
#include "xml/xml_tree_builder.h"

namespace Korvel::testing {
namespace {

constexpr wchar_t kXsi[] = L"http://www.w3.org/2001/XMLSchema-instance";

std::wstring ReadHex(const std::string& hex,
                     const CSerializationContext& context = CSerializationContext()) {
  const CBinaryData bytes = Octets(hex);
  CXmlDocument document(context);
  document.LoadXmlStream(bytes.GetData(), bytes.GetLength());
  return Tree(document);
}

TEST(FastInfosetReader, RecognisesEveryByteForm) {
  // Exactly the identification is no document: the text reader gets it.
  EXPECT_THROW(ReadHex("E0 00 00 01"), CKvException);
  const CBinaryData declared = WriteFi(
      CFastInfosetContext(),
      [](CFastInfosetWriter& w) {
        w.StartElement(L"r", L"urn:a");
        w.WriteAttribute(L"a", L"", L"", it_string);
        w.WriteText(std::wstring(300, L'x'), it_string, false);
        w.EndElement();
      },
      FInfoDecl_Version10StandaloneYes);
  const std::wstring tree = L"{urn:a}r {}a=(\"" + std::wstring(300, L'x') + L"\")";
  EXPECT_EQ(ReadTree(declared), tree);
  const auto fromFile = [](const CBinaryData& bytes, bool async) {
    TempDir dir;
    dir.Write("doc.fi", BytesOf(bytes));
    AsyncFromXmlFile(async);
    CXmlDocument file;
    file.Load(dir.WidePath("doc.fi").c_str());
    AsyncFromXmlFile(false);
    return Tree(file);
  };
  // The chunked file path hands a Fast Infoset file to the reader whole.
  EXPECT_EQ(fromFile(declared, true), tree);
  for (CompressionType type : {ct_gzip, ct_zlib}) {
    CBinaryData packed = declared;
    detail::CompressData(packed, type);
    ASSERT_NE(packed, declared);
    EXPECT_EQ(ReadTree(packed), tree);
    EXPECT_EQ(fromFile(packed, false), tree);
  }
}

TEST(FastInfosetReader, RoundTripsNamesValuesAndDeepNesting) {
  CFastInfosetContext options;
  options.SetSuggestedValues();
  const CBinaryData document = WriteFi(options, [](CFastInfosetWriter& w) {
    w.SetDefaultNamespace(L"urn:d");
    w.StartElement(L"r", L"urn:d");
    w.WriteAttribute(L"lang", CXmlWriter::XML_NAMESPACE, L"en", it_string);
    w.WriteAttribute(L"n", L"urn:o", L"\u00e9\U0001F600", it_string);
    const struct {
      const wchar_t* text;
      ItemType type;
    } values[] = {{L"0.1", it_r8},         {L"1e+20", it_r4},          {L"-7", it_i8},
                  {L"false", it_boolean},  {L"AQID", it_base64Binary}, {L"0A0B", it_hexBinary},
                  {L"-1.5e3", it_decimal}, {L"12:30:00Z", it_time},    {L"a\r\nb", it_string}};
    for (const auto& value : values) {
      w.StartElement(L"v", L"");
      w.WriteText(value.text, value.type, false);
      w.EndElement();
    }
    for (int i = 0; i < 100000; ++i) w.StartElement(L"d", L"urn:d");
    for (int i = 0; i < 100000; ++i) w.EndElement();
    w.EndElement();
  });
  CXmlDocument read;
  read.LoadXmlStream(document.GetData(), document.GetLength());
  const CXmlElement* root = read.GetDocumentElement();
  ASSERT_EQ(root->GetAttributes().size(), 2u);
  EXPECT_EQ(root->GetAttributes()[0]->GetNamespaceURI(), CXmlWriter::XML_NAMESPACE);
  EXPECT_EQ(root->GetAttributes()[1]->GetValue(), L"\u00e9\U0001F600");
  EXPECT_EQ(read.LookupNamespaceFromAlias(L"AA"), L"urn:o");
  std::wstring texts;
  const CXmlElement* e = root->GetFirstElement();
  for (; e->GetLocalName() == L"v"; e = e->GetNextSiblingElement()) texts += e->GetText() + L"|";
  EXPECT_EQ(texts, L"0.1|1e+20|-7|false|AQID|0A0B|-1.5e3|12:30:00Z|a\nb|");
  size_t depth = 0;
  for (; e; e = e->GetFirstElement()) ++depth;
  EXPECT_EQ(depth, 100000u);
}

// Indexed values are shared by the elements and attributes that refer to
// them; changing one element's text leaves the others alone.
TEST(FastInfosetReader, IndexedValuesAreCopiedOnWrite) {
  CFastInfosetContext options;
  options.SetSuggestedValues();
  const CBinaryData document = WriteFi(options, [](CFastInfosetWriter& w) {
    w.StartElement(L"r", L"");
    for (int i = 0; i < 3; ++i) {
      w.StartElement(L"v", L"");
      w.WriteAttribute(L"a", L"", L"same", it_string);
      w.WriteText(L"text", it_string, false);
      w.EndElement();
    }
    w.EndElement();
  });
  CXmlDocument read;
  read.LoadXmlStream(document.GetData(), document.GetLength());
  CXmlElement* first = read.GetDocumentElement()->GetFirstElement();
  // The first of each is a literal, the others refer to it.
  const CXmlElement* second = first->GetNextSiblingElement();
  const CXmlElement* last = second->GetNextSiblingElement();
  EXPECT_EQ(&second->GetText(), &last->GetText());
  EXPECT_EQ(&second->GetAttributes()[0]->GetValue(), &last->GetAttributes()[0]->GetValue());
  detail::XmlTreeBuilder::AppendText(first, L"!", 1);
  detail::XmlTreeBuilder::AppendText(const_cast<CXmlElement*>(second), L"?", 1);
  std::wstring texts;
  for (const CXmlElement* v = first; v; v = v->GetNextSiblingElement()) {
    texts += v->GetText() + L"/" + v->GetAttributes()[0]->GetValue() + L"|";
  }
  EXPECT_EQ(texts, L"text!/same|text?/same|text/same|");
}

TEST(FastInfosetReader, VocabulariesInitialAndExternal) {
  CSerializationContext context;
  CFastInfosetContext& options = context.GetFIContext();
  options.SetUseGeneratedVocabulary(true);
  options.GetVocabulary()->AddElement(L"", L"urn:n", L"r");
  const CBinaryData document = WriteFi(options, [](CFastInfosetWriter& w) {
    w.SetDefaultNamespace(L"urn:n");
    w.StartElement(L"r", L"urn:n");
    w.EndElement();
  });
  // The name is the vocabulary's first element name, not a literal.
  EXPECT_NE(Hex(document).find("F0 00 FF"), std::string::npos);
  CXmlDocument read(context);
  read.LoadXmlStream(document.GetData(), document.GetLength());
  EXPECT_EQ(Tree(read), L"{urn:n}r()");
  options.SetExternalVocabularyURI(L"urn:other");
  KORVEL_EXPECT_THROW_MESSAGE(read.LoadXmlStream(document.GetData(), document.GetLength()),
                              CKvException,
                              L"Failed to parse FastInfoset. Unknown external vocabulary "
                              L"[urn:korvel:fastinfoset:generated-vocabulary].");
}

TEST(FastInfosetReader, Messages) {
  const auto read = [](const VectorArgs& a) -> std::wstring {
    try {
      return L"read: " + ReadHex(detail::WideToUtf8(a[0]));
    } catch (const CKvException& e) {
      const std::wstring prefix = L"Failed to parse FastInfoset. ";
      const std::wstring message = e.GetMessageW();
      return L"!" +
             (message.rfind(prefix, 0) == 0 ? L"~" + message.substr(prefix.size()) : message);
    }
  };
  RunVectors("reader_messages.txt", {{L"read", read}});
}

TEST(FastInfosetReader, TableReferencesAreLimitedByTheDocumentsSize) {
  // A 1000-character chunk entered once, then referred to by one octet each time.
  const auto document = [](size_t references) {
    std::string hex = "E0 00 00 01 00 3C 00 72 93 00 00 02 E5";
    for (int i = 0; i < 1000; ++i) hex += " 61";
    for (size_t i = 0; i < references; ++i) hex += " A0";
    return hex + " FF";
  };
  EXPECT_EQ(ReadHex(document(8000)).size(), 8000u * 1000 + 1000 + 7);
  KORVEL_EXPECT_THROW_MESSAGE(ReadHex(document(9000)), CKvException,
                              L"Failed to parse FastInfoset. The document copies more text out of "
                              L"its tables than its size allows.");
}

// Every cut of a document, and every octet of it changed, fails cleanly or reads.
TEST(FastInfosetReader, TruncatedAndCorruptedDocuments) {
  CFastInfosetContext options;
  options.SetSuggestedValues();
  const CBinaryData document = WriteFi(options, [](CFastInfosetWriter& w) {
    w.StartElement(L"r", L"urn:a");
    w.WriteAttribute(L"a", L"urn:b", L"v", it_string);
    w.WriteNil();
    w.WriteText(L"12.5", it_decimal, false);
    w.StartElement(L"c", L"");
    w.WriteText(L"7", it_i4, false);
    w.EndElement();
    w.EndElement();
  });
  for (uint32_t length = 5; length < document.GetLength(); ++length) {
    SCOPED_TRACE(length);
    CXmlDocument cut;
    KORVEL_EXPECT_THROW_MESSAGE(cut.LoadXmlStream(document.GetData(), length), CKvException,
                                L"Failed to parse FastInfoset. Unexpected End of File.");
  }
  for (uint32_t at = 4; at < document.GetLength(); ++at) {
    for (unsigned char flip : {0x01, 0x10, 0x80, 0xFF}) {
      CBinaryData changed = document;
      changed[at] ^= flip;
      CXmlDocument corrupted;
      try {
        corrupted.LoadXmlStream(changed.GetData(), changed.GetLength());
      } catch (const CKvException&) {
      }
    }
  }
  EXPECT_EQ(ReadTree(document),
            std::wstring(L"{urn:a}r {urn:b}a=v {") + kXsi + L"}nil=true(\"12.5\"{}c(\"7\"))");
}

}  // namespace
}  // namespace Korvel::testing
