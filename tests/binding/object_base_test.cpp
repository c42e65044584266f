// SPDX-License-Identifier: MIT
// CXmlObjectBase and its collections through every entry point; untyped content:
// wildcard refusals, reading foreign content, writing in every layout, own
// namespace scopes, the extra root attributes, and the namespace wildcards.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <korvel/collection.h>
#include <korvel/object_base.h>
#include <korvel/serialization_context.h>
#include <korvel/text_stream.h>
#include <korvel/typed_collections.h>
#include <korvel/untyped.h>
#include <korvel/xml_document.h>

#include "binding/namespace_wildcard.h"
#include "binding/test_objects.h"
#include "binding/variant_object.h"
#include "test_support.h"
#include "values/compression.h"
#include "values/utf.h"
#include "vector_file.h"

namespace Korvel::testing {
namespace {

const CSerializationContext& Defaults() { return CSerializationContext::GetDefaultContext(); }

TEST(ObjectBase, TextEntryPointsWriteTheRootAndReadItBack) {
  const CSmartPtr<CPerson> ann = Ann();
  EXPECT_EQ(ann->ToXml(false, false, EOL_LF, Defaults()),
            std::wstring(L"<AA:person xmlns:AA=\"urn:p\" id=\"7\"><AA:name>") + kName +
                L"</AA:name></AA:person>");
  const std::wstring text = ann->ToXml(true, true, EOL_CRLF, Defaults());
  EXPECT_EQ(text.rfind(L"<?xml version=\"1.0\"?>\r\n<AA:person", 0), 0u);
  ExpectReadsAnn([&](CPerson& p) { p.FromXml(text.c_str(), Defaults()); });

  // Compressed streams and files round-trip in the purchase-order tests; here
  // the bytes are decoded by hand to check the declaration names their encoding.
  for (XmlEncoding encoding : {XmlEncoding_UTF8, XmlEncoding_UTF16, XmlEncoding_UTF16Undeclared}) {
    SCOPED_TRACE(encoding);
    const CBinaryData bytes = ann->ToXmlStream(true, true, encoding, EOL_LF, Defaults(), ct_none);
    ExpectReadsAnn([&](CPerson& p) { p.FromXmlStream(bytes, Defaults()); });
    const std::string_view view = detail::ByteView(bytes);
    const std::wstring wide =
        encoding == XmlEncoding_UTF8 ? detail::Utf8ToWide(view) : detail::Utf16LeToWide(view);
    ExpectReadsAnn([&](CPerson& p) { p.FromXml(wide.c_str(), Defaults()); });
  }
  CXmlDocument document;
  document.LoadXml(std::wstring(L"<list>" + text.substr(text.find(L'<', 1)) + L"</list>").c_str());
  ExpectReadsAnn([&](CPerson& p) {
    p.FromXmlElement(document.GetDocumentElement()->GetFirstElement(), Defaults());
  });
}

// Chunked and background file I/O round-trip in the purchase-order tests; here
// the bytes on disk are checked.
TEST(ObjectBase, FilesInEveryEncodingAndCompression) {
  TempDir dir;
  const CSmartPtr<CPerson> ann = Ann();
  const std::wstring path = dir.WidePath("out.xml");
  for (XmlEncoding encoding : {XmlEncoding_UTF8, XmlEncoding_UTF16}) {
    for (CompressionType compression : {ct_none, ct_gzip}) {
      SCOPED_TRACE(::testing::Message() << encoding << " " << compression);
      ann->ToXmlFile(path.c_str(), true, true, encoding, EOL_LF, Defaults(), compression);
      CBinaryData bytes = DataOf(dir.Read("out.xml"));
      // A gzip file is a plain stream of what the uncompressed file holds.
      EXPECT_EQ(detail::InflateIfCompressed(bytes), compression == ct_gzip);
      EXPECT_EQ(BytesOf(bytes).substr(0, 2), encoding == XmlEncoding_UTF8 ? "<?" : "\xFF\xFE");
      ExpectReadsAnn([&](CPerson& p) { p.FromXmlFile(path.c_str(), Defaults()); });
    }
  }
  const std::wstring refused = dir.WidePath("zlib.xml");
  KORVEL_EXPECT_THROW_MESSAGE(
      ann->ToXmlFile(refused.c_str(), true, true, XmlEncoding_UTF8, EOL_LF, Defaults(), ct_zlib),
      CKvException, L"ZLIB Compression only available for To Stream methods.");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("zlib.xml")));
}

