// SPDX-License-Identifier: MIT
// JSON to XML: the reader's events, messages, nesting limit and error paths;
// the mapping and its errors; the loaders of CXmlDocument over every input
// form; and the options of CJsonContext.
#include "json/json_to_xml.h"

#include "json/json_text_reader.h"

#include <string>

#include <korvel/json_context.h>
#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "test_support.h"
#include "values/compression.h"
#include "values/utf.h"
#include "vector_file.h"

namespace Korvel::detail {
namespace {

using testing::BytesOf;

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// The XML without its declaration and layout (no test value holds a tab or a
// line feed), or "!" and the message and path of the error.
std::wstring Convert(const std::wstring& json, const CJsonContext& context) {
  try {
    std::string xml = BytesOf(ConvertJsonToXml(json, context));
    EXPECT_EQ(xml.substr(0, kDeclaration.size()), kDeclaration);
    std::wstring compact;
    for (wchar_t c : Utf8ToWide(xml.substr(kDeclaration.size()))) {
      if (c != L'\n' && c != L'\t') compact += c;
    }
    return compact;
  } catch (const CKvValidationException& e) {
    const std::wstring message = e.GetMessageW();
    return L"!" + message.substr(0, message.find(L'\n')) + L" @ " + e.GetPath();
  } catch (const CKvInvalidStateException& e) {
    return L"!" + e.GetMessageW();
  }
}

TEST(JsonToXml, MapsMembersAttributesTextAndArraysOrSaysWhyNot) {
  const auto map = [](const testing::VectorArgs& a) {
    const std::wstring& input = a[0];
    const size_t space = input.find(L' ');
    CJsonContext context;
    context.SetSupportRoundtrip(input[0] == L'N'   ? JsonRoundTrip_None
                                : input[0] == L'P' ? JsonRoundTrip_Partial
                                                   : JsonRoundTrip_Full);
    if (input[1] == L':') context.SetRootElementName(input.substr(2, space - 2).c_str());
    return Convert(input.substr(space + 1), context);
  };
  testing::RunVectorFile("json/mapping.txt", {{L"map", map}});
}

TEST(JsonToTree, RefusesWhatAnXmlParserWould) {
  const auto tree = [](const testing::VectorArgs& a) -> std::wstring {
    CXmlDocument document;
    try {
      LoadJsonTree(document, a[0], CJsonContext());
    } catch (const CKvValidationException& e) {
      return L"!" + e.GetMessageW();
    } catch (const CKvException& e) {
      return L"wrong class: " + e.GetMessageW();
    }
    return L"loaded";
  };
  testing::RunVectorFile("json/tree.txt", {{L"tree", tree}});
  CXmlDocument document;
  LoadJsonTree(document, L"{\"p:a\":{\"@xmlns:p\":\"urn:p\",\"@xmlns\":\"urn:d\",\"b\":\"\\r\"}}",
               CJsonContext());
  const CXmlElement* a = document.GetDocumentElement();
  EXPECT_EQ(a->GetNamespaceURI(), L"urn:p");
  EXPECT_EQ(a->GetFirstElement()->GetNamespaceURI(), L"urn:d");
  EXPECT_EQ(document.LookupNamespaceFromAlias(L"p"), L"urn:p");
}

// Every input form of the loaders gives the same XML.
TEST(JsonDocumentLoad, DecodesEveryInputForm) {
  // Long enough for gzip to make it shorter.
  const std::string json = "{\"a\":\"\xC3\xA9\xF0\x9F\x98\x80" + std::string(200, 'x') + "\"}";
  const std::string bom = "\xEF\xBB\xBF";
  const std::wstring wide = Utf8ToWide(json);
  CXmlDocument document;
  const std::string expected = BytesOf(document.LoadJson(wide.c_str()));
  EXPECT_NE(expected.find("<a>\xC3\xA9\xF0\x9F\x98\x80xxx"), std::string::npos) << expected;

  EXPECT_EQ(BytesOf(document.LoadJson((L"\xFEFF" + wide).c_str())), expected);
  EXPECT_EQ(BytesOf(document.LoadJson((bom + json).c_str())), expected);
  const auto stream = [&](const std::string& bytes) {
    return BytesOf(document.LoadJsonStream(reinterpret_cast<const unsigned char*>(bytes.data()),
                                           static_cast<uint32_t>(bytes.size())));
  };
  EXPECT_EQ(stream(bom + json), expected);
  EXPECT_EQ(stream(WideToUtf16Le(wide)), expected);
  EXPECT_EQ(stream("\xFF\xFE" + WideToUtf16Le(wide)), expected);
  std::string bigEndian = WideToUtf16Le(wide);
  for (size_t i = 0; i + 1 < bigEndian.size(); i += 2) std::swap(bigEndian[i], bigEndian[i + 1]);
  EXPECT_EQ(stream(bigEndian), expected);
  CBinaryData gzip = testing::DataOf(bom + json);
  CompressData(gzip, ct_gzip);
  EXPECT_EQ(stream(BytesOf(gzip)), expected);

  testing::TempDir dir;
  dir.Write("a.json", BytesOf(gzip));
  EXPECT_EQ(BytesOf(document.LoadJsonFile(dir.WidePath("a.json").c_str())), expected);
  dir.Write("empty.json", "");
  EXPECT_EQ(BytesOf(document.LoadJsonFile(dir.WidePath("empty.json").c_str())),
            std::string(kDeclaration) + "\n");
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
}

TEST(JsonDocumentLoad, RejectsEmptyAndMalformedInput) {
  CXmlDocument document;
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadJson(""), CKvException, L"JSON String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadJson(L""), CKvException, L"JSON String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadJsonStream(nullptr, 0), CKvException,
                              L"JSON Stream is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadJson("{\"a\":\n \"x\xC3(\"}"), CKvValidationException,
                              L"Invalid UTF-8 byte sequence at line 2, position 4.");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadJson("{\"a\":\"\xED\xA0\x80\"}"), CKvValidationException,
                              L"Invalid UTF-8 byte sequence at line 1, position 7.");
  const std::string loneSurrogate("\xFF\xFE{\0\x00\xD8}\0", 8);
  KORVEL_EXPECT_THROW_MESSAGE(
      document.LoadJsonStream(reinterpret_cast<const unsigned char*>(loneSurrogate.data()), 8),
      CKvValidationException, L"Invalid UTF-16 code unit sequence at line 1, position 2.");
  testing::TempDir dir;
  const std::wstring missing = dir.WidePath("missing.json");
  KORVEL_EXPECT_THROW_MESSAGE(
      document.LoadJsonFile(missing.c_str()), CKvException,
      FormatString(L"Failed to open the file [%s] Error [0x%08x]", missing.c_str(), ENOENT));
}

