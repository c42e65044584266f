// SPDX-License-Identifier: MIT
// Throwing the writers' messages, out of line so throw sites stay small.
#include "xml/writer_messages.h"

#include <korvel/errors.h>

namespace Korvel::detail {

void ThrowWriterError(const wchar_t* message) { throw CKvException(message); }

}  // namespace Korvel::detail
