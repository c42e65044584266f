// SPDX-License-Identifier: MIT
// A fixed buffer in which a date or a duration is printed before it becomes a
// string, so printing costs one allocation at most.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Korvel::detail {

class DateTimeText {
 public:
  void Put(wchar_t c) { m_text[m_size++] = c; }

  // The decimal digits of value, zero-padded to at least width.
  void PutNumber(uint64_t value, int width) {
    // Years, months, days, hours, minutes and seconds: most of a date, in
    // exactly the width.
    if (width == 2 && value < 100) {
      Put(static_cast<wchar_t>(L'0' + value / 10));
      Put(static_cast<wchar_t>(L'0' + value % 10));
      return;
    }
    if (width == 4 && value < 10000) {
      PutNumber(value / 100, 2);
      PutNumber(value % 100, 2);
      return;
    }
    wchar_t digits[20];
    int count = 0;
    do {
      digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
      value /= 10;
    } while (value != 0);
    for (; width > count; --width) Put(L'0');
    while (count > 0) Put(digits[--count]);
  }

  // "." and the three-digit groups of the second's fraction, as far as the
  // last non-zero group and without its trailing zeros; nothing for zero.
  void PutFraction(uint16_t milli, uint16_t micro, uint16_t nano) {
    if (milli == 0 && micro == 0 && nano == 0) return;
    Put(L'.');
    PutNumber(milli, 3);
    if (micro != 0 || nano != 0) PutNumber(micro, 3);
    if (nano != 0) PutNumber(nano, 3);
    while (m_text[m_size - 1] == L'0') --m_size;  // the last group is not zero
  }

  std::wstring str() const { return std::wstring(m_text, m_size); }
  std::wstring_view View() const noexcept { return std::wstring_view(m_text, m_size); }
  void AppendTo(std::wstring& out) const { out.append(m_text, m_size); }

 private:
  // Enough for the widest value either type can hold (a duration with every
  // field at its maximum needs about 100).
  static constexpr size_t kCapacity = 128;
  wchar_t m_text[kCapacity];
  size_t m_size = 0;
};

}  // namespace Korvel::detail
