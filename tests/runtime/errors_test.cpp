// SPDX-License-Identifier: MIT
// Exceptions: their chains, copies and UTF-8 what(); UTF-8 arguments; the
// message formatter.
#include <korvel/errors.h>

#include <clocale>
#include <cstdint>
#include <cwchar>
#include <exception>
#include <memory>
#include <string>

#include "runtime/utf8_argument.h"
#include "test_support.h"
#include "values/utf.h"
#include "vector_file.h"

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

// One-argument formats are rows of tests/data/runtime/format.txt.
TEST(FormatString, OneArgumentRows) {
  using Args = Korvel::testing::VectorArgs;
  const auto f = [](auto argument) {
    return [argument](const Args& a) { return FormatString(a[0].c_str(), argument(a[1])); };
  };
  Korvel::testing::RunVectorFile(
      std::string(KORVEL_TEST_DATA_DIR) + "/runtime/format.txt",
      {{L"d", f([](const std::wstring& t) { return std::stoi(t); })},
       {L"I64", f([](const std::wstring& t) { return int64_t{std::stoll(t)}; })},
       {L"u", f([](const std::wstring& t) { return uint64_t{std::stoull(t)}; })},
       {L"f", f([](const std::wstring& t) { return std::wcstod(t.c_str(), nullptr); })},
       {L"s", f([](const std::wstring& t) { return t.c_str(); })},
       {L"c", f([](const std::wstring& t) { return static_cast<wchar_t>(std::stoi(t)); })}});
}

TEST(FormatString, NarrowStrings) {
  EXPECT_EQ(FormatString(L"[%S]", "narrow"), L"[narrow]");
  EXPECT_EQ(FormatString(L"[%hs]", "narrow"), L"[narrow]");
  EXPECT_EQ(FormatString(L"%s and %S", L"w", "n"), L"w and n");
  // Narrow text is UTF-8; a stray byte stands for itself rather than vanishing.
  EXPECT_EQ(FormatString(L"%S", "caf\xC3\xA9 \xE2\x82\xAC"), L"caf\u00e9 \u20ac");
  EXPECT_EQ(FormatString(L"%S",
                         "a\xFF"
                         "b"),
            L"a\u00ffb");
}

TEST(FormatString, NullStringsPrintNull) {
  EXPECT_EQ(FormatString(L"[%s]", static_cast<const wchar_t*>(nullptr)), L"[(null)]");
  EXPECT_EQ(FormatString(L"[%S]", static_cast<const char*>(nullptr)), L"[(null)]");
  EXPECT_EQ(FormatString(L"[%8s]", static_cast<const wchar_t*>(nullptr)), L"[  (null)]");
  EXPECT_EQ(FormatString(nullptr), L"");
}

TEST(FormatString, LongArgumentsAreNeverCut) {
  std::wstring big(10000, L'x');
  EXPECT_EQ(FormatString(L"%s", big.c_str()), big);
  std::string narrow(100000, 'n');
  EXPECT_EQ(FormatString(L"<%S>", narrow.c_str()).size(), narrow.size() + 2);
  std::wstring huge(1 << 20, L'y');
  std::wstring result = FormatString(L"%s|%s", huge.c_str(), huge.c_str());
  EXPECT_EQ(result.size(), 2 * huge.size() + 1);
  // The widest double in fixed notation has 309 integral digits.
  EXPECT_EQ(FormatString(L"%.2f", 1.7976931348623157e308).size(), 309u + 3u);
}

TEST(FormatString, LongPrefixesMixedSizesCharactersAndPercent) {
  // long is 32 bits in these formats: the argument is read as 32 bits.
  EXPECT_EQ(FormatString(L"%ld %lu", int32_t{-7}, uint32_t{4000000000u}), L"-7 4000000000");
  // Mixed sizes keep the argument list aligned.
  EXPECT_EQ(FormatString(L"%d %I64d %s %d", 1, int64_t{2}, L"three", 4), L"1 2 three 4");
  EXPECT_EQ(FormatString(L"%lc%C", L'a', 'b'), L"ab");
  EXPECT_EQ(FormatString(L"%*.*f", 8, 2, 3.14159), L"    3.14");
  EXPECT_EQ(FormatString(L"100%%"), L"100%");
}

TEST(FormatString, MalformedFormatsDoNotConsumeOrCrash) {
  EXPECT_EQ(FormatString(L"trailing %"), L"trailing %");
  EXPECT_EQ(FormatString(L"%k then %d", 3), L"%k then 3");
  // %n would write through an argument; it is text like any unknown conversion.
  int written = -1;
  EXPECT_EQ(FormatString(L"ab%n", &written), L"ab%n");
  EXPECT_EQ(written, -1);
}

// Numbers go into XML, so a locale with a decimal comma must not reach them.
TEST(FormatString, IgnoresTheApplicationsLocale) {
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
      << "the de_DE.UTF-8 locale is missing: make deps generates it";
  const std::wstring fixed = FormatString(L"%.2f %e %g", 3.5, 1.25, 0.5);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(fixed, L"3.50 1.250000e+00 0.5");
}

}  // namespace
