// SPDX-License-Identifier: MIT
#include <korvel/serialization_context.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace Korvel {
namespace {

using Getter = bool (CSerializationContext::*)() const;
using Setter = void (CSerializationContext::*)(bool);

struct BoolOption {
  const char* name;
  Getter get;
  Setter set;
  bool byDefault;
};

const BoolOption kBoolOptions[] = {
    {"IgnoreUnknownAttributes", &CSerializationContext::GetIgnoreUnknownAttributes,
     &CSerializationContext::SetIgnoreUnknownAttributes, false},
    {"IgnoreUnknownElements", &CSerializationContext::GetIgnoreUnknownElements,
     &CSerializationContext::SetIgnoreUnknownElements, false},
    {"IgnoreMissingMandatoryElements", &CSerializationContext::GetIgnoreMissingMandatoryElements,
     &CSerializationContext::SetIgnoreMissingMandatoryElements, false},
    {"IgnoreMissingChoice", &CSerializationContext::GetIgnoreMissingChoice,
     &CSerializationContext::SetIgnoreMissingChoice, false},
    {"IgnoreInvalidCollectionCounts", &CSerializationContext::GetIgnoreInvalidCollectionCounts,
     &CSerializationContext::SetIgnoreInvalidCollectionCounts, false},
    {"IgnoreNamespaces", &CSerializationContext::GetIgnoreNamespaces,
     &CSerializationContext::SetIgnoreNamespaces, false},
    {"NoOptionalAttributeDefaultOutput",
     &CSerializationContext::GetNoOptionalAttributeDefaultOutput,
     &CSerializationContext::SetNoOptionalAttributeDefaultOutput, false},
    {"WriteDefaultElementValues", &CSerializationContext::GetWriteDefaultElementValues,
     &CSerializationContext::SetWriteDefaultElementValues, false},
    {"WriteTypeAttribute", &CSerializationContext::GetWriteTypeAttribute,
     &CSerializationContext::SetWriteTypeAttribute, true},
    {"StripCDATA", &CSerializationContext::GetStripCDATA, &CSerializationContext::SetStripCDATA,
     true},
};

constexpr wchar_t kBothIgnoredPrefix[] =
    L"The parser can only ignore additional elements, or ignore the fact that some required "
    L"ones are missing, you can not ignore both\n";

TEST(SerializationContext, Defaults) {
  const CSerializationContext context;
  for (const BoolOption& option : kBoolOptions) {
    SCOPED_TRACE(option.name);
    EXPECT_EQ((context.*option.get)(), option.byDefault);
  }
  EXPECT_EQ(context.GetSchemaType(), SchemaType_Default);
  EXPECT_EQ(context.GetDefaultNamespaceURI(), L"");
  EXPECT_EQ(context.GetInLineSchema(), L"");
  EXPECT_EQ(context.GetIndentChars(), L"\t");
  EXPECT_TRUE(context.GetProcessingInstructions().empty());
  EXPECT_EQ(context.GetNamespaceAliases().GetNamespaceCount(), 0);
}

TEST(SerializationContext, EachBoolSetterChangesItsOwnOptionOnly) {
  for (const BoolOption& changed : kBoolOptions) {
    SCOPED_TRACE(changed.name);
    CSerializationContext context;
    (context.*changed.set)(!changed.byDefault);
    for (const BoolOption& option : kBoolOptions) {
      SCOPED_TRACE(option.name);
      EXPECT_EQ((context.*option.get)(),
                &option == &changed ? !option.byDefault : option.byDefault);
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
    CSerializationContext context;
    context.SetIgnoreNamespaces(row.ignoreNamespaces);
    context.SetSchemaType(static_cast<SchemaType>(row.schemaType));
    EXPECT_EQ(context.GetSchemaType(), row.schemaType);
    EXPECT_EQ(context.GetIgnoreNamespaces(), row.expected);
  }
  CSerializationContext context;
  context.SetSchemaType(SchemaType_NoNamespaces);
  context.SetSchemaType(SchemaType_Default);
  EXPECT_FALSE(context.GetIgnoreNamespaces());
}

TEST(SerializationContext, UnknownAndMissingElementsCannotBothBeIgnored) {
  CSerializationContext context;
  context.SetIgnoreUnknownElements(true);
  KORVEL_EXPECT_THROW_MESSAGE(
      context.SetIgnoreMissingMandatoryElements(true), CKvInvalidStateException,
      std::wstring(kBothIgnoredPrefix) +
          L"Set IgnoreUnknownElements to false before setting IgnoreMissingMandatoryElements "
          L"to true");
  EXPECT_FALSE(context.GetIgnoreMissingMandatoryElements());
  context.SetIgnoreMissingMandatoryElements(false);  // false is always accepted
  context.SetIgnoreUnknownElements(true);            // and so is setting a value again

  context.SetIgnoreUnknownElements(false);
  context.SetIgnoreMissingMandatoryElements(true);
  KORVEL_EXPECT_THROW_MESSAGE(
      context.SetIgnoreUnknownElements(true), CKvInvalidStateException,
      std::wstring(kBothIgnoredPrefix) +
          L"Set IgnoreMissingMandatoryElements to false before setting IgnoreUnknownElements "
          L"to true");
  EXPECT_FALSE(context.GetIgnoreUnknownElements());
  EXPECT_TRUE(context.GetIgnoreMissingMandatoryElements());
  context.SetIgnoreUnknownElements(false);
}

TEST(SerializationContext, IndentCharsAreSpacesAndTabsOnly) {
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
    CSerializationContext context;
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
}

TEST(SerializationContext, TextOptions) {
  CSerializationContext context;
  context.SetDefaultNamespaceURI(L"urn:default");
  context.SetInLineSchema(L"<xs:schema/>");
  EXPECT_EQ(context.GetDefaultNamespaceURI(), L"urn:default");
  EXPECT_EQ(context.GetInLineSchema(), L"<xs:schema/>");
  context.SetDefaultNamespaceURI(L"");
  context.SetInLineSchema(nullptr);
  EXPECT_EQ(context.GetDefaultNamespaceURI(), L"");
  EXPECT_EQ(context.GetInLineSchema(), L"");
  context.SetDefaultNamespaceURI(L"urn:x");
  context.SetDefaultNamespaceURI(nullptr);
  EXPECT_EQ(context.GetDefaultNamespaceURI(), L"");
}

TEST(SerializationContext, SubContextsAreCreatedOnceThroughAConstContext) {
  const CSerializationContext context;
  CFastInfosetContext& fi = context.GetFIContext();
  CJsonContext& json = context.GetJsonContext();
  EXPECT_EQ(&fi, &context.GetFIContext());
  EXPECT_EQ(&json, &context.GetJsonContext());
  EXPECT_EQ(fi.GetAttributeMaxAddLength(), 6u);
  EXPECT_EQ(json.GetSupportRoundtrip(), JsonRoundTrip_Full);
  json.SetRootElementName(L"r");
  EXPECT_EQ(context.GetJsonContext().GetRootElementName(), L"r");
}

// A context with every option away from its default, sub-contexts included.
void Customise(CSerializationContext& context) {
  for (const BoolOption& option : kBoolOptions) {
    if (option.set == &CSerializationContext::SetIgnoreMissingMandatoryElements) continue;
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

void ExpectCustomised(const CSerializationContext& context) {
  for (const BoolOption& option : kBoolOptions) {
    SCOPED_TRACE(option.name);
    bool unchanged = option.set == &CSerializationContext::SetIgnoreMissingMandatoryElements;
    EXPECT_EQ((context.*option.get)(), unchanged ? option.byDefault : !option.byDefault);
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
  auto source = std::make_unique<CSerializationContext>();
  Customise(*source);
  CSerializationContext copy(*source);
  CSerializationContext assigned;
  assigned.GetFIContext();
  assigned.GetNamespaceAliases().Add(L"old", L"urn:old");
  assigned = *source;

  for (CSerializationContext* target : {&copy, &assigned}) {
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
}

TEST(SerializationContext, AssigningFromAFreshContextDropsTheTargetsSubContexts) {
  CSerializationContext target;
  target.GetFIContext().SetAttributeMaxAddLength(1);
  target.GetJsonContext().GetAllowComments(false);
  const CSerializationContext fresh;
  target = fresh;
  EXPECT_EQ(target.GetFIContext().GetAttributeMaxAddLength(), 6u);
  EXPECT_TRUE(target.GetJsonContext().GetAllowComments());
  EXPECT_NE(&target.GetFIContext(), &fresh.GetFIContext());
}

TEST(SerializationContext, SelfAssignmentKeepsEverything) {
  CSerializationContext context;
  Customise(context);
  CFastInfosetContext* fi = &context.GetFIContext();
  CSerializationContext& alias = context;
  context = alias;
  ExpectCustomised(context);
  EXPECT_EQ(&context.GetFIContext(), fi);
}

TEST(SerializationContext, DefaultContextIsOneSharedInstance) {
  CSerializationContext& first = CSerializationContext::GetDefaultContext();
  EXPECT_EQ(&first, &CSerializationContext::GetDefaultContext());
  EXPECT_TRUE(first.GetWriteTypeAttribute());
  first.SetWriteTypeAttribute(false);
  EXPECT_FALSE(CSerializationContext::GetDefaultContext().GetWriteTypeAttribute());
  first.SetWriteTypeAttribute(true);
}

}  // namespace
}  // namespace Korvel
