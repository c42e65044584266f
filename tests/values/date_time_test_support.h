// SPDX-License-Identifier: MIT
// Helpers shared by the date and duration tests: a time-zone switch, an
// independent calendar through the C library, and message-format matching.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include <korvel/date_time.h>

namespace Korvel::testing {

// Sets TZ for one scope and restores it, so tests can prove that results do
// not depend on the machine's zone.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) {
      m_had = true;
      m_old = old;
    }
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;
  ~ScopedTimeZone() {
    if (m_had) {
      ::setenv("TZ", m_old.c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  bool m_had = false;
  std::string m_old;
};

// Zones far apart, with and without daylight saving; POSIX rules need no tzdata.
inline const char* const kTestZones[] = {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "JST-9",
                                         "NZST-12NZDT,M9.5.0,M4.1.0/3"};

// Seconds since 1970 of broken-down UTC fields, by the C library. Years are
// astronomical, which is how CDateTime numbers them too.
inline int64_t TimegmSeconds(int64_t year, int month, int day, int hour = 0, int minute = 0,
                             int second = 0) {
  std::tm t{};
  t.tm_year = static_cast<int>(year - 1900);
  t.tm_mon = month - 1;  // may lie outside 0..11: timegm carries it into the year
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return static_cast<int64_t>(::timegm(&t));
}

inline std::tm GmtimeFields(int64_t seconds) {
  const auto t = static_cast<time_t>(seconds);
  std::tm fields{};
  ::gmtime_r(&t, &fields);
  return fields;
}

// True if message is format with each %s replaced by any text and each %d by
// a decimal integer.
inline bool MatchesFormat(const wchar_t* format, const wchar_t* message) {
  if (*format == L'\0') return *message == L'\0';
  if (format[0] == L'%' && format[1] == L's') {
    for (const wchar_t* m = message;; ++m) {
      if (MatchesFormat(format + 2, m)) return true;
      if (*m == L'\0') return false;
    }
  }
  if (format[0] == L'%' && format[1] == L'd') {
    const wchar_t* m = message;
    if (*m == L'-') ++m;
    if (*m < L'0' || *m > L'9') return false;
    while (*m >= L'0' && *m <= L'9') ++m;
    return MatchesFormat(format + 2, m);
  }
  return *format == *message && MatchesFormat(format + 1, message + 1);
}

inline bool MatchesAnyFormat(const std::vector<const wchar_t*>& formats,
                             const std::wstring& message) {
  for (const wchar_t* format : formats) {
    if (MatchesFormat(format, message.c_str())) return true;
  }
  return false;
}

// Random text biased towards the characters the parsers care about.
inline std::wstring RandomLexicalText(std::mt19937& rng, const std::wstring& seed) {
  static const wchar_t kAlphabet[] = L"0123456789-:TZ+.PYMDHS \t/x\u00e9\U0001F600";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(kAlphabet)) - 2);
  std::uniform_int_distribution<int> coin(0, 3);
  std::wstring text = seed;
  if (text.empty() || coin(rng) == 0) {
    text.clear();
    const int length = std::uniform_int_distribution<int>(0, 30)(rng);
    for (int i = 0; i < length; ++i) text += kAlphabet[pick(rng)];
    return text;
  }
  // Mutate a valid text: replace, insert or delete a few characters.
  const int edits = std::uniform_int_distribution<int>(1, 3)(rng);
  for (int i = 0; i < edits; ++i) {
    const size_t pos = std::uniform_int_distribution<size_t>(0, text.size())(rng);
    switch (coin(rng)) {
      case 0:
        if (pos < text.size()) text[pos] = kAlphabet[pick(rng)];
        break;
      case 1:
        text.insert(text.begin() + static_cast<std::ptrdiff_t>(pos), kAlphabet[pick(rng)]);
        break;
      default:
        if (pos < text.size()) text.erase(pos, 1);
        break;
    }
  }
  return text;
}

}  // namespace Korvel::testing
