// SPDX-License-Identifier: MIT
// Throwing the Fast Infoset messages, out of line so throw sites stay small.
#include "fastinfoset/messages.h"

#include <korvel/errors.h>

namespace Korvel::detail {

void ThrowFiError(const wchar_t* message) { throw CKvException(message); }

void ThrowFiError(const wchar_t* format, uint32_t value) {
  throw CKvException(FormatString(format, value));
}

void ThrowFiError(const wchar_t* format, uint32_t value, const wchar_t* text) {
  throw CKvException(FormatString(format, value, text));
}

void ThrowFiError(const wchar_t* format, const wchar_t* text) {
  throw CKvException(FormatString(format, text));
}

}  // namespace Korvel::detail
