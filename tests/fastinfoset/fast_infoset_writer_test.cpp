// SPDX-License-Identifier: MIT
#include <korvel/fast_infoset_writer.h>

#include <korvel/fast_infoset_binary_data.h>
#include <korvel/object_base.h>

#include <string>

#include "binding/test_objects.h"
#include "fastinfoset/fi_test_support.h"
#include "fastinfoset/octet_forms.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

using Encoding = CFastInfosetContext::EncodedCharacterString;
constexpr char kHeader[] = "E0 00 00 01 00 ";

CFastInfosetContext Suggested() {
  CFastInfosetContext options;
  options.SetSuggestedValues();
  return options;
}

// Root r holding one text of the item type.
std::string TextDocument(const CFastInfosetContext& options, const std::wstring& text,
                         ItemType type) {
  return Hex(WriteFi(options, [&](CFastInfosetWriter& w) {
    w.StartElement(L"r", L"");
    w.WriteText(text, type, false);
    w.EndElement();
  }));
}

// Rows of tests/data/fastinfoset/writer_scripts.txt.
TEST(FastInfosetWriter, ElementsNamesAttributeValuesAndPrefixes) {
  CFastInfosetContext options;
  RunVectors("writer_scripts.txt",
             {{L"write", [&](const VectorArgs& calls) { return WriteScript(options, calls); }}});
  // Text after a child lands in the parent, after the child's end.
  EXPECT_EQ(ReadTree(WriteFi(options,
                             [](CFastInfosetWriter& w) {
                               w.StartElement(L"r", L"");
                               w.WriteText(L"a", it_string, false);
                               w.StartElement(L"c", L"");
                               w.EndElement();
                               w.WriteText(L"b", it_string, false);
                               w.EndElement();
                             })),
            L"{}r [ab] ({}c)");
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
  const CBinaryData document = WriteFi(options, [](CFastInfosetWriter& w) {
    w.SetDefaultNamespace(L"urn:d");
    w.AddNamespaceAlias(L"p", L"urn:p");
    w.StartElement(L"r", L"urn:d");
    w.StartElement(L"c", L"");
    w.WriteNil();
    w.EndElement();
    w.StartElement(L"t", L"urn:d");
    w.AddNamespaceAlias(L"q", L"urn:q");  // declared on t, whose start is not out yet
    w.WriteXsiType(L"urn:t", L"T", it_string);
    w.EndElement();
    w.EndElement();
  });
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
                 const std::string bytes =
                     TextDocument(suggested, a[1], static_cast<ItemType>(std::stoi(a[0])));
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
  const CBinaryData announced = WriteFi(
      options,
      [](CFastInfosetWriter& w) {
        w.StartElement(L"r", L"");
        w.EndElement();
      },
      FInfoDecl_Encoding);
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

CSmartPtr<CPerson> Ann() {
  CSmartPtr<CPerson> person = new CPerson;
  person->id = L"7";
  person->name = L"Ann \u00e9";
  return person;
}

void ExpectAnn(const CPerson& read) {
  EXPECT_EQ(read.id, L"7");
  EXPECT_EQ(read.name, L"Ann \u00e9");
}

TEST(ObjectBaseFastInfoset, StreamsAndFilesReadBackThroughTheXmlEntryPoints) {
  const CSmartPtr<CPerson> ann = Ann();
  CSerializationContext context;
  context.GetFIContext().SetSuggestedValues();
  for (CompressionType compression : {ct_none, ct_gzip, ct_zlib}) {
    for (FInfoDecl declaration : {FInfoDecl_None, FInfoDecl_Version11StandaloneNo}) {
      SCOPED_TRACE(std::to_string(compression) + " " + std::to_string(declaration));
      const CBinaryData bytes = ann->ToFastInfosetStream(declaration, context, compression);
      CPerson read;
      read.FromXmlStream(bytes, context);
      ExpectAnn(read);
    }
  }
  // The root declares its namespace's prefix, so that the name can be resolved.
  EXPECT_EQ(Hex(ann->ToFastInfosetStream(FInfoDecl_None, context, ct_none)).substr(0, 30),
            "E0 00 00 01 00 78 CF 01 41 41 ");

  TempDir dir;
  for (CompressionType compression : {ct_none, ct_gzip}) {
    const std::wstring path = dir.WidePath("ann" + std::to_string(compression) + ".fi");
    ann->ToFastInfosetFile(path.c_str(), FInfoDecl_Encoding, context, compression);
    CPerson read;
    read.FromXmlFile(path.c_str(), context);
    ExpectAnn(read);
  }
  KORVEL_EXPECT_THROW_MESSAGE(
      ann->ToFastInfosetFile(dir.WidePath("z.fi").c_str(), FInfoDecl_None, context, ct_zlib),
      CKvException, L"ZLIB Compression only available for To Stream methods.");
  EXPECT_TRUE(dir.Read("z.fi").empty());
}

using namespace detail::fi;

std::string Encode(const std::string& form, uint32_t value) {
  std::string out;
  if (form == "index2") PutIndexBit2(out, 0, value);
  if (form == "index3") PutIndexBit3(out, 0, value);
  if (form == "chunk4") PutIndexBit4(out, 0xA0, value);
  if (form == "length2") PutLengthBit2(out, 0, value);
  if (form == "length5") PutLengthBit5(out, 0, value);
  if (form == "length7") PutLengthBit7(out, 0, value);
  if (form == "sequence") PutSequenceLength(out, value);
  return Hex(reinterpret_cast<const unsigned char*>(out.data()), out.size());
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

}  // namespace
}  // namespace Korvel::testing
