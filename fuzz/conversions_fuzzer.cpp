// SPDX-License-Identifier: MIT
// Lexical conversions through the value carrier: every kind reads arbitrary
// text under the rule the first byte picks. Only the library's exceptions may
// escape; a value that reads must print, and for the kinds whose printed form
// is itself a lexical form of the kind, the print must read back to itself.
// A kind with a strict lexical form must read only text of that form.
#include <cstdlib>

#include <korvel/errors.h>
#include <korvel/variant.h>
#include <korvel/whitespace_utils.h>

#include "fuzz_support.h"
#include "values/pattern.h"

namespace {

// The XSD lexical forms, as XSD patterns, of the kinds whose parsers must not
// be more lenient; the empty duration forms "P" and "PT" are excluded apart.
const char* LexicalForm(Korvel::ItemType kind) {
  using namespace Korvel;
#define KORVEL_DETAIL_ZONE "(Z|[+\\-]((0\\d|1[0-3]):[0-5]\\d|14:00))?"
#define KORVEL_DETAIL_TIME "\\d{2}:\\d{2}:\\d{2}(\\.\\d+)?" KORVEL_DETAIL_ZONE
  switch (kind) {
    case it_time:
      return KORVEL_DETAIL_TIME;
    case it_datetime:
      return "-?\\d{4}-\\d{2}-\\d{2}T" KORVEL_DETAIL_TIME;
    case it_duration:
      return "-?P(\\d+Y)?(\\d+M)?(\\d+D)?(T(\\d+H)?(\\d+M)?(\\d+(\\.\\d+)?S)?)?";
    case it_base64Binary:
      return "[A-Za-z0-9+/=\\s]*";
    default:
      return nullptr;
  }
#undef KORVEL_DETAIL_TIME
#undef KORVEL_DETAIL_ZONE
}

bool HasStrictForm(Korvel::ItemType kind, const std::wstring& ruled) {
  const char* form = LexicalForm(kind);
  if (form == nullptr) return true;
  if (kind == Korvel::it_duration && (ruled.find(L"P") + 1 == ruled.size() ||
                                      ruled.back() == L'T')) {
    return false;
  }
  return Korvel::detail::MatchesXsdPattern(form, ruled);
}

// Kinds whose print does not always read back, by the design of their forms:
// r4 and r8 print fewer digits than the value may need, a char U+0000 prints
// as "", a year prints without the four digits the date parser wants.
bool PrintReadsBack(Korvel::ItemType kind, const std::wstring& printed) {
  using namespace Korvel;
  if (kind == it_r4 || kind == it_r8 || kind == it_char || kind == it_year) return false;
  return !(kind == it_duration && (printed == L"P" || printed == L"-P"));  // a zero duration
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Korvel;
  if (size == 0) return 0;
  const auto rule = static_cast<CWhitespaceUtils::WhitespaceRule>(data[0] % 4);
  const std::wstring text = fuzz::BytesToWide(data + 1, size - 1);
  for (int kind = it_hexBinary; kind <= it_integer; ++kind) {
    KvVariant value;
    try {
      value.FromString(text, static_cast<ItemType>(kind), rule);
    } catch (const CKvException&) {
      if (value.IsValid()) std::abort();  // a failed read leaves the carrier alone
      continue;
    }
    if (!HasStrictForm(static_cast<ItemType>(kind), CWhitespaceUtils::ApplyRule(rule, text))) {
      std::abort();  // read text that is not of the kind's lexical form
    }
    const std::wstring printed = value.ToString();
    if (!PrintReadsBack(static_cast<ItemType>(kind), printed)) continue;
    KvVariant again;
    again.FromString(printed, static_cast<ItemType>(kind), rule);
    if (again.ToString() != printed) std::abort();
  }
  return 0;
}