TEST(ObjectBase, FailuresPassThroughAndLeakNothing) {
  const int live = CPerson::live;
  const CSmartPtr<CPerson> p = new CPerson;
  const auto& c = Defaults();
  KORVEL_EXPECT_THROW_MESSAGE(p->FromXml(L"", c), CKvException, L"XML String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(p->FromXml("", c), CKvException, L"XML String is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(p->FromXmlStream(CBinaryData(), c), CKvException,
                              L"XML Stream is empty!");
  KORVEL_EXPECT_THROW_MESSAGE(p->FromXml(L"<a></b>", c), CKvException, L"mismatched tag at line 1");
  KORVEL_EXPECT_THROW_MESSAGE(p->FromXml(L"<person><other/></person>", c), CKvValidationException,
                              L"name expected\nPath: /person");
  KORVEL_EXPECT_THROW_MESSAGE(p->ToXmlStream(false, false, XmlEncoding_None, EOL_LF, c, ct_none),
                              CKvException,
                              L"Unknown Encoding, select UTF-8 (contact our support team)");
  EXPECT_EQ(RefCount(p), 1);
  EXPECT_EQ(CPerson::live, live + 1);
}

TEST(ObjectBase, CountingAndCopies) {
  CPerson* person = new CPerson;
  person->SetElementName(L"a");
  for (int32_t count : {1, 2, 3}) EXPECT_EQ(person->AddRef(), count);
  CSmartPtr<CPerson> copy = new CPerson(*person);  // starts at 0, so 1 here
  EXPECT_EQ(RefCount(copy), 1);
  EXPECT_EQ(copy->GetElementName(), L"a");
  CPerson::SetElementName(copy, L"b");
  *copy = *person;  // the name only
  EXPECT_EQ(copy->GetElementName(), L"a");
  EXPECT_EQ(RefCount(copy), 1);
  const int live = CPerson::live;
  for (int32_t count : {2, 1, 0}) EXPECT_EQ(person->Release(), count);
  EXPECT_EQ(CPerson::live, live - 1);
}

// Rows of tests/data/binding/choice.txt: the choice "B" changed by one helper.
TEST(ObjectBase, ChoiceBookkeeping) {
  using Args = VectorArgs;
  const auto run = [](auto change) {
    return [change](const Args& a) {
      std::wstring selected = a[1];
      try {
        change(std::stoi(a[0]), selected);
      } catch (const CKvInvalidStateException& e) {
        return selected == a[1] ? L"!" + e.GetMessageW() : L"changed, yet refused";
      }
      return selected;
    };
  };
  RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/binding/choice.txt",
                {{L"select", run([](int value, std::wstring& selected) {
                    CPerson object;
                    CPerson::Choice_SelectElement(L"B", value ? &object : nullptr, selected);
                  })},
                 {L"collection", run([](int count, std::wstring& selected) {
                    CPerson::Choice_CollectionChanged(L"B", count, selected);
                  })},
                 {L"valid", run([](int valid, std::wstring& selected) {
                    CPerson::Choice_SetElementValid(valid == 1, L"B", selected);
                  })}});
}

