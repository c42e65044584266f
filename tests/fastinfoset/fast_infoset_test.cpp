// SPDX-License-Identifier: MIT
// Fast Infoset: the vocabulary and the options, the writer and the reader
// (forms, names, values, messages), and the object entry points.
#include "fastinfoset/fast_infoset_reader.h"

#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <korvel/binary_data.h>
#include <korvel/fast_infoset_binary_data.h>
#include <korvel/fast_infoset_context.h>
#include <korvel/fast_infoset_writer.h>
#include <korvel/fi_vocabulary.h>
#include <korvel/object_base.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "binding/test_objects.h"
#include "fastinfoset/fi_text_element.h"
#include "fastinfoset/octet_forms.h"
#include "test_support.h"
#include "tree_text.h"
#include "values/compression.h"
#include "values/utf.h"
#include "vector_file.h"
#include "xml/xml_tree_builder.h"

namespace Korvel {

// Found by argument-dependent lookup, so that failures print the two fields.
void PrintTo(const CFastInfosetContext::EncodedCharacterString& e, std::ostream* os) {
  *os << "{" << e.kind << ", " << e.index << "}";
}

}  // namespace Korvel

namespace Korvel::testing {

// "E0 00 00 01"
inline std::string Hex(const unsigned char* data, size_t length) {
  std::string text;
  char octet[4];
  for (size_t i = 0; i < length; ++i) {
    std::snprintf(octet, sizeof octet, i ? " %02X" : "%02X", data[i]);
    text += octet;
  }
  return text;
}
inline std::string Hex(const CBinaryData& data) { return Hex(data.GetData(), data.GetLength()); }

inline CBinaryData Octets(const std::string& hex) {
  CBinaryData data;
  for (size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    data.Append(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return data;
}

// Runs the rows of tests/data/fastinfoset/<name>.
inline void RunVectors(const std::string& name, const VectorOperations& operations) {
  RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/fastinfoset/" + name, operations);
}

inline std::wstring Wide(const std::string& utf8) { return detail::Utf8ToWide(utf8); }

// The document that body writes, after the header of decl.
template <class Body>
CBinaryData WriteFi(const CFastInfosetContext& options, Body body,
                    FInfoDecl decl = FInfoDecl_None) {
  CBinaryData out;
  CFastInfosetWriter writer(out, options);
  writer.WriteHeader(decl);
  body(writer);
  writer.Close();
  return out;
}

// The document written by calls "name|argument|...": start|name|ns, end,
// attr|name|ns|value, text|value[|item type number], nil, default|ns, alias|prefix|ns,
// xsitype|ns|name. With oneStep, start, text and end in a row go in one step
// where the writer takes them so, their names as lasting as the metadata's.
inline CBinaryData Script(const CFastInfosetContext& options, const VectorArgs& calls,
                          FInfoDecl decl = FInfoDecl_None, bool oneStep = false) {
  std::vector<VectorArgs> split;
  for (const std::wstring& call : calls) split.push_back(Split(call, L'|', 4));
  return WriteFi(options, [&](CFastInfosetWriter& w) {
    for (size_t i = 0; i < calls.size(); ++i) {
      const VectorArgs& c = split[i];
      if (oneStep && c[0] == L"start" && i + 2 < calls.size() && calls[i + 2] == L"end") {
        const VectorArgs& t = split[i + 1];
        if (t[0] == L"text" &&
            detail::WriteFastInfosetTextElement(w, c[1], c[2], t[1], it_string, false, true)) {
          i += 2;
          continue;
        }
      }
      if (c[0] == L"start") w.StartElement(c[1], c[2]);
      if (c[0] == L"end") w.EndElement();
      if (c[0] == L"attr") w.WriteAttribute(c[1], c[2], c[3], it_string);
      if (c[0] == L"text")
        w.WriteText(c[1], c[2].empty() ? it_string : static_cast<ItemType>(std::stoi(c[2])), false);
      if (c[0] == L"nil") w.WriteNil();
      if (c[0] == L"default") w.SetDefaultNamespace(c[1]);
      if (c[0] == L"alias") w.AddNamespaceAlias(c[1], c[2]);
      if (c[0] == L"xsitype") w.WriteXsiType(c[1], c[2], it_string);
    }
  }, decl);
}

inline std::wstring ReadTree(const CBinaryData& data,
                             const CSerializationContext& context = CSerializationContext()) {
  CXmlDocument document(context);
  document.LoadXmlStream(data.GetData(), data.GetLength());
  return TreeText(document);
}

namespace {

constexpr wchar_t kXsi[] = L"http://www.w3.org/2001/XMLSchema-instance";

CFastInfosetContext Suggested() {
  CFastInfosetContext options;
  options.SetSuggestedValues();
  return options;
}

std::wstring ReadHex(const std::string& hex,
                     const CSerializationContext& context = CSerializationContext()) {
  return ReadTree(Octets(hex), context);
}

TEST(FastInfosetReader, RecognisesEveryByteForm) {
  // Exactly the identification is no document: the text reader gets it.
  EXPECT_THROW(ReadHex("E0 00 00 01"), CKvException);
  const CBinaryData declared =
      Script(CFastInfosetContext(), {L"start|r|urn:a", L"attr|a||", L"text|" + std::wstring(300, L'x'), L"end"},
             FInfoDecl_Version10StandaloneYes);
  const std::wstring tree = L"{urn:a}r @{}a= [" + std::wstring(300, L'x') + L"]";
  EXPECT_EQ(ReadTree(declared), tree);
  const auto fromFile = [](const CBinaryData& bytes, bool async) {
    TempDir dir;
    dir.Write("doc.fi", BytesOf(bytes));
    AsyncFromXmlFile(async);
    CXmlDocument file;
    file.Load(dir.WidePath("doc.fi").c_str());
    AsyncFromXmlFile(false);
    return TreeText(file);
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
  const CFastInfosetContext options = Suggested();
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
  const CFastInfosetContext options = Suggested();
  VectorArgs calls = {L"start|r|"};
  for (int i = 0; i < 3; ++i) calls.insert(calls.end(), {L"start|v|", L"attr|a||same", L"text|text", L"end"});
  calls.push_back(L"end");
  const CBinaryData document = Script(options, calls);
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
  const CBinaryData document = Script(options, {L"default|urn:n", L"start|r|urn:n", L"end"});
  // The name is the vocabulary's first element name, not a literal.
  EXPECT_NE(Hex(document).find("F0 00 FF"), std::string::npos);
  EXPECT_EQ(ReadTree(document, context), L"{urn:n}r");
  options.SetExternalVocabularyURI(L"urn:other");
  KORVEL_EXPECT_THROW_MESSAGE(ReadTree(document, context), CKvException,
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
  EXPECT_EQ(ReadHex(document(8000)).size(), 8000u * 1000 + 1000 + 6);
  KORVEL_EXPECT_THROW_MESSAGE(ReadHex(document(9000)), CKvException,
                              L"Failed to parse FastInfoset. The document copies more text out of "
                              L"its tables than its size allows.");
}

// Every cut of a document fails with the same message; changed octets are the
// fuzzer's (this document is one of its seeds).
TEST(FastInfosetReader, TruncatedDocuments) {
  const CFastInfosetContext options = Suggested();
  static_assert(it_i4 == 5 && it_decimal == 25);
  const CBinaryData document = Script(options, {L"start|r|urn:a", L"attr|a|urn:b|v", L"nil",
                                                L"text|12.5|25", L"start|c|", L"text|7|5", L"end", L"end"});
  for (uint32_t length = 5; length < document.GetLength(); ++length) {
    SCOPED_TRACE(length);
    CXmlDocument cut;
    KORVEL_EXPECT_THROW_MESSAGE(cut.LoadXmlStream(document.GetData(), length), CKvException,
                                L"Failed to parse FastInfoset. Unexpected End of File.");
  }
  EXPECT_EQ(ReadTree(document),
            std::wstring(L"{urn:a}r @{urn:b}a=v @{") + kXsi + L"}nil=true [12.5] ({}c [7])");
}

using Encoding = CFastInfosetContext::EncodedCharacterString;
constexpr char kHeader[] = "E0 00 00 01 00 ";

// Rows of tests/data/fastinfoset/writer_scripts.txt.
TEST(FastInfosetWriter, ElementsNamesAttributeValuesAndPrefixes) {
  CFastInfosetContext options;
  RunVectors("writer_scripts.txt", {{L"write", [&](const VectorArgs& calls) {
               const std::string bytes = Hex(Script(options, calls));
               EXPECT_EQ(Hex(Script(options, calls, FInfoDecl_None, true)), bytes) << "in one step";
               return Wide(bytes);
             }}});
  // Lasting names are found again by their address alone, among others met since.
  const std::wstring a = L"a", bb = L"bb", none;
  const auto repeated = [&](bool oneStep) {
    return Hex(WriteFi(options, [&](CFastInfosetWriter& w) {
      w.StartElement(L"r", L"");
      for (const std::wstring* name : {&a, &bb, &a, &bb, &a, &bb, &a}) {
        if (oneStep && detail::WriteFastInfosetTextElement(w, *name, none, L"t", it_string, false,
                                                           true)) {
          continue;
        }
        w.StartElement(*name, none);
        w.WriteText(L"t", it_string, false);
        w.EndElement();
      }
      w.EndElement();
    }));
  };
  EXPECT_EQ(repeated(true), repeated(false));
  // Text after a child lands in the parent, after the child's end.
  EXPECT_EQ(ReadTree(Script(options, {L"start|r|", L"text|a", L"start|c|", L"end", L"text|b", L"end"})),
            L"{}r [ab] ({}c)");
  // A lone surrogate in a value or a name becomes U+FFFD, as in XML text.
  EXPECT_EQ(ReadTree(Script(options, {L"start|r|u\xD800", L"text|a\xDC00", L"end"})),
            L"{u\xFFFD}r [a\xFFFD]");
  CBinaryData ignored;
  CFastInfosetWriter writer(ignored, options);
  writer.StartElement(L"r", L"");
  writer.StartElement(L"c", L"");
  writer.EndElement();
  KORVEL_EXPECT_THROW_MESSAGE(writer.WriteAttribute(L"a", L"", L"v", it_string), CKvException,
                              L"Attributes must be added before elements");
  writer.EndElement();
}

TEST(FastInfosetWriter, EveryPrefixIsDeclaredWhereItIsIntroduced) {
  CFastInfosetContext options;
  // The document's default namespace on the root; xmlns="" on a child in no
  // namespace; xsi declared on the element that first uses it.
  // q is declared on t, whose start is not out yet.
  const CBinaryData document =
      Script(options, {L"default|urn:d", L"alias|p|urn:p", L"start|r|urn:d", L"start|c|", L"nil",
                       L"end", L"start|t|urn:d", L"alias|q|urn:q", L"xsitype|urn:t|T", L"end", L"end"});
  const std::string bytes = Hex(document);
  EXPECT_EQ(bytes.substr(15, 24), "38 CD 04 75 72 6E 3A 64 ");    // xmlns="urn:d" on r
  EXPECT_NE(bytes.find("78 CC CF 01 41 41"), std::string::npos);  // xmlns="", xmlns:AA on c
  EXPECT_NE(bytes.find("78 CF 00 71 04 75 72 6E 3A 71"), std::string::npos);  // xmlns:q on t
  EXPECT_EQ(ReadTree(document),
            L"{urn:d}r ({}c @{http://www.w3.org/2001/XMLSchema-instance}nil=true)"
            L" ({urn:d}t @{http://www.w3.org/2001/XMLSchema-instance}type=AA:T)");
}

TEST(FastInfosetWriter, TypedValuesUseTheirAlphabetOrAlgorithm) {
  const CFastInfosetContext suggested = Suggested();
  RunVectors("typed_values.txt",
             {{L"text", [&](const VectorArgs& a) {
                 const std::string bytes = Hex(Script(suggested, {L"start|r|", L"text|" + a[1] + L"|" + a[0], L"end"}));
                 const std::string frame = std::string(kHeader) + "3C 00 72 ";
                 const size_t length = bytes.size() - frame.size() - 3;  // the chunk, before " FF"
                 const bool framed = bytes.rfind(frame, 0) == 0 &&
                                     bytes.size() >= frame.size() + 3 &&
                                     bytes.compare(frame.size() + length, 3, " FF") == 0;
                 return Wide(framed ? bytes.substr(frame.size(), length) : "unframed " + bytes);
               }}});
  // A character-chunk index above 1040 takes the three-octet form.
  const CBinaryData many = WriteFi(CFastInfosetContext(), [](CFastInfosetWriter& w) {
    w.StartElement(L"r", L"");
    for (int i = 0; i <= 1100; ++i) {
      w.StartElement(L"v", L"");
      w.WriteText(std::to_wstring(i == 1100 ? 1049 : i), it_string, false);
      w.EndElement();
    }
    w.EndElement();
  });
  const std::string bytes = Hex(many);
  EXPECT_EQ(bytes.substr(bytes.size() - 20), "F0 01 B4 00 09 FF F0");
  CXmlDocument read;
  read.LoadXmlStream(many.GetData(), many.GetLength());
  const CXmlElement* last = read.GetDocumentElement()->GetFirstElement();
  for (int i = 0; i < 1100; ++i) last = last->GetNextSiblingElement();
  EXPECT_EQ(last->GetText(), L"1049");
}

TEST(FastInfosetWriter, HeaderAndEncodingErrors) {
  CFastInfosetContext options;
  options.SetUseGeneratedVocabulary(true);
  options.SetExternalVocabularyURI(L"urn:v");
  const std::string header =
      Hex(reinterpret_cast<const unsigned char*>("<?xml encoding='finf'?>"), 23) +
      " E0 00 00 01 20 10 00 04 75 72 6E 3A 76 ";
  const CBinaryData announced = Script(options, {L"start|r|", L"end"}, FInfoDecl_Encoding);
  EXPECT_EQ(Hex(announced).substr(0, header.size()), header);

  const struct {
    Encoding encoding;
    const wchar_t* attributeMessage;
    const wchar_t* textMessage;
  } rows[] = {
      {{1, 3},
       L"Failed to write FastInfoset. Invalid Restricted Alphabet value [3]",
       L"Failed to write FastInfoset. Invalid Restricted Alphabet value [3]"},
      {{2, 11},
       L"Failed to write FastInfoset. Invalid Encoding Algorithm value [11]",
       L"Failed to write FastInfoset. Invalid Encoding Algorithm value [11]"},
      {{7, 1},
       L"Failed to write FastInfoset. Unknown encoding in EncodedCharacterStringBit5.",
       L"Failed to write FastInfoset. Unknown encoding in EncodedCharacterStringBit7."},
  };
  for (const auto& row : rows) {
    CFastInfosetContext bad;
    bad.SetEncoding(it_string, row.encoding);
    CBinaryData out;
    CFastInfosetWriter writer(out, bad);
    writer.StartElement(L"r", L"");
    writer.WriteAttribute(L"a", L"", L"v", it_string);
    KORVEL_EXPECT_THROW_MESSAGE(writer.WriteText(L"1", it_string, false), CKvException,
                                row.attributeMessage);
    writer.StartElement(L"c", L"");
    KORVEL_EXPECT_THROW_MESSAGE(writer.WriteText(L"1", it_string, false), CKvException,
                                row.textMessage);
  }
  CBinaryData out;
  CFastInfosetWriter closed(out, options);
  closed.StartElement(L"r", L"");
  closed.EndElement();
  closed.Close();
  closed.Close();
  EXPECT_EQ(Hex(out), "E0 00 00 01 20 10 00 04 75 72 6E 3A 76 3C 00 72 FF");
  CFastInfosetWriter open(out, options);
  open.StartElement(L"r", L"");
  KORVEL_EXPECT_THROW_MESSAGE(open.Close(), CKvException, L"An Element has not been closed.");
}

TEST(ObjectBaseFastInfoset, StreamsAndFilesReadBackThroughTheXmlEntryPoints) {
  const CSmartPtr<CPerson> ann = Ann();
  CSerializationContext context;
  context.GetFIContext().SetSuggestedValues();
  for (CompressionType compression : {ct_none, ct_gzip, ct_zlib}) {
    for (FInfoDecl declaration : {FInfoDecl_None, FInfoDecl_Version11StandaloneNo}) {
      SCOPED_TRACE(std::to_string(compression) + " " + std::to_string(declaration));
      const CBinaryData bytes = ann->ToFastInfosetStream(declaration, context, compression);
      ExpectReadsAnn([&](CPerson& read) { read.FromXmlStream(bytes, context); });
    }
  }
  // The root declares its namespace's prefix, so that the name can be resolved.
  EXPECT_EQ(Hex(ann->ToFastInfosetStream(FInfoDecl_None, context, ct_none)).substr(0, 30),
            "E0 00 00 01 00 78 CF 01 41 41 ");

  TempDir dir;
  for (CompressionType compression : {ct_none, ct_gzip}) {
    const std::wstring path = dir.WidePath("ann" + std::to_string(compression) + ".fi");
    ann->ToFastInfosetFile(path.c_str(), FInfoDecl_Encoding, context, compression);
    ExpectReadsAnn([&](CPerson& read) { read.FromXmlFile(path.c_str(), context); });
  }
  KORVEL_EXPECT_THROW_MESSAGE(
      ann->ToFastInfosetFile(dir.WidePath("z.fi").c_str(), FInfoDecl_None, context, ct_zlib),
      CKvException, L"ZLIB Compression only available for To Stream methods.");
  EXPECT_TRUE(dir.Read("z.fi").empty());
}

using namespace detail::fi;

std::string Encode(const std::string& form, uint32_t value) {
  detail::fi::Octets out;
  if (form == "index2") Put(out, PutIndexBit2, 0, value);
  if (form == "index3") Put(out, PutIndexBit3, 0, value);
  if (form == "chunk4") Put(out, PutIndexBit4, 0xA0, value);
  if (form == "length2") Put(out, PutLengthBit2, 0, value);
  if (form == "length5") Put(out, PutLengthBit5, 0, value);
  if (form == "length7") Put(out, PutLengthBit7, 0, value);
  if (form == "sequence") Put(out, PutSequenceLength, value);
  return Hex(reinterpret_cast<const unsigned char*>(out.Data()), out.Size());
}

// Documents whose only use of an index is out of its table's range, so that
// the reader's message shows the index it decoded.
const struct {
  const char* form;
  const char* document;
  const wchar_t* table;
} kIndexDocuments[] = {
    {"index3", "E0 00 00 01 00 ", L"element name"},
    {"index2", "E0 00 00 01 00 7C 00 72 ", L"attribute name"},
    {"chunk4", "E0 00 00 01 00 3C 00 72 ", L"character chunk"},
};

TEST(FiOctetForms, EveryBoundaryIsWrittenAndReadAsX891LaysItOut) {
  const auto form = [](const VectorArgs& a) {
    const std::string name = detail::WideToUtf8(a[0]);
    const std::string octets = Encode(name, static_cast<uint32_t>(std::stoul(a[1])));
    for (const auto& index : kIndexDocuments) {
      if (name != index.form) continue;
      const CBinaryData bytes = Octets(index.document + octets);
      CXmlDocument parsed;
      KORVEL_EXPECT_THROW_MESSAGE(parsed.LoadXmlStream(bytes.GetData(), bytes.GetLength()),
                                  CKvException,
                                  L"Failed to parse FastInfoset. Invalid index [" + a[1] +
                                      L"] into the " + index.table + L" table.");
    }
    return Wide(octets);
  };
  RunVectors("octet_forms.txt", {{L"form", form}});
}

TEST(FastInfosetBinaryData, EveryAlgorithmBothWaysAndItsMessages) {
  const auto algorithm = [](const VectorArgs& a) {
    return static_cast<uint32_t>(std::stoul(a[0]));
  };
  RunVectors("algorithms.txt", {{L"decode",
                                 [&](const VectorArgs& a) {
                                   const CBinaryData octets = Octets(detail::WideToUtf8(a[1]));
                                   return CFastInfosetBinaryData(octets).GetAsString(algorithm(a));
                                 }},
                                {L"encode", [&](const VectorArgs& a) {
                                   CFastInfosetBinaryData data;
                                   data.SetAsEncodedString(algorithm(a), a[1].c_str());
                                   return Wide(Hex(data));
                                 }}});
}

using QName = CFIVocabulary::CQNameParts;
using CFI = CFIVocabulary;

std::vector<QName> QNames(const CFI::CFIQNameTable& table) { return {table.begin(), table.end()}; }

// Index of a value in one of the maps, or 0 when absent.
template <class Find, class... Parts>
uint32_t IndexOf(const CFI& vocabulary, Find find, const Parts&... parts) {
  uint32_t index = 0;
  return (vocabulary.*find)(parts..., index) ? index : 0;
}

// The answers of the queries among calls on one vocabulary, as
// tests/data/fastinfoset/vocabulary.txt describes them.
std::wstring VocabularyCalls(const testing::VectorArgs& calls) {
  using Find = bool (CFI::*)(const std::wstring&, uint32_t&) const;
  static const std::map<std::wstring, std::pair<void (CFI::*)(std::wstring), Find>> kStrings = {
      {L"attribute-value", {&CFI::AddAttributeValue, &CFI::FindAttributeValueIndex}},
      {L"element-value", {&CFI::AddElementValue, &CFI::FindElementValueIndex}},
      {L"prefix", {&CFI::AddPrefixName, &CFI::FindPrefixNameIndex}},
      {L"namespace", {&CFI::AddNamespaceName, &CFI::FindNamespaceNameIndex}},
      {L"local", {&CFI::AddLocalName, &CFI::FindLocalNameIndex}}};
  static const std::map<std::wstring, const CFI::CFIStringTable& (CFI::*)() const> kTables = {
      {L"attribute-values", &CFI::GetAttributeValuesTable},
      {L"element-values", &CFI::GetCharacterChunksTable},
      {L"prefixes", &CFI::GetPrefixNamesTable},
      {L"namespaces", &CFI::GetNamespaceNamesTable},
      {L"locals", &CFI::GetLocalNamesTable}};
  CFIVocabulary v;
  std::wstring out;
  for (const std::wstring& call : calls) {
    const testing::VectorArgs c = testing::Split(call, L'|', 4);
    const size_t dash = c[0].find(L'-');
    const std::wstring verb = c[0].substr(0, dash), object = c[0].substr(dash + 1);
    if (c[0] == L"element") v.AddElement(c[1], c[2], c[3]);
    if (c[0] == L"attribute") v.AddAttribute(c[1], c[2], c[3]);
    if (verb == L"add") (v.*kStrings.at(object).first)(c[1]);
    if (c[0] == L"find-element")
      out += std::to_wstring(IndexOf(v, &CFI::FindElementNameIndex, c[1], c[2], c[3])) + L"|";
    if (c[0] == L"find-attribute")
      out += std::to_wstring(IndexOf(v, &CFI::FindAttributeNameIndex, c[1], c[2], c[3])) + L"|";
    if (verb == L"find" && kStrings.count(object))
      out += std::to_wstring(IndexOf(v, kStrings.at(object).second, c[1])) + L"|";
    if (kTables.count(c[0])) {
      for (const std::wstring& text : (v.*kTables.at(c[0]))()) out += text + L",";
      out += L"|";
    }
    if (c[0] == L"elements" || c[0] == L"attributes") {
      for (const QName& n :
           c[0] == L"elements" ? v.GetElementNamesTable() : v.GetAttributeNamesTable()) {
        out += std::to_wstring(n.prefixIndex) + L"." + std::to_wstring(n.namespaceNameIndex) +
               L"." + std::to_wstring(n.localNameIndex) + L",";
      }
      out += L"|";
    }
  }
  return out;
}

TEST(FIVocabulary, IndexesAndTablesOfQualifiedNamesAndValues) {
  testing::RunVectors("vocabulary.txt", {{L"vocabulary", VocabularyCalls}});
}

// Distinct two-character names, short enough to need no allocation of their own.
std::wstring ShortName(uint32_t i) {
  return {static_cast<wchar_t>(L'a' + (i >> 10)), static_cast<wchar_t>(L'a' + (i & 1023))};
}

TEST(FIVocabulary, FullTablesTakeNoMoreEntries) {
  constexpr uint32_t kLimit = CFIVocabulary::MAX_TABLE_ENTRIES;
  static_assert(kLimit == 1048576);
  CFIVocabulary v;
  for (uint32_t i = 0; i < kLimit; ++i) v.AddLocalName(ShortName(i));
  EXPECT_EQ(IndexOf(v, &CFI::FindLocalNameIndex, ShortName(kLimit - 1)), kLimit);
  v.AddLocalName(L"one too many");
  EXPECT_EQ(IndexOf(v, &CFI::FindLocalNameIndex, L"one too many"), 0u);
  EXPECT_EQ(v.GetLocalNamesTable().size(), kLimit);

  // A name whose new local name cannot be indexed is not entered at all, while one
  // made of known parts still is.
  v.AddElement(L"p", L"urn:n", L"new");
  EXPECT_EQ(v.GetElementNamesTable().size(), 0u);
  EXPECT_EQ(v.GetPrefixNamesTable().size(), 1u);
  EXPECT_EQ(v.GetNamespaceNamesTable().size(), 1u);
  v.AddElement(L"", L"", ShortName(6));
  EXPECT_EQ(QNames(v.GetElementNamesTable()), std::vector<QName>{QName(0, 0, 7)});
}

constexpr Encoding kDefault{};
constexpr Encoding Algorithm(uint32_t index) { return {Encoding::KIND_ENCODING_ALGORITHM, index}; }
constexpr Encoding Alphabet(uint32_t index) { return {Encoding::KIND_RESTRICTED_ALPHABET, index}; }

TEST(FastInfosetContext, TheEncodingTableBounds) {
  CFastInfosetContext context;
  // The first and last slots are the table's; item types beyond it have none.
  context.SetEncoding(0, Alphabet(2));
  context.SetEncoding(28, Algorithm(10));
  context.SetEncoding(29, Algorithm(1));
  context.SetEncoding(0xFFFFFFFFu, Algorithm(1));
  EXPECT_EQ(context.GetEncoding(0), Alphabet(2));
  EXPECT_EQ(context.GetEncoding(28), Algorithm(10));
  EXPECT_EQ(context.GetEncoding(29), kDefault);
  EXPECT_EQ(context.GetEncoding(0xFFFFFFFFu), kDefault);
  for (uint32_t type = 1; type < 28; ++type) EXPECT_EQ(context.GetEncoding(type), kDefault);
}

// Rows of tests/data/fastinfoset/suggested.txt: item type, preset encoding, and
// the encoding after SetSuggestedValues, as kind:index (0:0 is none).
TEST(FastInfosetContext, SuggestedValuesSetEveryKnownTypeAndKeepTheRest) {
  const auto parse = [](const std::wstring& text) {
    return Encoding{static_cast<uint32_t>(std::stoul(text)),
                    static_cast<uint32_t>(std::stoul(text.substr(text.find(L':') + 1)))};
  };
  testing::RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/fastinfoset/suggested.txt",
                         {{L"suggested", [&](const testing::VectorArgs& a) {
                             CFastInfosetContext context;
                             context.SetEncoding(std::stoul(a[0]), parse(a[1]));
                             context.SetAttributeMaxAddLength(10);
                             context.SetElementMaxAddLength(20);
                             context.SetSuggestedValues();
                             EXPECT_EQ(context.GetAttributeMaxAddLength(), 10u);
                             EXPECT_EQ(context.GetElementMaxAddLength(), 20u);
                             const Encoding e = context.GetEncoding(std::stoul(a[0]));
                             return std::to_wstring(e.kind) + L":" + std::to_wstring(e.index);
                           }}});
}

TEST(FastInfosetContext, CopiesOwnTheirVocabulary) {
  CFastInfosetContext original;
  original.SetSuggestedValues();
  original.SetUseGeneratedVocabulary(true);
  original.SetExternalVocabularyURI(L"urn:v");
  original.GetVocabulary()->AddElement(L"", L"urn:n", L"a");

  CFastInfosetContext copy(original);
  CFastInfosetContext assigned;
  assigned = original;
  ASSERT_NE(copy.GetVocabulary(), original.GetVocabulary());
  copy.GetVocabulary()->AddElement(L"", L"urn:n", L"b");
  assigned.GetVocabulary()->AddAttributeValue(L"v");
  original.SetEncoding(25, kDefault);
  original.SetExternalVocabularyURI(L"urn:changed");

  for (const CFastInfosetContext* context : {&copy, &assigned}) {
    EXPECT_EQ(context->GetEncoding(25), Alphabet(1));
    EXPECT_TRUE(context->GetUseGeneratedVocabulary());
    EXPECT_EQ(context->GetExternalVocabularyURI(), L"urn:v");
  }
  EXPECT_EQ(original.GetVocabulary()->GetElementNamesTable().size(), 1u);
  EXPECT_EQ(original.GetVocabulary()->GetAttributeValuesTable().size(), 0u);
  EXPECT_EQ(copy.GetVocabulary()->GetElementNamesTable().size(), 2u);
  EXPECT_EQ(assigned.GetVocabulary()->GetElementNamesTable().size(), 1u);
  uint32_t index = 0;  // the lookup maps are copies too
  EXPECT_FALSE(original.GetVocabulary()->FindLocalNameIndex(L"b", index));
  EXPECT_FALSE(original.GetVocabulary()->FindAttributeValueIndex(L"v", index));
  EXPECT_TRUE(copy.GetVocabulary()->FindLocalNameIndex(L"b", index));

  CFastInfosetContext moved;
  moved = std::move(copy);
  EXPECT_EQ(moved.GetVocabulary()->GetElementNamesTable().size(), 2u);
  EXPECT_EQ(moved.GetEncoding(5), Algorithm(4));
}

}  // namespace
}  // namespace Korvel::testing
