// SPDX-License-Identifier: MIT
// The throw helpers of the JSON subsystem, kept out of line and off the hot paths.
#include <utility>

#include <korvel/errors.h>

#include "json/messages.h"

namespace Korvel::detail {

void ThrowJsonValidationError(std::wstring message, std::wstring path) {
  throw CKvValidationException(std::move(message), std::move(path));
}

void ThrowJsonConversionError(const wchar_t* format, const std::wstring& text) {
  throw CKvInvalidStateException(FormatString(format, text.c_str()));
}

void ThrowJsonError(const wchar_t* message) { throw CKvException(message); }

void ThrowJsonError(const wchar_t* format, const std::wstring& name) {
  throw CKvException(FormatString(format, name.c_str()));
}

}  // namespace Korvel::detail