TEST(ObjectBase, ChoiceReadsACollectionOnce) {
  CXmlDocument document;
  document.LoadXml(L"<r xmlns='urn:p'><v>1</v><v>2</v><w/></r>");
  CXmlElement* root = document.GetDocumentElement();
  CXmlElement* current = root->GetFirstElement();
  const CSmartPtr<Ci4Col> values = Ints(0, 1);
  int32_t count = 0;
  KORVEL_EXPECT_THROW_MESSAGE(
      CPerson::Choice_Read_Collection(values, root, current, count, Defaults()),
      CKvValidationException,
      L"The Maximum number of [v] elements allowed in this collection is 1");
  EXPECT_EQ(current->GetLocalName(), L"w");  // moved before the count was checked
  EXPECT_EQ(count, 0);
  current = root->GetFirstElement();
  values->Clear();
  CSerializationContext lenient;
  lenient.SetIgnoreInvalidCollectionCounts(true);
  for (int pass = 0; pass < 2; ++pass) {  // the second finds it read already
    CPerson::Choice_Read_Collection(values, root, current, count, lenient);
    EXPECT_EQ(Values(*values), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(current->GetLocalName(), L"w");
    EXPECT_EQ(count, 1);
  }
  count = 0;  // nothing consumed: no count
  CPerson::Choice_Read_Collection(values, root, current, count, Defaults());
  EXPECT_EQ(count, 0);
}

TEST(ObjectBase, SetterChecks) {
  CPerson named;
  KORVEL_EXPECT_THROW_MESSAGE(CPerson::Throw_IfPropertyIsNull(nullptr, L"Name"),
                              CKvInvalidParamException,
                              L"The Property [Name] is mandatory, it may node be NULL");
  CPerson::Throw_IfPropertyIsNull(&named, L"Name");
  CPerson::Throw_IfElementNameDiffers(nullptr, L"other");
  CPerson::Throw_IfElementNameDiffers(&named, L"person");
  KORVEL_EXPECT_THROW_MESSAGE(CPerson::Throw_IfElementNameDiffers(&named, L"other"),
                              CKvInvalidParamException,
                              L"This property requires an element with the name other the element "
                              L"being set has the element name person");
}

TEST(ObjectBase, VariantsHoldObjectsAndCollectionsByReference) {
  const CSmartPtr<CPerson> person = new CPerson;
  const CSmartPtr<Ci4Col> values = Ints();
  KvVariant object, collection, null, number;
  object.SetXmlObject(person);
  collection.SetXmlCollection(values);
  null.SetXmlObject(nullptr);
  number.SetI4(1);
  EXPECT_EQ(RefCount(person), 2);
  EXPECT_EQ(detail::VariantObject(object).Get(), person.Get());
  EXPECT_EQ(detail::VariantObject(collection).Get(), values.Get());
  EXPECT_EQ(detail::VariantObject(null).Get(), nullptr);
  EXPECT_EQ(detail::VariantObject(KvVariant()).Get(), nullptr);
  EXPECT_THROW(detail::VariantObject(number), CKvInvalidStateException);
  object.Clear();
  EXPECT_EQ(RefCount(person), 1);
}

// What an entry point does: "ok", or the message it throws.
std::wstring Outcome(const std::function<void()>& call) {
  try {
    call();
    return L"ok";
  } catch (const CKvException& e) {
    return e.GetMessageW();
  }
}

TEST(ObjectBaseUtf8, FormsAgreeWithWideForms) {
  const CSmartPtr<CPerson> ann = Ann();
  const std::string text = ann->ToXmlUtf8(false, true, EOL_LF, Defaults());
  EXPECT_EQ(text, detail::WideToUtf8(ann->ToXml(false, true, EOL_LF, Defaults())));
  EXPECT_EQ(ann->ToXmlUtf8(true, false, EOL_LF, Defaults()),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
                ann->ToXmlUtf8(false, false, EOL_LF, Defaults()));
  CPerson read;
  read.FromXml(text, Defaults());
  EXPECT_EQ(read.name, kName);

  TempDir dir;
  const std::string name = dir.Path("\xC3\xA9 \xF0\x9F\x98\x80.xml");
  const std::wstring wideName = detail::Utf8ToWide(name);
  ann->ToXmlFile(std::filesystem::path(name), true, true, XmlEncoding_UTF16, EOL_LF, Defaults(),
                ct_gzip);
  const std::string written = dir.Read("\xC3\xA9 \xF0\x9F\x98\x80.xml");
  ann->ToXmlFile(wideName.c_str(), true, true, XmlEncoding_UTF16, EOL_LF, Defaults(), ct_gzip);
  EXPECT_EQ(dir.Read("\xC3\xA9 \xF0\x9F\x98\x80.xml"), written);
  read.name.clear();
  read.FromXmlFile(std::filesystem::path(name), Defaults());
  EXPECT_EQ(read.name, kName);

  // Whatever the wide JSON and Fast Infoset forms do, the others do the same.
  const std::string json = "{\"person\":{\"name\":\"\xC3\xA9\"}}";
  EXPECT_EQ(Outcome([&] { read.FromJson(json, Defaults()); }),
            Outcome([&] { read.FromJson(detail::Utf8ToWide(json).c_str(), Defaults()); }));
  EXPECT_EQ(Outcome([&] { read.FromJsonFile(std::filesystem::path(name), Defaults()); }),
            Outcome([&] { read.FromJsonFile(wideName.c_str(), Defaults()); }));
  EXPECT_EQ(Outcome([&] { ann->ToJsonUtf8(false, EOL_LF, Defaults()); }),
            Outcome([&] { ann->ToJson(false, EOL_LF, Defaults()); }));
  const std::string other = dir.Path("\xE2\x82\xAC");
  const auto fi = [&](const auto& path) { ann->ToFastInfosetFile(path, FInfoDecl_None, Defaults(), ct_none); };
  EXPECT_EQ(Outcome([&] { fi(std::filesystem::path(other)); }),
            Outcome([&] { fi(detail::Utf8ToWide(other).c_str()); }));
}

TEST(ObjectBaseUtf8, MalformedArgumentsFailBeforeAnythingHappens) {
  CPerson person;
  TempDir dir;
  const std::string bad = dir.Path("\xFF.xml");
  KORVEL_EXPECT_THROW_MESSAGE(
      person.ToXmlFile(std::filesystem::path(bad), false, false, XmlEncoding_UTF8, EOL_LF,
                       Defaults(), ct_none),
      CKvInvalidParamException,
      L"Invalid UTF-8 in the file name at byte " + std::to_wstring(bad.size() - 5) + L".");
  EXPECT_FALSE(std::filesystem::exists(bad));
  KORVEL_EXPECT_THROW_MESSAGE(
      person.FromXml(std::string("<p:person xmlns:p='urn:p'>\xC3"), Defaults()),
      CKvInvalidParamException, L"Invalid UTF-8 in the text at byte 26.");
  KORVEL_EXPECT_THROW_MESSAGE(person.FromJson(std::string("{\"a\":\"\xE2\x82\"}"), Defaults()),
                              CKvInvalidParamException, L"Invalid UTF-8 in the text at byte 6.");
}

using Context = CSerializationContext;

TEST(SerializationContext, NoNamespacesSchemaTypeIgnoresNamespaces) {
  static_assert(sizeof(SchemaType) == 4);
  struct Row {
    bool ignoreNamespaces;
    int32_t schemaType;
    bool expected;
  };
  const Row rows[] = {{false, 0, false},  {false, 2, true}, {false, 1, false}, {false, 3, false},
                      {false, -2, false}, {true, 0, true},  {true, 2, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.ignoreNamespaces << " " << row.schemaType);
    Context context;
    context.SetIgnoreNamespaces(row.ignoreNamespaces);
    context.SetSchemaType(static_cast<SchemaType>(row.schemaType));
    EXPECT_EQ(context.GetSchemaType(), row.schemaType);
    EXPECT_EQ(context.GetIgnoreNamespaces(), row.expected);
  }
  Context context;
  context.SetSchemaType(SchemaType_NoNamespaces);
  context.SetSchemaType(SchemaType_Default);
  EXPECT_FALSE(context.GetIgnoreNamespaces());
}

TEST(SerializationContext, UnknownAndMissingElementsCannotBothBeIgnored) {
  const std::wstring prefix =
      L"The parser can only ignore additional elements, or ignore the fact that some required "
      L"ones are missing, you can not ignore both\n";
  Context context;
  context.SetIgnoreUnknownElements(true);
  KORVEL_EXPECT_THROW_MESSAGE(context.SetIgnoreMissingMandatoryElements(true),
                              CKvInvalidStateException,
                              prefix +
                                  L"Set IgnoreUnknownElements to false before setting "
                                  L"IgnoreMissingMandatoryElements to true");
  EXPECT_FALSE(context.GetIgnoreMissingMandatoryElements());
  context.SetIgnoreMissingMandatoryElements(false);  // false is always accepted
  context.SetIgnoreUnknownElements(true);            // and so is setting a value again

  context.SetIgnoreUnknownElements(false);
  context.SetIgnoreMissingMandatoryElements(true);
  KORVEL_EXPECT_THROW_MESSAGE(context.SetIgnoreUnknownElements(true), CKvInvalidStateException,
                              prefix +
                                  L"Set IgnoreMissingMandatoryElements to false before setting "
                                  L"IgnoreUnknownElements to true");
  EXPECT_FALSE(context.GetIgnoreUnknownElements());
  EXPECT_TRUE(context.GetIgnoreMissingMandatoryElements());
  context.SetIgnoreUnknownElements(false);
}

// Indent texts are rows of tests/data/binding/indent.txt.
TEST(SerializationContext, IndentCharsAreSpacesAndTabsOnlyAndNullTextsAreEmpty) {
  const auto indent = [](const testing::VectorArgs& a) -> std::wstring {
    Context context;
    context.SetIndentChars(L"  ");
    try {
      context.SetIndentChars(a[0].c_str());
    } catch (const CKvInvalidParamException& e) {
      return context.GetIndentChars() == L"  " ? L"!" + e.GetMessageW() : L"changed, yet refused";
    }
    return L"[" + context.GetIndentChars() + L"]";
  };
  testing::RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/binding/indent.txt",
                         {{L"indent", indent}});
  Context context;
  context.SetIndentChars(L"  ");
  context.SetIndentChars(nullptr);
  EXPECT_EQ(context.GetIndentChars(), L"");
  context.SetDefaultNamespaceURI(L"urn:x");
  context.SetInLineSchema(L"<xs:schema/>");
  context.SetDefaultNamespaceURI(nullptr);
  context.SetInLineSchema(nullptr);
  EXPECT_EQ(context.GetDefaultNamespaceURI(), L"");
  EXPECT_EQ(context.GetInLineSchema(), L"");
}

