// SPDX-License-Identifier: MIT
// Lexical conversions through the value carrier: every kind reads arbitrary
// text under the rule the first byte picks. Only the library's exceptions may
// escape; a value that reads must print, and for the kinds whose printed form
// is itself a lexical form of the kind, the print must read back to itself.
#include <cstdlib>

#include <korvel/errors.h>
#include <korvel/variant.h>

#include "fuzz_support.h"

namespace {

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
    const std::wstring printed = value.ToString();
    if (!PrintReadsBack(static_cast<ItemType>(kind), printed)) continue;
    KvVariant again;
    again.FromString(printed, static_cast<ItemType>(kind), rule);
    if (again.ToString() != printed) std::abort();
  }
  return 0;
}
