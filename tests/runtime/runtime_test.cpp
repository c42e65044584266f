// SPDX-License-Identifier: MIT
// The run-time support: the variant carrier, counted references and the lock,
// exceptions (chains, copies, UTF-8 what()), UTF-8 arguments and the message
// formatter.
#include <korvel/conversions.h>
#include <korvel/critical_section.h>
#include <korvel/errors.h>
#include <korvel/smart_ptr.h>
#include <korvel/variant.h>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/utf8_argument.h"
#include "runtime/variant_reference.h"
#include "test_support.h"
#include "values/utf.h"
#include "vector_file.h"

using namespace Korvel;

namespace {

constexpr auto kCollapse = CWhitespaceUtils::ws_collapse;

using Korvel::testing::Counted;

void SetCounted(KvVariant& variant, ItemType kind, Counted* object) {
  detail::VariantAccess::SetReference(variant, kind, detail::MakeReference(object));
}

CSmartPtr<Counted> GetCounted(const KvVariant& variant, ItemType kind) {
  return detail::ReferencedObject<Counted>(
      detail::VariantAccess::GetReference(variant, kind, "GetXmlObject"));
}

// One text per kind family and how it prints back; every kind's reading is in
// tests/data/values/conversions.txt.
struct KindRow {
  ItemType kind;
  const wchar_t* name;
  const wchar_t* text;
  const wchar_t* printed;
};

const KindRow kKinds[] = {
    {it_base64Binary, L"base64Binary", L"SGVs bG8=", L"SGVsbG8="},
    {it_i8, L"i8", L"-9223372036854775808", L"-9223372036854775808"},
    {it_i1, L"i1", L"+07", L"7"},
    {it_ui8, L"ui8", L"18446744073709551615", L"18446744073709551615"},
    {it_month, L"month", L"--05", L"--05"},
    {it_day, L"day", L"---31", L"---31"},
    {it_boolean, L"boolean", L"1", L"true"},
    {it_duration, L"duration", L"P1Y2M3DT4H5M6.789S", L"P1Y2M3DT4H5M6.789S"},
    // Longer than the room numbers are printed in on the stack.
    {it_duration, L"duration", L"-P65535Y4294967295M4294967295DT4294967295H4294967295M1.000000001S",
     L"-P65535Y4294967295M4294967295DT4294967295H4294967295M1.000000001S"},
    {it_r4, L"r4", L"0.1", L"0.1"},
    {it_r8, L"r8", L"-1e300", L"-1e+300"},
    {it_r8, L"r8", L"-INF", L"-INF"},
    {it_r8, L"r8", L"NaN", L"NaN"},
    {it_datetime, L"datetime", L"2004-05-06T07:08:09.5-05:00", L"2004-05-06T07:08:09.5-05:00"},
    {it_string, L"string", L" a \t b ", L"a b"},
    {it_decimal, L"decimal", L"-0.50", L"-0.5"},
    {it_integer, L"integer", L"123456789012345678901234567890", L"123456789012345678901234567890"},
    {it_integer, L"integer", L"-0", L"0"},
};

std::wstring WrongType(const char* getter, int kind) {
  return L"Failed to " + std::wstring(getter, getter + std::strlen(getter)) +
         L". The variant is of type " + std::to_wstring(kind) + L".";
}

}  // namespace