// Copies are deep: the sub-contexts, aliases and instructions of a copy are
// its own, and outlive the source.
TEST(SerializationContext, CopiesTakeEveryOptionAndThenGoTheirOwnWay) {
  auto source = std::make_unique<Context>();
  source->SetStripCDATA(false);
  source->SetIndentChars(L"  ");
  source->GetNamespaceAliases().Add(L"a", L"urn:a");
  source->GetProcessingInstructions().push_back(L"<?pi data?>");
  source->GetFIContext().SetSuggestedValues();
  source->GetFIContext().GetVocabulary()->AddElement(L"", L"urn:a", L"e");
  source->GetJsonContext().SetSupportRoundtrip(JsonRoundTrip_None);
  const auto expectCustomised = [](const Context& context) {
    EXPECT_FALSE(context.GetStripCDATA());
    EXPECT_EQ(context.GetIndentChars(), L"  ");
    EXPECT_EQ(context.GetNamespaceAliases().GetAliasFromNamespace(L"urn:a"), L"a");
    EXPECT_EQ(context.GetProcessingInstructions(), std::vector<std::wstring>{L"<?pi data?>"});
    EXPECT_EQ(context.GetFIContext().GetEncoding(5).index, 4u);
    EXPECT_EQ(context.GetFIContext().GetVocabulary()->GetElementNamesTable().size(), 1u);
    EXPECT_EQ(context.GetJsonContext().GetSupportRoundtrip(), JsonRoundTrip_None);
  };
  Context copy(*source);
  Context assigned;
  assigned.GetFIContext();
  assigned.GetNamespaceAliases().Add(L"old", L"urn:old");
  assigned = *source;
  source->GetFIContext().SetEncoding(5, {});
  source->GetFIContext().GetVocabulary()->AddElement(L"", L"urn:a", L"f");
  source->GetJsonContext().SetSupportRoundtrip(JsonRoundTrip_Partial);
  source->GetNamespaceAliases().Add(L"b", L"urn:b");
  source->GetProcessingInstructions().clear();
  source.reset();
  expectCustomised(copy);
  expectCustomised(assigned);
  EXPECT_EQ(assigned.GetNamespaceAliases().GetNamespaceCount(), 1);

  // Self-assignment keeps everything; assigning a fresh context drops the sub-contexts.
  CFastInfosetContext* fi = &assigned.GetFIContext();
  Context& alias = assigned;
  assigned = alias;
  expectCustomised(assigned);
  EXPECT_EQ(&assigned.GetFIContext(), fi);
  copy = Context();
  EXPECT_EQ(copy.GetFIContext().GetEncoding(5).index, 0u);
}

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
  // Nodes given back serve again, wherever they come to stand in the list.
  for (const CSmartPtr<CPerson>& person : {a, b, c}) col->AppendItem(person);
  col->Remove(0);
  col->AppendItem(d);
  col->Remove(1);
  col->PrependItem(c);
  col->AddItemAt(1, a);
  EXPECT_EQ(col->Names(), L"cabd");
  EXPECT_EQ(RefCount(a), 2);
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

