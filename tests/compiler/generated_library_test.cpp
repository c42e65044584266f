// SPDX-License-Identifier: MIT
// Classes generated from two schemas that import each other: one file set per
// namespace, objects of either namespace inside the other's, cycles through
// optional elements.
#include <gtest/gtest.h>

#include <korvel/serialization_context.h>

#include "library.h"
#include "test_support.h"

namespace {

using namespace Korvel;

TEST(GeneratedLibrary, ReadsAndWritesAcrossNamespaces) {
  const std::string path = std::string(KORVEL_TEST_DATA_DIR) + "/compiler/library.xml";
  CSerializationContext context;
  CSmartPtr<Library::CLibrary> library = new Library::CLibrary();
  library->FromXmlFile(std::wstring(path.begin(), path.end()).c_str(), context);
  ASSERT_EQ(library->GetBook().GetCount(), 1);
  CSmartPtr<Library::CBook> book = library->GetBook().GetAt(0);
  EXPECT_EQ(book->GetRole(), People::Role::Editor);
  People::CPerson& author = book->GetAuthor();
  EXPECT_EQ(author.GetName(), L"Ann");
  ASSERT_NE(author.GetFavourite(), nullptr);
  EXPECT_EQ(author.GetFavourite()->GetAuthor().GetName(), L"Bo");
  EXPECT_EQ(author.GetFavourite()->GetAnnex(), nullptr);
  ASSERT_NE(book->GetAnnex(), nullptr);
  EXPECT_EQ(book->GetAnnex()->GetBook().GetAt(0)->GetTitle(), L"Notes");

  const std::wstring text = library->ToXml(false, false, EOL_LF, context);
  CSmartPtr<Library::CLibrary> copy = new Library::CLibrary();
  copy->FromXml(text.c_str(), context);
  EXPECT_EQ(copy->ToXml(false, false, EOL_LF, context), text);
  // The people namespace is written where its elements are.
  EXPECT_NE(text.find(L"urn:example:people"), std::wstring::npos) << text;
}

}  // namespace