TEST(KvVariant, EveryKindParsesPrintsAndCopies) {
  for (const KindRow& row : kKinds) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(row.name)));
    KvVariant v;
    v.SetString(L"previous");
    v.FromString(row.text, row.kind, kCollapse);
    EXPECT_EQ(v.GetTypeAsEnum(), row.kind);
    EXPECT_EQ(v.GetType(), row.name);
    EXPECT_EQ(v.ToString(), row.printed);
    EXPECT_EQ(v.ToString(L""), row.printed);
    std::wstring appended = L"<";
    detail::AppendVariantText(v, nullptr, appended);
    EXPECT_EQ(appended, L"<" + std::wstring(row.printed));
    // Only real numbers and decimals follow a format.
    const wchar_t* format = row.kind == it_decimal ? L"3" : L"%.3e";
    appended.clear();
    detail::AppendVariantText(v, format, appended);
    EXPECT_EQ(appended, v.ToString(format));

    KvVariant copy(v);
    KvVariant assigned;
    assigned.SetDecimal(CDecimal(7));
    assigned = v;
    const KvVariant& self = assigned;
    assigned = self;  // self-assignment keeps the value
    KvVariant moved(std::move(assigned));
    EXPECT_EQ(assigned.GetTypeAsEnum(), it_none);
    KvVariant target;
    target.SetString(L"replaced");
    target = std::move(moved);
    EXPECT_EQ(target.ToString(), row.printed);
    EXPECT_EQ(target.GetTypeAsEnum(), row.kind);
    EXPECT_FALSE(moved.IsValid());
    v.Clear();
    EXPECT_FALSE(v.IsValid());
    EXPECT_EQ(copy.ToString(), row.printed);  // copies own their values
  }
}

TEST(KvVariant, NilKeepsTheKindAndNoValue) {
  KvVariant v;
  v.SetI4(5);
  v.SetNil();
  EXPECT_EQ(v.GetTypeAsEnum(), it_i4);
  EXPECT_TRUE(v.IsNil());
  EXPECT_TRUE(v.IsValid());
  EXPECT_EQ(v.GetI4(), 0);
  KORVEL_EXPECT_THROW_MESSAGE(v.ToString(), CKvInvalidStateException,
                              L"Failed to ToString. The variant is nil.");

  KvVariant text;
  text.SetString(L"gone");
  text.SetNil();
  KvVariant copy = text;
  EXPECT_TRUE(copy.IsNil());
  EXPECT_EQ(copy.GetTypeAsEnum(), it_string);
  KORVEL_EXPECT_THROW_MESSAGE(copy.GetString(), CKvInvalidStateException,
                              L"Failed to GetString. The variant is nil.");
  copy.Clear();
  EXPECT_FALSE(copy.IsValid());
  EXPECT_FALSE(copy.IsNil());

  // Nil without a kind: valid, and Clear leaves it so; SetInvalid does not.
  KvVariant bare;
  bare.SetNil();
  EXPECT_EQ(bare.GetTypeAsEnum(), it_none);
  EXPECT_TRUE(bare.IsValid());
  bare.Clear();
  EXPECT_TRUE(bare.IsNil());
  EXPECT_TRUE(KvVariant(bare).IsNil());
  bare.SetInvalid();
  EXPECT_FALSE(bare.IsNil());
  EXPECT_FALSE(bare.IsValid());

  // A setter or a parse ends the nil state, whatever the kind was.
  bare.SetNil();
  bare.SetI2(3);
  EXPECT_FALSE(bare.IsNil());
  text.FromString(L"x", it_string, kCollapse);
  EXPECT_FALSE(text.IsNil());
  EXPECT_EQ(text.GetString(), L"x");
}

TEST(KvVariant, FailedParseLeavesTheCarrierAsItWas) {
  KvVariant v;
  v.SetString(L"x");
  KORVEL_EXPECT_THROW_MESSAGE(v.FromString(L"abc", it_i4, kCollapse), CKvInvalidValueException,
                              L"The value [abc] can not be converted to a i4");
  EXPECT_EQ(v.GetTypeAsEnum(), it_string);
  EXPECT_EQ(v.GetString(), L"x");

  v.SetNil();
  EXPECT_THROW(v.FromString(L"2004-13", it_yearMonth, kCollapse), CKvInvalidValueException);
  EXPECT_TRUE(v.IsNil());
  EXPECT_EQ(v.GetTypeAsEnum(), it_string);

  for (int kind : {0, 27, 28, 29, -1}) {
    SCOPED_TRACE(kind);
    KORVEL_EXPECT_THROW_MESSAGE(
        v.FromString(L"1", static_cast<ItemType>(kind), kCollapse), CKvException,
        L"Invalid Type " + std::to_wstring(kind) + L" to convert to string");
  }
  EXPECT_TRUE(v.IsNil());
}

