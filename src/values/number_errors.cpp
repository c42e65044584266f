// SPDX-License-Identifier: MIT
// The messages of the big integer and decimal types, thrown out of line.
#include "values/number_errors.h"

#include <korvel/errors.h>

namespace Korvel::detail {

const wchar_t kOverflowInDivide[] = L"ERROR: Overflow in operator/.";
const wchar_t kOverflowInDivideAssign[] = L"ERROR: Overflow in operator /=.";
const wchar_t kOverflowInModulo[] = L"ERROR: Overflow in operator%.";
const wchar_t kOverflowInModuloAssign[] = L"ERROR: Overflow in operator%=.";
const wchar_t kValueOutOfBoundOfInt[] = L"ERROR: Value out of bound of int.";
const wchar_t kValueOutOfBoundOfLongLong[] = L"ERROR: Value out of bound of LONGLONG.";
const wchar_t kDecimalTooLargeForLong[] = L"The Decimal value if to large to fit into a LONG";
const wchar_t kDecimalTooLargeForLongLong[] =
    L"The Decimal value if to large to fit into a LONGLONG";
const wchar_t kDecimalTooLargeForDouble[] = L"The Decimal value if to large to fit into a Double";

namespace {

constexpr wchar_t kNegativeNumberIn[] = L"ERROR: Negative Number in function %S().";
constexpr wchar_t kNonFiniteDouble[] =
    L"ERROR: A NaN or infinite double can not be converted to an integer.";
constexpr wchar_t kDecimalInvalidChar[] =
    L"The string representing a Decimal, contained an invalid char at position %d [%s].";
constexpr wchar_t kNumberTextEmpty[] = L"The string representing %S is empty.";
constexpr wchar_t kPlacesOutOfRange[] = L"The number of decimal places [%d] is out of range.";

}  // namespace

void ThrowInvalidValue(const wchar_t* message) { throw CKvInvalidValueException(message); }

void ThrowOverflow(const wchar_t* message) { throw CKvOverFlowException(message); }

void ThrowNegativeNumber(const char* function) {
  throw CKvInvalidValueException(FormatString(kNegativeNumberIn, function));
}

void ThrowNonFiniteDouble() { throw CKvInvalidValueException(kNonFiniteDouble); }

void ThrowDecimalInvalidChar(std::size_t position, const std::wstring& text) {
  throw CKvInvalidValueException(
      FormatString(kDecimalInvalidChar, static_cast<int>(position), text.c_str()));
}

void ThrowNumberTextEmpty(const char* kind) {
  throw CKvInvalidValueException(FormatString(kNumberTextEmpty, kind));
}

void ThrowPlacesOutOfRange(std::int32_t places) {
  throw CKvInvalidParamException(FormatString(kPlacesOutOfRange, places));
}

}  // namespace Korvel::detail
