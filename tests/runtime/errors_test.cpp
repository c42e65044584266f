// SPDX-License-Identifier: MIT
// Exceptions: their chains, copies and UTF-8 what(); UTF-8 arguments.
#include <korvel/errors.h>

#include <exception>
#include <memory>
#include <string>

#include "runtime/utf8_argument.h"
#include "test_support.h"
#include "values/utf.h"

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

TEST(ExceptionWhat, FullMessageWithPathAndInnerInUtf8) {
  const CKvValidationException thrown(L"Invalid Element [\u6f22] found.", L"/a/b[2]",
                                      CKvException(L"inner \u00e9 \U0001F600"));
  const std::string expected =
      "Invalid Element [\xE6\xBC\xA2] found.\nPath: /a/b[2]\ninner \xC3\xA9 \xF0\x9F\x98\x80";
  try {
    throw thrown;
  } catch (const std::exception& e) {
    EXPECT_EQ(e.what(), expected);
  }
  CKvException assigned(L"other");
  assigned = CKvException(thrown);
  EXPECT_EQ(assigned.what(), expected);
  // A pair is one character; a lone surrogate or a value beyond U+10FFFF has no UTF-8 form.
  const wchar_t odd[] = {L'a', 0xD83D, 0xDE00, 0xDC00, L'b', 0x110000, 0};
  EXPECT_EQ(std::string(CKvInvalidValueException(odd).what()),
            "a\xF0\x9F\x98\x80\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

TEST(Utf8Arguments, WidenedOrRejectedAtTheFirstBadByte) {
  const std::pair<std::string, size_t> cases[] = {
      {"plain ascii, longer than one sixteen-byte block", 47},
      {"\xC3\xA9\xE6\xBC\xA2\xF0\x9F\x98\x80", 9},
      {std::string(33, 'a') + "\x80", 33},  // stray continuation after whole blocks
      {"\xC2", 0},                          // truncated
      {"\xE0\x80\x80", 0},                  // overlong
      {"\xED\xBF\xBF", 0},                  // surrogate
      {"ok\xF4\x90\x80\x80", 2},            // beyond U+10FFFF
      {std::string("a\0b", 3), 3},          // NUL is a character
  };
  for (const auto& [bytes, valid] : cases) {
    SCOPED_TRACE(::testing::PrintToString(bytes));
    EXPECT_EQ(detail::Utf8ValidPrefixLength(bytes), valid);
    if (valid == bytes.size()) {
      EXPECT_EQ(detail::WideFromUtf8Argument(bytes, L"text"), detail::Utf8ToWide(bytes));
    } else {
      KORVEL_EXPECT_THROW_MESSAGE(
          detail::WideFromUtf8Argument(bytes, L"text"), CKvInvalidParamException,
          L"Invalid UTF-8 in the text at byte " + std::to_wstring(valid) + L".");
    }
  }
}

}  // namespace
