// SPDX-License-Identifier: MIT
#include <korvel/serialization_context.h>

#include <memory>
#include <string>
#include <vector>

#include "test_support.h"
#include "vector_file.h"

namespace Korvel {
namespace {

using Context = CSerializationContext;

TEST(SerializationContext, NoNamespacesSchemaTypeIgnoresNamespaces) {
  static_assert(sizeof(SchemaType) == 4);
  struct Row {
    bool ignoreNamespaces;
    int32_t schemaType;
    bool expected;
  };
  const Row rows[] = {{false, 0, false},  {false, 2, true}, {false, 1, false}, {false, 3, false},
                      {false, -2, false}, {true, 0, true},  {true, 2, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.ignoreNamespaces << " " << row.schemaType);
    Context context;
    context.SetIgnoreNamespaces(row.ignoreNamespaces);
    context.SetSchemaType(static_cast<SchemaType>(row.schemaType));
    EXPECT_EQ(context.GetSchemaType(), row.schemaType);
    EXPECT_EQ(context.GetIgnoreNamespaces(), row.expected);
  }
  Context context;
  context.SetSchemaType(SchemaType_NoNamespaces);
  context.SetSchemaType(SchemaType_Default);
  EXPECT_FALSE(context.GetIgnoreNamespaces());
}

TEST(SerializationContext, UnknownAndMissingElementsCannotBothBeIgnored) {
  const std::wstring prefix =
      L"The parser can only ignore additional elements, or ignore the fact that some required "
      L"ones are missing, you can not ignore both\n";
  Context context;
  context.SetIgnoreUnknownElements(true);
  KORVEL_EXPECT_THROW_MESSAGE(context.SetIgnoreMissingMandatoryElements(true),
                              CKvInvalidStateException,
                              prefix +
                                  L"Set IgnoreUnknownElements to false before setting "
                                  L"IgnoreMissingMandatoryElements to true");
  EXPECT_FALSE(context.GetIgnoreMissingMandatoryElements());
  context.SetIgnoreMissingMandatoryElements(false);  // false is always accepted
  context.SetIgnoreUnknownElements(true);            // and so is setting a value again

  context.SetIgnoreUnknownElements(false);
  context.SetIgnoreMissingMandatoryElements(true);
  KORVEL_EXPECT_THROW_MESSAGE(context.SetIgnoreUnknownElements(true), CKvInvalidStateException,
                              prefix +
                                  L"Set IgnoreMissingMandatoryElements to false before setting "
                                  L"IgnoreUnknownElements to true");
  EXPECT_FALSE(context.GetIgnoreUnknownElements());
  EXPECT_TRUE(context.GetIgnoreMissingMandatoryElements());
  context.SetIgnoreUnknownElements(false);
}

// Indent texts are rows of tests/data/binding/indent.txt.
TEST(SerializationContext, IndentCharsAreSpacesAndTabsOnlyAndNullTextsAreEmpty) {
  const auto indent = [](const testing::VectorArgs& a) -> std::wstring {
    Context context;
    context.SetIndentChars(L"  ");
    try {
      context.SetIndentChars(a[0].c_str());
    } catch (const CKvInvalidParamException& e) {
      return context.GetIndentChars() == L"  " ? L"!" + e.GetMessageW() : L"changed, yet refused";
    }
    return L"[" + context.GetIndentChars() + L"]";
  };
  testing::RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/binding/indent.txt",
                         {{L"indent", indent}});
  Context context;
  context.SetIndentChars(L"  ");
  context.SetIndentChars(nullptr);
  EXPECT_EQ(context.GetIndentChars(), L"");
  context.SetDefaultNamespaceURI(L"urn:x");
  context.SetInLineSchema(L"<xs:schema/>");
  context.SetDefaultNamespaceURI(nullptr);
  context.SetInLineSchema(nullptr);
  EXPECT_EQ(context.GetDefaultNamespaceURI(), L"");
  EXPECT_EQ(context.GetInLineSchema(), L"");
}

// Copies are deep: the sub-contexts, aliases and instructions of a copy are
// its own, and outlive the source.
TEST(SerializationContext, CopiesTakeEveryOptionAndThenGoTheirOwnWay) {
  auto source = std::make_unique<Context>();
  source->SetStripCDATA(false);
  source->SetIndentChars(L"  ");
  source->GetNamespaceAliases().Add(L"a", L"urn:a");
  source->GetProcessingInstructions().push_back(L"<?pi data?>");
  source->GetFIContext().SetSuggestedValues();
  source->GetFIContext().GetVocabulary()->AddElement(L"", L"urn:a", L"e");
  source->GetJsonContext().SetSupportRoundtrip(JsonRoundTrip_None);
  const auto expectCustomised = [](const Context& context) {
    EXPECT_FALSE(context.GetStripCDATA());
    EXPECT_EQ(context.GetIndentChars(), L"  ");
    EXPECT_EQ(context.GetNamespaceAliases().GetAliasFromNamespace(L"urn:a"), L"a");
    EXPECT_EQ(context.GetProcessingInstructions(), std::vector<std::wstring>{L"<?pi data?>"});
    EXPECT_EQ(context.GetFIContext().GetEncoding(5).index, 4u);
    EXPECT_EQ(context.GetFIContext().GetVocabulary()->GetElementNamesTable().size(), 1u);
    EXPECT_EQ(context.GetJsonContext().GetSupportRoundtrip(), JsonRoundTrip_None);
  };
  Context copy(*source);
  Context assigned;
  assigned.GetFIContext();
  assigned.GetNamespaceAliases().Add(L"old", L"urn:old");
  assigned = *source;
  source->GetFIContext().SetEncoding(5, {});
  source->GetFIContext().GetVocabulary()->AddElement(L"", L"urn:a", L"f");
  source->GetJsonContext().SetSupportRoundtrip(JsonRoundTrip_Partial);
  source->GetNamespaceAliases().Add(L"b", L"urn:b");
  source->GetProcessingInstructions().clear();
  source.reset();
  expectCustomised(copy);
  expectCustomised(assigned);
  EXPECT_EQ(assigned.GetNamespaceAliases().GetNamespaceCount(), 1);

  // Self-assignment keeps everything; assigning a fresh context drops the sub-contexts.
  CFastInfosetContext* fi = &assigned.GetFIContext();
  Context& alias = assigned;
  assigned = alias;
  expectCustomised(assigned);
  EXPECT_EQ(&assigned.GetFIContext(), fi);
  copy = Context();
  EXPECT_EQ(copy.GetFIContext().GetEncoding(5).index, 0u);
}

}  // namespace
}  // namespace Korvel
