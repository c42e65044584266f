// SPDX-License-Identifier: MIT
// The canonical text of the number and date values, appended to a string the
// caller keeps: what ToString() gives, without a string of its own, so that a
// writer reusing one buffer prints values without allocating.
#pragma once

#include <cstddef>
#include <string>

#include <korvel/big_integer.h>
#include <korvel/date_time.h>
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

}  // namespace Korvel::detail
