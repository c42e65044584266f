// SPDX-License-Identifier: MIT
#include <korvel/collection.h>
#include <korvel/typed_collections.h>

#include "binding/test_objects.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

CSmartPtr<CPerson> Named(const wchar_t* name) {
  CSmartPtr<CPerson> person = new CPerson;
  person->name = name;
  return person;
}

const wchar_t kNotFound[] = L"The object was not found in the collection";

TEST(Collection, InsertionsAndRemovalsKeepOrderAndTellListeners) {
  const CSmartPtr<CPersonCol> col = new CPersonCol;
  const CSmartPtr<CPerson> a = Named(L"a"), b = Named(L"b"), c = Named(L"c"), d = Named(L"d");
  RecordingSink sink;
  col->AddEventListener(&sink);
  col->AppendItem(b);
  EXPECT_EQ(sink.messages, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(sink.senders, (std::vector<CXmlObjectBase*>(3, col.Get())));
  EXPECT_EQ(sink.data_, (std::vector<void*>{b.Get(), b.Get(), nullptr}));
  col->PrependItem(a);
  col->AddAfterItem(b, d);
  col->AddBeforeItem(d, c);
  col->AddItemAt(4, Named(L"f"));  // at the count: appends
  col->AddItemAt(4, Named(L"e"));
  col->AddAfterItem(nullptr, Named(L"0"));   // null: at the front
  col->AddBeforeItem(nullptr, Named(L"9"));  // null: at the end
  EXPECT_EQ(col->Names(), L"0abcdef9");
  EXPECT_EQ(sink.messages.size(), 24u);

  sink = RecordingSink();
  const int live = CPerson::live;
  col->Remove(7);  // the collection held the last reference
  EXPECT_EQ(CPerson::live, live - 1);
  col->Remove(0);
  EXPECT_EQ(col->Names(), L"abcdef");
  EXPECT_EQ(sink.messages, (std::vector<int>{3, 4, 0, 3, 4, 0}));
  EXPECT_EQ(sink.data_, (std::vector<void*>(6, nullptr)));

  // Failures change nothing, but an Add event is out before a missing item is noticed.
  sink = RecordingSink();
  const CSmartPtr<CPerson> stranger = Named(L"x");
  KORVEL_EXPECT_THROW_MESSAGE(col->AddAfterItem(stranger, c), CKvInvalidParamException, kNotFound);
  KORVEL_EXPECT_THROW_MESSAGE(col->AddBeforeItem(stranger, c), CKvInvalidParamException, kNotFound);
  EXPECT_EQ(sink.messages, (std::vector<int>{1, 1}));
  for (int32_t index : {-1, 7}) {
    KORVEL_EXPECT_THROW_MESSAGE(col->AddItemAt(index, c), CKvInvalidParamException,
                                L"Index out of range");
  }
  KORVEL_EXPECT_THROW_MESSAGE(col->Remove(6), CKvInvalidParamException,
                              L"Index 6 is out of range, use 0 - 5");
  KORVEL_EXPECT_THROW_MESSAGE(col->Remove(-1), CKvInvalidParamException,
                              L"Index -1 is out of range, use 0 - 5");
  EXPECT_EQ(col->Names(), L"abcdef");
  EXPECT_EQ(RefCount(c), 2);
  col->Clear();
  EXPECT_EQ(RefCount(c), 1);
  KORVEL_EXPECT_THROW_MESSAGE(col->Remove(0), CKvInvalidParamException,
                              L"Index 0 is out of range, use 0 - -1");
  col->RemoveEventListener(&sink);
}

TEST(Collection, ListenersTwiceAndOnDestruction) {
  RecordingSink sink;
  {
    const CSmartPtr<CPersonCol> col = new CPersonCol;
    col->AddEventListener(&sink);
    col->AddEventListener(&sink);
    col->AppendItem(Named(L"a"));
    EXPECT_EQ(sink.messages, (std::vector<int>{1, 1, 2, 2, 0, 0}));
    col->RemoveEventListener(&sink);  // both registrations
    col->AppendItem(Named(L"b"));
    EXPECT_EQ(sink.messages.size(), 6u);
    col->AddEventListener(&sink);
    sink = RecordingSink();
  }
  // The collection empties itself front to back, telling who still listens.
  EXPECT_EQ(sink.messages, (std::vector<int>{3, 4, 0, 3, 4, 0}));
}

TEST(Collection, CountValidation) {
  struct Row {
    int32_t minOccurs, maxOccurs, count;
    const wchar_t* message;  // null: valid
  };
  const Row rows[] = {
      {1, -1, 0, L"The Minimum number of [person] elements allowed in this collection is 1"},
      {0, -1, 100, nullptr},
      {5, 2, 3, L"The Maximum number of [person] elements allowed in this collection is 2"},
      {2, 3, 3, nullptr},
  };
  CSerializationContext ignoring;
  ignoring.SetIgnoreInvalidCollectionCounts(true);
  const CSerializationContext& strict = CSerializationContext::GetDefaultContext();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.count);
    const CSmartPtr<CPersonCol> col = new CPersonCol(row.minOccurs, row.maxOccurs);
    for (int32_t i = 0; i < row.count; ++i) col->AppendItem(Named(L"p"));
    EXPECT_EQ(col->IsValidCount(strict), row.message == nullptr);
    if (row.message) {
      KORVEL_EXPECT_THROW_MESSAGE(col->ValidateCount(strict), CKvValidationException, row.message);
    } else {
      col->ValidateCount(strict);
    }
    EXPECT_TRUE(col->IsValidCount(ignoring));
    col->ValidateCount(ignoring);
  }
}

