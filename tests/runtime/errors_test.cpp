// SPDX-License-Identifier: MIT
#include <korvel/errors.h>

#include <gtest/gtest.h>

#include <memory>

using namespace Korvel;

namespace {

TEST(Exception, PathIsAppendedToMessage) {
  CKvValidationException e(L"Unexpected Attribute found.", L"/po/@x");
  EXPECT_EQ(e.GetMessageW(), L"Unexpected Attribute found.\nPath: /po/@x");
  EXPECT_EQ(e.GetPath(), L"/po/@x");
}

TEST(Exception, FullMessageJoinsChainOutermostFirst) {
  CKvInvalidValueException innermost(L"C");
  CKvInvalidStateException middle(L"B", innermost);
  CKvValidationException outer(L"A", L"/a", middle);
  EXPECT_EQ(outer.GetFullMessage(), L"A\nPath: /a\nB\nC");
  ASSERT_NE(outer.GetInnerException(), nullptr);
  ASSERT_NE(outer.GetInnerException()->GetInnerException(), nullptr);
  EXPECT_EQ(outer.GetInnerException()->GetInnerException()->GetInnerException(), nullptr);
}

TEST(Exception, InnerIsClonedWithItsDynamicType) {
  CKvOverFlowException cause(L"too big");
  CKvException wrapper(L"outer", cause);
  const CKvException* inner = wrapper.GetInnerException();
  ASSERT_NE(inner, nullptr);
  EXPECT_NE(inner, &cause);
  EXPECT_NE(dynamic_cast<const CKvOverFlowException*>(inner), nullptr);
}

TEST(Exception, CopyOwnsItsOwnInnerClone) {
  auto first =
      std::make_unique<CKvValidationException>(L"outer", L"/p", CKvInvalidParamException(L"inner"));
  CKvValidationException copy(*first);
  EXPECT_NE(copy.GetInnerException(), first->GetInnerException());
  first.reset();
  ASSERT_NE(copy.GetInnerException(), nullptr);
  EXPECT_EQ(copy.GetInnerException()->GetMessageW(), L"inner");
  EXPECT_NE(dynamic_cast<const CKvInvalidParamException*>(copy.GetInnerException()), nullptr);
  EXPECT_EQ(copy.GetFullMessage(), L"outer\nPath: /p\ninner");
}

TEST(Exception, AssignmentReplacesInner) {
  CKvException target(L"t", CKvException(L"old inner"));
  CKvException source(L"s", L"/x");
  target = source;
  EXPECT_EQ(target.GetMessageW(), L"s\nPath: /x");
  EXPECT_EQ(target.GetPath(), L"/x");
  EXPECT_EQ(target.GetInnerException(), nullptr);

  CKvException withInner(L"w", CKvInvalidStateException(L"state"));
  target = withInner;
  ASSERT_NE(target.GetInnerException(), nullptr);
  EXPECT_NE(target.GetInnerException(), withInner.GetInnerException());
  const CKvException& self = target;
  target = self;  // self-assignment keeps everything
  EXPECT_EQ(target.GetFullMessage(), L"w\nstate");
}

TEST(Exception, ConversionFromAnyFamilyMemberKeepsFields) {
  CKvValidationException original(L"msg", L"/path", CKvException(L"cause"));
  CKvInvalidStateException converted(static_cast<const CKvException&>(original));
  EXPECT_EQ(converted.GetMessageW(), L"msg\nPath: /path");
  EXPECT_EQ(converted.GetPath(), L"/path");
  EXPECT_EQ(converted.GetFullMessage(), L"msg\nPath: /path\ncause");
}

TEST(Exception, ThrownCloneSurvivesWrapping) {
  // A wrapper built inside a catch block must outlive the caught exception.
  CKvException kept;
  try {
    try {
      throw CKvInvalidValueException(L"bad value");
    } catch (const CKvException& e) {
      throw CKvValidationException(L"Failed to process the element.", L"/a/b", e);
    }
  } catch (const CKvException& e) {
    kept = e;
  }
  EXPECT_EQ(kept.GetFullMessage(), L"Failed to process the element.\nPath: /a/b\nbad value");
}

}  // namespace
