// SPDX-License-Identifier: MIT
// CDateTime: one value of any XSD date or time kind, with nanosecond fractions
// and an optional time zone.
#pragma once

#include <cstdint>
#include <string>

#include <korvel/export.h>
#include <korvel/system_time.h>

namespace Korvel {

class CDateTimeSpan;
namespace detail {
struct DateTimeAccess;
}

// A value holds one kind and only the fields of that kind; the others stay zero.
// Years are XSD years: negative years are BCE and year 0 is never valid.
class KORVEL_API CDateTime {
 public:
  // The kinds; GetTypeAsString gives their names, used in messages too.
  enum DTType : int32_t {
    dt_invalid = 0,     // "yearZero": nothing set yet
    dt_dateTime = 1,    // year to fraction
    dt_date = 2,        // year, month, day
    dt_gYearMonth = 3,  // year, month
    dt_gYear = 4,       // year
    dt_time = 5,        // hour to fraction
    dt_gDay = 6,        // day
    dt_gMonth = 7,      // month
    dt_gMonthDay = 8,   // month, day
  };

  // XSD order is partial: a value with a zone and one without may be unordered.
  enum DTCompareResult : int32_t {
    dtcr_equal = 0,
    dtcr_less = 1,
    dtcr_greater = 2,
    dtcr_indeterminate = 3,
  };

  CDateTime();
  // The kind only: no field is set and nothing is validated.
  explicit CDateTime(DTType type);
  CDateTime(const CDateTime& other);
  // Parses an XSD dateTime; parse errors are thrown.
  explicit CDateTime(const wchar_t* text);
  // The constructors below leave the value zeroed (dt_invalid) when the input
  // is not a valid date instead of throwing.
  explicit CDateTime(const int64_t& time);  // seconds since 1970-01-01T00:00:00 UTC
  explicit CDateTime(const SYSTEMTIME& time);
  explicit CDateTime(const FILETIME& time);
  CDateTime(int16_t year, uint8_t month, uint8_t day);
  CDateTime(int16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute, uint8_t second);
  CDateTime(int16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute, uint8_t second,
            uint16_t milli, uint16_t micro, uint16_t nano);
  virtual ~CDateTime();

  // The current local time of the machine, as a dateTime with milliseconds and no zone.
  static CDateTime GetTickCount();

  CDateTime& operator=(const CDateTime& other);
  // These three make a dateTime (UTC fields, no zone for time_t) and, like the
  // setters below, refuse an object that already holds another kind.
  CDateTime& operator=(const int64_t& time);
  CDateTime& operator=(const SYSTEMTIME& time);
  CDateTime& operator=(const FILETIME& time);

  // Whole-value setters: they clear the zone, store the fields and validate.
  void SetDateTime(int16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                   uint8_t second);
  void SetDateTime(int16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                   uint8_t second, uint16_t milli, uint16_t micro, uint16_t nano);
  void SetDate(int16_t year, uint8_t month, uint8_t day);
  void SetGYear(int16_t year);
  void SetGYearMonth(int16_t year, uint8_t month);
  void SetGMonth(uint8_t month);
  void SetGMonthDay(uint8_t month, uint8_t day);
  void SetGDay(uint8_t day);
  void SetTime(uint8_t hour, uint8_t minute, uint8_t second);
  void SetTime(uint8_t hour, uint8_t minute, uint8_t second, uint16_t milli, uint16_t micro,
               uint16_t nano);
  // A time of 00:00:00 with this fraction.
  void SetFracTime(uint16_t milli, uint16_t micro, uint16_t nano);
  // Copies source as kind target, which must need no field that source lacks
  // (a dateTime gives any kind, a date gives its parts, and so on).
  void SetDateTime(const CDateTime& source, DTType target);

