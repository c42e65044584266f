// SPDX-License-Identifier: MIT
#include <korvel/json_context.h>

#include <gtest/gtest.h>

namespace Korvel {
namespace {

TEST(JsonContext, DefaultsAndValues) {
  static_assert(JsonRoundTrip_None == 0 && JsonRoundTrip_Partial == 1 && JsonRoundTrip_Full == 2);
  static_assert(sizeof(JsonRoundTrip) == 4);
  CJsonContext context;
  EXPECT_EQ(context.GetSupportRoundtrip(), JsonRoundTrip_Full);
  EXPECT_EQ(context.GetRootElementName(), L"");
  EXPECT_TRUE(context.GetAllowComments());

  context.SetSupportRoundtrip(JsonRoundTrip_None);
  context.SetRootElementName(L"root");
  context.GetAllowComments(false);  // the setter shares the getter's name
  EXPECT_EQ(context.GetSupportRoundtrip(), JsonRoundTrip_None);
  EXPECT_EQ(context.GetRootElementName(), L"root");
  EXPECT_FALSE(context.GetAllowComments());

  context.SetRootElementName(nullptr);
  EXPECT_EQ(context.GetRootElementName(), L"");
}

TEST(JsonContext, CopiesAreIndependent) {
  CJsonContext original;
  original.SetSupportRoundtrip(JsonRoundTrip_Partial);
  original.SetRootElementName(L"r");
  original.GetAllowComments(false);

  CJsonContext copy(original);
  CJsonContext assigned;
  assigned = original;
  original.SetSupportRoundtrip(JsonRoundTrip_None);
  original.SetRootElementName(L"changed");
  original.GetAllowComments(true);

  for (const CJsonContext* context : {&copy, &assigned}) {
    EXPECT_EQ(context->GetSupportRoundtrip(), JsonRoundTrip_Partial);
    EXPECT_EQ(context->GetRootElementName(), L"r");
    EXPECT_FALSE(context->GetAllowComments());
  }
}

}  // namespace
}  // namespace Korvel
