// SPDX-License-Identifier: MIT
// Ten megabytes of arbitrary XML through CElement: the output is well-formed
// (xmllint) and a second round trip gives the same bytes.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>

#include <korvel/serialization_context.h>
#include <korvel/untyped.h>

#include "test_support.h"

namespace Korvel::testing {
namespace {

// binding/arbitrary_content.xml, repeated under one root to ten megabytes:
// prefixes, default namespaces declared and undeclared, foreign attributes,
// escapes, non-ASCII text, CDATA, comments, processing instructions, mixed
// content and layout whitespace.
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

TEST(UntypedLarge, TenMegabytesRoundTripWellFormedAndStable) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  }
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
