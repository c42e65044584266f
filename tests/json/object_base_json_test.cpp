// SPDX-License-Identifier: MIT
// The JSON entry points of CXmlObjectBase, on a hand-written bound class that
// writes and reads as a generated one would: every entry point and form reads
// back what another wrote, at the partial and the full level.
#include <korvel/object_base.h>

#include <string>
#include <vector>

#include <korvel/conversions.h>
#include <korvel/json_text_writer.h>
#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>

#include "test_support.h"

namespace Korvel {
namespace {

constexpr wchar_t kNs[] = L"urn:o";
constexpr wchar_t kExt[] = L"urn:x";
constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

// <order id= x:rush=><note/><line no=>text</line>*</order>: an attribute in another
// namespace, text that needs escaping, and a collection. The value forms are the
// writer's and the converter's tests.
class COrder : public CXmlObjectBase {
 public:
  struct Line {
    int32_t no;
    std::wstring text;
    bool operator==(const Line& o) const { return no == o.no && text == o.text; }
  };
  int32_t id = 0;
  bool rush = false;
  std::wstring note;
  std::vector<Line> lines;

  COrder() { SetElementName(L"order"); }
  CXmlObjectBase* GetBase() override { return this; }
  std::wstring GetNamespace() const override { return kNs; }
  bool operator==(const COrder& o) const {
    return id == o.id && rush == o.rush && note == o.note && lines == o.lines;
  }

