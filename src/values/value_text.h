// SPDX-License-Identifier: MIT
// The canonical text of the number and date values, appended to a string the
// caller keeps: what ToString() gives, without a string of its own, so that a
// writer reusing one buffer prints values without allocating.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <korvel/big_integer.h>
#include <korvel/date_time.h>
#include <korvel/date_time_span.h>
#include <korvel/decimal.h>

namespace Korvel::detail {

// Appends the count characters fill(p) writes at p: put together on the
// stack when short, as numbers nearly always are, so that out grows once
// rather than in steps.
template <class Fill>
void AppendFilled(std::wstring& out, std::size_t count, Fill fill) {
  constexpr std::size_t kShort = 64;
  if (count <= kShort) {
    wchar_t text[kShort];
    fill(text);
    out.append(text, count);
    return;
  }
  const std::size_t start = out.size();
  out.resize(start + count);
  fill(&out[start]);
}

void AppendText(const CBigInteger& value, std::wstring& out);
void AppendText(const CDecimal& value, std::wstring& out);
// The "s" form.
void AppendText(const CDateTime& value, std::wstring& out);

// Room on the stack for the text of a number or a date, the values writers
// print most: printed there, a value costs no string of its own.
class ShortText {
 public:
  static constexpr std::size_t kCapacity = 64;

  std::wstring_view View() const noexcept { return std::wstring_view(m_text, m_size); }
  // The count characters fill writes, in place of what was held; false, with
  // nothing changed, when they do not fit.
  template <class Fill>
  bool PutFilled(std::size_t count, Fill fill) {
    if (count > kCapacity) return false;
    fill(m_text);
    m_size = count;
    return true;
  }

 private:
  wchar_t m_text[kCapacity];
  std::size_t m_size = 0;
};

// The text AppendText gives, put into out; false, with nothing put, when it
// does not fit.
bool PutText(const CBigInteger& value, ShortText& out);
bool PutText(const CDecimal& value, ShortText& out);
bool PutText(const CDateTime& value, ShortText& out);
bool PutText(const CDateTimeSpan& value, ShortText& out);
// The shortest text that reads back as the value.
bool PutRealText(float value, ShortText& out);
bool PutRealText(double value, ShortText& out);
// Plain decimal digits, "-" first when negative.
void PutSignedText(int64_t value, ShortText& out);
void PutUnsignedText(uint64_t value, ShortText& out);
// A month ("--05") and a day ("---07").
void PutMonthText(uint8_t value, ShortText& out);
void PutDayText(uint8_t value, ShortText& out);

}  // namespace Korvel::detail
