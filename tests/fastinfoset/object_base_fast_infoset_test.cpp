// SPDX-License-Identifier: MIT
#include <korvel/object_base.h>

#include <gtest/gtest.h>

#include <string>

#include "binding/test_objects.h"
#include "fastinfoset/fi_test_support.h"
#include "test_support.h"

namespace Korvel::testing {
namespace {

CSmartPtr<CPerson> Ann() {
  CSmartPtr<CPerson> person = new CPerson;
  person->id = L"7";
  person->name = L"Ann \u00e9";
  return person;
}

void ExpectAnn(const CPerson& read) {
  EXPECT_EQ(read.id, L"7");
  EXPECT_EQ(read.name, L"Ann \u00e9");
}

TEST(ObjectBaseFastInfoset, StreamsAndFilesReadBackThroughTheXmlEntryPoints) {
  const CSmartPtr<CPerson> ann = Ann();
  CSerializationContext context;
  context.GetFIContext().SetSuggestedValues();
  for (CompressionType compression : {ct_none, ct_gzip, ct_zlib}) {
    for (FInfoDecl declaration : {FInfoDecl_None, FInfoDecl_Version11StandaloneNo}) {
      SCOPED_TRACE(std::to_string(compression) + " " + std::to_string(declaration));
      const CBinaryData bytes = ann->ToFastInfosetStream(declaration, context, compression);
      CPerson read;
      read.FromXmlStream(bytes, context);
      ExpectAnn(read);
    }
  }
  // The root declares its namespace's prefix, so that the name can be resolved.
  EXPECT_EQ(Hex(ann->ToFastInfosetStream(FInfoDecl_None, context, ct_none)).substr(0, 30),
            "E0 00 00 01 00 78 CF 01 41 41 ");

  TempDir dir;
  for (CompressionType compression : {ct_none, ct_gzip}) {
    const std::wstring path = dir.WidePath("ann" + std::to_string(compression) + ".fi");
    ann->ToFastInfosetFile(path.c_str(), FInfoDecl_Encoding, context, compression);
    CPerson read;
    read.FromXmlFile(path.c_str(), context);
    ExpectAnn(read);
  }
  KORVEL_EXPECT_THROW_MESSAGE(
      ann->ToFastInfosetFile(dir.WidePath("z.fi").c_str(), FInfoDecl_None, context, ct_zlib),
      CKvException, L"ZLIB Compression only available for To Stream methods.");
  EXPECT_TRUE(dir.Read("z.fi").empty());
}

}  // namespace
}  // namespace Korvel::testing