constexpr wchar_t kWildcardMessage[] =
    L"Invalid namespace [%s]. The namespace must be one of [%s] where the target namespace is "
    L"[%s].";

// The protected readers, for the tests.
struct Element : CElement {
  using CElement::CElement;
  using CElement::FromXml_Int;
};
struct Elements : CElementCol {
  using CElementCol::CElementCol;
  using CElementCol::FromXml_Int;
};
struct Attributes : CAttributeCol {
  using CAttributeCol::CAttributeCol;
  using CAttributeCol::FromXml_Int;
};

std::wstring Xml(const CXmlObjectBase& object, bool formatted = false, EOLType eol = EOL_LF) {
  return object.ToXml(false, formatted, eol, CSerializationContext::GetDefaultContext());
}

// <a xmlns:q="urn:q" q:k="v &quot;1&quot;">text &amp; more<b/><q:c>leaf</q:c></a>, with a child
// that opens its own default namespace.
CSmartPtr<CElement> SampleTree() {
  CSmartPtr<CElement> root(new CElement(L"a"));
  root->GetAttributes()->Add(L"k", L"v \"1\"\n", L"urn:q");
  root->SetText(L"text & more");
  CSmartPtr<CElementCol> children = root->GetChildElements();
  children->Add(L"b");
  CSmartPtr<CElement> leaf = children->Add(L"c", L"urn:q");
  leaf->SetText(L"  leaf <x>  ");
  leaf->GetChildElements();  // no children: the text keeps its blanks
  CSmartPtr<CElement> deep = children->Add(L"d", L"urn:q");
  deep->GetChildElements()->Add(L"e", L"urn:q")->SetText(L"\u00e9\u6f22\U0001F600");
  return root;
}

TEST(Untyped, RefusalsCarryTheirMessages) {
  const std::wstring other = L"##other";
  KORVEL_EXPECT_THROW_MESSAGE(CElement(L"a", L"##other"), CKvInvalidNamespaceException,
                              L"Invalid Namespace [##other].");
  KORVEL_EXPECT_THROW_MESSAGE(CElement(nullptr), CKvInvalidNamespaceException,
                              L"Element Name must have a value");
  KORVEL_EXPECT_THROW_MESSAGE(CElement(L"a", L"", nullptr, L""), CKvInvalidNamespaceException,
                              L"Namespace Restriction must have a value");
  KORVEL_EXPECT_THROW_MESSAGE(CElement(L"a", L"", L"##any", nullptr),
                              CKvInvalidNamespaceException, L"Target Namespace must have a value");
  KORVEL_EXPECT_THROW_MESSAGE(CElement(L"a", L"urn:z", L"##local", L"urn:t"),
                              CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"urn:z", L"##local", L"urn:t"));

  CSmartPtr<CElementCol> foreign(new CElementCol(L"", L"##other", L"urn:t"));
  KORVEL_EXPECT_THROW_MESSAGE(foreign->Add(L"x"), CKvInvalidStateException,
                              L"A Namespace has not been set for this Collection");
  KORVEL_EXPECT_THROW_MESSAGE(foreign->Add(L"x", L"urn:t"), CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"urn:t", L"##other", L"urn:t"));
  CSmartPtr<CElement> local(new CElement(L"x"));
  KORVEL_EXPECT_THROW_MESSAGE(foreign->Add(local), CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"", L"##other", L"urn:t"));
  EXPECT_EQ(foreign->Add(L"x", L"urn:o")->GetNamespace(), L"urn:o");

  // A list of URIs admits unqualified content; a keyword never becomes a namespace.
  CSmartPtr<CElementCol> listed(new CElementCol(L"", L"urn:y", L""));
  EXPECT_EQ(listed->Add(L"x")->GetNamespace(), L"");
  CSmartPtr<CElementCol> targeted(new CElementCol(L"", L"##targetNamespace", L"urn:t"));
  KORVEL_EXPECT_THROW_MESSAGE(targeted->Add(L"x"), CKvInvalidStateException,
                              L"A Namespace has not been set for this Collection");

  // The first URI of the restriction serves attributes added without one.
  CSmartPtr<CAttributeCol> attributes(new CAttributeCol(L"", L"urn:a urn:b", L""));
  EXPECT_EQ(attributes->Add(L"x", L"1")->GetNamespace(), L"urn:a");
  CSmartPtr<CAttributeCol> otherAttributes(new CAttributeCol(L"", L"##other", L"urn:t"));
  KORVEL_EXPECT_THROW_MESSAGE(otherAttributes->Add(L"x"), CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"", other.c_str(), L"urn:t"));

  // A tree checked against a wildcard it does not fit.
  CSmartPtr<CElement> tree = SampleTree();
  tree->SetNamespace(L"urn:t");
  try {
    tree->SetNamespaceRestrictions(L"##other", L"urn:t");
    ADD_FAILURE() << "no exception";
  } catch (const CKvInvalidNamespaceException& e) {
    EXPECT_EQ(e.GetMessageW(), L"The namespace urn:t in the class a is invalid against "
                               L"restriction ##other");
    ASSERT_NE(e.GetInnerException(), nullptr);
    EXPECT_EQ(e.GetInnerException()->GetMessageW(),
              FormatString(kWildcardMessage, L"urn:t", L"##other", L"urn:t"));
  }
  tree->SetNamespace(L"urn:o");
  KORVEL_EXPECT_THROW_MESSAGE(tree->SetNamespaceRestrictions(L"urn:o", L"urn:t"),
                              CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"urn:q", L"urn:o", L"urn:t"));
}

