// SPDX-License-Identifier: MIT
// The vector tables of the value kinds, in tests/data/values/*.txt; the facet
// checks no row can show; the conversions' formats, default whitespace rules and
// reals against the C library; and the whitespace rules themselves.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <functional>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <korvel/big_integer.h>
#include <korvel/conversions.h>
#include <korvel/date_time.h>
#include <korvel/date_time_span.h>
#include <korvel/decimal.h>
#include <korvel/primitive_restrictions.h>
#include <korvel/variant.h>
#include <korvel/whitespace_utils.h>

#include "test_support.h"
#include "values/binary_record.h"
#include "values/date_time_test_support.h"
#include "values/pattern.h"
#include "values/restriction_check.h"
#include "values/whitespace_rules.h"
#include "vector_file.h"

namespace Korvel {
namespace {

using detail::BinaryDataAccess;
using Args = testing::VectorArgs;
using Rule = CWhitespaceUtils::WhitespaceRule;
using testing::Span;
using testing::Value;

ItemType KindNamed(const std::wstring& name) {
  static const wchar_t* const kNames[] = {
      L"none",      L"hexBinary", L"base64Binary", L"i1",      L"i2",      L"i4",     L"i8",
      L"ui1",       L"ui2",       L"ui4",          L"ui8",     L"r4",      L"r8",     L"duration",
      L"yearMonth", L"monthDay",  L"year",         L"month",   L"day",     L"date",   L"datetime",
      L"time",      L"char",      L"string",       L"boolean", L"decimal", L"integer"};
  for (size_t i = 0; i < std::size(kNames); ++i) {
    if (name == kNames[i]) return static_cast<ItemType>(i);
  }
  throw std::invalid_argument("unknown kind");
}

// A whitespace rule by name; any other name gives a value no rule has.
CWhitespaceUtils::WhitespaceRule RuleNamed(const std::wstring& name) {
  static const wchar_t* const kRules[] = {L"none", L"preserve", L"replace", L"collapse"};
  int rule = 9;
  for (int i = 0; i < 4; ++i) rule = name == kRules[i] ? i : rule;
  return static_cast<CWhitespaceUtils::WhitespaceRule>(rule);
}

KvVariant Parsed(const std::wstring& kind, const std::wstring& text) {
  KvVariant value;
  value.FromString(text, KindNamed(kind), CWhitespaceUtils::ws_collapse);
  return value;
}

// "name=value;name=value" with the facet names of the schema.
CPrimitiveRestrictions FacetsOf(const std::wstring& list) {
  std::map<std::wstring, std::wstring> f;
  for (size_t start = 0; start < list.size();) {
    size_t end = list.find(L';', start);
    if (end == std::wstring::npos) end = list.size();
    const std::wstring item = list.substr(start, end - start);
    const size_t equals = item.find(L'=');
    f[item.substr(0, equals)] = item.substr(equals + 1);
    start = end + 1;
  }
  const auto number = [&](const wchar_t* name) { return f.count(name) ? std::stoi(f[name]) : -1; };
  return CPrimitiveRestrictions(
      f[L"pattern"].c_str(), number(L"minLength"), number(L"maxLength"), f[L"minInclusive"].c_str(),
      f[L"maxInclusive"].c_str(), f[L"minExclusive"].c_str(), f[L"maxExclusive"].c_str(),
      number(L"length"), number(L"totalDigits"), number(L"fractionDigits"));
}

std::wstring Widen(const char* text) { return std::wstring(text, text + std::strlen(text)); }

// The name of the order r of x and y, when every operator agrees with it (an
// unordered pair is unequal and neither less nor greater).
template <class T>
std::wstring OrderName(const T& x, const T& y, CDateTime::DTCompareResult r) {
  using DT = CDateTime;
  bool agree = (x == y) == (r == DT::dtcr_equal) && (x != y) == (r != DT::dtcr_equal) &&
               (x < y) == (r == DT::dtcr_less) && (x > y) == (r == DT::dtcr_greater);
  if constexpr (!std::is_same_v<T, CDateTimeSpan>) {
    agree = agree && (x <= y) == (r == DT::dtcr_less || r == DT::dtcr_equal) &&
            (x >= y) == (r == DT::dtcr_greater || r == DT::dtcr_equal);
  }
  static const wchar_t* const kNames[] = {L"equal", L"less", L"greater", L"indeterminate"};
  return agree ? kNames[r] : L"operators disagree";
}

// Each operation returns the result as text; a check that does not hold
// returns a text that no row expects.
// One CDateTime call, "name|argument|...", on value.
void DateTimeCall(CDateTime& value, const std::wstring& command) {
  const Args c = testing::Split(command, L'|');
  std::vector<int64_t> n;
  for (size_t i = 1; i < c.size(); ++i) n.push_back(std::wcstoll(c[i].c_str(), nullptr, 10));
  n.resize(9);
  const auto i16 = [&](int k) { return static_cast<int16_t>(n[k]); };
  const auto u8 = [&](int k) { return static_cast<uint8_t>(n[k]); };
  const auto u16 = [&](int k) { return static_cast<uint16_t>(n[k]); };
  const std::wstring& name = c[0];
  if (name == L"parse") value = Value(c[1].c_str());
  if (name == L"read") testing::Read(value, c[1].c_str());
  // The parsers themselves; without a "|", a null text.
  const wchar_t* text = c.size() > 1 ? c[1].c_str() : nullptr;
  if (name == L"xsd-datetime") value.ParseXSDDateTime(text);
  if (name == L"xsd-date") value.ParseXSDDate(text);
  if (name == L"xsd-time") value.ParseXSDTime(text);
  if (name == L"kind") value = CDateTime(static_cast<CDateTime::DTType>(n[0]));
  if (name == L"date") value.SetDate(i16(0), u8(1), u8(2));
  if (name == L"datetime")
    value.SetDateTime(i16(0), u8(1), u8(2), u8(3), u8(4), u8(5), u16(6), u16(7), u16(8));
  if (name == L"gyear") value.SetGYear(i16(0));
  if (name == L"gyearmonth") value.SetGYearMonth(i16(0), u8(1));
  if (name == L"gmonth") value.SetGMonth(u8(0));
  if (name == L"gmonthday") value.SetGMonthDay(u8(0), u8(1));
  if (name == L"gday") value.SetGDay(u8(0));
  if (name == L"time") value.SetTime(u8(0), u8(1), u8(2), u16(3), u16(4), u16(5));
  if (name == L"frac") value.SetFracTime(u16(0), u16(1), u16(2));
  if (name == L"month") value.SetMonth(u8(0));
  if (name == L"validate") value.Validate();
  if (name == L"zone") value.SetTimeZone(static_cast<int>(n[0]), static_cast<int>(n[1]));
  if (name == L"zonehour") value.GetZoneHour();
  if (name == L"zoneminute") value.GetZoneMinute();
  if (name == L"dayofweek") value.GetDayOfWeek();
  if (name == L"dayofyear") value.GetDayOfYear();
  if (name == L"gettime") value.GetTime();
  if (name == L"systemtime") value.GetAsSystemTime();
  if (name == L"convert")
    value.SetDateTime(Value(c[1].c_str()), static_cast<CDateTime::DTType>(n[1]));
  if (name == L"convert-kind") {
    value.SetDateTime(CDateTime(static_cast<CDateTime::DTType>(n[0])),
                      static_cast<CDateTime::DTType>(n[1]));
  }
  if (name == L"time_t") value = n[0];
  if (name == L"systemtime=") {
    value = SYSTEMTIME{u16(0), u16(1), u16(2), u16(3), u16(4), u16(5), u16(6), u16(7)};
  }
  if (name == L"filetime=") {
    value = FILETIME{static_cast<uint32_t>(n[0]), static_cast<uint32_t>(n[1])};
  }
}

std::wstring Hex(const std::string& bytes) {
  return CBinaryData::GetAsHexString(reinterpret_cast<const unsigned char*>(bytes.data()),
                                     static_cast<uint32_t>(bytes.size()));
}

std::string FromHex(const std::wstring& hex) {
  CBinaryData data;
  data.SetAsHexString(hex.c_str());
  return std::string(reinterpret_cast<const char*>(data.GetData()), data.GetLength());
}

// Results joined by "|", then `missing` "-" for results a zero divisor has
// not got, then the order of a and b.
template <class T>
std::wstring Joined(std::initializer_list<T> results, int missing, const T& a, const T& b) {
  std::wstring out;
  for (const T& result : results) out += result.ToString() + L"|";
  while (missing-- > 0) out += L"-|";
  using DT = CDateTime;
  return out + OrderName(a, b, a < b ? DT::dtcr_less : a == b ? DT::dtcr_equal : DT::dtcr_greater);
}

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
      // a, b: the order, and every operator agreeing with it.
      {L"compare",
       [](const Args& a) {
         const CDateTime x = Value(a[0].c_str()), y = Value(a[1].c_str());
         return OrderName(x, y, x.CompareTo(y));
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
         return std::to_wstring(value.GetDayOfYear()) + L"/" +
                std::to_wstring(value.GetDayOfWeek());
       }},
      // calls on one CDateTime: the value it ends with and its kind, or the
      // message of the call refused, "state" or "value" naming the exception
      // (a refused change of kind leaves the value as it was: it is shown).
      {L"datetime",
       [](const Args& a) -> std::wstring {
         CDateTime value;
         try {
           for (const std::wstring& command : a) DateTimeCall(value, command);
         } catch (const CKvInvalidStateException& e) {
           return L"!state: " + e.GetMessageW() + L" => " + value.ToString();
         } catch (const CKvInvalidValueException& e) {
           return L"!value: " + e.GetMessageW();
         }
         return value.ToString() + L" " + value.GetTypeAsString();
       }},
      // source kind, target kind: a dateTime set as the one, then as the other.
      {L"convert",
       [](const Args& a) -> std::wstring {
         const auto kind = [&](int i) { return static_cast<CDateTime::DTType>(std::stoi(a[i])); };
         CDateTime source, target;
         source.SetDateTime(Value(L"2004-05-06T07:08:09.5+01:00"), kind(0));
         try {
           target.SetDateTime(source, kind(1));
         } catch (const CKvInvalidValueException& e) {
           return L"!value: " + e.GetMessageW();
         }
         std::wstring out = target.GetTypeAsString() + (target.HasTimeZone() ? L" zoned" : L"");
         if (kind(0) != CDateTime::dt_dateTime) return out;
         try {
           target.Validate();
         } catch (const CKvInvalidValueException& e) {
           return out + L" / " + e.GetMessageW();
         }
         return out + L" / valid";
       }},
      // wide text: its UTF-8 bytes in hex, or "malformed"; the same placed at
      // the edges of the sixteen-character runs, both ways, and exactly sized.
      {L"utf8",
       [](const Args& a) -> std::wstring {
         const std::string bytes = detail::WideToUtf8(a[0]);
         for (size_t offset : {0, 1, 15, 16, 17, 31, 33, 40}) {
           const std::wstring wide = std::wstring(offset, L'a') + a[0];
           const std::string utf8 = detail::WideToUtf8(wide);
           const CBinaryData data = detail::WideToUtf8Data(wide);
           if (bytes.empty() && !a[0].empty()) {
             std::string kept = "kept";
             if (!utf8.empty() || data.GetData() || detail::WideToUtf8(wide, kept) ||
                 kept != "kept") {
               return L"malformed only at the start";
             }
             continue;
           }
           if (utf8 != std::string(offset, 'a') + bytes || detail::ByteView(data) != utf8 ||
               BinaryDataAccess::Capacity(data) != utf8.size()) {
             return L"differs at offset " + std::to_wstring(offset);
           }
         }
         return bytes.empty() && !a[0].empty() ? L"malformed" : Hex(bytes);
       }},
      // UTF-8 bytes in hex: the wide text, or "malformed"; the same wherever the
      // bytes stand, and a failed append leaves its target alone.
      {L"utf8-bytes",
       [](const Args& a) -> std::wstring {
         const std::string bytes = FromHex(a[0]);
         std::wstring first;
         const bool valid = detail::Utf8ToWide(bytes, first);
         for (size_t offset : {0, 16, 40}) {
           std::wstring out = L"kept";
           const bool ok = detail::Utf8ToWide(std::string(offset, 'a') + bytes + "tail", out);
           if (ok != valid || (!ok && out != L"kept") ||
               (ok && out != L"kept" + std::wstring(offset, L'a') + first + L"tail")) {
             return L"differs at offset " + std::to_wstring(offset);
           }
         }
         return valid ? first : L"malformed";
       }},
      // text: the duration read over another one, printed back.
      {L"duration",
       [](const Args& a) -> std::wstring {
         CDateTimeSpan span = Span(L"-P9Y9M9DT9H9M9.9S");
         try {
           span.ParseXSDDuration(a[0].c_str());
         } catch (const CKvInvalidValueException& e) {
           return L"!value: " + e.GetMessageW();
         }
         return span.ToString();
       }},
      // number (as wcstod reads it): the CDecimal made of the double.
      {L"decimal-double",
       [](const Args& a) -> std::wstring {
         try {
           return CDecimal(std::wcstod(a[0].c_str(), nullptr)).ToString();
         } catch (const CKvInvalidValueException& e) {
           return L"!value: " + e.GetMessageW();
         }
       }},
      // a, b durations: the order, and the operators agreeing with it.
      {L"span-compare",
       [](const Args& a) {
         const CDateTimeSpan x = Span(a[0].c_str()), y = Span(a[1].c_str());
         return OrderName(x, y, x.CompareTo(y));
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
      // text: ToLong, ToBigInteger and ToLongLong of the decimal, each ended by "|".
      {L"decimal-to",
       [](const Args& a) {
         const CDecimal value(a[0]);
         const std::function<std::wstring()> reads[] = {
             [&] { return std::to_wstring(value.ToLong()); },
             [&] { return value.ToBigInteger().ToString(); },
             [&] { return std::to_wstring(value.ToLongLong()); }};
         std::wstring out;
         for (const auto& read : reads) {
           try {
             out += read() + L"|";
           } catch (const CKvOverFlowException& e) {
             out += L"!" + e.GetMessageW() + L"|";
           }
         }
         return out;
       }},
      // value, places: ToString(places), then the value rescaled to them and its places.
      {L"rescale",
       [](const Args& a) {
         CDecimal value(a[0]);
         const int32_t places = std::stoi(a[1]);
         const std::wstring printed = value.ToString(places);
         value.ChangeFractionalDivider(places);
         return printed + L" " + value.ToString() + L"/" +
                std::to_wstring(value.GetFractionDivider());
       }},
      // text: the value CBigInteger reads, through the constructor and Parse alike.
      {L"integer",
       [](const Args& a) -> std::wstring {
         CBigInteger parsed(99);
         parsed.Parse(a[0]);
         const std::wstring value = CBigInteger(a[0]).ToString();
         return parsed.ToString() == value ? value : L"Parse gave " + parsed.ToString();
       }},
      // text: what preserve, replace and collapse make of it, joined by "|";
      // the parsers' in-place path must agree with each.
      {L"whitespace",
       [](const Args& a) -> std::wstring {
         using W = CWhitespaceUtils;
         const std::wstring results[] = {a[0], W::Preserve(a[0]), W::Replace(a[0]),
                                         W::Collapse(a[0])};
         for (int rule = 0; rule < 4; ++rule) {
           std::wstring scratch;
           const auto ruleAt = static_cast<W::WhitespaceRule>(rule);
           if (detail::ApplyRuleView(ruleAt, a[0], scratch) != results[rule]) {
             return L"in-place rule " + std::to_wstring(rule) + L" differs";
           }
           // The text given up is kept when the rule leaves it whole, or trims it.
           if (W::ApplyRule(ruleAt, std::wstring(a[0])) != results[rule]) {
             return L"moving rule " + std::to_wstring(rule) + L" differs";
           }
         }
         return results[1] + L"|" + results[2] + L"|" + results[3];
       }},
      // base64 text: the bytes read over a previous value, in hex, or "null"
      // when no record is left.
      {L"base64",
       [](const Args& a) -> std::wstring {
         CBinaryData d = testing::DataOf("previous");
         d.SetAsBase64(a[0].c_str());
         return d.GetData() ? L"[" + Hex(testing::BytesOf(d)) + L"]" : L"null";
       }},
      // bytes in hex: their base64 text, which reads back to exactly sized bytes.
      {L"base64-encode",
       [](const Args& a) -> std::wstring {
         const std::string bytes = FromHex(a[0]);
         const std::wstring text = testing::DataOf(bytes).GetAsBase64();
         CBinaryData back;
         back.SetAsBase64(text.c_str());
         const bool sized = bytes.empty() || BinaryDataAccess::Capacity(back) == bytes.size();
         return testing::BytesOf(back) == bytes && sized ? text : L"reads back wrong";
       }},
      // hex text: the exactly sized bytes read, printed back; a refusal clears
      // the previous value first.
      {L"hex",
       [](const Args& a) -> std::wstring {
         CBinaryData d = testing::DataOf("previous");
         try {
           d.SetAsHexString(a[0].c_str());
         } catch (const CKvException& e) {
           return d.GetData() ? L"not cleared" : L"!" + e.GetMessageW();
         }
         if (!d.GetData()) return L"null";
         return BinaryDataAccess::Capacity(d) == d.GetLength() ? d.GetAsHexString() : L"oversized";
       }},
      // a, operator, b: a CBigInteger result, or the refusal, which leaves the
      // receiver of an in-place operator alone. "double" reads a with wcstod.
      {L"bigint",
       [](const Args& a) -> std::wstring {
         const std::wstring& op = a[1];
         if (op == L"double") {
           try {
             return CBigInteger(std::wcstod(a[0].c_str(), nullptr)).ToString();
           } catch (const CKvInvalidValueException& e) {
             return L"!value: " + e.GetMessageW();
           }
         }
         CBigInteger x(a[0]);
         const CBigInteger y(a[2]);
         try {
           if (op == L"/") return (x / y).ToString() + L" " + (x / y.GetNegative()).ToString();
           if (op == L"%") return (x % y).ToString();
           if (op == L"/=") return (x /= y).ToString();
           if (op == L"%=") return (x %= y).ToString();
           if (op == L"sqrt") return x.SquareRoot().ToString();
           if (op == L"i32") return std::to_wstring(static_cast<int32_t>(x));
           if (op == L"i64") return std::to_wstring(static_cast<int64_t>(x));
         } catch (const CKvInvalidValueException& e) {
           return x == CBigInteger(a[0]) ? L"!value: " + e.GetMessageW() : L"receiver changed";
         }
         return L"unknown operator";
       }},
      // limit, a, b: a, a+b, a-b, a*b, a/b ("-" for a zero divisor) and the
      // order, at that many decimal places; rows by tools/arithmetic_vectors.py.
      {L"decimal-ops",
       [](const Args& a) {
         struct Limit {
           int32_t saved = CDecimal::GetMaxDecimalPlaces();
           ~Limit() { CDecimal::SetMaxDecimalPlaces(saved); }
         } limit;
         CDecimal::SetMaxDecimalPlaces(std::stoi(a[0]));
         const CDecimal x(a[1]), y(a[2]);
         if (y == CDecimal()) return Joined({x, x + y, x - y, x * y}, 1, x, y);
         return Joined({x, x + y, x - y, x * y, x / y}, 0, x, y);
       }},
      // a, b, f: a, a+b, a-b, a*b, a/b, a%|b|, (b*f-1)/b, (b*f-1)%|b| and the order.
      {L"bigint-ops",
       [](const Args& a) {
         const CBigInteger x(a[0]), y(a[1]), below = y * CBigInteger(a[2]) - 1;
         if (y == CBigInteger()) return Joined({x, x + y, x - y, x * y}, 4, x, y);
         return Joined({x, x + y, x - y, x * y, x / y, x % y.GetAbs(), below / y, below % y.GetAbs()},
                       0, x, y);
       }},
      // rule, text: what i1, i2, i4, i8, ui1, ui2, ui4 and ui8 read, joined by
      // "|"; rows by tools/integer_vectors.py.
      {L"int-kinds",
       [](const Args& a) {
         using C = CConversions;
         const CWhitespaceUtils::WhitespaceRule rule = RuleNamed(a[0]);
         const std::function<int64_t()> kinds[] = {
             [&] { return C::i1FromString(a[1], rule); },  [&] { return C::i2FromString(a[1], rule); },
             [&] { return C::i4FromString(a[1], rule); },  [&] { return C::i8FromString(a[1], rule); },
             [&] { return C::ui1FromString(a[1], rule); }, [&] { return C::ui2FromString(a[1], rule); },
             [&] { return C::ui4FromString(a[1], rule); }};
         std::wstring out;
         for (const auto& read : kinds) {
           try {
             out += std::to_wstring(read()) + L"|";
           } catch (const CKvInvalidValueException& e) {
             out += L"!" + e.GetMessageW() + L"|";
           }
         }
         try {
           return out + std::to_wstring(C::ui8FromString(a[1], rule));
         } catch (const CKvInvalidValueException& e) {
           return out + L"!" + e.GetMessageW();
         }
       }},
      // kind, text, format: the value read under collapse, printed with the format.
      {L"format", [](const Args& a) { return Parsed(a[0], a[1]).ToString(a[2].c_str()); }},
      // kind, text, pattern: the verdict on the text as read, then on the canonical form.
      {L"lexical-pattern",
       [](const Args& a) {
         const KvVariant value = Parsed(a[0], a[1]);
         const CPrimitiveRestrictions facets(a[2].c_str(), -1, -1, L"", L"", L"", L"", -1, -1, -1);
         const auto verdict = [&](const std::wstring* text) -> std::wstring {
           try {
             detail::CheckRestrictions(L"Prop", value, KindNamed(a[0]), facets, text);
             return L"ok";
           } catch (const CKvException& e) {
             return e.GetMessageW();
           }
         };
         return verdict(&a[1]) + L" | " + verdict(nullptr);
       }},
      // pattern, value: 1 or 0; a refused pattern is refused the same way twice.
      {L"pattern",
       [](const Args& a) {
         const std::string pattern = detail::WideToUtf8(a[0]);
         std::wstring first;
         try {
           return std::wstring(detail::MatchesXsdPattern(pattern, a[1]) ? L"1" : L"0");
         } catch (const CKvException& e) {
           first = e.GetMessageW();
         }
         try {
           detail::MatchesXsdPattern(pattern, L"y");
         } catch (const CKvException& e) {
           if (e.GetMessageW() == first) throw;
         }
         return L"refused once: " + first;
       }},
      // kind, whitespace rule, text: as the carrier prints it after reading it.
      {L"read",
       [](const Args& a) {
         KvVariant value;
         value.FromString(a[2], KindNamed(a[0]), RuleNamed(a[1]));
         return value.ToString();
       }},
  };
  return operations;
}

class ValueVectors : public ::testing::TestWithParam<std::string> {};

TEST_P(ValueVectors, EveryRowGivesItsResult) { testing::RunVectorFile(GetParam(), Operations()); }

INSTANTIATE_TEST_SUITE_P(Files, ValueVectors, ::testing::ValuesIn(testing::VectorFiles("values")),
                         testing::VectorFileName);

// Facet checks the rows of facets.txt cannot show: the class of each refusal,
// values no text gives, and kinds without a validator.
void Check(const KvVariant& value, const wchar_t* facets) {
  detail::CheckRestrictions(L"Prop", value, value.GetTypeAsEnum(), FacetsOf(facets));
}

TEST(RestrictionCheck, BoundsAreParsedAsTheKindWhenTheCheckRuns) {
  const CPrimitiveRestrictions stored = FacetsOf(L"minInclusive=abc");  // accepted as it is
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(L"i4", L"5"), L"minInclusive=abc"),
                              CKvInvalidValueException,
                              L"The value [abc] can not be converted to a i4");
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(L"i1", L"5"), L"maxInclusive=300"),
                              CKvInvalidValueException,
                              L"The value [300] is to large to fit in a i1");
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(L"ui2", L"5"), L"maxInclusive=-1"),
                              CKvInvalidValueException,
                              L"The value [-1] is to large to fit in a ui2");
  // In order: a broken minInclusive is reported before a malformed bound after
  // it is even read, and a malformed bound before the digit facets.
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(L"i4", L"1"), L"minInclusive=5;maxExclusive=x"),
                              CKvException, L"Invalid Value for Prop [1]");
  KORVEL_EXPECT_THROW_MESSAGE(Check(Parsed(L"i4", L"123"), L"maxExclusive=x;totalDigits=1"),
                              CKvInvalidValueException,
                              L"The value [x] can not be converted to a i4");
  // Strings have no bounds, however they are written.
  EXPECT_NO_THROW(Check(Parsed(L"string", L"b"), L"minInclusive=abc"));
  EXPECT_NO_THROW(Check(Parsed(L"boolean", L"true"), L"minInclusive=abc;totalDigits=0"));
}

