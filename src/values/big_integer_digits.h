// SPDX-License-Identifier: MIT
// Arithmetic on magnitudes held as decimal digits, least significant first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include <korvel/big_integer.h>

namespace Korvel::detail {

using Digits = CBigInteger::Digits;

// Every function accepts operands with high-order zeros and, unless stated,
// returns results without them (zero as an empty sequence).

// The number of digits without high-order zeros.
std::size_t SignificantLength(const Digits& a) noexcept;
// The number of zero digits below the lowest non-zero one (0 for zero).
std::size_t CountLowZeros(const Digits& a) noexcept;
void TrimHigh(Digits& a) noexcept;
bool IsZeroMagnitude(const Digits& a) noexcept;

int CompareMagnitudes(const Digits& a, const Digits& b) noexcept;
// Compares a × 10^shiftA with b × 10^shiftB.
int CompareShifted(const Digits& a, std::size_t shiftA, const Digits& b,
                   std::size_t shiftB) noexcept;

Digits FromUInt64(std::uint64_t value);  // zero gives the single digit 0
// False when the magnitude does not fit.
bool TryToUInt64(const Digits& a, std::uint64_t& value) noexcept;

void AddInPlace(Digits& a, const Digits& b);
// Requires a >= b.
void SubtractInPlace(Digits& a, const Digits& b) noexcept;
void IncrementInPlace(Digits& a);
void MultiplySmallInPlace(Digits& a, std::uint32_t factor);
void ShiftLeftInPlace(Digits& a, std::size_t places);
Digits Multiply(const Digits& a, const Digits& b);
// Requires a non-zero divisor.
void DivMod(const Digits& dividend, const Digits& divisor, Digits& quotient, Digits& remainder);

// Removes the low `count` digits of a and returns them (trimmed): a becomes
// a / 10^count and the result a mod 10^count.
Digits SplitLow(Digits& a, std::size_t count);
// Compares the low `count` digits of a with half of 10^count (count >= 1).
int CompareLowWithHalf(const Digits& a, std::size_t count) noexcept;

// The magnitude of a double rounded to the nearest integer, an exact half
// toward zero; throws for a NaN or an infinity.
Digits FromDouble(double value);

}  // namespace Korvel::detail
