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

// The boundaries of every kind, one past them, and the forms of sign,
// whitespace and stray characters that C parsers differ on.
std::vector<std::wstring> BoundaryTexts() {
  const wchar_t* const forms[] = {
      L"0",        L"-0",       L"+0",         L"127",    L"128",
      L"-128",     L"-129",     L"255",        L"256",    L"32767",
      L"32768",    L"-32768",   L"-32769",     L"65535",  L"65536",
      L"-1",       L"+1",       L"+-1",        L"-+1",    L"--1",
      L"+",        L"-",        L"",           L" ",      L"   ",
      L"12",       L"  12 ",    L" 12",        L"12 ",    L"1 2",
      L"1\t2",     L"\t12\n",   L"\r\n12\r\n", L"\v12",   L"\f12",
      L"12\v",     L"- 1",      L"0x10",       L"1e3",    L"12a",
      L"a12",      L"1.0",      L"1,000",      L"\x0663", L"\xFF11\xFF12",
      L"12\u00A0", L"\u00A012",
  };
  const wchar_t* const limits[] = {
      L"2147483647", L"2147483648",  L"-2147483648", L"-2147483649", L"4294967295",
      L"4294967296", L"-4294967295", L"-4294967296", L"+2147483647", L"+4294967295",
      // Out of range with something after the digits: the range is reported.
      L"99999999999x", L"2147483648 ", L"4294967296	", L"-2147483649.5",
  };
  const wchar_t* const wide[] = {
      L"9223372036854775807",          L"9223372036854775808",   L"-9223372036854775808",
      L"-9223372036854775809",         L"18446744073709551615",  L"18446744073709551616",
      L"-18446744073709551615",        L"-18446744073709551616", L"99999999999999999999999999",
      L"-99999999999999999999999999",  L"99999999999999999999x", L"00000000000000000000000000012",
      L"-000000000000000000000000009", L"+18446744073709551615",
  };
  std::vector<std::wstring> texts(std::begin(forms), std::end(forms));
  texts.insert(texts.end(), std::begin(limits), std::end(limits));
  texts.insert(texts.end(), std::begin(wide), std::end(wide));
  return texts;
}

}  // namespace

TEST(IntegerConversions, AgreeWithTheCLibraryOnBoundaries) {
  using C = CConversions;
  for (const std::wstring& text : BoundaryTexts()) {
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
