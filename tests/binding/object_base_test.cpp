// SPDX-License-Identifier: MIT
#include <korvel/object_base.h>

#include <korvel/text_stream.h>

#include "binding/test_objects.h"
#include "binding/variant_object.h"
#include "test_support.h"
#include "values/compression.h"
#include "values/utf.h"

namespace Korvel::testing {
namespace {

const CSerializationContext& Defaults() { return CSerializationContext::GetDefaultContext(); }

CSmartPtr<CPerson> Ann() {
  CSmartPtr<CPerson> person = new CPerson;
  person->name = L"Ann \u00e9\U0001F600";
  person->id = L"7";
  return person;
}

void ExpectAnn(const CPerson& read) {
  EXPECT_EQ(read.name, L"Ann \u00e9\U0001F600");
  EXPECT_EQ(read.id, L"7");
}

std::wstring Decoded(const CBinaryData& bytes, XmlEncoding encoding) {
  const std::string_view view = detail::ByteView(bytes);
  return encoding == XmlEncoding_UTF8 ? detail::Utf8ToWide(view) : detail::Utf16LeToWide(view);
}

TEST(ObjectBase, TextEntryPointsWriteTheRootAndReadItBack) {
  const CSmartPtr<CPerson> ann = Ann();
  EXPECT_EQ(ann->ToXml(false, false, EOL_LF, Defaults()),
            L"<AA:person xmlns:AA=\"urn:p\" id=\"7\"><AA:name>Ann \u00e9\U0001F600</AA:name>"
            L"</AA:person>");
  const std::wstring withHeader = ann->ToXml(true, true, EOL_CRLF, Defaults());
  EXPECT_EQ(withHeader.rfind(L"<?xml version=\"1.0\"?>\r\n<AA:person", 0), 0u);
  CPerson read;
  read.FromXml(withHeader.c_str(), Defaults());
  ExpectAnn(read);

  for (XmlEncoding encoding : {XmlEncoding_UTF8, XmlEncoding_UTF16, XmlEncoding_UTF16Undeclared}) {
    for (CompressionType compression : {ct_none, ct_gzip, ct_zlib}) {
      SCOPED_TRACE(::testing::Message()
                   << "encoding " << encoding << ", compression " << compression);
      const CBinaryData bytes =
          ann->ToXmlStream(true, true, encoding, EOL_LF, Defaults(), compression);
      CPerson fromBytes;
      fromBytes.FromXmlStream(bytes, Defaults());
      ExpectAnn(fromBytes);
      if (compression != ct_none) continue;
      // Decoded to wide text, the declaration still names the byte encoding.
      CPerson fromText;
      fromText.FromXml(Decoded(bytes, encoding).c_str(), Defaults());
      ExpectAnn(fromText);
    }
  }
  const CBinaryData utf8 =
      ann->ToXmlStream(true, false, XmlEncoding_UTF8, EOL_LF, Defaults(), ct_none);
  CPerson narrow;
  narrow.FromXml(BytesOf(utf8).c_str(), Defaults());
  ExpectAnn(narrow);
}

TEST(ObjectBase, FilesInEveryEncodingCompressionAndWriteMode) {
  TempDir dir;
  const CSmartPtr<CPerson> ann = Ann();
  for (bool async : {false, true}) {
    AsyncToXmlFile(async);
    for (XmlEncoding encoding : {XmlEncoding_UTF8, XmlEncoding_UTF16}) {
      for (CompressionType compression : {ct_none, ct_gzip}) {
        SCOPED_TRACE(::testing::Message() << "async " << async << ", encoding " << encoding
                                          << ", compression " << compression);
        const std::wstring path = dir.WidePath("out.xml");
        ann->ToXmlFile(path.c_str(), true, true, encoding, EOL_LF, Defaults(), compression);
        const std::string bytes = dir.Read("out.xml");
        ASSERT_GE(bytes.size(), 2u);
        const std::string start = bytes.substr(0, 2);
        EXPECT_EQ(start, compression == ct_gzip          ? "\x1F\x8B"
                         : encoding == XmlEncoding_UTF16 ? "\xFF\xFE"
                                                         : "<?");
        CBinaryData inflated = DataOf(bytes);
        if (compression == ct_gzip && encoding == XmlEncoding_UTF16) {
          // A plain gzip stream of a complete UTF-16 file, mark included.
          ASSERT_TRUE(detail::InflateIfCompressed(inflated));
          EXPECT_EQ(BytesOf(inflated).substr(0, 2), "\xFF\xFE");
        }
        CPerson read;
        read.FromXmlFile(path.c_str(), Defaults());
        ExpectAnn(read);
      }
    }
  }
  AsyncToXmlFile(false);

  // zlib is refused before the file is created.
  const std::wstring refused = dir.WidePath("zlib.xml");
  KORVEL_EXPECT_THROW_MESSAGE(
      ann->ToXmlFile(refused.c_str(), true, true, XmlEncoding_UTF8, EOL_LF, Defaults(), ct_zlib),
      CKvException, L"ZLIB Compression only available for To Stream methods.");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("zlib.xml")));
}

