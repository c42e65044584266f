// SPDX-License-Identifier: MIT
// Access to CBigInteger's sign and digits for the other number types.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include <korvel/big_integer.h>

namespace Korvel::detail {

struct BigIntegerAccess {
  static const CBigInteger::Digits& DigitsOf(const CBigInteger& value) noexcept {
    return value.m_digits;
  }
  // -1, 0 or +1: the sign of the value, whatever sign a zero carries.
  static int SignOf(const CBigInteger& value) noexcept { return value.IsZero() ? 0 : value.m_sign; }
  // The sign the value carries, -1 also for a zero made negative.
  static std::int32_t CarriedSign(const CBigInteger& value) noexcept { return value.m_sign; }
  static CBigInteger Make(std::int32_t sign, CBigInteger::Digits digits) {
    return CBigInteger(sign, std::move(digits));
  }
};

// Text already held to the XSD form (+|-)?[0-9]+, read in one pass: the value
// and sign CBigInteger's own parser gives it.
CBigInteger ParseXsdInteger(std::wstring_view text);

}  // namespace Korvel::detail
