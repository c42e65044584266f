// SPDX-License-Identifier: MIT
#include <korvel/json_context.h>

#include <gtest/gtest.h>

namespace Korvel {
namespace {

TEST(JsonContext, NullNameAndIndependentCopies) {
  CJsonContext original;
  original.SetSupportRoundtrip(JsonRoundTrip_Partial);
  original.SetRootElementName(L"r");
  original.GetAllowComments(false);  // the setter shares the getter's name
  CJsonContext copy(original);
  CJsonContext assigned;
  assigned = original;
  original.SetSupportRoundtrip(JsonRoundTrip_None);
  original.SetRootElementName(nullptr);
  original.GetAllowComments(true);
  EXPECT_EQ(original.GetRootElementName(), L"");
  for (const CJsonContext* context : {&copy, &assigned}) {
    EXPECT_EQ(context->GetSupportRoundtrip(), JsonRoundTrip_Partial);
    EXPECT_EQ(context->GetRootElementName(), L"r");
    EXPECT_FALSE(context->GetAllowComments());
  }
}

}  // namespace
}  // namespace Korvel