TEST(KvVariant, ObjectGettersCheckTheFamily) {
  KvVariant v;
  v.SetI4(1);
  using Getter = std::pair<const char*, std::function<void()>>;
#define KORVEL_GETTER(name) Getter(#name, [&] { v.name(); })
  const Getter getters[] = {
      KORVEL_GETTER(GetHexBinary), KORVEL_GETTER(GetBase64Binary), KORVEL_GETTER(GetDuration),
      KORVEL_GETTER(GetDate),      KORVEL_GETTER(GetDateTime),     KORVEL_GETTER(GetTime),
      KORVEL_GETTER(GetYearMonth), KORVEL_GETTER(GetMonthDay),     KORVEL_GETTER(GetString),
      KORVEL_GETTER(GetDecimal),   KORVEL_GETTER(GetInteger)};
#undef KORVEL_GETTER
  for (const auto& [name, get] : getters) {
    KORVEL_EXPECT_THROW_MESSAGE(get(), CKvInvalidStateException, WrongType(name, it_i4));
  }
  v.SetString(L"s");
  KORVEL_EXPECT_THROW_MESSAGE(v.GetDate(), CKvInvalidStateException, WrongType("GetDate", 23));

  // Any of the five date getters reads any of the five date kinds, and the
  // value prints as the date kind it holds.
  CDateTime date(L"2004-05-06T00:00:00");
  v.SetTime(date);
  for (auto get : {&KvVariant::GetDate, &KvVariant::GetDateTime, &KvVariant::GetTime,
                   &KvVariant::GetYearMonth, &KvVariant::GetMonthDay}) {
    EXPECT_EQ((v.*get)(), date);
  }
  v.SetYearMonth(CDateTime(2004, 5, 6));
  EXPECT_EQ(v.ToString(), L"2004-05-06");
  // Either binary getter reads either binary kind; copies share the buffer,
  // which stays copy-on-write.
  const unsigned char bytes[] = {1, 2, 3};
  v.SetBase64Binary(CBinaryData(bytes, 3));
  KvVariant a = v;
  KvVariant b;
  b = v;
  const unsigned char* shared = v.GetHexBinary().GetData();
  EXPECT_EQ(a.GetHexBinary().GetData(), shared);
  EXPECT_EQ(b.GetBase64Binary().GetData(), shared);
  CBinaryData out = a.GetHexBinary();
  out[0] = 9;
  EXPECT_EQ(v.ToString(), L"AQID");
  EXPECT_EQ(a.ToString(), L"AQID");
}

// Formats per kind are in tests/data/values/reals.txt.
TEST(KvVariant, NullFormatAndMovedStrings) {
  KvVariant v;
  v.SetR8(3.14159);
  EXPECT_EQ(v.ToString(nullptr), L"3.14159");
  std::wstring text(100, L'x');
  v.SetString(std::move(text));
  EXPECT_TRUE(text.empty());  // NOLINT(bugprone-use-after-move): the contract
}

// A reader's carrier hands its value to one getter call; copies and setters cancel that.
TEST(KvVariant, HandOverMovesOnceAndOnlyTheFlaggedCarrier) {
  const std::wstring text(40, L'x');
  KvVariant v;
  v.SetString(text);
  detail::VariantAccess::HandOverOnNextGet(v);
  const KvVariant copy = v;
  EXPECT_EQ(v.GetString(), text);
  EXPECT_EQ(v.GetString(), L"");
  EXPECT_EQ(copy.GetString(), text);
  detail::VariantAccess::HandOverOnNextGet(v);
  v.FromString(L"7", it_integer, CWhitespaceUtils::ws_collapse);
  EXPECT_EQ(v.GetInteger().ToString(), L"7");
  EXPECT_EQ(v.GetInteger().ToString(), L"7");
}

