// SPDX-License-Identifier: MIT
// Clock and calendar functions over clock_gettime, timegm, gmtime_r, localtime_r.
#include "platform/clock.h"

#include <time.h>

namespace Korvel::detail::platform {

namespace {

SYSTEMTIME FromTm(const std::tm& t, long nanoseconds) {
  SYSTEMTIME st{};
  st.wYear = static_cast<uint16_t>(t.tm_year + 1900);
  st.wMonth = static_cast<uint16_t>(t.tm_mon + 1);
  st.wDayOfWeek = static_cast<uint16_t>(t.tm_wday);
  st.wDay = static_cast<uint16_t>(t.tm_mday);
  st.wHour = static_cast<uint16_t>(t.tm_hour);
  st.wMinute = static_cast<uint16_t>(t.tm_min);
  st.wSecond = static_cast<uint16_t>(t.tm_sec);
  st.wMilliseconds = static_cast<uint16_t>(nanoseconds / 1000000);
  return st;
}

SYSTEMTIME Now(bool local) {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  std::tm t{};
  if (local) {
    ::localtime_r(&ts.tv_sec, &t);
  } else {
    ::gmtime_r(&ts.tv_sec, &t);
  }
  return FromTm(t, ts.tv_nsec);
}

}  // namespace

SYSTEMTIME LocalNow() { return Now(true); }

SYSTEMTIME UtcNow() { return Now(false); }

uint64_t MonotonicMilliseconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

int64_t UtcFieldsToSeconds(const std::tm& fields) {
  std::tm copy = fields;
  return static_cast<int64_t>(::timegm(&copy));
}

bool SecondsToUtcFields(int64_t seconds, std::tm& fields) {
  auto t = static_cast<time_t>(seconds);
  return ::gmtime_r(&t, &fields) != nullptr;
}

bool SecondsToLocalFields(int64_t seconds, std::tm& fields) {
  auto t = static_cast<time_t>(seconds);
  return ::localtime_r(&t, &fields) != nullptr;
}

}  // namespace Korvel::detail::platform
