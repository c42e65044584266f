// SPDX-License-Identifier: MIT
// The throw helper of date and duration messages that quote a piece of text.
#include "values/date_time_messages.h"

#include <string>

namespace Korvel::detail::dt_msg {

void ThrowValueText(const wchar_t* format, const wchar_t* text, size_t length) {
  const std::wstring quoted(text, length);
  throw CKvInvalidValueException(FormatString(format, quoted.c_str()));
}

}  // namespace Korvel::detail::dt_msg
