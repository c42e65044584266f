// SPDX-License-Identifier: MIT
// The clock and the C library's calendar functions, independent of the
// process's time-zone setting except where local time is asked for.
#pragma once

#include <cstdint>
#include <ctime>

#include <korvel/system_time.h>

namespace Korvel::detail::platform {

// The current local time, with milliseconds.
SYSTEMTIME LocalNow();
// The current UTC time, with milliseconds.
SYSTEMTIME UtcNow();
// Milliseconds since an arbitrary fixed point, for measuring intervals.
uint64_t MonotonicMilliseconds();

// Seconds since 1970-01-01 UTC of broken-down UTC fields (timegm).
int64_t UtcFieldsToSeconds(const std::tm& fields);
// Broken-down UTC / local fields of seconds since 1970; false if out of range.
bool SecondsToUtcFields(int64_t seconds, std::tm& fields);
bool SecondsToLocalFields(int64_t seconds, std::tm& fields);

}  // namespace Korvel::detail::platform
