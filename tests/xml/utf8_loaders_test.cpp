// SPDX-License-Identifier: MIT
#include <korvel/xml_document.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <korvel/errors.h>

#include "test_support.h"
#include "tree_text.h"
#include "values/utf.h"

namespace Korvel {
namespace {

// Non-ASCII and beyond the BMP in names, attribute values and text.
const std::wstring kWide =
    L"<caf\u00e9 xmlns='urn:\u00fc' k\u00f6r='\U0001D11E'>\u6f22 \U0001F600"
    L"<\u00e9l>\u00e0 &#x1F600;</\u00e9l></caf\u00e9>";

TEST(Utf8Loaders, StringAndPathFormsAgreeWithWideForms) {
  CXmlDocument wide, narrow;
  wide.LoadXml(kWide.c_str());
  const std::wstring expected = testing::TreeText(wide);
  ASSERT_NE(expected.find(L"\U0001D11E"), std::wstring::npos);
  const std::string utf8 = detail::WideToUtf8(kWide);
  const std::string padded = "\xEF\xBB\xBF" + utf8 + "<trailing>";
  // With a byte-order mark; a view whose length, not a terminator, ends the text.
  for (const std::string_view text :
       {std::string_view(utf8), std::string_view(padded).substr(0, utf8.size() + 3)}) {
    narrow.LoadXml(text);
    EXPECT_EQ(testing::TreeText(narrow), expected);
  }

  testing::TempDir dir;
  const std::string name = dir.Path("\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80.xml");
  std::ofstream(name, std::ios::binary) << utf8;
  const std::wstring wideName = detail::Utf8ToWide(name);
  wide.Load(wideName.c_str());
  ASSERT_EQ(testing::TreeText(wide), expected);
  narrow.Load(std::filesystem::path(name));
  EXPECT_EQ(testing::TreeText(narrow), expected);
  narrow.Load(wideName);  // std::wstring, which a path would convert by the locale
  EXPECT_EQ(testing::TreeText(narrow), expected);
}

TEST(Utf8Loaders, MalformedArgumentsAreRejected) {
  CXmlDocument document;
  // Checked before parsing: the well-formed start of the text builds nothing.
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(std::string("<a><b>\xC3\xA9\x80</b></a>")),
                              CKvInvalidParamException, L"Invalid UTF-8 in the text at byte 8.");
  EXPECT_EQ(document.GetDocumentElement(), nullptr);
  KORVEL_EXPECT_THROW_MESSAGE(document.Load(std::filesystem::path("d/\xE9t\xE9.xml")),
                              CKvInvalidParamException,
                              L"Invalid UTF-8 in the file name at byte 2.");
  KORVEL_EXPECT_THROW_MESSAGE(document.LoadXml(std::string_view()), CKvException,
                              L"XML String is empty!");
  // The text is UTF-8 whatever a declaration says.
  document.LoadXml(std::string("<?xml version='1.0' encoding='ISO-8859-1'?><a>\xC3\xA9</a>"));
  EXPECT_EQ(document.GetDocumentElement()->GetText(), L"\u00e9");
}

}  // namespace
}  // namespace Korvel
