// SPDX-License-Identifier: MIT
#include <korvel/typed_collections.h>

#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>

#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/xml_document.h>
#include <korvel/xml_text_writer.h>

#include "binding/test_objects.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

struct Facets {
  std::wstring pattern, minInclusive, maxInclusive, minExclusive, maxExclusive;
  int32_t minLength = -1, maxLength = -1, length = -1, totalDigits = -1, fractionDigits = -1;
};

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

template <class Col>
CSmartPtr<CXmlTypeCollection> Make(const Facets& f, const std::wstring& format) {
  return new Col(L"item", L"urn:t", 0, -1, OrNull(f.pattern), f.minLength, f.maxLength,
                 OrNull(f.minInclusive), OrNull(f.maxInclusive), OrNull(f.minExclusive),
                 OrNull(f.maxExclusive), f.length, f.totalDigits, f.fractionDigits, kCollapse,
                 OrNull(format));
}

using Factory = CSmartPtr<CXmlTypeCollection> (*)(const Facets&, const std::wstring&);
const std::map<std::wstring, Factory> kFactories = {
    {L"ChexBinaryCol", &Make<ChexBinaryCol>},
    {L"Cbase64BinaryCol", &Make<Cbase64BinaryCol>},
    {L"Ci1Col", &Make<Ci1Col>},
    {L"Ci2Col", &Make<Ci2Col>},
    {L"Ci4Col", &Make<Ci4Col>},
    {L"Ci8Col", &Make<Ci8Col>},
    {L"Cui1Col", &Make<Cui1Col>},
    {L"Cui2Col", &Make<Cui2Col>},
    {L"Cui4Col", &Make<Cui4Col>},
    {L"Cui8Col", &Make<Cui8Col>},
    {L"Cr4Col", &Make<Cr4Col>},
    {L"Cr8Col", &Make<Cr8Col>},
    {L"CdurationCol", &Make<CdurationCol>},
    {L"CyearMonthCol", &Make<CyearMonthCol>},
    {L"CmonthDayCol", &Make<CmonthDayCol>},
    {L"CyearCol", &Make<CyearCol>},
    {L"CmonthCol", &Make<CmonthCol>},
    {L"CdayCol", &Make<CdayCol>},
    {L"CdateCol", &Make<CdateCol>},
    {L"CdatetimeCol", &Make<CdatetimeCol>},
    {L"CtimeCol", &Make<CtimeCol>},
    {L"CstringCol", &Make<CstringCol>},
    {L"CbooleanCol", &Make<CbooleanCol>},
    {L"CdecimalCol", &Make<CdecimalCol>},
    {L"CintegerCol", &Make<CintegerCol>},
};

