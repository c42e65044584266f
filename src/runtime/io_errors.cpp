// SPDX-License-Identifier: MIT
// Throwing the input and output messages, out of line so throw sites stay small.
#include "runtime/io_errors.h"

#include <korvel/errors.h>

namespace Korvel::detail {

void ThrowFileError(const wchar_t* format, const wchar_t* path, int error) {
  throw CKvException(FormatString(format, path, error));
}

void ThrowFileError(const wchar_t* format, int error) {
  throw CKvException(FormatString(format, error));
}

void ThrowCompressFailed(int code) { throw CKvException(FormatString(kCompressFailed, code)); }

void ThrowInflatedTooLarge(unsigned long long limit) {
  throw CKvException(FormatString(kInflatedTooLarge, limit));
}

void ThrowCompressedTruncated() { throw CKvException(kCompressedTruncated); }

void ThrowCompressedTrailing() { throw CKvException(kCompressedTrailing); }

void ThrowCompressedCorrupt(const char* message) {
  throw CKvException(FormatString(kCompressedCorrupt, message ? message : "unknown error"));
}

}  // namespace Korvel::detail
