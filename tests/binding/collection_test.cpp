// SPDX-License-Identifier: MIT
#include <korvel/collection.h>

#include "binding/test_objects.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

using Msg = IEventSink;

CSmartPtr<CPerson> Named(const wchar_t* name) {
  CSmartPtr<CPerson> person = new CPerson;
  person->name = name;
  return person;
}

TEST(Collection, InsertionsAndRemovalsKeepOrderAndTellListeners) {
  CSmartPtr<CPersonCol> col = new CPersonCol;
  const CSmartPtr<CPerson> a = Named(L"a"), b = Named(L"b"), c = Named(L"c"), d = Named(L"d"),
                           e = Named(L"e"), f = Named(L"f");
  RecordingSink sink;
  col->AddEventListener(&sink);
  col->AppendItem(b);
  col->PrependItem(a);
  col->AddAfterItem(b, d);
  col->AddBeforeItem(d, c);
  col->AddItemAt(4, f);  // count: appends
  col->AddItemAt(4, e);
  EXPECT_EQ(col->Names(), L"abcdef");
  col->AddAfterItem(nullptr, Named(L"0"));   // null existing: front
  col->AddBeforeItem(nullptr, Named(L"9"));  // null existing: end
  EXPECT_EQ(col->Names(), L"0abcdef9");
  EXPECT_EQ(col->GetCount(), 8);

  // Add, AddComplete, Change per insertion, the item as data.
  ASSERT_EQ(sink.events.size(), 24u);
  EXPECT_EQ(sink.Messages()[0], Msg::MsgType_CollectionAdd);
  EXPECT_EQ(sink.Messages()[1], Msg::MsgType_CollectionAddComplete);
  EXPECT_EQ(sink.Messages()[2], Msg::MsgType_CollectionChange);
  EXPECT_EQ(sink.events[0].sender, col.Get());
  EXPECT_EQ(sink.events[0].data, b.Get());
  EXPECT_EQ(sink.events[1].data, b.Get());
  EXPECT_EQ(sink.events[2].data, nullptr);

  sink.events.clear();
  col->Remove(7);
  col->Remove(0);
  EXPECT_EQ(col->Names(), L"abcdef");
  EXPECT_EQ(sink.Messages(), (std::vector<int>{3, 4, 0, 3, 4, 0}));
  for (const auto& event : sink.events) EXPECT_EQ(event.data, nullptr);

  // Removing the last reference destroys the item.
  const int live = CPerson::live;
  col->AppendItem(Named(L"g"));
  EXPECT_EQ(CPerson::live, live + 1);
  col->Remove(6);
  EXPECT_EQ(CPerson::live, live);
  EXPECT_EQ(RefCount(a), 2);
  col->Clear();
  EXPECT_EQ(col->GetCount(), 0);
  EXPECT_EQ(RefCount(a), 1);
  col->RemoveEventListener(&sink);
}

TEST(Collection, BadPositionsAndMissingItemsLeaveTheListUnchanged) {
  CSmartPtr<CPersonCol> col = new CPersonCol;
  const CSmartPtr<CPerson> a = Named(L"a"), stranger = Named(L"x");
  KORVEL_EXPECT_THROW_MESSAGE(col->Remove(0), CKvInvalidParamException,
                              L"Index 0 is out of range, use 0 - -1");
  col->AppendItem(a);
  col->AppendItem(Named(L"b"));
  col->AppendItem(Named(L"c"));
  for (int32_t index : {-1, 4}) {
    KORVEL_EXPECT_THROW_MESSAGE(col->AddItemAt(index, stranger), CKvInvalidParamException,
                                L"Index out of range");
  }
  KORVEL_EXPECT_THROW_MESSAGE(col->Remove(3), CKvInvalidParamException,
                              L"Index 3 is out of range, use 0 - 2");
  KORVEL_EXPECT_THROW_MESSAGE(col->Remove(-1), CKvInvalidParamException,
                              L"Index -1 is out of range, use 0 - 2");
  // The Add event is already out when the reference item turns out missing.
  RecordingSink sink;
  col->AddEventListener(&sink);
  KORVEL_EXPECT_THROW_MESSAGE(col->AddAfterItem(stranger, Named(L"y")), CKvInvalidParamException,
                              L"The object was not found in the collection");
  KORVEL_EXPECT_THROW_MESSAGE(col->AddBeforeItem(stranger, Named(L"y")), CKvInvalidParamException,
                              L"The object was not found in the collection");
  EXPECT_EQ(sink.Messages(), (std::vector<int>{1, 1}));
  EXPECT_EQ(col->Names(), L"abc");
  EXPECT_EQ(RefCount(stranger), 1);
  col->RemoveEventListener(&sink);
}

TEST(Collection, ListenersTwiceAndOnDestruction) {
  RecordingSink sink;
  {
    CSmartPtr<CPersonCol> col = new CPersonCol;
    col->AddEventListener(&sink);
    col->AddEventListener(&sink);
    col->AppendItem(Named(L"a"));
    EXPECT_EQ(sink.Messages(), (std::vector<int>{1, 1, 2, 2, 0, 0}));
    sink.events.clear();
    col->RemoveEventListener(&sink);  // both registrations
    col->AppendItem(Named(L"b"));
    EXPECT_TRUE(sink.events.empty());
    col->AddEventListener(&sink);
  }
  // The collection empties itself front to back, telling who still listens.
  EXPECT_EQ(sink.Messages(), (std::vector<int>{3, 4, 0, 3, 4, 0}));
}

TEST(Collection, CountValidation) {
  struct Row {
    int32_t minOccurs, maxOccurs, count;
    const wchar_t* message;  // null: valid
  };
  const Row rows[] = {
      {1, -1, 0, L"The Minimum number of [person] elements allowed in this collection is 1"},
      {0, -1, 1000, nullptr},
      {5, 2, 3, L"The Maximum number of [person] elements allowed in this collection is 2"},
      {2, 3, 3, nullptr},
      {0, 0, 1, L"The Maximum number of [person] elements allowed in this collection is 0"},
  };
  CSerializationContext ignoring;
  ignoring.SetIgnoreInvalidCollectionCounts(true);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.count);
    CSmartPtr<CPersonCol> col = new CPersonCol(row.minOccurs, row.maxOccurs);
    for (int32_t i = 0; i < row.count; ++i) col->AppendItem(Named(L"p"));
    const CSerializationContext& strict = CSerializationContext::GetDefaultContext();
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
  CXmlElement* root = document.GetDocumentElement();
  CSmartPtr<CIntCol> values = new CIntCol;
  values->FromXmlElement(root, CSerializationContext::GetDefaultContext());
  EXPECT_EQ(values->values, (std::vector<int32_t>{1, 2}));
  // Names alone, when namespaces are ignored.
  CSerializationContext noNamespaces;
  noNamespaces.SetIgnoreNamespaces(true);
  values->values.clear();
  values->FromXmlElement(root, noNamespaces);
  EXPECT_EQ(values->values, (std::vector<int32_t>{1, 2, 3, 4}));
  // A collection is never a document's root.
  KORVEL_EXPECT_THROW_MESSAGE(values->ToXml(false, false, EOL_LF, noNamespaces), CKvException,
                              L"CXmlCollectionBase::GetTargetNamespace Should not be used from "
                              L"within a Collection (program logic error)");
}

}  // namespace
}  // namespace Korvel::testing
