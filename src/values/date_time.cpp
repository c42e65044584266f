// SPDX-License-Identifier: MIT
// CDateTime: construction, setters, field access, validation and the
// conversions to and from time_t, SYSTEMTIME and FILETIME.
#include <korvel/date_time.h>

#include <limits>

#include "platform/clock.h"
#include "values/date_time_access.h"
#include "values/date_time_calendar.h"
#include "values/date_time_messages.h"

namespace Korvel {

using detail::DateTimeAccess;
using detail::KindIn;
using detail::WideFields;
namespace msg = detail::dt_msg;

namespace {

constexpr int kMinYear = -9999;
constexpr int kMaxYear = 9999;

WideFields FromSystemTime(const SYSTEMTIME& time) {
  WideFields f;
  f.year = time.wYear;
  f.month = time.wMonth;
  f.day = time.wDay;
  f.hour = time.wHour;
  f.minute = time.wMinute;
  f.second = time.wSecond;
  f.milli = time.wMilliseconds;
  return f;
}

// The constructors that cannot report an invalid input leave the value unset.
template <class Setter>
void SetOrClear(CDateTime& value, Setter&& set) {
  try {
    set();
  } catch (const CKvInvalidValueException&) {
    DateTimeAccess::Clear(value);
  }
}

WideFields DateTimeFields(int16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                          uint8_t second, uint16_t milli, uint16_t micro, uint16_t nano) {
  return WideFields{year, month, day, hour, minute, second, milli, micro, nano};
}

}  // namespace

// ---------------------------------------------------------------------------
// Internals

namespace detail {

const wchar_t* DateKindName(CDateTime::DTType kind) {
  static constexpr const wchar_t* kNames[] = {L"yearZero",   L"dateTime", L"date",
                                              L"gYearMonth", L"gYear",    L"time",
                                              L"gDay",       L"gMonth",   L"gMonthDay"};
  const auto index = static_cast<uint32_t>(kind);
  return index < sizeof kNames / sizeof kNames[0] ? kNames[index] : L"";
}

void DateTimeAccess::Clear(CDateTime& value) {
  value.m_type = CDateTime::dt_invalid;
  value.m_year = 0;
  value.m_month = value.m_day = value.m_hour = value.m_minute = value.m_second = 0;
  value.m_milli = value.m_micro = value.m_nano = 0;
  value.m_utc = value.m_hasTimeZone = false;
  value.m_zoneHour = 0;
  value.m_zoneMinute = 0;
}

void DateTimeAccess::Set(CDateTime& value, CDateTime::DTType kind, const WideFields& f) {
  if (value.m_type != CDateTime::dt_invalid && value.m_type != kind) {
    msg::ThrowState(msg::kKindMismatch, DateKindName(kind), DateKindName(value.m_type));
  }
  value.m_utc = value.m_hasTimeZone = false;
  value.m_zoneHour = 0;
  value.m_zoneMinute = 0;
  value.m_type = kind;
  value.m_year = static_cast<int16_t>(f.year);
  value.m_month = static_cast<uint8_t>(f.month);
  value.m_day = static_cast<uint8_t>(f.day);
  value.m_hour = static_cast<uint8_t>(f.hour);
  value.m_minute = static_cast<uint8_t>(f.minute);
  value.m_second = static_cast<uint8_t>(f.second);
  value.m_milli = static_cast<uint16_t>(f.milli);
  value.m_micro = static_cast<uint16_t>(f.micro);
  value.m_nano = static_cast<uint16_t>(f.nano);
  // The wide values, not the stored ones: a month of 257 must not pass as 1.
  Validate(kind, f);
}

void DateTimeAccess::Validate(CDateTime::DTType kind, const WideFields& f) {
  const wchar_t* name = DateKindName(kind);
  if (kind == CDateTime::dt_invalid) {
    msg::ThrowValue(msg::kYearZero);
  }
  if (KindIn(kind, kMonthKinds)) {
    if (f.month < 1 || f.month > 12) msg::ThrowValue(msg::kMonthRange, f.month);
  } else if (f.month != 0) {
    msg::ThrowValue(msg::kMonthUnused, f.month, name);
  }
  if (KindIn(kind, kYearKinds)) {
    if (f.year == 0 || f.year < kMinYear || f.year > kMaxYear) {
      msg::ThrowValue(msg::kYearRange, f.year, kMinYear, kMaxYear);
    }
  } else if (f.year != 0) {
    msg::ThrowValue(msg::kYearUnused, f.year, name);
  }
  if (kind == CDateTime::dt_dateTime || kind == CDateTime::dt_date) {
    if (f.day < 1 || f.day > DaysInMonth(f.year, f.month)) msg::ThrowValue(msg::kDayInMonth, f.day);
  } else if (kind == CDateTime::dt_gMonthDay) {
    // No year to say whether February has a 29th, so it always may.
    if (f.day < 1 || f.day > MaxDaysInMonth(f.month)) msg::ThrowValue(msg::kDayInMonthDay, f.day);
  } else if (kind == CDateTime::dt_gDay) {
    if (f.day < 1 || f.day > 31) msg::ThrowValue(msg::kDayRange, f.day);
  } else if (f.day != 0) {
    msg::ThrowValue(msg::kDayUnused, f.day, name);
  }
  if (KindIn(kind, kTimeKinds)) {
    if (f.hour < 0 || f.hour > 23) msg::ThrowValue(msg::kHourRange, f.hour);
    if (f.minute < 0 || f.minute > 59) msg::ThrowValue(msg::kMinuteRange, f.minute);
    if (f.second < 0 || f.second > 59) msg::ThrowValue(msg::kSecondRange, f.second);
    if (f.milli < 0 || f.milli > 999) msg::ThrowValue(msg::kMilliRange, f.milli);
    if (f.micro < 0 || f.micro > 999) msg::ThrowValue(msg::kMicroRange, f.micro);
    if (f.nano < 0 || f.nano > 999) msg::ThrowValue(msg::kNanoRange, f.nano);
  } else {
    if (f.hour != 0) msg::ThrowValue(msg::kHourUnused, f.hour, name);
    if (f.minute != 0) msg::ThrowValue(msg::kMinuteUnused, f.minute, name);
    if (f.second != 0) msg::ThrowValue(msg::kSecondUnused, f.second, name);
    if (f.milli != 0) msg::ThrowValue(msg::kMilliUnused, f.milli, name);
    if (f.micro != 0) msg::ThrowValue(msg::kMicroUnused, f.micro, name);
    if (f.nano != 0) msg::ThrowValue(msg::kNanoUnused, f.nano, name);
  }
}

Instant DateTimeAccess::ToInstant(const CDateTime& value) {
  // A time sits on an arbitrary fixed day; only differences between times matter.
  constexpr int64_t kTimeDay = 1096;  // 1973-01-01
  const bool hasTime = KindIn(value.m_type, kTimeKinds);
  const int64_t days = value.m_type == CDateTime::dt_time
                           ? kTimeDay
                           : DaysFromCivil(value.m_year, value.m_month, value.m_day);
  int64_t seconds = days * kSecondsPerDay;
  int64_t nanoseconds = 0;
  if (hasTime) {
    seconds += value.m_hour * 3600 + value.m_minute * 60 + value.m_second;
    nanoseconds = value.m_milli * int64_t{1000000} + value.m_micro * 1000 + value.m_nano;
  }
  if (value.m_hasTimeZone) {
    const int64_t offsetMinutes =
        value.m_zoneHour * 60 + (value.m_zoneHour < 0 ? -value.m_zoneMinute : value.m_zoneMinute);
    seconds -= offsetMinutes * 60;
  }
  return Instant{seconds + FloorDiv(nanoseconds, 1000000000), FloorMod(nanoseconds, 1000000000)};
}

}  // namespace detail

// ---------------------------------------------------------------------------
// Construction and assignment

CDateTime::CDateTime() { DateTimeAccess::Clear(*this); }

CDateTime::CDateTime(DTType type) : CDateTime() { m_type = type; }

CDateTime::CDateTime(const CDateTime& other) = default;

CDateTime::CDateTime(const wchar_t* text) : CDateTime() { ParseXSDDateTime(text); }

CDateTime::CDateTime(const int64_t& time) : CDateTime() {
  SetOrClear(*this, [&] { *this = time; });
}

CDateTime::CDateTime(const SYSTEMTIME& time) : CDateTime() {
  SetOrClear(*this, [&] { *this = time; });
}

CDateTime::CDateTime(const FILETIME& time) : CDateTime() {
  SetOrClear(*this, [&] { *this = time; });
}

CDateTime::CDateTime(int16_t year, uint8_t month, uint8_t day) : CDateTime() {
  SetOrClear(*this, [&] { SetDate(year, month, day); });
}

CDateTime::CDateTime(int16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                     uint8_t second)
    : CDateTime() {
  SetOrClear(*this, [&] { SetDateTime(year, month, day, hour, minute, second); });
}

CDateTime::CDateTime(int16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                     uint8_t second, uint16_t milli, uint16_t micro, uint16_t nano)
    : CDateTime() {
  SetOrClear(*this,
             [&] { SetDateTime(year, month, day, hour, minute, second, milli, micro, nano); });
}

CDateTime::~CDateTime() = default;

CDateTime CDateTime::GetTickCount() {
  CDateTime now;
  now = detail::platform::LocalNow();
  return now;
}

CDateTime& CDateTime::operator=(const CDateTime& other) = default;

CDateTime& CDateTime::operator=(const int64_t& time) {
  const int64_t days = detail::FloorDiv(time, detail::kSecondsPerDay);
  const int64_t secondOfDay = detail::FloorMod(time, detail::kSecondsPerDay);
  const detail::CivilDate date = detail::CivilFromDays(days);
  if (date.year < std::numeric_limits<int32_t>::min() ||
      date.year > std::numeric_limits<int32_t>::max()) {
    msg::ThrowValue(msg::kTimeOutOfRange, time);
  }
  WideFields f;
  f.year = static_cast<int32_t>(date.year);
  f.month = date.month;
  f.day = date.day;
  f.hour = static_cast<int32_t>(secondOfDay / 3600);
  f.minute = static_cast<int32_t>(secondOfDay / 60 % 60);
  f.second = static_cast<int32_t>(secondOfDay % 60);
  DateTimeAccess::Set(*this, dt_dateTime, f);
  return *this;
}

CDateTime& CDateTime::operator=(const SYSTEMTIME& time) {
  DateTimeAccess::Set(*this, dt_dateTime, FromSystemTime(time));
  return *this;
}

CDateTime& CDateTime::operator=(const FILETIME& time) {
  SYSTEMTIME systemTime{};
  if (!detail::FileTimeToSystemTime(time, systemTime)) {
    msg::ThrowValue(msg::kFileTime);
  }
  return *this = systemTime;
}

// ---------------------------------------------------------------------------
// Whole-value setters

void CDateTime::SetDateTime(int16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                            uint8_t second) {
  SetDateTime(year, month, day, hour, minute, second, 0, 0, 0);
}

void CDateTime::SetDateTime(int16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                            uint8_t second, uint16_t milli, uint16_t micro, uint16_t nano) {
  DateTimeAccess::Set(*this, dt_dateTime,
                      DateTimeFields(year, month, day, hour, minute, second, milli, micro, nano));
}

void CDateTime::SetDate(int16_t year, uint8_t month, uint8_t day) {
  DateTimeAccess::Set(*this, dt_date, DateTimeFields(year, month, day, 0, 0, 0, 0, 0, 0));
}

void CDateTime::SetGYear(int16_t year) {
  DateTimeAccess::Set(*this, dt_gYear, DateTimeFields(year, 0, 0, 0, 0, 0, 0, 0, 0));
}

void CDateTime::SetGYearMonth(int16_t year, uint8_t month) {
  DateTimeAccess::Set(*this, dt_gYearMonth, DateTimeFields(year, month, 0, 0, 0, 0, 0, 0, 0));
}

void CDateTime::SetGMonth(uint8_t month) {
  DateTimeAccess::Set(*this, dt_gMonth, DateTimeFields(0, month, 0, 0, 0, 0, 0, 0, 0));
}

void CDateTime::SetGMonthDay(uint8_t month, uint8_t day) {
  DateTimeAccess::Set(*this, dt_gMonthDay, DateTimeFields(0, month, day, 0, 0, 0, 0, 0, 0));
}

void CDateTime::SetGDay(uint8_t day) {
  DateTimeAccess::Set(*this, dt_gDay, DateTimeFields(0, 0, day, 0, 0, 0, 0, 0, 0));
}

void CDateTime::SetTime(uint8_t hour, uint8_t minute, uint8_t second) {
  SetTime(hour, minute, second, 0, 0, 0);
}

void CDateTime::SetTime(uint8_t hour, uint8_t minute, uint8_t second, uint16_t milli,
                        uint16_t micro, uint16_t nano) {
  DateTimeAccess::Set(*this, dt_time,
                      DateTimeFields(0, 0, 0, hour, minute, second, milli, micro, nano));
}

void CDateTime::SetFracTime(uint16_t milli, uint16_t micro, uint16_t nano) {
  SetTime(0, 0, 0, milli, micro, nano);
}

void CDateTime::SetDateTime(const CDateTime& source, DTType target) {
  using detail::KindBit;
  // The kinds each source kind can give besides itself (and dt_invalid).
  constexpr uint32_t kEveryKind = (1u << 9) - 1;
  static constexpr uint32_t kTargets[] = {
      /* yearZero   */ 0,
      /* dateTime   */ kEveryKind,
      /* date       */ KindBit(dt_gYearMonth) | KindBit(dt_gYear) | KindBit(dt_gDay) |
          KindBit(dt_gMonth) | KindBit(dt_gMonthDay),
      /* gYearMonth */ KindBit(dt_gYear) | KindBit(dt_gMonth),
      /* gYear      */ 0,
      /* time       */ 0,
      /* gDay       */ 0,
      /* gMonth     */ 0,
      /* gMonthDay  */ KindBit(dt_gDay) | KindBit(dt_gMonth),
  };
  const auto sourceIndex = static_cast<uint32_t>(source.m_type);
  if (sourceIndex >= sizeof kTargets / sizeof kTargets[0]) {
    msg::ThrowValue(msg::kUnknownType, static_cast<int32_t>(source.m_type));
  }
  if (target != source.m_type && target != dt_invalid && !KindIn(target, kTargets[sourceIndex])) {
    msg::ThrowValue(msg::kConversionRefused, detail::DateKindName(target),
                    detail::DateKindName(source.m_type));
  }
  *this = source;
  m_type = target;
}

// ---------------------------------------------------------------------------
// Field access

namespace {

// Throws the accessor's message unless the kind has the field.
inline void RequireField(CDateTime::DTType kind, uint32_t kinds, const wchar_t* message) {
  if (!KindIn(kind, kinds)) {
    msg::ThrowState(message, detail::DateKindName(kind));
  }
}

}  // namespace

int16_t CDateTime::GetYear() const {
  RequireField(m_type, detail::kYearKinds, msg::kGetYear);
  return m_year;
}

uint8_t CDateTime::GetMonth() const {
  RequireField(m_type, detail::kMonthKinds, msg::kGetMonth);
  return m_month;
}

uint8_t CDateTime::GetDay() const {
  RequireField(m_type, detail::kDayKinds, msg::kGetDay);
  return m_day;
}

uint8_t CDateTime::GetHour() const {
  RequireField(m_type, detail::kTimeKinds, msg::kGetHour);
  return m_hour;
}

uint8_t CDateTime::GetMinute() const {
  RequireField(m_type, detail::kTimeKinds, msg::kGetMinute);
  return m_minute;
}

uint8_t CDateTime::GetSecond() const {
  RequireField(m_type, detail::kTimeKinds, msg::kGetSecond);
  return m_second;
}

uint16_t CDateTime::GetMilliSecond() const {
  RequireField(m_type, detail::kTimeKinds, msg::kGetMilliSecond);
  return m_milli;
}

uint16_t CDateTime::GetMicroSecond() const {
  RequireField(m_type, detail::kTimeKinds, msg::kGetMicroSecond);
  return m_micro;
}

uint16_t CDateTime::GetNanoSecond() const {
  RequireField(m_type, detail::kTimeKinds, msg::kGetNanoSecond);
  return m_nano;
}

double CDateTime::GetRealSecond() const {
  RequireField(m_type, detail::kTimeKinds, msg::kGetRealSecond);
  const int64_t fraction = m_milli * int64_t{1000000} + m_micro * 1000 + m_nano;
  return m_second + static_cast<double>(fraction) / 1e9;
}

void CDateTime::SetYear(int16_t year) {
  RequireField(m_type, detail::kYearKinds, msg::kGetYear);
  m_year = year;
}

void CDateTime::SetMonth(uint8_t month) {
  RequireField(m_type, detail::kMonthKinds, msg::kGetMonth);
  m_month = month;
}

void CDateTime::SetDay(uint8_t day) {
  RequireField(m_type, detail::kDayKinds, msg::kGetDay);
  m_day = day;
}

void CDateTime::SetHour(uint8_t hour) {
  RequireField(m_type, detail::kTimeKinds, msg::kGetHour);
  m_hour = hour;
}

void CDateTime::SetMinute(uint8_t minute) {
  RequireField(m_type, detail::kTimeKinds, msg::kGetMinute);
  m_minute = minute;
}

void CDateTime::SetSecond(uint8_t second) {
  RequireField(m_type, detail::kTimeKinds, msg::kGetSecond);
  m_second = second;
}

void CDateTime::SetMilliSecond(uint16_t milli) {
  RequireField(m_type, detail::kTimeKinds, msg::kGetMilliSecond);
  m_milli = milli;
}

void CDateTime::SetMicroSecond(uint16_t micro) {
  RequireField(m_type, detail::kTimeKinds, msg::kGetMicroSecond);
  m_micro = micro;
}

void CDateTime::SetNanoSecond(uint16_t nano) {
  RequireField(m_type, detail::kTimeKinds, msg::kGetNanoSecond);
  m_nano = nano;
}

CDateTime::DTType CDateTime::GetType() const { return m_type; }

std::wstring CDateTime::GetTypeAsString() const { return detail::DateKindName(m_type); }

// ---------------------------------------------------------------------------
// Zone

bool CDateTime::IsUTC() const { return m_utc; }

bool CDateTime::HasTimeZone() const { return m_hasTimeZone; }

int16_t CDateTime::GetZoneHour() const {
  if (!m_hasTimeZone) msg::ThrowState(msg::kZoneNotUsed);
  return m_zoneHour;
}

uint8_t CDateTime::GetZoneMinute() const {
  if (!m_hasTimeZone) msg::ThrowState(msg::kZoneNotUsed);
  return m_zoneMinute;
}

void CDateTime::SetTimeZone(int16_t hour, uint8_t minute) {
  if (hour < -23 || hour > 23 || minute > 59) {
    msg::ThrowValue(msg::kInvalidTimeZone, static_cast<int32_t>(hour),
                    static_cast<int32_t>(minute));
  }
  m_utc = m_hasTimeZone = true;
  m_zoneHour = hour;
  m_zoneMinute = minute;
}

void CDateTime::SetUTC() {
  m_utc = true;
  m_hasTimeZone = false;
  m_zoneHour = 0;
  m_zoneMinute = 0;
}

// ---------------------------------------------------------------------------
// Calendar queries

int64_t CDateTime::GetTime() const {
  if (!KindIn(m_type, detail::kCalendarKinds)) {
    msg::ThrowValue(msg::kGetTime, detail::DateKindName(m_type));
  }
  return DateTimeAccess::ToInstant(*this).seconds;
}

int32_t CDateTime::GetDayOfWeek() const {
  RequireField(m_type, detail::kCalendarKinds, msg::kGetDayOfWeek);
  // DaysFromCivil counts on through months of unvalidated values, so any
  // stored month and day give an answer.
  return detail::WeekdayFromDays(detail::DaysFromCivil(m_year, m_month, m_day)) + 1;
}

int32_t CDateTime::GetDayOfYear() const {
  RequireField(m_type, detail::kCalendarKinds, msg::kGetDayOfYear);
  if (m_month < 1 || m_month > 12) {
    msg::ThrowValue(msg::kMonthRange, static_cast<int32_t>(m_month));
  }
  return detail::DaysBeforeMonth(m_year, m_month) + m_day;
}

SYSTEMTIME CDateTime::GetAsSystemTime() const {
  if (m_type != dt_dateTime) {
    msg::ThrowValue(msg::kGetAsSystemTime, detail::DateKindName(m_type));
  }
  if (m_year < 1) {
    msg::ThrowValue(msg::kSystemTimeYear, static_cast<int32_t>(m_year));
  }
  SYSTEMTIME time{};
  time.wYear = static_cast<uint16_t>(m_year);
  time.wMonth = m_month;
  time.wDayOfWeek = static_cast<uint16_t>(GetDayOfWeek() - 1);
  time.wDay = m_day;
  time.wHour = m_hour;
  time.wMinute = m_minute;
  time.wSecond = m_second;
  time.wMilliseconds = m_milli;
  return time;
}

// ---------------------------------------------------------------------------
// Validation

void CDateTime::Validate() const {
  DateTimeAccess::Validate(m_type, DateTimeFields(m_year, m_month, m_day, m_hour, m_minute,
                                                  m_second, m_milli, m_micro, m_nano));
}

}  // namespace Korvel