// Every call a writer receives, one line each.
class RecordingWriter : public CXmlWriter {
 public:
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
  static void Write(const CXmlObjectBase& object, CXmlWriter& writer,
                    const CSerializationContext& context = CSerializationContext()) {
    ToXml_Int(&object, &writer, false, L"urn:ignored", context, false);
  }
};

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  std::wstringstream in(text);
  for (std::wstring part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

Facets ParseFacets(const std::wstring& text) {
  Facets f;
  if (text == L"-") return f;
  for (const std::wstring& item : Split(text, L';')) {
    const std::wstring name = item.substr(0, item.find(L'=')), value = item.substr(name.size() + 1);
    std::map<std::wstring, std::wstring*> texts = {{L"pattern", &f.pattern},
                                                   {L"minInclusive", &f.minInclusive},
                                                   {L"maxInclusive", &f.maxInclusive},
                                                   {L"minExclusive", &f.minExclusive},
                                                   {L"maxExclusive", &f.maxExclusive}};
    std::map<std::wstring, int32_t*> numbers = {{L"minLength", &f.minLength},
                                                {L"maxLength", &f.maxLength},
                                                {L"length", &f.length},
                                                {L"totalDigits", &f.totalDigits},
                                                {L"fractionDigits", &f.fractionDigits}};
    if (texts.count(name))
      *texts[name] = value;
    else
      *numbers.at(name) = std::stoi(value);
  }
  return f;
}

std::wstring Document(const std::vector<std::wstring>& texts) {
  std::wstring xml = L"<r xmlns='urn:t'>";
  for (const std::wstring& text : texts) xml += L"<item>" + text + L"</item>";
  return xml + L"<other/></r>";
}

// Each row of typed_collections.tsv: read a run of items from a document,
// write them back, then refuse one more without telling listeners.
TEST(TypedCollections, EveryKindReadsWritesAndRefuses) {
  std::ifstream file(std::string(KORVEL_TEST_DATA_DIR) + "/typed_collections.tsv");
  ASSERT_TRUE(file);
  int rows = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::wstring> cells = Split(std::wstring(line.begin(), line.end()), L'\t');
    ASSERT_EQ(cells.size(), 7u) << line;
    SCOPED_TRACE(line);
    ++rows;
    const CSmartPtr<CXmlTypeCollection> col =
        kFactories.at(cells[0])(ParseFacets(cells[1]), cells[2] == L"-" ? L"" : cells[2]);
    const std::vector<std::wstring> read = Split(cells[3], L'|');
    CXmlDocument document;
    document.LoadXml(Document(read).c_str());
    col->FromXmlElement(document.GetDocumentElement(), CSerializationContext());
    ASSERT_EQ(col->GetCount(), static_cast<int32_t>(read.size()));

    RecordingWriter writer;
    Access::Write(*col, writer);
    // Dates of every kind are handed to writers as dateTime values.
    const ItemType kind = col->GetItemType();
    const ItemType written =
        kind == it_yearMonth || kind == it_monthDay || kind == it_date || kind == it_time
            ? it_datetime
            : kind;
    std::vector<std::wstring> expected;
    for (const std::wstring& text : Split(cells[4], L'|')) {
      expected.insert(expected.end(),
                      {L"<urn:t:item", text + L" " + std::to_wstring(written), L">"});
    }
    EXPECT_EQ(writer.calls, expected);

    RecordingSink sink;
    col->AddEventListener(&sink);
    document.LoadXml(Document({cells[5]}).c_str());
    KORVEL_EXPECT_THROW_MESSAGE(
        col->FromXmlElement(document.GetDocumentElement(), CSerializationContext()), CKvException,
        cells[6]);
    EXPECT_EQ(col->GetCount(), static_cast<int32_t>(read.size()));
    EXPECT_TRUE(sink.messages.empty());
  }
  EXPECT_EQ(rows, 25);
}

CSmartPtr<Ci4Col> Ints(const wchar_t* minInclusive = nullptr, int32_t maxOccurs = -1) {
  return new Ci4Col(L"n", L"", 0, maxOccurs, nullptr, -1, -1, minInclusive, nullptr, nullptr,
                    nullptr, -1, -1, -1, kCollapse, nullptr);
}

std::vector<int32_t> Values(const Ci4Col& col) { return {col.begin(), col.end()}; }

TEST(TypedCollections, PositionsIndexMessagesAndEvents) {
  const CSmartPtr<Ci4Col> col = Ints(L"0");
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
  KORVEL_EXPECT_THROW_MESSAGE(col->Add(-1), CKvException, L"Invalid Value for n [-1]");
  KORVEL_EXPECT_THROW_MESSAGE(col->Remove(4), CKvInvalidParamException,
                              L"Index 4 is out of range, use 0 - 3");
  KORVEL_EXPECT_THROW_MESSAGE(col->Item(-1), CKvInvalidParamException,
                              L"Index -1 is out of range, use 0 - 3");
  EXPECT_TRUE(sink.messages.empty());

  // Removals carry the index removed.
  std::vector<int32_t> indexes;
  struct IndexSink : IEventSink {
    std::vector<int32_t>* seen;
    void OnEvent(CXmlObjectBase*, MsgType msg, void* data) override {
      if (msg == MsgType_CollectionRemove) seen->push_back(*static_cast<int32_t*>(data));
    }
  } indexSink;
  indexSink.seen = &indexes;
  col->AddEventListener(&indexSink);
  col->Remove(2);
  col->Clear();
  EXPECT_EQ(indexes, (std::vector<int32_t>{2, 0, 0, 0}));
  EXPECT_EQ(sink.messages, (std::vector<int>{3, 4, 0, 3, 4, 0, 3, 4, 0, 3, 4, 0}));
  EXPECT_EQ(col->GetCount(), 0);
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
  EXPECT_EQ(col->Item(0), model[0]);
  EXPECT_EQ(Values(Ci4Col(*col)), model);
}