TEST(Untyped, WritesAttributesChildrenThenText) {
  EXPECT_EQ(Xml(*SampleTree()),
            L"<a xmlns:AA=\"urn:q\" AA:k=\"v &quot;1&quot;&#xA;\"><b/>"
            L"<AA:c>  leaf &lt;x&gt;  </AA:c><AA:d><AA:e>\u00e9\u6f22\U0001F600</AA:e></AA:d>text &amp; more</a>");
}

// An element keeps its name once, as its element name too; a copy must name
// itself, not the element it was copied from.
TEST(Untyped, CopiesNameThemselves) {
  CSmartPtr<CElement> source(new CElement(L"long-element-name"));
  CSmartPtr<CElement> copy(new CElement(*source));
  source = nullptr;
  CSmartPtr<CElement> parent(new CElement(L"p"));
  parent->GetChildElements()->Add(copy);
  parent->GetChildElements()->Add(L"long-element-name", L"");
  EXPECT_TRUE(parent->GetChildElements()->HasUniformItemNames());
  copy->SetName(L"other");
  EXPECT_FALSE(parent->GetChildElements()->HasUniformItemNames());
  EXPECT_EQ(Xml(*parent), L"<p><other/><long-element-name/></p>");
}

TEST(Untyped, OwnNamespaceScope) {
  CPerson person;
  person.name = L"Ann";
  person.id = L"7";
  CSmartPtr<CElement> scoped(new CElement(&person, L"urn:p"));
  EXPECT_EQ(scoped->GetDefaultNamespace(), L"urn:p");
  EXPECT_EQ(Xml(*scoped), L"<person xmlns=\"urn:p\" id=\"7\"><name>Ann</name></person>");

  // Inside another element, indented like a sibling, and read back to the same text.
  CSmartPtr<CElement> outer(new CElement(L"outer"));
  outer->GetChildElements()->Add(L"first");
  outer->GetChildElements()->Add(scoped);
  const std::wstring formatted = Xml(*outer, true);
  EXPECT_EQ(formatted,
            L"<outer>\n\t<first/>\n\t<person xmlns=\"urn:p\" id=\"7\">\n\t<name>Ann</name>\n"
            L"</person>\n</outer>\n");
  CSmartPtr<CElement> back(new CElement(L"x"));
  back->FromXml(formatted.c_str());
  EXPECT_EQ(Xml(*back->GetChildElements()->Item(1)),
            L"<person xmlns=\"urn:p\" id=\"7\"><name>Ann</name></person>");

  // A bound object reads from untyped content, and the element reads its own output.
  CPerson copy;
  copy.FromXmlElement(scoped.Get(), CSerializationContext::GetDefaultContext());
  EXPECT_EQ(copy.name, L"Ann");
  EXPECT_EQ(copy.id, L"7");
  back->FromXml(Xml(*scoped).c_str());
  EXPECT_EQ(Xml(*back), Xml(*scoped));
}

TEST(Untyped, ReadsForeignContentFromADocument) {
  CXmlDocument document;
  document.LoadXml(
      L"<r xmlns='urn:t' xmlns:o='urn:o' o:x='1' y='2'>"
      L"<o:a>1</o:a><o:a>2</o:a><o:a>3</o:a><mine/></r>");
  CXmlElement* root = document.GetDocumentElement();
  const CSerializationContext& context = CSerializationContext::GetDefaultContext();

  CSmartPtr<Attributes> attributes(new Attributes(L"", L"##other", L"urn:t"));
  KORVEL_EXPECT_THROW_MESSAGE(attributes->FromXml_Int(root, nullptr, context, false),
                              CKvInvalidNamespaceException,
                              L"Invalid Attribute [y]. The attributes namespace is "
                              L"Inappropriate.\nPath: /r");
  CSmartPtr<Attributes> any(new Attributes(L"", L"##any", L""));
  any->FromXml_Int(root, nullptr, context, false);
  ASSERT_EQ(any->GetCount(), 2);
  EXPECT_EQ(any->Item(0)->GetNamespace(), L"urn:o");
  EXPECT_EQ(any->Item(1)->GetValue(), L"2");

  // A wildcard collection stops at its bound and at what it does not admit.
  CXmlElement* first = root->GetFirstElement();
  CSmartPtr<Elements> two(new Elements(L"", L"##other", L"urn:t", 0, 2));
  EXPECT_EQ(two->FromXml_Int(root, first, context, false)->GetText(), L"3");
  EXPECT_EQ(two->GetCount(), 2);
  CSmartPtr<Elements> others(new Elements(L"", L"##other", L"urn:t"));
  EXPECT_EQ(others->FromXml_Int(root, first, context, false)->GetLocalName(), L"mine");
  EXPECT_EQ(others->GetCount(), 3);
  CSmartPtr<Elements> named(new Elements(L"", L"##any", L""));
  EXPECT_EQ(named->FromXmlLockElementName_Int(L"a", L"urn:o", root, first, context)
                ->GetLocalName(),
            L"mine");
  EXPECT_EQ(named->GetCount(), 3);

  // Every reading entry point takes the element itself; the document declares
  // its namespace as the default one, so that is its scope.
  CSmartPtr<CElement> whole(new CElement(L"x"));
  whole->FromXmlElement(root, context);
  EXPECT_EQ(whole->GetName(), L"r");
  EXPECT_EQ(whole->GetDefaultNamespace(), L"urn:t");
  EXPECT_EQ(whole->GetChildElements()->GetCount(), 4);
  whole->FromXml(std::string_view("<n xmlns='urn:n'/>"), context);
  EXPECT_EQ(whole->GetNamespace(), L"urn:n");
  EXPECT_EQ(whole->GetChildElements()->GetCount(), 0);
  CSmartPtr<CElement> onlyLocal(new CElement(L"x", L"", L"##local", L""));
  KORVEL_EXPECT_THROW_MESSAGE(onlyLocal->FromXmlElement(root, context),
                              CKvInvalidNamespaceException,
                              FormatString(kWildcardMessage, L"urn:t", L"##local", L""));

  // An element outside the wildcard is left unread.
  CSmartPtr<Element> local(new Element(L"", L"", L"##local", L""));
  EXPECT_EQ(local->FromXml_Int(root, first, context, false), first);
  EXPECT_EQ(local->GetName(), L"");
  EXPECT_EQ(local->GetChildElements()->GetCount(), 0);
}