TEST(ObjectBase, LoadAndReadFailuresPassThroughAndLeakNothing) {
  const int liveBefore = CPerson::live;
  {
    CSmartPtr<CPerson> person = new CPerson;
    KORVEL_EXPECT_THROW_MESSAGE(person->FromXml(L"", Defaults()), CKvException,
                                L"XML String is empty!");
    KORVEL_EXPECT_THROW_MESSAGE(person->FromXml("", Defaults()), CKvException,
                                L"XML String is empty!");
    KORVEL_EXPECT_THROW_MESSAGE(person->FromXmlStream(CBinaryData(), Defaults()), CKvException,
                                L"XML Stream is empty!");
    try {
      person->FromXml(L"<person xmlns='urn:p'><name>x</nam></person>", Defaults());
      ADD_FAILURE() << "malformed input read";
    } catch (const CKvException& e) {
      EXPECT_NE(e.GetMessageW().find(L"mismatched tag"), std::wstring::npos) << e.GetMessageW();
    }
    // The class's own failure, from FromXml_Int, reaches the caller as thrown.
    try {
      person->FromXml(L"<person xmlns='urn:p'><other/></person>", Defaults());
      ADD_FAILURE() << "wrong child read";
    } catch (const CKvValidationException& e) {
      EXPECT_EQ(e.GetMessageW(), L"name expected\nPath: /person");
    }
    KORVEL_EXPECT_THROW_MESSAGE(
        person->ToXmlStream(false, false, XmlEncoding_None, EOL_LF, Defaults(), ct_none),
        CKvException, L"Unknown Encoding, select UTF-8 (contact our support team)");
    EXPECT_EQ(person->RefCount(), 1);
  }
  EXPECT_EQ(CPerson::live, liveBefore);
}

TEST(ObjectBase, ReadsFromAnElementOfALoadedDocument) {
  CXmlDocument document;
  document.LoadXml(
      L"<list><person xmlns='urn:p' id='7'><name>Ann \u00e9\U0001F600</name>"
      L"</person></list>");
  CPerson read;
  read.FromXmlElement(document.GetDocumentElement()->GetFirstElement(), Defaults());
  ExpectAnn(read);
}

TEST(ObjectBase, OtherEncodingsAreRefusedInThisBuild) {
  const CSmartPtr<CPerson> ann = Ann();
  const wchar_t json[] = L"JSON is not available in this build.";
  KORVEL_EXPECT_THROW_MESSAGE(ann->ToJson(false, EOL_LF, Defaults()), CKvException, json);
  KORVEL_EXPECT_THROW_MESSAGE(ann->FromJson("{}", Defaults()), CKvException, json);
  KORVEL_EXPECT_THROW_MESSAGE(ann->ToFastInfosetStream(FInfoDecl_None, Defaults(), ct_none),
                              CKvException, L"Fast Infoset output is not available in this build.");
}