TEST(RestrictionCheck, BoundsParsedOnceServeEveryLaterCheckOfTheirKind) {
  CPrimitiveRestrictions facets = FacetsOf(L"minInclusive=-5;maxExclusive=100");
  const CPrimitiveRestrictions copy = facets;
  const std::tuple<const wchar_t*, const wchar_t*, bool> rows[] = {
      {L"i4", L"99", true},      {L"i4", L"100", false},     {L"i8", L"-5", true},
      {L"i8", L"-6", false},     {L"integer", L"0", true},   {L"integer", L"100", false},
      {L"decimal", L"-5", true}, {L"decimal", L"99.9", true}};
  for (const CPrimitiveRestrictions* r : {&copy, &std::as_const(facets), &copy}) {
    for (const auto& [kind, text, within] : rows) {
      SCOPED_TRACE(std::wstring(kind) + L" " + text);
      const KvVariant value = Parsed(kind, text);
      const auto check = [&] { detail::CheckRestrictions(L"P", value, value.GetTypeAsEnum(), *r); };
      if (within) {
        EXPECT_NO_THROW(check());
      } else {
        EXPECT_THROW(check(), CKvException);
      }
    }
  }
  // Beyond the small integers, and new facets parsed anew.
  EXPECT_THROW(detail::CheckRestrictions(L"P", Parsed(L"integer", L"-99999999999999999999"),
                                         it_integer, facets),
               CKvException);
  facets = FacetsOf(L"maxExclusive=0");
  EXPECT_THROW(detail::CheckRestrictions(L"P", Parsed(L"i4", L"5"), it_i4, facets), CKvException);
}

