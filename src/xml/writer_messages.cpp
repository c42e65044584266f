// SPDX-License-Identifier: MIT
// Throwing the writers' messages, out of line so throw sites stay small.
#include "xml/writer_messages.h"

#include <korvel/errors.h>

namespace Korvel::detail {

void ThrowWriterError(const wchar_t* message) { throw CKvException(message); }

void ThrowFileError(const wchar_t* format, const std::wstring& path, int error) {
  throw CKvException(FormatString(format, path.c_str(), error));
}

void ThrowFileError(const wchar_t* format, int error) {
  throw CKvException(FormatString(format, error));
}

}  // namespace Korvel::detail
