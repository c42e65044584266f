// SPDX-License-Identifier: MIT
#include <korvel/conversions.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"
#include "vector_file.h"

using namespace Korvel;
using Rule = CWhitespaceUtils::WhitespaceRule;

namespace {

const Rule kRules[] = {CWhitespaceUtils::ws_none, CWhitespaceUtils::ws_preserve,
                       CWhitespaceUtils::ws_replace, CWhitespaceUtils::ws_collapse};

std::wstring CannotConvert(const std::wstring& text, const wchar_t* kind) {
  return L"The value [" + text + L"] can not be converted to a " + kind;
}

std::wstring TooLarge(const std::wstring& text, const wchar_t* kind) {
  return L"The value [" + text + L"] is to large to fit in a " + kind;
}

// What the C library makes of a text, widened to 64 bits: a value or the
// message the conversion must throw. The 32-bit kinds are judged as a 32-bit
// wcstol or wcstoul would: a magnitude beyond the range is a range error.
struct Expected {
  std::optional<int64_t> signedValue;
  std::optional<uint64_t> unsignedValue;
  std::wstring message;
};

bool Leftover(const std::wstring& text, const wchar_t* end) {
  return end == text.c_str() || end != text.c_str() + text.size();
}

Expected ReferenceSigned(const std::wstring& text, int64_t min, int64_t max, const wchar_t* kind) {
  wchar_t* end = nullptr;
  errno = 0;
  long long value = std::wcstoll(text.c_str(), &end, 10);
  bool range = errno == ERANGE || value < min || value > max;
  if (range && end != text.c_str()) return {{}, {}, TooLarge(text, kind)};
  if (Leftover(text, end)) return {{}, {}, CannotConvert(text, kind)};
  return {value, {}, {}};
}

Expected ReferenceUnsigned(const std::wstring& text, uint64_t max, const wchar_t* kind) {
  wchar_t* end = nullptr;
  errno = 0;
  unsigned long long value = std::wcstoull(text.c_str(), &end, 10);
  bool range = errno == ERANGE;
  if (!range && max < UINT64_MAX) {
    // wcstoull has negated a "-" modulo 2^64; the magnitude decides the range.
    const wchar_t* p = text.c_str();
    while (std::iswspace(*p)) ++p;
    bool negative = *p == L'-';
    unsigned long long magnitude = negative ? 0 - value : value;
    range = magnitude > max;
    value = (negative ? 0 - magnitude : magnitude) & max;
  }
  if (range && end != text.c_str()) return {{}, {}, TooLarge(text, kind)};
  if (Leftover(text, end)) return {{}, {}, CannotConvert(text, kind)};
  return {{}, value, {}};
}

template <class F>
std::wstring MessageOf(F&& f) {
  try {
    f();
  } catch (const CKvInvalidValueException& e) {
    return e.GetMessageW();
  } catch (const CKvException& e) {
    return L"wrong type: " + e.GetMessageW();
  }
  return L"";
}

// Compares a conversion with the reference: the same value or the same message.
template <class F>
void ExpectAgreement(const Expected& expected, F&& parse) {
  if (expected.signedValue) {
    EXPECT_EQ(static_cast<int64_t>(parse()), *expected.signedValue);
  } else if (expected.unsignedValue) {
    EXPECT_EQ(static_cast<uint64_t>(parse()), *expected.unsignedValue);
  } else {
    EXPECT_EQ(MessageOf(parse), expected.message);
  }
}

// Every integer kind reads text as the C library does under every rule.
void ExpectAgreementOnEveryKind(const std::wstring& text) {
  using C = CConversions;
  for (Rule rule : kRules) {
    SCOPED_TRACE(::testing::PrintToString(text) + " rule " + std::to_string(rule));
    const std::wstring ruled = CWhitespaceUtils::ApplyRule(rule, text);
    const Expected i4 = ReferenceSigned(ruled, INT32_MIN, INT32_MAX, L"i4");
    const Expected ui4 = ReferenceUnsigned(ruled, UINT32_MAX, L"ui4");
    ExpectAgreement(i4, [&] { return C::i4FromString(text, rule); });
    ExpectAgreement(ui4, [&] { return C::ui4FromString(text, rule); });
    ExpectAgreement(ReferenceSigned(ruled, INT64_MIN, INT64_MAX, L"i8"),
                    [&] { return C::i8FromString(text, rule); });
    ExpectAgreement(ReferenceUnsigned(ruled, UINT64_MAX, L"ui8"),
                    [&] { return C::ui8FromString(text, rule); });

    // The narrow kinds: the 32-bit result, then their own range, whose
    // message quotes the text as given.
    auto narrow = [&](Expected expected, int64_t min, int64_t max, const wchar_t* kind) {
      const int64_t value =
          expected.signedValue.value_or(static_cast<int64_t>(expected.unsignedValue.value_or(0)));
      if (expected.message.empty() && (value < min || value > max)) {
        expected = {{}, {}, TooLarge(text, kind)};
      }
      return expected;
    };
    ExpectAgreement(narrow(i4, INT8_MIN, INT8_MAX, L"i1"),
                    [&] { return C::i1FromString(text, rule); });
    ExpectAgreement(narrow(i4, INT16_MIN, INT16_MAX, L"i2"),
                    [&] { return C::i2FromString(text, rule); });
    ExpectAgreement(narrow(ui4, 0, UINT8_MAX, L"ui1"),
                    [&] { return C::ui1FromString(text, rule); });
    ExpectAgreement(narrow(ui4, 0, UINT16_MAX, L"ui2"),
                    [&] { return C::ui2FromString(text, rule); });
  }
}

}  // namespace

TEST(IntegerConversions, AgreeWithTheCLibraryOnBoundaries) {
  const auto agree = [](const Korvel::testing::VectorArgs& a) {
    ExpectAgreementOnEveryKind(a[0]);
    return std::wstring(L"agrees");
  };
  Korvel::testing::RunVectorFile(
      std::string(KORVEL_TEST_DATA_DIR) + "/values/integers/boundaries.txt", {{L"agree", agree}});
}

// Beyond the boundary table: the narrow kinds quote the text as given, the
// others the text after the rule; a U+0000 inside the text is a character
// left over, not the end of it.
TEST(IntegerConversions, MessagesQuoteTheirText) {
  constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::ui1FromString(L" -1 ", kCollapse),
                              CKvInvalidValueException, TooLarge(L" -1 ", L"ui1"));
  KORVEL_EXPECT_THROW_MESSAGE(CConversions::i4FromString(L"\t2147483648\n", kCollapse),
                              CKvInvalidValueException, TooLarge(L"2147483648", L"i4"));
  KORVEL_EXPECT_THROW_MESSAGE(
      CConversions::i4FromString(std::wstring(L"12\0003", 4), CWhitespaceUtils::ws_none),
      CKvInvalidValueException, CannotConvert(L"12", L"i4"));
}
