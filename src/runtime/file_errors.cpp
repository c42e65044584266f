// SPDX-License-Identifier: MIT
// Throwing the file messages, out of line so throw sites stay small.
#include "runtime/file_errors.h"

#include <korvel/errors.h>

namespace Korvel::detail {

void ThrowFileError(const wchar_t* format, const wchar_t* path, int error) {
  throw CKvException(FormatString(format, path, error));
}

void ThrowFileError(const wchar_t* format, int error) {
  throw CKvException(FormatString(format, error));
}

}  // namespace Korvel::detail