TEST(RestrictionCheck, PatternCompiledOnceBelongsToItsRestrictions) {
  CPrimitiveRestrictions code = FacetsOf(L"pattern=\\d{3}-[A-Z]{2}");
  const CPrimitiveRestrictions copy = code;
  const CPrimitiveRestrictions word = FacetsOf(L"pattern=[a-z]+");
  // Each row: value, and whether the code and the word patterns admit it.
  const std::tuple<const wchar_t*, bool, bool> rows[] = {{L"123-AB", true, false},
                                                         {L"12-AB", false, false},
                                                         {L"1234-AB", false, false},
                                                         {L"123-ab", false, false},
                                                         {L"abc", false, true},
                                                         {L"\x0663\x0661\x0662-AB", true, false},
                                                         {L"\xD835\xDFCE"
                                                          L"12-AB",
                                                          true, false},
                                                         {L"", false, false}};
  const auto admits = [](const CPrimitiveRestrictions& r, const wchar_t* text) {
    KvVariant value;
    value.SetString(text);
    try {
      detail::CheckRestrictions(L"P", value, it_string, r);
      return true;
    } catch (const CKvException&) {
      return false;
    }
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& [text, isCode, isWord] : rows) {
      SCOPED_TRACE(text);
      EXPECT_EQ(admits(code, text), pass == 0 ? isCode : isWord);
      EXPECT_EQ(admits(copy, text), isCode);
    }
    code = word;  // forgets the pattern it compiled
  }
}