// A view points at the value; its carrier's copies own theirs, and replacing
// or dropping the view frees nothing (ASan would see a double free).
TEST(KvValueView, PointsAtTheValueAndCopiesOwnTheirs) {
  std::wstring text(40, L'x');
  const CDecimal price = CConversions::decimalFromString(L"-0.50", kCollapse);
  KvValueView view;
  view.SetString(text);
  EXPECT_EQ(detail::VariantAccess::HeldString(view.AsVariant()), &text);
  KvVariant copy = view.AsVariant();
  view.SetDecimal(price);
  EXPECT_EQ(view.AsVariant().ToString(), L"-0.5");
  text.assign(L"changed");
  const KvVariant moved(std::move(copy));
  EXPECT_EQ(moved.GetString(), std::wstring(40, L'x'));
  KvVariant& carrier = detail::VariantAccess::Carrier(view);
  detail::VariantAccess::HandOverOnNextGet(carrier);
  EXPECT_EQ(carrier.GetDecimal().ToString(), L"-0.5");  // a view never hands over
  carrier.SetString(L"owned");
  EXPECT_EQ(price.ToString(), L"-0.5");

  // An object is pointed at without a reference; a copy takes one.
  int destroyed = 0;
  CSmartPtr<Counted> object = new Counted(&destroyed);
  detail::VariantAccess::BorrowReference(view, it_xmlObject, object.Get());
  EXPECT_EQ(object->Count(), 1);
  EXPECT_EQ(GetCounted(view.AsVariant(), it_xmlObject).Get(), object.Get());
  {
    const KvVariant counted = view.AsVariant();
    EXPECT_EQ(object->Count(), 2);
  }
  view.SetInvalid();
  EXPECT_EQ(object->Count(), 1);
}

TEST(KvVariant, ObjectKindsHoldOneCountedReferenceEach) {
  int destroyed = 0;
  auto* object = new Counted(&destroyed);
  {
    KvVariant v;
    SetCounted(v, it_xmlObject, object);
    EXPECT_EQ(object->Count(), 1);
    EXPECT_EQ(v.GetTypeAsEnum(), it_xmlObject);
    KORVEL_EXPECT_THROW_MESSAGE(v.GetType(), CKvException, L"Invalid Type 27");
    KORVEL_EXPECT_THROW_MESSAGE(v.ToString(), CKvException,
                                L"Invalid Type 27 to convert to string");
    {
      KvVariant copy = v;
      KvVariant assigned;
      assigned = copy;
      EXPECT_EQ(object->Count(), 3);
      CSmartPtr<Counted> held = GetCounted(assigned, it_xmlObject);
      EXPECT_EQ(held.Get(), object);
      EXPECT_EQ(object->Count(), 4);
      KORVEL_EXPECT_THROW_MESSAGE(GetCounted(assigned, it_xmlCollection), CKvInvalidStateException,
                                  WrongType("GetXmlObject", 27));
    }
    EXPECT_EQ(object->Count(), 1);
    KvVariant moved = std::move(v);
    EXPECT_EQ(object->Count(), 1);
    moved.SetNil();  // nil holds no value: the reference goes
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(moved.GetTypeAsEnum(), it_xmlObject);
  }
  EXPECT_EQ(destroyed, 1);

  // A null reference is stored as such and copies as such.
  KvVariant none;
  SetCounted(none, it_xmlCollection, nullptr);
  EXPECT_EQ(none.GetTypeAsEnum(), it_xmlCollection);
  KvVariant copy = none;
  EXPECT_EQ(GetCounted(copy, it_xmlCollection).Get(), nullptr);

  auto* other = new Counted(&destroyed);
  KvVariant last;
  SetCounted(last, it_xmlCollection, other);
  last.SetI4(1);  // replacing the value gives the reference back
  EXPECT_EQ(destroyed, 2);
}

