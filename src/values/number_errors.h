// SPDX-License-Identifier: MIT
// The messages of the big integer and decimal types, thrown out of line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Korvel::detail {

extern const wchar_t kOverflowInDivide[];
extern const wchar_t kOverflowInDivideAssign[];
extern const wchar_t kOverflowInModulo[];
extern const wchar_t kOverflowInModuloAssign[];
extern const wchar_t kValueOutOfBoundOfInt[];
extern const wchar_t kValueOutOfBoundOfLongLong[];
extern const wchar_t kDecimalTooLargeForLong[];
extern const wchar_t kDecimalTooLargeForLongLong[];
extern const wchar_t kDecimalTooLargeForDouble[];

// CKvInvalidValueException with a fixed message.
[[noreturn]] void ThrowInvalidValue(const wchar_t* message);
// CKvOverFlowException with a fixed message.
[[noreturn]] void ThrowOverflow(const wchar_t* message);
// "ERROR: Negative Number in function <function>()."
[[noreturn]] void ThrowNegativeNumber(const char* function);
[[noreturn]] void ThrowNonFiniteDouble();
// The decimal parser's message, quoting the whole text.
[[noreturn]] void ThrowDecimalInvalidChar(std::size_t position, const std::wstring& text);
// "The string representing <a Decimal | an Integer> is empty."
// (CKvInvalidValueException).
[[noreturn]] void ThrowNumberTextEmpty(const char* kind);
[[noreturn]] void ThrowPlacesOutOfRange(std::int32_t places);

}  // namespace Korvel::detail
