// SPDX-License-Identifier: MIT
// The vector tables of the value kinds, in tests/data/values/*.txt.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <korvel/big_integer.h>
#include <korvel/date_time.h>
#include <korvel/decimal.h>
#include <korvel/date_time_span.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/variant.h>

#include "values/date_time_test_support.h"
#include "values/restriction_check.h"
#include "vector_file.h"

namespace Korvel {
namespace {

using Args = testing::VectorArgs;
using testing::Span;
using testing::Value;

ItemType KindNamed(const std::wstring& name) {
  static const wchar_t* const kNames[] = {
      L"none",     L"hexBinary", L"base64Binary", L"i1",     L"i2",       L"i4",     L"i8",
      L"ui1",      L"ui2",       L"ui4",          L"ui8",    L"r4",       L"r8",     L"duration",
      L"yearMonth", L"monthDay", L"year",         L"month",  L"day",      L"date",   L"datetime",
      L"time",     L"char",      L"string",       L"boolean", L"decimal", L"integer"};
  for (size_t i = 0; i < std::size(kNames); ++i) {
    if (name == kNames[i]) return static_cast<ItemType>(i);
  }
  throw std::invalid_argument("unknown kind");
}

KvVariant Parsed(const std::wstring& kind, const std::wstring& text) {
  KvVariant value;
  value.FromString(text, KindNamed(kind), CWhitespaceUtils::ws_collapse);
  return value;
}

// "name=value;name=value" with the facet names of the schema.
CPrimitiveRestrictions FacetsOf(const std::wstring& spec) {
  std::map<std::wstring, std::wstring> f;
  for (size_t start = 0; start < spec.size();) {
    size_t end = spec.find(L';', start);
    if (end == std::wstring::npos) end = spec.size();
    const std::wstring item = spec.substr(start, end - start);
    const size_t equals = item.find(L'=');
    f[item.substr(0, equals)] = item.substr(equals + 1);
    start = end + 1;
  }
  const auto number = [&](const wchar_t* name) { return f.count(name) ? std::stoi(f[name]) : -1; };
  return CPrimitiveRestrictions(f[L"pattern"].c_str(), number(L"minLength"), number(L"maxLength"),
                                f[L"minInclusive"].c_str(), f[L"maxInclusive"].c_str(),
                                f[L"minExclusive"].c_str(), f[L"maxExclusive"].c_str(),
                                number(L"length"), number(L"totalDigits"),
                                number(L"fractionDigits"));
}

std::wstring Widen(const char* text) { return std::wstring(text, text + std::strlen(text)); }

const wchar_t* OrderName(CDateTime::DTCompareResult result) {
  static const wchar_t* const kNames[] = {L"equal", L"less", L"greater", L"indeterminate"};
  return kNames[result];
}

// Each operation returns the result as text; a check that does not hold
// returns a text that no row expects.
const testing::VectorOperations& Operations() {
  static const testing::VectorOperations operations = {
      // start, duration: the sum, the same through +=.
      {L"add",
       [](const Args& a) {
         CDateTime value = Value(a[0].c_str());
         const std::wstring sum = (value + Span(a[1].c_str())).ToString();
         value += Span(a[1].c_str());
         return value.ToString() == sum ? sum : L"+= gave " + value.ToString();
       }},
      // a, b: the order, and every operator agreeing with it (an unordered
      // pair is unequal and neither less nor greater).
      {L"compare",
       [](const Args& a) -> std::wstring {
         const CDateTime x = Value(a[0].c_str()), y = Value(a[1].c_str());
         const CDateTime::DTCompareResult r = x.CompareTo(y);
         using DT = CDateTime;
         const bool agree = (x == y) == (r == DT::dtcr_equal) && (x != y) == (r != DT::dtcr_equal) &&
                            (x < y) == (r == DT::dtcr_less) && (x > y) == (r == DT::dtcr_greater) &&
                            (x <= y) == (r == DT::dtcr_less || r == DT::dtcr_equal) &&
                            (x >= y) == (r == DT::dtcr_greater || r == DT::dtcr_equal);
         return agree ? OrderName(r) : L"operators disagree";
       }},
      // value: normalised to UTC, and still valid.
      {L"normalize",
       [](const Args& a) {
         const CDateTime value = Value(a[0].c_str()).GetNormalized();
         value.Validate();
         return value.ToString();
       }},
      // value: GetTime, the same in every machine zone.
      {L"time-t",
       [](const Args& a) {
         std::wstring times;
         for (const char* zone : testing::kTestZones) {
           const testing::ScopedTimeZone tz(zone);
           const std::wstring time = std::to_wstring(Value(a[0].c_str()).GetTime());
           if (times.empty()) times = time;
           if (time != times) return times + L" then " + time + L" in " + Widen(zone);
         }
         return times;
       }},
      // value: day of the year "/" day of the week.
      {L"day-of",
       [](const Args& a) {
         const CDateTime value = Value(a[0].c_str());
         return std::to_wstring(value.GetDayOfYear()) + L"/" + std::to_wstring(value.GetDayOfWeek());
       }},
      // a, b durations: the order, and the operators agreeing with it.
      {L"span-compare",
       [](const Args& a) -> std::wstring {
         const CDateTimeSpan x = Span(a[0].c_str()), y = Span(a[1].c_str());
         const CDateTime::DTCompareResult r = x.CompareTo(y);
         using DT = CDateTime;
         const bool agree = (x == y) == (r == DT::dtcr_equal) && (x != y) == (r != DT::dtcr_equal) &&
                            (x < y) == (r == DT::dtcr_less) && (x > y) == (r == DT::dtcr_greater);
         return agree ? OrderName(r) : L"operators disagree";
       }},
      // a, b: a - b, and b + (a - b) == a where both have the same kind and zone state.
      {L"difference",
       [](const Args& a) -> std::wstring {
         const CDateTime x = Value(a[0].c_str()), y = Value(a[1].c_str());
         const CDateTimeSpan d = x - y;
         if (x.GetType() == y.GetType() && x.IsUTC() == y.IsUTC() && !(y + d == x)) {
           return L"b + (a - b) != a";
         }
         return d.ToString();
       }},
      // kind, text, facets: empty when the value passes.
      {L"facet",
       [](const Args& a) {
         detail::CheckRestrictions(L"Prop", Parsed(a[0], a[1]), KindNamed(a[0]), FacetsOf(a[2]));
         return std::wstring();
       }},
      // text: the value CDecimal reads, "/" and the places it holds.
      {L"decimal",
       [](const Args& a) {
         const CDecimal value(a[0]);
         return value.ToString() + L"/" + std::to_wstring(value.GetFractionDivider());
       }},
      // text: the value CBigInteger reads, through the constructor and Parse alike.
      {L"integer",
       [](const Args& a) -> std::wstring {
         CBigInteger parsed(99);
         parsed.Parse(a[0]);
         const std::wstring value = CBigInteger(a[0]).ToString();
         return parsed.ToString() == value ? value : L"Parse gave " + parsed.ToString();
       }},
      // kind, text, format: the value read under collapse, printed with the format.
      {L"format", [](const Args& a) { return Parsed(a[0], a[1]).ToString(a[2].c_str()); }},
      // kind, whitespace rule, text: as the carrier prints it after reading it.
      {L"read",
       [](const Args& a) {
         static const wchar_t* const kRules[] = {L"none", L"preserve", L"replace", L"collapse"};
         int rule = 9;  // no rule
         for (int i = 0; i < 4; ++i) rule = a[1] == kRules[i] ? i : rule;
         KvVariant value;
         value.FromString(a[2], KindNamed(a[0]), static_cast<CWhitespaceUtils::WhitespaceRule>(rule));
         return value.ToString();
       }},
  };
  return operations;
}

class ValueVectors : public ::testing::TestWithParam<std::string> {};

TEST_P(ValueVectors, EveryRowGivesItsResult) { testing::RunVectorFile(GetParam(), Operations()); }

INSTANTIATE_TEST_SUITE_P(Files, ValueVectors, ::testing::ValuesIn(testing::VectorFiles("values")),
                         testing::VectorFileName);

}  // namespace
}  // namespace Korvel
