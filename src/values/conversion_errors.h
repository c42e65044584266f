// SPDX-License-Identifier: MIT
// The messages of the lexical conversions and whitespace rules, thrown out of line.
#pragma once

#include <string>
#include <string_view>

namespace Korvel::detail {

// "The value [<text>] can not be converted to a <kind>" (CKvInvalidValueException).
[[noreturn]] void ThrowCannotConvert(std::wstring_view text, const char* kind);
// "The value [<text>] is to large to fit in a <kind>" (CKvInvalidValueException).
[[noreturn]] void ThrowTooLarge(std::wstring_view text, const char* kind);
[[noreturn]] void ThrowInvalidBoolean(std::wstring_view text);
[[noreturn]] void ThrowInvalidCharText(std::wstring_view text);
// CKvException "Unknown WhitespaceRule".
[[noreturn]] void ThrowUnknownWhitespaceRule();
// A caller's r4 or r8 format that is not one floating conversion
// (CKvInvalidParamException).
[[noreturn]] void ThrowInvalidRealFormat(const std::wstring& format, const char* kind);

}  // namespace Korvel::detail
