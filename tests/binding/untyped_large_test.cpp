// SPDX-License-Identifier: MIT
// Ten megabytes of arbitrary XML through CElement: the output is well-formed
// (xmllint) and a second round trip gives the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <korvel/serialization_context.h>
#include <korvel/untyped.h>

#include "test_support.h"

namespace Korvel::testing {
namespace {

// Deterministic XML with prefixes, default namespaces declared and undeclared,
// foreign attributes, escapes, non-ASCII text, CDATA, comments, processing
// instructions, mixed content and layout whitespace.
class ArbitraryXml {
 public:
  std::string Make(size_t size) {
    m_out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<r:root xmlns:r=\"urn:r\" xmlns:q=\"urn:q\" xmlns=\"urn:d\" q:v=\"1\">";
    while (m_out.size() < size) Element(1);
    m_out += "\n</r:root>\n";
    return std::move(m_out);
  }
  int elements = 1;

 private:
  uint32_t Next(uint32_t n) {
    m_state = m_state * 1664525u + 1013904223u;
    return (m_state >> 8) % n;
  }
  template <size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[Next(N)];
  }

  void Text() {
    static const char* const kPieces[] = {
        "plain words", " a &amp; b ", "&lt;tag&gt;", "\"quoted\" 'single'", "caf\xC3\xA9",
        "\xE6\xBC\xA2\xE5\xAD\x97", "\xF0\x9F\x98\x80", "line\nbreak", "<![CDATA[x < y & z]]>",
        "&#x9;tab&#xD;", "  spaced  ", "&gt;&gt;"};
    m_out += Pick(kPieces);
  }

  void Element(int depth) {
    ++elements;
    static const char* const kNames[] = {"item", "q:entry", "r:node", "plain", "x"};
    static const char* const kDeclarations[] = {"", "", "", " xmlns=\"urn:local\"",
                                                " xmlns=\"\"", " xmlns:z=\"urn:z\""};
    static const char* const kAttributes[] = {" a=\"1 &amp; 2\"", " q:b=\"&quot;&lt;\"",
                                              " xml:lang=\"en\"", " r:c=\"line&#xA;end\"",
                                              " d=\"\xC3\xA9\""};
    const std::string name = Pick(kNames);
    m_out += "<" + name + Pick(kDeclarations);
    for (size_t i = 0, mask = Next(32); i < 5; ++i) {
      if (mask & (size_t{1} << i)) m_out += kAttributes[i];
    }
    const uint32_t shape = depth >= 7 ? Next(2) : Next(5);
    if (shape == 0) {
      m_out += "/>";
      return;
    }
    m_out += ">";
    if (shape == 1) {
      Text();
    } else {
      for (uint32_t i = 0, n = 1 + Next(4); i < n; ++i) {
        m_out += Next(2) ? "\n" + std::string(static_cast<size_t>(depth) * 2, ' ') : "";
        if (Next(6) == 0) Text();
        if (Next(10) == 0) m_out += "<!-- note -->";
        if (Next(10) == 0) m_out += "<?pi data?>";
        Element(depth + 1);
      }
      if (Next(3) == 0) Text();
    }
    m_out += "</" + name + ">";
  }

  std::string m_out;
  uint32_t m_state = 2026;
};

int CountElements(const CElement& element) {
  int count = 1;
  for (const CElement& child : *element.GetChildElements()) count += CountElements(child);
  return count;
}

TEST(UntypedLarge, TenMegabytesRoundTripWellFormedAndStable) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  }
  ArbitraryXml generator;
  const std::string source = generator.Make(10u << 20);
  const CSerializationContext& context = CSerializationContext::GetDefaultContext();

  CSmartPtr<CElement> first(new CElement(L"x"));
  first->FromXml(source.c_str(), context);
  EXPECT_EQ(CountElements(*first), generator.elements);
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