namespace {

TEST(SmartPtr, CountsReassignsAndDestroysOnce) {
  int destroyed = 0;
  {
    CSmartPtr<Counted> a(new Counted(&destroyed));
    CSmartPtr<Counted> b = a;
    CSmartPtr<Counted> c;
    c = b;
    EXPECT_EQ(a->Count(), 3);
    const CSmartPtr<Counted>& self = c;
    c = self;  // self-assignment must not drop the last reference
    CSmartPtr<Counted> d(std::move(c));
    EXPECT_FALSE(c);
    EXPECT_EQ(a->Count(), 3);
    b = nullptr;
    EXPECT_EQ(a->Count(), 2);
  }
  EXPECT_EQ(destroyed, 1);
  CSmartPtr<Counted> p(new Counted(&destroyed));
  p = new Counted(&destroyed);
  EXPECT_EQ(destroyed, 2);
  Counted* raw = p.Detach();
  EXPECT_EQ(raw->Release(), 0);
  EXPECT_EQ(destroyed, 3);
}

TEST(CriticalSection, ReentrantAndExclusive) {
  CKVCriticalSection cs;
  cs.Enter();
  cs.Enter();  // the owning thread may enter again
  cs.Leave();
  cs.Leave();
  long total = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        Korvel::CKVCriticalSectionLock lock(cs);
        ++total;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(total, 40000);
}

}  // namespace

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

// Rows of tests/data/runtime/utf8_arguments.txt.
TEST(Utf8Arguments, WidenedOrRejectedAtTheFirstBadByte) {
  const auto argument = [](const Korvel::testing::VectorArgs& a) {
    const std::string bytes(a[0].begin(), a[0].end());
    const std::wstring valid = std::to_wstring(detail::Utf8ValidPrefixLength(bytes)) + L" ";
    try {
      return valid + detail::WideFromUtf8Argument(bytes, L"text");
    } catch (const CKvInvalidParamException& e) {
      return valid + L"!" + e.GetMessageW();
    }
  };
  Korvel::testing::RunVectorFile(std::string(KORVEL_TEST_DATA_DIR) + "/runtime/utf8_arguments.txt",
                                 {{L"argument", argument}});
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
       {L"S", [](const Args& a) { return FormatString(a[0].c_str(), detail::WideToUtf8(a[1]).c_str()); }},
       {L"c", f([](const std::wstring& t) { return static_cast<wchar_t>(std::stoi(t)); })}});
}

TEST(FormatString, NullsBytesBeyondUtf8AndSeveralArguments) {
  EXPECT_EQ(FormatString(L"%s and %S", L"w", "n"), L"w and n");
  // Narrow text is UTF-8; a stray byte stands for itself rather than vanishing.
  EXPECT_EQ(FormatString(L"%S", "a\xFF" "b"), L"a\u00ffb");
  EXPECT_EQ(FormatString(L"[%s]", static_cast<const wchar_t*>(nullptr)), L"[(null)]");
  EXPECT_EQ(FormatString(L"[%S]", static_cast<const char*>(nullptr)), L"[(null)]");
  EXPECT_EQ(FormatString(L"[%8s]", static_cast<const wchar_t*>(nullptr)), L"[  (null)]");
  EXPECT_EQ(FormatString(nullptr), L"");
  // Mixed sizes keep the argument list aligned.
  EXPECT_EQ(FormatString(L"%d %I64d %s %d", 1, int64_t{2}, L"three", 4), L"1 2 three 4");
  EXPECT_EQ(FormatString(L"%lc%C", L'a', 'b'), L"ab");
  EXPECT_EQ(FormatString(L"%*.*f", 8, 2, 3.14159), L"    3.14");
  EXPECT_EQ(FormatString(L"100%%"), L"100%");
  EXPECT_EQ(FormatString(L"trailing %"), L"trailing %");
  // %n would write through an argument; it is text like any unknown conversion.
  int written = -1;
  EXPECT_EQ(FormatString(L"ab%n", &written), L"ab%n");
  EXPECT_EQ(written, -1);
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

// Numbers go into XML, so a locale with a decimal comma must not reach them.
TEST(FormatString, IgnoresTheApplicationsLocale) {
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
      << "the de_DE.UTF-8 locale is missing: make deps generates it";
  const std::wstring fixed = FormatString(L"%.2f %e %g", 3.5, 1.25, 0.5);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(fixed, L"3.50 1.250000e+00 0.5");
}

}  // namespace
