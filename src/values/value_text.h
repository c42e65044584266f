// SPDX-License-Identifier: MIT
// The canonical text of the number and date values, appended to a string the
// caller keeps: what ToString() gives, without a string of its own, so that a
// writer reusing one buffer prints values without allocating.
#pragma once

#include <string>

#include <korvel/big_integer.h>
#include <korvel/date_time.h>
#include <korvel/decimal.h>

namespace Korvel::detail {

void AppendText(const CBigInteger& value, std::wstring& out);
void AppendText(const CDecimal& value, std::wstring& out);
// The "s" form.
void AppendText(const CDateTime& value, std::wstring& out);

}  // namespace Korvel::detail
