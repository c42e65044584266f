// SPDX-License-Identifier: MIT
// The messages of the lexical conversions and whitespace rules, thrown out of line.
#include "values/conversion_errors.h"

#include <korvel/errors.h>

namespace Korvel::detail {

namespace {

// The kind is the short type name of the value ("i4", "ui8", "r4" ...).
constexpr wchar_t kCannotConvert[] = L"The value [%s] can not be converted to a %S";
constexpr wchar_t kTooLarge[] = L"The value [%s] is to large to fit in a %S";
constexpr wchar_t kInvalidBoolean[] =
    L"A Boolean Value read from an XML document was invalid [%s]. Valid values are 'true', "
    L"'false', '1', or '0'";
constexpr wchar_t kInvalidCharText[] =
    L"The value [%s] can not be a char as it is either empty of greater than 1 char long";
constexpr wchar_t kUnknownWhitespaceRule[] = L"Unknown WhitespaceRule";
constexpr wchar_t kInvalidRealFormat[] =
    L"The format [%s] can not be used to convert a %S: it must hold exactly one floating-point "
    L"conversion";

}  // namespace

void ThrowCannotConvert(std::wstring_view text, const char* kind) {
  throw CKvInvalidValueException(FormatString(kCannotConvert, std::wstring(text).c_str(), kind));
}

void ThrowTooLarge(std::wstring_view text, const char* kind) {
  throw CKvInvalidValueException(FormatString(kTooLarge, std::wstring(text).c_str(), kind));
}

void ThrowInvalidBoolean(std::wstring_view text) {
  throw CKvInvalidValueException(FormatString(kInvalidBoolean, std::wstring(text).c_str()));
}

void ThrowInvalidCharText(std::wstring_view text) {
  throw CKvInvalidValueException(FormatString(kInvalidCharText, std::wstring(text).c_str()));
}

void ThrowUnknownWhitespaceRule() { throw CKvException(kUnknownWhitespaceRule); }

void ThrowInvalidRealFormat(const std::wstring& format, const char* kind) {
  throw CKvInvalidParamException(FormatString(kInvalidRealFormat, format.c_str(), kind));
}

}  // namespace Korvel::detail
