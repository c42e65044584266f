// SPDX-License-Identifier: MIT
// Date, time and duration text: every parser over arbitrary text. Only the
// library's exceptions may escape; accepted text must print as a form that
// reads back to the same text, and the order must be reflexive.
#include <cstdlib>

#include <korvel/date_time.h>
#include <korvel/date_time_span.h>
#include <korvel/errors.h>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Korvel;
  const std::wstring text = fuzz::BytesToWide(data, size);
  void (CDateTime::*const parsers[])(const wchar_t*) = {
      &CDateTime::ParseXSDDateTime, &CDateTime::ParseXSDDate, &CDateTime::ParseXSDTime};
  for (const auto parse : parsers) {
    try {
      CDateTime value;
      (value.*parse)(text.c_str());
      CDateTime again;
      (again.*parse)(value.ToString().c_str());
      if (again.ToString() != value.ToString() || value.CompareTo(again) != CDateTime::dtcr_equal) {
        std::abort();
      }
    } catch (const CKvException&) {
    }
  }
  try {
    CDateTimeSpan span;
    span.ParseXSDDuration(text.c_str());
    if (span.CompareTo(span) != CDateTime::dtcr_equal) std::abort();
    const std::wstring printed = span.ToString();
    if (printed != L"P" && printed != L"-P") {
      CDateTimeSpan again;
      again.ParseXSDDuration(printed.c_str());
      if (again.ToString() != printed) std::abort();
    }
  } catch (const CKvException&) {
  }
  return 0;
}
