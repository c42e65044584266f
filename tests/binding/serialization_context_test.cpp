// SPDX-License-Identifier: MIT
#include <korvel/serialization_context.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace Korvel {
namespace {

using Context = CSerializationContext;

struct BoolOption {
  const char* name;
  bool (Context::*get)() const;
  void (Context::*set)(bool);
  bool byDefault;
};

#define KORVEL_OPTION(name, byDefault) \
  { #name, &Context::Get##name, &Context::Set##name, byDefault }
const BoolOption kBoolOptions[] = {
    KORVEL_OPTION(IgnoreUnknownAttributes, false),
    KORVEL_OPTION(IgnoreUnknownElements, false),
    KORVEL_OPTION(IgnoreMissingMandatoryElements, false),
    KORVEL_OPTION(IgnoreMissingChoice, false),
    KORVEL_OPTION(IgnoreInvalidCollectionCounts, false),
    KORVEL_OPTION(IgnoreNamespaces, false),
    KORVEL_OPTION(NoOptionalAttributeDefaultOutput, false),
    KORVEL_OPTION(WriteDefaultElementValues, false),
    KORVEL_OPTION(WriteTypeAttribute, true),
    KORVEL_OPTION(StripCDATA, true),
};
#undef KORVEL_OPTION

// Every other option keeps its default, so this checks the defaults too.
TEST(SerializationContext, EachBoolSetterChangesItsOwnOptionOnly) {
  for (const BoolOption& changed : kBoolOptions) {
    SCOPED_TRACE(changed.name);
    Context context;
    (context.*changed.set)(!changed.byDefault);
    for (const BoolOption& option : kBoolOptions) {
      SCOPED_TRACE(option.name);
      EXPECT_EQ((context.*option.get)(), option.byDefault != (&option == &changed));
    }
    (context.*changed.set)(changed.byDefault);
    EXPECT_EQ((context.*changed.get)(), changed.byDefault);
  }
}

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

TEST(SerializationContext, IndentCharsAreSpacesAndTabsOnlyAndNullTextsAreEmpty) {
  struct Row {
    const wchar_t* indent;
    const wchar_t* stored;  // null: refused
  };
  const Row rows[] = {
      {L"  \t", L"  \t"}, {L"", L""},           {nullptr, L""},
      {L"    ", L"    "}, {L" a", nullptr},     {L"\n", nullptr},
      {L"\r", nullptr},   {L"\u00a0", nullptr}, {L"\t\v", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.indent ? row.indent : L"(null)");
    Context context;
    context.SetIndentChars(L"  ");
    if (row.stored) {
      context.SetIndentChars(row.indent);
      EXPECT_EQ(context.GetIndentChars(), row.stored);
    } else {
      KORVEL_EXPECT_THROW_MESSAGE(
          context.SetIndentChars(row.indent), CKvInvalidParamException,
          L"IndentChars can only contain Whitespace characters, i.e. \t or spaces");
      EXPECT_EQ(context.GetIndentChars(), L"  ");
    }
  }
  Context context;
  context.SetDefaultNamespaceURI(L"urn:x");
  context.SetInLineSchema(L"<xs:schema/>");
  context.SetDefaultNamespaceURI(nullptr);
  context.SetInLineSchema(nullptr);
  EXPECT_EQ(context.GetDefaultNamespaceURI(), L"");
  EXPECT_EQ(context.GetInLineSchema(), L"");
}

TEST(SerializationContext, OtherDefaultsAndSubContextsCreatedOnceThroughAConstContext) {
  const Context context;
  EXPECT_EQ(context.GetSchemaType(), SchemaType_Default);
  EXPECT_EQ(context.GetDefaultNamespaceURI(), L"");
  EXPECT_EQ(context.GetInLineSchema(), L"");
  EXPECT_EQ(context.GetIndentChars(), L"\t");
  EXPECT_TRUE(context.GetProcessingInstructions().empty());
  EXPECT_EQ(context.GetNamespaceAliases().GetNamespaceCount(), 0);
  CFastInfosetContext& fi = context.GetFIContext();
  CJsonContext& json = context.GetJsonContext();
  EXPECT_EQ(&fi, &context.GetFIContext());
  EXPECT_EQ(&json, &context.GetJsonContext());
  EXPECT_EQ(fi.GetAttributeMaxAddLength(), 6u);
  EXPECT_EQ(json.GetSupportRoundtrip(), JsonRoundTrip_Full);
}

// A context with every option away from its default, sub-contexts included.
void Customise(Context& context) {
  for (const BoolOption& option : kBoolOptions) {
    if (option.set == &Context::SetIgnoreMissingMandatoryElements) continue;
    (context.*option.set)(!option.byDefault);
  }
  context.SetSchemaType(SchemaType_NoNamespaces);
  context.SetDefaultNamespaceURI(L"urn:default");
  context.SetInLineSchema(L"<schema/>");
  context.SetIndentChars(L"  ");
  context.GetNamespaceAliases().Add(L"a", L"urn:a");
  context.GetProcessingInstructions().push_back(L"<?pi data?>");
  context.GetFIContext().SetSuggestedValues();
  context.GetFIContext().GetVocabulary()->AddElement(L"", L"urn:a", L"e");
  context.GetJsonContext().SetSupportRoundtrip(JsonRoundTrip_None);
}

void ExpectCustomised(const Context& context) {
  for (const BoolOption& option : kBoolOptions) {
    SCOPED_TRACE(option.name);
    bool unchanged = option.set == &Context::SetIgnoreMissingMandatoryElements;
    EXPECT_EQ((context.*option.get)(), option.byDefault == unchanged);
  }
  EXPECT_EQ(context.GetSchemaType(), SchemaType_NoNamespaces);
  EXPECT_EQ(context.GetDefaultNamespaceURI(), L"urn:default");
  EXPECT_EQ(context.GetInLineSchema(), L"<schema/>");
  EXPECT_EQ(context.GetIndentChars(), L"  ");
  EXPECT_EQ(context.GetNamespaceAliases().GetNamespaceCount(), 1);
  EXPECT_EQ(context.GetNamespaceAliases().GetAliasFromNamespace(L"urn:a"), L"a");
  EXPECT_EQ(context.GetProcessingInstructions(), std::vector<std::wstring>{L"<?pi data?>"});
  EXPECT_EQ(context.GetFIContext().GetEncoding(5).index, 4u);
  EXPECT_EQ(context.GetFIContext().GetVocabulary()->GetElementNamesTable().size(), 1u);
  EXPECT_EQ(context.GetJsonContext().GetSupportRoundtrip(), JsonRoundTrip_None);
}

TEST(SerializationContext, CopiesTakeEveryOptionAndThenGoTheirOwnWay) {
  auto source = std::make_unique<Context>();
  Customise(*source);
  Context copy(*source);
  Context assigned;
  assigned.GetFIContext();
  assigned.GetNamespaceAliases().Add(L"old", L"urn:old");
  assigned = *source;
  for (Context* target : {&copy, &assigned}) {
    ExpectCustomised(*target);
    EXPECT_NE(&target->GetFIContext(), &source->GetFIContext());
    EXPECT_NE(&target->GetJsonContext(), &source->GetJsonContext());
  }

  // Changing the source after the copy leaves the copies alone, and the copies
  // outlive it (each releases only its own sub-contexts).
  source->GetFIContext().SetEncoding(5, {});
  source->GetFIContext().GetVocabulary()->AddElement(L"", L"urn:a", L"f");
  source->GetJsonContext().SetSupportRoundtrip(JsonRoundTrip_Partial);
  source->GetNamespaceAliases().Add(L"b", L"urn:b");
  source->GetProcessingInstructions().clear();
  source->SetIndentChars(L"\t");
  source.reset();
  ExpectCustomised(copy);
  ExpectCustomised(assigned);
  copy.GetJsonContext().SetSupportRoundtrip(JsonRoundTrip_Full);
  EXPECT_EQ(assigned.GetJsonContext().GetSupportRoundtrip(), JsonRoundTrip_None);

  // Self-assignment keeps everything; assigning a fresh context drops the sub-contexts.
  CFastInfosetContext* fi = &assigned.GetFIContext();
  Context& alias = assigned;
  assigned = alias;
  ExpectCustomised(assigned);
  EXPECT_EQ(&assigned.GetFIContext(), fi);
  const Context fresh;
  copy = fresh;
  EXPECT_EQ(copy.GetFIContext().GetEncoding(5).index, 0u);
  EXPECT_EQ(copy.GetJsonContext().GetSupportRoundtrip(), JsonRoundTrip_Full);
  EXPECT_NE(&copy.GetFIContext(), &fresh.GetFIContext());
}

TEST(SerializationContext, DefaultContextIsOneSharedInstance) {
  Context& first = Context::GetDefaultContext();
  EXPECT_EQ(&first, &Context::GetDefaultContext());
  first.SetWriteTypeAttribute(false);
  EXPECT_FALSE(Context::GetDefaultContext().GetWriteTypeAttribute());
  first.SetWriteTypeAttribute(true);
}

}  // namespace
}  // namespace Korvel