TEST(TypedCollections, DatesMustBeOfTheCollectionsKind) {
  const CSmartPtr<CdateCol> dates =
      new CdateCol(L"d", L"", 0, -1, nullptr, -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1,
                   -1, kCollapse, nullptr);
  RecordingSink sink;
  dates->AddEventListener(&sink);
  const CDateTime day = CConversions::dateFromString(L"2004-05-01", kCollapse);
  KORVEL_EXPECT_THROW_MESSAGE(
      dates->Add(CConversions::datetimeFromString(L"2004-05-01T00:00:00", kCollapse)),
      CKvInvalidParamException, L"Dates added to this collection must be of type dt_date");
  // The kind is checked before the index.
  KORVEL_EXPECT_THROW_MESSAGE(dates->AddAt(3, CDateTime()), CKvInvalidParamException,
                              L"Dates added to this collection must be of type dt_date");
  KORVEL_EXPECT_THROW_MESSAGE(dates->AddAt(1, day), CKvInvalidParamException,
                              L"Index out of range");
  EXPECT_TRUE(sink.messages.empty());
  dates->Add(day);
  EXPECT_EQ(CConversions::dateToString(dates->Item(0)), L"2004-05-01");
}

TEST(TypedCollections, CopiesTakeValuesAndFacetsButNotListeners) {
  const CSmartPtr<Ci4Col> col = Ints(L"10");
  col->Add(10);
  col->Add(11);
  RecordingSink sink;
  col->AddEventListener(&sink);
  const CSmartPtr<Ci4Col> copy = new Ci4Col(*col);
  EXPECT_EQ(Values(*copy), (std::vector<int32_t>{10, 11}));
  KORVEL_EXPECT_THROW_MESSAGE(copy->Add(9), CKvException, L"Invalid Value for n [9]");
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
  int trues = 0;
  for (bool flag : flags) trues += flag;
  EXPECT_EQ(trues, 24);
  EXPECT_FALSE(flags.Item(0));
  EXPECT_TRUE(flags.Item(1));
}

// Written through the text writer and read back: occurrence bounds are checked
// first, and reals keep every bit.
TEST(TypedCollections, TextRoundTripAndOccurrenceBounds) {
  const CSmartPtr<Cr8Col> reals =
      new Cr8Col(L"x", L"urn:t", 0, 3, nullptr, -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1,
                 -1, kCollapse, nullptr);
  for (double value : {0.1 + 0.2, 1e-300, -123456.789}) reals->Add(value);
  CTextStream stream(XmlEncoding_UTF8);
  CXmlTextWriter writer(stream);
  writer.Open();
  writer.StartElement(L"r", L"urn:t");
  Access::Write(*reals, writer);
  writer.EndElement();
  writer.Close();
  CXmlDocument document;
  document.LoadXml(stream.GetAllText().c_str());
  const CSmartPtr<Cr8Col> back = new Cr8Col(*reals);
  back->Clear();
  back->FromXmlElement(document.GetDocumentElement(), CSerializationContext());
  EXPECT_EQ(std::vector<double>(back->begin(), back->end()),
            std::vector<double>(reals->begin(), reals->end()));

  reals->Add(4);
  RecordingWriter recorder;
  KORVEL_EXPECT_THROW_MESSAGE(Access::Write(*reals, recorder), CKvValidationException,
                              L"The Maximum number of [x] elements allowed in this collection "
                              L"is 3");
  EXPECT_TRUE(recorder.calls.empty());
}

}  // namespace
}  // namespace Korvel::testing