TEST(RestrictionCheck, ValuesBuiltInMemory) {
  // Text that came through UTF-16 keeps pairs: still one character each.
  KvVariant paired;
  paired.SetString(std::wstring{L'\xD83D', L'\xDE00', L'x'});
  EXPECT_NO_THROW(Check(paired, L"length=2"));
  KvVariant lone;
  lone.SetString(std::wstring{L'\xDE00', L'\xD83D'});
  EXPECT_NO_THROW(Check(lone, L"length=2"));
  EXPECT_THROW(Check(lone, L"pattern=.*"), CKvException);
  // Held with three places, as arithmetic can leave it.
  CDecimal held(L"12.34");
  held.ChangeFractionalDivider(3);
  KvVariant value;
  value.SetDecimal(held);
  KORVEL_EXPECT_THROW_MESSAGE(Check(value, L"fractionDigits=2"), CKvException,
                              L"Invalid Value for Prop [12.340].");
  EXPECT_NO_THROW(Check(value, L"fractionDigits=3;totalDigits=5"));
}

TEST(RestrictionCheck, KindsWithoutValidator) {
  const CPrimitiveRestrictions none;
  KvVariant c;
  c.SetChar(L'x');
  KORVEL_EXPECT_THROW_MESSAGE(detail::CheckRestrictions(L"Prop", c, it_char, none),
                              CKvInvalidValueException, L"Unknown type [char].");
  KvVariant empty;
  for (int kind : {0, 27, 28, 99, -1}) {
    SCOPED_TRACE(kind);
    KORVEL_EXPECT_THROW_MESSAGE(
        detail::CheckRestrictions(L"Prop", empty, static_cast<ItemType>(kind), none), CKvException,
        FormatString(L"Invalid Type %d", kind));
  }
  // A nil value holds nothing to check.
  KvVariant nil;
  nil.SetI4(1);
  nil.SetNil();
  EXPECT_NO_THROW(Check(nil, L"minInclusive=5"));
}

