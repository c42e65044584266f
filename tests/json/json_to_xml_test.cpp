// SPDX-License-Identifier: MIT
// JSON to XML: the mapping, its errors with the JSON path, and the loaders of
// CXmlDocument over every input form.
#include "json/json_to_xml.h"

#include <string>

#include <korvel/serialization_context.h>
#include <korvel/xml_document.h>

#include "test_support.h"
#include "values/compression.h"
#include "values/utf.h"

namespace Korvel::detail {
namespace {

using testing::BytesOf;

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

// The XML without its declaration and layout (no test value holds a tab or a
// line feed).
std::string Xml(std::wstring_view json, JsonRoundTrip level = JsonRoundTrip_Partial,
                const wchar_t* root = nullptr) {
  CJsonContext context;
  context.SetSupportRoundtrip(level);
  context.SetRootElementName(root);
  std::string xml = BytesOf(ConvertJsonToXml(json, context));
  EXPECT_EQ(xml.substr(0, kDeclaration.size()), kDeclaration);
  xml.erase(0, kDeclaration.size());
  std::string compact;
  for (char c : xml) {
    if (c != '\n' && c != '\t') compact += c;
  }
  return compact;
}

TEST(JsonToXml, MapsMembersAttributesTextAndArrays) {
  const struct {
    std::wstring_view json;
    std::string_view xml;
  } rows[] = {
      {L"{\"a\":\"1\"}", "<a>1</a>"},
      {L"{\"a\":{\"@x\":\"1\",\"#text\":\"v\"}}", "<a x=\"1\">v</a>"},
      {L"{\"a\":{\"b\":[1,2.5,true]}}", "<a><b>1</b><b>2.5</b><b>true</b></a>"},
      {L"{\"a\":{\"i\":[{\"x\":\"1\"},{\"x\":\"2\"}]}}", "<a><i><x>1</x></i><i><x>2</x></i></a>"},
      // "#text" belongs to the array's current item.
      {L"{\"a\":{\"c\":[{\"@x\":\"1\",\"#text\":\"v\"},{\"@x\":\"2\",\"#text\":\"w\"}]}}",
       "<a><c x=\"1\">v</c><c x=\"2\">w</c></a>"},
      // An empty array is no element; an empty object an empty one.
      {L"{\"a\":{\"e\":[],\"f\":{},\"g\":\"\"}}", "<a><f/><g/></a>"},
      // A null member is nil, a null attribute nothing.
      {L"{\"a\":{\"@x\":null,\"i\":[null,\"2\"]}}",
       "<a><i xmlns:AA=\"http://www.w3.org/2001/XMLSchema-instance\" AA:nil=\"true\"/><i>2</i></a>"},
      // Text from JSON stays text.
      {L"{\"a\":\"<![CDATA[x]]> & <b>\"}", "<a>&lt;![CDATA[x]]&gt; &amp; &lt;b&gt;</a>"},
      {L"{\"a\":{\"@x\":\"q\\\"\\n\"}}", "<a x=\"q&quot;&#xA;\"/>"},
      // Names keep their prefixes; declared prefixes are not reused for xsi.
      {L"{\"p:a\":{\"@xmlns:p\":\"urn:p\",\"@xmlns:AA\":\"urn:aa\",\"p:b\":null}}",
       "<p:a xmlns:p=\"urn:p\" xmlns:AA=\"urn:aa\"><p:b xmlns:AB=\"http://www.w3.org/2001/"
       "XMLSchema-instance\" AB:nil=\"true\"/></p:a>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(row.json)));
    EXPECT_EQ(Xml(row.json), row.xml);
  }
  EXPECT_EQ(Xml(L"[1,{\"x\":2}]", JsonRoundTrip_Partial, L"r"), "<r>1</r><r><x>2</x></r>");
  EXPECT_EQ(Xml(L"{\"a\":{\"@x\":\"1\"}}", JsonRoundTrip_Full), "<a x=\"1\"/>");
  EXPECT_EQ(Xml(L"\xFEFF{\"a\":1}"), "<a>1</a>");
  EXPECT_EQ(Xml(L"   "), "");
}

TEST(JsonToXml, RejectsWhatXmlCannotHoldWithThePath) {
  const struct {
    std::wstring_view json;
    std::wstring_view message;
    std::wstring_view path;  // null for errors that carry none
    JsonRoundTrip level = JsonRoundTrip_Partial;
  } rows[] = {
      {L"{\"a\":[[1]]}", L"JSON Array has no Name.", L"$"},
      {L"[1]", L"JSON Array has no Name.", L"$"},
      {L"{\"a\":{\"\":1}}", L"JSON item has an empty Name.", L"$..a"},
      {L"\"x\"", L"JSON Value has no Name.", L"$"},
      {L"{\"a\":{\"@x\":{}}}", L"JSON item '@x' must hold a string, number, boolean or null.",
       L"$.@x.a"},
      {L"{\"a\":{\"#text\":[]}}", L"JSON item '#text' must hold a string, number, boolean or null.",
       L"$.a"},
      {L"{\"a b\":1}", L"Failed to convert name 'a b' to Element name in XML.", {}},
      {L"{\"a\":{\"@x\":\"1\"}}", L"Failed to convert name '@x' to Element name in XML.", {},
       JsonRoundTrip_None},
      {L"{\"a\":\"\\u0001\"}", L"Failed to convert value '\x01' to Element string value in XML.",
       {}},
      {L"{\"a\":{\"@x\":\"\\uFFFF\"}}",
       L"Failed to convert value '\xFFFF' to Attribute string value in XML.", {}},
      {L"{\"a\":{\"b\":1,\"@x\":\"1\"}}",
       L"Failed to convert value '1' to Attribute string value in XML.", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(row.json)));
    CJsonContext context;
    context.SetSupportRoundtrip(row.level);
    try {
      ConvertJsonToXml(row.json, context);
      ADD_FAILURE() << "no error";
    } catch (const CKvValidationException& e) {
      EXPECT_EQ(e.GetMessageW(), std::wstring(row.message) + L"\nPath: " + std::wstring(row.path));
      EXPECT_EQ(e.GetPath(), row.path);
    } catch (const CKvInvalidStateException& e) {
      EXPECT_EQ(e.GetMessageW(), row.message);
      EXPECT_TRUE(row.path.data() == nullptr);
    }
  }
}

TEST(JsonToTree, RefusesWhatAnXmlParserWould) {
  const struct {
    std::wstring_view json;
    std::wstring_view message;
  } rows[] = {
      {L"{\"p:a\":1}", L"JSON name 'p:a' uses an undeclared prefix."},
      {L"{\"a\":{\"b\":{\"@xmlns:p\":\"urn:p\",\"@p:x\":1},\"c\":{\"@p:y\":1}}}",
       L"JSON name 'p:y' uses an undeclared prefix."},
      {L"{\"a\":{\"@x\":1,\"@x\":2}}", L"JSON attribute 'x' occurs twice."},
      {L"{\"a\":1,\"b\":2}", L"JSON member 'b' would be a second root element."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(row.json)));
    CXmlDocument document;
    KORVEL_EXPECT_THROW_MESSAGE(LoadJsonTree(document, row.json, CJsonContext()),
                                CKvValidationException, row.message);
  }
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
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadJson("{\"a\":\"\xED\xA0\x80\"}"),
                              CKvValidationException,
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

}  // namespace
}  // namespace Korvel::detail
