// SPDX-License-Identifier: MIT
#include <korvel/xml_document.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include <korvel/errors.h>

#include "test_support.h"
#include "values/utf.h"

namespace Korvel {
namespace {

using testing::TempDir;

// Names, attributes and text of a whole tree, for comparing two loads.
void Dump(const CXmlElement& element, std::wstring& out) {
  out += L"<{" + element.GetNamespaceURI() + L"}" + element.GetLocalName();
  for (const CXmlAttribute* a : element.GetAttributes()) {
    out += L" {" + a->GetNamespaceURI() + L"}" + a->GetLocalName() + L"=" + a->GetValue();
  }
  out += L">" + element.GetText();
  for (const CXmlElement& child : element.GetChildElements()) Dump(child, out);
  out += L"</>";
}

std::wstring Dump(const CXmlDocument& document) {
  std::wstring out;
  if (document.GetDocumentElement()) Dump(*document.GetDocumentElement(), out);
  return out;
}

// Outside the BMP (U+1D11E, U+1F600), in names, attribute values and text.
const std::wstring kWide =
    L"<?xml version='1.0'?>"
    L"<caf\u00e9 xmlns='urn:\u00fc' k\u00f6r='\U0001D11E'>\u6f22\u5b57 \U0001F600"
    L"<\u00e9l\u00e9ment>\u00e0 &#x1F600;</\u00e9l\u00e9ment></caf\u00e9>";

TEST(Utf8Loaders, StringFormAgreesWithWideForm) {
  const std::string utf8 = detail::WideToUtf8(kWide);
  CXmlDocument wide;
  wide.LoadXml(kWide.c_str());
  const std::wstring expected = Dump(wide);
  ASSERT_NE(expected.find(L"\U0001F600"), std::wstring::npos);

  CXmlDocument narrow;
  narrow.LoadXml(std::string_view(utf8));
  EXPECT_EQ(Dump(narrow), expected);
  narrow.LoadXml(utf8);  // std::string, through the same overload
  EXPECT_EQ(Dump(narrow), expected);
  narrow.LoadXml("\xEF\xBB\xBF" + utf8);  // its own byte-order mark
  EXPECT_EQ(Dump(narrow), expected);
  // A view into a larger buffer: the length counts, not a terminator.
  const std::string padded = utf8 + "<trailing>";
  narrow.LoadXml(std::string_view(padded).substr(0, utf8.size()));
  EXPECT_EQ(Dump(narrow), expected);
}

TEST(Utf8Loaders, StringFormErrors) {
  CXmlDocument document;
  struct Case {
    std::string text;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"<a>\xC3</a>", L"Invalid UTF-8 in the text at byte 3."},          // truncated
      {"<a>\xC0\xAF</a>", L"Invalid UTF-8 in the text at byte 3."},      // overlong
      {"<a>\xED\xA0\x80</a>", L"Invalid UTF-8 in the text at byte 3."},  // surrogate
      {"<a>\xF4\x90\x80\x80</a>", L"Invalid UTF-8 in the text at byte 3."},
      {"<a>\xC3\xA9\x80</a>", L"Invalid UTF-8 in the text at byte 5."},  // stray continuation
      {std::string(40, 'x') + "\xFF", L"Invalid UTF-8 in the text at byte 40."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(c.text), CKvInvalidParamException, c.message);
    EXPECT_EQ(document.GetDocumentElement(), nullptr);
  }
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(std::string_view()), CKvException,
                              L"XML String is empty!");
  // The text is UTF-8 whatever a declaration says.
  document.LoadXml(std::string("<?xml version='1.0' encoding='ISO-8859-1'?><a>\xC3\xA9</a>"));
  EXPECT_EQ(document.GetDocumentElement()->GetText(), L"\u00e9");
  EXPECT_THROW(document.LoadXml(std::string("<a>")), CKvException);
}

TEST(Utf8Loaders, PathFormsAgreeWithWideForm) {
  TempDir dir;
  const std::string utf8 = detail::WideToUtf8(kWide);
  // A file name with a non-ASCII character and one outside the BMP.
  const std::string name = "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80.xml";
  dir.Write(name, utf8);

  CXmlDocument wide;
  const std::wstring widePath = detail::Utf8ToWide(dir.Path(name));
  wide.Load(widePath.c_str());
  const std::wstring expected = Dump(wide);

  CXmlDocument other;
  other.Load(std::filesystem::path(dir.Path(name)));
  EXPECT_EQ(Dump(other), expected);
  other.Load(dir.Path(name));  // std::string, as a path
  EXPECT_EQ(Dump(other), expected);
  other.Load(widePath);  // std::wstring, which the path would convert by the locale
  EXPECT_EQ(Dump(other), expected);

  // A missing file reports the same as the wide form.
  const std::wstring missing = detail::Utf8ToWide(dir.Path("\xE2\x82\xAC.xml"));
  std::wstring wideMessage;
  try {
    wide.Load(missing.c_str());
  } catch (const CKvException& e) {
    wideMessage = e.GetMessageW();
  }
  ASSERT_FALSE(wideMessage.empty());
  KORVEL_EXPECT_THROW_MESSAGE(other.Load(std::filesystem::path(dir.Path("\xE2\x82\xAC.xml"))),
                              CKvException, wideMessage);

  KORVEL_EXPECT_THROW_MESSAGE(other.Load(std::filesystem::path("dir/\xE9t\xE9.xml")),
                              CKvInvalidParamException,
                              L"Invalid UTF-8 in the file name at byte 4.");
}

}  // namespace
}  // namespace Korvel