// Without a rule each kind applies its own: collapse, but for the string kinds,
// which keep their spaces and only normalise line ends.
TEST(ConversionDefaults, EachKindAppliesItsOwnWhitespaceRule) {
  using C = CConversions;
  EXPECT_EQ(C::i4FromString(L"\t-42 \r\n"), -42);
  EXPECT_EQ(C::r8FromString(L"\n1.5e3 "), 1500.0);
  EXPECT_TRUE(C::booleanFromString(L"  true\n"));
  EXPECT_EQ(C::decimalFromString(L" 12.50\t").ToString(2), L"12.50");
  EXPECT_EQ(C::integerFromString(L"\n-12345678901234567890 ").ToString(), L"-12345678901234567890");
  EXPECT_EQ(C::datetimeFromString(L" 2004-05-07T10:20:30Z\n").ToString(), L"2004-05-07T10:20:30Z");
  EXPECT_EQ(C::durationFromString(L" P1D ").ToString(), L"P1D");
  EXPECT_EQ(Korvel::testing::BytesOf(C::base64BinaryFromString(L" AQID\n")), "\x01\x02\x03");
  EXPECT_EQ(C::stringFromString(L" a\r\nb\t "), L" a\nb\t ");
  EXPECT_EQ(C::charFromString(L" "), L' ');
  // An explicit rule still wins.
  EXPECT_THROW(C::i4FromString(L"42 ", CWhitespaceUtils::ws_none), CKvInvalidValueException);
}

