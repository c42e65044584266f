// SPDX-License-Identifier: MIT
#include <korvel/errors.h>

#include <gtest/gtest.h>

#include <exception>
#include <string>

#include "runtime/utf8_argument.h"
#include "test_support.h"
#include "values/utf.h"

namespace Korvel {
namespace {

TEST(ExceptionWhat, FullMessageWithPathAndInnerInUtf8) {
  const CKvException inner(L"inner \u00e9 \U0001F600");
  const CKvValidationException outer(L"Invalid Element [\u6f22] found.", L"/a/b[2]", inner);
  const std::string expected =
      "Invalid Element [\xE6\xBC\xA2] found.\nPath: /a/b[2]\ninner \xC3\xA9 \xF0\x9F\x98\x80";
  try {
    throw outer;
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()), expected);
    EXPECT_EQ(detail::Utf8ToWide(e.what()), outer.GetFullMessage());
  }
  // Copies and assignments carry the text with them.
  CKvException copy(outer);
  EXPECT_EQ(std::string(copy.what()), expected);
  CKvException assigned(L"other");
  assigned = outer;
  EXPECT_EQ(std::string(assigned.what()), expected);
  EXPECT_EQ(std::string(CKvException().what()), "");
}

TEST(ExceptionWhat, CharactersWithoutUtf8FormBecomeReplacementCharacters) {
  // A pair stays one character; a lone surrogate or a value beyond U+10FFFF does not.
  std::wstring message = L"a";
  message += static_cast<wchar_t>(0xD83D);
  message += static_cast<wchar_t>(0xDE00);
  message += static_cast<wchar_t>(0xDC00);
  message += L'b';
  message += static_cast<wchar_t>(0x110000);
  EXPECT_EQ(std::string(CKvInvalidValueException(message).what()),
            "a\xF0\x9F\x98\x80\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

TEST(Utf8Arguments, WidenedOrRejectedAtTheFirstBadByte) {
  struct Case {
    std::string bytes;
    size_t validPrefix;
  };
  const Case cases[] = {
      {"", 0},
      {"plain ascii, longer than one sixteen-byte block", 47},
      {"\xC3\xA9\xE6\xBC\xA2\xF0\x9F\x98\x80", 9},
      {std::string(33, 'a') + "\x80", 33},  // stray continuation after blocks
      {"\xC2", 0},                          // truncated
      {"\xE0\x80\x80", 0},                  // overlong
      {"\xED\xBF\xBF", 0},                  // surrogate
      {"ok\xF4\x90\x80\x80", 2},            // beyond U+10FFFF
      {"\xC3\xA9\xF5\x80\x80\x80", 2},      // no such lead byte
      {std::string("a\0b", 3), 3},          // NUL is a character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    EXPECT_EQ(detail::Utf8ValidPrefixLength(c.bytes), c.validPrefix);
    if (c.validPrefix == c.bytes.size()) {
      EXPECT_EQ(detail::WideFromUtf8Argument(c.bytes, L"text"), detail::Utf8ToWide(c.bytes));
    } else {
      KORVEL_EXPECT_THROW_MESSAGE(
          detail::WideFromUtf8Argument(c.bytes, L"text"), CKvInvalidParamException,
          L"Invalid UTF-8 in the text at byte " + std::to_wstring(c.validPrefix) + L".");
    }
  }
}

}  // namespace
}  // namespace Korvel