TEST(Untyped, CloneIsIndependent) {
  CSmartPtr<CElement> source = SampleTree();
  CSmartPtr<CElement> clone = source->Clone();
  EXPECT_EQ(Xml(*clone), Xml(*source));
  clone->GetChildElements()->Item(1)->SetText(L"changed");
  clone->GetAttributes()->Item(0)->SetValue(L"changed");
  EXPECT_EQ(source->GetChildElements()->Item(1)->GetText(), L"  leaf <x>  ");
  EXPECT_EQ(source->GetAttributes()->Item(0)->GetValue(), L"v \"1\"\n");
}

// Scopes nested in a plain tree and in each other, with an unqualified
// element leaving one.
CSmartPtr<CElement> ScopedTree() {
  CSmartPtr<CElement> inner(new CElement(L"i", L"urn:i"));
  CSmartPtr<CElement> scoped(new CElement(L"s", L"urn:p"));
  CSmartPtr<CElementCol> children = scoped->GetChildElements();
  children->Add(L"t", L"urn:p")->SetText(L"text");
  children->Add(L"q", L"urn:q");
  children->Add(L"f", L"");
  children->Add(CSmartPtr<CElement>(new CElement(inner.Get(), L"urn:i")));
  CSmartPtr<CElement> root(new CElement(L"a"));
  root->GetChildElements()->Add(L"b", L"urn:q");
  root->GetChildElements()->Add(CSmartPtr<CElement>(new CElement(scoped.Get(), L"urn:p")));
  return root;
}

TEST(Untyped, RoundTripsAreStableInEveryLayout) {
  CSmartPtr<CElement> tree = SampleTree();
  CSmartPtr<CElement> mixed = tree->GetChildElements()->Add(L"m");
  mixed->FromXml(L"<m>\n  head <b>bold</b>\n  <i/> tail\n</m>");
  EXPECT_EQ(Xml(*ScopedTree()),
            L"<a><AA:b xmlns:AA=\"urn:q\"/><s xmlns=\"urn:p\"><t>text</t>"
            L"<AA:q xmlns:AA=\"urn:q\"/><f xmlns=\"\"/><i xmlns=\"urn:i\"/></s></a>");
  tree->GetChildElements()->Add(ScopedTree());
  const std::wstring reference = Xml(*tree);
  const struct {
    bool formatted;
    EOLType eol;
  } layouts[] = {{false, EOL_LF}, {true, EOL_LF}, {true, EOL_CRLF}};
  for (const auto& layout : layouts) {
    SCOPED_TRACE(::testing::Message() << "formatted " << layout.formatted << " eol " << layout.eol);
    const std::wstring first = Xml(*tree, layout.formatted, layout.eol);
    CSmartPtr<CElement> once(new CElement(L"x"));
    once->FromXml(first.c_str());
    const std::wstring second = Xml(*once, layout.formatted, layout.eol);
    CSmartPtr<CElement> twice(new CElement(L"x"));
    twice->FromXml(second.c_str());
    EXPECT_EQ(second, first);
    EXPECT_EQ(Xml(*twice, layout.formatted, layout.eol), first);
    EXPECT_EQ(Xml(*twice), reference);
    // Each nested element reads back with its own scope.
    const CSmartPtr<CElement> scoped =
        once->GetChildElements()->Item(4)->GetChildElements()->Item(1);
    EXPECT_EQ(scoped->GetDefaultNamespace(), L"urn:p");
    EXPECT_EQ(scoped->GetChildElements()->Item(2)->GetDefaultNamespace(), L"");
    EXPECT_EQ(scoped->GetChildElements()->Item(3)->GetDefaultNamespace(), L"urn:i");
  }
}

