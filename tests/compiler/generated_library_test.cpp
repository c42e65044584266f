// SPDX-License-Identifier: MIT
// Classes generated from two schemas that import each other: one file set per
// namespace, objects of either namespace inside the other's, cycles through
// optional elements.
#include <gtest/gtest.h>

#include "compiler/rows.h"
#include "library.h"

namespace {

using namespace Korvel;

TEST(GeneratedLibrary, ReadsAndWritesAcrossNamespaces) {
  CSerializationContext context;
  CSmartPtr<Library::CLibrary> library = KorvelTest::Load<Library::CLibrary>("library.xml", context);
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

  KorvelTest::ExpectRoundTrip(*library, context);
  // The people namespace is written where its elements are.
  const std::wstring text = library->ToXml(false, false, EOL_LF, context);
  EXPECT_NE(text.find(L"urn:example:people"), std::wstring::npos) << text;
}

}  // namespace
