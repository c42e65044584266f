// SPDX-License-Identifier: MIT
#include <korvel/xml_text_writer.h>

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

using namespace Korvel;

namespace {

// The writer's scripts are in tests/data/xml/text_writer.txt; these need bytes
// or sizes no script shows.
class TextWriter : public ::testing::Test {
 protected:
  TextWriter() : m_writer(m_stream) { m_writer.Open(); }

  std::wstring Text() { return m_stream.GetAllText(); }

  CTextStream m_stream{XmlEncoding_UTF8};
  CXmlTextWriter m_writer;
};

TEST_F(TextWriter, ControlCharactersAndLoneSurrogatesNeverBreakTheWriter) {
  m_writer.SetFormatted(false);
  std::wstring odd(L"a\0\x1", 3);
  for (int c : {0xD800, int{'b'}, 0xDC00, 0x110000, -1}) odd += static_cast<wchar_t>(c);
  m_writer.StartElement(L"r", L"");
  m_writer.WriteAttribute(L"a", L"", odd, it_string);
  m_writer.WriteText(odd, it_string, false);
  m_writer.EndElement();
  EXPECT_EQ(Text(), L"<r a=\"" + odd + L"\">" + odd + L"</r>");
  // Bytes replace what no encoding can carry.
  const std::string utf8 = Korvel::testing::BytesOf(m_stream.GetBytes());
  const std::string fffd = "\xEF\xBF\xBD";
  const std::string field = std::string("a\0\x01", 3) + fffd + "b" + fffd + fffd + fffd;
  EXPECT_EQ(utf8, "<r a=\"" + field + "\">" + field + "</r>");
}

TEST_F(TextWriter, DeepDocumentsAreWrittenAndDestroyedWithoutRecursion) {
  {
    CTextStream stream;
    CXmlTextWriter writer(stream);
    writer.SetFormatted(false);
    for (int i = 0; i < 200000; ++i) writer.StartElement(L"e", L"urn:x");
    EXPECT_EQ(writer.GetCurrentElement()->GetDepth(), 200000 - 1);
    // Destroyed with every element still open.
  }
  constexpr int kDepth = 20000;
  CTextStream stream;
  CXmlTextWriter writer(stream);
  writer.SetFormatted(false);
  for (int i = 0; i < kDepth; ++i) writer.StartElement(L"e", L"");
  for (int i = 0; i < kDepth; ++i) writer.EndElement();
  writer.Close();
  const std::wstring& text = stream.GetAllText();
  EXPECT_EQ(text.size(), size_t{kDepth} * 7 - 3);
  EXPECT_EQ(text.substr(text.size() - 12), L"</e></e></e>");
}

}  // namespace