TEST(JsonDocumentLoad, UsesTheDocumentContextsJsonOptions) {
  CSerializationContext context;
  context.GetJsonContext().SetRootElementName(L"r");
  context.GetJsonContext().GetAllowComments(false);
  CXmlDocument document(context);
  EXPECT_NE(BytesOf(document.LoadJson("[1]")).find("<r>1</r>"), std::string::npos);
  EXPECT_THROW(document.LoadJson("[1 /* c */]"), CKvValidationException);
}

TEST(JsonContext, NullNameAndIndependentCopies) {
  CJsonContext original;
  original.SetSupportRoundtrip(JsonRoundTrip_Partial);
  original.SetRootElementName(L"r");
  original.GetAllowComments(false);  // the setter shares the getter's name
  CJsonContext copy(original);
  CJsonContext assigned;
  assigned = original;
  original.SetSupportRoundtrip(JsonRoundTrip_None);
  original.SetRootElementName(nullptr);
  original.GetAllowComments(true);
  EXPECT_EQ(original.GetRootElementName(), L"");
  for (const CJsonContext* context : {&copy, &assigned}) {
    EXPECT_EQ(context->GetSupportRoundtrip(), JsonRoundTrip_Partial);
    EXPECT_EQ(context->GetRootElementName(), L"r");
    EXPECT_FALSE(context->GetAllowComments());
  }
}

