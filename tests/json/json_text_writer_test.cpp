// SPDX-License-Identifier: MIT
// The JSON writer driven as the serializer drives it: layout, values,
// namespaces, collections, and what each round-trip level reads back.
#include <korvel/json_text_writer.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <korvel/xml_document.h>

#include "json/json_to_xml.h"
#include "strict_json.h"
#include "test_support.h"
#include "values/utf.h"
#include "vector_file.h"
#include "xml/byte_text_stream.h"
#include "xml/text_element.h"

namespace Korvel {
namespace {

using Writer = CJsonTextWriter;

// The JSON a sequence of writer calls produces, written as wide text or, as
// ToJsonStream writes it, straight into UTF-8 bytes.
std::wstring Json(const std::function<void(Writer&)>& body, JsonRoundTrip level,
                  bool formatted = false, EOLType eol = EOL_LF, bool bytes = false) {
  CTextStream wide(XmlEncoding_UTF8);
  detail::ByteTextStream utf8(XmlEncoding_UTF8);
  Writer writer(bytes ? utf8 : wide);
  writer.Open();
  writer.SetFormatted(formatted);
  writer.SetEOLType(eol);
  writer.SetSupportRoundtrip(level);
  writer.WriteDocumentStart();
  body(writer);
  writer.WriteDocumentEnd();
  writer.Close();
  return bytes ? detail::Utf8ToWide(testing::BytesOf(utf8.TakeBytes())) : wide.GetAllText();
}

// In one step where the writer can, when oneStep says so.
void Leaf(Writer& w, const wchar_t* name, const wchar_t* text, ItemType type = it_string,
          const wchar_t* ns = L"", bool oneStep = false) {
  if (oneStep) return detail::WriteTextElement(w, name, ns, std::wstring(text), type, false);
  w.StartElement(name, ns);
  w.WriteText(text, type, false);
  w.EndElement();
}

void MarkArray(Writer& w, int32_t state) { w.GetCurrentElement()->SetWriterState(state); }

// One writer call, "name|argument|...", as the rows of writer_scripts.txt give it.
void Call(Writer& w, const std::wstring& call, bool oneStep) {
  const testing::VectorArgs c = testing::Split(call, L'|', 5);
  const std::wstring& name = c[0];
  if (name == L"start") w.StartElement(c[1], c[2]);
  if (name == L"end") w.EndElement();
  if (name == L"leaf")
    Leaf(w, c[1].c_str(), c[2].c_str(), c[3] == L"i4" ? it_i4 : it_string, c[4].c_str(), oneStep);
  if (name == L"attr") w.WriteAttribute(c[1], c[2], c[3], it_string);
  if (name == L"nil") w.WriteNil();
  if (name == L"pending") MarkArray(w, Writer::ARRAY_PENDING);
  if (name == L"finished") MarkArray(w, Writer::ARRAY_FINISHED);
  if (name == L"default") w.SetDefaultNamespace(c[1]);
  if (name == L"alias") w.AddNamespaceAlias(c[1], c[2]);
  if (name == L"xsitype") w.WriteXsiType(c[1], c[2], it_string);
}

// Rows of tests/data/json/writer_scripts.txt; all they write is strict JSON,
// the same with text-only elements written in one step.
TEST(JsonTextWriter, LaysOutObjectsArraysEmptyNilAndNamespaces) {
  std::vector<std::wstring> written;
  const auto write = [&](const testing::VectorArgs& a) {
    const auto json = [&](bool oneStep, bool bytes) {
      const auto body = [&](Writer& w) {
        for (size_t i = 1; i < a.size(); ++i) Call(w, a[i], oneStep);
      };
      return Json(body, a[0][0] == L'F' ? JsonRoundTrip_Full : JsonRoundTrip_Partial,
                  a[0].find(L"formatted") != std::wstring::npos,
                  a[0].find(L"crlf") != std::wstring::npos ? EOL_CRLF : EOL_LF, bytes);
    };
    written.push_back(json(false, false));
    EXPECT_EQ(json(true, false), written.back()) << "in one step";
    EXPECT_EQ(json(true, true), written.back()) << "in one step, into bytes";
    return written.back();
  };
  testing::RunVectorFile("json/writer_scripts.txt", {{L"write", write}});
  testing::ExpectStrictJson(written);
}

TEST(JsonTextWriter, WritesValuesJsonCanCarryBareAndTheRestAsStrings) {
  const auto value = [](const testing::VectorArgs& a) -> std::wstring {
    const size_t space = a[0].find(L' ');
    const auto type = static_cast<ItemType>(std::stoi(a[0].substr(0, space)));
    const auto write = [&](bool bytes) {
      return Json([&](Writer& w) { Leaf(w, L"v", a[0].substr(space + 1).c_str(), type); },
                  JsonRoundTrip_Full, false, EOL_LF, bytes);
    };
    const std::wstring json = write(false);
    EXPECT_EQ(write(true), json) << "into bytes";
    const bool wrapped = json.rfind(L"{\"v\": ", 0) == 0 && json.back() == L'}';
    return wrapped ? json.substr(6, json.size() - 7) : L"not one member: " + json;
  };
  testing::RunVectorFile("json/writer_values.txt", {{L"value", value}});
  CTextStream stream;
  Writer writer(stream);
  writer.SetEscapeNonAscii(true);
  writer.SetFormatted(false);
  Leaf(writer, L"v", L"\xE9\U0001F600");
  EXPECT_EQ(stream.GetAllText(), L"\"v\": \"\\u00E9\\uD83D\\uDE00\"");
}

TEST(JsonTextWriter, RejectsWhatJsonCannotHold) {
  CTextStream stream;
  Writer writer(stream);
  KORVEL_EXPECT_THROW_MESSAGE(writer.SetEOLType(static_cast<EOLType>(2)), CKvException,
                              L"Invalid EOL type.");
  writer.StartElement(L"r", L"");
  writer.WriteText(L"v", it_string, false);
  KORVEL_EXPECT_THROW_MESSAGE(writer.WriteAttribute(L"a", L"", L"1", it_string), CKvException,
                              L"Attributes must be added before elements");
  KORVEL_EXPECT_THROW_MESSAGE(writer.WriteText(L"w", it_string, false), CKvException,
                              L"JSON cannot hold a second text of the element [r].");
  KORVEL_EXPECT_THROW_MESSAGE(writer.StartElement(L"c", L""), CKvException,
                              L"JSON cannot hold the element [c] after the text of its parent.");
  KORVEL_EXPECT_THROW_MESSAGE(writer.Close(), CKvException, L"An Element has not been closed.");
}

// --- Round trips ---------------------------------------------------------------

// Writes a document tree as the serializer would: runs of two or more
// siblings of the same name are collections.
void Replay(Writer& w, const CXmlElement& e) {
  w.StartElement(e.GetLocalName(), e.GetNamespaceURI());
  for (const CXmlAttribute* a : e.GetAttributes()) {
    if (a->IsNilAttribute()) {
      w.WriteNil();
    } else if (!a->IsNamespaceAttribute()) {
      w.WriteAttribute(a->GetLocalName(), a->GetNamespaceURI(), a->GetValue(), it_string);
    }
  }
  if (e.GetFirstElement() == nullptr && !e.GetText().empty()) {
    w.WriteText(e.GetText(), it_string, false);
  }
  for (const CXmlElement* c = e.GetFirstElement(); c;) {
    const CXmlElement* next = c->GetNextSiblingElement();
    const bool run = next && next->GetLocalName() == c->GetLocalName() &&
                     next->GetNamespaceURI() == c->GetNamespaceURI();
    if (run) MarkArray(w, Writer::ARRAY_PENDING);
    Replay(w, *c);
    while (run && next && next->GetLocalName() == c->GetLocalName()) {
      Replay(w, *next);
      next = next->GetNextSiblingElement();
    }
    if (run) MarkArray(w, Writer::ARRAY_FINISHED);
    c = next;
  }
  w.EndElement();
}

// The tree as text: names (qualified by namespace when asked), data
// attributes, nil, and the text of leaves.
std::wstring Describe(const CXmlElement& e, bool namespaces) {
  std::wstring out = L"<";
  if (namespaces && !e.GetNamespaceURI().empty()) out += L"{" + e.GetNamespaceURI() + L"}";
  out += e.GetLocalName();
  for (const CXmlAttribute* a : e.GetAttributes()) {
    if (a->IsNilAttribute()) out += L" nil";
    if (a->IsNamespaceAttribute() || a->IsNilAttribute()) continue;
    out += L" ";
    if (namespaces && !a->GetNamespaceURI().empty()) out += L"{" + a->GetNamespaceURI() + L"}";
    out += a->GetLocalName() + L"=" + a->GetValue();
  }
  out += L">";
  if (e.GetFirstElement() == nullptr) out += e.GetText();
  for (const CXmlElement* c = e.GetFirstElement(); c; c = c->GetNextSiblingElement()) {
    out += Describe(*c, namespaces);
  }
  return out + L"</>";
}

std::wstring RoundTrip(const CXmlElement& root, JsonRoundTrip level, bool formatted,
                       std::vector<std::wstring>& written) {
  const std::wstring json = Json([&](Writer& w) { Replay(w, root); }, level, formatted);
  written.push_back(json);
  CSerializationContext context;
  context.GetJsonContext().SetSupportRoundtrip(level);
  CXmlDocument document(context);
  const CBinaryData xml = document.LoadJson(json.c_str());
  document.LoadXmlStream(xml.GetData(), xml.GetLength());
  const std::wstring described =
      Describe(*document.GetDocumentElement(), level == JsonRoundTrip_Full);
  // Straight into a tree, the same document.
  CXmlDocument tree(context);
  detail::LoadJsonTree(tree, json, context.GetJsonContext());
  EXPECT_EQ(Describe(*tree.GetDocumentElement(), level == JsonRoundTrip_Full), described);
  return described;
}

TEST(JsonTextWriter, PartialAndFullLevelsReadBackWhatTheyWrote) {
  CXmlDocument original;
  original.LoadXml(
      "<o:order xmlns:o='urn:order' xmlns:x='urn:ext' xmlns:xsi='http://www.w3.org/2001/"
      "XMLSchema-instance' o:id='7' plain='p'>"
      "<o:line no='1'>a &amp; \"b\"&#10;c\t\xF0\x9F\x98\x80</o:line><o:line no='2'>&lt;![CDATA["
      "</o:line><o:note xsi:nil='true'/><x:ext><x:v>1</x:v><x:v>2</x:v><x:v>3</x:v></x:ext>"
      "<local><deep><deeper>x</deeper></deep></local><empty/></o:order>");
  const CXmlElement& root = *original.GetDocumentElement();
  std::vector<std::wstring> written;
  for (bool formatted : {false, true}) {
    SCOPED_TRACE(formatted ? "formatted" : "compact");
    EXPECT_EQ(RoundTrip(root, JsonRoundTrip_Full, formatted, written), Describe(root, true));
    EXPECT_EQ(RoundTrip(root, JsonRoundTrip_Partial, formatted, written), Describe(root, false));
  }
  // Without round trip, values survive; attributes become elements.
  const std::wstring none = RoundTrip(root, JsonRoundTrip_None, true, written);
  EXPECT_NE(none.find(L"<plain>p</>"), std::wstring::npos) << none;
  EXPECT_NE(none.find(L"<v>3</>"), std::wstring::npos) << none;
  testing::ExpectStrictJson(written);
}

// Each level of a binding may be a collection item: an array and an object
// per level, all of which the reader must take.
TEST(JsonTextWriter, ThousandLevelsOfCollectionsReadBack) {
  constexpr int kLevels = 1000;
  const std::wstring json = Json(
      [](Writer& w) {
        w.StartElement(L"r", L"");
        for (int i = 0; i < kLevels; ++i) {
          MarkArray(w, Writer::ARRAY_PENDING);
          w.StartElement(L"i", L"");
        }
        for (int i = 0; i <= kLevels; ++i) {
          w.EndElement();
          if (i < kLevels) MarkArray(w, Writer::ARRAY_FINISHED);
        }
      },
      JsonRoundTrip_Full, true, EOL_LF, true);
  CXmlDocument document;
  detail::LoadJsonTree(document, json, CJsonContext());
  int depth = 0;
  for (const CXmlElement* e = document.GetDocumentElement(); e->GetFirstElement(); ++depth) {
    e = e->GetFirstElement();
  }
  EXPECT_EQ(depth, kLevels);
}

}  // namespace
}  // namespace Korvel
