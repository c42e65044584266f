// SPDX-License-Identifier: MIT
// Decimal and big-integer text: parse, print, reparse. Only the library's own
// exceptions may escape a parse; a printed value must read back equal. Text
// "a|b" also multiplies and divides the two decimals: a result must read back
// as the same value with the same places, as one read from text does.
#include <cstdlib>

#include <korvel/big_integer.h>
#include <korvel/decimal.h>
#include <korvel/errors.h>

#include "fuzz_support.h"

namespace {

void CheckReadsBack(const Korvel::CDecimal& value) {
  const Korvel::CDecimal back(value.ToString());
  if (back != value || back.GetFractionDivider() != value.GetFractionDivider()) std::abort();
}

void CheckArithmetic(const std::wstring& text) {
  using namespace Korvel;
  const size_t bar = text.find(L'|');
  if (bar == std::wstring::npos) return;
  try {
    const CDecimal a(text.substr(0, bar));
    const CDecimal b(text.substr(bar + 1));
    CheckReadsBack(a * b);
    if (b != CDecimal()) CheckReadsBack(a / b);
  } catch (const CKvException&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Korvel;
  std::wstring text = fuzz::BytesToWide(data, size);
  CheckArithmetic(text);
  try {
    CheckReadsBack(CDecimal(text));
  } catch (const CKvException&) {
  }
  try {
    CBigInteger value(text);
    if (CBigInteger(value.ToString()) != value) std::abort();
  } catch (const CKvException&) {
  }
  return 0;
}