TEST(WhitespaceUtils, IsWhiteSpaceIsExactlyTheFourXmlCharacters) {
  for (wchar_t c = 0; c < 0x3100; ++c) {
    bool expected = c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20;
    EXPECT_EQ(CWhitespaceUtils::IsWhiteSpace(c), expected) << static_cast<int>(c);
  }
  EXPECT_FALSE(CWhitespaceUtils::IsWhiteSpace(L'\xFEFF'));
}

// The rules on typical texts are rows of tests/data/values/conversions.txt.
TEST(WhitespaceUtils, UnknownRules) {
  for (int rule : {-1, 4, 1000}) {
    KORVEL_EXPECT_THROW_MESSAGE(CWhitespaceUtils::ApplyRule(static_cast<Rule>(rule), L"x"),
                                CKvException, L"Unknown WhitespaceRule");
  }
}

TEST(WhitespaceUtils, PreserveOverALengthStopsThere) {
  const wchar_t text[] = L"a\r\nb\rc";
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 2), L"a\n");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 6), L"a\nb\nc");
  // An embedded U+0000 is a character like any other within the length.
  const wchar_t withNul[] = L"a\0\rb";
  EXPECT_EQ(CWhitespaceUtils::Preserve(withNul, 4), std::wstring(L"a\0\nb", 4));
  EXPECT_EQ(CWhitespaceUtils::Preserve(nullptr, 5), L"");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, 0), L"");
  EXPECT_EQ(CWhitespaceUtils::Preserve(text, -1), L"");
}

