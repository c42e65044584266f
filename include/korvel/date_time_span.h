// SPDX-License-Identifier: MIT
// CDateTimeSpan: an XSD duration, kept as separate field counts and one sign.
#pragma once

#include <cstdint>
#include <string>

#include <korvel/date_time.h>
#include <korvel/export.h>

namespace Korvel {

// The fields are not normalised: PT90M stays 90 minutes and prints as such.
class KORVEL_API CDateTimeSpan {
 public:
  CDateTimeSpan();
  CDateTimeSpan(const CDateTimeSpan& other);
  // The fields not given are zero; the sign is positive.
  CDateTimeSpan(uint32_t hours, uint64_t minutes, uint64_t seconds);
  CDateTimeSpan(uint16_t years, uint32_t months, uint32_t days, uint32_t hours, uint64_t minutes,
                uint64_t seconds);
  CDateTimeSpan(uint16_t years, uint32_t months, uint32_t days, uint32_t hours, uint64_t minutes,
                uint64_t seconds, uint16_t milli, uint16_t micro, uint16_t nano);
  virtual ~CDateTimeSpan();

  CDateTimeSpan& operator=(const CDateTimeSpan& other);

  // Replace the whole value, as the constructors do.
  void SetDateTimeSpan(uint32_t hours, uint64_t minutes, uint64_t seconds);
  void SetDateTimeSpan(uint16_t years, uint32_t months, uint32_t days, uint32_t hours,
                       uint64_t minutes, uint64_t seconds);
  void SetDateTimeSpan(uint16_t years, uint32_t months, uint32_t days, uint32_t hours,
                       uint64_t minutes, uint64_t seconds, uint16_t milli, uint16_t micro,
                       uint16_t nano);

  uint16_t GetYears() const;
  uint32_t GetMonths() const;
  uint32_t GetDays() const;
  uint32_t GetHours() const;
  uint64_t GetMinutes() const;
  uint64_t GetSeconds() const;
  uint16_t GetMilliSeconds() const;
  uint16_t GetMicroSeconds() const;
  uint16_t GetNanoSeconds() const;
  void SetYears(uint16_t years);
  void SetMonths(uint32_t months);
  void SetDays(uint32_t days);
  void SetHours(uint32_t hours);
  void SetMinutes(uint64_t minutes);
  void SetSeconds(uint64_t seconds);
  void SetMilliSeconds(uint16_t milli);
  void SetMicroSeconds(uint16_t micro);
  void SetNanoSeconds(uint16_t nano);

  bool IsNegative() const;
  // Flips the sign.
  void Negate();
  // A copy with the sign set to negative (a negative value stays negative).
  CDateTimeSpan GetAsNegative() const;

  // [-]P[nY][nM][nD][T[nH][nM][n[.fffffffff]S]]; all fields are cleared first.
  void ParseXSDDuration(const wchar_t* text);
  // The XSD form; a zero duration is "P".
  std::wstring ToString() const;

  // The XSD order: both durations added to four reference instants, which must
  // all agree (P1M and P30D, for one, are not ordered).
  CDateTime::DTCompareResult CompareTo(const CDateTimeSpan& other) const;
  bool operator==(const CDateTimeSpan& other) const;
  bool operator!=(const CDateTimeSpan& other) const;
  bool operator<(const CDateTimeSpan& other) const;
  bool operator>(const CDateTimeSpan& other) const;

 private:
  uint16_t m_years;
  uint32_t m_months;
  uint32_t m_days;
  uint32_t m_hours;
  uint64_t m_minutes;
  uint64_t m_seconds;
  uint16_t m_milli;
  uint16_t m_micro;
  uint16_t m_nano;
  bool m_negative;
};

}  // namespace Korvel
