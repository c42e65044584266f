// SPDX-License-Identifier: MIT
#include <korvel/errors.h>

#include <gtest/gtest.h>

#include <memory>

using namespace Korvel;

namespace {

TEST(Exception, ChainsJoinOutermostFirstAndInnersAreOwnedClones) {
  CKvValidationException outer(L"A", L"/a",
                               CKvInvalidStateException(L"B", CKvOverFlowException(L"C")));
  EXPECT_EQ(outer.GetMessageW(), L"A\nPath: /a");
  EXPECT_EQ(outer.GetPath(), L"/a");
  EXPECT_EQ(outer.GetFullMessage(), L"A\nPath: /a\nB\nC");
  const CKvException* innermost = outer.GetInnerException()->GetInnerException();
  EXPECT_NE(dynamic_cast<const CKvOverFlowException*>(innermost), nullptr);
  EXPECT_EQ(innermost->GetInnerException(), nullptr);

  auto first = std::make_unique<CKvValidationException>(outer);
  CKvValidationException copy(*first);
  EXPECT_NE(copy.GetInnerException(), first->GetInnerException());
  first.reset();
  EXPECT_NE(dynamic_cast<const CKvInvalidStateException*>(copy.GetInnerException()), nullptr);
  EXPECT_EQ(copy.GetFullMessage(), L"A\nPath: /a\nB\nC");
  // Conversion from any family member keeps every field.
  CKvInvalidStateException converted(static_cast<const CKvException&>(copy));
  EXPECT_EQ(converted.GetPath(), L"/a");
  EXPECT_EQ(converted.GetFullMessage(), L"A\nPath: /a\nB\nC");
}

TEST(Exception, AssignmentReplacesInner) {
  CKvException target(L"t", CKvException(L"old inner"));
  target = CKvException(L"s", L"/x");
  EXPECT_EQ(target.GetMessageW(), L"s\nPath: /x");
  EXPECT_EQ(target.GetInnerException(), nullptr);
  CKvException withInner(L"w", CKvInvalidStateException(L"state"));
  target = withInner;
  EXPECT_NE(target.GetInnerException(), withInner.GetInnerException());
  const CKvException& self = target;
  target = self;
  EXPECT_EQ(target.GetFullMessage(), L"w\nstate");
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