  // Field access: each field only for the kinds that have it; setters do not
  // check ranges (Validate does).
  int16_t GetYear() const;
  uint8_t GetMonth() const;
  uint8_t GetDay() const;
  uint8_t GetHour() const;
  uint8_t GetMinute() const;
  uint8_t GetSecond() const;
  uint16_t GetMilliSecond() const;
  uint16_t GetMicroSecond() const;
  uint16_t GetNanoSecond() const;
  // The second with its fraction.
  double GetRealSecond() const;
  void SetYear(int16_t year);
  void SetMonth(uint8_t month);
  void SetDay(uint8_t day);
  void SetHour(uint8_t hour);
  void SetMinute(uint8_t minute);
  void SetSecond(uint8_t second);
  void SetMilliSecond(uint16_t milli);
  void SetMicroSecond(uint16_t micro);
  void SetNanoSecond(uint16_t nano);

  DTType GetType() const;
  std::wstring GetTypeAsString() const;

  // Zone: IsUTC is true for any zone; HasTimeZone only for a numeric offset, so
  // "Z" and "+00:00" are kept apart and print back as written.
  bool IsUTC() const;
  bool HasTimeZone() const;
  int16_t GetZoneHour() const;  // carries the sign of the offset
  uint8_t GetZoneMinute() const;
  void SetTimeZone(int16_t hour, uint8_t minute);
  void SetUTC();

  // Seconds since 1970-01-01T00:00:00 UTC (dateTime and date), fractions
  // dropped; a value without a zone is read as UTC. The machine's time zone
  // plays no part; years before 1970 give negative values.
  int64_t GetTime() const;
  // 1 (Sunday) to 7 (Saturday), of the value's own date (dateTime and date).
  int32_t GetDayOfWeek() const;
  // 1 to 366 (dateTime and date).
  int32_t GetDayOfYear() const;
  // dateTime only; years before 1 cannot be expressed and are refused.
  SYSTEMTIME GetAsSystemTime() const;

  // XSD lexical forms. Each parser clears the value first.
  void ParseXSDDateTime(const wchar_t* text);
  // Any date kind: the form of the text decides (2004, 2004-05, --05-01, ...).
  void ParseXSDDate(const wchar_t* text);
  void ParseXSDTime(const wchar_t* text);
  // Throws CKvInvalidValueException naming the first field out of range.
  void Validate() const;

  // ToString("s"): the XSD form of the value's kind.
  std::wstring ToString() const;
  // "s" for the XSD form; null, "" and "G" give ""; others give "Unknown Format: ..."
  std::wstring ToString(const wchar_t* format) const;

  // The value moved to UTC when it has a numeric offset (then "+00:00").
  CDateTime GetNormalized() const;
  DTCompareResult CompareTo(const CDateTime& other) const;
  bool operator==(const CDateTime& other) const;
  bool operator!=(const CDateTime& other) const;
  bool operator<(const CDateTime& other) const;
  bool operator<=(const CDateTime& other) const;
  bool operator>(const CDateTime& other) const;
  bool operator>=(const CDateTime& other) const;

  // Duration arithmetic by the XSD method: months first, then the time, then
  // the days month by month, starting from the day clamped to the length of
  // the month reached (2004-01-31 plus P1M is 2004-02-29). Subtracting a
  // negative duration moves the value forward.
  CDateTime operator+(const CDateTimeSpan& span) const;
  CDateTime& operator+=(const CDateTimeSpan& span);
  CDateTime operator-(const CDateTimeSpan& span) const;
  CDateTime& operator-=(const CDateTimeSpan& span);
  // The exact time between two dateTime or date values (a date counts from its
  // midnight) or two time values, in days, hours, minutes, seconds and
  // fractions; negative when this is the earlier. A value without a zone is
  // read as UTC. So other + (*this - other) == *this.
  CDateTimeSpan operator-(const CDateTime& other) const;

 private:
  friend struct detail::DateTimeAccess;

  DTType m_type;
  int16_t m_year;
  uint8_t m_month;
  uint8_t m_day;
  uint8_t m_hour;
  uint8_t m_minute;
  uint8_t m_second;
  uint16_t m_milli;
  uint16_t m_micro;
  uint16_t m_nano;
  bool m_utc;          // any zone, "Z" included
  bool m_hasTimeZone;  // a numeric offset
  int16_t m_zoneHour;
  uint8_t m_zoneMinute;
};

}  // namespace Korvel

// A difference of two dates is a duration: make CDateTimeSpan complete for
// every user of this header.
#include <korvel/date_time_span.h>