TEST(Untyped, DeepNestingNeedsNoCallStack) {
  constexpr size_t kDepth = 50000;  // beyond what nested calls survive
  std::wstring xml;
  for (size_t i = 1; i < kDepth; ++i) xml += L"<a>";
  xml += L"<a/>";
  for (size_t i = 1; i < kDepth; ++i) xml += L"</a>";
  CSmartPtr<CElement> deep(new CElement(L"x"));
  deep->FromXml(xml.c_str());
  CSmartPtr<CElement> copy = deep->Clone();
  deep.Reset();
  KORVEL_EXPECT_THROW_MESSAGE(copy->SetNamespaceRestrictions(L"##other", L""),
                              CKvInvalidNamespaceException,
                              L"The namespace  in the class a is invalid against restriction "
                              L"##other");
  EXPECT_EQ(Xml(*copy), xml);
}

TEST(Untyped, ContextSharesItsRootAttributes) {
  CSerializationContext context;
  const CSerializationContext copiedFirst(context);
  const CSerializationContext& constant = context;
  CSmartPtr<CAttributeCol> attributes = constant.GetAdditionalRootAttributes();
  EXPECT_EQ(attributes.Get(), context.GetAdditionalRootAttributes().Get());
  EXPECT_EQ(attributes.Get(), copiedFirst.GetAdditionalRootAttributes().Get());
  CSerializationContext assigned;
  assigned = context;
  attributes->Add(L"lang", L"en", L"urn:any");
  EXPECT_EQ(assigned.GetAdditionalRootAttributes()->Item(0)->GetValue(), L"en");
}

// The rows are in tests/data/binding/namespace_wildcard.txt.
TEST(NamespaceWildcard, AdmittedNamespacesAndTheDefaultOfWrittenContent) {
  using Args = VectorArgs;
  const auto admits = [](const Args& a) -> std::wstring {
    const bool valid = detail::IsNamespaceValid(a[1], a[0], L"urn:t");
    try {
      detail::TestNamespace(a[1], a[0], L"urn:t");
    } catch (const CKvInvalidNamespaceException& e) {
      return valid ? L"valid, yet refused" : L"!" + e.GetMessageW();
    }
    return valid ? L"yes" : L"invalid, yet admitted";
  };
  const auto defaultOf = [](const Args& a) {
    return detail::GetAnyDefaultNamespace(a[0], a[1], L"urn:t");
  };
  RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/binding/namespace_wildcard.txt",
                {{L"admits", admits}, {L"default", defaultOf}});
}

// binding/arbitrary_content.xml (namespaces declared and undeclared, escapes,
// CDATA, comments, instructions, mixed content) repeated to ten megabytes.
std::string TenMegabytes() {
  std::ifstream in(std::string(KORVEL_TEST_DATA_DIR) + "/binding/arbitrary_content.xml",
                   std::ios::binary);
  const std::string content(std::istreambuf_iterator<char>(in), {});
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<r:root xmlns:r=\"urn:r\" xmlns:q=\"urn:q\" xmlns=\"urn:d\" q:v=\"1\">";
  while (!content.empty() && xml.size() < (10u << 20)) xml += content;
  return xml + "\n</r:root>\n";
}

// A name follows "<" only in a start or empty-element tag of that text.
int StartTags(const std::string& xml) {
  int count = 0;
  for (size_t i = xml.find('<'); i != std::string::npos; i = xml.find('<', i + 1)) {
    count += std::isalpha(static_cast<unsigned char>(xml[i + 1])) ? 1 : 0;
  }
  return count;
}

int CountElements(const CElement& element) {
  int count = 1;
  for (const CElement& child : *element.GetChildElements()) count += CountElements(child);
  return count;
}

// Through CElement the output is well-formed (xmllint, which make test installs)
// and a second round trip gives the same bytes.
TEST(UntypedLarge, TenMegabytesRoundTripWellFormedAndStable) {
  ASSERT_EQ(std::system("command -v xmllint >/dev/null 2>&1"), 0) << "xmllint is missing";
  const std::string source = TenMegabytes();
  ASSERT_GT(source.size(), 10u << 20);
  const CSerializationContext& context = CSerializationContext::GetDefaultContext();

  CSmartPtr<CElement> first(new CElement(L"x"));
  first->FromXml(source.c_str(), context);
  EXPECT_EQ(CountElements(*first), StartTags(source));
  const std::string written = BytesOf(
      first->ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, context, ct_none));

  TempDir dir;
  dir.Write("written.xml", written);
  const std::string command = "xmllint --noout --nonet --huge '" + dir.Path("written.xml") + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;

  CSmartPtr<CElement> second(new CElement(L"x"));
  second->FromXmlStream(DataOf(written), context);
  const std::string rewritten = BytesOf(
      second->ToXmlStream(true, true, XmlEncoding_UTF8, EOL_LF, context, ct_none));
  ASSERT_EQ(rewritten.size(), written.size());
  const auto mismatch = std::mismatch(written.begin(), written.end(), rewritten.begin());
  EXPECT_TRUE(mismatch.first == written.end())
      << "first difference at byte " << (mismatch.first - written.begin()) << ": "
      << written.substr(static_cast<size_t>(mismatch.first - written.begin()), 80);
}

}  // namespace
}  // namespace Korvel::testing