constexpr auto kNone = CWhitespaceUtils::ws_none;

uint64_t Bits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The C library, which the tests run in the C locale: a value when the whole
// text is one number.
bool ReferenceParse(const std::wstring& text, double& value) {
  wchar_t* end = nullptr;
  value = std::wcstod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size();
}

std::wstring ReferencePrint(double value, const wchar_t* format) {
  wchar_t buffer[512];
  std::swprintf(buffer, 512, format, value);
  return buffer;
}

// Random number-like texts: the whole-text reading must match wcstod bit for bit.
TEST(RealConversions, AgreeWithWcstodOnRandomTexts) {
  std::mt19937 random(7);
  const wchar_t alphabet[] = L"0123456789012345678901234567890123456789..eE+-xXpPaAfFnNiI \t";
  const size_t size = std::wcslen(alphabet);
  for (int round = 0; round < 20000; ++round) {
    std::wstring text;
    for (size_t n = 1 + random() % 14; n > 0; --n) text += alphabet[random() % size];
    double expected = 0;
    if (ReferenceParse(text, expected)) {
      const double value = CConversions::r8FromString(text, kNone);
      ASSERT_TRUE(std::isnan(expected) ? std::isnan(value) : Bits(value) == Bits(expected))
          << ::testing::PrintToString(text) << " gives " << value << ", not " << expected;
    } else {
      ASSERT_THROW(CConversions::r8FromString(text, kNone), CKvInvalidValueException)
          << ::testing::PrintToString(text);
    }
  }
}

