// SPDX-License-Identifier: MIT
#include <korvel/typed_collections.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include <korvel/conversions.h>
#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

#include "binding/test_objects.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;
using Facets = std::map<std::wstring, std::wstring>;  // facet name to value

template <class Col>
CSmartPtr<CXmlTypeCollection> Make(const Facets& f, const wchar_t* format) {
  const auto text = [&](const wchar_t* name) {
    return f.count(name) ? f.at(name).c_str() : nullptr;
  };
  const auto number = [&](const wchar_t* name) {
    return f.count(name) ? std::stoi(f.at(name)) : -1;
  };
  return new Col(L"item", L"urn:t", 0, -1, text(L"pattern"), number(L"minLength"),
                 number(L"maxLength"), text(L"minInclusive"), text(L"maxInclusive"),
                 text(L"minExclusive"), text(L"maxExclusive"), number(L"length"),
                 number(L"totalDigits"), number(L"fractionDigits"), kCollapse, format);
}

#define KORVEL_TEST_KIND(Col) \
  { L## #Col, &Make<Col> }
const std::map<std::wstring, CSmartPtr<CXmlTypeCollection> (*)(const Facets&, const wchar_t*)>
    kFactories = {KORVEL_TEST_KIND(ChexBinaryCol), KORVEL_TEST_KIND(Cbase64BinaryCol),
                  KORVEL_TEST_KIND(Ci1Col),        KORVEL_TEST_KIND(Ci2Col),
                  KORVEL_TEST_KIND(Ci4Col),        KORVEL_TEST_KIND(Ci8Col),
                  KORVEL_TEST_KIND(Cui1Col),       KORVEL_TEST_KIND(Cui2Col),
                  KORVEL_TEST_KIND(Cui4Col),       KORVEL_TEST_KIND(Cui8Col),
                  KORVEL_TEST_KIND(Cr4Col),        KORVEL_TEST_KIND(Cr8Col),
                  KORVEL_TEST_KIND(CdurationCol),  KORVEL_TEST_KIND(CyearMonthCol),
                  KORVEL_TEST_KIND(CmonthDayCol),  KORVEL_TEST_KIND(CyearCol),
                  KORVEL_TEST_KIND(CmonthCol),     KORVEL_TEST_KIND(CdayCol),
                  KORVEL_TEST_KIND(CdateCol),      KORVEL_TEST_KIND(CdatetimeCol),
                  KORVEL_TEST_KIND(CtimeCol),      KORVEL_TEST_KIND(CstringCol),
                  KORVEL_TEST_KIND(CbooleanCol),   KORVEL_TEST_KIND(CdecimalCol),
                  KORVEL_TEST_KIND(CintegerCol)};
#undef KORVEL_TEST_KIND

// The element calls a writer receives, one string each.
struct RecordingWriter : CXmlWriter {
  RecordingWriter() : CXmlWriter(L"RecordingWriter") {}
  void WriteComment(const std::wstring&) override {}
  void WriteProcessingInstruction(const std::wstring&) override {}
  void WriteInLineSchema(const std::wstring&) override {}
  void StartElement(const std::wstring& name, const std::wstring& ns) override {
    calls.push_back(L"<" + ns + L":" + name);
  }
  void WriteText(const std::wstring& text, ItemType itemType, bool isDefault) override {
    calls.push_back(text + L" " + std::to_wstring(itemType) + (isDefault ? L" default" : L""));
  }
  void EndElement() override { calls.push_back(L">"); }
  void WriteAttribute(const std::wstring&, const std::wstring&, const std::wstring&,
                      ItemType) override {}
  void WriteXsiType(const std::wstring&, const std::wstring&, ItemType) override {}
  void WriteNil() override {}
  std::vector<std::wstring> calls;
};

// The protected writing entry point of any object.
struct Access : CXmlObjectBase {
  static void Write(const CXmlObjectBase& object, CXmlWriter& writer) {
    ToXml_Int(&object, &writer, false, L"urn:ignored", CSerializationContext(), false);
  }
};

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  std::wstringstream in(text);
  for (std::wstring part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

void Read(CXmlTypeCollection& col, const std::vector<std::wstring>& texts) {
  std::wstring xml = L"<r xmlns='urn:t'>";
  for (const std::wstring& text : texts) xml += L"<item>" + text + L"</item>";
  CXmlDocument document;
  document.LoadXml((xml + L"<other/></r>").c_str());
  col.FromXmlElement(document.GetDocumentElement(), CSerializationContext());
}

// Each row of typed_collections.tsv: read a run of items from a document,
// write them back, then refuse one more without telling listeners.
TEST(TypedCollections, EveryKindReadsWritesAndRefuses) {
  std::ifstream file(std::string(KORVEL_TEST_DATA_DIR) + "/typed_collections.tsv");
  int rows = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    SCOPED_TRACE(line);
    ++rows;
    const std::vector<std::wstring> cells = Split(std::wstring(line.begin(), line.end()), L'\t');
    ASSERT_EQ(cells.size(), 7u);
    Facets facets;
    for (const std::wstring& facet : Split(cells[1] == L"-" ? L"" : cells[1], L';')) {
      facets[facet.substr(0, facet.find(L'='))] = facet.substr(facet.find(L'=') + 1);
    }
    const CSmartPtr<CXmlTypeCollection> col =
        kFactories.at(cells[0])(facets, cells[2] == L"-" ? nullptr : cells[2].c_str());
    const std::vector<std::wstring> read = Split(cells[3], L'|');
    Read(*col, read);
    ASSERT_EQ(col->GetCount(), static_cast<int32_t>(read.size()));

    // Dates of every kind are handed to writers as dateTime values.
    const ItemType kind = col->GetItemType();
    const bool date = kind == it_yearMonth || kind == it_monthDay || kind == it_date ||
                      kind == it_datetime || kind == it_time;
    std::vector<std::wstring> expected;
    for (const std::wstring& text : Split(cells[4], L'|')) {
      expected.insert(
          expected.end(),
          {L"<urn:t:item", text + L" " + std::to_wstring(date ? it_datetime : kind), L">"});
    }
    RecordingWriter writer;
    Access::Write(*col, writer);
    EXPECT_EQ(writer.calls, expected);

    RecordingSink sink;
    col->AddEventListener(&sink);
    KORVEL_EXPECT_THROW_MESSAGE(Read(*col, {cells[5]}), CKvException, cells[6]);
    EXPECT_EQ(col->GetCount(), static_cast<int32_t>(read.size()));
    EXPECT_TRUE(sink.messages.empty());
  }
  EXPECT_EQ(rows, 25);
}

// Tells the index of every removal.
struct IndexSink : IEventSink {
  void OnEvent(CXmlObjectBase*, MsgType msg, void* data) override {
    if (msg == MsgType_CollectionRemove) indexes.push_back(*static_cast<int32_t*>(data));
  }
  std::vector<int32_t> indexes;
};

TEST(TypedCollections, PositionsIndexMessagesAndEvents) {
  const CSmartPtr<Ci4Col> col = Ints(0, -1, L"0");
  RecordingSink sink;
  col->AddEventListener(&sink);
  KORVEL_EXPECT_THROW_MESSAGE(col->Item(0), CKvInvalidParamException,
                              L"Index 0 is out of range, use 0 - -1");
  col->Add(2);
  col->AddAt(0, 0);
  col->AddAt(1, 1);
  col->AddAt(3, 3);  // at the count: appends
  EXPECT_EQ(Values(*col), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(col->Item(3), 3);
  EXPECT_EQ(sink.messages, (std::vector<int>{1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0}));
  EXPECT_EQ(sink.senders[0], col.Get());

  // Refused before anything is told or stored.
  sink = RecordingSink();
  for (int32_t index : {-1, 5}) {
    KORVEL_EXPECT_THROW_MESSAGE(col->AddAt(index, 7), CKvInvalidParamException,
                                L"Index out of range");
  }
  KORVEL_EXPECT_THROW_MESSAGE(col->Add(-1), CKvException, L"Invalid Value for v [-1]");
  KORVEL_EXPECT_THROW_MESSAGE(col->Remove(4), CKvInvalidParamException,
                              L"Index 4 is out of range, use 0 - 3");
  KORVEL_EXPECT_THROW_MESSAGE(col->Item(-1), CKvInvalidParamException,
                              L"Index -1 is out of range, use 0 - 3");
  EXPECT_TRUE(sink.messages.empty());

  IndexSink indexSink;
  col->AddEventListener(&indexSink);
  col->Remove(2);
  col->Clear();
  EXPECT_EQ(indexSink.indexes, (std::vector<int32_t>{2, 0, 0, 0}));
  EXPECT_EQ(sink.messages, (std::vector<int>{3, 4, 0, 3, 4, 0, 3, 4, 0, 3, 4, 0}));
}

// Removals from the front are cheap (Clear makes many); insertions and
// removals anywhere must still see the values in order.
TEST(TypedCollections, MixedInsertionsAndRemovalsKeepOrder) {
  const CSmartPtr<Ci4Col> col = Ints();
  std::vector<int32_t> model;
  std::mt19937 random(5);
  for (int32_t step = 0; step < 3000; ++step) {
    const int32_t count = static_cast<int32_t>(model.size());
    const uint32_t choice = random() % 8;
    if (count > 0 && choice < 3) {
      const int32_t index = choice == 0 ? static_cast<int32_t>(random() % count) : 0;
      col->Remove(index);
      model.erase(model.begin() + index);
    } else {
      const int32_t index = choice == 3 ? static_cast<int32_t>(random() % (count + 1)) : count;
      col->AddAt(index, step);
      model.insert(model.begin() + index, step);
    }
    ASSERT_EQ(Values(*col), model) << step;
  }
  EXPECT_EQ(Values(Ci4Col(*col)), model);
}

// Dates are checked for their kind, then their facets, then the index.
TEST(TypedCollections, DateChecksComeBeforeTheIndex) {
  CdateCol dates(L"d", L"", 0, -1, nullptr, -1, -1, nullptr, L"2004-12-31", nullptr, nullptr, -1,
                 -1, -1, kCollapse, nullptr);
  const CDateTime day = CConversions::dateFromString(L"2004-05-01", kCollapse);
  KORVEL_EXPECT_THROW_MESSAGE(
      dates.AddAt(3, CConversions::yearMonthFromString(L"2004-05", kCollapse)),
      CKvInvalidParamException, L"Dates added to this collection must be of type dt_date");
  KORVEL_EXPECT_THROW_MESSAGE(
      dates.AddAt(3, CConversions::dateFromString(L"2005-01-01", kCollapse)), CKvException,
      L"Invalid Value for d [2005-01-01].");
  KORVEL_EXPECT_THROW_MESSAGE(dates.AddAt(1, day), CKvInvalidParamException, L"Index out of range");
  dates.Add(day);
  EXPECT_EQ(CConversions::dateToString(dates.Item(0)), L"2004-05-01");
}

TEST(TypedCollections, CopiesTakeValuesAndFacetsButNotListeners) {
  const CSmartPtr<Ci4Col> col = Ints(0, -1, L"10");
  col->Add(10);
  col->Add(11);
  RecordingSink sink;
  col->AddEventListener(&sink);
  const CSmartPtr<Ci4Col> copy = new Ci4Col(*col);
  KORVEL_EXPECT_THROW_MESSAGE(copy->Add(9), CKvException, L"Invalid Value for v [9]");
  copy->Remove(0);
  EXPECT_TRUE(sink.messages.empty());

  *col = *Ints();  // no facets, no values; col keeps its listeners
  EXPECT_EQ(sink.messages, (std::vector<int>{0}));
  col->Add(-5);
  EXPECT_EQ(Values(*col), (std::vector<int32_t>{-5}));
  EXPECT_EQ(Values(*copy), (std::vector<int32_t>{11}));
}

TEST(TypedCollections, BooleansArePackedAndIterateAsBool) {
  CbooleanCol flags(L"f", L"", 0, -1, nullptr, -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1,
                    -1, kCollapse, nullptr);
  for (int i = 0; i < 70; ++i) flags.Add(i % 3 == 0);
  flags.AddAt(0, false);
  EXPECT_EQ(std::count(flags.begin(), flags.end(), true), 24);
  EXPECT_FALSE(flags.Item(0));
  EXPECT_TRUE(flags.Item(1));
}

// Through the text writer and back, reals keep every bit; the occurrence
// bounds are checked before anything is written.
TEST(TypedCollections, TextRoundTripAndOccurrenceBounds) {
  Cr8Col reals(L"x", L"urn:t", 0, 3, nullptr, -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1,
               -1, kCollapse, nullptr);
  for (double value : {0.1 + 0.2, 1e-300, -123456.789}) reals.Add(value);
  CTextStream stream(XmlEncoding_UTF8);
  CXmlTextWriter writer(stream);
  writer.Open();
  writer.StartElement(L"r", L"urn:t");
  Access::Write(reals, writer);
  writer.EndElement();
  writer.Close();
  EXPECT_NE(stream.GetAllText().find(L">0.30000000000000004<"), std::wstring::npos);
  CXmlDocument document;
  document.LoadXml(stream.GetAllText().c_str());
  const CSmartPtr<Cr8Col> back = new Cr8Col(reals);
  back->Clear();
  back->FromXmlElement(document.GetDocumentElement(), CSerializationContext());
  EXPECT_TRUE(std::equal(back->begin(), back->end(), reals.begin(), reals.end()));

  reals.Add(4);
  RecordingWriter recorder;
  KORVEL_EXPECT_THROW_MESSAGE(
      Access::Write(reals, recorder), CKvValidationException,
      L"The Maximum number of [x] elements allowed in this collection is 3");
  EXPECT_TRUE(recorder.calls.empty());
}

}  // namespace
}  // namespace Korvel::testing
