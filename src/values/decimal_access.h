// SPDX-License-Identifier: MIT
// Access to CDecimal's parts, and the scaled-integer view its arithmetic uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include <korvel/decimal.h>

#include "values/big_integer_digits.h"

namespace Korvel::detail {

// Text already held to the XSD form (+|-)?([0-9]+(.[0-9]*)?|.[0-9]+), read in
// one pass: the value, places and sign CDecimal's own parser gives it.
CDecimal ParseXsdDecimal(std::wstring_view text);

struct DecimalAccess {
  static const CBigInteger& IntegerPart(const CDecimal& value) noexcept {
    return value.m_integerPart;
  }
  static const CBigInteger& FractionPart(const CDecimal& value) noexcept {
    return value.m_fractionPart;
  }
  static std::size_t Divider(const CDecimal& value) noexcept {
    return static_cast<std::size_t>(value.m_fractionDivider);
  }
  static CDecimal Make(CBigInteger integerPart, CBigInteger fractionPart, std::int32_t divider) {
    return CDecimal(std::move(integerPart), std::move(fractionPart), divider);
  }
};

// -1, 0 or +1.
int ValueSign(const CDecimal& value) noexcept;
// |value| × 10^places; places is at least the value's divider.
Digits ScaledMagnitude(const CDecimal& value, std::size_t places);
// sign × magnitude / 10^places, both parts carrying the sign.
CDecimal FromScaled(int sign, Digits magnitude, std::size_t places);
// Divides the magnitude by 10^count, rounding to the nearest; an exact half
// goes away from zero when halfAway is set and stays otherwise.
void RoundOff(Digits& magnitude, std::size_t count, bool halfAway);

}  // namespace Korvel::detail