TEST(ObjectBase, CountingAndCopies) {
  CPerson* person = new CPerson;
  person->SetElementName(L"a");
  EXPECT_EQ(person->AddRef(), 1);
  EXPECT_EQ(person->AddRef(), 2);
  EXPECT_EQ(person->AddRef(), 3);
  {
    CSmartPtr<CPerson> copy = new CPerson(*person);  // starts at 0, so 1 here
    EXPECT_EQ(copy->RefCount(), 1);
    EXPECT_EQ(copy->GetElementName(), L"a");
    copy->SetElementName(L"b");
    copy->AddRef();
    *copy = *person;  // the name only
    EXPECT_EQ(copy->GetElementName(), L"a");
    EXPECT_EQ(copy->Release(), 1);
  }
  const int live = CPerson::live;
  EXPECT_EQ(person->Release(), 2);
  EXPECT_EQ(person->Release(), 1);
  EXPECT_EQ(person->Release(), 0);
  EXPECT_EQ(CPerson::live, live - 1);
}

TEST(ObjectBase, ChoiceBookkeeping) {
  CPerson value;
  struct Row {
    const char* call;
    std::wstring selected;
    std::wstring after;  // or the message
    bool throws;
  };
  // Each row runs one call with "B" as the member against a starting selection.
  using Call = void (*)(CPerson*, std::wstring&);
  const std::pair<Row, Call> rows[] = {
      {{"select B, value", L"", L"B", false},
       [](CPerson* v, std::wstring& s) { CPerson::Choice_SelectElement(L"B", v, s); }},
      {{"select B, null", L"", L"B", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_SelectElement(L"B", nullptr, s); }},
      {{"select B again, value", L"B", L"B", false},
       [](CPerson* v, std::wstring& s) { CPerson::Choice_SelectElement(L"B", v, s); }},
      {{"clear B", L"B", L"", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_SelectElement(L"B", nullptr, s); }},
      {{"null B while A", L"A", L"A", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_SelectElement(L"B", nullptr, s); }},
      {{"value B while A", L"A",
        L"The Property [A] is already set. Only one element within this class bay be set at a time",
        true},
       [](CPerson* v, std::wstring& s) { CPerson::Choice_SelectElement(L"B", v, s); }},
      {{"count 0 on none", L"", L"", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_CollectionChanged(L"B", 0, s); }},
      {{"count 2 on none", L"", L"B", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_CollectionChanged(L"B", 2, s); }},
      {{"count 0 on B", L"B", L"", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_CollectionChanged(L"B", 0, s); }},
      {{"count 0 while A", L"A", L"A", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_CollectionChanged(L"B", 0, s); }},
      {{"count 1 while A", L"A",
        L"The Property [A] is already set. Only one element within this class bay be set at a time",
        true},
       [](CPerson*, std::wstring& s) { CPerson::Choice_CollectionChanged(L"B", 1, s); }},
      {{"valid B on none", L"", L"B", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_SetElementValid(true, L"B", s); }},
      {{"valid B on B", L"B", L"B", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_SetElementValid(true, L"B", s); }},
      {{"valid B while A", L"A",
        L"The Property A is already set. Only one element within this class bay be set at a time",
        true},
       [](CPerson*, std::wstring& s) { CPerson::Choice_SetElementValid(true, L"B", s); }},
      {{"invalid B on B", L"B", L"", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_SetElementValid(false, L"B", s); }},
      {{"invalid B while A", L"A", L"A", false},
       [](CPerson*, std::wstring& s) { CPerson::Choice_SetElementValid(false, L"B", s); }},
  };
  for (const auto& [row, call] : rows) {
    SCOPED_TRACE(row.call);
    std::wstring selected = row.selected;
    if (row.throws) {
      KORVEL_EXPECT_THROW_MESSAGE(call(&value, selected), CKvInvalidStateException, row.after);
      EXPECT_EQ(selected, row.selected);
    } else {
      call(&value, selected);
      EXPECT_EQ(selected, row.after);
    }
  }
}

