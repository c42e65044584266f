// SPDX-License-Identifier: MIT
// SYSTEMTIME and FILETIME: the calendar and tick records that dates convert to
// and from, with the field names and widths of the platform they come from.
#pragma once

#include <cstdint>

namespace Korvel {

// A broken-down time; months and days count from 1, wDayOfWeek from Sunday = 0.
struct SYSTEMTIME {
  uint16_t wYear;
  uint16_t wMonth;
  uint16_t wDayOfWeek;
  uint16_t wDay;
  uint16_t wHour;
  uint16_t wMinute;
  uint16_t wSecond;
  uint16_t wMilliseconds;
};

// 100-nanosecond intervals since 1601-01-01 00:00 UTC, split in two halves.
struct FILETIME {
  uint32_t dwLowDateTime;
  uint32_t dwHighDateTime;
};

}  // namespace Korvel