// The default text reads back exactly and is no longer than the shortest
// "%.<n>g" text that does.
template <class Real>
void ExpectShortestRoundTrip(Real value,
                             Real (*parse)(const std::wstring&, CWhitespaceUtils::WhitespaceRule),
                             const std::wstring& text) {
  ASSERT_EQ(parse(text, kNone), value) << text;
  for (int precision = 1; precision <= 17; ++precision) {
    wchar_t format[16];
    std::swprintf(format, 16, L"%%.%dg", precision);
    const std::wstring printed = ReferencePrint(value, format);
    if (parse(printed, kNone) != value) continue;
    ASSERT_LE(text.size(), printed.size()) << text << " " << printed;
    return;
  }
}

// The default forms of chosen values are rows of tests/data/values/reals.txt.
TEST(RealConversions, DefaultFormsAreShortestRoundTrips) {
  std::mt19937_64 random(11);
  for (int round = 0; round < 5000; ++round) {
    uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    ExpectShortestRoundTrip(value, &CConversions::r8FromString, CConversions::r8ToString(value));
    float narrow;
    uint32_t narrowBits = static_cast<uint32_t>(bits >> 32);
    std::memcpy(&narrow, &narrowBits, sizeof narrow);
    if (!std::isfinite(narrow)) continue;
    ExpectShortestRoundTrip(narrow, &CConversions::r4FromString, CConversions::r4ToString(narrow));
  }
}

TEST(RealConversions, CallerFormats) {
  // Longer than any fixed buffer: the whole text comes back.
  std::wstring wide = CConversions::r8ToString(1e300, L"%.100f");
  EXPECT_EQ(wide.size(), 301u + 1 + 100);
  EXPECT_EQ(wide, ReferencePrint(1e300, L"%.100f"));
}

}  // namespace
}  // namespace Korvel
