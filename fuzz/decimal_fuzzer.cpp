// SPDX-License-Identifier: MIT
// Decimal and big-integer text: parse, print, reparse. Only the library's own
// exceptions may escape a parse; a printed value must read back equal.
#include <cstdlib>

#include <korvel/big_integer.h>
#include <korvel/decimal.h>
#include <korvel/errors.h>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Korvel;
  std::wstring text = fuzz::BytesToWide(data, size);
  try {
    CDecimal value(text);
    if (CDecimal(value.ToString()) != value) std::abort();
  } catch (const CKvException&) {
  }
  try {
    CBigInteger value(text);
    if (CBigInteger(value.ToString()) != value) std::abort();
  } catch (const CKvException&) {
  }
  return 0;
}
