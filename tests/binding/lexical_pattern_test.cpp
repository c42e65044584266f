// SPDX-License-Identifier: MIT
// The pattern facet judges the lexical form: the text as it stood in the
// document (after the whitespace rule) when values are read, the text
// written (value format included) when they are written or added as values.
#include <korvel/typed_collections.h>

#include <gtest/gtest.h>

#include <korvel/conversions.h>
#include <korvel/serialization_context.h>
#include <korvel/smart_ptr.h>
#include <korvel/text_stream.h>
#include <korvel/xml_text_writer.h>

#include "binding/flex_class.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

// Reads text as the document reader hands it over.
template <class Col>
struct Reading : Col {
  Reading(const wchar_t* pattern, const wchar_t* format = nullptr)
      : Col(L"n", L"", 0, -1, pattern, -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1, -1,
            kCollapse, format) {}
  using Col::AddFromString;
  // The text written for the values, or the message refusing it.
  std::wstring Written() const {
    CTextStream stream(XmlEncoding_UTF8);
    CXmlTextWriter writer(stream);
    writer.Open();
    writer.StartElement(L"r", L"");
    try {
      this->ToXml_Int(&writer, false, L"", CSerializationContext(), false);
    } catch (const CKvException& e) {
      return e.GetFullMessage();
    }
    writer.EndElement();
    writer.Close();
    return stream.GetAllText();
  }
};

TEST(LexicalPattern, CollectionsMatchTheTextReadAndTheTextWritten) {
  const CSmartPtr<Reading<Ci4Col>> ints = new Reading<Ci4Col>(L"[+0]\\d");
  ints->AddFromString(L" 07 ");
  EXPECT_EQ(ints->GetCount(), 1);
  KORVEL_EXPECT_THROW_MESSAGE(ints->AddFromString(L"7"), CKvException, L"Invalid Value for n [7].");
  KORVEL_EXPECT_THROW_MESSAGE(ints->Add(7), CKvException, L"Invalid Value for n [7].");
  // Read as "07", written as "7", which the pattern refuses.
  EXPECT_NE(ints->Written().find(L"Invalid Value for n [7]."), std::wstring::npos);

  const CSmartPtr<Reading<CbooleanCol>> flags = new Reading<CbooleanCol>(L"true|false");
  flags->AddFromString(L"true");
  KORVEL_EXPECT_THROW_MESSAGE(flags->AddFromString(L"1"), CKvException, L"Invalid Value for n [1].");
  EXPECT_EQ(flags->GetCount(), 1);

  // A value added as a value is judged by the text its value format writes.
  const CSmartPtr<Reading<CdecimalCol>> prices = new Reading<CdecimalCol>(L"\\d+\\.\\d\\d", L"2");
  prices->Add(CDecimal(L"1.5"));
  EXPECT_NE(prices->Written().find(L">1.50<"), std::wstring::npos) << prices->Written();
  KORVEL_EXPECT_THROW_MESSAGE(prices->AddFromString(L"1.5"), CKvException,
                              L"Invalid Value for n [1.5].");
}

TEST(LexicalPattern, DateCollectionsMatchTheTextReadAndTheTextWritten) {
  // Dates without a zone, and times with exactly two fraction digits.
  const CSmartPtr<Reading<CdateCol>> dates = new Reading<CdateCol>(L"\\d{4}-\\d\\d-\\d\\d");
  dates->AddFromString(L" 2004-05-01 ");
  KORVEL_EXPECT_THROW_MESSAGE(dates->AddFromString(L"2004-05-01Z"), CKvException,
                              L"Invalid Value for n [2004-05-01Z].");
  KORVEL_EXPECT_THROW_MESSAGE(
      dates->Add(CConversions::dateFromString(L"2004-05-01Z", kCollapse)), CKvException,
      L"Invalid Value for n [2004-05-01Z].");
  // The kind is checked before the facets, as when a value is added.
  KORVEL_EXPECT_THROW_MESSAGE(dates->AddFromString(L"2004-05"), CKvInvalidParamException,
                              L"Dates added to this collection must be of type dt_date");
  EXPECT_EQ(dates->GetCount(), 1);

  const CSmartPtr<Reading<CtimeCol>> times = new Reading<CtimeCol>(L".*\\.\\d0");
  times->AddFromString(L"12:00:00.50");
  EXPECT_EQ(times->GetCount(), 1);
  // The reader keeps the value, not its spelling: the text written is refused.
  EXPECT_NE(times->Written().find(L"Invalid Value for n [12:00:00.5]."), std::wstring::npos)
      << times->Written();
}

// p: a decimal element written with two places; a: the same as an attribute;
// both must show two places.
const CPrimitiveRestrictions kTwoPlaces(L"\\d+\\.\\d\\d", -1, -1, nullptr, nullptr, nullptr,
                                        nullptr, -1, -1, -1);
const Shape kPriced(XmlElementGroupType_Sequence, L"priced", L"",
                    {new CElementInfoSeqPrimOpt(L"p", L"", 0, false, it_decimal, L"2", kCollapse,
                                                kTwoPlaces, nullptr)},
                    {new CAttributeInfoPrimitive(L"a", L"", 1, true, it_decimal, L"2", kCollapse,
                                                 kTwoPlaces, nullptr)});

TEST(LexicalPattern, GeneratedClassesMatchTheTextReadAndTheTextWritten) {
  CFlex priced(kPriced, L"priced");
  priced.properties[0].SetDecimal(CDecimal(L"1.5"));
  priced.properties[1].SetDecimal(CDecimal(L"2"));
  const std::wstring xml = priced.ToXml(false, false, EOL_LF, CSerializationContext());
  EXPECT_NE(xml.find(L"<p>1.50</p>"), std::wstring::npos) << xml;
  EXPECT_NE(xml.find(L"a=\"2.00\""), std::wstring::npos) << xml;

  struct Row {
    const wchar_t* xml;
    const wchar_t* failure;  // null: reads
  } rows[] = {
      {L"<priced a=' 2.00 '><p> 1.50 </p></priced>", nullptr},
      {L"<priced><p>1.5</p></priced>", L"Invalid Value for p [1.5]."},
      {L"<priced a='2'/>", L"Invalid Value for a [2]."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.xml);
    const std::wstring failure = ValidationFailure([&] {
      CFlex read(kPriced, L"");
      read.FromXml(row.xml, CSerializationContext());
    });
    if (row.failure == nullptr) {
      EXPECT_EQ(failure, L"no exception");
    } else {
      EXPECT_NE(failure.find(row.failure), std::wstring::npos) << failure;
    }
  }
}

}  // namespace
}  // namespace Korvel::testing