TEST(Collection, TypedValuesReadTheirRunOfElements) {
  CXmlDocument document;
  document.LoadXml(L"<r xmlns='urn:p' xmlns:o='urn:o'><v> 1 </v><v>2</v><o:v>3</o:v><v>4</v></r>");
  const CSmartPtr<Ci4Col> values = Ints();
  values->FromXmlElement(document.GetDocumentElement(), CSerializationContext::GetDefaultContext());
  EXPECT_EQ(Values(*values), (std::vector<int32_t>{1, 2}));
  CSerializationContext noNamespaces;
  noNamespaces.SetIgnoreNamespaces(true);
  values->FromXmlElement(document.GetDocumentElement(), noNamespaces);
  EXPECT_EQ(Values(*values), (std::vector<int32_t>{1, 2, 1, 2, 3, 4}));
  // A collection is never a document's root.
  KORVEL_EXPECT_THROW_MESSAGE(values->ToXml(false, false, EOL_LF, noNamespaces), CKvException,
                              L"CXmlCollectionBase::GetTargetNamespace Should not be used from "
                              L"within a Collection (program logic error)");
}

// The pattern facet of a typed collection judges the text as it stood in the
// document (after the whitespace rule) when values are read, the canonical
// text when they are added as values.
constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

// Reads text as the document reader hands it over.
template <class Col>
struct Reading : Col {
  using Col::Col;
  using Col::AddFromString;
};

TEST(LexicalPattern, ReadTextIsMatchedAsWrittenInTheDocument) {
  const CSmartPtr<Reading<Ci4Col>> ints = new Reading<Ci4Col>(L"n", L"", 0, -1, L"\\d{3}", -1, -1, nullptr, nullptr,
                                            nullptr, nullptr, -1, -1, -1, kCollapse, nullptr);
  ints->AddFromString(L" 007 ");
  EXPECT_EQ(ints->GetCount(), 1);
  KORVEL_EXPECT_THROW_MESSAGE(ints->AddFromString(L"7"), CKvException, L"Invalid Value for n [7].");
  KORVEL_EXPECT_THROW_MESSAGE(ints->Add(7), CKvException, L"Invalid Value for n [7].");
  const CSmartPtr<Reading<CbooleanCol>> flags = new Reading<CbooleanCol>(
      L"b", L"", 0, -1, L"true|false", -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1, -1,
      kCollapse, nullptr);
  flags->AddFromString(L"true");
  KORVEL_EXPECT_THROW_MESSAGE(flags->AddFromString(L"1"), CKvException, L"Invalid Value for b [1].");
  EXPECT_EQ(flags->GetCount(), 1);
}

}  // namespace
}  // namespace Korvel::testing
