// SPDX-License-Identifier: MIT
// The helpers that throw the writers' and text streams' messages.
#pragma once

#include "xml/messages.h"

namespace Korvel::detail {

// CKvException with the message as it is.
[[noreturn]] void ThrowWriterError(const wchar_t* message);

}  // namespace Korvel::detail
