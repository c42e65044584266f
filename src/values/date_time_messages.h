// SPDX-License-Identifier: MIT
// The messages of dates, times and durations, and the helpers that throw them.
#pragma once

#include <cstddef>

#include <korvel/errors.h>

namespace Korvel::detail::dt_msg {

// Kind checks (CKvInvalidStateException unless noted).
inline constexpr wchar_t kKindMismatch[] =
    L"Failed to copy CDateTime. Invalid Date Type: %s, expected: %s.";
inline constexpr wchar_t kConversionRefused[] =  // CKvInvalidValueException
    L"Attempting to set a CDateTime of type %s using an XmlDateTime of type %s. The source "
    L"CDateTime does not contian enough data to allow the conversion.";
inline constexpr wchar_t kUnknownType[] = L"Unknown date type %d.";  // CKvInvalidValueException
inline constexpr wchar_t kGetYear[] = L"Failed to GetYear. Invalid Date Type: %s.";
inline constexpr wchar_t kGetMonth[] = L"Failed to GetMonth. Invalid Date Type: %s.";
inline constexpr wchar_t kGetDay[] = L"Failed to GetDay. Invalid Date Type: %s.";
inline constexpr wchar_t kGetHour[] = L"Failed to GetHour. Invalid Date Type: %s.";
inline constexpr wchar_t kGetMinute[] = L"Failed to GetMinute. Invalid Date Type: %s.";
inline constexpr wchar_t kGetSecond[] = L"Failed to GetSecond. Invalid Date Type: %s.";
inline constexpr wchar_t kGetMilliSecond[] = L"Failed to GetMilliSecond. Invalid Date Type: %s.";
inline constexpr wchar_t kGetMicroSecond[] = L"Failed to GetMicroSecond. Invalid Date Type: %s.";
inline constexpr wchar_t kGetNanoSecond[] = L"Failed to GetNanoSecond. Invalid Date Type: %s.";
inline constexpr wchar_t kGetRealSecond[] = L"Failed to GetRealSecond. Invalid Date Type: %s.";
inline constexpr wchar_t kGetDayOfWeek[] = L"Failed to GetDayOfWeek. Invalid Date Type: %s.";
inline constexpr wchar_t kGetDayOfYear[] = L"Failed to GetDayOfYear. Invalid Date Type: %s.";
inline constexpr wchar_t kZoneNotUsed[] = L"TimeZone is not been used";
inline constexpr wchar_t kSubtractKinds[] =
    L"Failed to subtract a CDateTime of type %s from a CDateTime of type %s.";

// Conversions (CKvInvalidValueException).
inline constexpr wchar_t kGetTime[] =
    L"Failed to GetTime, Date Status must be dateTime or date. Invalid Date Type: %s.";
inline constexpr wchar_t kGetAsSystemTime[] =
    L"Failed to GetAsSystemTime, Date Status must be dateTime. Invalid Date Type: %s.";
inline constexpr wchar_t kSystemTimeYear[] =
    L"Failed to GetAsSystemTime, the year [%d] is before year 1.";
inline constexpr wchar_t kFileTime[] = L"Failed to convert FILETIME to SYSTEMTIME";
inline constexpr wchar_t kTimeOutOfRange[] =
    L"Failed to convert the time [%I64d] to a CDateTime: its year is out of range.";
inline constexpr wchar_t kInvalidTimeZone[] = L"Invalid TimeZone [%d:%d]";

// Parsing (CKvInvalidValueException).
inline constexpr wchar_t kDateNull[] = L"Invalid Date (Null String)";
inline constexpr wchar_t kDateEmpty[] = L"Invalid Date (Empty String)";
inline constexpr wchar_t kDateWithT[] = L"Invalid Date ('T' not allowed)";
inline constexpr wchar_t kDateBadZone[] = L"Invalid Date (Bad Zone value)";
inline constexpr wchar_t kDateForm[] = L"Invalid XSD Date [%s] expected CCYY-MM-DD[Z|[+|-]hh:mm]";
inline constexpr wchar_t kTimeNull[] = L"Invalid Time (Null String)";
inline constexpr wchar_t kTimeEmpty[] = L"Invalid XSD Time (Empty String)";
inline constexpr wchar_t kTimeForm[] = L"Invalid XSD Time [%s] expected hh:mm:ss[.ff]";
inline constexpr wchar_t kTimeFraction[] = L"Invalid XSD Time [%s] Fraction part too long";
inline constexpr wchar_t kZoneForm[] = L"Invalid XSD Time Zone [%s].";
inline constexpr wchar_t kDateTimeNull[] = L"Invalid DateTime (Null String)";
inline constexpr wchar_t kDateTimeNoT[] = L"Invalid XSD DateTime [%s].";
inline constexpr wchar_t kDateTimeForm[] =
    L"Invalid XSD DateTime [%s] expected CCYY-MM-DDThh:mm:ss[.ff]";
inline constexpr wchar_t kDurationNull[] = L"Invalid XSD Duration (Null String)";
inline constexpr wchar_t kDurationEmpty[] = L"Invalid XSD Duration (Empty String)";
inline constexpr wchar_t kDurationForm[] =
    L"Invalid XSD Duration [%s] expected [-]P[nY][nM][nD][T[nH][nM][nS.ff]]";
inline constexpr wchar_t kDurationFraction[] = L"Invalid XSD Duration [%s] Fraction part too long";
inline constexpr wchar_t kDurationNumber[] = L"Invalid XSD Duration [%s] Number too large";

// Validation (CKvInvalidValueException), in the order of the checks.
inline constexpr wchar_t kYearZero[] = L"Invalid Year Zero";
inline constexpr wchar_t kMonthRange[] = L"Invalid Month [%d] (1 <= month <= 12)";
inline constexpr wchar_t kMonthUnused[] = L"Invalid Month [%d] for type %s";
inline constexpr wchar_t kYearRange[] = L"Invalid Year [%d] (%d <= year <= %d && year != 0)";
inline constexpr wchar_t kYearUnused[] = L"Invalid Year [%d] for type %s";
// Without its closing parenthesis, as it has always been reported.
inline constexpr wchar_t kDayInMonth[] = L"Invalid Day [%d] (1 <= day <= days in month";
inline constexpr wchar_t kDayInMonthDay[] = L"Invalid Day [%d] (1 <= day <= days in month)";
inline constexpr wchar_t kDayRange[] = L"Invalid Day [%d] (1 <= day <= 31)";
inline constexpr wchar_t kDayUnused[] = L"Invalid Day [%d] for type %s";
inline constexpr wchar_t kHourRange[] = L"Invalid Hour [%d] (0 <= hour <= 23)";
inline constexpr wchar_t kMinuteRange[] = L"Invalid Minute [%d] (0 <= minute <= 59)";
inline constexpr wchar_t kSecondRange[] = L"Invalid Second [%d] (0 <= second <= 59)";
inline constexpr wchar_t kMilliRange[] = L"Invalid Milli-Second [%d] (0 <= milli <= 999)";
inline constexpr wchar_t kMicroRange[] = L"Invalid Micro-Second [%d] (0 <= micro <= 999)";
inline constexpr wchar_t kNanoRange[] = L"Invalid Nano-Second [%d] (0 <= nano <= 999)";
inline constexpr wchar_t kHourUnused[] = L"Invalid Hour [%d] for type %s";
inline constexpr wchar_t kMinuteUnused[] = L"Invalid Minute [%d] for type %s";
inline constexpr wchar_t kSecondUnused[] = L"Invalid Second [%d] for type %s";
inline constexpr wchar_t kMilliUnused[] = L"Invalid Milli-Second [%d] for type %s";
inline constexpr wchar_t kMicroUnused[] = L"Invalid Micro-Second [%d] for type %s";
inline constexpr wchar_t kNanoUnused[] = L"Invalid Nano-Second [%d] for type %s";

// Throw helpers: formatting happens here, away from the callers' hot paths.
// The arguments are those of the format (ints and wide C strings).
template <class... Args>
[[noreturn, gnu::noinline, gnu::cold]] void ThrowValue(const wchar_t* format, Args... args) {
  throw CKvInvalidValueException(FormatString(format, args...));
}
template <class... Args>
[[noreturn, gnu::noinline, gnu::cold]] void ThrowState(const wchar_t* format, Args... args) {
  throw CKvInvalidStateException(FormatString(format, args...));
}
// A CKvInvalidValueException whose single %s is the given piece of text.
[[noreturn]] void ThrowValueText(const wchar_t* format, const wchar_t* text, size_t length);

}  // namespace Korvel::detail::dt_msg
