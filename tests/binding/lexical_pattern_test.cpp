// SPDX-License-Identifier: MIT
// The pattern facet judges the lexical form: the text as it stood in the
// document (after the whitespace rule) when values are read, the text
// written (value format included) when they are written or added as values.
#include <korvel/typed_collections.h>

#include <functional>

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

// A collection named n, read as the document reader hands text over.
template <class Col>
struct Reading : Col {
  explicit Reading(const wchar_t* pattern, const wchar_t* format = nullptr)
      : Col(L"n", L"", 0, -1, pattern, -1, -1, nullptr, nullptr, nullptr, nullptr, -1, -1, -1,
            kCollapse, format) {}
  using Col::AddFromString;
  void Write() const {
    CTextStream stream(XmlEncoding_UTF8);
    CXmlTextWriter writer(stream);
    writer.Open();
    writer.StartElement(L"r", L"");
    this->ToXml_Int(&writer, false, L"", CSerializationContext(), false);
  }
};

// The message of what step throws, or "ok".
std::wstring Outcome(const std::function<void()>& step) {
  try {
    step();
  } catch (const CKvException& e) {
    return e.GetMessageW();
  }
  return L"ok";
}

TEST(LexicalPattern, CollectionsMatchTheTextReadAndTheTextWritten) {
  const CSmartPtr<Reading<Ci4Col>> ints = new Reading<Ci4Col>(L"[+0]\\d");
  const CSmartPtr<Reading<CdecimalCol>> prices = new Reading<CdecimalCol>(L"\\d+\\.\\d\\d", L"2");
  const CSmartPtr<Reading<CdateCol>> dates = new Reading<CdateCol>(L"\\d{4}-\\d\\d-\\d\\d");
  const CSmartPtr<Reading<CtimeCol>> times = new Reading<CtimeCol>(L".*\\.\\d0");
  const CSmartPtr<Reading<CbooleanCol>> flags = new Reading<CbooleanCol>(L"true|false");
  const CDateTime zoned = CConversions::dateFromString(L"2004-05-01Z", kCollapse);
  const struct {
    std::function<void()> step;
    const wchar_t* outcome;
  } rows[] = {
      {[&] { ints->AddFromString(L" 07 "); }, L"ok"},
      {[&] { ints->AddFromString(L"7"); }, L"Invalid Value for n [7]."},
      {[&] { ints->Add(7); }, L"Invalid Value for n [7]."},
      // Read as "07", written as "7".
      {[&] { ints->Write(); }, L"Invalid Value for n [7]."},
      {[&] { flags->AddFromString(L"true"); }, L"ok"},
      {[&] { flags->AddFromString(L"1"); }, L"Invalid Value for n [1]."},
      // Judged by the text the value format writes, "1.50".
      {[&] { prices->Add(CDecimal(L"1.5")); }, L"ok"},
      {[&] { prices->Write(); }, L"ok"},
      {[&] { prices->AddFromString(L"1.5"); }, L"Invalid Value for n [1.5]."},
      {[&] { dates->AddFromString(L" 2004-05-01 "); }, L"ok"},
      {[&] { dates->AddFromString(L"2004-05-01Z"); }, L"Invalid Value for n [2004-05-01Z]."},
      {[&] { dates->Add(zoned); }, L"Invalid Value for n [2004-05-01Z]."},
      {[&] { dates->AddFromString(L"2004-05"); },
       L"Dates added to this collection must be of type dt_date"},
      // A time keeps its value, not its spelling: "12:00:00.5" is written.
      {[&] { times->AddFromString(L"12:00:00.50"); }, L"ok"},
      {[&] { times->Write(); }, L"Invalid Value for n [12:00:00.5]."},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Outcome(rows[i].step), rows[i].outcome);
  }
  EXPECT_EQ(ints->GetCount() + flags->GetCount() + prices->GetCount() + dates->GetCount() +
                times->GetCount(),
            5);
}

// p: a decimal element written with two places; a: the same as an attribute;
// the pattern asks for two places.
const CPrimitiveRestrictions kTwoPlaces(L"\\d+\\.\\d\\d", -1, -1, nullptr, nullptr, nullptr,
                                        nullptr, -1, -1, -1);
const Shape kPriced(XmlElementGroupType_Sequence, L"priced", L"",
                    {new CElementInfoSeqPrimOpt(L"p", L"", 0, false, it_decimal, L"2", kCollapse,
                                                kTwoPlaces, nullptr)},
                    {new CAttributeInfoPrimitive(L"a", L"", 1, true, it_decimal, L"2", kCollapse,
                                                 kTwoPlaces, nullptr)});

TEST(LexicalPattern, GeneratedClassesMatchTheTextReadAndTheTextWritten) {
  const CSmartPtr<CFlex> priced = new CFlex(kPriced, L"priced");
  priced->properties[0].SetDecimal(CDecimal(L"1.5"));
  priced->properties[1].SetDecimal(CDecimal(L"2"));
  EXPECT_EQ(priced->ToXml(false, false, EOL_LF, CSerializationContext()),
            L"<priced a=\"2.00\"><p>1.50</p></priced>");
  const struct {
    const wchar_t* xml;
    const wchar_t* failure;
  } rows[] = {
      {L"<priced a=' 2.00 '><p> 1.50 </p></priced>", L"no exception"},
      {L"<priced><p>1.5</p></priced>", L"Invalid Value for p [1.5]."},
      {L"<priced a='2'/>", L"Invalid Value for a [2]."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.xml);
    const std::wstring failure = ValidationFailure([&] {
      CSmartPtr<CFlex>(new CFlex(kPriced, L""))->FromXml(row.xml, CSerializationContext());
    });
    EXPECT_NE(failure.find(row.failure), std::wstring::npos) << failure;
  }
}

}  // namespace
}  // namespace Korvel::testing