 protected:
  std::wstring GetTargetNamespace() const override { return kNs; }
  void ToXml_Int(CXmlWriter* w, bool, const wchar_t* ns, const CSerializationContext&,
                 bool) const override {
    w->StartElement(GetElementName(), ns);
    w->WriteAttribute(L"id", L"", CConversions::i4ToString(id), it_i4);
    w->WriteAttribute(L"rush", kExt, CConversions::booleanToString(rush), it_boolean);
    w->StartElement(L"note", kNs);
    w->WriteText(note, it_string, false);
    w->EndElement();
    // As the serializer marks a non-empty collection for the JSON writer.
    if (!lines.empty()) w->GetCurrentElement()->SetWriterState(CJsonTextWriter::ARRAY_PENDING);
    for (const Line& line : lines) {
      w->StartElement(L"line", kNs);
      w->WriteAttribute(L"no", L"", CConversions::i4ToString(line.no), it_i4);
      w->WriteText(line.text, it_string, false);
      w->EndElement();
    }
    if (!lines.empty()) w->GetCurrentElement()->SetWriterState(CJsonTextWriter::ARRAY_FINISHED);
    w->EndElement();
  }
  CXmlElement* FromXml_Int(CXmlElement* e, CXmlElement* c, const CSerializationContext& context,
                           bool) override {
    if (!DoesElementNameMatch(context, e, L"order", kNs)) {
      throw CKvValidationException(L"order expected", e ? e->GetXPath() : L"");
    }
    id = CConversions::i4FromString(e->GetAttribute(L"id", nullptr), kCollapse);
    const wchar_t* extNs = context.GetIgnoreNamespaces() ? nullptr : kExt;
    rush = CConversions::booleanFromString(e->GetAttribute(L"rush", extNs), kCollapse);
    const auto next = [&](const wchar_t* name) {
      if (!DoesElementNameMatch(context, c, name, kNs)) {
        throw CKvValidationException(std::wstring(name) + L" expected", e->GetXPath());
      }
      CXmlElement* item = c;
      c = c->GetNextSiblingElement();
      return item;
    };
    note = next(L"note")->GetText();
    lines.clear();
    while (DoesElementNameMatch(context, c, L"line", kNs)) {
      const CXmlElement* line = next(L"line");
      lines.push_back({CConversions::i4FromString(line->GetAttribute(L"no", nullptr), kCollapse),
                       line->GetText()});
    }
    return c;
  }
};

COrder Sample() {
  COrder order;
  order.id = 42;
  order.rush = true;
  order.note = L"say \"hi\"\\\n\tthen <![CDATA[ & \U0001F600 \x7F";
  order.lines = {{1, L"one"}, {2, L""}, {3, L"three\nlines"}};
  return order;
}

CSerializationContext Level(JsonRoundTrip level) {
  CSerializationContext context;
  context.GetJsonContext().SetSupportRoundtrip(level);
  return context;
}

TEST(ObjectBaseJson, EveryEntryPointReadsBackWhatAnotherWrote) {
  COrder variants[3] = {Sample(), Sample(), COrder()};
  variants[1].note = L"";
  variants[1].lines = {{-1, L"one item"}};
  for (JsonRoundTrip level : {JsonRoundTrip_Partial, JsonRoundTrip_Full}) {
    const CSerializationContext context = Level(level);
    for (const COrder& original : variants) {
      SCOPED_TRACE(::testing::PrintToString(original.ToJson(true, EOL_LF, context)));
      const auto check = [&](const std::function<void(COrder&)>& read) {
        COrder copy;
        read(copy);
        EXPECT_TRUE(copy == original)
            << ::testing::PrintToString(copy.ToJson(true, EOL_LF, context));
      };
      check(
          [&](COrder& o) { o.FromJson(original.ToJson(false, EOL_LF, context).c_str(), context); });
      check([&](COrder& o) {
        o.FromJson(original.ToJson(true, EOL_CRLF, context).c_str(), context);
      });
      const CBinaryData utf8 =
          original.ToJsonStream(true, XmlEncoding_UTF8, EOL_LF, context, ct_none);
      check([&](COrder& o) { o.FromJson(testing::BytesOf(utf8).c_str(), context); });
      for (XmlEncoding encoding : {XmlEncoding_UTF8, XmlEncoding_UTF16}) {
        for (CompressionType compression : {ct_none, ct_gzip, ct_zlib}) {
          check([&](COrder& o) {
            o.FromJsonStream(original.ToJsonStream(false, encoding, EOL_LF, context, compression),
                             context);
          });
        }
        testing::TempDir dir;
        const std::wstring path = dir.WidePath("order.json");
        for (CompressionType compression : {ct_none, ct_gzip}) {
          original.ToJsonFile(path.c_str(), true, encoding, EOL_LF, context, compression);
          check([&](COrder& o) { o.FromJsonFile(path.c_str(), context); });
        }
        // Written while it is produced.
        AsyncToXmlFile(true);
        original.ToJsonFile(path.c_str(), true, encoding, EOL_LF, context, ct_none);
        AsyncToXmlFile(false);
        check([&](COrder& o) { o.FromJsonFile(path.c_str(), context); });
      }
    }
  }
}

// Partial JSON binds because the call ignores namespaces, on its own copy of
// the context; at the full level they count.
TEST(ObjectBaseJson, OnlyTheFullLevelChecksNamespaces) {
  const COrder order = Sample();
  CSerializationContext partial = Level(JsonRoundTrip_Partial);
  COrder copy;
  copy.FromJson(order.ToJson(false, EOL_LF, partial).c_str(), partial);
  EXPECT_FALSE(partial.GetIgnoreNamespaces());
  const CSerializationContext full = Level(JsonRoundTrip_Full);
  std::wstring json = order.ToJson(false, EOL_LF, full);
  json.replace(json.find(L"urn:o"), 5, L"urn:q");
  EXPECT_THROW(copy.FromJson(json.c_str(), full), CKvException);
}

TEST(ObjectBaseJson, ReportsErrorsOfEachStage) {
  const CSerializationContext context = Level(JsonRoundTrip_Partial);
  COrder order;
  KORVEL_EXPECT_THROW_MESSAGE(order.FromJson(L"", context), CKvException, L"JSON String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(order.FromJson("", context), CKvException, L"JSON String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(order.FromJsonStream(CBinaryData(), context), CKvException,
                              L"JSON Stream is empty!");
  // Syntax errors pass as they are.
  KORVEL_EXPECT_THROW_MESSAGE(order.FromJson(L"{\"order\": x}", context), CKvValidationException,
                              L"Expected Value '{', '[', '\"', '0-9', '-', 'true', 'false' or "
                              L"'null', found 'x' at line 1, position 11.\nPath: $.order");
  // The object's own errors come wrapped with the XML the JSON stands for.
  try {
    order.FromJson(L"{\"order\": {\"@id\": 1, \"@rush\": true, \"price\": 1}}", context);
    ADD_FAILURE() << "no error";
  } catch (const CKvException& e) {
    EXPECT_EQ(e.GetMessageW(),
              L"Error converting JSON to XML:\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              L"<order id=\"1\" rush=\"true\">\n\t<price>1</price>\n</order>\n");
    ASSERT_NE(e.GetInnerException(), nullptr);
    EXPECT_EQ(e.GetInnerException()->GetMessageW(), L"note expected\nPath: /order");
  }
  KORVEL_EXPECT_THROW_MESSAGE(order.FromJson(L"{}", context), CKvException,
                              L"Error converting JSON to XML:\n<?xml version=\"1.0\" "
                              L"encoding=\"UTF-8\"?>\n");
  KORVEL_EXPECT_THROW_MESSAGE(
      order.ToJsonFile(L"/nonexistent/x.json", true, XmlEncoding_UTF8, EOL_LF, context, ct_zlib),
      CKvException, L"ZLIB Compression only available for To Stream methods.");
  KORVEL_EXPECT_THROW_MESSAGE(order.ToJson(true, static_cast<EOLType>(5), context), CKvException,
                              L"Invalid EOL type.");
}

}  // namespace
}  // namespace Korvel