// Writes the events as a compact trace: { } [ ] for containers, name: for
// names, "s" for strings, numbers as read, T F N for the literals.
class TraceHandler final : public IJsonReaderHandler {
 public:
  std::wstring trace;
  void StartDocument() override { trace += L"<"; }
  void EndDocument() override { trace += L">"; }
  void OnName(const std::wstring& name) override { trace += name + L": "; }
  void OnString(const std::wstring& value) override { trace += L'"' + value + L"\" "; }
  void OnNumber(const std::wstring& value) override { trace += value + L' '; }
  void StartObject() override { trace += L"{ "; }
  void EndObject() override { trace += L"} "; }
  void StartArray() override { trace += L"[ "; }
  void EndArray() override { trace += L"] "; }
  void OnBoolean(bool value) override { trace += value ? L"T " : L"F "; }
  void OnNull() override { trace += L"N "; }
};

// Reads the wide text and its UTF-8, which must agree (positions count
// characters in both): the trace, or "!" and the message.
std::wstring Trace(std::wstring_view json, bool comments = true, std::wstring root = {},
                   int32_t limit = CJsonTextReader::kDepthLimit) {
  const auto read = [&](auto text) -> std::wstring {
    TraceHandler handler;
    try {
      BasicJsonTextReader<typename decltype(text)::value_type>(handler, nullptr, limit, comments,
                                                               root, text)
          .Parse();
    } catch (const CKvValidationException& e) {
      return L"!" + e.GetMessageW();
    }
    return handler.trace;
  };
  const std::wstring trace = read(json);
  std::string utf8;
  if (WideToUtf8(json, utf8)) {
    EXPECT_EQ(read(std::string_view(utf8)), trace) << "from UTF-8";
  }
  return trace;
}

TEST(JsonTextReader, SendsEventsInDocumentOrder) {
  testing::RunVectorFile("json/reader_events.txt",
                         {{L"events", [](const testing::VectorArgs& a) { return Trace(a[0]); }}});
  EXPECT_EQ(Trace(L"[1]", true, L"r"), L"<{ r: [ 1 ] } >");
  EXPECT_EQ(Trace(L"", true, L"r"), L"<{ r: } >");
}

TEST(JsonTextReader, ReportsEachErrorWithLineAndPositionAndPath) {
  const auto error = [](const testing::VectorArgs& a) -> std::wstring {
    const bool comments = a[0][0] != L'!';
    const std::wstring trace = Trace(comments ? a[0] : a[0].substr(1), comments);
    return trace[0] == L'!' ? trace.substr(1) : L"no error";
  };
  // The JSON path of the error, innermost name first.
  const auto path = [](const testing::VectorArgs& a) -> std::wstring {
    CJsonReaderDefaultHandler handler;
    try {
      CJsonTextReader(handler, &handler, 100, true, {}, a[0]).Parse();
    } catch (const CKvValidationException& e) {
      return e.GetPath();
    }
    return L"no error";
  };
  testing::RunVectorFile("json/reader_errors.txt", {{L"error", error}, {L"path", path}});
}

TEST(JsonTextReader, LimitsNestingWithoutRecursing) {
  const auto nested = [](int depth, std::wstring_view inner) {
    return std::wstring(depth, L'[') + std::wstring(inner) + std::wstring(depth, L']');
  };
  EXPECT_EQ(Trace(nested(99, L"[]"), true, {}, 100)[0], L'<');
  EXPECT_EQ(Trace(nested(99, L"[1]"), true, {}, 100),
            L"!JSON exceeded depth limit at line 1, position 101.");
  // The library's own limit is far beyond what a native stack would take.
  const int limit = CJsonTextReader::kDepthLimit;
  EXPECT_EQ(Trace(nested(limit, L""), true, {})[0], L'<');
  EXPECT_EQ(Trace(nested(limit + 1, L""), true, {})[0], L'!');
}

}  // namespace
}  // namespace Korvel::detail