TEST(ObjectBase, ChoiceReadsACollectionOnce) {
  CXmlDocument document;
  document.LoadXml(L"<r xmlns='urn:p'><v>1</v><v>2</v><w/></r>");
  CXmlElement* root = document.GetDocumentElement();
  CSmartPtr<CIntCol> values = new CIntCol(0, 1);
  CXmlElement* current = root->GetFirstElement();
  int32_t count = 0;
  CSerializationContext lenient;
  lenient.SetIgnoreInvalidCollectionCounts(true);
  CPerson::Choice_Read_Collection(values, root, current, count, lenient);
  EXPECT_EQ(values->values, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(current->GetLocalName(), L"w");
  EXPECT_EQ(count, 1);
  CPerson::Choice_Read_Collection(values, root, current, count, lenient);  // already read
  EXPECT_EQ(values->values.size(), 2u);
  // Nothing consumed: no count, no validation.
  count = 0;
  CPerson::Choice_Read_Collection(values, root, current, count, Defaults());
  EXPECT_EQ(count, 0);
  current = root->GetFirstElement();
  values->values.clear();
  KORVEL_EXPECT_THROW_MESSAGE(
      CPerson::Choice_Read_Collection(values, root, current, count, Defaults()),
      CKvValidationException,
      L"The Maximum number of [v] elements allowed in this collection is 1");
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

  CXmlDocument document;
  document.LoadXml(L"<a:n xmlns:a='urn:a'/>");
  const CXmlElement* element = document.GetDocumentElement();
  CSerializationContext noNamespaces;
  noNamespaces.SetSchemaType(SchemaType_NoNamespaces);
  EXPECT_TRUE(CPerson::DoesElementNameMatch(Defaults(), element, L"n", L"urn:a"));
  EXPECT_FALSE(CPerson::DoesElementNameMatch(Defaults(), element, L"n", L"urn:b"));
  EXPECT_FALSE(CPerson::DoesElementNameMatch(Defaults(), element, L"m", L"urn:a"));
  EXPECT_TRUE(CPerson::DoesElementNameMatch(noNamespaces, element, L"n", L"urn:b"));
  EXPECT_FALSE(CPerson::DoesElementNameMatch(Defaults(), nullptr, L"n", L"urn:a"));
}

TEST(ObjectBase, VariantsHoldObjectsAndCollectionsByReference) {
  CSmartPtr<CPerson> person = new CPerson;
  CSmartPtr<CIntCol> values = new CIntCol;
  EXPECT_EQ(detail::VariantObject(KvVariant()).Get(), nullptr);
  {
    KvVariant object, collection, none;
    object.SetXmlObject(person);
    collection.SetXmlCollection(values);
    none.SetXmlObject(nullptr);
    EXPECT_EQ(person->RefCount(), 2);
    EXPECT_EQ(object.GetXmlObject().Get(), person.Get());
    EXPECT_EQ(collection.GetXmlCollection().Get(), values.Get());
    EXPECT_EQ(detail::VariantObject(object).Get(), person.Get());
    EXPECT_EQ(detail::VariantObject(collection).Get(), values->GetBase());
    EXPECT_EQ(detail::VariantObject(none).Get(), nullptr);
    KvVariant number;
    number.SetI4(1);
    EXPECT_THROW(detail::VariantObject(number), CKvInvalidStateException);
  }
  EXPECT_EQ(person->RefCount(), 1);
  EXPECT_EQ(RefCount(values), 1);
}

}  // namespace
}  // namespace Korvel::testing
